#include "device/port_list.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "device/line_settings.h"
#include "device/serial_port.h"
#include "tests/support/as_user.h"
#include "tests/support/pty_pair.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(PortListTest, FriendlyNamesCarryTheShortNameOnce) {
  struct Case {
    const char16_t* description;
    const char16_t* path;
    const char16_t* friendly;
  } cases[] = {
      {u"USB-SERIAL CH340", u"/dev/ttyUSB0", u"USB-SERIAL CH340 (ttyUSB0)"},
      {u"USB-SERIAL CH340 (ttyUSB0)", u"/dev/ttyUSB0", u"USB-SERIAL CH340 (ttyUSB0)"},
      {u"Prolific (ttyUSB1)", u"/dev/ttyUSB0", u"Prolific (ttyUSB1) (ttyUSB0)"},
      {u"", u"/dev/ttyS0", u"ttyS0"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(MakeFriendlyName(c.description, c.path) == c.friendly)
        << MakeFriendlyName(c.description, c.path).ToBytes(cp::kUtf8);
  }
}

TEST(PortListTest, DescriptionsComeFromTheFriendlyNameOnlyWhenMissing) {
  ObjectList<SSerInfo> ports;
  const char16_t* names[] = {u"Detector (COM3)", u"A (x) b (COM4)", u"Plain", u"(COM5)",
                             u"Kept (COM6)"};
  for (const char16_t* name : names) ports.Add()->friendlyName = name;
  ports[4].description = u"From the system";
  AppendExtraPorts(ports, {u"/tmp/detector", u""});
  FillMissingDescriptions(ports);
  const char16_t* expected[] = {u"Detector", u"A (x) b (COM4)",  u"Plain",
                                u"(COM5)",   u"From the system", u"虚拟串口"};
  ASSERT_EQ(ports.Count(), 6u) << "an empty extra path is not listed";
  for (uint32_t i = 0; i < 6; ++i) {
    EXPECT_TRUE(ports[i].description == expected[i]) << ports[i].description.ToBytes(cp::kUtf8);
  }
  EXPECT_TRUE(ports[5].friendlyName == u"虚拟串口 (/tmp/detector)");
  EXPECT_TRUE(ports[5].path == u"/tmp/detector");
}

TEST(PortListTest, FindPortPathTakesTheFirstExactMatch) {
  ObjectList<SSerInfo> ports;
  EXPECT_EQ(FindPortPath(ports, u"x"), nullptr);
  for (const char16_t* path : {u"/dev/a", u"/dev/b"}) {
    SSerInfo* p = ports.Add();
    p->path = path;
    p->friendlyName = u"Same (x)";
  }
  ASSERT_NE(FindPortPath(ports, u"Same (x)"), nullptr);
  EXPECT_TRUE(*FindPortPath(ports, u"Same (x)") == u"/dev/a");
  EXPECT_EQ(FindPortPath(ports, u"same (x)"), nullptr);
  EXPECT_EQ(FindPortPath(ports, u"Same"), nullptr);
}

// USB adapters and the configured extra ports come before legacy on-board
// ports, so the first-port default is the detector's, not an empty ttyS0.
TEST(PortListTest, UsbAndExtraPortsComeBeforeLegacyPorts) {
  ObjectList<SSerInfo> found;
  for (const auto& [path, usb] :
       std::vector<std::pair<const char16_t*, bool>>{{u"/dev/ttyS0", false},
                                                     {u"/dev/ttyUSB0", true},
                                                     {u"/dev/ttyS1", false},
                                                     {u"/dev/ttyACM0", true}}) {
    SSerInfo* port = found.Add();
    port->path = path;
    port->friendlyName = MakeFriendlyName(u"", path);
    port->isUsb = usb;
  }
  ObjectList<SSerInfo> ports;
  OrderPorts(found, {u"/tmp/detector"}, ports);
  std::vector<std::string> order;
  for (uint32_t i = 0; i < ports.Count(); ++i) order.push_back(ports[i].path.ToBytes(cp::kUtf8));
  EXPECT_EQ(order, (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyACM0", "/tmp/detector",
                                             "/dev/ttyS0", "/dev/ttyS1"}));
}

// Open failures speak Chinese and say what to do; a port the account may not
// open names the group to join.
// A station takes a detector's port by itself, never an on-board one.
TEST(PortListTest, OnlyAPortThatMayBeADetectorIsTakenWithoutTheOperator) {
  struct Case {
    std::vector<std::pair<const char16_t*, bool>> ports;  // path, on USB
    const char16_t* taken;                                // null: none
  } cases[] = {
      {{{u"/dev/ttyS0", false}, {u"/dev/ttyS1", false}}, nullptr},
      {{{u"/dev/ttyS0", false}, {u"/dev/ttyUSB0", true}}, u"/dev/ttyUSB0"},
      {{{u"/dev/ttyS4", true}}, u"/dev/ttyS4"},  // a USB adapter that calls itself ttyS
      {{{u"/dev/ttyS0", false}, {u"/tmp/detector", false}}, u"/tmp/detector"},
      {{}, nullptr},
  };
  for (const Case& c : cases) {
    ObjectList<SSerInfo> ports;
    for (const auto& [path, usb] : c.ports) {
      SSerInfo* port = ports.Add();
      port->path = path;
      port->isUsb = usb;
    }
    const SSerInfo* taken = FirstDetectorPort(ports);
    if (!c.taken) {
      EXPECT_EQ(taken, nullptr);
    } else {
      ASSERT_NE(taken, nullptr);
      EXPECT_TRUE(taken->path == c.taken);
    }
  }
}

