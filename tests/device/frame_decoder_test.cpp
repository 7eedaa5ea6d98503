#include "device/frame_decoder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "device/capture_replay.h"
#include "tests/support/sample_frame.h"

namespace {

struct Record {
  std::string key;
  std::string text;
};

// A decoder whose callback collects every record it is handed.
class Collector {
 public:
  Collector() {
    decoder.SetRecordCallback([this](std::string& key, std::string& text) {
      std::lock_guard<std::mutex> lock(mutex);
      records.push_back({key, text});
    });
  }
  void Push(const std::string& bytes) {
    for (char c : bytes) decoder.PushByte(static_cast<uint8_t>(c), names);
  }

  FrameDecoder decoder;
  ProductNames names;
  std::mutex mutex;
  std::vector<Record> records;
};

std::string NameField(const std::string& recordText) {
  return recordText.substr(FrameDecoder::kNameOffset - 3, FrameDecoder::kNameBytes);
}

std::string Gbk(const char16_t* text) { return String(text).ToBytes(cp::kGbk); }

TEST(FrameDecoderTest, StreamsYieldOneRecordPerFrame) {
  const std::string frame = SampleFrame();
  const std::string trailer = kSampleTrailer;
  std::string withFf = frame;
  withFf[50] = '\xFF';
  withFf[60] = '\xFF';
  std::string withFfExpected = frame;
  std::string markerInside = frame;
  markerInside.replace(45, 3, ":NC");
  struct Case {
    const char* what;
    std::string stream;
    std::vector<std::string> texts;
  } cases[] = {
      {"three copies with trailer digits",
       frame + trailer + frame + trailer + frame + trailer,
       {frame.substr(3), frame.substr(3), frame.substr(3)}},
      {"noise and a partial marker before the frame",
       "xx:N:" + trailer + ":" + frame,
       {frame.substr(3)}},
      {"0xFF bytes become spaces", withFf, {withFfExpected.substr(3)}},
      {"a marker inside a frame does not restart it",
       markerInside + frame,
       {markerInside.substr(3), frame.substr(3)}},
      {"a frame one byte short gives nothing", frame.substr(0, 178), {}},
  };
  for (const Case& c : cases) {
    Collector collector;
    collector.Push(c.stream);
    ASSERT_EQ(collector.records.size(), c.texts.size()) << c.what;
    for (size_t i = 0; i < c.texts.size(); ++i) {
      EXPECT_EQ(collector.records[i].text, c.texts[i]) << c.what;
      EXPECT_EQ(collector.records[i].key, "190305151604") << c.what;
    }
  }
}

TEST(FrameDecoderTest, MarkerSplitAcrossReadsStillStartsFrame) {
  Collector collector;
  const std::string frame = SampleFrame();
  collector.decoder.PushBytes(reinterpret_cast<const uint8_t*>("noise:"), 6, collector.names);
  collector.decoder.PushByte('N', collector.names);
  collector.Push(frame.substr(2, 100));
  EXPECT_TRUE(collector.decoder.InFrame());
  EXPECT_EQ(collector.decoder.Count(), 102u);
  collector.Push(frame.substr(102));
  ASSERT_EQ(collector.records.size(), 1u);
  EXPECT_EQ(collector.records[0].text, frame.substr(3));
  EXPECT_FALSE(collector.decoder.InFrame());
}

TEST(FrameDecoderTest, ProductNameReplacesSampleNameOnlyOnConfiguredChannels) {
  const std::string maodou = NameField(SampleFrame().substr(3));
  std::string huanggua = Gbk(u"黄瓜");
  huanggua.resize(20, ' ');
  struct Case {
    std::string channel;
    const char16_t* configured;  // the name of the channel the digits should select
    int index;                   // table entry set (channel - 1)
    std::string expected;
  } cases[] = {
      {"04", u"黄瓜", 3, huanggua}, {"04", u"", 3, maodou},       {" 4", u"黄瓜", 3, huanggua},
      {"+4", u"黄瓜", 3, huanggua}, {"4x", u"黄瓜", 3, huanggua}, {"20", u"黄瓜", 19, huanggua},
      {"00", u"黄瓜", 0, maodou},   {"21", u"黄瓜", 19, maodou},  {"ab", u"黄瓜", 0, maodou},
      {"-1", u"黄瓜", 0, maodou},
  };
  for (const Case& c : cases) {
    Collector collector;
    collector.names.Set(c.index, c.configured);
    collector.Push(SampleFrameOnChannel(c.channel));
    ASSERT_EQ(collector.records.size(), 1u) << "channel '" << c.channel << "'";
    EXPECT_EQ(NameField(collector.records[0].text), c.expected) << "channel '" << c.channel << "'";
  }
}

TEST(FrameDecoderTest, LongProductNameIsCutToTenCharactersInTheTable) {
  Collector collector;
  collector.names.Set(3, u"一二三四五六七八九十壹贰");
  collector.names.Set(4, u"abcdefghijkl");
  collector.Push(SampleFrame());
  EXPECT_TRUE(collector.names.Get(3) == u"一二三四五六七八九十");
  EXPECT_TRUE(collector.names.Get(4) == u"abcdefghijkl") << "only the frame's channel is cut";
  ASSERT_EQ(collector.records.size(), 1u);
  EXPECT_EQ(NameField(collector.records[0].text), Gbk(u"一二三四五六七八九十"));
}

TEST(FrameDecoderTest, FramesWithoutSeparatorOrCallbackAreDropped) {
  std::string noPlus = ":NC" + std::string(174, 'x') + "\r\n";
  Collector collector;
  collector.Push(noPlus + SampleFrame());
  ASSERT_EQ(collector.records.size(), 1u);

  FrameDecoder silent;
  ProductNames names;
  names.Set(3, u"一二三四五六七八九十壹");
  for (char c : SampleFrame()) silent.PushByte(static_cast<uint8_t>(c), names);
  EXPECT_FALSE(silent.InFrame());
  EXPECT_EQ(names.Get(3).Length(), 10u) << "the name is still applied without a callback";
}

TEST(FrameDecoderTest, ReplayDuringReceptionCorruptsNoFrame) {
  Collector collector;
  std::string live;
  for (int i = 0; i < 200; ++i) live += SampleFrameOnChannel("01") + kSampleTrailer;
  std::string capture;
  for (int i = 0; i < 20; ++i) capture += SampleFrameOnChannel("02") + kSampleTrailer;
  capture += SampleFrame().substr(0, 90);  // a capture that ends mid-frame

  std::thread port([&] { collector.Push(live); });
  for (int i = 0; i < 10; ++i) {
    collector.decoder.Replay(reinterpret_cast<const uint8_t*>(capture.data()), capture.size(),
                             collector.names);
  }
  port.join();

  size_t fromPort = 0, fromReplay = 0;
  for (const Record& r : collector.records) {
    if (r.text == SampleFrameOnChannel("01").substr(3))
      ++fromPort;
    else if (r.text == SampleFrameOnChannel("02").substr(3))
      ++fromReplay;
    else
      ADD_FAILURE() << "a mixed frame: " << r.text;
  }
  EXPECT_EQ(fromPort, 200u);
  EXPECT_EQ(fromReplay, 200u);
}

TEST(FrameDecoderTest, NamesEditedDuringReceptionAreNeverTorn) {
  Collector collector;
  const std::u16string a = u"黄瓜";
  const std::u16string b = u"一二三四五六七八九十";
  collector.names.Set(3, String(b));
  std::atomic<bool> stop{false};
  std::thread editor([&] {
    for (int i = 0; !stop; ++i) collector.names.Set(3, String(i % 2 ? a : b));
  });
  for (int i = 0; i < 300; ++i) collector.Push(SampleFrame());
  stop = true;
  editor.join();
  std::string fieldA = Gbk(a.c_str());
  fieldA.resize(20, ' ');
  const std::string fieldB = Gbk(b.c_str());
  ASSERT_EQ(collector.records.size(), 300u);
  for (const Record& r : collector.records) {
    std::string field = NameField(r.text);
    EXPECT_TRUE(field == fieldA || field == fieldB) << field;
  }
}

TEST(CaptureReplayTest, ReplaysAFileAndRefusesMissingOnes) {
  Collector collector;
  EXPECT_FALSE(ReplayCaptureFile("/nonexistent/data.txt", collector.decoder, collector.names));
  EXPECT_FALSE(ReplayCaptureFile("/tmp", collector.decoder, collector.names));
  std::string path = ::testing::TempDir() + "replay_capture.txt";
  {
    std::ofstream file(path, std::ios::binary);
    file << SampleFrame() << kSampleTrailer << SampleFrame();
  }
  collector.Push(SampleFrame().substr(0, 50));  // the port is halfway through a frame
  ASSERT_TRUE(ReplayCaptureFile(path, collector.decoder, collector.names));
  EXPECT_EQ(collector.records.size(), 2u);
  EXPECT_EQ(collector.decoder.Count(), 50u) << "the live frame is left as it was";
  collector.Push(SampleFrame().substr(50));
  EXPECT_EQ(collector.records.size(), 3u);
  std::remove(path.c_str());
}

}  // namespace
