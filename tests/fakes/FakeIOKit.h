#pragma once

#include <cstddef>
#include <memory>

#include "smc/UserClient.h"

namespace quimbo::testing {

// The kernel's side of the fake IOKit (tests/fakes/IOKit): while one lives,
// IOKit's calls reach the AppleSMC service of the given user client, under
// Mach port names of the kernel's own. What it hands out is counted, so that
// a test sees what was never given back.
class FakeIOKit final {
 public:
  explicit FakeIOKit(UserClient& smc);
  ~FakeIOKit();
  FakeIOKit(const FakeIOKit&) = delete;
  FakeIOKit& operator=(const FakeIOKit&) = delete;

  // Matching dictionaries made and not yet released.
  static int liveDictionaries();
  // Service references handed out and not yet released.
  std::size_t liveServices() const;
  // Connections opened and not yet closed.
  std::size_t openConnections() const;

  struct Kernel;

 private:
  std::unique_ptr<Kernel> kernel_;
};

}  // namespace quimbo::testing
