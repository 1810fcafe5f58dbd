// The desktop program driven through its widgets and models, without a
// screen: dialogs are answered by scripts instead of modal loops, questions
// by a table of answers.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/dialog_form.h"
#include "app/main_window.h"
#include "app/print.h"
#include "app/qt_question_port.h"
#include "app/real_edit_widget.h"
#include "app/table_model.h"
#include "cli/run_command.h"
#include "run/session.h"
#include "run/visc_dialog.h"

namespace tessmar::app {
namespace {

namespace fs = std::filesystem;

// Answers by question beginning; anything else gets the safe default. Every
// question is kept.
struct Answers {
  std::map<std::string, Button> table;
  std::vector<std::string> asked;
  std::vector<std::string> messages;
  void Install(QtQuestionPort& port) {
    port.Answer = [this](const std::string& q, const ButtonSet& b) -> std::optional<Button> {
      asked.push_back(q);
      for (const auto& [prefix, button] : table)
        if (q.rfind(prefix, 0) == 0 && b.Has(button)) return button;
      return SafeDefault(b);
    };
    port.Message = [this](const std::string& m, MessageKind) {
      messages.push_back(m);
      return true;
    };
  }
  [[nodiscard]] bool WasAsked(const std::string& q) const {
    return std::find(asked.begin(), asked.end(), q) != asked.end();
  }
};

using Filler = std::function<void(DialogForm&)>;

// Dialogs are filled by the script for their model's key and closed with OK.
void ScriptDialogs(MainWindow& w, std::map<std::string, Filler>& fillers) {
  w.ExecDialog = [&fillers](DialogForm& form) {
    form.show();
    auto it = fillers.find(form.Model().Key());
    EXPECT_NE(it, fillers.end()) << "unexpected dialog " << form.Model().Key();
    if (it != fillers.end()) it->second(form);
    if (form.result() == 0 && form.OkButton()) form.PressOk();
    form.hide();
    return form.result();
  };
}

void Type(DialogForm& form, std::initializer_list<std::pair<const char*, const char*>> fields) {
  for (const auto& [name, text] : fields) form.Editors().Enter(name, text);
}

// The Sod shock tube of the example run file, entered through the dialogs.
struct Tube {
  QTemporaryDir dir;
  Answers answers;
  std::map<std::string, Filler> fillers;
  MainWindow w;
  explicit Tube(int cells = 100) {
    answers.table = {{"No all thermodinamic?", Button::Yes},
                     {"Save(print) settings?", Button::No},
                     {"Shift graph x0 to right (L0)?", Button::No}};
    answers.Install(w.Port());
    const std::string n = std::to_string(cells), half = std::to_string(cells / 2);
    auto gas = [](DialogForm& f) {
      Type(f, {{"EqType", "Ideal gas"}, {"gamma", "1.4"}, {"AtomMass", "1"}});
    };
    fillers["eos"] = gas;
    fillers["thermal"] = [](DialogForm& f) {
      Type(f, {{"rho0Edit", "1"}});
      f.findChild<QPushButton*>("NoCondBtn")->click();
    };
    fillers["init"] = [n, half](DialogForm& f) {
      Type(f, {{"DspcEdit", "0"},
               {"Len", "1"},
               {"Dimension", n.c_str()},
               {"Rho0", "0.125"},
               {"RadioGroup1", "Press"},
               {"Pini", "0.1"},
               {"xf", "1"},
               {"Pout", "0.1"},
               {"MoveType", "v0 = 0"},
               {"InitProfile", "1T"},
               {"xShiftDiv", half.c_str()},
               {"rho0l", "1"},
               {"T0l", "1"}});
    };
    fillers["viscosity"] = [](DialogForm& f) { Type(f, {{"ViscType", "Loc"}, {"ViscMult", "4"}}); };
    // No save directory is chosen when the end time asks for one.
    fillers["save"] = [](DialogForm& f) { f.reject(); };
    ScriptDialogs(w, fillers);
    w.show();
  }
  void Build() {
    EXPECT_TRUE(w.EosDialog(false));
    EXPECT_TRUE(w.EosDialog(true));
    EXPECT_TRUE(w.ThermalDialog());
    w.InitShiftClick();
    w.VisClick(true);
  }
  std::string Out(const char* sub) const { return dir.filePath(sub).toStdString(); }
  void SetRun(const char* dt1, const char* endTime) {
    w.RunFields().Enter("dt1", dt1);
    w.RunFields().Enter("EndTime", endTime);
  }
};

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<fs::path> DataFiles(const std::string& dir) {
  std::vector<fs::path> out;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".DAT" && e.path().filename() != "Tneg.dat")
      out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(MainWindow, ShockTubeFromTheDialogsFillsTheTableAfterOneInterval) {
  Tube t;
  t.Build();
  TSession& s = t.w.Session();
  ASSERT_TRUE(s.Ctx.State);
  EXPECT_TRUE(s.Form.Vis);
  EXPECT_EQ(t.w.TableModel()->rowCount(), 100 + (s.Form.Data.HasBoundaryRow ? 1 : 0));
  s.SetSaveDir(t.Out("gui"));
  fs::create_directories(t.Out("gui"));
  t.SetRun("0.05", "0.05");
  t.w.CalculateClick();

  EXPECT_NEAR(static_cast<double>(s.Ctx.Time), 0.05, 1e-12);
  EXPECT_EQ(t.w.CalculateButton()->text(), "&Calculate");
  EXPECT_TRUE(t.w.CalculateButton()->isEnabled());
  EXPECT_EQ(t.w.windowTitle(), "Tessmar");
  // The shock has left the middle: the table shows the new state.
  ResultTableModel* m = t.w.TableModel();
  EXPECT_EQ(m->columnCount(), s.Form.Data.ColCount());
  EXPECT_EQ(m->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(),
            s.Form.Data.Cell(0, 0));
  EXPECT_EQ(m->index(49, 2).data().toString().toStdString(), s.Form.Data.Cell(2, 50));
  EXPECT_FALSE(m->index(99, 0).data().toString().isEmpty());
  EXPECT_EQ(DataFiles(t.Out("gui")).size(), 1u);
  EXPECT_NE(t.w.findChild<QLabel*>("StatEqLabel")->text().toStdString().find("I, gamma = 1.4"),
            std::string::npos);
}

TEST(MainWindow, BreakStopsTheRunAtTheNextPassAndNoSecondRunStarts) {
  Tube t(60);
  t.Build();
  TSession& s = t.w.Session();
  t.SetRun("0.05", "0.2");  // no save directory: nothing is written
  QString captionDuringRun;
  bool secondRunStarted = false;
  int pumps = 0;
  const auto pump = t.w.Port().BeforePump;
  // Some passes into the first interval the button is pressed as the events are processed.
  t.w.Port().BeforePump = [&] {
    pump();
    if (++pumps != 30) return;
    captionDuringRun = t.w.CalculateButton()->text();
    t.w.CalculateButton()->click();  // Break
    const Real time = s.Ctx.Time;
    t.w.CalculateClick();  // the loop is still finishing: nothing starts
    secondRunStarted = s.Ctx.Running || s.Ctx.Time != time;
  };
  t.w.CalculateClick();
  ASSERT_GE(pumps, 30);
  EXPECT_EQ(captionDuringRun, "X &Break Calc X");
  EXPECT_FALSE(secondRunStarted);
  EXPECT_FALSE(s.Ctx.Running);
  EXPECT_LT(s.Ctx.Time, 0.05L);  // stopped inside the first interval
  EXPECT_LT(s.Form.EndTime, 0);  // marked as stopped
  EXPECT_NEAR(static_cast<double>(s.Form.dt1 + s.Ctx.Time), 0.05, 1e-12);  // the rest is next
  EXPECT_EQ(t.w.CalculateButton()->text(), "&Calculate");
  EXPECT_EQ(std::count(t.w.Port().Sounds().begin(), t.w.Port().Sounds().end(), Sound::Exclamation),
            1);
}

TEST(MainWindow, ClosingAsksAndWaitsForTheRun) {
  {  // during a run: "Break calculations?"; OK stops it and the window closes after it
    Tube t(60);
    t.Build();
    t.answers.table["Break calculations?"] = Button::Ok;
    t.answers.table["Results not saved! Save now?"] = Button::No;
    t.SetRun("0.05", "0.2");
    bool closedDuringRun = true;
    int pumps = 0;
    const auto pump = t.w.Port().BeforePump;
    t.w.Port().BeforePump = [&] {
      pump();
      if (++pumps == 30) closedDuringRun = t.w.close();
    };
    t.w.CalculateClick();
    EXPECT_FALSE(closedDuringRun);
    EXPECT_TRUE(t.answers.WasAsked("Break calculations?"));
    QApplication::processEvents();
    EXPECT_FALSE(t.w.isVisible());
    EXPECT_TRUE(t.answers.WasAsked("Results not saved! Save now?"));
  }
  {  // unsaved results: Cancel keeps the window open
    Tube t(60);
    t.Build();
    t.SetRun("0.05", "0.05");
    t.w.CalculateClick();
    ASSERT_TRUE(t.w.Form().Unsaved);
    t.answers.table["Results not saved! Save now?"] = Button::Cancel;
    EXPECT_FALSE(t.w.close());
    EXPECT_TRUE(t.answers.WasAsked("Results not saved! Save now?"));
    EXPECT_TRUE(t.w.isVisible());
  }
}

TEST(MainWindow, RunFileSavedFromTheWindowReplaysToTheSameProfile) {
  Tube t(80);
  t.Build();
  t.SetRun("0.05", "0.1");
  const std::string runFile = t.Out("tube.toml");
  ASSERT_TRUE(t.w.SaveRunFile(runFile));
  t.w.Session().SetSaveDir(t.Out("gui"));
  fs::create_directories(t.Out("gui"));
  t.w.CalculateClick();

  std::ostringstream log;
  cli::RunOptions o;
  o.file = runFile;
  o.outDir = t.Out("batch");
  o.quiet = true;
  ASSERT_EQ(cli::RunCommand(o, log), 0) << log.str() << ReadAll(runFile);
  const auto gui = DataFiles(t.Out("gui")), batch = DataFiles(t.Out("batch"));
  ASSERT_EQ(gui.size(), 2u);
  ASSERT_EQ(batch.size(), gui.size());
  for (std::size_t i = 0; i < gui.size(); ++i) {
    EXPECT_EQ(gui[i].filename(), batch[i].filename());
    EXPECT_EQ(ReadAll(gui[i]), ReadAll(batch[i])) << gui[i];
  }

  // The same file opened in a new window builds the same state, without running.
  Tube again(10);
  again.answers.table.clear();  // the file's [answers] answer
  ASSERT_TRUE(again.w.OpenRunFile(runFile))
      << (again.answers.messages.empty() ? "" : again.answers.messages.front());
  EXPECT_EQ(again.w.Session().Ctx.Time, 0);
  EXPECT_EQ(again.w.TableModel()->rowCount(), t.w.TableModel()->rowCount());
  EXPECT_EQ(again.w.Form().dt1, t.w.Form().dt1);
  EXPECT_FALSE(again.answers.WasAsked("Save(print) settings?"));
}

// --- Printing ---

struct PdfPrinter {
  QString path;
  explicit PdfPrinter(const QString& p) : path(p) {
    PrintHooks::SetupPrinter = [this](QPrinter& printer) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(path);
      return true;
    };
  }
  ~PdfPrinter() {
    PrintHooks::SetupPrinter = nullptr;
    PrintHooks::ChooseScale = nullptr;
  }
  [[nodiscard]] bool Printed() const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-" && f.size() > 1000;
  }
};

