// `tessmar run` in process: a small shock tube through every stage, and the
// statuses of input that only the session can judge.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/run_command.h"
#include "cli/run_file.h"

namespace tessmar::cli {
namespace {

namespace fs = std::filesystem;

const char* const kTube =
    "[eos]\nEqType = \"Ideal gas\"\ngamma = 1.4\nAtomMass = 1\n"
    "[eos_left]\nEqType = \"Ideal gas\"\ngamma = 1.4\nAtomMass = 1\n"
    "[thermal]\nrho0Edit = 1\nCloseBy = \"NoConduct\"\n"
    "[init]\nDspcEdit = 0\nLen = 1\nDimension = 100\nRho0 = 0.125\nRadioGroup1 = \"Press\"\n"
    "Pini = 0.1\nxf = 1\nPout = 0.1\nMoveType = \"v0 = 0\"\nInitProfile = \"1T\"\n"
    "xShiftDiv = 50\nrho0l = 1\nT0l = 1\n"
    "[viscosity]\nViscType = \"Loc\"\nViscMult = 1\n"
    "[run]\nVis = true\ndt1 = 0.05\nEndTime = 0.1\n"
    "[answers]\n\"No all thermodinamic?\" = \"Yes\"\n\"Shift graph x0\" = \"No\"\n";

struct Scratch {
  fs::path dir = fs::temp_directory_path() / ("tessmar_cli_" + std::to_string(::getpid()));
  Scratch() { fs::create_directories(dir); }
  ~Scratch() { fs::remove_all(dir); }
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir / name, std::ios::binary) << text;
    return (dir / name).string();
  }
};

TEST(RunCommand, SmallShockTubeRunsToItsEndTime) {
  Scratch s;
  RunOptions o;
  o.file = s.Write("tube.toml", kTube);
  o.outDir = (s.dir / "out").string();
  std::ostringstream log;
  ASSERT_EQ(RunCommand(o, log), 0) << log.str();
  EXPECT_TRUE(fs::exists(s.dir / "out" / "0000p050.DAT")) << log.str();
  EXPECT_TRUE(fs::exists(s.dir / "out" / "0000p100.DAT")) << log.str();
  EXPECT_NE(log.str().find("question: \"No all thermodinamic?\" -> Yes\n"), std::string::npos);
  EXPECT_NE(log.str().find("finished: t = 0.1 (100.0%)"), std::string::npos) << log.str();
}

TEST(RunCommand, InputTheSessionRefusesIsStatusTwoAndWritesNothing) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> sets;
    const char* message;
  } cases[] = {
      {"no state", "[run]\ndt1 = 0.1\n", {}, "no initial state"},
      {"no interval", kTube, {"run.dt1=0", "run.dtLV=0"}, "[run] dt1: the output interval is 0"},
      {"refused build", kTube, {"init.Len=0"}, "[init]: refused"},
      {"answer not offered",
       kTube,
       {"answers.No all thermodinamic?=Retry"},
       "the answer Retry is not offered"},
  };
  for (const auto& c : cases) {
    Scratch s;
    RunOptions o;
    o.file = s.Write("run.toml", c.text);
    o.sets = c.sets;
    o.outDir = (s.dir / "out").string();
    std::ostringstream log;
    EXPECT_EQ(RunCommand(o, log), kExitBadInput) << c.name << "\n" << log.str();
    EXPECT_NE(log.str().find(c.message), std::string::npos) << c.name << "\n" << log.str();
    EXPECT_FALSE(fs::exists(s.dir / "out")) << c.name;
  }
}

}  // namespace
}  // namespace tessmar::cli
