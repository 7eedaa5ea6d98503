#pragma once

#include <vector>

#include "base/list.h"
#include "base/string.h"

// One serial port present on the PC.
struct SSerInfo {
  String path;          // what the serial link opens, e.g. /dev/ttyUSB0
  String friendlyName;  // shown to the operator and stored under "com"
  bool isUsb = false;   // the port sits on USB
  String description;   // the device's description
};

// Appends the serial ports the system reports, in its order (platform code).
void EnumerateSerialPorts(ObjectList<SSerInfo>& ports);

// The name operators know a port by: its description, a blank and the port's
// short name in brackets ("USB-SERIAL CH340 (ttyUSB0)"); a description that
// already ends with that bracket is used as it is.
String MakeFriendlyName(const String& description, const String& path);

// Ports the settings name by path ("extra_ports": detector simulators,
// serial-over-network bridges), listed as "虚拟串口 (<path>)".
void AppendExtraPorts(ObjectList<SSerInfo>& ports, const std::vector<String>& paths);

// Gives each port without a description one made from its friendly name: the
// text before " (" when the name ends in its only closing bracket, else the
// whole name.
void FillMissingDescriptions(ObjectList<SSerInfo>& ports);

// EnumerateSerialPorts, the extra ports, then FillMissingDescriptions; USB
// ports and the extra ports come before the others (legacy on-board ports
// that rarely have a device), so the first port is the detector's.
void ScanSerialPorts(ObjectList<SSerInfo>& ports, const std::vector<String>& extraPaths);

// The ordering of ScanSerialPorts, applied to the ports in `found`, appended to `ports`.
void OrderPorts(ObjectList<SSerInfo>& found, const std::vector<String>& extraPaths,
                ObjectList<SSerInfo>& ports);

// An on-board port of the machine itself (/dev/ttyS*), which rarely has a
// device behind it: never chosen without the operator.
bool IsLegacyPort(const SSerInfo& port);
// The port a station without a chosen port takes by itself: the first one
// that may be a detector (USB, or named in the settings); null when none.
const SSerInfo* FirstDetectorPort(const ObjectList<SSerInfo>& ports);

// The path of the first port whose friendly name equals `name` exactly; null when none.
const String* FindPortPath(const ObjectList<SSerInfo>& ports, const String& name);
