#pragma once
// Dialogs are parameter collectors. Each dialog is a plain model class whose
// fields carry the control names of the program (`Len`, `Rho0`, `gamma` ...).
// The model publishes every field once, as a descriptor: name, caption, kind,
// default, range, items, enabled and visible state, and the handler that runs
// when the field is left. The desktop program builds its forms from the
// descriptors, the batch runner reads run files through them, and tests drive
// the models directly, so the three can never drift apart.

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/real.h"

namespace tessmar {

class TNumStringFormat;

enum class FieldKind { Real, Integer, Check, Choice, Button, Text };
std::string_view FieldKindName(FieldKind kind);

// Real for Real fields, long long for Integer and Choice (item index, -1 for
// none chosen), bool for Check, text for Text. Buttons carry no value.
using FieldValue = std::variant<Real, long long, bool, std::string>;

// A value that a field refuses; names the field.
class FieldError : public std::runtime_error {
 public:
  FieldError(std::string field, const std::string& message)
      : std::runtime_error(field + ": " + message), field_(std::move(field)) {}
  [[nodiscard]] const std::string& Field() const { return field_; }

 private:
  std::string field_;
};

// Caption without the access-key ampersands: "Ideal gas &of:" -> "Ideal gas of:".
std::string StripAmpersands(std::string_view caption);

class Field {
 public:
  Field(std::string name, std::string caption, FieldKind kind);

  [[nodiscard]] const std::string& Name() const { return name_; }
  [[nodiscard]] const std::string& Caption() const { return caption_; }
  [[nodiscard]] FieldKind Kind() const { return kind_; }
  [[nodiscard]] const std::string& HelpText() const { return help_; }
  [[nodiscard]] const FieldValue& Default() const { return default_; }
  [[nodiscard]] const std::optional<Real>& Min() const { return min_; }
  [[nodiscard]] const std::optional<Real>& Max() const { return max_; }
  [[nodiscard]] const std::vector<std::string>& Items() const { return items_; }
  [[nodiscard]] const TNumStringFormat* Format() const { return format_; }
  [[nodiscard]] bool Enabled() const { return enabled_; }
  [[nodiscard]] bool Visible() const { return visible_; }

  // Builder-style settings, used by the models when they publish fields.
  Field& Help(std::string text);
  Field& Range(Real min, Real max);
  Field& Minimum(Real min);
  Field& FormatBy(const TNumStringFormat* format);
  Field& OnExit(std::function<void()> handler);

  void SetEnabled(bool e) { enabled_ = e; }
  void SetVisible(bool v) { visible_ = v; }

  // Current value of the bound model member.
  [[nodiscard]] FieldValue Get() const;
  // As if typed and left: checks kind and range, stores, then runs the exit
  // handler. Throws FieldError for a value of the wrong kind or out of range.
  void Set(const FieldValue& value);
  // As if typed from text: numbers through the field's format (tolerant), choices
  // by index or by caption with or without ampersands, checks as true/false/1/0.
  void SetText(std::string_view text);
  // The value as the control shows it.
  [[nodiscard]] std::string Text() const;
  // A button's click, or a choice's / check's handler without changing the value.
  void Press();
  // Store the default without running handlers.
  void Reset();
  // Index of a choice item given by caption (ampersands ignored, case-insensitive).
  [[nodiscard]] std::optional<int> ItemIndex(std::string_view caption) const;

 private:
  friend class DialogModel;
  std::string name_, caption_, help_;
  FieldKind kind_;
  FieldValue default_;
  std::optional<Real> min_, max_;
  std::vector<std::string> items_;
  const TNumStringFormat* format_ = nullptr;
  bool enabled_ = true, visible_ = true;
  std::function<FieldValue()> get_;
  std::function<void(const FieldValue&)> put_;
  std::function<void()> onExit_;
};

class DialogModel {
 public:
  // key: the run-file table of this dialog ("eos"); caption: its window title.
  DialogModel(std::string key, std::string caption);
  virtual ~DialogModel() = default;
  DialogModel(const DialogModel&) = delete;
  DialogModel& operator=(const DialogModel&) = delete;

  [[nodiscard]] const std::string& Key() const { return key_; }
  [[nodiscard]] const std::string& Caption() const { return caption_; }
  [[nodiscard]] const std::deque<Field>& Fields() const { return fields_; }
  [[nodiscard]] Field* Find(std::string_view name);
  [[nodiscard]] const Field* Find(std::string_view name) const;
  // The field of that name; FieldError when there is none.
  Field& At(std::string_view name);

  // The control that has the input focus (checks move it to the offending field).
  [[nodiscard]] const std::string& Focus() const { return focus_; }
  void SetFocus(std::string name) { focus_ = std::move(name); }

  // Every field back to its default, without running handlers.
  void ResetToDefaults();

 protected:
  Field& AddReal(std::string name, std::string caption, Real& target, Real def);
  Field& AddInteger(std::string name, std::string caption, int& target, int def);
  Field& AddCheck(std::string name, std::string caption, bool& target, bool def);
  // A radio group or combo box; target holds the item index, -1 for none.
  Field& AddChoice(std::string name, std::string caption, int& target,
                   std::vector<std::string> items, int def);
  Field& AddText(std::string name, std::string caption, std::string& target, std::string def);
  Field& AddButton(std::string name, std::string caption, std::function<void()> click);

 private:
  Field& Add(Field f);
  std::string key_, caption_, focus_;
  std::deque<Field> fields_;
};

}  // namespace tessmar
