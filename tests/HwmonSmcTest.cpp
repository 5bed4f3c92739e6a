#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <map>

#include "monitor/WholeNumber.h"
#include "platform/linux/hwmon/AttributeFile.h"
#include "platform/linux/hwmon/HwmonSmc.h"
#include "platform/linux/hwmon/SensorMap.h"
#include "tests/HwmonFixtures.h"
#include "tests/MonitorHarness.h"
#include "tests/support/ManualRunLoop.h"

namespace quimbo {
namespace {

using namespace std::chrono_literals;
using testing::HwmonTree;

// What a Monitor publishes after its first pass over a fixture tree:
// "cpu/gpu/ssd/ambient max | fan rpm/min/max, ..." in whole numbers.
struct Published {
  bool available;
  std::string temperatures;
  std::string fans;
};

class HwmonMachine {
 public:
  explicit HwmonMachine(const HwmonTree& tree)
      : smc_(tree.root(), reports, [this] { return now_; }),
        mon_(Monitor::make({smc_, services_, runLoop_})) {}

  Published published() const {
    const TempSummary s = mon_->summary();
    std::string fans;
    for (const FanReading& f : mon_->fans()) {
      fans += (fans.empty() ? "" : ", ") + std::to_string(wholeNumber(f.rpm)) + "/" +
              std::to_string(wholeNumber(f.min)) + "/" + std::to_string(wholeNumber(f.max));
    }
    const auto whole = [](double v) { return std::to_string(wholeNumber(v)); };
    return {mon_->available(),
            whole(s.cpu) + "/" + whole(s.gpu) + "/" + whole(s.ssd) + "/" + whole(s.ambient) +
                " max " + whole(mon_->maxTemp()),
            fans};
  }
  // The next pass, `by` later.
  void pass(std::chrono::steady_clock::duration by = 2s) {
    now_ += by;
    mon_->poll();
  }

  testing::Reports reports;

