#include "tools/simulated_frames.h"

#include <cstdio>
#include <random>

#include "device/frame_builder.h"

namespace {

// yyMMddHHmmss + `seconds`, within one day's worth of minutes and hours.
std::string AddSeconds(const std::string& start, int seconds) {
  int hh = std::stoi(start.substr(6, 2)), mm = std::stoi(start.substr(8, 2));
  int ss = std::stoi(start.substr(10, 2));
  int total = (hh * 3600 + mm * 60 + ss + seconds) % 86400;
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%s%02d%02d%02d", start.substr(0, 6).c_str(), total / 3600,
                total / 60 % 60, total % 60);
  return buffer;
}

String Decimal(std::mt19937& rng, int whole, int fraction) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d.%0*d", whole, int(rng() % 100), fraction,
                int(rng() % (fraction == 1 ? 10 : 1000)));
  return String::FromBytes(buffer, cp::kUtf8);
}

}  // namespace

std::vector<SimulatedChunk> MakeSimulatedFrames(const SimulationOptions& options) {
  static const char16_t* kSamples[] = {u"青菜", u"菠菜", u"黄瓜",   u"毛豆",
                                       u"韭菜", u"芹菜", u"大白菜", u"西红柿"};
  static const char16_t* kInspectors[] = {u"张敏", u"李强", u"王芳"};
  std::mt19937 rng(options.seed);
  std::vector<SimulatedChunk> chunks;
  const int perSecond = options.sameSecond > 0 ? options.sameSecond : 1;
  for (int i = 0; i < options.frames; ++i) {
    FrameFields f;
    const std::string time = AddSeconds(options.startTime, i / perSecond);
    f.time = String::FromBytes(time, cp::kUtf8);
    char channel[4];
    std::snprintf(channel, sizeof channel, "%02d", (i % perSecond + i / perSecond) % 20 + 1);
    f.channel = String::FromBytes(channel, cp::kUtf8);
    f.rate = Decimal(rng, 2, 1);
    f.temperature = u"22.4";
    f.second = Decimal(rng, 2, 1);
    f.result = rng() % 3 == 0 ? u"0" : u"1";
    f.sample = kSamples[rng() % std::size(kSamples)];
    char where[16];
    std::snprintf(where, sizeof where, "36%02d.%04d00", int(rng() % 60), int(rng() % 10000));
    f.latitude = String::FromBytes(where, cp::kUtf8);
    std::snprintf(where, sizeof where, "103%02d.%04d00", int(rng() % 60), int(rng() % 10000));
    f.longitude = String::FromBytes(where, cp::kUtf8);
    f.place = i % 3 == 0 ? u"一号摊位" : u"";
    f.inspector = kInspectors[rng() % std::size(kInspectors)];
    f.testingUnit = u"城东检测站";
    f.testedUnit = u"城东农贸市场";
    std::string bytes = BuildFrame(f);
    if (options.ffBytes && i % 2 == 1) bytes[50] = bytes[51] = '\xFF';
    bytes += "3A5F0C1E9B7D2468";
    if (options.noise) bytes += std::string("\x00\x11:N", 4) + "NC\r\n" + char(rng() % 128);
    chunks.push_back({bytes, time});
  }
  return chunks;
}
