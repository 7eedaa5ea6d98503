#include <locale.h>

#include <clocale>
#include <string>

#include "base/c_locale.h"

namespace {

// What the thread had before: whether its locale was its own, and which.
struct Previous {
  int perThread;
  std::string locale;
};

}  // namespace

CLocaleScope::CLocaleScope() {
  auto* previous = new Previous;
  previous->perThread = ::_configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
  const char* now = std::setlocale(LC_ALL, nullptr);
  previous->locale = now ? now : "C";
  std::setlocale(LC_ALL, "C");
  previous_ = previous;
}

CLocaleScope::~CLocaleScope() {
  auto* previous = static_cast<Previous*>(previous_);
  std::setlocale(LC_ALL, previous->locale.c_str());
  ::_configthreadlocale(previous->perThread);
  delete previous;
}
