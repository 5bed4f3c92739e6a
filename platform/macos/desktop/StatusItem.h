#pragma once

#include "platform/desktop/MenuBarItem.h"

@class NSStatusItem;
@class NSStatusBarButton;
@class QuimboStatusItemTarget;

namespace quimbo::desktop {

// The label as a status item of the menu bar: its button shows the label's
// text in the menu bar's own font, or the label's symbol alone.
class StatusItem final : public MenuBarItem {
 public:
  explicit StatusItem(Activated activated);
  ~StatusItem() override;
  StatusItem(const StatusItem&) = delete;
  StatusItem& operator=(const StatusItem&) = delete;

  void setLabel(const ui::View& label) override;
  QRect anchor() const override;
  // The panel is to drop down: the application comes to the front, so that
  // the panel takes the keyboard, and the panel's window may show over every
  // Space, a full-screen application's included.
  void preparePanel(QWidget& panel) override;

  NSStatusBarButton* button() const;

 private:
  NSStatusItem* item_;
  QuimboStatusItemTarget* target_;
};

}  // namespace quimbo::desktop
