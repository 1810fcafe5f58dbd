// The run-file loader against real dialog models (the EOS and number-format
// dialogs) and one small probe dialog whose exit rule shows what it saw.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cli/run_file.h"
#include "dialog/num_format_dialog.h"
#include "format/num_string_format.h"
#include "materials/eos_dialog.h"
#include "materials/eos_select.h"
#include "run/save_options.h"

namespace tessmar::cli {
namespace {

// A dialog whose exit rule of A records the value B has at that moment, and
// whose table logs Before and Action calls.
class Probe : public DialogModel {
 public:
  explicit Probe(std::vector<std::string>& log) : DialogModel("probe", "Probe"), log_(log) {
    AddReal("A", "A", A, 0).OnExit([this] {
      BSeenByA = B;
      log_.push_back("A");
    });
    AddReal("B", "B", B, 0).Range(0, 10).OnExit([this] { log_.push_back("B"); });
    AddText("Name", "Name", Name, "");
    AddCheck("On", "On", On, false);
    AddInteger("N", "N", N, 1).Range(1, 100);
  }
  Real A = 0, B = 0, BSeenByA = -1;
  std::string Name;
  bool On = false;
  int N = 1;

 private:
  std::vector<std::string>& log_;
};

struct Harness {
  SimContext ctx;
  TEosDialog eos{ctx};
  TNumFormatDialog format;
  TNumStringFormat numStr;
  std::vector<std::string> log;
  Probe probe{log};
  Probe layer{log};
  std::vector<Real> layerA;  // A of each [[layer]], recorded by its action
  bool eosAction = false;    // run the EOS OK action (it resets EqType to none)

  std::vector<RunTable> Tables() {
    std::vector<RunTable> t;
    RunTable e{"eos", &eos, false, {}, {}, "equation of state"};
    if (eosAction)
      e.Action = [this] {
        if (eos.AcceptEOS() != EosDialogResult::kOk)
          throw ActionRefused("the dialog stays open at " + eos.Focus());
      };
    t.push_back(e);
    t.push_back({"format", &format, false, [this] { format.Load(numStr); },
                 [this] {
                   format.OkBtnClick(numStr);
                   log.push_back("format.action");
                 },
                 "number format"});
    t.push_back({"probe", &probe, false, [this] { log.push_back("probe.before"); },
                 [this] { log.push_back("probe.action"); }, "probe"});
    t.push_back({"layer", &layer, true,
                 [this] {
                   layer.ResetToDefaults();
                   log.push_back("layer.before");
                 },
                 [this] { layerA.push_back(layer.A); }, "one layer"});
    return t;
  }

  // Parse, check and apply as the batch runner does; the first problem is thrown.
  void Run(std::string_view text, const std::vector<std::string>& sets = {}) {
    const RunFile file = ParseRunFile(text, "run.toml", sets);
    auto tables = Tables();
    const auto problems = CheckRunFile(file, tables);
    if (!problems.empty()) throw problems.front();
    ApplyRunFile(file, tables);
  }

