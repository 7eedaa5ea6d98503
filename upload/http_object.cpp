#include "upload/http_object.h"

#include <curl/curl.h>

#include <cstring>
#include <mutex>

#include "base/bounded_io.h"
#include "base/trace.h"

namespace {

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool StartsWithNoCase(const String& text, const char16_t* prefix) {
  for (uint32_t i = 0; prefix[i]; ++i) {
    char16_t a = text.Element(i), b = prefix[i];
    if (a >= u'A' && a <= u'Z') a = static_cast<char16_t>(a - u'A' + u'a');
    if (a != b) return false;
  }
  return true;
}

uint16_t PortOf(const String& digits) {
  unsigned long value = 0;
  for (uint32_t i = 0;
       i < digits.Length() && digits.Element(i) >= u'0' && digits.Element(i) <= u'9'; ++i) {
    value = value * 10 + (digits.Element(i) - u'0');
    value &= 0xFFFFFFFFul;
  }
  return static_cast<uint16_t>(value);
}

struct Reply {
  Memory<char>* memory;
  size_t length = 0;
  bool failed = false;
  bool cut = false;
};

size_t Collect(char* data, size_t size, size_t count, void* context) {
  Reply& reply = *static_cast<Reply*>(context);
  size_t bytes = size * count;
  if (reply.failed) return bytes;
  if (reply.length + bytes > HttpObject::kMaxReply) {
    // Enough for the operator to read: keep the start, fetch no more.
    bytes = HttpObject::kMaxReply - reply.length;
    reply.cut = true;
  }
  if (!reply.memory->SetLength(static_cast<uint32_t>(reply.length + bytes + 1))) {
    Trace(u"html alloc failed");
    reply.failed = true;
    return bytes;
  }
  std::memcpy(reply.memory->Data() + reply.length, data, bytes);
  reply.length += bytes;
  return reply.cut ? 0 : bytes;  // 0 ends the transfer
}

HttpObject::Failure FailureOf(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return HttpObject::Failure::kNone;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return HttpObject::Failure::kResolve;
    case CURLE_COULDNT_CONNECT:
      return HttpObject::Failure::kConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return HttpObject::Failure::kTimeout;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
      return HttpObject::Failure::kCertificate;
    default:
      return HttpObject::Failure::kOther;
  }
}

// Runs one transfer through the multi interface, so that the wait can be
// given up within a few tens of milliseconds of `abort`; the easy interface
// would only look at an abort flag about once a second while nothing moves.
CURLcode Perform(CURL* curl, const std::atomic<bool>* abort, bool& aborted) {
  CURLM* multi = curl_multi_init();
  if (!multi) return CURLE_OUT_OF_MEMORY;
  curl_multi_add_handle(multi, curl);
  CURLcode result = CURLE_OK;
  aborted = false;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    if (running == 0) {
      int left = 0;
      while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE) result = message->data.result;
      }
      break;
    }
    if (abort && *abort) {
      aborted = true;
      result = CURLE_ABORTED_BY_CALLBACK;
      break;
    }
    curl_multi_poll(multi, nullptr, 0, kAbortSliceMs, nullptr);
  }
  curl_multi_remove_handle(multi, curl);
  curl_multi_cleanup(multi);
  return result;
}

std::string HeaderName(const std::string& header) {
  std::string name = header.substr(0, header.find(':'));
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

}  // namespace

HttpObject::HttpObject() = default;
HttpObject::~HttpObject() = default;

void HttpObject::Open() {
  InitialiseCurlOnce();
  sessionOpen_ = true;
}

