#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/MachineFile.h"
#include "smc/SMC.h"
#include "smc/UserClient.h"

namespace quimbo {

// An AppleSMC user client that answers from a simulated machine: command 9
// with the key's information, command 5 with its value bytes. A key the
// machine does not have answers with result 0x84, as the SMC does. Any other
// command, selector or record size is refused with a non-zero status.
// With a trace file, every exchange is appended to it as one line.
class SimulatedSmc final : public UserClient {
 public:
  static constexpr Service kService = 0x2a03;
  static constexpr Connection kConnection = 0x1b07;
  static constexpr Task kOwnTask = 0x203;
  static constexpr std::uint8_t kKeyNotFound = 0x84;
  static constexpr Status kBadArgument = static_cast<Status>(0xE00002C2);
  static constexpr Status kUnsupported = static_cast<Status>(0xE00002C7);
  static constexpr Status kNotOpen = static_cast<Status>(0xE00002CD);

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

  Matching serviceMatching(const char* className) override;
  Service getMatchingService(Matching matching) override;
  Status serviceOpen(Service service, Task owningTask, std::uint32_t type,
                     Connection* connection) override;
  Status callStructMethod(Connection connection, std::uint32_t selector, const void* input,
                          std::size_t inputSize, void* output, std::size_t* outputSize) override;
  Status objectRelease(Service object) override;
  Task ownTask() const override { return kOwnTask; }

  // Replaces what the machine holds; the connection stays as it is.
  void setMachine(Machine machine) { machine_ = std::move(machine); }

 private:
  void refresh();
  Status exchange(std::uint32_t selector, const SMC::Param& request, SMC::Param& response) const;
  void trace(std::uint32_t selector, const SMC::Param& request, Status status,
             const SMC::Param& response);

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
  bool open_ = false;
  std::chrono::steady_clock::time_point openedAt_;
};

}  // namespace quimbo
