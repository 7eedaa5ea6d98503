#include "output/printer_queues.h"

#include <sstream>

#include "base/helper_process.h"

namespace {

String Text(const std::string& bytes) { return String::FromBytes(bytes, cp::kUtf8); }

}  // namespace

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
