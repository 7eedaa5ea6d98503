#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

#include "base/code_page.h"
#include "base/list.h"
#include "base/memory.h"

// A growable UTF-16 text. A default-constructed String is null (no buffer);
// every assignment, even of an empty text, allocates one, so null and empty
// differ (IsNull). Appends grow the buffer to powers of two (capacities 7, 15,
// 31 ... characters plus the terminator); assignments allocate exactly what
// they need. Positions and counts are in UTF-16 code units; a negative position
// counts from the end. Not thread-safe; one owner.
class String {
 public:
  String() = default;
  String(const char16_t* text);  // NOLINT: implicit like a text literal
  String(const char16_t* text, uint32_t length);
  String(const std::u16string& text);  // NOLINT
  String(const String& other);
  String(String&& other) noexcept;
  virtual ~String();

  String& operator=(const String& other);
  String& operator=(String&& other) noexcept;
  String& operator=(const char16_t* text);

  void Assign(const char16_t* text, uint32_t length);
  void Append(const char16_t* text);
  void Append(const char16_t* text, uint32_t length);
  void Append(const String& text) { Append(text.Handle(), text.Length()); }
  void Append(char16_t c) {
    if (buffer_ && length_ < capacity_) {
      buffer_[length_++] = c;
      buffer_[length_] = 0;
    } else {
      Append(&c, 1);
    }
  }
  String& operator+=(const String& text) {
    Append(text);
    return *this;
  }
  String& operator+=(const char16_t* text) {
    Append(text);
    return *this;
  }

  // printf-style: "%s" takes a char16_t text, "%hs" an 8-bit one, "%c" a char16_t,
  // numbers as in printf. A bad format leaves the string empty (and false).
  bool Format(const char16_t* format, ...);
  bool FormatV(const char16_t* format, va_list args);

  int Find(const char16_t* text, int start = 0) const;
  int Find(char16_t c, int start = 0) const;
  String Left(int n) const;
  String Mid(int start, int count) const;
  String Mid(int start) const;  // from `start` to the end
  String& TrimLeft();
  String& TrimRight();
  String& Trim() { return TrimRight().TrimLeft(); }
  static bool IsBlank(char16_t c);
  // The value of a hexadecimal digit (0-9, a-f, A-F), or -1.
  static int HexValue(char16_t c) {
    return c >= u'0' && c <= u'9'   ? c - u'0'
           : c >= u'a' && c <= u'f' ? c - u'a' + 10
           : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                    : -1;
  }

  // Appends the pieces of `text` between separators to `out`; returns how many were added.
  static uint32_t Split(const String& text, const char16_t* separator, ObjectList<String>& out);

  // Converts to the code page into `out` (grown to at least bytes + 1, zero-terminated)
  // and returns the byte count; 0 (block untouched) for a null string or a failure.
  uint32_t ToMultiByte(Memory<char>& out, unsigned codePage) const;
  std::string ToBytes(unsigned codePage) const;
  // Replaces the text by zero-terminated 8-bit text in the ANSI code page.
  void FromMultiByte(const char* bytes);
  void FromMultiByte(const char* bytes, size_t length, unsigned codePage);
  static String FromBytes(const std::string& bytes, unsigned codePage);

  // Reads the hexadecimal digits of the text in pairs (other characters are
  // skipped) into at most `maximum` bytes; an odd last digit is ignored.
  // Returns the number of bytes written.
  uint32_t HexToBytes(uint8_t* bytes, uint32_t maximum) const;

  bool operator==(const char16_t* text) const;
  bool operator==(const String& other) const;
  bool operator!=(const char16_t* text) const { return !(*this == text); }
  bool operator!=(const String& other) const { return !(*this == other); }

  uint32_t Length() const { return length_; }
  uint32_t Cubage() const { return capacity_; }
  bool IsNull() const { return buffer_ == nullptr; }
  bool NotNull() const { return buffer_ != nullptr; }
  bool IsEmpty() const { return length_ == 0; }
  char16_t Element(uint32_t i) const { return i < length_ ? buffer_[i] : 0; }
  char16_t RevElement(uint32_t i) const { return i < length_ ? buffer_[length_ - 1 - i] : 0; }
  // The characters, zero-terminated; an empty text ("") for a null string.
  const char16_t* Handle() const { return buffer_ ? buffer_ : u""; }
  std::u16string ToStd() const { return std::u16string(Handle(), length_); }
  void SetLength(uint32_t length);  // truncates; never grows
  // Ensures room for n characters without changing the text (appends grow from there).
  bool Reserve(uint32_t n) { return Reserve(n, false); }

 protected:
  // For LocalString: starts with a caller-owned buffer of `capacity` characters + 1.
  struct LocalBuffer {
    char16_t* data;
    uint32_t capacity;
  };
  explicit String(LocalBuffer local);
  // Ensures room for n characters plus the terminator; `grow` rounds up to a
  // power of two (at least 8 with the terminator) for appends.
  bool Reserve(uint32_t n, bool grow);

 private:
  void Release();
  bool OwnsBuffer() const { return buffer_ && buffer_ != local_; }

  char16_t* buffer_ = nullptr;
  char16_t* local_ = nullptr;  // LocalString's inline buffer, never freed here
  uint32_t localCapacity_ = 0;
  uint32_t length_ = 0;
  uint32_t capacity_ = 0;
};

String operator+(const String& a, const String& b);
String operator+(const String& a, const char16_t* b);
String operator+(const char16_t* a, const String& b);

// A String with room for N characters inside the object, for short-lived keys:
// no heap allocation until the text outgrows it.
template <uint32_t N = 31>
class LocalString : public String {
 public:
  LocalString() : String(LocalBuffer{inline_, N}) {}
  LocalString(const char16_t* text) : String(LocalBuffer{inline_, N}) {
    String::operator=(text);
  }  // NOLINT
  LocalString(const String& text) : String(LocalBuffer{inline_, N}) {
    String::operator=(text);
  }  // NOLINT
  LocalString(const LocalString& other) : String(LocalBuffer{inline_, N}) {
    String::operator=(other);
  }
  LocalString& operator=(const String& other) {
    String::operator=(other);
    return *this;
  }
  LocalString& operator=(const LocalString& other) {
    String::operator=(other);
    return *this;
  }

 private:
  char16_t inline_[N + 1];
};
