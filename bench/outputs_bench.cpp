// The list commands over 100,000 varied records, on the store and output
// functions the window calls: the export (with the still-stored check
// against the database), "全选" (every flag in one write) and deletion of
// the 50,000 ticked records.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "output/export_text.h"
#include "store/record_store.h"
#include "store/stored_value.h"
#include "tests/support/varied_records.h"

namespace {

constexpr int kRecords = 100000;

std::string Folder(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// Stores kRecords records (every second one ticked) and loads them into
// `records` as the window does.
void Fill(RecordDb& db, NcItemList& records) {
  VariedRecords().Store(db, kRecords);
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
    const std::string bytes = BuildExportBytes(
        records, [&stored](const _NcItemData& r) { return stored.Contains(r); }, count);
    if (!WriteExportFile(out, bytes) || count != kRecords) state.SkipWithError("export failed");
  }
  std::filesystem::remove(out);
}
BENCHMARK(BM_Export100k)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SelectAll100k(benchmark::State& state) {
  std::filesystem::remove_all(Folder("residue_bench_select"));
  RecordDb db(Folder("residue_bench_select"));
  NcItemList records;
  Fill(db, records);
  bool selected = true;
  for (auto _ : state) {
    if (!SetRecordsSelected(db, records, selected)) state.SkipWithError("not stored");
    selected = !selected;
  }
}
BENCHMARK(BM_SelectAll100k)->Unit(benchmark::kMillisecond)->Iterations(4);

// The part of "全选" before the write: every value made from memory.
void BM_SelectAllValues100k(benchmark::State& state) {
  std::filesystem::remove_all(Folder("residue_bench_values"));
  RecordDb db(Folder("residue_bench_values"));
  NcItemList records;
  Fill(db, records);
  for (auto _ : state) {
    RecordDb::Batch batch;
    std::string value;
    for (uint32_t i = 0; i < records.Count(); ++i) {
      MakeStoredValue(records[i].TextForm(), records[i].ExactForm(), true, false, value);
      batch.PutBytes(std::string(records[i].KeyForm()), value);
    }
    benchmark::DoNotOptimize(batch.IsEmpty());
  }
}
BENCHMARK(BM_SelectAllValues100k)->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_MakeValuesOnly100k(benchmark::State& state) {
  std::filesystem::remove_all(Folder("residue_bench_values"));
  RecordDb db(Folder("residue_bench_values"));
  NcItemList records;
  Fill(db, records);
  size_t total = 0;
  for (auto _ : state) {
    std::string value;
    for (uint32_t i = 0; i < records.Count(); ++i) {
      MakeStoredValue(records[i].TextForm(), records[i].ExactForm(), true, false, value);
      total += value.size();
    }
  }
  state.counters["bytes"] = total / state.iterations();
}
BENCHMARK(BM_MakeValuesOnly100k)->Unit(benchmark::kMillisecond)->Iterations(4);

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
