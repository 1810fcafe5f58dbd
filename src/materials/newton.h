#pragma once
// Newton inversion of a material function F(x, rho) = y for x at fixed density,
// as used for T(E) and T(P) when the electron functions are added to a model
// that only knows the inverse of its own part.
//
// The iteration is the program's own, and it is deliberately robust rather than
// fast: the relative tolerance starts at 1e-20 (below the 80-bit precision, so
// the loop normally ends when the iterate stops moving) and grows by 1.2 per
// Newton step; an exact two-cycle (x_new equal to the previous iterate) doubles
// the tolerance and takes the midpoint instead; a floating-point failure inside F
// or D (a raised overflow / division-by-zero / invalid flag, a non-finite value,
// or a MathError thrown by a model function) is answered by the same midpoint
// step back towards the last good iterate. Only a failure at the very first
// point, where there is no earlier iterate to retreat to, is passed on as a
// MathError for the solver's iteration control.

#include <functional>

#include "base/real.h"

namespace tessmar {

using RealFunction2 = std::function<Real(Real, Real)>;

// Steps after which an inversion that neither converged nor stalled is
// abandoned with a MathError. The tolerance grows by 1.2 per step, so a
// finite, non-zero root is accepted long before; the limit only stops a cycle
// that would otherwise never end.
inline constexpr int kNewtonMaxSteps = 10000;

// Solves f(x, rho) = y with derivative d(x, rho) = df/dx, starting at x0.
// Throws MathError when the first evaluation fails or the limit is reached;
// other exceptions of f and d (an empty slot, say) pass through unchanged.
Real NewtonInvert(const RealFunction2& f, const RealFunction2& d, Real y, Real rho, Real x0);

}  // namespace tessmar
