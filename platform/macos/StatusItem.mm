#include "platform/desktop/MenuBarItem.h"

#import <AppKit/AppKit.h>

#include <QCursor>
#include <string>

#include "platform/macos/ScreenRect.h"

// Hands the button's clicks to the item's action.
@interface QuimboStatusItemTarget : NSObject {
  quimbo::desktop::MenuBarItem::Activated _action;
}
- (instancetype)initWithAction:(quimbo::desktop::MenuBarItem::Activated)action;
- (void)clicked:(id)sender;
@end

@implementation QuimboStatusItemTarget

- (instancetype)initWithAction:(quimbo::desktop::MenuBarItem::Activated)action {
  if ((self = [super init])) _action = std::move(action);
  return self;
}

- (void)clicked:(id)sender {
  (void)sender;
  _action();
}

@end

namespace quimbo::desktop {

namespace {

NSString* toNSString(const std::string& text) {
  return [NSString stringWithUTF8String:text.c_str()];
}

class StatusItem final : public MenuBarItem {
 public:
  explicit StatusItem(Activated activated)
      : item_([[NSStatusBar systemStatusBar] statusItemWithLength:NSVariableStatusItemLength]),
        target_([[QuimboStatusItemTarget alloc] initWithAction:std::move(activated)]) {
    // Only the menu bar shows the application, as the bundle's LSUIElement
    // says; this holds for the bare executable too.
    [NSApp setActivationPolicy:NSApplicationActivationPolicyAccessory];
    NSStatusBarButton* button = item_.button;
    button.target = target_;  // not retained by the button: kept here
    button.action = @selector(clicked:);
    // The menu bar's own size, with digits of one width, so that the label
    // keeps its width from one reading to the next.
    button.font = [NSFont monospacedDigitSystemFontOfSize:[NSFont menuBarFontOfSize:0].pointSize
                                                   weight:NSFontWeightRegular];
  }

  ~StatusItem() override { [[NSStatusBar systemStatusBar] removeStatusItem:item_]; }

  StatusItem(const StatusItem&) = delete;
  StatusItem& operator=(const StatusItem&) = delete;

  void setLabel(const ui::View& label) override {
    NSStatusBarButton* button = item_.button;
    if (const auto* text = label.as<ui::Text>()) {
      button.image = nil;
      button.title = toNSString(text->string());
    } else if (const auto* symbol = label.as<ui::Image>()) {
      button.title = @"";
      button.image = [NSImage imageWithSystemSymbolName:toNSString(symbol->systemName)
                               accessibilityDescription:@"Quimbo"];
    }
  }

  // The button's frame on the screen, in Qt's coordinates.
  QRect anchor() const override {
    NSStatusBarButton* button = item_.button;
    NSWindow* window = button.window;
    NSScreen* primary = [NSScreen screens].firstObject;
    if (window == nil || primary == nil) return QRect(QCursor::pos(), QSize(1, 1));
    const NSRect frame = [window convertRectToScreen:[button convertRect:button.bounds toView:nil]];
    const PointRect r =
        topLeftOrigin({frame.origin.x, frame.origin.y, frame.size.width, frame.size.height},
                      primary.frame.size.height);
    return QRect(r.left, r.top, r.width, r.height);
  }

 private:
  NSStatusItem* item_;
  QuimboStatusItemTarget* target_;
};

}  // namespace

std::unique_ptr<MenuBarItem> MenuBarItem::make(Activated activated, std::function<void()>) {
  return std::make_unique<StatusItem>(std::move(activated));
}

// Qt's Cocoa platform is the only one here.
void prepareDisplay() {}

}  // namespace quimbo::desktop
