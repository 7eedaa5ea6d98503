// Serial port listing through the setup API: every present device of the
// Ports class that has a port name (COMn), with its friendly name, and
// whether it sits on USB.
// windows.h before the setup API.
// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include "base/win_text.h"
#include "device/port_list.h"

namespace {

// The setup class of serial and parallel ports (devguid.h's GUID_DEVCLASS_PORTS).
constexpr GUID kPortsClass = {
    0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

String Wide(const std::wstring& text) {
  return String::FromBytes(Utf8FromWide(text.c_str(), wcslen(text.c_str())), cp::kUtf8);
}

std::wstring Property(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
  wchar_t buffer[512] = L"";
  if (!::SetupDiGetDeviceRegistryPropertyW(devices, &device, property, nullptr,
                                           reinterpret_cast<BYTE*>(buffer), sizeof buffer - 2,
                                           nullptr)) {
    return std::wstring();
  }
  return buffer;
}

std::wstring PortName(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  HKEY key = ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return std::wstring();
  wchar_t name[64] = L"";
  DWORD size = sizeof name - 2;
  DWORD type = 0;
  const bool found = ::RegQueryValueExW(key, L"PortName", nullptr, &type,
                                        reinterpret_cast<BYTE*>(name), &size) == ERROR_SUCCESS &&
                     type == REG_SZ;
  ::RegCloseKey(key);
  return found ? name : std::wstring();
}

}  // namespace

void EnumerateSerialPorts(ObjectList<SSerInfo>& ports) {
  HDEVINFO devices = ::SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; ::SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
    const std::wstring name = PortName(devices, device);
    if (name.rfind(L"COM", 0) != 0) continue;  // a printer's LPT port
    SSerInfo* port = ports.Add();
    port->path = Wide(name);
    port->description = Wide(Property(devices, device, SPDRP_DEVICEDESC));
    const std::wstring friendly = Property(devices, device, SPDRP_FRIENDLYNAME);
    port->friendlyName =
        friendly.empty() ? MakeFriendlyName(port->description, port->path) : Wide(friendly);
    const std::wstring bus = Property(devices, device, SPDRP_ENUMERATOR_NAME);
    port->isUsb = bus == L"USB" || bus == L"FTDIBUS";
  }
  ::SetupDiDestroyDeviceInfoList(devices);
}
