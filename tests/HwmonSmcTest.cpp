#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "platform/linux/hwmon/AttributeFile.h"
#include "platform/linux/hwmon/HwmonSmc.h"
#include "platform/linux/hwmon/SensorMap.h"
#include "tests/MonitorHarness.h"
#include "tests/TemporaryFolder.h"
#include "tests/support/ManualRunLoop.h"

namespace quimbo {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A sysfs tree in a temporary directory, laid out as the kernel lays it out:
// class/hwmon/hwmonN are links to devices/PARENT/hwmon/hwmonN (a device
// without a parent: devices/virtual/hwmon/hwmonN), whose `device` links back
// to the parent device, beside the kernel's own `power/`, `subsystem` and
// `uevent`. Attributes: tempN_input (millidegrees), tempN_label, fanN_input,
// fanN_min, fanN_max (rpm); in hwmonN/, or in device/ where the driver put
// them there.
class HwmonTree {
 public:
  HwmonTree() { fs::create_directories(root()); }

  // The class folder, QUIMBO_HWMON_ROOT.
  fs::path root() const { return top_ / "class" / "hwmon"; }

  // Adds hwmonN under the parent device ("" for none); later calls fill it.
  HwmonTree& hwmon(int n, const std::string& parent) {
    const std::string name = "hwmon" + std::to_string(n);
    const fs::path device = top_ / "devices" / (parent.empty() ? "virtual" : parent);
    current_ = device / "hwmon" / name;
    fs::create_directories(current_ / "power");
    write("uevent", "");
    fs::create_directory_symlink(fs::relative(root(), current_), current_ / "subsystem");
    fs::create_directory_symlink(fs::relative(current_, root()), root() / name);
    if (!parent.empty()) {
      fs::create_directories(device / "power");
      write("device/uevent", "");
      fs::create_directory_symlink(fs::relative(device, current_), current_ / "device");
    }
    return *this;
  }
  // hwmonN of the chip, without a parent device.
  HwmonTree& device(int n, const std::string& name) { return hwmon(n, "").write("name", name); }
  // hwmonN gone, with the device it was of.
  void remove(int n) {
    const fs::path link = root() / ("hwmon" + std::to_string(n));
    const fs::path hwmon = fs::canonical(link);
    fs::remove(link);
    fs::remove_all(fs::exists(hwmon / "device") ? fs::canonical(hwmon / "device") : hwmon);
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
  // A file of hwmonN, or through "device/" one of its parent's.
  HwmonTree& write(const std::string& file, const std::string& contents) {
    std::ofstream(current_ / file) << contents << '\n';
    return *this;
  }
  // What else may stand where a file is expected, in place of the file: a
  // link to `target`, or without one a folder.
  HwmonTree& instead(const std::string& file, const fs::path& target = {}) {
    fs::remove(current_ / file);
    if (target.empty()) {
      fs::create_directory(current_ / file);
    } else {
      fs::create_symlink(target, current_ / file);
    }
    return *this;
  }

 private:
  const testing::TemporaryFolder top_{"hwmon"};
  fs::path current_;
};

class HwmonMachine {
 public:
  explicit HwmonMachine(const HwmonTree& tree)
      : smc_(tree.root(), reports, [this] { return now_; }),
        mon_(Monitor::make({smc_, services_, runLoop_})) {}

