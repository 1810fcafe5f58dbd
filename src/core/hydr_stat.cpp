// The base solver class: one time level of the Lagrangian mesh, its geometric
// and mass operations, sizing of the class family, and the mass arrays of a
// layered target built from a uniform initial spacing.
#include "core/hydr_stat.h"

#include <cmath>
#include <string>

#include "core/sim_context.h"

namespace tessmar {

std::string_view SolverClassName(SolverClass c) {
  switch (c) {
    case SolverClass::HydrStat: return "THydrStat";
    case SolverClass::Caldrith: return "TCaldrith";
    case SolverClass::ThermState: return "TThermState";
    case SolverClass::Hydro2T: return "THydro2T";
    case SolverClass::Hydro2Telast: return "THydro2Telast";
    case SolverClass::NoMet: return "TNoMet";
  }
  return "?";
}

Real GeomDiff(int n, Real a, Real b) {
  switch (n) {
    case 0: return 0;
    case 1: return b - a;
    case 2: return (b - a) * (a + b);
    case 3: return (b - a) * (b * b + a * b + a * a);
    default: {
      // sum_{j=0}^{n-1} b^(n-1-j) a^j by Horner's scheme in a/b-free form
      Real sum = 0;
      Real aj = 1;  // a^j
      for (int j = 0; j < n; ++j) {
        Real bp = 1;  // b^(n-1-j)
        for (int m = 0; m < n - 1 - j; ++m) bp *= b;
        sum += bp * aj;
        aj *= a;
      }
      return (b - a) * sum;
    }
  }
}

namespace {
[[noreturn]] void NotBuilt(const THydrStat& s, const char* pass) {
  throw NotBuiltError(std::string(pass) + " of " + std::string(SolverClassName(s.Class())) +
                      " is not available in this build yet");
}
}  // namespace

// ---- Sizing -------------------------------------------------------------

void THydrStat::Resize(int N) {
  if (N == CellCount()) return;
  const auto nodes = static_cast<std::size_t>(N) + 1;
  x.resize(nodes, 0);
  v.resize(nodes, 0);
  P.resize(nodes, 0);
  T.resize(static_cast<std::size_t>(N), 0);
  E.resize(static_cast<std::size_t>(N), 0);
  P[static_cast<std::size_t>(N)] = ctx_.Pout;
  LastCell = N - 1;
  ctx_.h0 = ctx_.L / N;
}

void TThermState::Resize(int N) {
  TCaldrith::Resize(N);
  SizeCells(Te, N);
  SizeCells(Ei, N);
  SizeCells(Ee, N);
}

void THydro2T::Resize(int N) {
  TThermState::Resize(N);
  SizeCells(Pe, N);
  SizeCells(Pi, N);
}

void THydro2Telast::Resize(int N) {
  THydro2T::Resize(N);
  SizeCells(Sxx, N);
  SizeCells(RefStrain, N);
}

void TNoMet::Resize(int N) {
  THydro2T::Resize(N);
  SizeCells(Z, N);
}

std::unique_ptr<THydrStat> CreateSolver(SimContext& ctx, SolverClass c, int N) {
  std::unique_ptr<THydrStat> s;
  switch (c) {
    case SolverClass::HydrStat: s = std::make_unique<THydrStat>(ctx); break;
    case SolverClass::Caldrith: s = std::make_unique<TCaldrith>(ctx); break;
    case SolverClass::ThermState: s = std::make_unique<TThermState>(ctx); break;
    case SolverClass::Hydro2T: s = std::make_unique<THydro2T>(ctx); break;
    case SolverClass::Hydro2Telast: s = std::make_unique<THydro2Telast>(ctx); break;
    case SolverClass::NoMet: s = std::make_unique<TNoMet>(ctx); break;
  }
  s->Resize(N);
  return s;
}

void CreateOrResizeAll(SimContext& ctx, SolverClass c, int N) {
  for (auto* ref : {&ctx.State, &ctx.NewState, &ctx.IterState}) {
    if (*ref)
      (*ref)->Resize(N);
    else
      *ref = CreateSolver(ctx, c, N);
  }
}

// ---- Energy passes of the thermal classes (built with their physics) ---
// The passes of the base class are in hydro_step.cpp.

bool TCaldrith::EnergyPass(const THydrStat&, const THydrStat&, Real, Real, bool, Real&, bool,
                           Real) {
  NotBuilt(*this, "EnergyPass");
}
bool TThermState::EnergyPass(const THydrStat&, const THydrStat&, Real, Real, bool, Real&, bool,
                             Real) {
  NotBuilt(*this, "EnergyPass");
}
bool THydro2T::EnergyPass(const THydrStat&, const THydrStat&, Real, Real, bool, Real&, bool,
                          Real) {
  NotBuilt(*this, "EnergyPass");
}
bool THydro2Telast::EnergyPass(const THydrStat&, const THydrStat&, Real, Real, bool, Real&, bool,
                               Real) {
  NotBuilt(*this, "EnergyPass");
}
bool TNoMet::EnergyPass(const THydrStat&, const THydrStat&, Real, Real, bool, Real&, bool, Real) {
  NotBuilt(*this, "EnergyPass");
}
void TThermState::Statistics(bool) { NotBuilt(*this, "Statistics"); }
void THydro2T::Statistics(bool) { NotBuilt(*this, "Statistics"); }

// ---- Convergence scales --------------------------------------------------

void THydrStat::Accumulate(TConvRecord& rec, Real value) {
  rec.SumScale += value * value;
  const Real a = std::fabs(value);
  if (a > rec.MaxScale) rec.MaxScale = a;
}

void THydrStat::Statistics(bool reset) {
  auto& c = ctx_;
  if (reset) {
    for (TConvRecord* r : {&c.ConvV, &c.ConvX, &c.ConvT, &c.ConvE, &c.ConvP}) {
      r->MaxScale = 0;
      r->SumScale = 0;
    }
  }
  const int N = CellCount();
  for (int i = 0; i < N; ++i) {
    Accumulate(c.ConvV, v[i]);
    Accumulate(c.ConvX, x[i]);
    Accumulate(c.ConvT, T[i]);
    Accumulate(c.ConvE, E[i]);
    Accumulate(c.ConvP, P[i]);
  }
  Accumulate(c.ConvV, v[N]);
  Accumulate(c.ConvX, x[N]);
}

// ---- Geometry and masses -------------------------------------------------

Real THydrStat::CellVolume(int i) const {
  return GeomDiff(ctx_.SpaceDim, x[i], x[i + 1]) / ctx_.SpaceDim;
}

Real THydrStat::CellMassOf(int i) const { return ctx_.Dspc == 1 ? ctx_.dm : ctx_.CellMass[i]; }

Real THydrStat::Density(int i) const {
  if (ctx_.Dspc == 1) return ctx_.dm / (x[i + 1] - x[i]);
  return ctx_.CellMass[i] / CellVolume(i);
}

Real THydrStat::NodeMassOf(int j) const {
  if (ctx_.Dspc == 1) return (j == 0 || j == CellCount()) ? ctx_.dm / 2 : ctx_.dm;
  return ctx_.NodeMass[j];
}

Real THydrStat::NodeVolume(int j) const {
  const int N = CellCount();
  const int nu = ctx_.SpaceDim;
  if (j == 0) return CellVolume(0) / static_cast<Real>(1 << nu);
  if (j < N) return GeomDiff(nu, CellCentre(j - 1), CellCentre(j)) / nu;
  return GeomDiff(nu, CellCentre(N - 1), x[N]) / nu;
}

Real THydrStat::NodeDensity(int j) const {
  if (ctx_.Dspc != 1) return ctx_.NodeMass[j] / NodeVolume(j);
  const int N = CellCount();
  if (j == 0) return ctx_.dm / (x[1] - x[0]);
  if (j < N) return 2 * ctx_.dm / (x[j + 1] - x[j - 1]);
  return ctx_.dm / (x[N] - x[N - 1]);
}

Real THydrStat::HalfVolume(int k) const { return ctx_.Dspc == 1 ? ctx_.h0 / 2 : ctx_.HalfVol[k]; }

Real THydrStat::NodePressure(int j) const { return j == 0 ? P[0] : (P[j - 1] + P[j]) / 2; }

Real THydrStat::NodeTemperature(int j) const {
  const int N = CellCount();
  if (j == 0) return T[0];
  if (j < N) return (T[j - 1] + T[j]) / 2;
  return T[N - 1];
}

Real THydrStat::SpecVolRate(int i) const {
  const int k = ctx_.GeomExp;
  if (k == 0) return VelocityJump(i) / CellMassOf(i);
  // (x[i+1]^k v[i+1] - x[i]^k v[i]) / m, arranged so that the jump and the
  // geometric difference are each taken without cancellation
  Real ak = 1, bk = 1;
  for (int m = 0; m < k; ++m) ak *= x[i], bk *= x[i + 1];
  return ((ak + bk) * VelocityJump(i) + GeomDiff(k, x[i], x[i + 1]) * (v[i] + v[i + 1])) / 2 /
         CellMassOf(i);
}

// ---- Mass arrays of a layered target ------------------------------------

void BuildMassArrays(SimContext& ctx, int N, int first, int k, Real h, Real rhoMain,
                     Real rhoSecond) {
  const int nu = ctx.SpaceDim;
  auto& HV = ctx.HalfVol;
  auto& CM = ctx.CellMass;
  auto& NM = ctx.NodeMass;
  CM.resize(static_cast<std::size_t>(N), 0);
  NM.resize(static_cast<std::size_t>(N) + 1, 0);
  HV.resize(2 * static_cast<std::size_t>(N) + 2, 0);

  // Halves of every cell from `first` on, split at the mid-point; index N is a
  // phantom cell beyond the end.
  for (int i = first; i <= N; ++i) {
    HV[2 * i] = GeomDiff(nu, i * h, (i + 0.5L) * h) / nu;
    HV[2 * i + 1] = GeomDiff(nu, (i + 0.5L) * h, (i + 1) * h) / nu;
  }

  // c carries the right half-volume of the previous cell, in units of the
  // density of the cell being processed.
  Real c = 0;
  auto walk = [&](int from, int to, Real rho) {
    for (int i = from; i < to; ++i) {
      NM[i] = rho * (c + HV[2 * i]);
      c = HV[2 * i + 1];
      CM[i] = rho * (HV[2 * i] + HV[2 * i + 1]);
    }
  };

  if (first == 0) {
    if (k > 0) {
      walk(0, k, rhoSecond);
      c = c * rhoSecond / rhoMain;
      walk(k, N, rhoMain);
    } else if (k == 0) {
      walk(0, N, rhoMain);
    } else {
      walk(0, N + k, rhoMain);
      c = c * rhoMain / rhoSecond;
      walk(N + k, N, rhoSecond);
    }
    if (k >= 0) {
      NM[N] = c * rhoMain;
    } else {
      NM[N + k] = HV[2 * (N + k) - 1] * rhoMain + HV[2 * (N + k)] * rhoSecond;
      NM[N] = c * rhoSecond;
    }
    return;
  }

  // Appending a layer: cells first..N-1 take the density of the new layer.
  Real rhoLayer = rhoSecond;
  if (k < 0) {
    const int j = N - first;
    rhoLayer = CM[j] / (HV[2 * j] + HV[2 * j + 1]);
  }
  c = HV[2 * first - 1] * rhoMain / rhoLayer;
  walk(first, N, rhoLayer);
  NM[N] = c * rhoLayer;
}

}  // namespace tessmar
