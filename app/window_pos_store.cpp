#include "app/window_pos_store.h"

#include "base/config.h"

WindowRect ApplySavedRect(WindowRect r, const WindowRect& saved, unsigned options) {
  if (options & kMoveToSavedLeft) {
    r.right += saved.left - r.left;
    r.left = saved.left;
  }
  if (options & kMoveToSavedTop) {
    r.bottom += saved.top - r.top;
    r.top = saved.top;
  }
  if (options & kTakeSavedWidth) r.right = r.left + saved.Width();
  if (options & kTakeSavedHeight) r.bottom = r.top + saved.Height();
  return r;
}

bool WindowPosStore::ReadSaved(const char16_t* name, WindowRect& saved) const {
  Config config;
  const Json* root = config.Root();
  const Json* positions = root ? root->FindProperty(u"wndpos") : nullptr;
  const Json* window = positions ? positions->FindProperty(name) : nullptr;
  WindowRect r;
  if (!window || !window->GetPropertyInt32(u"left", r.left) ||
      !window->GetPropertyInt32(u"top", r.top) || !window->GetPropertyInt32(u"right", r.right) ||
      !window->GetPropertyInt32(u"bottom", r.bottom)) {
    return false;
  }
  saved = r;
  return true;
}

WindowRect WindowPosStore::RestorePosition(const char16_t* name, const WindowRect& current) const {
  WindowRect saved;
  return ReadSaved(name, saved) ? ApplySavedRect(current, saved, options_) : current;
}

void WindowPosStore::SavePosition(const char16_t* name, const WindowRect& normal) {
  Config config;
  Json* root = config.Root();
  if (!root) return;  // (a broken file is not rewritten for a window's size)
  Json* window = root->GetProperty(u"wndpos", true)->GetProperty(name, true);
  window->SetPropertyInt32(u"left", normal.left);
  window->SetPropertyInt32(u"top", normal.top);
  window->SetPropertyInt32(u"right", normal.right);
  window->SetPropertyInt32(u"bottom", normal.bottom);
}
