// Text -> value: normalisation of free-form numeric text, the keystroke filter,
// conversion with and without errors, numbers in free text, and the round trip
// through the text at full precision.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "format/num_string_format.h"

namespace tessmar {
namespace {

struct NormalizeCase {
  const char* input;
  const char* output;  // nullptr: refused
};

void PrintTo(const NormalizeCase& c, std::ostream* os) {
  *os << '"' << c.input << "\" -> " << (c.output ? c.output : "(refused)");
}

class NormalizeTest : public testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeTest, RewritesOrRefuses) {
  const NormalizeCase& c = GetParam();
  const TNumStringFormat f;
  std::string s = c.input;
  const bool ok = f.Normalize(s);
  if (c.output) {
    EXPECT_TRUE(ok);
    EXPECT_EQ(s, c.output);
  } else {
    EXPECT_FALSE(ok) << "became \"" << s << '"';
    EXPECT_EQ(s, c.input);  // a refused text is left as it was
  }
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, NormalizeTest,
    testing::Values(NormalizeCase{"1.5", "1.5"}, NormalizeCase{"1,5", "1.5"},
                    NormalizeCase{"1_5", "15"},  // "_" is no separator unless chosen
                    NormalizeCase{"-.5", "-0.5"}, NormalizeCase{".5", "0.5"},
                    NormalizeCase{"+,5", "+0.5"}, NormalizeCase{"E3", "1E3"},
                    NormalizeCase{"-e3", "-1E3"}, NormalizeCase{"2d-3", "2E-3"},
                    NormalizeCase{"2Q5", "2E5"}, NormalizeCase{"1.5e+3", "1.5E+3"},
                    NormalizeCase{"2.5*10**3", "2.5E3"}, NormalizeCase{"2.5*10^3", "2.5E3"},
                    NormalizeCase{"2.5*10**-3", "2.5E-3"}, NormalizeCase{"2.5*10^+3", "2.5E+3"},
                    NormalizeCase{"10**3", "1E3"}, NormalizeCase{"10^3", "1E3"},
                    NormalizeCase{"1 000", "1000"}, NormalizeCase{"  12  ", "12"},
                    NormalizeCase{"- 5", "-5"}, NormalizeCase{"1e -5", "1E-5"},
                    NormalizeCase{"{1.5}", "1.5"},
                    // a second separator that can be ignored is dropped
                    NormalizeCase{"1,000.5", "1000.5"}, NormalizeCase{"1,2,3", "12.3"},
                    NormalizeCase{"1.5_", "1.5"},
                    // before an exponent, a comma left of the point is a thousands separator
                    NormalizeCase{"1.000,5E3", "1.0005E3"}, NormalizeCase{"-", "-"}));

INSTANTIATE_TEST_SUITE_P(
    Refused, NormalizeTest,
    testing::Values(NormalizeCase{"", nullptr}, NormalizeCase{"   ", nullptr},
                    NormalizeCase{"{}", nullptr},
                    // a second separator that cannot be ignored
                    NormalizeCase{"1.2.3", nullptr}, NormalizeCase{"1.000,5", nullptr},
                    // letters other than D, E, Q
                    NormalizeCase{"1.5x", nullptr}, NormalizeCase{"abc", nullptr},
                    NormalizeCase{"INF", nullptr}, NormalizeCase{"0x1p3", nullptr},
                    // misplaced signs, exponents and separators
                    NormalizeCase{"1-5", nullptr}, NormalizeCase{"1e5e3", nullptr},
                    NormalizeCase{"1.5e3.2", nullptr}, NormalizeCase{"1e3.5", nullptr},
                    NormalizeCase{"2*3", nullptr}, NormalizeCase{"2*11**3", nullptr},
                    NormalizeCase{"2x10^3", nullptr}, NormalizeCase{"5%", nullptr}));

TEST(Normalize, OwnSeparatorIsReadBack) {
  TNumStringFormat f;
  f.SetDecSeparator('p');
  std::string s = "2p5";
  ASSERT_TRUE(f.Normalize(s));
  EXPECT_EQ(s, "2.5");
  Real v = 0;
  EXPECT_TRUE(f.TryParse(f.ToText(0.75L), v));
  EXPECT_EQ(v, 0.75L);
  // with "_" chosen, "_" separates decimals instead of being dropped
  TNumStringFormat u;
  u.SetDecSeparator('_');
  s = "1_5";
  ASSERT_TRUE(u.Normalize(s));
  EXPECT_EQ(s, "1.5");
}

struct KeyCase {
  const char* text;
  int caret;
  char key;
  std::optional<char> accepted;  // the key after the filter; nullopt: rejected
};

void PrintTo(const KeyCase& c, std::ostream* os) {
  *os << "key '" << c.key << "' at " << c.caret << " in \"" << c.text << '"';
}

class CheckKeyTest : public testing::TestWithParam<KeyCase> {};

TEST_P(CheckKeyTest, FiltersKey) {
  const KeyCase& c = GetParam();
  const TNumStringFormat f;
  char key = c.key;
  const bool reject = f.CheckKey(key, c.text, c.caret);
  EXPECT_EQ(reject, !c.accepted.has_value());
  if (c.accepted) {
    EXPECT_EQ(key, *c.accepted);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, CheckKeyTest,
    testing::Values(KeyCase{"", 0, '5', '5'}, KeyCase{"1.5", 1, '7', '7'},
                    // characters that are no part of a number
                    KeyCase{"", 0, 'x', std::nullopt}, KeyCase{"12", 2, '*', std::nullopt},
                    // fillers: at the start or after a digit
                    KeyCase{"", 0, ' ', ' '}, KeyCase{"12", 2, ' ', ' '},
                    KeyCase{"1.", 2, ' ', std::nullopt}, KeyCase{"12", 2, '{', '{'},
                    // signs: at the start or after an exponent letter
                    KeyCase{"", 0, '-', '-'}, KeyCase{"  ", 2, '+', '+'},
                    KeyCase{"1e", 2, '-', '-'}, KeyCase{"1", 1, '-', std::nullopt},
                    KeyCase{"1.", 2, '+', std::nullopt},
                    // exponent letters become "E"
                    KeyCase{"1", 1, 'e', 'E'}, KeyCase{"1", 1, 'd', 'E'}, KeyCase{"1", 1, 'q', 'E'},
                    KeyCase{"", 0, 'e', 'E'}, KeyCase{"-", 1, 'e', 'E'},
                    KeyCase{"1.", 2, 'e', std::nullopt}, KeyCase{"1E5", 3, 'e', std::nullopt},
                    KeyCase{"1.5", 1, 'e', std::nullopt},  // "1E.5": exponent before the point
                    // separators become the output separator
                    KeyCase{"1", 1, ',', '.'}, KeyCase{"1", 1, '.', '.'}, KeyCase{"", 0, ',', '.'},
                    KeyCase{"-", 1, '.', '.'}, KeyCase{"1.5", 3, '.', std::nullopt},
                    KeyCase{"1.5", 3, ',', std::nullopt}, KeyCase{"1E5", 3, '.', std::nullopt},
                    KeyCase{"1E", 2, '.', std::nullopt},
                    // a caret beyond the text counts as its end
                    KeyCase{"1", 9, 'e', 'E'}));

TEST(CheckKey, SeparatorBecomesOwnSeparator) {
  TNumStringFormat f;
  f.SetDecSeparator(',');
  char key = '.';
  EXPECT_FALSE(f.CheckKey(key, "1", 1));
  EXPECT_EQ(key, ',');
}

struct ParseCase {
  const char* text;
  std::optional<Real> value;  // nullopt: not a number
};

void PrintTo(const ParseCase& c, std::ostream* os) {
  *os << '"' << c.text << '"';
}

class TryParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(TryParseTest, ConvertsOrLeavesValue) {
  const ParseCase& c = GetParam();
  const TNumStringFormat f;
  Real v = -7.25L;
  const bool ok = f.TryParse(c.text, v);
  EXPECT_EQ(ok, c.value.has_value());
  EXPECT_EQ(v, c.value.value_or(-7.25L));
  EXPECT_EQ(f.IsNumber(c.text), c.value.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TryParseTest,
    testing::Values(ParseCase{"1.5", 1.5L}, ParseCase{"1,5", 1.5L}, ParseCase{"-.5", -0.5L},
                    ParseCase{"E3", 1000.0L}, ParseCase{"2d-3", 2e-3L},
                    ParseCase{"2.5*10**3", 2500.0L}, ParseCase{"2.5*10^3", 2500.0L},
                    ParseCase{"1 000", 1000.0L}, ParseCase{"0.1", 0.1L},
                    ParseCase{"1.18973149535723176502E4932", LDBL_MAX},
                    ParseCase{"3.33333333333333333333333333E-1", 1.0L / 3},
                    ParseCase{"abc", std::nullopt}, ParseCase{"", std::nullopt},
                    ParseCase{"-", std::nullopt}, ParseCase{"1E", std::nullopt},
                    ParseCase{"1E+", std::nullopt},
                    // a lone separator gets its "0" in front and reads as zero
                    ParseCase{".", 0.0L},
                    // too large for an extended real
                    ParseCase{"1E5000", std::nullopt}, ParseCase{"INF", std::nullopt},
                    ParseCase{"nan", std::nullopt}));

TEST(TryParse, UnchangedTextKeepsFullPrecision) {
  TNumStringFormat f;
  f.SetWidth(20);
  Real v = 1.0L / 3;
  ASSERT_EQ(f.ToText(v), "   0.333333333333333");
  // the shown text (trimmed or not) stands for the value it shows: not rounded to it
  EXPECT_TRUE(f.TryParse("0.333333333333333", v));
  EXPECT_EQ(v, 1.0L / 3);
  Real inf = std::numeric_limits<Real>::infinity();
  EXPECT_TRUE(f.TryParse(" INF ", inf));
  EXPECT_TRUE(std::isinf(inf));
}

TEST(TryParse, DoesNotFollowProcessLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  // any installed locale with a decimal comma will do; skip when there is none
  const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"};
  const char* set = nullptr;
  for (const char* c : candidates)
    if ((set = std::setlocale(LC_NUMERIC, c)) != nullptr) break;
  if (set == nullptr) GTEST_SKIP() << "no locale with a decimal comma installed";
  const TNumStringFormat f;
  Real v = 0;
  const bool ok = f.TryParse("1,25", v);
  const std::string text = f.ToText(1.25L);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_TRUE(ok);
  EXPECT_EQ(v, 1.25L);
  EXPECT_EQ(text, "1.25");
}

TEST(TextToValue, UnchangedTextKeepsValue) {
  TNumStringFormat f;
  f.SetWidth(8);
  Real v = 2.5L;
  std::string shown;
  f.TextToValue("2.5", v, shown, false);
  EXPECT_EQ(v, 2.5L);
  EXPECT_EQ(shown, "2.5");
  f.TextToValue("2.5", v, shown, true);
  EXPECT_EQ(shown, "     2.5");
}

TEST(TextToValue, NewTextIsUsersOrFormatted) {
  const TNumStringFormat f;
  Real v = 0;
  std::string shown;
  f.TextToValue("1,5", v, shown, false);
  EXPECT_EQ(v, 1.5L);
  EXPECT_EQ(shown, "1,5");
  f.TextToValue("2,5e1", v, shown, true);
  EXPECT_EQ(v, 25.0L);
  EXPECT_EQ(shown, "25");
}

TEST(TextToValue, ErrorsKeepOldValueAndShowIt) {
  TNumStringFormat f;
  Real v = 4.5L;
  std::string shown;
  // without RaiseConvertError nothing is thrown
  f.TextToValue("abc", v, shown, false);
  EXPECT_EQ(v, 4.5L);
  EXPECT_EQ(shown, "4.5");
  f.TextToValue("1E", v, shown, false);
  EXPECT_EQ(v, 4.5L);

  f.SetRaiseConvertError(true);
  shown.clear();
  try {
    f.TextToValue("12abc", v, shown, false);
    FAIL() << "no error";
  } catch (const ConvertError& e) {
    EXPECT_STREQ(e.what(), "Not Float Number Char(s)");
  }
  EXPECT_EQ(v, 4.5L);
  EXPECT_EQ(shown, "4.5");
  // normalised but still not a number: an error of its own
  EXPECT_THROW(f.TextToValue("1E", v, shown, false), ConvertError);
  EXPECT_EQ(v, 4.5L);
  EXPECT_EQ(shown, "4.5");
}

struct ExtractCase {
  const char* text;
  Real value;
  const char* match;
  int widthLimit = -1;
};

void PrintTo(const ExtractCase& c, std::ostream* os) {
  *os << '"' << c.text << '"';
}

class ExtractRealTest : public testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractRealTest, FindsFirstNumber) {
  const ExtractCase& c = GetParam();
  const TNumStringFormat f;
  std::string match = "junk";
  EXPECT_EQ(f.ExtractReal(c.text, match, false, c.widthLimit), c.value);
  EXPECT_EQ(match, c.match);
  EXPECT_EQ(f.ReadReal(c.text, c.widthLimit), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ExtractRealTest,
    testing::Values(
        // digits inside a name belong to the name
        ExtractCase{"L0 = 12.5 x 3", 12.5L, "12.5"}, ExtractCase{"dt1=0.5", 0.5L, "0.5"},
        ExtractCase{"x2.5", 0.5L, ".5"}, ExtractCase{"no number here", 0, ""},
        ExtractCase{"", 0, ""}, ExtractCase{"T = -1.5E+003 K", -1500.0L, "-1.5E+003"},
        ExtractCase{"x=.5;", 0.5L, ".5"}, ExtractCase{"   .1235E+04", 1235.0L, ".1235E+04"},
        ExtractCase{"value 12.5E;", 12.5L, "12.5"}, ExtractCase{"1 2 3", 1.0L, "1"},
        ExtractCase{"a --5", -5.0L, "-5"}, ExtractCase{"{2,5}", 2.5L, "2,5}"},
        ExtractCase{"t=2.5*10^3 s", 2500.0L, "2.5*10^3"}, ExtractCase{"7.0\t8.0", 7.0L, "7.0"},
        // a width limit counts from the start of the number
        ExtractCase{"123456", 123.0L, "123", 3}, ExtractCase{"-123456", -12.0L, "-12", 3},
        ExtractCase{"123456", 123456.0L, "123456", 0}));

TEST(ExtractReal, WidthOfFormatIsDefaultLimit) {
  TNumStringFormat f;
  f.SetWidth(4);
  EXPECT_EQ(f.ReadReal("123456"), 1234.0L);
  EXPECT_EQ(f.ReadReal("123456", 0), 123456.0L);
  f.SetWidth(-4);  // a negative width is no limit
  EXPECT_EQ(f.ReadReal("123456"), 123456.0L);
}

TEST(ExtractReal, ReformatGivesFormattedMatch) {
  TNumStringFormat f;
  std::string match;
  EXPECT_EQ(f.ExtractReal("x = 1,50 m", match, true), 1.5L);
  EXPECT_EQ(match, "1.5");
  f.SetDecSeparator('p');
  EXPECT_EQ(f.ExtractReal("t2p5ps", match), 0.0L);  // "t2p5ps" is one name
  EXPECT_EQ(f.ExtractReal("t=2p5ps", match), 2.5L);
  EXPECT_EQ(match, "2p5");
}

TEST(TakeReal, ReadsLineNumberByNumber) {
  const TNumStringFormat f;
  std::string line = "1 2 3";
  EXPECT_EQ(f.TakeReal(line), 1.0L);
  EXPECT_EQ(f.TakeReal(line), 2.0L);
  EXPECT_EQ(f.TakeReal(line), 3.0L);
  EXPECT_EQ(line, "");
  EXPECT_EQ(f.TakeReal(line), 0.0L);

  // the text is cut after the number read, not after an earlier copy inside a name
  line = "L0 = 0 N1 = 1.5E-3, 7";
  EXPECT_EQ(f.TakeReal(line), 0.0L);
  EXPECT_EQ(line, " N1 = 1.5E-3, 7");
  EXPECT_EQ(f.TakeReal(line), 1.5e-3L);
  EXPECT_EQ(f.TakeReal(line), 7.0L);

  line = "no number";
  EXPECT_EQ(f.TakeReal(line), 0.0L);
  EXPECT_EQ(line, "no number");
}

TEST(ExtractInt, FindsFirstInteger) {
  const TNumStringFormat f;
  struct Case {
    const char* text;
    long long value;
    const char* match;
    int limit;
  };
  const Case cases[] = {
      {"N=100 cells", 100, "100", -1},
      {"x -42y", -42, "-42", -1},
      {"+7", 7, "+7", -1},
      {"3.7", 3, "3", -1},
      {"dt1 = 25", 25, "25", -1},
      {"abc", 0, "", -1},
      {"12345", 12, "12", 2},
      {"-12345", -1, "-1", 2},
      {"-5", 5, "5", 1},
      {"12345", 12345, "12345", 0},
  };
  for (const Case& c : cases) {
    std::string match = "junk";
    EXPECT_EQ(f.ExtractInt(c.text, match, c.limit), c.value) << c.text;
    EXPECT_EQ(match, c.match) << c.text;
    EXPECT_EQ(f.ReadInt(c.text, c.limit), c.value) << c.text;
  }
  std::string match;
  EXPECT_THROW(f.ExtractInt("99999999999999999999", match), ConvertError);
}

TEST(TakeInt, ReadsLineNumberByNumber) {
  const TNumStringFormat f;
  std::string line = "10 -20 +30";
  EXPECT_EQ(f.TakeInt(line), 10);
  EXPECT_EQ(f.TakeInt(line), -20);
  EXPECT_EQ(f.TakeInt(line), 30);
  EXPECT_EQ(f.TakeInt(line), 0);
}

// 18 significant digits are fewer than the 20 or 21 an extended real needs, so
// a round trip through the text at precision 18 is exact only for values that
// have at most 18 digits; any other value comes back within half a unit of the
// 18th digit (at most about 46 units in the last place), and its text is stable.
TEST(RoundTrip, Precision18) {
  TNumStringFormat f;
  f.SetPressigion(18);
  std::mt19937_64 rng(7);
  // mostly the magnitudes of physics, some from the whole range
  std::uniform_int_distribution<int> usual(-300, 200), any(-16000, 16000);
  for (int i = 0; i < 5000; ++i) {
    const int k = i % 10 == 0 ? any(rng) : usual(rng);
    const Real x =
        std::ldexp(static_cast<Real>(rng() | (std::uint64_t{1} << 63)), k) * (i % 2 ? -1 : 1);
    const std::string text = f.ToText(x);
    Real back = 0;
    ASSERT_TRUE(f.TryParse(text, back)) << text;
    ASSERT_LE(std::fabs(back - x), std::fabs(x) * 5.06e-18L) << text;
    ASSERT_EQ(f.ToText(back), text);
  }
  // integers of at most 18 digits, and decimals of at most 18 digits, come back exactly
  std::uniform_int_distribution<long long> integer(-999999999999999999LL, 999999999999999999LL);
  for (int i = 0; i < 2000; ++i) {
    const auto n = static_cast<Real>(integer(rng));
    Real back = 0;
    ASSERT_TRUE(f.TryParse(f.ToText(n), back));
    ASSERT_EQ(back, n);
  }
  for (const char* s : {"0.1", "1.23456789012345678E-300", "3.14159265358979324"}) {
    Real v = 0;
    ASSERT_TRUE(f.TryParse(s, v));
    Real back = 0;
    ASSERT_TRUE(f.TryParse(f.ToText(v), back));
    EXPECT_EQ(back, v) << s;
  }
  // the value next to 1 has no 18-digit text of its own
  const Real next = std::nextafter(1.0L, 2.0L);
  EXPECT_EQ(f.ToText(next), "1");
}

}  // namespace
}  // namespace tessmar
