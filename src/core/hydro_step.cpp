// The hydrodynamic step: work pressure with artificial viscosity, the three
// passes of the base class (momentum, coordinates, adiabatic energy), the
// convergence tests, the scales of the records and the iteration of TryStep.
#include "core/hydro_step.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/fp_guard.h"
#include "core/hydr_stat.h"
#include "core/sim_context.h"
#include "format/num_string_format.h"

namespace tessmar {

namespace {

// A traced number of a given width: scientific notation padded to the width.
std::string Sci(Real x, int width) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%*.*LE", width, std::max(width - 8, 1), x);
  return buf;
}
std::string Fixed(Real x, int width, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%*.*Lf", width, decimals, x);
  return buf;
}

constexpr const char* kEol = "\r\n";

std::array<TConvRecord*, 5> Records(SimContext& ctx) {
  return {&ctx.ConvV, &ctx.ConvX, &ctx.ConvT, &ctx.ConvE, &ctx.ConvP};
}

// Sum and largest of the five ratios PrevSum/SumScale.
void Ratios(SimContext& ctx, Real& sum, Real& largest) {
  sum = 0;
  largest = 0;
  for (const TConvRecord* r : Records(ctx)) {
    const Real q = r->PrevSum / r->SumScale;
    sum += q;
    largest = std::max(largest, q);
  }
}

void ResetMax(SimContext& ctx) {
  for (TConvRecord* r : Records(ctx)) r->PrevMax = r->MaxScale;
}

// The part of the main material next to the interface and, for a single
// material, both end cells never take a local viscous term; nor does a cell
// that has fractured (its pressure is the ion pressure alone while the
// electron pressure is not zero, and that pressure is 0 or the foam pressure).
bool LocExempt(const SimContext& ctx, const THydrStat& old, const THydro2T* twoT, int i, int N) {
  if (ctx.ShiftDiv > 0 && i == ctx.ShiftDiv) return true;
  if (ctx.ShiftDiv < 0 && i == N - 1 + ctx.ShiftDiv) return true;
  if (ctx.ShiftDiv == 0 && (i == 0 || i == N - 1)) return true;
  return twoT && old.P[i] == twoT->Pi[i] && twoT->Pe[i] != 0 && (old.P[i] == 0 || ctx.Foam);
}

}  // namespace

void TraceWrite(SimContext& ctx, std::string_view text) {
  if (!ctx.TraceIterations || ctx.TraceFile.empty()) return;
  std::ofstream f(ctx.TraceFile, std::ios::binary | std::ios::app);
  f << text;
}

// ---- Work pressure --------------------------------------------------------

