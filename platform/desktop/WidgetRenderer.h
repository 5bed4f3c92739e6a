#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/View.h"

namespace quimbo::desktop {

// Renders the view tree into Qt widgets inside `host`: stacks and the grid
// as box and grid layouts, texts as labels, the progress view as a bar
// tinted with its colour, the button as a push button, symbols drawn by our
// own code; padding, backgrounds and clip shapes as boxes around a view.
//
// Showing a view whose shape (elements, children and wrapping modifiers) is
// the one already shown updates the widgets in place: no widget is made or
// destroyed, so nothing flickers. Another shape builds the widgets anew.
class WidgetRenderer final {
 public:
  explicit WidgetRenderer(QWidget* host);
  ~WidgetRenderer();
  WidgetRenderer(const WidgetRenderer&) = delete;
  WidgetRenderer& operator=(const WidgetRenderer&) = delete;

  void show(const ui::View& view);
  int builds() const { return builds_; }

 private:
  struct Node;
  // What a view inherits from the modifiers around it.
  struct Environment {
    ui::Font font = ui::Font::body;
    bool bold = false;
    std::optional<ui::ShapeStyle> foreground;
    std::optional<ui::ShapeStyle> tint;
  };

  void realize(const ui::View& view, Environment env, Node& node, bool create);
  void realizeElement(const ui::View& view, const Environment& env, Node& node, bool create);
  QColor foreground(const Environment& env) const;
  QImage logoImage(const std::string& path);

  QWidget* host_;
  std::unique_ptr<Node> root_;
  std::string shape_;
  int builds_ = 0;
  QHash<QString, QImage> logos_;
};

}  // namespace quimbo::desktop
