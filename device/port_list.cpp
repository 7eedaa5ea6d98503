#include "device/port_list.h"

String MakeFriendlyName(const String& description, const String& path) {
  const int slash = [&] {
    int last = -1;
    for (int i = path.Find(u"/"); i >= 0; i = path.Find(u"/", i + 1)) last = i;
    return last;
  }();
  const String bracket = u" (" + path.Mid(slash + 1) + u")";
  const uint32_t n = description.Length();
  if (n >= bracket.Length() && description.Mid(n - bracket.Length()) == bracket) return description;
  if (description.IsEmpty()) return path.Mid(slash + 1);
  return description + bracket;
}

void AppendExtraPorts(ObjectList<SSerInfo>& ports, const std::vector<String>& paths) {
  for (const String& path : paths) {
    if (path.IsEmpty()) continue;
    SSerInfo* port = ports.Add();
    port->path = path;
    port->friendlyName = u"虚拟串口 (" + path + u")";
    port->description = u"";
  }
}

void FillMissingDescriptions(ObjectList<SSerInfo>& ports) {
  for (uint32_t i = 0; i < ports.Count(); ++i) {
    SSerInfo& port = ports[i];
    if (!port.description.IsEmpty()) continue;
    port.description = port.friendlyName;
    const int open = port.description.Find(u" (");
    const int close = port.description.Find(u")");
    if (open > 0 && close == static_cast<int>(port.description.Length()) - 1) {
      port.description = port.description.Left(open);
    }
  }
}

void ScanSerialPorts(ObjectList<SSerInfo>& ports, const std::vector<String>& extraPaths) {
  ObjectList<SSerInfo> found;
  EnumerateSerialPorts(found);
  OrderPorts(found, extraPaths, ports);
}

void OrderPorts(ObjectList<SSerInfo>& found, const std::vector<String>& extraPaths,
                ObjectList<SSerInfo>& ports) {
  auto take = [&](bool usb) {
    for (uint32_t i = 0; i < found.Count(); ++i) {
      if (found[i].isUsb == usb) *ports.Add() = found[i];
    }
  };
  take(true);
  AppendExtraPorts(ports, extraPaths);
  take(false);
  FillMissingDescriptions(ports);
}

const String* FindPortPath(const ObjectList<SSerInfo>& ports, const String& name) {
  for (uint32_t i = 0; i < ports.Count(); ++i) {
    if (ports[i].friendlyName == name) return &ports[i].path;
  }
  return nullptr;
}

bool IsLegacyPort(const SSerInfo& port) {
  return !port.isUsb && port.path.Left(9) == String(u"/dev/ttyS");
}

const SSerInfo* FirstDetectorPort(const ObjectList<SSerInfo>& ports) {
  for (uint32_t i = 0; i < ports.Count(); ++i) {
    if (!IsLegacyPort(ports[i])) return &ports[i];
  }
  return nullptr;
}
