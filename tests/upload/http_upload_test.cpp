#include "upload/http_upload.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <mutex>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/loopback_server.h"
#include "tests/support/misbehaving_peers.h"
#include "tests/support/no_proxy.h"
#include "upload/http_object.h"

namespace {

class RecordingHost : public UploadHost {
 public:
  void ShowUploadReply(uint64_t, const String&, const String&, bool) override { ++replies; }
  void ShowUploadMessage(const String& text, bool error) override {
    messages.push_back((error ? "error: " : "") + text.ToBytes(cp::kUtf8));
  }
  int replies = 0;
  std::vector<std::string> messages;
};

UploadRecord Record(const char16_t* name, const char16_t* time) {
  UploadRecord r;
  for (String& c : r.columns) c = u"";
  r.columns[1] = name;
  r.columns[2] = u"合格";
  r.columns[3] = u"9.9％";
  r.columns[4] = u"A&B+C=D 50%";
  r.columns[7] = u"张敏";
  r.columns[9] = time;
  return r;
}

TEST(HttpObjectTest, UrlsSplitIntoSecureFlagHostPortAndPath) {
  struct Case {
    const char16_t* url;
    bool accepted;
    const char16_t* host;
    int port;
    const char16_t* path;
    bool secure;
  } cases[] = {
      {u"https://host/p/q.asp?x=1", true, u"host", 443, u"/p/q.asp?x=1", true},
      {u"http://host:8088/receivedata/receive_tavrin_data.asp", true, u"host", 8088,
       u"/receivedata/receive_tavrin_data.asp", false},
      {u"HTTP://host/", true, u"host", 80, u"/", false},
      {u"host:81", true, u"host", 81, u"", false},
      {u"http://host:70000/x", true, u"host", 70000 % 65536, u"/x", false},
      {u"http://host/a:b", false, u"", 80, u"", false},
  };
  for (const Case& c : cases) {
    HttpObject http;
    EXPECT_EQ(http.SetUrl(c.url), c.accepted) << String(c.url).ToBytes(cp::kUtf8);
    if (!c.accepted) continue;
    EXPECT_TRUE(http.Host() == c.host) << String(c.url).ToBytes(cp::kUtf8);
    EXPECT_EQ(http.Port(), c.port);
    EXPECT_TRUE(http.Path() == c.path);
    EXPECT_EQ((http.ConnectFlags() & HttpObject::kSecure) != 0, c.secure);
  }
}

TEST(HttpObjectTest, FormEncodingEscapesSpacesNonAsciiAndTheFormCharacters) {
  struct Case {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"a b", u"a%20b"},
      {u"é", u"%C3%A9"},
      {u"a&b=c+d 50%", u"a%26b%3Dc%2Bd%2050%25"},
      {u"{\"k\" : \"v\",\r\n\t}", u"{\"k\"%20:%20\"v\",\r\n\t}"},
  };
  for (const Case& c : cases) {
    String s(c.in);
    UrlEncode(s);
    EXPECT_TRUE(s == c.out) << s.ToBytes(cp::kUtf8);
  }
}

TEST(HttpObjectTest, ReplyTextIsUtf8WithoutByteOrderMarkAndEndsAtAZeroByte) {
  auto decode = [](const std::string& bytes, int length) {
    Memory<char> m(static_cast<uint32_t>(bytes.size() + 1));
    std::memcpy(m.Data(), bytes.data(), bytes.size());
    m[static_cast<uint32_t>(bytes.size())] = 0;
    return DecodeReplyText(m, length).ToBytes(cp::kUtf8);
  };
  EXPECT_EQ(decode("OK", 2), "OK");
  EXPECT_EQ(decode("\xEF\xBB\xBF\xE6\x94\xB6\xE5\x88\xB0", 9), "收到");
  EXPECT_EQ(decode("ab\0cd", 5), "ab");
  EXPECT_EQ(decode("", 0), "");
  EXPECT_EQ(decode("x", -1), "");
}

