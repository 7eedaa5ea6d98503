// Finding records in a large list, on the functions the window calls: a
// keystroke in the search box (the filter applied to every record, then one
// more character narrowing the rows shown), a date choice, a trace-code
// search the first time (every record's hash computed) and after, and
// sorting by each column. Varied records (tests/support/varied_records.h),
// loaded from a database as the window loads them.
//   find_bench [RECORDS...]     (default 100000 1000000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "store/record_sort.h"
#include "store/record_store.h"
#include "store/record_view.h"
#include "tests/support/varied_records.h"

namespace {

double Ms(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

template <class Work>
double Timed(Work work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return Ms(std::chrono::steady_clock::now() - start);
}

void Run(int count) {
  const std::string folder =
      (std::filesystem::temp_directory_path() / "residue_find_bench").string();
  std::filesystem::remove_all(folder);
  NcItemList records;
  {
    RecordDb db(folder);
    VariedRecords().Store(db, count);
    if (!LoadRecordList(db, records, u"0123456789ABCDEF")) std::abort();
  }
  std::filesystem::remove_all(folder);
  RecordView view;
  auto filter = [&](const char16_t* text, uint32_t from = 0, uint32_t to = 0) {
    RecordFilter f;
    f.text = text;
    f.fromDate = from;
    f.toDate = to;
    return Timed([&] { view.SetFilter(records, f); });
  };
  std::printf("%d records\n", count);
  auto report = [&](const char* what, double ms) {
    std::printf("  %-36s %7.1f ms, %u shown\n", what, ms, view.RowCount(records));
  };
  report("search \"城\" (every record)", filter(u"城"));
  report("search \"城东\" (narrowing the rows)", filter(u"城东"));
  report("search \"zhang\" (Latin letters)", filter(u"zhang"));
  report("dates 2016-03-01 to 2016-03-31", filter(u"", 20160301, 20160331));
  const String code = TraceCode(records[count / 2]);
  report("trace code, the first time", filter(code.Handle()));
  report("search cleared", filter(u""));
  report("part of a trace code, again", filter(code.Left(6).Handle()));
  view.Reset();
  double worst = 0;
  int worstColumn = 0;
  const char* only = std::getenv("FIND_BENCH_COLUMN");
  for (int column = only ? std::atoi(only) : 0;
       column < (only ? std::atoi(only) + 1 : kSortColumns); ++column) {
    const double ms = Timed([&] { view.SetSort(records, column, column % 2 == 1); });
    if (std::getenv("FIND_BENCH_COLUMNS")) std::printf("    column %d: %.1f ms\n", column, ms);
    if (ms > worst) {
      worst = ms;
      worstColumn = column;
    }
  }
  std::printf("  %-36s %7.1f ms (column %d)\n", "sort by the slowest column", worst, worstColumn);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {100000, 1000000};
  for (int count : sizes) Run(count);
  return 0;
}
