#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "ui/Environment.h"
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

  // What decides the widgets a view needs: the kind of its element, the
  // boxes its modifiers wrap it in, and the shapes of its children.
  struct Shape {
    enum class Box { padding, background };
    std::size_t element;  // the element's kind; a logo and a symbol differ
    std::vector<Box> boxes;
    std::vector<Shape> children;
    bool operator==(const Shape&) const = default;

    static Shape of(const ui::View& view);
  };

 private:
  struct Node;
  class Element;

  void realize(const ui::View& view, ui::Environment env, Node& node);
  void wrap(const ui::View& view, Node& node);
  QColor foreground(const ui::Environment& env) const;
  QImage logoImage(const std::string& path);

  QWidget* host_;
  std::unique_ptr<Node> root_;
  Shape shape_{};
  int builds_ = 0;
  QHash<QString, QImage> logos_;
};

}  // namespace quimbo::desktop
