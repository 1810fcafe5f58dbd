#include "setup/init_dialog.h"

#include <algorithm>
#include <cmath>

#include "base/fp_guard.h"
#include "format/num_string_format.h"
#include "materials/newton.h"

namespace tessmar {

TInitional::TInitional(SimContext& ctx) : DialogModel("init", "Initional"), ctx_(ctx) {
  AddReal("Len", "Init &Length ", Len, 0)
      .Help("length of the target (main material plus a second material at its start), x1 units");
  AddReal("x1Edit", "x1", x1Edit, 1).Help("length unit x1 in cm: L = Len*x1");
  AddInteger("Dimension", "Di&v", Dimension, 100).Range(0, 10000).Help("number of cells N");
  AddReal("Rho0", "Init &rho", Rho0, 1).Help("initial density of the main material, g/cm3");
  AddChoice("RadioGroup1", "Profile of", RadioGroup1, {"Press", "Temp", "&Energ"}, -1)
      .Help("which quantity the profile fields prescribe (\"&Energ\" only after reading a profile)")
      .OnExit([this] { UpdateProfileFields(); });
  AddReal("Pini", "&Init", Pini, 0).Help("pressure of the flat part, GPa").OnExit([this] {
    if (Rho0 != 0 && ctx_.EosTofP) {
      Tini = ctx_.EosTofP(Pini, Rho0);
      T0 = Tini;
    }
  });
  AddReal("Tini", "&Init", Tini, 0).Help("temperature of the flat part, K").OnExit([this] {
    if (Rho0 != 0 && Tini > 0 && ctx_.EosP) Pini = ctx_.EosP(Tini, Rho0);
    T0 = Tini;
    TeEdit = T0;
  });
  AddReal("xf", "to &x", xf, 0).Help("end of the flat part, x1 units").OnExit([this] {
    if (xf >= Len) {
      xf = Len;
      Pgr = Pini;
      Tgr = Tini;
    } else if (GrouthFunc >= 0) {
      DefaultDist();
    }
  });
  AddReal("Pgr", "&grouth to", Pgr, 0).Help("pressure reached at the end, GPa").OnExit([this] {
    if (Pgr == Pini) {
      Tgr = Tini;
      xf = Len;
    } else if (Rho0 != 0 && ctx_.EosTofP) {
      Tgr = ctx_.EosTofP(Pgr, Rho0);
    }
  });
  AddReal("Tgr", "&grouth to", Tgr, 0).Help("temperature reached at the end, K").OnExit([this] {
    if (Tgr == Tini) {
      Pgr = Pini;
      xf = Len;
    } else if (Tgr > 0 && Rho0 != 0 && ctx_.EosP) {
      Pgr = ctx_.EosP(Tgr, Rho0);
    }
  });
  AddChoice("GrouthFunc", "Grouth &func", GrouthFunc,
            {"Step", "Linear", "Poly", "Exp", "Gauss", "Exp(-()^1.5)"}, -1)
      .Help("shape of the profile between xf and the end")
      .OnExit([this] { DefaultDist(); });
  AddReal("Dist", "&d ", Dist, 0).Help("length scale d of the growth shape, x1 units");
  AddReal("Pout", "P_out", Pout, 0).Help("external pressure on both ends, GPa");
  AddChoice("Bound0", "0 Bound", Bound0, {"T0 =", "T' = 0", "k = 0"}, kBoundNoFlux)
      .Help("left heat-conduction boundary");
  AddReal("T0", "T0 =", T0, 0).Help("fixed temperature of the left boundary, K");
  AddChoice("BoundQ", "End Bound", BoundQ, {"T0 =", "T' = 0", "k = 0"}, kBoundNoFlux)
      .Help("right heat-conduction boundary");
  AddReal("Tq", "T0 =", Tq, 0).Help("fixed temperature of the right boundary, K");
  AddChoice("MoveType", "Move", MoveType, {"P0 = Pout", "x >= 0", "v0 = 0", "No move"}, kP0Pout)
      .Help("motion of the left end; \"No move\" freezes the mesh")
      .OnExit([this] {
        if (DspcEdit > 1 && MoveType < kV0Zero) MoveType = kV0Zero;
      });
  AddChoice("InitProfile", "Init profile", InitProfile,
            {"1T", "Ti, (Te = T0)", "Te, (Ti = T0)", "Eq: Te = Ti", "Ti,  (Te = Tlast)",
             "Te, (Ti = Tlast)"},
            -1)
      .Help("one temperature, or how the profile is shared by ions and electrons")
      .OnExit([this] {
        if (InitProfile == kTiTeT0 || InitProfile == kTeTiT0)
          TeEdit = Tini;
        else if (InitProfile == kTiTeLast || InitProfile == kTeTiLast)
          TeEdit = Tgr;
        else
          TeEdit = std::min(Tini, Tgr);
      });
  AddReal("TeEdit", "Te =", TeEdit, 0).Help("electron temperature, K");
  AddCheck("FixTe", "FixTe", FixTe, false).Help("electron temperature held at Te").OnExit([this] {
    FixTeClick();
  });
  AddCheck("CheckElast", "&Elast", CheckElast, false)
      .Help("elastic-plastic stress (needs a shear modulus)");
  AddCheck("Qext", "&Q external", Qext, false)
      .Help("external heat source: not available yet, the check stays clear")
      .OnExit([this] {
        if (Qext) {
          Qext = false;
          ctx_.Port().Inform("Q external: the external heat source is not available yet",
                             MessageKind::Warning);
        }
      });
  AddCheck("CheckKeepVL", "Keep &vL", CheckKeepVL, false)
      .Help("the right end keeps its velocity")
      .OnExit([this] {
        ctx_.KeepVL = CheckKeepVL;
        At("VL").SetVisible(CheckKeepVL);
        At("V_PPoutCheck").SetVisible(CheckKeepVL);
      });
  AddReal("VL", "vL", VL, 0).Help("velocity of the right end (units of UnitScale)");
  AddCheck("V_PPoutCheck", "(P_Pout)", V_PPoutCheck, false)
      .Help("right-end velocity proportional to the pressure excess over P_out");
  AddInteger("DspcEdit", "D sp&c", DspcEdit, 1)
      .Range(0, 3)
      .Help("geometry: 1 plane equal-mass, 0 plane per-cell masses, 2 cylinder, 3 sphere")
      .OnExit([this] { DspcChange(); });
  AddReal("PadhEdit", "Pad&h = ", PadhEdit, 0).Help("adhesion pressure of layer interfaces, GPa");
  AddInteger("xShiftDiv", "div", xShiftDiv, 0)
      .Range(0, 10000)
      .Help("number of cells of the second material")
      .OnExit([this] { xShiftDivChange(); });
  AddReal("x0Shift", "x&0shift = ", x0Shift, 0)
      .Help("length of the second material, x1 units")
      .OnExit([this] {
        if (Len == 0) return;
        Real n = x0Shift / Len * Dimension;
        if (DspcEdit == 1 && rho0l != 0 && Rho0 != 0) n *= rho0l / Rho0;
        xShiftDiv = static_cast<int>(std::lround(n));
      });
  AddCheck("CheckOut", "o&ut", CheckOut, false)
      .Help("the second material lies at the end instead of the start");
  AddReal("rho0l", "Init &rho", rho0l, 0)
      .Help("density of the second material, g/cm3")
      .OnExit([this] {
        if (!AddLayerMode) ctx_.rho0l = rho0l;
        xShiftDivChange();
        SetP0l();
      });
  AddReal("T0l", "T0l = ", T0l, 0).Help("temperature of the second material, K").OnExit([this] {
    SetP0l();
  });
  AddReal("P0l", "P0l = ", P0l, 0).Help("pressure of the second material (computed), GPa");
  AddCheck("QegCheck", "Add Qe-&>g", QegCheck, false)
      .Help("electron heat flux into the second material");
  AddInteger("Rho0div", "rho0l *", Rho0div, 1)
      .Minimum(1)
      .Help(
          "integer divisor of the second material's EOS density (shown after a profile with one)");
  // Shown only when they apply: the electron flux into the second material
  // and the density divisor.
  At("QegCheck").SetVisible(false);
  At("Rho0div").SetVisible(false);
  At("VL").SetVisible(false);
  At("V_PPoutCheck").SetVisible(false);
  xShiftDivChange();  // no second material yet: its fields hidden
  UpdateProfileFields();
}

void TInitional::DefaultDist() {
  const int N = std::max(Dimension, 1);
  const bool temp = RadioGroup1 == kTemp;
  const Real xi = temp ? Tini : Pini, xg = temp ? Tgr : Pgr;
  const Real span = Len - xf;
  const Real lg = (xi > 0 && xg > 0) ? std::log(xg / xi) : 0;
  switch (GrouthFunc) {
    case kStep:
    case kPoly: Dist = span; break;
    case kLinear:
      if (xf == 0) xf = Len / (2 * N);
      Dist = Len - xf - Len / (2 * N);
      break;
    case kExp:
      if (lg != 0) Dist = span / lg;
      break;
    case kGauss:
      if (lg > 0) Dist = span / std::sqrt(lg);
      break;
    case kExp15:
      if (lg > 0) Dist = span / std::pow(lg, 2.0L / 3);
      break;
    default: break;
  }
  if (Field* d = Find("Dist")) d->SetEnabled(GrouthFunc != kStep && GrouthFunc != kPoly);
}

// The quantity not prescribed follows through the EOS: its fields are
// disabled (both are open while no quantity is chosen).
void TInitional::UpdateProfileFields() {
  const bool none = RadioGroup1 < 0;
  const bool press = RadioGroup1 == kPress || RadioGroup1 == kEnerg;
  const bool temp = RadioGroup1 == kTemp;
  At("Pini").SetEnabled(none || press);
  At("Pgr").SetEnabled(none || press);
  At("Tini").SetEnabled(none || temp);
  At("Tgr").SetEnabled(none || temp);
}

void TInitional::DspcChange() {
  ctx_.SetGeometry(DspcEdit);
  if (ctx_.SpaceDim > 1) {
    if (MoveType < kV0Zero) MoveType = kV0Zero;
    Bound0 = kBoundNoFlux;
    At("Bound0").SetEnabled(false);
    ctx_.LeftFixed = true;
  } else {
    At("Bound0").SetEnabled(true);
  }
}

void TInitional::xShiftDivChange() {
  const bool show = xShiftDiv != 0 || AddLayerMode;
  for (const char* name : {"rho0l", "x0Shift", "T0l", "P0l", "CheckOut"}) At(name).SetVisible(show);
  if (xShiftDiv == 0 && !AddLayerMode) return;
  if (Dimension != 0) {
    x0Shift = Len * xShiftDiv / Dimension;
    if (DspcEdit == 1 && rho0l != 0) x0Shift *= Rho0 / rho0l;
  }
  if (!AddLayerMode) {
    RightDiv = Dimension - xShiftDiv;
    xRightEdit = Dimension != 0 ? (1 - static_cast<Real>(xShiftDiv) / Dimension) * Len : 0;
    At("QegCheck").SetVisible(!ctx_.IonKappal.Empty() && InitProfile != k1T);
  } else {
    const int oldN = Dimension;
    Dimension = RightDiv + xShiftDiv;
    if (oldN != 0) Len = Len / oldN * Dimension;
  }
}

void TInitional::SetP0l() {
  if (T0l == 0) T0l = CheckOut ? Tgr : Tini;
  if (AddLayerMode) {
    if (ctx_.EosP.Empty() && OpenEOSDialog) OpenEOSDialog(false);
    if (ctx_.EosP.Empty()) return;
    P0l = ctx_.EosP(T0l, rho0l != 0 ? rho0l : Rho0);
    Tini = T0l;
    Pini = P0l;
    return;
  }
  if (ctx_.EosPl.Empty()) {
    if (!ctx_.EosP.Empty()) {
      switch (ctx_.Port().Ask("Use I EOS for glass?", {Button::Yes, Button::No, Button::Cancel})) {
        case Button::Yes: UseIonEosForGlass(); break;
        case Button::No:
          if (OpenEOSDialog) OpenEOSDialog(true);
          break;
        default: SetFocus("T0l"); return;
      }
    } else if (OpenEOSDialog) {
      OpenEOSDialog(true);
    }
  }
  if (ctx_.EosPl.Empty()) return;
  Real rho = rho0l != 0 ? rho0l : Rho0;
  if (rho0l != 0 && At("Rho0div").Visible() && Rho0div > 0) rho /= Rho0div;
  P0l = ctx_.EosPl(T0l, rho);
  const bool same = P0l == Pini && rho0l == Rho0 && T0l == Tini;
  At("T0l").SetVisible(!same);
  At("P0l").SetVisible(!same);
}

void TInitional::UseIonEosForGlass() {
  ctx_.EosEl.CopyFrom(ctx_.IonEi);
  ctx_.EosPl.CopyFrom(ctx_.IonPi);
  ctx_.EosCvl.CopyFrom(ctx_.IonCi);
}

void TInitional::FixTeClick() {
  if (FixTe) {
    ctx_.FixedTe = TeEdit;
    if (ctx_.IonPi && ctx_.ElPe) Pini = ctx_.IonPi(Tini, Rho0) + ctx_.ElPe(ctx_.FixedTe, Rho0);
    ctx_.FixTe = true;
    ctx_.NoConduct = true;
    ctx_.NoThermo = ctx_.Port().Ask("With e-i heat exchange (alpha)?", {Button::Yes, Button::No}) !=
                    Button::Yes;
    InitProfile = kTiTeT0;
  } else {
    ctx_.FixTe = false;
    if (ctx_.EosP && Tini > 0 && Rho0 != 0) Pini = ctx_.EosP(Tini, Rho0);
  }
  At("InitProfile").SetEnabled(!FixTe);
}

SolverClass TInitional::ChosenClass() const {
  const bool twoT = InitProfile > k1T || FixTe;
  if (twoT && MoveType == kNoMove) return SolverClass::ThermState;
  if (twoT && ctx_.NoMetal) return SolverClass::NoMet;
  if (twoT && CheckElast) return SolverClass::Hydro2Telast;
  if (twoT) return SolverClass::Hydro2T;
  if (ctx_.NoConduct && ctx_.NoThermo) return SolverClass::HydrStat;
  return SolverClass::Caldrith;
}

// The checks before a build, in order; each failure moves the focus and
// returns false without changing anything.
bool TInitional::Check() {
  auto fail = [this](const char* control) {
    SetFocus(control);
    return false;
  };
  if (!(Len > 0)) return fail("Len");
  if (x1Edit == 0) {
    x1Edit = 1;
    return fail("x1Edit");
  }
  if (Dimension <= 0) return fail("Dimension");
  // A heat-conduction model is needed unless conduction is switched off.
  if (ctx_.ElKappa.Empty() && !ctx_.NoMetal) {
    const bool noElEOS = EosNoElEOS && EosNoElEOS();
    const bool ok = ctx_.NoConduct && (!ctx_.ElEe.Empty() || (ctx_.NoThermo && !noElEOS));
    if (!ok) {
      if (!ctx_.NoConduct && EosKappaTicked && EosKappaTicked() && !ctx_.IonKappa.Empty()) {
        // The lattice conductivity of the EOS dialog serves as the electron
        // one: a constant; the next OK goes on.
        ctx_.ElKappa.Install([&ctx = ctx_](Real, Real, Real) { return ctx.ElKappaConst; });
        return false;
      }
      return fail("ThermParam");
    }
  }
  if (ctx_.EosP.Empty() || ctx_.EosE.Empty()) return fail("StatEqButton");
  if (!(Rho0 > 0)) return fail("Rho0");
  if (NewInit) {
    if (RadioGroup1 == kEnerg) return fail("RadioGroup1");
    if (!(Tini > 0)) return fail(RadioGroup1 == kPress ? "Pini" : "Tini");
    const Real end = AddLayerMode ? x0Shift : Len;
    if (xf < end) {
      if (!(Tgr > 0)) return fail(RadioGroup1 == kPress ? "Pgr" : "Tgr");
      if (GrouthFunc < 0) return fail("GrouthFunc");
      if (Dist == 0) return fail("Dist");
    }
    if (InitProfile < 0) return fail("InitProfile");
  }
  // The elastic solver needs a mobile two-temperature state.
  if (ctx_.State && ctx_.State->Class() == SolverClass::Hydro2Telast && !CheckElast)
    return fail("CheckElast");
  if (CheckElast) {
    if (InitProfile == k1T && MoveType < kNoMove) {
      InitProfile = kTiTeT0;
      return fail("InitProfile");
    }
    if (MoveType == kNoMove) {
      MoveType = kV0Zero;
      return fail("MoveType");
    }
  }
  if (!AddLayerMode && xShiftDiv != 0 && (rho0l == 0 || ctx_.EosEl.Empty())) {
    if (!ctx_.EosEl.Empty()) return fail("rho0l");
    SetP0l();
    if (ctx_.EosEl.Empty() || rho0l == 0) return fail(rho0l == 0 ? "rho0l" : "T0l");
  }
  return true;
}

BuildResult TInitional::OkBtnClick(bool addLayer) {
  SetFocus("");
  if (!Check()) return BuildResult::kFocus;
  try {
    if (NewInit)
      Build(addLayer);
    else
      ReEvaluate(true);
  } catch (const MathError&) {
    ctx_.Port().Inform(
        "The initial profile cannot be evaluated: a floating-point failure in "
        "the equation of state",
        MessageKind::Error);
    return BuildResult::kFocus;
  }
  FromFile = false;
  switch (ctx_.Port().Ask("Save(print) settings?", {Button::Yes, Button::No, Button::Cancel})) {
    case Button::Yes:
      if (PrintDialog) PrintDialog();
      break;
    case Button::No: break;
    default: return BuildResult::kKeepOpen;
  }
  return addLayer ? BuildResult::kAll : BuildResult::kAccepted;
}

void TInitional::Build(bool addLayer) {
  SimContext& c = ctx_;
  const int N = Dimension;
  const Real x1 = x1Edit;
  const SolverClass cls = ChosenClass();
  const bool resized = !c.State || c.State->CellCount() != N;
  Real hg = 0;

  if (!AddLayerMode) {
    if (c.rho0l == 0 && xShiftDiv != 0) c.rho0l = rho0l;
    // A state of another class cannot hold the arrays this model needs:
    // re-create the three objects instead of keeping the old class.
    if (c.State && c.State->Class() != cls) {
      c.State.reset();
      c.NewState.reset();
      c.IterState.reset();
    }
    CreateOrResizeAll(c, cls, N);
    if (cls == SolverClass::ThermState) c.NoMove = true;
    if (cls == SolverClass::Caldrith) c.NoMove = MoveType == kNoMove;
    c.ShiftDiv = CheckOut ? -xShiftDiv : xShiftDiv;
    c.SetGeometry(DspcEdit);
    c.L = Len * x1;
    c.h0 = c.L / N;
    c.rho0 = Rho0;
    c.dm = c.h0 * c.rho0;
    c.AddQeg = At("QegCheck").Visible() && QegCheck && c.ShiftDiv != 0 && !c.IonKappal.Empty();
    if (!c.AddQeg) QegCheck = false;
    if (c.ShiftDiv != 0 && c.rho0l == 0) c.rho0l = rho0l;
  } else {
    c.L += x0Shift * x1;
    CreateOrResizeAll(c, c.State ? c.State->Class() : cls, N);
  }
  PadhEdit = -std::fabs(PadhEdit);
  c.Padh = PadhEdit;
  c.Padh2 = 2 * c.Padh;
  c.Pout = Pout;
  THydrStat& s = *c.State;
  s.P[static_cast<std::size_t>(N)] = c.Pout;

  bool rebuild = resized || addLayer || AddLayerMode;
  if (!rebuild)
    rebuild = c.Port().Ask("Continue current?", {Button::Yes, Button::No}) == Button::No;
  if (rebuild) {
    const int u0 = AddLayerMode ? RightDiv : 0;
    hg = AddLayerMode ? (rho0l != 0 ? c.dm / rho0l : c.h0) : (c.rho0l != 0 ? c.dm / c.rho0l : c.h0);
    PlaceNodes(u0, hg);
    for (int i = u0; i <= N; ++i) s.v[static_cast<std::size_t>(i)] = 0;
    if (!AddLayerMode && c.ShiftDiv != 0) FillSecondMaterial();
    const int first = AddLayerMode ? RightDiv : std::max(c.ShiftDiv, 0);
    const int K = std::min(c.ShiftDiv, 0) + N - 1;
    int flatEnd = 0;
    if (!AddLayerMode) {
      flatEnd = static_cast<int>(std::floor(N * (xf - c.h0 / (2 * x1)) / Len));
      flatEnd = std::min(std::max(flatEnd, c.ShiftDiv), K);
    } else {
      flatEnd =
          (x0Shift != 0 ? static_cast<int>(std::floor(xShiftDiv * (xf - hg / (2 * x1)) / x0Shift))
                        : 0) +
          first;
      flatEnd = std::min(flatEnd, K);
    }
    FillMain(first, flatEnd, K);
    FillTwoTemperature(first, K);
    c.Time = 0;
  }
  AppendLayer(addLayer);
}

void TInitional::PlaceNodes(int u0, Real hg) {
  SimContext& c = ctx_;
  THydrStat& s = *c.State;
  const int N = Dimension;
  auto x = [&s](int i) -> Real& { return s.x[static_cast<std::size_t>(i)]; };
  if (c.Dspc == 1) {
    if (AddLayerMode) {
      for (int i = u0 + 1; i <= N; ++i) x(i) = x(u0) + (i - u0) * hg;
    } else if (c.ShiftDiv < 0) {
      // Second material last: the main material ends at x = 0.
      const int u = N + c.ShiftDiv;
      for (int i = 0; i <= u; ++i) x(i) = (i - u) * c.h0;
      for (int i = u + 1; i <= N; ++i) x(i) = (i - u) * hg;
    } else if (c.ShiftDiv > 0) {
      // Second material first: the interface is at x = 0.
      for (int i = 0; i < c.ShiftDiv; ++i) x(i) = (i - c.ShiftDiv) * hg;
      for (int i = c.ShiftDiv; i <= N; ++i) x(i) = (i - c.ShiftDiv) * c.h0;
    } else {
      for (int i = 0; i <= N; ++i) x(i) = i * c.h0;
    }
    return;
  }
  for (int i = u0; i <= N; ++i) x(i) = i * c.h0;
  const Real rhoMain = c.Layers.empty() ? Rho0 : c.Layers.back().Rho0;
  BuildMassArrays(c, N, u0, c.ShiftDiv, c.h0, rhoMain, AddLayerMode ? rho0l : c.rho0l);
}

void TInitional::FillSecondMaterial() {
  SimContext& c = ctx_;
  THydrStat& s = *c.State;
  const int N = Dimension;
  if (c.EosEl.Empty()) {
    UseIonEosForGlass();
    if (T0l == 0) T0l = CheckOut ? Tgr : Tini;
  }
  const int lo = c.ShiftDiv > 0 ? 0 : N + c.ShiftDiv;
  const int hi = c.ShiftDiv > 0 ? c.ShiftDiv - 1 : N - 1;
  const Real E = c.EosEl(T0l, c.rho0l);
  auto* th = dynamic_cast<TThermState*>(&s);
  auto* h2 = dynamic_cast<THydro2T*>(&s);
  for (int i = lo; i <= hi; ++i) {
    const auto k = static_cast<std::size_t>(i);
    s.P[k] = P0l;
    s.T[k] = T0l;
    s.E[k] = E;
    if (th) {
      th->Te[k] = T0l;
      th->Ee[k] = 0;
      th->Ei[k] = E;
    }
    if (h2) {
      h2->Pe[k] = 0;
      h2->Pi[k] = P0l;
    }
  }
}

void TInitional::FillMain(int s0, int flatEnd, int K) {
  SimContext& c = ctx_;
  THydrStat& s = *c.State;
  const int N = Dimension;
  const Real x1 = x1Edit;
  const Real rhoFlat = AddLayerMode ? rho0l : Rho0;
  const Real Ef = c.EosE(Tini, rhoFlat);
  for (int k = s0; k <= flatEnd; ++k) {
    const auto i = static_cast<std::size_t>(k);
    s.P[i] = Pini;
    s.T[i] = Tini;
    s.E[i] = Ef;
  }
  if (flatEnd >= K) return;

  const bool temp = RadioGroup1 == kTemp;
  const Real Xi = temp ? Tini : Pini;
  const Real Xg = temp ? Tgr : Pgr;
  const Real d = Dist;
  auto xi = [&s, x1](int k) { return s.CellCentre(k) / x1; };
  auto set = [&](int k, Real X) {
    const auto i = static_cast<std::size_t>(k);
    const Real rho = s.Density(k);
    if (temp) {
      s.T[i] = X;
      s.P[i] = c.EosP(X, rho);
    } else {
      s.P[i] = X;
      s.T[i] = c.EosTofP(X, rho);
    }
    s.E[i] = c.EosE(s.T[i], rho);
  };
  // z + 1/z - 2 = 2(cosh s - 1): an even shape that is 0 at its origin.
  auto bump = [](Real z) { return z + 1 / z - 2; };

  switch (GrouthFunc) {
    case kLinear: {
      const Real a = (Xg - Xi) / (d * x1);
      const Real b = (d > 0 ? Xg : Xi) - s.CellCentre(N - 1) * a;
      for (int k = flatEnd + 1; k <= K; ++k) set(k, s.CellCentre(k) * a + b);
      break;
    }
    case kPoly: {
      const Real r = std::pow(Xg / Xi, 1.0L / (N - 1 - flatEnd));
      for (int k = flatEnd + 1; k <= K; ++k)
        set(k, Xi * std::pow(r, static_cast<Real>(k - flatEnd)));
      break;
    }
    case kExp: {
      const Real z0 = std::exp((xi(N - 1) - xf) / d);
      const Real A = (Xg - Xi) / bump(z0);
      const Real x0 = d > 0 ? xf : Len;
      for (int k = flatEnd + 1; k <= K; ++k) set(k, Xi + A * bump(std::exp((xi(k) - x0) / d)));
      break;
    }
    case kGauss: {
      const Real q = (Len - xf) / d;
      const Real z0 = std::exp(q * q);
      const Real A = (Xg - Xi) / bump(z0);
      const Real x0 = d > 0 ? Len : xf;
      for (int k = flatEnd + 1; k <= K; ++k) {
        const Real t = (x0 - xi(k)) / d;
        set(k, Xi + A * bump(z0 / std::exp(t * t)));
      }
      break;
    }
    case kExp15: {
      // Defined for d > 0; a negative d is taken by its magnitude so that
      // the power of 1.5 never sees a negative base.
      const Real ad = std::fabs(d);
      auto p15 = [](Real u) { return u * std::sqrt(u); };
      const Real z0 = std::exp(p15(std::max<Real>(xi(N - 1) - xf, 0) / ad));
      const Real A = (Xg - Xi) / bump(z0);
      for (int k = flatEnd + 1; k <= K; ++k)
        set(k, Xi + A * bump(z0 / std::exp(p15(std::max<Real>(Len - xi(k), 0) / ad))));
      break;
    }
    default: {  // "Step", or no shape chosen
      Real pg = Pgr;
      Real rho = Rho0;
      if (AddLayerMode) {
        pg = c.EosP(Tgr, rho0l);
        Pgr = pg;
        rho = rho0l;
      }
      const Real Eg = c.EosE(Tgr, rho);
      for (int k = flatEnd + 1; k <= K; ++k) {
        const auto i = static_cast<std::size_t>(k);
        s.P[i] = pg;
        s.T[i] = Tgr;
        s.E[i] = Eg;
      }
      break;
    }
  }
}

void TInitional::FillTwoTemperature(int s0, int K) {
  SimContext& c = ctx_;
  THydrStat& s = *c.State;
  auto* th = dynamic_cast<TThermState*>(&s);
  if (!th) return;
  auto* h2 = dynamic_cast<THydro2T*>(&s);
  auto* nm = dynamic_cast<TNoMet*>(&s);
  for (int k = s0; k <= K; ++k) {
    const auto i = static_cast<std::size_t>(k);
    const Real rho = s.Density(k);
    if (FixTe && h2) {
      th->Te[i] = c.FixedTe;
      th->Ei[i] = c.IonEi(s.T[i], rho);
      th->Ee[i] = c.ElEe(c.FixedTe, rho);
      s.E[i] = th->Ei[i] + th->Ee[i];
      h2->Pi[i] = c.IonPi(s.T[i], rho);
      h2->Pe[i] = c.ElPe(c.FixedTe, rho);
      s.P[i] = h2->Pi[i] + h2->Pe[i];
      continue;
    }
    if (InitProfile <= k1T) continue;
    if (nm) nm->Z[i] = 0;
    th->Te[i] = (InitProfile == kTiTeT0 || InitProfile == kTiTeLast) ? TeEdit : s.T[i];
    if (InitProfile == kTeTiT0) s.T[i] = Tini;
    if (InitProfile == kTeTiLast) s.T[i] = Tgr;
    th->Ei[i] = c.IonEi(s.T[i], rho);
    th->Ee[i] = c.ElEe(th->Te[i], rho);
    s.E[i] = th->Ei[i] + th->Ee[i];
    if (!c.NoMove && h2) {
      h2->Pi[i] = c.IonPi(s.T[i], rho);
      h2->Pe[i] = c.ElPe(th->Te[i], rho);
      s.P[i] = h2->Pi[i] + h2->Pe[i];
    }
  }
}

// A profile keeps each number to the digits of its format. Coordinates lose
// most of those digits in the difference of two neighbours: with six digits
// and a thousand cells the width of a cell, and so its density, is known to
// about 1e-3 only, while the density column holds it to 1e-6. The nodes are
// therefore placed again from the densities and the cell masses, starting at
// node 0, wherever this agrees with the coordinates read to within the
// coordinates' own precision; elsewhere (a gap, a broken cell) the
// coordinates read stay.
void TInitional::RefineCoordinatesFromDensities() {
  SimContext& c = ctx_;
  THydrStat& s = *c.State;
  const int N = s.CellCount();
  if (static_cast<int>(FileRho.size()) < N) return;
  const int nu = c.SpaceDim;
  // The coordinates' relative precision: half a unit of the sixth digit,
  // with room for a format of fewer digits.
  constexpr Real kCoordPrecision = 1e-4L;
  Real prevOld = s.x[0];
  for (int i = 0; i < N; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const Real rho = FileRho[k];
    const Real xOld = s.x[k + 1];
    const Real tol = kCoordPrecision * (std::fabs(prevOld) + std::fabs(xOld)) + 1e-30L;
    prevOld = xOld;
    if (!(rho > 0)) continue;
    const Real m = s.CellMassOf(i);
    Real x = 0;
    if (nu == 1) {
      x = s.x[k] + m / rho;
    } else {
      const Real vol = GeomDiff(nu, 0, s.x[k]) + nu * m / rho;  // x^nu of the next node
      x = nu == 2 ? std::sqrt(vol) : std::cbrt(vol);
    }
    if (std::fabs(x - xOld) <= tol) s.x[k + 1] = x;
  }
}

MaterialRecord TInitional::CurrentMaterial() const {
  const SimContext& c = ctx_;
  MaterialRecord m;
  m.ElPage = c.ElPage;
  m.EOSType = c.EOSType;
  m.EOSMaterial = c.EOSMaterial;
  m.NoElEOS = EosNoElEOS ? EosNoElEOS() : false;
  m.ElEe = c.ElEe.Fn();
  m.MatEe = c.MatEe.Fn();
  m.ElPe = c.ElPe.Fn();
  m.MatPe = c.MatPe.Fn();
  m.ElCe = c.ElCe.Fn();
  m.MatCe = c.MatCe.Fn();
  m.ElAlpha = c.ElAlpha.Fn();
  m.IonKappa = c.IonKappa.Fn();
  m.ElKappa = c.ElKappa.Fn();
  m.SpallOn = c.SpallOn;
  m.ElAlphaRho = c.ElAlphaRho;
  m.ElRho0 = c.ElRho0;
  m.ElRhoMd = c.ElRhoMd;
  return m;
}

void TInitional::AppendLayer(bool addLayer) {
  SimContext& c = ctx_;
  const bool wanted =
      (addLayer || !c.Layers.empty()) || static_cast<int>(c.Layers.size()) < FileLayerCount;
  if (!wanted) return;
  int material = 0;
  if (ThermParamEnabled) {
    c.Materials.push_back(CurrentMaterial());
    material = static_cast<int>(c.Materials.size()) - 1;
  } else {
    material = LayersEOSnum - 1;
  }
  LayerRecord rec;
  rec.Material = material;
  const int N = Dimension;
  if (c.Layers.empty()) {
    rec.FirstCell = std::max(c.ShiftDiv, 0);
    rec.CellCount = c.ShiftDiv != 0 ? N - std::abs(c.ShiftDiv) : N;
    rec.Rho0 = Rho0;
  } else {
    const LayerRecord& prev = c.Layers.back();
    rec.FirstCell = prev.FirstCell + prev.CellCount;
    rec.CellCount = xShiftDiv;
    rec.Rho0 = rho0l;
  }
  rec.Padh = PadhEdit;
  c.Layers.push_back(rec);
}

void TInitional::SelectMaterial(int k) {
  SimContext& c = ctx_;
  if (k < 0 || k >= static_cast<int>(c.Materials.size())) return;
  const MaterialRecord& m = c.Materials[static_cast<std::size_t>(k)];
  if (m.ElPage == 2 && ReacceptElectronPage) {
    ReacceptElectronPage(m.ElPage);
  } else {
    c.ElRho0 = m.ElRho0;
    c.ElRhoMd = m.ElRhoMd;
  }
  if (SelectEosHook) SelectEosHook(m.EOSType, m.EOSMaterial, m.NoElEOS);
  c.ElEe.Install(m.ElEe);
  c.MatEe.Install(m.MatEe);
  c.ElPe.Install(m.ElPe);
  c.MatPe.Install(m.MatPe);
  c.ElCe.Install(m.ElCe);
  c.MatCe.Install(m.MatCe);
  c.ElAlpha.Install(m.ElAlpha);
  c.ElKappa.Install(m.ElKappa);
  c.IonKappa.Install(m.IonKappa);
  c.ElAlphaRho = m.ElAlphaRho;
  c.SpallOn = m.SpallOn;
}

Real TInitional::BuiltEnergy() const {
  const SimContext& c = ctx_;
  if (!c.State) return 0;
  const THydrStat& s = *c.State;
  Real sum = 0;
  for (int i = 0; i < s.CellCount(); ++i) sum += s.CellMassOf(i) * s.E[static_cast<std::size_t>(i)];
  Real e = sum * c.UnitScale * c.UnitScale;
  if (c.SpaceDim > 1) e *= c.GeomFactor;
  return e;
}

// Re-evaluation of an existing state: after a profile was read, or after the
// material model changed. Keeps x, v and the prescribed quantity and
// recomputes the others through the slots.
void TInitional::ReEvaluate(bool fromOk) {
  SimContext& c = ctx_;
  const int N = Dimension;
  if (!c.State) return;
  if (fromOk && (!c.NewState || c.NewState->CellCount() != N))
    CreateOrResizeAll(c, c.State->Class(), N);
  c.dm = c.h0 * c.rho0;

  // The reference density against the dialog's.
  if (Rho0 != c.rho0 && Rho0 > 0 && c.rho0 > 0) {
    const bool up = Rho0 < c.rho0;
    long n = std::lround(up ? c.rho0 / Rho0 : Rho0 / c.rho0);
    if (n < 1) n = 1;
    const bool close = n == 1 && std::fabs(c.rho0 - Rho0) < 1e-4L * c.rho0;
    if (!close) {
      const TNumStringFormat g;
      std::string q = "Reset rho0 " + g.ToText(c.rho0) + " to " + g.ToText(Rho0);
      if (n != 1) q += std::string(up ? " * " : " / ") + std::to_string(n);
      bool ok = c.Port().Ask(q, {Button::Ok, Button::No}) == Button::Ok;
      if (!ok && n != 1) {
        if (c.Port().Ask("To Rho_ini " + g.ToText(Rho0), {Button::Ok, Button::No}) == Button::Ok) {
          n = 1;
          ok = true;
        }
      }
      if (!ok)
        Rho0 = c.rho0;
      else
        Rho0 = up ? Rho0 * static_cast<Real>(n) : Rho0 / static_cast<Real>(n);
    }
  }
  c.rho0 = Rho0;
  c.dm = c.h0 * c.rho0;

  THydrStat& s = *c.State;
  const int nv = N;
  if (FromFile && nv > 0) {
    for (int i = 0; i <= nv; ++i) {
      const auto k = static_cast<std::size_t>(i);
      if (x1Edit != 1) s.x[k] *= x1Edit;
      if (c.UnitScale != 1) s.v[k] *= c.UnitScale;
    }
  }
  if (c.Dspc != 1 && (FromFile || static_cast<int>(c.CellMass.size()) != N))
    BuildMassArrays(c, N, 0, c.ShiftDiv, c.h0, Rho0, c.rho0l);
  if (FromFile && nv > 0 && !c.NoMove) RefineCoordinatesFromDensities();

  if (RadioGroup1 == kEnerg && c.EosTofE.Empty()) RadioGroup1 = kPress;
  if (RadioGroup1 == kPress && c.EosTofP.Empty()) RadioGroup1 = -1;

  auto* th = dynamic_cast<TThermState*>(&s);
  auto* h2 = dynamic_cast<THydro2T*>(&s);

  // Second material with the left slots.
  if (c.ShiftDiv != 0 && !c.EosPl.Empty()) {
    const int lo = c.ShiftDiv > 0 ? 0 : N + c.ShiftDiv;
    const int hi = c.ShiftDiv > 0 ? c.ShiftDiv - 1 : N - 1;
    for (int k = lo; k <= hi; ++k) {
      const auto i = static_cast<std::size_t>(k);
      const Real rho = s.Density(k);
      if (RadioGroup1 == kEnerg && !c.EosCvl.Empty()) {
        // The left material has no inverse slot of its own: T(E) by Newton
        // on its energy with its heat capacity as the derivative.
        const Real t0 = s.T[i] > 0 ? s.T[i] : 1;
        s.T[i] = NewtonInvert(c.EosEl.Fn(), c.EosCvl.Fn(), s.E[i], rho, t0);
        s.P[i] = c.EosPl(s.T[i], rho);
      } else if (RadioGroup1 == kPress) {
        // T(P) by Newton on the left pressure, its derivative in T taken by
        // a central difference (the left material has no dP/dT slot).
        const auto& pl = c.EosPl.Fn();
        auto dpdt = [&pl](Real T, Real r) {
          const Real h = 1e-6L * (std::fabs(T) + 1e-3L);
          return (pl(T + h, r) - pl(T - h, r)) / (2 * h);
        };
        const Real t0 = s.T[i] > 0 ? s.T[i] : 1;
        s.T[i] = NewtonInvert(pl, dpdt, s.P[i], rho, t0);
        s.E[i] = c.EosEl(s.T[i], rho);
      } else {
        // Temperature kept.
        s.E[i] = c.EosEl(s.T[i], rho);
        if ((k != lo || k == 0 || s.P[i] != 0) && (k != hi || k == N - 1 || s.P[i] != 0))
          s.P[i] = c.EosPl(s.T[i], rho);
      }
      if (th) {
        th->Ei[i] = s.E[i];
        th->Ee[i] = 0;
      }
      if (h2) {
        h2->Pi[i] = s.P[i];
        h2->Pe[i] = 0;
      }
    }
  }

  // Main material, layer by layer.
  auto evalRange = [&](int first, int last) {
    for (int k = first; k <= last; ++k) {
      const auto i = static_cast<std::size_t>(k);
      const Real rho = s.Density(k);
      if (th) {
        th->Ei[i] = c.IonEi(s.T[i], rho);
        th->Ee[i] = c.ElEe(th->Te[i], rho);
        s.E[i] = th->Ei[i] + th->Ee[i];
        if (h2) {
          if (h2->Pe[i] != 0)
            h2->Pe[i] = c.NoMetal ? 2.0L / 3 * rho * th->Ee[i] : c.ElPe(th->Te[i], rho);
          const bool negT = c.SpallOn && i < c.Tneg.size() && c.Tneg[i] < 0;
          if (h2->Pi[i] != 0 && !negT) h2->Pi[i] = c.IonPi(s.T[i], rho);
          if (s.P[i] != 0) s.P[i] = h2->Pi[i] + h2->Pe[i];
        }
        continue;
      }
      const bool negT = c.SpallOn && i < c.Tneg.size() && c.Tneg[i] < 0;
      switch (RadioGroup1) {
        case kPress:
          s.T[i] = c.EosTofP(s.P[i], rho);
          s.E[i] = c.EosE(s.T[i], rho);
          break;
        case kEnerg:
          s.T[i] = c.EosTofE(s.E[i], rho);
          s.P[i] = c.EosP(s.T[i], rho);
          break;
        default: {
          s.E[i] = c.EosE(s.T[i], rho);
          if (negT) break;
          const Real p = c.EosP(s.T[i], rho);
          if (s.P[i] != 0 || p >= 0) s.P[i] = p;
          break;
        }
      }
    }
  };
  if (!c.Layers.empty()) {
    for (std::size_t l = 0; l < c.Layers.size(); ++l) {
      SelectMaterial(c.Layers[l].Material);
      evalRange(c.Layers[l].FirstCell, c.Layers[l].FirstCell + c.Layers[l].CellCount - 1);
    }
  } else {
    evalRange(std::max(c.ShiftDiv, 0), std::min(c.ShiftDiv, 0) + N - 1);
  }
  s.P[static_cast<std::size_t>(N)] = c.Pout;
  FromFile = false;
}

}  // namespace tessmar
