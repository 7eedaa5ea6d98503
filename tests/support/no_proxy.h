#pragma once

#include <cstdlib>

// Loopback requests go straight to the test's server, whatever proxy the
// machine that runs the tests names.
inline void UseNoProxy() {
#ifdef _WIN32
  _putenv_s("http_proxy", "");
  _putenv_s("HTTP_PROXY", "");
#else
  unsetenv("http_proxy");
  unsetenv("HTTP_PROXY");
#endif
}
