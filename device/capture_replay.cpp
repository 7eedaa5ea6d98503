#include "device/capture_replay.h"

#include "base/file_io.h"

Status ReplayCaptureFile(const std::string& path, FrameDecoder& decoder, ProductNames& names) {
  std::string bytes, problem;
  if (!ReadWholeFile(path, bytes, &problem)) return Status::FailedUtf8(problem);
  decoder.Replay(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), names);
  return Status::Ok();
}