TEST(Printing, DialogFormPrintsToPdfWithoutItsButtons) {
  QTemporaryDir dir;
  PdfPrinter pdf(dir.filePath("visc.pdf"));
  SimContext ctx;
  TAViscDialog visc(ctx);
  DialogForm form(visc, nullptr);
  form.show();
  bool hiddenWhilePrinting = false;
  // The OK button is seen hidden while the form is rendered.
  PrintHooks::SetupPrinter = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf.path);
    QTimer::singleShot(0, [] {});
    return true;
  };
  struct Probe : QObject {
    QPushButton* ok;
    bool* seen;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint && ok->isHidden()) *seen = true;
      return false;
    }
  } probe;
  probe.ok = form.OkButton();
  probe.seen = &hiddenWhilePrinting;
  form.findChild<QWidget*>("ViscType")->installEventFilter(&probe);
  ASSERT_TRUE(form.Print());
  EXPECT_TRUE(pdf.Printed());
  EXPECT_TRUE(hiddenWhilePrinting);
  EXPECT_FALSE(form.OkButton()->isHidden());
  EXPECT_FALSE(form.PrintButton()->isHidden());

  // A cancelled printer set-up prints nothing and changes nothing.
  QFile::remove(pdf.path);
  PrintHooks::SetupPrinter = [](QPrinter&) { return false; };
  EXPECT_FALSE(form.Print());
  EXPECT_FALSE(QFile::exists(pdf.path));
  EXPECT_FALSE(form.OkButton()->isHidden());
}

