// Cost of one accepted hydrodynamic step on the Sod shock tube (reduced ideal
// gas, gamma 1.4, Loc viscosity), per step and per cell-pass.
#include <benchmark/benchmark.h>

#include "core/hydr_stat.h"
#include "core/hydro_step.h"
#include "core/sim_context.h"

namespace tessmar {
namespace {

void BuildSod(SimContext& ctx, int N) {
  ctx.SetGeometry(0);
  ctx.L = 1;
  ctx.rho0 = 0.125L;
  ctx.rho0l = 1;
  ctx.ShiftDiv = N / 2;
  ctx.Pout = 0.1L;
  ctx.LeftFixed = true;
  ctx.ViscType = 2;
  ctx.ViscScale = 1;
  CreateOrResizeAll(ctx, SolverClass::HydrStat, N);
  ctx.dm = ctx.h0 * ctx.rho0;
  BuildMassArrays(ctx, N, 0, N / 2, ctx.h0, 0.125L, 1);
  ctx.EosE.Install([](Real T, Real) { return T / 0.4L; });
  ctx.EosCv.Install([](Real, Real) { return 1 / 0.4L; });
  ctx.EosP.Install([](Real T, Real rho) { return rho * T; });
  ctx.EosTofE.Install([](Real E, Real) { return 0.4L * E; });
  auto& s = *ctx.State;
  for (int j = 0; j <= N; ++j) s.x[j] = j * ctx.h0;
  for (int i = 0; i < N; ++i) {
    const bool left = i < N / 2;
    const Real rho = left ? 1 : 0.125L, p = left ? 1 : 0.1L;
    s.T[i] = p / rho;
    s.E[i] = s.T[i] / 0.4L;
    s.P[i] = p;
  }
  s.P[N] = ctx.Pout;
  ctx.Running = true;
}

void BM_SodStep(benchmark::State& st) {
  const int N = static_cast<int>(st.range(0));
  SimContext ctx;
  BuildSod(ctx, N);
  ctx.dtMax = 0.5L / N;  // about a Courant number of one half
  Real dt = ctx.dtMax / 10;
  long passes = 0, steps = 0;
  for (auto _ : st) {
    ctx.IterLimit = 7;
    ctx.AtFloorStep = false;
    Real next = dt;
    if (TryStep(ctx, next, false)) {
      ctx.SwapStates();
      ctx.Time += dt;
      dt = next;
      ++steps;
      passes += 2 * (ctx.IterCount + 1) + 1;  // P1, then PA/PB per iteration
    } else {
      dt /= 2;
    }
    if (ctx.Time > 0.15L) {  // keep the waves inside the tube
      st.PauseTiming();
      ctx.Time = 0;
      BuildSod(ctx, N);
      st.ResumeTiming();
    }
  }
  st.counters["steps"] = static_cast<double>(steps);
  st.counters["ns_per_cell_pass"] = benchmark::Counter(
      static_cast<double>(passes) * N, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SodStep)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tessmar
