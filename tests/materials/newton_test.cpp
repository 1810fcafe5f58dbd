// Newton inversion: exact roots of linear functions, full precision on smooth
// nonlinear ones, recovery from two-cycles and from failing evaluations.

#include "materials/newton.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <stdexcept>

#include "base/fp_guard.h"
#include "base/slot.h"

namespace tessmar {
namespace {

constexpr Real kRelEps = 1e-18L;

void ExpectRelNear(Real expected, Real actual, Real rel = kRelEps) {
  EXPECT_NEAR(static_cast<double>((actual - expected) / expected), 0.0, static_cast<double>(rel))
      << "expected " << static_cast<double>(expected) << " got " << static_cast<double>(actual);
}

TEST(NewtonInvert, LinearFunctionFromAnyStartGivesTheRoot) {
  const Real c = 1 / ((5.0L / 3.0L - 1) * 1);  // the reduced ideal gas, gamma 5/3, M 1
  const RealFunction2 f = [c](Real x, Real) { return c * x; };
  const RealFunction2 d = [c](Real, Real) { return c; };
  for (Real y : {3.0L, 1e-7L, 12345.678L, -2.5L}) {
    for (Real x0 : {-1e6L, -1.0L, 0.0L, 0.5L, 2.0L, 1e10L}) {
      SCOPED_TRACE(testing::Message()
                   << "y=" << static_cast<double>(y) << " x0=" << static_cast<double>(x0));
      EXPECT_EQ(NewtonInvert(f, d, y, 1, x0), y / c);
    }
  }
}

TEST(NewtonInvert, SmoothNonlinearFunctionsToFullPrecision) {
  struct Case {
    const char* name;
    RealFunction2 f, d;
    Real y, rho, x0, root;
  };
  const Case cases[] = {
      {"cube", [](Real x, Real) { return x * x * x; }, [](Real x, Real) { return 3 * x * x; }, 2, 1,
       1, std::cbrt(2.0L)},
      {"exp", [](Real x, Real) { return std::exp(x); }, [](Real x, Real) { return std::exp(x); },
       10, 1, 0, std::log(10.0L)},
      // depends on the density argument: rho*x^2 = y
      {"rho x^2", [](Real x, Real rho) { return rho * x * x; },
       [](Real x, Real rho) { return 2 * rho * x; }, 8, 2, 100, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectRelNear(c.root, NewtonInvert(c.f, c.d, c.y, c.rho, c.x0));
  }
}

TEST(NewtonInvert, ExactTwoCycleIsBrokenAtTheMidpoint) {
  // Plain Newton for x^3 - 2x = -2 from 0 cycles 0 -> 1 -> 0 exactly.
  const RealFunction2 f = [](Real x, Real) { return x * x * x - 2 * x; };
  const RealFunction2 d = [](Real x, Real) { return 3 * x * x - 2; };
  const Real x = NewtonInvert(f, d, -2, 1, 0);
  ExpectRelNear(-1.7692923542386314152L, x);
}

// sqrt(x) = 0.5 from x0 = 4: the first Newton step lands at x = -2, outside
// the domain; the next lands on 0, where the derivative is infinite. Both
// failures must be answered by retreating to the midpoint.
TEST(NewtonInvert, FailingEvaluationIsAnsweredByTheMidpoint) {
  struct Case {
    const char* name;
    RealFunction2 f;
  };
  const Case cases[] = {
      {"flag raised", [](Real x, Real) { return std::sqrt(x); }},
      {"MathError thrown",
       [](Real x, Real) {
         if (x < 0) throw MathError("sqrt of a negative number");
         return std::sqrt(x);
       }},
      {"overflow",
       [](Real x, Real) {
         if (x < 0) return std::exp(1e6L) * x;  // overflows to -inf
         return std::sqrt(x);
       }},
  };
  const RealFunction2 d = [](Real x, Real) { return 0.5L / std::sqrt(x); };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::feclearexcept(FE_ALL_EXCEPT);
    ExpectRelNear(0.25L, NewtonInvert(c.f, d, 0.5L, 1, 4));
    // The handled failures must not leak into the caller's pass.
    EXPECT_EQ(std::fetestexcept(kFpFailureFlags), 0);
  }
}

TEST(NewtonInvert, FailureAtTheStartIsPassedOn) {
  const RealFunction2 d = [](Real, Real) { return 1.0L; };
  const RealFunction2 raisesFlag = [](Real x, Real) { return std::sqrt(x); };
  const RealFunction2 throws = [](Real, Real) -> Real { throw MathError("model failed"); };
  EXPECT_THROW(NewtonInvert(raisesFlag, d, 1, 1, -1), MathError);
  try {
    NewtonInvert(throws, d, 1, 1, 1);
    ADD_FAILURE() << "no exception";
  } catch (const MathError& e) {
    EXPECT_STREQ(e.what(), "model failed");  // the model's own error, unchanged
  }
  // A zero derivative at the start is a division by zero: passed on as well.
  const RealFunction2 flat = [](Real, Real) { return 0.0L; };
  EXPECT_THROW(NewtonInvert(flat, flat, 1, 1, 1), MathError);
}

TEST(NewtonInvert, ErrorsOtherThanMathErrorsAreNotSwallowed) {
  const Slot<Real(Real, Real)> empty("EmptySlot");
  const RealFunction2 f = [&empty](Real x, Real rho) { return empty(x, rho); };
  const RealFunction2 d = [](Real, Real) { return 1.0L; };
  EXPECT_THROW(NewtonInvert(f, d, 1, 1, 1), SlotEmptyError);
}

}  // namespace
}  // namespace tessmar
