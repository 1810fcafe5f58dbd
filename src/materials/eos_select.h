#pragma once
// Equation-of-state selection: installs the functions of one of the 18 EOS
// types into the context's slots, for the main material (the target) or for the
// left material (the medium on the left of the target), and composes the main
// material's model with the electron functions for two-temperature runs.
//
// Slots of the main material after a selection:
//   ModelE/ModelP/ModelCv (and, when the model has them, ModelTofE, ModelTofP,
//   ModeldPdT): the model's own functions of (T, rho).
//   EosE/EosP/EosCv: the totals the solvers use; IonEi/IonPi/IonCi: the lattice
//   part of the two-temperature split; EosTofE/EosTofP: inverses, or empty when
//   the solver has to invert EosE itself.
// Composition with the electron slots ElEe, ElPe, ElCe, ElDPeDTe:
//   - the model is the total (noElEOS false): Eos* = Model*, Ion* = Model* - El*;
//     for the types with model inverses EosTofE/EosTofP are the model inverses.
//   - the model is the lattice only (noElEOS true): Eos* = Model* + El*,
//     Ion* = Model*; TotaldPdT = ModeldPdT + ElDPeDTe; EosTofE and EosTofP are
//     Newton inversions of EosE (derivative EosCv) and EosP (derivative
//     TotaldPdT) started at the model inverses. An empty ElDPeDTe is replaced by
//     rho*ElCe/1.5 (the ideal electron gas, Pe = (2/3)*rho*Ee). A model without
//     dP/dT gets a central-difference derivative of ModelP instead.
// Empty electron slots: all composed functions look at the electron slots when
// they are called, and an empty one counts as zero energy, pressure, heat
// capacity or dPe/dTe. Without electrons the lattice-only composition therefore
// equals the model, and Ion* = Model*. (The EOS dialog refuses the lattice-only
// mode while ElEe is empty anyway.)
//
// Model parameters are read by the installed functions at call time from the
// context (ctx.IdealGas ...); the functions hold a reference to the context,
// which must outlive them. A selection needs no dialog: the two-temperature
// solver re-selects the stored type of each layer's material.
//
// Types whose models are not part of this build make SelectEOS throw
// EosNotAvailableError before anything is changed.

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/sim_context.h"

namespace tessmar {

// Indices of the EqType items.
namespace eq_type {
inline constexpr int kIdealGas = 0;
inline constexpr int kTable = 1;
inline constexpr int kScaledTab = 2;
inline constexpr int kLJRee = 3;
inline constexpr int kSolid = 4;
inline constexpr int kCombLS = 5;
inline constexpr int kMetal = 6;
inline constexpr int kTCond = 7;
inline constexpr int kIdealGasOf = 8;
inline constexpr int kMieGrun = 9;
inline constexpr int kRose = 10;
inline constexpr int kSilGlass = 11;
inline constexpr int kPGlass = 12;
inline constexpr int kWaterA = 13;
inline constexpr int kWater2MG = 14;
inline constexpr int kLiF = 15;
inline constexpr int kTi = 16;
inline constexpr int kLinEOS = 17;
inline constexpr int kCount = 18;
}  // namespace eq_type

// Captions of the EqType items, with their access-key ampersands.
inline constexpr std::array<std::string_view, eq_type::kCount> kEqTypeCaptions = {
    "&Ideal gas", "&Table",    "Scaled Ta&b",    "&LJ - Ree", "Soli&d", "&Comb L+S",
    "&Metal",     "TCond&uct", "Ideal gas &of:", "Mi&eGrun",  "&Rose",  "&SilGlass",
    "P&Glass",    "&Water-a",  "Water&2MG",      "Li&F",      "Ti",     "LinEOS"};

// An EOS type was chosen whose model this build does not provide.
class EosNotAvailableError : public std::runtime_error {
 public:
  explicit EosNotAvailableError(int type);
  [[nodiscard]] int Type() const { return type_; }

 private:
  int type_;
};

// True when SelectEOS can install `type` for the main (left false) or the left
// material.
bool EosTypeAvailable(int type, bool left);

// Velocity unit of a type, cm/s: 1 for the reduced-unit types 0, 3, 4, 5, 7,
// 1e5 for the types in physical units (so that 1 kJ/g = UnitScale^2).
Real UnitScaleOfType(int type);

// Install the functions of `type` (0..17). material: index of the material
// inside the model (EOSMaterial); noElEOS: the model describes the lattice only
// and the electron functions are added; left: fill the left material's slots.
// Main material: the optional slots, the model-level slots and TabEOS are reset,
// the model installed, UnitScale set and the electron composition made.
// Left material: PhaseColorl, PhaseCodeFnl and TabEOSl are reset and EosEl,
// EosPl, EosCvl installed; nothing of the main material (its slots, TabEOS,
// UnitScale) changes. Both ideal gases serve the left material; the physical one
// too, so that a left selection never leaves the previous model's functions in
// the left slots under a new type. Throws std::out_of_range for a type outside 0..17 and
// EosNotAvailableError for a model this build lacks; in both cases nothing changes.
void SelectEOS(SimContext& ctx, int type, int material, bool noElEOS, bool left);

// The electron composition of the main material (see above) for the model
// already in the Model* slots. Part of SelectEOS; callable on its own for a
// model installed by other means.
void ComposeWithElectrons(SimContext& ctx, int type, bool noElEOS);

}  // namespace tessmar
