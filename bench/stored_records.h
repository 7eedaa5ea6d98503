#pragma once

#include <cstdio>
#include <string>

#include "device/sample_record.h"
#include "store/record_db.h"

// Fills a database with `count` copies of the sample record under distinct
// test times, in batches of 1000, as the program would have stored them.
// Every `selectedEvery`-th record is ticked, every `uploadedEvery`-th uploaded
// (0: none). With `deviceId`, each value names it, as values stored now do.
inline void StoreSampleRecords(RecordDb& db, int count, int selectedEvery = 0,
                               int uploadedEvery = 0, const char16_t* deviceId = nullptr) {
  const std::string text = SampleFrame().substr(3);
  for (int start = 0; start < count; start += 1000) {
    RecordDb::Batch batch;
    for (int i = start; i < start + 1000 && i < count; ++i) {
      char time[16];
      std::snprintf(time, sizeof time, "26%010d", i);
      std::string bytes = text;
      bytes.replace(0, 12, time);
      Json value;
      value.SetPropertyStr(u"data", String::FromBytes(bytes, cp::kGbk).Handle());
      value.SetPropertyBool(u"selected", selectedEvery > 0 && i % selectedEvery == 0);
      value.SetPropertyBool(u"uploaded", uploadedEvery > 0 && i % uploadedEvery == 0);
      if (deviceId) value.SetPropertyStr(u"deviceid", deviceId);
      batch.PutJson(String::FromBytes(time, cp::kGbk), value);
    }
    if (!db.Write(batch)) std::fprintf(stderr, "cannot fill the benchmark's database\n");
  }
}
