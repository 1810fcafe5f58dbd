// Geometry, masses and sizing of the Lagrangian mesh.
#include <gtest/gtest.h>

#include <cmath>

#include "core/hydr_stat.h"
#include "core/sim_context.h"

namespace tessmar {
namespace {

// A uniform target of N cells on [0, L] with density rho, in the geometry dspc.
void BuildUniform(SimContext& ctx, int dspc, int N, Real L, Real rho, SolverClass c) {
  ctx.SetGeometry(dspc);
  ctx.L = L;
  ctx.rho0 = rho;
  CreateOrResizeAll(ctx, c, N);
  ctx.dm = ctx.h0 * rho;
  for (int j = 0; j <= N; ++j) ctx.State->x[j] = j * ctx.h0;
  if (dspc != 1) BuildMassArrays(ctx, N, 0, 0, ctx.h0, rho, rho);
}

TEST(GeomDiff, FactoredFormsMatchPowersAndKeepPrecisionFarFromAxis) {
  struct Case {
    int n;
    Real a, b, expect;
  };
  const Case cases[] = {
      {0, 2, 3, 0},
      {1, 2, 3, 1},
      {2, 2, 3, 5},
      {3, 2, 3, 19},
      {4, 2, 3, 65},
      {5, 1, 2, 31},
      // b^2 - a^2 for a = 1e8, b = 1e8 + 1 is 2e8 + 1 exactly; the plain
      // difference of squares loses the 1 in 64 bits of mantissa.
      {2, 1e8L, 1e8L + 1, 2e8L + 1},
      {3, 1e8L, 1e8L + 1, 3e16L + 3e8L + 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GeomDiff(c.n, c.a, c.b), c.expect) << "n=" << c.n << " a=" << c.a;
}

TEST(Resize, SetsSizesGhostPressureAndInitialSpacing) {
  SimContext ctx;
  ctx.L = 2;
  ctx.Pout = 0.25L;
  CreateOrResizeAll(ctx, SolverClass::Hydro2Telast, 8);
  for (auto* s : {ctx.State.get(), ctx.NewState.get(), ctx.IterState.get()}) {
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Class(), SolverClass::Hydro2Telast);
    EXPECT_EQ(s->CellCount(), 8);
    EXPECT_EQ(s->x.size(), 9u);
    EXPECT_EQ(s->P.size(), 9u);
    EXPECT_EQ(s->T.size(), 8u);
    EXPECT_EQ(s->P[8], 0.25L);
    auto& e = static_cast<THydro2Telast&>(*s);
    EXPECT_EQ(e.Te.size(), 8u);
    EXPECT_EQ(e.Pi.size(), 8u);
    EXPECT_EQ(e.Sxx.size(), 8u);
    EXPECT_EQ(e.RefStrain.size(), 8u);
  }
  EXPECT_EQ(ctx.h0, 0.25L);

  // Same size: nothing changes, not even the ghost or h0.
  ctx.State->T[3] = 7;
  ctx.State->P[8] = 99;
  ctx.L = 100;
  CreateOrResizeAll(ctx, SolverClass::HydrStat, 8);
  EXPECT_EQ(ctx.State->T[3], 7);
  EXPECT_EQ(ctx.State->P[8], 99);
  EXPECT_EQ(ctx.h0, 0.25L);
  // An existing object keeps its class whatever class is asked for.
  EXPECT_EQ(ctx.State->Class(), SolverClass::Hydro2Telast);

  // A new size keeps leading values, zeroes new ones, resets the ghost and h0.
  ctx.Pout = 0.5L;
  CreateOrResizeAll(ctx, SolverClass::HydrStat, 10);
  EXPECT_EQ(ctx.State->T[3], 7);
  EXPECT_EQ(ctx.State->T[9], 0);
  EXPECT_EQ(ctx.State->P[10], 0.5L);
  EXPECT_EQ(ctx.h0, 10);
  EXPECT_EQ(static_cast<THydro2Telast&>(*ctx.State).Sxx.size(), 10u);
}

TEST(SwapStates, ExchangesObjectsNotData) {
  SimContext ctx;
  ctx.L = 1;
  CreateOrResizeAll(ctx, SolverClass::HydrStat, 4);
  THydrStat* a = ctx.State.get();
  THydrStat* b = ctx.NewState.get();
  ctx.SwapStates();
  EXPECT_EQ(ctx.State.get(), b);
  EXPECT_EQ(ctx.NewState.get(), a);
}

TEST(Mesh, EqualMassModeAgreesWithMassArraysForUniformPlaneTarget) {
  const int N = 6;
  SimContext eq, arr;
  BuildUniform(eq, 1, N, 3e-4L, 2.7L, SolverClass::HydrStat);
  BuildUniform(arr, 0, N, 3e-4L, 2.7L, SolverClass::HydrStat);
  // a non-uniform mesh, the same in both
  for (int j = 1; j < N; ++j) {
    eq.State->x[j] += 1e-6L * (j % 2 ? 1 : -1);
    arr.State->x[j] = eq.State->x[j];
  }
  const auto& se = *eq.State;
  const auto& sa = *arr.State;
  for (int i = 0; i < N; ++i) {
    EXPECT_NEAR(se.CellMassOf(i), sa.CellMassOf(i), 1e-18L * se.CellMassOf(i)) << i;
    EXPECT_NEAR(se.Density(i), sa.Density(i), 1e-16L * se.Density(i)) << i;
  }
  for (int j = 0; j <= N; ++j)
    EXPECT_NEAR(se.NodeMassOf(j), sa.NodeMassOf(j), 1e-18L * se.NodeMassOf(1)) << j;
  EXPECT_EQ(se.NodeMassOf(0), eq.dm / 2);
  EXPECT_EQ(se.NodeMassOf(N), eq.dm / 2);
  EXPECT_EQ(se.NodeMassOf(2), eq.dm);
  // Node densities of the two modes agree in the interior, where the node
  // volume spans half of each neighbouring cell.
  for (int j = 1; j < N; ++j)
    EXPECT_NEAR(se.NodeDensity(j), sa.NodeDensity(j), 1e-15L * se.NodeDensity(j)) << j;
}

TEST(Mesh, SphereCentreNodeVolumeIsTheInnerSphere) {
  SimContext ctx;
  BuildUniform(ctx, 3, 5, 1, 1, SolverClass::HydrStat);
  const auto& s = *ctx.State;
  const Real r = s.x[1] / 2;
  EXPECT_NEAR(s.NodeVolume(0), r * r * r / 3, 1e-20L);
  EXPECT_NEAR(s.NodeVolume(0), s.CellVolume(0) / 8, 1e-20L);
  // All node volumes together are the whole ball (per steradian).
  Real total = 0;
  for (int j = 0; j <= s.CellCount(); ++j) total += s.NodeVolume(j);
  EXPECT_NEAR(total, 1.0L / 3, 1e-18L);
}

TEST(Mesh, NodeAveragesAtTheEnds) {
  SimContext ctx;
  ctx.Pout = 0.1L;
  BuildUniform(ctx, 1, 3, 1, 1, SolverClass::HydrStat);
  auto& s = *ctx.State;
  s.T = {10, 20, 40};
  s.P = {1, 2, 4, ctx.Pout};
  EXPECT_EQ(s.NodeTemperature(0), 10);
  EXPECT_EQ(s.NodeTemperature(1), 15);
  EXPECT_EQ(s.NodeTemperature(3), 40);
  EXPECT_EQ(s.NodePressure(0), 1);
  EXPECT_EQ(s.NodePressure(2), 3);
  EXPECT_EQ(s.NodePressure(3), (4 + 0.1L) / 2);
}

TEST(Mesh, SpecVolRateIsTheVolumeChangePerMass) {
  // In each geometry the rate must equal d(CellVolume)/dt / mass for a mesh
  // moving with the node velocities; check by a small finite difference.
  for (int dspc : {0, 1, 2, 3}) {
    SimContext ctx;
    BuildUniform(ctx, dspc, 4, 1, 1, SolverClass::HydrStat);
    auto& s = *ctx.State;
    for (int j = 0; j <= 4; ++j) {
      s.x[j] += 1;  // away from the axis
      s.v[j] = 0.3L * j * j - 0.1L;
    }
    const Real dt = 1e-9L;
    for (int i = 0; i < 4; ++i) {
      const Real v0 = s.CellVolume(i);
      const Real xl = s.x[i], xr = s.x[i + 1];
      s.x[i] += s.v[i] * dt;
      s.x[i + 1] += s.v[i + 1] * dt;
      const Real v1 = s.CellVolume(i);
      s.x[i] = xl;
      s.x[i + 1] = xr;
      const Real fd = (v1 - v0) / dt / s.CellMassOf(i);
      EXPECT_NEAR(s.SpecVolRate(i), fd, 1e-7L * std::fabs(fd) + 1e-12L)
          << "Dspc=" << dspc << " cell " << i;
    }
  }
}

// Mass arrays of a two-material target: every node mass is the mass of its two
// half cells, the interface node half a cell of each material.
TEST(BuildMassArrays, TwoMaterialsLeftAndRight) {
  for (int dspc : {0, 2, 3}) {
    for (int k : {2, -2}) {
      SimContext ctx;
      ctx.SetGeometry(dspc);
      const int N = 6;
      const Real h = 0.5L, rhoM = 2, rhoS = 10;
      BuildMassArrays(ctx, N, 0, k, h, rhoM, rhoS);
      const int nu = ctx.SpaceDim;
      auto cellVol = [&](int i) { return GeomDiff(nu, i * h, (i + 1) * h) / nu; };
      auto rhoOf = [&](int i) {
        const bool second = k > 0 ? i < k : i >= N + k;
        return second ? rhoS : rhoM;
      };
      Real cellTotal = 0, nodeTotal = 0;
      for (int i = 0; i < N; ++i) {
        EXPECT_NEAR(ctx.CellMass[i], rhoOf(i) * cellVol(i), 1e-17L * ctx.CellMass[i]);
        cellTotal += ctx.CellMass[i];
      }
      for (int j = 0; j <= N; ++j) {
        Real expect = 0;
        if (j > 0) expect += rhoOf(j - 1) * GeomDiff(nu, (j - 0.5L) * h, j * h) / nu;
        if (j < N) expect += rhoOf(j) * GeomDiff(nu, j * h, (j + 0.5L) * h) / nu;
        EXPECT_NEAR(ctx.NodeMass[j], expect, 1e-17L * (expect + 1)) << "node " << j << " k=" << k;
        nodeTotal += ctx.NodeMass[j];
      }
      EXPECT_NEAR(nodeTotal, cellTotal, 1e-16L * cellTotal) << "Dspc=" << dspc << " k=" << k;
      EXPECT_EQ(ctx.HalfVol.size(), 2u * N + 2);
    }
  }
}

TEST(BuildMassArrays, AppendingALayerKeepsOldCellsAndJoinsAtTheInterface) {
  SimContext ctx;
  ctx.SetGeometry(3);
  const Real h = 1;
  BuildMassArrays(ctx, 4, 0, 0, h, 2, 2);
  const auto oldCells = ctx.CellMass;
  BuildMassArrays(ctx, 7, 4, 0, h, 2, 5);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ctx.CellMass[i], oldCells[i]);
  auto half = [](Real a, Real b) { return GeomDiff(3, a, b) / 3; };
  EXPECT_NEAR(ctx.NodeMass[4], 2 * half(3.5L, 4) + 5 * half(4, 4.5L), 1e-16L);
  EXPECT_NEAR(ctx.CellMass[5], 5 * half(5, 6), 1e-16L);
  EXPECT_NEAR(ctx.NodeMass[7], 5 * half(6.5L, 7), 1e-16L);
}

TEST(Statistics, ScalesAreMaximaAndSumsOfSquaresOverBothLevels) {
  SimContext ctx;
  ctx.L = 1;
  CreateOrResizeAll(ctx, SolverClass::HydrStat, 2);
  auto& a = *ctx.State;
  auto& b = *ctx.NewState;
  a.v = {1, -3, 2};
  a.x = {0, 1, 2};
  a.T = {5, 6};
  a.E = {1, 1};
  a.P = {2, 2, 0};
  b.v = {0, 0, 4};
  b.x = {0, 1, 2};
  b.T = {5, 7};
  b.E = {1, 1};
  b.P = {-9, 2, 0};
  ctx.ConvV.MaxScale = 100;  // reset must clear it
  a.Statistics(true);
  b.Statistics(false);
  EXPECT_EQ(ctx.ConvV.MaxScale, 4);
  EXPECT_EQ(ctx.ConvV.SumScale, 1 + 9 + 4 + 16);
  EXPECT_EQ(ctx.ConvX.SumScale, 2 * (0 + 1 + 4));
  EXPECT_EQ(ctx.ConvT.MaxScale, 7);
  EXPECT_EQ(ctx.ConvP.MaxScale, 9);  // the ghost P[N] is not a cell
  EXPECT_EQ(ctx.ConvP.SumScale, 4 + 4 + 81 + 4);
}

TEST(Passes, ThatAreNotBuiltSayWhich) {
  SimContext ctx;
  ctx.L = 1;
  CreateOrResizeAll(ctx, SolverClass::NoMet, 2);
  Real R = 0;
  try {
    ctx.NewState->EnergyPass(*ctx.State, *ctx.State, 1, 1, false, R, false, 0);
    FAIL() << "expected NotBuiltError";
  } catch (const NotBuiltError& e) {
    EXPECT_NE(std::string(e.what()).find("TNoMet"), std::string::npos);
  }
}

}  // namespace
}  // namespace tessmar
