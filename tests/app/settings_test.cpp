#include "app/settings.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/trace_lookup.h"
#include "app/window_pos_store.h"
#include "base/config.h"
#include "base/file_io.h"
#include "tests/support/temp_dir.h"

namespace {

class SettingsTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    file_ = Path("residue-station.Json");
    SetConfigPath(file_);
  }
  void TearDown() override {
    SetConfigPath("");
    TempDirTest::TearDown();
  }
  void Write(const std::string& utf8) const {
    std::ofstream(file_, std::ios::binary) << String::FromBytes(utf8, cp::kUtf8).ToBytes(cp::kGbk);
  }
  Json Reread() const {
    Json doc;
    EXPECT_TRUE(doc.LoadFile(file_));
    return doc;
  }

  std::string file_;
};

std::vector<std::u16string> Std(const std::vector<String>& list) {
  std::vector<std::u16string> out;
  for (const String& s : list) out.push_back(s.ToStd());
  return out;
}

TEST_F(SettingsTest, NoFileGivesEveryDefaultAndAddsTheListKeys) {
  Settings s;
  s.Load();
  EXPECT_TRUE(s.baudRate == u"9600");
  EXPECT_TRUE(s.serverType == u"TCP服务器");
  EXPECT_TRUE(s.serverHost == u"127.0.0.1");
  EXPECT_EQ(s.serverPort, 3620);
  EXPECT_TRUE(s.httpUrl == u"http://127.0.0.1:8088/receivedata/receive_tavrin_data.asp");
  EXPECT_TRUE(s.queryUrl == u"http://127.0.0.1/trace?uid=");
  EXPECT_TRUE(s.portName == u"" && s.deviceId == u"" && s.userName == u"");
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(file_, bytes));
  EXPECT_EQ(bytes, "{\r\n\t\"ids\" : null,\r\n\t\"ways\" : null,\r\n\t\"user_names\" : null\r\n}");
}

TEST_F(SettingsTest, LoadingTakesValuesAsTheyStandAndDropsWhatDoesNotFit) {
  struct Case {
    const char* file;
    std::function<void(const Settings&)> check;
  } cases[] = {
      {R"({"serv_port": 70000})", [](const Settings& s) { EXPECT_EQ(s.serverPort, 4464); }},
      {R"({"serv_port": 3620.9})", [](const Settings& s) { EXPECT_EQ(s.serverPort, 3620); }},
      {R"({"serv_port": "80"})", [](const Settings& s) { EXPECT_EQ(s.serverPort, 3620); }},
      {R"({})",
       [](const Settings& s) {
         EXPECT_EQ(s.recycleDays, 90u);
         EXPECT_EQ(s.backupKeep, 30u);
         EXPECT_TRUE(s.backupDir == u"");
       }},
      {R"({"recycle_days": 7, "backup_keep": 3, "backup_dir": "/media/stick"})",
       [](const Settings& s) {
         EXPECT_EQ(s.recycleDays, 7u);
         EXPECT_EQ(s.backupKeep, 3u);
         EXPECT_TRUE(s.backupDir == u"/media/stick");
       }},
      {R"({"recycle_days": 0, "backup_keep": -4})",
       [](const Settings& s) { EXPECT_EQ(s.recycleDays + s.backupKeep, 120u); }},
      {R"({"serv_host": "10.1.2.3"})",
       [](const Settings& s) { EXPECT_TRUE(s.queryUrl == u"http://10.1.2.3/trace?uid="); }},
      {R"({"serv_host": "a", "query_url": ""})",
       [](const Settings& s) { EXPECT_TRUE(s.queryUrl == u""); }},
      {R"({"bits": "", "com": 5})",
       [](const Settings& s) { EXPECT_TRUE(s.baudRate == u"" && s.portName == u""); }},
      {R"({"ids": ["0123456789ABCDEF", "", "0123456789abcdef", 5, "B", "FEDCBA9876543210"]})",
       [](const Settings& s) {
         EXPECT_EQ(Std(s.knownDeviceIds),
                   (std::vector<std::u16string>{u"0123456789ABCDEF", u"FEDCBA9876543210"}));
       }},
      // The ID is kept in the one form the server and the trace codes use.
      {R"({"deviceid": "0123456789abcdef"})",
       [](const Settings& s) {
         EXPECT_TRUE(s.deviceId == u"0123456789ABCDEF");
         EXPECT_TRUE(s.deviceIdProblem.IsEmpty());
       }},
      {R"({"deviceid": "ZZZ"})",
       [](const Settings& s) {
         EXPECT_TRUE(s.deviceId.IsEmpty());
         EXPECT_TRUE(s.deviceIdProblem == u"ZZZ");
       }},
      {R"({"ways": "黄瓜"})", [](const Settings& s) { EXPECT_TRUE(s.productChoices.empty()); }},
      {R"({"extra_ports": ["/tmp/detector", "", "/dev/pts/9"]})",
       [](const Settings& s) {
         EXPECT_EQ(Std(s.extraPorts),
                   (std::vector<std::u16string>{u"/tmp/detector", u"/dev/pts/9"}));
       }},
      {R"({"user_names": ["", 3, "毛豆"]})",
       [](const Settings& s) {
         EXPECT_TRUE(s.productNames.Get(1) == u"");
         EXPECT_TRUE(s.productNames.Get(2) == u"毛豆");
       }},
  };
  for (const Case& c : cases) {
    Write(c.file);
    Settings s;
    s.Load();
    SCOPED_TRACE(c.file);
    c.check(s);
  }
}

