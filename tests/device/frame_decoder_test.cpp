#include "device/frame_decoder.h"

#include <gtest/gtest.h>
#include <unistd.h>

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

// Frames 0..n-1 of the sample on channels 01.., so every record can be told apart.
std::vector<std::string> NumberedFrames(int n) {
  std::vector<std::string> frames;
  char channel[3];
  for (int i = 0; i < n; ++i) {
    std::snprintf(channel, sizeof channel, "%02d", i % 100);
    frames.push_back(SampleFrameOnChannel(channel));
  }
  return frames;
}

TEST(FrameDecoderTest, DamagedFramesAreDroppedAndTheNextRealFrameIsStillFound) {
  const std::vector<std::string> frames = NumberedFrames(6);
  struct Case {
    const char* what;
    int damaged;    // the frame that is damaged
    size_t offset;  // where
    bool dropByte;  // one byte lost there; otherwise a stray ":NC" put in before it
  } cases[] = {
      {"stray marker before a frame", 2, 0, false},
      {"stray marker inside a frame", 2, 40, false},
      {"stray marker just before the CR LF", 2, 176, false},
      {"byte lost in the time", 3, 5, true},
      {"byte lost in the text", 3, 100, true},
      {"CR lost", 3, 177, true},
      {"LF lost", 3, 178, true},
      {"first byte of the marker lost", 3, 0, true},
  };
  for (const Case& c : cases) {
    std::string stream;
    for (int i = 0; i < static_cast<int>(frames.size()); ++i) {
      std::string frame = frames[i];
      if (i == c.damaged) {
        if (c.dropByte)
          frame.erase(c.offset, 1);
        else
          frame.insert(c.offset, "xx:NC");
      }
      stream += frame;
    }
    Collector collector;
    collector.Push(stream);
    std::vector<std::string> expected;
    for (int i = 0; i < static_cast<int>(frames.size()); ++i) {
      // Damage inside a frame costs that frame; a stray marker before it costs nothing.
      const bool lost = i == c.damaged && (c.dropByte || c.offset > 0);
      if (!lost) expected.push_back(frames[i].substr(3));
    }
    std::vector<std::string> got;
    for (const Record& r : collector.records) got.push_back(r.text);
    EXPECT_EQ(got, expected) << c.what;
    // Without its ':' a frame is never begun, so nothing is dropped then.
    const uint64_t dropped = collector.decoder.DroppedFrames();
    EXPECT_GE(dropped, c.dropByte && c.offset == 0 ? 0u : 1u) << c.what;
    EXPECT_LE(dropped, 2u) << c.what;
    for (const Record& r : collector.records) EXPECT_EQ(r.key, "190305151604") << c.what;
  }
}

TEST(FrameDecoderTest, OnlyWholeFramesBecomeRecords) {
  const std::string good = SampleFrame();
  auto with = [&](size_t at, const std::string& bytes) {
    std::string frame = good;
    frame.replace(at, bytes.size(), bytes);
    return frame;
  };
  struct Case {
    const char* what;
    std::string frame;
    bool record;
  } cases[] = {
      {"the sample", good, true},
      {"no CR LF", with(177, "  "), false},
      {"LF CR", with(177, "\n\r"), false},
      {"a letter in the time", with(8, "x"), false},
      {"a blank in the time", with(3, " "), false},
      {"no '+' after the time", with(15, " "), false},
      {"14 fields", with(172, " "), false},
      {"a '+' in a text field (16 fields)", with(50, "+"), true},
  };
  for (const Case& c : cases) {
    Collector collector;
    collector.Push(c.frame);
    EXPECT_EQ(collector.records.size(), c.record ? 1u : 0u) << c.what;
    EXPECT_EQ(collector.decoder.DroppedFrames(), c.record ? 0u : 1u) << c.what;
  }
}

TEST(FrameDecoderTest, NoiseWithMarkersStoresNothing) {
  std::string noise;
  uint32_t state = 12345;
  for (int i = 0; i < 200000; ++i) {
    state = state * 1103515245u + 12345u;
    noise += static_cast<char>(state >> 24);
    if (i % 4000 == 0) noise += ":NC";
  }
  Collector collector;
  collector.Push(noise + SampleFrame());
  ASSERT_EQ(collector.records.size(), 1u);
  EXPECT_EQ(collector.records[0].text, SampleFrame().substr(3));
  EXPECT_GE(collector.decoder.DroppedFrames(), 50u);
}

TEST(FrameDecoderTest, ResetDropsTheFrameCutOffByAClosedPort) {
  const std::vector<std::string> frames = NumberedFrames(3);
  Collector collector;
  collector.Push(frames[0] + frames[1].substr(0, 90));
  collector.decoder.Reset();  // the cable is pulled
  collector.Push(frames[1].substr(90) + frames[2]);
  ASSERT_EQ(collector.records.size(), 2u);
  EXPECT_EQ(collector.records[0].text, frames[0].substr(3));
  EXPECT_EQ(collector.records[1].text, frames[2].substr(3));
  EXPECT_EQ(collector.decoder.DroppedFrames(), 1u);

  // Without the reset the rest of the stream still never forms a spliced record.
  Collector unreset;
  unreset.Push(frames[0] + frames[1].substr(0, 90) + frames[2]);
  ASSERT_EQ(unreset.records.size(), 2u);
  EXPECT_EQ(unreset.records[1].text, frames[2].substr(3));
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
  std::string path = ::testing::TempDir() + "replay_capture-" + std::to_string(::getpid()) + ".txt";
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
