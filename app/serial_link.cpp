#include "app/serial_link.h"

#include <chrono>

#include "base/calendar.h"
#include "base/trace.h"
#include "store/outbox.h"
#include "store/record_store.h"

SerialLink::SerialLink(SerialLinkHost& host, RecordDb& db, FrameDecoder& decoder,
                       ProductNames& names, PortFactory factory)
    : host_(host), db_(db), decoder_(decoder), names_(names), factory_(std::move(factory)) {}

SerialLink::~SerialLink() { Stop(); }

void SerialLink::OnPortTimer(const String& portName, const String& baudRate,
                             const ObjectList<SSerInfo>& ports) {
  OpenSerialPort(portName, baudRate, ports);
}

bool SerialLink::IsOpen() const {
  std::shared_ptr<SerialPort> port = port_;
  return port && port->IsOpen();
}

void SerialLink::OpenSerialPort(const String& portName, const String& baudRate,
                                const ObjectList<SSerInfo>& ports) {
  if (IsOpen() || portName.IsEmpty()) return;
  const String* path = FindPortPath(ports, portName);
  if (!path) {
    String text;
    text.Format(u"此串口未找到: %s", portName.Handle());
    host_.ShowPortStatus(text, true);
    return;
  }
  std::shared_ptr<SerialPort> port(factory_());
  const Status opened = port->Open(*path);
  if (!opened) {
    host_.ShowPortStatus(portName + u": " + opened.text, false);
    return;
  }
  if (!ConfigureSerialPort(*port, baudRate)) {
    // Closed again so that the next tick retries: a port left open here would
    // never be retried until the operator picked another one.
    port->Close();
    host_.ShowPortStatus(u"初始化串口失败", true);
    return;
  }
  host_.ShowPortStatus(u"串口打开成功: " + portName, true);
  stopReceive_ = false;
  receiveThread_.Wait(Thread::kInfinite);
  receiveThread_.Close();
  decoder_.Reset();  // a new connection: nothing of an earlier one completes a frame
  port_ = port;
  receiveThread_.Create(this, &SerialLink::ReceiveThreadProc, port);
}

bool SerialLink::ConfigureSerialPort(SerialPort& port, const String& baudRate) {
  port.SetTimeoutsZero();
  String text;
  text.Format(u"baud=%s parity=%c data=%d stop=%d", baudRate.Handle(), u'N', 8, 1);
  port.SetLineSettings(text);  // a speed the port cannot take fails this step only
  port.SetRtsOn();             // pseudo-terminals have no RTS
  return port.PurgeAll();
}

void SerialLink::ReceiveThreadProc(std::shared_ptr<SerialPort> port) {
  Trace(u"start recv thread");
  while (!stopReceive_) {
    const int waiting = port->BytesWaiting();
    if (waiting < 0) break;
    if (waiting == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    for (int i = 0; i < waiting; ++i) {
      uint8_t byte;
      const int read = port->ReadByte(byte);
      if (read < 0) {
        port->PurgeReceive();
      } else if (read == 1) {
        decoder_.PushByte(byte, names_);
      }
    }
  }
  // A frame cut off by the closing (a pulled cable) is never completed by
  // the bytes of the next connection.
  decoder_.Reset();
  std::lock_guard<std::mutex> lock(portLock_);
  if (port->IsOpen()) {
    port->Close();
    host_.ShowPortStatus(u"串口关闭", false);
  }
}

void SerialLink::CloseSerialPort() {
  std::lock_guard<std::mutex> lock(portLock_);
  std::shared_ptr<SerialPort> port = port_;
  if (port && port->IsOpen()) {
    port->Close();
    host_.ShowPortStatus(u"串口关闭", false);
  }
}

void SerialLink::Stop() {
  stopReceive_ = true;
  receiveThread_.Wait(Thread::kInfinite);
  receiveThread_.Close();
}

void SerialLink::SetDeviceId(const String& id) {
  std::lock_guard<std::mutex> lock(deviceIdLock_);
  deviceId_ = id;
}

void SerialLink::OnRecordReceived(std::string& key, std::string& text) {
  const String data = String::FromBytes(text, cp::kAnsi);
  if (!IsRecordText(data)) return;  // nothing is stored that the list would not show
  String deviceId;
  {
    std::lock_guard<std::mutex> lock(deviceIdLock_);
    deviceId = deviceId_;
  }
  // Announced to the upload queue first, queued once stored: a crash in
  // between leaves the announcement, and the next start queues the record.
  const String testTime = String::FromBytes(key, cp::kAnsi);
  Outbox* outbox = outbox_;
  if (outbox) {
    const DbStatus announced = outbox->Expect(testTime);
    if (!announced) host_.ShowDatabaseError(announced.text);
  }
  const StoredRecord stored = StoreReceivedRecord(db_, testTime, data, true, deviceId);
  if (!stored.status) host_.ShowDatabaseError(stored.status.text);
  if (outbox) {
    const bool queue = stored.status && !stored.duplicate;
    const DbStatus queued = outbox->Add(
        queue ? std::vector<String>{stored.key} : std::vector<String>{}, LocalNowText(), testTime);
    if (!queued) host_.ShowDatabaseError(queued.text);
  }
  host_.HandOverRecord(stored.status ? stored.key : String::FromBytes(key, cp::kAnsi), data,
                       stored.status.ok, stored.duplicate, deviceId);
}
