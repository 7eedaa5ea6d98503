#pragma once

#include <string>

// The full path of the running executable (native encoding); empty when the
// platform cannot tell.
std::string ExecutablePath();
