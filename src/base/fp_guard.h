#pragma once
// Floating-point failures are values, not signals. A guarded region saves the
// status flags of its caller and clears them when it starts; Failed() then tells
// whether an overflow, a division by zero or an invalid operation happened
// inside it. When the region ends the caller's flags are put back, so a failure
// that an inner region handled (a Newton step retried at a midpoint) does not
// leak into the pass around it. Nothing traps.

#include <cfenv>
#include <cmath>
#include <stdexcept>

#include "base/real.h"

namespace tessmar {

// Raised where a floating-point failure is reported as an error (a model
// function that overflowed or produced NaN, a pass that must fail).
class MathError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr int kFpFailureFlags = FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID;

class FpGuard {
 public:
  FpGuard() {
    std::fegetexceptflag(&saved_, FE_ALL_EXCEPT);
    std::feclearexcept(FE_ALL_EXCEPT);
  }
  ~FpGuard() { std::fesetexceptflag(&saved_, FE_ALL_EXCEPT); }
  FpGuard(const FpGuard&) = delete;
  FpGuard& operator=(const FpGuard&) = delete;

  // Start the guarded region afresh.
  void Reset() { std::feclearexcept(FE_ALL_EXCEPT); }
  // True when a failure flag was raised since the region (re)started.
  [[nodiscard]] bool Failed() const { return std::fetestexcept(kFpFailureFlags) != 0; }
  // True when a flag was raised or the value itself is not finite.
  [[nodiscard]] bool Failed(Real value) const { return Failed() || !std::isfinite(value); }

 private:
  std::fexcept_t saved_{};
};

// Evaluate f() in a guarded region; throws MathError when it raised a failure
// flag or returned a non-finite value.
template <class F>
Real GuardedEval(F&& f) {
  FpGuard guard;
  const Real value = f();
  if (guard.Failed(value)) throw MathError("floating-point exception");
  return value;
}

}  // namespace tessmar
