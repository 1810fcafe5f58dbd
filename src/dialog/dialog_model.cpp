#include "dialog/dialog_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

#include "format/num_string_format.h"

namespace tessmar {

std::string_view FieldKindName(FieldKind kind) {
  switch (kind) {
    case FieldKind::Real: return "real";
    case FieldKind::Integer: return "integer";
    case FieldKind::Check: return "check";
    case FieldKind::Choice: return "choice";
    case FieldKind::Button: return "button";
    case FieldKind::Text: return "text";
  }
  return "?";
}

std::string StripAmpersands(std::string_view caption) {
  std::string out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      // "&&" is a literal ampersand
      if (i + 1 < caption.size() && caption[i + 1] == '&') out += '&', ++i;
      continue;
    }
    out += caption[i];
  }
  return out;
}

namespace {
std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}
std::string Trim(std::string_view s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}
std::string RangeText(const std::optional<Real>& lo, const std::optional<Real>& hi) {
  std::ostringstream os;
  os.precision(18);
  if (lo && hi)
    os << "from " << *lo << " to " << *hi;
  else if (lo)
    os << "at least " << *lo;
  else
    os << "at most " << *hi;
  return os.str();
}
}  // namespace

Field::Field(std::string name, std::string caption, FieldKind kind)
    : name_(std::move(name)), caption_(std::move(caption)), kind_(kind) {}

Field& Field::Help(std::string text) {
  help_ = std::move(text);
  return *this;
}
Field& Field::Range(Real min, Real max) {
  min_ = min;
  max_ = max;
  return *this;
}
Field& Field::Minimum(Real min) {
  min_ = min;
  return *this;
}
Field& Field::FormatBy(const TNumStringFormat* format) {
  format_ = format;
  return *this;
}
Field& Field::OnExit(std::function<void()> handler) {
  onExit_ = std::move(handler);
  return *this;
}

FieldValue Field::Get() const {
  if (!get_) return FieldValue{};
  return get_();
}

void Field::Set(const FieldValue& value) {
  FieldValue v = value;
  switch (kind_) {
    case FieldKind::Button:
      throw FieldError(name_, "is a button and takes no value");
    case FieldKind::Real:
      if (auto* i = std::get_if<long long>(&v)) v = static_cast<Real>(*i);
      if (!std::holds_alternative<Real>(v)) throw FieldError(name_, "expects a real number");
      if (!std::isfinite(std::get<Real>(v))) throw FieldError(name_, "expects a finite number");
      break;
    case FieldKind::Integer:
      if (auto* r = std::get_if<Real>(&v)) {
        if (*r != std::floor(*r)) throw FieldError(name_, "expects a whole number");
        v = static_cast<long long>(*r);
      }
      if (!std::holds_alternative<long long>(v)) throw FieldError(name_, "expects a whole number");
      break;
    case FieldKind::Check:
      if (!std::holds_alternative<bool>(v)) throw FieldError(name_, "expects true or false");
      break;
    case FieldKind::Choice: {
      if (auto* s = std::get_if<std::string>(&v)) {
        const auto idx = ItemIndex(*s);
        if (!idx) throw FieldError(name_, "has no item \"" + *s + "\"");
        v = static_cast<long long>(*idx);
      }
      if (!std::holds_alternative<long long>(v))
        throw FieldError(name_, "expects an item index or caption");
      const long long idx = std::get<long long>(v);
      if (idx < -1 || idx >= static_cast<long long>(items_.size()))
        throw FieldError(name_, "item index must be from 0 to " + std::to_string(items_.size() - 1));
      break;
    }
    case FieldKind::Text:
      if (!std::holds_alternative<std::string>(v)) throw FieldError(name_, "expects text");
      break;
  }
  if (kind_ == FieldKind::Real || kind_ == FieldKind::Integer) {
    const Real x = kind_ == FieldKind::Real ? std::get<Real>(v)
                                            : static_cast<Real>(std::get<long long>(v));
    if ((min_ && x < *min_) || (max_ && x > *max_))
      throw FieldError(name_, "must be " + RangeText(min_, max_));
  }
  put_(v);
  if (onExit_) onExit_();
}

void Field::SetText(std::string_view text) {
  const std::string t = Trim(text);
  switch (kind_) {
    case FieldKind::Real: {
      Real x = 0;
      const TNumStringFormat fallback;
      const TNumStringFormat& f = format_ ? *format_ : fallback;
      if (t.empty() || !f.TryParse(t, x)) throw FieldError(name_, "\"" + t + "\" is not a number");
      Set(x);
      return;
    }
    case FieldKind::Integer: {
      long long n = 0;
      std::size_t used = 0;
      try {
        n = std::stoll(t, &used);
      } catch (const std::exception&) {
        used = 0;
      }
      if (used == 0 || used != t.size())
        throw FieldError(name_, "\"" + t + "\" is not a whole number");
      Set(n);
      return;
    }
    case FieldKind::Check: {
      const std::string l = Lower(t);
      if (l == "true" || l == "1" || l == "yes" || l == "on") return Set(true);
      if (l == "false" || l == "0" || l == "no" || l == "off") return Set(false);
      throw FieldError(name_, "expects true or false, not \"" + t + "\"");
    }
    case FieldKind::Choice: {
      if (!t.empty() && (std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '-')) {
        std::size_t used = 0;
        long long n = 0;
        try {
          n = std::stoll(t, &used);
        } catch (const std::exception&) {
          used = 0;
        }
        if (used == t.size() && used > 0) return Set(n);
      }
      return Set(std::string(t));
    }
    case FieldKind::Text:
      return Set(std::string(text));
    case FieldKind::Button:
      throw FieldError(name_, "is a button and takes no value");
  }
}

