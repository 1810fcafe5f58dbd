#include "materials/newton.h"

#include <cmath>
#include <exception>

#include "base/fp_guard.h"

namespace tessmar {

namespace {

// One Newton step from x. False when F or D failed (flag, non-finite value or
// MathError); the MathError, if any, is kept in `failure` so that it can be
// passed on with its own message.
bool TryStep(const RealFunction2& f, const RealFunction2& d, Real y, Real rho, Real x, Real& xNew,
             std::exception_ptr& failure) {
  try {
    FpGuard guard;
    const Real fx = f(x, rho);
    const Real dx = d(x, rho);
    const Real next = x + (y - fx) / dx;
    if (guard.Failed() || !std::isfinite(fx) || !std::isfinite(dx) || !std::isfinite(next))
      return false;
    xNew = next;
    return true;
  } catch (const MathError&) {
    failure = std::current_exception();
    return false;
  }
}

}  // namespace

Real NewtonInvert(const RealFunction2& f, const RealFunction2& d, Real y, Real rho, Real x0) {
  Real xPrev = x0;
  Real x = x0;
  Real tol = 1e-20L;
  for (int step = 0; step < kNewtonMaxSteps; ++step) {
    Real xNew = 0;
    std::exception_ptr failure;
    if (!TryStep(f, d, y, rho, x, xNew, failure)) {
      if (x == xPrev) {
        if (failure) std::rethrow_exception(failure);
        throw MathError("floating-point exception in the Newton inversion");
      }
      x = (x + xPrev) / 2;  // retreat towards the last good iterate
    } else if (std::fabs(xNew - x) + std::fabs(xNew - xPrev) <= tol * std::fabs(xNew)) {
      return xNew;
    } else if (xNew == xPrev) {
      tol *= 2;  // exact two-cycle: break it at the midpoint
      x = (x + xPrev) / 2;
    } else {
      xPrev = x;
      x = xNew;
      tol *= 1.2L;
    }
    if (x == xPrev) return x;
  }
  throw MathError("the Newton inversion did not converge");
}

}  // namespace tessmar