void WorkPressure(SimContext& ctx, THydrStat& target, const THydrStat& old,
                  const THydrStat& prev) {
  const int N = target.CellCount();
  auto& P = target.P;
  const auto& Pp = prev.P;
  const auto& Po = old.P;
  const Real C = ctx.ViscScale;
  const Real f = 0.3L * ctx.ViscDuMin;
  auto dv = [&](int i) { return prev.VelocityJump(i); };
  auto term = [&](int i) { return C * prev.Density(i) * dv(i) * std::fabs(dv(i)); };

  switch (ctx.ViscType) {
    default:
    case 0:
      for (int i = 0; i < N; ++i) P[i] = 0.25L * Pp[i] + 0.75L * Po[i];
      break;

    case 3: {  // LimOnly: the viscous term where the jump is strongly compressive
      Real duMin = ctx.ViscDuMin;
      for (int i = 0; i < N; ++i) {
        P[i] = 0.25L * Pp[i] + 0.75L * Po[i];
        const Real d = dv(i);
        if (d < f) {
          P[i] += C * prev.Density(i) * d * d;
          duMin = std::min(duMin, d);
        }
      }
      ctx.ViscDuMin = duMin;
      break;
    }

    case 2: {  // Loc: local zones, neighbours compensated by their own signed term
      for (int i = 0; i < N; ++i) P[i] = 0.25L * Pp[i] + 0.75L * Po[i];
      auto& zone = ctx.ViscZoneScratch;
      auto& neighbour = ctx.ViscNeighbourScratch;
      zone.assign(static_cast<std::size_t>(N), 0);
      neighbour.assign(static_cast<std::size_t>(N), 0);
      const auto* twoT = dynamic_cast<const THydro2T*>(&old);
      auto exempt = [&](int i) { return LocExempt(ctx, old, twoT, i, N); };
      auto markNeighbours = [&](int a, int b) {
        if (a - 1 >= 0) neighbour[a - 1] = 1;
        if (b + 1 <= N - 1) neighbour[b + 1] = 1;
      };
      bool zoneAtZero = false;
      if (N > 0 && !exempt(0) && dv(0) < f) {
        zone[0] = 1;
        zoneAtZero = true;
        markNeighbours(0, 0);
      }
      for (int i = 1; i <= N - 2;) {
        if (!exempt(i) && dv(i) < 0) {
          int j = i + 1;
          while (j <= N - 2 && !exempt(j) && dv(j) < f) ++j;
          for (int m = i; m < j; ++m) zone[m] = 1;
          markNeighbours(i, j - 1);
          i = j + 1;  // resume after the zone's right neighbour
        } else {
          ++i;
        }
      }
      bool any = false;
      Real duMin = 0;
      for (int i = 0; i < N - 1; ++i) {  // the last cell keeps the plain weighting
        if (zone[i]) {
          const Real d = dv(i);
          P[i] += C * prev.Density(i) * d * d;
          duMin = any ? std::min(duMin, d) : d;
          any = true;
        } else if (neighbour[i] && !exempt(i)) {
          P[i] -= term(i);
          duMin = any ? std::min(duMin, dv(i)) : dv(i);
          any = true;
        }
      }
      if (any) ctx.ViscDuMin = zoneAtZero ? duMin : std::min(ctx.ViscDuMin, duMin);
      break;
    }

    case 1: {  // Symm: the viscous term spread symmetrically, summing to zero
      auto& Q = ctx.ViscQScratch;
      auto& zone = ctx.ViscZoneScratch;
      Q.assign(static_cast<std::size_t>(N), 0);
      zone.assign(static_cast<std::size_t>(N), 0);
      bool any = false;
      Real duMin = 0;
      for (int i = 0; i < N; ++i) {
        if (dv(i) < f) {
          zone[i] = 1;
          duMin = any ? std::min(duMin, dv(i)) : dv(i);
          any = true;
        }
      }
      for (int i = 0; i < N; ++i) {
        const bool active = zone[i] || (i > 0 && zone[i - 1]) || (i + 1 < N && zone[i + 1]);
        if (active) Q[i] = term(i);
      }
      auto q = [&](int k) { return (k < 0 || k >= N) ? Real{0} : Q[k]; };
      for (int i = 1; i < N - 1; ++i) P[i] = 0.5L * (Pp[i] + Po[i] + q(i - 1) + q(i + 1)) - Q[i];
      if (N == 1) {
        P[0] = 0.5L * (Pp[0] + Po[0]);
      } else {
        P[0] = 0.5L * (Pp[0] + Po[0] + q(1)) - 0.5L * Q[0];
        P[N - 1] = 0.5L * (Pp[N - 1] + Po[N - 1] + q(N - 2)) - 0.5L * Q[N - 1];
      }
      ctx.ViscDuMin = any ? duMin : f;
      break;
    }
  }
  P[N] = ctx.Pout;
}

// ---- Convergence -----------------------------------------------------------

bool ConvergenceTest(SimContext& ctx, std::string_view name, TConvRecord& rec, Real e, Real d,
                     bool notFirst, Real& R) {
  if (!notFirst) {
    rec.PrevMax = e;
    rec.PrevSum = d;
    R = 1;
    return !std::isnan(d);
  }
  if (std::isnan(d)) {
    TraceWrite(ctx, std::string(kEol) + std::string(name) + " N/E out of range");
    R = -1;
    return false;
  }
  Real g = d / std::max(1e-5L * rec.SumScale, rec.PrevSum);
  rec.PrevSum = d;
  if (rec.PrevMax >= e) {
    rec.PrevMax = std::max(0.001L * rec.MaxScale, e);
  } else if (e <= rec.MaxScale) {
    g = g * e / rec.PrevMax;
    if (!ctx.AtFloorStep) ++ctx.IterCount;
    rec.PrevMax = e;
  } else {
    g = std::max(g, Real{1}) * e / rec.PrevMax;
    rec.PrevMax = e;
  }
  if (ctx.TraceIterations && g > 1)
    TraceWrite(ctx, std::string(kEol) + std::string(name) + " N/E " + Fixed(g, 6, 4) +
                        Sci(d / rec.SumScale, 10));
  if (R >= 0 && g > R) R = g;
  return R >= 0 && R <= 1;
}

