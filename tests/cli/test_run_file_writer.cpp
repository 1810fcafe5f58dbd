// The run-file writer: a session's fields written as a run file come back
// field for field when the file is applied to a fresh session.

#include <gtest/gtest.h>

#include <cmath>

#include "cli/run_file.h"
#include "cli/run_file_writer.h"
#include "core/hydr_stat.h"
#include "run/session_fixture.h"

namespace tessmar::cli {
namespace {

const std::vector<std::string> kTubeTables = {"eos",    "eos_left", "init", "viscosity",
                                              "format", "save",     "run"};

// Every field of every written table, as its control shows it.
std::map<std::string, std::string> FieldTexts(TSession& s) {
  std::map<std::string, std::string> out;
  for (const RunTable& t : s.Tables())
    if (std::find(kTubeTables.begin(), kTubeTables.end(), t.Key) != kTubeTables.end())
      for (const Field& f : t.Model->Fields())
        if (f.Kind() != FieldKind::Button) out[t.Key + "." + f.Name()] = f.Text();
  return out;
}

TEST(RunFileWriter, TubeSessionReplaysFieldForField) {
  ScriptedQuestionPort port;
  test::QueueQuietAnswers(port, 20);
  TSession s(&port);
  test::SetUpSodTube(s, 40);
  s.Form.At("dt1").Set(0.05L);
  s.Form.At("EndTime").Set(0.1L);
  s.Form.At("Vis").Set(true);
  s.Form.SaveOptions.At("Scal").Set(1e12L);  // its exit rule sets AddStr "ps"
  s.Form.SaveOptions.At("AddStr").Set(std::string("u\"nit\\"));
  test::ApplyTable(s, "format", {{"Press", 3LL}, {"FType", std::string("Exponent")}});

  RunFileWriteOptions o;
  o.tables = kTubeTables;
  o.answers = {{"Save(print) settings?", Button::Yes},
               {"Shift graph x0 to right (L0)?", Button::No},
               {"Save(print) settings?", Button::No}};
  const std::string text = RunFileText(s, o);

  const RunFile file = ParseRunFile(text, "written.toml");
  ASSERT_EQ(file.answers.size(), 2u) << text;
  EXPECT_EQ(file.answers[0].question, "Save(print) settings?");
  EXPECT_EQ(file.answers[0].button, Button::No);  // the last answer counts

  ScriptedQuestionPort port2;
  test::QueueQuietAnswers(port2, 20);
  TSession fresh(&port2);
  fresh.Ctx.NoConduct = true;  // as the fixture sets them
  fresh.Ctx.NoThermo = true;
  std::vector<RunTable> tables = fresh.Tables();
  const auto problems = CheckRunFile(file, tables);
  ASSERT_TRUE(problems.empty()) << problems.front().what() << "\n" << text;
  ApplyOptions apply;
  apply.deferActions = {"run"};
  ApplyRunFile(file, tables, apply);

  const auto want = FieldTexts(s);
  const auto got = FieldTexts(fresh);
  for (const auto& [name, value] : want) {
    if (name == "save.DirLabel") continue;        // the runner's -o decides
    if (name.rfind("format.", 0) == 0) continue;  // compared through the format itself
    EXPECT_EQ(got.at(name), value) << name << "\n" << text;
  }
  // Values of the state, not only texts: the builds agree.
  ASSERT_TRUE(fresh.Ctx.State);
  EXPECT_EQ(fresh.Ctx.State->CellCount(), s.Ctx.State->CellCount());
  EXPECT_EQ(fresh.Form.NumStr.ToText(1234.5678L), s.Form.NumStr.ToText(1234.5678L));
  EXPECT_EQ(fresh.Form.dt1, s.Form.dt1);
  EXPECT_EQ(fresh.Form.EndTime, s.Form.EndTime);
}

TEST(RunFileWriter, CurrentTimeIsWrittenOnlyWhenEdited) {
  TSession s;
  s.Form.TotalTime = 0.3L;  // reached by a run: not a setting
  EXPECT_EQ(RunFileText(s, {{"run"}, {}, ""}).find("TotalTime"), std::string::npos);
  s.Form.At("TotalTime").Set(0.25L);  // typed: the run continues from it
  EXPECT_NE(RunFileText(s, {{"run"}, {}, ""}).find("TotalTime = 0.25"), std::string::npos);
}

TEST(RunFileWriter, RealsKeepEveryBit) {
  struct Case {
    Real value;
    const char* text;  // nullptr: only the round trip is checked
  };
  const Case cases[] = {
      {5, "5"},
      {-0.0L, "-0.0"},
      {1.5L, "1.5"},
      {0.1L, nullptr},
      {1.0L / 3, nullptr},
      {2.5e-12L, nullptr},
      {1e300L, nullptr},
      {1e20L, "1e+20"},
      {1.4L, "1.4"},
      {1.5e400L, nullptr},  // beyond a TOML float: text
      {-3e-4000L, nullptr},
  };
  for (const Case& c : cases) {
    const std::string t = TomlReal(c.value);
    if (c.text) {
      EXPECT_EQ(t, c.text);
    }
    const RunFile f = ParseRunFile("[run]\nEndTime = " + t + "\n", "r.toml");
    TSession s;
    SetFieldValue(s.Form.At("EndTime"), f.tables.at(0).keys.at(0).value);
    EXPECT_EQ(s.Form.EndTime, c.value) << t;
  }
}

TEST(RunFileWriter, StringsAreEscaped) {
  EXPECT_EQ(TomlString("a\"b\\c\nd\te\x01"), "\"a\\\"b\\\\c\\nd\\te\\u0001\"");
  const RunFile f = ParseRunFile("[save]\nAddStr = " + TomlString("x\"y\\z") + "\n", "r.toml");
  EXPECT_EQ(f.tables.at(0).keys.at(0).value.text, "x\"y\\z");
}

TEST(RunFileWriter, WriteReportsAnUnwritablePlace) {
  std::string error;
  EXPECT_FALSE(WriteRunFileText("/nonexistent-dir/x/run.toml", "[run]\n", error));
  EXPECT_NE(error.find("cannot"), std::string::npos);
}

}  // namespace
}  // namespace tessmar::cli
