// The electron thermal-parameter dialog: its pages and the routing of the
// material lists, the density relations of the material frame, the common OK,
// the "Con&stant" and "Simple metall" pages with their slot functions checked
// against the formulas written out independently here, the conduction and
// printing questions, and the No button.

#include "materials/thermal_dialog.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <string>
#include <vector>

#include "base/fp_guard.h"

namespace tessmar {
namespace {

constexpr Real kNAv = 6.02497e23L;
constexpr Real kAlRho0 = 2.712117513786L;
constexpr Real kAlMatNo = 26.98L;

Real Sq(Real x) {
  return x * x;
}

// The free-electron constants written out with powl, independent of el_base.h.
struct RefGas {
  Real Z, matNo;
  [[nodiscard]] Real n() const { return Z / (matNo / kNAv); }
  [[nodiscard]] Real EF1() const {
    return std::pow(29.608813203268075857L * n(), 2.0L / 3.0L) * 5.7891631808e-11L * 1e10L *
           1.0545887e-37L;
  }
  [[nodiscard]] Real EF(Real rho) const { return EF1() * std::pow(rho, 2.0L / 3.0L); }
  [[nodiscard]] Real Gamma(Real rho) const { return 9.406697881407510276e-52L * n() / EF(rho); }
  [[nodiscard]] Real Ccl() const { return 1.5L * 1.3806504e-26L * n(); }
  [[nodiscard]] Real Ce(Real Te, Real rho) const {
    return 1 / std::sqrt(1 / Sq(Te * Gamma(rho)) + 1 / Sq(Ccl()));
  }
  // The closed form of the electron energy at rho_md = 0.
  [[nodiscard]] Real Ee(Real Te, Real rho) const {
    const Real G = Gamma(rho), c = Ccl();
    return (std::sqrt(c * c + Sq(G * Te)) - c) * c / G;
  }
};

// Electron conductivity of the free-electron metal, step by step as the model
// states it, for a given electron-ion collision frequency nu_ei.
struct RefKappa {
  RefGas gas;
  Real rho0;
  Real nus = 2.47e14L, nui = 1.15e15L, kz = 0.7L;
  [[nodiscard]] Real operator()(Real Te, Real rho, Real nuEi) const {
    const Real ceV = rho * gas.Ce(Te, rho);
    const Real vsq = std::sqrt(Sq(1.3806504e-16L * Te) + Sq(gas.EF(rho) * 4e9L)) / 9.1083e-28L;
    const Real kpl = 5.0929581789406507446L / gas.Z * 1.3806504e-26L *
                     Sq(1.3806504e-16L / Sq(4.80274e-10L)) * 96499823607.83133L;
    const Real nuPl = ceV * vsq / (kpl * std::pow(Te, 2.5L));
    const Real r = rho / rho0;
    const Real nuEiWD = 1 / std::sqrt(1 / Sq(nuPl) + Sq(std::pow(r, 1.0L / 3.0L) / nuEi));
    const Real TeV = Te * 8.617342936e-5L;
    const Real s = std::pow(r, 2.0L / 3.0L) / (nus * TeV * TeV) +
                   1 / (nui * std::pow(TeV, 0.28L) * std::pow(r, 0.48L));
    const Real nuEeWD = 1 / std::sqrt(Sq(kz / ((1 - kz) * nuPl)) + Sq(s));
    return ceV * vsq / (nuEiWD + nuEeWD);
  }
};

// Collision frequencies of the lattice with the default constants.
Real NuSolid(Real Ti) {
  return Ti * 4.2e14L / 933;
}
Real NuLiquid(Real Ti) {
  const Real tp = std::max(Ti, 2 * 6.67e4L / 130);
  return 1.1e14L * tp / (tp * 0.0367L + 130 + -6.67e4L / tp);
}

void ExpectRel(Real actual, Real expected, Real tol, const std::string& what = "") {
  EXPECT_NEAR(static_cast<double>(actual / expected), 1.0, static_cast<double>(tol))
      << what << ": " << static_cast<double>(actual) << " vs " << static_cast<double>(expected);
}

class ThermDialogTest : public testing::Test {
 protected:
  void ShowSimpleMetall() { dlg.At("Page").SetText("Simple metall"); }
  // The "Simple metall" page with the aluminium preset.
  void ChooseAl() {
    ShowSimpleMetall();
    dlg.At("Metalls").SetText("Al");
  }
  // Constant page with c_e 1e-3, Pe ratio 2/3, kappa 5, alpha 8 at rho_0 2.
  void FillConstant() {
    dlg.At("rho0Edit").Set(2.0L);
    dlg.At("ceEdit").Set(1e-3L);
    dlg.At("kEdit").Set(5.0L);
    dlg.At("aEdit").Set(8.0L);
  }
  std::vector<std::string> Texts() const { return port.Texts(); }

