#include "view/cairo_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessmar {
namespace {

constexpr TColor kWhite{255, 255, 255};
constexpr TColor kRed{255, 0, 0};
constexpr TColor kBlue{0, 0, 255};

int Darkness(TColor c) {
  return 765 - (c.r + c.g + c.b);
}

// Every pixel of the image that differs from white.
std::vector<TPoint> Painted(const TRgbImage& img) {
  std::vector<TPoint> out;
  for (int y = 0; y < img.Height; ++y)
    for (int x = 0; x < img.Width; ++x)
      if (img.At(x, y) != kWhite) out.push_back({x, y});
  return out;
}

TEST(CairoCanvasTest, StartsWhiteAndClearsInTheGivenChannelOrder) {
  auto c = MakeCanvas(7, 5);
  EXPECT_EQ(c->Width(), 7);
  EXPECT_EQ(c->Height(), 5);
  TRgbImage img = c->Snapshot();
  ASSERT_EQ(img.Width, 7);
  ASSERT_EQ(img.Height, 5);
  ASSERT_EQ(img.Pixels.size(), 7u * 5u * 3u);
  EXPECT_TRUE(Painted(img).empty());

  c->Clear({10, 20, 30});
  img = c->Snapshot();
  EXPECT_EQ(img.At(0, 0), (TColor{10, 20, 30}));
  EXPECT_EQ(img.At(6, 4), (TColor{10, 20, 30}));
}

TEST(CairoCanvasTest, RejectsSizesCairoCannotHold) {
  for (auto [w, h] : {std::pair{0, 10}, {10, 0}, {-3, 5}, {40000, 2}})
    EXPECT_THROW(MakeCanvas(w, h), std::invalid_argument) << w << "x" << h;
}

// Pen lines along the pixel grid colour exactly the pixels from start to end.
struct GridLine {
  const char* name;
  TPoint from, to;
  int width;
  int x0, x1, y0, y1;  // the rectangle of pixels it must cover, inclusive
};

void PrintTo(const GridLine& t, std::ostream* os) {
  *os << t.name;
}

class GridLineTest : public ::testing::TestWithParam<GridLine> {};

TEST_P(GridLineTest, ColoursExactlyItsPixels) {
  const GridLine& t = GetParam();
  auto c = MakeCanvas(120, 90);
  c->SetPen(kRed, t.width);
  c->MoveTo(t.from);
  c->LineTo(t.to);
  const TRgbImage img = c->Snapshot();
  for (int y = 0; y < img.Height; ++y)
    for (int x = 0; x < img.Width; ++x) {
      const bool inside = x >= t.x0 && x <= t.x1 && y >= t.y0 && y <= t.y1;
      ASSERT_EQ(img.At(x, y), inside ? kRed : kWhite) << "pixel (" << x << ", " << y << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, GridLineTest,
    ::testing::Values(GridLine{"horizontal", {10, 20}, {100, 20}, 1, 10, 100, 20, 20},
                      GridLine{"leftwards", {100, 20}, {10, 20}, 1, 10, 100, 20, 20},
                      GridLine{"vertical", {30, 5}, {30, 80}, 1, 30, 30, 5, 80},
                      GridLine{"at_the_edge", {0, 0}, {119, 0}, 1, 0, 119, 0, 0},
                      GridLine{"width_3", {10, 20}, {100, 20}, 3, 9, 101, 19, 21},
                      GridLine{"width_2", {10, 20}, {100, 20}, 2, 9, 100, 19, 20}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CairoCanvasTest, PolylineCornersAreSquareAndObliqueLinesReachTheirEnds) {
  auto c = MakeCanvas(120, 120);
  c->SetPen(kRed);
  c->MoveTo({10, 20});
  c->LineTo({100, 20});
  c->LineTo({100, 80});
  c->LineTo({20, 110});  // oblique, antialiased
  const TRgbImage img = c->Snapshot();
  EXPECT_EQ(img.At(100, 20), kRed);  // the corner
  EXPECT_EQ(img.At(101, 20), kWhite);
  EXPECT_EQ(img.At(100, 19), kWhite);
  // Along the oblique segment every column between its ends holds a reddish pixel.
  for (int x = 21; x < 100; ++x) {
    const double yc = 80 + (100.0 - x) * 30.0 / 80.0;
    bool found = false;
    for (int y = static_cast<int>(yc) - 1; y <= static_cast<int>(yc) + 1; ++y) {
      const TColor p = img.At(x, y);
      found = found || (p.r > 200 && p.g < 160 && p.b < 160);
    }
    EXPECT_TRUE(found) << "column " << x;
  }
  EXPECT_NE(img.At(20, 110), kWhite);
}

TEST(CairoCanvasTest, EachLineKeepsThePenItWasDrawnWith) {
  // Lines are collected and stroked later; a pen change must not recolour them,
  // and a snapshot must include lines not yet stroked.
  auto c = MakeCanvas(60, 60);
  c->SetPen(kRed);
  c->MoveTo({5, 10});
  c->LineTo({50, 10});
  c->SetPen(kBlue, 3);
  c->MoveTo({5, 30});
  c->LineTo({50, 30});
  const TRgbImage img = c->Snapshot();
  EXPECT_EQ(img.At(20, 10), kRed);
  EXPECT_EQ(img.At(20, 9), kWhite);
  EXPECT_EQ(img.At(20, 29), kBlue);
  EXPECT_EQ(img.At(20, 31), kBlue);
  EXPECT_EQ(img.At(20, 32), kWhite);

  // Clearing drops lines not yet stroked, and drawing goes on afterwards.
  c->MoveTo({5, 50});
  c->LineTo({50, 50});
  c->Clear(kWhite);
  EXPECT_TRUE(Painted(c->Snapshot()).empty());
  c->MoveTo({5, 50});
  c->LineTo({50, 50});
  EXPECT_EQ(c->Snapshot().At(20, 50), kBlue);
}

TEST(CairoCanvasTest, TextFitsItsExtentAndScalesWithTheFont) {
  auto c = MakeCanvas(300, 100);
  TFont f;  // Times New Roman, 13 pixels, black
  c->SetFont(f);
  const std::string text = "Tgjq 1.5E-7 ps";
  const TPoint e = c->TextExtent(text);
  EXPECT_EQ(e.y, 13);
  EXPECT_GT(e.x, 40);
  EXPECT_LT(e.x, 120);

  const TPoint at{20, 30};
  c->TextOut(at, text);
  const TRgbImage img = c->Snapshot();
  int dark = 0, darkest = 0;
  for (const TPoint p : Painted(img)) {
    // Antialiasing may touch one pixel beyond the advance on either side.
    EXPECT_GE(p.x, at.x - 1);
    EXPECT_LE(p.x, at.x + e.x);
    EXPECT_GE(p.y, at.y) << "x " << p.x;
    EXPECT_LT(p.y, at.y + e.y) << "x " << p.x;
    darkest = std::max(darkest, Darkness(img.At(p.x, p.y)));
    if (Darkness(img.At(p.x, p.y)) > 400) ++dark;
  }
  EXPECT_GT(dark, 30);
  EXPECT_GT(darkest, 600);

  // Twice the height: twice the width, to within the rounding of the advances.
  f.Height = 26;
  c->SetFont(f);
  const TPoint e2 = c->TextExtent(text);
  EXPECT_EQ(e2.y, 26);
  EXPECT_NEAR(e2.x, 2 * e.x, 0.1 * e.x);
  EXPECT_EQ(c->TextExtent("").x, 0);
}

TEST(CairoCanvasTest, TextTakesTheFontColour) {
  auto c = MakeCanvas(100, 40);
  c->SetFont({"Times New Roman", 20, kBlue});
  c->TextOut({5, 5}, "WWW");
  const TRgbImage img = c->Snapshot();
  int blue = 0;
  for (const TPoint p : Painted(img)) {
    const TColor px = img.At(p.x, p.y);
    EXPECT_GE(px.b, px.r);
    if (px.b > 200 && px.r < 60 && px.g < 60) ++blue;
  }
  EXPECT_GT(blue, 10);
}

TEST(CairoCanvasTest, EightBitTextNeitherFailsNorStopsLaterDrawing) {
  // Labels from the program's 8-bit files, e.g. a micro sign, are no valid UTF-8;
  // Cairo would refuse them and stop drawing altogether.
  auto c = MakeCanvas(100, 40);
  EXPECT_GT(c->TextExtent("5 \xB5m").x, c->TextExtent("5 m").x);
  c->TextOut({2, 2}, "5 \xB5m \x80");
  c->SetPen(kRed);
  c->MoveTo({0, 35});
  c->LineTo({99, 35});
  EXPECT_EQ(c->Snapshot().At(50, 35), kRed);

  EXPECT_EQ(ToUtf8("5 \xB5m"), "5 \xC2\xB5m");
  EXPECT_EQ(ToUtf8("\x80 \x96"), "\xE2\x82\xAC \xE2\x80\x93");
  EXPECT_EQ(ToUtf8("\xC2\xB5m \xE2\x82\xAC"), "\xC2\xB5m \xE2\x82\xAC");  // already UTF-8
}

TEST(CairoCanvasTest, DrawCopiesAnImageAndClipsItAtTheEdges) {
  TRgbImage img{3, 2, {}};
  for (int k = 0; k < 6; ++k) {
    img.Pixels.push_back(static_cast<std::uint8_t>(10 * k));
    img.Pixels.push_back(static_cast<std::uint8_t>(10 * k + 1));
    img.Pixels.push_back(static_cast<std::uint8_t>(10 * k + 2));
  }
  auto c = MakeCanvas(8, 6);
  c->Draw({4, 3}, img);
  c->Draw({-2, -1}, img);  // only its bottom-right pixel lands, at (0, 0)
  const TRgbImage out = c->Snapshot();
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(out.At(4 + x, 3 + y), img.At(x, y));
  EXPECT_EQ(out.At(0, 0), img.At(2, 1));
  EXPECT_EQ(Painted(out).size(), 7u);

  c->Draw({100, 100}, img);  // entirely outside: nothing
  EXPECT_EQ(Painted(c->Snapshot()).size(), 7u);
  img.Pixels.pop_back();
  EXPECT_THROW(c->Draw({0, 0}, img), std::invalid_argument);
}

}  // namespace
}  // namespace tessmar
