// Serial ports on Windows: CreateFile on \\.\COMn, the line through a DCB,
// reads that return at once (COMMTIMEOUTS), ClearCommError for what waits.
#include <windows.h>

#include <mutex>
#include <string>

#include "base/win_text.h"
#include "device/line_settings.h"
#include "device/serial_port.h"

namespace {

// "COM12" and "\\.\COM12" both open; the plain name alone would fail from COM10 on.
std::wstring DevicePath(const String& path) {
  std::wstring wide = WideFromUtf8(path.ToBytes(cp::kUtf8));
  if (wide.rfind(L"\\\\", 0) != 0) wide = L"\\\\.\\" + wide;
  return wide;
}

// Why a port did not open, in the operator's words, with what to do.
String OpenFailureText(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
      return u"串口设备不存在，请检查检测仪的数据线是否插好";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return u"串口正被别的程序使用，请先关闭那个程序";
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_NOT_CONNECTED:
      return u"串口读写出错，请拔下检测仪再重新插上";
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
      return u"这个设备不是串口";
    default:
      return u"无法打开串口：" + String::FromBytes(WindowsErrorText(error), cp::kUtf8);
  }
}

class WinSerialPort : public SerialPort {
 public:
  ~WinSerialPort() override { Close(); }

  Status Open(const String& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle_ != INVALID_HANDLE_VALUE) return Status::Ok();
    // No sharing: Windows lets one program at a time have a serial port.
    const HANDLE handle = ::CreateFileW(DevicePath(path).c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return Status::Failed(OpenFailureText(::GetLastError()));
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle, &dcb)) {
      const DWORD error = ::GetLastError();
      ::CloseHandle(handle);
      return Status::Failed(OpenFailureText(error));
    }
    // Raw bytes: no flow control, no character replaced or dropped.
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    ::SetCommState(handle, &dcb);
    handle_ = handle;
    return Status::Ok();
  }

  bool SetTimeoutsZero() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;  // with both totals 0: return at once
    return ::SetCommTimeouts(handle_, &timeouts) != 0;
  }

  bool SetLineSettings(const String& text) override {
    LineSettings settings;
    if (!ParseLineSettings(text, settings)) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle_, &dcb)) return false;
    dcb.BaudRate = settings.baud;
    dcb.ByteSize = static_cast<BYTE>(settings.dataBits);
    switch (settings.parity) {
      case 'E':
        dcb.Parity = EVENPARITY;
        break;
      case 'O':
        dcb.Parity = ODDPARITY;
        break;
      case 'M':
        dcb.Parity = MARKPARITY;
        break;
      case 'S':
        dcb.Parity = SPACEPARITY;
        break;
      default:
        dcb.Parity = NOPARITY;
    }
    dcb.fParity = dcb.Parity != NOPARITY;
    dcb.StopBits = settings.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    return ::SetCommState(handle_, &dcb) != 0;
  }

  bool SetRtsOn() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return handle_ != INVALID_HANDLE_VALUE && ::EscapeCommFunction(handle_, SETRTS) != 0;
  }

  bool PurgeAll() override {
    return Purge(PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
  }
  bool PurgeReceive() override { return Purge(PURGE_RXABORT | PURGE_RXCLEAR); }

  int BytesWaiting() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle_ == INVALID_HANDLE_VALUE) return -1;
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(handle_, &errors, &status)) return -1;  // the device is gone
    return static_cast<int>(status.cbInQue);
  }

  int ReadByte(uint8_t& byte) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle_ == INVALID_HANDLE_VALUE) return -1;
    DWORD n = 0;
    if (!::ReadFile(handle_, &byte, 1, &n, nullptr)) return -1;
    return n == 1 ? 1 : 0;
  }

  void Close() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handle_ == INVALID_HANDLE_VALUE) return;
    ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

  bool IsOpen() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return handle_ != INVALID_HANDLE_VALUE;
  }

 private:
  bool Purge(DWORD what) {
    std::lock_guard<std::mutex> lock(mutex_);
    return handle_ != INVALID_HANDLE_VALUE && ::PurgeComm(handle_, what) != 0;
  }

  mutable std::mutex mutex_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace

std::unique_ptr<SerialPort> CreateSerialPort() { return std::make_unique<WinSerialPort>(); }
