#include "output/label_transport.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/bounded_io.h"
#include "base/file_io.h"
#include "base/utf8_path.h"
#include "output/printer_queues.h"
#include "output/tspl_preview.h"

namespace {

String Text(const std::string& utf8) { return String::FromBytes(utf8, cp::kUtf8); }

String SystemText(int code) { return u"系统错误：" + Text(SystemErrorText(code)); }

// The operator's reason for a label that a printer connection or device did
// not take, with what to check.
String PrinterFailureText(const IoError& e, bool connecting) {
  switch (e.failure) {
    case IoFailure::kResolve:
      return u"找不到打印机的地址，请检查打印机设置";
    case IoFailure::kRefused:
      return u"打印机拒绝连接，请检查打印机是否开机、地址和端口是否正确";
    case IoFailure::kTimeout:
      return connecting ? String(u"连接打印机超时，请检查打印机是否开机、网线是否连好")
                        : String(u"打印机没有及时收下标签，请检查打印机是否缺纸、卡纸或暂停");
    case IoFailure::kReset:
      return u"打印机断开了连接，标签没有打印";
    case IoFailure::kAborted:
      return u"已停止";
    default:
      return SystemText(e.code);
  }
}

// A network printer's raw port: one connection per label, closed after the
// printer has acknowledged every byte of it.
class TcpTransport : public NamedTransport {
 public:
  TcpTransport(const String& name, std::string host, std::string port, LabelTimeouts timeouts)
      : NamedTransport(name), host_(std::move(host)), port_(std::move(port)), timeouts_(timeouts) {}

  Status Deliver(const std::string& tspl, const std::atomic<bool>* abort) override {
    IoError e;
    const int fd = ConnectTcp(host_, port_, AddressFamily::kAny, timeouts_.connectMs, abort, e);
    if (fd < 0) {
      return Status::Failed(PrinterFailureText(e, true));
    }
    const auto start = std::chrono::steady_clock::now();
    bool ok = WriteWithin(fd, tspl, timeouts_.writeMs, abort, e);
    if (ok) {
      const auto used = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
      ok = WaitSendQueueDrained(fd, std::max<int>(0, timeouts_.writeMs - static_cast<int>(used)),
                                abort, e);
    }
    if (!ok) {
      // Nothing of an unfinished label is to linger in the system's queue.
      AbortSocket(fd);
      return Status::Failed(PrinterFailureText(e, false));
    }
    CloseDescriptor(fd);
    return Status::Ok();
  }

 private:
  std::string host_, port_;
  LabelTimeouts timeouts_;
};

class DeviceTransport : public NamedTransport {
 public:
  DeviceTransport(const String& name, std::string path, LabelTimeouts timeouts)
      : NamedTransport(name), path_(std::move(path)), timeouts_(timeouts) {}

  Status Deliver(const std::string& tspl, const std::atomic<bool>* abort) override {
    // Non-blocking, so that a device that stops taking data cannot hold us.
    int code = 0;
    const int fd = OpenDeviceForWriting(path_, code);
    if (fd < 0) {
      return Status::Failed(OpenFailureText(code));
    }
    IoError e;
    Status written = Status::Ok();
    if (!WriteWithin(fd, tspl, timeouts_.writeMs, abort, e)) {
      written = Status::Failed(PrinterFailureText(e, false));
      DropUnsentOutput(fd);  // or the close would wait for the rest
    }
    if (!CloseDevice(fd, code) && written) written = Status::Failed(SystemText(code));
    return written;
  }

 private:
  static String OpenFailureText(int code) {
    switch (code) {
      case ENOENT:
      case ENODEV:
      case ENXIO:
        return u"找不到打印机设备，请检查打印机是否连好、设备名是否正确";
      case EACCES:
      case EPERM:
        return u"没有使用打印机设备的权限，请让管理员把用户加入 lp 组";
      case EBUSY:
        return u"打印机设备正被别的程序使用";
      default:
        return SystemText(code);
    }
  }

  std::string path_;
  LabelTimeouts timeouts_;
};

// A folder: the TSPL of each label and a picture of it, numbered on.
class FolderTransport : public NamedTransport {
 public:
  FolderTransport(const String& name, std::string folder)
      : NamedTransport(name), folder_(std::move(folder)) {}

  Status Deliver(const std::string& tspl, const std::atomic<bool>*) override {
    std::error_code fsError;
    std::filesystem::create_directories(PathOf(folder_), fsError);
    const std::string base = NextBaseName();
    for (const char* extension : {".tspl", ".png"}) {
      const Status refused = CheckOutputPath(base + extension);
      if (!refused) {
        return Status::Failed(refused.text);
      }
    }
    if (!ReplaceFileContent(base + ".tspl", tspl)) {
      return Status::Failed(u"无法写入文件 " + Text(base + ".tspl") +
                            u"，请检查文件夹是否存在、可写、磁盘是否已满");
    }
    if (!RenderTsplPreview(tspl, base + ".png")) {
      return Status::Failed(u"无法写入文件 " + Text(base + ".png") +
                            u"，请检查文件夹是否存在、可写、磁盘是否已满");
    }
    return Status::Ok();
  }

 private:
  std::string NextBaseName() {
    for (;; ++next_) {
      char name[32];
      std::snprintf(name, sizeof name, "label-%04d", next_);
      const std::string base = (PathOf(folder_) / name).string();
      std::error_code fsError;
      if (!std::filesystem::exists(PathOf(base + ".tspl"), fsError)) return base;
    }
  }

  std::string folder_;
  int next_ = 1;
};

}  // namespace

std::unique_ptr<LabelTransport> OpenLabelTransport(const String& device,
                                                   const LabelTimeouts& timeouts) {
  const String name = device.IsEmpty() ? String(u"dir:labels") : device;
  const std::string text = name.ToBytes(cp::kUtf8);
  if (text.rfind("tcp://", 0) == 0) {
    const std::string address = text.substr(6);
    const size_t colon = address.rfind(':');
    std::string host = colon == std::string::npos ? address : address.substr(0, colon);
    std::string port = colon == std::string::npos ? "9100" : address.substr(colon + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
      host = host.substr(1, host.size() - 2);
    return std::make_unique<TcpTransport>(name, host, port, timeouts);
  }
  const std::string queuePrefix = PrinterQueuePrefix().ToBytes(cp::kUtf8);
  if (text.rfind(queuePrefix, 0) == 0)
    return OpenQueueTransport(name, text.substr(queuePrefix.size()), timeouts);
  if (text.rfind("dir:", 0) == 0) return std::make_unique<FolderTransport>(name, text.substr(4));
  return std::make_unique<DeviceTransport>(name, text, timeouts);
}
