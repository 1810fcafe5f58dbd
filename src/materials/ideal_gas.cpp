#include "materials/ideal_gas.h"

#include <stdexcept>

namespace tessmar {

void SetReducedIdealGas(IdealGasParams& params, Real gamma, Real atomMass) {
  if (gamma == 1) throw std::invalid_argument("ideal gas: gamma must differ from 1");
  if (atomMass == 0) throw std::invalid_argument("ideal gas: M atom must not be 0");
  params.IgGamma1 = gamma - 1;
  params.AtMass = atomMass;
  params.CvConst = 1 / ((gamma - 1) * atomMass);
}

void SetPhysicalIdealGas(IdealGasParams& params, Real gamma, Real molarMass) {
  if (gamma == 1) throw std::invalid_argument("ideal gas: gamma must differ from 1");
  if (molarMass == 0) throw std::invalid_argument("ideal gas: the molar mass must not be 0");
  params.RGasM = kGasConstantKJPerMolK / molarMass;
  params.CvGasM = params.RGasM / (gamma - 1);
}

EosModelFunctions ReducedIdealGas(const SimContext& ctx) {
  const IdealGasParams& p = ctx.IdealGas;
  EosModelFunctions m;
  m.E = [&p](Real T, Real) { return p.CvConst * T; };
  m.P = [&p](Real T, Real rho) { return rho * T / p.AtMass; };
  m.Cv = [&p](Real, Real) { return p.CvConst; };
  m.TofE = [&p](Real E, Real) { return E / p.CvConst; };
  m.TofP = [&p](Real P, Real rho) { return P * p.AtMass / rho; };
  m.dPdT = [&p](Real, Real rho) { return rho / p.AtMass; };
  return m;
}

EosModelFunctions PhysicalIdealGas(const SimContext& ctx) {
  const IdealGasParams& p = ctx.IdealGas;
  EosModelFunctions m;
  m.E = [&p](Real T, Real) { return p.CvGasM * T; };
  m.P = [&p](Real T, Real rho) { return p.RGasM * rho * T; };
  m.Cv = [&p](Real, Real) { return p.CvGasM; };
  m.TofE = [&p](Real E, Real) { return E / p.CvGasM; };
  m.TofP = [&p](Real P, Real rho) { return P / (rho * p.RGasM); };
  m.dPdT = [&p](Real, Real rho) { return p.RGasM * rho; };
  return m;
}

}  // namespace tessmar
