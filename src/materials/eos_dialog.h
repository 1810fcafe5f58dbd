#pragma once
// The "Equation of state" dialog as a parameter collector: the choice of one of
// the 18 EOS types with its parameters, the lattice-only switch NoElEOS, the
// lattice conductivity option and the spallation toggle. Its OK action
// (AcceptEOS) checks the fields, writes the material's description, installs
// the selection into the context's slots and asks the follow-up questions
// through the context's question port. The same dialog chooses the left
// material when SetLeft(true) is in force. Run-file table: "eos".
//
// Dialogs that this one opens belong to other parts of the program and are
// reached through hooks. Each hook may stay empty (the batch runner and the
// tests leave them so); what an empty hook means is stated at each.

#include <functional>
#include <string>
#include <utility>

#include "core/sim_context.h"
#include "dialog/dialog_model.h"

namespace tessmar {

// How AcceptEOS ends: OK (the dialog closes, the selection is accepted),
// KeepOpen (a check failed or the type is not available; the focus is on the
// control to correct and nothing was installed), or No (the lattice-only mode
// was refused for lack of electron functions; the caller treats it as cancelled,
// though the selection without NoElEOS stands).
enum class EosDialogResult { kOk, kKeepOpen, kNo };

// Molar masses of the metals of the "Metal:" group, g/mol: Al, Cu, Au.
inline constexpr Real kIdealGasMetalMass[3] = {26.98L, 63.54L, 197.2L};

class TEosDialog : public DialogModel {
 public:
  explicit TEosDialog(SimContext& ctx);

  // --- Fields, under their control names ---
  int EqType = -1;    // chosen EOS type, -1 none
  Real gamma = 0;     // adiabatic exponent of the gases (types 0, 3, 4, 5, 8)
  Real AtomMass = 0;  // "M atom": reduced atom mass, or molar mass in g/mol (type 8)
  Real T_0 = 0;       // melting line Tsl = T_0 + T_rho*n, width DisT (type 5)
  Real T_rho = 0;
  Real DisT = 0;
  int Metal = -1;   // metal of the physical ideal gas: 0 Al, 1 Cu, 2 Au, -1 none
  Real TScall = 0;  // scaled table: TabEOS(rho, T*TScall + TSchift [K]) (type 2)
  Real TSchift = 0;
  // Linear EOS (type 17): P = C2*(rho - rho0) + G*(E - E0)*rho, E = C*T, E0 = C*Tr
  Real C2Edit = 0, rho0Edit = 0, GEdit = 0, CEdit = 0, TrEdit = 0;
  bool NoElEOS = false;        // the model is the lattice only; the electrons are added
  bool CheckKappa = false;     // install a lattice conductivity
  Real kappaEdit = 0;          // kW/K/cm
  bool kappaMultChec = false;  // kappa*T0/T instead of a constant
  bool kappaFnTCheck = false;  // kappa as a function of T
  Real kMultT0Edit = 0;        // K, T0 of the factor T0/T
  bool SpallBtn = false;       // "Sp&all" toggle: spallation model enabled

  // Name of the loaded table set, shown next to "TabFiles"; written by the table
  // dialog.
  std::string TabLabel;
  // The material's description: first line (its label in the other windows) and
  // second line (a formula, for some types).
  std::pair<std::string, std::string> Description;

  // --- Hooks to the dialogs this one opens ---
  // Table dialog of the main (false) or left (true) material; types 1 and 2 and
  // the TabFiles button. Empty: nothing opens and TabLabel stays as it is, so
  // the table types are refused at OK until a table name is there.
  std::function<void(bool left)> OpenTableDialog;
  // Metal-parameter dialog (type 6 and MetalParam); on OK it writes
  // "Metal - <name>" into Description.first. Empty: nothing opens.
  std::function<void()> OpenMetalParamDialog;
  // Electron thermal-parameter dialog, opened when the lattice-only mode needs
  // electron functions. Empty: nothing opens, so NoElEOS is refused while
  // ElEe is empty.
  std::function<void()> ShowElectronDialog;
  // Spallation dialog; returns true on OK. Empty: counts as cancelled, so the
  // "Sp&all" toggle goes back up.
  std::function<bool()> OpenSpallDialog;
  // Prints the dialog after Yes to "Save(print) settings?". Empty: Yes prints
  // nothing.
  std::function<void()> PrintDialog;

  // Switch between the main (false) and the left (true) material.
  void SetLeft(bool flag);
  [[nodiscard]] bool Left() const { return left_; }

  // The OK action.
  EosDialogResult AcceptEOS();

  // Handlers of the controls (also run by setting the fields).
  void EqTypeClick();
  void MetalClick();
  void NoElEOSClick();
  void SpallBtnClick();
  // Enable and show the controls of the chosen type, hide the others.
  void UpdateControls();

 private:
  EosDialogResult Refuse(const char* control);
  // The type's check and description; false (with the focus set) when refused.
  bool CheckType(int type, std::pair<std::string, std::string>& desc, int& material,
                 IdealGasParams& params);
  std::string Trimmed(const char* field);
  void InstallKappa();

  SimContext& ctx_;
  bool left_ = false;
};

}  // namespace tessmar
