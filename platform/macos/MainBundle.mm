#include "platform/process/Bundle.h"

#import <Foundation/Foundation.h>

namespace quimbo {

namespace {

std::filesystem::path pathOf(NSString* path) {
  return path == nil ? std::filesystem::path()
                     : std::filesystem::path([path fileSystemRepresentation]);
}

}  // namespace

// Quimbo.app: the program in Contents/MacOS, its resources in
// Contents/Resources, its plug-ins in Contents/PlugIns, as NSBundle's main
// bundle gives them.
std::optional<Bundle> Bundle::main() {
  @autoreleasepool {
    NSBundle* bundle = [NSBundle mainBundle];
    const std::filesystem::path executable = pathOf([bundle executablePath]);
    if (executable.empty() || !executable.is_absolute()) return std::nullopt;
    return Bundle(executable, pathOf([bundle resourcePath]), pathOf([bundle builtInPlugInsPath]));
  }
}

}  // namespace quimbo
