// Event logic of the numeric edit field.

#include "format/real_edit.h"

#include <algorithm>
#include <cctype>

#include "base/question_port.h"

namespace tessmar {

namespace {
std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}
}  // namespace

TRealEdit::TRealEdit(QuestionPort* port) : port_(port) {
  Show(value_);
}

void TRealEdit::Show(Real v) {
  text_ = Upper(Format().ToText(v));
  modified_ = false;
}

void TRealEdit::SetValue(Real v) {
  value_ = v;
  saved_ = v;
  Show(v);
}

void TRealEdit::Refresh() {
  if (!modified_) Show(value_);
}

void TRealEdit::FormatObjectChanged() {
  Refresh();
}

Real TRealEdit::Value() {
  if (!modified_) return value_;
  Real v = value_;
  std::string newText;
  try {
    Format().TextToValue(text_, v, newText, valueFormat_);
  } catch (const ConvertError& e) {
    text_ = Upper(newText);
    modified_ = false;
    if (onConvertError_) {
      onConvertError_(*this, e);
    } else if (raiseConvertError_) {
      throw;
    }
    return value_;
  }
  value_ = v;
  text_ = Upper(newText);
  modified_ = false;
  return value_;
}

void TRealEdit::SetRaiseConvertError(bool r) {
  raiseConvertError_ = r;
  if (r) {
    Format().SetRaiseConvertError(true);
    onConvertError_ = nullptr;
  }
}

void TRealEdit::SetOnConvertError(ErrorNotification handler) {
  onConvertError_ = std::move(handler);
  if (onConvertError_) Format().SetRaiseConvertError(true);
  raiseConvertError_ = false;
}

void TRealEdit::EditText(std::string_view text) {
  text_ = Upper(text);
  Change();
}

bool TRealEdit::KeyPress(char& key, int caret) {
  if (key == '\r') {
    key = 0;
    PressEnter();
    return false;
  }
  if (key == '\x1b') {
    key = 0;
    PressEscape();
    return false;
  }
  if (static_cast<unsigned char>(key) < 32) return true;  // backspace and other editing keys
  if (Format().CheckKey(key, text_, caret)) {
    key = 0;
    if (port_) port_->Notify(Sound::Beep);
    return false;
  }
  key = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
  return true;
}

bool TRealEdit::TypeKey(char key, int caret) {
  if (!KeyPress(key, caret)) return false;
  if (static_cast<unsigned char>(key) < 32) return true;
  std::string t = text_;
  const auto at = static_cast<std::size_t>(std::clamp(caret, 0, static_cast<int>(t.size())));
  t.insert(at, 1, key);
  EditText(t);
  return true;
}

void TRealEdit::PressEnter() {
  if (modified_) {
    Real v = value_;
    if (!Format().TryParse(text_, v)) {
      Show(value_);  // the previous value comes back
      return;
    }
    value_ = v;
    modified_ = false;
    if (valueFormat_) Show(value_);
  }
  saved_ = value_;
  if (onEnterPress_) onEnterPress_(*this);
  if (nextOnEnter_) nextOnEnter_();
}

void TRealEdit::PressEscape() {
  value_ = saved_;
  Show(saved_);
}

void TRealEdit::DoEnter() {
  if (modified_) {
    Real v = value_;
    if (!Format().TryParse(text_, v)) return;
    value_ = v;
    modified_ = false;
  }
  saved_ = value_;
}

}  // namespace tessmar
