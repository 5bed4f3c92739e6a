#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "smc/UserClient.h"

#ifdef QUIMBO_FAKE_IOKIT
#include "platform/macos/IOKitUserClient.h"
#include "tests/fakes/FakeIOKit.h"
#endif

namespace quimbo::testing {

// How a test's SMC reaches the user client that answers it: straight, or
// through the macOS IOKit user client and IOKit's C API, over the fake
// IOKit whose AppleSMC service is that same client.
enum class Route { direct, iokit };

// The routes of this build: IOKit's where the fake IOKit is built.
inline std::vector<Route> routes() {
#ifdef QUIMBO_FAKE_IOKIT
  return {Route::direct, Route::iokit};
#else
  return {Route::direct};
#endif
}

inline void PrintTo(Route route, std::ostream* out) {
  *out << (route == Route::direct ? "direct" : "iokit");
}
inline std::string routeName(const ::testing::TestParamInfo<Route>& info) {
  return ::testing::PrintToString(info.param);
}

// The user client a test hands its SMC. Through IOKit, every reference the
// client took must be given back once it goes.
class Routed final {
 public:
  Routed(Route route, UserClient& answering) : answering_(answering) {
#ifdef QUIMBO_FAKE_IOKIT
    if (route == Route::iokit) {
      kernel_ = std::make_unique<FakeIOKit>(answering);
      front_ = std::make_unique<IOKitUserClient>();
    }
#else
    (void)route;
#endif
  }

  ~Routed() {
#ifdef QUIMBO_FAKE_IOKIT
    if (!kernel_) return;
    EXPECT_EQ(kernel_->liveServices(), 0u) << "a service reference was never released";
    front_.reset();
    EXPECT_EQ(kernel_->openConnections(), 0u) << "the client left a connection open";
    EXPECT_EQ(FakeIOKit::liveDictionaries(), 0) << "a matching dictionary was never taken over";
#endif
  }

  Routed(const Routed&) = delete;
  Routed& operator=(const Routed&) = delete;

  UserClient& client() { return front_ ? *front_ : answering_; }

 private:
  UserClient& answering_;
#ifdef QUIMBO_FAKE_IOKIT
  std::unique_ptr<FakeIOKit> kernel_;
#endif
  std::unique_ptr<UserClient> front_;
};

}  // namespace quimbo::testing
