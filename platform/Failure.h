#pragma once

#include <optional>
#include <string>
#include <utility>

namespace quimbo {

// Why something could not be done, in the user's words: the end of a
// sentence that follows a path or a subject ("is a directory", "cannot be
// created: Permission denied"). The adapters tell every failure this way: an
// operation that can fail returns std::optional<Failure>, nothing when it
// succeeded; one that gives a value returns Result<T>. A std::optional<T>
// of anything else is a value or none, never an error.
struct Failure {
  std::string reason;
};

// A value, or why there is none.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}
  Result(Failure failure) : failure_(std::move(failure)) {}

  explicit operator bool() const { return value_.has_value(); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  const T* operator->() const { return &*value_; }
  // Why there is no value; no reason when there is one.
  const Failure& failure() const { return failure_; }

 private:
  std::optional<T> value_;
  Failure failure_;
};

}  // namespace quimbo
