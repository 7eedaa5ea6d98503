#pragma once

#include <atomic>
#include <cstdint>

#include "base/status.h"
#include "base/string.h"

// Whether the upload server can be reached, without sending a record: for
// the settings page's "测试连接". Each gives up after `timeoutMs` or soon
// after `abort` turns true; the reason names the server and what to check.

// A TCP server: a connection is made and closed at once.
Status CheckTcpServer(const String& host, uint16_t port, int timeoutMs,
                      const std::atomic<bool>* abort);
// An HTTP server: one GET of the upload address; any HTTP answer counts.
Status CheckHttpServer(const String& url, int timeoutMs, const std::atomic<bool>* abort);
