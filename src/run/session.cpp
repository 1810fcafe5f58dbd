#include "run/session.h"

#include <algorithm>

#include "dialog/num_format_dialog.h"
#include "materials/eos_dialog.h"
#include "materials/eos_select.h"
#include "materials/thermal_dialog.h"
#include "run/driver.h"
#include "run/graphs.h"
#include "run/init_shift.h"
#include "run/profile_files.h"
#include "run/table.h"
#include "run/visc_dialog.h"
#include "setup/init_dialog.h"

namespace tessmar {

namespace {

// The refusal of a dialog whose check moved the focus.
[[noreturn]] void Refuse(const DialogModel& m, const std::string& what) {
  std::string text = what;
  if (!m.Focus().empty()) text += ": the field " + m.Focus() + " needs a value";
  throw ActionRefused(text);
}

}  // namespace

TSession::TSession(QuestionPort* port)
    : Ctx(port),
      Form(Ctx),
      eos_(std::make_unique<TEosDialog>(Ctx)),
      eosLeft_(std::make_unique<TEosDialog>(Ctx)),
      thermal_(std::make_unique<TThermParamDialog>(Ctx)),
      init_(std::make_unique<TInitional>(Ctx)),
      visc_(std::make_unique<TAViscDialog>(Ctx)),
      format_(std::make_unique<TNumFormatDialog>()) {
  eosLeft_->SetLeft(true);
  Form.Init = init_.get();
  Form.Eos = eos_.get();
  Form.SavePicture = [this](const std::string& name, bool ask) {
    tessmar::SavePicture(Form, name, ask);
  };
  init_->EosNoElEOS = [this] { return eos_->NoElEOS; };
  init_->EosKappaTicked = [this] { return eos_->CheckKappa; };
  Form.InitShiftAfterLoad = [this] { return InitShift(Form, *init_, InitCause::kLoadFile); };
  init_->ReacceptElectronPage = [this](int page) { thermal_->AcceptElParams(page); };
  init_->SelectEosHook = [this](int type, int material, bool noElEOS) {
    if (type >= 0) SelectEOS(Ctx, type, material, noElEOS, false);
  };
}

TSession::~TSession() = default;

std::vector<RunTable> TSession::Tables() {
  std::vector<RunTable> t;
  t.push_back({"eos", eos_.get(), false, nullptr,
               [this] {
                 if (eos_->AcceptEOS() != EosDialogResult::kOk)
                   Refuse(*eos_, "the equation of state was not accepted");
                 Form.StatEqLabel = eos_->Description.first;
               },
               "equation of state of the main material; its OK runs after the keys"});
  t.push_back({"eos_left", eosLeft_.get(), false, [this] { eosLeft_->SetLeft(true); },
               [this] {
                 if (eosLeft_->AcceptEOS() != EosDialogResult::kOk)
                   Refuse(*eosLeft_,
                          "the equation of state of the second material was not accepted");
                 Form.StatEqLabelLeft = eosLeft_->Description.first;
               },
               "equation of state of the second (glass) material"});
  t.push_back({"thermal", thermal_.get(), false, [this] { thermal_->FormShow(); },
               [this] {
                 ThermDialogResult r = ThermDialogResult::kKeepOpen;
                 switch (thermal_->CloseBy) {
                   case 1: r = thermal_->NoConductAction(); break;
                   case 2: r = thermal_->NoAction(); break;
                   default: r = thermal_->OkBtnClick(); break;
                 }
                 if (r == ThermDialogResult::kKeepOpen)
                   Refuse(*thermal_, "the electron thermal parameters were not accepted");
               },
               "electron thermal parameters; CloseBy picks the button that ends the dialog"});
  t.push_back(
      {"init", init_.get(), false, [this] { InitShiftBegin(Form, *init_, InitCause::kInit); },
       [this] {
         const BuildResult r = InitShiftFinish(Form, *init_);
         if (r == BuildResult::kFocus) Refuse(*init_, "the initial state was not built");
         if (r == BuildResult::kKeepOpen)
           throw ActionRefused(
               "the initial state was not accepted (Save(print) settings? "
               "answered Cancel)");
       },
       "the target: mesh, materials, initial profile, boundaries; its OK builds the state"});
  t.push_back({"viscosity", visc_.get(), false, [this] { visc_->Load(); },
               [this] { Form.Vis = visc_->OkBtnClick() > 0; },
               "artificial viscosity; a positive type switches the Vis button on"});
  t.push_back({"format", format_.get(), false, [this] { format_->Load(Form.NumStr); },
               [this] { format_->OkBtnClick(Form.NumStr); },
               "number format of the result table and the data files"});
  t.push_back({"save", &Form.SaveOptions, false, nullptr, nullptr,
               "names of the saved files (the directory is the runner's -o)"});
  t.push_back({"run", &Form, false, nullptr, [this] { Calculate(); },
               "end time and output interval; Calculate runs after the keys"});
  return t;
}

void TSession::SetSaveDir(const std::string& dir) {
  std::string d = dir;
  if (!d.empty() && d.back() != '/' && d.back() != '\\' && d.back() != ':') d += '/';
  Form.SaveOptions.Dir = d;
  Form.SaveLabel = d;
  if (Form.SaveOptions.GraphType < 0) Form.SaveOptions.GraphType = 1;
  Form.JpegPictures = Form.SaveOptions.GraphType == 1;
  Form.HistoryFile = d + (Form.Integr.RCPanelVisible ? "xrc.dat" : "Surf.dat");
}

bool TSession::LoadProfile(const std::string& path) {
  return ReadProfile(Form, path, false);
}

void TSession::SetCurrentTime(Real t) {
  Form.TotalTime = t;
  Form.TotalTimeModified = true;
  Form.TimeLVModified = false;
}

void TSession::Calculate() {
  tessmar::Calculate(Form);
}

}  // namespace tessmar