// ---- The three passes of the base class ----------------------------------

bool THydrStat::VelocityPass(const THydrStat& old, const THydrStat& prev, Real dt, Real h0,
                             Real& R, bool notFirst, Real w) {
  SimContext& c = ctx_;
  const int N = CellCount();
  const int k = c.GeomExp;
  const Real s2 = c.UnitScale * c.UnitScale;
  const bool equalMass = c.Dspc == 1;
  const Real t = equalMass ? s2 * dt / c.dm : s2 * dt;
  auto r = [&](int i) {
    const Real m = (old.x[i] + prev.x[i]) / 2;
    Real p = 1;
    for (int j = 0; j < k; ++j) p *= m;
    return p;
  };
  // a node whose displacement in this step is lost against the cell width stays at rest
  auto snap = [&](int i) {
    if (h0 + dt * v[i] == h0) v[i] = 0;
  };

  if (c.LeftFixed) {
    v[0] = 0;
  } else {
    v[0] = equalMass ? old.v[0] + 2 * t * (c.Pout - P[0])
                     : old.v[0] + t * r(0) * (c.Pout - P[0]) / NodeMassOf(0);
    if (c.LeftNonNeg) v[0] = std::max(v[0], -2 * old.x[0] / dt - old.v[0]);
  }
  for (int i = 1; i < N; ++i) {
    v[i] = equalMass ? old.v[i] + t * (P[i - 1] - P[i])
                     : old.v[i] + t * r(i) * (P[i - 1] - P[i]) / NodeMassOf(i);
    snap(i);
  }
  if (c.KeepVL) {
    v[N] = c.VRightByP ? (old.P[N - 1] - c.Pout) * c.VRightCoef : old.v[N];
  } else {
    v[N] = equalMass ? old.v[N] + 2 * t * (P[N - 1] - c.Pout)
                     : old.v[N] + t * r(N) * (P[N - 1] - c.Pout) / NodeMassOf(N);
    snap(N);
  }
  Real maxChange = 0, sumSq = 0;
  for (int i = 0; i <= N; ++i) {
    const Real d = prev.v[i] - v[i];
    v[i] += w * d;
    maxChange = std::max(maxChange, std::fabs(d));
    sumSq += d * d;
  }
  return ConvergenceTest(c, "V", c.ConvV, maxChange, sumSq, notFirst, R);
}

bool THydrStat::CoordinatePass(const THydrStat& old, const THydrStat& prev, Real dt, Real& R,
                               bool notFirst, Real w) {
  SimContext& c = ctx_;
  const int N = CellCount();
  Real maxChange = 0, sumSq = 0;
  for (int i = 0; i <= N; ++i) {
    x[i] = old.x[i] + dt / 2 * (old.v[i] + v[i]);
    if (i >= 1 && x[i] <= x[i - 1]) return false;  // tangled mesh
    const Real d = prev.x[i] - x[i];
    x[i] += w * d;
    maxChange = std::max(maxChange, std::fabs(d));
    sumSq += d * d;
  }
  if (c.LeftNonNeg && x[0] <= 0) {
    x[0] = 0;
    v[0] = 0;
  }
  return ConvergenceTest(c, "X", c.ConvX, maxChange, sumSq, notFirst, R);
}

