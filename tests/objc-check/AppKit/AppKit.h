// For the compile check only (scripts/check-objc.sh): GNUstep's AppKit, and
// the later Apple interfaces that Quimbo uses and GNUstep lacks, declared
// as Apple documents them.
#pragma once

#include_next <AppKit/AppKit.h>

// NSStatusItem.button (macOS 10.10).
@interface NSStatusItem (QuimboCheckAppleAdditions)
@property(readonly, strong) NSStatusBarButton* button;
@end

// +[NSFont monospacedDigitSystemFontOfSize:weight:] (macOS 10.11).
@interface NSFont (QuimboCheckAppleAdditions)
+ (NSFont*)monospacedDigitSystemFontOfSize:(CGFloat)fontSize weight:(NSFontWeight)weight;
@end

// +[NSImage imageWithSystemSymbolName:accessibilityDescription:] (macOS 11).
@interface NSImage (QuimboCheckAppleAdditions)
+ (instancetype)imageWithSystemSymbolName:(NSString*)name
                 accessibilityDescription:(NSString*)description;
@end

// -[NSApplication setActivationPolicy:] (macOS 10.6).
@interface NSApplication (QuimboCheckAppleAdditions)
- (BOOL)setActivationPolicy:(NSApplicationActivationPolicy)activationPolicy;
@end
