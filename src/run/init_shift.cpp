#include "run/init_shift.h"

#include <algorithm>
#include <cmath>

#include "core/hydr_stat.h"
#include "run/graphs.h"
#include "run/main_form.h"
#include "run/table.h"

namespace tessmar {

void SetReferencePositions(SimContext& c, Real rho0lField, Real rho0lEos) {
  if (c.ShiftDiv <= 0) {
    c.Lx0 = c.ShiftDiv * c.h0 + c.L;
    if (c.ShiftDiv < 0 && c.Dspc == 1) c.Lx0 = 0;
    c.xGr0 = c.Lx0;
  } else if (c.Dspc == 1) {
    c.Lx0 = c.L - c.ShiftDiv * c.h0;
    c.xGr0 = 0;
  } else {
    c.Lx0 = c.L;
    c.xGr0 = c.ShiftDiv * c.h0;
    if (rho0lEos != 0 && std::fabs(rho0lField / rho0lEos - 1) > 0.01L) {
      c.Lx0 -= c.xGr0;
      c.xGr0 *= rho0lField / rho0lEos;
      c.Lx0 += c.xGr0;
    }
  }
}

void InitShiftBegin(TMainForm& form, TInitional& init, InitCause cause) {
  SimContext& c = form.Ctx();
  init.Len = form.Len;
  init.x1Edit = form.x1Edit;
  init.Dimension = form.Dimension;
  init.Rho0 = form.Rho0;
  if (c.State) {
    init.Pout = form.Pout;
    init.rho0l = c.rho0l;
    init.x0Shift = form.X0Shift;
    init.xShiftDiv = std::abs(c.ShiftDiv);
    init.CheckOut = c.ShiftDiv < 0;
  }
  init.NewInit = cause == InitCause::kInit;
  if (cause == InitCause::kLoadFile) {
    init.FileRho = form.ReadRho;
    // The loaded state keeps the quantity the file holds most directly: the
    // energy when it has an energy column (what the scheme conserves; T and P
    // would have to be inverted through densities that the file's digits of
    // x know less well), else the temperature, else the pressure.
    init.RadioGroup1 = init.FileHadEnergy ? kEnerg : (init.FileHadTemp ? kTemp : kPress);
  }
  init.AddLayerMode = false;
}

BuildResult InitShiftFinish(TMainForm& form, TInitional& init) {
  SimContext& c = form.Ctx();
  const bool newInit = init.NewInit;
  const BuildResult r = init.OkBtnClick(false);
  if (r != BuildResult::kAccepted && r != BuildResult::kAll) return r;

  c.NoMove = init.MoveType == kNoMove;
  c.LeftFixed = init.MoveType == kV0Zero || init.MoveType == kNoMove;
  c.LeftNonNeg = init.MoveType == kXNonNeg || init.MoveType == kNoMove;
  form.TwoTemperature = init.InitProfile > k1T || init.FixTe;
  form.Elastic = init.CheckElast;
  if (c.State && c.State->Class() == SolverClass::ThermState) c.NoMove = true;

  form.Len = init.Len;
  form.x1Edit = init.x1Edit;
  form.Dimension = init.Dimension;
  form.Rho0 = init.Rho0;
  form.Pout = init.Pout;
  form.X0Shift = init.CheckOut ? -init.x0Shift : init.x0Shift;
  c.L = form.Len * form.x1Edit;
  c.h0 = c.L / form.Dimension;
  c.dm = c.h0 * c.rho0;
  SetReferencePositions(c, init.rho0l, c.rho0l);

  if (newInit) {
    c.AutoAcceptR = 0;
    c.AutoRejectR = 0;
    form.Integr.Ipdt = 0;
    c.ViscDuMin = 0;
  }
  form.TotalTime = c.Time;
  form.TotalTimeModified = false;
  const Real tUnit = form.TimeUnit();
  form.TimeLV = tUnit != 0 ? c.Time / tUnit : 0;
  form.TimeLVModified = false;

  SetupTable(form);
  SetupGraphs(form);
  RefreshTable(form, true);
  // The energy reference of Eadd: the total energy of the state as built.
  form.E0 = form.Integr.Es;
  form.Integr.Eadd = 0;
  form.DrawMax = form.Dimension;
  form.DrawTo = form.DrawMax;

  if (!c.Layers.empty()) {
    // Printing the layers table belongs to its window; Cancel here only
    // skips the print (it must not end the program and lose the state).
    (void)c.Port().Ask("Save(print) Layers table?", {Button::Yes, Button::No, Button::Cancel});
  }
  return r;
}

bool InitShift(TMainForm& form, TInitional& init, InitCause cause) {
  InitShiftBegin(form, init, cause);
  const BuildResult r = InitShiftFinish(form, init);
  return r == BuildResult::kAccepted || r == BuildResult::kAll;
}

}  // namespace tessmar
