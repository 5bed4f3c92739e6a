#include "platform/simulated/SimulatedSmc.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

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

SimulatedSmc::SimulatedSmc(Machine machine, std::optional<TraceFile> trace, Clock now)
    : now_(std::move(now)), machine_(std::move(machine)), trace_(std::move(trace)) {}

SimulatedSmc SimulatedSmc::watching(const std::string& path, Diagnostics& diagnostics,
                                    std::optional<TraceFile> trace, Clock now) {
  const auto version = versionOf(path);
  SimulatedSmc smc(MachineFile::load(path), std::move(trace), std::move(now));
  const auto loadedAt = smc.now_();
  smc.watch_.emplace(Watch{path, diagnostics, version, loadedAt, true, loadedAt});
  return smc;
}

bool SimulatedSmc::Watch::settled(std::chrono::steady_clock::time_point now) const {
  if (now - seenAt >= kSettle) return true;
  return seen && std::filesystem::file_time_type::clock::now() - seen->written >= kSettle;
}

std::optional<SimulatedSmc::Version> SimulatedSmc::versionOf(const std::string& path) {
  std::error_code error;
  const auto written = std::filesystem::last_write_time(path, error);
  if (error) return std::nullopt;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return Version{written, 0};  // no size: not a regular file, which load() says
  return Version{written, size};
}

void SimulatedSmc::refresh() {
  const auto now = now_();
  if (!watch_ || now - watch_->lookedAt < kLookInterval) return;
  watch_->lookedAt = now;
  if (const auto version = versionOf(watch_->path); version != watch_->seen) {
    watch_->seen = version;
    watch_->seenAt = now;
    watch_->taken = false;
  }
  if (watch_->taken || !watch_->settled(now)) return;
  watch_->taken = true;
  try {
    machine_ = MachineFile::load(watch_->path);
  } catch (const MachineFileError& error) {
    watch_->diagnostics.report(std::string(error.what()) + "; the machine stays as it was");
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
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now_() - openedAt_);
  char requestHex[2 * kRecordSize + 1] = {};
  char responseHex[2 * kRecordSize + 1] = {};
  hex(request, requestHex);
  hex(response, responseHex);
  char line[sizeof requestHex + sizeof responseHex + 64];
  const int length = std::snprintf(line, sizeof line, "%lld %u %s %d %s\n",
                                   static_cast<long long>(elapsed.count()), selector, requestHex,
                                   status, responseHex);
  trace_->append(std::string_view(line, static_cast<std::size_t>(length)));
}

}  // namespace quimbo