  // The message of the problem that Run meets ("" when none).
  std::string Problem(std::string_view text, const std::vector<std::string>& sets = {},
                      int* status = nullptr) {
    try {
      Run(text, sets);
    } catch (const RunError& e) {
      if (status) *status = e.Status();
      return e.what();
    }
    return "";
  }
};

TEST(RunFile, KeysAreAppliedInFileOrderSoExitRulesSeeOnlyEarlierKeys) {
  // Choosing "Ideal gas of:" sets gamma to 5/3 in its exit rule; a gamma
  // written after it overrides that, one written before it does not.
  struct Case {
    const char* text;
    Real gamma;
  } cases[] = {
      {"[eos]\nEqType = \"Ideal gas of:\"\ngamma = 1.4\n", 1.4L},
      {"[eos]\ngamma = 1.4\nEqType = \"Ideal gas of:\"\n", 5.0L / 3.0L},
  };
  for (const auto& c : cases) {
    Harness h;
    h.Run(c.text);
    EXPECT_EQ(h.eos.gamma, c.gamma) << c.text;
  }

  Harness h;
  h.Run("[probe]\nA = 1\nB = 3\n");
  EXPECT_EQ(h.probe.BSeenByA, 0);  // B was not set yet when A was left
  Harness g;
  g.Run("[probe]\nB = 3\nA = 1\n");
  EXPECT_EQ(g.probe.BSeenByA, 3);
}

TEST(RunFile, TablesRunBeforeKeysActionInFileOrder) {
  Harness h;
  h.Run("[probe]\nB = 2\nA = 1\n\n[format]\nPress = 6\n\n[[layer]]\nA = 5\n[[layer]]\nA = 7\n");
  const std::vector<std::string> expected = {
      "probe.before", "B", "A", "probe.action", "format.action", "layer.before", "A",
      "layer.before", "A"};
  EXPECT_EQ(h.log, expected);
  EXPECT_EQ(h.numStr.Pressigion(), 6);
  EXPECT_EQ(h.layerA, (std::vector<Real>{5, 7}));

  // The same tables in the other order run in that order.
  Harness r;
  r.Run("[format]\nPress = 6\n[probe]\nA = 1\n");
  EXPECT_EQ(r.log,
            (std::vector<std::string>{"format.action", "probe.before", "A", "probe.action"}));
}

TEST(RunFile, ChoicesByIndexOrCaption) {
  struct Case {
    const char* line;
    int eqType;
    int metal;
  } cases[] = {
      {"EqType = 8", 8, -1},
      {"EqType = \"Ideal gas &of:\"", 8, -1},  // caption as written in the dialog
      {"EqType = \"Ideal gas of:\"", 8, -1},   // without the access-key ampersand
      {"EqType = \"ideal GAS of:\"", 8, -1},   // case does not matter
      {"EqType = \"8\"", 8, -1},               // an index written as text
      {"Metal = \"Au\"", -1, 2},
      {"Metal = 1", -1, 1},
  };
  for (const auto& c : cases) {
    Harness h;
    h.Run(std::string("[eos]\n") + c.line + "\n");
    EXPECT_EQ(h.eos.EqType, c.eqType) << c.line;
    EXPECT_EQ(h.eos.Metal, c.metal) << c.line;
  }
}

TEST(RunFile, ValuesOfEachKindReachTheirFields) {
  Harness h;
  h.Run(
      "[eos]\n"
      "gamma = 1.2345678901234567891\n"  // more digits than a double holds
      "AtomMass = 4\n"                   // an integer into a real field
      "T_0 = -1_000.25e-2\n"             // TOML digit separators
      "T_rho = \"2,5\"\n"                // text as typed into the field
      "TScall = \"1.5e400\"\n"  // beyond a double: TOML refuses it as a float, text keeps it
      "DisT = 2e-400\n"         // a double underflows, an extended real does not
      "[probe]\nName = \"Cu foil\"\nOn = true\nN = 12.0\n");
  EXPECT_EQ(h.eos.gamma, 1.2345678901234567891L);
  EXPECT_NE(h.eos.gamma, static_cast<Real>(1.2345678901234567891));  // not via a double
  EXPECT_EQ(h.eos.AtomMass, 4);
  EXPECT_EQ(h.eos.T_0, -10.0025L);
  EXPECT_EQ(h.eos.T_rho, 2.5L);
  EXPECT_EQ(h.eos.TScall, 1.5e400L);
  EXPECT_EQ(h.eos.DisT, 2e-400L);
  EXPECT_EQ(h.probe.Name, "Cu foil");
  EXPECT_TRUE(h.probe.On);
  EXPECT_EQ(h.probe.N, 12);
}

TEST(RunFile, SetOverridesAsIfWrittenAtTheEndOfItsTable) {
  // The overridden gamma moves after EqType, so the exit rule no longer wins.
  Harness h;
  h.Run("[eos]\ngamma = 1.2\nEqType = 8\n", {"eos.gamma=1.4"});
  EXPECT_EQ(h.eos.gamma, 1.4L);

  // A table the file lacks is added at its end; a value that is not TOML is text.
  Harness g;
  g.Run("[probe]\nA = 1\n", {"format.Press=7", "eos.EqType=Ideal gas of:", "probe.Name=x y"});
  EXPECT_EQ(g.numStr.Pressigion(), 7);
  EXPECT_EQ(g.eos.EqType, 8);
  EXPECT_EQ(g.probe.Name, "x y");
  EXPECT_EQ(g.log.back(), "format.action");

  // An element of a repeated table is chosen by its number.
  Harness r;
  r.Run("[[layer]]\nA = 1\n[[layer]]\nA = 2\n", {"layer.2.A=9"});
  EXPECT_EQ(r.layerA, (std::vector<Real>{1, 9}));
}

TEST(RunFile, BadInputNamesFileLineTableAndKey) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<std::string> sets;
    const char* message;
  } cases[] = {
      {"syntax", "[eos]\ngamma = = 1\n", {}, "run.toml:2: "},
      {"unknown table",
       "\n[eso]\ngamma = 1\n",
       {},
       "run.toml:2: [eso]: unknown table (the tables are: eos, format, probe, layer, answers)"},
      {"unknown key", "[eos]\n\ngama = 1\n", {}, "run.toml:3: [eos] gama: unknown key"},
      {"key in other case",
       "[eos]\neqtype = 1\n",
       {},
       "run.toml:2: [eos] eqtype: unknown key (did you mean EqType?)"},
      {"button as key",
       "[eos]\nTabFiles = true\n",
       {},
       "run.toml:2: [eos] TabFiles: is a button, not a value"},
      {"boolean for real",
       "[eos]\ngamma = true\n",
       {},
       "run.toml:2: [eos] gamma: expects a real number, not the boolean true"},
      {"array for real",
       "[eos]\ngamma = [1, 2]\n",
       {},
       "run.toml:2: [eos] gamma: expects a real number, not an array"},
      {"float for choice",
       "[eos]\nEqType = 1.5\n",
       {},
       "run.toml:2: [eos] EqType: expects an item index or caption, not the number 1.5"},
      {"integer for check",
       "[eos]\nNoElEOS = 1\n",
       {},
       "run.toml:2: [eos] NoElEOS: expects true or false, not the integer 1"},
      {"fraction for integer",
       "[format]\nPress = 2.5\n",
       {},
       "run.toml:2: [format] Press: expects a whole number, not 2.5"},
      {"unknown caption",
       "[format]\nFType = \"Plain\"\n",
       {},
       "run.toml:2: [format] FType: has no item \"Plain\" (items: 0 \"General\", 1 \"Exponent\", 2 "
       "\"Fixed\", 3 \"FirstPoint\", 4 \"Currency\")"},
      {"text not a number",
       "[eos]\ngamma = \"fast\"\n",
       {},
       "run.toml:2: [eos] gamma: \"fast\" is not a number"},
      {"out of range",
       "[format]\nPress = 40\n",
       {},
       "run.toml:2: [format] Press: must be from -1 to 18"},
      {"index out of range",
       "[eos]\nEqType = 30\n",
       {},
       "run.toml:2: [eos] EqType: item index must be from 0 to 17"},
      {"refused by exit rule",
       "[format]\nDec = \"ab\"\n",
       {},
       "run.toml:2: [format] Dec: must be exactly one character, not \"ab\""},
      {"value outside tables",
       "gamma = 1\n[eos]\n",
       {},
       "run.toml:1: gamma: a value outside any table; write it under its dialog's table"},
      {"single as repeated",
       "[[eos]]\ngamma = 1\n",
       {},
       "run.toml:1: [eos]: is a single table; write [eos]"},
      {"repeated as single",
       "[layer]\nA = 1\n",
       {},
       "run.toml:1: [layer]: is a repeated table; write [[layer]]"},
      {"unknown button",
       "[answers]\n\"Save\" = \"Maybe\"\n",
       {},
       "run.toml:2: [answers] \"Save\": unknown button \"Maybe\"; use OK, Cancel, Yes, No, Retry, "
       "Abort, Ignore, Yes to all or No to all"},
      {"answer not text",
       "[answers]\n\"Save\" = 1\n",
       {},
       "run.toml:2: [answers] \"Save\": expects a button name in quotes (\"Yes\", \"No\", \"OK\" "
       "...)"},
      {"set without value", "", {"eos.gamma"}, "--set eos.gamma: expects table.key=value"},
      {"set unknown key", "[eos]\n", {"eos.gama=1"}, "--set eos.gama: [eos] gama: unknown key"},
      {"set out of range",
       "",
       {"format.Press=99"},
       "--set format.Press: [format] Press: must be from -1 to 18"},
      {"set repeated without number",
       "[[layer]]\nA = 1\n",
       {"layer.A=2"},
       "--set layer.A: [layer] A: [[layer]] is repeated; choose an element: --set layer.N.A=..."},
      {"set missing element",
       "[[layer]]\nA = 1\n",
       {"layer.3.A=2"},
       "--set layer.3.A: [layer]: the file has 1 [[layer]] elements, not 3"},
  };
  for (const auto& c : cases) {
    Harness h;
    int status = 0;
    const std::string got = h.Problem(c.text, c.sets, &status);
    if (std::string_view(c.name) == "syntax")
      EXPECT_EQ(got.rfind(c.message, 0), 0u) << c.name << ": " << got;
    else
      EXPECT_EQ(got, c.message) << c.name;
    EXPECT_EQ(status, kExitBadInput) << c.name;
  }
}

