#pragma once
// Components that hold a number format. A holder either owns its
// TNumStringFormat or follows another holder named by FormatControl and then
// uses that holder's format object itself, so one change of precision or
// separator acts on every field and table that follows it. Chains are followed
// to their source. When a holder stops following (FormatControl cleared, or the
// source destroyed) it keeps a private copy of the settings it was using.
//
// Holders are non-copyable, non-movable identities: followers know their source
// and sources know their followers, and each side unregisters itself when it
// is destroyed, so no link ever dangles.

#include <memory>
#include <vector>

#include "format/num_string_format.h"

namespace tessmar {

class TFormatHolder {
 public:
  TFormatHolder();
  virtual ~TFormatHolder();
  TFormatHolder(const TFormatHolder&) = delete;
  TFormatHolder& operator=(const TFormatHolder&) = delete;

  // The format in use: the holder's own, or the one of its source.
  [[nodiscard]] TNumStringFormat& Format() { return *format_; }
  [[nodiscard]] const TNumStringFormat& Format() const { return *format_; }

  // The holder this one follows; nullptr when it owns its format.
  [[nodiscard]] TFormatHolder* FormatControl() const { return source_; }
  // Follow `source` (nullptr: stop following and keep a private copy). A link
  // that would close a circle throws std::invalid_argument.
  void SetFormatControl(TFormatHolder* source);
  [[nodiscard]] bool OwnsFormat() const { return source_ == nullptr; }

  // Copy the settings of a format into the format in use.
  void Assign(const TNumStringFormat& format);
  // Follow the same source as `other`, or copy its settings when it has none.
  void Assign(const TFormatHolder& other);
  void AssignTo(TNumStringFormat& format) const { format = Format(); }
  void AssignTo(TFormatHolder& other) const { other.Assign(*this); }

 protected:
  // Called after the format object in use was replaced by another one.
  virtual void FormatObjectChanged() {}

 private:
  void Bind(std::shared_ptr<TNumStringFormat> format);
  void Unlink();

  std::shared_ptr<TNumStringFormat> format_;
  TFormatHolder* source_ = nullptr;
  std::vector<TFormatHolder*> followers_;
};

// The non-visual format component: the main window's `NumStr` (result table and
// data files) and the save options' `NameStr` (file names). Its six published
// format properties forward to the format in use.
class TNumStrCt : public TFormatHolder {
 public:
  TNumStrCt() = default;

  [[nodiscard]] TFloatFormat FormatType() const { return Format().FormatType(); }
  void SetFormatType(TFloatFormat t) { Format().SetFormatType(t); }
  [[nodiscard]] int Pressigion() const { return Format().Pressigion(); }
  void SetPressigion(int p) { Format().SetPressigion(p); }
  [[nodiscard]] int Width() const { return Format().Width(); }
  void SetWidth(int w) { Format().SetWidth(w); }
  [[nodiscard]] char DecSeparator() const { return Format().DecSeparator(); }
  void SetDecSeparator(char c) { Format().SetDecSeparator(c); }
  [[nodiscard]] bool DefaultDec() const { return Format().DefaultDec(); }
  void SetDefaultDec(bool d) { Format().SetDefaultDec(d); }
  [[nodiscard]] bool RaiseConvertError() const { return Format().RaiseConvertError(); }
  void SetRaiseConvertError(bool r) { Format().SetRaiseConvertError(r); }
};

}  // namespace tessmar
