#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the detector simulator sends: frames it builds from the detector's
// frame layout, with the line conditions a real link shows.
struct SimulationOptions {
  int frames = 10;
  int sameSecond = 1;    // frames per test time (several channels finishing together)
  bool noise = false;    // stray bytes, pieces of ":NC" among them, between frames
  bool ffBytes = false;  // some frames carry 0xFF bytes in their place field
  uint32_t seed = 1;
  std::string startTime = "261206080000";  // yyMMddHHmmss of the first frame
};

struct SimulatedChunk {
  std::string bytes;  // one frame with what follows it on the line
  std::string key;    // the frame's test time
};

// The frames in sending order, each followed by the detector's 16 trailer
// digits (and noise when asked).
std::vector<SimulatedChunk> MakeSimulatedFrames(const SimulationOptions& options);