TEST(HttpUploadTest, OneFormPostCarriesTheDocumentAndTheReplyIsShown) {
  UseNoProxy();
  LoopbackServer server;
  std::string request;
  server.Start([&](int fd) {
    request = LoopbackServer::ReadHttpRequest(fd);
    LoopbackServer::Send(
        fd, "HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\n\xEF\xBB\xBF\xE6\x94\xB6\xE5\x88\xB0");
  });
  HttpUploadSettings s;
  s.url = String::FromBytes(
      "http://127.0.0.1:" + std::to_string(server.Port()) + "/receivedata/receive_tavrin_data.asp",
      cp::kUtf8);
  s.userName = u"user 1";
  s.password = u"pw";
  s.unitCode = u"D01";
  s.unitName = u"城东站";
  RecordingHost host;
  UploadAbort abort;
  RunHttpUpload(s,
                {Record(u"毛豆", u"2019-03-05 15:16:04"), Record(u"黄瓜", u"2020-01-02 03:04:05")},
                host, abort);
  server.Join();
  EXPECT_EQ(host.messages, std::vector<std::string>{"收到"});
  EXPECT_EQ(host.replies, 2) << "a 2xx reply accepts every record of the post";

  const size_t end = request.find("\r\n\r\n");
  ASSERT_NE(end, std::string::npos);
  const std::string head = request.substr(0, end + 2);
  const std::string body = request.substr(end + 4);
  EXPECT_EQ(head.substr(0, head.find("\r\n")),
            "POST /receivedata/receive_tavrin_data.asp HTTP/1.0");
  for (const char* line : {"User-Agent: pelmora http request component 1.0\r\n",
                           "Content-Type: application/x-www-form-urlencoded\r\n",
                           "Pragma: no-cache\r\n", "Cache-Control: no-cache\r\n"}) {
    EXPECT_NE(head.find(line), std::string::npos) << line;
  }
  EXPECT_NE(head.find("Content-Length: " + std::to_string(body.size()) + "\r\n"),
            std::string::npos);

  Json expected = BuildUploadDocument(
      s, {Record(u"毛豆", u"2019-03-05 15:16:04"), Record(u"黄瓜", u"2020-01-02 03:04:05")});
  String text = expected.ToText(true);
  UrlEncode(text);
  EXPECT_EQ(body, "data=" + text.ToBytes(cp::kUtf8));
  EXPECT_EQ(body.rfind("data={\r\n\t\"username\"%20:%20\"user%201\",\r\n", 0), 0u);
  EXPECT_NE(body.find("\"yangpinbianhao\"%20:%20\"2019\""), std::string::npos);
  EXPECT_NE(body.find("%E6%AF%9B%E8%B1%86"), std::string::npos) << "毛豆 in UTF-8 escapes";
  EXPECT_NE(body.find("A%26B%2BC%3DD%2050%25"), std::string::npos);
  EXPECT_LT(body.find("%E6%AF%9B"), body.find("%E9%BB%84")) << "details in upload order";
}

TEST(HttpUploadTest, NoRecordsGiveAnEmptyDetailsArrayAndAFailedRequestItsReason) {
  HttpUploadSettings s;
  const std::string pretty = BuildUploadDocument(s, {}).ToText(true).ToBytes(cp::kUtf8);
  EXPECT_NE(pretty.find("\"details\" : [\r\n\t]"), std::string::npos) << pretty;

  int closedPort;
  {
    LoopbackServer closed;
    closedPort = closed.Port();
  }
  const std::string url = "http://127.0.0.1:" + std::to_string(closedPort) + "/x";
  s.url = String::FromBytes(url, cp::kUtf8);
  RecordingHost host;
  UploadAbort abort;
  RunHttpUpload(s, {}, host, abort);
  EXPECT_EQ(host.messages,
            std::vector<std::string>{
                "error: 无法连接服务器，请检查上传网址、服务器是否运行和网络\n" + url});
}

