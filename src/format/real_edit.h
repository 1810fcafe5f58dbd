#pragma once
// The logic of the numeric edit field: a single-line field that holds an
// extended value, shows it through its format, filters keystrokes and converts
// the text back on demand. No GUI toolkit here: a widget forwards its text
// changes, keys and focus events to this class and shows Text().
//
// State: the current value, the value saved at the last accepted entry (what
// Esc restores) and a flag telling that the text was edited since the value was
// last shown. The text is always upper case.

#include <functional>
#include <string>
#include <string_view>

#include "format/num_str_ct.h"

namespace tessmar {

class QuestionPort;

class TRealEdit : public TFormatHolder {
 public:
  using Notification = std::function<void(TRealEdit&)>;
  using ErrorNotification = std::function<void(TRealEdit&, const ConvertError&)>;

  // `port` receives the beep of a rejected key; may be null (silent).
  explicit TRealEdit(QuestionPort* port = nullptr);

  // The value; when the text was edited it is converted first (TextToValue with
  // ValueFormat). A conversion error goes to OnConvertError when assigned, is
  // thrown when RaiseConvertError is set, and otherwise keeps the old value.
  Real Value();
  // Store the value, show it, clear the modified flag. The value also becomes
  // the one Esc restores.
  void SetValue(Real v);

  [[nodiscard]] const std::string& Text() const { return text_; }
  [[nodiscard]] bool Modified() const { return modified_; }

  // The format in use (the edit's own, or the one of its FormatControl).
  [[nodiscard]] TNumStringFormat& StringFormat() { return Format(); }
  void SetStringFormat(const TNumStringFormat& f) { Assign(f); }

  // true: an accepted or converted text is rewritten in the format.
  [[nodiscard]] bool ValueFormat() const { return valueFormat_; }
  void SetValueFormat(bool v) { valueFormat_ = v; }

  // true also sets the format's flag and removes OnConvertError.
  [[nodiscard]] bool RaiseConvertError() const { return raiseConvertError_; }
  void SetRaiseConvertError(bool r);
  // Assigning a handler sets the format's flag and clears RaiseConvertError.
  void SetOnConvertError(ErrorNotification handler);
  void SetOnEnterPress(Notification handler) { onEnterPress_ = std::move(handler); }
  // Moves the focus to the control that follows on Enter.
  void SetNextOnEnter(std::function<void()> focusNext) { nextOnEnter_ = std::move(focusNext); }
  void SetQuestionPort(QuestionPort* port) { port_ = port; }

  // Show the value again in the current format (after a format change).
  void Refresh();

  // --- events forwarded by the widget ---
  // The text was changed by the user (stored in upper case); calls Change.
  void EditText(std::string_view text);
  // Sets the modified flag.
  void Change() { modified_ = true; }
  // A key typed at `caret`. Enter ('\r') and Esc ('\x1b') act at once; other
  // control characters pass; printable keys go through CheckKey, which may
  // rewrite them. A rejected key beeps. Returns false (and sets key to 0) when
  // the key must be dropped.
  bool KeyPress(char& key, int caret);
  // KeyPress, then insert an accepted printable key at `caret` (as a field does).
  bool TypeKey(char key, int caret);
  void PressEnter();
  void PressEscape();
  // Focus enters the field (DoEnter).
  void DoEnter();

 protected:
  void FormatObjectChanged() override;

 private:
  void Show(Real v);

  QuestionPort* port_ = nullptr;
  Real value_ = 0;
  Real saved_ = 0;
  std::string text_;
  bool modified_ = false;
  bool valueFormat_ = false;
  bool raiseConvertError_ = false;
  ErrorNotification onConvertError_;
  Notification onEnterPress_;
  std::function<void()> nextOnEnter_;
};

}  // namespace tessmar