TEST(Printing, SaveSettingsYesPrintsTheOpenDialog) {
  QTemporaryDir dir;
  PdfPrinter pdf(dir.filePath("eos.pdf"));
  Tube t;
  t.answers.table["Save(print) settings?"] = Button::Yes;
  t.fillers["eos"] = [](DialogForm& f) {
    Type(f, {{"EqType", "Ideal gas"}, {"gamma", "1.4"}, {"AtomMass", "1"}});
  };
  // The init dialog asks the question after its build.
  t.w.EosDialog(false);
  t.w.EosDialog(true);
  t.w.ThermalDialog();
  t.w.InitShiftClick();
  EXPECT_TRUE(t.answers.WasAsked("Save(print) settings?"));
  EXPECT_TRUE(pdf.Printed());
}

TEST(Printing, PictureScaleChoiceIsKept) {
  QTemporaryDir dir;
  PdfPrinter pdf(dir.filePath("graph.pdf"));
  QImage picture(300, 200, QImage::Format_RGB888);
  picture.fill(Qt::blue);
  PrintScale scale = PrintScale::Proportional;
  PrintHooks::ChooseScale = [](PrintScale) { return PrintScale::None; };
  ASSERT_TRUE(PrintPicture(picture, scale));
  EXPECT_EQ(scale, PrintScale::None);
  EXPECT_TRUE(pdf.Printed());
  QFile::remove(pdf.path);
  PrintHooks::ChooseScale = [](PrintScale) { return std::optional<PrintScale>(); };
  EXPECT_FALSE(PrintPicture(picture, scale));
  EXPECT_EQ(scale, PrintScale::None);
  EXPECT_FALSE(QFile::exists(pdf.path));
}

