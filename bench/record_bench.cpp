// (a) Building one test record from a record text: split, trim, columns,
//     location, hash. (b) Parsing and writing one stored record value, the
//     compact JSON object the database keeps per record.
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

void BM_BuildRecord(benchmark::State& state) {
  const String text = RecordText();
  const String deviceId(u"0123456789ABCDEF");
  ObjectList<_NcItemData> records;
  for (auto _ : state) {
    benchmark::DoNotOptimize(AppendRecord(records, text, false, false, deviceId));
    if (records.Count() == 4096) {
      state.PauseTiming();
      records.Clear();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_BuildRecord);

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