bool HttpObject::SetUrl(const String& url) {
  String rest;
  if (StartsWithNoCase(url, u"https://")) {
    connectFlags_ |= kSecure;
    port_ = 443;
    rest = url.Mid(8);
  } else {
    connectFlags_ &= ~kSecure;
    port_ = 80;
    rest = StartsWithNoCase(url, u"http://") ? url.Mid(7) : url;
  }
  const int colon = rest.Find(u":");
  const int slash = rest.Find(u"/");
  if (slash < 0) {
    if (colon < 0) {
      host_ = rest;
    } else {
      host_ = rest.Left(colon);
      port_ = PortOf(rest.Mid(colon + 1));
    }
    return true;
  }
  if (colon < 0) {
    host_ = rest.Left(slash);
  } else if (colon < slash) {
    host_ = rest.Left(colon);
    port_ = PortOf(rest.Mid(colon + 1, slash - colon - 1));
  } else {
    return false;
  }
  path_ = rest.Mid(slash);
  return true;
}

bool HttpObject::OpenRequest() {
  if (requestOpen_ || !sessionOpen_ || host_.IsEmpty()) return false;
  requestOpen_ = true;
  headers_.clear();
  return true;
}

void HttpObject::AddHeader(const String& header) {
  if (!requestOpen_) return;
  const std::string line = header.ToBytes(cp::kAnsi);
  for (std::string& existing : headers_) {
    if (HeaderName(existing) == HeaderName(line)) {
      existing = line;
      return;
    }
  }
  headers_.push_back(line);
}

int HttpObject::Send(const void* body, int length, Memory<char>& reply) {
  failure_ = Failure::kOther;
  failureDetail_.clear();
  replyCut_ = false;
  statusCode_ = 0;
  incomplete_ = false;
  if (!requestOpen_) return -1;
  requestOpen_ = false;
  CURL* curl = curl_easy_init();
  if (!curl) return -1;
  const bool secure = connectFlags_ & kSecure;
  std::string host = host_.ToBytes(cp::kAnsi);
  if (host.find(':') != std::string::npos) host = "[" + host + "]";  // an IPv6 address
  const std::string url = (secure ? "https://" : "http://") + host + ":" + std::to_string(port_) +
                          (path_.IsEmpty() ? std::string("/") : path_.ToBytes(cp::kAnsi));
  const std::string method = method_.ToBytes(cp::kAnsi);
  const std::string agent = agent_.ToBytes(cp::kAnsi);
  curl_slist* headers = nullptr;
  // Always from the server, never from a cache on the way.
  headers = curl_slist_append(headers, "Pragma: no-cache");
  headers = curl_slist_append(headers, "Cache-Control: no-cache");
  headers = curl_slist_append(headers, "Expect:");
  for (const std::string& h : headers_) headers = curl_slist_append(headers, h.c_str());

  Reply collected{&reply, 0, false, false};
  char detail[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
  if (method == "POST" || length > 0) {
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body ? body : "");
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(length > 0 ? length : 0));
  }
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &collected);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs_));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(totalTimeoutMs_));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  bool aborted = false;
  const CURLcode result = Perform(curl, abortFlag_, aborted);
  long status = 0;
  if (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK) statusCode_ = status;
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  replyCut_ = collected.cut;
  failure_ = aborted ? Failure::kAborted : collected.cut ? Failure::kNone : FailureOf(result);
  failureDetail_ = detail[0] ? detail : curl_easy_strerror(result);
  // Part of a reply came, then the connection failed: the body is not whole.
  incomplete_ = failure_ != Failure::kNone && collected.length > 0;
  // A request that failed before any reply byte is -1; whatever was read counts.
  if (failure_ != Failure::kNone && collected.length == 0) return -1;
  if (collected.length > 0) reply[static_cast<uint32_t>(collected.length)] = 0;
  return static_cast<int>(collected.length);
}

void UrlEncode(String& text) {
  static const char16_t kHex[] = u"0123456789ABCDEF";
  const std::string bytes = text.ToBytes(cp::kUtf8);
  String out(u"");
  out.Reserve(static_cast<uint32_t>(bytes.size() * 3));
  for (unsigned char b : bytes) {
    if (b == ' ' || b >= 0x80 || b == '&' || b == '+' || b == '=' || b == '%') {
      const char16_t escaped[3] = {u'%', kHex[b >> 4], kHex[b & 15]};
      out.Append(escaped, 3);
    } else {
      out.Append(static_cast<char16_t>(b));
    }
  }
  text = out;
}
