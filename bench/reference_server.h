#pragma once

#include <cstdio>
#include <string>

// The reference inspection server on free loopback ports, ending after
// `uploads` uploads (so pclose returns). Null, having said why, when it did
// not start; `tcpPort` gets its TCP port.
inline FILE* StartReferenceServer(size_t uploads, int& tcpPort) {
  FILE* server = popen((std::string(INSPECTION_SERVER) +
                        " --tcp-port 0 --http-port 0 --quiet --uploads " + std::to_string(uploads))
                           .c_str(),
                       "r");
  char line[64];
  if (!server || !fgets(line, sizeof line, server) || std::sscanf(line, "TCP %d", &tcpPort) != 1) {
    std::fprintf(stderr, "cannot start the inspection server\n");
    if (server) pclose(server);
    return nullptr;
  }
  return server;
}
