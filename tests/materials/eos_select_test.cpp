// EOS selection: the two ideal gases, the reset rules of the main and the left
// material, the composition with the electron functions and the reading of
// parameters at call time.

#include "materials/eos_select.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/fp_guard.h"
#include "materials/ideal_gas.h"

namespace tessmar {
namespace {

void ExpectRelNear(Real expected, Real actual, Real rel = 1e-18L) {
  const Real scale = std::fabs(expected) > 0 ? std::fabs(expected) : 1;
  EXPECT_LE(std::fabs(actual - expected) / scale, rel)
      << "expected " << static_cast<double>(expected) << " got " << static_cast<double>(actual);
}

class EosSelectTest : public testing::Test {
 protected:
  void SelectReduced(Real gamma, Real m, bool noEl = false) {
    SetReducedIdealGas(ctx.IdealGas, gamma, m);
    SelectEOS(ctx, eq_type::kIdealGas, 0, noEl, false);
  }
  void SelectPhysical(Real gamma, Real m, bool left = false) {
    SetPhysicalIdealGas(ctx.IdealGas, gamma, m);
    SelectEOS(ctx, eq_type::kIdealGasOf, 0, false, left);
  }
  // Free-electron-like test electrons: Ee = a*Te^2/2, Ce = a*Te, Pe = b*rho*Te^2,
  // with a and b read at call time.
  void InstallElectrons(bool withDPeDTe) {
    ctx.ElEe.Install([this](Real Te, Real) { return a * Te * Te / 2; });
    ctx.ElCe.Install([this](Real Te, Real) { return a * Te; });
    ctx.ElPe.Install([this](Real Te, Real rho) { return b * rho * Te * Te; });
    if (withDPeDTe) ctx.ElDPeDTe.Install([this](Real Te, Real rho) { return 2 * b * rho * Te; });
  }
  SimContext ctx;
  Real a = 1e-3L, b = 2e-3L;
};

TEST_F(EosSelectTest, ReducedIdealGas) {
  SelectReduced(5.0L / 3.0L, 1);
  ExpectRelNear(3, ctx.EosE(2, 1));
  ExpectRelNear(2, ctx.EosP(2, 1));
  ExpectRelNear(1.5L, ctx.EosCv(2, 1));
  ExpectRelNear(2, ctx.EosTofE(3, 1));
  ExpectRelNear(2, ctx.EosTofP(2, 1));
  ExpectRelNear(1, ctx.ModeldPdT(2, 1));
  EXPECT_EQ(ctx.UnitScale, 1);
  // Density enters the pressure and its inverse only.
  ExpectRelNear(10, ctx.EosP(2, 5));
  ExpectRelNear(2, ctx.EosTofP(10, 5));
  ExpectRelNear(3, ctx.EosE(2, 5));
  EXPECT_FALSE(ctx.TotaldPdT);  // lattice-only mode only
}

TEST_F(EosSelectTest, PhysicalIdealGasOfAluminium) {
  ctx.UnitScale = 1;
  SelectPhysical(5.0L / 3.0L, 26.98L);
  EXPECT_EQ(ctx.IdealGas.RGasM, 0.008318377240488L / 26.98L);
  const Real r = ctx.IdealGas.RGasM;
  ExpectRelNear(1.5L * r, ctx.IdealGas.CvGasM);
  ExpectRelNear(1.5L * r * 300, ctx.EosE(300, 2.7L));
  ExpectRelNear(r * 2.7L * 300, ctx.EosP(300, 2.7L));  // GPa
  ExpectRelNear(300, ctx.EosTofE(1.5L * r * 300, 2.7L));
  ExpectRelNear(300, ctx.EosTofP(r * 2.7L * 300, 2.7L));
  ExpectRelNear(r * 2.7L, ctx.ModeldPdT(300, 2.7L));
  EXPECT_EQ(ctx.UnitScale, 1e5L);
}

TEST(IdealGasParams, InfiniteParametersAreRefused) {
  IdealGasParams p;
  EXPECT_THROW(SetReducedIdealGas(p, 1, 1), std::invalid_argument);
  EXPECT_THROW(SetReducedIdealGas(p, 1.4L, 0), std::invalid_argument);
  EXPECT_THROW(SetPhysicalIdealGas(p, 1, 26.98L), std::invalid_argument);
  EXPECT_THROW(SetPhysicalIdealGas(p, 1.4L, 0), std::invalid_argument);
  EXPECT_EQ(p.CvConst, 0);
  EXPECT_EQ(p.RGasM, 0);
}

TEST(UnitScaleOfType, ReducedTypesHaveUnitVelocity) {
  for (int t = 0; t < eq_type::kCount; ++t) {
    const bool reduced = t == 0 || t == 3 || t == 4 || t == 5 || t == 7;
    EXPECT_EQ(UnitScaleOfType(t), reduced ? 1 : 1e5L) << "type " << t;
  }
}

TEST_F(EosSelectTest, ParametersAreReadAtCallTime) {
  SelectReduced(5.0L / 3.0L, 1);
  SelectEOS(ctx, eq_type::kIdealGas, 0, false, true);  // the left material too
  ctx.IdealGas.CvConst = 2;
  ctx.IdealGas.AtMass = 4;
  ExpectRelNear(4, ctx.EosE(2, 1));
  ExpectRelNear(4, ctx.EosEl(2, 1));
  ExpectRelNear(2, ctx.EosCvl(2, 1));
  ExpectRelNear(0.5L, ctx.EosP(2, 1));
  ExpectRelNear(0.5L, ctx.EosPl(2, 1));
  ExpectRelNear(1.5L, ctx.EosTofE(3, 1));
  ExpectRelNear(4, ctx.IonEi(2, 1));  // no electrons: the ions carry all of it
}

TEST_F(EosSelectTest, UnavailableTypesChangeNothing) {
  SelectPhysical(5.0L / 3.0L, 26.98L);
  ctx.TabEOS = false;
  const Real e = ctx.EosE(300, 2.7L);
  for (int t = 0; t < eq_type::kCount; ++t) {
    if (t == eq_type::kIdealGas || t == eq_type::kIdealGasOf) continue;
    for (bool left : {false, true}) {
      SCOPED_TRACE(testing::Message() << "type " << t << (left ? " left" : " main"));
      EXPECT_FALSE(EosTypeAvailable(t, left));
      EXPECT_THROW(SelectEOS(ctx, t, 0, false, left), EosNotAvailableError);
      EXPECT_EQ(ctx.EosE(300, 2.7L), e);
      EXPECT_TRUE(ctx.EosTofE);
      EXPECT_TRUE(ctx.ModeldPdT);
      EXPECT_EQ(ctx.UnitScale, 1e5L);  // a reduced type would have set 1
      EXPECT_FALSE(ctx.EosEl);
    }
  }
}

TEST(EosNotAvailableError, NamesTheTypeWithoutAccessKeys) {
  const struct {
    int type;
    const char* text;
  } cases[] = {
      {eq_type::kLJRee, "LJ - Ree: this equation of state is not available yet"},
      {eq_type::kScaledTab, "Scaled Tab: this equation of state is not available yet"},
      {eq_type::kWater2MG, "Water2MG: this equation of state is not available yet"},
      {eq_type::kLinEOS, "LinEOS: this equation of state is not available yet"},
  };
  for (const auto& c : cases) {
    const EosNotAvailableError e(c.type);
    EXPECT_STREQ(e.what(), c.text);
    EXPECT_EQ(e.Type(), c.type);
  }
}

TEST_F(EosSelectTest, TypeOutsideTheListIsRefused) {
  EXPECT_THROW(SelectEOS(ctx, -1, 0, false, false), std::out_of_range);
  EXPECT_THROW(SelectEOS(ctx, eq_type::kCount, 0, false, true), std::out_of_range);
  EXPECT_FALSE(ctx.EosE);
}

TEST_F(EosSelectTest, MainSelectionResetsTheOptionalSlots) {
  auto yes = [](Real, Real) { return true; };
  auto one = [](Real, Real) { return 1.0L; };
  ctx.PhaseColor.Install([](Real, Real) { return colors::kBlue; });
  ctx.PhaseCodeFn.Install([](Real, Real) { return 3; });
  ctx.EosIsMelted.Install(yes);
  ctx.EosIsGas.Install(yes);
  ctx.EosIsVapour.Install(yes);
  ctx.EosLiqFrac.Install(one);
  ctx.EosSolFrac.Install(one);
  ctx.EosSound.Install(one);
  ctx.TabEOS = true;
  // left-material state that a main selection must keep
  ctx.PhaseColorl.Install([](Real, Real) { return colors::kLime; });
  ctx.TabEOSl = true;

  SelectReduced(1.4L, 1);
  EXPECT_FALSE(ctx.PhaseColor);
  EXPECT_FALSE(ctx.PhaseCodeFn);
  EXPECT_FALSE(ctx.EosIsMelted);
  EXPECT_FALSE(ctx.EosIsGas);
  EXPECT_FALSE(ctx.EosIsVapour);
  EXPECT_FALSE(ctx.EosLiqFrac);
  EXPECT_FALSE(ctx.EosSolFrac);
  EXPECT_FALSE(ctx.EosSound);
  EXPECT_FALSE(ctx.TabEOS);
  EXPECT_TRUE(ctx.PhaseColorl);
  EXPECT_TRUE(ctx.TabEOSl);
}

TEST_F(EosSelectTest, NextSelectionDropsWhatThePreviousOneInstalled) {
  InstallElectrons(false);
  SelectReduced(1.4L, 1, /*noEl=*/true);
  ASSERT_TRUE(ctx.TotaldPdT);
  ASSERT_TRUE(ctx.EosTofE);
  SelectPhysical(5.0L / 3.0L, 63.54L);
  EXPECT_FALSE(ctx.TotaldPdT);
  EXPECT_EQ(ctx.UnitScale, 1e5L);
  // The inverses are the new model's own, not the previous Newton inversion.
  const Real e = ctx.ModelE(1000, 8.9L);
  EXPECT_EQ(ctx.EosTofE(e, 8.9L), ctx.ModelTofE(e, 8.9L));
  EXPECT_EQ(ctx.EosE(1000, 8.9L), e);
}

TEST_F(EosSelectTest, LeftSelectionLeavesTheMainMaterialAlone) {
  SelectPhysical(5.0L / 3.0L, 26.98L);
  ctx.TabEOS = true;  // as for a main material on a table
  ctx.EosSound.Install([](Real, Real) { return 5.0L; });
  ctx.PhaseColorl.Install([](Real, Real) { return colors::kLime; });
  ctx.PhaseCodeFnl.Install([](Real, Real) { return 3; });
  ctx.TabEOSl = true;
  const Real e = ctx.EosE(300, 2.7L);
  const Real rGasM = ctx.IdealGas.RGasM;

  SetReducedIdealGas(ctx.IdealGas, 5.0L / 3.0L, 1);
  SelectEOS(ctx, eq_type::kIdealGas, 0, true, true);

  EXPECT_TRUE(ctx.TabEOS);
  EXPECT_EQ(ctx.UnitScale, 1e5L);
  EXPECT_TRUE(ctx.EosSound);
  EXPECT_EQ(ctx.EosE(300, 2.7L), e);
  EXPECT_EQ(ctx.IdealGas.RGasM, rGasM);
  EXPECT_FALSE(ctx.PhaseColorl);
  EXPECT_FALSE(ctx.PhaseCodeFnl);
  EXPECT_FALSE(ctx.TabEOSl);
  ExpectRelNear(3, ctx.EosEl(2, 1));
  ExpectRelNear(2, ctx.EosPl(2, 1));
  ExpectRelNear(1.5L, ctx.EosCvl(2, 1));
}

TEST_F(EosSelectTest, LeftPhysicalIdealGas) {
  SelectPhysical(5.0L / 3.0L, 197.2L, /*left=*/true);
  const Real r = 0.008318377240488L / 197.2L;
  ExpectRelNear(r * 19.3L * 500, ctx.EosPl(500, 19.3L));
  ExpectRelNear(1.5L * r * 500, ctx.EosEl(500, 19.3L));
  EXPECT_FALSE(ctx.EosE);
  EXPECT_EQ(ctx.UnitScale, 1);
}

TEST_F(EosSelectTest, ModelAsTotalLeavesTheRestToTheIons) {
  InstallElectrons(true);
  SelectReduced(5.0L / 3.0L, 1);
  for (Real T : {0.5L, 2.0L, 40.0L}) {
    const Real rho = 3;
    EXPECT_EQ(ctx.EosE(T, rho), ctx.ModelE(T, rho));
    EXPECT_EQ(ctx.EosP(T, rho), ctx.ModelP(T, rho));
    EXPECT_EQ(ctx.EosCv(T, rho), ctx.ModelCv(T, rho));
    ExpectRelNear(ctx.ModelE(T, rho) - a * T * T / 2, ctx.IonEi(T, rho));
    ExpectRelNear(ctx.ModelP(T, rho) - b * rho * T * T, ctx.IonPi(T, rho));
    ExpectRelNear(ctx.ModelCv(T, rho) - a * T, ctx.IonCi(T, rho));
    EXPECT_EQ(ctx.EosTofE(ctx.EosE(T, rho), rho), ctx.ModelTofE(ctx.EosE(T, rho), rho));
  }
  // Electron parameters changed later act without a new selection.
  a = 2e-3L;
  ExpectRelNear(ctx.ModelE(2, 3) - a * 2, ctx.IonEi(2, 3));
}

TEST_F(EosSelectTest, LatticeModelPlusElectrons) {
  InstallElectrons(true);
  SelectPhysical(5.0L / 3.0L, 26.98L);
  SelectEOS(ctx, eq_type::kIdealGasOf, 0, true, false);
  const Real rho = 2.7L;
  for (Real T : {300.0L, 5e3L, 1e5L}) {
    SCOPED_TRACE(static_cast<double>(T));
    ExpectRelNear(ctx.ModelE(T, rho) + a * T * T / 2, ctx.EosE(T, rho));
    ExpectRelNear(ctx.ModelP(T, rho) + b * rho * T * T, ctx.EosP(T, rho));
    ExpectRelNear(ctx.ModelCv(T, rho) + a * T, ctx.EosCv(T, rho));
    EXPECT_EQ(ctx.IonEi(T, rho), ctx.ModelE(T, rho));
    EXPECT_EQ(ctx.IonPi(T, rho), ctx.ModelP(T, rho));
    EXPECT_EQ(ctx.IonCi(T, rho), ctx.ModelCv(T, rho));
    ExpectRelNear(ctx.ModeldPdT(T, rho) + 2 * b * rho * T, ctx.TotaldPdT(T, rho));
    // The inverses find T of the total, not of the model alone.
    ExpectRelNear(T, ctx.EosTofE(ctx.EosE(T, rho), rho));
    ExpectRelNear(T, ctx.EosTofP(ctx.EosP(T, rho), rho));
  }
  // A later change of the electrons reaches the totals and their inverses.
  a = 5e-3L;
  ExpectRelNear(ctx.ModelE(1e4L, rho) + a * 5e7L, ctx.EosE(1e4L, rho));
  ExpectRelNear(1e4L, ctx.EosTofE(ctx.EosE(1e4L, rho), rho));
}

TEST_F(EosSelectTest, MissingElectronDerivativeFallsBackToIdealElectrons) {
  InstallElectrons(false);
  SelectReduced(5.0L / 3.0L, 1, /*noEl=*/true);
  ASSERT_TRUE(ctx.ElDPeDTe);  // the fallback is installed in the electron slot
  ExpectRelNear(3 * a * 2 / 1.5L, ctx.ElDPeDTe(2, 3));
  ExpectRelNear(3 + 3 * a * 2 / 1.5L, ctx.TotaldPdT(2, 3));
  a = 4e-3L;  // and it follows the electron heat capacity
  ExpectRelNear(3 * a * 2 / 1.5L, ctx.ElDPeDTe(2, 3));
}

TEST_F(EosSelectTest, LatticeModeWithoutElectronsEqualsTheModel) {
  SelectReduced(5.0L / 3.0L, 1, /*noEl=*/true);
  EXPECT_EQ(ctx.EosE(2, 1), ctx.ModelE(2, 1));
  EXPECT_EQ(ctx.EosP(2, 1), ctx.ModelP(2, 1));
  EXPECT_EQ(ctx.EosCv(2, 1), ctx.ModelCv(2, 1));
  EXPECT_EQ(ctx.TotaldPdT(2, 1), ctx.ModeldPdT(2, 1));
  ExpectRelNear(2, ctx.EosTofE(3, 1));
  ExpectRelNear(2, ctx.EosTofP(2, 1));
}

// A model installed by hand, composed for types with other inverse rules.
class ComposeTest : public EosSelectTest {
 protected:
  void InstallModel(bool withDPdT) {
    ctx.ModelE.Install([](Real T, Real) { return 2 * T; });
    ctx.ModelP.Install([](Real T, Real rho) { return rho * T * T; });
    ctx.ModelCv.Install([](Real, Real) { return 2.0L; });
    ctx.ModelTofE.Install([](Real E, Real) { return E / 2; });
    ctx.ModelTofP.Install([](Real P, Real rho) { return std::sqrt(P / rho); });
    if (withDPdT) ctx.ModeldPdT.Install([](Real T, Real rho) { return 2 * rho * T; });
  }
};

TEST_F(ComposeTest, WhichTypesGetInverses) {
  const struct {
    int type;
    bool noEl, inverses;
  } cases[] = {
      {eq_type::kSilGlass, false, true}, {eq_type::kSilGlass, true, true},
      {eq_type::kLinEOS, false, true},   {eq_type::kLinEOS, true, false},
      {eq_type::kPGlass, false, false},  {eq_type::kPGlass, true, false},
      {eq_type::kMetal, false, false},   {eq_type::kTCond, true, false},
      {eq_type::kWater2MG, true, true},  {eq_type::kTi, true, true},
  };
  InstallElectrons(true);
  InstallModel(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << (c.noEl ? " NoElEOS" : ""));
    ctx.EosTofE.Clear();
    ctx.EosTofP.Clear();
    ComposeWithElectrons(ctx, c.type, c.noEl);
    EXPECT_EQ(static_cast<bool>(ctx.EosTofE), c.inverses);
    EXPECT_EQ(static_cast<bool>(ctx.EosTofP), c.inverses);
    EXPECT_EQ(static_cast<bool>(ctx.TotaldPdT), c.noEl && c.inverses);
  }
}

TEST_F(ComposeTest, ModelWithoutDPdTGetsANumericalDerivative) {
  InstallElectrons(true);
  InstallModel(false);
  ComposeWithElectrons(ctx, eq_type::kSilGlass, true);
  const Real T = 800, rho = 2.2L;
  ExpectRelNear(2 * rho * T + 2 * b * rho * T, ctx.TotaldPdT(T, rho), 1e-9L);
  // The derivative only steers the iteration: the inverse is exact.
  ExpectRelNear(T, ctx.EosTofP(ctx.EosP(T, rho), rho));
}

}  // namespace
}  // namespace tessmar