  ScriptedQuestionPort port;
  SimContext ctx{&port};
  TThermParamDialog dlg{ctx};
};

TEST_F(ThermDialogTest, DescriptorsAndDefaults) {
  EXPECT_EQ(dlg.Key(), "thermal");
  EXPECT_EQ(dlg.Caption(), "ThermParamDialog");
  EXPECT_EQ(dlg.At("Page").Items(),
            (std::vector<std::string>{"Con&stant", "Simple metall", "Noble Metall", "TransMetall",
                                      "NoMetall", "Ta", "NewAu", "Au1", "Ag1", "Ru", "Mo", "Rextr",
                                      "Met_kab", "Spline"}));
  EXPECT_EQ(dlg.At("Materials").Items(),
            (std::vector<std::string>{"&Al", "A&u", "&Ni", "&LiF", "&Fe", "&Ta", "NAu", "Au&1",
                                      "A&g1", "&Ru", "&Mo", "T&i", "&Sn", "Spline"}));
  EXPECT_EQ(dlg.At("Metalls").Items(),
            (std::vector<std::string>{"Any", "&Al", "&Ni", "&LiF", "&Fe", "&Ta", "A&g"}));
  const struct {
    const char* name;
    Real def;
  } reals[] = {{"Gr1Edit", 2},        {"Gr2Edit", 3},        {"NatEdit", 6e22L},
               {"rhoEdit", 0},        {"mEdit", 0},          {"ZEdit", 0},
               {"Rho_mdEdit", 0},     {"nu0Edit", 4.2e14L},  {"nuTEdit", 1.1e14L},
               {"nuAEdit", 130},      {"nuBEdit", 0.0367L},  {"nuCEdit", -6.67e4L},
               {"nusEdit", 2.47e14L}, {"nuiEdit", 1.15e15L}, {"kzEdit", 0.7L}};
  for (const auto& r : reals) EXPECT_EQ(std::get<Real>(dlg.At(r.name).Default()), r.def) << r.name;
  EXPECT_EQ(dlg.Page, el_page::kConstant);
  EXPECT_EQ(dlg.Materials, -1);
  EXPECT_EQ(dlg.Metalls, 0);
  for (const char* shown : {"EF0eVEdit", "TFEdit", "gEdit"})
    EXPECT_FALSE(dlg.At(shown).Enabled()) << shown;
}

TEST_F(ThermDialogTest, PageShowsItsFieldsOnly) {
  EXPECT_TRUE(dlg.At("ceEdit").Visible());
  EXPECT_FALSE(dlg.At("rhoEdit").Visible());
  EXPECT_TRUE(dlg.At("Gr2Edit").Visible());
  dlg.At("Gr1Edit").Set(0.0L);  // the fraction is shown only while Gr1 is non-zero
  EXPECT_FALSE(dlg.At("Gr2Edit").Visible());

  ShowSimpleMetall();
  EXPECT_EQ(dlg.Page, el_page::kSimpleMetall);
  for (const char* name : {"rhoEdit", "ZEdit", "nu0Edit", "kzEdit", "Metalls", "gEdit", "TFEdit"})
    EXPECT_TRUE(dlg.At(name).Visible()) << name;
  for (const char* name : {"ceEdit", "rho0Edit", "Materials", "EF0eVEdit"})
    EXPECT_FALSE(dlg.At(name).Visible()) << name;
  EXPECT_TRUE(Texts().empty());
}

TEST_F(ThermDialogTest, PagesNotBuiltAreRefusedAndThePageStays) {
  ShowSimpleMetall();
  for (int page = el_page::kNobleMetall; page < el_page::kCount; ++page) {
    port.records.clear();
    dlg.At("Page").Set(static_cast<long long>(page));
    const std::string caption = StripAmpersands(kElPageCaptions[static_cast<std::size_t>(page)]);
    EXPECT_EQ(Texts(),
              std::vector<std::string>{caption + ": this electron model is not available yet"});
    EXPECT_EQ(dlg.Page, el_page::kSimpleMetall) << caption;
    EXPECT_TRUE(dlg.At("nu0Edit").Visible()) << caption;
  }
  EXPECT_THROW(dlg.AcceptElParams(el_page::kTa), ElPageNotAvailableError);
  EXPECT_THROW(dlg.AcceptElParams(el_page::kCount), std::out_of_range);
  EXPECT_TRUE(ctx.ElEe.Empty());
}

TEST_F(ThermDialogTest, MaterialListsRouteToPagesNotBuilt) {
  ChooseAl();
  port.records.clear();
  // Base frame list: every material has its own page.
  const struct {
    const char* item;
    const char* page;
  } materials[] = {{"Al", "Met_kab"},   {"Au", "Noble Metall"}, {"Ni", "Met_kab"},
                   {"LiF", "NoMetall"}, {"Fe", "Met_kab"},      {"Ta", "Ta"},
                   {"NAu", "NewAu"},    {"Au1", "Au1"},         {"Ag1", "Ag1"},
                   {"Ru", "Ru"},        {"Mo", "Mo"},           {"Ti", "Met_kab"},
                   {"Sn", "Rextr"},     {"Spline", "Spline"}};
  for (const auto& m : materials) {
    port.records.clear();
    dlg.At("Materials").SetText(m.item);
    EXPECT_EQ(Texts(), std::vector<std::string>{std::string(m.page) +
                                                ": this electron model is not available yet"})
        << m.item;
    EXPECT_EQ(dlg.Materials, -1) << m.item;
    EXPECT_EQ(dlg.Page, el_page::kSimpleMetall) << m.item;
  }
  // "Metalls": Ni, Fe, LiF and Ta belong to other pages; the list keeps "Al".
  const struct {
    const char* item;
    const char* page;
  } metalls[] = {{"Ni", "TransMetall"}, {"Fe", "TransMetall"}, {"LiF", "NoMetall"}, {"Ta", "Ta"}};
  for (const auto& m : metalls) {
    port.records.clear();
    dlg.At("Metalls").SetText(m.item);
    EXPECT_EQ(Texts(), std::vector<std::string>{std::string(m.page) +
                                                ": this electron model is not available yet"})
        << m.item;
    EXPECT_EQ(dlg.Metalls, 1) << m.item;
  }
  EXPECT_EQ(dlg.rhoEdit, kAlRho0);  // the page's fields are untouched
}

// --- "Con&stant" ---

TEST_F(ThermDialogTest, ConstantPageInstallsConstantFunctions) {
  FillConstant();
  port.QueueAnswer(Button::No);
  EXPECT_EQ(dlg.OkBtnClick(), ThermDialogResult::kOk);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Save(print) settings?"});
  ExpectRel(ctx.ElEe(1000, 2), 1, 1e-18L, "Ee");
  EXPECT_EQ(ctx.ElCe(1000, 2), 1e-3L);
  EXPECT_NEAR(static_cast<double>(ctx.ElPe(1000, 2)), 4.0 / 3.0, 1e-15);
  EXPECT_EQ(ctx.ElKappa(300, 1000, 2), 5);
  EXPECT_EQ(ctx.ElAlpha(1000, 2), 4);  // alpha / rho_0
  EXPECT_EQ(ctx.ElRho0, 2);
  EXPECT_EQ(ctx.ElMaterial, 0);
  EXPECT_EQ(ctx.ElMaterialName, "==");
  EXPECT_EQ(ctx.ElPage, el_page::kConstant);

  // Without Gr2 the ratio is Gr1 alone.
  dlg.At("Gr2Edit").Set(0.0L);
  ASSERT_TRUE(dlg.AcceptElParams(el_page::kConstant));
  EXPECT_EQ(ctx.ElPe(1000, 2), 2 * 2 * ctx.ElEe(1000, 2));

  // The conductivity and the coupling are read when called.
  ctx.ElKappaConst = 7;
  ctx.ElAlphaRho = 9;
  EXPECT_EQ(ctx.ElKappa(300, 1000, 2), 7);
  EXPECT_EQ(ctx.ElAlpha(1000, 2), 9);
}

TEST_F(ThermDialogTest, ConstantPageNeedsItsDensity) {
  dlg.At("ceEdit").Set(1e-3L);
  EXPECT_EQ(dlg.OkBtnClick(), ThermDialogResult::kKeepOpen);
  EXPECT_EQ(dlg.Focus(), "rho0Edit");
  EXPECT_TRUE(ctx.ElEe.Empty());
  EXPECT_EQ(ctx.ElPage, -1);
  EXPECT_TRUE(Texts().empty());
}

TEST_F(ThermDialogTest, SavePrintQuestionDecidesWhetherTheDialogCloses) {
  const struct {
    Button answer;
    ThermDialogResult result;
    int prints;
  } cases[] = {{Button::Yes, ThermDialogResult::kOk, 1},
               {Button::No, ThermDialogResult::kOk, 0},
               {Button::Cancel, ThermDialogResult::kKeepOpen, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(ButtonCaption(c.answer)));
    ScriptedQuestionPort p;
    SimContext context(&p);
    TThermParamDialog d(context);
    int prints = 0;
    d.PrintPage = [&prints] { ++prints; };
    d.At("rho0Edit").Set(1.0L);
    p.QueueAnswer(c.answer);
    EXPECT_EQ(d.OkBtnClick(), c.result);
    EXPECT_EQ(prints, c.prints);
    EXPECT_FALSE(context.ElEe.Empty());  // installed whatever the answer
  }
}

TEST_F(ThermDialogTest, NoConductQuestionSetsTheConductionFlags) {
  const struct {
    Button answer;
    bool noConduct, noThermo;
    ThermDialogResult result;
    std::vector<std::string> texts;
  } cases[] = {
      {Button::Yes,
       true,
       true,
       ThermDialogResult::kOk,
       {"No all thermodinamic?", "Save(print) settings?"}},
      {Button::No,
       true,
       false,
       ThermDialogResult::kOk,
       {"No all thermodinamic?", "Save(print) settings?"}},
      // Cancel: the slots stay installed, the flags as they were, the dialog open.
      {Button::Cancel, false, true, ThermDialogResult::kKeepOpen, {"No all thermodinamic?"}},
  };
  for (int page : {el_page::kConstant, el_page::kSimpleMetall}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << "page " << page << ", " << ButtonCaption(c.answer));
      ScriptedQuestionPort p;
      SimContext context(&p);
      TThermParamDialog d(context);
      context.NoThermo = true;
      d.At("Page").Set(static_cast<long long>(page));
      d.At("rho0Edit").Set(1.0L);
      if (page == el_page::kSimpleMetall) d.At("Metalls").SetText("Al");
      p.QueueAnswer(c.answer);
      p.QueueAnswer(Button::No);
      EXPECT_EQ(d.NoConductAction(), c.result);
      EXPECT_EQ(p.Texts(), c.texts);
      EXPECT_EQ(context.NoConduct, c.noConduct);
      EXPECT_EQ(context.NoThermo, c.noThermo);
      EXPECT_FALSE(context.ElKappa.Empty());
      EXPECT_EQ(context.ElPage, page);
    }
  }
}

