#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "base/list.h"
#include "base/string.h"
#include "base/thread.h"
#include "device/frame_decoder.h"
#include "device/port_list.h"
#include "device/serial_port.h"
#include "store/record_db.h"

// What the serial link needs from the window. Every call may come from the
// receive thread; the window must do the UI work on its own thread.
class SerialLinkHost {
 public:
  virtual ~SerialLinkHost() = default;
  // The link state for the label "TextTipCom": green (0, 153, 0) when `good`, else red.
  virtual void ShowPortStatus(const String& text, bool good) = 0;
  // A record could not be stored: leveldb's text for why.
  virtual void ShowDatabaseError(const String& statusText) = 0;
  // A received record for the list, in arrival order; `key` is the key it is
  // stored under, or, when `stored` is false, its test time (the window keeps
  // it and stores it later). `deviceId` is the ID it was captured under. A
  // `duplicate` is a test already stored, sent again: it gets no row. The
  // window adds the row on its UI thread.
  virtual void HandOverRecord(const String& key, const String& text, bool stored, bool duplicate,
                              const String& deviceId) = 0;
};

// Keeps the configured serial port open and reads it on a receive thread: the
// one-second timer opens the port whenever it is closed, the thread feeds every
// byte to the frame decoder, and each frame is stored durably and handed to the
// window. Unplugging the device closes the port; the timer reopens it when the
// device is back. Open/close and the timer run on the UI thread.
class SerialLink {
 public:
  using PortFactory = std::function<std::unique_ptr<SerialPort>()>;

  SerialLink(SerialLinkHost& host, RecordDb& db, FrameDecoder& decoder, ProductNames& names,
             PortFactory factory = CreateSerialPort);
  ~SerialLink();  // stops the receive thread and waits for it
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  // The port timer's tick.
  void OnPortTimer(const String& portName, const String& baudRate,
                   const ObjectList<SSerInfo>& ports);
  void OpenSerialPort(const String& portName, const String& baudRate,
                      const ObjectList<SSerInfo>& ports);
  void CloseSerialPort();
  // Asks the receive thread to end and waits for it (the window's close).
  void Stop();
  bool IsOpen() const;

  // The decoder's record callback: stores the record and hands it over.
  void OnRecordReceived(std::string& key, std::string& text);
  // The device ID records are captured under from now on (any thread).
  void SetDeviceId(const String& id);
  // Records stored from now on are queued there for upload (null: none are).
  // The outbox outlives the link's use of it: set null before it goes.
  void QueueForUpload(class Outbox* outbox) { outbox_ = outbox; }

 private:
  bool ConfigureSerialPort(SerialPort& port, const String& baudRate);
  void ReceiveThreadProc(std::shared_ptr<SerialPort> port);

  SerialLinkHost& host_;
  RecordDb& db_;
  FrameDecoder& decoder_;
  ProductNames& names_;
  PortFactory factory_;
  std::shared_ptr<SerialPort> port_;  // replaced on the UI thread only, while closed
  std::mutex portLock_;               // serialises closing the port
  std::atomic<bool> stopReceive_{false};
  std::mutex deviceIdLock_;
  String deviceId_ = String(u"");
  Thread receiveThread_;
  std::atomic<class Outbox*> outbox_{nullptr};
};
