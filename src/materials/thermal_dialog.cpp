#include "materials/thermal_dialog.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "base/fp_guard.h"
#include "base/question_port.h"
#include "materials/phase.h"

namespace tessmar {

namespace {

constexpr int kNat = 0, kRho = 1, kMatNo = 2;

// Items of "Metalls" that other pages handle, and the page each one shows.
int MetallsPage(int item) {
  switch (item) {
    case 2:  // &Ni
    case 4:  // &Fe
      return el_page::kTransMetall;
    case 3: return el_page::kNoMetall;  // &LiF
    case 5: return el_page::kTa;        // &Ta
    default: return -1;
  }
}

// Presets of "Metalls" that fill the "Simple metall" page itself.
struct MetallPreset {
  int item;
  Real Z, rho0, MatNo, alpha, ki, br, shearG;
  const char* metal;
};
constexpr MetallPreset kMetallPresets[] = {
    {1, 3, 2.712117513786L, 26.98L, 3.5e8L, 0.8L, 0.2142L, 26, "Al"},
    {6, 1, 10.489790276807L, 107.8682L, 4e7L, 0, 0, 30, "Ag"},
};

// Solid mass fraction of a mixed lattice state, the weight of the solid
// collision frequency: the model's solid fraction when it has one, else one
// minus its liquid fraction, else (a mixture without fractions) an even mix.
Real SolidFraction(const SimContext& ctx, Real Ti, Real rho) {
  Real x = 0.5L;
  if (ctx.EosSolFrac)
    x = ctx.EosSolFrac(Ti, rho);
  else if (ctx.EosLiqFrac)
    x = 1 - ctx.EosLiqFrac(Ti, rho);
  return std::clamp(x, Real(0), Real(1));
}

// The free-electron metal of the "Simple metall" page with the constants of the
// OK that installed it. One model is shared by the slot functions of that OK,
// so that the cached rho^(2/3) serves all of them at the same cell.
struct SimpleMetalModel {
  const SimContext* ctx = nullptr;
  FreeElectronGas gas;
  Real kpl = 0;  // plasma-frequency constant
  Real nu0 = 0, nuT = 0, nuA = 0, nuB = 0, nuC = 0, nus = 0, nui = 0, kz = 0;
  Real tLiqMin = 0;  // lowest temperature of the liquid fit, -2C/A
  Real ki = 0, br = 0;
  Rho23Cache rho23;

  // Heat capacity 1/sqrt(1/(Te*gamma)^2 + 1/c_cl^2): the degenerate gas
  // gamma*Te joined to the classical limit c_cl.
  Real Ce(Real Te, Real r23) const {
    const Real x = Te * gas.Gamma(r23);
    const Real c = gas.Ccl;
    return x * c / std::sqrt(x * x + c * c);
  }

  // Energy whose derivative is Ce: (sqrt(c_cl^2 + m^2) - c_cl)*c_cl/G with
  // G = gamma(rho - rho_md), m = G*Te, scaled by the share (1 - rho_md/rho) of
  // free electrons. The difference is written as m^2/(sqrt(c_cl^2 + m^2) + c_cl),
  // which has no cancellation at small m and tends to G*Te^2/2. A math error
  // gives 0 and leaves no failure flag behind.
  Real Ee(Real Te, Real rho) {
    const Real md = ctx->ElRhoMd;
    if (rho <= md) return 0;
    const int before = std::fetestexcept(kFpFailureFlags);
    const Real G = gas.Gamma(rho23(rho - md));
    const Real m = G * Te;
    const Real c = gas.Ccl;
    const Real e = (1 - md / rho) * Te * m * c / (std::sqrt(c * c + m * m) + c);
    const int raised = std::fetestexcept(kFpFailureFlags) & ~before;
    if (raised != 0 || !std::isfinite(e)) {
      std::feclearexcept(raised);
      return 0;
    }
    return e;
  }

