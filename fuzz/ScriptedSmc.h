#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>

#include "smc/SMC.h"
#include "smc/UserClient.h"

namespace quimbo::fuzzing {

// A user client whose every answer comes from the fuzzer's bytes: whether a
// service is found, the open status, and for each exchange a status and a
// whole response record. Aborts if it is ever asked anything but reading a
// key's information or bytes: the system never writes to the SMC.
class ScriptedSmc final : public UserClient {
 public:
  explicit ScriptedSmc(FuzzedDataProvider& data) : data_(data) {}

  Matching serviceMatching(const char* className) override { return Matching{className}; }
  Service getMatchingService(Matching) override {
    return data_.ConsumeIntegral<std::uint8_t>() < 8 ? 0 : 1;
  }
  Status serviceOpen(Service, Task, std::uint32_t type, Connection* connection) override {
    if (type != 0) std::abort();
    *connection = 1;
    return data_.ConsumeIntegral<std::uint8_t>() < 8 ? -1 : 0;
  }
  Status callStructMethod(Connection, std::uint32_t selector, const void* input,
                          std::size_t inputSize, void* output, std::size_t* outputSize) override {
    SMC::Param request;
    std::memcpy(&request, input, sizeof request);
    if (selector != SMC::kSelector || inputSize != sizeof request ||
        *outputSize != sizeof request ||
        (request.command != SMC::kReadKeyInfo && request.command != SMC::kReadBytes)) {
      std::abort();
    }
    SMC::Param response{};
    if (data_.remaining_bytes() == 0) {
      response.result = 0x84;  // out of script: no more keys
    } else {
      const std::vector<std::uint8_t> bytes = data_.ConsumeBytes<std::uint8_t>(sizeof response);
      std::memcpy(&response, bytes.data(), bytes.size());
    }
    std::memcpy(output, &response, sizeof response);
    const std::uint8_t status = data_.ConsumeIntegral<std::uint8_t>();
    return status < 240 ? 0 : static_cast<Status>(status) << 24;
  }
  Status objectRelease(Service) override { return 0; }
  Task ownTask() const override { return 1; }

 private:
  FuzzedDataProvider& data_;
};

}  // namespace quimbo::fuzzing
