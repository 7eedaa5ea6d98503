// (a) Appending one test record to the list, building one row's display
//     texts (split, trim, columns, location) and hashing it. (b) Parsing and writing one stored
//     record value, the compact JSON object the database keeps per record.
#include <benchmark/benchmark.h>

#include "base/json.h"
#include "device/sample_record.h"
#include "store/nc_item_data.h"

namespace {

String RecordText() {
  std::string frame = SampleFrame();
  frame.replace(63, 12, "3612.345600 ");  // a real location, so that path is measured too
  frame.replace(76, 12, "10349.123400");
  return String::FromBytes(frame.substr(3), cp::kGbk);
}

void BM_AppendRecord(benchmark::State& state) {
  const String text = RecordText();
  const String deviceId(u"0123456789ABCDEF");
  NcItemList records;
  for (auto _ : state) {
    benchmark::DoNotOptimize(records.Append(u"190305151604", text, false, false, deviceId));
    if (records.Count() == 4096) {
      state.PauseTiming();
      records.Clear();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_AppendRecord);

void BM_BuildRowTexts(benchmark::State& state) {
  const String text = RecordText();
  for (auto _ : state) {
    RecordColumns columns;
    benchmark::DoNotOptimize(BuildRecordColumns(text, false, columns));
  }
}
BENCHMARK(BM_BuildRowTexts);

void BM_RecordHash(benchmark::State& state) {
  NcItemList records;
  for (int i = 0; i < 4096; ++i)
    records.Append(u"190305151604", RecordText(), false, false, u"0123456789ABCDEF");
  uint32_t next = 0;
  for (auto _ : state) {
    // Each record hashes once; a fresh list when all have.
    if (next == records.Count()) {
      state.PauseTiming();
      records.Clear();
      for (int i = 0; i < 4096; ++i)
        records.Append(u"190305151604", RecordText(), false, false, u"0123456789ABCDEF");
      next = 0;
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(records[next++].Uid());
  }
}
BENCHMARK(BM_RecordHash);

void BM_StoredValueParseAndWrite(benchmark::State& state) {
  Json value;
  value.SetPropertyStr(u"data", RecordText().Handle());
  value.SetPropertyBool(u"selected", false);
  value.SetPropertyBool(u"uploaded", false);
  const String stored = value.ToText(false);
  String out;
  String indent(u"");
  for (auto _ : state) {
    Json doc;
    benchmark::DoNotOptimize(doc.Parse(stored.Handle(), static_cast<int>(stored.Length())));
    doc.ToText(out, indent, false);
    benchmark::DoNotOptimize(out.Handle());
  }
}
BENCHMARK(BM_StoredValueParseAndWrite);

}  // namespace

BENCHMARK_MAIN();
