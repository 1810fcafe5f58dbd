#pragma once
// A small simulation with a main window for the table and file tests.

#include <string>

#include "base/question_port.h"
#include "core/hydr_stat.h"
#include "core/sim_context.h"
#include "run/main_form.h"

namespace tessmar::testing {

struct RunFixture {
  ScriptedQuestionPort port;
  SimContext ctx{&port};
  TMainForm f{ctx};

  RunFixture() {
    f.NumStr.SetPressigion(6);
    f.NumStr.SetDefaultDec(false);
    f.NumStr.SetDecSeparator('.');
  }

  // A plane 1T moving state of N cells in reduced units: h0 = 1/N, rho0 = 2,
  // ideal gas P = rho*T.
  void BuildOneT(int N, SolverClass cls = SolverClass::Caldrith) {
    ctx.SetGeometry(1);
    ctx.UnitScale = 1;
    ctx.NoMove = false;
    f.x1Edit = 1;
    f.Len = 1;
    f.Dimension = N;
    ctx.rho0 = 2;
    f.Rho0 = 2;
    ctx.L = 1;
    ctx.h0 = 1.0L / N;
    ctx.dm = ctx.h0 * ctx.rho0;
    CreateOrResizeAll(ctx, cls, N);
    THydrStat& s = *ctx.State;
    for (int i = 0; i <= N; ++i) {
      s.x[i] = i * ctx.h0;
      s.v[i] = 0.125L * i;
    }
    for (int i = 0; i < N; ++i) {
      s.T[i] = 1 + 0.5L * i;
      s.E[i] = 1.5L * s.T[i];
      s.P[i] = s.Density(i) * s.T[i];
    }
    s.P[N] = 0;
    ctx.EosP.Install([](Real T, Real rho) { return rho * T; });
    ctx.EosE.Install([](Real T, Real) { return 1.5L * T; });
    ctx.Lx0 = ctx.L;
    ctx.xGr0 = ctx.L;
  }
};

}  // namespace tessmar::testing
