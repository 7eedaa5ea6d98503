#include "base/parallel.h"

#include <thread>

bool RunInTwoHalves(size_t count, size_t threshold,
                    const std::function<void(int part, size_t from, size_t to)>& work) {
  if (count < threshold || count < 2) {
    work(0, 0, count);
    return false;
  }
  const size_t half = count / 2;
  std::thread other([&] { work(1, half, count); });
  work(0, 0, half);
  other.join();
  return true;
}
