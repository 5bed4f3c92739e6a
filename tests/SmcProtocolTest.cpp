#include <gtest/gtest.h>

#include <cstring>

#include "smc/SMC.h"
#include "tests/RecordingUserClient.h"
#include "tests/UserClientRoutes.h"

namespace quimbo {
namespace {

using testing::RecordingUserClient;
using testing::Routed;

// Every case runs over each route to the user client.
class SmcProtocol : public ::testing::TestWithParam<testing::Route> {};

std::array<std::uint8_t, 80> bytesOf(const SMC::Param& p) {
  std::array<std::uint8_t, 80> out;
  std::memcpy(out.data(), &p, 80);
  return out;
}

// Answers key information with the given size and type, and read bytes with
// 0x10, 0x11, ... in every value byte.
RecordingUserClient::Responder machine(std::uint32_t size, std::uint32_t type) {
  return [=](const SMC::Param& request) {
    SMC::Param response{};
    response.key = request.key;
    if (request.command == SMC::kReadKeyInfo) {
      response.keyInfo.dataSize = size;
      response.keyInfo.dataType = type;
      response.keyInfo.dataAttributes = 0xd4;
      response.keyInfo.padding = {1, 2, 3};
      response.reserved4 = 0xdeadbeef;  // never interpreted
    } else {
      for (std::size_t i = 0; i < 32; ++i) response.bytes[i] = static_cast<std::uint8_t>(0x10 + i);
      response.keyInfo.dataSize = 99;          // the second answer's size and
      response.keyInfo.dataType = 0x75693820;  // type never win
    }
    return std::pair{0, response};
  };
}

TEST_P(SmcProtocol, FailedOpenLeavesTheSmcClosedAndReadsMakeNoExchange) {
  struct Case {
    const char* what;
    UserClient::Service service;
    UserClient::Status openStatus;
    std::vector<UserClient::Service> released;  // and opened
  };
  const Case cases[] = {
      {"no service", 0, 0, {}},      // nothing to open or release when nothing matched
      {"open refused", 7, -1, {7}},  // released whatever the open
  };
  for (const Case& c : cases) {
    RecordingUserClient client;
    client.service = c.service;
    client.openStatus = c.openStatus;
    Routed route(GetParam(), client);
    SMC smc(route.client());
    EXPECT_FALSE(smc.open()) << c.what;
    EXPECT_FALSE(smc.isOpen()) << c.what;
    EXPECT_EQ(client.opens.size(), c.released.size()) << c.what;
    EXPECT_EQ(client.released, c.released) << c.what;
    EXPECT_FALSE(smc.read("FNum")) << c.what;
    EXPECT_TRUE(client.exchanges.empty()) << c.what;
  }
}

TEST_P(SmcProtocol, OpenUsesTheAppleSmcAndAReadMakesKeyInfoThenReadBytesExchanges) {
  RecordingUserClient client;
  client.respond = machine(2, SMC::fourCC("fpe2"));
  Routed route(GetParam(), client);
  SMC smc(route.client());
  EXPECT_FALSE(smc.isOpen());
  ASSERT_TRUE(smc.open());
  EXPECT_TRUE(smc.isOpen());
  EXPECT_EQ(client.matchedClasses, std::vector<std::string>{"AppleSMC"});
  ASSERT_EQ(client.opens.size(), 1u);
  EXPECT_EQ(client.opens[0], std::make_tuple(7u, 0x103u, 0u)) << "own task, type zero";
  EXPECT_EQ(client.released, std::vector<UserClient::Service>{7});

  const auto value = smc.read("F0Ac");
  ASSERT_TRUE(value);
  ASSERT_EQ(client.exchanges.size(), 2u);
  for (const auto& exchange : client.exchanges) {
    EXPECT_EQ(exchange.connection, 42u);
    EXPECT_EQ(exchange.selector, 2u);
    EXPECT_EQ(exchange.inputSize, 80u);
    EXPECT_EQ(exchange.outputSize, 80u);
  }

  // The record's layout is pinned where it is declared; here, its contents.
  SMC::Param info{};
  info.key = SMC::fourCC("F0Ac");
  info.command = 9;
  EXPECT_EQ(bytesOf(client.exchanges[0].request), bytesOf(info)) << "key and command only";
  SMC::Param bytes = info;
  bytes.keyInfo = {2, SMC::fourCC("fpe2"), 0xd4, {1, 2, 3}};  // as answered
  bytes.command = 5;
  EXPECT_EQ(bytesOf(client.exchanges[1].request), bytesOf(bytes));

  EXPECT_EQ(value->type, SMC::fourCC("fpe2")) << "type of the key-information answer";
}

TEST_P(SmcProtocol, ValueBytesFollowTheReportedSizeUpToThirtyTwo) {
  struct Case {
    std::uint32_t dataSize;
    std::size_t expected;
  };
  for (const Case c : {Case{0, 0}, Case{2, 2}, Case{32, 32}, Case{40, 32}, Case{0xffffffff, 32}}) {
    RecordingUserClient client;
    client.respond = machine(c.dataSize, SMC::fourCC("ui8 "));
    Routed route(GetParam(), client);
    SMC smc(route.client());
    ASSERT_TRUE(smc.open());
    const auto value = smc.read("FNum");
    ASSERT_TRUE(value) << "dataSize " << c.dataSize << " is a result, not nothing";
    EXPECT_EQ(value->bytes.size(), c.expected) << "dataSize " << c.dataSize;
    for (std::size_t i = 0; i < value->bytes.size(); ++i) EXPECT_EQ(value->bytes[i], 0x10 + i);
  }
}

TEST_P(SmcProtocol, AFailedExchangeEndsTheRead) {
  struct Case {
    const char* what;
    std::uint8_t failingCommand;
    bool byStatus;
    std::size_t exchanges;
  };
  for (const Case c :
       {Case{"key-info status", 9, true, 1}, Case{"key-info result", 9, false, 1},
        Case{"read-bytes status", 5, true, 2}, Case{"read-bytes result", 5, false, 2}}) {
    RecordingUserClient client;
    const auto good = machine(4, SMC::fourCC("flt "));
    client.respond = [&](const SMC::Param& request) {
      auto [status, response] = good(request);
      if (request.command == c.failingCommand) {
        if (c.byStatus)
          status = static_cast<UserClient::Status>(0xE00002C2);
        else
          response.result = 0x84;
      }
      return std::pair{status, response};
    };
    Routed route(GetParam(), client);
    SMC smc(route.client());
    ASSERT_TRUE(smc.open());
    EXPECT_FALSE(smc.read("Tp01")) << c.what;
    EXPECT_FALSE(smc.number("Tp01")) << c.what;
    EXPECT_EQ(client.exchanges.size(), 2 * c.exchanges) << c.what << ": no cache, no retry";
    // The connection stays usable: the next read starts again from the top.
    client.respond = good;
    EXPECT_TRUE(smc.read("Tp01")) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(UserClients, SmcProtocol, ::testing::ValuesIn(testing::routes()),
                         testing::routeName);

}  // namespace
}  // namespace quimbo
