#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/memory.h"
#include "base/string.h"

// A small HTTP client for one request: HTTP/1.0, the agent as User-Agent, no
// caching, TLS with certificate checks for https, proxies from the usual
// environment variables. Set up, OpenRequest, AddHeader, then Send, which
// reads the whole reply body. One thread per object.
class HttpObject {
 public:
  static constexpr uint32_t kSecure = 0x00800000;
  // Replies are read up to this many bytes; the rest is not fetched.
  static constexpr size_t kMaxReply = 1 << 20;

  // Why the last Send got no reply.
  enum class Failure { kNone, kResolve, kConnect, kTimeout, kCertificate, kAborted, kOther };

  HttpObject();
  ~HttpObject();
  HttpObject(const HttpObject&) = delete;
  HttpObject& operator=(const HttpObject&) = delete;

  void Open();  // the session; set the agent first
  void SetAgent(const String& agent) { agent_ = agent; }
  void SetMethod(const String& method) { method_ = method; }
  // Splits the URL into secure flag, host, port and path; false (nothing more
  // changed) when a ':' comes after the first '/'.
  bool SetUrl(const String& url);
  bool OpenRequest();
  // "Name: value"; replaces a header of the same name. Only with an open request.
  void AddHeader(const String& header);
  // Sends the request with `body` and reads the reply body, at most kMaxReply
  // bytes, into `reply` (followed by a zero byte that is not counted).
  // Returns the bytes read, or -1 when the request failed (LastFailure says
  // why). Closes the request.
  int Send(const void* body, int length, Memory<char>& reply);

  // A flag another thread may set to give up a running Send within a few
  // tens of milliseconds (the window is closing).
  void SetAbortFlag(const std::atomic<bool>* flag) { abortFlag_ = flag; }
  void SetTimeouts(int connectMs, int totalMs) {
    connectTimeoutMs_ = connectMs;
    totalTimeoutMs_ = totalMs;
  }

  Failure LastFailure() const { return failure_; }
  // The HTTP library's own description of the last failure (English).
  const std::string& LastFailureDetail() const { return failureDetail_; }
  // Whether the last reply was longer than kMaxReply and was cut there.
  bool ReplyCut() const { return replyCut_; }
  // The status code of the last reply (0 when none came), and whether its
  // body ended early because the connection failed.
  long StatusCode() const { return statusCode_; }
  bool ReplyIncomplete() const { return incomplete_; }

  const String& Host() const { return host_; }
  uint16_t Port() const { return port_; }
  const String& Path() const { return path_; }
  uint32_t ConnectFlags() const { return connectFlags_; }
  bool HasRequest() const { return requestOpen_; }

 private:
  bool sessionOpen_ = false;
  bool requestOpen_ = false;
  uint32_t connectFlags_ = 0;
  uint16_t port_ = 80;
  String agent_ = String(u"zarnet http object 1.0");
  String host_ = String(u"");
  String path_ = String(u"");
  String method_ = String(u"GET");
  std::vector<std::string> headers_;
  const std::atomic<bool>* abortFlag_ = nullptr;
  int connectTimeoutMs_ = 10000;
  int totalTimeoutMs_ = 60000;
  Failure failure_ = Failure::kNone;
  std::string failureDetail_;
  bool replyCut_ = false;
  long statusCode_ = 0;
  bool incomplete_ = false;
};

// Form encoding: the text in UTF-8, a space as "%20", every byte above 0x7F as
// "%" and two upper-case hexadecimal digits, and "&", "+", "=" and "%" escaped
// so that no field is cut or changed by the server's form decoding. Other
// ASCII characters stay as they are.
void UrlEncode(String& text);