TEST_F(ThermDialogTest, OkButtonClearsNoConductButTheProgramsOkDoesNot) {
  FillConstant();
  ctx.NoConduct = true;
  ASSERT_TRUE(dlg.AcceptElParams(el_page::kConstant));
  EXPECT_TRUE(ctx.NoConduct);
  EXPECT_TRUE(Texts().empty());  // no questions without a button
  port.QueueAnswer(Button::No);
  EXPECT_EQ(dlg.OkBtnClick(), ThermDialogResult::kOk);
  EXPECT_FALSE(ctx.NoConduct);
}

// --- The material frame ---

TEST_F(ThermDialogTest, MetallPresetsFillThePage) {
  const struct {
    const char* item;
    Real Z, rho0, matNo, alpha, ki, br, G;
    const char* metal;
    double fermiEV;  // Fermi energy of the metal at its density, eV
  } cases[] = {
      {"Al", 3, kAlRho0, kAlMatNo, 3.5e8L, 0.8L, 0.2142L, 26, "Al", 11.7},
      {"Ag", 1, 10.489790276807L, 107.8682L, 4e7L, 0, 0, 30, "Ag", 5.49},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    SimContext context;
    TThermParamDialog d(context);
    std::string spall;
    d.SetSpallMaterial = [&spall](std::string_view m) { spall = m; };
    d.At("Page").SetText("Simple metall");
    d.At("Metalls").SetText(c.item);
    EXPECT_EQ(d.ZEdit, c.Z);
    EXPECT_EQ(d.rhoEdit, c.rho0);
    EXPECT_EQ(d.mEdit, c.matNo);
    EXPECT_EQ(d.NatEdit, c.rho0 * kNAv / c.matNo);
    EXPECT_EQ(d.alEdit, c.alpha);
    EXPECT_EQ(d.k_iEdit, c.ki);
    EXPECT_EQ(d.kirEdit, c.br);
    EXPECT_EQ(d.ShearG, c.G);
    EXPECT_EQ(spall, c.metal);
    const RefGas gas{c.Z, c.matNo};
    ExpectRel(d.TFEdit, gas.EF(c.rho0) / 1.3806504e-26L, 1e-15L, "TF");
    ExpectRel(d.EF0eVEdit, d.TFEdit * 8.617342936e-5L, 1e-18L, "EF0 eV");
    ExpectRel(d.gEdit, gas.Gamma(c.rho0), 1e-15L, "gamma");
    EXPECT_NEAR(static_cast<double>(d.EF0eVEdit), c.fermiEV, 0.05);
  }
}

