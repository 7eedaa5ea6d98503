#include "base/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "base/function.h"

namespace {

// A worker whose body blocks until released, so the tests control when it ends.
class Worker {
 public:
  void Run() {
    ranOn = std::this_thread::get_id();
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ++finished;
  }
  void Add(int a, int* sum, std::atomic<bool>* done, int b) {
    *sum = a + b;
    *done = true;
  }
  int Twice(int x) { return 2 * x; }

  std::atomic<bool> release{false};
  std::atomic<int> finished{0};
  std::atomic<std::thread::id> ranOn;  // several threads may run Run at once
};

TEST(ThreadTest, WaitTellsWhetherTheThreadEndedInTime) {
  Worker worker;
  Thread thread;
  ASSERT_TRUE(thread.Create(&worker, &Worker::Run));
  EXPECT_FALSE(thread.Create(&worker, &Worker::Run)) << "a second start while one is held";
  EXPECT_TRUE(thread.IsRunning());
  EXPECT_FALSE(thread.Wait(20));
  worker.release = true;
  EXPECT_TRUE(thread.Wait(Thread::kInfinite));
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(worker.ranOn.load(), thread.GetID());
  EXPECT_TRUE(thread.Close());
  EXPECT_FALSE(thread.Close());
  EXPECT_TRUE(thread.Create(&worker, &Worker::Run)) << "a new start after Close";
  EXPECT_TRUE(thread.Wait(5000));
}

TEST(ThreadTest, CloseAndDestructionLeaveTheThreadRunning) {
  Worker worker;
  {
    Thread thread;
    ASSERT_TRUE(thread.Create(&worker, &Worker::Run));
    EXPECT_TRUE(thread.Close());
    EXPECT_FALSE(thread.IsRunning()) << "no handle, so nothing to report";
    Thread another;
    ASSERT_TRUE(another.Create(&worker, &Worker::Run));
  }  // destroyed without waiting
  EXPECT_EQ(worker.finished, 0);
  worker.release = true;
  // Both threads must be done with the worker before it goes.
  for (int i = 0; i < 5000 && worker.finished < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(worker.finished, 2);
}

TEST(ThreadTest, FourArgumentFormPassesEveryArgument) {
  Worker worker;
  Thread thread;
  int sum = 0;
  std::atomic<bool> done{false};
  ASSERT_TRUE(thread.Create(&worker, &Worker::Add, 40, &sum, &done, 2));
  ASSERT_TRUE(thread.Wait(5000));
  EXPECT_TRUE(done);
  EXPECT_EQ(sum, 42);
}

TEST(FunctionTest, BoundMemberEmptyAndNullMemberBehaveAsPlainCallbacks) {
  Worker worker;
  Function<int(int)> bound(&worker, &Worker::Twice);
  std::function<int(int)> plain = bound.Std();
  EXPECT_EQ(plain(21), 42);

  Function<int(int)> empty;
  EXPECT_FALSE(empty);
  EXPECT_FALSE(empty.Std());
  EXPECT_EQ(empty(3), 0);

  Function<int(int)> nullMember(&worker, static_cast<int (Worker::*)(int)>(nullptr));
  EXPECT_TRUE(nullMember);
  EXPECT_EQ(nullMember(5), 0);
}

}  // namespace
