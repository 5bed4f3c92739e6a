#pragma once

#include <string>

namespace quimbo {

// Where the platform adapters tell the user of a fault that does not stop
// them: a rewritten machine file that was not taken, a trace that could not
// be written. One sentence per report, without the program's name.
class Diagnostics {
 public:
  virtual void report(const std::string& message) = 0;

 protected:
  ~Diagnostics() = default;
};

}  // namespace quimbo
