#include <pwd.h>
#include <unistd.h>

#include "base/system_user.h"

std::string SystemUserName() {
  const passwd* p = ::getpwuid(::geteuid());
  return p ? p->pw_name : std::to_string(::geteuid());
}
