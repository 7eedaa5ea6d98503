#include "upload/server_check.h"

#include <string>

#include "base/bounded_io.h"
#include "upload/http_object.h"

Status CheckTcpServer(const String& host, uint16_t port, int timeoutMs,
                      const std::atomic<bool>* abort) {
  IoError error;
  const int fd = ConnectTcp(host.ToBytes(cp::kAnsi), std::to_string(port), AddressFamily::kAny,
                            timeoutMs, abort, error);
  if (fd >= 0) {
    CloseDescriptor(fd);
    return Status::Ok();
  }
  String text;
  switch (error.failure) {
    case IoFailure::kResolve:
      text.Format(u"找不到服务器 %s，请检查服务器地址和网络", host.Handle());
      break;
    case IoFailure::kRefused:
      text.Format(u"服务器 %s:%d 拒绝连接，请检查端口号和服务器是否在运行", host.Handle(),
                  static_cast<int>(port));
      break;
    case IoFailure::kTimeout:
      text.Format(u"连接服务器 %s:%d 超时，请检查地址、网络和防火墙", host.Handle(),
                  static_cast<int>(port));
      break;
    case IoFailure::kAborted:
      text = u"已停止";
      break;
    default:
      text.Format(u"无法连接服务器 %s:%d（系统错误 %d）", host.Handle(), static_cast<int>(port),
                  error.code);
      break;
  }
  return Status::Failed(text);
}

Status CheckHttpServer(const String& url, int timeoutMs, const std::atomic<bool>* abort) {
  HttpObject http;
  http.SetAgent(u"pelmora http request component 1.0");
  http.SetAbortFlag(abort);
  http.SetTimeouts(timeoutMs, timeoutMs);
  http.Open();
  if (!http.SetUrl(url)) return Status::Failed(u"上传网址格式不对：" + url);
  http.SetMethod(u"GET");
  http.OpenRequest();
  Memory<char> reply;
  if (http.Send(nullptr, 0, reply) >= 0 || http.StatusCode() != 0) return Status::Ok();
  switch (http.LastFailure()) {
    case HttpObject::Failure::kResolve:
      return Status::Failed(u"找不到服务器，请检查上传网址和网络：" + url);
    case HttpObject::Failure::kConnect:
      return Status::Failed(u"服务器拒绝连接，请检查上传网址的端口和服务器是否在运行：" + url);
    case HttpObject::Failure::kTimeout:
      return Status::Failed(u"服务器没有及时回应，请检查网址、网络和防火墙：" + url);
    case HttpObject::Failure::kCertificate:
      return Status::Failed(u"服务器的证书不受信任或加密协商失败，请联系服务器管理员：" + url);
    case HttpObject::Failure::kAborted:
      return Status::Failed(u"已停止");
    default:
      return Status::Failed(u"无法连接服务器，请检查上传网址和网络：" + url);
  }
}
