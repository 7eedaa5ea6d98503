#include "device/product_names.h"

namespace {
bool InRange(int index) { return index >= 0 && index < ProductNames::kChannels; }
}  // namespace

String ProductNames::Get(int index) const {
  if (!InRange(index)) return String(u"");
  std::lock_guard<std::mutex> lock(mutex_);
  return names_[index];
}

void ProductNames::Set(int index, const String& name) {
  if (!InRange(index)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  names_[index] = name;
}

String ProductNames::NameForFrame(int index) {
  if (!InRange(index)) return String(u"");
  std::lock_guard<std::mutex> lock(mutex_);
  String& name = names_[index];
  if (name.Length() > kMaxNameLength) name = name.Left(kMaxNameLength);
  return name;
}
