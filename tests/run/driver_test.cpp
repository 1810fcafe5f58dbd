// The calculation driver: the step controller's three ways of covering the
// rest of an interval, the start-of-run rules, failures at the floor step, and
// the close query.
#include "run/driver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/hydr_stat.h"
#include "run/session_fixture.h"

namespace tessmar {
namespace {

using test::ApplyTable;
using test::QueueQuietAnswers;
using test::SetUpSodTube;

class Driver : public ::testing::Test {
 protected:
  Driver() : s(&port) {
    QueueQuietAnswers(port, 2);
    SetUpSodTube(s, 20);
    port.records.clear();
  }
  ScriptedQuestionPort port;
  TSession s;
};

TEST_F(Driver, RestOfTheIntervalIsCoveredByWholeHalfOrFinalSteps) {
  SimContext& c = s.Ctx;
  c.dtMax = 1e-3L;
  c.Running = true;
  struct Case {
    Real rest;       // TimeTarget - Time, in units of dt
    Real advance;    // expected advance of Time, in units of dt
    bool dtChanges;  // only a whole step passes its proposal on
  };
  for (const Case k : {Case{3, 1, true}, Case{1.5L, 0.75L, false}, Case{0.8L, 0.8L, false}}) {
    SCOPED_TRACE(static_cast<double>(k.rest));
    const Real dt0 = 1e-4L;
    Real dt = dt0;
    Real time = c.Time;
    const Real target = time + k.rest * dt0;
    ASSERT_EQ(StepController(s.Form, time, dt, false, target), 1);
    EXPECT_NEAR(time - c.Time, k.advance * dt0, 1e-18L);
    if (k.rest <= 0.9L) {
      EXPECT_EQ(time, target);  // ends exactly on the target
    }
    if (k.dtChanges)
      EXPECT_NE(dt, dt0);
    else
      EXPECT_EQ(dt, dt0);
    c.Time = time;
  }
}

TEST_F(Driver, EndTimeNotAheadRunsExactlyOneInterval) {
  ApplyTable(s, "run", {{"dt1", 0.01L}, {"EndTime", 0.0L}});
  EXPECT_NEAR(s.Ctx.Time, 0.01L, 1e-18L);
  EXPECT_EQ(s.Form.TotalTime, s.Ctx.Time);
  EXPECT_EQ(s.Form.Title, "Tessmar");
  EXPECT_FALSE(s.Ctx.Running);
  EXPECT_EQ(port.sounds.back(), Sound::Exclamation);
}

TEST_F(Driver, StartOfRunRules) {
  // No output interval: nothing runs, the focus goes to dt1.
  Calculate(s.Form);
  EXPECT_EQ(s.Form.Focus(), "dt1");
  EXPECT_EQ(s.Ctx.Time, 0);
  // An edited positive dtLV overrides dt1 (tUnit = L/UnitScale = 1 here);
  // a raised MnStepDiv raises StepDiv.
  ApplyTable(s, "run", {{"dtLV", 0.02L}, {"MnStepDiv", 150LL}, {"StepDiv", 100LL}});
  EXPECT_NEAR(s.Ctx.Time, 0.02L, 1e-18L);
  EXPECT_EQ(s.Form.dt1, 0.02L);
  EXPECT_GE(s.Form.StepDiv, 150);
  EXPECT_LE(s.Ctx.dtMax, 0.02L / 150);
}

TEST_F(Driver, FailureAtTheFloorStepStopsTheRun) {
  SimContext& c = s.Ctx;
  // From t = 0.015 on, the pressure cannot be evaluated: every step fails.
  c.EosP.Install([&c](Real T, Real rho) {
    return c.Time > 0.015L ? std::numeric_limits<Real>::quiet_NaN() : rho * T;
  });
  ApplyTable(s, "run", {{"dt1", 0.01L}, {"EndTime", 0.05L}});
  EXPECT_FALSE(c.Running);
  EXPECT_GT(c.Time, 0.015L);
  EXPECT_LT(c.Time, 0.02L);
  // Part of the interval was done: the run is marked stopped and the rest of
  // the interval becomes the next output interval.
  EXPECT_EQ(s.Form.EndTime, -0.05L);
  EXPECT_NEAR(s.Form.dt1, 0.02L - c.Time, 1e-15L);
  // A new run without progress at all reports it.
  c.EosP.Install([](Real, Real) { return std::numeric_limits<Real>::quiet_NaN(); });
  s.Form.EndTime = 1;
  const Real t = c.Time;
  Calculate(s.Form);
  EXPECT_EQ(c.Time, t);
  ASSERT_FALSE(port.Texts().empty());
  EXPECT_EQ(port.Texts().back(), "No calculated");
}

TEST_F(Driver, CloseQuery) {
  s.Ctx.Running = true;
  port.QueueAnswer(Button::Ok);
  EXPECT_FALSE(FormCloseQuery(s.Form));  // the run ends at its next pass first
  EXPECT_FALSE(s.Ctx.Running);
  EXPECT_EQ(port.Texts().back(), "Break calculations?");
  s.Form.Unsaved = true;
  port.QueueAnswer(Button::Cancel);
  EXPECT_FALSE(FormCloseQuery(s.Form));
  port.QueueAnswer(Button::No);
  EXPECT_TRUE(FormCloseQuery(s.Form));
  EXPECT_EQ(port.Texts().back(), "Results not saved! Save now?");
}

}  // namespace
}  // namespace tessmar