 private:
  std::chrono::steady_clock::time_point now_{};
  HwmonSmc smc_;
  testing::RecordingServiceManager services_;
  ManualRunLoop runLoop_;
  std::shared_ptr<Monitor> mon_;
};

void intelLaptop(HwmonTree& tree) {
  tree.device(0, "acpitz").temp(1, 45000);
  tree.device(1, "coretemp")
      .temp(1, 62000, "Package id 0")
      .temp(2, 58000, "Core 0")
      .temp(3, 61000, "Core 1")
      .temp(4, 55000, "Core 2")
      .temp(5, 60000, "Core 3");
  tree.device(2, "thinkpad").temp(1, 63000).temp(2, 40000).fan(1, 2900);
  tree.device(3, "nvme").temp(1, 39850, "Composite").temp(2, 52850, "Sensor 1");
}

// Two NVMe drives: the SSD group reads the hotter, the second.
void amdDesktop(HwmonTree& tree) {
  tree.device(0, "nvme").temp(1, 41850, "Composite");
  tree.device(1, "k10temp").temp(1, 68500, "Tctl").temp(3, 64250, "Tccd1");
  tree.device(2, "amdgpu")
      .temp(1, 51000, "edge")
      .temp(2, 55000, "junction")
      .temp(3, 70000, "mem")
      .fan(1, 1200, 0, 3300);
  tree.device(3, "nct6798")
      .temp(1, 33000, "SYSTIN")
      .temp(2, 45500, "CPUTIN")
      .temp(3, 37000, "AUXTIN0")
      .fan(1, 820, 200)
      .fan(2, 1105)
      .fan(3, 0);
  tree.device(4, "nvme").temp(1, 47850, "Composite");
}

// Apple Silicon with more cores than the catalogue has keys, the sixth
// performance core the hottest, or else the fourth efficiency core.
void appleSilicon(HwmonTree& tree, int hottestEfficiencyCore) {
  tree.device(0, "macsmc_hwmon");
  int n = 1;
  for (const int celsius : {50, 51, 52, 53, 54, 71, 55, 56}) {
    tree.temp(n, celsius * 1000, "P-Core " + std::to_string(n - 1)), ++n;
  }
  for (const int celsius : {40, 41, 42, hottestEfficiencyCore}) {
    tree.temp(n, celsius * 1000, "E-Core " + std::to_string(n - 9)), ++n;
  }
  for (const int celsius : {44, 45, 49}) tree.temp(n++, celsius * 1000, "GPU");
  tree.temp(n++, 36000, "NAND");
  for (const int celsius : {29, 30, 33}) tree.temp(n++, celsius * 1000, "Ambient");
}

TEST(HwmonSmc, EachMachinePublishesWhatItMeasures) {
  struct Case {
    const char* machine;
    void (*build)(HwmonTree&);
    Published expected;
  };
  const Case cases[] = {
      {"Intel laptop", intelLaptop, {true, "63/0/39/45 max 63", "2900/0/0"}},
      {"AMD desktop",
       amdDesktop,
       {true, "68/55/47/37 max 68", "1200/0/3300, 820/200/0, 1105/0/0, 0/0/0"}},
      {"Intel Mac",
       [](HwmonTree& t) {
         t.device(0, "applesmc")
             .temp(1, 28000, "TA0P")
             .temp(2, 31000, "TB0T")
             .temp(3, 56000, "TC0D")
             .temp(4, 52000, "TC0P")
             .temp(5, 48000, "TG0P")
             .temp(6, 36000, "TH0P")
             .temp(7, 30000, "Ts0P")
             .fan(1, 2001, 2000, 6200)
             .write("fan1_label", "Left side")
             .fan(2, 1998, 2000, 6200);
       },
       {true, "56/48/36/30 max 56", "2001/2000/6200, 1998/2000/6200"}},
      {"single-board computer",
       [](HwmonTree& t) { t.device(0, "cpu_thermal").temp(1, 47236); },
       {true, "47/0/0/0 max 47", ""}},
      {"nothing", [](HwmonTree&) {}, {false, "0/0/0/0 max 0", ""}},
      // A role with more sensors than keys keeps its hottest.
      {"eight P-cores, the sixth hottest",
       [](HwmonTree& t) { appleSilicon(t, 43); },
       {true, "71/49/36/33 max 71", ""}},
      {"four E-cores, the last hottest",
       [](HwmonTree& t) { appleSilicon(t, 80); },
       {true, "80/49/36/33 max 80", ""}},
      {"two sockets of sixteen cores, the last core hottest, three drives",
       [](HwmonTree& t) {
         for (int socket = 0; socket < 2; ++socket) {
           t.device(socket, "coretemp");
           for (int core = 0; core < 16; ++core) {
             t.temp(core + 2, (60 + socket * 16 + core) * 1000, "Core " + std::to_string(core));
           }
           t.temp(1, 70000, "Package id " + std::to_string(socket));
         }
         t.device(2, "nvme").temp(1, 40000, "Composite");
         t.device(3, "nvme").temp(1, 41000, "Composite");
         t.device(4, "nvme").temp(1, 52000, "Composite");
       },
       {true, "91/0/52/0 max 91", ""}},
  };
  for (const Case& c : cases) {
    HwmonTree tree;
    c.build(tree);
    const Published p = HwmonMachine(tree).published();
    EXPECT_EQ(p.available, c.expected.available) << c.machine;
    EXPECT_EQ(p.temperatures, c.expected.temperatures) << c.machine;
    EXPECT_EQ(p.fans, c.expected.fans) << c.machine;
  }
}

TEST(HwmonSmc, AnUnpluggedDeviceDropsOutAndComesBackAfterTheRescan) {
  HwmonTree tree;
  amdDesktop(tree);
  HwmonMachine machine(tree);
  EXPECT_EQ(machine.published().temperatures, "68/55/47/37 max 68");

  std::filesystem::remove_all(tree.root() / "hwmon2");  // the GPU goes
  machine.pass();
  EXPECT_EQ(machine.published().temperatures, "68/0/47/37 max 68") << "at the very next pass";
  EXPECT_EQ(machine.published().fans, "0/0/0, 820/200/0, 1105/0/0, 0/0/0")
      << "its fan reads nothing";
  machine.pass(5s);
  EXPECT_EQ(machine.published().fans, "820/200/0, 1105/0/0, 0/0/0") << "the rescan drops it";

  tree.device(2, "amdgpu").temp(1, 52000, "edge").temp(2, 57000, "junction").fan(1, 1300, 0, 3300);
  machine.pass(1s);
  EXPECT_EQ(machine.published().temperatures, "68/0/47/37 max 68") << "no rescan yet";
  machine.pass(5s);
  EXPECT_EQ(machine.published().temperatures, "68/57/47/37 max 68");
  EXPECT_EQ(machine.published().fans, "1300/0/3300, 820/200/0, 1105/0/0, 0/0/0");

  // A device that goes and comes back between two rescans is read afresh.
  std::filesystem::remove_all(tree.root() / "hwmon1");
  machine.pass();
  tree.device(1, "k10temp").temp(1, 71000, "Tctl");
  machine.pass();
  machine.pass(5s);
  EXPECT_EQ(machine.published().temperatures, "71/57/47/37 max 71");
}

TEST(HwmonSmc, ContentsThatAreNotANumberReadNothing) {
  HwmonTree tree;
  tree.device(0, "coretemp").temp(1, 50000, "Package id 0").fan(1, 900, 500, 3000);
  HwmonMachine machine(tree);
  tree.write("temp1_input", "N/A").write("fan1_max", "");
  machine.pass();
  EXPECT_EQ(machine.published().temperatures, "0/0/0/0 max 0");
  EXPECT_EQ(machine.published().fans, "900/500/0");
}

// The soft limit on file descriptors, lowered for as long as this lives.
struct DescriptorLimit {
  rlimit saved{};
  DescriptorLimit() { ::getrlimit(RLIMIT_NOFILE, &saved); }
  ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &saved); }
  void set(rlim_t soft) const {
    const rlimit lowered{soft, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
  }
};

TEST(HwmonSmc, ShortOfDescriptorsEveryKeyReadsASensorAndNothingBlanks) {
  HwmonTree tree;
  tree.device(0, "acpitz");  // forty ambient sensors, the last the hottest
  for (int n = 1; n <= 40; ++n) tree.temp(n, n == 40 ? 50000 : 30000);
  tree.device(1, "coretemp").temp(1, 61000, "Package id 0");
  tree.device(2, "nvme").temp(1, 40000, "Composite");
  DescriptorLimit limit;
  limit.set(20);  // room for ten attribute files
  HwmonMachine machine(tree);
  EXPECT_EQ(machine.published().temperatures, "61/0/40/30 max 61") << "each key its first file";
  const std::vector<std::string> reported = {
      tree.root().string() +
      ": too few file descriptors to read every sensor: 32 of 42 files are left out"};
  EXPECT_EQ(machine.reports.lines, reported);

  const int lowestFree = ::dup(STDIN_FILENO);
  ::close(lowestFree);
  limit.set(static_cast<rlim_t>(lowestFree));  // none left: the rescan cannot list the tree
  machine.pass(5s);
  EXPECT_EQ(machine.published().temperatures, "61/0/40/30 max 61") << "the open sensors stay";
  limit.set(limit.saved.rlim_cur);
  machine.pass(5s);
  EXPECT_EQ(machine.published().temperatures, "61/0/40/50 max 61") << "every sensor, at last";
  EXPECT_EQ(machine.reports.lines, reported) << "reported once";
}

TEST(SensorMap, AChipsEarlierRuleComesBeforeDeviceOrder) {
  // Two sockets whose packages are listed after their cores: both packages
  // come first, then the cores in device order, dealt over the five keys.
  std::vector<hwmon::Device> devices(2);
  for (int socket = 0; socket < 2; ++socket) {
    hwmon::Device& device = devices[static_cast<std::size_t>(socket)];
    device.name = "coretemp";
    const std::string id = "s" + std::to_string(socket);
    device.temperatures = {{1, "Core 0", id + "c0", {}, {}},
                           {2, "Core 1", id + "c1", {}, {}},
                           {3, "Package id " + std::to_string(socket), id + "p", {}, {}}};
  }
  std::map<std::string, std::vector<std::string>> keys;
  for (const auto& [key, source] : hwmon::mapSensors(devices).keys) keys[key] = source.paths;
  const std::map<std::string, std::vector<std::string>> expected = {
      {"Tp01", {"s0p", "s1c1"}}, {"Tp05", {"s1p"}},  {"Tp09", {"s0c0"}},
      {"Tp0D", {"s0c1"}},        {"Tp0T", {"s1c0"}},
  };
  EXPECT_EQ(keys, expected);
}

// Beside the FIFOs, devices and loops of links of tests/e2e/files.sh.
TEST(HwmonSmc, FilesThatAreNoShortRegularFilesLeaveOutTheirSensor) {
  HwmonTree tree;
  tree.device(0, "cpu_thermal")  // every sensor of this chip is a CPU sensor
      .temp(1, 61500)
      .temp(2, 90000)
      .folder("temp2_label")
      .temp(3, 91000, std::string(300, 'x'))
      .folder("temp4_input")
      .fan(1, 1500);
  tree.device(1, "cpu_thermal").link("name", "/dev/zero").temp(1, 95000).fan(1, 3000);

  HwmonMachine machine(tree);
  const Published first = machine.published();
  EXPECT_EQ(first.temperatures, "61/0/0/0 max 61");
  EXPECT_EQ(first.fans, "1500/0/0");
  machine.pass(5s);  // a rescan, with the files that failed opened again
  EXPECT_EQ(machine.published().temperatures, first.temperatures);
}

TEST(HwmonAttribute, ParsesWhatSysfsWrites) {
  EXPECT_EQ(hwmon::parseAttribute("45000\n"), 45000);
  EXPECT_EQ(hwmon::parseAttribute("-273150\n"), -273150);
  EXPECT_EQ(hwmon::parseAttribute("+12"), 12);
  EXPECT_EQ(hwmon::parseAttribute("0"), 0);
  for (const char* bad : {"", "\n", "N/A", "12a", "1.5", " 12", "99999999999999999999", "--1"}) {
    EXPECT_FALSE(hwmon::parseAttribute(bad)) << "'" << bad << "'";
  }
}

}  // namespace
}  // namespace quimbo
