#pragma once

#include <cstdint>

#include "base/string.h"

// Checks of the values typed on the settings page. Each gives "" for a value
// that may be saved, or why not (Chinese, for the label beside the field).

// A TCP port: 1 to 65535; `port` gets it.
String CheckPortNumber(const String& text, uint16_t& port);
// A host name ("server.example", "inspect-01") or an IPv4 or IPv6 address.
String CheckHostName(const String& text);
// A web address: http:// or https:// followed by a host (a port and a path may follow).
String CheckWebAddress(const String& text);
// Free text that must not be empty.
String CheckNotEmpty(const String& text);
// Where labels go: "tcp://HOST:PORT" (a network printer), "cups:QUEUE" (a
// printer queue), "dir:FOLDER" (pictures of the labels) or a device file
// ("/dev/usb/lp0"). Empty: no printer yet.
String CheckLabelDestination(const String& text);
// A label's width or height in millimetres: 20 to 120.
String CheckLabelSize(const String& text);
// A position on the label in printer dots, across a label `sizeMm` wide (or
// high): 0 up to its last dot.
constexpr int kLabelDotsPerMm = 8;
String CheckLabelPosition(const String& text, int sizeMm);
// The size of one square of the QR code in dots: 1 to 20.
String CheckQrModule(const String& text);
// A folder for backups: empty (none), or a folder that exists.
String CheckBackupFolder(const String& text);
// A whole number of days or copies, from 1 up to `most`; `value` gets it.
String CheckCount(const String& text, uint32_t most, uint32_t& value);
