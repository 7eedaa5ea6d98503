#include <iconv.h>

#include <cerrno>
#include <mutex>

#include "base/gbk_codec.h"
#include "base/gbk_private_use.h"

namespace cp {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// One iconv descriptor per direction, shared under a lock: opening one costs
// far more than a conversion, and a descriptor keeps state between calls.
class IconvPair {
 public:
  IconvPair() {
    const char* utf16 = IsLittleEndian() ? "UTF-16LE" : "UTF-16BE";
    toGbk_ = iconv_open("CP936", utf16);
    if (toGbk_ == reinterpret_cast<iconv_t>(-1)) toGbk_ = iconv_open("GBK", utf16);
    fromGbk_ = iconv_open(utf16, "CP936");
    if (fromGbk_ == reinterpret_cast<iconv_t>(-1)) fromGbk_ = iconv_open(utf16, "GBK");
  }
  IconvPair(const IconvPair&) = delete;
  IconvPair& operator=(const IconvPair&) = delete;

  void Encode(const char16_t* text, size_t length, std::string& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    out.clear();
    out.reserve(length * 2);
    char buf[512];
    const char16_t* p = text;
    size_t left = length;
    while (left > 0) {
      char* in = reinterpret_cast<char*>(const_cast<char16_t*>(p));
      size_t inBytes = left * 2;
      char* dst = buf;
      size_t room = sizeof buf;
      size_t r = iconv(toGbk_, &in, &inBytes, &dst, &room);
      out.append(buf, dst - buf);
      size_t done = left - inBytes / 2;
      p += done;
      left -= done;
      if (r == static_cast<size_t>(-1) && errno != E2BIG) {
        uint16_t code = 0;
        if (GbkCodeOfPrivateUse(p[0], code)) {
          // A character of the codes GBK leaves empty, as Windows writes it.
          out += static_cast<char>(code >> 8);
          out += static_cast<char>(code & 0xFF);
          ++p;
          --left;
          iconv(toGbk_, nullptr, nullptr, nullptr, nullptr);
          continue;
        }
        // A character GBK lacks (or a broken surrogate): one '?' for it.
        out += '?';
        size_t skip = 1;
        if (left >= 2 && p[0] >= 0xD800 && p[0] < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000) {
          skip = 2;
        }
        p += skip;
        left -= skip;
        iconv(toGbk_, nullptr, nullptr, nullptr, nullptr);
      }
    }
  }

  void Decode(const char* bytes, size_t length, std::u16string& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    out.clear();
    out.reserve(length);
    char16_t buf[512];
    const char* p = bytes;
    size_t left = length;
    while (left > 0) {
      char* in = const_cast<char*>(p);
      size_t inBytes = left;
      char* dst = reinterpret_cast<char*>(buf);
      size_t room = sizeof buf;
      size_t r = iconv(fromGbk_, &in, &inBytes, &dst, &room);
      out.append(buf, (dst - reinterpret_cast<char*>(buf)) / 2);
      p += left - inBytes;
      left = inBytes;
      if (r == static_cast<size_t>(-1) && errno != E2BIG) {
        char16_t character = 0;
        if (left >= 2 &&
            GbkPrivateUseOf(static_cast<uint16_t>(static_cast<unsigned char>(p[0]) << 8 |
                                                  static_cast<unsigned char>(p[1])),
                            character)) {
          // A code GBK leaves empty: the character Windows gives it.
          out += character;
          p += 2;
          left -= 2;
          iconv(fromGbk_, nullptr, nullptr, nullptr, nullptr);
          continue;
        }
        // Invalid or truncated sequence: replace one byte and resynchronise after it.
        out += kReplacement;
        ++p;
        --left;
        iconv(fromGbk_, nullptr, nullptr, nullptr, nullptr);
      }
    }
  }

 private:
  static bool IsLittleEndian() {
    const unsigned short probe = 1;
    return *reinterpret_cast<const unsigned char*>(&probe) == 1;
  }

  std::mutex mutex_;
  iconv_t toGbk_;
  iconv_t fromGbk_;
};

IconvPair& Gbk() {
  static IconvPair pair;
  return pair;
}

}  // namespace

void EncodeGbk(const char16_t* text, size_t length, std::string& out) {
  Gbk().Encode(text, length, out);
}

void DecodeGbk(const char* bytes, size_t length, std::u16string& out) {
  Gbk().Decode(bytes, length, out);
}

}  // namespace cp
