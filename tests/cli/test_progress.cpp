// The progress line and the summary of a batch run, on a clock the test moves.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "cli/progress.h"

namespace tessmar::cli {
namespace {

RunProgress At(Real t, long long steps, Real start = 0, Real end = 1e-11L) {
  RunProgress p;
  p.Time = t;
  p.StartTime = start;
  p.EndTime = end;
  p.Steps = steps;
  return p;
}

TEST(Progress, LiveLineIsRewrittenAtMostFiveTimesASecond) {
  std::ostringstream out;
  double now = 100;
  ProgressLine line(out, /*live=*/true, /*quiet=*/false, [&] { return now; });
  line.SetTimeUnit(" s");
  line.Start();

  now = 102;
  line.Update(At(5e-12L, 10));
  EXPECT_EQ(out.str(), "\rt = 5e-12 s (50.0%)  steps 10  wall 2.0 s  ETA 2.0 s");

  now = 102.1;  // too soon: not drawn
  line.Update(At(6e-12L, 12));
  EXPECT_EQ(out.str(), "\rt = 5e-12 s (50.0%)  steps 10  wall 2.0 s  ETA 2.0 s");

  out.str("");
  now = 102.3;
  line.Update(At(7.5e-12L, 15));
  const std::string longer = "t = 7.5e-12 s (75.0%)  steps 15  wall 2.3 s  ETA 0.8 s";
  EXPECT_EQ(out.str(), "\r" + longer);

  out.str("");
  now = 102.8;
  line.Update(At(8e-12L, 16));
  // A shorter line is padded with blanks over the longer one it replaces.
  const std::string shorter = "t = 8e-12 s (80.0%)  steps 16  wall 2.8 s  ETA 0.7 s";
  ASSERT_LT(shorter.size(), longer.size());
  EXPECT_EQ(out.str(), "\r" + shorter + std::string(longer.size() - shorter.size(), ' '));

  out.str("");
  line.Clear();
  const std::string blank(shorter.size(), ' ');
  EXPECT_EQ(out.str(), '\r' + blank + '\r');

  out.str("");
  now = 104;
  line.Update(At(1e-11L, 20));
  line.Finish(true, "out/");
  EXPECT_EQ(out.str(), "\rt = 1e-11 s (100.0%)  steps 20  wall 4.0 s\r" + std::string(42, ' ') +
                           "\rfinished: t = 1e-11 s (100.0%), steps 20, wall 4.0 s, output out/\n");
}

TEST(Progress, WithoutTerminalOnlyTheSummaryAndQuietNothing) {
  std::ostringstream out;
  double now = 0;
  ProgressLine line(out, /*live=*/false, /*quiet=*/false, [&] { return now; });
  line.Update(At(2e-12L, 4));
  EXPECT_EQ(out.str(), "");
  now = 75;
  // A stopped run marks its end time negative; the share is still of |EndTime|.
  line.Update(At(4e-12L, 9, 0, -1e-11L));
  line.Finish(false, "out/", "stopped before the end time");
  EXPECT_EQ(out.str(),
            "stopped: t = 4e-12 (40.0%), steps 9, wall 1 min 15 s, output out/ (stopped before "
            "the end time)\n");

  std::ostringstream quiet;
  ProgressLine q(quiet, /*live=*/true, /*quiet=*/true, [&] { return now; });
  q.Update(At(2e-12L, 4));
  q.Finish(true, "out/");
  EXPECT_EQ(quiet.str(), "");
}

TEST(Progress, NoShareWithoutASpan) {
  // End time at or before the start: one interval runs; no per cent, no ETA.
  ProgressLine line(std::cout, false, true, [] { return 0.0; });
  EXPECT_EQ(line.Text(At(3, 7, 2, 2), 1.5), "t = 3  steps 7  wall 1.5 s");
  EXPECT_EQ(Duration(7300), "2 h 01 min");
}

}  // namespace
}  // namespace tessmar::cli
