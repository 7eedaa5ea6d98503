#include "base/file_io.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

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
