// libFuzzer target for the frame decoder: any byte stream, fed whole and byte
// by byte, gives the same records, each a whole frame's 176-byte text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "device/frame_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ProductNames names;
  names.Set(3, u"黄瓜");
  names.Set(0, u"一二三四五六七八九十壹");
  std::vector<std::string> whole, single;
  FrameDecoder a, b;
  a.SetRecordCallback([&](std::string&, std::string& text) { whole.push_back(text); });
  b.SetRecordCallback([&](std::string&, std::string& text) { single.push_back(text); });
  a.PushBytes(data, size, names);
  for (size_t i = 0; i < size; ++i) b.PushByte(data[i], names);
  if (whole != single) std::abort();
  // Only whole frames come out: 12 digits of time and '+', CR LF at the end.
  for (const std::string& text : whole) {
    if (text.size() != 176 || text.compare(174, 2, "\r\n") != 0 || text[12] != '+') std::abort();
    for (int i = 0; i < 12; ++i) {
      if (text[i] < '0' || text[i] > '9') std::abort();
    }
  }
  return 0;
}
