#pragma once

#include <cstdint>
#include <memory>

#include "base/status.h"
#include "base/string.h"

// One open serial port, read-only, as the receive link uses it. Close may be
// called from another thread while a reader is inside an operation: after it
// every operation fails, so a closed port never reads another device that got
// its handle. Implementations: serial_port_posix.cpp (termios).
class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Opens `path` for reading without making it the controlling terminal, in raw
  // mode. Failed with the system's message.
  virtual Status Open(const String& path) = 0;
  // Reads return at once with what has arrived (no time-outs).
  virtual bool SetTimeoutsZero() = 0;
  // Applies a "baud=... parity=... data=... stop=..." text; false when the text
  // or its speed cannot be used (the port keeps its current line settings).
  virtual bool SetLineSettings(const String& text) = 0;
  // Holds RTS on while the port is open; pseudo-terminals refuse (false).
  virtual bool SetRtsOn() = 0;
  virtual bool PurgeAll() = 0;
  virtual bool PurgeReceive() = 0;
  // Bytes waiting to be read, or -1 when the device is gone or the port closed.
  virtual int BytesWaiting() = 0;
  // 1 with a byte, 0 when none was there, -1 on a read error.
  virtual int ReadByte(uint8_t& byte) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
};

std::unique_ptr<SerialPort> CreateSerialPort();
