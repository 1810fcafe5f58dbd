#include "run/main_form.h"

#include "run/driver.h"

namespace tessmar {

TMainForm::TMainForm(SimContext& ctx) : DialogModel("run", "Tessmar"), ctx_(ctx) {
  // The table and the data files: six significant digits with a point.
  NumStr.SetPressigion(6);
  NumStr.SetDecSeparator('.');
  NumStr.SetDefaultDec(false);
  // The time fields: an edit sets the field's modified flag; leaving it
  // converts to the twin field in units of L/UnitScale.
  AddReal("EndTime", "End time", EndTime, 0)
      .Help("end of the run in the internal time unit (s for physical models)")
      .OnExit([this] {
        EndTimeModified = true;
        EndTimeExit(*this);
      });
  AddReal("EndTmLV", "( *v1/L", EndTmLV, 0)
      .Help("end of the run in units of L/UnitScale")
      .OnExit([this] {
        EndTmLVModified = true;
        EndTmLVExit(*this);
      });
  AddReal("dt1", "Time step", dt1, 0)
      .Help("output interval in the internal time unit")
      .OnExit([this] { dt1Exit(*this); });
  AddReal("dtLV", "( *v1/L", dtLV, 0.1L)
      .Help("output interval in units of L/UnitScale")
      .OnExit([this] {
        dtLVModified = true;
        dtLVExit(*this);
      });
  AddInteger("StepDiv", "Steps", StepDiv, 100)
      .Range(1, 29999)
      .Help("time steps per output interval; the run adapts it");
  AddInteger("MnStepDiv", "m", MnStepDiv, 100)
      .Range(1, 10000)
      .Help("least number of steps per output interval: fixes the largest step")
      .OnExit([this] { Edit3Change(*this); });
  AddReal("TotalTime", "Time", TotalTime, 0)
      .Help("current time (internal unit); an edit sets the time the run continues from")
      .OnExit([this] { TotalTimeModified = true; });
  AddReal("TimeLV", " *v1/L=", TimeLV, 0)
      .Help("current time in units of L/UnitScale; an edit sets the time the run continues from")
      .OnExit([this] { TimeLVModified = true; });
  AddCheck("Vis", "Vis", Vis, false)
      .Help("artificial viscosity on (the settings are in [viscosity])");
}

TMainForm::~TMainForm() = default;

Real TMainForm::TimeUnit() const {
  const Real L = Len * x1Edit;
  return ctx_.UnitScale != 0 ? L / ctx_.UnitScale : 0;
}

}  // namespace tessmar
