// Phase codes, labels, colours and the table-code predicates.

#include "materials/phase.h"

#include <gtest/gtest.h>

namespace tessmar {
namespace {

TEST(PhaseLabel, NamedCodesAndNumbersWithTheirPrefix) {
  const struct {
    int code;
    const char* label;
  } cases[] = {
      {0, " o"},   {1, " S"},   {2, " SL"},  {3, " L"},     {-3, "mL"},    {4, " LG"},
      {5, " G"},   {-6, "mSG"}, {7, " Sae"}, {8, " Se"},    {9, " SeL"},   {-9, "mSeL"},
      {10, " 10"}, {11, " 11"}, {12, " 12"}, {-12, "m-12"}, {-10, "m-10"},
  };
  for (const auto& c : cases) EXPECT_EQ(PhaseLabel(c.code), c.label) << "code " << c.code;
}

TEST(TableCode, PredicatesAndFractions) {
  const Real x = 0.25L;  // mixture fraction at the point
  const struct {
    int k;
    bool melted, gas, vapour;
    Real liq, sol;
  } cases[] = {
      {0, false, false, false, 0, 0},         {1, false, false, false, 0, 1},
      {-1, false, false, false, 0, 1},        {2, true, false, false, 0.75L, 0.25L},
      {-2, true, false, false, 0.75L, 0.25L}, {3, true, false, false, 1, 0},
      {4, true, true, true, 0.25L, 0},        {5, true, true, true, 0, 0},
      {6, true, true, false, 0, 0.25L},       {-6, true, true, false, 0, 0},
      {7, false, false, false, 0, 1},         {8, false, false, false, 0, 0},
      {9, true, false, false, 0.75L, 0.25L},  {-9, true, false, false, 0.75L, 0.25L},
      {10, true, false, false, 1, 0},  // 10 mod 7 = 3: counted as liquid, no solid
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "k=" << c.k);
    EXPECT_EQ(TableCodeIsMelted(c.k), c.melted);
    EXPECT_EQ(TableCodeIsGas(c.k), c.gas);
    EXPECT_EQ(TableCodeIsVapour(c.k), c.vapour);
    EXPECT_EQ(TableCodeLiqFrac(c.k, x), c.liq);
    EXPECT_EQ(TableCodeSolFrac(c.k, x), c.sol);
  }
}

TEST(TableCode, ColoursOfMainAndLeftMaterial) {
  const struct {
    int code;
    TColor main, left;
  } cases[] = {
      {0, colors::kGrey, colors::kGrey},        {1, colors::kDarkRed, colors::kDarkRed},
      {-1, colors::kDarkRed, colors::kDarkRed}, {2, colors::kSilver, colors::kGrey},
      {3, colors::kBlue, colors::kLime},        {-3, colors::kBlue, colors::kLime},
      {4, colors::kTeal, colors::kTeal},        {5, colors::kGreen, colors::kAqua},
      {6, colors::kFuchsia, colors::kPurple},   {7, colors::kGrey, colors::kGrey},
      {8, colors::kDarkRed, colors::kGrey},     {9, colors::kSilver, colors::kGrey},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "code=" << c.code);
    EXPECT_EQ(TableColor(c.code), c.main);
    EXPECT_EQ(TableColorl(c.code), c.left);
  }
}

class PhaseCodeTest : public testing::Test {
 protected:
  void SetGas(bool v) {
    ctx.EosIsGas.Install([v](Real, Real) { return v; });
  }
  void SetMelted(bool v) {
    ctx.EosIsMelted.Install([v](Real, Real) { return v; });
  }
  void SetColor(TColor c) {
    ctx.PhaseColor.Install([c](Real, Real) { return c; });
  }
  SimContext ctx;
};

TEST_F(PhaseCodeTest, NothingKnownIsUndefined) {
  EXPECT_EQ(PhaseCode(ctx, 300, 1), 0);
  EXPECT_EQ(PhaseCodel(ctx, 300, 1), 0);
}

TEST_F(PhaseCodeTest, ModelPhaseFunctionComesBeforePredicates) {
  ctx.PhaseCodeFn.Install([](Real, Real) { return -4; });
  SetGas(true);
  EXPECT_EQ(PhaseCode(ctx, 300, 1), -4);
  ctx.PhaseCodeFnl.Install([](Real, Real) { return 6; });
  EXPECT_EQ(PhaseCodel(ctx, 300, 1), 6);
}

TEST_F(PhaseCodeTest, FromPredicates) {
  SetGas(true);
  EXPECT_EQ(PhaseCode(ctx, 300, 1), 5);
  SetGas(false);
  EXPECT_EQ(PhaseCode(ctx, 300, 1), 1);  // no melting test: solid
  SetMelted(true);
  EXPECT_EQ(PhaseCode(ctx, 300, 1), 3);
  ctx.EosIsGas.Clear();
  EXPECT_EQ(PhaseCode(ctx, 300, 1), 3);
  SetMelted(false);
  EXPECT_EQ(PhaseCode(ctx, 300, 1), 1);
  // The predicates decide even when a colour is installed.
  SetColor(colors::kGreen);
  EXPECT_EQ(PhaseCode(ctx, 300, 1), 1);
}

TEST_F(PhaseCodeTest, FromColourWhenNoPredicates) {
  const struct {
    TColor c;
    int code;
  } cases[] = {{colors::kDarkRed, 1},
               {colors::kBlue, 3},
               {colors::kGreen, 5},
               {colors::kViolet, 0},
               {colors::kSilver, 0}};
  for (const auto& c : cases) {
    SetColor(c.c);
    EXPECT_EQ(PhaseCode(ctx, 300, 1), c.code);
  }
}

TEST_F(PhaseCodeTest, TabulatedMaterialWithoutTableIsANamedFailure) {
  ctx.PhaseCodeFn.Install([](Real, Real) { return 1; });
  ctx.TabEOS = true;
  EXPECT_THROW(PhaseCode(ctx, 300, 1), TableUnavailableError);
  ctx.PhaseCodeFnl.Install([](Real, Real) { return 1; });
  ctx.TabEOSl = true;
  EXPECT_THROW(PhaseCodel(ctx, 300, 1), TableUnavailableError);
}

TEST_F(PhaseCodeTest, PredicateColourPrefersGasThenMelted) {
  EXPECT_EQ(PredicateColor(ctx, 300, 1), colors::kDarkRed);  // no predicates at all
  SetMelted(true);
  EXPECT_EQ(PredicateColor(ctx, 300, 1), colors::kBlue);
  SetGas(false);
  EXPECT_EQ(PredicateColor(ctx, 300, 1), colors::kBlue);
  SetGas(true);
  EXPECT_EQ(PredicateColor(ctx, 300, 1), colors::kGreen);
  SetGas(false);
  SetMelted(false);
  EXPECT_EQ(PredicateColor(ctx, 300, 1), colors::kDarkRed);
  EXPECT_EQ(ConstantViolet(300, 1), colors::kViolet);
}

}  // namespace
}  // namespace tessmar