class SerialPortTest : public TempDirTest {};

TEST_F(SerialPortTest, OpenFailuresSayWhatIsWrongAndWhatToDo) {
  auto open = [](const std::string& path) {
    std::unique_ptr<SerialPort> port = CreateSerialPort();
    const Status opened = port->Open(String::FromBytes(path, cp::kUtf8));
    EXPECT_FALSE(opened) << path;
    return opened.text.ToBytes(cp::kUtf8);
  };
  EXPECT_EQ(open("/dev/no-such-port"), "串口设备不存在，请检查检测仪的数据线是否插好");
  EXPECT_EQ(open("/dev/null"), "这个设备不是串口");
  PtyPair pty;  // its device file belongs to us and a group such as tty, mode 0620
  ASSERT_TRUE(pty.Ok());
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to try the port as another account";
  ::chmod(pty.Path().c_str(), 0620);
  const std::string path = pty.Path();
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  const group* owner = ::getgrgid(st.st_gid);
  const std::string remedy = "usermod -aG " + std::string(owner ? owner->gr_name : "?") + " nobody";
  // A device of the group root is never a reason to join root.
  const std::string closed = "这个串口设备只对管理员开放，普通用户不能使用";
  ::chmod(Path("").c_str(), 0755);  // the account may look inside
  const std::string rootOnly = Path("ttyS0");
  std::ofstream(rootOnly) << "";
  ::chmod(rootOnly.c_str(), 0660);
  ASSERT_EQ(::chown(rootOnly.c_str(), 0, 0), 0);
  EXPECT_TRUE(AsOrdinaryUser([&] {
    const std::string text = open(path);
    const bool named = st.st_gid == 0 ? text.rfind(closed, 0) == 0
                                      : text.find("没有使用这个串口的权限") != std::string::npos &&
                                            text.find(remedy) != std::string::npos;
    const std::string root = open(rootOnly);
    return named && root.rfind(closed, 0) == 0 && root.find("usermod") == std::string::npos;
  }));
}

// One program per port: a second opener is refused until the first lets go.
TEST_F(SerialPortTest, APortOpenInOneProgramIsRefusedToASecond) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  const String path = String::FromBytes(pty.Path(), cp::kUtf8);
  std::unique_ptr<SerialPort> first = CreateSerialPort(), second = CreateSerialPort();
  const Status opened = first->Open(path);
  ASSERT_TRUE(opened) << opened.text.ToBytes(cp::kUtf8);
  const Status refused = second->Open(path);
  EXPECT_FALSE(refused);
  EXPECT_EQ(refused.text.ToBytes(cp::kUtf8), "串口正被另一个程序使用，请先关闭那个程序");
  first->Close();
  EXPECT_TRUE(second->Open(path)) << "free again once closed";
}

TEST(LineSettingsTest, OldTwoDigitBaudShorthandsMeanTheirSpeeds) {
  const std::pair<const char16_t*, unsigned> shorthands[] = {
      {u"baud=11", 110},   {u"baud=15", 150},  {u"baud=30", 300},  {u"baud=60", 600},
      {u"baud=12", 1200},  {u"baud=24", 2400}, {u"baud=48", 4800}, {u"baud=96", 9600},
      {u"baud=19", 19200}, {u"baud=38", 38},  // not a shorthand: taken as it stands
  };
  for (const auto& [text, baud] : shorthands) {
    LineSettings s;
    ASSERT_TRUE(ParseLineSettings(text, s)) << String(text).ToBytes(cp::kUtf8);
    EXPECT_EQ(s.baud, baud) << String(text).ToBytes(cp::kUtf8);
  }
}

TEST(LineSettingsTest, ReadsTheBuiltTextAndRefusesWhatAPortCannotTake) {
  struct Case {
    const char16_t* text;
    bool ok;
    unsigned baud;
    char parity;
    int data;
    int stop;
  } cases[] = {
      {u"baud=9600 parity=N data=8 stop=1", true, 9600, 'N', 8, 1},
      {u"baud=115200 parity=e data=7 stop=2", true, 115200, 'E', 7, 2},
      {u"BAUD=96 PARITY=N DATA=8 STOP=1.5", true, 9600, 'N', 8, 2},
      {u"baud=19", true, 19200, 'N', 8, 1},
      {u"baud= parity=N data=8 stop=1", false, 0, 0, 0, 0},
      {u"baud=abc parity=N data=8 stop=1", false, 0, 0, 0, 0},
      {u"baud=9600 parity=X data=8 stop=1", false, 0, 0, 0, 0},
      {u"baud=9600 parity=N data=9 stop=1", false, 0, 0, 0, 0},
      {u"baud=9600 speed=1", false, 0, 0, 0, 0},
      {u"9600", false, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    LineSettings s;
    s.baud = 1;
    EXPECT_EQ(ParseLineSettings(c.text, s), c.ok) << String(c.text).ToBytes(cp::kUtf8);
    if (!c.ok) {
      EXPECT_EQ(s.baud, 1u) << "unchanged on failure";
      continue;
    }
    EXPECT_EQ(s.baud, c.baud);
    EXPECT_EQ(s.parity, c.parity);
    EXPECT_EQ(s.dataBits, c.data);
    EXPECT_EQ(s.stopBits, c.stop);
  }
}

}  // namespace
