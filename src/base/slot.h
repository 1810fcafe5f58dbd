#pragma once
// A slot is a replaceable function reference through which the solvers, the
// builder and the result table evaluate the current material. It is either
// empty ("not provided", a state callers test) or holds a callable; models
// install closures that read their parameter sets at call time, so a change
// accepted in a dialog acts at the next evaluation without a new selection.

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

namespace tessmar {

class SlotEmptyError : public std::logic_error {
 public:
  explicit SlotEmptyError(const char* name)
      : std::logic_error(std::string("the function slot ") + name + " is not provided") {}
};

template <class Sig>
class Slot;

template <class R, class... A>
class Slot<R(A...)> {
 public:
  using Function = std::function<R(A...)>;

  explicit Slot(const char* name) : name_(name) {}
  // Slots belong to one context: their closures refer to it. Copy the function
  // between slots of the same context with CopyFrom.
  Slot(const Slot&) = delete;
  Slot& operator=(const Slot&) = delete;

  [[nodiscard]] explicit operator bool() const noexcept { return static_cast<bool>(fn_); }
  [[nodiscard]] bool Empty() const noexcept { return !fn_; }
  [[nodiscard]] const char* Name() const noexcept { return name_; }
  [[nodiscard]] const Function& Fn() const noexcept { return fn_; }

  template <class F>
  void Install(F&& f) {
    fn_ = Function(std::forward<F>(f));
  }
  void CopyFrom(const Slot& other) { fn_ = other.fn_; }
  void Clear() noexcept { fn_ = nullptr; }

  // Calling an empty slot is a programming error, reported with the slot's name.
  R operator()(A... a) const {
    if (!fn_) throw SlotEmptyError(name_);
    return fn_(a...);
  }

 private:
  Function fn_;
  const char* name_;
};

}  // namespace tessmar
