// Start-up load: ForEach over a database of 100,000 stored records, each built
// into a test record (split, columns, location, hash), as the main window does.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench/stored_records.h"
#include "device/frame_builder.h"
#include "store/record_db.h"
#include "store/record_store.h"

namespace {

constexpr int kRecords = 100000;

// Values as an older version stored them, and with the device ID of each record.
std::string FilledDatabase(bool withDeviceIds) {
  static const std::string folders[2] = {
      [] {
        std::string path =
            (std::filesystem::temp_directory_path() / "residue_bench_storage").string();
        std::filesystem::remove_all(path);
        RecordDb db(path);
        StoreSampleRecords(db, kRecords, 3);
        return path;
      }(),
      [] {
        std::string path =
            (std::filesystem::temp_directory_path() / "residue_bench_storage_ids").string();
        std::filesystem::remove_all(path);
        RecordDb db(path);
        StoreSampleRecords(db, kRecords, 3, 0, u"FEDCBA9876543210");
        return path;
      }()};
  return folders[withDeviceIds ? 1 : 0];
}

void BM_LoadAllRecords(benchmark::State& state) {
  const std::string folder = FilledDatabase(state.range(0) != 0);
  RecordDb db(folder);
  const String deviceId(u"0123456789ABCDEF");
  for (auto _ : state) {
    NcItemList records;
    if (!LoadRecordList(db, records, deviceId) || records.Count() != kRecords)
      state.SkipWithError("records lost");
    state.PauseTiming();
    records.Clear();
    state.ResumeTiming();
  }
  state.counters["records"] = kRecords;
}
BENCHMARK(BM_LoadAllRecords)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// A station that chooses another device ID after an upgrade: every record
// an older version stored gets the ID in use written into its value first.
void BM_StampDeviceIds(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    const std::string folder =
        (std::filesystem::temp_directory_path() / "residue_bench_stamp").string();
    std::filesystem::remove_all(folder);
    std::filesystem::copy(FilledDatabase(false), folder, std::filesystem::copy_options::recursive);
    RecordDb db(folder);
    NcItemList records;
    if (!LoadRecordList(db, records, u"0123456789ABCDEF")) state.SkipWithError("not loaded");
    state.ResumeTiming();
    if (!StampDeviceIds(db, records)) state.SkipWithError("not stamped");
  }
  state.counters["records"] = kRecords;
}
BENCHMARK(BM_StampDeviceIds)->Unit(benchmark::kMillisecond)->Iterations(2);

// A stopped detector clock: 20,000 records with one test time and channel,
// stored as the program stores them (argument 1: each write synced).
void BM_StoreSameTimeRecords(benchmark::State& state) {
  const bool durable = state.range(0) != 0;
  std::vector<String> texts;
  for (int i = 0; i < 20000; ++i) {
    FrameFields f;
    String rate;
    rate.Format(u"%05d", i);
    f.rate = rate;
    f.temperature = rate.Left(4);
    texts.push_back(String::FromBytes(BuildFrame(f).substr(3), cp::kGbk));
  }
  for (auto _ : state) {
    state.PauseTiming();
    const std::string folder =
        (std::filesystem::temp_directory_path() / "residue_bench_same_time").string();
    std::filesystem::remove_all(folder);
    RecordDb db(folder);
    state.ResumeTiming();
    for (const String& text : texts) {
      if (!StoreReceivedRecord(db, u"190305151604", text, durable).status)
        state.SkipWithError("not stored");
    }
  }
  state.counters["records"] = 20000;
}
BENCHMARK(BM_StoreSameTimeRecords)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
