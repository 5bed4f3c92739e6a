#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quimbo {

// What a simulated SMC holds for one key.
struct MachineKey {
  std::string name;                       // as written in the file
  std::optional<std::uint8_t> infoFault;  // key information answers with this result
  std::optional<std::uint8_t> readFault;  // read bytes answers with this result
  std::uint32_t type = 0;                 // four-character code
  std::uint32_t dataSize = 0;             // what key information reports
  std::uint8_t attributes = 0;
  std::vector<std::uint8_t> bytes;  // value bytes, at most 32
};

// A simulated machine: its keys by four-character code.
struct Machine {
  std::map<std::uint32_t, MachineKey> keys;
};

// A machine file that cannot be read or parsed. what() names the file, the
// line and the fault.
class MachineFileError final : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The machine-file format, one key per line ('#' starts a comment):
//
//   FNum "ui8 " 02                 key, type in quotes, value bytes in hex
//   F0Ac "flt " = 1840.5           a decimal value, encoded by the type
//                                  (flt, fp.., ui8/ui16/ui32/ui64)
//   Ts0S !84                       key information answers with result 0x84
//   TaRP "flt " 00 00 f8 41 read!85   read bytes answers with result 0x85
//   Tp01 "flt " 00 00 f8 41 size=2    key information reports dataSize 2
//   Tp05 "flt " 00 00 f8 41 attr=d4   the attribute byte
//
// A key is exactly four characters, as the SMC holds it: the speed a client
// asks for as "F10Ac" (fan 10's) is the key 10Ac, the last four. Decimal
// values are written with a point, whatever the locale.
namespace MachineFile {

// A machine has a few dozen keys.
inline constexpr std::size_t kMaxFileSize = 1 << 20;

[[nodiscard]] Machine parse(std::string_view text, std::string_view path);
// Only a regular file of at most kMaxFileSize bytes is read: a FIFO or a
// device (even behind a symbolic link) is refused at once, like a file that
// does not parse.
[[nodiscard]] Machine load(const std::string& path);

}  // namespace MachineFile

}  // namespace quimbo
