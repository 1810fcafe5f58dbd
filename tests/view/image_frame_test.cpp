#include "view/image_frame.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "view/picture_files.h"
#include "view/recording_canvas.h"

namespace tessmar {
namespace {

using testing::TRecordedText;
using testing::TRecordingCanvas;

constexpr TColor kRed{255, 0, 0};
constexpr TColor kGreen{0, 128, 0};
constexpr TColor kBlue{0, 0, 255};

// A frame on a recording canvas; `cairo` draws through Cairo underneath.
std::pair<std::unique_ptr<TImageFrame>, TRecordingCanvas*> MakeFrame(int w, int h, bool cairo) {
  auto canvas = std::make_unique<TRecordingCanvas>(w, h, cairo ? MakeCanvas(w, h) : nullptr);
  TRecordingCanvas* raw = canvas.get();
  return {std::make_unique<TImageFrame>(std::move(canvas)), raw};
}

bool Overlap(const TRecordedText& a, const TRecordedText& b) {
  return a.Pos.x < b.Pos.x + b.Size.x && b.Pos.x < a.Pos.x + a.Size.x &&
         a.Pos.y < b.Pos.y + b.Size.y && b.Pos.y < a.Pos.y + a.Size.y;
}

struct LayoutCase {
  int w, h, right, bottom;
};

// The frames of the main window: tick 5, left 50, top 5 and the right and bottom
// bounds given either way round, on the small and the large picture.
TEST(ImageFrameLayout, MainWindowFramesKeepEverythingInsideAndApart) {
  const LayoutCase cases[] = {
      {350, 250, 280, 250}, {350, 250, 250, 280}, {600, 520, 550, 505}, {560, 560, 505, 550}};
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " right " +
                 std::to_string(c.right) + " bottom " + std::to_string(c.bottom));
    auto [frame, canvas] = MakeFrame(c.w, c.h, true);
    frame->SetLine(kRed, "Te", 1, 2, false);
    frame->SetLine(kGreen, "Ti", 2, 2, false);
    frame->SetupAxes(50, 5, " K", 5, false, 12000, 300, 0, " nm", 5, false, 0, 150, 0, 5, c.right,
                     c.bottom);
    EXPECT_TRUE(frame->Visible);
    EXPECT_TRUE(frame->ReadOut);
    EXPECT_EQ(frame->Count, -1);
    for (Real x = 0; x <= 150; x += 10) {
      const Real t = 12000 - 75 * x;
      frame->AddPoint(std::vector<Real>{x, t, x < 140 ? t / 2 : t});  // equal at the end
    }
    frame->Redraw();

    const TGraphAxis& xa = frame->Axes[0];
    const TGraphAxis& ya = frame->Axes[1];
    // The axes enclose the plot rectangle from its lower left corner.
    EXPECT_EQ(xa.Start, ya.Start);
    EXPECT_EQ(xa.Start.x, 50);
    EXPECT_EQ(ya.End.y, 5);
    EXPECT_EQ(xa.End.y, xa.Start.y);
    EXPECT_EQ(ya.End.x, ya.Start.x);
    EXPECT_LE(xa.End.x, std::min(c.right, c.w - 1));
    EXPECT_GT(xa.End.x, c.w / 2);
    EXPECT_GT(xa.Start.y, c.h * 2 / 3);
    // Ticks point outwards: down from the abscissa, left from the ordinate.
    EXPECT_GT(xa.Tick.y, 0);
    EXPECT_LT(ya.Tick.x, 0);
    // Every text inside the picture, none covering another.
    const std::vector<TRecordedText>& texts = canvas->Texts;
    ASSERT_GE(texts.size(), 12u);
    for (const TRecordedText& t : texts) {
      EXPECT_GE(t.Pos.x, 0) << t.Text;
      EXPECT_GE(t.Pos.y, 0) << t.Text;
      EXPECT_LE(t.Pos.x + t.Size.x, c.w) << t.Text;
      EXPECT_LE(t.Pos.y + t.Size.y, c.h) << t.Text;
    }
    for (std::size_t i = 0; i < texts.size(); ++i)
      for (std::size_t j = i + 1; j < texts.size(); ++j)
        EXPECT_FALSE(Overlap(texts[i], texts[j])) << texts[i].Text << " / " << texts[j].Text;
    // The unit texts are written.
    bool nm = false, kelvin = false;
    for (const TRecordedText& t : texts) {
      nm = nm || t.Text.find("nm") != std::string::npos;
      kelvin = kelvin || t.Text.find('K') != std::string::npos;
    }
    EXPECT_TRUE(nm);
    EXPECT_TRUE(kelvin);
    // Curves stay inside the axes.
    for (const auto& l : canvas->Lines) {
      if (!(l.Color == kRed || l.Color == kGreen)) continue;
      for (TPoint p : {l.From, l.To}) {
        if (p.x > xa.End.x) continue;  // a curve label's stroke
        EXPECT_GE(p.x, xa.Start.x);
        EXPECT_LE(p.y, xa.Start.y);
        EXPECT_GE(p.y, ya.End.y);
      }
    }
  }
}

