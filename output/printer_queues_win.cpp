// Installed printers on Windows: the spooler's printers, each label a raw job
// (the TSPL bytes passed through untouched, datatype "RAW").
#include <windows.h>
#include <winspool.h>

#include <vector>

#include "base/win_text.h"
#include "output/printer_queues.h"

namespace {

String Text(const std::string& utf8) { return String::FromBytes(utf8, cp::kUtf8); }

String Failure(const char16_t* what, DWORD error) {
  return String(what) + Text(WindowsErrorText(error));
}

class SpoolerTransport : public NamedTransport {
 public:
  SpoolerTransport(const String& name, std::string printer)
      : NamedTransport(name), printer_(WideFromUtf8(printer)) {}

  Status Deliver(const std::string& tspl, const std::atomic<bool>* abort) override {
    if (abort && *abort) return Status::Failed(u"已停止");
    HANDLE printer = nullptr;
    if (!::OpenPrinterW(printer_.data(), &printer, nullptr)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_INVALID_PRINTER_NAME)
        return Status::Failed(u"找不到打印机 " + Name() + u"，请在设置里重新选择已安装的打印机");
      return Status::Failed(Failure(u"无法打开打印机：", error));
    }
    wchar_t document[] = L"Residue Station label";
    wchar_t datatype[] = L"RAW";
    DOC_INFO_1W job{document, nullptr, datatype};
    Status status = Status::Ok();
    if (::StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&job)) == 0) {
      status = Status::Failed(Failure(u"打印服务拒绝了这个标签：", ::GetLastError()));
    } else {
      DWORD written = 0;
      const bool ok = ::StartPagePrinter(printer) &&
                      ::WritePrinter(printer, const_cast<char*>(tspl.data()),
                                     static_cast<DWORD>(tspl.size()), &written) &&
                      written == tspl.size() && ::EndPagePrinter(printer);
      const DWORD error = ::GetLastError();
      if (!::EndDocPrinter(printer) || !ok)
        status = Status::Failed(Failure(u"打印服务没有收下整个标签：", error));
    }
    ::ClosePrinter(printer);
    return status;
  }

 private:
  std::wstring printer_;
};

}  // namespace

String PrinterQueuePrefix() { return u"printer:"; }

String CheckQueueName(const String& queue) {
  return queue.IsEmpty() ? String(u"打印机要写成 printer:打印机名") : String(u"");
}

// A port (COM3, LPT1), or a device path (\\.\USB001, \\server\share).
bool IsPrinterDevicePath(const String& text) {
  const std::string t = text.ToBytes(cp::kUtf8);
  if (t.rfind("\\\\", 0) == 0) return true;
  if (t.size() < 4) return false;
  const std::string kind = t.substr(0, 3);
  const bool port = kind == "COM" || kind == "LPT" || kind == "com" || kind == "lpt";
  return port && t.find_first_not_of("0123456789", 3) == std::string::npos;
}

String PrinterDestinationHint() {
  return u"请写 tcp://地址:端口、printer:打印机名、dir:文件夹，或打印机端口（如 COM3、LPT1）";
}

std::unique_ptr<LabelTransport> OpenQueueTransport(const String& name, const std::string& queue,
                                                   const LabelTimeouts&) {
  return std::make_unique<SpoolerTransport>(name, queue);
}

// The spooler lists quickly from its own memory: the time-out and abort of
// other systems' print services have nothing to wait for here.
PrinterQueues ListPrinterQueues(int, const std::atomic<bool>*) {
  PrinterQueues queues;
  DWORD needed = 0, count = 0;
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  ::EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
  if (needed == 0) return queues;  // none installed
  std::vector<BYTE> buffer(needed);
  if (!::EnumPrintersW(flags, nullptr, 4, buffer.data(), needed, &needed, &count)) {
    queues.status = Status::Failed(Failure(u"打印服务没有列出打印机：", ::GetLastError()));
    return queues;
  }
  const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    const std::wstring name = printers[i].pPrinterName;
    queues.names.push_back(Text(Utf8FromWide(name)));
  }
  return queues;
}
