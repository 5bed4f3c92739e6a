// A million sampling passes over an SMC that fails keys at random and answers
// with random values: the passes complete, only reads are ever asked of the
// SMC, and resident memory stays flat from the first hundred thousand
// passes to the last. Under AddressSanitizer, LeakSanitizer checks at exit.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "monitor/Monitor.h"
#include "platform/linux/LinuxServiceManager.h"
#include "smc/SMC.h"
#include "tests/QuitRecorder.h"
#include "tests/support/ManualRunLoop.h"
#include "ui/QuimboApp.h"

namespace quimbo {
namespace {

class RandomSmc final : public UserClient {
 public:
  std::uint64_t writesAsked = 0;

  Matching serviceMatching(const char* className) override { return Matching{className}; }
  Service getMatchingService(Matching) override { return 1; }
  Status serviceOpen(Service, Task, std::uint32_t, Connection* connection) override {
    *connection = 1;
    return 0;
  }
  Status objectRelease(Service) override { return 0; }
  Task ownTask() const override { return 1; }

  Status callStructMethod(Connection, std::uint32_t, const void* input, std::size_t, void* output,
                          std::size_t*) override {
    SMC::Param request;
    std::memcpy(&request, input, sizeof request);
    if (request.command != SMC::kReadKeyInfo && request.command != SMC::kReadBytes) ++writesAsked;
    SMC::Param response = request;
    const unsigned roll = random_() % 100;
    if (roll < 5) return static_cast<Status>(0xE00002C2);  // the exchange fails
    if (roll < 15) {
      response.result = 0x84;  // the key is missing
    } else if (request.command == SMC::kReadKeyInfo) {
      static constexpr const char* kTypes[] = {"flt ", "ui8 ", "ui16", "fpe2", "sp78", "{fds"};
      response.keyInfo.dataType = request.key == SMC::fourCC("FNum")
                                      ? SMC::fourCC("ui8 ")
                                      : SMC::fourCC(kTypes[random_() % std::size(kTypes)]);
      response.keyInfo.dataSize = static_cast<std::uint32_t>(random_() % 41);
    } else {
      for (auto& byte : response.bytes) byte = static_cast<std::uint8_t>(random_());
      // Mostly a handful of fans, now and then a corrupt count.
      if (request.key == SMC::fourCC("FNum") && random_() % 100 != 0) response.bytes[0] %= 5;
    }
    std::memcpy(output, &response, sizeof response);
    return 0;
  }

 private:
  std::mt19937_64 random_{20261206};
};

long residentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

bool underAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#endif
#endif
  return false;
}

TEST(Soak, AMillionPassesOverARandomSmc) {
  const char* passesText = std::getenv("QUIMBO_SOAK_PASSES");
  const long passes = passesText ? std::atol(passesText) : 1'000'000;
  const long warmUp = passes / 10;

  RandomSmc smc;
  LinuxServiceManager services;
  ManualRunLoop runLoop;
  testing::QuitRecorder quit;
  ui::QuimboApp app([&] { return Monitor::make({smc, services, runLoop}); }, quit);
  Monitor& mon = app.mon();
  long afterWarmUp = 0;
  for (long pass = 1; pass <= passes; ++pass) {
    mon.poll();
    ui::QuimboApp::menuBarLabel(mon);
    if (pass == warmUp) afterWarmUp = residentKiB();
  }
  const long atEnd = residentKiB();
  EXPECT_EQ(smc.writesAsked, 0u) << "the SMC was asked something other than a read";
  std::printf("resident memory: %ld KiB after %ld passes, %ld KiB after %ld\n", afterWarmUp, warmUp,
              atEnd, passes);
  // The heap's high-water mark moves a few pages now and then; a leak of a
  // single byte per pass would add some 900 KiB.
  if (!underAddressSanitizer()) {
    EXPECT_LE(atEnd - afterWarmUp, 256)
        << "resident memory grew by " << atEnd - afterWarmUp << " KiB";
  }
}

}  // namespace
}  // namespace quimbo
