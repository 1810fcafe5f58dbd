// The initial-state builder: node placement for every geometry and second-
// material position, the flat and growth parts of the profile, the two-
// temperature fields, the checks before a build, and re-evaluation.
#include "setup/init_dialog.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/question_port.h"
#include "materials/eos_select.h"
#include "materials/ideal_gas.h"

namespace tessmar {
namespace {

class Builder : public ::testing::Test {
 protected:
  Builder() : ctx(&port), init(ctx) {
    SetReducedIdealGas(ctx.IdealGas, 1.4L, 1);
    SelectEOS(ctx, eq_type::kIdealGas, 0, false, false);
    SelectEOS(ctx, eq_type::kIdealGas, 0, false, true);
    // Hydrodynamics without heat conduction.
    ctx.NoConduct = true;
    ctx.NoThermo = true;
    init.Len = 1;
    init.Dimension = 10;
    init.Rho0 = 0.125L;
    init.RadioGroup1 = kPress;
    init.InitProfile = k1T;
    port.QueueAnswer(Button::No);  // "Save(print) settings?"
  }
  // Set a field as if typed, so its rules run.
  void Type(const char* name, FieldValue v) { init.At(name).Set(v); }
  Real X(int i) const { return ctx.State->x[static_cast<std::size_t>(i)]; }

