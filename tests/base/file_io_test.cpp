#include "base/file_io.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/as_user.h"
#include "tests/support/temp_dir.h"

namespace {

class ReplaceFileTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    // Another user must reach the files below.
    ::chmod(dir_.c_str(), 0755);
    for (auto p = dir_.parent_path(); p != p.root_path(); p = p.parent_path()) {
      struct stat st;
      if (::stat(p.c_str(), &st) == 0 && !(st.st_mode & S_IXOTH))
        ::chmod(p.c_str(), st.st_mode | 0711);
    }
  }
  void Write(const std::string& name, const std::string& bytes, mode_t mode) {
    std::ofstream(Path(name)) << bytes;
    ::chmod(Path(name).c_str(), mode);
  }
  std::string Read(const std::string& name) {
    std::string bytes;
    ReadWholeFile(Path(name), bytes);
    return bytes;
  }
};

TEST_F(ReplaceFileTest, ALinkIsWrittenThroughAndStaysALink) {
  Write("real.Json", "old", 0644);
  std::filesystem::create_directories(Path("bin"));
  std::filesystem::create_symlink("../real.Json", Path("bin/settings.Json"));
  ASSERT_TRUE(ReplaceFileContent(Path("bin/settings.Json"), "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(Path("bin/settings.Json")));
  EXPECT_EQ(Read("real.Json"), "new");
  EXPECT_EQ(FileCount(), 2u) << "no temporary left";
}

TEST_F(ReplaceFileTest, AFileWithoutWriteBitsIsRefusedEvenForRoot) {
  Write("export.txt", "keep", 0444);
  EXPECT_FALSE(ReplaceFileContent(Path("export.txt"), "new"));
  EXPECT_EQ(Read("export.txt"), "keep");
}

// A locked-down folder holding a file its users may write: the file is
// rewritten in place; a file they may not write is refused; a rewrite that
// fails halfway puts the old bytes back.
TEST_F(ReplaceFileTest, InALockedFolderAWritableFileIsRewrittenInPlace) {
  std::filesystem::create_directories(Path("locked"));
  ::chmod(Path("locked").c_str(), 0755);
  Write("locked/settings.Json", std::string(100, 'o'), 0666);
  Write("locked/theirs.Json", "theirs", 0644);
  const std::string file = Path("locked/settings.Json");
  const std::string theirs = Path("locked/theirs.Json");
  EXPECT_TRUE(AsOrdinaryUser([&] { return ReplaceFileContent(file, "short"); }));
  EXPECT_EQ(Read("locked/settings.Json"), "short") << "cut to the new length";
  EXPECT_TRUE(AsOrdinaryUser([&] { return !ReplaceFileContent(theirs, "mine"); }));
  EXPECT_EQ(Read("locked/theirs.Json"), "theirs");

  // The disk fills halfway (a file-size limit): the old content comes back.
  EXPECT_TRUE(AsOrdinaryUser([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit small{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &small);
    return !ReplaceFileContent(file, std::string(5000, 'n'));
  }));
  EXPECT_EQ(Read("locked/settings.Json"), "short");
  EXPECT_EQ(FileCount(), 1u) << "nothing but the folder";
}

}  // namespace

namespace {

TEST_F(ReplaceFileTest, OnlyRegularFilesOrNewOnesAreWritten) {
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
  std::filesystem::create_directory(Path("folder"));
  std::filesystem::create_symlink("loop-b", Path("loop-a"));
  std::filesystem::create_symlink("loop-a", Path("loop-b"));
  std::filesystem::create_symlink("fifo", Path("to-fifo"));
  // A character device of our own (root can make one; /dev/null for everyone else).
  std::string device = Path("null");
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) device = "/dev/null";
  struct Case {
    std::string path;
    bool refused;
  } cases[] = {
      {Path("fifo"), true},
      {Path("folder"), true},
      {Path("loop-a"), true},
      {Path("to-fifo"), true},
      {device, true},
      {Path("new.txt"), false},
      {Path("dangling-dir/new.txt"), false},
  };
  for (const Case& c : cases) {
    const Status allowed = CheckOutputPath(c.path);
    const std::string problem = allowed.text.ToBytes(cp::kUtf8);
    EXPECT_EQ(!allowed, c.refused) << c.path << ": " << problem;
    if (!c.refused) continue;
    EXPECT_EQ(problem.rfind("不是普通文件: " + c.path, 0), 0u) << problem;
    EXPECT_FALSE(ReplaceFileContent(c.path, "x")) << c.path;
    EXPECT_EQ(ReplaceWithMadeFile(c.path,
                                  [](const std::string& t) {
                                    std::ofstream(t) << "made";
                                    return true;
                                  }),
              MadeFile::kNotReplaced)
        << c.path;
  }
  // Left as they were.
  struct stat st;
  ASSERT_EQ(::stat(Path("fifo").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(::stat(device.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_TRUE(ReplaceFileContent(Path("new.txt"), "new"));
  EXPECT_EQ(Read("new.txt"), "new");
}

TEST_F(ReplaceFileTest, ReadsAreBoundedEvenOnEndlessDevices) {
  std::string bytes, problem;
  EXPECT_FALSE(ReadWholeFile("/dev/zero", bytes, &problem, 1 << 20));
  EXPECT_TRUE(bytes.empty());
  EXPECT_NE(problem.find("文件太大"), std::string::npos) << problem;
  {
    std::ofstream big(Path("big"));
    big << std::string((1 << 20) + 1, 'x');
  }
  EXPECT_FALSE(ReadWholeFile(Path("big"), bytes, &problem, 1 << 20));
  EXPECT_NE(problem.find("1.0 MiB"), std::string::npos) << "its size: " << problem;
  EXPECT_TRUE(ReadWholeFile(Path("big"), bytes, &problem, 2 << 20));
  EXPECT_EQ(bytes.size(), (1u << 20) + 1);
  std::istringstream endless(std::string(3000, 'y'));
  EXPECT_FALSE(ReadWholeStream(endless, bytes, &problem, 2000));
}

TEST_F(ReplaceFileTest, TemporariesOfAProcessThatIsGoneAreRemovedAtStart) {
  const std::filesystem::path temp = std::filesystem::temp_directory_path();
  // A process number that is not in use: a child that has ended.
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ASSERT_GT(gone, 0);
  ::waitpid(gone, nullptr, 0);
  const std::string stale = (temp / ("residue-output-" + std::to_string(gone) + "-abc")).string();
  const std::string live =
      (temp / ("residue-output-" + std::to_string(::getpid()) + "-abc")).string();
  std::ofstream(stale) << "half a workbook";
  std::ofstream(live) << "being written";
  RemoveStaleOutputTemporaries();
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::exists(live));
  std::filesystem::remove(live);
}

}  // namespace
