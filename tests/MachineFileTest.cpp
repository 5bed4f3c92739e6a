#include <gtest/gtest.h>

#include <sys/stat.h>

#include <clocale>
#include <filesystem>
#include <fstream>

#include "platform/simulated/MachineFile.h"
#include "smc/SMC.h"
#include "tests/TemporaryFolder.h"

namespace quimbo {
namespace {

TEST(MachineFile, ReadsHexDecimalFaultsAndOptions) {
  const Machine machine = MachineFile::parse(R"(# a comment

FNum "ui8 " 02              # trailing comment
F0Ac "flt " = 1840.0
Tg0f "fpe2" =31.25
Fx00 "ui16" = 300
Ts0S !84
TaRP "flt " 00 00 f8 41 read!85 size=2 attr=d4
)",
                                             "m");
  ASSERT_EQ(machine.keys.size(), 6u);
  const auto key = [&](const char* name) { return machine.keys.at(SMC::fourCC(name)); };
  using Bytes = std::vector<std::uint8_t>;
  EXPECT_EQ(key("FNum").type, SMC::fourCC("ui8 "));
  EXPECT_EQ(key("FNum").bytes, Bytes{2});
  EXPECT_EQ(key("FNum").dataSize, 1u);
  EXPECT_EQ(key("F0Ac").bytes, (Bytes{0x00, 0x00, 0xe6, 0x44}));
  EXPECT_EQ(key("Tg0f").bytes, (Bytes{0x1f, 0x40}));
  EXPECT_EQ(key("Fx00").bytes, (Bytes{0x01, 0x2c}));
  EXPECT_EQ(key("Ts0S").infoFault, 0x84);
  EXPECT_EQ(key("TaRP").readFault, 0x85);
  EXPECT_EQ(key("TaRP").dataSize, 2u);
  EXPECT_EQ(key("TaRP").attributes, 0xd4);
}

TEST(MachineFile, RefusesBadInputNamingFileLineAndFault) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"FNum", "m:1: expected the type in quotes after the key FNum"},
      {"FNum \"ui8 \" 01\nF0Acc \"flt \" = 1", "m:2: the key F0Acc is not exactly four characters"},
      {"Ts0 !84", "m:1: the key Ts0 is not exactly four characters"},
      {"\nFNum \"ui8\" 02", "m:2: the type \"ui8\" is not exactly four characters"},
      {"FNum \"ui8 02", "m:1: the type has no closing quote"},
      {"FNum \"ui8 \" 2", "m:1: '2' is not a value byte in hex"},
      {"FNum \"ui8 \" zz", "m:1: 'zz' is not a value byte in hex"},
      {"FNum \"ui8 \" = 256", "m:1: the value is not a whole number that fits the type"},
      {"FNum \"ui8 \" = 1.5", "m:1: the value is not a whole number that fits the type"},
      {"FNum \"sp78\" = 1", "m:1: a decimal value needs the type \"flt \", \"fp..\" or \"uiN\""},
      {"F0Ac \"flt \" = fast", "m:1: 'fast' is not a decimal number"},
      {"Ts0S !8", "m:1: expected a result byte in hex after '!', got '8'"},
      {"Ts0S !84 00", "m:1: nothing may follow a key-information fault"},
      {"FNum \"ui8 \" 01\n# x\nFNum \"ui8 \" 02", "m:3: the key FNum is listed twice"},
      {"Tp01 \"flt \" size=-1", "m:1: 'size=-1' is not a valid size"},
      {"F0Ac \"flt \" = 2010,6", "m:1: '2010,6' is not a decimal number"},
      {"F0Ac \"flt \" = 0x1p4", "m:1: '0x1p4' is not a decimal number"},
      {"F0Ac \"flt \" = 1e999", "m:1: '1e999' is out of range"},
      {"F0Ac \"flt \" = 1e39", "m:1: the value does not fit the type \"flt \""},
      {"F0Ac \"flt \" = 1 = 2 = 3 = 4 = 5 = 6 = 7 = 8 00", "m:1: more than 32 value bytes"},
  };
  for (const Case& c : cases) {
    try {
      static_cast<void>(MachineFile::parse(c.text, "m"));
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const MachineFileError& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
  }
}

TEST(MachineFile, DecimalValuesReadTheSameInEveryLocale) {
  const std::string text = "F1Ac \"flt \" = 2010.6\nTp01 \"fpe2\" = +31.25\n";
  const Machine inC = MachineFile::parse(text, "m");
  for (const char* name : {"tr_TR.UTF-8", "de_DE.UTF-8"}) {
    if (std::setlocale(LC_ALL, name) == nullptr) {
      ADD_FAILURE() << name << " is not installed (scripts/install-deps.sh generates it)";
      continue;
    }
    const Machine there = MachineFile::parse(text, "m");
    std::setlocale(LC_ALL, "C");
    for (const auto& [code, key] : inC.keys)
      EXPECT_EQ(there.keys.at(code).bytes, key.bytes) << name;
  }
}

// What stands at the path of a machine file, and what loading it says, at
// once: a FIFO without a writer does not hold it up, nor /dev/zero.
TEST(MachineFile, LoadTakesOnlyARegularFileOfAtMostOneMebibyte) {
  const testing::TemporaryFolder dir("machine-files");
  const std::string good = "FNum \"ui8 \" 01\n";
  std::ofstream(dir / "good") << good;
  std::filesystem::create_symlink(dir / "good", dir / "link");
  std::ofstream(dir / "full") << good << std::string((1 << 20) - good.size() - 1, '#') << '\n';
  std::filesystem::copy_file(dir / "full", dir / "over");
  std::ofstream(dir / "over", std::ios::app) << '#';
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  std::filesystem::create_symlink(dir / "loop", dir / "loop");

  struct Case {
    std::string file;
    const char* fault;  // "" when the file loads
  };
  const Case cases[] = {
      {"good", ""},
      {"link", ""},
      {"full", ""},
      {"over", "is longer than 1048576 bytes"},
      {"missing", "cannot be opened: No such file or directory"},
      {".", "is a directory"},
      {"fifo", "is not a regular file"},
      {"/dev/zero", "is not a regular file"},
      {"loop", "cannot be opened: Too many levels of symbolic links"},
  };
  for (const Case& c : cases) {
    const std::string path = (dir / c.file).lexically_normal().string();
    try {
      EXPECT_EQ(MachineFile::load(path).keys.size(), 1u) << c.file;
      EXPECT_STREQ(c.fault, "") << c.file << " was loaded";
    } catch (const MachineFileError& error) {
      EXPECT_EQ(error.what(), path + ": " + c.fault) << c.file;
    }
  }
}

}  // namespace
}  // namespace quimbo
