#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <tuple>
#include <utility>

// One thread started on a member function of an object. One owner starts it,
// waits for it and closes it; the class holds no lock against two owners.
// The destructor neither waits nor stops: a thread still running keeps
// running, so its owner must wait for it before destroying what it uses.
// There is no forcible stop, pause or resume: threads end by returning.
class Thread {
 public:
  static constexpr uint32_t kInfinite = UINT32_MAX;

  Thread() = default;
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;
  ~Thread() { Close(); }

  // Starts `member` on `object` with the given arguments (none, one, or four in
  // this program). False when this Thread still holds a thread or none could start.
  template <class T, class R, class... P, class... Args>
  bool Create(T* object, R (T::*member)(P...), Args... args) {
    static_assert(sizeof...(P) == sizeof...(Args), "argument count must match");
    return Start([object, member, args...]() mutable { (object->*member)(args...); });
  }

  // Starts any callable; the same rules as above.
  bool Start(std::function<void()> body);

  // Waits up to `milliseconds` (kInfinite: no limit) for the thread to end.
  // True when it has ended; also true when there is no thread.
  bool Wait(uint32_t milliseconds);

  // Lets go of the thread, which keeps running; false when there was none.
  bool Close();

  bool IsRunning() const;
  std::thread::id GetID() const { return id_; }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
  };

  std::thread thread_;
  std::shared_ptr<State> state_;
  std::thread::id id_;
};