TEST_F(ThermDialogTest, DensityRelationsRecomputeTheFieldEditedLongestAgo) {
  ChooseAl();  // the preset leaves rho0 and MatNo marked as not edited
  dlg.At("rhoEdit").Set(2.0L);
  EXPECT_EQ(dlg.mEdit, kAlMatNo);
  EXPECT_EQ(dlg.NatEdit, 2.0L * kNAv / kAlMatNo);
  dlg.At("NatEdit").Set(5e22L);  // rho0 was just edited: MatNo follows
  EXPECT_EQ(dlg.rhoEdit, 2);
  EXPECT_EQ(dlg.mEdit, 2.0L * kNAv / 5e22L);
  dlg.At("mEdit").Set(40.0L);  // rho0 is now the oldest edit
  EXPECT_EQ(dlg.NatEdit, 5e22L);
  EXPECT_EQ(dlg.rhoEdit, 5e22L * 40 / kNAv);
  EXPECT_EQ(dlg.MAt(), 40 / kNAv);
}

TEST_F(ThermDialogTest, DensityRelationsReplaceZeroAndSmallValues) {
  ShowSimpleMetall();
  // A MatNo below 1 becomes 1, then n_at follows from rho0.
  dlg.At("rhoEdit").Set(3.0L);
  EXPECT_EQ(dlg.mEdit, 1);
  EXPECT_EQ(dlg.NatEdit, 3.0L * kNAv);
  // A zero n_at becomes rho0*NAv/MatNo once both of those were edited ...
  dlg.At("mEdit").Set(30.0L);
  dlg.At("NatEdit").Set(0.0L);
  EXPECT_EQ(dlg.NatEdit, 3.0L * kNAv / 30);
  // ... and 6e22 otherwise.
  dlg.ForgetDensityEdits();
  dlg.At("NatEdit").Set(0.0L);
  EXPECT_EQ(dlg.NatEdit, 6e22L);
  // A zero rho0 follows from n_at and MatNo.
  dlg.At("rhoEdit").Set(0.0L);
  EXPECT_EQ(dlg.rhoEdit, 6e22L * dlg.mEdit / kNAv);
}

