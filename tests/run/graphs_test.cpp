// The profile graphs and their picture: which graphs a model shows, curves
// drawn where the state is, the composed picture and the pictures a run saves.
#include "run/graphs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/hydr_stat.h"
#include "run/main_form.h"
#include "run/session_fixture.h"
#include "view/picture_files.h"

namespace tessmar {
namespace {

namespace fs = std::filesystem;
using test::ApplyTable;
using test::QueueQuietAnswers;
using test::SetUpSodTube;

// The colour of the pixel nearest to a curve point, looking a pixel around it
// (curves are antialiased where they slope).
bool CurveColourNear(const TImageFrame& frame, Real x, Real y, TColor want) {
  const TRgbImage img = frame.Image->Snapshot();
  const TPoint px = frame.ValueToPixel(0, x), py = frame.ValueToPixel(1, y);
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const int X = px.x + dx, Y = py.y + dy;
      if (X < 0 || Y < 0 || X >= img.Width || Y >= img.Height) continue;
      if (img.At(X, Y) == want) return true;
    }
  return false;
}

class Graphs : public ::testing::Test {
 protected:
  Graphs() : s(&port) {
    QueueQuietAnswers(port, 2);
    SetUpSodTube(s, 100);
  }
  ScriptedQuestionPort port;
  TSession s;
};

TEST_F(Graphs, FourGraphsOfTheStateWithPhaseColours) {
  const TMainForm& f = s.Form;
  for (const TImageFrame* g : {&f.RGraph, &f.VGraph, &f.PGraph, &f.TGraph}) {
    EXPECT_TRUE(g->Visible);
    EXPECT_EQ(g->Image->Width(), 350);
    EXPECT_EQ(g->Count, g == &f.VGraph ? 100 : 99);  // nodes, or cell centres
  }
  // The second material (left half, rho 1) is drawn in its colour, violet;
  // the main material (rho 0.125) black.
  EXPECT_TRUE(CurveColourNear(f.RGraph, 0.2L, 1.0L, colors::kViolet));
  EXPECT_TRUE(CurveColourNear(f.RGraph, 0.8L, 0.125L, TColor{0, 0, 0}));
  EXPECT_TRUE(CurveColourNear(f.PGraph, 0.8L, 0.1L, TColor{0, 0, 0}));

  // The picture: the four graphs and three text lines for the caption.
  const TRgbImage pic = ComposePicture(f, "0000 ,200");
  EXPECT_EQ(pic.Width, 700);
  EXPECT_EQ(pic.Height, 500 + 3 * (f.TGraph.Font.Height + 4));
  // The density graph's pixels sit unchanged at the top left.
  const TRgbImage r = f.RGraph.Image->Snapshot();
  const TPoint p{f.RGraph.ValueToPixel(0, 0.2L).x, f.RGraph.ValueToPixel(1, 1.0L).y};
  EXPECT_EQ(pic.At(p.x, p.y), r.At(p.x, p.y));
}

TEST_F(Graphs, FixedMeshShowsTheTemperatureGraphAlone) {
  s.Ctx.NoMove = true;
  SetupGraphs(s.Form);
  DrawGraphs(s.Form);
  const TMainForm& f = s.Form;
  EXPECT_FALSE(f.RGraph.Visible || f.VGraph.Visible || f.PGraph.Visible);
  EXPECT_TRUE(f.TGraph.Visible);
  EXPECT_GT(f.TGraph.Image->Width(), 350);
  const TRgbImage pic = ComposePicture(f, "x");
  EXPECT_EQ(pic.Width, f.TGraph.Image->Width());
}

TEST_F(Graphs, EveryOutputIntervalSavesItsPicture) {
  const fs::path dir = fs::temp_directory_path() / ("tessmar-graphs-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  s.SetSaveDir(dir.string());
  ApplyTable(s, "run", {{"dt1", 0.05L}, {"EndTime", 0.1L}});
  for (const Real t : {0.05L, 0.1L}) {
    const std::string base = s.Form.SaveOptions.FileBaseName(t);
    ASSERT_TRUE(fs::exists(base + ".DAT")) << base;
    const TRgbImage img = ReadJpeg(base + ".jpg");  // JPEG is the default picture type
    EXPECT_EQ(img.Width, 700);
    EXPECT_GT(img.Height, 500);
  }
  // With the bitmap type the pictures are bitmaps.
  s.Form.JpegPictures = false;
  const std::string path = SavePicture(s.Form, (dir / "still").string() + ".BMP", false);
  EXPECT_EQ(ReadBmp(path).Width, 700);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace tessmar
