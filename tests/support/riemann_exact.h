#pragma once
// Exact solution of the Riemann problem for an ideal gas (gamma-law), for
// checking shock-tube runs: star pressure by Newton iteration on the pressure
// function, then the self-similar solution sampled at x/t.

#include <cmath>

#include "base/real.h"

namespace tessmar::test {

struct Primitive {
  Real rho, u, p;
};

class RiemannExact {
 public:
  RiemannExact(Primitive left, Primitive right, Real gamma) : L_(left), R_(right), g_(gamma) {
    cL_ = std::sqrt(g_ * L_.p / L_.rho);
    cR_ = std::sqrt(g_ * R_.p / R_.rho);
    Real p = 0.5L * (L_.p + R_.p);
    for (int it = 0; it < 100; ++it) {
      Real fl, dl, fr, dr;
      F(p, L_, cL_, fl, dl);
      F(p, R_, cR_, fr, dr);
      const Real next = p - (fl + fr + (R_.u - L_.u)) / (dl + dr);
      const Real change = std::fabs(next - p) / (0.5L * (next + p));
      p = next > 0 ? next : 1e-12L;
      if (change < 1e-19L) break;
    }
    Real fl, dl, fr, dr;
    F(p, L_, cL_, fl, dl);
    F(p, R_, cR_, fr, dr);
    pStar_ = p;
    uStar_ = 0.5L * (L_.u + R_.u) + 0.5L * (fr - fl);
  }

  [[nodiscard]] Real PStar() const { return pStar_; }
  [[nodiscard]] Real UStar() const { return uStar_; }
  // Speed of the right-going shock (when the right wave is one).
  [[nodiscard]] Real RightShockSpeed() const {
    const Real g = g_, pr = pStar_ / R_.p;
    return R_.u + cR_ * std::sqrt((g + 1) / (2 * g) * pr + (g - 1) / (2 * g));
  }

  // State at speed s = (x - x0)/t.
  [[nodiscard]] Primitive Sample(Real s) const {
    const Real g = g_;
    if (s <= uStar_) {  // left of the contact
      if (pStar_ > L_.p) {  // left shock
        const Real pr = pStar_ / L_.p;
        const Real sl = L_.u - cL_ * std::sqrt((g + 1) / (2 * g) * pr + (g - 1) / (2 * g));
        if (s <= sl) return L_;
        return {L_.rho * (pr + (g - 1) / (g + 1)) / ((g - 1) / (g + 1) * pr + 1), uStar_, pStar_};
      }
      const Real cStar = cL_ * std::pow(pStar_ / L_.p, (g - 1) / (2 * g));
      const Real head = L_.u - cL_, tail = uStar_ - cStar;
      if (s <= head) return L_;
      if (s >= tail) return {L_.rho * std::pow(pStar_ / L_.p, 1 / g), uStar_, pStar_};
      const Real k = 2 / (g + 1) + (g - 1) / ((g + 1) * cL_) * (L_.u - s);
      return {L_.rho * std::pow(k, 2 / (g - 1)), 2 / (g + 1) * (cL_ + (g - 1) / 2 * L_.u + s),
              L_.p * std::pow(k, 2 * g / (g - 1))};
    }
    if (pStar_ > R_.p) {  // right shock
      const Real pr = pStar_ / R_.p;
      const Real sr = R_.u + cR_ * std::sqrt((g + 1) / (2 * g) * pr + (g - 1) / (2 * g));
      if (s >= sr) return R_;
      return {R_.rho * (pr + (g - 1) / (g + 1)) / ((g - 1) / (g + 1) * pr + 1), uStar_, pStar_};
    }
    const Real cStar = cR_ * std::pow(pStar_ / R_.p, (g - 1) / (2 * g));
    const Real head = R_.u + cR_, tail = uStar_ + cStar;
    if (s >= head) return R_;
    if (s <= tail) return {R_.rho * std::pow(pStar_ / R_.p, 1 / g), uStar_, pStar_};
    const Real k = 2 / (g + 1) - (g - 1) / ((g + 1) * cR_) * (R_.u - s);
    return {R_.rho * std::pow(k, 2 / (g - 1)), 2 / (g + 1) * (-cR_ + (g - 1) / 2 * R_.u + s),
            R_.p * std::pow(k, 2 * g / (g - 1))};
  }

 private:
  // Pressure function of one side and its derivative.
  void F(Real p, const Primitive& s, Real c, Real& f, Real& d) const {
    const Real g = g_;
    if (p > s.p) {
      const Real A = 2 / ((g + 1) * s.rho), B = (g - 1) / (g + 1) * s.p;
      const Real q = std::sqrt(A / (p + B));
      f = (p - s.p) * q;
      d = q * (1 - (p - s.p) / (2 * (p + B)));
    } else {
      const Real pr = p / s.p;
      f = 2 * c / (g - 1) * (std::pow(pr, (g - 1) / (2 * g)) - 1);
      d = 1 / (s.rho * c) * std::pow(pr, -(g + 1) / (2 * g));
    }
  }

  Primitive L_, R_;
  Real g_, cL_, cR_, pStar_ = 0, uStar_ = 0;
};

}  // namespace tessmar::test
