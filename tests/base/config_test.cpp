#include "base/config.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "base/file_io.h"
#ifndef _WIN32
#include "tests/support/as_user.h"
#endif
#include "tests/support/temp_dir.h"

namespace {

class ConfigTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    file_ = Path("Tool.Json");
    SetConfigPath(file_);
  }
  void TearDown() override {
    SetConfigPath("");
    TempDirTest::TearDown();
  }
  std::string Read() const {
    std::string bytes;
    ReadWholeFile(file_, bytes);
    return bytes;
  }
  void Write(const std::string& bytes) const { std::ofstream(file_, std::ios::binary) << bytes; }

  std::string file_;
};

TEST_F(ConfigTest, MissingFileIsCreatedAndHoldsTheRootAfterTheAccess) {
  {
    Config config;
    ASSERT_NE(config.Root(), nullptr);
    EXPECT_TRUE(config.Root()->IsNull());
    EXPECT_TRUE(std::filesystem::exists(file_)) << "created empty at first access";
    config.Root()->SetPropertyStr(u"com", u"COM3");
  }
  EXPECT_EQ(Read(), "{\r\n\t\"com\" : \"COM3\"\r\n}");
}

// Reading settings never writes the file: a hand-formatted file stays as it
// is until a value changes.
TEST_F(ConfigTest, AnAccessThatChangesNothingLeavesTheFileAsItIs) {
  const std::string text = "{\"com\":\"COM3\",   \"wndpos\": {\"main_wnd\": {\"left\": 1}}}";
  Write(text);
  {
    Config config;
    EXPECT_EQ(config.Root()->PropertyStr(u"com", u""), std::u16string(u"COM3"));
    config.Root()->SetPropertyStr(u"com", u"COM3");  // the same value again
  }
  EXPECT_EQ(Read(), text);
  {
    Config config;
    config.Root()->SetPropertyStr(u"com", u"COM4");
  }
  EXPECT_NE(Read().find("COM4"), std::string::npos);
}

TEST_F(ConfigTest, HandEditBetweenAccessesIsSeen) {
  {
    Config config;
    config.Root()->SetPropertyInt32(u"n", 1);
  }
  Write("{\"n\":2}");
  Config config;
  EXPECT_EQ(config.Root()->PropertyInt32(u"n", 0), 2);
}

TEST_F(ConfigTest, AccessesOnTwoThreadsTakeTurns) {
  std::atomic<bool> firstHolds{false};
  std::thread first([&] {
    Config config;
    firstHolds = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    config.Root()->SetPropertyInt32(u"n", 42);
  });
  while (!firstHolds) std::this_thread::yield();
  {
    Config config;  // waits for the first thread's access to end
    EXPECT_EQ(config.Root()->PropertyInt32(u"n", 0), 42);
  }
  first.join();
}

TEST_F(ConfigTest, NestedAccessHasNoRootAndLeavesTheOuterLockAlone) {
  {
    Config outer;
    {
      Config nested;
      EXPECT_EQ(nested.Root(), nullptr);
    }
    outer.Root()->SetPropertyInt32(u"n", 7);
  }
  std::thread other([] {
    Config config;  // would deadlock if the nested accessor had released or kept the lock wrongly
    EXPECT_EQ(config.Root()->PropertyInt32(u"n", 0), 7);
  });
  other.join();
}

// A file that does not parse, whose root is not an object, or whose bytes
// are not text is kept until a deliberate change, which first keeps a copy;
// a later broken original never overwrites an earlier copy.
TEST_F(ConfigTest, BrokenFilesAreLeftAloneAndEveryOriginalIsKept) {
  const std::string cases[] = {"{\"com\":\"COM3\", \"ids\": [\"A\" oops", "[1, 2]",
                               "{\"com\":\"abc\x81 def\"}",
                               "{\r\n\t\"com\": \"COM3,\r\n\t\"bits\": \"9600\"\r\n}"};
  const char* problems[] = {"第 1 行第 32 列有格式错误", "内容不是一个 JSON 对象",
                            "有不能识别的文字编码", "第 3 行第 3 列有格式错误"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    Write(cases[i]);
    {
      Config config;
      ASSERT_NE(config.Root(), nullptr);
      EXPECT_EQ(config.BrokenProblem(), problems[i]) << cases[i];
      EXPECT_TRUE(config.Root()->IsNull()) << "nothing of a broken file is used";
      config.Root()->GetProperty(u"ways", true);
    }
    EXPECT_EQ(Read(), cases[i]) << "a plain access does not overwrite a broken file";
    {
      Config config;
      config.Root()->SetPropertyStr(u"bits", u"9600");
      config.Commit();
    }
    std::string kept;
    const std::string copy = file_ + ".broken" + (i ? "." + std::to_string(i) : std::string());
    ASSERT_TRUE(ReadWholeFile(copy, kept)) << copy;
    EXPECT_EQ(kept, cases[i]);
    Json now;
    ASSERT_TRUE(now.LoadFile(file_));
    EXPECT_EQ(std::u16string(now.PropertyStr(u"bits", u"")), u"9600");
  }
  std::string original;
  ReadWholeFile(file_ + ".broken", original);
  EXPECT_EQ(original, cases[0]) << "the first original is still there";
}

