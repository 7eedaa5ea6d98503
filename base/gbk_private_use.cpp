#include "base/gbk_private_use.h"

namespace cp {
namespace {

// The three user-defined areas, in the order their characters follow each
// other from U+E000: rows of 94 (trail A1-FE) or 96 (trail 40-A0 without 7F).
struct Area {
  uint8_t firstLead, lastLead, firstTrail, lastTrail;
};
constexpr Area kAreas[] = {
    {0xAA, 0xAF, 0xA1, 0xFE}, {0xF8, 0xFE, 0xA1, 0xFE}, {0xA1, 0xA7, 0x40, 0xA0}};

int RowLength(const Area& area) {
  const int span = area.lastTrail - area.firstTrail + 1;
  return area.firstTrail <= 0x7F && area.lastTrail >= 0x7F ? span - 1 : span;
}

int TrailIndex(const Area& area, int trail) {
  return trail - area.firstTrail - (trail > 0x7F && area.firstTrail < 0x7F ? 1 : 0);
}

// After the areas, the unassigned codes elsewhere, in code order (runs of
// consecutive codes, none crossing a trail byte of 7F).
struct Run {
  uint16_t first;
  uint8_t count;
};
constexpr Run kRuns[] = {
    {0xA2AB, 6},  {0xA2E3, 2},  {0xA2EF, 2},  {0xA2FD, 2},  {0xA4F4, 11}, {0xA5F7, 8},
    {0xA6B9, 8},  {0xA6D9, 7},  {0xA6EC, 2},  {0xA6F3, 1},  {0xA6F6, 9},  {0xA7C2, 15},
    {0xA7F2, 13}, {0xA896, 11}, {0xA8BC, 1},  {0xA8BF, 1},  {0xA8C1, 4},  {0xA8EA, 21},
    {0xA958, 1},  {0xA95B, 1},  {0xA95D, 3},  {0xA989, 13}, {0xA997, 13}, {0xA9F0, 15},
    {0xD7FA, 5},  {0xFE50, 47}, {0xFE80, 33},
};

}  // namespace

bool GbkPrivateUseOf(uint16_t code, char16_t& character) {
  const int lead = code >> 8, trail = code & 0xFF;
  int next = kFirstGbkPrivateUse;
  for (const Area& area : kAreas) {
    const int row = RowLength(area);
    if (lead >= area.firstLead && lead <= area.lastLead && trail >= area.firstTrail &&
        trail <= area.lastTrail && trail != 0x7F) {
      character =
          static_cast<char16_t>(next + (lead - area.firstLead) * row + TrailIndex(area, trail));
      return true;
    }
    next += (area.lastLead - area.firstLead + 1) * row;
  }
  for (const Run& run : kRuns) {
    if (code >= run.first && code < run.first + run.count) {
      character = static_cast<char16_t>(next + (code - run.first));
      return true;
    }
    next += run.count;
  }
  return false;
}

bool GbkCodeOfPrivateUse(char16_t character, uint16_t& code) {
  if (character < kFirstGbkPrivateUse || character > kLastGbkPrivateUse) return false;
  int offset = character - kFirstGbkPrivateUse;
  for (const Area& area : kAreas) {
    const int row = RowLength(area);
    const int size = (area.lastLead - area.firstLead + 1) * row;
    if (offset < size) {
      int trail = area.firstTrail + offset % row;
      if (area.firstTrail < 0x7F && trail >= 0x7F) ++trail;
      code = static_cast<uint16_t>((area.firstLead + offset / row) << 8 | trail);
      return true;
    }
    offset -= size;
  }
  for (const Run& run : kRuns) {
    if (offset < run.count) {
      code = static_cast<uint16_t>(run.first + offset);
      return true;
    }
    offset -= run.count;
  }
  return false;
}

}  // namespace cp
