// Cost of the mesh operations every pass and every table refresh uses.
#include <benchmark/benchmark.h>

#include "core/hydr_stat.h"
#include "core/sim_context.h"

namespace tessmar {
namespace {

void Setup(SimContext& ctx, int dspc, int N) {
  ctx.SetGeometry(dspc);
  ctx.L = 1e-4L;
  CreateOrResizeAll(ctx, SolverClass::HydrStat, N);
  ctx.dm = ctx.h0 * 2.7L;
  for (int j = 0; j <= N; ++j) ctx.State->x[j] = 1e-3L + j * ctx.h0;
  for (int j = 0; j <= N; ++j) ctx.State->v[j] = 1e3L * j;
  BuildMassArrays(ctx, N, 0, N / 10, ctx.h0, 2.7L, 19.3L);
}

// Sweep one per-cell operation over a mesh of range(1) cells in the geometry
// range(0).
template <Real (THydrStat::*Op)(int) const>
void Sweep(benchmark::State& st) {
  SimContext ctx;
  const int N = static_cast<int>(st.range(1));
  Setup(ctx, static_cast<int>(st.range(0)), N);
  const THydrStat& s = *ctx.State;
  for (auto _ : st) {
    Real sum = 0;
    for (int i = 0; i < N; ++i) sum += (s.*Op)(i);
    benchmark::DoNotOptimize(sum);
  }
  st.SetItemsProcessed(st.iterations() * N);
}

// Density of every cell: the read every energy pass and the result table make.
void BM_DensitySweep(benchmark::State& st) { Sweep<&THydrStat::Density>(st); }
BENCHMARK(BM_DensitySweep)->ArgsProduct({{1, 0, 2, 3}, {10000}});

// Rate of change of specific volume: twice per cell in every energy pass.
void BM_SpecVolRateSweep(benchmark::State& st) { Sweep<&THydrStat::SpecVolRate>(st); }
BENCHMARK(BM_SpecVolRateSweep)->ArgsProduct({{1, 2, 3}, {10000}});

void BM_BuildMassArrays(benchmark::State& st) {
  SimContext ctx;
  const int N = static_cast<int>(st.range(0));
  ctx.SetGeometry(3);
  for (auto _ : st) {
    BuildMassArrays(ctx, N, 0, -N / 10, 1e-7L, 2.7L, 19.3L);
    benchmark::DoNotOptimize(ctx.NodeMass.data());
  }
  st.SetItemsProcessed(st.iterations() * N);
}
BENCHMARK(BM_BuildMassArrays)->Arg(10000);

}  // namespace
}  // namespace tessmar
