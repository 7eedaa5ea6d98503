#include "base/string.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

uint32_t LengthOf(const char16_t* text) {
  if (!text) return 0;
  uint32_t n = 0;
  while (text[n]) ++n;
  return n;
}

// Clamps a position that may count from the end into 0..length.
uint32_t ClampPosition(int position, uint32_t length) {
  int64_t p = position < 0 ? int64_t(length) + position : position;
  if (p < 0) p = 0;
  if (p > int64_t(length)) p = length;
  return static_cast<uint32_t>(p);
}

}  // namespace

String::String(const char16_t* text) { Assign(text, LengthOf(text)); }

String::String(const char16_t* text, uint32_t length) { Assign(text, text ? length : 0); }

String::String(const std::u16string& text) {
  Assign(text.data(), static_cast<uint32_t>(text.size()));
}

String::String(const String& other) {
  if (other.NotNull()) Assign(other.buffer_, other.length_);
}

String::String(String&& other) noexcept { *this = std::move(other); }

String::String(LocalBuffer local)
    : buffer_(local.data),
      local_(local.data),
      localCapacity_(local.capacity),
      capacity_(local.capacity) {
  buffer_[0] = 0;
}

String::~String() { Release(); }

void String::Release() {
  if (OwnsBuffer()) std::free(buffer_);
  buffer_ = nullptr;
  length_ = 0;
  capacity_ = 0;
}

String& String::operator=(const String& other) {
  if (this == &other) return *this;
  if (other.IsNull()) {
    Release();
  } else {
    Assign(other.buffer_, other.length_);
  }
  return *this;
}

String& String::operator=(String&& other) noexcept {
  if (this == &other) return *this;
  if (other.OwnsBuffer()) {
    Release();
    buffer_ = other.buffer_;
    length_ = other.length_;
    capacity_ = other.capacity_;
    other.buffer_ = nullptr;
    other.length_ = other.capacity_ = 0;
  } else {
    *this = static_cast<const String&>(other);
  }
  return *this;
}

String& String::operator=(const char16_t* text) {
  Assign(text, LengthOf(text));
  return *this;
}

bool String::Reserve(uint32_t n, bool grow) {
  if (buffer_ && n <= capacity_) return true;
  uint32_t slots = n + 1;
  if (grow) {
    uint32_t p = 8;
    while (p < slots) p <<= 1;
    slots = p;
  }
  char16_t* fresh;
  if (local_ && n <= localCapacity_) {
    fresh = local_;
    slots = localCapacity_ + 1;
  } else {
    fresh = static_cast<char16_t*>(std::malloc(sizeof(char16_t) * slots));
    if (!fresh) return false;
  }
  if (buffer_ && buffer_ != fresh) std::memcpy(fresh, buffer_, sizeof(char16_t) * length_);
  if (!buffer_) length_ = 0;
  fresh[length_] = 0;
  if (OwnsBuffer() && buffer_ != fresh) std::free(buffer_);
  buffer_ = fresh;
  capacity_ = slots - 1;
  return true;
}

void String::Assign(const char16_t* text, uint32_t length) {
  if (!text) length = 0;
  // The source may lie inside our own buffer (s = s.Mid(...)): copy it aside first.
  if (buffer_ && text >= buffer_ && text < buffer_ + capacity_ + 1) {
    String copy(text, length);
    *this = std::move(copy);
    return;
  }
  length_ = 0;
  if (!Reserve(length, false)) return;
  if (length) std::memcpy(buffer_, text, sizeof(char16_t) * length);
  length_ = length;
  buffer_[length_] = 0;
}

void String::Append(const char16_t* text) { Append(text, LengthOf(text)); }

void String::Append(const char16_t* text, uint32_t length) {
  if (!text) length = 0;
  if (buffer_ && text >= buffer_ && text < buffer_ + capacity_ + 1) {
    String copy(text, length);
    Append(copy.buffer_, length);
    return;
  }
  if (!Reserve(length_ + length, true)) return;
  if (length) std::memcpy(buffer_ + length_, text, sizeof(char16_t) * length);
  length_ += length;
  buffer_[length_] = 0;
}

void String::SetLength(uint32_t length) {
  if (buffer_ && length < length_) {
    length_ = length;
    buffer_[length_] = 0;
  }
}

int String::Find(const char16_t* text, int start) const {
  uint32_t n = LengthOf(text);
  if (!buffer_ || length_ == 0 || n == 0) return -1;
  for (uint32_t i = ClampPosition(start, length_); i + n <= length_; ++i) {
    if (std::memcmp(buffer_ + i, text, sizeof(char16_t) * n) == 0) return static_cast<int>(i);
  }
  return -1;
}

int String::Find(char16_t c, int start) const {
  const char16_t text[2] = {c, 0};
  return Find(text, start);
}

String String::Left(int n) const {
  uint32_t count = n < 0 ? ClampPosition(n, length_) : (uint32_t(n) > length_ ? length_ : n);
  return String(Handle(), count);
}

