#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "monitor/WholeNumber.h"
#include "platform/simulated/SimulatedSmc.h"
#include "tests/MonitorHarness.h"
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

TEST_P(SimulatedSmcTest, AMonitorOverTheShippedLaptopReadsEverything) {
  SimulatedSmc smc(MachineFile::load(kShippedMachine));
  Routed route(GetParam(), smc);
  RecordingServiceManager services;
  ManualRunLoop runLoop;
  const auto mon = Monitor::make({route.client(), services, runLoop});
  ASSERT_TRUE(mon->available());
  ASSERT_EQ(mon->fans().size(), 2u);
  EXPECT_EQ(mon->fans()[0].rpm, 1840);
  EXPECT_EQ(wholeNumber(mon->fans()[0].max), 5779);
  EXPECT_EQ(mon->topRPM(), 2010);
  EXPECT_EQ(wholeNumber(mon->maxTemp()), 57);
  const TempSummary s = mon->summary();
  EXPECT_EQ(wholeNumber(s.gpu), 48);
  EXPECT_EQ(wholeNumber(s.ssd), 38);
  EXPECT_EQ(wholeNumber(s.ambient), 31);
  runLoop.advance(4s);
  EXPECT_EQ(mon->topRPM(), 2010);
}

TEST_P(SimulatedSmcTest, TracesEveryExchangeAsKeyInfoThenReadBytes) {
  const auto tracePath =
      std::filesystem::temp_directory_path() / ("quimbo-trace-" + std::to_string(::getpid()));
  std::filesystem::remove(tracePath);
  {
    Reports reports;
    SimulatedSmc smc(MachineFile::load(kShippedMachine), TraceFile(tracePath.string(), reports));
    Routed route(GetParam(), smc);
    RecordingServiceManager services;
    ManualRunLoop runLoop;
    Monitor::make({route.client(), services, runLoop});
  }
  struct Line {
    long long ms = -1;
    unsigned selector = 0;
    std::string request;
    int status = -1;
    std::string response;
  };
  std::vector<Line> lines;
  std::ifstream trace(tracePath);
  for (std::string text; std::getline(trace, text);) {
    std::istringstream fields(text);
    Line line;
    fields >> line.ms >> line.selector >> line.request >> line.status >> line.response;
    ASSERT_TRUE(fields && fields.eof()) << text;
    lines.push_back(line);
  }
  EXPECT_EQ(std::filesystem::status(tracePath).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
      << "the trace is its owner's";
  std::filesystem::remove(tracePath);

  constexpr std::size_t kFans = 2;
  ASSERT_EQ(lines.size(), 2 * (12 + 3 * kFans)) << "one pass, every key readable";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    EXPECT_GE(line.ms, 0);
    EXPECT_EQ(line.selector, 2u);
    EXPECT_EQ(line.status, 0);
    ASSERT_EQ(line.request.size(), 160u);
    ASSERT_EQ(line.response.size(), 160u);
    EXPECT_EQ((line.request + line.response).find_first_not_of("0123456789abcdef"),
              std::string::npos);
    const SMC::Param request = fromHex(line.request);
    EXPECT_EQ(request.command, i % 2 == 0 ? 9 : 5) << "exchange " << i;
    EXPECT_EQ(fromHex(line.response).result, 0);
    if (i % 2 == 1) {
      EXPECT_EQ(request.key, fromHex(lines[i - 1].request).key) << "a pair reads one key";
    }
  }
  EXPECT_EQ(fromHex(lines[0].request).key, SMC::fourCC("FNum"));
  EXPECT_EQ(fromHex(lines[2].request).key, SMC::fourCC("F0Ac"));
  EXPECT_EQ(fromHex(lines.back().request).key, SMC::fourCC("Ts0S"));
}

TEST_P(SimulatedSmcTest, TakesARewrittenMachineFileOnceItStandsStillAndReportsRefusalsOnce) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("quimbo-rewritten-" + std::to_string(::getpid()) + ".machine");
  const auto rewrite = [&](const std::string& text) {
    std::filesystem::remove(path);
    std::ofstream(path) << text;
  };
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
  struct Step {
    const char* what;
    std::function<void()> change;
    double value;
    std::vector<std::string> reported;
  };
  const auto same = [] {};
  const auto to = [&](const char* text) { return [&, text] { rewrite(text); }; };
  const Step steps[] = {
      {"being written", to("FNum \"ui8 \" 01\n"), 2500.5, {}},
      {"still being written", to("FNum \"ui8 \" 01\nF0Ac \"flt \" = 3000\n"), 2500.5, {}},
      {"unchanged since the last look", same, 3000, {}},
      {"a rewrite that does not parse", to("FNum \"ui8 \" 01\nF0Ac \"flt\" = 1\n"), 3000, {}},
      {"the same version at the next look", same, 3000, {refused + kept}},
      {"and at the ones after", same, 3000, {}},
      {"a FIFO in its place",
       [&] {
         std::filesystem::remove(path);
         ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
       },
       3000,
       {}},
      {"still a FIFO", same, 3000, {path.string() + ": is not a regular file" + kept}},
      {"gone", [&] { std::filesystem::remove(path); }, 3000, {}},
      {"still gone",
       same,
       3000,
       {path.string() + ": cannot be opened: No such file or directory" + kept}},
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
  std::size_t size = sizeof response;
  EXPECT_NE(smc.callStructMethod(SimulatedSmc::kConnection, 2, &request, 80, &response, &size), 0)
      << "not open yet";

  UserClient::Connection connection = 0;
  EXPECT_EQ(smc.getMatchingService(smc.serviceMatching("IOUSBHostDevice")), 0u);
  const auto service = smc.getMatchingService(smc.serviceMatching("AppleSMC"));
  EXPECT_NE(smc.serviceOpen(service, smc.ownTask(), 1, &connection), 0) << "type 1";
  ASSERT_EQ(smc.serviceOpen(service, smc.ownTask(), 0, &connection), 0);

  request.key = SMC::fourCC("FNum");
  for (std::uint8_t command : {0, 6, 8, 10, 17}) {  // 6 would write a key
    request.command = command;
    EXPECT_NE(smc.callStructMethod(connection, 2, &request, 80, &response, &size), 0)
        << "command " << int(command);
  }
  request.command = 9;
  EXPECT_NE(smc.callStructMethod(connection, 3, &request, 80, &response, &size), 0) << "selector";
  EXPECT_NE(smc.callStructMethod(connection, 2, &request, 79, &response, &size), 0) << "size";
  EXPECT_EQ(smc.callStructMethod(connection, 2, &request, 80, &response, &size), 0);
  EXPECT_EQ(response.keyInfo.dataSize, 1u);
  request.key = SMC::fourCC("Tp01");
  EXPECT_EQ(smc.callStructMethod(connection, 2, &request, 80, &response, &size), 0);
  EXPECT_EQ(response.result, SimulatedSmc::kKeyNotFound);
  EXPECT_EQ(smc.objectRelease(service), 0);
}

INSTANTIATE_TEST_SUITE_P(UserClients, SimulatedSmcTest, ::testing::ValuesIn(testing::routes()),
                         testing::routeName);

}  // namespace
}  // namespace quimbo
