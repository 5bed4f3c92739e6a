#pragma once

#include "smc/UserClient.h"

namespace quimbo {

// A machine without an AppleSMC service: the lookup finds nothing.
class AbsentSmc final : public UserClient {
 public:
  Matching serviceMatching(const char* className) override { return Matching{className}; }
  Service getMatchingService(Matching) override { return 0; }
  Status serviceOpen(Service, Task, std::uint32_t, Connection*) override { return kNotFound; }
  Status callStructMethod(Connection, std::uint32_t, const void*, std::size_t, void*,
                          std::size_t*) override {
    return kNotFound;
  }
  Status objectRelease(Service) override { return kNotFound; }
  Task ownTask() const override { return 0; }

 private:
  static constexpr Status kNotFound = static_cast<Status>(0xE00002F0);
};

}  // namespace quimbo
