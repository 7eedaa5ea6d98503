#include "device/record_hash.h"

#include <gtest/gtest.h>

#include "device/device_id.h"

namespace {

// Expected digests computed independently (Python's hashlib over the UTF-8 input).
TEST(RecordHashTest, HashCoversMarkerTextAndDeviceIdInUtf8) {
  struct Case {
    const char16_t* text;
    const char16_t* deviceId;
    const char16_t* hash;
  } cases[] = {
      {u"abc", u"", u"AC0CE6364DCF8C8E44DD179403854C36ABF6FBFF"},
      {u"", u"", u"5602720C5FDEE72AA9E438F63635C39FBA5B8790"},
      {u"50%\r\n", u"0123456789abcdef", u"AC3D2FCDA1FADF111E69BAE46BC652465888C9BB"},
      {u"毛豆\r\n", u"", u"0F95A0D4D66594FB17ED23366681263F69CBD1D9"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(ComputeRecordHash(c.text, c.deviceId) == c.hash)
        << String(c.text).ToBytes(cp::kUtf8);
  }
  String text(u"190305151604+04\r\n");
  EXPECT_FALSE(ComputeRecordHash(text, u"0123456789ABCDEF") ==
               ComputeRecordHash(text, u"0123456789ABCDEE"));
  EXPECT_FALSE(ComputeRecordHash(text, u"") == ComputeRecordHash(u"190305151604+04", u""))
      << "the trailing CR LF is part of the hash";
}

TEST(DeviceIdTest, LengthIsCheckedBeforeCharacters) {
  struct Case {
    const char16_t* id;
    DeviceIdCheck expected;
  } cases[] = {
      {u"0123456789ABCDEF", DeviceIdCheck::kOk},
      {u"0123456789abcdef", DeviceIdCheck::kOk},
      {u"0123456789ABCDE", DeviceIdCheck::kBadLength},
      {u"0123456789ABCDEF0", DeviceIdCheck::kBadLength},
      {u"", DeviceIdCheck::kBadLength},
      {u"0123456789ABCDEG", DeviceIdCheck::kBadCharacter},
      {u"0123456789ABCDE ", DeviceIdCheck::kBadCharacter},
      {u"０123456789ABCDEF", DeviceIdCheck::kBadCharacter},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckDeviceId(c.id), c.expected) << String(c.id).ToBytes(cp::kUtf8);
  }
  EXPECT_EQ(std::u16string(DeviceIdCheckMessage(DeviceIdCheck::kBadLength)),
            u"设备ID长度必须是16个字符");
  EXPECT_EQ(std::u16string(DeviceIdCheckMessage(DeviceIdCheck::kBadCharacter)),
            u"设备ID字符必须是 0-9 或 A-F");
}

TEST(HexToBytesTest, SkipsNonHexAndIgnoresAnOddLastDigit) {
  struct Case {
    const char16_t* text;
    uint32_t maximum;
    std::string bytes;
  } cases[] = {
      {u"0123456789abcdef", 8, "\x01\x23\x45\x67\x89\xab\xcd\xef"},
      {u"01-23 4G5", 8, std::string("\x01\x23\x45", 3)},
      {u"ABC", 8, "\xab"},
      {u"0123456789ABCDEF0011", 8, "\x01\x23\x45\x67\x89\xab\xcd\xef"},
      {u"", 8, ""},
  };
  for (const Case& c : cases) {
    uint8_t out[8] = {};
    uint32_t n = String(c.text).HexToBytes(out, c.maximum);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), n), c.bytes);
  }
}

}  // namespace
