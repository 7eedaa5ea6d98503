// The operations log: lines appended with a hash chained over the previous
// line, and the first line changed, removed or inserted named by its number.
#include "store/operations_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "base/file_io.h"
#include "tests/support/temp_dir.h"

namespace {

class OperationsLogTest : public TempDirTest {
 protected:
  // Five operations, as the window appends them.
  std::vector<std::string> WriteFive() {
    OperationsLog log(Path("ops.log"));
    const char16_t* operations[] = {u"删除", u"上传", u"打印", u"导出", u"设置"};
    for (int i = 0; i < 5; ++i) {
      EXPECT_TRUE(
          log.Append(u"2026-12-07 10:00:0" + String::FromBytes(std::to_string(i), cp::kUtf8),
                     operations[i], u"3 条\t记录\n"));
    }
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(Path("ops.log"), bytes));
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  void Rewrite(const std::vector<std::string>& lines) {
    std::ofstream out(Path("ops.log"), std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) out << line << "\n";
  }
};

TEST_F(OperationsLogTest, EachKindOfTamperingIsNamedAtItsLine) {
  const std::vector<std::string> lines = WriteFive();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_TRUE(VerifyOperationsLog(Path("ops.log")).ok);
  const std::vector<LogLine> read = ReadOperationsLog(Path("ops.log"));
  ASSERT_EQ(read.size(), 5u);
  EXPECT_EQ(read[1].operation, "上传");
  EXPECT_EQ(read[1].details, "3 条 记录 ") << "tabs and line ends become spaces";
  EXPECT_EQ(read[1].time, "2026-12-07 10:00:01");
  EXPECT_FALSE(read[1].user.empty());

  struct Case {
    const char* what;
    std::function<void(std::vector<std::string>&)> tamper;
    size_t line;
    const char* problem;
  } cases[] = {
      {"changed", [](auto& l) { l[2].replace(l[2].find("打印"), 6, "导出"); }, 3,
       "这一行的内容与校验值不符（被改动或插入）"},
      {"removed", [](auto& l) { l.erase(l.begin() + 1); }, 2,
       "这一行之前缺少第 2 条记录（被删除）"},
      {"two removed", [](auto& l) { l.erase(l.begin() + 1, l.begin() + 3); }, 2,
       "这一行之前缺少第 2 至 3 条记录（被删除）"},
      {"inserted", [](auto& l) { l.insert(l.begin() + 3, l[3]); }, 5, "这一行的序号重复（被插入）"},
      {"inserted with a new number",
       [](auto& l) {
         std::string forged = l[3];
         forged.replace(0, 1, "4");
         forged.replace(forged.find("导出"), 6, "删除");
         l.insert(l.begin() + 3, forged);
       },
       4, "这一行的内容与校验值不符（被改动或插入）"},
      {"last line cut", [](auto& l) { l.back().resize(l.back().size() - 10); }, 5,
       "这一行的内容与校验值不符（被改动或插入）"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> tampered = lines;
    c.tamper(tampered);
    Rewrite(tampered);
    const LogVerdict verdict = VerifyOperationsLog(Path("ops.log"));
    EXPECT_FALSE(verdict.ok) << c.what;
    EXPECT_EQ(verdict.line, c.line) << c.what;
    EXPECT_EQ(verdict.problem, c.problem) << c.what;
  }
  // A new writer goes on from the last line: the chain holds.
  Rewrite(lines);
  EXPECT_TRUE(OperationsLog(Path("ops.log")).Append(u"备份", u"到 /media/usb"));
  EXPECT_TRUE(VerifyOperationsLog(Path("ops.log")).ok);
  EXPECT_EQ(ReadOperationsLog(Path("ops.log")).back().number, "6");
}

}  // namespace
