// Any text as a machine file, parsed, and loaded from a file; and whatever
// else may stand at its path (a FIFO, a folder, a link to a device, a loop
// of links, a file too large). Each is taken or refused with a
// MachineFileError, and none is waited on.

#include <string_view>

#include "fuzz/FileKinds.h"
#include "platform/simulated/MachineFile.h"

namespace {

void load(const std::string& path) {
  try {
    static_cast<void>(quimbo::MachineFile::load(path));  // only a fault of its own matters
  } catch (const quimbo::MachineFileError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace quimbo;
  static const fuzzing::ScratchFolder scratch("quimbo-fuzz-machine");
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  try {
    static_cast<void>(MachineFile::parse(text, "fuzz"));
  } catch (const MachineFileError&) {
  }
  const std::filesystem::path path = scratch.path() / "machine";
  FuzzedDataProvider data(bytes, size);
  const auto kind = data.ConsumeEnum<fuzzing::FileKind>();
  fuzzing::place(path, kind, text);
  load(path.string());
  return 0;
}
