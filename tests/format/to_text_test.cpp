// Value -> text: the exact output of every format kind, the pattern, the
// separator rules and the rounding of the 80-bit value.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "format/num_string_format.h"

namespace tessmar {
namespace {

TNumStringFormat MakeFormat(TFloatFormat type, int precision, int width) {
  TNumStringFormat f;
  f.SetFormatType(type);
  f.SetPressigion(precision);
  f.SetWidth(width);
  return f;
}

struct TextCase {
  TFloatFormat type;
  int precision;
  int width;
  Real value;
  const char* expected;
};

void PrintTo(const TextCase& c, std::ostream* os) {
  *os << "type " << static_cast<int>(c.type) << " precision " << c.precision << " width " << c.width
      << " value " << static_cast<double>(c.value) << " -> \"" << c.expected << "\"";
}

class ToTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(ToTextTest, GivesExactText) {
  const TextCase& c = GetParam();
  EXPECT_EQ(MakeFormat(c.type, c.precision, c.width).ToText(c.value), c.expected);
}

constexpr auto G = TFloatFormat::General;
constexpr auto E = TFloatFormat::Exponent;
constexpr auto F = TFloatFormat::Fixed;
constexpr auto P = TFloatFormat::FirstPoint;

INSTANTIATE_TEST_SUITE_P(
    General, ToTextTest,
    testing::Values(
        TextCase{G, 6, 0, 1e-7L, "1E-007"}, TextCase{G, 6, 0, 123456.7L, "123457"},
        TextCase{G, 6, 0, 0.5L, "0.5"}, TextCase{G, 4, 0, 1e7L, "1E007"},
        TextCase{G, -1, 0, -3.28321e-5L, "-3.28321E-005"},
        // 12345 ends in an exact 5: half away from zero rounds it up
        TextCase{G, 4, 0, 12345.0L, "1.235E004"}, TextCase{G, 4, 0, -12345.0L, "-1.235E004"},
        // the limit between the fixed and the scientific form
        TextCase{G, -1, 0, 1e-4L, "0.0001"}, TextCase{G, -1, 0, 9.9e-5L, "9.9E-005"},
        TextCase{G, 4, 0, 1234.0L, "1234"}, TextCase{G, 4, 0, 1000.0L, "1000"},
        TextCase{G, 4, 0, 10000.0L, "1E004"}, TextCase{G, 3, 0, 999.6L, "1E003"},
        TextCase{G, 3, 0, 99.96L, "100"}, TextCase{G, 4, 0, 1.5e-3L, "0.0015"},
        TextCase{G, -1, 0, 0.0L, "0"}, TextCase{G, -1, 0, -0.0L, "0"},
        TextCase{G, -1, 0, -2.5L, "-2.5"}, TextCase{G, -1, 0, 1e15L, "1E015"},
        TextCase{G, -1, 0, 999000000000000.0L, "999000000000000"},
        // precision 0 and 1 give two significant digits, -1 gives fifteen
        TextCase{G, 0, 0, 0.125L, "0.13"}, TextCase{G, 1, 0, 0.125L, "0.13"},
        TextCase{G, 0, 0, 1234.5L, "1.2E003"}, TextCase{G, 2, 0, 0.375L, "0.38"},
        TextCase{G, -1, 0, 1.0L / 3, "0.333333333333333"},
        TextCase{G, -1, 0, 2.0L / 3, "0.666666666666667"},
        // eighteen digits from the 80-bit value itself (0.1 as a double would show
        // 0.1000000000000000055)
        TextCase{G, 18, 0, 0.1L, "0.1"}, TextCase{G, 18, 0, 1.0L / 3, "0.333333333333333333"},
        TextCase{G, 18, 0, static_cast<Real>(0.1), "0.100000000000000006"},
        TextCase{G, 18, 0, 123456789012345678.0L, "123456789012345678"},
        TextCase{G, 18, 0, 1234567890123456785.0L, "1.23456789012345679E018"},
        TextCase{G, 18, 0, 9223372036854775808.0L, "9.22337203685477581E018"},
        // more than 18 asked is 18
        TextCase{G, 18, 0, 0.999999999999999999999L, "1"},
        TextCase{G, -1, 0, LDBL_MAX, "1.18973149535723E4932"},
        TextCase{G, -1, 0, -LDBL_TRUE_MIN, "-3.64519953188247E-4951"},
        TextCase{G, -1, 0, LDBL_MIN, "3.36210314311209E-4932"}, TextCase{G, 8, 0, 2.5L, "2.5"}));

INSTANTIATE_TEST_SUITE_P(Exponent, ToTextTest,
                         testing::Values(TextCase{E, 4, 0, 1000.0L, "1.000E+003"},
                                         TextCase{E, 4, 0, 0.0L, "0.000E+000"},
                                         TextCase{E, 4, 12, 1234.5L, "  1.235E+003"},
                                         TextCase{E, 4, 0, -1234.5L, "-1.235E+003"},
                                         TextCase{E, -1, 0, -1.0L, "-1.00000000000000E+000"},
                                         TextCase{E, 0, 0, 0.125L, "1.3E-001"},
                                         TextCase{E, 1, 0, 9.96L, "1.0E+001"},
                                         TextCase{E, 3, 0, 1e-300L, "1.00E-300"},
                                         TextCase{E, 18, 0, 2.0L / 3, "6.66666666666666667E-001"},
                                         TextCase{E, 5, 0, LDBL_MAX, "1.1897E+4932"}));

INSTANTIATE_TEST_SUITE_P(
    Fixed, ToTextTest,
    testing::Values(TextCase{F, 3, 0, 0.1L, "0.100"}, TextCase{F, -1, 0, 2.5L, "2.50"},
                    TextCase{F, -1, 0, 0.0L, "0.00"}, TextCase{F, 0, 0, 0.0L, "0"},
                    TextCase{F, 0, 0, 2.5L, "3"}, TextCase{F, 0, 0, 0.5L, "1"},
                    TextCase{F, 0, 0, 0.4L, "0"}, TextCase{F, 2, 0, 0.125L, "0.13"},
                    TextCase{F, 2, 0, -0.125L, "-0.13"}, TextCase{F, 1, 0, 0.25L, "0.3"},
                    TextCase{F, 2, 0, 1234.5678L, "1234.57"}, TextCase{F, 2, 0, 99.999L, "100.00"},
                    // a negative value that rounds to zero has no sign
                    TextCase{F, 2, 0, -0.001L, "0.00"}, TextCase{F, 2, 0, 0.0001L, "0.00"},
                    TextCase{F, 2, 0, -1.5L, "-1.50"},
                    // at most 18 significant digits; the places after them are zeros
                    TextCase{F, 10, 0, 12345678901.5L, "12345678901.5000000000"},
                    TextCase{F, 18, 0, 1.0L / 3, "0.333333333333333333"},
                    TextCase{F, 2, 0, 123456789012345678.0L, "123456789012345678.00"},
                    // beyond 18 integer digits the value is written as General at 18
                    TextCase{F, 2, 0, 1e18L, "1E018"}, TextCase{F, 2, 0, -2.5e30L, "-2.5E030"},
                    TextCase{F, 3, 9, 0.1L, "    0.100"}));

INSTANTIATE_TEST_SUITE_P(FirstPoint, ToTextTest,
                         testing::Values(TextCase{P, 4, 12, 1234.5L, "   .1235E+04"},
                                         TextCase{P, 4, -12, 1234.5L, " .1235E+04  "},
                                         TextCase{P, 4, 0, -1234.5L, "-.1235E+04"},
                                         TextCase{P, 4, 0, 0.0L, " .0000E+00"},
                                         TextCase{P, 3, 0, 0.05L, " .500E-01"},
                                         TextCase{P, 3, 0, 9.996L, " .100E+02"},
                                         TextCase{P, 3, 0, 1e-300L, " .100E-299"},
                                         TextCase{P, 2, 0, LDBL_MAX, " .12E+4933"}));

INSTANTIATE_TEST_SUITE_P(
    SpecialValues, ToTextTest,
    testing::Values(TextCase{G, -1, 0, std::numeric_limits<Real>::infinity(), "INF"},
                    TextCase{E, 4, 0, -std::numeric_limits<Real>::infinity(), "-INF"},
                    TextCase{F, 2, 0, std::numeric_limits<Real>::quiet_NaN(), "NAN"},
                    TextCase{P, 4, 0, std::numeric_limits<Real>::infinity(), "INF"},
                    TextCase{G, 5, 0, std::numeric_limits<Real>::infinity(), "INF"},
                    TextCase{G, -1, 6, -std::numeric_limits<Real>::infinity(), "  -INF"}));

INSTANTIATE_TEST_SUITE_P(Width, ToTextTest,
                         testing::Values(TextCase{G, -1, 8, 2.5L, "     2.5"},
                                         TextCase{G, -1, -8, 2.5L, "2.5     "},
                                         // longer results are not cut
                                         TextCase{G, -1, 2, 12345.0L, "12345"},
                                         TextCase{G, -1, -2, 12345.0L, "12345"},
                                         TextCase{E, 2, 10, -1.0L, " -1.0E+000"}));

TEST(NumStringFormat, PatternFollowsSettings) {
  TNumStringFormat f;
  EXPECT_EQ(f.Pattern(), "%g");
  f.SetPressigion(4);
  EXPECT_EQ(f.Pattern(), "%.4g");
  f.SetWidth(12);
  EXPECT_EQ(f.Pattern(), "%12.4g");
  f.SetFormatType(TFloatFormat::Exponent);
  EXPECT_EQ(f.Pattern(), "%12.4e");
  f.SetFormatType(TFloatFormat::FirstPoint);
  EXPECT_EQ(f.Pattern(), "%12.4e");
  f.SetFormatType(TFloatFormat::Fixed);
  EXPECT_EQ(f.Pattern(), "%12.4f");
  f.SetWidth(-12);
  EXPECT_EQ(f.Pattern(), "%-12.4f");
  f.SetPressigion(-1);
  EXPECT_EQ(f.Pattern(), "%-12f");
  f.SetPressigion(0);
  EXPECT_EQ(f.Pattern(), "%-12.0f");
  // Currency is refused: type and pattern stay
  f.SetFormatType(TFloatFormat::Currency);
  EXPECT_EQ(f.FormatType(), TFloatFormat::Fixed);
  EXPECT_EQ(f.Pattern(), "%-12.0f");
}

TEST(NumStringFormat, OutOfRangeSettingsAreRefused) {
  TNumStringFormat f;
  EXPECT_THROW(f.SetPressigion(19), std::out_of_range);
  EXPECT_THROW(f.SetPressigion(-2), std::out_of_range);
  EXPECT_THROW(f.SetWidth(128), std::out_of_range);
  EXPECT_THROW(f.SetWidth(-129), std::out_of_range);
  EXPECT_EQ(f.Pressigion(), -1);
  EXPECT_EQ(f.Width(), 0);
  f.SetWidth(-128);
  EXPECT_EQ(f.Width(), -128);
}

TEST(NumStringFormat, NewFormatUsesSystemSeparator) {
  const TNumStringFormat f;
  EXPECT_EQ(f.DecSeparator(), '.');
  EXPECT_TRUE(f.DefaultDec());
  EXPECT_FALSE(f.UseOwnSeparator());
  EXPECT_EQ(f.GetDecSeparator(), '.');
  EXPECT_FALSE(f.RaiseConvertError());
}

TEST(NumStringFormat, OwnSeparatorReplacesTheFirstPoint) {
  TNumStringFormat f;
  f.SetDecSeparator('p');  // file names
  EXPECT_TRUE(f.UseOwnSeparator());
  EXPECT_FALSE(f.DefaultDec());
  EXPECT_EQ(f.GetDecSeparator(), 'p');
  EXPECT_EQ(f.ToText(2.5L), "2p5");
  EXPECT_EQ(f.ToText(-3.28321e-5L), "-3p28321E-005");
  f.SetFormatType(TFloatFormat::Fixed);
  EXPECT_EQ(f.ToText(12.0L), "12p00");
  f.SetFormatType(TFloatFormat::FirstPoint);
  f.SetPressigion(4);
  // the first-point form always writes "."
  EXPECT_EQ(f.ToText(1234.5L), " .1235E+04");
  EXPECT_EQ(f.ToText(0.0L), " .0000E+00");

  TNumStringFormat comma;
  comma.SetDecSeparator(',');
  EXPECT_EQ(comma.ToText(2.5L), "2,5");
  comma.SetDefaultDec(true);  // back to the system separator
  EXPECT_EQ(comma.DecSeparator(), '.');
  EXPECT_FALSE(comma.UseOwnSeparator());
  EXPECT_EQ(comma.ToText(2.5L), "2.5");
  comma.SetDefaultDec(false);
  EXPECT_FALSE(comma.UseOwnSeparator());  // DecSeparator is now the system one
}

TEST(NumStringFormat, PointAsOwnSeparatorStaysPoint) {
  TNumStringFormat f;
  f.SetDecSeparator('.');
  EXPECT_FALSE(f.DefaultDec());
  EXPECT_FALSE(f.UseOwnSeparator());
  EXPECT_EQ(f.ToText(2.5L), "2.5");
}

TEST(NumStringFormat, SeparatorWithAnotherMeaningIsIgnored) {
  for (char c : {'e', 'E', 'd', 'Q', '5', '+', '-', ' ', '{', '}'}) {
    TNumStringFormat f;
    f.SetDecSeparator(c);
    EXPECT_EQ(f.DecSeparator(), '.') << c;
    EXPECT_TRUE(f.DefaultDec()) << c;
    EXPECT_EQ(f.ToText(2.5L), "2.5") << c;
  }
  // "_" and "," are decimal characters already and may be chosen
  TNumStringFormat u;
  u.SetDecSeparator('_');
  EXPECT_EQ(u.ToText(2.5L), "2_5");
}

// The digits of ToText agree with the C library's exact conversion wherever no
// exact tie is involved (the library rounds ties to even, ToText away from zero).
TEST(NumStringFormat, DigitsAgreeWithExactConversion) {
  std::mt19937_64 rng(20240611);
  std::uniform_int_distribution<int> exponent(-16000, 16000);
  std::uniform_int_distribution<int> precision(2, 18);
  for (int i = 0; i < 3000; ++i) {
    // 64 random mantissa bits with the top one set and the lowest one set: the
    // exact decimal expansion is then far longer than 19 digits, so no ties.
    const std::uint64_t m = rng() | (std::uint64_t{1} << 63) | 1u;
    const int k = exponent(rng);
    if (k >= -63 && k <= 0) continue;  // integers of at most 19 digits may end in ties
    const Real x = std::ldexp(static_cast<Real>(m), k);
    const int p = precision(rng);
    TNumStringFormat f;
    f.SetFormatType(TFloatFormat::Exponent);
    f.SetPressigion(p);
    const std::string ours = f.ToText(x);

    char buf[128];
    std::snprintf(buf, sizeof buf, "%.*LE", p - 1, x);
    const std::string lib(buf);
    const auto le = lib.find('E'), oe = ours.find('E');
    ASSERT_EQ(ours.substr(0, oe), lib.substr(0, le)) << "value " << buf;
    ASSERT_EQ(std::stoi(ours.substr(oe + 1)), std::stoi(lib.substr(le + 1))) << buf;
    ASSERT_GE(ours.size() - oe - 2, 3u) << ours;
  }
}

}  // namespace
}  // namespace tessmar
