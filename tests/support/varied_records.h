#pragma once

// A realistic station history for benchmarks: records one test apart
// (30 s to 10 min), twelve channels, the products, markets, stalls and
// inspectors of a county station, rates that fail about one test in eight.
// Every text is built from its own fields, not copied. Deterministic.
#include <cstdio>
#include <ctime>
#include <string>

#include "device/frame_builder.h"
#include "store/record_db.h"
#include "tests/support/utc_time.h"

class VariedRecords {
 public:
  // The record text of the next test and its test time (the key it is stored under).
  void Next(String& key, String& text) {
    static const char16_t* kProducts[] = {u"毛豆",   u"黄瓜",   u"白菜", u"菠菜", u"芹菜",
                                          u"韭菜",   u"豇豆",   u"茄子", u"番茄", u"辣椒",
                                          u"油麦菜", u"生菜",   u"萝卜", u"土豆", u"西兰花",
                                          u"苹果",   u"小白菜", u"香菜", u"蒜苗", u"空心菜"};
    static const char16_t* kMarkets[] = {u"城东农贸市场", u"城西农贸市场", u"南关菜市场",
                                         u"北街综合市场", u"开发区市场",   u"新华路市场"};
    static const char16_t* kInspectors[] = {u"张敏", u"李强", u"王芳", u"刘洋",
                                            u"陈静", u"赵磊", u"孙丽", u"周杰"};
    static const char16_t* kUnits[] = {u"县农检站", u"市场检测室", u"镇农技站"};
    seconds_ += 30 + Random() % 570;
    const time_t t = 1451635200 + seconds_;  // from 2016-01-01
    const tm parts = UtcParts(t);
    char time[64];
    std::snprintf(time, sizeof time, "%02d%02d%02d%02d%02d%02d", parts.tm_year % 100,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    FrameFields f;
    f.time = String::FromBytes(time, cp::kUtf8);
    f.channel = Number(u"%02u", 1 + Random() % 12);
    const unsigned rate = Random() % 1000;
    f.rate = Number(u"%u.%u", rate / 10, rate % 10);
    f.temperature = Number(u"%u.%u", 15 + Random() % 20, Random() % 10);
    f.second = Number(u"%u.%u", 20 + Random() % 60, Random() % 10);
    f.control = Number(u"0.%03u", 800 + Random() % 200);
    f.result = rate >= 500 && Random() % 4 != 0 ? u"0" : u"1";
    const unsigned market = Random() % 6;
    f.place = kMarkets[market];
    f.latitude = Number(u"36%02u.%06u", Random() % 60, Random() % 1000000);
    f.longitude = Number(u"103%02u.%06u", Random() % 60, Random() % 1000000);
    f.testingUnit = kUnits[Random() % 3];
    f.inspector = kInspectors[Random() % 8];
    f.testedUnit = String(kMarkets[market]).Left(2) + Number(u"%u号摊", 1 + Random() % 80);
    f.sample = kProducts[Random() % 20];
    key = f.time;
    text = String::FromBytes(BuildFrame(f).substr(3), cp::kGbk);
  }

  // Stores `count` records as the program stores them, in batches; every
  // second record ticked, every thirtieth uploaded.
  void Store(RecordDb& db, int count) {
    for (int start = 0; start < count; start += 2000) {
      RecordDb::Batch batch;
      for (int i = start; i < start + 2000 && i < count; ++i) {
        String key, text;
        Next(key, text);
        Json value;
        value.SetPropertyStr(u"data", text.Handle());
        value.SetPropertyBool(u"selected", i % 2 == 0);
        value.SetPropertyBool(u"uploaded", i % 30 == 0);
        batch.PutJson(key, value);
      }
      if (!db.Write(batch)) std::fprintf(stderr, "cannot fill the benchmark's database\n");
    }
  }

 private:
  unsigned Random() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<unsigned>(state_ >> 33);
  }
  static String Number(const char16_t* format, unsigned a, unsigned b = 0) {
    String s;
    s.Format(format, a, b);
    return s;
  }

  unsigned long long state_ = 42;
  long long seconds_ = 0;
};
