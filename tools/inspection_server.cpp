// inspection-server: a reference inspection server for demonstrations and
// tests. It speaks both upload protocols on loopback by default:
//   TCP:  reads the 10-byte header and the 179-byte frames, recomputes each
//         record's uid from the frame and the device ID, answers "<uid>:ok" LF
//         (or the chosen status, delay or misbehaviour);
//   HTTP: takes the form post, decodes "data", parses the document and
//         answers a short UTF-8 text.
// It prints "TCP <port>" and "HTTP <port>" when listening, then one line per
// thing received. It runs until stopped (or after --uploads N uploads).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "base/bounded_io.h"
#include "tools/inspection_protocol.h"

namespace {

const char kUsage[] =
    "usage: inspection-server [--bind ADDR] [--tcp-port N] [--http-port N] [--status TEXT]\n"
    "                         [--delay-ms N] [--misbehave silent|crlf|lowercase|overlong|close]\n"
    "                         [--lower-case-id] [--reply TEXT] [--bom] [--uploads N] [--quiet]\n";

struct Options {
  std::string bind = "127.0.0.1";
  int tcpPort = 3620, httpPort = 8088;
  std::string status = "ok";
  int delayMs = 0;
  std::string misbehave;
  bool lowerCaseId = false;
  std::string reply;
  bool bom = false;
  int uploads = 0;     // 0: run until stopped
  bool quiet = false;  // no line per record
};

std::mutex logLock;
std::atomic<int> uploadsDone{0};

void Log(const std::string& line) {
  std::lock_guard<std::mutex> lock(logLock);
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

bool ReadExactly(int fd, std::string& out, size_t n) {
  out.clear();
  char buffer[512];
  while (out.size() < n) {
    const long got = ReceiveSome(fd, buffer, std::min(sizeof buffer, n - out.size()));
    if (got <= 0) return false;
    out.append(buffer, static_cast<size_t>(got));
  }
  return true;
}

// A send not finished within a minute is given up.
void SendAll(int fd, const std::string& bytes) {
  IoError error;
  (void)WriteWithin(fd, bytes, 60000, nullptr, error);
}

int Listen(const std::string& address, int port, int& bound) {
  int code = 0;
  const int fd = ListenTcp(address, port, 16, bound, code);
  if (fd < 0) {
    std::fprintf(stderr, "inspection-server: listen on %s:%d: %s\n", address.c_str(), port,
                 SystemErrorText(code).c_str());
    std::exit(2);
  }
  return fd;
}

void ServeTcp(int fd, const Options& o) {
  std::string header;
  String deviceId;
  if (!ReadExactly(fd, header, 10) || !DeviceIdFromHeader(header, o.lowerCaseId, deviceId)) {
    Log("TCP bad header");
    CloseDescriptor(fd);
    return;
  }
  Log("TCP header device " + deviceId.ToBytes(cp::kUtf8));
  int frames = 0;
  std::string frame;
  while (ReadExactly(fd, frame, 179)) {
    ++frames;
    std::string uid = UidOfFrame(frame, deviceId).ToBytes(cp::kUtf8);
    if (!o.quiet) Log("TCP record " + frame.substr(3, 12) + " uid " + uid);
    if (o.misbehave == "silent") continue;
    if (o.misbehave == "close") break;
    if (o.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(o.delayMs));
    if (o.misbehave == "lowercase") {
      for (char& c : uid) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (o.misbehave == "overlong") {
      SendAll(fd, std::string(130, 'x'));
      continue;
    }
    SendAll(fd, uid + ":" + o.status + (o.misbehave == "crlf" ? "\r\n" : "\n"));
  }
  Log("TCP upload done, " + std::to_string(frames) + " records");
  CloseDescriptor(fd);
  ++uploadsDone;
}

void ServeHttp(int fd, const Options& o) {
  std::string request;
  char buffer[4096];
  size_t headerEnd;
  while ((headerEnd = request.find("\r\n\r\n")) == std::string::npos) {
    const long n = ReceiveSome(fd, buffer, sizeof buffer);
    if (n <= 0) {
      CloseDescriptor(fd);
      return;
    }
    request.append(buffer, static_cast<size_t>(n));
  }
  size_t length = 0;
  const size_t at = request.find("Content-Length:");
  if (at != std::string::npos && at < headerEnd) length = std::stoul(request.substr(at + 15));
  std::string body = request.substr(headerEnd + 4);
  while (body.size() < length) {
    const long n = ReceiveSome(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    body.append(buffer, static_cast<size_t>(n));
  }
  Log("HTTP " + request.substr(0, request.find("\r\n")));
  std::string data;
  Json doc;
  std::string text;
  if (!FormField(body, "data", data) || !doc.ParseMbs(data.data(), static_cast<int>(data.size()))) {
    text = "数据格式错误";
  } else {
    const Json* details = doc.FindProperty(u"details");
    const int count = details ? static_cast<int>(details->Count()) : 0;
    Log("HTTP upload from " + String(doc.PropertyStr(u"username", u"")).ToBytes(cp::kUtf8) + ", " +
        std::to_string(count) + " records");
    text = o.reply.empty() ? "收到 " + std::to_string(count) + " 条数据" : o.reply;
  }
  if (o.bom) text = "\xEF\xBB\xBF" + text;
  SendAll(fd, "HTTP/1.0 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                  std::to_string(text.size()) + "\r\n\r\n" + text);
  CloseDescriptor(fd);
  ++uploadsDone;
}

void AcceptLoop(int listener, void (*serve)(int, const Options&), const Options& o) {
  for (;;) {
    const int fd = AcceptWithin(listener, 1000);
    if (fd < 0) continue;
    std::thread(serve, fd, std::cref(o)).detach();
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fputs(kUsage, stderr);
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--bind")
      o.bind = value();
    else if (a == "--tcp-port")
      o.tcpPort = std::atoi(value().c_str());
    else if (a == "--http-port")
      o.httpPort = std::atoi(value().c_str());
    else if (a == "--status")
      o.status = value();
    else if (a == "--delay-ms")
      o.delayMs = std::atoi(value().c_str());
    else if (a == "--misbehave")
      o.misbehave = value();
    else if (a == "--lower-case-id")
      o.lowerCaseId = true;
    else if (a == "--reply")
      o.reply = value();
    else if (a == "--bom")
      o.bom = true;
    else if (a == "--quiet")
      o.quiet = true;
    else if (a == "--uploads")
      o.uploads = std::atoi(value().c_str());
    else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  int tcpPort = 0, httpPort = 0;
  const int tcp = Listen(o.bind, o.tcpPort, tcpPort);
  const int http = Listen(o.bind, o.httpPort, httpPort);
  Log("TCP " + std::to_string(tcpPort));
  Log("HTTP " + std::to_string(httpPort));
  std::thread(AcceptLoop, tcp, ServeTcp, std::cref(o)).detach();
  std::thread(AcceptLoop, http, ServeHttp, std::cref(o)).detach();
  while (o.uploads == 0 || uploadsDone < o.uploads) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return 0;
}
