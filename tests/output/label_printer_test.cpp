#include "output/label_printer.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <thread>

#include "base/json.h"
#include "output/print_job.h"
#include "output/tspl_preview.h"
#include "tests/support/loopback_server.h"
#include "tests/support/misbehaving_peers.h"
#include "tests/support/temp_dir.h"

namespace {

struct Printed {
  std::unique_ptr<LabelPrinter> printer;
  MemoryLabelTransport* labels;
};

Printed PrinterWith(const char16_t* printerJson) {
  Json doc;
  if (printerJson)
    doc.Parse(printerJson, static_cast<int>(std::char_traits<char16_t>::length(printerJson)));
  auto transport = std::make_unique<MemoryLabelTransport>();
  MemoryLabelTransport* labels = transport.get();
  return {std::make_unique<LabelPrinter>(LabelLayout::FromJson(printerJson ? &doc : nullptr),
                                         std::move(transport)),
          labels};
}

std::vector<std::string> Lines(const std::string& tspl) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end; (end = tspl.find("\r\n", start)) != std::string::npos; start = end + 2) {
    out.push_back(tspl.substr(start, end - start));
  }
  EXPECT_EQ(start, tspl.size()) << "every line ends with CR LF";
  return out;
}

std::vector<std::string> Starting(const std::vector<std::string>& lines,
                                  const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& l : lines) {
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  }
  return out;
}

std::string Gbk(const char16_t* text) { return String(text).ToBytes(cp::kGbk); }

TEST(LabelPrinterTest, DefaultLabelIsTheLayoutWrittenOutByHand) {
  Printed p = PrinterWith(nullptr);
  ASSERT_TRUE(p.printer->PrintLabel(u"产品:毛豆 / 城东", u"检测结果:合格 抑制率:9.9％",
                                    u"检测人: 张 / 站", u"2019-03-05 15:16:04", u"1250999896491",
                                    u""));
  std::vector<std::string> expected = {
      "SIZE 75 mm, 55 mm",
      "SPEED 3",
      "DENSITY 15",
      "GAP 3 mm, 0 mm",
      "SET CUTTER OFF",
      "DIRECTION 1",
      "CLS",
      "TEXT 10,10,\"TSS24.BF2\",0,1,1,\"" + Gbk(u"Tavrin产品溯源系统") + "\""};
  for (int k = 0; k < 40; ++k) expected.push_back("BAR " + std::to_string(40 * k / 3) + ",40,10,1");
  const char* ys[] = {"55", "88", "120", "160"};
  const char16_t* texts[] = {u"产品:毛豆 / 城东", u"检测结果:合格 抑制率:9.9％", u"检测人: 张 / 站",
                             u"2019-03-05 15:16:04"};
  for (int i = 0; i < 4; ++i) {
    expected.push_back(std::string("TEXT 10,") + ys[i] + ",\"TSS24.BF2\",0,1,1,\"" + Gbk(texts[i]) +
                       "\"");
  }
  expected.push_back("BARCODE 10,220,\"128\",96,1,0,2,2,\"1250999896491\"");
  expected.push_back("PRINT 1,1");
  const std::vector<std::string> lines = Lines(p.labels->labels.at(0));
  EXPECT_EQ(lines, expected);
  // The rule as the layout describes it: 40 dashes, 13 or 14 dots apart, the last at 520.
  const std::vector<std::string> bars = Starting(lines, "BAR ");
  ASSERT_EQ(bars.size(), 40u);
  EXPECT_EQ(bars[1], "BAR 13,40,10,1");
  EXPECT_EQ(bars[3], "BAR 40,40,10,1");
  EXPECT_EQ(bars.back(), "BAR 520,40,10,1");
}

