#include "base/thread.h"

#include <chrono>
#include <system_error>

bool Thread::Start(std::function<void()> body) {
  if (state_) return false;
  auto state = std::make_shared<State>();
  try {
    thread_ = std::thread([state, body = std::move(body)]() {
      body();
      std::lock_guard<std::mutex> lock(state->mutex);
      state->done = true;
      state->ended.notify_all();
    });
  } catch (const std::system_error&) {
    return false;
  }
  state_ = std::move(state);
  id_ = thread_.get_id();
  return true;
}

bool Thread::Wait(uint32_t milliseconds) {
  if (!state_) return true;
  if (std::this_thread::get_id() == id_) return false;  // a thread cannot outwait itself
  std::unique_lock<std::mutex> lock(state_->mutex);
  auto ended = [this] { return state_->done; };
  if (milliseconds == kInfinite) {
    state_->ended.wait(lock, ended);
  } else if (!state_->ended.wait_for(lock, std::chrono::milliseconds(milliseconds), ended)) {
    return false;
  }
  lock.unlock();
  // The body has returned; joining only waits for the last few instructions.
  if (thread_.joinable()) thread_.join();
  return true;
}

bool Thread::Close() {
  if (!state_) return false;
  if (thread_.joinable()) thread_.detach();
  state_.reset();
  id_ = std::thread::id();
  return true;
}

bool Thread::IsRunning() const {
  if (!state_) return false;
  std::lock_guard<std::mutex> lock(state_->mutex);
  return !state_->done;
}
