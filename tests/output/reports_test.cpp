// The spreadsheet outputs and the results notice, read back by programs of
// their own: the CSV's bytes, the workbook through openpyxl, the PDF through
// pdftotext and pdfinfo.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "base/file_io.h"
#include "device/frame_builder.h"
#include "output/csv_export.h"
#include "output/record_sheet.h"
#include "output/results_notice.h"
#include "output/xlsx_export.h"
#include "store/record_filter.h"
#include "store/record_stats.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Output(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  if (pipe) pclose(pipe);
  return output;
}

class ReportsTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    FrameFields f;
    f.sample = u"毛豆";
    f.testedUnit = u"A,B \"摊\"";
    f.place = u"东区";
    Add(f);
    f.time = u"190306080000";
    f.sample = u"黄瓜";
    f.testedUnit = u"二号摊";
    f.rate = u"12.5";
    f.result = u"1";
    Add(f);
    // A hand-made text: a CR LF inside a field, a time that is no time.
    rows_.push_back(list_.Count());
    list_.Append(u"k", u"99+7+abc+20.1+30.2+1.0+1+第一行\r\n第二行+x+y+u+i+t+样品+50.0", false,
                 true, u"");
  }
  void Add(const FrameFields& f) {
    rows_.push_back(list_.Count());
    list_.Append(u"k", String::FromBytes(BuildFrame(f).substr(3), cp::kGbk), false, false,
                 u"0123456789ABCDEF");
  }
  NcItemList list_;
  std::vector<uint32_t> rows_;
};

