#pragma once

#include <functional>
#include <utility>

// A callable bound to one object and one of its member functions, handed to
// places that take a plain callback (thread bodies, timers, decoder and
// database callbacks). Std() gives the std::function of the same signature
// for places that take one (empty when the Function is empty).
// An empty Function is false and calls return R(); one bound to a null member
// function is true and its calls return R() at once. Bind before handing the
// Function to another thread; the bound object must outlive every call.
template <class Signature>
class Function;

template <class R, class... A>
class Function<R(A...)> {
 public:
  Function() = default;
  template <class T>
  Function(T* object, R (T::*member)(A...)) {
    Bind(object, member);
  }
  // Any callable of the signature (a lambda in tests, a free function).
  template <class F, class = std::enable_if_t<std::is_invocable_r_v<R, F&, A...> &&
                                              !std::is_same_v<std::decay_t<F>, Function>>>
  Function(F callable) : call_(std::move(callable)) {}  // NOLINT

  template <class T>
  void Bind(T* object, R (T::*member)(A...)) {
    if (!member) {
      call_ = [](A...) { return R(); };
      return;
    }
    call_ = [object, member](A... args) -> R {
      return (object->*member)(std::forward<A>(args)...);
    };
  }

  void Reset() { call_ = nullptr; }
  explicit operator bool() const { return static_cast<bool>(call_); }
  const std::function<R(A...)>& Std() const { return call_; }

  R operator()(A... args) const {
    if (!call_) return R();
    return call_(std::forward<A>(args)...);
  }

 private:
  std::function<R(A...)> call_;
};
