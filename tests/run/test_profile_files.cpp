// Profile files: long reals, the data and side files, the reader, and the
// atomic writes.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "run/profile_files.h"
#include "run/table.h"
#include "run_fixture.h"

#ifndef TESSMAR_RUN_TEST_DATA
#define TESSMAR_RUN_TEST_DATA ""
#endif

namespace tessmar {
namespace {

using testing::RunFixture;

std::string TempDir() {
  std::string t = ::testing::TempDir() + "tessmar_profile_XXXXXX";
  std::vector<char> b(t.begin(), t.end());
  b.push_back('\0');
  const char* d = ::mkdtemp(b.data());
  return std::string(d ? d : "/tmp") + "/";
}

std::string Slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void Spit(const std::string& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string DataDir() {
  return std::string(__FILE__).substr(0, std::string(__FILE__).find_last_of('/')) + "/data/";
}

TEST(LongReal, Layout) {
  EXPECT_EQ(LongReal(2.7L), " 2.70000000000000E+0000");
  EXPECT_EQ(LongReal(-1e-7L), "-1.00000000000000E-0007");
  EXPECT_EQ(LongReal(0), " 0.00000000000000E+0000");
  EXPECT_EQ(LongReal(123456789012345.65L), " 1.23456789012346E+0014");
  EXPECT_EQ(LongReal(1e-300L).size(), 23u);
}

// A tiny moving state with its table, as after an output interval.
void TinyState(RunFixture& fx) {
  fx.BuildOneT(4);
  fx.f.Pout = 0;
  fx.f.StatEqLabel = "Ideal gas";
  SetupTable(fx.f);
  RefreshTable(fx.f);
}

TEST(ProfileWriter, GoldenDataAndSideFiles) {
  RunFixture fx;
  TinyState(fx);
  const std::string dir = TempDir();
  ASSERT_TRUE(WriteProfile(fx.f, dir + "tiny.DAT", false));
  const std::string dat = Slurp(dir + "tiny.DAT");
  const std::string txt = Slurp(dir + "tiny.TXT");
  EXPECT_EQ(dat, Slurp(DataDir() + "tiny.DAT"));
  EXPECT_EQ(txt, Slurp(DataDir() + "tiny.TXT"));
  EXPECT_NE(dat.find("\r\n"), std::string::npos);
  EXPECT_EQ(fx.f.SaveDialogFileName, dir + "tiny");
  // no temporary is left behind
  EXPECT_FALSE(std::ifstream(dir + "Tneg.dat").good());
}

TEST(ProfileWriter, TnegFileWithTheTensionRecord) {
  RunFixture fx;
  TinyState(fx);
  fx.ctx.Tneg = {0, 1e-12L, -2e-12L, 0};
  fx.ctx.Time = 5e-12L;
  const std::string dir = TempDir();
  fx.f.SaveOptions.Dir = dir;
  ASSERT_TRUE(WriteProfile(fx.f, dir + "a.DAT", false));
  EXPECT_EQ(Slurp(dir + "Tneg.dat"),
            " 5.00000000000000E-0012\r\n 0.00000000000000E+0000\r\n 1.00000000000000E-0012\r\n"
            "-2.00000000000000E-0012\r\n 0.00000000000000E+0000\r\n");
}

TEST(ProfileWriter, FailureReportsAndKeepsTheOldFile) {
  RunFixture fx;
  TinyState(fx);
  const std::string dir = TempDir();
  Spit(dir + "old.DAT", "old contents");
  if (::geteuid() == 0) {
    // root writes anywhere: make the side file's name a directory instead
    ASSERT_EQ(::mkdir((dir + "old.TXT").c_str(), 0755), 0);
  } else {
    ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
  }
  EXPECT_FALSE(WriteProfile(fx.f, dir + "old.DAT", false));
  ::chmod(dir.c_str(), 0755);
  EXPECT_EQ(Slurp(dir + "old.DAT"), "old contents");
  ASSERT_FALSE(fx.port.Texts().empty());
  EXPECT_EQ(fx.port.Texts().back().rfind("Cannot write file " + dir + "old.", 0), 0u)
      << fx.port.Texts().back();
}

TEST(ProfileWriter, CancelledSaveDialog) {
  RunFixture fx;
  TinyState(fx);
  fx.port.QueueFile(std::nullopt);
  EXPECT_FALSE(WriteProfile(fx.f, "x.DAT", true));
}

TEST(ProfileReader, RoundTripRestoresTheState) {
  RunFixture fx;
  TinyState(fx);
  fx.ctx.State->P[3] = 0;
  fx.ctx.EosP.Install([](Real, Real) { return -1.0L; });  // cell 3 in tension: "-0"
  RefreshTable(fx.f);
  ASSERT_EQ(fx.f.Data.Cell(4, 4), "-0      ");
  const std::string dir = TempDir();
  ASSERT_TRUE(WriteProfile(fx.f, dir + "rt.DAT", false));

  RunFixture in;
  in.port.QueueAnswer(Button::Yes);  // With Thermocond
  ASSERT_TRUE(ReadProfile(in.f, dir + "rt.DAT", false))
      << ::testing::PrintToString(in.port.Texts());
  ASSERT_TRUE(in.ctx.State);
  EXPECT_EQ(in.ctx.State->Class(), SolverClass::Caldrith);
  EXPECT_EQ(in.port.Texts()[0], "With Thermocond");
  const THydrStat& a = *fx.ctx.State;
  const THydrStat& b = *in.ctx.State;
  ASSERT_EQ(b.CellCount(), 4);
  auto near = [](Real x, Real y) {
    return std::fabs(x - y) <= 1e-6L * (std::fabs(x) + std::fabs(y));
  };
  for (int i = 0; i <= 4; ++i) {
    EXPECT_TRUE(near(a.x[i], b.x[i])) << i;
    EXPECT_TRUE(near(a.v[i], b.v[i])) << i;
  }
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(near(a.P[i], b.P[i])) << i;
    EXPECT_TRUE(near(a.E[i], b.E[i])) << i;
    EXPECT_TRUE(near(a.T[i], b.T[i])) << i;
    EXPECT_TRUE(near(a.Density(i), b.Density(i))) << i;
  }
  EXPECT_EQ(b.P[3], 0);
  EXPECT_EQ(in.f.Dimension, 4);
  EXPECT_EQ(in.f.Len, 1);
  EXPECT_EQ(in.ctx.rho0, 2);
  EXPECT_FALSE(in.ctx.NoMove);
  EXPECT_EQ(in.f.LastReadDir, dir);
  EXPECT_EQ(in.f.StatEqLabel, "");
}

TEST(ProfileReader, LeavesTableUnitsForInitShift) {
  RunFixture fx;
  TinyState(fx);
  const std::string dir = TempDir();
  ASSERT_TRUE(WriteProfile(fx.f, dir + "h.DAT", false));
  RunFixture in;
  in.f.x1Edit = 1;
  bool called = false;
  in.f.InitShiftAfterLoad = [&] {
    called = true;
    return true;
  };
  in.port.QueueAnswer(Button::No);  // With Thermocond: bare hydrodynamics
  ASSERT_TRUE(ReadProfile(in.f, dir + "h.DAT", false));
  EXPECT_TRUE(called);
  EXPECT_EQ(in.ctx.State->Class(), SolverClass::HydrStat);
  EXPECT_EQ(in.ctx.State->v[1], 0.125L);  // still in units of UnitScale
}

TEST(ProfileReader, BrokenRowEndsTheTable) {
  RunFixture fx;
  TinyState(fx);
  const std::string dir = TempDir();
  ASSERT_TRUE(WriteProfile(fx.f, dir + "b.DAT", false));
  std::string dat = Slurp(dir + "b.DAT");
  // renumber the row of cell 3
  const auto p = dat.find("\r\n     3\t");
  ASSERT_NE(p, std::string::npos);
  dat[p + 7] = '7';
  Spit(dir + "b.DAT", dat);
  RunFixture in;
  in.port.QueueAnswer(Button::Yes);  // With Thermocond
  in.port.QueueAnswer(Button::Ok);   // Data dimension
  EXPECT_TRUE(ReadProfile(in.f, dir + "b.DAT", false));
  const auto texts = in.port.Texts();
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts[1], "Unexpected file format on line 5\r     7\t      0.75\t            ...");
  EXPECT_EQ(texts[2], "Data dimension 3 not equal 4");
  EXPECT_EQ(in.ctx.State->CellCount(), 3);
}

TEST(ProfileReader, Refusals) {
  const std::string dir = TempDir();
  {
    RunFixture in;
    EXPECT_FALSE(ReadProfile(in.f, dir + "none.DAT", false));
    EXPECT_EQ(in.port.Texts().back(), "Cannot open file " + dir + "none.DAT");
  }
  {
    Spit(dir + "bad.DAT", "Hello world\r\n0 1 2\r\n");
    RunFixture in;
    EXPECT_FALSE(ReadProfile(in.f, dir + "bad.DAT", false));
    EXPECT_EQ(in.port.Texts().back(), "Unexpected file format");
  }
  {
    Spit(dir + "short.DAT",
         "   No\tx(n)    \tT(n+1/2)\tE(n+1/2)\r\n0\t0\t1\t1\r\n1\t0.5\t1\t1\r\n");
    RunFixture in;
    EXPECT_FALSE(ReadProfile(in.f, dir + "short.DAT", false));
    EXPECT_EQ(in.port.Texts().back(), "Unexpected format of file " + dir + "short.DAT");
  }
  {
    Spit(dir + "round.DAT",
         "   No\tr(n)    \tT(n+1/2)\tE(n+1/2)\r\n0\t0\t1\t1\r\n1\t0.5\t1\t1\r\n2\t1\t1\t1\r\n");
    RunFixture in;
    in.ctx.SetGeometry(3);
    EXPECT_FALSE(ReadProfile(in.f, dir + "round.DAT", false));
    EXPECT_EQ(in.port.Texts().back(), "Cannot find " + dir + "round.TXT");
  }
}

TEST(ProfileReader, PlaneWithoutSideFileInfersTheMesh) {
  const std::string dir = TempDir();
  Spit(dir + "plane.DAT",
       "   No\tx(n)    \tT(n+1/2)\tE(n+1/2)\r\n"
       "0\t0\t1\t1.5\r\n1\t0.5\t2\t3\r\n2\t1\t3\t4.5\r\n3\t1.5\t4\t6\r\n");
  RunFixture in;
  ASSERT_TRUE(ReadProfile(in.f, dir + "plane.DAT", false));
  EXPECT_TRUE(in.ctx.NoMove);
  EXPECT_EQ(in.ctx.State->Class(), SolverClass::Caldrith);
  EXPECT_EQ(in.f.Dimension, 4);
  EXPECT_EQ(in.f.Len * in.f.x1Edit, 2);
  EXPECT_EQ(in.ctx.State->x[4], 2);
  EXPECT_EQ(in.ctx.State->T[3], 4);
  EXPECT_EQ(in.ctx.State->E[2], 4.5L);
}

TEST(ProfileReader, ShortBoundaryRowGammaAndIntPdt) {
  const std::string dir = TempDir();
  Spit(dir + "g.DAT",
       "   No\tx(n)    \trho(n+1/2)\tv(n)/v1 \tP(n+1/2)\tE(n+1/2)\tT(n+1/2)\r\n"
       "0\t0\t1\t0\t1\t1.5\t1\r\n1\t1\t1\t0\t1\t1.5\t1\r\n2\t2\t1\t0\t1\t1.5\t1\r\n"
       "3\t3\t0.25\t0.5\r\n"
       "GAMMA = 1.4\r\nINT PDT 2.5\r\n");
  RunFixture in;
  in.port.QueueAnswer(Button::No);  // With Thermocond
  ASSERT_TRUE(ReadProfile(in.f, dir + "g.DAT", false));
  EXPECT_EQ(in.ctx.State->CellCount(), 3);
  EXPECT_EQ(in.ctx.State->v[3], 0.25L);
  EXPECT_EQ(in.ctx.Pout, 0.5L);
  EXPECT_EQ(in.f.Pout, 0.5L);
  EXPECT_EQ(in.f.Integr.Ipdt, 2.5L);
}

TEST(ProfileReader, TwoTemperatureRoundTripAsksTwoTemp) {
  RunFixture fx;
  fx.BuildOneT(4, SolverClass::Hydro2T);
  fx.f.TwoTemperature = true;
  auto& s = dynamic_cast<THydro2T&>(*fx.ctx.State);
  for (int i = 0; i < 4; ++i) {
    s.Te[i] = 10 + i;
    s.Ei[i] = 1 + i;
    s.Ee[i] = 0.5L;
    s.Pe[i] = 0.25L;
    s.Pi[i] = s.P[i] - s.Pe[i];
  }
  SetupTable(fx.f);
  RefreshTable(fx.f);
  const std::string dir = TempDir();
  ASSERT_TRUE(WriteProfile(fx.f, dir + "t2.DAT", false));
  EXPECT_NE(Slurp(dir + "t2.TXT").find("Ei = "), std::string::npos);
  RunFixture in;
  in.port.QueueAnswer(Button::Yes);  // 2 Temp
  ASSERT_TRUE(ReadProfile(in.f, dir + "t2.DAT", false));
  EXPECT_EQ(in.port.Texts()[0], "2 Temp");
  ASSERT_EQ(in.ctx.State->Class(), SolverClass::Hydro2T);
  EXPECT_TRUE(in.f.TwoTemperature);
  const auto& b = dynamic_cast<const THydro2T&>(*in.ctx.State);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(b.Te[i], s.Te[i]);
    EXPECT_EQ(b.Ei[i], s.Ei[i]);
    EXPECT_EQ(b.Ee[i], s.Ee[i]);
    EXPECT_EQ(b.Pe[i], s.Pe[i]);
    EXPECT_NEAR(static_cast<double>(b.Pi[i]), static_cast<double>(s.Pi[i]), 1e-5);
  }
}

