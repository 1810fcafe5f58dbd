// The save options of the result files.

#include "run/save_options.h"

#include <cmath>

#include "base/question_port.h"

namespace tessmar {

std::string WithDirSeparator(const std::string& dir) {
  if (dir.empty()) return dir;
  const char last = dir.back();
  if (last == '/' || last == '\\' || last == ':') return dir;
  return dir + "/";
}

TSaveFileOptions::TSaveFileOptions() : DialogModel("save", "SaveFileOptions") {
  NameStr.SetPressigion(4);
  NameStr.SetDecSeparator('p');
  NameStr.SetDefaultDec(false);

  AddText("DirLabel", "Directory", DirLabel, "")
      .Help("save directory of the profiles, pictures and histories");
  AddButton("DirButton", "&Directiry:", [this] { DirButtonClick(); });
  AddReal("Scal", "&Name: Time *", Scal, 1)
      .Help("factor applied to the time in file names; its order sets Add (12: ps)")
      .OnExit([this] { ScalExit(); });
  AddChoice("RadioGroup1", "Format:", RadioGroup1, {"&Auto", "&Fixed"}, 0).OnExit([this] {
    RadioGroup1Click();
  });
  AddChoice("FormatType", "Format type", FormatType, {"General", "Exponent", "Fixed"}, 0)
      .OnExit([this] { FormatTypeChange(); });
  AddInteger("Press", "&Pressigion:", Press, 4).Range(-1, 8).OnExit([this] { FormatTypeChange(); });
  AddInteger("FWidth", "&Width:", FWidth, 0).Range(0, 16).OnExit([this] { FormatTypeChange(); });
  AddText("AddStr", "&Add:", AddStr, "").Help("text appended to every name (a unit)");
  AddChoice("GraphType", "Picture", GraphType, {"BMP", "JPEG"}, -1);
  RadioGroup1Click();
}

void TSaveFileOptions::ScalExit() {
  if (!(Scal > 0)) return;
  const long order = std::lround(static_cast<double>(std::log10(Scal)));
  switch (order) {
    case 3: AddStr = "ms"; break;
    case 6: AddStr = "mks"; break;
    case 9: AddStr = "ns"; break;
    case 12: AddStr = "ps"; break;
    case 15: AddStr = "fs"; break;
    default: break;
  }
}

void TSaveFileOptions::RadioGroup1Click() {
  Panel1Visible = RadioGroup1 == 1;
  for (const char* n : {"FormatType", "Press", "FWidth"})
    if (Field* f = Find(n)) f->SetVisible(Panel1Visible);
}

void TSaveFileOptions::FormatTypeChange() {
  if (FormatType >= 0 && FormatType <= 2)
    NameStr.SetFormatType(static_cast<TFloatFormat>(FormatType));
  NameStr.SetPressigion(Press);
  NameStr.SetWidth(FWidth);
}

void TSaveFileOptions::DirButtonClick() {
  if (!Port) return;
  if (auto d = Port->ChooseDirectory("Directory", DirLabel)) DirLabel = *d;
}

bool TSaveFileOptions::ChooseSaveOptions(const std::string& suggestion) {
  if (!suggestion.empty()) DirLabel = suggestion;
  if (GraphType < 0) GraphType = kJPEG;
  if (ShowModal && !ShowModal(*this)) return false;
  Dir = WithDirSeparator(DirLabel);
  return true;
}

std::string TSaveFileOptions::FormatTimeName(Real t) const {
  TNumStringFormat fmt = NameStr;
  if (RadioGroup1 == 0) {
    if (t < 0.01L || t >= 999.999L) {
      fmt.SetFormatType(TFloatFormat::General);
      fmt.SetPressigion(4);
      fmt.SetWidth(0);
    } else {
      fmt.SetFormatType(TFloatFormat::Fixed);
      fmt.SetPressigion(3);
      fmt.SetWidth(8);
    }
  }
  std::string s = fmt.ToText(t * Scal);
  // the exponent as a plain integer: 1p5E-005 -> 1p5E-5, 1E007 -> 1E7
  if (const auto e = s.find_first_of("Ee"); e != std::string::npos) {
    std::string exp = s.substr(e + 1, 5);
    const std::string rest = s.substr(std::min(s.size(), e + 1 + exp.size()));
    std::string sign;
    std::size_t k = 0;
    if (k < exp.size() && (exp[k] == '-' || exp[k] == '+')) {
      if (exp[k] == '-') sign = "-";
      ++k;
    }
    std::string digits;
    for (; k < exp.size() && exp[k] >= '0' && exp[k] <= '9'; ++k) digits += exp[k];
    const std::string tail = exp.substr(k) + rest;
    while (digits.size() > 1 && digits.front() == '0') digits.erase(0, 1);
    if (!digits.empty()) s = s.substr(0, e + 1) + sign + digits + tail;
  }
  // "-" of the mantissa becomes "#", the blanks in front of it "0"
  const std::size_t mantEnd = std::min(s.find_first_of("Ee"), s.size());
  if (const auto m = s.find('-'); m != std::string::npos && m < mantEnd) {
    s[m] = '#';
    for (std::size_t k = 0; k < m; ++k)
      if (s[k] == ' ') s[k] = '0';
  }
  for (std::size_t k = 0; k < s.size() && s[k] == ' '; ++k) s[k] = '0';
  return s;
}

std::string TSaveFileOptions::FileBaseName(Real t) const {
  return Dir + FormatTimeName(t) + AddStr;
}

}  // namespace tessmar