String String::Mid(int start, int count) const {
  uint32_t from = ClampPosition(start, length_);
  uint32_t available = length_ - from;
  uint32_t take = count < 0 ? 0 : (uint32_t(count) > available ? available : count);
  return String(Handle() + from, take);
}

String String::Mid(int start) const {
  uint32_t from = ClampPosition(start, length_);
  return String(Handle() + from, length_ - from);
}

bool String::IsBlank(char16_t c) {
  switch (c) {
    case 0x20:
    case 0x0A:
    case 0x0D:
    case 0x09:
    case 0x0C:
    case 0x0B:
    case 0xA0:
    case 0x2028:
    case 0x2029:
    case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200B;
  }
}

String& String::TrimLeft() {
  uint32_t i = 0;
  while (i < length_ && IsBlank(buffer_[i])) ++i;
  if (i) {
    std::memmove(buffer_, buffer_ + i, sizeof(char16_t) * (length_ - i));
    length_ -= i;
    buffer_[length_] = 0;
  }
  return *this;
}

String& String::TrimRight() {
  while (length_ && IsBlank(buffer_[length_ - 1])) --length_;
  if (buffer_) buffer_[length_] = 0;
  return *this;
}

uint32_t String::Split(const String& text, const char16_t* separator, ObjectList<String>& out) {
  uint32_t n = text.Length();
  if (n == 0) return 0;
  uint32_t sepLength = LengthOf(separator);
  uint32_t added = 0;
  auto add = [&](const char16_t* p, uint32_t length) {
    if (String* piece = out.Add()) {
      piece->Assign(p, length);
      ++added;
    }
  };
  if (sepLength == 0 || sepLength > n) {
    add(text.Handle(), n);
    return added;
  }
  const char16_t* s = text.Handle();
  const char16_t first = separator[0];
  uint32_t pieceStart = 0;
  for (uint32_t i = 0; i + sepLength <= n;) {
    if (s[i] == first &&
        (sepLength == 1 || std::memcmp(s + i, separator, sizeof(char16_t) * sepLength) == 0)) {
      add(s + pieceStart, i - pieceStart);
      i += sepLength;
      pieceStart = i;
    } else {
      ++i;
    }
  }
  add(s + pieceStart, n - pieceStart);
  return added;
}

uint32_t String::ToMultiByte(Memory<char>& out, unsigned codePage) const {
  if (!buffer_) return 0;
  std::string bytes;
  if (!cp::FromUtf16(buffer_, length_, codePage, bytes)) return 0;
  uint32_t count = static_cast<uint32_t>(bytes.size());
  if (out.Length() < count + 1 && !out.SetLength(count + 1)) return 0;
  std::memcpy(out.Data(), bytes.data(), count);
  out[count] = 0;
  return count;
}

std::string String::ToBytes(unsigned codePage) const {
  std::string bytes;
  cp::FromUtf16(Handle(), length_, codePage, bytes);
  return bytes;
}

void String::FromMultiByte(const char* bytes) {
  FromMultiByte(bytes, bytes ? std::strlen(bytes) : 0, cp::kAnsi);
}

void String::FromMultiByte(const char* bytes, size_t length, unsigned codePage) {
  std::u16string text;
  if (!bytes || !cp::ToUtf16(bytes, length, codePage, text)) text.clear();
  Assign(text.data(), static_cast<uint32_t>(text.size()));
}

String String::FromBytes(const std::string& bytes, unsigned codePage) {
  String s;
  s.FromMultiByte(bytes.data(), bytes.size(), codePage);
  return s;
}

uint32_t String::HexToBytes(uint8_t* bytes, uint32_t maximum) const {
  uint32_t written = 0;
  int high = -1;
  for (uint32_t i = 0; i < length_ && written < maximum; ++i) {
    const int digit = HexValue(buffer_[i]);
    if (digit < 0) continue;
    if (high < 0) {
      high = digit;
    } else {
      bytes[written++] = static_cast<uint8_t>(high << 4 | digit);
      high = -1;
    }
  }
  return written;
}

bool String::operator==(const char16_t* text) const {
  uint32_t n = LengthOf(text);
  return n == length_ && std::memcmp(Handle(), text ? text : u"", sizeof(char16_t) * n) == 0;
}

bool String::operator==(const String& other) const {
  return other.length_ == length_ &&
         std::memcmp(Handle(), other.Handle(), sizeof(char16_t) * length_) == 0;
}

String operator+(const String& a, const String& b) {
  String s(a);
  if (s.IsNull()) s = u"";
  s.Append(b);
  return s;
}

String operator+(const String& a, const char16_t* b) {
  String s(a);
  if (s.IsNull()) s = u"";
  s.Append(b);
  return s;
}

String operator+(const char16_t* a, const String& b) {
  String s(a);
  s.Append(b);
  return s;
}
