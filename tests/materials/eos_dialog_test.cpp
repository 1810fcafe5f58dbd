// The "Equation of state" dialog: its fields, the preparation when a type is
// chosen, the checks of the OK action with their focus, the descriptions, the
// follow-up questions and the options for electrons, conductivity and spallation.

#include "materials/eos_dialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "materials/eos_select.h"

namespace tessmar {
namespace {

class EosDialogTest : public testing::Test {
 protected:
  // Accept a reduced ideal gas, gamma 5/3, M 1, as the selection to keep.
  void AcceptReducedGas() {
    dlg.At("EqType").Set(0LL);
    dlg.At("gamma").Set(5.0L / 3.0L);
    ASSERT_EQ(dlg.AcceptEOS(), EosDialogResult::kOk);
  }
  void Choose(int type) { dlg.At("EqType").Set(static_cast<long long>(type)); }
  void InstallElectronEnergy() {
    ctx.ElEe.Install([](Real Te, Real) { return 1e-3L * Te * Te / 2; });
  }

  ScriptedQuestionPort port;
  SimContext ctx{&port};
  TEosDialog dlg{ctx};
};

TEST_F(EosDialogTest, Descriptors) {
  EXPECT_EQ(dlg.Caption(), "Equation of state");
  EXPECT_EQ(dlg.Key(), "eos");
  const Field& eqType = *dlg.Find("EqType");
  const std::vector<std::string> items = {
      "&Ideal gas", "&Table",    "Scaled Ta&b",    "&LJ - Ree", "Soli&d", "&Comb L+S",
      "&Metal",     "TCond&uct", "Ideal gas &of:", "Mi&eGrun",  "&Rose",  "&SilGlass",
      "P&Glass",    "&Water-a",  "Water&2MG",      "Li&F",      "Ti",     "LinEOS"};
  EXPECT_EQ(eqType.Items(), items);
  EXPECT_EQ(std::get<long long>(eqType.Default()), -1);
  EXPECT_EQ(dlg.EqType, -1);
  EXPECT_EQ(dlg.Find("Metal")->Items(), (std::vector<std::string>{"&Al", "&Cu", "A&u"}));
  const struct {
    const char* name;
    Real def;
  } reals[] = {{"gamma", 0},
               {"AtomMass", 0},
               {"T_0", -4.87773L},
               {"T_rho", 6.09091L},
               {"DisT", 0.5L},
               {"TScall", 2},
               {"TSchift", -291.8305827L},
               {"C2Edit", 0},
               {"rho0Edit", 0},
               {"GEdit", 0},
               {"CEdit", 0},
               {"TrEdit", 293},
               {"kappaEdit", 1.5e-5L},
               {"kMultT0Edit", 300}};
  for (const auto& r : reals) EXPECT_EQ(std::get<Real>(dlg.At(r.name).Get()), r.def) << r.name;
  for (const char* check : {"NoElEOS", "CheckKappa", "kappaMultChec", "kappaFnTCheck", "SpallBtn"})
    EXPECT_FALSE(std::get<bool>(dlg.At(check).Get())) << check;
  EXPECT_EQ(dlg.At("MetalParam").Kind(), FieldKind::Button);
  EXPECT_EQ(dlg.At("TabFiles").Kind(), FieldKind::Button);
}

TEST_F(EosDialogTest, ChoosingATypePresetsGasParameters) {
  const struct {
    int type;
    Real gamma, atomMass;
  } cases[] = {
      {eq_type::kIdealGas, 0, 1},
      {eq_type::kLJRee, 5.0L / 3.0L, 0},
      {eq_type::kSolid, 4.0L / 3.0L, 0},
      {eq_type::kCombLS, 5.0L / 3.0L, 0},
      {eq_type::kIdealGasOf, 5.0L / 3.0L, 0},
      {eq_type::kTCond, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    dlg.gamma = 0;
    dlg.AtomMass = 0;
    Choose(c.type);
    EXPECT_EQ(dlg.gamma, c.gamma);
    EXPECT_EQ(dlg.AtomMass, c.atomMass);
  }
}

TEST_F(EosDialogTest, OnlyTheControlsOfTheTypeAreShown) {
  const struct {
    int type;
    std::vector<const char*> shown, hidden;
  } cases[] = {
      {eq_type::kIdealGas, {"gamma", "AtomMass"}, {"Metal", "TabFiles", "T_0", "C2Edit"}},
      {eq_type::kIdealGasOf, {"gamma", "AtomMass", "Metal"}, {"TScall", "MetalParam"}},
      {eq_type::kCombLS, {"gamma", "T_0", "T_rho", "DisT"}, {"Metal"}},
      {eq_type::kScaledTab, {"TabFiles", "TScall", "TSchift"}, {"gamma", "AtomMass"}},
      {eq_type::kTable, {"TabFiles"}, {"TScall", "gamma"}},
      {eq_type::kMetal, {"MetalParam"}, {"gamma", "TabFiles"}},
      {eq_type::kLinEOS, {"C2Edit", "rho0Edit", "GEdit", "CEdit", "TrEdit"}, {"gamma"}},
      {eq_type::kMieGrun, {"NoElEOS", "SpallBtn"}, {"gamma", "AtomMass", "C2Edit"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    Choose(c.type);
    for (const char* n : c.shown) {
      EXPECT_TRUE(dlg.At(n).Visible()) << n;
      EXPECT_TRUE(dlg.At(n).Enabled()) << n;
    }
    for (const char* n : c.hidden) EXPECT_FALSE(dlg.At(n).Visible()) << n;
  }
  // The conductivity fields follow their check boxes.
  EXPECT_FALSE(dlg.At("kappaEdit").Visible());
  dlg.At("CheckKappa").Set(true);
  EXPECT_TRUE(dlg.At("kappaEdit").Visible());
  EXPECT_FALSE(dlg.At("kMultT0Edit").Visible());
  dlg.At("kappaMultChec").Set(true);
  EXPECT_TRUE(dlg.At("kMultT0Edit").Visible());
}

TEST_F(EosDialogTest, ChoosingAMetalSetsItsMolarMass) {
  Choose(eq_type::kIdealGasOf);
  const struct {
    const char* caption;
    Real mass;
  } cases[] = {{"Al", 26.98L}, {"Cu", 63.54L}, {"Au", 197.2L}};
  for (const auto& c : cases) {
    dlg.At("Metal").SetText(c.caption);
    EXPECT_EQ(dlg.AtomMass, c.mass) << c.caption;
  }
}

TEST_F(EosDialogTest, ReducedIdealGasAccepted) {
  ctx.UnitScale = 1e5L;
  Choose(eq_type::kIdealGas);
  dlg.At("gamma").Set(1.4L);
  dlg.At("AtomMass").Set(2.0L);
  ASSERT_EQ(dlg.AcceptEOS(), EosDialogResult::kOk);
  EXPECT_EQ(dlg.Description.first, "I, gamma = " + dlg.At("gamma").Text());
  EXPECT_EQ(dlg.Description.first, "I, gamma = 1.4");
  EXPECT_EQ(ctx.EOSType, eq_type::kIdealGas);
  EXPECT_EQ(ctx.EOSMaterial, 0);
  EXPECT_EQ(ctx.IdealGas.CvConst, 1 / ((1.4L - 1) * 2));
  EXPECT_EQ(ctx.IdealGas.AtMass, 2);
  EXPECT_EQ(ctx.UnitScale, 1);
  EXPECT_EQ(ctx.EosP(3, 4), 6);
  EXPECT_EQ(dlg.EqType, -1);  // opens with no type chosen next time
  EXPECT_TRUE(port.records.empty());
}

TEST_F(EosDialogTest, PhysicalIdealGasDescriptions) {
  const struct {
    int metal;
    const char* text;
    Real mass;
  } cases[] = {
      {0, "Ideal gas of Al", 26.98L},
      {1, "Ideal gas of Cu", 63.54L},
      {2, "Idela gas of Au", 197.2L},
      {-1, "Ideal gas of AtMass = 2", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Choose(eq_type::kIdealGasOf);
    if (c.metal >= 0)
      dlg.At("Metal").Set(static_cast<long long>(c.metal));
    else {
      dlg.At("Metal").Set(-1LL);
      dlg.At("AtomMass").Set(2.0L);
    }
    ASSERT_EQ(dlg.AcceptEOS(), EosDialogResult::kOk);
    EXPECT_EQ(dlg.Description.first, c.text);
    EXPECT_EQ(ctx.EOSType, eq_type::kIdealGasOf);
    EXPECT_EQ(ctx.EOSMaterial, c.metal);
    EXPECT_EQ(ctx.IdealGas.RGasM, 0.008318377240488L / c.mass);
    EXPECT_EQ(ctx.UnitScale, 1e5L);
  }
}

TEST_F(EosDialogTest, ChosenMetalFixesTheMolarMass) {
  Choose(eq_type::kIdealGasOf);
  dlg.At("Metal").SetText("Al");
  dlg.At("AtomMass").Set(50.0L);  // typed after the metal was chosen
  ASSERT_EQ(dlg.AcceptEOS(), EosDialogResult::kOk);
  EXPECT_EQ(dlg.Description.first, "Ideal gas of Al");
  EXPECT_EQ(ctx.IdealGas.RGasM, 0.008318377240488L / 26.98L);
}

TEST_F(EosDialogTest, FailedChecksKeepTheDialogOpenAndTheSelection) {
  AcceptReducedGas();
  const auto previousDescription = dlg.Description;
  const Real e = ctx.EosE(2, 1);
  const IdealGasParams params = ctx.IdealGas;
  struct Case {
    const char* name;
    std::function<void()> setup;
    const char* focus;
  };
  const Case cases[] = {
      {"no type", [this] { dlg.At("EqType").Set(-1LL); }, "EqType"},
      {"gamma 1",
       [this] {
         Choose(0);
         dlg.At("gamma").Set(1.0L);
       },
       "gamma"},
      {"gamma below 1",
       [this] {
         Choose(0);
         dlg.At("gamma").Set(0.5L);
       },
       "gamma"},
      {"M 0, reduced",
       [this] {
         Choose(0);
         dlg.At("gamma").Set(1.4L);
         dlg.At("AtomMass").Set(0.0L);
       },
       "AtomMass"},
      {"M 0, physical",
       [this] {
         Choose(8);
         dlg.At("AtomMass").Set(0.0L);
       },
       "AtomMass"},
      {"gamma 1, physical",
       [this] {
         Choose(8);
         dlg.At("Metal").Set(0LL);
         dlg.At("gamma").Set(1.0L);
       },
       "gamma"},
      {"no table", [this] { Choose(1); }, "TabFiles"},
      {"scaled, no table", [this] { Choose(2); }, "TabFiles"},
      {"scale 0",
       [this] {
         Choose(2);
         dlg.TabLabel = "Al";
         dlg.At("TScall").Set(0.0L);
       },
       "TScall"},
      {"LJ, M 0",
       [this] {
         Choose(3);
         dlg.At("AtomMass").Set(0.0L);
       },
       "AtomMass"},
      {"Solid, M < 0",
       [this] {
         Choose(4);
         dlg.At("AtomMass").Set(-1.0L);
       },
       "AtomMass"},
      {"Comb, M 0",
       [this] {
         Choose(5);
         dlg.At("AtomMass").Set(0.0L);
       },
       "AtomMass"},
      {"metal not set", [this] { Choose(6); }, "MetalParam"},
      {"LinEOS empty", [this] { Choose(17); }, "LinEOSPanel"},
      {"LinEOS G only",
       [this] {
         Choose(17);
         dlg.At("GEdit").Set(1.0L);
       },
       "LinEOSPanel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dlg.TabLabel.clear();
    c.setup();
    dlg.SetFocus("");
    EXPECT_EQ(dlg.AcceptEOS(), EosDialogResult::kKeepOpen);
    EXPECT_EQ(dlg.Focus(), c.focus);
    EXPECT_EQ(ctx.EOSType, eq_type::kIdealGas);
    EXPECT_EQ(ctx.EosE(2, 1), e);
    EXPECT_EQ(ctx.IdealGas.CvConst, params.CvConst);
    EXPECT_EQ(ctx.IdealGas.RGasM, params.RGasM);
    EXPECT_EQ(ctx.UnitScale, 1);
    EXPECT_EQ(dlg.Description, previousDescription);
  }
  EXPECT_TRUE(port.records.empty());
}

TEST_F(EosDialogTest, HiddenTableButtonIsShownFirst) {
  dlg.EqType = eq_type::kTable;  // set without the choice handler, as from a stored value
  dlg.TabLabel = "Al";
  ASSERT_FALSE(dlg.At("TabFiles").Visible());
  EXPECT_EQ(dlg.AcceptEOS(), EosDialogResult::kKeepOpen);
  EXPECT_EQ(dlg.Focus(), "TabFiles");
  EXPECT_TRUE(dlg.At("TabFiles").Visible());
}

TEST_F(EosDialogTest, UnavailableTypeIsReportedAndChangesNothing) {
  AcceptReducedGas();
  const auto previousDescription = dlg.Description;
  struct Case {
    int type;
    std::function<void()> setup;
    const char* message;
  };
  const Case cases[] = {
      {3, [this] { dlg.At("AtomMass").Set(1.0L); },
       "LJ - Ree: this equation of state is not available yet"},
      {1, [this] { dlg.TabLabel = "Al"; }, "Table: this equation of state is not available yet"},
      {7, [] {}, "TConduct: this equation of state is not available yet"},
      {9, [] {}, "MieGrun: this equation of state is not available yet"},
      {17, [this] { dlg.At("C2Edit").Set(5.0L); },
       "LinEOS: this equation of state is not available yet"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    port.records.clear();
    Choose(c.type);
    c.setup();
    EXPECT_EQ(dlg.AcceptEOS(), EosDialogResult::kKeepOpen);
    EXPECT_EQ(dlg.Focus(), "EqType");
    EXPECT_EQ(port.Texts(), std::vector<std::string>{c.message});
    EXPECT_EQ(dlg.EqType, c.type);  // the choice stays for a correction
    EXPECT_EQ(ctx.EOSType, eq_type::kIdealGas);
    EXPECT_EQ(ctx.UnitScale, 1);
    EXPECT_EQ(dlg.Description, previousDescription);
    EXPECT_NEAR(static_cast<double>(ctx.EosE(2, 1)), 3.0, 1e-15);
  }
}

TEST_F(EosDialogTest, LatticeOnlyNeedsElectronFunctions) {
  int shown = 0;
  dlg.ShowElectronDialog = [&shown] { ++shown; };  // the user cancels it
  Choose(0);
  dlg.At("gamma").Set(1.4L);
  dlg.NoElEOS = true;
  EXPECT_EQ(dlg.AcceptEOS(), EosDialogResult::kNo);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(dlg.NoElEOS);
  // The selection stands, without NoElEOS: nothing refers to missing electrons.
  EXPECT_EQ(ctx.EOSType, eq_type::kIdealGas);
  EXPECT_EQ(dlg.Description.first, "I, gamma = 1.4");
  EXPECT_FALSE(ctx.TotaldPdT);
  EXPECT_EQ(ctx.EosE(2, 1), ctx.ModelE(2, 1));
  EXPECT_EQ(ctx.EosTofE(3, 1), ctx.ModelTofE(3, 1));
}

TEST_F(EosDialogTest, LatticeOnlyWithElectronsFromTheElectronDialog) {
  dlg.ShowElectronDialog = [this] { InstallElectronEnergy(); };
  Choose(0);
  dlg.At("gamma").Set(1.4L);
  dlg.NoElEOS = true;
  ASSERT_EQ(dlg.AcceptEOS(), EosDialogResult::kOk);
  EXPECT_EQ(dlg.Description.first, "I, gamma = 1.4 - NoEl");
  EXPECT_EQ(ctx.EosE(100, 1), ctx.ModelE(100, 1) + ctx.ElEe(100, 1));
  EXPECT_TRUE(ctx.TotaldPdT);
}

TEST_F(EosDialogTest, TickingNoElEOSAsksForElectrons) {
  dlg.At("NoElEOS").Set(true);  // no electron dialog to open
  EXPECT_FALSE(dlg.NoElEOS);
  int shown = 0;
  dlg.ShowElectronDialog = [&] {
    ++shown;
    InstallElectronEnergy();
  };
  dlg.At("NoElEOS").Set(true);
  EXPECT_TRUE(dlg.NoElEOS);
  EXPECT_EQ(shown, 1);
  dlg.At("NoElEOS").Set(false);
  dlg.At("NoElEOS").Set(true);  // electrons present now: nothing opens
  EXPECT_EQ(shown, 1);
}

TEST_F(EosDialogTest, LeftMaterial) {
  Choose(8);
  dlg.At("Metal").Set(2LL);
  ASSERT_EQ(dlg.AcceptEOS(), EosDialogResult::kOk);
  ctx.TabEOS = true;
  ctx.SpallOn = true;
  const Real e = ctx.EosE(300, 19.3L);

  dlg.SetLeft(true);
  EXPECT_TRUE(dlg.Description.first.empty());
  EXPECT_FALSE(dlg.At("NoElEOS").Visible());
  EXPECT_FALSE(dlg.At("SpallBtn").Visible());
  Choose(0);
  dlg.At("gamma").Set(1.4L);
  dlg.NoElEOS = true;  // hidden for the left material: no effect
  ASSERT_EQ(dlg.AcceptEOS(), EosDialogResult::kOk);
  EXPECT_EQ(ctx.EOSTypel, eq_type::kIdealGas);
  EXPECT_EQ(ctx.EOSType, eq_type::kIdealGasOf);
  EXPECT_EQ(ctx.EOSMaterial, 2);
  EXPECT_TRUE(ctx.TabEOS);
  EXPECT_TRUE(ctx.SpallOn);
  EXPECT_EQ(ctx.UnitScale, 1e5L);
  EXPECT_EQ(ctx.EosE(300, 19.3L), e);
  EXPECT_EQ(dlg.Description.first, "I, gamma = 1.4");
  EXPECT_NEAR(static_cast<double>(ctx.EosPl(2, 1)), 2.0, 1e-15);
  EXPECT_TRUE(port.records.empty());
}

TEST_F(EosDialogTest, TableAndMetalDialogsOpenThroughHooks) {
  std::vector<bool> tableOpened;
  int metalOpened = 0;
  dlg.OpenTableDialog = [&](bool left) { tableOpened.push_back(left); };
  dlg.OpenMetalParamDialog = [&] {
    ++metalOpened;
    dlg.Description.first = "Metal - Al";
  };
  Choose(1);
  Choose(2);
  dlg.At("TabFiles").Press();
  dlg.SetLeft(true);
  dlg.At("TabFiles").Press();
  EXPECT_EQ(tableOpened, (std::vector<bool>{false, false, false, true}));
  dlg.SetLeft(false);
  Choose(6);
  EXPECT_EQ(metalOpened, 1);
  // The metal dialog wrote its description: the check passes, the model is missing.
  EXPECT_EQ(dlg.AcceptEOS(), EosDialogResult::kKeepOpen);
  EXPECT_EQ(port.Texts(),
            std::vector<std::string>{"Metal: this equation of state is not available yet"});
}

TEST_F(EosDialogTest, LatticeConductivity) {
  const struct {
    bool left, mult;
    Real T, expected, constant;
  } cases[] = {
      {false, false, 600, 2e-5L, 2e-5L},
      {false, true, 600, 2e-5L * 300 / 600, 2e-5L * 300},
      {true, false, 600, 2e-5L, 2e-5L},
      {true, true, 150, 2e-5L * 300 / 150, 2e-5L * 300},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.left ? "left" : "main") << (c.mult ? " *" : ""));
    dlg.SetLeft(c.left);
    Choose(0);
    dlg.At("gamma").Set(1.4L);
    dlg.At("CheckKappa").Set(true);
    dlg.At("kappaEdit").Set(2e-5L);
    dlg.At("kappaMultChec").Set(c.mult);
    ASSERT_EQ(dlg.AcceptEOS(), EosDialogResult::kOk);
    const RealFn& slot = c.left ? ctx.IonKappal : ctx.IonKappa;
    EXPECT_NEAR(static_cast<double>(slot(c.T, 1)), static_cast<double>(c.expected), 1e-25);
    EXPECT_EQ(c.left ? ctx.KappaConstl : ctx.KappaConst, c.constant);
  }
}

TEST_F(EosDialogTest, ConductivityAsFunctionOfTIsNotAvailable) {
  AcceptReducedGas();
  Choose(0);
  dlg.At("gamma").Set(1.2L);
  dlg.At("CheckKappa").Set(true);
  dlg.At("kappaFnTCheck").Set(true);
  EXPECT_EQ(dlg.AcceptEOS(), EosDialogResult::kKeepOpen);
  EXPECT_EQ(dlg.Focus(), "kappaFnTCheck");
  EXPECT_EQ(port.Texts(),
            std::vector<std::string>{
                "kappa FnT: the conductivity as a function of T is not available yet"});
  EXPECT_FALSE(ctx.IonKappa);
  EXPECT_NE(ctx.IdealGas.IgGamma1, 1.2L - 1);  // nothing of the refused OK was applied
}

TEST_F(EosDialogTest, UseIonThermoCondQuestion) {
  const struct {
    bool noConduct, kappa;
    Button answer;
    bool asked, noConductAfter;
  } cases[] = {
      {true, true, Button::Yes, true, false},
      {true, true, Button::No, true, true},
      {false, true, Button::Yes, false, false},
      {true, false, Button::Yes, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.noConduct << c.kappa << ButtonCaption(c.answer));
    port.records.clear();
    ctx.IonKappa.Clear();
    ctx.NoConduct = c.noConduct;
    port.QueueAnswer(c.answer);
    Choose(0);
    dlg.At("gamma").Set(1.4L);
    dlg.At("CheckKappa").Set(c.kappa);
    ASSERT_EQ(dlg.AcceptEOS(), EosDialogResult::kOk);
    if (c.asked) {
      ASSERT_EQ(port.records.size(), 1u);
      EXPECT_EQ(port.records[0].text, "Use Ion ThermoCond?");
      EXPECT_EQ(port.records[0].buttons.Items(), (std::vector<Button>{Button::Yes, Button::No}));
    } else {
      EXPECT_TRUE(port.records.empty());
      port = ScriptedQuestionPort();  // drop the unused answer
    }
    EXPECT_EQ(ctx.NoConduct, c.noConductAfter);
  }
}

TEST_F(EosDialogTest, SpallationToggle) {
  Choose(0);
  dlg.At("gamma").Set(1.4L);
  dlg.At("SpallBtn").Set(true);  // no spallation dialog: counts as cancelled
  EXPECT_FALSE(dlg.SpallBtn);
  EXPECT_FALSE(ctx.SpallOn);
  EXPECT_EQ(ctx.EOSType, eq_type::kIdealGas);  // the OK action ran first

  int opened = 0;
  dlg.OpenSpallDialog = [&] {
    ++opened;
    return true;
  };
  Choose(8);
  dlg.At("Metal").Set(0LL);
  dlg.At("SpallBtn").Set(true);
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(dlg.SpallBtn);
  EXPECT_TRUE(ctx.SpallOn);
  EXPECT_EQ(ctx.EOSType, eq_type::kIdealGasOf);

  // A refused OK opens no spallation dialog.
  Choose(0);
  dlg.At("gamma").Set(1.0L);
  dlg.SpallBtn = false;
  dlg.At("SpallBtn").Set(true);
  EXPECT_EQ(opened, 1);
  EXPECT_FALSE(dlg.SpallBtn);

  // Plain OK takes the toggle's state.
  dlg.At("gamma").Set(1.4L);
  dlg.SpallBtn = false;
  ASSERT_EQ(dlg.AcceptEOS(), EosDialogResult::kOk);
  EXPECT_FALSE(ctx.SpallOn);
}

}  // namespace
}  // namespace tessmar
