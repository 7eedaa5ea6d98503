#include "device/frame_decoder.h"

#include <cstring>

namespace {

constexpr uint8_t kMarker[3] = {':', 'N', 'C'};
constexpr uint32_t kChannelOffset = 16;

bool IsKeySpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string TrimKey(const char* begin, const char* end) {
  while (begin < end && IsKeySpace(*begin)) ++begin;
  while (end > begin && IsKeySpace(end[-1])) --end;
  return std::string(begin, end);
}

}  // namespace

bool IsWholeFrame(const uint8_t frame[FrameDecoder::kFrameSize]) {
  constexpr uint32_t kEnd = FrameDecoder::kFrameSize;
  if (std::memcmp(frame, kMarker, 3) != 0) return false;
  if (frame[kEnd - 2] != '\r' || frame[kEnd - 1] != '\n') return false;
  for (uint32_t i = 3; i < 15; ++i) {
    if (frame[i] < '0' || frame[i] > '9') return false;
  }
  if (frame[15] != '+') return false;
  int separators = 0;
  for (uint32_t i = 15; i < kEnd; ++i) separators += frame[i] == '+' ? 1 : 0;
  return separators >= 14;
}

int ParseChannel(const uint8_t digits[2]) {
  int i = 0;
  while (i < 2 && IsKeySpace(static_cast<char>(digits[i]))) ++i;
  bool negative = false;
  if (i < 2 && (digits[i] == '+' || digits[i] == '-')) negative = digits[i++] == '-';
  int value = 0;
  while (i < 2 && digits[i] >= '0' && digits[i] <= '9') value = value * 10 + (digits[i++] - '0');
  return negative ? -value : value;
}

void FrameDecoder::PushByte(uint8_t byte, ProductNames& names) {
  Record record;
  bool complete;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    complete = Step(byte, names, record);
  }
  if (complete) Deliver(record);
}

void FrameDecoder::PushBytes(const uint8_t* bytes, size_t count, ProductNames& names) {
  std::vector<Record> records;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    StepAll(bytes, count, names, records);
  }
  for (Record& record : records) Deliver(record);
}

void FrameDecoder::Replay(const uint8_t* bytes, size_t count, ProductNames& names) {
  std::vector<Record> records;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool liveInFrame = inFrame_;
    const uint32_t liveCount = count_;
    uint8_t liveBuffer[kFrameSize];
    std::memcpy(liveBuffer, buffer_, liveCount);
    inFrame_ = false;
    count_ = 0;
    StepAll(bytes, count, names, records);
    if (inFrame_ && count_ > 3) ++dropped_;  // the file ends inside a frame
    inFrame_ = liveInFrame;
    count_ = liveCount;
    std::memcpy(buffer_, liveBuffer, liveCount);
  }
  for (Record& record : records) Deliver(record);
}

void FrameDecoder::StepAll(const uint8_t* bytes, size_t count, ProductNames& names,
                           std::vector<Record>& records) {
  Record record;
  for (size_t i = 0; i < count; ++i) {
    if (Step(bytes[i], names, record)) records.push_back(std::move(record));
  }
}

bool FrameDecoder::Step(uint8_t byte, ProductNames& names, Record& record) {
  buffer_[count_++] = byte == 0xFF ? ' ' : byte;
  if (!inFrame_) {
    // Only the last three bytes can still begin a marker; drop the oldest.
    if (count_ < 3) return false;
    if (std::memcmp(buffer_ + count_ - 3, kMarker, 3) == 0) {
      std::memmove(buffer_, buffer_ + count_ - 3, 3);
      count_ = 3;
      inFrame_ = true;
    } else {
      std::memmove(buffer_, buffer_ + 1, 2);
      count_ = 2;
    }
    return false;
  }
  if (count_ < kFrameSize) return false;
  if (!IsWholeFrame(buffer_)) {
    ++dropped_;
    Resynchronise();
    return false;
  }
  bool complete = CompleteFrame(names, record);
  inFrame_ = false;
  count_ = 0;
  return complete;
}

void FrameDecoder::Resynchronise() {
  for (uint32_t at = 1; at + 3 <= kFrameSize; ++at) {
    if (std::memcmp(buffer_ + at, kMarker, 3) == 0) {
      count_ = kFrameSize - at;
      std::memmove(buffer_, buffer_ + at, count_);
      return;  // still in a frame: the one that starts here
    }
  }
  // No marker: only the last two bytes can still begin one.
  std::memmove(buffer_, buffer_ + kFrameSize - 2, 2);
  count_ = 2;
  inFrame_ = false;
}

void FrameDecoder::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (inFrame_ && count_ > 3) ++dropped_;
  inFrame_ = false;
  count_ = 0;
}

uint64_t FrameDecoder::DroppedFrames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dropped_;
}

bool FrameDecoder::CompleteFrame(ProductNames& names, Record& record) {
  int channel = ParseChannel(buffer_ + kChannelOffset);
  if (channel >= 1 && channel <= ProductNames::kChannels) {
    String name = names.NameForFrame(channel - 1);
    if (!name.IsEmpty()) {
      std::string bytes = name.ToBytes(cp::kAnsi);
      // A name that needs more than the field's 20 bytes cannot be printed: blank it.
      if (bytes.size() > kNameBytes) bytes.clear();
      bytes.resize(kNameBytes, ' ');
      std::memcpy(buffer_ + kNameOffset, bytes.data(), kNameBytes);
    }
  }
  if (!callback_) return false;
  const char* text = reinterpret_cast<const char*>(buffer_) + 3;
  const char* end = reinterpret_cast<const char*>(buffer_) + kFrameSize;
  const char* plus = static_cast<const char*>(std::memchr(text, '+', end - text));
  if (!plus) return false;
  record.key = TrimKey(text, plus);
  record.text.assign(text, end);
  return true;
}

void FrameDecoder::Deliver(Record& record) { callback_(record.key, record.text); }

bool FrameDecoder::InFrame() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return inFrame_;
}

uint32_t FrameDecoder::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}