TEST_F(ReportsTest, CsvQuotesWhatNeedsQuotingAndKeepsChineseInUtf8) {
  struct Case {
    const char16_t* text;
    const char* field;
  } cases[] = {
      {u"毛豆", "毛豆"},         {u"a,b", "\"a,b\""},       {u"say \"hi\"", "\"say \"\"hi\"\"\""},
      {u"a\r\nb", "\"a\r\nb\""}, {u"line\n", "\"line\n\""}, {u"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CsvField(c.text), c.field);
  const std::string csv = BuildCsv(list_, rows_);
  EXPECT_EQ(csv.rfind("\xEF\xBB\xBF状态,名称,检测结果,抑制率(％),被检单位,", 0), 0u);
  const std::string code = TraceCode(list_[0]).ToBytes(cp::kUtf8);
  EXPECT_NE(csv.find("\r\n,毛豆,不合格,87.5,\"A,B \"\"摊\"\"\",东区,县农检站,张敏,50.0,"
                     "2019-03-05 15:16:04,21.6,40.6,\"(36°12'34.56\"\",103°49'12.34\"\")\",1.000,"
                     "04," +
                     code + ",未上传\r\n"),
            std::string::npos)
      << csv.substr(0, 700);
  EXPECT_NE(csv.find(",\"第一行\r\n第二行\","), std::string::npos);
  EXPECT_EQ(csv.substr(csv.size() - 2), "\r\n");
  bool stopped = false;
  EXPECT_EQ(BuildCsv(
                list_, rows_, [](size_t) { return false; }, &stopped),
            "");
  EXPECT_TRUE(stopped);
  EXPECT_EQ(BuildCsv(
                list_, rows_, [](size_t) { return true; }, &stopped),
            csv);
  EXPECT_FALSE(stopped);
}

TEST_F(ReportsTest, TheWorkbookReadsBackWithItsTypesFrozenCaptionsFilterAndStatistics) {
  if (std::system("/usr/bin/python3 -c 'import openpyxl' 2>/dev/null") != 0) {
    GTEST_SKIP() << "python3-openpyxl missing";
  }
  const std::string path = Path("records.xlsx");
  const std::vector<StatsRow> stats = RecordStats(list_, rows_, StatsBy::kPeriod);
  const Status written = WriteXlsx(path, list_, rows_, stats, nullptr);
  ASSERT_TRUE(written) << written.text.ToBytes(cp::kUtf8);
  const std::string script = Path("read.py");
  std::ofstream(script) << R"(import openpyxl, sys
book = openpyxl.load_workbook(sys.argv[1])
print(book.sheetnames)
sheet = book['检测记录']
print(sheet.freeze_panes, sheet.auto_filter.ref, sheet.max_row, sheet.max_column)
for row in sheet.iter_rows(min_row=1, max_row=4):
    print('|'.join('%s:%s' % (c.data_type, c.value) for c in row))
for row in book['统计'].iter_rows():
    print('|'.join(str(c.value) for c in row))
)";
  const std::string out = Output("/usr/bin/python3 " + script + " " + path);
  const std::string code = TraceCode(list_[0]).ToBytes(cp::kUtf8);
  EXPECT_NE(out.find("['检测记录', '统计']"), std::string::npos) << out;
  EXPECT_NE(out.find("A2 A1:Q4 4 17"), std::string::npos) << out;
  EXPECT_NE(out.find("s:状态|s:名称|s:检测结果|s:抑制率(％)|s:被检单位|"), std::string::npos)
      << out;
  EXPECT_NE(
      out.find("n:None|s:毛豆|s:不合格|n:87.5|s:A,B \"摊\"|s:东区|s:县农检站|s:张敏|n:50|"
               "d:2019-03-05 15:16:04|n:21.6|n:40.6|s:(36°12'34.56\",103°49'12.34\")|n:1|n:4|s:" +
               code + "|s:未上传"),
      std::string::npos)
      << out;
  // The hand-made record: text where no number or time could be read (the
  // format writes the CR of the field as _x000D_).
  EXPECT_NE(
      out.find(
          "s:已上传|s:样品|s:合格|s:abc|s:t|s:第一行_x000D_\n第二行|s:u|s:i|n:50|s:2099-- ::|"),
      std::string::npos)
      << out;
  EXPECT_NE(
      out.find("日期或名称|检测数|合格|不合格|不合格率\n2019-03-05|1|0|1|1\n2019-03-06|1|1|0|0\n"
               "日期不明|1|1|0|0"),
      std::string::npos)
      << out;
}

TEST_F(ReportsTest, TheNoticeHasItsTextsOnNumberedPagesAndAFailureLeavesNothing) {
  if (std::system("command -v pdftotext > /dev/null") != 0) GTEST_SKIP() << "poppler-utils missing";
  NcItemList many;
  std::vector<uint32_t> rows;
  for (int i = 0; i < 100; ++i) {
    FrameFields f;
    String time;
    time.Format(u"1903%02d080000", 1 + i % 28);
    f.time = time;
    f.result = i % 4 ? u"1" : u"0";
    many.Append(u"k", String::FromBytes(BuildFrame(f).substr(3), cp::kGbk), false, false, u"");
    rows.push_back(static_cast<uint32_t>(i));
  }
  NoticeInfo info;
  info.title = kDefaultNoticeTitle;
  info.testingUnit = u"县农检站";
  const std::string path = Path("notice.pdf");
  ASSERT_TRUE(WriteResultsNotice(path, many, rows, info, nullptr));
  const int pages = NoticePages(rows.size());
  EXPECT_EQ(pages, 3);
  const std::string about = Output("pdfinfo " + path);
  const size_t at = about.find("Pages:");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(std::atoi(about.c_str() + at + 6), pages);
  // The text without its blanks (the layout spaces words as it likes).
  std::string text;
  for (const char c : Output("pdftotext " + path + " -")) {
    if (c != ' ' && c != '\n') text += c;
  }
  for (const char* expected :
       {"农产品农药残留快速检测结果公示", "检测单位：县农检站", "检测日期：2019-03-01至2019-03-28",
        "城东市场三号摊", "2019-03-0508:00:00", "共检测100批次，合格75批次，不合格25批次",
        "检测人：", "第1页共3页", "第3页共3页"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
  EXPECT_EQ(NoticePages(0), 1);
  // Impossible test days (a detector clock can say Feb 30th) are no days.
  for (const char16_t* time : {u"190230080000", u"190231080000"}) {
    FrameFields f;
    f.time = time;
    many.Append(u"k", String::FromBytes(BuildFrame(f).substr(3), cp::kGbk), false, false, u"");
    rows.push_back(many.Count() - 1);
  }
  ASSERT_TRUE(WriteResultsNotice(Path("odd.pdf"), many, rows, info, nullptr));
  const std::vector<StatsRow> stats = RecordStats(many, rows, StatsBy::kPeriod);
  ASSERT_FALSE(stats.empty());
  EXPECT_TRUE(stats.back().label == u"日期不明");
  EXPECT_EQ(stats.back().tested, 2u);
  EXPECT_TRUE(WriteXlsx(Path("odd.xlsx"), many, rows, stats, nullptr));
  // A folder that is not there: a reason, and no file.
  const Status missing = WriteResultsNotice(Path("no/such/notice.pdf"), many, rows, info, nullptr);
  EXPECT_FALSE(missing);
  EXPECT_FALSE(missing.text.IsEmpty());
  // Stopped half-way: the old file stays as it was.
  std::ofstream(Path("old.pdf")) << "old";
  EXPECT_FALSE(
      WriteResultsNotice(Path("old.pdf"), many, rows, info, [](size_t done) { return done < 40; }));
  std::string old;
  ASSERT_TRUE(ReadWholeFile(Path("old.pdf"), old));
  EXPECT_EQ(old, "old");
}

}  // namespace
