// Floating-point failure detection, function slots and the scripted question port.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

#include "base/fp_guard.h"
#include "base/question_port.h"
#include "base/slot.h"

namespace tessmar {
namespace {

// Opaque to the optimiser, so the operations below really run at run time.
Real Opaque(Real x) {
  volatile Real v = x;
  return v;
}
// Keeps a result alive so the operation that made it is not dropped.
void Sink(Real x) {
  volatile Real v = x;
  (void)v;
}

TEST(FpGuard, ReportsEachFailureKindAndNotInexactOrUnderflow) {
  struct Case {
    const char* what;
    Real (*op)();
    bool fails;
  };
  const Case cases[] = {
      {"overflow", [] { return Opaque(1e4000L) * Opaque(1e4000L); }, true},
      {"divide by zero", [] { return Opaque(1) / Opaque(0); }, true},
      {"invalid", [] { return std::sqrt(Opaque(-1)); }, true},
      {"inexact", [] { return Opaque(1) / Opaque(3); }, false},
      {"underflow", [] { return Opaque(1e-4000L) * Opaque(1e-4000L); }, false},
  };
  for (const auto& c : cases) {
    FpGuard g;
    Sink(c.op());
    EXPECT_EQ(g.Failed(), c.fails) << c.what;
  }
}

TEST(FpGuard, InnerRegionDoesNotLeakItsFailureButKeepsTheOuterOnes) {
  FpGuard outer;
  {
    FpGuard inner;
    Sink(Opaque(1) / Opaque(0));
    EXPECT_TRUE(inner.Failed());
  }
  EXPECT_FALSE(outer.Failed());

  Sink(std::sqrt(Opaque(-1)));
  {
    FpGuard inner;
    EXPECT_FALSE(inner.Failed());
  }
  EXPECT_TRUE(outer.Failed());
}

TEST(FpGuard, GuardedEvalThrowsOnFlagsAndNonFiniteResults) {
  EXPECT_EQ(GuardedEval([] { return Opaque(2) * 3; }), 6);
  EXPECT_THROW(GuardedEval([] { return Opaque(1) / Opaque(0); }), MathError);
  // A NaN made without raising a flag is a failure too.
  EXPECT_THROW(GuardedEval([] { return std::numeric_limits<Real>::quiet_NaN(); }), MathError);
}

TEST(Slot, EmptyIsAStateAndCallingItNamesTheSlot) {
  Slot<Real(Real, Real)> s{"EosTofE"};
  EXPECT_FALSE(s);
  try {
    s(1, 2);
    FAIL();
  } catch (const SlotEmptyError& e) {
    EXPECT_NE(std::string(e.what()).find("EosTofE"), std::string::npos);
  }
  Real k = 2;
  s.Install([&k](Real a, Real b) { return k * a + b; });
  EXPECT_EQ(s(3, 1), 7);
  k = 10;  // closures read their parameters at call time
  EXPECT_EQ(s(3, 1), 31);
  Slot<Real(Real, Real)> t{"EosE"};
  t.CopyFrom(s);
  EXPECT_EQ(t(1, 0), 10);
  EXPECT_STREQ(t.Name(), "EosE");
  s.Clear();
  EXPECT_TRUE(s.Empty());
  EXPECT_FALSE(t.Empty());
}

TEST(QuestionPort, ScriptedAnswersThenSafeDefaultsAndVerbatimRecords) {
  ScriptedQuestionPort port;
  port.QueueAnswer(Button::Yes);
  EXPECT_EQ(port.Ask("Save(print) settings?", {Button::Yes, Button::No, Button::Cancel}),
            Button::Yes);
  // queue exhausted: Cancel when offered, else No, else the last button
  EXPECT_EQ(port.Ask("a", {Button::Yes, Button::No, Button::Cancel}), Button::Cancel);
  EXPECT_EQ(port.Ask("b", {Button::Yes, Button::No}), Button::No);
  EXPECT_EQ(port.Ask("c", {Button::Ok, Button::Retry}), Button::Retry);
  port.Inform("No calculated", MessageKind::Error);
  port.Notify(Sound::Exclamation);
  const std::vector<std::string> expect{"Save(print) settings?", "a", "b", "c", "No calculated"};
  EXPECT_EQ(port.Texts(), expect);
  EXPECT_EQ(port.records[4].kind, MessageKind::Error);
  ASSERT_EQ(port.sounds.size(), 1u);
  EXPECT_FALSE(port.ChooseFile({}).has_value());
}

TEST(QuestionPort, ButtonCaptionsParseBack) {
  for (Button b : {Button::Ok, Button::Cancel, Button::Yes, Button::No, Button::Retry,
                   Button::Abort, Button::Ignore, Button::YesToAll, Button::NoToAll})
    EXPECT_EQ(ParseButton(ButtonCaption(b)), b);
  EXPECT_EQ(ParseButton("yes_to_all"), Button::YesToAll);
  EXPECT_EQ(ParseButton("ok"), Button::Ok);
  EXPECT_FALSE(ParseButton("maybe").has_value());
}

}  // namespace
}  // namespace tessmar
