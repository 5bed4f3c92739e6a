#include "monitor/ChangePublisher.h"

#include <algorithm>

namespace quimbo {

struct ChangePublisher::Subscription::State {
  struct Entry {
    std::uint64_t id;
    // Shared so that a callback stays alive while it runs, even if it
    // unsubscribes itself or subscribes others.
    std::shared_ptr<Callback> callback;
  };
  std::vector<Entry> entries;
  std::uint64_t nextId = 1;
  int sending = 0;  // nesting depth of send(); entries are only erased at 0
};

ChangePublisher::ChangePublisher() : state_(std::make_shared<Subscription::State>()) {}

ChangePublisher::Subscription ChangePublisher::subscribe(Callback callback) {
  const std::uint64_t id = state_->nextId++;
  state_->entries.push_back({id, std::make_shared<Callback>(std::move(callback))});
  return Subscription(state_, id);
}

void ChangePublisher::send() {
  // Entries added while sending wait for the next signal.
  const std::shared_ptr<Subscription::State> state = state_;
  const std::size_t count = state->entries.size();
  ++state->sending;
  for (std::size_t i = 0; i < count; ++i) {
    const std::shared_ptr<Callback> callback = state->entries[i].callback;
    if (callback) (*callback)();
  }
  if (--state->sending == 0) {
    std::erase_if(state->entries, [](const Subscription::State::Entry& e) { return !e.callback; });
  }
}

ChangePublisher::Subscription& ChangePublisher::Subscription::operator=(
    Subscription&& other) noexcept {
  if (this != &other) {
    cancel();
    state_ = std::move(other.state_);
    id_ = other.id_;
    other.state_.reset();
  }
  return *this;
}

void ChangePublisher::Subscription::cancel() {
  if (const std::shared_ptr<State> state = state_.lock()) {
    const auto entry = std::find_if(state->entries.begin(), state->entries.end(),
                                    [this](const State::Entry& e) { return e.id == id_; });
    if (entry != state->entries.end()) {
      // While a signal is going out, only mark the entry: send() walks by index.
      if (state->sending > 0) {
        entry->callback.reset();
      } else {
        state->entries.erase(entry);
      }
    }
  }
  state_.reset();
}

}  // namespace quimbo
