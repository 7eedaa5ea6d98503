#include "device/capture_replay.h"

#include "base/file_io.h"

bool ReplayCaptureFile(const std::string& path, FrameDecoder& decoder, ProductNames& names,
                       std::string* problem) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes, problem)) return false;
  decoder.Replay(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), names);
  return true;
}