bool THydrStat::EnergyPass(const THydrStat& old, const THydrStat& prev, Real dt, Real,
                           bool linearT, Real& R, bool notFirst, Real w) {
  SimContext& c = ctx_;
  const int N = CellCount();
  Real eMax = 0, eSum = 0, tMax = 0, tSum = 0, pMax = 0, pSum = 0;
  for (int i = 0; i < N; ++i) {
    const Real Ew = old.E[i] - dt / 2 * (old.SpecVolRate(i) + SpecVolRate(i)) * P[i];
    const Real d = prev.E[i] - Ew;
    E[i] = Ew + w * d;
    eMax = std::max(eMax, std::fabs(d));
    eSum += d * d;
    const Real rho = Density(i);
    if (linearT)
      T[i] = prev.T[i] + (E[i] - c.EosE(prev.T[i], rho)) / c.EosCv(prev.T[i], rho);
    else
      T[i] = c.EosTofE(E[i], rho);
    const Real dT = T[i] - prev.T[i];
    tMax = std::max(tMax, std::fabs(dT));
    tSum += dT * dT;
    P[i] = c.EosP(T[i], rho);
    const Real dP = std::fabs(P[i] - prev.P[i]);
    pMax = std::max(pMax, dP);
    pSum += dP * dP;
  }
  return ConvergenceTest(c, "E", c.ConvE, eMax, eSum, notFirst, R) &&
         ConvergenceTest(c, "T", c.ConvT, tMax, tSum, notFirst, R) &&
         ConvergenceTest(c, "p", c.ConvP, pMax, pSum, notFirst, R);
}

// ---- One pass --------------------------------------------------------------

bool Pass(SimContext& ctx, THydrStat& target, const THydrStat& old, const THydrStat& prev,
          Real dt, bool linearT, Real& R, bool notFirst, bool force, Real w) {
  if (!notFirst) force = true;
  FpGuard guard;
  bool ok = true;
  try {
    const int N = target.CellCount();
    bool moved = true;
    if (ctx.NoMove) {
      // frozen mesh: zero work pressure, and a new velocity that cancels the
      // old one in the mean, so the mesh neither moves nor does work
      for (int i = 0; i <= N; ++i) {
        target.x[i] = old.x[i];
        target.v[i] = -old.v[i];
        target.P[i] = 0;
      }
      ctx.ConvV.PrevSum = notFirst ? 0 : 1;
      ctx.ConvX.PrevSum = notFirst ? 0 : 1;
      R = 0;
      moved = false;
    }
    if (moved) {
      WorkPressure(ctx, target, old, prev);
      R = 0;
      ok = target.VelocityPass(old, prev, dt, ctx.h0, R, notFirst, w);
      if ((force || ok) && !target.CoordinatePass(old, prev, dt, R, notFirst, w)) ok = false;
    }
    if (force || ok) {
      if (!target.EnergyPass(old, prev, dt, ctx.h0, linearT, R, notFirst, w)) ok = false;
    } else {
      R = -std::fabs(R);
    }
  } catch (const MathError&) {
    R = -1;
    return false;
  }
  if (guard.Failed()) {
    R = -1;
    return false;
  }
  return ok;
}

// ---- Scales of the records -------------------------------------------------

namespace {
// SumScale and MaxScale from the accumulated values, then the floors of
// PrevMax and the tolerance of the sum of squares.
void ScaleTail(TConvRecord& r, int n) {
  r.MaxScale = std::max(r.PrevMax, std::sqrt(r.SumScale / n));
  r.PrevMax = std::max(r.PrevMax, 0.001L * r.MaxScale);
}
void ScaleTolerance(TConvRecord& r) {
  r.SumScale = std::min(1e-5L * r.SumScale, std::max(1e-8L * r.SumScale, 1e-4L * r.PrevSum));
  r.PrevSum = std::max(r.PrevSum, 1e-5L * r.SumScale);
}
void ScaleFull(TConvRecord& r, int n, Real count) {
  r.SumScale = std::max(r.SumScale, count * r.MaxScale * r.MaxScale / 2);
  ScaleTail(r, n);
  ScaleTolerance(r);
}
}  // namespace

