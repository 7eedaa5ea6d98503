#include "device/capture_replay.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

bool ReplayCaptureFile(const std::string& path, FrameDecoder& decoder, ProductNames& names) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return false;
  decoder.Replay(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), names);
  return true;
}