TEST(HttpUploadTest, TheBoxShowsTheReplysStartOrTheReasonAndTheUrl) {
  const String url = u"https://h/up";
  const String longReply = String(u"回") + String::FromBytes(std::string(2100, 'a'), cp::kUtf8);
  const std::string note = "\n……（服务器的回复过长，只显示了前 2000 个字）";
  struct Case {
    int length;
    String reply;
    bool cut;
    HttpObject::Failure failure;
    std::string shown;
  } cases[] = {
      {2, u"OK", false, HttpObject::Failure::kNone, "OK"},
      {0, u"", false, HttpObject::Failure::kNone, ""},
      {2103, longReply, false, HttpObject::Failure::kNone, "回" + std::string(1999, 'a') + note},
      {2, u"OK", true, HttpObject::Failure::kNone, "OK" + note},
      {2100,
       String::FromBytes(std::string(1999, 'a') + "\xF0\x9F\x98\x80"
                                                  "bbb",
                         cp::kUtf8),
       false, HttpObject::Failure::kNone, std::string(1999, 'a') + note},  // never half a character
      {-1, u"", false, HttpObject::Failure::kResolve,
       "无法解析服务器网址，请检查上传网址和网络\nhttps://h/up"},
      {-1, u"", false, HttpObject::Failure::kTimeout,
       "服务器没有及时回复，请稍后再试\nhttps://h/up"},
      {-1, u"", false, HttpObject::Failure::kCertificate,
       "无法建立安全连接：服务器的证书不受信任或加密协商失败，请联系服务器管理员\nhttps://h/up"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HttpOutcomeText(c.length, c.reply, c.cut, c.failure, url).ToBytes(cp::kUtf8), c.shown)
        << c.length;
  }
}

// Only a whole 2xx reply (holding the agreed text, when one is set) accepts
// the post's records; anything else is an error that accepts nothing.
TEST(HttpUploadTest, AReplyThatIsNoAnswerIsShownAsAnErrorWithItsStatus) {
  struct Case {
    const char* what;
    std::string reply;
    std::string starts;  // what the box begins with
    const char16_t* okText = u"";
  } cases[] = {
      {"2xx", "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok", "ok"},
      {"204", "HTTP/1.0 204 No Content\r\n\r\n", ""},
      {"2xx with the agreed text", "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n{\"code\":0}", "{",
       u"\"code\":0"},
      {"2xx without it", "HTTP/1.0 200 OK\r\nContent-Length: 11\r\n\r\n{\"code\":17}",
       "error: 服务器的回复里没有成功标记“\"code\":0”", u"\"code\":0"},
      {"500", "HTTP/1.0 500 Internal Server Error\r\nContent-Length: 4\r\n\r\noops",
       "error: 服务器返回错误（HTTP 500）"},
      {"404", "HTTP/1.0 404 Not Found\r\n\r\n", "error: 服务器返回错误（HTTP 404）"},
      {"redirect", "HTTP/1.0 302 Found\r\nLocation: http://elsewhere/\r\n\r\n",
       "error: 服务器要求转到别的网址（HTTP 302）"},
      {"cut body", "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nonly ten b",
       "error: 服务器的回复不完整"},
  };
  for (const Case& c : cases) {
    LoopbackServer server;
    server.Start([&c](int fd) {
      LoopbackServer::Read(fd, 1);
      LoopbackServer::Send(fd, c.reply);
    });
    HttpUploadSettings s;
    s.url =
        String::FromBytes("http://127.0.0.1:" + std::to_string(server.Port()) + "/x", cp::kUtf8);
    s.okText = c.okText;
    RecordingHost host;
    UploadAbort abort;
    RunHttpUpload(
        s, {Record(u"毛豆", u"2019-03-05 15:16:04"), Record(u"黄瓜", u"2019-03-05 15:16:05")}, host,
        abort);
    server.Join();
    ASSERT_EQ(host.messages.size(), 1u) << c.what;
    EXPECT_EQ(host.messages[0].rfind(c.starts, 0), 0u) << c.what << ": " << host.messages[0];
    const bool error = host.messages[0].rfind("error: ", 0) == 0;
    EXPECT_EQ(error, c.starts.rfind("error: ", 0) == 0) << c.what;
    EXPECT_EQ(host.replies, error ? 0 : 2) << c.what << ": every record of an accepted post";
  }
}