std::string Field::Text() const {
  const FieldValue v = Get();
  switch (kind_) {
    case FieldKind::Real: {
      const TNumStringFormat fallback;
      return (format_ ? *format_ : fallback).ToText(std::get<Real>(v));
    }
    case FieldKind::Integer:
      return std::to_string(std::get<long long>(v));
    case FieldKind::Check:
      return std::get<bool>(v) ? "true" : "false";
    case FieldKind::Choice: {
      const long long i = std::get<long long>(v);
      return i >= 0 && i < static_cast<long long>(items_.size()) ? StripAmpersands(items_[i]) : "";
    }
    case FieldKind::Text:
      return std::get<std::string>(v);
    case FieldKind::Button:
      return StripAmpersands(caption_);
  }
  return {};
}

void Field::Press() {
  if (onExit_) onExit_();
}

void Field::Reset() {
  if (put_ && kind_ != FieldKind::Button) put_(default_);
}

std::optional<int> Field::ItemIndex(std::string_view caption) const {
  const std::string key = Lower(StripAmpersands(Trim(caption)));
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (Lower(StripAmpersands(items_[i])) == key) return static_cast<int>(i);
  return std::nullopt;
}

DialogModel::DialogModel(std::string key, std::string caption)
    : key_(std::move(key)), caption_(std::move(caption)) {}

Field* DialogModel::Find(std::string_view name) {
  for (auto& f : fields_)
    if (f.Name() == name) return &f;
  return nullptr;
}
const Field* DialogModel::Find(std::string_view name) const {
  for (const auto& f : fields_)
    if (f.Name() == name) return &f;
  return nullptr;
}
Field& DialogModel::At(std::string_view name) {
  if (Field* f = Find(name)) return *f;
  throw FieldError(std::string(name), "no such field in the dialog \"" + caption_ + "\"");
}

void DialogModel::ResetToDefaults() {
  for (auto& f : fields_) f.Reset();
}

Field& DialogModel::Add(Field f) {
  if (Find(f.Name())) throw std::logic_error("duplicate field " + f.Name());
  fields_.push_back(std::move(f));
  Field& added = fields_.back();
  added.Reset();
  return added;
}

Field& DialogModel::AddReal(std::string name, std::string caption, Real& target, Real def) {
  Field f(std::move(name), std::move(caption), FieldKind::Real);
  f.default_ = def;
  f.get_ = [&target] { return FieldValue{target}; };
  f.put_ = [&target](const FieldValue& v) { target = std::get<Real>(v); };
  return Add(std::move(f));
}

Field& DialogModel::AddInteger(std::string name, std::string caption, int& target, int def) {
  Field f(std::move(name), std::move(caption), FieldKind::Integer);
  f.default_ = static_cast<long long>(def);
  f.get_ = [&target] { return FieldValue{static_cast<long long>(target)}; };
  f.put_ = [&target](const FieldValue& v) { target = static_cast<int>(std::get<long long>(v)); };
  return Add(std::move(f));
}

Field& DialogModel::AddCheck(std::string name, std::string caption, bool& target, bool def) {
  Field f(std::move(name), std::move(caption), FieldKind::Check);
  f.default_ = def;
  f.get_ = [&target] { return FieldValue{target}; };
  f.put_ = [&target](const FieldValue& v) { target = std::get<bool>(v); };
  return Add(std::move(f));
}

Field& DialogModel::AddChoice(std::string name, std::string caption, int& target,
                              std::vector<std::string> items, int def) {
  Field f(std::move(name), std::move(caption), FieldKind::Choice);
  f.items_ = std::move(items);
  f.default_ = static_cast<long long>(def);
  f.get_ = [&target] { return FieldValue{static_cast<long long>(target)}; };
  f.put_ = [&target](const FieldValue& v) { target = static_cast<int>(std::get<long long>(v)); };
  return Add(std::move(f));
}

Field& DialogModel::AddText(std::string name, std::string caption, std::string& target,
                            std::string def) {
  Field f(std::move(name), std::move(caption), FieldKind::Text);
  f.default_ = std::move(def);
  f.get_ = [&target] { return FieldValue{target}; };
  f.put_ = [&target](const FieldValue& v) { target = std::get<std::string>(v); };
  return Add(std::move(f));
}

Field& DialogModel::AddButton(std::string name, std::string caption, std::function<void()> click) {
  Field f(std::move(name), std::move(caption), FieldKind::Button);
  f.onExit_ = std::move(click);
  return Add(std::move(f));
}

}  // namespace tessmar