void ScaleRecords(SimContext& ctx, Real dt) {
  ctx.State->Statistics(true);
  ctx.NewState->Statistics(false);
  const THydrStat& ns = *ctx.NewState;
  const int N = ns.CellCount();
  ScaleFull(ctx.ConvV, N, N);
  ScaleFull(ctx.ConvX, N, N);
  if (ctx.EosCv) {
    const int a = ctx.ShiftDiv > 0 ? ctx.ShiftDiv : 0;
    const int b = ctx.ShiftDiv < 0 ? N - 1 + ctx.ShiftDiv : N - 1;
    const Real ca = ctx.EosCv(ns.T[a], ns.Density(a));
    const Real cb = ctx.EosCv(ns.T[b], ns.Density(b));
    ctx.ConvE.MaxScale =
        std::max(ctx.ConvE.MaxScale, ctx.ConvT.MaxScale * std::max(std::fabs(ca), std::fabs(cb)));
    ctx.ConvE.SumScale = std::max(ctx.ConvE.SumScale, ctx.ConvT.MaxScale * std::max(ca * ca, cb * cb));
  }
  ScaleFull(ctx.ConvT, N, N - 1);
  ScaleFull(ctx.ConvE, N, N);
  {
    TConvRecord& p = ctx.ConvP;
    p.SumScale = std::max(p.SumScale, N * p.MaxScale * p.MaxScale / 2);
    ScaleTail(p, N);
    const Real S = p.SumScale;
    const Real rhoMax = std::max(ctx.rho0l, ctx.rho0);
    p.SumScale = std::max(std::min(1e-5L * S, std::max(1e-8L * S, 1e-4L * p.PrevSum)),
                          ctx.ConvE.SumScale / (rhoMax * rhoMax));
    p.PrevSum = std::max(p.PrevSum, 1e-5L * p.SumScale);
  }
  const Real s2 = ctx.UnitScale * ctx.UnitScale;
  const Real a = s2 * dt / ctx.dm;
  const Real q = 0.1L * ctx.ConvP.SumScale * a * a;
  TConvRecord& v = ctx.ConvV;
  if (q > v.SumScale) {
    v.SumScale = q;
    ScaleTail(v, N);
    v.PrevSum = std::max(v.PrevSum, 1e-5L * v.SumScale);
  }
}

// ---- TryStep ---------------------------------------------------------------

