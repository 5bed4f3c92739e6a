#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/linux/hwmon/AttributeFile.h"
#include "platform/linux/hwmon/HwmonSmc.h"
#include "platform/linux/hwmon/SensorMap.h"
#include "tests/MonitorHarness.h"
#include "tests/support/ManualRunLoop.h"

namespace quimbo {
namespace {

using namespace std::chrono_literals;

// A hwmon class folder in a temporary directory, laid out as the kernel
// documents it: hwmonN/name, tempN_input (millidegrees), tempN_label,
// fanN_input, fanN_min, fanN_max (rpm).
class HwmonTree {
 public:
  HwmonTree() {
    root_ = std::filesystem::temp_directory_path() /
            ("quimbo-hwmon-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  ~HwmonTree() { std::filesystem::remove_all(root_); }
  HwmonTree(const HwmonTree&) = delete;
  HwmonTree& operator=(const HwmonTree&) = delete;

  const std::filesystem::path& root() const { return root_; }

  // Adds hwmonN with the chip name; later calls fill it.
  HwmonTree& device(int n, const std::string& name) {
    current_ = root_ / ("hwmon" + std::to_string(n));
    std::filesystem::create_directories(current_);
    write("name", name);
    return *this;
  }
  HwmonTree& temp(int n, long millidegrees, const std::string& label = "") {
    write("temp" + std::to_string(n) + "_input", std::to_string(millidegrees));
    if (!label.empty()) write("temp" + std::to_string(n) + "_label", label);
    return *this;
  }
  HwmonTree& fan(int n, long rpm, long min = -1, long max = -1) {
    write("fan" + std::to_string(n) + "_input", std::to_string(rpm));
    if (min >= 0) write("fan" + std::to_string(n) + "_min", std::to_string(min));
    if (max >= 0) write("fan" + std::to_string(n) + "_max", std::to_string(max));
    return *this;
  }
  HwmonTree& write(const std::string& file, const std::string& contents) {
    std::ofstream(current_ / file) << contents << '\n';
    return *this;
  }
  // What else may stand where a file is expected, in place of the file.
  HwmonTree& link(const std::string& file, const std::filesystem::path& target) {
    std::filesystem::remove(current_ / file);
    std::filesystem::create_symlink(target, current_ / file);
    return *this;
  }
  HwmonTree& folder(const std::string& file) {
    std::filesystem::remove(current_ / file);
    std::filesystem::create_directories(current_ / file);
    return *this;
  }

 private:
  std::filesystem::path root_;
  std::filesystem::path current_;
};

class HwmonMachine {
 public:
  explicit HwmonMachine(const HwmonTree& tree)
      : smc_(tree.root(), reports, [this] { return now_; }),
        mon_(Monitor::make({smc_, services_, runLoop_})) {}

  std::string published() const { return testing::published(*mon_); }
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
  tree.device(1, "coretemp").temp(1, 62000, "Package id 0").temp(2, 58000, "Core 0");
  tree.temp(3, 61000, "Core 1").temp(4, 55000, "Core 2").temp(5, 60000, "Core 3");
  tree.device(2, "thinkpad").temp(1, 63000).temp(2, 40000).fan(1, 2900);
  tree.device(3, "nvme").temp(1, 39850, "Composite").temp(2, 52850, "Sensor 1");
}

// Two NVMe drives: the SSD group reads the hotter, the second.
void amdDesktop(HwmonTree& tree) {
  tree.device(0, "nvme").temp(1, 41850, "Composite");
  tree.device(1, "k10temp").temp(1, 68500, "Tctl").temp(3, 64250, "Tccd1");
  tree.device(2, "amdgpu").temp(1, 51000, "edge").temp(2, 55000, "junction");
  tree.temp(3, 70000, "mem").fan(1, 1200, 0, 3300);
  tree.device(3, "nct6798").temp(1, 33000, "SYSTIN").temp(2, 45500, "CPUTIN");
  tree.temp(3, 37000, "AUXTIN0").fan(1, 820, 200).fan(2, 1105).fan(3, 0);
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
    const char* published;
  };
  const Case cases[] = {
      {"Intel laptop", intelLaptop, "63/0/39/45 max 63 | 2900/0/0"},
      {"AMD desktop", amdDesktop, "68/55/47/37 max 68 | 1200/0/3300 820/200/0 1105/0/0 0/0/0"},
      {"Intel Mac",
       [](HwmonTree& t) {
         t.device(0, "applesmc").temp(1, 28000, "TA0P").temp(2, 31000, "TB0T");
         t.temp(3, 56000, "TC0D").temp(4, 52000, "TC0P").temp(5, 48000, "TG0P");
         t.temp(6, 36000, "TH0P").temp(7, 30000, "Ts0P").fan(1, 2001, 2000, 6200);
         t.write("fan1_label", "Left side").fan(2, 1998, 2000, 6200);
       },
       "56/48/36/30 max 56 | 2001/2000/6200 1998/2000/6200"},
      {"nothing", [](HwmonTree&) {}, "unavailable"},
      // A role with more sensors than keys keeps its hottest.
      {"eight P-cores, the sixth hottest", [](HwmonTree& t) { appleSilicon(t, 43); },
       "71/49/36/33 max 71 |"},
      {"four E-cores, the last hottest", [](HwmonTree& t) { appleSilicon(t, 80); },
       "80/49/36/33 max 80 |"},
  };
  for (const Case& c : cases) {
    HwmonTree tree;
    c.build(tree);
    EXPECT_EQ(HwmonMachine(tree).published(), c.published) << c.machine;
  }
}

TEST(HwmonSmc, AnUnpluggedDeviceDropsOutAndComesBackAfterTheRescan) {
  HwmonTree tree;
  amdDesktop(tree);
  HwmonMachine machine(tree);
  std::filesystem::remove_all(tree.root() / "hwmon2");  // the GPU goes
  machine.pass();
  EXPECT_EQ(machine.published(), "68/0/47/37 max 68 | 0/0/0 820/200/0 1105/0/0 0/0/0")
      << "at the very next pass: its fan reads nothing";
  machine.pass(5s);
  EXPECT_EQ(machine.published(), "68/0/47/37 max 68 | 820/200/0 1105/0/0 0/0/0")
      << "the rescan drops it";

  tree.device(2, "amdgpu").temp(1, 52000, "edge").temp(2, 57000, "junction").fan(1, 1300, 0, 3300);
  machine.pass(1s);
  EXPECT_EQ(machine.published(), "68/0/47/37 max 68 | 820/200/0 1105/0/0 0/0/0") << "no rescan yet";
  machine.pass(5s);
  EXPECT_EQ(machine.published(), "68/57/47/37 max 68 | 1300/0/3300 820/200/0 1105/0/0 0/0/0");

  // A device that goes and comes back between two rescans is read afresh.
  std::filesystem::remove_all(tree.root() / "hwmon1");
  machine.pass();
  tree.device(1, "k10temp").temp(1, 71000, "Tctl");
  machine.pass();
  machine.pass(5s);
  EXPECT_EQ(machine.published(), "71/57/47/37 max 71 | 1300/0/3300 820/200/0 1105/0/0 0/0/0");
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
  EXPECT_EQ(machine.published(), "61/0/40/30 max 61 |") << "each key its first file";
  const std::vector<std::string> reported = {
      tree.root().string() +
      ": too few file descriptors to read every sensor: 32 of 42 files are left out"};
  EXPECT_EQ(machine.reports.lines, reported);

  const int lowestFree = ::dup(STDIN_FILENO);
  ::close(lowestFree);
  limit.set(static_cast<rlim_t>(lowestFree));  // none left: the rescan cannot list the tree
  machine.pass(5s);
  EXPECT_EQ(machine.published(), "61/0/40/30 max 61 |") << "the open sensors stay";
  limit.set(limit.saved.rlim_cur);
  machine.pass(5s);
  EXPECT_EQ(machine.published(), "61/0/40/50 max 61 |") << "every sensor, at last";
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
  EXPECT_EQ(machine.published(), "61/0/0/0 max 61 | 1500/0/0");
  machine.pass(5s);  // a rescan, with the files that failed opened again
  EXPECT_EQ(machine.published(), "61/0/0/0 max 61 | 1500/0/0");
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
