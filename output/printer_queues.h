#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "base/status.h"
#include "base/string.h"

// The printer queues installed on this system, as `cups:NAME` destinations
// take them. Asked of the print service's command-line client, bounded by
// `timeoutMs` and `abort`; safe on any thread.
struct PrinterQueues {
  Status status = Status::Ok();  // else why there is no list (no client, no service)
  std::vector<String> names;     // in the order the service gives them
};

PrinterQueues ListPrinterQueues(int timeoutMs, const std::atomic<bool>* abort);

// The queue names in `lpstat -e` output: one per line, blank lines and
// names a destination cannot take (with spaces) left out.
std::vector<String> ParseQueueNames(const std::string& output);
