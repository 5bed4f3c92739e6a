#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <optional>
#include <sstream>

#include "platform/simulated/MachineFile.h"
#include "platform/simulated/SimulatedSmc.h"
#include "smc/SMC.h"

namespace quimbo {
namespace {

using namespace std::string_literals;

SMC::Bytes bytes(std::initializer_list<std::uint8_t> list) {
  return SMC::Bytes(std::data(list), list.size());
}

TEST(SmcKeyCodes, FourCCPacksTheFirstCharacterHighestAndTypeStrUndoesIt) {
  EXPECT_EQ(SMC::fourCC("Tp01"), 0x54703031u);
  EXPECT_EQ(SMC::fourCC(""), 0u);
  EXPECT_EQ(SMC::fourCC("ab"), 0x00006162u);
  EXPECT_EQ(SMC::fourCC("ABCDE"), 0x42434445u) << "a longer text keeps its last four bytes";
  EXPECT_EQ(SMC::fourCC("\xC3\xA7"), 0x0000C3A7u) << "a non-ASCII character adds its UTF-8 bytes";

  EXPECT_EQ(SMC::typeStr(0x666C7420), "flt ");
  EXPECT_EQ(SMC::typeStr(65), std::string("\0\0\0A", 4)) << "zero bytes stay as U+0000";
  EXPECT_EQ(SMC::typeStr(0xE9000000), "\xC3\xA9\0\0\0"s) << "0xE9 is U+00E9";
}

TEST(SmcDecoding, DecodesByTypeWithFallThroughToTheFirstByte) {
  struct Case {
    const char* type;
    SMC::Bytes value;
    std::optional<double> expected;
  };
  const Case cases[] = {
      {"flt ", bytes({0x00, 0x00, 0x34, 0x42}), 45.0},
      {"flt ", bytes({0x00, 0x00, 0x96, 0x44, 0xff}), 1200.0},  // extra bytes ignored
      {"flt ", bytes({0x07, 0x00, 0x00}), 7.0},                 // too short: first byte
      {"flt ", bytes({}), std::nullopt},
      {"fpe2", bytes({0x1F, 0x40}), 31.25},
      {"fp88", bytes({0x1F, 0x40}), 31.25},  // every fp type scales by 1/256
      {"fpe2", bytes({0x1F}), 31.0},
      {"ui8 ", bytes({0x03}), 3.0},
      {"ui16", bytes({0x01, 0x2C}), 300.0},
      {"ui32", bytes({}), 0.0},  // a value, not nothing
      {"sp78", bytes({0x2D, 0x80}), 45.0},
      {"si8 ", bytes({0xff}), 255.0},  // signedness is not looked at
      {"{fds", bytes({}), std::nullopt},
      {"FLT ", bytes({0x00, 0x00, 0x34, 0x42}), 0.0},  // case-sensitive
      {"flt", bytes({0x00, 0x00, 0x34, 0x42}), 0.0},   // the space belongs to the name
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SMC::decode(c.type, c.value), c.expected) << "type '" << c.type << "'";
  }
  const auto nan = SMC::decode("flt ", bytes({0x00, 0x00, 0xc0, 0x7f}));
  ASSERT_TRUE(nan);
  EXPECT_TRUE(std::isnan(*nan));
}

// Bounds are exclusive; missing keys leave no placeholder; rows sharing a
// label stay separate.
TEST(SmcCatalogue, KeepsReadingsStrictlyBetweenFiveAndOneHundredThirtyInCatalogueOrder) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {R"(Tp01 "flt " = 5.0
          Tp05 "flt " = 5.5
          Tp09 "flt " = 129.5
          Tp0D "flt " = 130.0
          Tp0T "flt " 00 00 c0 7f   # NaN
          Te05 "flt " = -40
          Tg0f "ui8 " 00)",
       {"Tp05 P-core 5.5", "Tp09 P-core 129.5"}},
      {"TaLP \"flt \" = 31\nTp09 \"flt \" = 60\nTg0f !84\n", {"Tp09 P-core 60", "TaLP Ortam 31"}},
      {"Tg0f \"flt \" = 40\nTg0j \"flt \" = 40\n", {"Tg0f GPU 40", "Tg0j GPU 40"}},
  };
  for (const auto& [machine, expected] : cases) {
    SimulatedSmc client(MachineFile::parse(machine, "test"));
    SMC smc(client);
    ASSERT_TRUE(smc.open());
    std::vector<std::string> shown;
    for (const SMC::Temp& t : smc.temperatures()) {
      std::ostringstream row;
      row << t.key << " " << t.label << " " << t.celsius;
      shown.push_back(row.str());
    }
    EXPECT_EQ(shown, expected) << machine;
  }
}

}  // namespace
}  // namespace quimbo
