#include "platform/userclient/SmcService.h"

#include <bit>
#include <cstring>

namespace quimbo {

std::array<std::uint8_t, 4> SmcService::fltBytes(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
          static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

UserClient::Service SmcService::getMatchingService(Matching matching) {
  return matching.className == SMC::kServiceClass && present() ? kService : 0;
}

UserClient::Status SmcService::serviceOpen(Service service, Task owningTask, std::uint32_t type,
                                           Connection* connection) {
  if (service != kService || owningTask != kOwnTask || type != SMC::kConnectionType ||
      connection == nullptr) {
    return kBadArgument;
  }
  *connection = kConnection;
  open_ = true;
  opened();
  return 0;
}

UserClient::Status SmcService::callStructMethod(Connection connection, std::uint32_t selector,
                                                const void* input, std::size_t inputSize,
                                                void* output, std::size_t* outputSize) {
  constexpr std::size_t kRecordSize = sizeof(SMC::Param);
  if (!open_ || connection != kConnection) return kNotOpen;
  if (input == nullptr || output == nullptr || outputSize == nullptr || inputSize != kRecordSize ||
      *outputSize < kRecordSize) {
    return kBadArgument;
  }
  SMC::Param request;
  std::memcpy(&request, input, kRecordSize);
  SMC::Param response{};
  Status status = 0;
  if (selector != SMC::kSelector) {
    status = kBadArgument;
  } else if (request.command != SMC::kReadKeyInfo && request.command != SMC::kReadBytes) {
    status = kUnsupported;  // the SMC is only ever read
  } else {
    response = request;
    response.bytes = {};
    answer(request, response);
  }
  std::memcpy(output, &response, kRecordSize);
  *outputSize = kRecordSize;
  exchanged(selector, request, status, response);
  return status;
}

}  // namespace quimbo