  // Electron-ion collision frequency of the lattice at the ion temperature:
  // proportional to Ti in the solid, the liquid fit above the melt, the
  // fraction-weighted mean in solid-liquid and solid-gas mixtures.
  Real NuEi(Real Ti, Real rho) const {
    const int k = std::abs(PhaseCode(*ctx, Ti, rho)) % 7;
    const Real solid = Ti * nu0 / 933;
    if (k == 0 || k == 1) return solid;
    const Real tp = std::max(Ti, tLiqMin);
    const Real liquid = nuT * tp / (tp * nuB + nuA + nuC / tp);
    if (k == 2 || k == 6) {
      const Real x = SolidFraction(*ctx, Ti, rho);
      return x * solid + (1 - x) * liquid;
    }
    return liquid;
  }

  // kappa_e = c_eV * <v^2> / (nu_ei + nu_ee), each frequency limited by the
  // plasma-frequency term.
  Real Kappa(Real Ti, Real Te, Real rho) {
    const Real r23 = rho23(rho);
    const Real ceV = rho * Ce(Te, r23);  // kJ/K/cm3
    const Real kT = el::kBoltzErg * Te;  // erg
    const Real ef = gas.EF(r23) * (0.4L * el::kKJtoErg);
    const Real vsq = std::sqrt(kT * kT + ef * ef) / el::kElectronMass;  // cm2/s2
    const Real nuPl = ceV * vsq / (kpl * Te * Te * std::sqrt(Te));
    const Real r = rho / ctx->ElRho0;
    const Real r13 = std::cbrt(r);
    const Real a = r13 / NuEi(Ti, rho);
    const Real nuEiWD = 1 / std::sqrt(1 / (nuPl * nuPl) + a * a);
    const Real TeV = Te * el::kKelvinToEV;
    // nui * TeV^0.28 * r^0.48 with one exponential
    const Real nuiTerm = nui * std::exp(0.28L * std::log(TeV) + 0.48L * std::log(r));
    const Real s = r13 * r13 / (nus * TeV * TeV) + 1 / nuiTerm;
    const Real b = kz / ((1 - kz) * nuPl);
    const Real nuEeWD = 1 / std::sqrt(b * b + s * s);
    return ceV * vsq / (nuEiWD + nuEeWD);
  }

