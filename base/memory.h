#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

// A resizable block of plain values (bytes, characters, integers, pointers).
// A fixed block refuses every resize. Not thread-safe; one owner.
template <class T>
class Memory {
  static_assert(std::is_trivially_copyable<T>::value, "Memory holds plain values only");

 public:
  Memory() = default;
  explicit Memory(uint32_t length) { SetLength(length); }
  Memory(const Memory&) = delete;
  Memory& operator=(const Memory&) = delete;
  Memory(Memory&& other) noexcept { Swap(other); }
  Memory& operator=(Memory&& other) noexcept {
    Swap(other);
    return *this;
  }
  ~Memory() { std::free(data_); }

  // Reallocates to exactly n elements (0 frees). Existing elements up to n are kept;
  // new ones are zero. False when fixed or out of memory (the block is unchanged).
  bool SetLength(uint32_t n) {
    if (fixed_) return false;
    if (n == 0) {
      std::free(data_);
      data_ = nullptr;
      length_ = 0;
      return true;
    }
    T* grown = static_cast<T*>(std::realloc(data_, sizeof(T) * n));
    if (!grown) return false;
    if (n > length_) std::memset(static_cast<void*>(grown + length_), 0, sizeof(T) * (n - length_));
    data_ = grown;
    length_ = n;
    return true;
  }

  // Twice the length, or 32 elements when empty.
  bool Double() { return SetLength(length_ ? length_ * 2 : 32); }

  // Grows by n elements and opens a gap of n at `at` (clamped to the end).
  bool Expand(uint32_t n, uint32_t at) {
    uint32_t old = length_;
    if (at > old) at = old;
    if (!SetLength(old + n)) return false;
    Move(at + n, at, old - at);
    return true;
  }

  // Moves n elements from `from` to `to` inside the block (ranges may overlap).
  void Move(uint32_t to, uint32_t from, uint32_t n) {
    if (n) std::memmove(static_cast<void*>(data_ + to), data_ + from, sizeof(T) * n);
  }

  void SetFixed(bool fixed) { fixed_ = fixed; }
  uint32_t Length() const { return length_; }
  T* Data() { return data_; }
  const T* Data() const { return data_; }
  T& operator[](uint32_t i) { return data_[i]; }
  const T& operator[](uint32_t i) const { return data_[i]; }

 private:
  void Swap(Memory& other) {
    std::swap(data_, other.data_);
    std::swap(length_, other.length_);
    std::swap(fixed_, other.fixed_);
  }

  T* data_ = nullptr;
  uint32_t length_ = 0;
  bool fixed_ = false;
};
