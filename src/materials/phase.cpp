#include "materials/phase.h"

#include <array>
#include <cstdlib>

namespace tessmar {

namespace {
constexpr std::array<const char*, 10> kPhaseLabels = {"o", "S",  "SL",  "L",  "LG",
                                                      "G", "SG", "Sae", "Se", "SeL"};
}  // namespace

std::string PhaseLabel(int code) {
  std::string out = code < 0 ? "m" : " ";
  const int a = std::abs(code);
  if (a <= 9)
    out += kPhaseLabels[a];
  else
    out += std::to_string(code);
  return out;
}

int PhaseCode(const SimContext& ctx, Real T, Real rho) {
  if (ctx.TabEOS)
    throw TableUnavailableError(
        "PhaseCode: the tabulated equation of state of the main material is not available");
  if (ctx.PhaseCodeFn) return ctx.PhaseCodeFn(T, rho);
  if (ctx.EosIsGas) {
    if (ctx.EosIsGas(T, rho)) return 5;
    return ctx.EosIsMelted && ctx.EosIsMelted(T, rho) ? 3 : 1;
  }
  if (ctx.EosIsMelted) return ctx.EosIsMelted(T, rho) ? 3 : 1;
  if (ctx.PhaseColor) {
    const TColor c = ctx.PhaseColor(T, rho);
    if (c == colors::kDarkRed) return 1;
    if (c == colors::kBlue) return 3;
    if (c == colors::kGreen) return 5;
    return 0;
  }
  return 0;
}

int PhaseCodel(const SimContext& ctx, Real T, Real rho) {
  if (ctx.TabEOSl)
    throw TableUnavailableError(
        "PhaseCodel: the tabulated equation of state of the left material is not available");
  if (ctx.PhaseCodeFnl) return ctx.PhaseCodeFnl(T, rho);
  return 0;
}

TColor PredicateColor(const SimContext& ctx, Real T, Real rho) {
  if (ctx.EosIsGas && ctx.EosIsGas(T, rho)) return colors::kGreen;
  if (ctx.EosIsMelted && ctx.EosIsMelted(T, rho)) return colors::kBlue;
  return colors::kDarkRed;
}

TColor ConstantViolet(Real, Real) {
  return colors::kViolet;
}

TColor TableColor(int code) {
  switch (std::abs(code) % 7) {
    case 1: return colors::kDarkRed;
    case 2: return colors::kSilver;
    case 3: return colors::kBlue;
    case 4: return colors::kTeal;
    case 5: return colors::kGreen;
    case 6: return colors::kFuchsia;
    default: return colors::kGrey;
  }
}

TColor TableColorl(int code) {
  switch (std::abs(code)) {
    case 1: return colors::kDarkRed;
    case 3: return colors::kLime;
    case 4: return colors::kTeal;
    case 5: return colors::kAqua;
    case 6: return colors::kPurple;
    default: return colors::kGrey;
  }
}

bool TableCodeIsMelted(int k) {
  return std::abs(k) % 7 >= 2;
}

bool TableCodeIsGas(int k) {
  const int a = std::abs(k);
  return a >= 4 && a <= 6;
}

bool TableCodeIsVapour(int k) {
  const int a = std::abs(k);
  return a == 4 || a == 5;
}

Real TableCodeLiqFrac(int k, Real x) {
  switch (std::abs(k) % 7) {
    case 2: return 1 - x;
    case 3: return 1;
    case 4: return x;
    default: return 0;
  }
}

Real TableCodeSolFrac(int k, Real x) {
  switch (std::abs(k)) {
    case 1:
    case 7: return 1;
    case 2:
    case 9: return x;
    case 6: return k > 0 ? x : 0;  // a metastable solid-gas state holds no solid
    default: return 0;
  }
}

}  // namespace tessmar