TEST(LabelPrinterTest, SettingsMoveTheRuleTitleAndLabelSize) {
  struct Case {
    const char16_t* json;
    std::string size;
    size_t bars;
    std::string firstBars;
  } cases[] = {
      {u"{\"line_y1\": 20}", "SIZE 75 mm, 55 mm", 20,
       "BAR 0,40,20,1|BAR 26,40,20,1|BAR 53,40,20,1"},
      {u"{\"line_y1\": 900}", "SIZE 75 mm, 55 mm", 0, ""},
      {u"{\"line_y1\": 0}", "SIZE 75 mm, 55 mm", 0, ""},
      {u"{\"width\": 0, \"height\": -1}", "SIZE 75 mm, 55 mm", 40,
       "BAR 0,40,10,1|BAR 13,40,10,1|BAR 26,40,10,1"},
      {u"{\"width\": -5}", "SIZE 75 mm, 55 mm", 40, "BAR 0,40,10,1|BAR 13,40,10,1|BAR 26,40,10,1"},
      {u"{\"width\": 1, \"height\": 30.9}", "SIZE 1 mm, 30 mm", 40,
       "BAR 0,40,10,1|BAR 13,40,10,1|BAR 26,40,10,1"},
  };
  for (const Case& c : cases) {
    Printed p = PrinterWith(c.json);
    p.printer->PrintLabel(u"a", u"b", u"c", u"d", u"1", u"");
    const std::vector<std::string> lines = Lines(p.labels->labels.at(0));
    EXPECT_EQ(lines[0], c.size) << String(c.json).ToBytes(cp::kUtf8);
    const std::vector<std::string> bars = Starting(lines, "BAR ");
    EXPECT_EQ(bars.size(), c.bars) << String(c.json).ToBytes(cp::kUtf8);
    std::string first;
    for (size_t i = 0; i < 3 && i < bars.size(); ++i) first += (i ? "|" : "") + bars[i];
    EXPECT_EQ(first, c.firstBars);
  }
  Printed moved = PrinterWith(u"{\"line_y1\": 20}");
  moved.printer->PrintLabel(u"a", u"b", u"c", u"d", u"1", u"");
  EXPECT_EQ(Starting(Lines(moved.labels->labels[0]), "TEXT ")[0].substr(0, 14), "TEXT 10,20,\"TS");

  const std::u16string longTitle = u"{\"lab_name\": \"" + std::u16string(130, u'标') + u"\"}";
  Printed untitled = PrinterWith(longTitle.c_str());
  untitled.printer->PrintLabel(u"a", u"b", u"c", u"d", u"1", u"");
  EXPECT_EQ(Starting(Lines(untitled.labels->labels[0]), "TEXT ")[0],
            "TEXT 10,10,\"TSS24.BF2\",0,1,1,\"\"")
      << "a title too long for the text area prints empty";
}

TEST(LabelPrinterTest, QrModulesAreBoxesWhoseExtentFollowsTheVersion) {
  // 78 bytes need version 4 at level L: 33 modules of 6 dots from x 300.
  const std::u16string content = u"http://127.0.0.1/trace?uid=" + std::u16string(51, u'A');
  for (const char16_t* json : {static_cast<const char16_t*>(nullptr), u"{\"qr_w\": 3}"}) {
    Printed p = PrinterWith(json);
    p.printer->PrintLabel(u"a", u"b", u"c", u"d", u"1", content.c_str());
    int maxRight = 0, boxes = 0;
    for (const std::string& box : Starting(Lines(p.labels->labels[0]), "BOX ")) {
      int l, t, r, b, thickness;
      ASSERT_EQ(std::sscanf(box.c_str(), "BOX %d,%d,%d,%d,%d", &l, &t, &r, &b, &thickness), 5);
      EXPECT_EQ(thickness, 5);
      maxRight = std::max(maxRight, r);
      ++boxes;
    }
    EXPECT_GT(boxes, 100);
    EXPECT_EQ(maxRight, json ? 300 + 33 * 3 : 498);
  }
  Printed none = PrinterWith(nullptr);
  none.printer->PrintLabel(u"a", u"b", u"c", u"d", u"1", std::u16string(3000, u'x').c_str());
  EXPECT_TRUE(Starting(Lines(none.labels->labels[0]), "BOX ").empty()) << "too long: no QR code";
}