TEST(ImageFrameLayout, PlacementThroughZeroAndOnTheHighSide) {
  auto [frame, canvas] = MakeFrame(350, 250, false);
  // Abscissa through y = 0, ordinate on the right.
  frame->SetupAxes(50, 5, " v", 5, false, 2, -2, 1, " nm", 5, false, 0, 100, 2, 5, 280, 250);
  const TGraphAxis& xa = frame->Axes[0];
  const TGraphAxis& ya = frame->Axes[1];
  EXPECT_EQ(xa.Start.y, ya.ValueToPixel(0).y);
  EXPECT_EQ(ya.Start.x, 280);
  EXPECT_GT(ya.Tick.x, 0);  // to the right, away from the plot
  EXPECT_EQ(ya.AlignX, 0);
  // Abscissa on top: ticks and labels above it, inside the picture.
  auto [top, topCanvas] = MakeFrame(350, 250, false);
  top->SetupAxes(50, 0, " v", 5, false, 2, -2, 0, " nm", 5, false, 0, 100, 1, 5, 280, 250);
  EXPECT_LT(top->Axes[0].Tick.y, 0);
  EXPECT_EQ(top->Axes[0].AlignY, 1);
  for (const TRecordedText& t : topCanvas->Texts) EXPECT_GE(t.Pos.y, 0) << t.Text;
}

TEST(ImageFrameReadOut, TextInDataUnitsOnlyWithScales) {
  auto [frame, canvas] = MakeFrame(350, 250, false);
  frame->SetupAxes(50, 5, " P", 5, false, 100, 0, 0, " x", 5, false, 0, 10, 0, 5, 250, 205);
  // x: 50..250 for 0..10; y: 205..5 for 0..100 (the bottom was raised to 230 at most)
  ASSERT_EQ(frame->Axes[0].End.x, 250);
  ASSERT_EQ(frame->Axes[1].Start.y, 205);
  EXPECT_EQ(frame->ReadOutText(150, 105), "(150, 105) : (5, 50)");
  EXPECT_EQ(frame->ReadOutText(51, 6), "(51, 6) : (0.05, 99.5)");
  EXPECT_EQ(frame->ReadOutText(-20, 300), "(-20, 300) : (-3.5, -47.5)");

  auto [flat, flatCanvas] = MakeFrame(350, 250, false);
  flat->SetupAxes(50, 5, " P", 5, false, 7, 7, 0, " x", 5, false, 0, 10, 0, 5, 250, 205);
  EXPECT_FALSE(flat->ReadOut);
  EXPECT_EQ(flat->ReadOutText(150, 105), "");
}

TEST(ImageFrameLines, SetLineGrowsAndTakesTheNextFreeIndex) {
  auto [frame, canvas] = MakeFrame(350, 250, false);
  EXPECT_EQ(frame->SetLine(kRed, "a", 0, 3, false), 1);
  EXPECT_EQ(frame->Lines.size(), 4u);
  EXPECT_EQ(frame->SetLine(kGreen, "b", -1, 0, true), 2);
  EXPECT_EQ(frame->SetLine(kBlue, "c", 3, 0, false), 3);
  EXPECT_EQ(frame->SetLine(kBlue, "d", 0, 0, false), 4);
  ASSERT_EQ(frame->Lines.size(), 5u);
  EXPECT_EQ(frame->Lines[2].Label, "b");
  EXPECT_TRUE(frame->Lines[2].LabelAtStart);
  EXPECT_EQ(frame->Lines[2].Color, kGreen);
  EXPECT_TRUE(frame->Lines[4].Data.empty());
  // After the lines are cleared the count starts again at 1.
  frame->Lines.clear();
  EXPECT_EQ(frame->SetLine(kRed, "e", 0, 2, false), 1);
  EXPECT_EQ(frame->Lines.size(), 3u);
}

class AddPointTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto made = MakeFrame(350, 250, false);
    frame = std::move(made.first);
    canvas = made.second;
    frame->SetLine(kRed, "", 1, 1, false);
    // x 0..10 on 50..250, y 0..1 on 205..5
    frame->SetupAxes(50, 5, " y", 5, false, 1, 0, 0, " t", 5, false, 0, 10, 0, 5, 250, 205);
    canvas->Forget();
  }
  std::vector<testing::TRecordedLine> Curve() const {
    std::vector<testing::TRecordedLine> out;
    for (const auto& l : canvas->Lines)
      if (l.Color == kRed) out.push_back(l);
    return out;
  }
  std::unique_ptr<TImageFrame> frame;
  TRecordingCanvas* canvas = nullptr;
};

TEST_F(AddPointTest, InsideTheRangesOnlyTheNewSegmentIsDrawn) {
  EXPECT_FALSE(frame->AddPoint(std::vector<Real>{1, 0.5L}, 10));
  EXPECT_EQ(frame->Count, 0);
  EXPECT_EQ(frame->Lines[0].Data.size(), 11u);  // Count + reserve + 1
  EXPECT_TRUE(Curve().empty());
  EXPECT_FALSE(frame->AddPoint(std::vector<Real>{2, 0.75L}, 10));
  EXPECT_EQ(canvas->Clears, 0);
  const auto curve = Curve();
  ASSERT_EQ(curve.size(), 1u);
  EXPECT_EQ(curve[0].From, (TPoint{70, 105}));
  EXPECT_EQ(curve[0].To, (TPoint{90, 55}));
  // Just beyond the end but on its pixel: no widening.
  EXPECT_FALSE(frame->AddPoint(std::vector<Real>{10.01L, 1.001L}, 10));
  EXPECT_EQ(frame->Axes[0].Max, 10);
  EXPECT_EQ(frame->Axes[1].Max, 1);
  EXPECT_EQ(frame->Lines[1].Data.size(), 13u);
}

TEST_F(AddPointTest, AWideningRedrawsEverything) {
  frame->AddPoint(std::vector<Real>{1, 0.5L});
  frame->AddPoint(std::vector<Real>{2, 0.75L});
  canvas->Forget();
  EXPECT_TRUE(frame->AddPoint(std::vector<Real>{3, 2}));
  EXPECT_EQ(canvas->Clears, 1);
  EXPECT_EQ(frame->Axes[1].Max, 2);
  EXPECT_EQ(frame->Axes[1].ValueToPixel(2), frame->Axes[1].End);
  // the whole curve again, on the new scale
  const auto curve = Curve();
  ASSERT_EQ(curve.size(), 2u);
  EXPECT_EQ(curve[0].From, (TPoint{70, 155}));
  EXPECT_EQ(curve[1].To, (TPoint{110, 5}));
  EXPECT_FALSE(canvas->Texts.empty());  // labels drawn again
  // the abscissa widens too, keeping its orientation
  EXPECT_TRUE(frame->AddPoint(std::vector<Real>{20, 1}));
  EXPECT_EQ(frame->Axes[0].Max, 20);
  EXPECT_EQ(frame->Axes[0].ValueToPixel(20), frame->Axes[0].End);
}

TEST_F(AddPointTest, FixedRangesClampPointsToTheAxes) {
  frame->FixedRanges = true;
  frame->AddPoint(std::vector<Real>{5, 0.5L});
  EXPECT_FALSE(frame->AddPoint(std::vector<Real>{30, -4}));
  EXPECT_EQ(frame->Axes[1].Min, 0);
  const auto curve = Curve();
  ASSERT_EQ(curve.size(), 1u);
  EXPECT_EQ(curve[0].To, (TPoint{250, 205}));
}

TEST_F(AddPointTest, AFlatHistoryGetsItsScaleFromTheFirstChange) {
  auto [flat, flatCanvas] = MakeFrame(350, 250, false);
  flat->SetLine(kRed, "E", 1, 1, false);
  flat->SetupAxes(50, 5, " E", 5, false, 0, 0, 0, " t", 5, false, 0, 0, 0, 5, 250, 205);
  EXPECT_FALSE(flat->ReadOut);
  flat->AddPoint(std::vector<Real>{0, 0});
  EXPECT_FALSE(flat->ReadOut);
  EXPECT_TRUE(flat->AddPoint(std::vector<Real>{1e-12L, 3.5L}));
  EXPECT_TRUE(flat->ReadOut);
  EXPECT_EQ(flat->Axes[0].Max, 1e-12L);
  EXPECT_EQ(flat->Axes[1].Max, 3.5L);
}

