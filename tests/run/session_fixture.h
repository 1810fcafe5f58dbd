#pragma once
// A whole session filled as a run file fills it: each table's keys typed in
// order between the table's Before and Action.
#include <initializer_list>
#include <string>
#include <utility>

#include "base/question_port.h"
#include "run/session.h"

namespace tessmar::test {

using Keys = std::initializer_list<std::pair<const char*, FieldValue>>;

inline void ApplyTable(TSession& s, const std::string& key, Keys keys) {
  for (RunTable& t : s.Tables()) {
    if (t.Key != key) continue;
    if (t.Before) t.Before();
    for (const auto& [name, value] : keys) t.Model->At(name).Set(value);
    if (t.Action) t.Action();
    return;
  }
  throw std::logic_error("no table " + key);
}

// The Sod shock tube in reduced units: ideal gas (gamma 1.4, M 1), left half
// (the second material, first) rho 1, p 1; right half rho 0.125, p 0.1; left
// end fixed; external pressure pout on the right end; Loc viscosity with the
// coefficient of the example run file.
inline void SetUpSodTube(TSession& s, int cells, Real pout = 0.1L, Real viscMult = 4) {
  for (const char* eos : {"eos", "eos_left"})
    ApplyTable(s, eos, {{"EqType", std::string("Ideal gas")}, {"gamma", 1.4L}, {"AtomMass", 1.0L}});
  // Pure hydrodynamics: no heat conduction, no thermal physics.
  s.Ctx.NoConduct = true;
  s.Ctx.NoThermo = true;
  ApplyTable(s, "init",
             {{"DspcEdit", 0LL},
              {"Len", 1.0L},
              {"Dimension", static_cast<long long>(cells)},
              {"Rho0", 0.125L},
              {"RadioGroup1", std::string("Press")},
              {"Pini", 0.1L},
              {"xf", 1.0L},
              {"Pout", pout},
              {"MoveType", std::string("v0 = 0")},
              {"InitProfile", std::string("1T")},
              {"xShiftDiv", static_cast<long long>(cells / 2)},
              {"rho0l", 1.0L},
              {"T0l", 1.0L}});
  ApplyTable(s, "viscosity", {{"ViscType", std::string("Loc")}, {"ViscMult", viscMult}});
}

// The answers a batch run of the tube needs: no printing, no graph shift.
inline void QueueQuietAnswers(ScriptedQuestionPort& port, int n = 8) {
  for (int i = 0; i < n; ++i) port.QueueAnswer(Button::No);
}

}  // namespace tessmar::test
