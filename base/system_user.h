#pragma once

#include <string>

// The account this program runs under (its login name, or its number when
// the system knows no name). Implementations: system_user_posix.cpp.
std::string SystemUserName();
