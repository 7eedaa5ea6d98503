#pragma once

#include <mutex>

#include "base/string.h"

// The product names of the detector's 20 channels (entry 0 is channel 1), shared
// between the UI thread, which edits them, and the thread that decodes frames.
// Every access takes the table's lock, so a reader never sees a half-written
// name. Safe on any thread.
class ProductNames {
 public:
  static constexpr int kChannels = 20;
  static constexpr uint32_t kMaxNameLength = 10;

  ProductNames() = default;
  ProductNames(const ProductNames&) = delete;
  ProductNames& operator=(const ProductNames&) = delete;

  // Entries outside 0..19 read as empty and ignore writes.
  String Get(int index) const;
  void Set(int index, const String& name);

  // The name to print into a frame of channel `index` + 1. A name longer than
  // ten characters is shortened to ten in the table itself, once, so the
  // settings page and the next save show what the frames carry.
  String NameForFrame(int index);

 private:
  mutable std::mutex mutex_;
  String names_[kChannels];
};