TEST_F(ConfigTest, TheFileIsWrittenInTheEncodingItWasReadIn) {
  const std::string gbkName = String(u"虚拟串口").ToBytes(cp::kGbk);
  const std::string utf8Name = String(u"虚拟串口").ToBytes(cp::kUtf8);
  struct Case {
    const char* what;
    std::string file;
    std::string kept;  // the untouched key's bytes, as they must come back
    std::string com;   // how the new value must be written
  } cases[] = {
      {"GBK", "{\"com\":\"x\",\"name\":\"" + gbkName + "\"}", gbkName,
       String(u"端口").ToBytes(cp::kGbk)},
      {"UTF-8", "{\"com\":\"x\",\"name\":\"" + utf8Name + "\"}", utf8Name,
       String(u"端口").ToBytes(cp::kUtf8)},
      {"UTF-8 with its mark", "\xEF\xBB\xBF{\"com\":\"x\",\"name\":\"" + utf8Name + "\"}", utf8Name,
       String(u"端口").ToBytes(cp::kUtf8)},
      // Two GBK bytes that happen to be valid UTF-8: read as UTF-8, they still come back as they
      // were.
      {"GBK that looks like UTF-8", "{\"com\":\"x\",\"name\":\"\xC3\xAB\"}", "\xC3\xAB",
       String(u"端口").ToBytes(cp::kUtf8)},
  };
  for (const Case& c : cases) {
    Write(c.file);
    {
      Config config;
      if (c.kept == utf8Name) {
        EXPECT_EQ(std::u16string(config.Root()->PropertyStr(u"name", u"")), u"虚拟串口") << c.what;
      }
      config.Root()->SetPropertyStr(u"com", u"端口");
    }
    const std::string now = Read();
    EXPECT_NE(now.find("\"name\" : \"" + c.kept + "\""), std::string::npos) << c.what;
    EXPECT_NE(now.find("\"com\" : \"" + c.com + "\""), std::string::npos) << c.what;
    EXPECT_EQ(now.rfind("\xEF\xBB\xBF", 0) == 0, c.file.rfind("\xEF\xBB\xBF", 0) == 0) << c.what;
  }
}

#ifndef _WIN32
// File permissions and an ordinary user to deny them are POSIX's.
// A settings file that exists but cannot be read is never written: a save
// would replace settings this program never saw.
TEST_F(ConfigTest, AFileThatCannotBeReadIsNeverWrittenAndSaysWhy) {
  std::filesystem::create_directories(file_);  // a folder where the file should be
  {
    Config config;
    config.Root()->SetPropertyStr(u"com", u"COM3");
    config.Commit();
  }
  EXPECT_TRUE(std::filesystem::is_directory(file_));
  EXPECT_EQ(Config(file_).ReadProblem(), "Is a directory");
  std::filesystem::remove(file_);

  Write("{\"serv_host\":\"inspect.example\",\"deviceid\":\"0123456789ABCDEF\"}");
  ::chmod(file_.c_str(), 0600);
  ::chmod(dir_.c_str(), 0777);
  const std::string path = file_;
  EXPECT_TRUE(AsOrdinaryUser([&] {
    {
      Config config(path);
      config.Root()->SetPropertyStr(u"com", u"COM3");
      config.Commit();
    }
    return Config(path).ReadProblem() == "Permission denied";
  }));
  EXPECT_EQ(Read(), "{\"serv_host\":\"inspect.example\",\"deviceid\":\"0123456789ABCDEF\"}");
}

#endif  // _WIN32

TEST_F(ConfigTest, PathsDifferingInCaseOrSlashesNameOneDocument) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"D:\\App\\Tool.Json", "d:/app/tool.json", true},
      {"/opt/app/Tool.Json/", "/opt/app/Tool.Json", true},
      {"/opt/app/Tool.Json", "/opt/app/Tool.Json2", false},
      {"/opt/app/Tool.Json//", "/opt/app/Tool.Json", false},
  };
  for (const Case& c : cases) EXPECT_EQ(SameConfigPath(c.a, c.b), c.same) << c.a << " " << c.b;

  ConfigDocument* a = OpenConfigDocument(file_);
  std::string upper = file_;
  for (char& ch : upper) ch = static_cast<char>(std::toupper(ch));
  ConfigDocument* b = OpenConfigDocument(upper);  // same document, by the comparison above
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->refCount, 2);
  ReleaseConfigDocument(b);
  ReleaseConfigDocument(a);

  SetConfigPath("");
  const std::string exeDefault = DefaultConfigPath();
  EXPECT_EQ(exeDefault.substr(exeDefault.size() - 16), "/base_tests.Json");
}

}  // namespace
