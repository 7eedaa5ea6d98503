// "测试连接": a server that answers, one that refuses, one that never accepts
// (bounded by the time-out), and a name that does not resolve, over TCP and HTTP.
#include "upload/server_check.h"

#include <gtest/gtest.h>

#include "tests/support/loopback_server.h"
#include "tests/support/misbehaving_peers.h"

namespace {

TEST(ServerCheckTest, EachOutcomeIsNamedWithItsServerWithinTheTimeOut) {
  LoopbackServer tcp;
  tcp.Start([](int) {});
  LoopbackServer http;
  http.Start([](int fd) {
    LoopbackServer::Read(fd, 1);  // the request has begun
    LoopbackServer::Send(fd, "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
  });
  peers::FullQueue hung;
  const int closed = peers::ClosedPort();
  const auto url = [](int port) {
    String text;
    text.Format(u"http://127.0.0.1:%d/up", port);
    return text;
  };
  struct Case {
    const char* what;
    Status outcome;
    const char* starts;  // "" when it got through
  } cases[] = {
      {"tcp, listening",
       CheckTcpServer(u"127.0.0.1", static_cast<uint16_t>(tcp.Port()), 2000, nullptr), ""},
      {"tcp, refused", CheckTcpServer(u"127.0.0.1", static_cast<uint16_t>(closed), 2000, nullptr),
       "服务器 127.0.0.1:"},
      {"tcp, never accepts",
       CheckTcpServer(u"127.0.0.1", static_cast<uint16_t>(hung.Port()), 300, nullptr),
       "连接服务器 127.0.0.1:"},
      {"tcp, no such host", CheckTcpServer(u"no-such-host.invalid", 3620, 2000, nullptr),
       "找不到服务器 no-such-host.invalid"},
      {"http, any answer", CheckHttpServer(url(http.Port()), 2000, nullptr), ""},
      {"http, refused", CheckHttpServer(url(closed), 2000, nullptr), "服务器拒绝连接"},
      {"http, no such host", CheckHttpServer(u"http://no-such-host.invalid/up", 2000, nullptr),
       "找不到服务器"},
  };
  for (const Case& c : cases) {
    const std::string text = c.outcome.text.ToBytes(cp::kUtf8);
    EXPECT_EQ(c.outcome.ok, *c.starts == 0) << c.what << ": " << text;
    EXPECT_EQ(text.rfind(c.starts, 0), 0u) << c.what << ": " << text;
  }
  EXPECT_NE(cases[1].outcome.text.ToBytes(cp::kUtf8).find("拒绝连接"), std::string::npos);
  EXPECT_NE(cases[2].outcome.text.ToBytes(cp::kUtf8).find("超时"), std::string::npos);
}

}  // namespace