TEST(RunFile, RefusedActionIsBadInputAtTheTable) {
  Harness h;
  h.eosAction = true;
  int status = 0;
  // "Ideal gas of:" without a metal needs a molar mass.
  const std::string got = h.Problem("[probe]\n\n[eos]\nEqType = 8\nAtomMass = 0\n", {}, &status);
  EXPECT_EQ(got, "run.toml:3: [eos]: refused: the dialog stays open at AtomMass");
  EXPECT_EQ(status, kExitBadInput);

  h.eosAction = true;
  Harness ok;
  ok.eosAction = true;
  ok.Run("[eos]\nEqType = \"Ideal gas of:\"\nMetal = \"Cu\"\n");
  EXPECT_EQ(ok.ctx.EOSType, eq_type::kIdealGasOf);
}

TEST(RunFile, EveryProblemIsFoundBeforeAnythingIsApplied) {
  Harness h;
  const RunFile file =
      ParseRunFile("[format]\nPress = 6\n[eos]\ngama = 1\n[probe]\nOn = 3\n", "run.toml");
  auto tables = h.Tables();
  const auto problems = CheckRunFile(file, tables);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].Where(), "run.toml:4");
  EXPECT_EQ(problems[1].Where(), "run.toml:6");
  // Checking changed nothing: the format table before the bad keys was not applied.
  EXPECT_EQ(h.format.Press, -1);
  EXPECT_TRUE(h.log.empty());
}

