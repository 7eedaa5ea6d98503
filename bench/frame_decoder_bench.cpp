// Throughput of the frame decoder, fed one byte at a time as the receive thread
// does, and in chunks as a capture replay does. Input: the sample frame
// followed by the detector's 16 trailer digits, repeated; product names set so
// that every frame takes the name-substitution path.
#include <benchmark/benchmark.h>

#include <string>

#include "device/frame_decoder.h"
#include "device/sample_record.h"

namespace {

std::string Stream(size_t frames) {
  std::string one = SampleFrame() + kSampleTrailer;
  std::string stream;
  stream.reserve(one.size() * frames);
  for (size_t i = 0; i < frames; ++i) stream += one;
  return stream;
}

// A decoder with channel 4 named, so every frame takes the substitution path.
struct Fixture {
  Fixture() : stream(Stream(1000)) {
    names.Set(3, u"黄瓜");
    decoder.SetRecordCallback([this](std::string&, std::string&) { ++records; });
  }
  const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(stream.data()); }

  std::string stream;
  FrameDecoder decoder;
  ProductNames names;
  size_t records = 0;
};

void BM_PushByte(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) {
    for (char c : f.stream) f.decoder.PushByte(static_cast<uint8_t>(c), f.names);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.stream.size()));
  state.counters["records"] = double(f.records);
}
BENCHMARK(BM_PushByte);

void BM_PushBytesChunk(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) f.decoder.PushBytes(f.Bytes(), f.stream.size(), f.names);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.stream.size()));
}
BENCHMARK(BM_PushBytesChunk);

// Noise only: the marker hunt on bytes that never form ":NC".
void BM_PushByteHunting(benchmark::State& state) {
  const std::string noise(200000, 'x');
  FrameDecoder decoder;
  ProductNames names;
  for (auto _ : state) {
    for (char c : noise) decoder.PushByte(static_cast<uint8_t>(c), names);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(noise.size()));
}
BENCHMARK(BM_PushByteHunting);

}  // namespace

BENCHMARK_MAIN();
