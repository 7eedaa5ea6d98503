// Crash-safe writes and the cleanup of temporaries: the Windows side. Paths
// are UTF-8 and go to the wide API.
// Winsock before the rest of the Windows headers.
// clang-format off
#include <winsock2.h>
// clang-format on
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/file_io.h"
#include "base/win_text.h"

namespace {

// A handle closed when it goes.
struct Handle {
  HANDLE h = INVALID_HANDLE_VALUE;
  explicit Handle(HANDLE handle) : h(handle) {}
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool ok() const { return h != INVALID_HANDLE_VALUE; }
};

HANDLE OpenFile(const std::string& path, DWORD access, DWORD disposition, DWORD flags = 0) {
  return ::CreateFileW(WideFromUtf8(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) {
      return FailWithLastError();
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    done += written;
  }
  return true;
}

// A name no other file in `folder` has: the process, a counter and the clock.
std::string UniqueName(const std::string& folderAndPrefix) {
  static std::atomic<unsigned> counter{0};
  return folderAndPrefix + std::to_string(::GetCurrentProcessId()) + "-" +
         std::to_string(++counter) + "-" + std::to_string(::GetTickCount64() % 1000000);
}

bool ProcessIsRunning(unsigned long pid) {
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;  // there, not ours to ask
  DWORD code = 0;
  const bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  ::CloseHandle(process);
  return running;
}

}  // namespace

bool WriteFully(int fd, const std::string& bytes, bool socket) {
  size_t done = 0;
  while (done < bytes.size()) {
    const int chunk = static_cast<int>(std::min<size_t>(bytes.size() - done, 1u << 30));
    const int n = socket ? ::send(static_cast<SOCKET>(fd), bytes.data() + done, chunk, 0)
                         : ::_write(fd, bytes.data() + done, static_cast<unsigned>(chunk));
    if (n <= 0) {
      if (n == 0 || socket) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool AppendDurably(const std::string& path, const std::string& bytes) {
  if (!CheckOutputPath(path)) return false;
  Handle file(OpenFile(path, FILE_APPEND_DATA, OPEN_ALWAYS));
  if (!file.ok()) return FailWithLastError();
  return WriteAll(file.h, bytes) && (::FlushFileBuffers(file.h) || FailWithLastError());
}

bool ReplaceFileContent(const std::string& path, const std::string& bytes) {
  if (!CheckOutputPath(path)) return false;  // never a device or folder
  const std::wstring target = WideFromUtf8(path);
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
    errno = EACCES;
    return false;
  }
  // The new content goes into a file beside the old one, flushed, and then
  // takes its place in one step; on any failure the old file stays as it was.
  const std::string temp = UniqueName(path + ".tmp-");
  {
    Handle file(OpenFile(temp, GENERIC_WRITE, CREATE_NEW));
    if (!file.ok()) return FailWithLastError();
    if (!WriteAll(file.h, bytes) || !::FlushFileBuffers(file.h)) {
      const int error = errno;
      ::CloseHandle(file.h);
      file.h = INVALID_HANDLE_VALUE;
      ::DeleteFileW(WideFromUtf8(temp).c_str());
      errno = error;
      return false;
    }
  }
  const std::wstring wideTemp = WideFromUtf8(temp);
  const bool moved = ::MoveFileExW(wideTemp.c_str(), target.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!moved) {
    const DWORD error = ::GetLastError();
    ::DeleteFileW(wideTemp.c_str());
    errno = ErrnoFromWindows(error);
  }
  return moved;
}

MadeFile ReplaceWithMadeFile(const std::string& path,
                             const std::function<bool(const std::string& temporary)>& make) {
  if (!CheckOutputPath(path)) return MadeFile::kNotReplaced;
  // Named after this process, so a later start can tell a leftover of a crash.
  const std::string temporary = UniqueName(
      Utf8FromWide((std::filesystem::temp_directory_path() / L"residue-output-").wstring()));
  {
    Handle file(OpenFile(temporary, GENERIC_WRITE, CREATE_NEW));
    if (!file.ok()) return MadeFile::kNotMade;
  }
  std::string bytes;
  const bool made = make(temporary) && ReadWholeFile(temporary, bytes) && !bytes.empty();
  ::DeleteFileW(WideFromUtf8(temporary).c_str());
  if (!made) return MadeFile::kNotMade;
  return ReplaceFileContent(path, bytes) ? MadeFile::kReplaced : MadeFile::kNotReplaced;
}

void RemoveStaleOutputTemporaries() {
  namespace fs = std::filesystem;
  std::error_code error;
  const std::wstring prefix = L"residue-output-";
  for (fs::directory_iterator it(fs::temp_directory_path(error), error), end; !error && it != end;
       it.increment(error)) {
    const std::wstring name = it->path().filename().wstring();
    if (name.rfind(prefix, 0) != 0) continue;
    const unsigned long pid = std::wcstoul(name.c_str() + prefix.size(), nullptr, 10);
    if (pid == 0 || ProcessIsRunning(pid)) continue;
    std::error_code ignored;
    fs::remove(it->path(), ignored);
  }
}

void UseBinaryStandardStreams() {
  for (FILE* stream : {stdin, stdout, stderr}) ::_setmode(::_fileno(stream), _O_BINARY);
}

std::string MakeTemporaryFolder(const std::string& prefix, const std::string& parent) {
  std::string base =
      parent.empty() ? Utf8FromWide(std::filesystem::temp_directory_path().wstring()) : parent;
  // The system's temporary folder ends with a separator: one is enough.
  if (!base.empty() && base.back() != '\\' && base.back() != '/') base += '\\';
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string folder = UniqueName(base + prefix);
    if (::CreateDirectoryW(WideFromUtf8(folder).c_str(), nullptr)) return folder;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  FailWithLastError();
  return std::string();
}

bool CopyNewFile(const std::string& from, const std::string& to) {
  if (::CopyFileW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), TRUE)) return true;
  return FailWithLastError();
}

// Windows cannot flush a whole volume without administrator rights: every
// file under `path` is flushed instead (a backup's folder).
bool SyncFileSystem(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path root(WideFromUtf8(path));
  if (!fs::is_directory(root, error)) {
    Handle file(::CreateFileW(root.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return (file.ok() && ::FlushFileBuffers(file.h)) || FailWithLastError();
  }
  for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
       it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    Handle file(::CreateFileW(it->path().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok() || !::FlushFileBuffers(file.h)) return FailWithLastError();
  }
  if (error) {
    errno = ErrnoFromWindows(static_cast<unsigned long>(error.value()));
    return false;
  }
  return true;
}

bool ReadFileChunks(const std::string& path,
                    const std::function<bool(const char* bytes, size_t length)>& chunk) {
  Handle file(OpenFile(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
  if (!file.ok()) return FailWithLastError();
  std::string buffer(size_t{1} << 20, '\0');
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file.h, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) {
      return FailWithLastError();
    }
    if (n == 0) return true;
    if (!chunk(buffer.data(), n)) return false;
  }
}

// NTFS journals its folder entries; there is nothing to flush by hand. The
// folder must still be there.
bool SyncFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return FailWithLastError();
  return true;
}

int PortableErrno(int error) { return error; }
