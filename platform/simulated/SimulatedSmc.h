#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/simulated/MachineFile.h"
#include "platform/SmcService.h"
#include "smc/SMC.h"

namespace quimbo {

// An AppleSMC user client that answers from a simulated machine: command 9
// with the key's information, command 5 with its value bytes. A key the
// machine does not have answers with result 0x84, as the SMC does. Any other
// command, selector or record size is refused with a non-zero status.
// With a trace file, every exchange is appended to it as one line.
class SimulatedSmc final : public SmcService {
 public:
  // Throws std::runtime_error when the trace file cannot be opened.
  explicit SimulatedSmc(Machine machine, std::optional<std::string> tracePath = std::nullopt);

  // The machine of a machine file, read again whenever the file is rewritten
  // (looked at no more than once per `lookInterval`); a rewrite that does not parse
  // leaves the machine as it was. Throws MachineFileError when the file
  // cannot be read or parsed now.
  static SimulatedSmc watching(const std::string& path,
                               std::optional<std::string> tracePath = std::nullopt,
                               std::chrono::milliseconds lookInterval = kLookInterval);
  static constexpr std::chrono::milliseconds kLookInterval{500};

  // Replaces what the machine holds; the connection stays as it is.
  void setMachine(Machine machine) { machine_ = std::move(machine); }

 private:
  bool present() override { return true; }
  void opened() override { openedAt_ = std::chrono::steady_clock::now(); }
  void answer(const SMC::Param& request, SMC::Param& response) override;
  // Appends the exchange to the trace file, if there is one.
  void exchanged(std::uint32_t selector, const SMC::Param& request, Status status,
                 const SMC::Param& response) override;
  void refresh();

  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  struct Watch {
    std::string path;
    std::filesystem::file_time_type written;
    std::uintmax_t size = 0;
    std::chrono::steady_clock::time_point lookedAt;
    std::chrono::milliseconds interval;
  };

  Machine machine_;
  std::optional<Watch> watch_;
  std::unique_ptr<std::FILE, FileCloser> trace_;
  std::chrono::steady_clock::time_point openedAt_;
};

}  // namespace quimbo