TEST_F(ThermDialogTest, FormShowGivesTheSimpleMetallPageADensity) {
  const struct { Real stateRho0, rho0; } cases[] = {{2.5L, 2.5L}, {0, 1}};
  for (const auto& c : cases) {
    SimContext context;
    context.rho0 = c.stateRho0;
    TThermParamDialog d(context);
    d.FormShow();
    EXPECT_EQ(d.rhoEdit, c.rho0);
    EXPECT_EQ(d.mEdit, c.rho0 * kNAv / 6e22L);
    EXPECT_GT(d.TFEdit, 0);
  }
}

TEST_F(ThermDialogTest, ZFieldAndShownFields) {
  ChooseAl();
  const Real tf = dlg.TFEdit;
  dlg.At("ZEdit").Set(-1.0L);  // not positive: nothing recomputed
  EXPECT_EQ(dlg.TFEdit, tf);
  dlg.At("ZEdit").Set(1.0L);
  ExpectRel(dlg.TFEdit, RefGas{1, kAlMatNo}.EF(kAlRho0) / 1.3806504e-26L, 1e-15L, "TF at Z 1");
  // A value typed into a shown field gives way to the derived one.
  const Real shown = dlg.TFEdit;
  dlg.At("TFEdit").Set(5.0L);
  EXPECT_EQ(dlg.TFEdit, shown);
}

TEST_F(ThermDialogTest, EnteringTheIonConductivityProposesValues) {
  const struct {
    Real ki, br, kiAfter, brAfter;
  } cases[] = {{0, 0, 0.8L, 0.2142L}, {0, 0.5L, 0.8L, 0.5L}, {1.5L, 0, 1.5L, 0}};
  for (const auto& c : cases) {
    dlg.k_iEdit = c.ki;
    dlg.kirEdit = c.br;
    dlg.k_iEditEnter();
    EXPECT_EQ(dlg.k_iEdit, c.kiAfter);
    EXPECT_EQ(dlg.kirEdit, c.brAfter);
  }
}

TEST_F(ThermDialogTest, CalcRefrOpensTheReflectanceDialogWhenTicked) {
  int opened = 0;
  dlg.OpenReflectanceDialog = [&opened](bool& check) {
    ++opened;
    check = false;  // the reflectance dialog settles the box
  };
  dlg.At("CalcRefrCheck").Set(true);
  EXPECT_EQ(opened, 1);
  EXPECT_FALSE(dlg.CalcRefrCheck);
  dlg.At("CalcRefrCheck").Set(false);
  EXPECT_EQ(opened, 1);
}

TEST_F(ThermDialogTest, BaseOkSetsTheSharedParametersCouplingAndIonConductivity) {
  ChooseAl();
  dlg.Materials = 5;  // "&Ta"
  ASSERT_TRUE(dlg.BaseAccept(true));
  EXPECT_EQ(ctx.ElRho0, kAlRho0);
  EXPECT_EQ(ctx.ElMAt, kAlMatNo / kNAv);
  EXPECT_EQ(ctx.ElZ, 3);
  ExpectRel(ctx.ElCcl, RefGas{3, kAlMatNo}.Ccl(), 1e-18L, "c_cl");
  EXPECT_EQ(ctx.ElAlphaRho, 3.5e8L / kAlRho0);
  EXPECT_EQ(ctx.ElAlpha(1e4L, 2), 3.5e8L / kAlRho0);
  EXPECT_EQ(ctx.ElMaterial, 5);
  EXPECT_EQ(ctx.ElMaterialName, "&Ta");
  // kappa_i = (k_i/Ti) * (b_r*(rho/rho0)^(2/3) + Ti/Tat)^(7/2)
  for (Real rho : {2.0L, kAlRho0, 3.1L}) {
    const Real Ti = 700;
    const Real expected =
        0.8L / Ti *
        std::pow(0.2142L * std::pow(rho / kAlRho0, 2.0L / 3.0L) + Ti / 315642.53856008733277L,
                 3.5L);
    ExpectRel(ctx.IonKappa(Ti, rho), expected, 1e-15L, "kappa_i");
  }
}

