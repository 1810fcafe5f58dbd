#include "materials/eos_select.h"

#include <cmath>
#include <string>

#include "dialog/dialog_model.h"
#include "materials/ideal_gas.h"
#include "materials/newton.h"

namespace tessmar {

namespace {

bool InRange(int type) {
  return type >= 0 && type < eq_type::kCount;
}

std::string NotAvailableText(int type) {
  return StripAmpersands(kEqTypeCaptions.at(static_cast<std::size_t>(type))) +
         ": this equation of state is not available yet";
}

// Types whose model inverses serve as EosTofE/EosTofP when the model is the total.
bool CopiesModelInverses(int type) {
  return (type >= 0 && type <= 5) || (type >= 8 && type <= 11) || (type >= 14 && type <= 17);
}

// Types that get Newton inversions and TotaldPdT in the lattice-only mode.
bool HasElectronInverses(int type) {
  return (type >= 0 && type <= 5) || (type >= 8 && type <= 11) || (type >= 14 && type <= 16);
}

// An electron slot evaluated at call time; empty counts as zero.
Real ElectronPart(const RealFn& slot, Real Te, Real rho) {
  return slot ? slot(Te, rho) : 0;
}

// dPe/dTe with the ideal-electron-gas fallback rho*Ce/1.5.
Real ElectronDPDT(const SimContext& ctx, Real Te, Real rho) {
  if (ctx.ElDPeDTe) return ctx.ElDPeDTe(Te, rho);
  return rho * ElectronPart(ctx.ElCe, Te, rho) / 1.5L;
}

// dP/dT of the model; a central difference of ModelP when the model has none.
Real ModelDPDT(const SimContext& ctx, Real T, Real rho) {
  if (ctx.ModeldPdT) return ctx.ModeldPdT(T, rho);
  const Real h = 1e-6L * std::fmax(std::fabs(T), 1.0L);
  return (ctx.ModelP(T + h, rho) - ctx.ModelP(T - h, rho)) / (2 * h);
}

void ResetMain(SimContext& ctx) {
  ctx.PhaseColor.Clear();
  ctx.PhaseCodeFn.Clear();
  ctx.EosIsMelted.Clear();
  ctx.EosIsGas.Clear();
  ctx.EosIsVapour.Clear();
  ctx.EosLiqFrac.Clear();
  ctx.EosSolFrac.Clear();
  ctx.EosSound.Clear();
  ctx.EosTofE.Clear();
  ctx.EosTofP.Clear();
  ctx.TabEOS = false;
  // The model level belongs to the previous type as a whole: a type that lacks an
  // inverse or dP/dT must not inherit the one of the type before.
  ctx.ModelE.Clear();
  ctx.ModelP.Clear();
  ctx.ModelCv.Clear();
  ctx.ModelTofE.Clear();
  ctx.ModelTofP.Clear();
  ctx.ModeldPdT.Clear();
  ctx.TotaldPdT.Clear();
}

void ResetLeft(SimContext& ctx) {
  ctx.PhaseColorl.Clear();
  ctx.PhaseCodeFnl.Clear();
  ctx.TabEOSl = false;
}

void InstallModel(SimContext& ctx, const EosModelFunctions& m) {
  ctx.ModelE.Install(m.E);
  ctx.ModelP.Install(m.P);
  ctx.ModelCv.Install(m.Cv);
  if (m.TofE) ctx.ModelTofE.Install(m.TofE);
  if (m.TofP) ctx.ModelTofP.Install(m.TofP);
  if (m.dPdT) ctx.ModeldPdT.Install(m.dPdT);
}

void InstallLeft(SimContext& ctx, const EosModelFunctions& m) {
  ctx.EosEl.Install(m.E);
  ctx.EosPl.Install(m.P);
  ctx.EosCvl.Install(m.Cv);
}

EosModelFunctions ModelOf(const SimContext& ctx, int type) {
  switch (type) {
    case eq_type::kIdealGas: return ReducedIdealGas(ctx);
    case eq_type::kIdealGasOf: return PhysicalIdealGas(ctx);
    default: throw EosNotAvailableError(type);
  }
}

}  // namespace

EosNotAvailableError::EosNotAvailableError(int type)
    : std::runtime_error(InRange(type) ? NotAvailableText(type)
                                       : "EqType " + std::to_string(type) + " does not exist"),
      type_(type) {}

bool EosTypeAvailable(int type, bool /*left*/) {
  return type == eq_type::kIdealGas || type == eq_type::kIdealGasOf;
}

Real UnitScaleOfType(int type) {
  switch (type) {
    case eq_type::kIdealGas:
    case eq_type::kLJRee:
    case eq_type::kSolid:
    case eq_type::kCombLS:
    case eq_type::kTCond: return 1;
    default: return 1e5L;
  }
}

void SelectEOS(SimContext& ctx, int type, int /*material*/, bool noElEOS, bool left) {
  if (!InRange(type))
    throw std::out_of_range("EqType index " + std::to_string(type) + " is outside 0..17");
  if (!EosTypeAvailable(type, left)) throw EosNotAvailableError(type);
  const EosModelFunctions model = ModelOf(ctx, type);

  if (left) {
    ResetLeft(ctx);
    InstallLeft(ctx, model);
    return;
  }
  ResetMain(ctx);
  InstallModel(ctx, model);
  ctx.UnitScale = UnitScaleOfType(type);
  ComposeWithElectrons(ctx, type, noElEOS);
}

void ComposeWithElectrons(SimContext& ctx, int type, bool noElEOS) {
  if (!noElEOS) {
    ctx.EosE.CopyFrom(ctx.ModelE);
    ctx.EosP.CopyFrom(ctx.ModelP);
    ctx.EosCv.CopyFrom(ctx.ModelCv);
    if (CopiesModelInverses(type)) {
      ctx.EosTofE.CopyFrom(ctx.ModelTofE);
      ctx.EosTofP.CopyFrom(ctx.ModelTofP);
    }
    ctx.IonEi.Install(
        [&ctx](Real T, Real rho) { return ctx.ModelE(T, rho) - ElectronPart(ctx.ElEe, T, rho); });
    ctx.IonPi.Install(
        [&ctx](Real T, Real rho) { return ctx.ModelP(T, rho) - ElectronPart(ctx.ElPe, T, rho); });
    ctx.IonCi.Install(
        [&ctx](Real T, Real rho) { return ctx.ModelCv(T, rho) - ElectronPart(ctx.ElCe, T, rho); });
    ctx.TotaldPdT.Clear();
    return;
  }

  ctx.EosE.Install(
      [&ctx](Real T, Real rho) { return ctx.ModelE(T, rho) + ElectronPart(ctx.ElEe, T, rho); });
  ctx.EosP.Install(
      [&ctx](Real T, Real rho) { return ctx.ModelP(T, rho) + ElectronPart(ctx.ElPe, T, rho); });
  ctx.EosCv.Install(
      [&ctx](Real T, Real rho) { return ctx.ModelCv(T, rho) + ElectronPart(ctx.ElCe, T, rho); });
  ctx.IonEi.CopyFrom(ctx.ModelE);
  ctx.IonPi.CopyFrom(ctx.ModelP);
  ctx.IonCi.CopyFrom(ctx.ModelCv);
  ctx.TotaldPdT.Clear();
  ctx.EosTofE.Clear();
  ctx.EosTofP.Clear();
  if (!HasElectronInverses(type)) return;

  if (!ctx.ElDPeDTe)
    ctx.ElDPeDTe.Install(
        [&ctx](Real Te, Real rho) { return rho * ElectronPart(ctx.ElCe, Te, rho) / 1.5L; });
  ctx.TotaldPdT.Install(
      [&ctx](Real T, Real rho) { return ModelDPDT(ctx, T, rho) + ElectronDPDT(ctx, T, rho); });
  if (ctx.ModelTofE)
    ctx.EosTofE.Install([&ctx](Real E, Real rho) {
      return NewtonInvert([&ctx](Real T, Real r) { return ctx.EosE(T, r); },
                          [&ctx](Real T, Real r) { return ctx.EosCv(T, r); }, E, rho,
                          ctx.ModelTofE(E, rho));
    });
  if (ctx.ModelTofP)
    ctx.EosTofP.Install([&ctx](Real P, Real rho) {
      return NewtonInvert([&ctx](Real T, Real r) { return ctx.EosP(T, r); },
                          [&ctx](Real T, Real r) { return ctx.TotaldPdT(T, r); }, P, rho,
                          ctx.ModelTofP(P, rho));
    });
}

}  // namespace tessmar
