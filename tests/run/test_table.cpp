// The result table: layouts, titles, cell texts, integral values.

#include <gtest/gtest.h>

#include "run/table.h"
#include "run_fixture.h"

namespace tessmar {
namespace {

using testing::RunFixture;

TableModel Model(bool noMove, bool twoT) {
  TableModel m;
  m.NoMove = noMove;
  m.TwoTemperature = twoT;
  return m;
}

TEST(TableLayout, ColumnCountsOfEveryModel) {
  struct Case {
    TableModel m;
    std::size_t cols;
  };
  std::vector<Case> cases;
  cases.push_back({Model(true, true), 13});
  {
    auto m = Model(true, true);
    m.NoMetal = true;
    cases.push_back({m, 14});
  }
  cases.push_back({Model(true, false), 9});
  {
    auto m = Model(true, false);
    m.NoConduct = true;
    cases.push_back({m, 7});
  }
  cases.push_back({Model(false, true), 20});
  cases.push_back({Model(false, false), 12});
  {
    auto m = Model(false, false);
    m.NoConduct = true;
    cases.push_back({m, 9});
    m.FixTe = true;
    m.NoThermo = true;
    cases.push_back({m, 12});
  }
  for (const auto& c : cases) {
    EXPECT_EQ(TableColumns(c.m).size(), c.cols);
    EXPECT_EQ(TableTitles(c.m).size(), c.cols);
  }
}

TEST(TableLayout, PhysicalTitlesOfTheMovingTwoTemperatureTable) {
  auto m = Model(false, true);
  m.Physical = true;
  const auto t = TableTitles(m);
  const std::vector<std::string> want{
      "No(n)",           "x(n)[nm]",        "rho[g/cm3]",      "v(n)[km/s]",
      "P(n+1/2)[GPa]",   "E(n+1/2)[kJ/g]",  "Ti(n+1/2)[K]",    "Te(n+1/2)[K]",
      "Ei(n+1/2)[kJ/g]", "Ee(n+1/2)[kJ/g]", "Pi(n+1/2)[GPa]",  "Pe(n+1/2)[GPa]",
      "P1T(rho&Ti)",     "Pe(rho&Ti)",      "Phase",           "Ind",
      "Qx(n)[kW/cm2]",   "kappa[kW/cm/K]",  "alpha[kW/cm3/K]", "xGr0-x(n+1/2)[nm]"};
  EXPECT_EQ(t, want);
  m.Elastic = true;
  const auto te = TableTitles(m);
  EXPECT_EQ(te[4], "Pxx(n+1/2)[GPa]");
  EXPECT_EQ(te[12], "Ph(n+1/2)[GPa]");
  EXPECT_EQ(te[13], "Sxx(n+1/2)[GPa]");
}

TEST(TableLayout, ReducedTitles) {
  auto m = Model(true, false);
  m.Radial = true;
  const std::vector<std::string> fixed1T{"   No", "r(n)    ", "T(n+1/2)", "E(n+1/2)",  "Phase",
                                         "Ind",   "Qx(n)",    "kappa",    "L-x(n+1/2)"};
  EXPECT_EQ(TableTitles(m), fixed1T);
  auto n = Model(false, false);
  n.NoConduct = true;
  const std::vector<std::string> moving9{"   No",    "x(n)    ", "rho(n+1/2)",
                                         "v(n)/v1 ", "P(n+1/2)", "E(n+1/2)[kJ/g]",
                                         "Phase",    "Ind",      "L-x(n+1/2)"};
  EXPECT_EQ(TableTitles(n), moving9);
  auto z = Model(true, true);
  z.NoMetal = true;
  EXPECT_EQ(TableTitles(z)[7], " Z      ");
  EXPECT_EQ(TableTitles(z)[6], "E(n+1/2) ");
}

TEST(Table, MovingTableHasBoundaryRowAndAsksTheGraphQuestion) {
  RunFixture fx;
  fx.BuildOneT(4);
  fx.f.Pout = 0.5L;
  fx.port.QueueAnswer(Button::Yes);
  SetupTable(fx.f);
  EXPECT_TRUE(fx.f.ShiftGraphX0);
  ASSERT_EQ(fx.port.Texts().size(), 1u);
  EXPECT_EQ(fx.port.Texts()[0], "Shift graph x0 to right (L0)?");
  EXPECT_EQ(fx.f.Data.ColCount(), 12);
  EXPECT_EQ(fx.f.Data.RowCount(), 6);  // N + 2
  EXPECT_EQ(fx.f.DrawMax, 4);
  EXPECT_EQ(fx.f.DrawTo, 4);
  RefreshTable(fx.f);
  const auto& t = fx.f.Data;
  EXPECT_EQ(t.Cell(0, 1), "0");
  EXPECT_EQ(t.Cell(1, 2), "0.25");
  EXPECT_EQ(t.Cell(2, 1), "2");       // rho = dm / dx
  EXPECT_EQ(t.Cell(3, 2), "0.125");   // v[1]
  EXPECT_EQ(t.Cell(4, 1), "2");       // P = rho*T
  EXPECT_EQ(t.Cell(5, 2), "2.25");    // E
  EXPECT_EQ(t.Cell(6, 2), "1.5");     // T
  EXPECT_EQ(t.Cell(11, 1), "0.875");  // xGr0 - centre
  // boundary row
  EXPECT_EQ(t.Cell(0, 5), "4");
  EXPECT_EQ(t.Cell(1, 5), "1");
  EXPECT_EQ(t.Cell(2, 5), "0");
  EXPECT_EQ(t.Cell(3, 5), "0.5");
  EXPECT_EQ(t.Cell(4, 5), "0.5");  // the Pout text
  EXPECT_EQ(t.Cell(5, 5), "");
}

TEST(Table, FixedTableHasNoBoundaryRow) {
  RunFixture fx;
  fx.BuildOneT(4);
  fx.ctx.NoMove = true;
  SetupTable(fx.f);
  EXPECT_FALSE(fx.f.ShiftGraphX0);     // the safe default No
  EXPECT_EQ(fx.f.Data.RowCount(), 5);  // N + 1
  EXPECT_EQ(fx.f.Data.ColCount(), 9);
  RefreshTable(fx.f);
  EXPECT_EQ(fx.f.Data.Cell(0, 4), "3");
  EXPECT_EQ(fx.f.Data.Cell(2, 4), "2.5");  // T
  EXPECT_FALSE(fx.f.Integr.kPanelVisible);
}

TEST(Table, PressureCutInTensionShowsMinusZero) {
  RunFixture fx;
  fx.BuildOneT(4);
  fx.ctx.EosP.Install([](Real T, Real) { return T < 2 ? -1.0L : 1.0L; });
  fx.ctx.State->P[0] = 0;  // T = 1: EosP < 0
  fx.ctx.State->P[3] = 0;  // T = 2.5: EosP > 0
  SetupTable(fx.f);
  RefreshTable(fx.f);
  EXPECT_EQ(fx.f.Data.Cell(4, 1), "-0      ");
  EXPECT_EQ(fx.f.Data.Cell(4, 4), "0");
  // spallation: a broken cell is "-0" whatever the EOS says
  fx.ctx.SpallOn = true;
  fx.ctx.Tneg = {0, 0, 0, -1};
  RefreshTable(fx.f);
  EXPECT_EQ(fx.f.Data.Cell(4, 4), "-0      ");
}

TEST(Table, TwoTemperatureCellsAlphaAndPiRule) {
  RunFixture fx;
  fx.BuildOneT(3, SolverClass::Hydro2T);
  fx.f.TwoTemperature = true;
  auto& s = dynamic_cast<THydro2T&>(*fx.ctx.State);
  for (int i = 0; i < 3; ++i) {
    s.Te[i] = 10 + i;
    s.Ei[i] = 1;
    s.Ee[i] = 0.5L;
    s.Pi[i] = 1;
    s.Pe[i] = 0.25L;
  }
  s.Pi[1] = 0;
  fx.ctx.EosP.Install([](Real, Real) { return -1.0L; });
  SetupTable(fx.f);
  RefreshTable(fx.f);
  const auto& t = fx.f.Data;
  EXPECT_EQ(t.ColCount(), 20);
  EXPECT_EQ(t.Cell(7, 1), "10");         // Te
  EXPECT_EQ(t.Cell(10, 2), "-0      ");  // Pi cut, no EosIsGas
  EXPECT_EQ(t.Cell(12, 1), "-1");        // P1T = EosP(Ti, rho)
  EXPECT_EQ(t.Cell(18, 1), "00      ");  // no ElAlpha
  fx.ctx.ElAlpha.Install([](Real, Real) { return 3.0L; });
  RefreshTable(fx.f);
  EXPECT_EQ(t.Cell(18, 1), "6");  // alpha * rho
  // gas cells keep their zero
  fx.ctx.EosIsGas.Install([](Real, Real) { return true; });
  RefreshTable(fx.f);
  EXPECT_EQ(t.Cell(10, 2), "0");
  // integral values of the two-temperature state
  const Real m = fx.ctx.dm;
  EXPECT_NEAR(static_cast<double>(fx.f.Integr.Ee), static_cast<double>(3 * m * 0.5L), 1e-15);
}

TEST(Table, HeatFluxBetweenCellsAndAtAFixedBoundary) {
  RunFixture fx;
  fx.BuildOneT(4);
  fx.ctx.IonKappa.Install([](Real, Real) { return 2.0L; });
  SetupTable(fx.f);
  RefreshTable(fx.f);
  // kf = 2 k k / (k dx + k dx) = k / dx = 8; T1 - T0 = 0.5
  EXPECT_EQ(fx.f.Data.Cell(9, 2), "4");
  EXPECT_EQ(fx.f.Data.Cell(9, 1), "0");  // no init dialog: no flux at node 0
  EXPECT_EQ(fx.f.Data.Cell(10, 1), "2");
}

TEST(Table, IntegralValues) {
  RunFixture fx;
  fx.BuildOneT(4);
  fx.f.E0 = 1;
  SetupTable(fx.f);
  RefreshTable(fx.f);
  const auto& s = *fx.ctx.State;
  Real sv = 0, ek = 0, et = 0;
  for (int i = 0; i < 4; ++i) {
    sv += s.v[i];
    ek += s.NodeMassOf(i) * s.v[i] * s.v[i] + fx.ctx.dm * s.CellVelocity(i) * s.CellVelocity(i);
    et += fx.ctx.dm * s.E[i];
  }
  ek += s.NodeMassOf(4) * s.v[4] * s.v[4];
  const auto& iv = fx.f.Integr;
  EXPECT_EQ(iv.Ivdx, fx.ctx.dm * sv);
  EXPECT_EQ(iv.Ek, ek / 4);
  EXPECT_EQ(iv.Et, et);
  EXPECT_EQ(iv.Es, et + ek / 4);
  EXPECT_EQ(iv.Eadd, iv.Es - 1);
}

TEST(Table, CriticalDensityPosition) {
  RunFixture fx;
  fx.BuildOneT(4);
  auto& s = *fx.ctx.State;
  // densities 2, 2, 1, 0.5 (dm = 0.5)
  s.x = {0, 0.25L, 0.5L, 1.0L, 2.0L};
  fx.f.Integr.Rho_C =
      2.5L;  // above every density: the outermost cell whose inner neighbour ... -> node 1
  Rho_CExit(fx.f);
  EXPECT_TRUE(fx.f.Integr.RCPanelVisible);
  fx.f.Integr.Rho_C = 1.5L;
  Rho_CExit(fx.f);
  const Real x = fx.f.Integr.x_rc + fx.ctx.Lx0;
  EXPECT_GE(x, 0.5L);
  EXPECT_LE(x, 1.0L);
  fx.f.Integr.Rho_C = 0;
  Rho_CExit(fx.f);
  EXPECT_FALSE(fx.f.Integr.RCPanelVisible);
}

TEST(Table, FormatReformatsStateColumnsOnly) {
  RunFixture fx;
  fx.BuildOneT(4);
  fx.f.Pout = 0.5L;
  SetupTable(fx.f);
  RefreshTable(fx.f);
  const std::string phase = fx.f.Data.Cell(7, 1);
  fx.f.NumStr.SetFormatType(TFloatFormat::Exponent);
  fx.f.NumStr.SetPressigion(3);
  fx.f.Data.Cell(7, 1) = "kept";
  ReformatStateColumns(fx.f);
  EXPECT_EQ(fx.f.Data.Cell(1, 2), "2.50E-001");
  EXPECT_EQ(fx.f.Data.Cell(1, 5), "1.00E+000");  // boundary x
  EXPECT_EQ(fx.f.Data.Cell(7, 1), "kept");
  (void)phase;
}

}  // namespace
}  // namespace tessmar
