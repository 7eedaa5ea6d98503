// libFuzzer target for the JSON parser: any input must parse or fail without
// a crash, and whatever parses must write text that parses again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Json doc;
  if (!doc.ParseMbs(reinterpret_cast<const char*>(data), static_cast<int>(size))) {
    std::u16string wide(size / 2, u'\0');
    std::memcpy(&wide[0], data, wide.size() * 2);
    if (doc.Parse(wide.data(), static_cast<int>(wide.size())) == -1) return 0;
  }
  for (bool pretty : {false, true}) {
    String text = doc.ToText(pretty);
    Json again;
    if (again.Parse(text.Handle(), static_cast<int>(text.Length())) == -1) std::abort();
  }
  return 0;
}
