#pragma once
// One time step of the Lagrangian hydrodynamics: the new level is implicit in
// all quantities and found by a fixed-point iteration. Each iteration is a
// pass of three parts (velocity, coordinates, energy) written into one of two
// objects (`NewState`, `IterState`) from the other, always from the accepted
// level `State`. Five convergence records judge the changes between
// successive iterates; a step that does not agree may still be accepted by
// the rules below, or by the user at the floor step.

#include <string_view>

#include "base/real.h"

namespace tessmar {

class SimContext;
class THydrStat;
struct TConvRecord;

// One iteration pass into target. notFirst = false starts a sequence (the
// convergence records are initialised instead of compared) and forces every
// part to run. w in [0, 1) relaxes each new value toward the previous
// iterate. A floating-point failure anywhere ends the pass with R = -1.
bool Pass(SimContext& ctx, THydrStat& target, const THydrStat& old, const THydrStat& prev,
          Real dt, bool linearT, Real& R, bool notFirst, bool force, Real w);

// The work pressure of the momentum equation: time-weighted pressure of the
// previous iterate and the old level plus the artificial viscosity of
// `ViscType`, into target.P; target.P[N] := Pout. Updates `ViscDuMin`.
void WorkPressure(SimContext& ctx, THydrStat& target, const THydrStat& old,
                  const THydrStat& prev);

// Compare the largest change e and the sum of squared changes d of one
// quantity with its record; raises R to the convergence ratio. True when
// 0 <= R <= 1.
bool ConvergenceTest(SimContext& ctx, std::string_view name, TConvRecord& rec, Real e, Real d,
                     bool notFirst, Real& R);

// Re-derive the scales of the five records at the start of a step from the
// old level and the first pass.
void ScaleRecords(SimContext& ctx, Real dt);

// Advance `NewState` to Time + dt. True when the new level is accepted; dt
// then holds the proposed next step length.
bool TryStep(SimContext& ctx, Real& dt, bool linearT);

// Append text to the iteration trace while tracing is on.
void TraceWrite(SimContext& ctx, std::string_view text);

}  // namespace tessmar
