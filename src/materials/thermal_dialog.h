#pragma once
// The electron thermal-parameter dialog ("ThermParamDialog") as a parameter
// collector. Its pages describe the electrons and the lattice of a material for
// the two-temperature solvers: each page's OK fills the electron slots ElEe,
// ElCe, ElPe, ElAlpha, ElKappa and the lattice conductivity IonKappa, and sets
// the shared electron parameters of the context (ElRho0, ElMAt, ElZ, ElCcl,
// ElRhoMd, ElAlphaRho, ElKappaConst, ElMaterial, ElMaterialName, ElPage).
// Run-file table: "thermal".
//
// Pages and fields. One model holds the fields of every page; the page on
// show is the choice field `Page`, whose items are the tab captions in tab
// order (kElPageCaptions). Field names are the control names:
//   - "Con&stant" (page 0): rho0Edit, ceEdit, Gr1Edit, Gr2Edit, kEdit, aEdit.
//   - the material pages (page 1 on) share one frame of fields: NatEdit,
//     rhoEdit, mEdit, ZEdit, EF0eVEdit, TFEdit, alEdit, k_iEdit, kirEdit,
//     Materials and CalcRefrCheck. A material page is a view of these fields
//     plus its own: "Simple metall" (page 1) adds Rho_mdEdit, the collision
//     constants nu0Edit ... nuiEdit, kzEdit, the list Metalls and the shown
//     Sommerfeld coefficient gEdit. A later page whose own control clashes with
//     an existing name takes the page caption as prefix ("NoMetall_ZEdit").
//   - The read-only fields EF0eVEdit, TFEdit and gEdit show values derived from
//     the others; a value set there is replaced by the derived one at once.
// The pages after "Simple metall" are listed but not part of this build:
// choosing one, directly in `Page` or through the Materials or Metalls lists,
// tells the user so through the question port ("Ta: this electron model is not
// available yet") and keeps the page and the list choice as they were.
//
// Slot functions read the shared parameters ElRho0, ElRhoMd, ElAlphaRho and
// ElKappaConst from the context when they are called, so a later OK (or the
// layer switch of a layered target, which restores them per material) changes
// the behaviour of functions still installed. The constants that only one page
// knows (the Fermi-energy coefficient, c_cl, Z, the collision constants, c_e,
// the Pe ratio, k_i and b_r) are kept by the installed functions from the OK
// that installed them. The functions refer to the context, which must outlive
// them.
//
// "Simple metall" in short: free electrons only above rho_md, Ce joins the
// degenerate gamma(rho)*Te to the classical c_cl, Ee is its integral (written
// without the cancellation of sqrt(c_cl^2 + m^2) - c_cl, so it is exact and
// smooth at every Te), Pe = rho*Ee/1.5 through the ElEe slot, and kappa_e =
// c_eV <v^2> / (nu_ei + nu_ee) with collision frequencies limited by the
// plasma term. nu_ei follows the lattice phase at Ti (PhaseCode): the solid
// and liquid fits, and for the mixtures (SL, SG) their mean weighted by the
// solid fraction x: EosSolFrac when the EOS has it, else 1 - EosLiqFrac, else
// (a mixture code without fractions) x = 1/2.
//
// Dialogs that this one opens or informs belong to other parts of the program
// and are reached through hooks. Each may stay empty; what an empty hook means
// is stated at each.

#include <array>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/sim_context.h"
#include "dialog/dialog_model.h"
#include "materials/el_base.h"

