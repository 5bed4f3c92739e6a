#include "platform/linux/LoadedObjects.h"

#include <link.h>

namespace quimbo {

std::vector<std::filesystem::path> loadedObjects() {
  std::vector<std::filesystem::path> objects;
  ::dl_iterate_phdr(
      [](dl_phdr_info* object, std::size_t, void* found) {
        // The program has no name here, the vDSO no file.
        if (object->dlpi_name != nullptr && object->dlpi_name[0] == '/') {
          static_cast<std::vector<std::filesystem::path>*>(found)->emplace_back(object->dlpi_name);
        }
        return 0;
      },
      &objects);
  return objects;
}

}  // namespace quimbo
