#pragma once
// The initial-state dialog ("Initional") as a parameter collector, and the
// builder behind its OK button: from a length, a cell count, a density, an
// initial pressure or temperature with an optional growth profile, an optional
// second material and the boundary and motion options it makes a complete
// simulation state. It chooses and creates the solver class, sets the geometry
// and mass scalars, places the nodes, and fills every node and cell array by
// evaluating the EOS and electron slots. The same handler re-evaluates an
// existing state after a profile was read or the material changed, and appends
// further layers to a layered target. Run-file table: "init".
//
// Lengths are in units of x1 (`x1Edit`, cm); pressures in GPa, temperatures
// in K, densities in g/cm3.

#include <functional>
#include <string>
#include <vector>

#include "core/hydr_stat.h"
#include "core/sim_context.h"
#include "dialog/dialog_model.h"

namespace tessmar {

// Items of the choice fields.
enum ProfileQuantity { kPress = 0, kTemp = 1, kEnerg = 2 };
enum GrowthShape { kStep = 0, kLinear, kPoly, kExp, kGauss, kExp15 };
enum MoveKind { kP0Pout = 0, kXNonNeg = 1, kV0Zero = 2, kNoMove = 3 };
enum InitProfileKind {
  k1T = 0,
  kTiTeT0 = 1,    // "Ti, (Te = T0)"
  kTeTiT0 = 2,    // "Te, (Ti = T0)"
  kEqTeTi = 3,    // "Eq: Te = Ti"
  kTiTeLast = 4,  // "Ti,  (Te = Tlast)"
  kTeTiLast = 5,  // "Te, (Ti = Tlast)"
};
enum HeatBound { kBoundT0 = 0, kBoundFlat = 1, kBoundNoFlux = 2 };

// How the OK handler ended.
enum class BuildResult {
  kAccepted,  // the state is built (or re-evaluated) and the dialog closes
  kAll,       // accepted from "&Add layer": the caller opens the dialog again
  kFocus,     // a check moved the focus to a field that still needs a value
  kKeepOpen,  // "Save(print) settings?" was answered Cancel
};

class TInitional : public DialogModel {
 public:
  explicit TInitional(SimContext& ctx);

  // --- Fields, under their control names ---
  Real Len = 0;
  Real x1Edit = 1;
  int Dimension = 100;
  Real Rho0 = 1;
  int RadioGroup1 = -1;  // ProfileQuantity; "&Energ" only after a profile with energies
  Real Pini = 0, Tini = 0;
  Real xf = 0;
  Real Pgr = 0, Tgr = 0;
  int GrouthFunc = -1;  // GrowthShape, -1 none
  Real Dist = 0;
  Real Pout = 0;
  int Bound0 = kBoundNoFlux;
  Real T0 = 0;
  int BoundQ = kBoundNoFlux;
  Real Tq = 0;
  int MoveType = kP0Pout;
  int InitProfile = -1;  // InitProfileKind, -1 none
  Real TeEdit = 0;
  bool FixTe = false;
  bool CheckElast = false;
  bool Qext = false;
  bool CheckKeepVL = false;
  Real VL = 0;
  bool V_PPoutCheck = false;
  int DspcEdit = 1;
  Real PadhEdit = 0;
  int xShiftDiv = 0;
  Real x0Shift = 0;
  bool CheckOut = false;
  Real rho0l = 0;
  Real T0l = 0, P0l = 0;
  bool QegCheck = false;
  int Rho0div = 1;

  // --- Mode flags, set by the main window before the dialog is shown ---
  bool NewInit = true;        // build a new state; otherwise re-evaluate the existing one
  bool FromFile = false;      // follows the reading of a profile (x in x1, v in UnitScale)
  bool AddLayerMode = false;  // the target has layers: append a new material after RightDiv
  bool ThermParamEnabled = true;
  int RightDiv = 0;            // cells present when a layer is added
  Real xRightEdit = 0;         // their length, x1
  bool FileHadEnergy = false;  // the last profile read carried an energy column
  bool FileHadTemp = true;     // ... and a temperature column
  int FileLayerCount = 0;      // layers read from the last profile's side file
  int FileLastLayerFirst = 0;  // first cell of the last layer read from it
  int LayersEOSnum = 1;        // the layers window's EOSnum spinner
  std::vector<Real> FileRho;   // cell densities of the last profile read (moving mesh)

  // --- Hooks to the dialogs and windows this one reaches; each may stay empty ---
  // The EOS dialog of the main (false) or left (true) material; true on OK.
  std::function<bool(bool left)> OpenEOSDialog;
  // The electron thermal-parameter dialog; true on OK.
  std::function<bool()> OpenThermalDialog;
  // Re-run the electron dialog's acceptance for a material record's page
  // (page 2: the Simple-metall page) without questions.
  std::function<void(int page)> ReacceptElectronPage;
  // Prints the dialog after Yes to "Save(print) settings?".
  std::function<void()> PrintDialog;
  // Re-select an EOS model and material with the NoElEOS option (a material
  // record's EOS, restored by SelectMaterial).
  std::function<void(int type, int material, bool noElEOS)> SelectEosHook;
  // Whether the EOS dialog's "NoElEOS" and "&kappa" are ticked.
  std::function<bool()> EosNoElEOS;
  std::function<bool()> EosKappaTicked;

  // The OK handler (also "&Add layer" when addLayer is true).
  BuildResult OkBtnClick(bool addLayer = false);
  // Restore the material configuration of Materials[k].
  void SelectMaterial(int k);
  // Record the current material configuration as a new material.
  MaterialRecord CurrentMaterial() const;
  // Energy of the state as built: sum of m_i E_i times UnitScale^2 (times
  // GeomFactor in curved geometries).
  [[nodiscard]] Real BuiltEnergy() const;

  // The solver class the model needs (decision table of the solver family).
  [[nodiscard]] SolverClass ChosenClass() const;

 private:
  // Field rules that keep the dialog consistent.
  void DefaultDist();
  void UpdateProfileFields();
  void DspcChange();
  void xShiftDivChange();
  void SetP0l();
  void UseIonEosForGlass();
  void FixTeClick();

  bool Check();
  void Build(bool addLayer);
  void ReEvaluate(bool fromOk);
  void PlaceNodes(int u0, Real hg);
  void RefineCoordinatesFromDensities();
  void FillSecondMaterial();
  void FillMain(int s, int flatEnd, int K);
  void FillTwoTemperature(int s, int K);
  void AppendLayer(bool addLayer);

  SimContext& ctx_;
};

}  // namespace tessmar
