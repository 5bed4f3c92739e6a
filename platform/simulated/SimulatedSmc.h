#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/Diagnostics.h"
#include "platform/SmcService.h"
#include "platform/simulated/MachineFile.h"
#include "platform/simulated/TraceFile.h"
#include "smc/SMC.h"

namespace quimbo {

// An AppleSMC user client that answers from a simulated machine: command 9
// with the key's information, command 5 with its value bytes. A key the
// machine does not have answers with result 0x84, as the SMC does. Any other
// command, selector or record size is refused with a non-zero status.
// With a trace file, every exchange is appended to it as one line.
class SimulatedSmc final : public SmcService {
 public:
  explicit SimulatedSmc(Machine machine, std::optional<TraceFile> trace = std::nullopt,
                        Clock now = std::chrono::steady_clock::now);

  // The machine of a machine file, read again whenever the file is rewritten
  // (looked at no more than once per kLookInterval), once the new version
  // has stood still for kSettle: it was written that long ago, or was seen
  // unchanged at a look that long ago. A file still being written is not
  // taken half written. A version that cannot be read or parsed leaves the
  // machine as it was and is reported once. Throws MachineFileError when the
  // file cannot be read or parsed now.
  static SimulatedSmc watching(const std::string& path, Diagnostics& diagnostics,
                               std::optional<TraceFile> trace = std::nullopt,
                               Clock now = std::chrono::steady_clock::now);
  static constexpr std::chrono::milliseconds kLookInterval{500};
  static constexpr std::chrono::milliseconds kSettle{500};

  // Replaces what the machine holds; the connection stays as it is.
  void setMachine(Machine machine) { machine_ = std::move(machine); }

 private:
  bool present() override { return true; }
  void opened() override { openedAt_ = now_(); }
  void answer(const SMC::Param& request, SMC::Param& response) override;
  // Appends the exchange to the trace file, if there is one.
  void exchanged(std::uint32_t selector, const SMC::Param& request, Status status,
                 const SMC::Param& response) override;
  void refresh();

  // What tells one version of the machine file from the next; none while
  // the file cannot be looked at.
  struct Version {
    std::filesystem::file_time_type written;
    std::uintmax_t size = 0;
    bool operator==(const Version&) const = default;
  };
  static std::optional<Version> versionOf(const std::string& path);

  struct Watch {
    std::string path;
    Diagnostics& diagnostics;
    std::optional<Version> seen;                   // at the last look
    std::chrono::steady_clock::time_point seenAt;  // the look that first saw it
    bool taken = true;                             // loaded, or refused and reported
    std::chrono::steady_clock::time_point lookedAt;
    bool settled(std::chrono::steady_clock::time_point now) const;
  };

  Clock now_;
  Machine machine_;
  std::optional<Watch> watch_;
  std::optional<TraceFile> trace_;
  std::chrono::steady_clock::time_point openedAt_;
};

}  // namespace quimbo