  // Lattice conductivity (k_i/Ti) * (b_r*rho^(2/3) + Ti/Tat)^(7/2).
  Real IonKappa(Real Ti, Real rho) { return ki / Ti * Pow72(br * rho23(rho) + Ti / el::kTat); }
};

}  // namespace

ElPageNotAvailableError::ElPageNotAvailableError(int page)
    : std::runtime_error(ElPageNotAvailableText(page)), page_(page) {}

bool ElPageAvailable(int page) {
  return page == el_page::kConstant || page == el_page::kSimpleMetall;
}

std::string ElPageNotAvailableText(int page) {
  return StripAmpersands(kElPageCaptions.at(static_cast<std::size_t>(page))) +
         ": this electron model is not available yet";
}

TThermParamDialog::TThermParamDialog(SimContext& ctx)
    : DialogModel("thermal", "ThermParamDialog"), ctx_(ctx) {
  std::vector<std::string> pages(kElPageCaptions.begin(), kElPageCaptions.end());
  AddChoice("Page", "Page", Page, std::move(pages), el_page::kConstant).OnExit([this] {
    PageChange();
  });

  // "Con&stant"
  AddReal("rho0Edit", "&rho_0 =", rho0Edit, 0).Help("g/cm3");
  AddReal("ceEdit", "&c_e =", ceEdit, 0).Help("kJ/g/K");
  AddReal("Gr1Edit", "&P_e = ", Gr1Edit, 2).Help("Pe = (Gr1/Gr2) * Ee * rho").OnExit([this] {
    UpdateControls();
  });
  AddReal("Gr2Edit", "/", Gr2Edit, 3);
  AddReal("kEdit", "&kappa =", kEdit, 0).Help("kW/K/cm");
  AddReal("aEdit", "&alpha =", aEdit, 0).Help("kJ/K/cm3");
  AddButton("OkBitBtn2", "&OK", [this] { LastResult = OkBtnClick(); });

  // The material frame
  AddReal("NatEdit", "&n_at =", NatEdit, 6e22L).Help("atoms per cm3").OnExit([this] {
    DensityRelations(DensityField::kNat);
  });
  AddReal("rhoEdit", "&rho0", rhoEdit, 0).Help("g/cm3").OnExit([this] {
    DensityRelations(DensityField::kRho);
  });
  AddReal("mEdit", "MatN&o", mEdit, 0).Help("g/mol").OnExit([this] {
    DensityRelations(DensityField::kMatNo);
  });
  AddReal("ZEdit", "&Z=", ZEdit, 0).Help("free electrons per atom").OnExit([this] {
    if (ZEdit > 0) UpdateDerived();
  });
  AddReal("EF0eVEdit", "EF0", EF0eVEdit, 0).Help("Fermi energy at rho0, eV (shown)").OnExit([this] {
    UpdateDerived();
  });
  AddReal("TFEdit", "T&F = EF/kB", TFEdit, 0)
      .Help("Fermi temperature at rho0, K (shown)")
      .OnExit([this] { UpdateDerived(); });
  AddReal("alEdit", "a&lpha = ", alEdit, 0).Help("electron-ion coupling, kW/K/cm3");
  AddReal("k_iEdit", "ki", k_iEdit, 0)
      .Help("kappa_i = ki/Ti * (b_r*(rho/rho0)^(2/3) + Ti/Tat)^(7/2), kW/K/cm");
  AddReal("kirEdit", "b_r", kirEdit, 0);
  std::vector<std::string> materials(kElMaterialCaptions.begin(), kElMaterialCaptions.end());
  AddChoice("Materials", "Materials", Materials, std::move(materials), -1).OnExit([this] {
    ChooseMaterial(Materials);
  });
  AddCheck("CalcRefrCheck", "CalcRefr", CalcRefrCheck, false).OnExit([this] {
    if (CalcRefrCheck && OpenReflectanceDialog) OpenReflectanceDialog(CalcRefrCheck);
  });

  // "Simple metall"
  AddReal("Rho_mdEdit", "rho - rho_md = ", Rho_mdEdit, 0).Help("g/cm3");
  AddReal("nu0Edit", "nu0", nu0Edit, 4.2e14L).Help("solid: nu = nu0 * Ti/933, 1/s");
  AddReal("nuTEdit", "nuT", nuTEdit, 1.1e14L)
      .Help("liquid: nu = nuT*T'/(T'*B + A + C/T'), T' = max(Ti, -2C/A)");
  AddReal("nuAEdit", "A", nuAEdit, 130);
  AddReal("nuBEdit", "B", nuBEdit, 0.0367L);
  AddReal("nuCEdit", "C", nuCEdit, -6.67e4L);
  AddReal("nusEdit", "nus", nusEdit, 2.47e14L).Help("electron-electron: nus * TeV^2 / r^(2/3)");
  AddReal("nuiEdit", "nui", nuiEdit, 1.15e15L).Help("electron-electron: nui * TeV^0.28 * r^0.48");
  AddReal("kzEdit", "kz", kzEdit, 0.7L).Help("weight kz/(1-kz) of the plasma limit, 0 <= kz < 1");
  std::vector<std::string> metalls(kMetallsCaptions.begin(), kMetallsCaptions.end());
  AddChoice("Metalls", "Metalls", Metalls, std::move(metalls), 0).OnExit([this] {
    MetallsClick();
  });
  AddReal("gEdit", "gamma", gEdit, 0)
      .Help("Sommerfeld coefficient at rho0, kJ/g/K^2 (shown)")
      .OnExit([this] { UpdateDerived(); });

  AddButton("OkBtn", "&OK", [this] { LastResult = OkBtnClick(); });
  AddButton("NoCondBtn", "NoConduct", [this] { LastResult = NoConductAction(); });
  AddButton("NoBtn", "No", [this] { LastResult = NoAction(); });
  AddChoice("CloseBy", "Close by", CloseBy, {"&OK", "NoConduct", "No"}, 0)
      .Help("the button that ends the dialog when a run file fills it");

  for (const char* shown : {"EF0eVEdit", "TFEdit", "gEdit"}) At(shown).SetEnabled(false);
  UpdateDerived();
  UpdateControls();
}

// --- Controls ---

void TThermParamDialog::UpdateControls() {
  const int p = Page;
  auto show = [this](const char* name, bool on) { At(name).SetVisible(on); };
  for (const char* name : {"rho0Edit", "ceEdit", "Gr1Edit", "kEdit", "aEdit", "OkBitBtn2"})
    show(name, p == el_page::kConstant);
  show("Gr2Edit", p == el_page::kConstant && Gr1Edit != 0);
  for (const char* name : {"NatEdit", "rhoEdit", "mEdit", "ZEdit", "TFEdit", "alEdit", "k_iEdit",
                           "kirEdit", "CalcRefrCheck", "OkBtn", "NoCondBtn", "NoBtn"})
    show(name, p >= el_page::kSimpleMetall);
  for (const char* name : {"EF0eVEdit", "Materials"}) show(name, p > el_page::kSimpleMetall);
  for (const char* name : {"Rho_mdEdit", "nu0Edit", "nuTEdit", "nuAEdit", "nuBEdit", "nuCEdit",
                           "nusEdit", "nuiEdit", "kzEdit", "Metalls", "gEdit"})
    show(name, p == el_page::kSimpleMetall);
}

void TThermParamDialog::RefusePage(int page, const char* field, int& value, int previous) {
  ctx_.Port().Inform(ElPageNotAvailableText(page), MessageKind::Warning);
  value = previous;
  SetFocus(field);
}

void TThermParamDialog::PageChange() {
  if (!ElPageAvailable(Page)) {
    RefusePage(Page, "Page", Page, shownPage_);
    return;
  }
  shownPage_ = Page;
  UpdateControls();
}

void TThermParamDialog::ChooseMaterial(int index) {
  Materials = index;
  if (index < 0 || index >= static_cast<int>(kElMaterialCaptions.size())) {
    Materials = -1;
    materialsShown_ = -1;
    return;
  }
  const int page = kElMaterialPage[static_cast<std::size_t>(index)];
  if (!ElPageAvailable(page)) {
    RefusePage(page, "Materials", Materials, materialsShown_);
    return;
  }
  // The page that handles the material is shown; the spallation list follows.
  materialsShown_ = index;
  Page = page;
  PageChange();
  if (SetSpallMaterial)
    SetSpallMaterial(StripAmpersands(kElMaterialCaptions[static_cast<std::size_t>(index)]));
}

void TThermParamDialog::MetallsClick() {
  const int item = Metalls;
  const int page = MetallsPage(item);
  if (page >= 0) {
    RefusePage(page, "Metalls", Metalls, metallsShown_);
    return;
  }
  metallsShown_ = item;
  ApplyMetallPreset(item);
}

void TThermParamDialog::ApplyMetallPreset(int item) {
  for (const MetallPreset& p : kMetallPresets) {
    if (p.item != item) continue;
    // Z, rho0 and MatNo as if typed, so that n_at follows from them; then none of
    // them counts as edited, so the next edit recomputes n_at again.
    At("ZEdit").Set(p.Z);
    At("rhoEdit").Set(p.rho0);
    At("mEdit").Set(p.MatNo);
    ForgetDensityEdits();
    alEdit = p.alpha;
    k_iEdit = p.ki;
    kirEdit = p.br;
    ShearG = p.shearG;
    if (SetSpallMaterial) SetSpallMaterial(p.metal);
  }
}

void TThermParamDialog::k_iEditEnter() {
  if (k_iEdit != 0) return;
  k_iEdit = 0.8L;
  if (kirEdit == 0) kirEdit = 0.2142L;
}

// --- Density, atomic density and mass number ---

void TThermParamDialog::ForgetDensityEdits() {
  editStamp_ = {};
}

void TThermParamDialog::DensityRelations(DensityField left) {
  int edited = -1;
  switch (left) {
    case DensityField::kNat: edited = kNat; break;
    case DensityField::kRho: edited = kRho; break;
    case DensityField::kMatNo: edited = kMatNo; break;
    case DensityField::kNone: break;
  }
  if (edited >= 0) editStamp_[static_cast<std::size_t>(edited)] = ++editCounter_;

  if (NatEdit == 0) {
    const bool both = editStamp_[kRho] != 0 && editStamp_[kMatNo] != 0 && mEdit != 0;
    const Real fromRho = both ? rhoEdit * el::kNAv / mEdit : 0;
    NatEdit = fromRho != 0 ? fromRho : 6e22L;
  }
  if (mEdit < 1) mEdit = 1;
  if (rhoEdit == 0) rhoEdit = NatEdit * mEdit / el::kNAv;

  if (edited >= 0) {
    // Recompute the one of the other two fields that was edited longest ago
    // (never edited counts as oldest; on a tie n_at before rho0 before MatNo).
    int target = -1;
    for (int f : {kNat, kRho, kMatNo}) {
      if (f == edited) continue;
      if (target < 0 ||
          editStamp_[static_cast<std::size_t>(f)] < editStamp_[static_cast<std::size_t>(target)])
        target = f;
    }
    switch (target) {
      case kNat: NatEdit = rhoEdit * el::kNAv / mEdit; break;
      case kRho: rhoEdit = NatEdit * mEdit / el::kNAv; break;
      default: mEdit = rhoEdit * el::kNAv / NatEdit; break;
    }
  }
  UpdateDerived();
}

void TThermParamDialog::UpdateDerived() {
  mAt_ = mEdit / el::kNAv;
  z_ = ZEdit == 0 ? 1 : ZEdit;
  if (mAt_ > 0) {
    gas_ = FreeElectronGas::Of(z_, mAt_);
  } else {
    gas_ = FreeElectronGas{};
  }
  const Real r23 = Pow23(rhoEdit);
  TFEdit = gas_.TF(r23);
  EF0eVEdit = TFEdit * el::kKelvinToEV;
  gEdit = r23 != 0 ? gas_.Gamma(r23) : 0;
}

void TThermParamDialog::FormShow() {
  if (rhoEdit == 0) rhoEdit = ctx_.rho0 != 0 ? ctx_.rho0 : 1;
  if (NatEdit == 0) NatEdit = 6e22L;
  if (mEdit == 0) mEdit = rhoEdit * el::kNAv / NatEdit;
  UpdateDerived();
  UpdateControls();
}

// --- OK actions ---

ThermDialogResult TThermParamDialog::Refuse(const char* field) {
  SetFocus(field);
  return ThermDialogResult::kKeepOpen;
}

bool TThermParamDialog::Reject(const char* field) {
  SetFocus(field);
  return false;
}

bool TThermParamDialog::CheckDensityFields() {
  if (!(NatEdit > 0)) return Reject("NatEdit");
  if (!(rhoEdit > 0)) return Reject("rhoEdit");
  if (!(mEdit > 0)) return Reject("mEdit");
  return true;
}

bool TThermParamDialog::BaseAccept(bool fromButton) {
  if (!CheckDensityFields()) return false;
  DensityRelations(DensityField::kNone);
  if (z_ <= 0) {
    if (At("ZEdit").Visible()) return Reject("ZEdit");
    // A hidden Z field cannot be corrected: one free electron per atom.
    z_ = 1;
    gas_ = FreeElectronGas::Of(z_, mAt_);
  }
  ctx_.ElRho0 = rhoEdit;
  ctx_.ElMAt = mAt_;
  ctx_.ElZ = z_;
  ctx_.ElCcl = gas_.Ccl;
  ctx_.ElAlphaRho = alEdit / rhoEdit;
  SimContext& ctx = ctx_;
  ctx_.ElAlpha.Install([&ctx](Real, Real) { return ctx.ElAlphaRho; });
  // (k_i/Ti) * (b_r*(rho/rho0)^(2/3) + Ti/Tat)^(7/2)
  ctx_.IonKappa.Install(
      [&ctx, ki = k_iEdit, br = kirEdit, cache = Rho23Cache{}](Real Ti, Real rho) mutable {
        return ki / Ti * Pow72(br * cache(rho / ctx.ElRho0) + Ti / el::kTat);
      });
  if (fromButton) {
    ctx_.ElMaterial = Materials;
    ctx_.ElMaterialName =
        Materials >= 0 ? std::string(kElMaterialCaptions[static_cast<std::size_t>(Materials)]) : "";
  }
  return true;
}

bool TThermParamDialog::AcceptConstant() {
  if (rho0Edit == 0) return Reject("rho0Edit");
  ctx_.ElRho0 = rho0Edit;
  ctx_.ElKappaConst = kEdit;
  ctx_.ElAlphaRho = aEdit / rho0Edit;
  const Real g = Gr2Edit != 0 ? Gr1Edit / Gr2Edit : Gr1Edit;
  const Real ce = ceEdit;
  SimContext& ctx = ctx_;
  ctx_.ElCe.Install([ce](Real, Real) { return ce; });
  ctx_.ElEe.Install([ce](Real Te, Real) { return ce * Te; });
  ctx_.ElPe.Install([g, ce](Real Te, Real rho) { return g * rho * Te * ce; });
  ctx_.ElKappa.Install([&ctx](Real, Real, Real) { return ctx.ElKappaConst; });
  ctx_.ElAlpha.Install([&ctx](Real, Real) { return ctx.ElAlphaRho; });
  ctx_.ElMaterial = 0;
  ctx_.ElMaterialName = "==";
  return true;
}

bool TThermParamDialog::AcceptSimpleMetall(Origin origin) {
  if (!CheckDensityFields()) return false;
  if (!(ZEdit > 0)) return Reject("ZEdit");
  // kz/(1 - kz) weighs the plasma limit of the electron-electron frequency.
  if (!(kzEdit >= 0 && kzEdit < 1)) return Reject("kzEdit");

  DensityRelations(DensityField::kNone);
  ctx_.ElRho0 = rhoEdit;
  ctx_.ElMAt = mAt_;
  ctx_.ElZ = z_;
  ctx_.ElCcl = gas_.Ccl;
  ctx_.ElRhoMd = Rho_mdEdit;
  ctx_.ElAlphaRho = alEdit / rhoEdit;

  auto model = std::make_shared<SimpleMetalModel>();
  model->ctx = &ctx_;
  model->gas = gas_;
  const Real kOverE2 = el::kBoltzErg / (el::kElectronCharge * el::kElectronCharge);
  model->kpl = el::k16OverPi / z_ * el::kBoltzKJ * kOverE2 * kOverE2 * 96499823607.83133L;
  model->nu0 = nu0Edit;
  model->nuT = nuTEdit;
  model->nuA = nuAEdit;
  model->nuB = nuBEdit;
  model->nuC = nuCEdit;
  model->nus = nusEdit;
  model->nui = nuiEdit;
  model->kz = kzEdit;
  model->tLiqMin = nuAEdit != 0 ? -2 * nuCEdit / nuAEdit : -std::numeric_limits<Real>::infinity();
  model->ki = k_iEdit;
  model->br = kirEdit;

  SimContext& ctx = ctx_;
  ctx_.ElAlpha.Install([&ctx](Real, Real) { return ctx.ElAlphaRho; });
  ctx_.ElEe.Install([model](Real Te, Real rho) { return model->Ee(Te, rho); });
  ctx_.ElCe.Install([model](Real Te, Real rho) { return model->Ce(Te, model->rho23(rho)); });
  // The ideal electron gas, Pe = (2/3)*rho*Ee, with Ee of whatever ElEe holds.
  ctx_.ElPe.Install([&ctx](Real Te, Real rho) { return rho * ctx.ElEe(Te, rho) / 1.5L; });
  ctx_.ElKappa.Install([model](Real Ti, Real Te, Real rho) { return model->Kappa(Ti, Te, rho); });
  ctx_.IonKappa.Install([model](Real Ti, Real rho) { return model->IonKappa(Ti, rho); });

  if (origin != Origin::kProgram) {
    ctx_.ElMaterial = Metalls;
    ctx_.ElMaterialName =
        Metalls >= 0 ? std::string(kMetallsCaptions[static_cast<std::size_t>(Metalls)]) : "";
  }
  return true;
}

ThermDialogResult TThermParamDialog::FinishAccept(Origin origin) {
  QuestionPort& port = ctx_.Port();
  switch (origin) {
    case Origin::kProgram: return ThermDialogResult::kOk;
    case Origin::kOkButton: ctx_.NoConduct = false; break;
    case Origin::kNoConductButton:
      switch (port.Ask("No all thermodinamic?", {Button::Yes, Button::No, Button::Cancel})) {
        case Button::Yes:
          ctx_.NoConduct = true;
          ctx_.NoThermo = true;
          break;
        case Button::No:
          ctx_.NoConduct = true;
          ctx_.NoThermo = false;
          break;
        default: return ThermDialogResult::kKeepOpen;
      }
      break;
  }
  switch (port.Ask("Save(print) settings?", {Button::Yes, Button::No, Button::Cancel})) {
    case Button::Yes:
      if (PrintPage) PrintPage();
      return ThermDialogResult::kOk;
    case Button::No: return ThermDialogResult::kOk;
    default: return ThermDialogResult::kKeepOpen;
  }
}

ThermDialogResult TThermParamDialog::Accept(int page, Origin origin) {
  if (page < 0 || page >= el_page::kCount)
    throw std::out_of_range("electron thermal page " + std::to_string(page) + " does not exist");
  if (!ElPageAvailable(page)) throw ElPageNotAvailableError(page);
  const bool ok = page == el_page::kConstant ? AcceptConstant() : AcceptSimpleMetall(origin);
  if (!ok) return ThermDialogResult::kKeepOpen;
  ctx_.ElPage = page;
  return FinishAccept(origin);
}

bool TThermParamDialog::AcceptElParams(int page) {
  return Accept(page, Origin::kProgram) == ThermDialogResult::kOk;
}

ThermDialogResult TThermParamDialog::OkBtnClick() {
  try {
    return Accept(Page, Origin::kOkButton);
  } catch (const ElPageNotAvailableError& e) {
    ctx_.Port().Inform(e.what(), MessageKind::Warning);
    return Refuse("Page");
  }
}

ThermDialogResult TThermParamDialog::NoConductAction() {
  try {
    return Accept(Page, Origin::kNoConductButton);
  } catch (const ElPageNotAvailableError& e) {
    ctx_.Port().Inform(e.what(), MessageKind::Warning);
    return Refuse("Page");
  }
}

ThermDialogResult TThermParamDialog::NoAction() {
  if (Page == el_page::kSimpleMetall) {
    // No electron conduction model of this page: the constant conductivity, the
    // coupling and the liquid collision constant go to zero.
    if (ctx_.ElKappa) {
      kEdit = 0;
      ctx_.ElAlphaRho = 0;
      nuCEdit = 0;
    }
  } else if (Page > el_page::kSimpleMetall) {
    ctx_.ElKappa.Clear();
  }
  return ThermDialogResult::kNo;
}

}  // namespace tessmar