TEST_F(AddPointTest, MissingValuesBreakTheCurve) {
  frame->SetLine(kBlue, "", 2, 2, false);
  const Real nan = std::numeric_limits<Real>::quiet_NaN();
  frame->AddPoint(std::vector<Real>{1, 0.1L, 0.2L});
  frame->AddPoint(std::vector<Real>{2, nan, 0.3L});
  frame->AddPoint(std::vector<Real>{3, 0.3L});  // no value for line 2
  frame->AddPoint(std::vector<Real>{4, 0.4L, 0.5L});
  EXPECT_EQ(frame->Axes[1].Max, 1);  // NaN widens nothing
  for (bool redrawn : {false, true}) {
    SCOPED_TRACE(redrawn ? "redrawn" : "drawn point by point");
    if (redrawn) frame->Redraw();
    EXPECT_EQ(Curve().size(), 1u);  // only 3 -> 4
    int blue = 0;
    for (const auto& l : canvas->Lines) blue += l.Color == kBlue;
    EXPECT_EQ(blue, 1);  // only 1 -> 2
  }
}

TEST_F(AddPointTest, PointColoursColourTheSegmentEndingThere) {
  for (Real x : {0, 1, 2, 3}) frame->AddPoint(std::vector<Real>{x, x / 4});
  frame->Lines[1].PointColors = {kBlue, kGreen, kBlue};  // the last segment keeps the line colour
  frame->Redraw();
  std::vector<TColor> segments;
  for (const auto& l : canvas->Lines)
    if ((l.Color == kRed || l.Color == kBlue || l.Color == kGreen) && l.From.x >= 50 &&
        l.To.x > l.From.x && l.From.y != l.To.y)
      segments.push_back(l.Color);
  EXPECT_EQ(segments, (std::vector<TColor>{kGreen, kBlue, kRed}));
}

TEST(ImageFrameCurveLabels, AtTheStartOnTheLeftAndAtTheEndOnTheRight) {
  auto [frame, canvas] = MakeFrame(350, 250, false);
  frame->SetLine(kRed, "Pe", 1, 3, true);
  frame->SetLine(kGreen, "Pi", 2, 3, false);
  frame->SetLine(kBlue, "Sxx", 3, 3, false);
  frame->SetupAxes(50, 5, " GPa", 5, false, 1, 0, 0, " nm", 5, false, 0, 10, 0, 5, 250, 205);
  frame->AddPoint(std::vector<Real>{0, 0.5L, 0.25L, 0.25L});
  frame->AddPoint(std::vector<Real>{10, 1, 0.5L, 0.5L});
  const std::vector<TCurveLabel> labels = frame->PlaceCurveLabels(frame->Lines, frame->Count);
  ASSERT_EQ(labels.size(), 3u);
  // Pe: at the first point, stroke of 2*5 pixels to the left, text right-aligned
  EXPECT_EQ(labels[0].StrokeFrom, (TPoint{50, 105}));
  EXPECT_EQ(labels[0].StrokeTo, (TPoint{40, 105}));
  EXPECT_EQ(labels[0].TextPos, (TPoint{40 - 1 - 12, 105 - 6}));
  // Pi: at the last point, stroke to the right, text left-aligned
  EXPECT_EQ(labels[1].StrokeFrom, (TPoint{250, 105}));
  EXPECT_EQ(labels[1].StrokeTo, (TPoint{260, 105}));
  EXPECT_EQ(labels[1].TextPos, (TPoint{261, 99}));
  // Sxx ends where Pi ends: its text goes below, its stroke leads to it
  EXPECT_EQ(labels[2].StrokeFrom, (TPoint{250, 105}));
  EXPECT_EQ(labels[2].TextPos, (TPoint{261, 99 + 13}));
  EXPECT_EQ(labels[2].StrokeTo, (TPoint{260, 112 + 6}));
  // drawn in the curve's colour
  frame->Redraw();
  int found = 0;
  for (const TRecordedText& t : canvas->Texts)
    if (t.Text == "Sxx") found += t.Color == kBlue && t.Pos == labels[2].TextPos;
  EXPECT_EQ(found, 1);
}

