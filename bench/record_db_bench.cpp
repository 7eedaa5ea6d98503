// Start-up load: ForEach over a database of 100,000 stored records, each built
// into a test record (split, columns, location, hash), as the main window does.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "bench/stored_records.h"
#include "store/record_db.h"
#include "store/record_store.h"

namespace {

constexpr int kRecords = 100000;

std::string FilledDatabase() {
  static const std::string folder = [] {
    std::string path = (std::filesystem::temp_directory_path() / "residue_bench_storage").string();
    std::filesystem::remove_all(path);
    RecordDb db(path);
    StoreSampleRecords(db, kRecords, 3);
    return path;
  }();
  return folder;
}

void BM_LoadAllRecords(benchmark::State& state) {
  const std::string folder = FilledDatabase();
  RecordDb db(folder);
  const String deviceId(u"0123456789ABCDEF");
  for (auto _ : state) {
    ObjectList<_NcItemData> records;
    uint32_t visited = db.ForEach([&](String& key, Json& doc) {
      AppendLoadedRecord(records, key, doc, deviceId);
      return false;
    });
    if (visited != kRecords || records.Count() != kRecords) state.SkipWithError("records lost");
    state.PauseTiming();
    records.Clear();
    state.ResumeTiming();
  }
  state.counters["records"] = kRecords;
}
BENCHMARK(BM_LoadAllRecords)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
