#include "tools/output_commands.h"

#include <QGuiApplication>
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/file_locations.h"
#include "app/settings.h"
#include "base/file_io.h"
#include "base/json.h"
#include "base/utf8_path.h"
#include "output/csv_export.h"
#include "output/export_text.h"
#include "output/label_printer.h"
#include "output/print_job.h"
#include "output/results_notice.h"
#include "output/tspl_preview.h"
#include "output/xlsx_export.h"
#include "store/record_filter.h"
#include "store/record_stats.h"
#include "store/record_store.h"
#include "tools/filter_options.h"
#include "tools/tool_input.h"

namespace {

// The preview draws text, which needs a GUI application; tools run headless.
void EnsureGuiApplication() {
  if (QGuiApplication::instance()) return;
  static int argc = 1;
  static char name[] = "residue-tool";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(argc, argv);
}

}  // namespace

int RunExportCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  std::string folder, path, format = "text", settingsPath;
  bool missing = false;
  TakeOption(args, "--storage", folder, missing);
  TakeOption(args, "--out", path, missing);
  TakeOption(args, "--format", format, missing);
  RecordFilter filter;
  std::string deviceId, problem;
  const bool filterRead = TakeFilter(args, filter, deviceId, problem);
  if (folder.empty()) folder = LocateFiles().storageFolder;  // the program's own database
  const bool knownFormat =
      format == "text" || format == "csv" || format == "xlsx" || format == "pdf";
  if (format == "text" && !filter.IsEmpty()) {
    problem = "the text export writes every record; filters are for csv, xlsx and pdf";
  }
  if (missing || path.empty() || !args.empty() || !filterRead || !knownFormat || !problem.empty()) {
    if (!problem.empty()) err << "residue-tool export: " << problem << "\n";
    err << "usage: residue-tool export [--storage DIR] --out FILE [--format text|csv|xlsx|pdf]\n"
           "         "
        << kFilterUsage << "\n";
    return 2;
  }
  const Status refused = CheckOutputPath(path);
  if (!refused) {
    err << "residue-tool export: " << refused.text.ToBytes(cp::kUtf8) << "\n";
    return 2;
  }
  RecordDb db(folder, false);
  if (!db.IsOpen()) {
    err << "residue-tool export: " << db.OpenStatus().text.ToBytes(cp::kUtf8) << "\n";
    return 2;
  }
  NcItemList records;
  const DbStatus loaded = LoadRecordList(db, records, String::FromBytes(deviceId, cp::kUtf8));
  if (!loaded) {
    err << "residue-tool export: only the records before a damaged part are exported: "
        << loaded.text.ToBytes(cp::kUtf8) << "\n";
  }
  if (format == "text") {
    int count = 0;
    const std::string bytes = BuildExportBytes(
        records, [](const _NcItemData&) { return true; }, count);
    if (!WriteExportFile(path, bytes)) {
      err << "residue-tool export: cannot write '" << path << "'\n";
      return 2;
    }
    out << count << "\n";
    return 0;
  }
  // The other formats: the records the record page shows with this filter,
  // in stored order.
  const std::vector<uint32_t> rows = FilterRecords(records, filter);
  Status written = Status::Ok();
  if (format == "csv") {
    if (!ReplaceFileContent(path, BuildCsv(records, rows)))
      written = Status::Failed(u"cannot write the file");
  } else if (format == "xlsx") {
    const std::vector<StatsRow> stats =
        RecordStats(records, rows, StatsBy::kPeriod, filter.fromDate, filter.toDate);
    written = WriteXlsx(path, records, rows, stats, nullptr);
  } else {
    EnsureGuiApplication();  // the notice's fonts
    NoticeInfo info;
    Json settings;
    const std::string own = LocateFiles().settingsFile;
    std::error_code ignored;
    if (std::filesystem::is_regular_file(PathOf(own), ignored)) settings.LoadFile(own);
    info.title = Settings::NoticeTitle(settings);
    info.testingUnit = settings.PropertyStr(u"dwmc", u"");
    info.fromDate = filter.fromDate;
    info.toDate = filter.toDate;
    written = WriteResultsNotice(path, records, rows, info, nullptr);
  }
  if (!written) {
    err << "residue-tool export: '" << path << "': " << written.text.ToBytes(cp::kUtf8) << "\n";
    return 2;
  }
  out << rows.size() << "\n";
  return 0;
}

int RunStatsCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  std::string folder, by;
  bool missing = false;
  TakeOption(args, "--storage", folder, missing);
  TakeOption(args, "--by", by, missing);
  RecordFilter filter;
  std::string deviceId, problem;
  const bool filterRead = TakeFilter(args, filter, deviceId, problem);
  if (folder.empty()) folder = LocateFiles().storageFolder;
  StatsBy grouping = StatsBy::kPeriod;
  if (by == "day") grouping = StatsBy::kDay;
  if (by == "month") grouping = StatsBy::kMonth;
  if (by == "product") grouping = StatsBy::kProduct;
  if (!by.empty() && grouping == StatsBy::kPeriod) problem = "--by wants day, month or product";
  if (missing || !args.empty() || !filterRead || !problem.empty()) {
    if (!problem.empty()) err << "residue-tool stats: " << problem << "\n";
    err << "usage: residue-tool stats [--storage DIR] [--by day|month|product]\n         "
        << kFilterUsage << "\n";
    return 2;
  }
  RecordDb db(folder, false);
  if (!db.IsOpen()) {
    err << "residue-tool stats: " << db.OpenStatus().text.ToBytes(cp::kUtf8) << "\n";
    return 2;
  }
  NcItemList records;
  const DbStatus loaded = LoadRecordList(db, records, String::FromBytes(deviceId, cp::kUtf8));
  if (!loaded) err << "residue-tool stats: " << loaded.text.ToBytes(cp::kUtf8) << "\n";
  const std::vector<uint32_t> rows = FilterRecords(records, filter);
  for (const StatsRow& row : RecordStats(records, rows, grouping, filter.fromDate, filter.toDate)) {
    out << row.label.ToBytes(cp::kUtf8) << '\t' << row.tested << '\t' << row.passed << '\t'
        << row.failed << '\t' << RateText(row).ToBytes(cp::kUtf8) << '\n';
  }
  return 0;
}

int RunLabelCommand(std::vector<std::string> args, std::istream& in, std::ostream& out,
                    std::ostream& err) {
  std::string deviceId, settingsPath, tsplPath, pngPath, problem;
  if (!TakeDeviceId(args, deviceId, problem)) {
    err << "residue-tool label: " << problem << "\n";
    return 2;
  }
  bool missing = false;
  TakeOption(args, "--settings", settingsPath, missing);
  TakeOption(args, "--tspl", tsplPath, missing);
  TakeOption(args, "--png", pngPath, missing);
  if (missing || tsplPath.empty() || !args.empty()) {
    err << "usage: residue-tool label --device-id ID [--settings FILE] --tspl OUT [--png OUT]\n";
    return 2;
  }
  for (const std::string& out : {tsplPath, pngPath}) {
    const Status refused = out.empty() ? Status::Ok() : CheckOutputPath(out);
    if (!refused) {
      err << "residue-tool label: " << refused.text.ToBytes(cp::kUtf8) << "\n";
      return 2;
    }
  }
  Json settings;
  if (settingsPath.empty()) {
    // The program's own settings when there are any (read only).
    const std::string own = LocateFiles().settingsFile;
    std::error_code error;
    if (std::filesystem::is_regular_file(PathOf(own), error)) settingsPath = own;
  }
  if (!settingsPath.empty() && !settings.LoadFile(settingsPath)) {
    err << "residue-tool label: cannot read settings '" << settingsPath << "'\n";
    return 2;
  }
  std::string bytes;
  ReadInput("-", in, bytes);
  NcItemList records;
  const String text = String::FromBytes(bytes, cp::kGbk);
  const _NcItemData* record = records.Append(RecordTestTime(text), text, true, false,
                                             String::FromBytes(deviceId, cp::kUtf8));
  if (!record) {
    err << "not a record\n";
    return 1;
  }
  auto transport = std::make_unique<MemoryLabelTransport>();
  MemoryLabelTransport* labels = transport.get();
  LabelPrinter printer(LabelLayout::FromJson(settings.FindProperty(u"printer")),
                       std::move(transport));
  const LabelTexts t = MakeLabelTexts(*record, Settings::QueryUrl(settings));
  printer.PrintLabel(t.line1, t.line2, t.line3, t.line4, t.barcode, t.qr);
  printer.Close();
  if (!ReplaceFileContent(tsplPath, labels->labels.back())) {
    err << "residue-tool label: cannot write '" << tsplPath << "'\n";
    return 2;
  }
  if (!pngPath.empty()) {
    EnsureGuiApplication();
    if (!RenderTsplPreview(labels->labels.back(), pngPath)) {
      err << "residue-tool label: cannot write '" << pngPath << "'\n";
      return 2;
    }
  }
  out << "barcode " << t.barcode.ToBytes(cp::kUtf8) << "\nqr " << t.qr.ToBytes(cp::kUtf8) << "\n";
  return 0;
}
