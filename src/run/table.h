#pragma once
// The result table of the main window and its derived quantities:
// the layout for every model (SetupTable), the texts of every cell and the
// integral values (Refresh), and the re-formatting of the state columns after
// the table format changed (Format).
//
// Units of the table: x in units of x1 (the main window's `x1Edit`), v in
// units of `UnitScale`, everything else internal (g/cm3, GPa, kJ/g, K).
//
// The graphs are drawn by the view layer; SetupTable only asks the question
// "Shift graph x0 to right (L0)?" and remembers the answer in
// TMainForm::ShiftGraphX0, and sets the maxima of DrawFrom and DrawTo.

#include <functional>
#include <string>
#include <vector>

#include "base/real.h"
#include "run/result_table.h"

namespace tessmar {

class TMainForm;
class SimContext;
class THydrStat;
class TNumFormatDialog;
class TNumStringFormat;

// The model switches that choose the layout, read from the main window and
// the context.
struct TableModel {
  bool NoMove = false;
  bool TwoTemperature = false;
  bool NoMetal = false;
  bool Elastic = false;
  bool NoConduct = false;
  bool NoThermo = false;
  bool FixTe = false;
  bool Physical = false;  // UnitScale = 1e5 and x1Edit = 1e-7
  bool Radial = false;    // Dspc > 1
};
TableModel CurrentTableModel(const TMainForm& f);

// Column meanings and titles of a model, in column order.
std::vector<TableCol> TableColumns(const TableModel& m);
std::vector<std::string> TableTitles(const TableModel& m);
std::string ColumnTitle(const TableModel& m, TableCol k, int col, int colCount);

// Text of a cell whose pressure was cut off in tension: "-0" and six blanks.
inline constexpr const char* kMinusZero = "-0      ";
// Text of alpha where no thermal physics applies: "00" and six blanks.
inline constexpr const char* kNoAlpha = "00      ";

// SetupTable (run by Init/Shift): ColCount, RowCount, titles and the column
// meanings; DrawMax := Dimension, DrawTo := DrawMax (DrawFrom is clamped);
// asks "Shift graph x0 to right (L0)?" (Yes / No) through the context's port
// and stores the answer in ShiftGraphX0.
void SetupTable(TMainForm& f);

// Refresh(redraw): every cell and the integral values from State. The graphs
// are not drawn here (redraw is accepted for the caller's sake).
void RefreshTable(TMainForm& f, bool redraw = false);

// The integral values of State into f.Integr, including x_rc when
// the critical-density panel is shown.
void ComputeIntegrals(TMainForm& f);

// Rho_CExit of the integral-values window: the panel stays visible only when
// Rho_C > 0; then x_rc is computed.
void Rho_CExit(TMainForm& f);
// Position (cm) where the density profile crosses rhoC, searched from the
// outside.
Real CriticalDensityPosition(const THydrStat& s, Real rhoC);

// Re-format the state columns of every row with f.NumStr: x, the state arrays,
// Pi and P with the "-0" rule, P1T and Pe(rho&Ti), the distance column, and in
// the boundary row x, v and the Pout text. Phase, Ind, Qx, kappa and alpha
// keep their texts.
void ReformatStateColumns(TMainForm& f);
// The "Format" button: the format dialog edits f.NumStr (`show` runs it, true
// on OK); on OK the state columns are re-formatted. Returns true on OK.
bool FormatClick(TMainForm& f, TNumFormatDialog& dlg,
                 const std::function<bool(TNumFormatDialog&)>& show);

// Conductive heat flux at node i (kW/cm2) as the Qx column shows it:
// kf*(T_i - T_(i-1)) with the face conductance of the two cells, plus the
// electron term with Te in two-temperature tables with conduction. At node 0:
// the initial-state dialog's "T0 =" boundary gives the flux from the boundary
// temperature ctx.T0Left over half the first cell; the other boundary
// conditions give 0 until the conduction solver provides its boundary value.
Real HeatFluxAtNode(const TMainForm& f, int i);

// Text of a main-window field as it shows it: the field's own format when the
// form publishes the field, else the default format (%g).
std::string FormFieldText(const TMainForm& f, const char* name, Real value);

}  // namespace tessmar