TEST(Printing, ScalingDialogFocusesTheCurrentScale) {
  for (PrintScale s : {PrintScale::None, PrintScale::Proportional, PrintScale::PrintToFit}) {
    PrintScalingDialog dlg(s);
    EXPECT_EQ(dlg.windowTitle(), "Print Scaling");
    dlg.show();
    QApplication::processEvents();
    EXPECT_TRUE(dlg.ButtonOf(s)->hasFocus());
    dlg.ButtonOf(PrintScale::PrintToFit)->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Scale(), PrintScale::PrintToFit);
  }
}

// --- Question port ---

TEST(QtQuestionPort, FiltersInQtForm) {
  struct Case {
    const char* in;
    const char* out;
  };
  for (const Case& c : {Case{"Data file|*.dat|All files|*.*", "Data file (*.dat);;All files (*.*)"},
                        Case{"Text|*.txt", "Text (*.txt)"},
                        Case{"Pictures|*.bmp;*.jpg", "Pictures (*.bmp *.jpg)"}, Case{"", ""}})
    EXPECT_EQ(QtFilter(c.in).toStdString(), c.out) << c.in;
  EXPECT_EQ(FilterIndexOf("A (*.a);;B (*.b)", "B (*.b)"), 2);
  EXPECT_EQ(FilterIndexOf("A (*.a);;B (*.b)", "C"), 1);
  EXPECT_EQ(WithDefaultExtension("/d/name", "DAT"), "/d/name.DAT");
  EXPECT_EQ(WithDefaultExtension("/d/name.txt", "DAT"), "/d/name.txt");
}

TEST(QtQuestionPort, MessageBoxShowsExactlyTheButtonsAndTheText) {
  QtQuestionPort port;
  QStringList seenButtons;
  QString seenText;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seenText = box->text();
    for (QAbstractButton* b : box->buttons())
      seenButtons << QString::number(static_cast<int>(box->standardButton(b)), 16);
    box->button(QMessageBox::YesToAll)->click();
  });
  const Button b = port.Ask(
      "Iteration did not agree! Ignore and continue?",
      {Button::Yes, Button::No, Button::Cancel, Button::Retry, Button::NoToAll, Button::YesToAll});
  EXPECT_EQ(b, Button::YesToAll);
  EXPECT_EQ(seenText, "Iteration did not agree! Ignore and continue?");
  seenButtons.sort();
  QStringList want;
  for (auto s : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel, QMessageBox::Retry,
                 QMessageBox::NoToAll, QMessageBox::YesToAll})
    want << QString::number(static_cast<int>(s), 16);
  want.sort();
  EXPECT_EQ(seenButtons, want);
  ASSERT_EQ(port.Asked().size(), 1u);
  EXPECT_EQ(port.Asked()[0].second, Button::YesToAll);

  // Closed without a button: Cancel when offered.
  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_EQ(port.Ask("Save(print) settings?", {Button::Yes, Button::No, Button::Cancel}),
            Button::Cancel);
}

// --- Numeric edit ---

