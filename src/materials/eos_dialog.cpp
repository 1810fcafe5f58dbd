#include "materials/eos_dialog.h"

#include <vector>

#include "base/question_port.h"
#include "materials/eos_select.h"
#include "materials/ideal_gas.h"

namespace tessmar {

namespace {

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

bool UsesGasParameters(int type) {
  return type == eq_type::kIdealGas || type == eq_type::kLJRee || type == eq_type::kSolid ||
         type == eq_type::kCombLS || type == eq_type::kIdealGasOf;
}

constexpr const char* kIdealGasOfMetalText[3] = {"Ideal gas of Al", "Ideal gas of Cu",
                                                 "Idela gas of Au"};

}  // namespace

TEosDialog::TEosDialog(SimContext& ctx) : DialogModel("eos", "Equation of state"), ctx_(ctx) {
  std::vector<std::string> types(kEqTypeCaptions.begin(), kEqTypeCaptions.end());
  AddChoice("EqType", "EqType", EqType, std::move(types), -1).OnExit([this] { EqTypeClick(); });
  AddReal("gamma", "&gamma", gamma, 0);
  AddReal("AtomMass", "&M atom", AtomMass, 0);
  AddReal("T_0", "Tsl =", T_0, -4.87773L);
  AddReal("T_rho", "+", T_rho, 6.09091L);
  AddReal("DisT", "* n, DT =", DisT, 0.5L);
  AddChoice("Metal", "Metal:", Metal, {"&Al", "&Cu", "A&u"}, -1).OnExit([this] { MetalClick(); });
  AddButton("MetalParam", "Metal parameters", [this] {
    if (OpenMetalParamDialog) OpenMetalParamDialog();
  });
  AddButton("TabFiles", "TabFiles", [this] {
    if (OpenTableDialog) OpenTableDialog(left_);
  });
  AddReal("TScall", "TabEOS(rho, T*", TScall, 2);
  AddReal("TSchift", "+", TSchift, -291.8305827L).Help("[K] )");
  AddReal("C2Edit", "C2", C2Edit, 0).Help("P = C2*(rho - rho0) + G*(E - E0)*rho");
  AddReal("rho0Edit", "rho0", rho0Edit, 0);
  AddReal("GEdit", "G", GEdit, 0);
  AddReal("CEdit", "C", CEdit, 0).Help("E = C*T");
  AddReal("TrEdit", "Tr", TrEdit, 293).Help("E0 = C*Tr");
  AddCheck("NoElEOS", "&NoElEOS", NoElEOS, false).OnExit([this] { NoElEOSClick(); });
  AddCheck("CheckKappa", "&kappa", CheckKappa, false).OnExit([this] { UpdateControls(); });
  AddReal("kappaEdit", "kappa", kappaEdit, 1.5e-5L).Help("lattice conductivity, kW/K/cm");
  AddCheck("kappaMultChec", "*", kappaMultChec, false).OnExit([this] { UpdateControls(); });
  AddCheck("kappaFnTCheck", "FnT", kappaFnTCheck, false);
  AddReal("kMultT0Edit", "T0", kMultT0Edit, 300).Help("T0 of the factor T0/T, K");
  AddCheck("SpallBtn", "Sp&all", SpallBtn, false).OnExit([this] { SpallBtnClick(); });
  UpdateControls();
}

void TEosDialog::SetLeft(bool flag) {
  left_ = flag;
  Description = {};
  UpdateControls();
}

void TEosDialog::UpdateControls() {
  const int t = EqType;
  auto show = [this](const char* name, bool on) {
    Field& f = At(name);
    f.SetVisible(on);
    f.SetEnabled(on);
  };
  show("gamma", UsesGasParameters(t));
  show("AtomMass", UsesGasParameters(t));
  for (const char* name : {"T_0", "T_rho", "DisT"}) show(name, t == eq_type::kCombLS);
  show("Metal", t == eq_type::kIdealGasOf);
  show("MetalParam", t == eq_type::kMetal);
  show("TabFiles", t == eq_type::kTable || t == eq_type::kScaledTab);
  show("TScall", t == eq_type::kScaledTab);
  show("TSchift", t == eq_type::kScaledTab);
  for (const char* name : {"C2Edit", "rho0Edit", "GEdit", "CEdit", "TrEdit"})
    show(name, t == eq_type::kLinEOS);
  show("NoElEOS", !left_);
  show("SpallBtn", !left_);
  show("kappaEdit", CheckKappa);
  show("kappaMultChec", CheckKappa);
  show("kappaFnTCheck", CheckKappa);
  show("kMultT0Edit", CheckKappa && kappaMultChec);
}

void TEosDialog::EqTypeClick() {
  switch (EqType) {
    case eq_type::kIdealGas: AtomMass = 1; break;
    case eq_type::kLJRee:
    case eq_type::kCombLS:
    case eq_type::kIdealGasOf: gamma = 5.0L / 3.0L; break;
    case eq_type::kSolid: gamma = 4.0L / 3.0L; break;
    default: break;
  }
  UpdateControls();
  if ((EqType == eq_type::kTable || EqType == eq_type::kScaledTab) && OpenTableDialog)
    OpenTableDialog(left_);
  if (EqType == eq_type::kMetal && OpenMetalParamDialog) OpenMetalParamDialog();
}

void TEosDialog::MetalClick() {
  if (Metal >= 0 && Metal < 3) AtomMass = kIdealGasMetalMass[Metal];
}

void TEosDialog::NoElEOSClick() {
  if (!NoElEOS || ctx_.ElEe) return;
  if (ShowElectronDialog) ShowElectronDialog();
  if (!ctx_.ElEe) NoElEOS = false;
}

void TEosDialog::SpallBtnClick() {
  if (!SpallBtn) return;
  if (AcceptEOS() != EosDialogResult::kOk) {
    SpallBtn = false;
    return;
  }
  const bool ok = OpenSpallDialog && OpenSpallDialog();
  SpallBtn = ok;
  ctx_.SpallOn = ok;
}

EosDialogResult TEosDialog::Refuse(const char* control) {
  SetFocus(control);
  return EosDialogResult::kKeepOpen;
}

std::string TEosDialog::Trimmed(const char* field) {
  return Trim(At(field).Text());
}

bool TEosDialog::CheckType(int type, std::pair<std::string, std::string>& desc, int& material,
                           IdealGasParams& params) {
  auto refuse = [this](const char* control) {
    Refuse(control);
    return false;
  };
  switch (type) {
    case eq_type::kIdealGas:
      if (!(gamma > 1)) return refuse("gamma");
      if (AtomMass == 0) return refuse("AtomMass");  // CvConst would be infinite
      desc.first = "I, gamma = " + At("gamma").Text();
      SetReducedIdealGas(params, gamma, AtomMass);
      return true;
    case eq_type::kTable:
      if (!At("TabFiles").Visible()) {
        At("TabFiles").SetVisible(true);
        At("TabFiles").SetEnabled(true);
        return refuse("TabFiles");
      }
      if (TabLabel.empty()) return refuse("TabFiles");
      desc.first = "Table: " + TabLabel;
      return true;
    case eq_type::kScaledTab:
      if (TabLabel.empty()) return refuse("TabFiles");
      if (TScall == 0) return refuse("TScall");
      desc.first =
          "Table: " + TabLabel + " (rho, T*" + Trimmed("TScall") + "+" + Trimmed("TSchift") + "K)";
      return true;
    case eq_type::kLJRee:
      if (!(AtomMass > 0)) return refuse("AtomMass");
      desc.first = "LJ, Mat = " + At("AtomMass").Text();
      return true;
    case eq_type::kSolid:
      if (!(AtomMass > 0)) return refuse("AtomMass");
      desc.first = "Sol, Mat = " + At("AtomMass").Text();
      return true;
    case eq_type::kCombLS:
      if (!(AtomMass > 0)) return refuse("AtomMass");
      desc.first = "LJ-Sol+Lq, Mat = " + At("AtomMass").Text() + ", Tsl = " + At("T_0").Text() +
                   " + " + At("T_rho").Text() + "n, DT = " + At("DisT").Text();
      return true;
    case eq_type::kMetal:
      // The metal-parameter dialog writes the description when it returns OK.
      if (desc.first.rfind("Metal - ", 0) != 0) return refuse("MetalParam");
      return true;
    case eq_type::kTCond: return true;
    case eq_type::kIdealGasOf: {
      // A chosen metal fixes the molar mass; otherwise "M atom" is the molar mass.
      const bool metal = Metal >= 0 && Metal < 3;
      const Real molarMass = metal ? kIdealGasMetalMass[Metal] : AtomMass;
      if (molarMass == 0) return refuse("AtomMass");
      if (gamma == 1) return refuse("gamma");  // CvGasM would be infinite
      material = metal ? Metal : -1;
      desc.first =
          metal ? kIdealGasOfMetalText[Metal] : "Ideal gas of AtMass = " + At("AtomMass").Text();
      SetPhysicalIdealGas(params, gamma, molarMass);
      return true;
    }
    case eq_type::kLinEOS:
      if (!(C2Edit != 0 || (GEdit != 0 && CEdit != 0))) return refuse("LinEOSPanel");
      desc.first = "P=" + Trimmed("C2Edit") + "*(rho-" + Trimmed("rho0Edit") + ")+" +
                   Trimmed("GEdit") + "*(E-E0)*rho, E=" + Trimmed("CEdit") +
                   "*T, T0=" + Trimmed("TrEdit");
      desc.second.clear();
      return true;
    default:
      // The models of the remaining types bring their own frames, checks and
      // descriptions; SelectEOS reports them as not available.
      return true;
  }
}

void TEosDialog::InstallKappa() {
  Real& k = left_ ? ctx_.KappaConstl : ctx_.KappaConst;
  RealFn& slot = left_ ? ctx_.IonKappal : ctx_.IonKappa;
  if (kappaMultChec) {
    k = kappaEdit * kMultT0Edit;
    slot.Install([&k](Real T, Real) { return k / T; });  // kappa*T0/T
  } else {
    k = kappaEdit;
    slot.Install([&k](Real, Real) { return k; });
  }
}

EosDialogResult TEosDialog::AcceptEOS() {
  const int type = EqType;
  if (type < 0 || type >= eq_type::kCount) return Refuse("EqType");

  std::pair<std::string, std::string> desc = Description;
  int material = 0;
  IdealGasParams params = ctx_.IdealGas;
  if (!CheckType(type, desc, material, params)) return EosDialogResult::kKeepOpen;
  if (CheckKappa && kappaFnTCheck) {
    ctx_.Port().Inform("kappa FnT: the conductivity as a function of T is not available yet",
                       MessageKind::Warning);
    return Refuse("kappaFnTCheck");
  }

  // Install; a type this build lacks leaves everything as it was.
  const bool noElEOS = NoElEOS && !left_;
  const IdealGasParams previous = ctx_.IdealGas;
  ctx_.IdealGas = params;
  try {
    SelectEOS(ctx_, type, material, noElEOS, left_);
  } catch (const EosNotAvailableError& e) {
    ctx_.IdealGas = previous;
    ctx_.Port().Inform(e.what(), MessageKind::Warning);
    return Refuse("EqType");
  }
  // The accepted type is recorded only now, so that a refused OK never leaves
  // EOSType naming a model that is not installed.
  if (left_) {
    ctx_.EOSTypel = type;
  } else {
    ctx_.EOSType = type;
    ctx_.EOSMaterial = material;
  }
  Description = std::move(desc);

  if (type >= eq_type::kMieGrun) {
    const Button b =
        ctx_.Port().Ask("Save(print) settings?", {Button::Yes, Button::No, Button::Cancel});
    if (b == Button::Yes && PrintDialog) PrintDialog();
  }

  if (noElEOS) {
    if (!ctx_.ElEe && ShowElectronDialog) ShowElectronDialog();
    if (!ctx_.ElEe) {
      // Without electron functions the lattice-only composition would describe
      // a material without electrons; select the model as the total instead.
      NoElEOS = false;
      SelectEOS(ctx_, type, material, false, false);
      return EosDialogResult::kNo;
    }
    Description.first += " - NoEl";
  }

  if (CheckKappa) InstallKappa();

  if (ctx_.NoConduct && ctx_.IonKappa &&
      ctx_.Port().Ask("Use Ion ThermoCond?", {Button::Yes, Button::No}) == Button::Yes)
    ctx_.NoConduct = false;

  if (!left_) ctx_.SpallOn = SpallBtn;  // the toggle belongs to the main material

  EqType = -1;
  UpdateControls();
  return EosDialogResult::kOk;
}

}  // namespace tessmar
