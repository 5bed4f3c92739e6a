// Any text as a machine file: parsed, or refused with a MachineFileError.

#include <string_view>

#include "platform/simulated/MachineFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  try {
    quimbo::MachineFile::parse(std::string_view(reinterpret_cast<const char*>(bytes), size),
                               "fuzz");
  } catch (const quimbo::MachineFileError&) {
  }
  return 0;
}