TEST(ProfileReader, SphericalWithSideFileAndGlass) {
  RunFixture fx;
  fx.BuildOneT(4);
  fx.ctx.SetGeometry(3);
  fx.ctx.ShiftDiv = 1;
  fx.ctx.rho0l = 3;
  fx.f.X0Shift = -0.25L;
  BuildMassArrays(fx.ctx, 4, 0, 1, fx.ctx.h0, fx.ctx.rho0, fx.ctx.rho0l);
  SetupTable(fx.f);
  RefreshTable(fx.f);
  const std::string dir = TempDir();
  ASSERT_TRUE(WriteProfile(fx.f, dir + "sph.DAT", false));
  const std::string txt = Slurp(dir + "sph.TXT");
  EXPECT_EQ(txt.substr(0, 3), "3D\r");
  EXPECT_NE(txt.find("L0 = 1 x 1  Div 4 x0shift 0.25 div 1\r\n"), std::string::npos) << txt;
  EXPECT_NE(txt.find("rho0 =  2.00000000000000E+0000, glass  3.00000000000000E+0000\r\n"),
            std::string::npos);
  RunFixture in;
  in.port.QueueAnswer(Button::Yes);  // With Thermocond
  ASSERT_TRUE(ReadProfile(in.f, dir + "sph.DAT", false))
      << ::testing::PrintToString(in.port.Texts());
  EXPECT_EQ(in.ctx.Dspc, 3);
  EXPECT_EQ(in.ctx.ShiftDiv, 1);
  EXPECT_EQ(in.ctx.rho0l, 3);
  EXPECT_EQ(in.f.X0Shift, -0.25L);
  for (int i = 0; i < 4; ++i)
    EXPECT_NEAR(static_cast<double>(in.ctx.State->Density(i)),
                static_cast<double>(fx.ctx.State->Density(i)), 1e-5);
  EXPECT_NEAR(static_cast<double>(in.ctx.xGr0), 0.25, 1e-15);  // one glass cell of h0

  // A glass denser than its EOS material by k ("/k" after the glass density):
  // the divisor field shows k and the glass reference positions grow by k.
  std::string side = txt;
  const std::string glass = ", glass  3.00000000000000E+0000";
  side.insert(side.find(glass) + glass.size(), "/1.5");
  Spit(dir + "sph.TXT", side);
  RunFixture k;
  k.port.QueueAnswer(Button::Yes);  // With Thermocond
  ASSERT_TRUE(ReadProfile(k.f, dir + "sph.DAT", false));
  EXPECT_NEAR(static_cast<double>(k.ctx.xGr0), 0.375, 1e-15);
  EXPECT_NEAR(static_cast<double>(k.ctx.Lx0), 1.125, 1e-15);
}

}  // namespace
}  // namespace tessmar
