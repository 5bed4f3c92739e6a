#pragma once

#include <filesystem>

namespace quimbo {

// The resources folder of the running application's bundle (Quimbo.app's
// Contents/Resources), as NSBundle's main bundle gives it; empty when the
// bundle has none.
std::filesystem::path mainBundleResources();

}  // namespace quimbo
