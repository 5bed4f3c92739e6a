#include "platform/macos/SMAppServiceManager.h"

#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

#include <string>

namespace quimbo {

namespace {

NSString* toNSString(std::string_view text) {
  return [[NSString alloc] initWithBytes:text.data()
                                  length:text.size()
                                encoding:NSUTF8StringEncoding];
}

class AppServiceDaemon final : public ServiceManager::DaemonService {
 public:
  explicit AppServiceDaemon(SMAppService* service) : service_(service) {}

  std::optional<ServiceManager::Error> unregister() override {
    @autoreleasepool {
      NSError* error = nil;
      if ([service_ unregisterAndReturnError:&error]) return std::nullopt;
      const char* message = error.localizedDescription.UTF8String;  // NULL for a nil error
      return ServiceManager::Error{message != nullptr ? message : "unregistering failed"};
    }
  }

 private:
  SMAppService* service_;
};

}  // namespace

std::unique_ptr<ServiceManager::DaemonService> SMAppServiceManager::daemonService(
    std::string_view plistName) {
  @autoreleasepool {
    Class service = NSClassFromString(toNSString(serviceClass_));
    return std::make_unique<AppServiceDaemon>(
        [service daemonServiceWithPlistName:toNSString(plistName)]);
  }
}

}  // namespace quimbo
