// The report outputs over varied records: CSV and XLSX of 100,000 records,
// the results notice (PDF) of 1,000, and the statistics of 1,000,000 (per
// period and per product). Files go to the temporary folder.
//   reports_bench
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "base/file_io.h"
#include "output/csv_export.h"
#include "output/results_notice.h"
#include "output/xlsx_export.h"
#include "store/record_stats.h"
#include "tests/support/varied_records.h"

namespace {

template <class Work>
double Timed(Work work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

void Fill(NcItemList& records, std::vector<uint32_t>& rows, int count) {
  VariedRecords varied;
  for (int i = 0; i < count; ++i) {
    String key, text;
    varied.Next(key, text);
    records.Append(key, text, false, i % 30 == 0, u"0123456789ABCDEF");
    rows.push_back(static_cast<uint32_t>(i));
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  NcItemList records;
  std::vector<uint32_t> rows;
  Fill(records, rows, 100000);
  std::printf("CSV of 100,000 records          %7.0f ms\n", Timed([&] {
                ReplaceFileContent((dir / "residue_bench.csv").string(), BuildCsv(records, rows));
              }));
  const std::vector<StatsRow> stats = RecordStats(records, rows, StatsBy::kPeriod);
  std::printf(
      "XLSX of 100,000 records         %7.0f ms\n", Timed([&] {
        if (!WriteXlsx((dir / "residue_bench.xlsx").string(), records, rows, stats, nullptr))
          std::abort();
      }));
  std::vector<uint32_t> thousand(rows.begin(), rows.begin() + 1000);
  NoticeInfo info;
  info.title = kDefaultNoticeTitle;
  info.testingUnit = u"县农检站";
  std::printf("notice (PDF) of 1,000 records   %7.0f ms\n", Timed([&] {
                if (!WriteResultsNotice((dir / "residue_bench.pdf").string(), records, thousand,
                                        info, nullptr))
                  std::abort();
              }));
  NcItemList million;
  std::vector<uint32_t> all;
  Fill(million, all, 1000000);
  std::printf("statistics of 1,000,000 by period  %5.0f ms\n",
              Timed([&] { RecordStats(million, all, StatsBy::kPeriod); }));
  std::printf("statistics of 1,000,000 by product %5.0f ms\n",
              Timed([&] { RecordStats(million, all, StatsBy::kProduct); }));
  for (const char* file : {"residue_bench.csv", "residue_bench.xlsx", "residue_bench.pdf"}) {
    std::filesystem::remove(dir / file);
  }
  return 0;
}
