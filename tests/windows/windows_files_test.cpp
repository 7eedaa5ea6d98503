// Files on Windows: a replacement that fails keeps the old file whole, one
// that succeeds leaves nothing behind, and Chinese paths work everywhere the
// program writes (its narrow paths are UTF-8).
#include <windows.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "base/bounded_io.h"
#include "base/file_io.h"
#include "base/win_text.h"
#include "tests/support/temp_dir.h"

namespace {

class WindowsFilesTest : public TempDirTest {};

std::string Read(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(path, bytes)) << path;
  return bytes;
}

TEST_F(WindowsFilesTest, AReplacementThatFailsKeepsTheOldFile) {
  struct Case {
    const char* name;
    std::string path;
    bool readOnly;
    bool replaced;
  } cases[] = {
      {"an ordinary file", Path("settings.json"), false, true},
      {"a Chinese name", Path("设置-农残.json"), false, true},
      {"a read-only file", Path("locked.json"), true, false},
      {"a folder that is not there", Path("missing\\x.json"), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool existed = c.path.find("missing") == std::string::npos;
    if (existed) {
      ASSERT_TRUE(ReplaceFileContent(c.path, "old"));
    }
    if (c.readOnly) {
      ASSERT_TRUE(::SetFileAttributesW(WideFromUtf8(c.path).c_str(), FILE_ATTRIBUTE_READONLY));
    }
    EXPECT_EQ(ReplaceFileContent(c.path, "new content"), c.replaced);
    if (existed) {
      EXPECT_EQ(Read(c.path), c.replaced ? "new content" : "old");
    }
    if (c.readOnly) ::SetFileAttributesW(WideFromUtf8(c.path).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  // No temporary is left beside the files, whatever happened.
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    EXPECT_EQ(entry.path().wstring().find(L".tmp-"), std::wstring::npos)
        << Utf8FromWide(entry.path().wstring());
  }
}

// A file another handle holds open (as the database holds its tables) may stay
// listed after its removal; removing its folder then ends with an error
// instead of trying forever, and succeeds once the handle is closed.
TEST_F(WindowsFilesTest, AFolderWithAnOpenFileIsRemovedOnceItIsClosed) {
  const std::string folder = Path("快照");
  std::filesystem::create_directories(std::filesystem::path(WideFromUtf8(folder)) / L"inner");
  const std::string file = folder + "\\inner\\000005.ldb";
  std::ofstream(std::filesystem::path(WideFromUtf8(file))) << "table";
  const HANDLE open = ::CreateFileW(WideFromUtf8(file).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);
  const auto started = std::chrono::steady_clock::now();
  const bool removedWhileOpen = RemoveTree(folder);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  ::CloseHandle(open);
  if (!removedWhileOpen) {
    EXPECT_TRUE(RemoveTree(folder));
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(WideFromUtf8(folder))));
  EXPECT_TRUE(RemoveTree(folder)) << "an absent folder is no failure";
}

TEST_F(WindowsFilesTest, AppendsCopiesAndFoldersTakeChinesePaths) {
  const std::string folder = Path("备份");
  ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::u8path(folder)));
  const std::string log = folder + "\\操作记录.log";
  ASSERT_TRUE(AppendDurably(log, "一\n"));
  ASSERT_TRUE(AppendDurably(log, "二\n"));
  EXPECT_EQ(Read(log), "一\n二\n");
  const std::string copy = folder + "\\副本.log";
  ASSERT_TRUE(CopyNewFile(log, copy));
  EXPECT_FALSE(CopyNewFile(log, copy)) << "an existing file is never overwritten";
  EXPECT_TRUE(SyncFileSystem(folder));
  std::string chunks;
  ASSERT_TRUE(ReadFileChunks(copy, [&](const char* bytes, size_t length) {
    chunks.append(bytes, length);
    return true;
  }));
  EXPECT_EQ(chunks, "一\n二\n");
  const std::string made = MakeTemporaryFolder("临时.", folder);
  ASSERT_FALSE(made.empty());
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(made)));
  errno = 0;
  EXPECT_FALSE(SyncFolder(Path("没有这个文件夹")));
  EXPECT_EQ(errno, ENOENT);
}

// A printer port that stops taking data (here a pipe nobody reads): the
// label's write gives up at its time-out, or at once on abort.
TEST(WindowsDeviceTest, ADeviceThatTakesNothingIsGivenUpOn) {
  const std::wstring name =
      L"\\\\.\\pipe\\residue-printer-" + std::to_wstring(::GetCurrentProcessId());
  const std::string lots(8 << 20, 'x');
  for (const bool abortIt : {false, true}) {
    const HANDLE server = ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND,
                                             PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    int code = 0;
    const int fd = OpenDeviceForWriting(Utf8FromWide(name), code);
    ASSERT_GE(fd, 0) << code;
    std::atomic<bool> abort{abortIt};
    IoError error;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(WriteWithin(fd, lots, abortIt ? 60000 : 400, &abort, error));
    EXPECT_EQ(error.failure, abortIt ? IoFailure::kAborted : IoFailure::kTimeout);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 3.0);
    DropUnsentOutput(fd);
    EXPECT_TRUE(CloseDevice(fd, code));
    ::CloseHandle(server);
  }
}

}  // namespace
