#pragma once

#include <vector>

#include "smc/UserClient.h"

namespace quimbo {

// The AppleSMC user client of the running Mac, reached through IOKit's C
// API. The connections it opens are closed when it goes.
class IOKitUserClient final : public UserClient {
 public:
  IOKitUserClient() = default;
  ~IOKitUserClient() override;
  IOKitUserClient(const IOKitUserClient&) = delete;
  IOKitUserClient& operator=(const IOKitUserClient&) = delete;

  Matching serviceMatching(const char* className) override;
  Service getMatchingService(Matching matching) override;
  Status serviceOpen(Service service, Task owningTask, std::uint32_t type,
                     Connection* connection) override;
  Status callStructMethod(Connection connection, std::uint32_t selector, const void* input,
                          std::size_t inputSize, void* output, std::size_t* outputSize) override;
  Status objectRelease(Service object) override;
  Task ownTask() const override;

 private:
  std::vector<Connection> connections_;
};

}  // namespace quimbo
