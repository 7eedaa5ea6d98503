#include "base/config.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "base/file_io.h"
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

TEST_F(ConfigTest, BrokenFileIsLeftAloneUntilAChangeIsCommitted) {
  const std::string broken = "{\"com\":\"COM3\", \"ids\": [\"A\" oops";
  Write(broken);
  {
    Config config;
    EXPECT_TRUE(config.Root()->IsObject());
    config.Root()->GetProperty(u"ways", true);
  }
  EXPECT_EQ(Read(), broken) << "a plain access does not overwrite a broken file";
  {
    Config config;
    config.Root()->SetPropertyStr(u"bits", u"9600");
    config.Commit();
  }
  std::string kept;
  ASSERT_TRUE(ReadWholeFile(file_ + ".broken", kept));
  EXPECT_EQ(kept, broken);
  Json now;
  ASSERT_TRUE(now.LoadFile(file_));
  EXPECT_EQ(std::u16string(now.PropertyStr(u"bits", u"")), u"9600");
  EXPECT_EQ(std::u16string(now.PropertyStr(u"com", u"")), u"COM3") << "what did parse is kept";
}

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
