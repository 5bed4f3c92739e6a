#pragma once

#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "smc/SMC.h"
#include "smc/UserClient.h"

namespace quimbo::testing {

// A user client whose answers are scripted and whose every call is kept.
class RecordingUserClient final : public UserClient {
 public:
  struct Exchange {
    Connection connection;
    std::uint32_t selector;
    std::size_t inputSize;
    std::size_t outputSize;
    SMC::Param request;
  };
  using Responder = std::function<std::pair<Status, SMC::Param>(const SMC::Param&)>;

  Service service = 7;
  Status openStatus = 0;
  Responder respond = [](const SMC::Param& request) { return std::pair{0, request}; };

  std::vector<std::string> matchedClasses;
  std::vector<Service> released;
  std::vector<std::tuple<Service, Task, std::uint32_t>> opens;
  std::vector<Exchange> exchanges;

  Matching serviceMatching(const char* className) override {
    matchedClasses.emplace_back(className);
    return Matching{className};
  }
  Service getMatchingService(Matching) override { return service; }
  Status serviceOpen(Service s, Task task, std::uint32_t type, Connection* connection) override {
    opens.emplace_back(s, task, type);
    if (openStatus == 0) *connection = 42;
    return openStatus;
  }
  Status callStructMethod(Connection connection, std::uint32_t selector, const void* input,
                          std::size_t inputSize, void* output, std::size_t* outputSize) override {
    Exchange exchange{connection, selector, inputSize, *outputSize, {}};
    std::memcpy(&exchange.request, input, sizeof(SMC::Param));
    exchanges.push_back(exchange);
    const auto [status, response] = respond(exchange.request);
    std::memcpy(output, &response, sizeof(SMC::Param));
    return status;
  }
  Status objectRelease(Service object) override {
    released.push_back(object);
    return 0;
  }
  Task ownTask() const override { return 0x103; }
};

}  // namespace quimbo::testing
