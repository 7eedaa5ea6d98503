// The list commands over 100,000 varied records, on the store and output
// functions the window calls: the export (with the still-stored check
// against the database), "全选" (every flag in one write) and deletion of
// the 50,000 ticked records.
#include <benchmark/benchmark.h>

#include <chrono>
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

// The parts of the export: the walk over the keys, the text, the file.
void BM_ExportParts100k(benchmark::State& state) {
  std::filesystem::remove_all(Folder("residue_bench_export"));
  RecordDb db(Folder("residue_bench_export"));
  NcItemList records;
  Fill(db, records);
  const std::string out = Folder("residue_bench_export.txt");
  double walk = 0, text = 0, file = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    const StoredKeys stored(db);
    auto t1 = std::chrono::steady_clock::now();
    int count = 0;
    const std::string bytes = BuildExportBytes(
        records, [&stored](const _NcItemData& r) { return stored.Contains(r); }, count);
    auto t2 = std::chrono::steady_clock::now();
    if (!WriteExportFile(out, bytes)) state.SkipWithError("export failed");
    auto t3 = std::chrono::steady_clock::now();
    walk += std::chrono::duration<double, std::milli>(t1 - t0).count();
    text += std::chrono::duration<double, std::milli>(t2 - t1).count();
    file += std::chrono::duration<double, std::milli>(t3 - t2).count();
  }
  state.counters["walk_ms"] = walk / state.iterations();
  state.counters["text_ms"] = text / state.iterations();
  state.counters["file_ms"] = file / state.iterations();
  std::filesystem::remove(out);
}
BENCHMARK(BM_ExportParts100k)->Unit(benchmark::kMillisecond)->Iterations(3);

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