namespace tessmar {

// Indices of the pages, in tab order.
namespace el_page {
inline constexpr int kConstant = 0;
inline constexpr int kSimpleMetall = 1;
inline constexpr int kNobleMetall = 2;
inline constexpr int kTransMetall = 3;
inline constexpr int kNoMetall = 4;
inline constexpr int kTa = 5;
inline constexpr int kNewAu = 6;
inline constexpr int kAu1 = 7;
inline constexpr int kAg1 = 8;
inline constexpr int kRu = 9;
inline constexpr int kMo = 10;
inline constexpr int kRextr = 11;
inline constexpr int kMetKab = 12;
inline constexpr int kSpline = 13;
inline constexpr int kCount = 14;
}  // namespace el_page

inline constexpr std::array<std::string_view, el_page::kCount> kElPageCaptions = {
    "Con&stant", "Simple metall", "Noble Metall", "TransMetall", "NoMetall", "Ta",      "NewAu",
    "Au1",       "Ag1",           "Ru",           "Mo",          "Rextr",    "Met_kab", "Spline"};

// Items of the material frame's list "Materials" and the page each one shows.
inline constexpr std::array<std::string_view, 14> kElMaterialCaptions = {
    "&Al",  "A&u",  "&Ni", "&LiF", "&Fe", "&Ta", "NAu",
    "Au&1", "A&g1", "&Ru", "&Mo",  "T&i", "&Sn", "Spline"};
inline constexpr std::array<int, 14> kElMaterialPage = {
    el_page::kMetKab, el_page::kNobleMetall, el_page::kMetKab, el_page::kNoMetall, el_page::kMetKab,
    el_page::kTa,     el_page::kNewAu,       el_page::kAu1,    el_page::kAg1,      el_page::kRu,
    el_page::kMo,     el_page::kMetKab,      el_page::kRextr,  el_page::kSpline};

// Items of the "Simple metall" list "Metalls".
inline constexpr std::array<std::string_view, 7> kMetallsCaptions = {"Any", "&Al", "&Ni", "&LiF",
                                                                     "&Fe", "&Ta", "A&g"};

// A page was asked for whose electron model this build does not provide.
class ElPageNotAvailableError : public std::runtime_error {
 public:
  explicit ElPageNotAvailableError(int page);
  [[nodiscard]] int Page() const { return page_; }

 private:
  int page_;
};

// True for the pages this build can accept.
bool ElPageAvailable(int page);
// "<page caption without &>: this electron model is not available yet".
std::string ElPageNotAvailableText(int page);

// How an action of the dialog ends: OK (the dialog closes accepted), KeepOpen
// (a check failed with the focus on the field to correct, or a question was
// cancelled; slots already installed stay installed), or No (the No button:
// the dialog closes without electron thermal parameters).
enum class ThermDialogResult { kOk, kKeepOpen, kNo };

// The three fields bound by n_at = rho0 * NAv / MatNo.
enum class DensityField { kNone, kNat, kRho, kMatNo };

class TThermParamDialog : public DialogModel {
 public:
  explicit TThermParamDialog(SimContext& ctx);

  // --- Page on show (index into kElPageCaptions) ---
  int Page = el_page::kConstant;

  // --- "Con&stant": Ee = c_e*Te, Pe = (Gr1/Gr2)*Ee*rho, constant kappa and alpha ---
  Real rho0Edit = 0;  // g/cm3
  Real ceEdit = 0;    // kJ/g/K
  Real Gr1Edit = 2;   // Pe ratio Gr1/Gr2 (Gr1 alone when Gr2 is 0)
  Real Gr2Edit = 3;
  Real kEdit = 0;  // kW/K/cm
  Real aEdit = 0;  // kJ/K/cm3

  // --- The material frame (shared by the material pages) ---
  Real NatEdit = 6e22L;  // atoms per cm3
  Real rhoEdit = 0;      // rho0, g/cm3
  Real mEdit = 0;        // MatNo, g/mol
  Real ZEdit = 0;        // free electrons per atom
  Real EF0eVEdit = 0;    // shown: Fermi energy at rho0, eV
  Real TFEdit = 0;       // shown: Fermi temperature at rho0, K
  Real alEdit = 0;       // electron-ion coupling alpha, kW/K/cm3
  Real k_iEdit = 0;      // kappa_i = ki/Ti * (b_r*(rho/rho0)^(2/3) + Ti/Tat)^(7/2), kW/K/cm
  Real kirEdit = 0;      // b_r
  int Materials = -1;    // material preset (kElMaterialCaptions), -1 none
  bool CalcRefrCheck = false;

  // --- "Simple metall": free electrons vanishing below rho_md, collision-frequency kappa ---
  Real Rho_mdEdit = 0;      // rho_md, g/cm3
  Real nu0Edit = 4.2e14L;   // solid: nu_sol = nu0 * Ti/933, 1/s
  Real nuTEdit = 1.1e14L;   // liquid: nu_liq = nuT*T'/(T'*B + A + C/T'), T' = max(Ti, -2C/A)
  Real nuAEdit = 130;       // A, K
  Real nuBEdit = 0.0367L;   // B
  Real nuCEdit = -6.67e4L;  // C, K^2
  Real nusEdit = 2.47e14L;  // electron-electron term nus*TeV^2/r^(2/3), 1/s
  Real nuiEdit = 1.15e15L;  // electron-electron term nui*TeV^0.28*r^0.48, 1/s
  Real kzEdit = 0.7L;       // weight of the plasma limit kz/(1-kz), 0 <= kz < 1
  int Metalls = 0;          // kMetallsCaptions, 0 "Any"
  Real gEdit = 0;           // shown: Sommerfeld coefficient gamma(rho0), kJ/g/K^2

  // Shear modulus of the elastic model that the last material preset gives, GPa
  // (0 until a preset with one is chosen).
  Real ShearG = 0;

  // The button a run file closes the dialog with: 0 OK, 1 NoConduct, 2 No.
  int CloseBy = 0;

  // The result of the last action run by a button field (OkBtn, NoCondBtn, NoBtn).
  ThermDialogResult LastResult = ThermDialogResult::kKeepOpen;

  // --- Hooks ---
  // Prints the page after Yes to "Save(print) settings?". Empty: nothing is printed.
  std::function<void()> PrintPage;
  // Reflectance dialog, opened when CalcRefrCheck is ticked; it settles the
  // check and its own "write R" option between them. Empty: the box stays ticked.
  std::function<void(bool& calcRefr)> OpenReflectanceDialog;
  // Sets the spallation dialog's material list to the named metal ("Al", "Ag")
  // when that list has it. Empty: nothing happens.
  std::function<void(std::string_view metal)> SetSpallMaterial;

  // --- Actions ---
  // When the dialog is shown: a zero rho0 of the material frame becomes the
  // initial state's reference density (1 when that is 0), then a zero MatNo
  // becomes rho0*NAv/n_at.
  void FormShow();
  // OK of the page on show, from the OK button.
  ThermDialogResult OkBtnClick();
  // "NoConduct": OK of the page on show, then "No all thermodinamic?".
  ThermDialogResult NoConductAction();
  // The No button (see the page's rule).
  ThermDialogResult NoAction();
  // The OK of `page` run by the program (layer switch of a layered target):
  // installs the slots from the fields without questions and without changing
  // NoConduct, NoThermo or the material name. Returns false when a check
  // failed (focus set, nothing changed). Throws ElPageNotAvailableError for a
  // page this build lacks and std::out_of_range for an index outside the list.
  bool AcceptElParams(int page);

  // --- Handlers of the controls (also run by setting the fields) ---
  void PageChange();
  // The material frame's list: shows the page that handles the material.
  void ChooseMaterial(int index);
  void MetallsClick();
  // Entering k_iEdit while it is 0 proposes k_i = 0.8 and, when b_r is 0, b_r = 0.2142.
  void k_iEditEnter();
  // Algorithm of the three density fields: after `left` was edited the field
  // not edited is recomputed from the other two; zero and too small values are
  // replaced; then m_at, Z, the Fermi constants and the shown fields follow.
  void DensityRelations(DensityField left);
  // Mark the density fields as not edited (after a preset).
  void ForgetDensityEdits();
  // Show the controls of the page on show and hide the others.
  void UpdateControls();

  // --- The common OK of the material frame, run first by every material page ---
  // Checks n_at, rho0, MatNo (and Z when its field is visible), applies the
  // density relations, sets ElRho0, ElMAt, ElZ, ElCcl, ElAlphaRho and installs
  // ElAlpha (the constant ElAlphaRho) and IonKappa; from a button also
  // ElMaterial and ElMaterialName from the Materials list. False when refused.
  bool BaseAccept(bool fromButton);

  // The frame's derived constants, as of the last density relations.
  [[nodiscard]] Real Z() const { return z_; }
  [[nodiscard]] Real MAt() const { return mAt_; }
  [[nodiscard]] const FreeElectronGas& Gas() const { return gas_; }

 private:
  enum class Origin { kProgram, kOkButton, kNoConductButton };

  ThermDialogResult Accept(int page, Origin origin);
  ThermDialogResult Refuse(const char* field);
  bool Reject(const char* field);  // focus on the field, false
  // Conduction question and "Save(print) settings?" after the slots are installed.
  ThermDialogResult FinishAccept(Origin origin);
  bool AcceptConstant();
  bool AcceptSimpleMetall(Origin origin);
  // The frame's checks of n_at, rho0 and MatNo; false (focus set) when one fails.
  bool CheckDensityFields();
  void UpdateDerived();
  // Tell that `page` is not available and put the choice `field` back to `previous`.
  void RefusePage(int page, const char* field, int& value, int previous);
  void ApplyMetallPreset(int item);

  SimContext& ctx_;
  int shownPage_ = el_page::kConstant;
  int materialsShown_ = -1;
  int metallsShown_ = 0;
  // Edit order of n_at, rho0 and MatNo: 0 = not edited, larger = edited later.
  std::array<unsigned, 3> editStamp_{};
  unsigned editCounter_ = 0;
  Real z_ = 1;
  Real mAt_ = 0;
  FreeElectronGas gas_;
};

}  // namespace tessmar
