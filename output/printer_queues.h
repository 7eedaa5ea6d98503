#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "base/status.h"
#include "base/string.h"
#include "output/label_transport.h"

// The printers installed on this system and how labels reach them: on Linux
// CUPS queues (`cups:NAME`, a raw job through lp), on Windows the printers of
// the spooler (`printer:NAME`, a raw job through the spooler). One file per
// platform: printer_queues_posix.cpp, printer_queues_win.cpp.

// The prefix of a destination that names an installed printer.
String PrinterQueuePrefix();
// Why `queue` (the destination after the prefix) cannot name one; empty when it can.
String CheckQueueName(const String& queue);
// Whether `text` names a printer device or port of this system
// (/dev/usb/lp0; COM3, LPT1, \\.\USB001).
bool IsPrinterDevicePath(const String& text);
// The destinations there are, for a message on the settings page.
String PrinterDestinationHint();
// Delivers each label as a raw job to the installed printer `queue`; `name`
// is the whole destination, for messages.
std::unique_ptr<LabelTransport> OpenQueueTransport(const String& name, const std::string& queue,
                                                   const LabelTimeouts& timeouts);

// The installed printers, as destinations with the prefix take them, bounded
// by `timeoutMs` and `abort`; safe on any thread.
struct PrinterQueues {
  Status status = Status::Ok();  // else why there is no list (no client, no service)
  std::vector<String> names;     // in the order the service gives them
};

PrinterQueues ListPrinterQueues(int timeoutMs, const std::atomic<bool>* abort);

// The queue names in `lpstat -e` output (Linux): one per line, blank lines and
// names a destination cannot take (with spaces) left out.
std::vector<String> ParseQueueNames(const std::string& output);