// A key edited by hand while the program runs keeps its new value when the
// window changes another; a key the window changed is written.
TEST_F(SettingsTest, AHandEditDuringTheRunIsNeverOverwrittenByAnOlderCopy) {
  Write(R"({"com": "COM1", "bits": "9600", "deviceid": "", "ids": [], "ways": [],
            "user_names": []})");
  Settings s;
  s.Load();
  Write(R"({"com": "COM1", "bits": "9600", "deviceid": "0123456789ABCDEF", "ids": [],
            "ways": ["黄瓜"], "user_names": []})");
  s.baudRate = u"115200";
  s.Save();
  Json doc = Reread();
  EXPECT_EQ(std::u16string(doc.PropertyStr(u"deviceid", u"")), u"0123456789ABCDEF");
  EXPECT_EQ(doc.FindProperty(u"ways")->Count(), 1u);
  EXPECT_EQ(std::u16string(doc.PropertyStr(u"bits", u"")), u"115200");
  // Changed in the window as well: the window's value is the newer one.
  s.deviceId = u"FEDCBA9876543210";
  s.Save();
  EXPECT_EQ(std::u16string(Reread().PropertyStr(u"deviceid", u"")), u"FEDCBA9876543210");
}

TEST_F(SettingsTest, SaveWritesItsKeysAndKeepsEveryOtherAsTheFileHeldIt) {
  std::string names = "[";
  for (int i = 1; i <= 25; ++i) names += "\"n" + std::to_string(i) + "\",";
  names += "]";
  names.erase(names.size() - 2, 1);
  Write(R"({"serv_host": "old", "ways": "x", "custom": {"k": [1 2]}, "user_names": )" + names +
        "}");
  Settings s;
  s.Load();
  EXPECT_TRUE(s.productNames.Get(19) == u"n20");
  // Meanwhile the operator edits a key the program never writes.
  Write(R"({"serv_host": "edited", "ways": "x", "custom": {"k": [1 2]}, "user_names": )" + names +
        "}");
  s.portName = u"USB-SERIAL CH340 (ttyUSB0)";
  s.productChoices = {u"黄瓜", u""};
  s.knownDeviceIds = {u"0123456789ABCDEF"};
  s.Save();

  Json doc = Reread();
  EXPECT_EQ(std::u16string(doc.PropertyStr(u"serv_host", u"")), u"edited");
  EXPECT_TRUE(s.serverHost == u"old") << "the running program keeps what it loaded";
  EXPECT_EQ(doc.FindProperty(u"user_names")->Count(), 20u);
  EXPECT_EQ(doc.FindProperty(u"ways")->ToText(false).ToStd(), u"[\"\\u9ec4\\u74dc\",\"\"]");
  EXPECT_EQ(doc.FindProperty(u"custom")->ToText(false).ToStd(), u"{\"k\":[1,2]}");
  EXPECT_EQ(std::u16string(doc.PropertyStr(u"com", u"")), u"USB-SERIAL CH340 (ttyUSB0)");
  std::vector<std::u16string> keys;
  for (uint32_t i = 0; i < doc.Count(); ++i) keys.push_back(doc.Member(i)->key.ToStd());
  EXPECT_EQ(keys, (std::vector<std::u16string>{u"serv_host", u"ways", u"custom", u"user_names",
                                               u"com", u"bits", u"deviceid", u"serv_type", u"ids"}))
      << "keys keep their order; new ones go last in the order they are written";
}

std::vector<std::string> Utf8(const std::vector<String>& texts) {
  std::vector<std::string> out;
  for (const String& t : texts) out.push_back(t.ToBytes(cp::kUtf8));
  return out;
}

