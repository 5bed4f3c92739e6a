#include "platform/macos/MainBundle.h"

#import <Foundation/Foundation.h>

namespace quimbo {

std::filesystem::path mainBundleResources() {
  @autoreleasepool {
    NSString* resources = [[NSBundle mainBundle] resourcePath];
    if (resources == nil) return {};
    return std::filesystem::path([resources fileSystemRepresentation]);
  }
}

}  // namespace quimbo
