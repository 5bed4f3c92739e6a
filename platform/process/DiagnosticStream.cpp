#include "platform/process/DiagnosticStream.h"

namespace quimbo {

void DiagnosticStream::report(const std::string& message) {
  if (held_) {
    waiting_.push_back(message);
  } else {
    write(message);
  }
}

void DiagnosticStream::release() {
  held_ = false;
  for (const std::string& message : waiting_) write(message);
  waiting_.clear();
}

void DiagnosticStream::write(const std::string& message) {
  out_ << program_ << ": " << message << std::endl;
}

}  // namespace quimbo
