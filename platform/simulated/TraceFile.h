#pragma once

#include <string>
#include <string_view>

#include "platform/files/FileDescriptor.h"
#include "platform/process/Diagnostics.h"

namespace quimbo {

// The file a simulated SMC appends its exchanges to. Only a regular file is
// taken, and never through a symbolic link: a link planted where the trace
// is expected would redirect the writes. A new file is readable by its
// owner only. The first write that fails is reported and ends the trace;
// the machine goes on answering.
class TraceFile final {
 public:
  // Throws std::runtime_error, naming the path and the fault, when the
  // file cannot be opened or is not a regular file.
  TraceFile(std::string path, Diagnostics& diagnostics);

  // Appends the line in one write, so that two traces of the same file do
  // not cut into each other's lines.
  void append(std::string_view line);

 private:
  std::string path_;
  Diagnostics& diagnostics_;
  FileDescriptor fd_;
};

}  // namespace quimbo
