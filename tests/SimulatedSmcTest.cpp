#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>

#include "platform/simulated/SimulatedSmc.h"
#include "tests/MonitorHarness.h"
#include "tests/TemporaryFolder.h"
#include "tests/UserClientRoutes.h"

namespace quimbo {
namespace {

using namespace std::chrono_literals;
using testing::RecordingServiceManager;
using testing::Reports;
using testing::Routed;

// Every case runs over each route to the simulated SMC.
class SimulatedSmcTest : public ::testing::TestWithParam<testing::Route> {};

const std::string kShippedMachine =
    std::string(QUIMBO_SOURCE_DIR) + "/machines/apple-silicon-laptop.machine";

SMC::Param fromHex(const std::string& hex) {
  SMC::Param record;
  auto* bytes = reinterpret_cast<unsigned char*>(&record);
  for (std::size_t i = 0; i < sizeof record; ++i) {
    bytes[i] = static_cast<unsigned char>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
  }
  return record;
}

TEST_P(SimulatedSmcTest, TracesEveryExchangeAsKeyInfoThenReadBytes) {
  const testing::TemporaryFolder folder("trace");
  const auto tracePath = folder / "trace";
  {
    Reports reports;
    SimulatedSmc smc(MachineFile::load(kShippedMachine), TraceFile(tracePath.string(), reports));
    Routed route(GetParam(), smc);
    RecordingServiceManager services;
    ManualRunLoop runLoop;
    Monitor::make({route.client(), services, runLoop});
  }
  // Each line: milliseconds, the selector, the request, the status, the response.
  const std::regex format("[0-9]+ 2 ([0-9a-f]{160}) 0 ([0-9a-f]{160})");
  std::vector<SMC::Param> requests;
  std::ifstream trace(tracePath);
  for (std::string text; std::getline(trace, text);) {
    std::smatch fields;
    ASSERT_TRUE(std::regex_match(text, fields, format)) << text;
    requests.push_back(fromHex(fields[1]));
    EXPECT_EQ(fromHex(fields[2]).result, 0) << text;
  }
  EXPECT_EQ(std::filesystem::status(tracePath).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
      << "the trace is its owner's";

  ASSERT_EQ(requests.size(), 2 * (12 + 3 * 2)) << "one pass, every key readable, two fans";
  for (std::size_t i = 0; i < requests.size(); ++i) {
    EXPECT_EQ(requests[i].command, i % 2 == 0 ? 9 : 5) << "exchange " << i;
    EXPECT_EQ(requests[i].key, requests[i - i % 2].key) << "a pair reads one key";
  }
  EXPECT_EQ(requests[0].key, SMC::fourCC("FNum"));
  EXPECT_EQ(requests[2].key, SMC::fourCC("F0Ac"));
  EXPECT_EQ(requests.back().key, SMC::fourCC("Ts0S"));
}

TEST_P(SimulatedSmcTest, TakesARewrittenMachineFileOnceItStandsStillAndReportsRefusalsOnce) {
  const testing::TemporaryFolder folder("rewritten");
  const auto path = folder / "rewritten.machine";
  const auto rewrite = [&](const std::string& text) { std::ofstream(path) << text; };  // in place
  rewrite("FNum \"ui8 \" 01\nF0Ac \"flt \" = 1840\n");
  Reports reports;
  std::chrono::steady_clock::time_point now{};
  SimulatedSmc smc =
      SimulatedSmc::watching(path.string(), reports, std::nullopt, [&] { return now; });
  Routed route(GetParam(), smc);
  SMC reader(route.client());
  ASSERT_TRUE(reader.open());
  EXPECT_EQ(reader.number("F0Ac"), 1840);

  rewrite("FNum \"ui8 \" 01\nF0Ac \"flt \" = 2500.5\n");
  std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - 1s);
  now += 400ms;
  EXPECT_EQ(reader.number("F0Ac"), 1840) << "not looked at yet";
  now += 100ms;
  EXPECT_EQ(reader.number("F0Ac"), 2500.5) << "written a second ago: taken at once";

  // A look before each read below. A version written just now is taken,
  // or refused and reported, once a look finds it unchanged.
  const std::string refused = path.string() + ":2: the type \"flt\" is not exactly four characters";
  const std::string kept = "; the machine stays as it was";
  const std::string missing = path.string() + ": cannot be opened: No such file or directory";
  struct Step {
    const char* what;
    std::function<void()> change;
    double value;
    std::vector<std::string> reported;
  };
  const auto same = [] {};
  const auto to = [&](const char* text) { return [&, text] { rewrite(text); }; };
  // Written aside and renamed over it: complete once it appears.
  const auto replacedBy = [&](const char* text) {
    return [&, text] {
      std::ofstream(path.string() + ".new") << text;
      std::filesystem::rename(path.string() + ".new", path);
    };
  };
  const auto removedAndBegun = [&] {
    std::filesystem::remove(path);
    rewrite("FNum \"ui8 \" 01\n");
  };
  const auto goesOn = [&] { std::ofstream(path, std::ios::app) << "F0Ac \"flt \" = 7000\n"; };
  const Step steps[] = {
      {"being written", to("FNum \"ui8 \" 01\n"), 2500.5, {}},
      {"still being written", to("FNum \"ui8 \" 01\nF0Ac \"flt \" = 3000\n"), 2500.5, {}},
      {"unchanged since the last look", same, 3000, {}},
      {"a rewrite that does not parse", to("FNum \"ui8 \" 01\nF0Ac \"flt\" = 1\n"), 3000, {}},
      {"the same version at the next look", same, 3000, {refused + kept}},
      {"and at the ones after", same, 3000, {}},
      {"gone", [&] { std::filesystem::remove(path); }, 3000, {}},
      {"still gone", same, 3000, {missing + kept}},
      // Replaced more often than it can stand still at the path: each file
      // stood still from the moment it appeared.
      {"replaced", replacedBy("FNum \"ui8 \" 01\nF0Ac \"flt \" = 4000\n"), 3000, {}},
      {"replaced again", replacedBy("FNum \"ui8 \" 01\nF0Ac \"flt \" = 5000\n"), 4000, {}},
      {"and again", replacedBy("FNum \"ui8 \" 01\nF0Ac \"flt \" = 6000\n"), 5000, {}},
      // A new file, though, may still be written in place.
      {"removed and begun anew", removedAndBegun, 6000, {}},
      {"and written on", goesOn, 6000, {}},
      {"until it stands still", same, 7000, {}},
  };
  for (const Step& step : steps) {
    step.change();
    reports.lines.clear();
    now += SimulatedSmc::kLookInterval;
    EXPECT_EQ(reader.number("F0Ac"), step.value) << step.what;
    EXPECT_EQ(reports.lines, step.reported) << step.what;
  }
}

TEST_P(SimulatedSmcTest, RefusesWhatTheSmcDoesNotOffer) {
  SimulatedSmc simulated(MachineFile::parse("FNum \"ui8 \" 01\n", "m"));
  Routed route(GetParam(), simulated);
  UserClient& smc = route.client();
  SMC::Param request{}, response{};
  request.key = SMC::fourCC("FNum");
  const auto call = [&](UserClient::Connection connection, std::uint32_t selector,
                        std::uint8_t command, std::size_t size = sizeof request) {
    request.command = command;
    std::size_t out = sizeof response;
    return smc.callStructMethod(connection, selector, &request, size, &response, &out);
  };
  EXPECT_NE(call(SimulatedSmc::kConnection, 2, 9), 0) << "not open yet";

  UserClient::Connection connection = 0;
  EXPECT_EQ(smc.getMatchingService(smc.serviceMatching("IOUSBHostDevice")), 0u);
  const auto service = smc.getMatchingService(smc.serviceMatching("AppleSMC"));
  EXPECT_NE(smc.serviceOpen(service, smc.ownTask(), 1, &connection), 0) << "type 1";
  ASSERT_EQ(smc.serviceOpen(service, smc.ownTask(), 0, &connection), 0);
  for (std::uint8_t command : {0, 6, 8, 10, 17}) {  // 6 would write a key
    EXPECT_NE(call(connection, 2, command), 0) << "command " << int(command);
  }
  EXPECT_NE(call(connection, 3, 9), 0) << "selector";
  EXPECT_NE(call(connection, 2, 9, 79), 0) << "size";
  EXPECT_EQ(call(connection, 2, 9), 0);
  EXPECT_EQ(response.keyInfo.dataSize, 1u);
  request.key = SMC::fourCC("Tp01");
  EXPECT_EQ(call(connection, 2, 9), 0);
  EXPECT_EQ(response.result, SimulatedSmc::kKeyNotFound);
  EXPECT_EQ(smc.objectRelease(service), 0);
}

INSTANTIATE_TEST_SUITE_P(UserClients, SimulatedSmcTest, ::testing::ValuesIn(testing::routes()),
                         testing::routeName);

}  // namespace
}  // namespace quimbo
