// The longest the window's event loop stalls while it works over every
// record: sorting, finding, "全选" and its durable write, the statistics
// page, the exports (the copy of the rows; the file itself is written on a
// worker), and deleting half of the records. A detector record is handed
// over at the start of each command; the last column says whether it was
// listed when the command ended. Realistic databases are built once
// (every second record ticked) and kept in the temporary folder.
//   book_stall_bench [SIZES...]      (default 100000 1000000)
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_frame_wnd.h"
#include "base/config.h"
#include "bench/stall_meter.h"
#include "bench/varied_databases.h"
#include "tests/support/varied_records.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"

namespace fs = std::filesystem;

namespace {

QString savePath;
QString SaveTo(const QString&) { return savePath; }
// Yes to every question but opening the notice in a viewer.
bool AnswerYes(const QString& text, MessageKind, const QString&) {
  return !text.contains(QStringLiteral("现在打开吗"));
}

struct Command {
  const char* what;
  std::function<void(MainFrameWnd&)> start;
};

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {100000, 1000000};
  SetMessageBoxHandler(AnswerYes);
  SetSaveFileHandler(SaveTo);
  StallMeter meter;

  auto click = [](MainFrameWnd& w, const char* name) { w.findChild<QPushButton*>(name)->click(); };
  const Command commands[] = {
      {"sort by tested unit", [](MainFrameWnd& w) { w.OnHeaderClicked(5); }},
      {"sort by tested unit, descending",
       [](MainFrameWnd& w) {
         w.OnHeaderClicked(5);  // descending
       }},
      {"find \"城\"",
       [](MainFrameWnd& w) {
         w.findChild<QLineEdit*>("EditFind")->setText(QStringLiteral("城"));
         w.ApplyFindBar();
       }},
      {"clear the find bar", [](MainFrameWnd& w) { w.ClearFind(); }},
      {"全选 (tick all)", [](MainFrameWnd& w) { w.findChild<QCheckBox*>("selall")->click(); }},
      {"全选 (untick all)", [](MainFrameWnd& w) { w.findChild<QCheckBox*>("selall")->click(); }},
      {"statistics page", [&](MainFrameWnd& w) { click(w, "stats"); }},
      {"text export", [&](MainFrameWnd& w) { w.ExportRecords(); }},
      {"results notice (copy of the rows)", [&](MainFrameWnd& w) { w.SaveResultsNotice(); }},
      {"find the passed rows",
       [](MainFrameWnd& w) {
         w.findChild<QComboBox*>("ComboResult")->setCurrentIndex(1);  // passed
         w.ApplyFindBar();
       }},
      {"全选 of the rows found",
       [](MainFrameWnd& w) { w.findChild<QCheckBox*>("selall")->click(); }},
      {"delete the ticked (those rows)", [](MainFrameWnd& w) { w.DeleteSelectedRecords(); }},
  };

  for (const int size : sizes) {
    const fs::path work = fs::temp_directory_path() / "residue_book_stall_bench";
    fs::remove_all(work);
    fs::create_directories(work);
    fs::copy(VariedDatabase(size), work / "storage", fs::copy_options::recursive);
    SetConfigPath((work / "residue-station.Json").string());
    MainFrameOptions options;
    options.skinFolder = QString::fromUtf8(SKIN_DIR);
    options.storageFolder = (work / "storage").string();
    options.capturePath = (work / "data.txt").string();
    std::printf(
        "\n%d records\n| command | longest UI stall | ended after | new record listed |\n"
        "|---|---|---|---|\n",
        size);
    {
      MainFrameWnd window(options);
      window.Create(nullptr);
      window.CenterAndShow();
      QCoreApplication::processEvents();
      VariedRecords arrivals;
      int arrived = 0;
      for (const Command& command : commands) {
        String key, text;
        arrivals.Next(key, text);
        key.Format(u"99%010d", ++arrived);  // after every stored key
        savePath = QString::fromStdString((work / ("out-" + std::to_string(arrived))).string());
        if (std::string(command.what).find("export") != std::string::npos) savePath += ".txt";
        const qint64 worst = meter.Run(
            [&] {
              command.start(window);
              window.HandOverRecord(key, text, true, false, u"");
            },
            [&] { return window.IsBookBusy() || window.IsWritingOutput(); }, 600000);
        const NcItemList& records = window.Records();
        const bool listed = records.Count() > 0 && records[records.Count() - 1].Key() == key;
        std::printf("| %s | %lld ms | %lld ms | %s |\n", command.what, worst, meter.Elapsed(),
                    listed ? "yes" : "no");
        std::fflush(stdout);
      }
      window.close();
    }
    fs::remove_all(work);
  }
  SetSaveFileHandler(nullptr);
  SetMessageBoxHandler(nullptr);
  return 0;
}
