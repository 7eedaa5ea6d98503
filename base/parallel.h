#pragma once

#include <cstddef>
#include <functional>

// Runs `work(part, from, to)` over [0, count): in one call (part 0, the whole
// range) below `threshold`, else in two halves at once, part 0 on [0, half)
// on this thread and part 1 on [half, count) on another (the machines this
// runs on have two cores). Returns when both have ended; true when it split.
// `work` must not throw; the halves must not write the same data.
bool RunInTwoHalves(size_t count, size_t threshold,
                    const std::function<void(int part, size_t from, size_t to)>& work);
