#pragma once
// The integral-values window ("IntegrValues"): energies of the state, the
// pressure integral at the left boundary, the momentum integral and the
// critical-density position. Its numeric fields are numeric edits with
// Pressigion 4 and DefaultDec false ("." whatever the locale); Text() gives
// what such a field shows, and the side file of a profile copies these texts.

#include <string>

#include "base/real.h"
#include "format/num_string_format.h"

namespace tessmar {

struct TIntegrValues {
  TIntegrValues() {
    Format.SetPressigion(4);
    Format.SetDefaultDec(false);
    Format.SetDecSeparator('.');
  }

  Real Ipdt = 0;  // "Int p dt = ", accumulated by the driver
  Real Ivdx = 0;  // "rho0 * Int v dx = "
  Real Et = 0;    // thermal energy
  Real Ek = 0;    // kinetic energy
  Real Ei = 0, Ee = 0, Ed = 0;
  Real Es = 0;     // " E = ", total
  Real Eadd = 0;   // energy added since the state was built
  Real Rho_C = 0;  // critical density
  Real x_rc = 0;   // its position relative to Lx0 (cm)
  bool RCPanelVisible = false;
  bool RefrVisible = false;
  std::string Refr;  // refraction index text

  // Panels hidden by the model: kPanel (Ipdt, Ivdx) and Ek with its
  // label for a fixed mesh, T2Panel (Ei, Ee, Ed) for one-temperature states.
  bool kPanelVisible = true;
  bool EkVisible = true;
  bool T2PanelVisible = false;

  // The format of every numeric field of the window: %.4g with ".".
  TNumStringFormat Format;
  [[nodiscard]] std::string Text(Real value) const { return Format.ToText(value); }
};

}  // namespace tessmar
