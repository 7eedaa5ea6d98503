#include "device/record_hash.h"

#include <cryptopp/sha.h>

#include "base/trace.h"
#include "device/sample_record.h"

String HashTracedText(const String& input) {
  Trace(u"%s", input.Handle());
  std::string bytes = input.ToBytes(cp::kUtf8);
  CryptoPP::byte digest[CryptoPP::SHA1::DIGESTSIZE];
  CryptoPP::SHA1().CalculateDigest(digest, reinterpret_cast<const CryptoPP::byte*>(bytes.data()),
                                   bytes.size());
  static const char16_t kHex[] = u"0123456789ABCDEF";
  char16_t text[2 * CryptoPP::SHA1::DIGESTSIZE];
  for (unsigned i = 0; i < CryptoPP::SHA1::DIGESTSIZE; ++i) {
    text[2 * i] = kHex[digest[i] >> 4];
    text[2 * i + 1] = kHex[digest[i] & 15];
  }
  String hash(text, 2 * CryptoPP::SHA1::DIGESTSIZE);
  Trace(u"hash:%s", hash.Handle());
  return hash;
}

String ComputeRecordHash(const String& text, const String& deviceId) {
  String input(u":NC");
  input.Append(text);
  input.Append(deviceId);
  return HashTracedText(input);
}

void TraceSampleRecordHash() { HashTracedText(SampleRecordText()); }
