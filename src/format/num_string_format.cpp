// Number <-> text conversions of TNumStringFormat.
//
// Output: the decimal digits of a value are produced from its exact binary
// value with a small big-integer routine (num/den scaled by powers of ten and
// two), so every long double, subnormals included, gets exactly the digits that
// rounding half away from zero prescribes. The text is then laid out by the
// pattern's rules (General, Exponent, Fixed) and finally by the first-point
// rewrite when that form is chosen.
//
// Input: Normalize rewrites free text into the system form
// [sign]digits[.digits][E[sign]digits]; that form is checked by a strict
// grammar and converted with strtold_l in the "C" locale (correctly rounded,
// independent of the process locale).

#include "format/num_string_format.h"

#include <locale.h>  // newlocale
#include <stdlib.h>  // strtold_l

#include <algorithm>
#include <bitset>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tessmar {

namespace {

// ---------------------------------------------------------------------------
// Exact decimal digits of a long double.

// Natural number in base 2^32, least significant word first.
class BigNat {
 public:
  explicit BigNat(std::uint64_t v) {
    if (v != 0) w_.push_back(static_cast<std::uint32_t>(v));
    if ((v >> 32) != 0) w_.push_back(static_cast<std::uint32_t>(v >> 32));
  }

  void MulSmall(std::uint32_t m) {
    std::uint64_t carry = 0;
    for (auto& x : w_) {
      const std::uint64_t t = static_cast<std::uint64_t>(x) * m + carry;
      x = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    if (carry != 0) w_.push_back(static_cast<std::uint32_t>(carry));
  }

  void MulPow10(int n) {
    static constexpr std::uint32_t kPow10[] = {1,      10,      100,      1000,      10000,
                                               100000, 1000000, 10000000, 100000000, 1000000000};
    for (; n >= 9; n -= 9) MulSmall(kPow10[9]);
    if (n > 0) MulSmall(kPow10[n]);
  }

  void ShiftLeft(int bits) {
    if (w_.empty() || bits == 0) return;
    const int words = bits / 32, rest = bits % 32;
    if (rest != 0) {
      std::uint32_t carry = 0;
      for (auto& x : w_) {
        const std::uint32_t next = x >> (32 - rest);
        x = (x << rest) | carry;
        carry = next;
      }
      if (carry != 0) w_.push_back(carry);
    }
    w_.insert(w_.begin(), static_cast<std::size_t>(words), 0u);
  }

  [[nodiscard]] int Compare(const BigNat& o) const {
    if (w_.size() != o.w_.size()) return w_.size() < o.w_.size() ? -1 : 1;
    for (std::size_t i = w_.size(); i-- > 0;)
      if (w_[i] != o.w_[i]) return w_[i] < o.w_[i] ? -1 : 1;
    return 0;
  }

  // *this -= o; requires *this >= o.
  void Subtract(const BigNat& o) {
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < w_.size(); ++i) {
      std::int64_t t = static_cast<std::int64_t>(w_[i]) - borrow -
                       (i < o.w_.size() ? static_cast<std::int64_t>(o.w_[i]) : 0);
      borrow = t < 0 ? 1 : 0;
      if (t < 0) t += (std::int64_t{1} << 32);
      w_[i] = static_cast<std::uint32_t>(t);
    }
    while (!w_.empty() && w_.back() == 0) w_.pop_back();
  }

  [[nodiscard]] bool IsZero() const { return w_.empty(); }