TEST(RunFile, AnswersKeepFileOrderAndSetReplacesOne) {
  const RunFile file = ParseRunFile(
      "[answers]\n\"Save(print) settings?\" = \"no\"\n\"Iteration did not agree!\" = \"yes to "
      "all\"\n",
      "run.toml", {"answers.Save(print) settings?=Yes"});
  ASSERT_EQ(file.answers.size(), 2u);
  EXPECT_EQ(file.answers[0].question, "Iteration did not agree!");
  EXPECT_EQ(file.answers[0].button, Button::YesToAll);
  EXPECT_EQ(file.answers[0].where, "run.toml:3");
  EXPECT_EQ(file.answers[1].button, Button::Yes);
  EXPECT_EQ(file.answers[1].where, "--set answers.Save(print) settings?");
}

TEST(RunFile, UnreadableFileIsBadInput) {
  try {
    (void)LoadRunFile("/nonexistent/dir/run.toml");
    FAIL() << "no error";
  } catch (const RunError& e) {
    EXPECT_EQ(std::string(e.what()), "/nonexistent/dir/run.toml: cannot open the run file");
    EXPECT_EQ(e.Status(), kExitBadInput);
  }
}

TEST(TimeFromProfileName, InvertsTheSaveNames) {
  struct Case {
    const char* stem;
    Real scal;
    const char* add;
    Real time;
  } cases[] = {
      {"2p5ps", 1e12L, "ps", 2.5e-12L},  // General, scaled, with a unit
      {"0012p500", 1, "", 12.5L},        // Fixed width 8: blanks became zeros
      {"00#1p500", 1, "", -1.5L},        // a minus became "#" after the zeros
      {"#2p5", 1, "", -2.5L},
      {"1p5E-5", 1, "", 1.5e-5L},  // exponent without its zeros
      {"1E7", 1, "", 1e7L},
      {"out/run1/0012p500", 1, "", 12.5L},        // a directory in front is ignored
      {"0250p000ps.DAT", 1e12L, "ps", 250e-12L},  // and so is an extension
      {"2p5ps", 1, "", 2.5e-12L},                 // other save options: the unit tells the scale
      {"3p25mks", 1, "", 3.25e-6L},
  };
  for (const auto& c : cases) {
    const auto t = TimeFromProfileName(c.stem, c.scal, c.add);
    ASSERT_TRUE(t.has_value()) << c.stem;
    EXPECT_NEAR(static_cast<double>(*t / c.time), 1.0, 1e-15) << c.stem;
  }
  for (const char* bad : {"", "profile", "1p5E", "1#5", "p", "12p5p3", "2p5xs"})
    EXPECT_FALSE(TimeFromProfileName(bad, 1, "").has_value()) << bad;
}

