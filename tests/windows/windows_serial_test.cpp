// A COM port on Windows, fed through a pseudo-terminal that Wine maps as the
// port (scripts/test-windows links dosdevices/comN to one end of a socat pair
// and names both ends): open, line settings, what waits, reads, purge, close.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "base/win_text.h"
#include "device/serial_port.h"

namespace {

// Writes to the other end of the pair (a Unix path, seen by Wine on drive Z:).
void Send(const std::string& peer, const std::string& bytes) {
  const HANDLE h = ::CreateFileW(WideFromUtf8(peer).c_str(), GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << peer;
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  EXPECT_EQ(written, bytes.size());
  ::CloseHandle(h);
}

int WaitForBytes(SerialPort& port, int count) {
  int waiting = 0;
  for (int i = 0; i < 200 && (waiting = port.BytesWaiting()) < count; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return waiting;
}

TEST(WindowsSerialTest, AMappedPortOpensReadsPurgesAndCloses) {
  const char* com = std::getenv("RESIDUE_TEST_COM");
  const char* peer = std::getenv("RESIDUE_TEST_COM_PEER");
  if (!com || !peer) GTEST_SKIP() << "no mapped port (scripts/test-windows sets one up)";
  auto port = CreateSerialPort();
  ASSERT_TRUE(port->Open(String::FromBytes(com, cp::kUtf8)));
  EXPECT_TRUE(port->SetLineSettings(u"baud=9600 parity=N data=8 stop=1"));
  EXPECT_FALSE(port->SetLineSettings(u"baud=9600 parity=Q data=8 stop=1"));
  EXPECT_TRUE(port->SetTimeoutsZero());
  uint8_t byte = 0;
  EXPECT_EQ(port->ReadByte(byte), 0) << "nothing there: a read returns at once";

  Send(peer, "AB");
  ASSERT_EQ(WaitForBytes(*port, 2), 2);
  ASSERT_EQ(port->ReadByte(byte), 1);
  EXPECT_EQ(byte, 'A');
  ASSERT_EQ(port->ReadByte(byte), 1);
  EXPECT_EQ(byte, 'B');

  Send(peer, "stale");
  ASSERT_EQ(WaitForBytes(*port, 5), 5);
  EXPECT_TRUE(port->PurgeReceive());
  EXPECT_EQ(port->BytesWaiting(), 0);

  port->Close();
  EXPECT_FALSE(port->IsOpen());
  EXPECT_EQ(port->BytesWaiting(), -1);
  EXPECT_EQ(port->ReadByte(byte), -1);
}

TEST(WindowsSerialTest, APortThatIsNotThereIsNamedAsSuch) {
  auto port = CreateSerialPort();
  const Status opened = port->Open(u"COM199");
  EXPECT_FALSE(opened);
  EXPECT_NE(opened.text.ToBytes(cp::kUtf8).find("串口设备不存在"), std::string::npos)
      << opened.text.ToBytes(cp::kUtf8);
}

}  // namespace
