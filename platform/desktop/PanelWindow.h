#pragma once

#include <QFrame>
#include <QRect>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <optional>

#include "platform/desktop/WidgetRenderer.h"
#include "ui/PanelView.h"
#include "ui/View.h"

namespace quimbo::desktop {

// The body's column cut in three: what comes before the fan list, the fan
// list, what comes after it. Each keeps the column's alignment, spacing and
// modifiers, with the padding only on its outer edges; the fan list leaves
// its width to the window.
struct PanelSections {
  ui::View head;
  ui::View fans;
  ui::View foot;
};
PanelSections splitPanel(const ui::View& body, ui::PanelView::Range fans);

// The panel's window: a pop-up that closes on a click outside it, as a
// window-style menu-bar extra does. It is never taller than the room the
// screen leaves beside its item and never covers the item: where the room is
// short, the fan list scrolls (wheel and scroll bar) between the header and
// the footer, which stay in view; where it cannot hold them and one whole
// fan, the panel scrolls as a whole.
class PanelWindow final : public QWidget {
 public:
  PanelWindow();
  // Shows the panel's body, updating the widgets that are there.
  void render(const ui::View& body, ui::PanelView::Range fans);
  // Opens the window below `anchor` (screen coordinates), or above it where
  // the panel does not fit below and the screen has more room above.
  void dropDownFrom(const QRect& anchor);
  const QScrollArea& fanArea() const { return *fanArea_; }

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void fit();
  QRect screenArea() const;
  void grabOnceReleased();

  QWidget* content_;  // the three sections, in a column
  QWidget* headHost_;
  QWidget* fansHost_;
  QWidget* footHost_;
  QScrollArea* fanArea_;
  QVBoxLayout* column_;
  QScrollArea* page_;  // holds the column, and scrolls it where the room is shortest
  QFrame* border_;
  std::size_t fanCount_ = 0;
  WidgetRenderer head_;
  WidgetRenderer fans_;
  WidgetRenderer foot_;
  std::optional<QRect> anchor_;
  QRect area_;           // the room on the anchor's screen, beside its bars
  QTimer releaseWatch_;  // while a button held elsewhere keeps the pointer from the grab
};

}  // namespace quimbo::desktop