TEST(TimeFromProfileName, ReadsBackWhatTheSaveOptionsWrite) {
  // Each name read back and written again gives the same name, for the name
  // formats of the save options: Auto (General below 0.01 and from 999.999,
  // Fixed width 8 between), and Fixed with each format type.
  struct Options {
    const char* scal;
    int radio, type, press, width;
  } options[] = {
      {"1e12", 0, 0, 4, 0}, {"1", 0, 0, 4, 0},  {"1e15", 1, 1, 4, 0},
      {"1e9", 1, 2, 3, 8},  {"1", 1, 0, 6, 12},
  };
  const Real times[] = {2.5e-12L, 1.25e-11L, 3.3e-13L, 1e-10L, -1.5e-12L,
                        0.5L,     12.5L,     -3.25L,   2048.5L};
  for (const auto& o : options) {
    TSaveFileOptions save;
    save.At("Scal").SetText(o.scal);
    save.At("RadioGroup1").Set(static_cast<long long>(o.radio));
    save.At("FormatType").Set(static_cast<long long>(o.type));
    save.At("Press").Set(static_cast<long long>(o.press));
    save.At("FWidth").Set(static_cast<long long>(o.width));
    for (const Real t : times) {
      const std::string name = save.FileBaseName(t);
      const auto back = TimeFromProfileName(name, save);
      ASSERT_TRUE(back.has_value()) << name;
      EXPECT_EQ(save.FileBaseName(*back), name) << "scal " << o.scal << " t " << t;
    }
  }
}

}  // namespace
}  // namespace tessmar::cli
