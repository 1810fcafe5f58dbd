#pragma once
// Every real number the program shows in a field or a table cell, or writes to
// a text file, is turned into text here; every number typed or read from a
// file comes back through the same object's tolerant parser.

#include <set>
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

class TNumStringFormat {
 public:
  TNumStringFormat();

  // The separators of the user's locale; this program fixes them to "." and " ".
  static char SystemDecSeparator();
  static char SystemThousandSeparator();

  [[nodiscard]] TFloatFormat FormatType() const { return formatType_; }
  void SetFormatType(TFloatFormat t);
  [[nodiscard]] int Pressigion() const { return pressigion_; }
  void SetPressigion(int p);  // -1..18
  [[nodiscard]] int Width() const { return width_; }
  void SetWidth(int w);  // signed 8-bit
  [[nodiscard]] char DecSeparator() const { return decSeparator_; }
  void SetDecSeparator(char c);
  [[nodiscard]] bool DefaultDec() const { return defaultDec_; }
  void SetDefaultDec(bool d);
  [[nodiscard]] bool RaiseConvertError() const { return raiseConvertError_; }
  void SetRaiseConvertError(bool r) { raiseConvertError_ = r; }

  [[nodiscard]] const std::string& Pattern() const { return pattern_; }
  [[nodiscard]] bool UseOwnSeparator() const { return useOwnSeparator_; }
  [[nodiscard]] char GetDecSeparator() const;

  // value -> text in this format
  [[nodiscard]] std::string ToText(Real value) const;
  // Rewrite free-form numeric text into the system form; false on failure.
  bool Normalize(std::string& text) const;
  // Keystroke filter: returns true when the key must be rejected; may rewrite the key.
  bool CheckKey(char& key, std::string_view text, int caret) const;
  // Conversion of an edited field; throws ConvertError when RaiseConvertError is set.
  void TextToValue(std::string_view text, Real& value, std::string& newText,
                   bool keepFormat) const;
  [[nodiscard]] bool IsNumber(std::string_view text) const;
  // Conversion without errors: true and value updated on success.
  bool TryParse(std::string_view text, Real& value) const;

  // First real / integer number in a line of free text. widthLimit < 0 means
  // max(Width, 0); 0 means no limit.
  Real ExtractReal(std::string_view text, std::string& match, bool reformat = false,
                   int widthLimit = -1) const;
  long long ExtractInt(std::string_view text, std::string& match, int widthLimit = -1) const;
  [[nodiscard]] Real ReadReal(std::string_view text, int widthLimit = -1) const;
  [[nodiscard]] long long ReadInt(std::string_view text, int widthLimit = -1) const;
  // Extract the first number and delete the text up to and including it.
  Real TakeReal(std::string& text, int widthLimit = -1) const;
  long long TakeInt(std::string& text, int widthLimit = -1) const;

 private:
  void RebuildPattern();

  TFloatFormat formatType_ = TFloatFormat::General;
  int pressigion_ = -1;
  int width_ = 0;
  char decSeparator_ = '.';
  bool defaultDec_ = true;
  bool raiseConvertError_ = false;
  bool useOwnSeparator_ = false;
  std::string pattern_ = "%g";
  std::set<char> decChars_, ignoreChars_, validChars_, allChars_;
};

}  // namespace tessmar
