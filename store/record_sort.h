#pragma once

#include <cstdint>
#include <vector>

#include "store/nc_item_data.h"

// Sorting the record list's rows by a column, for the view only: the
// records stay in stored order. Numbers sort as numbers (rate, standard,
// temperature, reading, control value, channel), the test time by time, other
// texts by code point; texts that are not numbers go after the numbers.
// Sorting is stable, also descending: equal keys keep their stored order.

constexpr int kTraceCodeColumn = 15;  // after the 15 record columns
constexpr int kSortColumns = 16;

// Sorts `rows` (indexes into `records`) by list column `column`.
void SortRows(const NcItemList& records, std::vector<uint32_t>& rows, int column, bool descending);

// Where record `index` goes in `rows` sorted that way: after every row whose
// key sorts before or equal to its own, so a new record lands after its equals.
size_t SortedPosition(const NcItemList& records, const std::vector<uint32_t>& rows, uint32_t index,
                      int column, bool descending);