TEST(SettingsRulesTest, DeviceIdsAreRememberedNewestFirstAndForgottenInTurn) {
  Settings s;
  EXPECT_EQ(s.UseDeviceId(u"A"), 0);
  EXPECT_EQ(s.UseDeviceId(u"B"), 0);
  EXPECT_EQ(s.UseDeviceId(u"A"), 1) << "a known ID keeps its place";
  EXPECT_TRUE(s.deviceId == u"A");
  EXPECT_EQ(Utf8(s.knownDeviceIds), (std::vector<std::string>{"B", "A"}));
  s.ForgetDeviceId(5);  // nothing there
  EXPECT_EQ(s.knownDeviceIds.size(), 2u);
  s.ForgetDeviceId(0);
  EXPECT_TRUE(s.deviceId == u"A") << "the first one left is in use";
  s.ForgetDeviceId(0);
  EXPECT_TRUE(s.deviceId == u"");
  EXPECT_TRUE(s.knownDeviceIds.empty());
}

TEST(SettingsRulesTest, ChannelNamesAddNewChoicesOnceAndEmptyOnesAreNoChoice) {
  Settings s;
  s.productChoices = {u"毛豆", u""};
  std::vector<String> names(ProductNames::kChannels, String(u""));
  names[0] = u"黄瓜";
  names[1] = u"毛豆";
  names[2] = u"黄瓜";
  s.SetChannelNames(names);
  EXPECT_EQ(Utf8(s.productChoices), (std::vector<std::string>{"毛豆", "", "黄瓜"}));
  EXPECT_EQ(Utf8(s.ChannelChoices()), (std::vector<std::string>{"毛豆", "黄瓜"}));
  EXPECT_TRUE(s.productNames.Get(0) == u"黄瓜");
  EXPECT_TRUE(s.productNames.Get(1) == u"毛豆");
  EXPECT_TRUE(s.productNames.Get(3) == u"");
}

TEST_F(SettingsTest, WindowRectangleRoundTripsAndAppliesByOption) {
  WindowPosStore store(kTakeSavedWidth | kTakeSavedHeight);
  WindowRect saved;
  EXPECT_FALSE(store.ReadSaved(u"main_wnd", saved));
  const WindowRect current{100, 50, 900, 622};
  EXPECT_TRUE(store.RestorePosition(u"main_wnd", current) == current);
  store.SavePosition(u"main_wnd", WindowRect{10, 20, 1210, 820});
  EXPECT_TRUE(store.RestorePosition(u"main_wnd", current) == (WindowRect{100, 50, 1300, 850}));

  Write(R"({"wndpos": {"main_wnd": {"left": 1, "top": 2, "right": 3}}})");
  EXPECT_FALSE(store.ReadSaved(u"main_wnd", saved)) << "one number missing: nothing applies";

  struct Case {
    unsigned options;
    WindowRect expected;
  } cases[] = {
      {0, {100, 50, 900, 622}},
      {kMoveToSavedLeft, {10, 50, 810, 622}},
      {kMoveToSavedTop, {100, 20, 900, 592}},
      {kTakeSavedWidth, {100, 50, 1300, 622}},
      {kTakeSavedHeight, {100, 50, 900, 850}},
      {15, {10, 20, 1210, 820}},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(ApplySavedRect(current, WindowRect{10, 20, 1210, 820}, c.options) == c.expected)
        << c.options;
  }
}

}  // namespace

namespace {

TEST(TraceLookupTest, ScannedBarcodesAndQrTextsFindTheirRecord) {
  const String prefix = u"http://h/trace?uid=";
  struct Case {
    const char16_t* input;
    const char* address;
  } cases[] = {
      {u"1250999896491", "http://h/trace?uid=0123456789AB"},  // the barcode of 0123456789AB
      {u"1250999896491\r\n", "http://h/trace?uid=0123456789AB"},
      {u"281474976710655", "http://h/trace?uid=FFFFFFFFFFFF"},
      {u"1000000000000", "http://h/trace?uid=00E8D4A51000"},
      {u"http://h/trace?uid=0123456789AB", "http://h/trace?uid=0123456789AB"},  // the QR code
      {u"0123456789AB", "http://h/trace?uid=0123456789AB"},                     // typed
      {u"281474976710656", "http://h/trace?uid=281474976710656"},  // too large: as typed
      {u"125099989649", "http://h/trace?uid=125099989649"},        // 12 digits: a typed code
      {u" 0123456789ab\n", "http://h/trace?uid=0123456789ab"},
      // Nothing a trace page could be found for: no address.
      {u"", ""},
      {u"xyz", ""},
      {u"0123456789A", ""},          // one digit short
      {u"0123456789AG", ""},         // not hexadecimal
      {u"http://h/trace?uid=", ""},  // the prefix alone
      {u"http://other/trace?uid=0123456789AB", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TracePageAddress(prefix, c.input).ToBytes(cp::kUtf8), c.address)
        << String(c.input).ToBytes(cp::kUtf8);
  }
}

}  // namespace
