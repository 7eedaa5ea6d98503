#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "base/function.h"
#include "device/product_names.h"

// Cuts detector frames out of a byte stream. A frame is 179 bytes: ":NC", the
// record text (15 '+'-separated fields) and CR LF. The decoder hunts for ":NC",
// collects 179 bytes, prints the channel's configured product name over the
// sample name, and hands the record key (the 12 time digits) and the 176-byte
// record text (GBK) to the record callback.
//
// Only a whole frame is a record: CR LF at its end, 12 digits of test time
// followed by '+', and at least 15 fields. Anything else (a stray ":NC" in
// line noise, a frame with a byte lost) is dropped and counted, and the hunt
// goes on inside the bytes already collected, so a real frame that began
// within them is still found. Reset() drops a frame cut off by a closed port.
//
// Feeding is serialised: the receive thread and a capture replay may push at
// the same time. A chunk given to PushBytes or Replay goes in whole, never mixed
// with another feeder's bytes, and Replay decodes its chunk as a stream of its
// own, so a frame the port is halfway through is neither completed by replayed
// bytes nor broken by them. The callback runs on the feeding thread after the
// decoder's lock is released, so it may take its time or post to other threads.
class FrameDecoder {
 public:
  static constexpr uint32_t kFrameSize = 179;
  static constexpr uint32_t kNameOffset = 152;
  static constexpr uint32_t kNameBytes = 20;
  using RecordCallback = Function<void(std::string& key, std::string& text)>;

  FrameDecoder() = default;
  FrameDecoder(const FrameDecoder&) = delete;
  FrameDecoder& operator=(const FrameDecoder&) = delete;

  // Set before any thread feeds the decoder. Unset: frames are decoded and dropped.
  void SetRecordCallback(RecordCallback callback) { callback_ = std::move(callback); }

  void PushByte(uint8_t byte, ProductNames& names);
  void PushBytes(const uint8_t* bytes, size_t count, ProductNames& names);
  // Decodes `bytes` from a fresh hunting state and then puts back the state of
  // the live stream; a frame left unfinished at the end of `bytes` is dropped.
  void Replay(const uint8_t* bytes, size_t count, ProductNames& names);

  // Starts a fresh hunt (the port closed or opened again): a frame being
  // collected is dropped, and counted when it had more than its marker.
  void Reset();
  // Frames dropped so far, as incomplete or malformed.
  uint64_t DroppedFrames() const;

  // For diagnosis and tests: whether a frame is being collected, and its length so far.
  bool InFrame() const;
  uint32_t Count() const;

 private:
  struct Record {
    std::string key;
    std::string text;
  };

  // Both run with mutex_ held. Step returns true when `record` was filled.
  bool Step(uint8_t byte, ProductNames& names, Record& record);
  bool CompleteFrame(ProductNames& names, Record& record);
  // After a malformed frame: hunts again from the byte behind its marker.
  void Resynchronise();
  // Runs Step over the bytes (mutex_ held) and collects the finished records.
  void StepAll(const uint8_t* bytes, size_t count, ProductNames& names,
               std::vector<Record>& records);
  void Deliver(Record& record);

  mutable std::mutex mutex_;
  bool inFrame_ = false;
  uint8_t buffer_[kFrameSize] = {};
  uint32_t count_ = 0;
  uint64_t dropped_ = 0;
  RecordCallback callback_;
};

// The channel number in the two bytes at `digits`, read the way the detector's
// C library reads it: leading white space and one sign skipped, digits up to the
// first non-digit, no digits giving 0.
int ParseChannel(const uint8_t digits[2]);

// Whether the 179 bytes are a whole detector frame: the marker, 12 digits of
// test time and '+', at least 15 fields, CR LF at the end.
bool IsWholeFrame(const uint8_t frame[FrameDecoder::kFrameSize]);
