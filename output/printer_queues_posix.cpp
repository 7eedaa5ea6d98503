#include <sstream>

#include "base/bounded_io.h"
#include "base/helper_process.h"
#include "output/printer_queues.h"

namespace {

String Text(const std::string& bytes) { return String::FromBytes(bytes, cp::kUtf8); }

// A raw job for a CUPS queue through `lp`, fed on its standard input; no shell.
// lp gets the whole time-out from start to exit; past it, or on abort, it is killed.
class CupsTransport : public NamedTransport {
 public:
  CupsTransport(const String& name, std::string queue, LabelTimeouts timeouts)
      : NamedTransport(name), queue_(std::move(queue)), timeouts_(timeouts) {}

  Status Deliver(const std::string& tspl, const std::atomic<bool>* abort) override {
    const HelperOutcome lp =
        RunHelper({"lp", "-d", queue_, "-o", "raw"}, tspl, timeouts_.lpMs, abort);
    switch (lp.state) {
      case HelperOutcome::kExited:
        if (lp.exitCode == 0 && lp.inputTaken) return Status::Ok();
        return Status::Failed(u"打印服务拒绝了这个标签：" + Text(lp.errorText));
      case HelperOutcome::kNotFound:
        return Status::Failed(u"没有找到 lp 命令，请安装 cups-client");
      case HelperOutcome::kTimedOut:
        return Status::Failed(u"打印服务没有及时回应，请检查 CUPS 打印队列");
      case HelperOutcome::kAborted:
        return Status::Failed(u"已停止");
      case HelperOutcome::kKilled:
        return Status::Failed(u"打印服务意外中止：" + Text(lp.errorText));
      default:
        return Status::Failed(u"系统错误：" + Text(SystemErrorText(lp.systemError)));
    }
  }

 private:
  std::string queue_;
  LabelTimeouts timeouts_;
};

}  // namespace

String PrinterQueuePrefix() { return u"cups:"; }

String CheckQueueName(const String& queue) {
  if (queue.IsEmpty() || queue.Find(u' ') >= 0) return u"打印队列要写成 cups:队列名（不能有空格）";
  return u"";
}

bool IsPrinterDevicePath(const String& text) { return text.Left(1) == String(u"/"); }

String PrinterDestinationHint() {
  return u"请写 tcp://地址:端口、cups:队列名、dir:文件夹，或打印机设备文件（如 /dev/usb/lp0）";
}

std::unique_ptr<LabelTransport> OpenQueueTransport(const String& name, const std::string& queue,
                                                   const LabelTimeouts& timeouts) {
  return std::make_unique<CupsTransport>(name, queue, timeouts);
}

std::vector<String> ParseQueueNames(const std::string& output) {
  std::vector<String> names;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty() || line.find_first_of(" \t") != std::string::npos) continue;
    names.push_back(Text(line));
  }
  return names;
}

PrinterQueues ListPrinterQueues(int timeoutMs, const std::atomic<bool>* abort) {
  PrinterQueues queues;
  std::string output;
  const HelperOutcome lpstat = RunHelper({"lpstat", "-e"}, "", timeoutMs, abort, &output);
  switch (lpstat.state) {
    case HelperOutcome::kExited:
      if (lpstat.exitCode == 0) {
        queues.names = ParseQueueNames(output);
        return queues;
      }
      queues.status = Status::Failed(u"打印服务没有列出打印队列：" + Text(lpstat.errorText));
      return queues;
    case HelperOutcome::kNotFound:
      queues.status = Status::Failed(u"没有找到 lpstat 命令，请安装 cups-client");
      return queues;
    case HelperOutcome::kAborted:
      queues.status = Status::Failed(u"已停止");
      return queues;
    default:
      queues.status = Status::Failed(u"打印服务没有及时回应，请检查 CUPS 打印服务");
      return queues;
  }
}
