#pragma once
// One simulation with all the dialogs of the main window, wired together as
// the program wires them: the EOS dialogs of the main and the second material,
// the electron thermal parameters, the initial state, the artificial
// viscosity, the save options, the number format and the main window itself.
// The batch runner fills the dialogs from a run file through their
// descriptors (Tables) and runs their actions; the desktop program shows the
// same models.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/question_port.h"
#include "core/sim_context.h"
#include "dialog/dialog_model.h"
#include "run/main_form.h"

namespace tessmar {

class TEosDialog;
class TInitional;
class TAViscDialog;
class TNumFormatDialog;
class TThermParamDialog;

// Raised by a table's action when the dialog refuses the values it was given;
// the text names the control that needs a value.
class ActionRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One table of a run file: the dialog it fills, what runs before its fields
// are applied and the action that runs after them.
struct RunTable {
  std::string Key;               // "eos", "init", ...
  DialogModel* Model = nullptr;  // the fields
  bool Repeated = false;         // an array of tables ([[layer]])
  std::function<void()> Before;  // runs before the fields are applied; may be empty
  std::function<void()> Action;  // runs after them; throws ActionRefused; may be empty
  std::string Help;              // one line for the reference
};

class TSession {
 public:
  explicit TSession(QuestionPort* port = nullptr);
  ~TSession();
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

  SimContext Ctx;
  TMainForm Form;

  [[nodiscard]] TEosDialog& Eos() { return *eos_; }
  [[nodiscard]] TEosDialog& EosLeft() { return *eosLeft_; }
  [[nodiscard]] TThermParamDialog& Thermal() { return *thermal_; }
  [[nodiscard]] TInitional& Init() { return *init_; }
  [[nodiscard]] TAViscDialog& Visc() { return *visc_; }
  [[nodiscard]] TNumFormatDialog& Format() { return *format_; }

  // The run-file tables in the order of the reference. "[run]"'s action is
  // Calculate.
  [[nodiscard]] std::vector<RunTable> Tables();

  // Save directory of the run (the save options' Dir); "" writes nothing.
  void SetSaveDir(const std::string& dir);
  // Load a saved profile as LoadFile does; false when the reader refused it
  // (its message went through the port).
  bool LoadProfile(const std::string& path);
  // Continue from time t after a load (as an edit of the current-time field).
  void SetCurrentTime(Real t);
  // The Calculate action.
  void Calculate();

 private:
  std::unique_ptr<TEosDialog> eos_, eosLeft_;
  std::unique_ptr<TThermParamDialog> thermal_;
  std::unique_ptr<TInitional> init_;
  std::unique_ptr<TAViscDialog> visc_;
  std::unique_ptr<TNumFormatDialog> format_;
};

}  // namespace tessmar
