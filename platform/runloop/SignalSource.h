#pragma once

#include <functional>
#include <initializer_list>
#include <memory>

namespace quimbo {

// Signals taken away from their handlers and handed out as reads of a file
// descriptor, so that a loop can treat them as ordinary events. While a
// source lives, its signals are blocked or caught for the calling thread
// (and every thread it starts afterwards); what was in force before is
// restored after.
class SignalSource {
 public:
  virtual ~SignalSource() = default;

  // Readable while a signal is pending.
  virtual int fd() const = 0;
  // Calls `onSignal` with each pending signal's number, oldest first.
  virtual void drain(const std::function<void(int)>& onSignal) = 0;

  // The source this system reads signals with. Throws std::system_error
  // when the signals cannot be taken.
  [[nodiscard]] static std::unique_ptr<SignalSource> make(std::initializer_list<int> which);
};

}  // namespace quimbo