TEST(RealEditWidget, FiltersKeysAcceptsWithEnterRestoresWithEsc) {
  QtQuestionPort port;
  RealEditWidget w(&port);
  w.show();
  w.setFocus();
  w.SetValue(2);
  w.selectAll();
  QTest::keyClicks(&w, "1.5e3x");  // x is refused with a beep
  EXPECT_EQ(w.text(), "1.5E3");
  ASSERT_FALSE(port.Sounds().empty());
  EXPECT_EQ(port.Sounds().back(), Sound::Beep);
  QTest::keyClick(&w, Qt::Key_Return);
  EXPECT_EQ(w.Value(), 1500);
  w.selectAll();
  QTest::keyClicks(&w, "7");
  QTest::keyClick(&w, Qt::Key_Escape);  // back to the value last accepted
  EXPECT_EQ(w.text(), "1500");
  EXPECT_EQ(w.Value(), 1500);
  EXPECT_FALSE(w.Modified());
}

// --- Generic forms ---

TEST(DialogForm, FieldExitRefreshesVisibilityAndRefusesBadValues) {
  Answers answers;
  QtQuestionPort port;
  answers.Install(port);
  TSaveFileOptions so;
  DialogForm form(so, &port);
  form.show();
  QWidget* formatType = form.findChild<QWidget*>("FormatType");
  ASSERT_NE(formatType, nullptr);
  form.Editors().Enter("RadioGroup1", "Fixed");
  EXPECT_TRUE(formatType->isVisible());
  form.Editors().Enter("RadioGroup1", "Auto");
  EXPECT_FALSE(formatType->isVisible());
  // Leaving Scal runs its exit rule: the unit follows the scale.
  form.Editors().Enter("Scal", "1e12");
  EXPECT_EQ(qobject_cast<QLineEdit*>(form.findChild<QWidget*>("AddStr"))->text(), "ps");
  // Out of range: refused with a message naming the field.
  form.Editors().Enter("Press", "99");
  ASSERT_FALSE(answers.messages.empty());
  EXPECT_NE(answers.messages.back().find("Press"), std::string::npos);
  EXPECT_EQ(so.Press, 4);
  // Tool tips come from the descriptors.
  EXPECT_EQ(form.findChild<QWidget*>("AddStr")->toolTip().toStdString(),
            so.At("AddStr").HelpText());
}

// An OK that a check refuses asks nothing; the dialog names what needs
// attention and focuses it, also when it is a button rather than a field.
TEST(MainWindow, RefusedInitialStateNamesWhatNeedsAttention) {
  MainWindow w;
  Answers answers;
  answers.Install(w.Port());
  w.show();
  QString hint;
  bool focused = false;
  w.ExecDialog = [&](DialogForm& form) {
    form.show();
    form.Editors().Enter("Len", "1");
    form.PressOk();  // no heat-conduction model chosen yet
    for (QLabel* l : form.findChildren<QLabel*>())
      if (l->text().startsWith("Needs attention")) hint = l->text();
    for (QPushButton* b : form.findChildren<QPushButton*>())
      if (b->text().remove('&') == "El. Thermal Parameters") focused = form.focusWidget() == b;
    form.hide();
    return int(QDialog::Rejected);
  };
  w.InitShiftClick();
  EXPECT_EQ(hint, "Needs attention: El. Thermal Parameters");
  EXPECT_TRUE(focused);
  EXPECT_TRUE(answers.asked.empty());
  EXPECT_TRUE(answers.messages.empty());
}

TEST(ResultTableModel, TitlesRowIsTheHeaderAndCellsFollow) {
  TResultTable t;
  t.SetSize(3, 10001);
  for (int c = 0; c < 3; ++c) t.Cell(c, 0) = "col" + std::to_string(c);
  t.Cell(2, 10000) = "last";
  t.Cell(0, 1) = "first";
  ResultTableModel m(t);
  m.Reload();
  EXPECT_EQ(m.rowCount(), 10000);
  EXPECT_EQ(m.columnCount(), 3);
  EXPECT_EQ(m.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "col1");
  EXPECT_EQ(m.index(0, 0).data().toString(), "first");
  EXPECT_EQ(m.index(9999, 2).data().toString(), "last");
  QTableView view;
  view.setModel(&m);
  SetUpResultView(&view);
  FitColumns(&view, t);
  view.resize(400, 300);
  view.show();
  view.scrollToBottom();
  QApplication::processEvents();
  EXPECT_EQ(view.rowAt(view.viewport()->height() - 2), 9999);
}

}  // namespace
}  // namespace tessmar::app

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tessmar");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
