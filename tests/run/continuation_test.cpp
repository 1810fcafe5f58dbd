// A run continued from a saved profile reaches the same profile as the run
// that was never interrupted, to the precision of the file format.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/hydr_stat.h"
#include "format/num_string_format.h"
#include "run/session_fixture.h"
#include "setup/init_dialog.h"

namespace tessmar {
namespace {

namespace fs = std::filesystem;
using test::ApplyTable;
using test::QueueQuietAnswers;
using test::SetUpSodTube;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The numbers of a data file, row by row.
std::vector<std::vector<Real>> Numbers(const std::string& text) {
  std::vector<std::vector<Real>> rows;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);  // titles
  while (std::getline(in, line)) {
    std::vector<Real> row;
    std::istringstream ls(line);
    std::string word;
    while (ls >> word) {
      Real v = 0;
      if (TNumStringFormat().TryParse(word, v)) row.push_back(v);
    }
    rows.push_back(row);
  }
  return rows;
}

class Continuation : public ::testing::Test {
 protected:
  Continuation() {
    root = fs::temp_directory_path() / ("tessmar-continuation-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "whole");
    fs::create_directories(root / "continued");
  }
  ~Continuation() override { fs::remove_all(root); }
  fs::path root;
};

TEST_F(Continuation, FromTheMiddleProfileReachesTheSameEnd) {
  constexpr int kCells = 200;
  // The uninterrupted run, a profile every 0.05.
  ScriptedQuestionPort port;
  QueueQuietAnswers(port, 2);
  TSession whole(&port);
  SetUpSodTube(whole, kCells);
  whole.SetSaveDir((root / "whole").string());
  ApplyTable(whole, "run", {{"dt1", 0.05L}, {"EndTime", 0.2L}});
  ASSERT_FALSE(whole.Form.Unsaved);
  const std::string mid = whole.Form.SaveOptions.FileBaseName(0.1L) + ".DAT";
  const std::string end = whole.Form.SaveOptions.FileBaseName(0.2L) + ".DAT";
  ASSERT_TRUE(fs::exists(mid)) << mid;
  ASSERT_TRUE(fs::exists(end)) << end;
  ASSERT_TRUE(fs::exists(whole.Form.SaveOptions.FileBaseName(0.2L) + ".TXT"));

  // The continuation: the same materials, the profile at t = 0.1 loaded, the
  // same output interval and end time.
  ScriptedQuestionPort port2;
  TSession cont(&port2);
  for (const char* eos : {"eos", "eos_left"})
    ApplyTable(cont, eos,
               {{"EqType", std::string("Ideal gas")}, {"gamma", 1.4L}, {"AtomMass", 1.0L}});
  cont.Ctx.NoConduct = cont.Ctx.NoThermo = true;
  ApplyTable(cont, "viscosity", {{"ViscType", std::string("Loc")}, {"ViscMult", 4.0L}});
  // The initial-state dialog keeps its boundary choice across the load.
  cont.Init().At("MoveType").SetText("v0 = 0");
  // "With Thermocond" No, "Save(print) settings?" No, "Shift graph x0 to right (L0)?" No
  for (Button b : {Button::No, Button::No, Button::No}) port2.QueueAnswer(b);
  ASSERT_TRUE(cont.LoadProfile(mid)) << (port2.Texts().empty() ? "" : port2.Texts().back());
  EXPECT_EQ(cont.Ctx.State->Class(), SolverClass::HydrStat);
  EXPECT_EQ(cont.Ctx.State->CellCount(), kCells);
  cont.SetCurrentTime(0.1L);
  cont.SetSaveDir((root / "continued").string());
  ApplyTable(cont, "run", {{"dt1", 0.05L}, {"EndTime", 0.2L}});
  EXPECT_NEAR(cont.Ctx.Time, 0.2L, 1e-15L);
  const fs::path endCont = root / "continued" / fs::path(end).filename();
  ASSERT_TRUE(fs::exists(endCont));

  const auto a = Numbers(Slurp(end)), b = Numbers(Slurp(endCont));
  ASSERT_EQ(a.size(), b.size());
  // Differences of each state column (x, rho, v, P, E) relative to the
  // column's own scale. The file keeps six significant digits: coordinates
  // to about 1e-6, so the width of a cell of 0.005, and with it its density,
  // to about 1e-4. The continued run starts from those values and ends within
  // that margin; on average (L1) it is ten times closer.
  Real worst = 0;
  for (std::size_t c = 1; c <= 5; ++c) {
    SCOPED_TRACE(c);
    Real diff = 0, scale = 0, l1 = 0, l1scale = 0;
    for (std::size_t r = 0; r + 1 < a.size(); ++r) {  // the boundary row aside
      ASSERT_EQ(a[r].size(), b[r].size()) << r;
      diff = std::max(diff, std::fabs(a[r][c] - b[r][c]));
      scale = std::max(scale, std::fabs(a[r][c]));
      l1 += std::fabs(a[r][c] - b[r][c]);
      l1scale += std::fabs(a[r][c]);
    }
    EXPECT_LT(diff / scale, c == 1 ? 5e-6L : 5e-4L);
    EXPECT_LT(l1 / l1scale, c == 1 ? 1e-6L : 1e-4L);
    worst = std::max(worst, diff / scale);
  }
  RecordProperty("worst_relative_difference", std::to_string(static_cast<double>(worst)));
}

}  // namespace
}  // namespace tessmar
