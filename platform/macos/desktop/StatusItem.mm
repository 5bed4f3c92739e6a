#include "platform/macos/desktop/StatusItem.h"

#import <AppKit/AppKit.h>

#include <QCursor>
#include <QScreen>
#include <QWidget>
#include <string>

#include "platform/macos/desktop/ScreenRect.h"

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

}  // namespace

StatusItem::StatusItem(Activated activated)
    : item_([[NSStatusBar systemStatusBar] statusItemWithLength:NSVariableStatusItemLength]),
      target_([[QuimboStatusItemTarget alloc] initWithAction:std::move(activated)]) {
  // Only the menu bar shows the application, as the bundle's LSUIElement
  // says; this holds for the bare executable too.
  [NSApp setActivationPolicy:NSApplicationActivationPolicyAccessory];
  NSStatusBarButton* button = item_.button;
  button.target = target_;  // not retained by the button: kept here
  button.action = @selector(clicked:);
}

StatusItem::~StatusItem() { [[NSStatusBar systemStatusBar] removeStatusItem:item_]; }

NSStatusBarButton* StatusItem::button() const { return item_.button; }

void StatusItem::setLabel(const ui::View& label) {
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
QRect StatusItem::anchor() const {
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

void StatusItem::preparePanel(QWidget& panel) {
  // An accessory application is not made active by a click on its item.
  [NSApp activate];
  NSView* view = (__bridge NSView*)reinterpret_cast<void*>(panel.winId());
  view.window.collectionBehavior |=
      NSWindowCollectionBehaviorCanJoinAllSpaces | NSWindowCollectionBehaviorFullScreenAuxiliary;
}

std::unique_ptr<MenuBarItem> MenuBarItem::make(Activated activated, std::function<void()>) {
  return std::make_unique<StatusItem>(std::move(activated));
}

// Qt's Cocoa platform is the only one here.
void prepareDisplay() {}

QRect workArea(const QScreen& screen) { return screen.availableGeometry(); }

}  // namespace quimbo::desktop
