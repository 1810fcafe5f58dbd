#pragma once
// The free-electron gas that every electron model of a metal starts from: the
// physical constants in the units of the electron functions, the Fermi energy
// and temperature, the Sommerfeld coefficient and the classical heat capacity
// of Z free electrons per atom, and the cache of rho^(2/3).
//
// Units: temperatures in K, densities in g/cm3, energies in kJ, specific
// quantities per gram. With n = Z/m_at free electrons per gram:
//   EF(rho)    = EF1 * rho^(2/3),  EF1 = (3 pi^2 n)^(2/3) * hbar/(2 m_e) * hbar   [kJ]
//   TF(rho)    = EF(rho)/kB = TF1 * rho^(2/3)                                      [K]
//   gamma(rho) = (pi^2/2) kB^2 n / EF(rho) = Gamma1 / rho^(2/3)                    [kJ/g/K^2]
//   c_cl       = (3/2) kB n                                                         [kJ/g/K]

#include <cmath>

#include "base/real.h"

namespace tessmar {

namespace el {
inline constexpr Real kNAv = 6.02497e23L;             // Avogadro number, 1/mol
inline constexpr Real kBoltzKJ = 1.3806504e-26L;      // kB, kJ/K
inline constexpr Real kBoltzErg = 1.3806504e-16L;     // kB, erg/K
inline constexpr Real kKelvinToEV = 8.617342936e-5L;  // kB/e, eV/K
inline constexpr Real kHbarKJs = 1.0545887e-37L;      // reduced Planck constant, kJ s
// hbar/(2 m_e) in the units of the Fermi-energy coefficient EF1.
inline constexpr Real kHbarOver2Me = 5.7891631808e-11L * 1e10L;
inline constexpr Real kElectronMass = 9.1083e-28L;               // g
inline constexpr Real kElectronCharge = 4.80274e-10L;            // CGS
inline constexpr Real kPi2Over2Kb2 = 9.406697881407510276e-52L;  // (pi^2/2) kB^2, (kJ/K)^2
inline constexpr Real k3Pi2 = 29.608813203268075857L;            // 3 pi^2
inline constexpr Real k16OverPi = 5.0929581789406507446L;        // 16/pi
inline constexpr Real kTat = 315642.53856008733277L;             // atomic temperature, K
inline constexpr Real kKJtoErg = 1e10L;                          // erg per kJ
}  // namespace el

// x^(2/3) through the cube root (cbrtl costs a fraction of powl).
inline Real Pow23(Real x) {
  const Real c = std::cbrt(x);
  return c * c;
}

// x^(7/2) by a square root and multiplications; x >= 0.
inline Real Pow72(Real x) {
  return x * x * x * std::sqrt(x);
}

// The last argument of rho^(2/3) and its value, reused when the same argument
// comes again (a cell's energy, heat capacity and conductivity are evaluated at
// the same density one after the other). Starts with 1^(2/3) = 1 so that it
// never needs a validity flag.
class Rho23Cache {
 public:
  Real operator()(Real rho) {
    if (rho != arg_) {
      arg_ = rho;
      value_ = Pow23(rho);
    }
    return value_;
  }

 private:
  Real arg_ = 1;
  Real value_ = 1;
};

// The free-electron constants of a material with Z free electrons per atom of
// mass m_at (g).
struct FreeElectronGas {
  Real n = 0;       // free electrons per gram
  Real EF1 = 0;     // Fermi energy at unit density, kJ / (g/cm3)^(2/3)
  Real TF1 = 0;     // Fermi temperature at unit density, K / (g/cm3)^(2/3)
  Real Gamma1 = 0;  // Sommerfeld coefficient at unit density, kJ/g/K^2 * (g/cm3)^(2/3)
  Real Ccl = 0;     // classical heat capacity (3/2) kB n, kJ/g/K

  static FreeElectronGas Of(Real Z, Real mAt) {
    FreeElectronGas g;
    g.n = Z / mAt;
    g.EF1 = Pow23(el::k3Pi2 * g.n) * el::kHbarOver2Me * el::kHbarKJs;
    g.TF1 = g.EF1 / el::kBoltzKJ;
    g.Gamma1 = g.EF1 != 0 ? el::kPi2Over2Kb2 * g.n / g.EF1 : 0;
    g.Ccl = 1.5L * el::kBoltzKJ * g.n;
    return g;
  }

  // The quantities at a density whose rho^(2/3) is given.
  [[nodiscard]] Real EF(Real rho23) const { return EF1 * rho23; }
  [[nodiscard]] Real TF(Real rho23) const { return TF1 * rho23; }
  [[nodiscard]] Real Gamma(Real rho23) const { return Gamma1 / rho23; }
};

}  // namespace tessmar