 private:
  std::vector<std::uint32_t> w_;
};

// |x| = 0.d1 d2 d3 ... * 10^exp, d1 != 0; digits without trailing zeros.
// An empty digit string is the value zero.
struct Decimal {
  std::string digits;
  int exp = 0;
};

constexpr int kMaxDigits = 18;

// Digits of a finite, positive value. `count` > 0 is the number of significant
// digits to keep; with `fixed` set, `count` is instead the number of digits
// after the decimal point (the significant digits then being limited to 18).
// Rounds half away from zero. `exactExp` receives the exponent before rounding.
Decimal ToDecimal(Real ax, int count, bool fixed, int* exactExp = nullptr) {
  Decimal d;
  int bexp = 0;
  const Real frac = std::frexp(ax, &bexp);  // ax = frac * 2^bexp, frac in [0.5, 1)
  const auto mant = static_cast<std::uint64_t>(std::ldexp(frac, 64));
  const int shift = bexp - 64;  // ax = mant * 2^shift exactly
  BigNat num(mant), den(1);
  if (shift >= 0)
    num.ShiftLeft(shift);
  else
    den.ShiftLeft(-shift);

  // Scale so that num/den lies in [0.1, 1): then ax = (num/den) * 10^e.
  int e = static_cast<int>(std::floor(std::log10(ax))) + 1;
  if (e >= 0)
    den.MulPow10(e);
  else
    num.MulPow10(-e);
  for (;;) {
    if (num.Compare(den) >= 0) {
      den.MulSmall(10);
      ++e;
      continue;
    }
    BigNat ten(num);
    ten.MulSmall(10);
    if (ten.Compare(den) < 0) {
      num = std::move(ten);
      --e;
      continue;
    }
    break;
  }
  if (exactExp) *exactExp = e;

  int n = fixed ? std::min(e + count, kMaxDigits) : std::min(count, kMaxDigits);
  if (n < 0) return d;  // below half a unit of the last place: rounds to zero
  std::string digits;
  digits.reserve(static_cast<std::size_t>(n) + 1);
  for (int i = 0; i < n; ++i) {
    num.MulSmall(10);
    int digit = 0;
    while (num.Compare(den) >= 0) {
      num.Subtract(den);
      ++digit;
    }
    digits.push_back(static_cast<char>('0' + digit));
  }
  // Half away from zero: round up when the remainder is at least half a unit.
  num.ShiftLeft(1);
  if (!num.IsZero() && num.Compare(den) >= 0) {
    int i = n - 1;
    while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9')
      digits[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
      ++digits[static_cast<std::size_t>(i)];
    } else {  // 99..9 -> 100..0, one decimal place more
      digits.insert(digits.begin(), '1');
      ++e;
    }
  }
  const auto last = digits.find_last_not_of('0');
  if (last == std::string::npos) return d;  // rounded to zero
  digits.erase(last + 1);
  d.digits = std::move(digits);
  d.exp = e;
  return d;
}

std::string ExponentDigits(int k, std::size_t minDigits) {
  std::string s = std::to_string(k < 0 ? -k : k);
  if (s.size() < minDigits) s.insert(0, minDigits - s.size(), '0');
  return s;
}

// The pattern letters. The separator written here is always the system one.
std::string FormatGeneral(Real x, int p) {
  if (x == 0) return "0";
  const Decimal d = ToDecimal(std::fabs(x), p, false);
  std::string out = std::signbit(x) ? "-" : "";
  const std::string& s = d.digits;
  const int e = d.exp;
  if (e > p || e < -3) {
    out += s[0];
    if (s.size() > 1) out += '.' + s.substr(1);
    out += 'E';
    if (e - 1 < 0) out += '-';
    out += ExponentDigits(e - 1, 3);
  } else if (e <= 0) {
    out += "0." + std::string(static_cast<std::size_t>(-e), '0') + s;
  } else {
    const auto ue = static_cast<std::size_t>(e);
    if (s.size() <= ue) {
      out += s + std::string(ue - s.size(), '0');
    } else {
      out += s.substr(0, ue) + '.' + s.substr(ue);
    }
  }
  return out;
}

std::string FormatExponent(Real x, int p) {
  Decimal d;
  if (x != 0) d = ToDecimal(std::fabs(x), p, false);
  std::string s = d.digits.empty() ? "0" : d.digits;
  const int k = d.digits.empty() ? 0 : d.exp - 1;
  if (s.size() < static_cast<std::size_t>(p)) s.append(static_cast<std::size_t>(p) - s.size(), '0');
  std::string out = (x != 0 && std::signbit(x)) ? "-" : "";
  out += s[0];
  out += '.';
  out += s.substr(1);
  out += 'E';
  out += k < 0 ? '-' : '+';
  out += ExponentDigits(k, 3);
  return out;
}

std::string FormatFixed(Real x, int p) {
  Decimal d;
  if (x != 0) {
    int exact = 0;
    d = ToDecimal(std::fabs(x), p, true, &exact);
    if (exact > kMaxDigits) return FormatGeneral(x, kMaxDigits);
  }
  const std::string& s = d.digits;
  const int e = d.digits.empty() ? 0 : d.exp;
  std::string out = d.digits.empty() || !std::signbit(x) ? "" : "-";
  if (e <= 0) {
    out += '0';
  } else {
    for (int i = 0; i < e; ++i)
      out += i < static_cast<int>(s.size()) ? s[static_cast<std::size_t>(i)] : '0';
  }
  if (p > 0) {
    out += '.';
    for (int j = 0; j < p; ++j) {
      const int idx = e + j;
      out += idx >= 0 && idx < static_cast<int>(s.size()) ? s[static_cast<std::size_t>(idx)] : '0';
    }
  }
  return out;
}

void Pad(std::string& s, int width) {
  const auto w = static_cast<std::size_t>(width < 0 ? -width : width);
  if (s.size() >= w) return;
  if (width > 0)
    s.insert(0, w - s.size(), ' ');
  else
    s.append(w - s.size(), ' ');
}

// ---------------------------------------------------------------------------
// Text helpers.

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsSign(char c) {
  return c == '+' || c == '-';
}
bool IsExponentLetter(char c) {
  return c == 'D' || c == 'E' || c == 'Q' || c == 'd' || c == 'e' || c == 'q';
}
bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// The "C" locale, created once, so that conversions never follow the process locale.
locale_t CLocale() {
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

// Strict parse of the system form [sign]digits[.digits][E[sign]digits] (at least
// one mantissa digit). Values too large for long double are refused; values too
// small become subnormal or zero, as the conversion rounds them.
bool ParseSystemForm(std::string_view s, Real& value) {
  std::size_t i = 0;
  if (i < s.size() && IsSign(s[i])) ++i;
  std::size_t mantissaDigits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++mantissaDigits;
  if (i < s.size() && s[i] == TNumStringFormat::SystemDecSeparator()) {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < s.size() && s[i] == 'E') {
    ++i;
    if (i < s.size() && IsSign(s[i])) ++i;
    std::size_t expDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != s.size()) return false;
  const std::string copy(s);
  const locale_t loc = CLocale();
  if (loc == static_cast<locale_t>(nullptr)) return false;
  errno = 0;
  char* end = nullptr;
  const Real v = strtold_l(copy.c_str(), &end, loc);
  if (end != copy.c_str() + copy.size()) return false;
  if (errno == ERANGE && std::isinf(v)) return false;
  value = v;
  return true;
}

// First digit that starts a number at or after `from`. Digits glued to a name
// ("L0", "dt1", "Rho0") belong to the name and are skipped. `floor` receives the
// position after the last name skipped, which a number may not reach back over.
std::size_t FirstNumberDigit(std::string_view s, std::size_t& floor) {
  floor = 0;
  std::size_t i = 0;
  while (i < s.size()) {
    if (IsDigit(s[i])) return i;
    if (IsLetter(s[i])) {
      while (i < s.size() && (IsLetter(s[i]) || IsDigit(s[i]) || s[i] == '_')) ++i;
      floor = i;
      continue;
    }
    ++i;
  }
  return std::string_view::npos;
}

}  // namespace

// ---------------------------------------------------------------------------
// Settings.

TNumStringFormat::TNumStringFormat() {
  const char sysDec = SystemDecSeparator();
  for (char c : {',', '.', '_', sysDec}) Add(decChars_, c);
  for (char c : {' ', ',', '_', '{', '}', SystemThousandSeparator()}) Add(ignoreChars_, c);
  for (char c : {'+', '-', 'D', 'E', 'Q', 'd', 'e', 'q'}) Add(validChars_, c);
  for (char c = '0'; c <= '9'; ++c) Add(validChars_, c);
  validChars_ |= decChars_;
  allChars_ = validChars_ | ignoreChars_;
  decSeparator_ = sysDec;
  RebuildPattern();
}

char TNumStringFormat::SystemDecSeparator() {
  return '.';
}
char TNumStringFormat::SystemThousandSeparator() {
  return ' ';
}

void TNumStringFormat::SetFormatType(TFloatFormat t) {
  if (t == TFloatFormat::Currency || t == formatType_) return;
  formatType_ = t;
  RebuildPattern();
}

void TNumStringFormat::SetPressigion(int p) {
  if (p < -1 || p > 18) throw std::out_of_range("precision must be from -1 to 18");
  if (p == pressigion_) return;
  pressigion_ = p;
  RebuildPattern();
}

void TNumStringFormat::SetWidth(int w) {
  if (w < -128 || w > 127) throw std::out_of_range("width must be from -128 to 127");
  if (w == width_) return;
  width_ = w;
  RebuildPattern();
}

void TNumStringFormat::SetDecSeparator(char c) {
  if (!defaultDec_ && c == decSeparator_) return;
  // A character that already means something else to the parser cannot separate decimals.
  if (!In(decChars_, c) && In(allChars_, c)) return;
  Add(decChars_, c);
  Add(validChars_, c);
  Add(allChars_, c);
  decSeparator_ = c;
  useOwnSeparator_ = c != SystemDecSeparator();
  defaultDec_ = false;
}

void TNumStringFormat::SetDefaultDec(bool d) {
  defaultDec_ = d;
  if (d) {
    useOwnSeparator_ = false;
    decSeparator_ = SystemDecSeparator();
  } else {
    useOwnSeparator_ = SystemDecSeparator() != decSeparator_;
  }
}

char TNumStringFormat::GetDecSeparator() const {
  return useOwnSeparator_ ? decSeparator_ : SystemDecSeparator();
}

void TNumStringFormat::RebuildPattern() {
  std::string p = "%";
  if (width_ != 0) p += std::to_string(width_);
  if (pressigion_ >= 0) {
    p += '.';
    p += std::to_string(pressigion_);
  }
  switch (formatType_) {
    case TFloatFormat::General: p += 'g'; break;
    case TFloatFormat::Exponent:
    case TFloatFormat::FirstPoint: p += 'e'; break;
    case TFloatFormat::Fixed: p += 'f'; break;
    case TFloatFormat::Currency: p += 'm'; break;
  }
  pattern_ = std::move(p);
}

// ---------------------------------------------------------------------------
// Output.

std::string TNumStringFormat::ToText(Real value) const {
  std::string s;
  if (std::isnan(value)) {
    s = "NAN";
  } else if (std::isinf(value)) {
    s = value < 0 ? "-INF" : "INF";
  } else {
    switch (formatType_) {
      case TFloatFormat::General:
      case TFloatFormat::Currency:
        s = FormatGeneral(value, pressigion_ < 0 ? 15 : std::clamp(pressigion_, 2, 18));
        break;
      case TFloatFormat::Exponent:
      case TFloatFormat::FirstPoint:
        s = FormatExponent(value, pressigion_ < 0 ? 15 : std::clamp(pressigion_, 2, 18));
        break;
      case TFloatFormat::Fixed: s = FormatFixed(value, pressigion_ < 0 ? 2 : pressigion_); break;
    }
  }

  if (formatType_ == TFloatFormat::FirstPoint && s.find('E') != std::string::npos) {
    // " .1235E+04": the point moves in front of the first digit, the exponent
    // grows by one and has at least two digits. The point is always ".".
    const std::size_t ePos = s.find('E');
    std::string m(Trim(std::string_view(s).substr(0, ePos)));
    int k = 0;
    std::from_chars(s.data() + ePos + 1 + (s[ePos + 1] == '+' ? 1 : 0), s.data() + s.size(), k);
    if (IsDigit(m[0])) m.insert(0, 1, ' ');
    if (m[1] == '0') {
      m.erase(1, 1);
      m += '0';
    } else {
      m.erase(2, 1);
      m.insert(1, 1, '.');
      ++k;
    }
    m += 'E';
    m += k < 0 ? '-' : '+';
    m += ExponentDigits(k, 2);
    Pad(m, width_);
    return m;
  }

  Pad(s, width_);
  if (useOwnSeparator_) {
    const auto pos = s.find(SystemDecSeparator());
    if (pos != std::string::npos) s[pos] = decSeparator_;
  }
  return s;
}

// ---------------------------------------------------------------------------
// Input.

namespace {
// Power notation ending at position i: "2.5*10**3" and "2.5*10^3" read as
// "2.5E3", a leading "10**3" or "10^3" as "1E3". The marker must stand at the
// start of the text or after "*" or a character of the number alphabet
// (`allChars`). The replacement is padded with blanks where the removed text
// was longer, so positions left of i keep their meaning; the blanks are
// dropped as ignorable characters later in the scan. On success i points at
// the E, to be examined next.
bool ReplacePowerAt(std::string& s, long& i, std::string_view marker,
                    const std::bitset<256>& allChars) {
  const long n = static_cast<long>(marker.size());
  if (i < n - 1) return false;
  const auto start = static_cast<std::size_t>(i - (n - 1));
  if (s.compare(start, marker.size(), marker) != 0) return false;
  std::size_t from = start, len = marker.size();
  std::string rep;
  if (start == 0) {  // "10**3" -> " 1E3"
    rep = std::string(static_cast<std::size_t>(n - 3), ' ') + "1E";
    i = n - 2;
  } else if (s[start - 1] == '*') {  // "2.5*10**3" -> "2.5   E3"
    from = start - 1;
    len = marker.size() + 1;
    rep = std::string(marker.size() - 1, ' ') + "E";
    i -= 1;
  } else if (allChars.test(static_cast<unsigned char>(s[start - 1]))) {  // "2.510**3" -> "2.5E3"
    rep = "E";
    i -= n - 1;
  } else {
    return false;
  }
  s = s.substr(0, from) + rep + s.substr(from + len);
  return true;
}
}  // namespace

bool TNumStringFormat::Normalize(std::string& text) const {
  std::string s(Trim(text));
  const char sysDec = SystemDecSeparator();
  bool expSeen = false, decSeen = false;
  // Scan from the last character to the first; edits at or after `i` never
  // disturb the part still to be scanned.
  long i = static_cast<long>(s.size()) - 1;
  while (i >= 0) {
    const auto at = static_cast<std::size_t>(i);
    const char ch = s[at];
    if (In(validChars_, ch)) {
      if (IsSign(ch)) {
        if (i > 0) {
          const char prev = s[at - 1];
          if (prev == '*' || prev == '^' || IsExponentLetter(prev)) {
            // the sign of an exponent
          } else if (In(ignoreChars_, prev)) {
            // "- 5", "1e -5": drop the filler and look at the sign again
            s.erase(at - 1, 1);
            --i;
            continue;
          } else {
            return false;
          }
        }
      } else if (IsDigit(ch)) {
        // accepted
      } else if (IsExponentLetter(ch)) {
        if (expSeen || decSeen) return false;
        s[at] = 'E';
        if (i == 0)
          s.insert(0, 1, '1');  // "E5" -> "1E5"
        else if (i == 1 && IsSign(s[0]))
          s.insert(1, 1, '1');  // "-E5" -> "-1E5"
        expSeen = true;
      } else {  // a decimal separator
        if (decSeen || (ch == '_' && decSeparator_ != '_')) {
          if (!In(ignoreChars_, ch)) return false;
          s.erase(at, 1);
        } else if (expSeen && In(ignoreChars_, ch) &&
                   (s.find_first_of(std::string{'.', sysDec, decSeparator_}) < at)) {
          s.erase(at, 1);  // a thousands separator in the mantissa
        } else {
          s[at] = sysDec;
          if (i == 0)
            s.insert(0, 1, '0');  // ".5" -> "0.5"
          else if (i == 1 && IsSign(s[0]))
            s.insert(1, 1, '0');  // "-.5" -> "-0.5"
          decSeen = true;
        }
      }
    } else if (In(ignoreChars_, ch)) {
      s.erase(at, 1);
    } else if (ch == '*' && ReplacePowerAt(s, i, "10**", allChars_)) {
      continue;  // the E put in place of the power is examined next
    } else if (ch == '^' && ReplacePowerAt(s, i, "10^", allChars_)) {
      continue;
    } else {
      return false;
    }
    --i;
  }
  if (s.empty()) return false;
  text = std::move(s);
  return true;
}

bool TNumStringFormat::CheckKey(char& key, std::string_view text, int caret) const {
  const auto c = static_cast<std::size_t>(std::clamp(caret, 0, static_cast<int>(text.size())));
  const std::string_view before = text.substr(0, c);
  const bool blankBefore = Trim(before).empty();
  const char prev = c > 0 ? text[c - 1] : '\0';

  if (!In(validChars_, key)) return !(In(ignoreChars_, key) && (blankBefore || IsDigit(prev)));
  if (IsSign(key)) return !blankBefore && !IsExponentLetter(prev);
  if (IsDigit(key)) return false;
  // exponent letters and decimal separators
  if (c > 0 && !IsDigit(prev) && !(c == 1 && IsSign(text[0]))) return true;
  std::string s(text);
  s.insert(c, 1, key);
  if (!Normalize(s)) return true;
  if (IsExponentLetter(key))
    key = 'E';
  else if (In(decChars_, key))
    key = GetDecSeparator();
  return false;
}

void TNumStringFormat::TextToValue(std::string_view text, Real& value, std::string& newText,
                                   bool keepFormat) const {
  const std::string current = ToText(value);
  if (Trim(text) == Trim(current)) {
    newText = keepFormat ? current : std::string(text);
    return;
  }
  std::string s(text);
  const bool normalized = Normalize(s);
  Real parsed = 0;
  if (ParseSystemForm(normalized ? std::string_view(s) : Trim(text), parsed)) {
    value = parsed;
    newText = keepFormat || !normalized ? ToText(value) : std::string(text);
  } else {
    newText = current;
    if (raiseConvertError_) {
      if (!normalized) throw ConvertError(kNotFloatNumberChars);
      throw ConvertError("\"" + std::string(Trim(text)) + "\" is not a valid number");
    }
  }
  if (!normalized && raiseConvertError_) throw ConvertError(kNotFloatNumberChars);
}

bool TNumStringFormat::IsNumber(std::string_view text) const {
  std::string s(text);
  Real v = 0;
  return Normalize(s) && ParseSystemForm(s, v);
}

bool TNumStringFormat::TryParse(std::string_view text, Real& value) const {
  if (Trim(text) == Trim(ToText(value))) return true;
  std::string s(text);
  Real v = 0;
  if (!Normalize(s) || !ParseSystemForm(s, v)) return false;
  value = v;
  return true;
}

// ---------------------------------------------------------------------------
// Numbers in free text.

int TNumStringFormat::EffectiveWidthLimit(int widthLimit) const {
  return widthLimit < 0 ? std::max(width_, 0) : widthLimit;
}

Real TNumStringFormat::FindReal(std::string_view text, int widthLimit, std::size_t& pos,
                                std::size_t& len) const {
  pos = std::string_view::npos;
  len = 0;
  std::size_t floor = 0;
  const std::size_t digit = FirstNumberDigit(text, floor);
  if (digit == std::string_view::npos) return 0;

  // A sign and a separator in front of the first digit belong to the number.
  std::size_t start = digit;
  for (int k = 0; k < 2 && start > floor && In(validChars_, text[start - 1]); ++k) --start;
  while (start < digit) {
    std::string piece(text.substr(start, digit - start + 1));
    if (Normalize(piece)) break;
    ++start;
  }

  const int limit = EffectiveWidthLimit(widthLimit);
  const std::size_t stop =
      limit > 0 ? std::min(text.size(), start + static_cast<std::size_t>(limit)) : text.size();
  std::size_t end = digit + 1;
  while (end < stop && (In(validChars_, text[end]) || std::strchr("*^_{}", text[end]) != nullptr))
    ++end;

  for (; end > digit; --end) {
    Real v = 0;
    if (TryParse(text.substr(start, end - start), v)) {
      pos = start;
      len = end - start;
      return v;
    }
  }
  return 0;
}

Real TNumStringFormat::ExtractReal(std::string_view text, std::string& match, bool reformat,
                                   int widthLimit) const {
  std::size_t pos = 0, len = 0;
  const Real v = FindReal(text, widthLimit, pos, len);
  if (pos == std::string_view::npos)
    match.clear();
  else
    match = reformat ? ToText(v) : std::string(text.substr(pos, len));
  return v;
}

long long TNumStringFormat::FindInt(std::string_view text, int widthLimit, std::size_t& pos,
                                    std::size_t& len) const {
  pos = std::string_view::npos;
  len = 0;
  std::size_t floor = 0;
  const std::size_t digit = FirstNumberDigit(text, floor);
  if (digit == std::string_view::npos) return 0;
  std::size_t start = digit;
  if (digit > floor && IsSign(text[digit - 1])) start = digit - 1;
  const int limit = EffectiveWidthLimit(widthLimit);
  const std::size_t stop =
      limit > 0 ? std::min(text.size(), start + static_cast<std::size_t>(limit)) : text.size();
  if (stop <= digit) start = digit;  // the limit leaves room for the digit only
  std::size_t end = digit + 1;
  while (end < stop && IsDigit(text[end])) ++end;

  const std::string_view number = text.substr(start, end - start);
  const std::string_view unsignedPart = number[0] == '+' ? number.substr(1) : number;
  long long v = 0;
  const auto r = std::from_chars(unsignedPart.data(), unsignedPart.data() + unsignedPart.size(), v);
  if (r.ec != std::errc{})
    throw ConvertError("\"" + std::string(number) + "\" is out of the integer range");
  pos = start;
  len = end - start;
  return v;
}

long long TNumStringFormat::ExtractInt(std::string_view text, std::string& match,
                                       int widthLimit) const {
  std::size_t pos = 0, len = 0;
  const long long v = FindInt(text, widthLimit, pos, len);
  match = pos == std::string_view::npos ? std::string() : std::string(text.substr(pos, len));
  return v;
}

Real TNumStringFormat::ReadReal(std::string_view text, int widthLimit) const {
  std::string match;
  return ExtractReal(text, match, false, widthLimit);
}

long long TNumStringFormat::ReadInt(std::string_view text, int widthLimit) const {
  std::string match;
  return ExtractInt(text, match, widthLimit);
}

Real TNumStringFormat::TakeReal(std::string& text, int widthLimit) const {
  std::size_t pos = 0, len = 0;
  const Real v = FindReal(text, widthLimit, pos, len);
  // Delete through the number actually read (an earlier copy of its text may
  // sit inside a name such as "L0").
  if (pos != std::string::npos) text.erase(0, pos + len);
  return v;
}

long long TNumStringFormat::TakeInt(std::string& text, int widthLimit) const {
  std::size_t pos = 0, len = 0;
  const long long v = FindInt(text, widthLimit, pos, len);
  if (pos != std::string::npos) text.erase(0, pos + len);
  return v;
}

}  // namespace tessmar
