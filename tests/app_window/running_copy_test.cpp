// A second start on the same database folder reaches the running copy,
// which comes to the front; on another folder, or with none running, the
// call finds nobody.
#include "app/running_copy.h"

#include <gtest/gtest.h>

#include <QTest>
#include <atomic>
#include <filesystem>
#include <thread>

#include "tests/support/temp_dir.h"

namespace {

class RunningCopyTest : public TempDirTest {
 protected:
  // Calls from another thread while this one answers.
  bool CallFromAnotherStart(const std::string& folder) {
    std::atomic<int> result{-1};
    std::thread start([&] { result = RunningCopy::Call(folder, 5000) ? 1 : 0; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result >= 0; }, 10000));
    start.join();
    return result == 1;
  }
};

TEST_F(RunningCopyTest, ASecondStartOnTheSameFolderBringsTheRunningWindowForward) {
  const std::string folder = Path("storage");
  std::filesystem::create_directories(folder);
  std::filesystem::create_directories(Path("other"));
  EXPECT_FALSE(RunningCopy::Call(folder, 200)) << "nobody runs yet";
  int shown = 0;
  {
    RunningCopy running;
    ASSERT_TRUE(running.Answer(folder, [&] { ++shown; }));
    EXPECT_TRUE(CallFromAnotherStart(folder));
    EXPECT_EQ(shown, 1);
    // The same folder spelt otherwise is the same database.
    EXPECT_TRUE(CallFromAnotherStart(Path("other") + "/../storage/"));
    EXPECT_EQ(shown, 2);
    EXPECT_FALSE(CallFromAnotherStart(Path("other")));
    EXPECT_EQ(shown, 2);
  }
  EXPECT_FALSE(RunningCopy::Call(folder, 200)) << "the copy has ended";
}

// A name left behind (the socket file of a copy that crashed) is taken over
// by the next copy. Windows' named pipes end with their process, so nothing is
// ever left there; scripts/test-windows leaves this case out.
TEST_F(RunningCopyTest, ANameLeftBehindIsTakenOverByTheNextCopy) {
  const std::string folder = Path("storage");
  std::filesystem::create_directories(folder);
  int shown = 0;
  RunningCopy first, second;
  ASSERT_TRUE(first.Answer(folder, [] {}));
  ASSERT_TRUE(second.Answer(folder, [&] { ++shown; }));
  EXPECT_TRUE(CallFromAnotherStart(folder));
  EXPECT_EQ(shown, 1);
}

}  // namespace