TEST_F(ThermDialogTest, BaseOkChecksTheFrameFields) {
  const struct {
    Real nat, rho, m, Z;
    bool zVisible;
    const char* focus;  // nullptr: accepted
    Real zUsed;
  } cases[] = {
      {0, 2, 27, 3, true, "NatEdit", 0},     {6e22L, -1, 27, 3, true, "rhoEdit", 0},
      {6e22L, 2, 0, 3, true, "mEdit", 0},    {6e22L, 2, 27, -2, true, "ZEdit", 0},
      {6e22L, 2, 27, -2, false, nullptr, 1}, {6e22L, 2, 27, 0, true, nullptr, 1},
      {6e22L, 2, 27, 2, true, nullptr, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.focus ? c.focus : "accepted") << " Z " << c.Z);
    SimContext context;
    TThermParamDialog d(context);
    d.At("Page").SetText("Simple metall");
    d.At("ZEdit").SetVisible(c.zVisible);
    d.NatEdit = c.nat;
    d.rhoEdit = c.rho;
    d.mEdit = c.m;
    d.ZEdit = c.Z;
    const bool ok = d.BaseAccept(false);
    EXPECT_EQ(ok, c.focus == nullptr);
    if (c.focus) {
      EXPECT_EQ(d.Focus(), c.focus);
      EXPECT_TRUE(context.IonKappa.Empty());
      EXPECT_EQ(context.ElRho0, 0);
    } else {
      EXPECT_EQ(context.ElZ, c.zUsed);
      EXPECT_FALSE(context.IonKappa.Empty());
    }
  }
}

// --- "Simple metall" ---

TEST_F(ThermDialogTest, SimpleMetallChecksItsFieldsInOrder) {
  const struct {
    Real nat, rho, m, Z, kz;
    const char* focus;
  } cases[] = {
      {-1, -1, -1, 0, 0.7L, "NatEdit"}, {6e22L, 0, -1, 0, 0.7L, "rhoEdit"},
      {6e22L, 2, 0, 0, 0.7L, "mEdit"},  {6e22L, 2, 27, 0, 0.7L, "ZEdit"},
      {6e22L, 2, 27, 1, 1, "kzEdit"},   {6e22L, 2, 27, 1, -0.1L, "kzEdit"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.focus);
    ScriptedQuestionPort p;
    SimContext context(&p);
    TThermParamDialog d(context);
    d.At("Page").SetText("Simple metall");
    d.NatEdit = c.nat;
    d.rhoEdit = c.rho;
    d.mEdit = c.m;
    d.ZEdit = c.Z;
    d.kzEdit = c.kz;
    EXPECT_EQ(d.OkBtnClick(), ThermDialogResult::kKeepOpen);
    EXPECT_EQ(d.Focus(), c.focus);
    EXPECT_TRUE(context.ElEe.Empty());
    EXPECT_TRUE(context.ElKappa.Empty());
    EXPECT_EQ(context.ElPage, -1);
    EXPECT_TRUE(p.Texts().empty());
  }
}

class ThermSimpleMetallTest : public ThermDialogTest {
 protected:
  void SetUp() override {
    ChooseAl();
    port.QueueAnswer(Button::No);
    ASSERT_EQ(dlg.OkBtnClick(), ThermDialogResult::kOk);
  }
  const RefGas gas{3, kAlMatNo};
  const RefKappa kappa{gas, kAlRho0};
};

TEST_F(ThermSimpleMetallTest, OkSetsTheSharedParameters) {
  EXPECT_EQ(Texts(), std::vector<std::string>{"Save(print) settings?"});
  EXPECT_EQ(ctx.ElPage, el_page::kSimpleMetall);
  EXPECT_EQ(ctx.ElRho0, kAlRho0);
  EXPECT_EQ(ctx.ElMAt, kAlMatNo / kNAv);
  EXPECT_EQ(ctx.ElZ, 3);
  EXPECT_EQ(ctx.ElRhoMd, 0);
  ExpectRel(ctx.ElCcl, gas.Ccl(), 1e-18L, "c_cl");
  EXPECT_EQ(ctx.ElAlpha(5000, 2), 3.5e8L / kAlRho0);
  EXPECT_EQ(ctx.ElMaterial, 1);
  EXPECT_EQ(ctx.ElMaterialName, "&Al");
  EXPECT_TRUE(ctx.ElDPeDTe.Empty());  // this page leaves dPe/dTe alone
}