bool TryStep(SimContext& ctx, Real& dt, bool linearT) {
  THydrStat& S = *ctx.State;
  Real R1 = 0, R2 = 0;
  auto P1 = [&] { return Pass(ctx, *ctx.NewState, S, S, dt, linearT, R1, false, false, 0); };
  auto PA = [&](Real w, bool force) {
    return Pass(ctx, *ctx.IterState, S, *ctx.NewState, dt, linearT, R1, true, force, w);
  };
  auto PB = [&](Real w, bool force) {
    return Pass(ctx, *ctx.NewState, S, *ctx.IterState, dt, linearT, R2, true, force, w);
  };
  auto pumpStopped = [&] {
    ctx.Port().PumpEvents();
    return !ctx.Running;
  };
  auto at = [&] { return "  t" + Sci(ctx.Time, 15) + " +" + Sci(dt, 12) + kEol; };
  int& k = ctx.IterCount;
  auto w50 = [&] { return static_cast<Real>(k) / 50; };
  auto w100 = [&] { return static_cast<Real>(k) / 100 + 0.5L; };

  if (!P1()) return false;
  ScaleRecords(ctx, dt);
  bool ok = PA(0, true);
  if (ok) {
    ok = PB(0, false);
  } else {
    if (R1 < 0) return false;
    ok = PB(0, false);
    if (ok) TraceWrite(ctx, " - Err. It. 0" + at());
  }
  k = 0;

  if (!ok) {
    while ((R1 < 0 || R2 < 0) && k < ctx.IterLimit / 2) {
      ++k;
      P1();
      ResetMax(ctx);
      Pass(ctx, *ctx.IterState, S, *ctx.NewState, dt, linearT, R2, true, true, w50());
      if (R1 < 0) R1 = 1;
      if (R2 > R1) R1 = R2;
      ok = R2 >= 0 ? PB(w50(), true) : false;
      if (pumpStopped()) return ok;
    }
    if (!ok) {
      if (R1 < 0 || R2 < 0) return false;
      if (R1 > R2) R2 = R1;
      TraceWrite(ctx, std::string(" - Err. It. 0") + (k > 0 ? " - " + std::to_string(k) : "") + at());
    }
  }

  Real sum = 0, largest = 0;
  while (k < ctx.IterLimit) {
    Ratios(ctx, sum, largest);
    if (ok && largest <= 1 && std::max(R1, R2) * sum * R2 <= 0.1L) break;
    ok = PA(w50(), ctx.AtFloorStep);
    if (ok) ok = PB(w50(), ctx.AtFloorStep);
    if (pumpStopped()) return ok;
    if (ok) {
      ++k;
      continue;
    }
    if (!ctx.AtFloorStep) {
      TraceWrite(ctx, " - Err. It. " + std::to_string(k + 1) + at());
      return false;
    }
    // at the floor step: heavier relaxation, restarting from the old level
    // while passes keep failing
    if (R1 >= 0 && R2 >= 0) {
      Pass(ctx, *ctx.IterState, S, *ctx.NewState, dt, linearT, R1, false, true, w100());
      ResetMax(ctx);
      PB(w100(), true);
    } else {
      do {
        ++k;
        P1();
        ResetMax(ctx);
        PA(w50(), true);
        PB(w50(), true);
        if (pumpStopped()) return ok;
      } while ((R1 < 0 || R2 < 0) && k < ctx.IterLimit / 2);
    }
    ++k;
    if (pumpStopped()) return ok;
    PA(w100(), true);
    PB(w100(), true);
    TraceWrite(ctx, " - Err.  It. " + std::to_string(k + 1) + " + #$" + at());
    Ratios(ctx, sum, largest);
    ok = R1 >= 0 && R2 >= 0 && std::max(R1, R2) * sum * R2 < 1;
    if (pumpStopped()) return ok;
    if (ok) break;
    ++k;
  }

  // Acceptance of a step that did not agree
  if (ok) ok = k <= ctx.IterLimit;
  if (!ok && R1 >= 0 && R2 >= 0) {
    Real& A = ctx.AutoAcceptR;
    Real& B = ctx.AutoRejectR;
    const Real kk = k;
    const Real r12 = R1 * R2;
    if ((R2 <= 1 && kk * A >= r12) || (R1 > R2 && kk * A > R1 * R1) ||
        (kk * A / 2 > std::max(R1, R2) * std::max(R1, R2))) {
      ok = true;
    } else if (ctx.AtFloorStep) {
      ctx.Port().Notify(Sound::Error);
      if (kk * B > r12 || B == 0) {
        const TNumStringFormat g;
        const Button answer = ctx.Port().Ask(
            "Iteration did not agree! " + std::to_string(k) + " iterations, R1 =" + g.ToText(R1) +
                ", R2 =" + g.ToText(R2) + " Ignore and continue?",
            {Button::Yes, Button::No, Button::Cancel, Button::Retry, Button::NoToAll,
             Button::YesToAll},
            MessageKind::Error);
        const Real lim = std::fabs(r12) / 50;
        switch (answer) {
          case Button::Yes: ok = true; break;
          case Button::YesToAll:
            ok = true;
            A = std::max(A, std::fabs(r12) / kk);
            break;
          case Button::Retry:
            if (B != 0) {
              A = std::min(A, lim);
              B = std::min(B, lim);
            }
            break;
          case Button::NoToAll: B = B == 0 ? lim : std::min(B, lim); break;
          default: break;
        }
      }
    }
  }

  if (ok) {
    if (ctx.NoMove) ctx.NewState->v = S.v;
    if (ctx.AtFloorStep)
      dt = ctx.dtMax;
    else
      dt = std::min(ctx.dtMax, dt * (2 / std::sqrt(static_cast<Real>(std::max(k, 1))) + 0.7L));
    TraceWrite(ctx, std::to_string(-k));
    return true;
  }
  const auto rec = [](const char* name, const TConvRecord& r) {
    return std::string(name) + Sci(r.PrevSum, 8) + "/" + Sci(r.SumScale, 8);
  };
  TraceWrite(ctx, " It. " + std::to_string(k + 1) + " t" + Sci(ctx.Time, 12) + " +" + Sci(dt, 10) +
                      kEol + rec("V ", ctx.ConvV) + rec(" x ", ctx.ConvX) + rec(" T ", ctx.ConvT) +
                      rec(" E ", ctx.ConvE) + rec(" p ", ctx.ConvP) + " R " + Sci(R1, 12) +
                      " - " + Sci(R2, 12) + kEol);
  return false;
}

}  // namespace tessmar
