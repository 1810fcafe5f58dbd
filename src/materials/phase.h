#pragma once
// Phase classification of a material state: integer codes, their labels, the
// display colours of the graphs and the predicates and mass fractions that a
// tabulated EOS derives from its phase code.
//
// A phase code's absolute value names the state, a negative sign marks a
// metastable state:
//   0 "o" undefined, 1 "S" solid, 2 "SL" solid-liquid, 3 "L" liquid,
//   4 "LG" liquid-gas, 5 "G" gas, 6 "SG" solid-gas, 7 "Sae" tabulated solid,
//   8 "Se" tabulated state counted as neither solid nor liquid,
//   9 "SeL" tabulated mixture counted like "SL".

#include <stdexcept>
#include <string>

#include "base/color.h"
#include "base/real.h"
#include "core/sim_context.h"

namespace tessmar {

// The phase code of a tabulated EOS was asked for, but no table set provides
// the lookup (the tabulated EOS is not part of this build yet).
class TableUnavailableError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// " S", "mL", " 12", "m-12": "m" for a negative code, a blank otherwise, then
// the label of abs(code) for 0..9 and the decimal number itself for any other.
std::string PhaseLabel(int code);

// Phase code of the main material at (T, rho): the table's code when TabEOS is
// set, else the model's own PhaseCodeFn, else derived from EosIsGas/EosIsMelted
// (gas 5, melted 3, solid 1), else from PhaseColor (dark red 1, blue 3, green 5,
// other 0), else 0. Throws TableUnavailableError when TabEOS is set.
int PhaseCode(const SimContext& ctx, Real T, Real rho);
// Phase code of the left material: the left table's code when TabEOSl is set
// (TableUnavailableError for now), else PhaseCodeFnl, else 0.
int PhaseCodel(const SimContext& ctx, Real T, Real rho);

// Colour of the main material's state from its predicates: green when gas is
// present, else blue when melted, else dark red. Empty predicates count as false.
TColor PredicateColor(const SimContext& ctx, Real T, Real rho);
// The constant colour of models without a phase diagram.
TColor ConstantViolet(Real T, Real rho);

// Table colours by phase code: main material by abs(code) mod 7 (1 dark red,
// 2 silver, 3 blue, 4 teal, 5 green, 6 fuchsia, 0 grey); left material by
// abs(code) (1 dark red, 3 lime, 4 teal, 5 aqua, 6 purple, others grey).
TColor TableColor(int code);
TColor TableColorl(int code);

// Predicates and fractions of a tabulated EOS from its phase code k and its
// mixture fraction x (0..1) at the same point.
bool TableCodeIsMelted(int k);         // abs(k) mod 7 >= 2: not purely solid
bool TableCodeIsGas(int k);            // abs(k) in 4..6: gas present
bool TableCodeIsVapour(int k);         // abs(k) in {4, 5}: liquid-gas or gas
Real TableCodeLiqFrac(int k, Real x);  // liquid mass fraction
Real TableCodeSolFrac(int k, Real x);  // solid mass fraction

}  // namespace tessmar