TEST_F(ThermSimpleMetallTest, EnergyHeatCapacityAndPressureOfTheFreeElectrons) {
  for (Real rho : {1.0L, kAlRho0, 4.0L}) {
    for (Real Te : {300.0L, 5e3L, 5e4L, 1e6L}) {
      SCOPED_TRACE(testing::Message()
                   << "rho " << static_cast<double>(rho) << " Te " << static_cast<double>(Te));
      ExpectRel(ctx.ElCe(Te, rho), gas.Ce(Te, rho), 1e-15L, "Ce");
      const Real ee = ctx.ElEe(Te, rho);
      // Closed form, whose difference of square roots loses a few digits at low Te.
      ExpectRel(ee, gas.Ee(Te, rho), 1e-12L, "Ee");
      ExpectRel(ctx.ElPe(Te, rho), rho * ee / 1.5L, 1e-18L, "Pe");
      // Ce is the temperature derivative of Ee.
      const Real h = Te * 1e-6L;
      const Real dEdT = (ctx.ElEe(Te + h, rho) - ctx.ElEe(Te - h, rho)) / (2 * h);
      ExpectRel(dEdT, ctx.ElCe(Te, rho), 1e-9L, "dEe/dTe");
    }
  }
  // Degenerate and classical limits: gamma*Te at low Te, c_cl at high Te.
  ExpectRel(ctx.ElCe(10, kAlRho0), gas.Gamma(kAlRho0) * 10, 1e-7L, "Ce low");
  ExpectRel(ctx.ElCe(1e9L, kAlRho0), gas.Ccl(), 1e-6L, "Ce high");
  ExpectRel(ctx.ElEe(1, kAlRho0), gas.Gamma(kAlRho0) / 2, 1e-9L, "Ee low");
}

TEST_F(ThermSimpleMetallTest, EnergyIsSmoothWhereTheSmallArgumentFormOnceTookOver) {
  // gamma*Te = 1e-4 at this temperature; the energy must not step there.
  const Real T1 = 1e-4L / gas.Gamma(kAlRho0);
  const Real below = ctx.ElEe(T1 * (1 - 1e-12L), kAlRho0);
  const Real above = ctx.ElEe(T1 * (1 + 1e-12L), kAlRho0);
  EXPECT_GT(above, below);
  ExpectRel(above, below, 1e-11L, "step at gamma*Te = 1e-4");
  // The low-temperature series with its leading correction.
  const Real m = gas.Gamma(kAlRho0) * 300, c = gas.Ccl();
  ExpectRel(ctx.ElEe(300, kAlRho0), 300 * m / 2 * (1 - m * m / (4 * c * c)), 1e-9L, "series");
}

TEST_F(ThermSimpleMetallTest, NoFreeElectronsBelowTheMinimumDensity) {
  dlg.At("Rho_mdEdit").Set(1.5L);
  ASSERT_TRUE(dlg.AcceptElParams(el_page::kSimpleMetall));
  EXPECT_EQ(ctx.ElRhoMd, 1.5L);
  for (Real rho : {1.0L, 1.5L}) {
    EXPECT_EQ(ctx.ElEe(5000, rho), 0);
    EXPECT_EQ(ctx.ElPe(5000, rho), 0);
    EXPECT_GT(ctx.ElCe(5000, rho), 0);  // gamma at rho itself
    ExpectRel(ctx.ElCe(5000, rho), gas.Ce(5000, rho), 1e-15L, "Ce below rho_md");
  }
  // Above rho_md: gamma of the excess density, scaled by the free share.
  const Real rho = 2.5L, Te = 2e4L;
  const Real expected = (1 - 1.5L / rho) * gas.Ee(Te, rho - 1.5L);
  ExpectRel(ctx.ElEe(Te, rho), expected, 1e-12L, "Ee above rho_md");
}

TEST_F(ThermSimpleMetallTest, MathErrorInTheEnergyGivesZeroAndLeavesNoFlag) {
  for (Real Te : {std::numeric_limits<Real>::infinity(), 1e4000L}) {
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(ctx.ElEe(Te, kAlRho0), 0);
    EXPECT_EQ(std::fetestexcept(kFpFailureFlags), 0);
  }
}

TEST_F(ThermSimpleMetallTest, PressureGoesThroughTheEnergySlot) {
  ctx.ElEe.Install([](Real Te, Real) { return 2 * Te; });
  EXPECT_EQ(ctx.ElPe(3, 1.5L), 1.5L * 6 / 1.5L);
}

TEST_F(ThermSimpleMetallTest, IonConductivityUsesTheDensityItself) {
  for (Real rho : {2.0L, kAlRho0}) {
    const Real Ti = 1200;
    const Real expected =
        0.8L / Ti *
        std::pow(0.2142L * std::pow(rho, 2.0L / 3.0L) + Ti / 315642.53856008733277L, 3.5L);
    ExpectRel(ctx.IonKappa(Ti, rho), expected, 1e-15L, "kappa_i");
  }
}

