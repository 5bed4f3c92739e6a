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
  SettledFile file(path, MachineFile::kMaxFileSize, now());
  SimulatedSmc smc(MachineFile::load(path), std::move(trace), std::move(now));
  smc.watch_.emplace(Watch{path, diagnostics, std::move(file)});
  return smc;
}

void SimulatedSmc::refresh() {
  if (!watch_) return;
  const std::optional<SettledFile::Version> version = watch_->file.look(now_());
  if (!version) return;
  std::string refused;
  if (!*version) {
    refused = watch_->path + ": " + version->failure().reason;
  } else {
    try {
      machine_ = MachineFile::parse(**version, watch_->path);
    } catch (const MachineFileError& error) {
      refused = error.what();
    }
  }
  if (!refused.empty()) watch_->diagnostics.report(refused + "; the machine stays as it was");
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
