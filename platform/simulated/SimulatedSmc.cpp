#include "platform/simulated/SimulatedSmc.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace quimbo {

namespace {

constexpr std::size_t kRecordSize = sizeof(SMC::Param);

// Writes the record as 160 lowercase hex digits.
char* hex(const SMC::Param& record, char* out) {
  static constexpr char kDigits[] = "0123456789abcdef";
  unsigned char bytes[kRecordSize];
  std::memcpy(bytes, &record, kRecordSize);
  for (const unsigned char byte : bytes) {
    *out++ = kDigits[byte >> 4];
    *out++ = kDigits[byte & 0x0f];
  }
  return out;
}

}  // namespace

SimulatedSmc::SimulatedSmc(Machine machine, std::optional<std::string> tracePath)
    : machine_(std::move(machine)) {
  if (tracePath) {
    trace_.reset(std::fopen(tracePath->c_str(), "a"));
    if (!trace_) {
      throw std::runtime_error(*tracePath +
                               ": cannot be opened for the trace: " + std::strerror(errno));
    }
  }
}

SimulatedSmc SimulatedSmc::watching(const std::string& path, std::optional<std::string> tracePath,
                                    std::chrono::milliseconds lookInterval) {
  std::error_code error;
  const auto written = std::filesystem::last_write_time(path, error);
  const auto size = std::filesystem::file_size(path, error);
  SimulatedSmc smc(MachineFile::load(path), std::move(tracePath));
  smc.watch_ = Watch{path, written, size, std::chrono::steady_clock::now(), lookInterval};
  return smc;
}

void SimulatedSmc::refresh() {
  const auto now = std::chrono::steady_clock::now();
  if (!watch_ || now - watch_->lookedAt < watch_->interval) return;
  watch_->lookedAt = now;
  std::error_code error;
  const auto written = std::filesystem::last_write_time(watch_->path, error);
  if (error) return;
  const auto size = std::filesystem::file_size(watch_->path, error);
  if (error || (written == watch_->written && size == watch_->size)) return;
  try {
    machine_ = MachineFile::load(watch_->path);
    watch_->written = written;
    watch_->size = size;
  } catch (const MachineFileError&) {
    // Half written, or wrong: keep the machine as it was and look again.
  }
}

void SimulatedSmc::answer(const SMC::Param& request, SMC::Param& response) {
  refresh();
  const auto found = machine_.keys.find(request.key);
  if (found == machine_.keys.end()) {
    response.result = kKeyNotFound;
    return;
  }
  const MachineKey& key = found->second;
  if (key.infoFault) {
    response.result = *key.infoFault;
  } else if (request.command == SMC::kReadKeyInfo) {
    response.keyInfo = {key.dataSize, key.type, key.attributes, {}};
  } else if (key.readFault) {
    response.result = *key.readFault;
  } else {
    std::copy(key.bytes.begin(), key.bytes.end(), response.bytes.begin());
  }
}

void SimulatedSmc::exchanged(std::uint32_t selector, const SMC::Param& request, Status status,
                             const SMC::Param& response) {
  if (!trace_) return;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - openedAt_);
  char requestHex[2 * kRecordSize + 1] = {};
  char responseHex[2 * kRecordSize + 1] = {};
  hex(request, requestHex);
  hex(response, responseHex);
  std::fprintf(trace_.get(), "%lld %u %s %d %s\n", static_cast<long long>(elapsed.count()),
               selector, requestHex, status, responseHex);
  std::fflush(trace_.get());
}

}  // namespace quimbo
