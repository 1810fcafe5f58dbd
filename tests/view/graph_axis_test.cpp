#include "view/graph_axis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "view/recording_canvas.h"

namespace tessmar {
namespace {

// A horizontal axis 200 pixels long with ticks pointing down.
TGraphAxis Horizontal(Real a, Real b, int labels, bool logAllowed = false) {
  TGraphAxis axis;
  axis.LabelSlots = labels + 1;
  axis.LogAllowed = logAllowed;
  axis.Place({50, 200}, {250, 200}, 5);
  axis.SetRange(a, b);
  axis.Layout();
  return axis;
}

std::vector<std::string> Texts(const TGraphAxis& axis, const std::vector<Real>& values) {
  std::vector<std::string> out;
  for (Real v : values) out.push_back(axis.LabelText(v));
  return out;
}

struct LinearCase {
  const char* name;
  Real a, b;
  int labels;
  std::int64_t decimal;
  Real step, minor;
  const char* format;
  std::vector<std::string> inner;
  std::string unit;
};

TEST(GraphAxisTicks, LinearLayouts) {
  const LinearCase cases[] = {
      // r = 0.2, s = 0.015: D = 10, Y = 2 -> m = 2
      {"unit interval", 0, 1, 5, 10, 2, 0.1L, "%.1f", {"0.2", "0.4", "0.6", "0.8"}, "0.0"},
      // r = 200, s = 15: P = 100, Y = 2 -> every 200
      {"thousand", 0, 1000, 5, 1, 200, 100, "%.0f", {"200", "400", "600", "800"}, "0"},
      // Given high end first: the low extreme is labelled, the high one carries the units.
      {"unit interval high first",
       1,
       0,
       5,
       10,
       2,
       0.1L,
       "%.1f",
       {"0.0", "0.2", "0.4", "0.6", "0.8"},
       "1.0"},
      // s = 0.105 >= 0.1: P = 1, Y = 1 -> m = 2
      {"seven", 0, 7, 5, 1, 2, 1, "%.0f", {"2", "4"}, "0"},
      // P = 10^4 > 1000: significant digits from max/P
      {"large", 1e5L, 0, 5, 1, 2e4L, 1e4L, "%.1g", {"0", "2E4", "4E4", "6E4", "8E4"}, "1E5"},
      // n = 8 > 5 decimals: general format
      {"tiny", 2e-7L, 0, 5, 100000000, 5, 1e-8L, "%g", {"0", "5E-8", "1E-7", "1.5E-7"}, "2E-7"},
      // Y = 9 -> m = 1 and one decimal less
      {"narrow",
       0.6L,
       0,
       5,
       10,
       1,
       0.05L,
       "%.1f",
       {"0.0", "0.1", "0.2", "0.3", "0.4", "0.5"},
       "0.6"},
      // A range given in binary (1.2 is 1.1999...) still reaches its last label.
      {"binary ends", 1.2, 0.2, 5, 10, 2, 0.1L, "%.1f", {"0.2", "0.4", "0.6", "0.8", "1.0"}, "1.2"},
  };
  for (const LinearCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TGraphAxis axis = Horizontal(c.a, c.b, c.labels);
    EXPECT_FALSE(axis.Log);
    EXPECT_EQ(axis.Decimal, c.decimal);
    EXPECT_EQ(axis.Step, c.step);
    EXPECT_NEAR(static_cast<double>(axis.Minor), static_cast<double>(c.minor),
                1e-12 * static_cast<double>(c.minor));
    EXPECT_EQ(axis.Format, c.format);
    Real unit = 0;
    EXPECT_EQ(Texts(axis, axis.LabelValues(&unit)), c.inner);
    EXPECT_EQ(axis.LabelText(unit), c.unit);
  }
}

TEST(GraphAxisTicks, MinorTicksOfUnitInterval) {
  const TGraphAxis axis = Horizontal(1, 0, 5);
  const std::vector<Real> minor = axis.MinorValues();
  ASSERT_EQ(minor.size(), 11u);
  for (std::size_t k = 0; k < minor.size(); ++k)
    EXPECT_NEAR(static_cast<double>(minor[k]), 0.1 * static_cast<double>(k), 1e-15);
}

TEST(GraphAxisTicks, EqualEndsHaveNoScaleAndOneLabelAtTheMidpoint) {
  TGraphAxis axis = Horizontal(3, 3, 5);
  axis.Units = " cm";
  EXPECT_FALSE(axis.HasScale());
  EXPECT_EQ(axis.Decimal, 0);
  EXPECT_EQ(axis.Format, "%g");
  EXPECT_EQ(axis.ValueToPixel(-7), (TPoint{150, 200}));
  EXPECT_EQ(axis.ValueToPixel(3), (TPoint{150, 200}));
  EXPECT_EQ(axis.PixelToValue(60), 3);
  EXPECT_TRUE(axis.MinorValues().empty());
  testing::TRecordingCanvas canvas(350, 250);
  const std::vector<TAxisLabel> labels = axis.PlaceLabels(canvas);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(labels[0].At, (TPoint{150, 200}));
  EXPECT_EQ(labels[0].Text, "3");
  EXPECT_EQ(labels[0].Units, " cm");
}

TEST(GraphAxisTicks, FewLabelSlotsLabelOnlyTheEnds) {
  TGraphAxis axis = Horizontal(10, 2, 1);
  EXPECT_EQ(axis.Decimal, 0);
  Real unit = 0;
  EXPECT_EQ(axis.LabelValues(&unit), std::vector<Real>{2});
  EXPECT_EQ(unit, 10);
}

struct LogCase {
  const char* name;
  Real a, b;
  int labels;
  std::int64_t decimal;
  const char* format;
  std::vector<std::string> inner;
  std::string unit;
  std::size_t minorCount;
};

TEST(GraphAxisTicks, LogarithmicLayouts) {
  const LogCase cases[] = {
      // 5 decades for 5 labels: one label a decade, ticks at 2..9 in each decade
      {"label a decade", 1e5L, 1, 5, 10, "%.1g", {"1", "1E1", "1E2", "1E3", "1E4"}, "1E5", 40},
      // 12 decades: a label every 2 decades, a tick at each decade
      {"every second decade",
       1e12L,
       1,
       5,
       100,
       "%.1e",
       {"1.0E0", "1.0E2", "1.0E4", "1.0E6", "1.0E8", "1.0E10"},
       "1.0E12",
       13},
      // 3 decades for 10 labels: three labels a decade (1, 2, 5)
      {"three a decade",
       1000,
       1,
       10,
       10,
       "%.1g",
       {"1", "2", "5", "1E1", "2E1", "5E1", "1E2", "2E2", "5E2"},
       "1E3",
       24},
      // 1.2 decades for 7 labels: six a decade, ticks also at 1.1..1.9; the
      // partial decade at the top keeps only what lies inside the range
      {"six a decade", 16, 1, 7, 10, "%.2g", {"1", "1.5", "2", "3", "5", "7", "10"}, "15", 23},
      // negative ranges mirror the positive ones
      {"negative", -1, -1e5L, 5, 10, "%.1g", {"-1E5", "-1E4", "-1E3", "-1E2", "-1E1"}, "-1", 40},
  };
  for (const LogCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TGraphAxis axis = Horizontal(c.a, c.b, c.labels, true);
    ASSERT_TRUE(axis.Log);
    EXPECT_EQ(axis.Decimal, c.decimal);
    EXPECT_EQ(axis.Format, c.format);
    Real unit = 0;
    EXPECT_EQ(Texts(axis, axis.LabelValues(&unit)), c.inner);
    EXPECT_EQ(axis.LabelText(unit), c.unit);
    EXPECT_EQ(axis.MinorValues().size(), c.minorCount);
  }
}

TEST(GraphAxisTicks, LogScaleOnlyWhenAllowedAndOfOneSign) {
  EXPECT_FALSE(Horizontal(1e5L, 1, 5, false).Log);
  EXPECT_FALSE(Horizontal(1e5L, -1, 5, true).Log);
  EXPECT_FALSE(Horizontal(1e5L, 0, 5, true).Log);
  // 0.7 decades * 7 < 6 slots: linear
  EXPECT_FALSE(Horizontal(5, 1, 5, true).Log);
}

struct PixelCase {
  const char* name;
  Real a, b;
  bool logAllowed;
};

TEST(GraphAxisPixels, EveryPixelOfTheAxisRoundTrips) {
  const PixelCase cases[] = {{"linear", 10, 0, false},        {"reversed", 0, 10, false},
                             {"negative", -3, -250, false},   {"log", 1e4L, 1, true},
                             {"log reversed", 1, 1e4L, true}, {"log negative", -1e-6L, -1, true}};
  for (const PixelCase& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool vertical : {false, true}) {
      TGraphAxis axis;
      axis.LogAllowed = c.logAllowed;
      if (vertical)
        axis.Place({50, 230}, {50, 10}, -5);
      else
        axis.Place({50, 230}, {280, 230}, 5);
      axis.SetRange(c.a, c.b);
      EXPECT_EQ(axis.Log, c.logAllowed);
      // a at End, b at Start
      EXPECT_EQ(axis.ValueToPixel(c.a), axis.End);
      EXPECT_EQ(axis.ValueToPixel(c.b), axis.Start);
      const int from = vertical ? 10 : 50, to = vertical ? 230 : 280;
      for (int p = from; p <= to; ++p) {
        const Real v = axis.PixelToValue(p);
        const TPoint q = axis.ValueToPixel(v);
        ASSERT_EQ(vertical ? q.y : q.x, p) << "value " << static_cast<double>(v);
      }
    }
  }
}

TEST(GraphAxisPixels, PointsOutsideTheRangeAreClamped) {
  const TGraphAxis lin = Horizontal(10, 0, 5);
  EXPECT_EQ(lin.ValueToPixel(0), (TPoint{50, 200}));
  EXPECT_EQ(lin.ValueToPixel(10), (TPoint{250, 200}));
  EXPECT_EQ(lin.ValueToPixel(5), (TPoint{150, 200}));
  EXPECT_EQ(lin.ValueToPixel(1e30L), (TPoint{250, 200}));
  EXPECT_EQ(lin.ValueToPixel(-1e30L), (TPoint{50, 200}));
  EXPECT_EQ(lin.ValueToPixel(std::numeric_limits<Real>::infinity()), (TPoint{250, 200}));
  EXPECT_EQ(lin.ValueToPixel(std::numeric_limits<Real>::quiet_NaN()), (TPoint{50, 200}));
  EXPECT_EQ(lin.PixelToValue(150), 5);
  // A log axis never takes the logarithm of zero or of the other sign.
  const TGraphAxis log = Horizontal(1e4L, 1, 5, true);
  ASSERT_TRUE(log.Log);
  EXPECT_EQ(log.ValueToPixel(0), (TPoint{50, 200}));
  EXPECT_EQ(log.ValueToPixel(-5), (TPoint{50, 200}));
  EXPECT_EQ(log.ValueToPixel(100), (TPoint{150, 200}));
}

TEST(GraphAxisPixels, WideningOnlyWhenTheEndPixelMoves) {
  TGraphAxis axis = Horizontal(10, 0, 5);  // 20 pixels per unit
  EXPECT_FALSE(axis.Widen(5));
  EXPECT_FALSE(axis.Widen(10.01L));  // still the end pixel
  EXPECT_FALSE(axis.Widen(std::numeric_limits<Real>::quiet_NaN()));
  EXPECT_FALSE(axis.Widen(std::numeric_limits<Real>::infinity()));
  EXPECT_EQ(axis.Max, 10);
  EXPECT_TRUE(axis.Widen(12));
  EXPECT_EQ(axis.Max, 12);
  EXPECT_TRUE(axis.Reversed);
  EXPECT_EQ(axis.ValueToPixel(12), axis.End);
  EXPECT_TRUE(axis.Dirty);
  EXPECT_TRUE(axis.Widen(-1));
  EXPECT_EQ(axis.Min, -1);
  EXPECT_EQ(axis.ValueToPixel(-1), axis.Start);

  TGraphAxis flat = Horizontal(0, 0, 5);
  EXPECT_TRUE(flat.Widen(1e-9L));  // any new value gives a flat range its scale
  EXPECT_TRUE(flat.HasScale());
  EXPECT_EQ(flat.Max, 1e-9L);
}

TEST(GraphAxisLabels, ExponentCleaning) {
  const struct {
    const char* in;
    const char* format;
    const char* out;
  } cases[] = {
      {"1.0E+005", "%.1e", "1.0E5"},   {"1,0E+005", "%.1e", "1E5"}, {"2.5E-007", "%.1e", "2.5E-7"},
      {"-1,0E-010", "%.1e", "-1E-10"}, {"1E+000", "%g", "1E0"},     {"1,0E+005", "%.2g", "1,0E5"},
      {"1.5E+300", "%.2g", "1.5E300"}, {"12.5", "%g", "12.5"},      {"1.0E", "%g", "1.0E"},
      {"3,0E+002", "%.1e", "3,0E2"},
  };
  for (const auto& c : cases) EXPECT_EQ(CleanExponent(c.in, c.format), c.out) << c.in;
}

TEST(GraphAxisLabels, FormattedNumbers) {
  const struct {
    const char* format;
    Real v;
    char sep;
    const char* out;
  } cases[] = {
      {"%.1e", 1e5L, '.', "1.0E5"},
      {"%.1e", 1e5L, ',', "1E5"},
      {"%.1e", 2.5e-7L, '.', "2.5E-7"},
      {"%.1e", 2.5e-7L, ',', "2,5E-7"},
      {"%.1f", -0.04L, '.', "0.0"},
      {"%.0f", 200, '.', "200"},
      {"%.1f", 0.5L, ',', "0,5"},
      {"%g", 0.3L, '.', "0.3"},
      {"%g", 1.00000012L, '.', "1.00000012"},
      {"%.2g", 1500, '.', "1.5E3"},
      {"%.3f", -0.25L, '.', "-0.250"},
      {"%g", -0.0L, '.', "0"},
      {"%.1g", 3e-3L, '.', "0.003"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatLabel(c.format, c.v, c.sep), c.out)
        << c.format << " " << static_cast<double>(c.v);
}

TEST(GraphAxisLabels, PlacementFollowsTheTickAndStaysInside) {
  testing::TRecordingCanvas canvas(350, 250);  // 6 pixels a character, 13 high
  // Vertical axis, ticks to the left: right-aligned, centred on the tick, the
  // unit text before the number.
  TGraphAxis y;
  y.LabelSlots = 6;
  y.Units = "GPa ";
  y.Place({50, 205}, {50, 5}, -5);
  y.SetRange(1, 0);
  y.Layout();
  const std::vector<TAxisLabel> ly = y.PlaceLabels(canvas);
  ASSERT_EQ(ly.size(), 6u);
  EXPECT_EQ(ly[1].Text, "0.2");
  EXPECT_EQ(ly[1].At, (TPoint{50, 165}));
  EXPECT_EQ(ly[1].TickEnd, (TPoint{45, 165}));
  EXPECT_EQ(ly[1].TextPos, (TPoint{45 - 18, 165 - 6}));
  const TAxisLabel& unitY = ly.back();
  EXPECT_TRUE(unitY.IsUnitLabel);
  EXPECT_EQ(unitY.Text, "GPa 1.0");
  EXPECT_EQ(unitY.TextPos, (TPoint{45 - 42, 0}));  // raised into the picture

  // Horizontal axis, ticks down: centred below the tick; the unit text follows
  // the number.
  TGraphAxis x;
  x.LabelSlots = 6;
  x.Units = " nm";
  x.Place({50, 205}, {330, 205}, 5);
  x.SetRange(1000, 0);
  x.Layout();
  const std::vector<TAxisLabel> lx = x.PlaceLabels(canvas);
  ASSERT_EQ(lx.size(), 6u);
  EXPECT_EQ(lx[0].Text, "0");
  EXPECT_EQ(lx[0].TextPos, (TPoint{50 - 3, 210}));
  const TAxisLabel& unitX = lx.back();
  EXPECT_EQ(unitX.Text, "1000");
  EXPECT_EQ(unitX.Units, " nm");
  // centred would end at 330 + 12 + 18 = 360 > 350: moved left into the picture
  EXPECT_EQ(unitX.TextPos, (TPoint{350 - 42, 210}));
}

TEST(GraphAxisLabels, CrowdedLabelsAreDroppedNotOverlapped) {
  testing::TRecordingCanvas canvas(350, 250);
  TGraphAxis x;
  x.LabelSlots = 6;
  x.Units = " nm";
  x.Place({50, 205}, {110, 205}, 5);  // 60 pixels for labels 30 pixels wide
  x.SetRange(100000, 99000);
  x.Layout();
  const std::vector<TAxisLabel> labels = x.PlaceLabels(canvas);
  ASSERT_FALSE(labels.empty());
  EXPECT_TRUE(labels.back().IsUnitLabel);
  for (std::size_t i = 0; i < labels.size(); ++i)
    for (std::size_t j = i + 1; j < labels.size(); ++j) {
      const int wi = canvas.TextExtent(labels[i].Text + labels[i].Units).x;
      EXPECT_TRUE(labels[i].TextPos.x + wi <= labels[j].TextPos.x ||
                  labels[j].TextPos.x + canvas.TextExtent(labels[j].Text + labels[j].Units).x <=
                      labels[i].TextPos.x)
          << labels[i].Text << " / " << labels[j].Text;
    }
}

TEST(GraphAxisLabels, DrawPutsMinorTicksLabelsAndTheLine) {
  testing::TRecordingCanvas canvas(350, 250);
  TGraphAxis x;
  x.LabelSlots = 6;
  x.Units = " nm";
  x.Place({50, 205}, {250, 205}, 4);
  x.SetRange(1, 0);
  x.Draw(canvas);
  EXPECT_FALSE(x.Dirty);
  // 11 minor ticks of 3 pixels, 6 labelled ticks of 4, then the axis line
  ASSERT_EQ(canvas.Lines.size(), 18u);
  EXPECT_EQ(canvas.Lines[0].From, (TPoint{50, 205}));
  EXPECT_EQ(canvas.Lines[0].To, (TPoint{50, 208}));
  EXPECT_EQ(canvas.Lines[11].To, (TPoint{50, 209}));
  EXPECT_EQ(canvas.Lines.back().From, (TPoint{50, 205}));
  EXPECT_EQ(canvas.Lines.back().To, (TPoint{250, 205}));
  ASSERT_EQ(canvas.Texts.size(), 7u);  // six numbers and the unit text
  EXPECT_EQ(canvas.Texts[5].Text, "1.0");
  EXPECT_EQ(canvas.Texts[6].Text, " nm");
  EXPECT_EQ(canvas.Texts[6].Pos.x, canvas.Texts[5].Pos.x + 18);
}

}  // namespace
}  // namespace tessmar
