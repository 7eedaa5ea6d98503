#include "base/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <vector>

#include "base/utf8_path.h"

namespace {

std::string SizeText(uintmax_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
  return text;
}

std::string TooBig(const std::string& path, const std::string& size, size_t limit) {
  return "文件太大（" + size + "，最多 " + SizeText(limit) + "），没有读取: " + path;
}

}  // namespace

bool ReadWholeStream(std::istream& in, std::string& bytes, std::string* problem, size_t limit) {
  bytes.clear();
  errno = 0;
  char chunk[1 << 16];
  while (in) {
    in.read(chunk, sizeof chunk);
    bytes.append(chunk, static_cast<size_t>(in.gcount()));
    if (bytes.size() > limit) {
      bytes.clear();
      errno = EFBIG;
      if (problem) *problem = TooBig("-", "超过 " + SizeText(limit), limit);
      return false;
    }
  }
  if (in.bad()) {
    bytes.clear();
    return false;
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* problem,
                   size_t limit) {
  bytes.clear();
  std::error_code error;
  if (std::filesystem::is_directory(PathOf(path), error)) {
    if (problem) *problem = "这是一个文件夹，不是文件: " + path;
    return false;
  }
  const uintmax_t size = std::filesystem::file_size(PathOf(path), error);
  if (!error && size > limit) {
    errno = EFBIG;
    if (problem) *problem = TooBig(path, SizeText(size), limit);
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    if (problem) *problem = "无法打开文件: " + path;
    return false;
  }
  // Bounded even where the size says nothing (a device, a FIFO).
  if (!ReadWholeStream(file, bytes, problem, limit)) {
    if (problem && errno == EFBIG) *problem = TooBig(path, "超过 " + SizeText(limit), limit);
    return false;
  }
  return true;
}

Status CheckOutputPath(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(PathOf(path), error);
  const auto refused = [&path](const char* what) {
    return Status::FailedUtf8("不是普通文件: " + path + what);
  };
  if (error && error.value() == ELOOP) return refused("（符号链接形成循环）");
  if (error || status.type() == fs::file_type::not_found) return Status::Ok();  // a new file
  if (status.type() == fs::file_type::regular) return Status::Ok();
  if (status.type() == fs::file_type::directory) return refused("（这是文件夹）");
  return refused("（设备、管道或其他特殊文件）");
}

namespace {

void RemoveEntry(const std::filesystem::path& path, std::error_code& first) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (error || !fs::exists(status)) {
    if (error && error != std::errc::no_such_file_or_directory && !first) first = error;
    return;
  }
  if (fs::is_directory(status)) {
    std::vector<fs::path> names;
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
      names.push_back(it->path());
    }
    if (error && !first) first = error;
    for (const fs::path& name : names) RemoveEntry(name, first);
  }
  fs::remove(path, error);
  if (error && !first) first = error;
}

}  // namespace

bool RemoveTree(const std::string& path) {
  std::error_code first;
  RemoveEntry(PathOf(path), first);
  if (!first) return true;
  errno = first.value();
  return false;
}

std::string DiskProblemText(int error) {
  switch (PortableErrno(error)) {
    case ENOSPC:
    case EFBIG:
      return "磁盘已满，请腾出空间或换一个磁盘后再试";
    case EROFS:
      return "磁盘是只读的，请换一个可写的文件夹";
    case EACCES:
    case EPERM:
      return "没有写入权限，请换一个文件夹或让管理员开放权限";
    case ENOENT:
      return "文件夹不存在或已被移走（U盘是否已拔出？）";
    case EIO:
    case ENODEV:
    case ENXIO:
      return "磁盘读写出错（U盘是否已拔出？），请检查磁盘后再试";
    case ECANCELED:
      return "已停止";
    default:
      return std::string("磁盘操作失败：") + std::strerror(error);
  }
}