  ScriptedQuestionPort port;
  SimContext ctx;
  TInitional init;
};

TEST_F(Builder, SodTubeOnEqualWidthCellsWithTheSecondMaterialFirst) {
  Type("DspcEdit", 0LL);
  Type("Pini", 0.1L);  // T follows from the gas: 0.8
  Type("xf", 1.0L);    // flat to the end
  Type("Pout", 0.1L);
  Type("xShiftDiv", 5LL);
  Type("rho0l", 1.0L);
  Type("T0l", 1.0L);  // P0l = rho*T/M = 1
  ASSERT_EQ(init.OkBtnClick(), BuildResult::kAccepted) << init.Focus();
  EXPECT_EQ(port.Texts().back(), "Save(print) settings?");
  ASSERT_TRUE(ctx.State);
  EXPECT_EQ(ctx.State->Class(), SolverClass::HydrStat);
  ASSERT_TRUE(ctx.NewState && ctx.IterState);
  const THydrStat& s = *ctx.State;
  for (int i = 0; i <= 10; ++i) EXPECT_NEAR(X(i), 0.1L * i, 1e-18L) << i;
  for (int i = 0; i < 10; ++i) {
    const bool glass = i < 5;
    EXPECT_NEAR(s.Density(i), glass ? 1.0L : 0.125L, 1e-15L) << i;
    EXPECT_NEAR(s.P[static_cast<std::size_t>(i)], glass ? 1.0L : 0.1L, 1e-15L) << i;
    EXPECT_NEAR(s.T[static_cast<std::size_t>(i)], glass ? 1.0L : 0.8L, 1e-15L) << i;
    // E = T/((gamma-1) M)
    EXPECT_NEAR(s.E[static_cast<std::size_t>(i)], s.T[static_cast<std::size_t>(i)] / 0.4L, 1e-14L);
  }
  EXPECT_EQ(s.P[10], 0.1L);  // ghost = Pout
  EXPECT_EQ(ctx.ShiftDiv, 5);
  EXPECT_EQ(ctx.Time, 0);
}

TEST_F(Builder, EqualMassPlaneNodesAroundTheInterface) {
  struct Case {
    bool out;
    int zeroNode;
  };
  for (const Case c : {Case{false, 4}, Case{true, 6}}) {
    SCOPED_TRACE(c.out ? "second material last" : "second material first");
    Type("Pini", 0.1L);
    Type("xf", 1.0L);
    init.CheckOut = c.out;
    Type("xShiftDiv", 4LL);
    Type("rho0l", 1.0L);
    Type("T0l", 1.0L);
    port.QueueAnswer(Button::No);  // "Continue current?" on the second round
    port.QueueAnswer(Button::No);
    ASSERT_NE(init.OkBtnClick(), BuildResult::kFocus) << init.Focus();
    const Real h0 = 0.1L, hg = h0 * 0.125L / 1.0L;  // dm / rho0l
    EXPECT_EQ(X(c.zeroNode), 0);
    if (!c.out) {
      EXPECT_NEAR(X(0), -4 * hg, 1e-18L);
      EXPECT_NEAR(X(10), 6 * h0, 1e-18L);
    } else {
      EXPECT_NEAR(X(0), -6 * h0, 1e-18L);
      EXPECT_NEAR(X(10), 4 * hg, 1e-18L);
    }
    for (int i = 0; i < 10; ++i) EXPECT_NEAR(ctx.State->CellMassOf(i), ctx.dm, 1e-18L);
  }
}

TEST_F(Builder, RadialGeometriesForceAFixedCentre) {
  for (long long dspc : {2LL, 3LL}) {
    Type("DspcEdit", dspc);
    EXPECT_EQ(init.MoveType, kV0Zero);
    EXPECT_EQ(init.Bound0, kBoundNoFlux);
    EXPECT_FALSE(init.At("Bound0").Enabled());
    Type("MoveType", static_cast<long long>(kP0Pout));
    EXPECT_EQ(init.MoveType, kV0Zero);
  }
  Type("Pini", 0.1L);
  Type("xf", 1.0L);
  ASSERT_EQ(init.OkBtnClick(), BuildResult::kAccepted) << init.Focus();
  EXPECT_EQ(ctx.SpaceDim, 3);
  EXPECT_EQ(ctx.CellMass.size(), 10u);
  // Sphere: cell masses are rho * (r2^3 - r1^3)/3.
  EXPECT_NEAR(ctx.State->CellMassOf(9), 0.125L * (1 - 0.729L) / 3, 1e-15L);
  EXPECT_NEAR(ctx.State->Density(9), 0.125L, 1e-15L);
}

// The growth part in temperature, cell by cell, against the shapes' closed forms.
TEST_F(Builder, GrowthShapesReachTheirEndValues) {
  struct Case {
    int shape;
    Real dist;  // 0: the default the shape proposes
    int cell;   // cell where the shape equals Tgr exactly
  };
  for (const Case c : {Case{kLinear, 0, 9}, Case{kPoly, 0, 9}, Case{kExp, 0.2L, 9}}) {
    SCOPED_TRACE(c.shape);
    Type("RadioGroup1", static_cast<long long>(kTemp));
    Type("Tini", 1.0L);
    Type("xf", 0.3L);
    Type("Tgr", 4.0L);
    Type("GrouthFunc", static_cast<long long>(c.shape));
    if (c.dist != 0) init.Dist = c.dist;  // else the shape's default length
    port.QueueAnswer(Button::No);         // "Continue current?"
    port.QueueAnswer(Button::No);
    ASSERT_NE(init.OkBtnClick(), BuildResult::kFocus) << init.Focus();
    const THydrStat& s = *ctx.State;
    // FlatEnd = floor(N (xf - h0/2)/Len) = 2
    for (int k = 0; k <= 2; ++k) EXPECT_EQ(s.T[static_cast<std::size_t>(k)], 1.0L);
    EXPECT_NEAR(s.T[static_cast<std::size_t>(c.cell)], 4.0L, 1e-15L);
    for (int k = 3; k < 10; ++k) {
      const auto i = static_cast<std::size_t>(k);
      EXPECT_GT(s.T[i], s.T[i - 1]) << k;  // rising
      EXPECT_NEAR(s.P[i], s.Density(k) * s.T[i], 1e-15L);
    }
  }
}

TEST_F(Builder, FlatEndStaysInsideTheMainMaterial) {
  Type("RadioGroup1", static_cast<long long>(kTemp));
  Type("Tini", 1.0L);
  Type("Tgr", 2.0L);
  Type("xf", 0.01L);  // below half a cell
  Type("GrouthFunc", static_cast<long long>(kStep));
  ASSERT_EQ(init.OkBtnClick(), BuildResult::kAccepted) << init.Focus();
  EXPECT_EQ(ctx.State->T[0], 1.0L);
  for (int k = 1; k < 10; ++k) EXPECT_EQ(ctx.State->T[static_cast<std::size_t>(k)], 2.0L) << k;
}

TEST_F(Builder, XfBeyondTheEndMakesTheWholeTargetFlat) {
  Type("RadioGroup1", static_cast<long long>(kTemp));
  Type("Tini", 3.0L);
  Type("Tgr", 5.0L);
  Type("xf", 7.0L);
  EXPECT_EQ(init.xf, 1.0L);
  EXPECT_EQ(init.Tgr, 3.0L);
  EXPECT_EQ(init.Pgr, init.Pini);
  ASSERT_EQ(init.OkBtnClick(), BuildResult::kAccepted) << init.Focus();
  for (int k = 0; k < 10; ++k) EXPECT_EQ(ctx.State->T[static_cast<std::size_t>(k)], 3.0L);
}

TEST_F(Builder, ChecksMoveTheFocusAndChangeNothing) {
  struct Case {
    const char* name;
    void (*spoil)(TInitional&, SimContext&);
    const char* focus;
  };
  const Case cases[] = {
      {"no length", [](TInitional& d, SimContext&) { d.Len = 0; }, "Len"},
      {"no unit", [](TInitional& d, SimContext&) { d.x1Edit = 0; }, "x1Edit"},
      {"no cells", [](TInitional& d, SimContext&) { d.Dimension = 0; }, "Dimension"},
      {"no conduction model",
       [](TInitional&, SimContext& c) {
         c.NoConduct = false;
         c.NoThermo = false;
       },
       "ThermParam"},
      {"no EOS", [](TInitional&, SimContext& c) { c.EosP.Clear(); }, "StatEqButton"},
      {"no density", [](TInitional& d, SimContext&) { d.Rho0 = 0; }, "Rho0"},
      {"energy prescribed", [](TInitional& d, SimContext&) { d.RadioGroup1 = kEnerg; },
       "RadioGroup1"},
      {"no temperature", [](TInitional& d, SimContext&) { d.Tini = 0; }, "Pini"},
      {"growth without shape",
       [](TInitional& d, SimContext&) {
         d.xf = 0.5L;
         d.Tgr = 2;
       },
       "GrouthFunc"},
      {"no profile kind", [](TInitional& d, SimContext&) { d.InitProfile = -1; }, "InitProfile"},
      {"glass without density",
       [](TInitional& d, SimContext&) {
         d.xShiftDiv = 3;
         d.rho0l = 0;
       },
       "rho0l"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedQuestionPort p;
    SimContext cx(&p);
    SetReducedIdealGas(cx.IdealGas, 1.4L, 1);
    SelectEOS(cx, eq_type::kIdealGas, 0, false, false);
    SelectEOS(cx, eq_type::kIdealGas, 0, false, true);
    cx.NoConduct = cx.NoThermo = true;
    TInitional d(cx);
    d.Len = 1;
    d.Dimension = 10;
    d.Rho0 = 1;
    d.RadioGroup1 = kPress;
    d.Pini = 1;
    d.Tini = 1;
    d.xf = 1;
    d.InitProfile = k1T;
    c.spoil(d, cx);
    EXPECT_EQ(d.OkBtnClick(), BuildResult::kFocus);
    EXPECT_EQ(d.Focus(), c.focus);
    EXPECT_FALSE(cx.State);
    EXPECT_TRUE(p.records.empty()) << p.records.front().text;  // focus moves, no messages
  }
}

TEST_F(Builder, TwoTemperatureFieldsShareTheProfile) {
  // Electrons with a constant heat capacity; ions the gas.
  ctx.ElEe.Install([](Real Te, Real) { return 1e-3L * Te; });
  ctx.ElPe.Install([](Real Te, Real rho) { return 2e-3L / 3 * rho * Te; });
  ctx.ElKappa.Install([](Real, Real, Real) { return 0.0L; });
  ctx.NoConduct = false;
  ctx.NoThermo = false;
  SelectEOS(ctx, eq_type::kIdealGas, 0, true, false);  // the gas is the lattice only
  struct Case {
    int kind;
    Real Ti, Te;
  };
  // Tini = 1, Tgr = 4 (step), TeEdit = 7
  for (const Case c :
       {Case{kTiTeT0, 4, 7}, Case{kTeTiT0, 1, 4}, Case{kEqTeTi, 4, 4}, Case{kTeTiLast, 4, 4}}) {
    SCOPED_TRACE(c.kind);
    Type("RadioGroup1", static_cast<long long>(kTemp));
    Type("Tini", 1.0L);
    Type("xf", 0.0L);
    Type("Tgr", 4.0L);
    Type("GrouthFunc", static_cast<long long>(kStep));
    Type("InitProfile", static_cast<long long>(c.kind));
    init.TeEdit = 7;
    port.QueueAnswer(Button::No);  // "Continue current?"
    port.QueueAnswer(Button::No);
    ASSERT_NE(init.OkBtnClick(), BuildResult::kFocus) << init.Focus();
    auto& s = dynamic_cast<THydro2T&>(*ctx.State);
    const std::size_t k = 9;
    const Real rho = s.Density(9);
    EXPECT_EQ(s.T[k], c.Ti);
    EXPECT_EQ(s.Te[k], c.Te);
    EXPECT_NEAR(s.Ee[k], 1e-3L * c.Te, 1e-18L);
    EXPECT_NEAR(s.Ei[k], c.Ti / 0.4L, 1e-15L);
    EXPECT_NEAR(s.E[k], s.Ei[k] + s.Ee[k], 1e-15L);
    EXPECT_NEAR(s.Pi[k], rho * c.Ti, 1e-15L);
    EXPECT_NEAR(s.P[k], s.Pi[k] + s.Pe[k], 1e-15L);
  }
}

TEST_F(Builder, ContinueCurrentKeepsTheArrays) {
  Type("Pini", 0.1L);
  Type("xf", 1.0L);
  ASSERT_EQ(init.OkBtnClick(), BuildResult::kAccepted);
  ctx.State->T[3] = 42;
  port.QueueAnswer(Button::Yes);  // "Continue current?"
  port.QueueAnswer(Button::No);
  ASSERT_EQ(init.OkBtnClick(), BuildResult::kAccepted);
  EXPECT_EQ(port.records[1].text, "Continue current?");
  EXPECT_EQ(ctx.State->T[3], 42);
}

TEST_F(Builder, ReEvaluationKeepsThePrescribedQuantity) {
  Type("Pini", 0.1L);
  Type("xf", 1.0L);
  ASSERT_EQ(init.OkBtnClick(), BuildResult::kAccepted);
  THydrStat& s = *ctx.State;
  struct Case {
    int kind;
    Real T, P, E;  // what is set before; the kept one wins
  };
  // rho = 0.125: P = rho T, E = T/0.4
  for (const Case c : {Case{kPress, 9, 0.25L, 9}, Case{kTemp, 3, 9, 9}, Case{kEnerg, 9, 9, 5}}) {
    SCOPED_TRACE(c.kind);
    s.T[4] = c.T;
    s.P[4] = c.P;
    s.E[4] = c.E;
    init.NewInit = false;
    init.RadioGroup1 = c.kind;
    port.QueueAnswer(Button::No);
    ASSERT_EQ(init.OkBtnClick(), BuildResult::kAccepted) << init.Focus();
    const Real T = c.kind == kPress ? c.P / 0.125L : (c.kind == kTemp ? c.T : c.E * 0.4L);
    EXPECT_NEAR(s.T[4], T, 1e-15L);
    EXPECT_NEAR(s.P[4], 0.125L * T, 1e-15L);
    EXPECT_NEAR(s.E[4], T / 0.4L, 1e-14L);
  }
}

}  // namespace
}  // namespace tessmar
