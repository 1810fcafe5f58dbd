#pragma once
// The two ideal gases of the EOS selection.
//
// Reduced ideal gas (EqType 0), dimensionless units, gamma > 1 and "M atom" M:
//   E = CvConst*T, P = rho*T/M, Cv = CvConst, with CvConst = 1/((gamma-1)*M).
// Physical ideal gas (EqType 8), T in K, rho in g/cm3, E in kJ/g, P in GPa,
// molar mass M in g/mol:
//   E = CvGasM*T, P = RGasM*rho*T, Cv = CvGasM,
//   with RGasM = R/M (kJ/g/K) and CvGasM = RGasM/(gamma-1).
//
// The parameter set lives in the context (ctx.IdealGas) and is shared by the main
// and the left material. The functions returned here read it each time they are
// called, so a parameter accepted later acts at the next evaluation.

#include <functional>

#include "base/real.h"
#include "core/sim_context.h"

namespace tessmar {

// Gas constant per mole as the program uses it, kJ/(mol K); divided by the molar
// mass in g/mol it gives kJ/g/K.
inline constexpr Real kGasConstantKJPerMolK = 0.008318377240488L;

// The six functions of an EOS model: energy, pressure and heat capacity as
// functions of (T, rho), the inverses T(E, rho) and T(P, rho), and dP/dT at
// constant rho. An empty member means the model does not provide it.
struct EosModelFunctions {
  std::function<Real(Real, Real)> E, P, Cv, TofE, TofP, dPdT;
};

// Store the reduced-gas parameters: IgGamma1, AtMass, CvConst. Throws
// std::invalid_argument when gamma = 1 or M = 0 (CvConst would be infinite).
void SetReducedIdealGas(IdealGasParams& params, Real gamma, Real atomMass);
// Store the physical-gas parameters: RGasM, CvGasM. Throws std::invalid_argument
// when M = 0 or gamma = 1.
void SetPhysicalIdealGas(IdealGasParams& params, Real gamma, Real molarMass);

// Closures over ctx.IdealGas (by reference; the context must outlive them).
EosModelFunctions ReducedIdealGas(const SimContext& ctx);
EosModelFunctions PhysicalIdealGas(const SimContext& ctx);

}  // namespace tessmar
