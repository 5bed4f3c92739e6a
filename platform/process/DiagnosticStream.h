#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/process/Diagnostics.h"

namespace quimbo {

// Writes each report as a line "PROGRAM: ..." to a stream (standard error).
// While that stream is the screen a front end draws on, reports are held
// and written once it is given back: at release(), or at the latest when
// this is destroyed.
class DiagnosticStream final : public Diagnostics {
 public:
  explicit DiagnosticStream(std::ostream& out, std::string program = "quimbo")
      : out_(out), program_(std::move(program)) {}
  ~DiagnosticStream() { release(); }
  DiagnosticStream(const DiagnosticStream&) = delete;
  DiagnosticStream& operator=(const DiagnosticStream&) = delete;

  void report(const std::string& message) override;
  // Holds the reports from now on.
  void hold() { held_ = true; }
  // Writes what was held; later reports are written at once.
  void release();

 private:
  void write(const std::string& message);

  std::ostream& out_;
  std::string program_;
  bool held_ = false;
  std::vector<std::string> waiting_;
};

}  // namespace quimbo
