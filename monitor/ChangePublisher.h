#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace quimbo {

// The change publisher of an observable object (`objectWillChange`): sends a
// signal without payload to every subscriber, in subscription order.
class ChangePublisher final {
 public:
  using Callback = std::function<void()>;

  // Keeps a subscription alive; unsubscribes when destroyed. Outliving the
  // publisher is harmless.
  class Subscription final {
   public:
    Subscription() = default;
    Subscription(Subscription&&) noexcept = default;
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { cancel(); }
    void cancel();

   private:
    friend class ChangePublisher;
    struct State;
    Subscription(std::weak_ptr<State> state, std::uint64_t id)
        : state_(std::move(state)), id_(id) {}
    std::weak_ptr<State> state_;
    std::uint64_t id_ = 0;
  };

  ChangePublisher();
  ChangePublisher(const ChangePublisher&) = delete;
  ChangePublisher& operator=(const ChangePublisher&) = delete;

  [[nodiscard]] Subscription subscribe(Callback callback);
  void send();

 private:
  std::shared_ptr<Subscription::State> state_;
};

// A published property: every assignment signals the publisher first, then
// stores. Equal values are not filtered out.
template <typename T>
class Published final {
 public:
  Published(ChangePublisher& publisher, T initial)
      : publisher_(publisher), value_(std::move(initial)) {}
  Published(const Published&) = delete;
  Published& operator=(const Published&) = delete;

  const T& get() const { return value_; }
  void set(T value) {
    publisher_.send();
    value_ = std::move(value);
  }

 private:
  ChangePublisher& publisher_;
  T value_;
};

}  // namespace quimbo
