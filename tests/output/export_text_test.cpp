#include "output/export_text.h"

#include <gtest/gtest.h>

#include <fstream>

#include "base/file_io.h"
#include "base/gbk_codec.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"
#include "tests/support/varied_records.h"

namespace {

std::string Spaces(int n) { return std::string(n, ' '); }
std::string Gbk(const char16_t* text) { return String(text).ToBytes(cp::kGbk); }

// The caption line as written by hand: each caption padded to 20 columns.
std::string CaptionLine() {
  return Gbk(u"名称") + Spaces(16) + Gbk(u"检测结果") + Spaces(12) + Gbk(u"抑制率") + Spaces(14) +
         Gbk(u"检测标准") + Spaces(12) + Gbk(u"被检单位") + Spaces(12) + Gbk(u"位置") + Spaces(16) +
         Gbk(u"主检单位") + Spaces(12) + Gbk(u"检验员") + Spaces(14) + Gbk(u"对照液A值") +
         Spaces(11) + Gbk(u"通道") + Spaces(16) + Gbk(u"日期") + Spaces(16) + "\r\n\r\n";
}

// A record whose fields are all empty but the sample name, stored under that name.
_NcItemData* AddRecord(NcItemList& list, const char16_t* name) {
  return list.Append(name, String(u"+++++++++++++") + name + u"+", false, false, u"");
}

TEST(ExportTextTest, PaddingCountsWideCharactersTwiceAndAlwaysLeavesABlank) {
  struct Case {
    const char16_t* text;
    int blanks;
  } cases[] = {
      {u"", 20},
      {u"名称", 16},
      {u"对照液A值", 11},
      {u"12345678901234567890", 1},
      {u"一二三四五六七八九十", 1},
      {u"一二三四五六七八九十壹", 1},
      {u"\u0100", 19},
      {u"\u0101", 18},
      {u"99.9％", 14},
  };
  for (const Case& c : cases) {
    String s(c.text);
    const uint32_t before = s.Length();
    PadCell(s);
    EXPECT_EQ(static_cast<int>(s.Length() - before), c.blanks) << String(c.text).ToBytes(cp::kUtf8);
    EXPECT_EQ(s.RevElement(0), u' ');
  }
}

TEST(ExportTextTest, RecordsGoLastFirstAndOnlyThoseStillStored) {
  NcItemList list;
  int count = -1;
  EXPECT_EQ(BuildExportBytes(
                list, [](const _NcItemData&) { return true; }, count),
            CaptionLine());
  EXPECT_EQ(count, 0);

  AddRecord(list, u"R1");
  // Every field its own text: the line shows which column goes where.
  list.Append(u"R2",
              u" 190305151604+04+87.5+21.6+40.6+1.000+1+位置B+0+0+主检C+检验D+被检A+R2+50.0\r\n",
              true, true, u"");
  AddRecord(list, u"R3");
  const std::string text = BuildExportBytes(
      list, [](const _NcItemData& r) { return !(r.Key() == u"R1"); }, count);
  EXPECT_EQ(count, 2);
  const std::string empty = Spaces(20);
  const std::string r3 = "R3" + Spaces(18) + Gbk(u"合格") + Spaces(16) + Gbk(u"％") + Spaces(18) +
                         Gbk(u"％") + Spaces(18) + empty + empty + empty + empty + empty + empty +
                         "20-- ::" + Spaces(13) + "\r\n";
  // 名称 检测结果 抑制率 检测标准 被检单位 位置 主检单位 检验员 对照液A值 通道 日期
  const std::string r2Line = "R2" + Spaces(18) + Gbk(u"合格") + Spaces(16) + Gbk(u"87.5％") +
                             Spaces(14) + Gbk(u"50.0％") + Spaces(14) + Gbk(u"被检A") + Spaces(15) +
                             Gbk(u"位置B") + Spaces(15) + Gbk(u"主检C") + Spaces(15) +
                             Gbk(u"检验D") + Spaces(15) + "1.000" + Spaces(15) + "04" + Spaces(18) +
                             "2019-03-05 15:16:04" + Spaces(1) + "\r\n";
  EXPECT_EQ(text, CaptionLine() + r3 + r2Line);
}

// The export as it was made from ready-built rows: every cell padded, the
// whole text converted by the code page converter at once.
std::string EagerExport(const NcItemList& list, uint64_t leftOut) {
  String text(u"");
  for (const char16_t* caption :
       {u"名称", u"检测结果", u"抑制率", u"检测标准", u"被检单位", u"位置", u"主检单位", u"检验员",
        u"对照液A值", u"通道", u"日期"}) {
    String cell(caption);
    PadCell(cell);
    text.Append(cell);
  }
  text.Append(u"\r\n\r\n");
  for (uint32_t i = list.Count(); i-- > 0;) {
    if (list[i].serial % leftOut == 0) continue;
    RecordColumns columns;
    EXPECT_TRUE(BuildRecordColumns(list[i].Text(), false, columns));
    for (int entry : {1, 2, 3, 8, 4, 5, 6, 7, 13, 14, 9}) {
      String cell = columns.cell[entry];
      PadCell(cell);
      text.Append(cell);
    }
    text.Append(u"\r\n");
  }
  std::string bytes;
  cp::EncodeGbk(text.Handle(), text.Length(), bytes);
  return bytes;
}

TEST(ExportTextTest, LinesBuiltInPlaceMatchTheRowsBuiltWhole) {
  NcItemList list;
  VariedRecords varied;
  for (int i = 0; i < 25000; ++i) {  // enough for two threads
    String key, text;
    varied.Next(key, text);
    list.Append(key, text, false, i % 3 == 0, u"");
  }
  // Blanks the trim removes, units GBK lacks (one '?' each, a pair one
  // '?'), short and missing times, a result field of " 0 ", wide units.
  const char16_t* odd[] = {
      u"\u3000 1903\u00a0+04+87.5+21.6+40.6+1.000+ 0 +\xd83d\xde00\xd800x+1+2+单位\t+张\u00e9+"
      u"摊位\u2028+豆\u0101+50\r\n",
      u"+++++++++++++ +",
      u"19030515160499+a+b+c+d+e+00+f+g+h+i+j+k+l+m+extra+fields",
      u"\"q\"/\\+1+2+3+4+5+0+7+8+9+10+11+12+13+14",
  };
  for (const char16_t* text : odd) ASSERT_NE(list.Append(u"k", text, true, false, u""), nullptr);
  int count = 0;
  // Some records are no longer stored (every seventh, by serial).
  EXPECT_EQ(BuildExportBytes(
                list, [](const _NcItemData& r) { return r.serial % 7 != 0; }, count),
            EagerExport(list, 7));
  int kept = 0;
  for (uint32_t i = 0; i < list.Count(); ++i) kept += list[i].serial % 7 != 0 ? 1 : 0;
  EXPECT_EQ(count, kept);
}

class ExportFileTest : public TempDirTest {};

TEST_F(ExportFileTest, ALongerOldFileIsReplacedWholeAndFailuresAreReported) {
  const std::string path = Path("export.txt");
  std::ofstream(path) << std::string(5000, 'x');
  ASSERT_TRUE(WriteExportFile(path, Gbk(u"名称 \r\n")));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, Gbk(u"名称") + " \r\n");
  EXPECT_FALSE(WriteExportFile(Path("no/such/folder/export.txt"), "x"));
  EXPECT_FALSE(WriteExportFile(dir_.string(), "x")) << "a folder is not a file";

#ifndef _WIN32
  // A disk that fills up halfway: the file-size limit makes the write stop
  // short, which must be a failure that leaves the old file as it was.
  FileSizeLimit limit;
  limit.Set(1000);
  const bool written = WriteExportFile(path, std::string(4000, 'x'));
  limit.Lift();
  EXPECT_FALSE(written);
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, Gbk(u"名称") + " \r\n");
#endif
}

}  // namespace
