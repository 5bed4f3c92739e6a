#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quimbo {

// The SMC user-client port: the five IOKit/Mach operations the SMC connection
// is made of, in IOKit's shape. Adapters under platform/ stand in for the
// AppleSMC user client (a simulated machine, the Linux hwmon bridge, IOKit).
class UserClient {
 public:
  using Service = std::uint32_t;     // io_service_t: 0 means none
  using Connection = std::uint32_t;  // io_connect_t
  using Task = std::uint32_t;        // task_port_t
  using Status = std::int32_t;       // kern_return_t: 0 means success

  // What IOServiceMatching builds: the class name services must have.
  struct Matching {
    std::string className;
  };

  virtual ~UserClient() = default;

  // IOServiceMatching.
  virtual Matching serviceMatching(const char* className) = 0;
  // IOServiceGetMatchingService on the default main port; takes over the
  // matching dictionary. Returns 0 when no service matches.
  virtual Service getMatchingService(Matching matching) = 0;
  // IOServiceOpen: on success writes the new handle into `connection`.
  virtual Status serviceOpen(Service service, Task owningTask, std::uint32_t type,
                             Connection* connection) = 0;
  // IOConnectCallStructMethod.
  virtual Status callStructMethod(Connection connection, std::uint32_t selector, const void* input,
                                  std::size_t inputSize, void* output, std::size_t* outputSize) = 0;
  // IOObjectRelease.
  virtual Status objectRelease(Service object) = 0;
  // mach_task_self_: the calling process's own task.
  virtual Task ownTask() const = 0;
};

}  // namespace quimbo
