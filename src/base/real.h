#pragma once
// The one precision of the program: every physical quantity, table entry and
// number in a file is an 80-bit extended real.

#include <limits>

namespace tessmar {

using Real = long double;
static_assert(std::numeric_limits<Real>::digits == 64, "Real must be the x87 extended type");

inline constexpr Real kPi = 3.141592653589793238462643383279502884L;

}  // namespace tessmar
