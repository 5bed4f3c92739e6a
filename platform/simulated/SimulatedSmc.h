#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/files/SettledFile.h"
#include "platform/process/Diagnostics.h"
#include "platform/simulated/MachineFile.h"
#include "platform/simulated/TraceFile.h"
#include "platform/userclient/SmcService.h"
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

  // The machine of a machine file, read again whenever the file is rewritten,
  // once the new version has stood still (SettledFile): a file still being
  // written is not taken half written, and one replaced whole is followed
  // however often it is. A version that cannot be read or parsed leaves the
  // machine as it was and is reported once. Throws MachineFileError when the
  // file cannot be read or parsed now.
  static SimulatedSmc watching(const std::string& path, Diagnostics& diagnostics,
                               std::optional<TraceFile> trace = std::nullopt,
                               Clock now = std::chrono::steady_clock::now);
  static constexpr std::chrono::milliseconds kLookInterval = SettledFile::kLookInterval;

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

  struct Watch {
    std::string path;
    Diagnostics& diagnostics;
    SettledFile file;
  };

  Clock now_;
  Machine machine_;
  std::optional<Watch> watch_;
  std::optional<TraceFile> trace_;
  std::chrono::steady_clock::time_point openedAt_;
};

}  // namespace quimbo
