// IOKit's C API for the tests on Linux, answered by a user client of the
// tests as the AppleSMC service. Every call checks what the real one
// relies on (the main port, the own task, live port names) and refuses
// the rest with IOKit's codes.

#include "tests/fakes/FakeIOKit.h"

#include <IOKit/IOKitLib.h>
#include <mach/mach.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>

struct __CFDictionary {
  std::string className;
};

namespace quimbo::testing {

struct FakeIOKit::Kernel {
  enum class Kind { service, connection };
  struct Port {
    Kind kind;
    std::uint32_t handle;  // the answering client's
  };

  UserClient& smc;
  std::map<mach_port_t, Port> ports;
  mach_port_t nextName = 0x1003;

  mach_port_t name(Kind kind, std::uint32_t handle) {
    const mach_port_t given = nextName;
    nextName += 0x100;
    ports.emplace(given, Port{kind, handle});
    return given;
  }
  Port* find(mach_port_t name, Kind kind) {
    const auto found = ports.find(name);
    return found != ports.end() && found->second.kind == kind ? &found->second : nullptr;
  }
  std::size_t count(Kind kind) const {
    return std::count_if(ports.begin(), ports.end(),
                         [&](const auto& port) { return port.second.kind == kind; });
  }
};

namespace {

FakeIOKit::Kernel* installed = nullptr;
int dictionaries = 0;

using Kind = FakeIOKit::Kernel::Kind;

}  // namespace

FakeIOKit::FakeIOKit(UserClient& smc) : kernel_(new Kernel{smc, {}}) {
  if (installed != nullptr) throw std::logic_error("one fake IOKit at a time");
  installed = kernel_.get();
}

FakeIOKit::~FakeIOKit() { installed = nullptr; }

int FakeIOKit::liveDictionaries() { return dictionaries; }
std::size_t FakeIOKit::liveServices() const { return kernel_->count(Kind::service); }
std::size_t FakeIOKit::openConnections() const { return kernel_->count(Kind::connection); }

}  // namespace quimbo::testing

using quimbo::testing::installed;
using Kind = quimbo::testing::FakeIOKit::Kernel::Kind;

extern "C" {

mach_port_t mach_task_self_ = 0x307;
const mach_port_t kIOMainPortDefault = MACH_PORT_NULL;

void CFRelease(CFTypeRef cf) {
  delete static_cast<const __CFDictionary*>(cf);  // the only kind made here
  --quimbo::testing::dictionaries;
}

CFMutableDictionaryRef IOServiceMatching(const char* name) {
  if (name == nullptr) return nullptr;
  ++quimbo::testing::dictionaries;
  return new __CFDictionary{name};
}

io_service_t IOServiceGetMatchingService(mach_port_t mainPort, CFDictionaryRef matching) {
  if (matching == nullptr) return IO_OBJECT_NULL;
  const std::string className = matching->className;
  CFRelease(matching);  // taken over, whatever the outcome
  if (installed == nullptr || mainPort != kIOMainPortDefault) return IO_OBJECT_NULL;
  const auto service =
      installed->smc.getMatchingService(installed->smc.serviceMatching(className.c_str()));
  return service == 0 ? IO_OBJECT_NULL : installed->name(Kind::service, service);
}

kern_return_t IOServiceOpen(io_service_t service, task_port_t owningTask, uint32_t type,
                            io_connect_t* connect) {
  const auto* port = installed ? installed->find(service, Kind::service) : nullptr;
  if (port == nullptr || connect == nullptr) return kIOReturnBadArgument;
  if (owningTask != mach_task_self_) return KERN_INVALID_ARGUMENT;
  quimbo::UserClient::Connection handle = 0;
  const kern_return_t status =
      installed->smc.serviceOpen(port->handle, installed->smc.ownTask(), type, &handle);
  if (status == KERN_SUCCESS) *connect = installed->name(Kind::connection, handle);
  return status;
}

kern_return_t IOServiceClose(io_connect_t connect) {
  if (installed == nullptr || installed->find(connect, Kind::connection) == nullptr) {
    return kIOReturnBadArgument;
  }
  installed->ports.erase(connect);
  return KERN_SUCCESS;
}

kern_return_t IOObjectRelease(io_object_t object) {
  const auto* port = installed ? installed->find(object, Kind::service) : nullptr;
  if (port == nullptr) return kIOReturnBadArgument;
  const kern_return_t status = installed->smc.objectRelease(port->handle);
  installed->ports.erase(object);
  return status;
}

kern_return_t IOConnectCallStructMethod(mach_port_t connection, uint32_t selector,
                                        const void* inputStruct, size_t inputStructCnt,
                                        void* outputStruct, size_t* outputStructCnt) {
  const auto* port = installed ? installed->find(connection, Kind::connection) : nullptr;
  if (port == nullptr) return kIOReturnBadArgument;
  return installed->smc.callStructMethod(port->handle, selector, inputStruct, inputStructCnt,
                                         outputStruct, outputStructCnt);
}

}  // extern "C"
