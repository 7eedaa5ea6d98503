#pragma once

#include "base/string.h"

struct WindowRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const WindowRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// How a saved rectangle is applied to a window's current one.
enum WindowPosOption : unsigned {
  kMoveToSavedLeft = 1,  // shift horizontally to the saved left edge, keeping the width
  kMoveToSavedTop = 2,   // shift vertically to the saved top edge, keeping the height
  kTakeSavedWidth = 4,
  kTakeSavedHeight = 8,
};

// The rectangle a window moves to: `current` changed as `options` say.
WindowRect ApplySavedRect(WindowRect current, const WindowRect& saved, unsigned options);

// Remembers window rectangles in the settings file under "wndpos" → window
// name → "left", "top", "right", "bottom". UI thread only.
class WindowPosStore {
 public:
  explicit WindowPosStore(unsigned options) : options_(options) {}

  // The saved rectangle of `name`; false (nothing read) when any of the four
  // numbers is missing. Adds no keys to the file.
  bool ReadSaved(const char16_t* name, WindowRect& saved) const;
  // Where a window named `name` should go at start-up: `current` with the saved
  // rectangle applied, or `current` itself when nothing is saved.
  WindowRect RestorePosition(const char16_t* name, const WindowRect& current) const;
  // Saves the window's normal (restored) rectangle, creating what is missing.
  void SavePosition(const char16_t* name, const WindowRect& normal);

 private:
  unsigned options_;
};
