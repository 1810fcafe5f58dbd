# The engine carries every physical quantity as `long double` and relies on the
# x87 extended format: 64-bit mantissa, exponent range to 1e4932.
include(CheckCXXSourceCompiles)
check_cxx_source_compiles([[
#include <limits>
static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must have a 64-bit mantissa");
int main() { return 0; }
]] TESSMAR_LONG_DOUBLE_IS_EXTENDED)
if(NOT TESSMAR_LONG_DOUBLE_IS_EXTENDED)
  message(FATAL_ERROR "Tessmar needs a compiler whose long double has a 64-bit mantissa "
                      "(80-bit extended precision, e.g. g++ on x86-64).")
endif()
