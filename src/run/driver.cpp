#include "run/driver.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <fstream>

#include "base/fp_guard.h"
#include "core/hydr_stat.h"
#include "core/hydro_step.h"
#include "run/main_form.h"
#include "run/profile_files.h"
#include "run/table.h"

namespace tessmar {

namespace {

constexpr int kStepDivMax = 29999;  // the spinner's maximum

// Everything the end of an output interval does after the table is refreshed:
// the profile, its picture and the history row, unless there is nowhere to
// write them.
void SaveInterval(TMainForm& form, Real dt) {
  SimContext& ctx = form.Ctx();
  if (form.SaveOptions.Dir.empty()) {
    form.Unsaved = true;
    return;
  }
  const std::string name = form.SaveOptions.FileBaseName(form.TotalTime);
  const bool last = (ctx.Time - dt / 4 > form.EndTime) || !ctx.Running;
  if (!WriteProfile(form, name + ".DAT", last)) {
    form.Unsaved = true;
    return;
  }
  if (form.SavePicture) form.SavePicture(name + (form.JpegPictures ? ".jpg" : ".BMP"), last);
  if (form.AppendHistory) form.AppendHistory();
}

}  // namespace

void BreakCalc(TMainForm& form) {
  form.Ctx().Running = false;
  form.CalculateEnabled = false;  // until the run loop has finished
}

int StepController(TMainForm& form, Real& time, Real& dt, bool linearT, Real timeTarget) {
  SimContext& ctx = form.Ctx();
  ctx.Port().PumpEvents();
  if (!ctx.Running) return 0;
  if (ctx.ViscType == 0) ctx.ViscDuMin *= 0.9L;

  const Real dtFloor = std::min(
      0.1L * ctx.dtMax,
      std::max(0.001L * ctx.dtMax, 1e-5L * std::max(std::fabs(time), std::fabs(timeTarget))));
  ctx.AtFloorStep = dt <= dtFloor;
  if (ctx.AtFloorStep) {
    dt = dtFloor;
    ctx.IterLimit = 50;
  } else {
    ctx.IterLimit = 7;
  }

  // Cover the rest of the interval: whole steps while at least two fit, two
  // equal halves for a rest between 0.9 and 2 steps, one step onto the target
  // for a shorter rest.
  const Real rem = timeTarget - time;
  const bool whole = rem >= 2 * dt;
  Real step = dt;
  Real tNew = time + dt;
  if (!whole) {
    if (rem > 0.9L * dt) {
      step = rem / 2;
      tNew = time + step;
    } else {
      step = rem;
      tNew = timeTarget;
    }
  }
  const Real tried = step;
  bool ok = false;
  if (ctx.Running) ok = TryStep(ctx, step, linearT);
  if (ok) {
    ctx.SwapStates();
    time = tNew;
    // Only a whole step's proposal carries over (not after a Break meanwhile).
    if (whole && ctx.Running) dt = step;
    return 1;
  }
  if (ctx.AtFloorStep)
    ctx.Running = false;
  else
    dt = tried / 2;
  return 0;
}

void Calculate(TMainForm& form) {
  SimContext& ctx = form.Ctx();
  if (!ctx.State) {
    ctx.Port().Inform("No initial state: build one first (Init)", MessageKind::Error);
    return;
  }
  ctx.rho0 = form.Rho0;
  ctx.dm = ctx.h0 * ctx.rho0;
  const Real tUnit = form.TimeUnit();

  if (form.dtLVModified && form.dtLV > 0) {
    form.dtLVModified = false;
    form.dt1 = form.dtLV * tUnit;
  } else if (form.dt1 == 0) {
    form.SetFocus("dt1");
    return;
  } else if (tUnit != 0) {
    form.dtLV = form.dt1 / tUnit;
  }
  if (form.TimeLVModified) {
    ctx.Time = form.TimeLV * tUnit;
  } else if (form.TotalTimeModified) {
    ctx.Time = form.TotalTime;
  }
  form.StepDiv = std::max(form.StepDiv, form.MnStepDiv);
  Real dt = form.dt1 / form.StepDiv;
  ctx.dtMax = form.dt1 / form.MnStepDiv;

  // Whatever ends the run, the window goes back to idle.
  auto restoreIdle = [&form, &ctx] {
    form.CalculateCaption = "&Calculate";
    form.CalculateEnabled = true;
    form.Title = "Tessmar";
    ctx.Running = false;
  };
  RunProgress progress;
  progress.StartTime = ctx.Time;
  progress.EndTime = form.EndTime;
  const bool linearT = ctx.EosTofE.Empty();

  try {
    do {
      form.CalculateCaption = "X &Break Calc X";
      const Real timeTarget = ctx.Time + form.dt1;
      ctx.Running = true;
      Real p0prev = ctx.State->P[0];
      try {
        do {
          if (!form.Vis) ctx.ViscType = 0;
          progress.Steps += StepController(form, ctx.Time, dt, linearT, timeTarget);
          ctx.Port().PumpEvents();
          const Real p0 = ctx.State->P[0];
          form.Integr.Ipdt +=
              (ctx.Time - form.TotalTime) * (p0prev + p0) / 2 * ctx.UnitScale * ctx.UnitScale;
          p0prev = p0;
          form.TotalTime = ctx.Time;
          form.TotalTimeModified = false;
          form.Title = "Tessmar-t=" + form.At("TotalTime").Text();
          if (tUnit != 0) form.TimeLV = ctx.Time / tUnit;
          form.TimeLVModified = false;
          ctx.Port().PumpEvents();
          if (form.OnProgress) {
            progress.Time = ctx.Time;
            progress.EndTime = form.EndTime;
            progress.IntervalDone = false;
            form.OnProgress(progress);
          }
        } while (ctx.Time < timeTarget && dt >= 1e-10L * timeTarget && ctx.Running);
      } catch (const MathError&) {
        ctx.Running = false;
      }

      if (ctx.Time < timeTarget) {
        if (ctx.Time > timeTarget - form.dt1) {
          // Part of the interval was done: mark the run stopped and leave the
          // rest of the interval as the next output interval.
          form.EndTime = -std::fabs(form.EndTime);
          form.dt1 = timeTarget - ctx.Time;
        } else {
          ctx.Port().Notify(Sound::Error);
          ctx.Port().Inform("No calculated", MessageKind::Error);
        }
      }
      form.StepDiv = static_cast<int>(
          std::min<Real>(std::ceil(form.dt1 / dt), static_cast<Real>(kStepDivMax)));

      form.CalculateCaption = "&Calculate";
      form.CalculateEnabled = false;
      RefreshTable(form, true);
      form.CalculateEnabled = true;
      form.SetFocus("Calculate");
      if (ctx.Time >= form.EndTime) ctx.Port().Notify(Sound::Question);

      SaveInterval(form, dt);
      if (form.OnProgress) {
        progress.Time = ctx.Time;
        progress.IntervalDone = true;
        form.OnProgress(progress);
      }
    } while (ctx.Time + dt / 4 <= form.EndTime && dt >= 1e-10L * ctx.Time && ctx.Running);
  } catch (...) {
    restoreIdle();
    throw;
  }
  restoreIdle();
  ctx.Port().Notify(Sound::Exclamation);
}

void dt1Exit(TMainForm& form) {
  if (form.Ctx().UnitScale != 0 && form.TimeUnit() != 0) form.dtLV = form.dt1 / form.TimeUnit();
}

void dtLVExit(TMainForm& form) {
  if (form.Ctx().UnitScale != 0) form.dt1 = form.dtLV * form.TimeUnit();
}

namespace {
void AfterEndTimeEdit(TMainForm& form) {
  // A run that will write files needs a save directory; the batch runner sets
  // it before the run, the desktop program asks here.
  if (form.EndTime > form.TotalTime && form.SaveOptions.Dir.empty() && form.ChooseSaveDir)
    form.ChooseSaveDir();
  form.SaveLabel = form.SaveOptions.Dir;
}
}  // namespace

void EndTimeExit(TMainForm& form) {
  if (form.EndTimeModified) {
    form.EndTimeModified = false;
    if (form.Ctx().UnitScale != 0 && form.TimeUnit() != 0) {
      form.EndTmLV = form.EndTime / form.TimeUnit();
      form.EndTmLVModified = false;
    }
  }
  AfterEndTimeEdit(form);
}

void EndTmLVExit(TMainForm& form) {
  if (form.EndTmLVModified) {
    form.EndTmLVModified = false;
    if (form.Ctx().UnitScale != 0) {
      form.EndTime = form.EndTmLV * form.TimeUnit();
      form.EndTimeModified = false;
    }
  }
  AfterEndTimeEdit(form);
}

void Edit3Change(TMainForm& form) {
  form.StepDiv = std::max(form.StepDiv, form.MnStepDiv);
  form.Ctx().dtMax = form.dt1 / form.MnStepDiv;
}

void TraceBitBtnClick(TMainForm& form) {
  SimContext& ctx = form.Ctx();
  if (ctx.Port().Ask("Trace iterations", {Button::Ok, Button::No}) == Button::Ok) {
    FileRequest req;
    req.mode = FileMode::Save;
    req.filter = "Text|*.txt";
    req.defaultExt = "txt";
    req.fileName = form.SaveOptions.Dir + "Trace.txt";
    const auto answer = ctx.Port().ChooseFile(req);
    if (answer) {
      std::ofstream out(answer->fileName, std::ios::binary | std::ios::trunc);
      const std::time_t now = std::time(nullptr);
      char stamp[64];
      std::strftime(stamp, sizeof stamp, "%d.%m.%Y %H:%M:%S", std::localtime(&now));
      out << stamp << "\r\n";
      out.close();
      ctx.TraceIterations = static_cast<bool>(out);
      ctx.TraceFile = answer->fileName;
    } else {
      ctx.TraceIterations = false;
    }
  }
  form.TraceSpallation = ctx.Port().Ask("Trace spallation", {Button::Ok, Button::No}) == Button::Ok;
}

bool FormCloseQuery(TMainForm& form) {
  SimContext& ctx = form.Ctx();
  if (ctx.Running) {
    if (ctx.Port().Ask("Break calculations?", {Button::Ok, Button::No}) == Button::Ok)
      ctx.Running = false;
    return false;  // the run ends at its next pass; the window stays until then
  }
  if (!form.Unsaved) return true;
  switch (
      ctx.Port().Ask("Results not saved! Save now?", {Button::Yes, Button::No, Button::Cancel})) {
    case Button::Yes: Save(form); return !form.Unsaved;
    case Button::No: return true;
    default: return false;
  }
}

}  // namespace tessmar
