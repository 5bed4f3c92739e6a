#pragma once

#include <filesystem>
#include <vector>

namespace quimbo {

// The files of the shared objects loaded into the process so far (the
// dynamic loader, libraries, modules and plugins), as the loader opened
// them; the program itself is not among them.
std::vector<std::filesystem::path> loadedObjects();

}  // namespace quimbo