TEST(HttpUploadTest, RecordsOfSeveralDeviceIdsGoInOnePostPerId) {
  LoopbackServer server;
  std::vector<std::string> posts;
  server.Start(
      [&posts](int fd) {
        posts.push_back(LoopbackServer::ReadHttpRequest(fd));
        LoopbackServer::Send(fd, "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok");
      },
      2);
  std::vector<UploadRecord> records = {Record(u"毛豆", u"1"), Record(u"黄瓜", u"2"),
                                       Record(u"白菜", u"3")};
  records[0].deviceId = records[2].deviceId = u"0123456789ABCDEF";
  records[1].deviceId = u"FEDCBA9876543210";
  HttpUploadSettings s;
  s.url = String::FromBytes("http://127.0.0.1:" + std::to_string(server.Port()) + "/x", cp::kUtf8);
  RecordingHost host;
  UploadAbort abort;
  RunHttpUpload(s, records, host, abort);
  server.Join();
  ASSERT_EQ(posts.size(), 2u);
  auto count = [](const std::string& post, const std::string& what) {
    size_t n = 0;
    for (size_t at = post.find(what); at != std::string::npos; at = post.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count(posts[0], "yangpinmingcheng"), 2u);
  EXPECT_EQ(count(posts[1], "yangpinmingcheng"), 1u);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].find("设备 0123456789ABCDEF（2 条）"), std::string::npos)
      << host.messages[0];
  EXPECT_NE(host.messages[0].find("设备 FEDCBA9876543210（1 条）"), std::string::npos);
}

TEST(HttpUploadTest, AHugeReplyIsReadOnlyUpToItsLimit) {
  LoopbackServer server;
  server.Start([](int fd) {
    LoopbackServer::Read(fd, 1);
    LoopbackServer::Send(fd, "HTTP/1.0 200 OK\r\n\r\n");
    const std::string block(64 * 1024, 'a');
    for (int i = 0; i < 8 * 16; ++i) LoopbackServer::Send(fd, block);  // 8 MiB, unless cut off
  });
  HttpObject http;
  http.Open();
  http.SetUrl(
      String::FromBytes("http://127.0.0.1:" + std::to_string(server.Port()) + "/", cp::kUtf8));
  http.SetMethod(u"POST");
  ASSERT_TRUE(http.OpenRequest());
  Memory<char> reply;
  EXPECT_EQ(http.Send("x", 1, reply), static_cast<int>(HttpObject::kMaxReply));
  EXPECT_TRUE(http.ReplyCut());
  server.Join();
}

#ifndef _WIN32
// The TLS peer is OpenSSL's s_server, and TLS on Windows is the system's own.

// A self-signed certificate is refused (verification stays on), and the
// operator is told so instead of seeing an empty box.
TEST(HttpUploadTest, AnUntrustedCertificateIsRefusedWithItsReason) {
  if (std::system("command -v openssl > /dev/null") != 0) GTEST_SKIP() << "openssl missing";
  const std::string dir = ::testing::TempDir() + "/untrusted-tls-" + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  ASSERT_EQ(std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1"
                         " -keyout " +
                         dir + "/key.pem -out " + dir + "/cert.pem 2> /dev/null")
                            .c_str()),
            0);
  int port;
  {
    LoopbackServer free;
    port = free.Port();
  }
  ChildProcess tls({"/usr/bin/openssl", "s_server", "-accept", "127.0.0.1:" + std::to_string(port),
                    "-cert", dir + "/cert.pem", "-key", dir + "/key.pem", "-www"});
  for (std::string line; (line = tls.ReadLine()) != "ACCEPT";)
    ASSERT_FALSE(line.empty() && !tls.Started());
  HttpUploadSettings s;
  const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/up";
  s.url = String::FromBytes(url, cp::kUtf8);
  RecordingHost host;
  UploadAbort abort;
  RunHttpUpload(s, {}, host, abort);
  EXPECT_EQ(host.messages,
            std::vector<std::string>{"error: 无法建立安全连接：服务器的证书不受信任或加密协商失败，"
                                     "请联系服务器管理员\n" +
                                     url});
}

// Closing the window while the server's connection hangs: the request is
// given up at once and nothing is shown.
#endif  // _WIN32

TEST(HttpUploadTest, AbortEndsAHungRequestWithoutAMessage) {
  peers::FullQueue hung;
  HttpUploadSettings s;
  s.url = String::FromBytes("http://127.0.0.1:" + std::to_string(hung.Port()) + "/up", cp::kUtf8);
  RecordingHost host;
  UploadAbort abort;
  auto run = std::async(std::launch::async, [&] { RunHttpUpload(s, {}, host, abort); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  abort.Request();
  // The connect time-out is 10 s: an upload that ignored the abort would still be running.
  ASSERT_EQ(run.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace
