#pragma once
// The artificial-viscosity dialog ("Artifical Viscosity"): the type of the
// viscous pressure and its scale. Run-file table: "viscosity".

#include "core/sim_context.h"
#include "dialog/dialog_model.h"

namespace tessmar {

class TAViscDialog : public DialogModel {
 public:
  explicit TAViscDialog(SimContext& ctx);

  int ViscType = 2;    // 0 No, 1 Symm, 2 Loc, 3 LimOnly
  Real ViscMult = 1;   // scale C of the viscous pressure C*rho*dv^2 (in UnitScale^2)
  int Remembered = 0;  // the type the main window's Vis button keeps

  // Fill the fields from the context, as the dialog does when it opens.
  void Load();
  // OK: ViscScale := ViscMult/UnitScale^2; a zero scale switches the
  // viscosity off; switching it on takes the reference velocity jump from the
  // current state. Returns the type now in force.
  int OkBtnClick();

 private:
  SimContext& ctx_;
};

}  // namespace tessmar
