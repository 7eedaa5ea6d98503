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
  // Sends the request with `body` and reads the reply body into `reply`
  // (followed by a zero byte that is not counted). Returns the bytes read, or
  // -1 when the request could not be sent. Closes the request.
  int Send(const void* body, int length, Memory<char>& reply);

  // A flag another thread may set to give up a running Send (the window is closing).
  void SetAbortFlag(const std::atomic<bool>* flag) { abortFlag_ = flag; }

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
};

// Form encoding: the text in UTF-8, a space as "%20", every byte above 0x7F as
// "%" and two upper-case hexadecimal digits, and "&", "+", "=" and "%" escaped
// so that no field is cut or changed by the server's form decoding. Other
// ASCII characters stay as they are.
void UrlEncode(String& text);
