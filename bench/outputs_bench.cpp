// Export of 100,000 records (with the still-stored check against the database,
// as the window does) and deletion of 50,000 ticked records out of 100,000.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/stored_records.h"
#include "output/export_text.h"
#include "store/record_store.h"

namespace {

constexpr int kRecords = 100000;

std::string Folder(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// Stores kRecords records and loads them into `records` as the window does.
void Fill(RecordDb& db, NcItemList& records) {
  StoreSampleRecords(db, kRecords, 2);
  if (!LoadRecordList(db, records, u"0123456789ABCDEF")) std::abort();
}

void BM_Export100k(benchmark::State& state) {
  std::filesystem::remove_all(Folder("residue_bench_export"));
  RecordDb db(Folder("residue_bench_export"));
  NcItemList records;
  Fill(db, records);
  const std::string out = Folder("residue_bench_export.txt");
  for (auto _ : state) {
    int count = 0;
    const StoredKeys stored(db);
    const String text = BuildExportText(
        records, [&stored](const _NcItemData& r) { return stored.Contains(r.Key()); }, count);
    if (!WriteExportFile(out, text) || count != kRecords) state.SkipWithError("export failed");
  }
  std::filesystem::remove(out);
}
BENCHMARK(BM_Export100k)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DeleteHalfOf100k(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove_all(Folder("residue_bench_delete"));
    auto db = std::make_unique<RecordDb>(Folder("residue_bench_delete"));
    NcItemList records;
    Fill(*db, records);
    state.ResumeTiming();
    uint32_t removed = 0;
    if (!DeleteSelectedRecords(records, *db, removed) || removed != kRecords / 2)
      state.SkipWithError("wrong count");
    state.PauseTiming();
    records.Clear();
    db.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_DeleteHalfOf100k)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
