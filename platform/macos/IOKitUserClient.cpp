#include "platform/macos/IOKitUserClient.h"

#include <IOKit/IOKitLib.h>
#include <mach/mach.h>

#include <type_traits>

namespace quimbo {

// The port's handles are IOKit's own: io_service_t and io_connect_t are
// 32-bit Mach port names, like the task, and the struct method's sizes are
// size_t, so every value and pointer passes through unconverted.
static_assert(std::is_same_v<UserClient::Service, io_service_t>);
static_assert(std::is_same_v<UserClient::Connection, io_connect_t>);
static_assert(std::is_same_v<UserClient::Task, task_port_t>);
static_assert(std::is_same_v<UserClient::Status, kern_return_t>);
static_assert(std::is_same_v<std::size_t, size_t>);

IOKitUserClient::~IOKitUserClient() {
  for (const Connection connection : connections_) IOServiceClose(connection);
}

// The dictionary itself is built by the lookup that takes it over, so that
// none is left behind when a matching is never looked up.
UserClient::Matching IOKitUserClient::serviceMatching(const char* className) {
  return Matching{className};
}

UserClient::Service IOKitUserClient::getMatchingService(Matching matching) {
  CFMutableDictionaryRef dictionary = IOServiceMatching(matching.className.c_str());
  if (dictionary == nullptr) return IO_OBJECT_NULL;
  return IOServiceGetMatchingService(kIOMainPortDefault, dictionary);  // releases the dictionary
}

UserClient::Status IOKitUserClient::serviceOpen(Service service, Task owningTask,
                                                std::uint32_t type, Connection* connection) {
  io_connect_t opened = IO_OBJECT_NULL;
  const kern_return_t status = IOServiceOpen(service, owningTask, type, &opened);
  if (status == KERN_SUCCESS) {
    connections_.push_back(opened);
    *connection = opened;
  }
  return status;
}

UserClient::Status IOKitUserClient::callStructMethod(Connection connection, std::uint32_t selector,
                                                     const void* input, std::size_t inputSize,
                                                     void* output, std::size_t* outputSize) {
  return IOConnectCallStructMethod(connection, selector, input, inputSize, output, outputSize);
}

UserClient::Status IOKitUserClient::objectRelease(Service object) {
  return IOObjectRelease(object);
}

UserClient::Task IOKitUserClient::ownTask() const { return mach_task_self(); }

}  // namespace quimbo
