#pragma once
// The main window's logic without a toolkit: the run fields (end time, output
// interval, steps per interval, current time, mesh fields), the run-state flags,
// the result table with its number format, the integral values and the save
// options. The operations live beside it: the calculation driver (driver.h),
// Init/Shift (init_shift.h), the result table (table.h) and the profile files
// (profile_files.h). Run-file table: "run".

#include <functional>
#include <string>

#include "core/sim_context.h"
#include "dialog/dialog_model.h"
#include "format/num_string_format.h"
#include "run/integral_values.h"
#include "run/result_table.h"
#include "run/save_options.h"
#include "view/image_frame.h"

namespace tessmar {

class TInitional;
class TEosDialog;

// What the driver reports after every pass and every interval, for progress lines.
struct RunProgress {
  Real Time = 0;        // simulated time, s
  Real StartTime = 0;   // time at the start of the run
  Real EndTime = 0;     // end of the run
  long long Steps = 0;  // accepted steps of this run
  bool IntervalDone = false;
};

class TMainForm : public DialogModel {
 public:
  explicit TMainForm(SimContext& ctx);
  ~TMainForm() override;

  [[nodiscard]] SimContext& Ctx() const { return ctx_; }

  // --- Run fields, under their control names ---
  Real EndTime = 0;   // internal time unit (s in physical units)
  Real EndTmLV = 0;   // the same in units of L/UnitScale
  Real dt1 = 0;       // output interval, internal unit
  Real dtLV = 0.1L;   // the same in units of L/UnitScale
  int StepDiv = 100;  // steps per output interval, adapted by the run
  int MnStepDiv = 100;
  Real TotalTime = 0;  // current time, internal unit
  Real TimeLV = 0;     // current time in units of L/UnitScale
  Real Len = 1;
  Real x1Edit = 1;
  Real Rho0 = 1;
  int Dimension = 1000;
  Real Pout = 0;     // external pressure, GPa (the "Pout" field)
  bool Vis = false;  // viscosity toggle down
  // Modified flags of the fields whose edits mean something to Calculate.
  bool dtLVModified = false, TimeLVModified = false, TotalTimeModified = false;
  bool EndTimeModified = false, EndTmLVModified = false;

  // --- Main-window values ---
  bool Unsaved = false;
  bool JpegPictures = false;
  bool TwoTemperature = false;
  bool Elastic = false;
  Real X0Shift = 0;             // remembered origin shift of the second material (x1 units)
  Real E0 = 0;                  // total energy when the state was built (reference of Eadd)
  std::string StatEqLabel;      // description of the main material's EOS
  std::string StatEqLabelLeft;  // ... of the second material
  std::string Title = "Tessmar";
  std::string SaveLabel;
  bool ShiftGraphX0 = false;  // answer to "Shift graph x0 to right (L0)?"
  int DrawFrom = 0, DrawTo = 0, DrawMax = 0;
  std::string LastReadDir;  // directory of the last profile file read
  std::string HistoryFile;  // "Surf.dat" or "xrc.dat" in the save directory
  bool TraceSpallation = false;
  bool CalculateEnabled = true;
  std::string CalculateCaption = "&Calculate";

  // --- Owned parts ---
  TNumStringFormat NumStr;  // format of the table and the data files
  TResultTable Data;
  TIntegrValues Integr;
  TSaveFileOptions SaveOptions;
  // The profile graphs: density, velocity, pressure, temperature along the target.
  TImageFrame RGraph, VGraph, PGraph, TGraph;

  // --- Other dialogs the main window reaches (set by the session) ---
  TInitional* Init = nullptr;
  TEosDialog* Eos = nullptr;

  // --- Hooks ---
  std::function<void(const RunProgress&)> OnProgress;
  // Picture of the four graphs after an interval; empty: no picture.
  std::function<void(const std::string& name, bool ask)> SavePicture;
  // Time-history row after an interval; empty: no row.
  std::function<void()> AppendHistory;
  // Ask for the save directory when an end time beyond the current time is
  // entered and none is set; empty: nothing is asked.
  std::function<void()> ChooseSaveDir;

  // Time unit L/UnitScale of the twin fields.
  [[nodiscard]] Real TimeUnit() const;

  // --- profile files and table ---
  // The save dialog's file name: the last profile name without its extension.
  std::string SaveDialogFileName;
  // Layer boundaries of the last side file read (glass line first when
  // present, Number 0), and the main-material thickness it gave (cm).
  std::vector<TReadLayer> ReadLayers;
  Real MainThickness = 0;
  // Cell densities of the last moving-mesh profile read (g/cm3).
  std::vector<Real> ReadRho;
  // Imaginary part of the refraction index from the "Refract" line, if any.
  bool ReadRefract = false;
  Real ReadRefractIm = 0;
  // Ionisation energy of the dielectric model (DeltaZ = Z * ZEnergy), until the
  // context carries it.
  Real ZEnergy = 0;
  // Reference (normal) density of the main (glass false) or the glass (true)
  // material's EOS, and its setter after "Set init (EOS) ... denity to ...?".
  // Empty: unknown; the ratio in the side file and those questions are skipped.
  std::function<Real(bool glass)> EosDensity;
  std::function<void(bool glass, Real rho)> SetEosDensity;
  // Fill, show, print and hide the layers table (Save, "Save(print) Layers table").
  std::function<void()> PrintLayersTable;
  // Row `row` of the layers' EOS table: EOS model, material and density texts.
  // Empty: the texts are derived from ctx.Materials / ctx.Layers.
  std::function<bool(int row, std::string& model, std::string& material, std::string& density)>
      LayersEOSRow;
  // "ReAssign to other xrs/Surf file" answered OK. Empty: HistoryFile moves to
  // the save directory under its own name.
  std::function<void()> ReassignHistory;
  // Init/Shift run by the profile reader with the load as its cause. Empty: the reader converts the
  // loaded state to internal units and builds the mass arrays itself (see profile_files.h).
  std::function<bool()> InitShiftAfterLoad;

 private:
  SimContext& ctx_;
};

}  // namespace tessmar