  std::string published() const { return testing::published(*mon_); }
  // As published(), with the temperatures as read, fractions and all, and
  // "-" for a group without a reading.
  std::string readings() const {
    if (!mon_->available()) return "unavailable";
    const auto celsius = [](double value) {
      return value == 0 ? std::string("-") : (std::ostringstream() << value).str();
    };
    const TempSummary s = mon_->summary();
    std::string text = celsius(s.cpu) + "/" + celsius(s.gpu) + "/" + celsius(s.ssd) + "/" +
                       celsius(s.ambient) + " max " + celsius(mon_->maxTemp()) + " |";
    const std::string whole = published();
    return text + whole.substr(whole.find('|') + 1);
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

// Builds the tree a fixture describes and gives what it expects. A fixture
// is lines of:
//   hwmon N PARENT [NAME]    hwmonN of the parent device (under devices/;
//                            "-" for none), and its name; the next lines fill it
//   FILE TEXT                a file of hwmonN, or "device/FILE" of its parent
//   tempN VALUE [LABEL]      tempN_input, and tempN_label when given (also
//                            "device/tempN", as FILE)
//   fanN INPUT [MIN [MAX]]   fanN_input, and fanN_min, fanN_max; "-" for none
//   expect TEXT              what HwmonMachine::readings() gives
// where a sensor's line may end in KEY=VALUE words, each the file tempN_KEY
// or fanN_KEY; and comments (#) and blank lines.
std::string buildFixture(const fs::path& file, HwmonTree& tree) {
  std::ifstream in(file);
  std::string line, expected;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string first, second, rest;
    words >> first >> second >> std::ws;
    std::getline(words, rest);
    if (first.empty() || first.starts_with('#')) continue;
    static const std::regex shorthand("(.*/)?(temp|fan)[0-9]+"), attribute(" ?(\\w+)=(\\S+)$");
    std::smatch kind, more;
    const bool sensor = std::regex_match(first, kind, shorthand);
    if (first == "expect") {
      expected = second + (rest.empty() ? "" : " " + rest);
    } else if (first == "hwmon") {
      std::istringstream parent(rest);
      std::string folder, name;
      parent >> folder >> name;
      tree.hwmon(std::stoi(second), folder == "-" ? "" : folder);
      if (!name.empty()) tree.write("name", name);
    } else if (sensor) {
      for (; std::regex_search(rest, more, attribute); rest.erase(more.position()))
        tree.write(first + "_" + more.str(1), more.str(2));
      tree.write(first + "_input", second);
      std::istringstream range(rest);
      if (kind[2] == "temp" && !rest.empty()) tree.write(first + "_label", rest);
      for (const char* suffix : {"_min", "_max"}) {
        std::string value;
        if (kind[2] == "fan" && range >> value && value != "-") tree.write(first + suffix, value);
      }
    } else {
      tree.write(first, second + (rest.empty() ? "" : " " + rest));
    }
  }
  return expected;
}

// Every machine of tests/fixtures/hwmon, read as the panel and the exporter
// read it: at the first pass, and after a rescan.
TEST(HwmonSmc, EachMachinePublishesWhatItMeasures) {
  const fs::path folder = fs::path(QUIMBO_SOURCE_DIR) / "tests" / "fixtures" / "hwmon";
  int machines = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    HwmonTree tree;
    const std::string expected = buildFixture(entry.path(), tree);
    ASSERT_FALSE(expected.empty()) << entry.path() << " expects nothing";
    HwmonMachine machine(tree);
    EXPECT_EQ(machine.readings(), expected) << entry.path().filename();
    machine.pass(5s);
    EXPECT_EQ(machine.readings(), expected) << entry.path().filename() << ", rescanned";
    ++machines;
  }
  EXPECT_GE(machines, 10);
}

TEST(HwmonSmc, AnUnpluggedDeviceDropsOutAndComesBackAfterTheRescan) {
  // Two NVMe drives: the SSD group reads the hotter, the second.
  HwmonTree tree;
  tree.device(0, "nvme").temp(1, 41850, "Composite");
  tree.device(1, "k10temp").temp(1, 68500, "Tctl").temp(3, 64250, "Tccd1");
  tree.device(2, "amdgpu").temp(1, 51000, "edge").temp(2, 55000, "junction");
  tree.temp(3, 70000, "mem").fan(1, 1200, 0, 3300);
  tree.device(3, "nct6798").temp(1, 33000, "SYSTIN").temp(2, 45500, "CPUTIN");
  tree.temp(3, 37000, "AUXTIN0").fan(1, 820, 200).fan(2, 1105).fan(3, 0);
  tree.device(4, "nvme").temp(1, 47850, "Composite");
  HwmonMachine machine(tree);
  tree.remove(2);  // the GPU goes
  machine.pass();
  EXPECT_EQ(machine.published(), "68/0/47/0 max 68 | 0/0/0 820/200/0 1105/0/0 0/0/0")
      << "at the very next pass: its fan reads nothing";
  machine.pass(5s);
  EXPECT_EQ(machine.published(), "68/0/47/0 max 68 | 820/200/0 1105/0/0 0/0/0")
      << "the rescan drops it";

  tree.device(2, "amdgpu").temp(1, 52000, "edge").temp(2, 57000, "junction").fan(1, 1300, 0, 3300);
  machine.pass(1s);
  EXPECT_EQ(machine.published(), "68/0/47/0 max 68 | 820/200/0 1105/0/0 0/0/0") << "no rescan yet";
  machine.pass(5s);
  EXPECT_EQ(machine.published(), "68/57/47/0 max 68 | 1300/0/3300 820/200/0 1105/0/0 0/0/0");

  // A device that goes and comes back with the same files between two
  // rescans: the plan is the same, the open files are dead, and are opened
  // afresh.
  tree.remove(1);
  tree.device(1, "k10temp").temp(1, 71000, "Tctl").temp(3, 66000, "Tccd1");
  machine.pass(5s);
  machine.pass(5s);
  EXPECT_EQ(machine.published(), "71/57/47/0 max 71 | 1300/0/3300 820/200/0 1105/0/0 0/0/0");
}

// The soft limit on file descriptors, lowered for as long as this lives.
struct DescriptorLimit {
  rlimit saved{};
  DescriptorLimit() { ::getrlimit(RLIMIT_NOFILE, &saved); }
  ~DescriptorLimit() { set(saved.rlim_cur); }
  void set(rlim_t soft) const {
    const rlimit lowered{soft, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
  }
};

TEST(HwmonSmc, ShortOfDescriptorsEveryKeyReadsASensorAndNothingBlanks) {
  HwmonTree tree;
  tree.device(0, "coretemp").temp(1, 61000, "Package id 0");
  for (int n = 2; n <= 41; ++n) {  // forty cores, the last the hottest
    tree.temp(n, n == 41 ? 70000 : 30000, "Core " + std::to_string(n - 2));
  }
  tree.device(1, "nvme").temp(1, 40000, "Composite");
  DescriptorLimit limit;
  limit.set(20);  // room for ten attribute files
  HwmonMachine machine(tree);
  EXPECT_EQ(machine.published(), "61/0/40/0 max 61 |") << "each key its first file";
  const std::vector<std::string> reported = {
      tree.root().string() +
      ": too few file descriptors to read every sensor: 32 of 42 files are left out"};
  EXPECT_EQ(machine.reports.lines, reported);

  const int lowestFree = ::dup(STDIN_FILENO);
  ::close(lowestFree);
  limit.set(static_cast<rlim_t>(lowestFree));  // none left: the rescan cannot list the tree
  machine.pass(5s);
  EXPECT_EQ(machine.published(), "61/0/40/0 max 61 |") << "the open sensors stay";
  limit.set(limit.saved.rlim_cur);
  machine.pass(5s);
  EXPECT_EQ(machine.published(), "70/0/40/0 max 70 |") << "every sensor, at last";
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
      .instead("temp2_label")
      .temp(3, 91000, std::string(300, 'x'))
      .instead("temp4_input")
      .fan(1, 1500);
  tree.device(1, "cpu_thermal").instead("name", "/dev/zero").temp(1, 95000).fan(1, 3000);

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
