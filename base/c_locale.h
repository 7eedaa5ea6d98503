#pragma once

// Makes the C library's number formatting and parsing on this thread use the
// "C" locale (a '.' decimal point) for the life of the object, whatever locale
// the process has set, so texts written and read by the program never depend
// on the operator's regional settings. Implementations: c_locale_posix.cpp.
class CLocaleScope {
 public:
  CLocaleScope();
  ~CLocaleScope();
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  void* previous_;  // the thread's locale before, as the platform keeps it
};
