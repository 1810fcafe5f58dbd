#include "run/visc_dialog.h"

#include <algorithm>

#include "core/hydr_stat.h"

namespace tessmar {

TAViscDialog::TAViscDialog(SimContext& ctx)
    : DialogModel("viscosity", "Artifical Viscosity"), ctx_(ctx) {
  AddChoice("ViscType", "Type", ViscType, {"&No", "&Symm", "&Loc", "Lim&Only"}, 2)
      .Help("viscous pressure: none, symmetric, local (shock zones only), limiter only");
  AddReal("ViscMult", "Scla&Value ", ViscMult, 1).Help("coefficient C of C*rho*dv^2");
}

void TAViscDialog::Load() {
  if (ctx_.ViscScale == 0) {
    ViscMult = 1;
    if (Remembered == 0) ViscType = 2;
  } else {
    ViscMult = ctx_.ViscScale * ctx_.UnitScale * ctx_.UnitScale;
    ViscType = std::max(Remembered, 1);
  }
}

int TAViscDialog::OkBtnClick() {
  const Real u2 = ctx_.UnitScale * ctx_.UnitScale;
  ctx_.ViscScale = u2 != 0 ? ViscMult / u2 : 0;
  if (ctx_.ViscScale == 0) {
    ctx_.ViscType = 0;
  } else {
    if (ctx_.ViscType == 0 && ViscType > 0) {
      Real du = 0;
      if (ctx_.State) {
        const THydrStat& s = *ctx_.State;
        for (int i = 0; i < s.CellCount(); ++i) du = std::min(du, s.VelocityJump(i));
      }
      ctx_.ViscDuMin = du;
    }
    ctx_.ViscType = ViscType;
  }
  Remembered = ctx_.ViscType;
  return ctx_.ViscType;
}

}  // namespace tessmar
