#pragma once

#include <cstdint>

#include "base/memory.h"

// Growable arrays. List<T> holds plain values; ObjectList<T> owns heap objects
// and destroys them. When full, a list grows by its growth step if one is set,
// otherwise it doubles (32, 64, 128 ...). Not thread-safe; one owner.

constexpr uint32_t kAppend = UINT32_MAX;  // an index past any end: add at the end

template <class T>
class List {
 public:
  List() = default;
  explicit List(uint32_t growthStep) : step_(growthStep) {}
  List(const List&) = delete;
  List& operator=(const List&) = delete;

  // Inserts `value` at min(index, Count()); false when out of memory.
  bool Add(const T& value, uint32_t index = kAppend) {
    if (count_ == items_.Length() && !Grow()) return false;
    if (index > count_) index = count_;
    items_.Move(index + 1, index, count_ - index);
    items_[index] = value;
    ++count_;
    return true;
  }

  // Removes up to n elements from `index`; returns how many went.
  uint32_t Delete(uint32_t index, uint32_t n = 1) {
    if (index >= count_) return 0;
    if (n > count_ - index) n = count_ - index;
    items_.Move(index, index + n, count_ - index - n);
    count_ -= n;
    return n;
  }

  void Clear() { count_ = 0; }
  uint32_t Count() const { return count_; }
  uint32_t Capacity() const { return items_.Length(); }
  T& Element(uint32_t i) { return items_[i]; }
  const T& Element(uint32_t i) const { return items_[i]; }
  T& operator[](uint32_t i) { return items_[i]; }
  const T& operator[](uint32_t i) const { return items_[i]; }

 private:
  bool Grow() { return step_ ? items_.SetLength(items_.Length() + step_) : items_.Double(); }

  Memory<T> items_;
  uint32_t count_ = 0;
  uint32_t step_ = 0;
};

template <class T>
class ObjectList {
 public:
  ObjectList() = default;
  explicit ObjectList(uint32_t growthStep) : items_(growthStep) {}
  ObjectList(const ObjectList&) = delete;
  ObjectList& operator=(const ObjectList&) = delete;
  ~ObjectList() { Clear(); }

  // Creates a default T at min(index, Count()) and returns it (null when out of memory).
  T* Add(uint32_t index = kAppend) {
    T* item = new (std::nothrow) T();
    if (item && !items_.Add(item, index)) {
      delete item;
      item = nullptr;
    }
    return item;
  }

  // Destroys up to n elements from `index`, closes the gap, returns how many went.
  uint32_t Delete(uint32_t index, uint32_t n = 1) {
    if (index >= items_.Count()) return 0;
    if (n > items_.Count() - index) n = items_.Count() - index;
    for (uint32_t i = 0; i < n; ++i) delete items_[index + i];
    return items_.Delete(index, n);
  }

  void Clear() { Delete(0, items_.Count()); }

  // Destroys every element `remove` accepts and closes the gaps in one pass,
  // keeping the order of the rest. Returns how many went.
  template <class Predicate>
  uint32_t RemoveIf(Predicate remove) {
    uint32_t kept = 0;
    const uint32_t count = items_.Count();
    for (uint32_t i = 0; i < count; ++i) {
      T* item = items_[i];
      if (remove(*item)) {
        delete item;
      } else {
        items_[kept++] = item;
      }
    }
    return items_.Delete(kept, count - kept);
  }

  uint32_t Count() const { return items_.Count(); }
  T* Element(uint32_t i) { return items_[i]; }
  const T* Element(uint32_t i) const { return items_[i]; }
  T& operator[](uint32_t i) { return *items_[i]; }
  const T& operator[](uint32_t i) const { return *items_[i]; }

 private:
  List<T*> items_;
};
