#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "view/eps_export.h"
#include "view/recording_canvas.h"

namespace tessmar {
namespace {

std::string DataDir() {
  const std::string here = __FILE__;
  return here.substr(0, here.find_last_of('/')) + "/data/";
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
    out.push_back(text.substr(from, at - from));
  EXPECT_EQ(from, text.size()) << "text after the last CR LF";
  return out;
}

std::unique_ptr<TImageFrame> RecordedFrame(int w, int h) {
  return std::make_unique<TImageFrame>(std::make_unique<testing::TRecordingCanvas>(w, h));
}

TEST(Eps, PageGeometryOfAFrameOnA1280PixelScreen) {
  auto frame = RecordedFrame(350, 250);
  const std::vector<std::string> lines =
      SplitLines(EpsText(*frame, "/some/dir/graph.eps", 1280, "2024-01-02 03:04:05"));
  ASSERT_GE(lines.size(), 26u);
  EXPECT_EQ(lines[0], "%!PS-Adobe EPSF-2.0");
  EXPECT_EQ(lines[1], "%%Title: graph.eps");
  EXPECT_EQ(lines[2], "%%CreationDate: 2024-01-02 03:04:05");
  // k = 11, X0 = 5275, Y0 = 10375
  EXPECT_EQ(lines[3], "%%BoundingBox: 211 305 365 415");
  EXPECT_EQ(lines[22], "0.04 0.04 sc");
  EXPECT_EQ(lines[23], "11 slw");
  EXPECT_EQ(lines[24], " (Times New Roman) ff 143 scf sf");
  EXPECT_EQ(lines[25], " 0.0000 0.0000 0.0000 srgb");
  // the axis line of the abscissa, pixel (0,0) to (0,0) before SetupAxes
  EXPECT_EQ(lines[29], "8 slw");
  EXPECT_EQ(lines.back(), "grestore");
}

TEST(Eps, ScreenWidthsThatWouldBreakTheScale) {
  auto frame = RecordedFrame(350, 250);
  EXPECT_THROW((void)EpsText(*frame, "a.eps", 0, ""), std::invalid_argument);
  EXPECT_THROW((void)EpsText(*frame, "a.eps", -5, ""), std::invalid_argument);
  // Wider than 14400 pixels: one unit a pixel rather than a picture of one point.
  const std::vector<std::string> lines = SplitLines(EpsText(*frame, "a.eps", 20000, ""));
  EXPECT_EQ(lines[23], "1 slw");
  EXPECT_EQ(lines[3], "%%BoundingBox: " + std::to_string((7200 - 175) / 25) + " " +
                          std::to_string((9125 - 250) / 25) + " " +
                          std::to_string((350 + 7025 + 24) / 25) + " 365");
}

TEST(Eps, TallPicturesRaiseTheTopAndWideOnesStartAtZero) {
  auto wide = RecordedFrame(1000, 500);
  // k = 20: X0 = 7200 - 10000 < 0 -> 0; Y0 = 5000 + 9000
  EXPECT_EQ(SplitLines(EpsText(*wide, "a.eps", 720, ""))[3], "%%BoundingBox: 0 160 800 560");
  auto tall = RecordedFrame(100, 2000);
  // k = 14: Y0 = 14000 + 9000 = 23000 < 28000 -> 28000
  EXPECT_EQ(SplitLines(EpsText(*tall, "a.eps", 1000, ""))[3], "%%BoundingBox: 260 0 316 1120");
}

// A small graph: two axes, a curve labelled at its end, one labelled at its
// start with a label that needs escaping, and a linked frame's curve.
struct SmallGraph {
  std::unique_ptr<TImageFrame> frame = RecordedFrame(200, 150);
  std::unique_ptr<TImageFrame> linked = RecordedFrame(200, 150);
  SmallGraph() {
    frame->SetLine({0, 128, 0}, "Ti", 1, 2, false);
    frame->SetLine({255, 0, 255}, "Te (1", 2, 2, true);
    frame->SetupAxes(40, 5, " K", 2, false, 1, 0, 0, " nm", 2, false, 0, 2, 0, 4, 150, 150);
    frame->AddPoint(std::vector<Real>{0, 0.25L, 1});
    frame->AddPoint(std::vector<Real>{1, 0.5L, 0.75L});
    frame->AddPoint(std::vector<Real>{2, 0.75L, 0.5L});
    linked->SetLine({0, 0, 255}, "", 1, 1, false);
    linked->SetupAxes(40, 5, "", 2, false, 1, 0, 0, "", 2, false, 0, 2, 0, 4, 150, 150);
    linked->AddPoint(std::vector<Real>{0, 1});
    linked->AddPoint(std::vector<Real>{2, 0});
    frame->Linked = linked.get();
  }
};

TEST(Eps, SmallGraphMatchesTheGoldenFile) {
  SmallGraph g;
  const std::string text = EpsText(*g.frame, "C:/pictures/small.eps", 1440, "2024-05-06 07:08:09");
  const std::string golden = ReadAll(DataDir() + "small_graph.eps");
  if (const char* update = std::getenv("TESSMAR_UPDATE_GOLDEN"); update && *update) {
    std::ofstream(DataDir() + "small_graph.eps", std::ios::binary) << text;
    GTEST_SKIP() << "golden file written";
  }
  EXPECT_EQ(text, golden);
}

TEST(Eps, CurveColoursAndLabels) {
  SmallGraph g;
  const std::vector<std::string> lines =
      SplitLines(EpsText(*g.frame, "small.eps", 1440, "now"));  // k = 10
  auto find = [&](const std::string& s) {
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i] == s) return static_cast<int>(i);
    return -1;
  };
  // Green 0x008000 as the colour line of the first curve.
  const int green = find(" 0.0000 0.5020 0.0000 srgb");
  ASSERT_GT(green, 0);
  EXPECT_EQ(lines[static_cast<std::size_t>(green - 1)], "gs");
  EXPECT_EQ(lines[static_cast<std::size_t>(green + 2)], " s gr");
  // An unbalanced parenthesis in a label is escaped, so the string stays whole.
  bool escaped = false;
  for (const std::string& l : lines)
    escaped = escaped || l.find("(Te \\(1) sh") != std::string::npos;
  EXPECT_TRUE(escaped);
  // The linked frame's curve follows the own curves.
  const int blue = find(" 0.0000 0.0000 1.0000 srgb");
  const int magenta = find(" 1.0000 0.0000 1.0000 srgb");
  EXPECT_GT(blue, magenta);
  EXPECT_GT(magenta, green);
}

class EpsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("tessmar_eps_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  [[nodiscard]] std::vector<std::string> Entries() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir))
      out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
  std::filesystem::path dir;
  SmallGraph g;
};

TEST_F(EpsFileTest, WritesTheTextAndNothingElse) {
  const std::string path = (dir / "graph.eps").string();
  std::ofstream(path) << "old";
  ExportEPS(*g.frame, path, 1440, "then");
  EXPECT_EQ(ReadAll(path), EpsText(*g.frame, path, 1440, "then"));
  EXPECT_EQ(Entries(), std::vector<std::string>{"graph.eps"});
}

TEST_F(EpsFileTest, AFailedWriteKeepsWhatWasThereAndLeavesNoTemporary) {
  EXPECT_THROW(ExportEPS(*g.frame, (dir / "missing" / "graph.eps").string(), 1440),
               std::runtime_error);
  // The target is a directory holding a file: the rename fails.
  std::filesystem::create_directories(dir / "graph.eps");
  std::ofstream((dir / "graph.eps" / "keep").string()) << "kept";
  try {
    ExportEPS(*g.frame, (dir / "graph.eps").string(), 1440);
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("graph.eps"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadAll((dir / "graph.eps" / "keep").string()), "kept");
  EXPECT_EQ(Entries(), std::vector<std::string>{"graph.eps"});
}

}  // namespace
}  // namespace tessmar
