#pragma once
// The number-format dialog ("Format"): edits one TNumStringFormat — decimal
// separator, kind of output, precision and width. The main window's "Format"
// button uses it on the format of the result table and the data files.

#include <functional>
#include <string>

#include "dialog/dialog_model.h"
#include "format/num_string_format.h"

namespace tessmar {

class TNumFormatDialog : public DialogModel {
 public:
  // Item indices of FType; they equal the TFloatFormat values.
  static constexpr int kCurrencyItem = static_cast<int>(TFloatFormat::Currency);

  TNumFormatDialog();

  // Show the settings of `format` in the fields.
  void Load(const TNumStringFormat& format);
  // What OK does: separator, type (Currency leaves the type unchanged),
  // precision and width go into `format`. FieldError when Dec is not one character.
  void OkBtnClick(TNumStringFormat& format) const;
  // Load, let `show` run the dialog (true for OK), apply on OK. Returns true on OK.
  bool Execute(TNumStringFormat& format, const std::function<bool(TNumFormatDialog&)>& show);

  // The field values.
  std::string Dec;
  int FType = 0;
  int Press = -1;
  int FWidth = 0;
};

}  // namespace tessmar
