// Fields and OK action of the number-format dialog.

#include "dialog/num_format_dialog.h"

namespace tessmar {

namespace {
void CheckDec(const std::string& dec) {
  if (dec.size() != 1) throw FieldError("Dec", "must be exactly one character");
}
}  // namespace

TNumFormatDialog::TNumFormatDialog() : DialogModel("format", "Format") {
  AddText("Dec", "Dec separator", Dec, std::string(1, TNumStringFormat::SystemDecSeparator()))
      .Help("One character written between the integer and the fractional part");
  // The separator edit holds one character; refuse anything else when it is left.
  Field& dec = At("Dec");
  dec.OnExit([this] {
    if (Dec.size() != 1) {
      const std::string bad = Dec;
      Dec = std::string(1, TNumStringFormat::SystemDecSeparator());
      throw FieldError("Dec", "must be exactly one character, not \"" + bad + "\"");
    }
  });
  AddChoice("FType", "", FType, {"General", "Exponent", "Fixed", "FirstPoint", "Currency"}, 0);
  AddInteger("Press", "&Pressision", Press, -1).Range(-1, 18);
  AddInteger("FWidth", "&Width", FWidth, 0).Range(-100, 100);
}

void TNumFormatDialog::Load(const TNumStringFormat& format) {
  Dec = std::string(1, format.DecSeparator());
  FType = static_cast<int>(format.FormatType());
  Press = format.Pressigion();
  FWidth = format.Width();
}

void TNumFormatDialog::OkBtnClick(TNumStringFormat& format) const {
  CheckDec(Dec);
  // Validate everything before changing anything, so a refused OK changes nothing.
  if (Press < -1 || Press > 18) throw FieldError("Press", "must be from -1 to 18");
  if (FWidth < -100 || FWidth > 100) throw FieldError("FWidth", "must be from -100 to 100");
  format.SetDecSeparator(Dec[0]);
  // Currency is offered but not supported: the setter leaves the type as it is.
  if (FType >= 0) format.SetFormatType(static_cast<TFloatFormat>(FType));
  format.SetPressigion(Press);
  format.SetWidth(FWidth);
}

bool TNumFormatDialog::Execute(TNumStringFormat& format,
                               const std::function<bool(TNumFormatDialog&)>& show) {
  Load(format);
  if (!show || !show(*this)) return false;
  OkBtnClick(format);
  return true;
}

}  // namespace tessmar
