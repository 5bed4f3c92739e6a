#pragma once

#include <array>
#include <cstdint>

#include <chrono>
#include <functional>

#include "smc/SMC.h"
#include "smc/UserClient.h"

namespace quimbo {

// What every AppleSMC user client here shares: one service, opened by the
// own task with connection type 0, and exchanges of the 80-byte record with
// selector 2 that read a key's information (command 9) or bytes (command 5).
// Anything else is refused with the status IOKit gives it; a derived class
// only answers the reads.
class SmcService : public UserClient {
 public:
  static constexpr Service kService = 0x2a03;
  static constexpr Connection kConnection = 0x1b07;
  static constexpr Task kOwnTask = 0x203;
  static constexpr Status kBadArgument = static_cast<Status>(0xE00002C2);
  static constexpr Status kUnsupported = static_cast<Status>(0xE00002C7);
  static constexpr Status kNotOpen = static_cast<Status>(0xE00002CD);
  static constexpr std::uint8_t kKeyNotFound = 0x84;
  static constexpr std::uint8_t kKeyNotReadable = 0x85;
  // Where a user client that keeps time takes it from: tests give a manual one.
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // A value of the type "flt ", as the SMC holds it: the 32-bit float,
  // least significant byte first.
  static std::array<std::uint8_t, 4> fltBytes(float value);

  Matching serviceMatching(const char* className) final { return Matching{className}; }
  Service getMatchingService(Matching matching) final;
  Status serviceOpen(Service service, Task owningTask, std::uint32_t type,
                     Connection* connection) final;
  Status callStructMethod(Connection connection, std::uint32_t selector, const void* input,
                          std::size_t inputSize, void* output, std::size_t* outputSize) final;
  Status objectRelease(Service object) final { return object == kService ? 0 : kBadArgument; }
  Task ownTask() const final { return kOwnTask; }

 protected:
  // Whether the service exists: looked at by each lookup.
  virtual bool present() = 0;
  virtual void opened() {}
  // Answers a read: `response` starts as a copy of `request` with no value
  // bytes; fill it, or set its result byte.
  virtual void answer(const SMC::Param& request, SMC::Param& response) = 0;
  // Told of every exchange of a record, refused or answered.
  virtual void exchanged(std::uint32_t /*selector*/, const SMC::Param& /*request*/,
                         Status /*status*/, const SMC::Param& /*response*/) {}

 private:
  bool open_ = false;
};

}  // namespace quimbo
