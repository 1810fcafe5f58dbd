// The result table and its derived quantities.

#include "run/table.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "core/hydr_stat.h"
#include "core/sim_context.h"
#include "dialog/num_format_dialog.h"
#include "materials/phase.h"
#include "run/graphs.h"
#include "run/main_form.h"
#include "setup/init_dialog.h"

namespace tessmar {

namespace {

// A slot evaluation that never throws: false when the slot is empty or the
// material function failed.
template <class SlotT, class... A>
bool TryEval(const SlotT& slot, Real& out, A... a) {
  if (slot.Empty()) return false;
  try {
    out = slot(a...);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

const THydro2T* As2T(const THydrStat& s) {
  return dynamic_cast<const THydro2T*>(&s);
}
const TThermState* AsThermal(const THydrStat& s) {
  return dynamic_cast<const TThermState*>(&s);
}

bool IsGlassCell(const SimContext& ctx, int i, int N) {
  return i < ctx.ShiftDiv || (ctx.ShiftDiv < 0 && i >= N + ctx.ShiftDiv);
}

// Conductivity of the lattice of cell i.
Real IonKappaOf(const SimContext& ctx, const THydrStat& s, int i) {
  const int N = s.CellCount();
  const Real rho = s.Density(i);
  Real k = 0;
  if (IsGlassCell(ctx, i, N) && !ctx.IonKappal.Empty()) {
    if (TryEval(ctx.IonKappal, k, s.T[i], rho)) return k;
    return 0;
  }
  if (TryEval(ctx.IonKappa, k, s.T[i], rho)) return k;
  return 0;
}

// Electron conductivity of cell i in two-temperature tables with conduction.
Real ElKappaOf(const SimContext& ctx, const THydrStat& s, int i) {
  const auto* th = AsThermal(s);
  if (!th || ctx.NoConduct || IsGlassCell(ctx, i, s.CellCount())) return 0;
  Real k = 0;
  if (TryEval(ctx.ElKappa, k, s.T[i], th->Te[i], s.Density(i))) return k;
  return 0;
}

Real FaceFlux(Real k0, Real k1, Real dx0, Real dx1, Real t0, Real t1) {
  const Real den = k0 * dx1 + k1 * dx0;
  if (den == 0 || !std::isfinite(den)) return 0;
  const Real kf = 2 * k0 * k1 / den;
  return kf * (t1 - t0);
}

// Pressure cut off in tension: the "-0" rule of the P column.
bool PressureCut(const SimContext& ctx, const THydrStat& s, int i) {
  if (s.P[i] != 0) return false;
  if (ctx.SpallOn && i < static_cast<int>(ctx.Tneg.size()) && ctx.Tneg[i] < 0) return true;
  Real p = 0;
  return TryEval(ctx.EosP, p, s.T[i], s.Density(i)) && p < 0;
}

// The "-0" rule of the Pi column.
bool IonPressureCut(const SimContext& ctx, const THydro2T& s, int i) {
  if (ctx.SpallOn && i < static_cast<int>(ctx.Tneg.size()) && ctx.Tneg[i] < 0) return true;
  if (s.Pi[i] != 0) return false;
  const Real rho = s.Density(i);
  Real p = 0;
  if (!TryEval(ctx.EosP, p, s.T[i], rho) || !(p < 0)) return false;
  if (ctx.EosIsGas.Empty()) return true;
  try {
    return !ctx.EosIsGas(s.T[i], rho);
  } catch (const std::exception&) {
    return true;
  }
}

int PhaseCodeOf(const SimContext& ctx, const THydrStat& s, int i) {
  try {
    const Real rho = s.Density(i);
    return IsGlassCell(ctx, i, s.CellCount()) ? PhaseCodel(ctx, s.T[i], rho)
                                              : PhaseCode(ctx, s.T[i], rho);
  } catch (const std::exception&) {
    return 0;
  }
}

// Pi and Pe of a one-temperature state with the fixed electron temperature.
bool FixTePressures(const SimContext& ctx, const THydrStat& s, int i, Real& pi, Real& pe) {
  if (const auto* h = As2T(s)) {
    pi = h->Pi[i];
    pe = h->Pe[i];
    return true;
  }
  const Real rho = s.Density(i);
  if (!TryEval(ctx.ElPe, pe, ctx.FixedTe, rho)) pe = 0;
  if (!TryEval(ctx.IonPi, pi, s.T[i], rho)) pi = s.P[i] - pe;
  return true;
}

}  // namespace

std::string FormFieldText(const TMainForm& f, const char* name, Real value) {
  if (const Field* fld = f.Find(name); fld && fld->Kind() == FieldKind::Real) return fld->Text();
  if (const Field* fld = f.Find(name); fld && fld->Kind() == FieldKind::Integer) return fld->Text();
  return TNumStringFormat().ToText(value);
}

TableModel CurrentTableModel(const TMainForm& f) {
  const SimContext& ctx = f.Ctx();
  TableModel m;
  m.NoMove = ctx.NoMove;
  m.TwoTemperature = f.TwoTemperature;
  m.NoMetal = ctx.NoMetal;
  m.Elastic = f.Elastic;
  m.NoConduct = ctx.NoConduct;
  m.NoThermo = ctx.NoThermo;
  m.FixTe = ctx.FixTe;
  m.Physical = ctx.UnitScale == 1e5L && f.x1Edit == 1e-7L;
  m.Radial = ctx.Dspc > 1;
  return m;
}

std::vector<TableCol> TableColumns(const TableModel& m) {
  using C = TableCol;
  std::vector<C> c{C::No, C::X};
  // Appended one by one: g++ 12 warns falsely on insert of an initializer list.
  auto add = [&c](std::initializer_list<C> cols) {
    for (const C k : cols) c.push_back(k);
  };
  if (m.NoMove) {
    if (m.TwoTemperature) {
      add({C::T, C::Te, C::Ei, C::Ee, C::E});
      if (m.NoMetal) c.push_back(C::Z);
      add({C::Phase, C::Ind, C::Qx, C::Kappa, C::Alpha, C::Dist});
    } else {
      add({C::T, C::E});
      if (m.NoConduct)
        add({C::Phase, C::Ind, C::Dist});
      else
        add({C::Phase, C::Ind, C::Qx, C::Kappa, C::Dist});
    }
    return c;
  }
  add({C::Rho, C::V, C::P, C::E});
  if (m.TwoTemperature) {
    add({C::T, C::Te, C::Ei, C::Ee, C::Pi, C::Pe});
    if (m.NoMetal)
      add({C::Z, C::DeltaZ});
    else if (m.Elastic)
      add({C::Ph, C::Sxx});
    else
      add({C::P1T, C::PeRhoTi});
    add({C::Phase, C::Ind, C::Qx, C::Kappa, C::Alpha, C::Dist});
  } else if (!m.NoConduct) {
    add({C::T, C::Phase, C::Ind, C::Qx, C::Kappa, C::Dist});
  } else if (m.FixTe) {
    add({C::T, C::Pi, C::Pe, C::Phase, C::Ind, C::Dist});
  } else {
    // the 9-column table: Phase replaces the temperature title of column 6
    add({C::Phase, C::Ind, C::Dist});
  }
  return c;
}

std::string ColumnTitle(const TableModel& m, TableCol k, int col, int colCount) {
  const bool ph = m.Physical;
  const bool twoT = m.TwoTemperature;
  switch (k) {
    case TableCol::No: return ph ? "No(n)" : "   No";
    case TableCol::X:
      if (m.Radial) return ph ? "r(n)[nm]" : "r(n)    ";
      return ph ? "x(n)[nm]" : "x(n)    ";
    case TableCol::Rho: return ph ? "rho[g/cm3]" : "rho(n+1/2)";
    case TableCol::V: return ph ? "v(n)[km/s]" : "v(n)/v1 ";
    case TableCol::P:
      if (m.Elastic) return ph ? "Pxx(n+1/2)[GPa]" : "Pxx(n+1/2)";
      return ph ? "P(n+1/2)[GPa]" : "P(n+1/2)";
    case TableCol::E:
      if (m.NoMove) {
        if (twoT) return ph ? "E(n+1/2)[kJ/g]" : "E(n+1/2) ";
        return ph ? "E(n+1/2)[kJ/g]" : "E(n+1/2)";
      }
      return "E(n+1/2)[kJ/g]";
    case TableCol::T:
      if (m.NoMove) {
        if (twoT) return ph ? "Ti(n+1/2)[K]" : "Ti(n+1/2)";
        return ph ? "T(n+1/2)[K]" : "T(n+1/2)";
      }
      return twoT ? "Ti(n+1/2)[K]" : "T(n+1/2)[K]";
    case TableCol::Te: return "Te(n+1/2)[K]";
    case TableCol::Ei:
      if (m.NoMove) return ph ? "Ei[kJ/g]" : "Ei(n+1/2)";
      return "Ei(n+1/2)[kJ/g]";
    case TableCol::Ee:
      if (m.NoMove) return ph ? "Ee[kJ/g]" : "Ee(n+1/2)";
      return "Ee(n+1/2)[kJ/g]";
    case TableCol::Pi: return twoT ? "Pi(n+1/2)[GPa]" : "Pi(n+1/2)";
    case TableCol::Pe: return twoT ? "Pe(n+1/2)[GPa]" : "Pe(n+1/2)";
    case TableCol::Z:
      if (m.NoMove) return ph ? " Z     " : " Z      ";
      return "Z(n+1/2)";
    case TableCol::DeltaZ: return "DeltaZ  ";
    case TableCol::P1T: return ph ? "P1T(rho&Ti)" : "P1T(Ti)  ";
    case TableCol::PeRhoTi: return ph ? "Pe(rho&Ti)" : "Pe(Ti)   ";
    case TableCol::Ph: return "Ph(n+1/2)[GPa]";
    case TableCol::Sxx: return "Sxx(n+1/2)[GPa]";
    case TableCol::Phase: return "Phase";
    case TableCol::Ind: return "Ind";
    case TableCol::Qx:
      if (ph) return "Qx(n)[kW/cm2]";
      return twoT ? "Qx(n)   " : "Qx(n)";
    case TableCol::Kappa:
      if (ph) return "kappa[kW/cm/K]";
      return twoT ? "kappa   " : "kappa";
    case TableCol::Alpha: return ph ? "alpha[kW/cm3/K]" : "alpha   ";
    case TableCol::Dist: return ph ? "xGr0-x(n+1/2)[nm]" : "L-x(n+1/2)";
  }
  (void)col;
  (void)colCount;
  return {};
}

std::vector<std::string> TableTitles(const TableModel& m) {
  const auto cols = TableColumns(m);
  std::vector<std::string> t;
  t.reserve(cols.size());
  for (std::size_t c = 0; c < cols.size(); ++c)
    t.push_back(ColumnTitle(m, cols[c], static_cast<int>(c), static_cast<int>(cols.size())));
  return t;
}

void SetupTable(TMainForm& f) {
  SimContext& ctx = f.Ctx();
  const TableModel m = CurrentTableModel(f);
  const auto cols = TableColumns(m);
  const auto titles = TableTitles(m);
  int rows = f.Dimension + 2 - (m.NoMove ? 1 : 0);
  if (!f.ReadLayers.empty()) {
    // the layer list is shorter than the list of read layer boundaries while
    // layers are still being added
    std::size_t readCount = f.ReadLayers.size();
    if (f.ReadLayers.front().Number == 0) --readCount;  // the glass line
    if (ctx.Layers.size() < readCount) rows = f.Dimension + std::min(ctx.ShiftDiv, 0);
  }
  rows = std::max(rows, 1);
  f.Data.SetSize(static_cast<int>(cols.size()), rows);
  f.Data.Columns = cols;
  f.Data.HasBoundaryRow = !m.NoMove;
  for (std::size_t c = 0; c < cols.size(); ++c) f.Data.Cell(static_cast<int>(c), 0) = titles[c];

  f.DrawMax = f.Dimension;
  f.DrawTo = f.DrawMax;
  f.DrawFrom = std::clamp(f.DrawFrom, 0, f.DrawMax);

  f.Integr.kPanelVisible = !m.NoMove;
  f.Integr.EkVisible = !m.NoMove;
  f.Integr.T2PanelVisible = m.TwoTemperature;

  f.ShiftGraphX0 =
      ctx.Port().Ask("Shift graph x0 to right (L0)?", {Button::Yes, Button::No}) == Button::Yes;
}

Real HeatFluxAtNode(const TMainForm& f, int i) {
  const SimContext& ctx = f.Ctx();
  if (!ctx.State) return 0;
  const THydrStat& s = *ctx.State;
  const int N = s.CellCount();
  if (i < 0 || i >= N) return 0;
  const auto* th = AsThermal(s);
  const bool electrons = th && f.TwoTemperature && !ctx.NoConduct;
  if (i == 0) {
    const bool fixedT = f.Init && f.Init->Bound0 == kBoundT0;
    if (!fixedT) return 0;  // "T' = 0" / "k = 0": the solver's boundary value (no flux)
    const Real half = (s.x[1] - s.x[0]) / 2;
    if (half == 0) return 0;
    Real q = IonKappaOf(ctx, s, 0) * (s.T[0] - ctx.T0Left) / half;
    if (electrons) q += ElKappaOf(ctx, s, 0) * (th->Te[0] - ctx.T0Left) / half;
    return q;
  }
  const Real dx0 = s.x[i] - s.x[i - 1];
  const Real dx1 = s.x[i + 1] - s.x[i];
  Real q = FaceFlux(IonKappaOf(ctx, s, i - 1), IonKappaOf(ctx, s, i), dx0, dx1, s.T[i - 1], s.T[i]);
  if (electrons)
    q += FaceFlux(ElKappaOf(ctx, s, i - 1), ElKappaOf(ctx, s, i), dx0, dx1, th->Te[i - 1],
                  th->Te[i]);
  return q;
}

namespace {

// Text of one cell of row r = i + 1; `all` false limits it to the state columns.
bool CellText(const TMainForm& f, TableCol k, int i, bool all, std::string& out) {
  const SimContext& ctx = f.Ctx();
  const THydrStat& s = *ctx.State;
  const TNumStringFormat& fmt = f.NumStr;
  const auto* th = AsThermal(s);
  const auto* h2 = As2T(s);
  const Real x1 = f.x1Edit;
  const Real U = ctx.UnitScale;
  auto num = [&](Real v) {
    out = fmt.ToText(v);
    return true;
  };
  switch (k) {
    case TableCol::No:
      if (!all) return false;
      out = std::to_string(i);
      return true;
    case TableCol::X: return num(s.x[i] / x1);
    case TableCol::Rho: return num(s.Density(i));
    case TableCol::V: return num(s.v[i] / U);
    case TableCol::P:
      if (PressureCut(ctx, s, i)) {
        out = kMinusZero;
        return true;
      }
      return num(s.P[i]);
    case TableCol::E: return num(s.E[i]);
    case TableCol::T: return num(s.T[i]);
    case TableCol::Te: return th ? num(th->Te[i]) : (out.clear(), true);
    case TableCol::Ei: return th ? num(th->Ei[i]) : (out.clear(), true);
    case TableCol::Ee: return th ? num(th->Ee[i]) : (out.clear(), true);
    case TableCol::Pi:
      if (h2) {
        if (IonPressureCut(ctx, *h2, i)) {
          out = kMinusZero;
          return true;
        }
        return num(h2->Pi[i]);
      } else {
        Real pi = 0, pe = 0;
        FixTePressures(ctx, s, i, pi, pe);
        return num(pi);
      }
    case TableCol::Pe:
      if (h2) return num(h2->Pe[i]);
      {
        Real pi = 0, pe = 0;
        FixTePressures(ctx, s, i, pi, pe);
        return num(pe);
      }
    case TableCol::Z:
      if (const auto* nm = dynamic_cast<const TNoMet*>(&s)) return num(nm->Z[i]);
      out.clear();
      return true;
    case TableCol::DeltaZ:
      if (const auto* nm = dynamic_cast<const TNoMet*>(&s)) return num(nm->Z[i] * f.ZEnergy);
      out.clear();
      return true;
    case TableCol::P1T: {
      Real p = 0;
      if (TryEval(ctx.EosP, p, s.T[i], s.Density(i))) return num(p);
      out.clear();
      return true;
    }
    case TableCol::PeRhoTi: {
      Real p = 0;
      if (TryEval(ctx.ElPe, p, s.T[i], s.Density(i))) return num(p);
      out.clear();
      return true;
    }
    case TableCol::Ph:
      if (h2) return num(h2->Pi[i] + h2->Pe[i]);
      out.clear();
      return true;
    case TableCol::Sxx:
      if (IsGlassCell(ctx, i, s.CellCount())) {
        out.assign(1, '0');
        return true;
      }
      if (const auto* el = dynamic_cast<const THydro2Telast*>(&s)) return num(el->Sxx[i]);
      out.clear();
      return true;
    case TableCol::Dist: return num((ctx.xGr0 - s.CellCentre(i)) / x1);
    case TableCol::Phase:
      if (!all) return false;
      out = PhaseLabel(PhaseCodeOf(ctx, s, i));
      return true;
    case TableCol::Ind:
      if (!all) return false;
      out = std::to_string(PhaseCodeOf(ctx, s, i));
      return true;
    case TableCol::Qx:
      if (!all) return false;
      return num(HeatFluxAtNode(f, i));
    case TableCol::Kappa:
      if (!all) return false;
      {
        Real kap = IonKappaOf(ctx, s, i);
        if (f.TwoTemperature) kap += ElKappaOf(ctx, s, i);
        return num(kap);
      }
    case TableCol::Alpha:
      if (!all) return false;
      {
        Real a = 0;
        if (!th || IsGlassCell(ctx, i, s.CellCount()) ||
            !TryEval(ctx.ElAlpha, a, th->Te[i], s.Density(i))) {
          out = kNoAlpha;
          return true;
        }
        return num(a * s.Density(i));
      }
  }
  return false;
}

void FillRows(TMainForm& f, bool all) {
  SimContext& ctx = f.Ctx();
  if (!ctx.State || f.Data.Columns.empty()) return;
  const THydrStat& s = *ctx.State;
  const int N = s.CellCount();
  TResultTable& t = f.Data;
  const int cellRows = std::min(N, t.RowCount() - 1 - (t.HasBoundaryRow ? 1 : 0));
  std::string text;
  for (int i = 0; i < cellRows; ++i) {
    for (int c = 0; c < t.ColCount(); ++c) {
      if (CellText(f, t.Columns[c], i, all, text)) t.Cell(c, i + 1) = text;
    }
  }
  if (t.HasBoundaryRow && N >= 1 && t.RowCount() >= N + 2) {
    const int r = N + 1;
    if (all)
      for (int c = 0; c < t.ColCount(); ++c) t.Cell(c, r).clear();
    if (t.ColCount() > 0 && all) t.Cell(0, r) = std::to_string(N);
    if (t.ColCount() > 1) t.Cell(1, r) = f.NumStr.ToText(s.x[N] / f.x1Edit);
    if (t.ColCount() > 2 && all) t.Cell(2, r).assign(1, '0');
    if (t.ColCount() > 3) t.Cell(3, r) = f.NumStr.ToText(s.v[N] / ctx.UnitScale);
    if (t.ColCount() > 4) t.Cell(4, r) = FormFieldText(f, "Pout", f.Pout);
  }
}

}  // namespace

void RefreshTable(TMainForm& f, bool redraw) {
  FillRows(f, true);
  ComputeIntegrals(f);
  if (redraw) DrawGraphs(f);
}

void ReformatStateColumns(TMainForm& f) {
  FillRows(f, false);
}

bool FormatClick(TMainForm& f, TNumFormatDialog& dlg,
                 const std::function<bool(TNumFormatDialog&)>& show) {
  if (!dlg.Execute(f.NumStr, show)) return false;
  ReformatStateColumns(f);
  return true;
}

void ComputeIntegrals(TMainForm& f) {
  SimContext& ctx = f.Ctx();
  TIntegrValues& iv = f.Integr;
  if (!ctx.State) return;
  const THydrStat& s = *ctx.State;
  const int N = s.CellCount();
  if (N <= 0) return;
  const auto* th = AsThermal(s);
  const auto* nm = dynamic_cast<const TNoMet*>(&s);
  const Real G = ctx.GeomFactor;
  const Real U2 = ctx.UnitScale * ctx.UnitScale;
  Real sv = 0, ek = 0, et = 0, ee = 0, ed = 0;
  for (int i = 0; i < N; ++i) {
    const Real m = s.CellMassOf(i);
    const Real M = s.NodeMassOf(i);
    const Real vc = s.CellVelocity(i);
    sv += s.v[i];
    ek += M * s.v[i] * s.v[i] + m * vc * vc;
    et += m * s.E[i];
    if (th && f.TwoTemperature) {
      ee += m * th->Ee[i];
      if (nm) {
        ed += m * nm->Z[i] * f.ZEnergy;
      } else {
        Real eq = 0;
        if (!TryEval(ctx.ElEe, eq, s.T[i], s.Density(i))) eq = 0;
        ed += m * (th->Ee[i] - eq);
      }
    }
  }
  ek += s.NodeMassOf(N) * s.v[N] * s.v[N];
  iv.Ivdx = ctx.dm * sv;
  iv.Ek = G * ek / 4;
  iv.Et = U2 * G * et;
  iv.Ee = (th && f.TwoTemperature) ? U2 * G * ee : 0;
  iv.Ei = iv.Et - iv.Ee;
  iv.Ed = (th && f.TwoTemperature) ? U2 * G * ed : 0;
  iv.Es = iv.Et + iv.Ek + (nm && f.TwoTemperature ? iv.Ed : 0);
  iv.Eadd = iv.Es - f.E0;
  if (iv.RCPanelVisible && iv.Rho_C > 0) iv.x_rc = CriticalDensityPosition(s, iv.Rho_C) - ctx.Lx0;
}

Real CriticalDensityPosition(const THydrStat& s, Real rhoC) {
  const int N = s.CellCount();
  if (N <= 0) return 0;
  if (N == 1) return s.x[1];
  int k = N - 2;
  while (k >= 0 && rhoC > s.Density(k)) --k;
  k += 1;
  if (k + 1 >= N) return s.x[N];
  const Real rk = s.Density(k);
  const Real rk1 = s.Density(k + 1);
  if (rk1 >= rk) return s.x[k + 1];
  // node densities on both sides of cell k, linear in x between them
  const Real rL = k > 0 ? (s.Density(k - 1) + rk) / 2 : rk;
  const Real rR = (rk + rk1) / 2;
  if (rhoC >= rL) return s.x[k];
  if (rhoC <= rR || rL == rR) return s.x[k + 1];
  const Real pos = s.x[k] + (rL - rhoC) / (rL - rR) * (s.x[k + 1] - s.x[k]);
  return std::min(pos, s.x[k + 1]);
}

void Rho_CExit(TMainForm& f) {
  TIntegrValues& iv = f.Integr;
  iv.RCPanelVisible = iv.Rho_C > 0;
  const SimContext& ctx = f.Ctx();
  if (iv.RCPanelVisible && ctx.State && ctx.State->CellCount() > 0)
    iv.x_rc = CriticalDensityPosition(*ctx.State, iv.Rho_C) - ctx.Lx0;
}

}  // namespace tessmar
