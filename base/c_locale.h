#pragma once

#include <locale.h>

// Makes the C library's number formatting and parsing on this thread use the
// "C" locale (a '.' decimal point) for the life of the object, whatever locale
// the process has set, so texts written and read by the program never depend
// on the operator's regional settings.
class CLocaleScope {
 public:
  CLocaleScope();
  ~CLocaleScope();
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_;
};