TEST(LabelTextsTest, BarcodeAndQrComeFromTheFirstTwelveUidDigits) {
  RecordColumns r;
  r.cell[1] = u"毛豆";
  r.cell[4] = u"城东市场";
  r.cell[2] = u"合格";
  r.cell[3] = u"12.5％";
  r.cell[7] = u"张敏";
  r.cell[6] = u"检测站";
  r.cell[9] = u"2019-03-05 15:16:04";
  const LabelTexts t =
      MakeLabelTexts(r, u"0123456789ABCDEF0123456789ABCDEF01234567", u"http://h/trace?uid=");
  EXPECT_TRUE(t.barcode == u"1250999896491");
  EXPECT_TRUE(t.qr == u"http://h/trace?uid=0123456789AB");
  EXPECT_TRUE(t.line1 == u"产品:毛豆 / 城东市场");
  EXPECT_TRUE(t.line2 == u"检测结果:合格 抑制率:12.5％");
  EXPECT_TRUE(t.line3 == u"检测人: 张敏 / 检测站");
  EXPECT_TRUE(t.line4 == u"2019-03-05 15:16:04");
  EXPECT_EQ(TraceNumber(u"12G4"), 0x12u);
  EXPECT_EQ(TraceNumber(u""), 0u);
}

class LabelOutputTest : public TempDirTest {};

#ifndef _WIN32
// The scanner is the host's zbarimg, which a Windows program cannot run.
TEST_F(LabelOutputTest, PreviewIsReadBackByABarcodeScanner) {
  if (std::system("command -v zbarimg > /dev/null") != 0) GTEST_SKIP() << "zbarimg missing";
  Printed p = PrinterWith(nullptr);
  p.printer->PrintLabel(u"产品:毛豆 / 城东", u"检测结果:合格", u"检测人: 张",
                        u"2019-03-05 15:16:04", u"1250999896491",
                        u"http://127.0.0.1/trace?uid=0123456789AB");
  const std::string png = Path("label.png");
  ASSERT_TRUE(RenderTsplPreview(p.labels->labels[0], png));
  EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(600, 440)) << "203 dpi, 75 x 55 mm";
  FILE* scan = popen(("zbarimg -q " + png + " 2>/dev/null").c_str(), "r");
  std::string found;
  char line[256];
  while (fgets(line, sizeof line, scan)) found += line;
  pclose(scan);
  EXPECT_NE(found.find("QR-Code:http://127.0.0.1/trace?uid=0123456789AB"), std::string::npos)
      << found;
  EXPECT_NE(found.find("CODE-128:1250999896491"), std::string::npos) << found;
}

#endif  // _WIN32

TEST_F(LabelOutputTest, RawTcpDestinationGetsExactlyTheLabelBytesAndARefusalIsAnError) {
  LabelLayout layout = LabelLayout::FromJson(nullptr);
  {
    LoopbackServer printer;
    std::string received;
    printer.Start([&](int fd) { received = LoopbackServer::Read(fd, 1 << 20); });
    layout.device =
        String::FromBytes("tcp://127.0.0.1:" + std::to_string(printer.Port()), cp::kUtf8);
    LabelPrinter network(layout);
    EXPECT_TRUE(network.PrintLabel(u"a", u"b", u"c", u"d", u"1", u"q"));
    printer.Join();
    EXPECT_EQ(received, network.Commands().LastLabel());
    EXPECT_NE(received.find("PRINT 1,1\r\n"), std::string::npos);
  }
  layout.device =
      String::FromBytes("tcp://127.0.0.1:" + std::to_string(peers::ClosedPort()), cp::kUtf8);
  LabelPrinter refused(layout);
  EXPECT_FALSE(refused.PrintLabel(u"a", u"b", u"c", u"d", u"1", u"q"));
  EXPECT_EQ(refused.Commands().LastError().ToBytes(cp::kUtf8),
            "打印机拒绝连接，请检查打印机是否开机、地址和端口是否正确");
  EXPECT_TRUE(refused.Commands().DestinationName() == layout.device);

  layout.device = String::FromBytes("dir:" + Path("labels"), cp::kUtf8);
  LabelPrinter folder(layout);
  EXPECT_TRUE(folder.PrintLabel(u"a", u"b", u"c", u"d", u"1", u"q"));
  EXPECT_TRUE(folder.PrintLabel(u"a", u"b", u"c", u"d", u"2", u"q"));
  for (const char* name :
       {"label-0001.tspl", "label-0001.png", "label-0002.tspl", "label-0002.png"}) {
    EXPECT_TRUE(std::filesystem::exists(Path("labels") + "/" + name)) << name;
  }
  layout.device = String::FromBytes(Path("no/such/device"), cp::kUtf8);
  LabelPrinter device(layout);
  EXPECT_FALSE(device.PrintLabel(u"a", u"b", u"c", u"d", u"1", u"q"));
}

}  // namespace
