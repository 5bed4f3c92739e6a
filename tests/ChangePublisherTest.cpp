#include <gtest/gtest.h>

#include <optional>

#include "monitor/ChangePublisher.h"

namespace quimbo {
namespace {

TEST(ChangePublisher, SignalsSubscribersInOrderUntilTheirSubscriptionEnds) {
  std::optional<ChangePublisher> publisher(std::in_place);
  std::string log;
  auto a = publisher->subscribe([&] { log += 'a'; });
  std::optional<ChangePublisher::Subscription> b = publisher->subscribe([&] { log += 'b'; });
  publisher->send();
  b.reset();
  publisher->send();
  EXPECT_EQ(log, "aba");

  // A subscription that outlives its publisher leaves the next one alone.
  publisher.emplace();
  auto next = publisher->subscribe([&] { log += 'n'; });
  a.cancel();
  publisher->send();
  EXPECT_EQ(log, "aban");

  // Subscribers may come and go while a signal goes out.
  log.clear();
  ChangePublisher::Subscription first, second, late;
  first = publisher->subscribe([&] {
    log += '1';
    second.cancel();  // an earlier entry going must not make a later one be skipped
    late = publisher->subscribe([&] { log += 'L'; });
  });
  second = publisher->subscribe([&] { log += '2'; });
  auto third = publisher->subscribe([&] { log += '3'; });
  publisher->send();
  EXPECT_EQ(log, "n13") << "a cancelled subscriber is not called; a new one waits";
  log.clear();
  late = {};
  publisher->send();
  EXPECT_EQ(log, "n13");
}

}  // namespace
}  // namespace quimbo
