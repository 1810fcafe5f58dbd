#pragma once
// The save options ("SaveFileOptions"): where and under which names the
// profiles and pictures of a run are written. Run-file table:
// "save".
//
// Directory separator (deliberate platform deviation): the program this
// follows ends Dir in "\" (Windows). Here a Dir that does not already end in
// "/", "\" or ":" gets "/" appended, so names built from it work on Linux.

#include <functional>
#include <string>

#include "dialog/dialog_model.h"
#include "format/num_string_format.h"

namespace tessmar {

class QuestionPort;

class TSaveFileOptions : public DialogModel {
 public:
  TSaveFileOptions();

  // Picture types of GraphType.
  static constexpr int kBMP = 0;
  static constexpr int kJPEG = 1;

  std::string Dir;             // save directory; ends in a separator when not empty
  std::string DirLabel;        // the directory the dialog shows (field "DirLabel")
  Real Scal = 1;               // "&Name: Time *"; leaving it sets AddStr from its order
  int RadioGroup1 = 0;         // "Format:" 0 Auto, 1 Fixed
  int FormatType = 0;          // General, Exponent, Fixed (Fixed mode only)
  int Press = 4;               // "&Pressigion:" -1..8
  int FWidth = 0;              // "&Width:" 0..16
  std::string AddStr;          // "&Add:", appended to every name
  int GraphType = -1;          // 0 BMP, 1 JPEG, -1 none (JPEG is selected on first display)
  bool Panel1Visible = false;  // the Fixed-mode controls
  // Format of the names: Pressigion 4, DecSeparator "p", DefaultDec false.
  TNumStringFormat NameStr;

  // Runs the dialog modally (true for OK). Empty: the dialog is accepted as it
  // stands (the batch runner sets the fields beforehand).
  std::function<bool(TSaveFileOptions&)> ShowModal;
  // Port for the directory chooser of DirButton; may stay null (nothing chosen).
  QuestionPort* Port = nullptr;

  // Exit rules of the fields.
  void ScalExit();          // AddStr from round(log10(Scal)): 3 ms, 6 mks, 9 ns, 12 ps, 15 fs
  void RadioGroup1Click();  // Panel1 visible in Fixed mode
  void FormatTypeChange();  // the three format controls write into NameStr
  void DirButtonClick();    // choose a directory into DirLabel

  // Shows the options with `suggestion` in DirLabel (when not empty); on OK
  // Dir := DirLabel with a separator appended (see above) and true; on Cancel
  // false, Dir kept. A GraphType without selection becomes JPEG first.
  bool ChooseSaveOptions(const std::string& suggestion);

  // Dir + the formatted time + AddStr. t in seconds.
  [[nodiscard]] std::string FileBaseName(Real t) const;
  // The formatted time alone (no Dir, no AddStr).
  [[nodiscard]] std::string FormatTimeName(Real t) const;
};

// `dir` with "/" appended unless it is empty or already ends in "/", "\" or ":".
std::string WithDirSeparator(const std::string& dir);

}  // namespace tessmar
