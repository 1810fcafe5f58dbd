#pragma once
// Every real number the program shows in a field or a table cell, or writes to
// a text file, is turned into text here; every number typed or read from a
// file comes back through the same object's tolerant parser.
//
// Output is exact and independent of the C library's printf: the digits are
// computed from the 80-bit value itself (never through double), rounded half
// away from zero to at most 18 significant digits. Input never depends on the
// process locale: the system separators are fixed to "." (decimal) and " "
// (thousands).

#include <bitset>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/real.h"

namespace tessmar {

enum class TFloatFormat { General = 0, Exponent = 1, Fixed = 2, FirstPoint = 3, Currency = 4 };

// Text that cannot be read as a number ("Not Float Number Char(s)").
class ConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The message of a conversion error caused by characters that are no part of a number.
inline constexpr const char* kNotFloatNumberChars = "Not Float Number Char(s)";

class TNumStringFormat {
 public:
  TNumStringFormat();

  // The separators of the user's locale; this program fixes them to "." and " ".
  static char SystemDecSeparator();
  static char SystemThousandSeparator();

  // Kind of output. Currency and an unchanged value are ignored by the setter.
  [[nodiscard]] TFloatFormat FormatType() const { return formatType_; }
  void SetFormatType(TFloatFormat t);
  // Precision, -1..18; -1 means "the pattern carries no precision" (15 significant
  // digits for General and Exponent, 2 decimals for Fixed). std::out_of_range outside.
  [[nodiscard]] int Pressigion() const { return pressigion_; }
  void SetPressigion(int p);
  // Field width, a signed 8-bit value: > 0 pads in front, < 0 pads behind.
  // std::out_of_range outside -128..127.
  [[nodiscard]] int Width() const { return width_; }
  void SetWidth(int w);
  // Decimal separator of the output. A character that already has another meaning
  // for the parser (a digit, a sign, an exponent letter, a blank ...) is ignored.
  [[nodiscard]] char DecSeparator() const { return decSeparator_; }
  void SetDecSeparator(char c);
  // true: write the system separator instead of DecSeparator.
  [[nodiscard]] bool DefaultDec() const { return defaultDec_; }
  void SetDefaultDec(bool d);
  // Text that cannot be converted makes TextToValue throw ConvertError.
  [[nodiscard]] bool RaiseConvertError() const { return raiseConvertError_; }
  void SetRaiseConvertError(bool r) { raiseConvertError_ = r; }

  // "%[width][.precision]letter", letter g, e (also the first-point form), f or m.
  [[nodiscard]] const std::string& Pattern() const { return pattern_; }
  [[nodiscard]] bool UseOwnSeparator() const { return useOwnSeparator_; }
  [[nodiscard]] char GetDecSeparator() const;

  // value -> text in this format
  [[nodiscard]] std::string ToText(Real value) const;
  // Rewrite free-form numeric text into the system form ("1,5" -> "1.5",
  // "2.5*10**3" -> "2.5E3", "E3" -> "1E3"). Returns false and leaves the text
  // unchanged when it holds characters that cannot belong to a number.
  bool Normalize(std::string& text) const;
  // Keystroke filter: returns true when the key typed at `caret` in `text` must be
  // rejected; an accepted exponent letter becomes "E" and an accepted decimal
  // separator becomes GetDecSeparator().
  bool CheckKey(char& key, std::string_view text, int caret) const;
  // Conversion of an edited field. `value` is updated on success; `newText` is
  // the text the field should show. Throws ConvertError when RaiseConvertError is
  // set and the text is not a number (newText is set before the throw).
  void TextToValue(std::string_view text, Real& value, std::string& newText, bool keepFormat) const;
  [[nodiscard]] bool IsNumber(std::string_view text) const;
  // Conversion without errors: true and value updated on success.
  bool TryParse(std::string_view text, Real& value) const;

  // First real / integer number in a line of free text. widthLimit < 0 means
  // max(Width, 0); 0 means no limit. No number: 0 and an empty match. Digits
  // that belong to a name ("L0", "dt1") are not numbers.
  Real ExtractReal(std::string_view text, std::string& match, bool reformat = false,
                   int widthLimit = -1) const;
  // Throws ConvertError when the digits do not fit a long long.
  long long ExtractInt(std::string_view text, std::string& match, int widthLimit = -1) const;
  [[nodiscard]] Real ReadReal(std::string_view text, int widthLimit = -1) const;
  [[nodiscard]] long long ReadInt(std::string_view text, int widthLimit = -1) const;
  // Extract the first number and delete the text up to and including it, so that
  // repeated calls read a line number by number.
  Real TakeReal(std::string& text, int widthLimit = -1) const;
  long long TakeInt(std::string& text, int widthLimit = -1) const;

 private:
  using CharSet = std::bitset<256>;
  static bool In(const CharSet& set, char c) { return set.test(static_cast<unsigned char>(c)); }
  static void Add(CharSet& set, char c) { set.set(static_cast<unsigned char>(c)); }

  void RebuildPattern();
  [[nodiscard]] int EffectiveWidthLimit(int widthLimit) const;
  // Position and length of the first real number; npos when there is none.
  Real FindReal(std::string_view text, int widthLimit, std::size_t& pos, std::size_t& len) const;
  long long FindInt(std::string_view text, int widthLimit, std::size_t& pos,
                    std::size_t& len) const;

  TFloatFormat formatType_ = TFloatFormat::General;
  int pressigion_ = -1;
  int width_ = 0;
  char decSeparator_ = '.';
  bool defaultDec_ = true;
  bool raiseConvertError_ = false;
  bool useOwnSeparator_ = false;
  std::string pattern_ = "%g";
  // DecChars, IgnoreChars, ValidChars and AllChars of the parser.
  CharSet decChars_, ignoreChars_, validChars_, allChars_;
};

}  // namespace tessmar