TEST(ImageFrameCurveLabels, CrowdedLabelsAtTheBottomStayInsideAndApart) {
  auto [frame, canvas] = MakeFrame(350, 250, false);
  for (int i = 1; i <= 4; ++i) frame->SetLine(kRed, "L" + std::to_string(i), i, 4, false);
  frame->SetupAxes(50, 5, " y", 5, false, 1, 0, 0, " x", 5, false, 0, 1, 0, 5, 280, 250);
  frame->AddPoint(std::vector<Real>{0, 0, 0, 0, 0});
  frame->AddPoint(std::vector<Real>{1, 0, 0, 0, 0});
  frame->Redraw();
  // the four labels and every axis text: inside the picture, none covering another
  const std::vector<TRecordedText>& texts = canvas->Texts;
  ASSERT_GE(texts.size(), 4u + 7u);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_GE(texts[i].Pos.y, 0);
    EXPECT_LE(texts[i].Pos.y + texts[i].Size.y, 250);
    for (std::size_t j = i + 1; j < texts.size(); ++j)
      EXPECT_FALSE(Overlap(texts[i], texts[j])) << texts[i].Text << " / " << texts[j].Text;
  }
}

TEST(ImageFrameDrawing, TheCairoPictureShowsAxesAndCurve) {
  TImageFrame frame;  // 350 x 250 through MakeCanvas
  EXPECT_EQ(frame.Image->Width(), 350);
  EXPECT_EQ(frame.Image->Height(), 250);
  frame.SetLine(kRed, "", 1, 1, false);
  frame.SetupAxes(50, 5, " y", 5, false, 1, 0, 0, " x", 5, false, 0, 1, 0, 5, 280, 250);
  for (Real x = 0; x <= 1; x += 0.125L) frame.AddPoint(std::vector<Real>{x, x});
  const TRgbImage img = frame.Image->Snapshot();
  const TPoint mid{frame.ValueToPixel(0, 0.5L).x, frame.ValueToPixel(1, 0.5L).y};
  bool red = false;
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy) {
      const TColor c = img.At(mid.x + dx, mid.y + dy);
      red = red || (c.r > 200 && c.g < 120 && c.b < 120);
    }
  EXPECT_TRUE(red);
  const TPoint corner = frame.Axes[0].Start;
  EXPECT_EQ(img.At(corner.x + 20, corner.y), (TColor{0, 0, 0}));  // the abscissa
  EXPECT_EQ(img.At(corner.x, corner.y - 20), (TColor{0, 0, 0}));  // the ordinate
  EXPECT_EQ(img.At(300, 100), (TColor{255, 255, 255}));
}

class SavePictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("tessmar_frame_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    frame.SetLine(kGreen, "Ti", 1, 1, false);
    frame.SetupAxes(50, 5, " K", 5, false, 1, 0, 0, " nm", 5, false, 0, 1, 0, 5, 280, 250);
    frame.AddPoint(std::vector<Real>{0, 0});
    frame.AddPoint(std::vector<Real>{1, 1});
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
  TImageFrame frame;
};

TEST_F(SavePictureTest, ExtensionsAndFormats) {
  const std::string bmp = frame.SavePicture((dir / "frame").string(), false);
  EXPECT_EQ(bmp, (dir / "frame.bmp").string());
  const TRgbImage back = ReadBmp(bmp);
  const TRgbImage shown = frame.Image->Snapshot();
  EXPECT_EQ(back.Width, 350);
  EXPECT_EQ(back.Height, 250);
  EXPECT_EQ(back.Pixels, shown.Pixels);

  const std::string jpg = frame.SavePicture((dir / "frame").string(), true);
  EXPECT_EQ(jpg, (dir / "frame.jpg").string());
  EXPECT_EQ(ReadJpeg(jpg).Width, 350);

  // A name with an extension is kept as it is; a dot in a directory is no extension.
  EXPECT_EQ(frame.SavePicture((dir / "x.BMP").string(), false), (dir / "x.BMP").string());
  std::filesystem::create_directories(dir / "a.b");
  EXPECT_EQ(frame.SavePicture((dir / "a.b" / "pic").string(), true),
            (dir / "a.b" / "pic.jpg").string());
}

TEST_F(SavePictureTest, AnUnwritablePlaceThrows) {
  EXPECT_THROW(frame.SavePicture((dir / "no" / "such" / "frame").string(), true),
               std::runtime_error);
  EXPECT_THROW(frame.SavePicture((dir / "no" / "frame.bmp").string(), false), std::runtime_error);
}

}  // namespace
}  // namespace tessmar