TEST_F(ThermSimpleMetallTest, ElectronConductivityFollowsTheLatticePhase) {
  int phase = 0;
  ctx.PhaseCodeFn.Install([&phase](Real, Real) { return phase; });
  const Real Te = 2e4L, rho = 2.5L;
  const struct {
    int code;
    Real Ti, nuEi;
  } cases[] = {
      {0, 500, NuSolid(500)},
      {1, 800, NuSolid(800)},
      {-1, 800, NuSolid(800)},
      {7, 800, NuSolid(800)},
      {8, 800, NuSolid(800)},
      {3, 1500, NuLiquid(1500)},
      {-3, 1500, NuLiquid(1500)},
      {4, 3000, NuLiquid(3000)},
      {5, 3000, NuLiquid(3000)},
      // the liquid fit is never taken below -2C/A = 1026 K
      {3, 500, NuLiquid(1026.1538461538461538L)},
      // mixtures without fractions: even weights
      {2, 933, (NuSolid(933) + NuLiquid(933)) / 2},
      {9, 933, (NuSolid(933) + NuLiquid(933)) / 2},
      {6, 933, (NuSolid(933) + NuLiquid(933)) / 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "phase " << c.code << " Ti " << static_cast<double>(c.Ti));
    phase = c.code;
    ExpectRel(ctx.ElKappa(c.Ti, Te, rho), kappa(Te, rho, c.nuEi), 1e-14L, "kappa_e");
  }
  phase = 3;
  EXPECT_EQ(ctx.ElKappa(500, Te, rho), ctx.ElKappa(900, Te, rho));
}

TEST_F(ThermSimpleMetallTest, MixtureWeightsComeFromTheEosFractions) {
  ctx.PhaseCodeFn.Install([](Real, Real) { return 2; });
  const Real Te = 8e3L, rho = kAlRho0, Ti = 933;
  ctx.EosLiqFrac.Install([](Real, Real) { return 0.75L; });
  ExpectRel(ctx.ElKappa(Ti, Te, rho), kappa(Te, rho, 0.25L * NuSolid(Ti) + 0.75L * NuLiquid(Ti)),
            1e-14L, "from the liquid fraction");
  ctx.EosSolFrac.Install([](Real, Real) { return 0.6L; });  // preferred when present
  ExpectRel(ctx.ElKappa(Ti, Te, rho), kappa(Te, rho, 0.6L * NuSolid(Ti) + 0.4L * NuLiquid(Ti)),
            1e-14L, "from the solid fraction");
}

TEST_F(ThermSimpleMetallTest, ElectronConductivityOverTemperatureAndDensity) {
  for (Real rho : {1.8L, kAlRho0, 3.5L}) {
    for (Real Te : {300.0L, 3e3L, 3e4L, 3e5L}) {
      SCOPED_TRACE(testing::Message()
                   << "rho " << static_cast<double>(rho) << " Te " << static_cast<double>(Te));
      ExpectRel(ctx.ElKappa(400, Te, rho), kappa(Te, rho, NuSolid(400)), 1e-14L, "kappa_e");
    }
  }
  // Room temperature aluminium conducts heat at about 2.4 W/cm/K.
  const Real k300 = ctx.ElKappa(300, 300, kAlRho0) * 1e3L;  // W/cm/K
  EXPECT_GT(k300, 1.0L);
  EXPECT_LT(k300, 5.0L);
}

TEST_F(ThermSimpleMetallTest, ConstantsOfTheCollisionModelAreTheAcceptedOnes) {
  const Real before = ctx.ElKappa(500, 1e4L, kAlRho0);
  dlg.At("nu0Edit").Set(1e15L);  // not yet accepted
  EXPECT_EQ(ctx.ElKappa(500, 1e4L, kAlRho0), before);
  ASSERT_TRUE(dlg.AcceptElParams(el_page::kSimpleMetall));
  EXPECT_LT(ctx.ElKappa(500, 1e4L, kAlRho0), before);
}

TEST_F(ThermSimpleMetallTest, NoButtonZeroesTheCouplingOnlyWithAConductivity) {
  dlg.At("kEdit").Set(3.0L);
  EXPECT_EQ(dlg.NoAction(), ThermDialogResult::kNo);
  EXPECT_EQ(dlg.kEdit, 0);
  EXPECT_EQ(dlg.nuCEdit, 0);
  EXPECT_EQ(ctx.ElAlphaRho, 0);
  EXPECT_EQ(ctx.ElAlpha(1e4L, 2), 0);
  EXPECT_FALSE(ctx.ElKappa.Empty());

  SimContext context;
  TThermParamDialog d(context);
  d.At("Page").SetText("Simple metall");
  context.ElAlphaRho = 4;
  EXPECT_EQ(d.NoAction(), ThermDialogResult::kNo);
  EXPECT_EQ(d.nuCEdit, -6.67e4L);
  EXPECT_EQ(context.ElAlphaRho, 4);
}

TEST_F(ThermSimpleMetallTest, ALaterPageChangesTheSharedParametersOfInstalledFunctions) {
  // The layer switch restores ElRho0 per material; the conductivity reads it.
  const Real before = ctx.ElKappa(500, 1e4L, 2.5L);
  ctx.ElRho0 = 2.0L;
  EXPECT_NE(ctx.ElKappa(500, 1e4L, 2.5L), before);
  const RefKappa moved{gas, 2.0L};
  ExpectRel(ctx.ElKappa(500, 1e4L, 2.5L), moved(1e4L, 2.5L, NuSolid(500)), 1e-14L, "rho0 2");
}

}  // namespace
}  // namespace tessmar
