// For the compile check only (scripts/check-mac.sh): GNUstep's AppKit, and
// the later Apple interfaces that Quimbo uses and GNUstep lacks, declared
// as Apple documents them.
#pragma once

#include_next <AppKit/AppKit.h>

// NSStatusItem.button (macOS 10.10).
@interface NSStatusItem (QuimboCheckAppleAdditions)
@property(readonly, strong) NSStatusBarButton* button;
@end

// +[NSImage imageWithSystemSymbolName:accessibilityDescription:] (macOS 11).
@interface NSImage (QuimboCheckAppleAdditions)
+ (instancetype)imageWithSystemSymbolName:(NSString*)name
                 accessibilityDescription:(NSString*)description;
@end

// -[NSApplication setActivationPolicy:] (macOS 10.6), -[NSApplication
// activate] (macOS 14).
@interface NSApplication (QuimboCheckAppleAdditions)
- (BOOL)setActivationPolicy:(NSApplicationActivationPolicy)activationPolicy;
- (void)activate;
@end
