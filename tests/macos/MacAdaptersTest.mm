// What only the Mac does, on a Mac: the status item, SMAppService and the
// application bundle. Built as a bundle of its own, with the logo among its
// resources as Quimbo.app has it.

#import <AppKit/AppKit.h>
#include <gtest/gtest.h>

#include "app/System.h"
#include "platform/macos/SMAppServiceManager.h"
#include "platform/macos/desktop/StatusItem.h"
#include "platform/process/Bundle.h"
#include "tests/MonitorHarness.h"
#include "ui/QuimboApp.h"

// Stands in for SMAppService, away from the system's daemon registry: keeps
// the names it is asked for, and refuses to unregister, as the system does
// for a daemon that was never registered.
@interface QuimboFakeAppService : NSObject
+ (instancetype)daemonServiceWithPlistName:(NSString*)plistName;
- (BOOL)unregisterAndReturnError:(NSError**)error;
@end

static NSMutableArray<NSString*>* askedFor;

@implementation QuimboFakeAppService

+ (instancetype)daemonServiceWithPlistName:(NSString*)plistName {
  [askedFor addObject:plistName];
  return [[self alloc] init];
}

- (BOOL)unregisterAndReturnError:(NSError**)error {
  *error = [NSError errorWithDomain:@"QuimboTest"
                               code:1
                           userInfo:@{NSLocalizedDescriptionKey : @"not registered"}];
  return NO;
}

@end

namespace quimbo {
namespace {

TEST(MacAdapters, TheMonitorAsksServiceManagementToRemoveTheHelperAndDropsItsRefusal) {
  askedFor = [NSMutableArray array];
  SMAppServiceManager services("QuimboFakeAppService");
  SimulatedSmc smc(MachineFile::parse("FNum \"ui8 \" 00\n", "test"));
  ManualRunLoop runLoop;
  const auto mon = Monitor::make({smc, services, runLoop});
  EXPECT_TRUE(mon->available());
  ASSERT_EQ(askedFor.count, 1u);
  EXPECT_STREQ(askedFor[0].UTF8String, "com.zelprin.quimbo.helper.plist");
  const auto refusal = services.daemonService("other.plist")->unregister();
  ASSERT_TRUE(refusal.has_value());
  EXPECT_EQ(refusal->message, "not registered");
}

TEST(MacAdapters, TheStatusItemShowsTheLabelOrTheThermometerAlone) {
  // The menu bar is the window server's: outside a GUI session (over SSH)
  // there is none to put an item in.
  if (!System::displayAvailable()) GTEST_SKIP() << "no GUI session: no menu bar";
  [NSApplication sharedApplication];
  desktop::StatusItem item([] {});
  testing::MonitorHarness laptop("FNum \"ui8 \" 01\nF0Ac \"flt \" = 1840\nTp01 \"flt \" = 57.8\n");
  item.setLabel(ui::QuimboApp::menuBarLabel(*laptop.make()));
  EXPECT_STREQ(item.button().title.UTF8String, "57° · 1840");
  EXPECT_EQ(item.button().image, nil);

  testing::NoSmcHarness noSmc;
  item.setLabel(ui::QuimboApp::menuBarLabel(*noSmc.make()));
  EXPECT_EQ(item.button().title.length, 0u);
  EXPECT_NE(item.button().image, nil) << "\"thermometer.medium\" is a symbol of this system";
}

TEST(MacAdapters, TheLogoIsTheBundlesResource) {
  const std::optional<Bundle> bundle = Bundle::main();
  ASSERT_TRUE(bundle.has_value());
  const std::optional<std::string> logo = bundle->pathForResource("logo", "png");
  ASSERT_TRUE(logo.has_value());
  EXPECT_TRUE(logo->ends_with(".app/Contents/Resources/logo.png")) << *logo;
}

}  // namespace
}  // namespace quimbo
