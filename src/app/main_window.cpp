#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>

#include "app/dialog_form.h"
#include "app/graph_view.h"
#include "app/real_edit_widget.h"
#include "app/table_model.h"
#include "cli/run_file.h"
#include "cli/run_file_writer.h"
#include "dialog/num_format_dialog.h"
#include "materials/eos_dialog.h"
#include "materials/thermal_dialog.h"
#include "run/driver.h"
#include "run/graphs.h"
#include "run/init_shift.h"
#include "run/profile_files.h"
#include "run/table.h"
#include "run/visc_dialog.h"
#include "setup/init_dialog.h"

namespace tessmar::app {

// The integral-values window ("IntegrValues"): shown without waiting, stays
// on top, refreshed after every output interval.
class IntegrWindow : public QDialog {
 public:
  IntegrWindow(TMainForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle("IntegrValues");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(false);
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto add = [&](const char* caption, Real TIntegrValues::*member) {
      auto* label = new QLabel(caption, this);
      auto* edit = new QLineEdit(this);
      edit->setReadOnly(true);
      edit->setMinimumWidth(110);
      grid->addWidget(label, row, 0, Qt::AlignRight);
      grid->addWidget(edit, row, 1);
      rows_.push_back({label, edit, member});
      ++row;
    };
    add("Int p dt = ", &TIntegrValues::Ipdt);
    add("rho0 * Int v dx = ", &TIntegrValues::Ivdx);
    add("Et = ", &TIntegrValues::Et);
    add("Ek = ", &TIntegrValues::Ek);
    add("Eion =", &TIntegrValues::Ei);
    add("Eel = ", &TIntegrValues::Ee);
    add("Ed = ", &TIntegrValues::Ed);
    add(" E = ", &TIntegrValues::Es);
    add("Eadd = ", &TIntegrValues::Eadd);
    rcLabel_ = new QLabel(" x(rho =", this);
    rhoC_ = new RealEditWidget(nullptr, this);
    rhoC_->setObjectName("Rho_C");
    xrc_ = new QLineEdit(this);
    xrc_->setReadOnly(true);
    auto* rc = new QHBoxLayout;
    rc->addWidget(rcLabel_);
    rc->addWidget(rhoC_);
    rc->addWidget(new QLabel(") - L =", this));
    rc->addWidget(xrc_);
    rcPanel_ = new QWidget(this);
    rcPanel_->setLayout(rc);
    grid->addWidget(rcPanel_, row++, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    auto* rhoButton = new QPushButton("&rho_c", this);
    auto* ok = new QPushButton("&Ok", this);
    buttons->addWidget(rhoButton);
    buttons->addStretch();
    buttons->addWidget(ok);
    grid->addLayout(buttons, row, 0, 1, 2);
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    connect(rhoButton, &QPushButton::clicked, this, [this] {
      // "&rho_c": the panel with a third of the reference density.
      form_.Integr.RCPanelVisible = true;
      form_.Integr.Rho_C = form_.Ctx().rho0 / 3;
      Refresh();
      rhoC_->setFocus();
    });
    connect(rhoC_, &RealEditWidget::edited, this, [this] {
      form_.Integr.Rho_C = rhoC_->Value();
      Rho_CExit(form_);
      Refresh();
    });
    Refresh();
  }

  void Refresh() {
    const TIntegrValues& v = form_.Integr;
    for (const Row& r : rows_) r.edit->setText(QString::fromStdString(v.Text(v.*(r.member))));
    auto show = [this](Real TIntegrValues::*m, bool on) {
      for (const Row& r : rows_)
        if (r.member == m) {
          r.label->setVisible(on);
          r.edit->setVisible(on);
        }
    };
    show(&TIntegrValues::Ipdt, v.kPanelVisible);
    show(&TIntegrValues::Ivdx, v.kPanelVisible);
    show(&TIntegrValues::Ek, v.EkVisible);
    show(&TIntegrValues::Ei, v.T2PanelVisible);
    show(&TIntegrValues::Ee, v.T2PanelVisible);
    show(&TIntegrValues::Ed, v.T2PanelVisible);
    rcPanel_->setVisible(v.RCPanelVisible);
    if (!rhoC_->hasFocus()) rhoC_->SetValue(v.Rho_C);
    xrc_->setText(QString::fromStdString(v.Text(v.x_rc)));
  }

 private:
  struct Row {
    QLabel* label;
    QLineEdit* edit;
    Real TIntegrValues::*member;
  };
  TMainForm& form_;
  std::vector<Row> rows_;
  QLabel* rcLabel_;
  RealEditWidget* rhoC_;
  QLineEdit* xrc_;
  QWidget* rcPanel_;
};

namespace {

const char* const kGraphNames[4] = {"RGraph", "VGraph", "PGraph", "TGraph"};
const char* const kGraphTitles[4] = {"Density", "Velocity", "Pressure", "Temperature"};

QPushButton* MakeButton(const QString& caption, const QString& tip, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setToolTip(tip);
  b->setAutoDefault(false);
  return b;
}

// The [answers] entry with the longest beginning of the question, letter case ignored.
std::optional<Button> AnswerFromFile(const std::vector<cli::RunAnswer>& answers,
                                     const std::string& question, const ButtonSet& buttons) {
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  const std::string q = lower(question);
  const cli::RunAnswer* best = nullptr;
  for (const auto& a : answers) {
    const std::string k = lower(a.question);
    if (q.compare(0, k.size(), k) == 0 && (!best || k.size() > best->question.size())) best = &a;
  }
  if (!best || !buttons.Has(best->button)) return std::nullopt;
  return best->button;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent),
      port_(std::make_unique<QtQuestionPort>(this)),
      session_(std::make_unique<TSession>(port_.get())),
      sinceSync_(std::make_unique<QElapsedTimer>()) {
  BuildUi();
  BuildMenus();
  WireSession();
  SyncFromForm();
  resize(1280, 820);
}

MainWindow::~MainWindow() {
  // The dialog models outlive every form; hooks into this window go first.
  session_->Form.OnProgress = nullptr;
  port_->BeforePump = nullptr;
  // The widgets that show the models go before the session does.
  delete integr_;
  delete takeCentralWidget();
}

void MainWindow::BuildUi() {
  auto* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(6, 6, 6, 4);
  outer->setSpacing(4);

  // --- Run fields ---
  TMainForm& f = session_->Form;
  runFields_ = new FieldEditors(f, port_.get(), central);
  auto* fields = new QGroupBox("Run", central);
  auto* grid = new QGridLayout(fields);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  auto place = [&](const char* name, int row, int col) {
    QWidget* w = runFields_->Editor(name);
    if (QLabel* l = runFields_->Label(name)) grid->addWidget(l, row, col, Qt::AlignRight);
    grid->addWidget(w, row, col + 1);
    if (auto* e = qobject_cast<RealEditWidget*>(w)) e->setMinimumWidth(95);
  };
  place("EndTime", 0, 0);
  place("EndTmLV", 0, 2);
  place("dt1", 0, 4);
  place("dtLV", 0, 6);
  place("StepDiv", 0, 8);
  place("MnStepDiv", 0, 10);
  place("TotalTime", 1, 0);
  place("TimeLV", 1, 2);

  auto mesh = [&](RealEditWidget*& w, const char* name, const char* caption, const char* tip,
                  int col, Real TMainForm::*member) {
    w = new RealEditWidget(port_.get(), fields);
    w->setObjectName(name);
    w->setToolTip(tip);
    w->setMinimumWidth(80);
    auto* l = new QLabel(caption, fields);
    l->setBuddy(w);
    grid->addWidget(l, 1, col, Qt::AlignRight);
    grid->addWidget(w, 1, col + 1);
    connect(w, &RealEditWidget::edited, this, [this, w, member] {
      session_->Form.*member = w->Value();
      SyncFromForm();
    });
  };
  mesh(len_, "Len", "&Len", "initial length in units of x1", 4, &TMainForm::Len);
  mesh(x1_, "x1Edit", "x1", "length unit x1, cm", 6, &TMainForm::x1Edit);
  mesh(rho0_, "Rho0", "Rho0", "reference density, g/cm3", 8, &TMainForm::Rho0);
  dimension_ = new QSpinBox(fields);
  dimension_->setObjectName("Dimension");
  dimension_->setRange(1, 10000000);
  dimension_->setKeyboardTracking(false);
  dimension_->setToolTip("number of cells");
  auto* nLabel = new QLabel("N", fields);
  nLabel->setBuddy(dimension_);
  grid->addWidget(nLabel, 1, 10, Qt::AlignRight);
  grid->addWidget(dimension_, 1, 11);
  connect(dimension_, &QSpinBox::valueChanged, this,
          [this](int n) { session_->Form.Dimension = n; });
  for (int c = 1; c < 12; c += 2) grid->setColumnStretch(c, 1);
  outer->addWidget(fields);

  // --- Buttons ---
  auto* buttons = new QHBoxLayout;
  calculate_ = MakeButton("&Calculate", "run to the end time; during a run: break it", central);
  calculate_->setObjectName("Calculate");
  calculate_->setMinimumWidth(130);
  auto* init = MakeButton("&Init/Shift", "build the initial state (initial-state dialog)", central);
  auto* save = MakeButton("&Save", "save the current profile", central);
  auto* load = MakeButton("LoadFile", "load a saved profile", central);
  auto* format = MakeButton("Format", "number format of the table and the data files", central);
  auto* integr = MakeButton("Integr", "integral values", central);
  auto* trc = MakeButton("Trc", "trace the iterations and the spallation", central);
  auto* eos = MakeButton("&EqvOfState", "equation of state", central);
  vis_ = MakeButton("Vis", "artificial viscosity: down = on (opens its dialog)", central);
  vis_->setCheckable(true);
  for (QPushButton* b : {calculate_, init, save, load, format, integr, trc, eos, vis_})
    buttons->addWidget(b);
  buttons->addStretch();
  idleOnly_ = {init, save, load, format, trc, eos, vis_};
  connect(calculate_, &QPushButton::clicked, this, &MainWindow::CalculateClick);
  connect(init, &QPushButton::clicked, this, &MainWindow::InitShiftClick);
  connect(save, &QPushButton::clicked, this, &MainWindow::SaveClick);
  connect(load, &QPushButton::clicked, this, &MainWindow::LoadFileClick);
  connect(format, &QPushButton::clicked, this, &MainWindow::FormatClick);
  connect(integr, &QPushButton::clicked, this, &MainWindow::IntegrClick);
  connect(trc, &QPushButton::clicked, this, &MainWindow::TraceClick);
  connect(eos, &QPushButton::clicked, this, &MainWindow::EqvOfStateClick);
  connect(vis_, &QPushButton::clicked, this, &MainWindow::VisClick);
  outer->addLayout(buttons);

  auto* labels = new QHBoxLayout;
  statEqLabel_ = new QLabel(central);
  statEqLabel_->setObjectName("StatEqLabel");
  statEqLabel_->setToolTip("equation of state of the main material");
  saveLabel_ = new QLabel(central);
  saveLabel_->setObjectName("SaveLabel");
  saveLabel_->setToolTip("save directory");
  saveLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  labels->addWidget(statEqLabel_, 1);
  labels->addWidget(saveLabel_, 1);
  outer->addLayout(labels);

  // --- Table | graphs ---
  auto* split = new QSplitter(Qt::Horizontal, central);
  table_ = new QTableView(split);
  table_->setObjectName("Data");
  tableModel_ = new ResultTableModel(f.Data, table_);
  table_->setModel(tableModel_);
  SetUpResultView(table_);

  auto* right = new QWidget(split);
  auto* rightLay = new QVBoxLayout(right);
  rightLay->setContentsMargins(0, 0, 0, 0);
  auto* draw = new QHBoxLayout;
  drawFrom_ = new QSpinBox(right);
  drawTo_ = new QSpinBox(right);
  drawFrom_->setObjectName("DrawFrom");
  drawTo_->setObjectName("DrawTo");
  drawFrom_->setToolTip("first cell drawn");
  drawTo_->setToolTip("last cell drawn");
  auto* fromLabel = new QLabel("Draw &from", right);
  fromLabel->setBuddy(drawFrom_);
  auto* toLabel = new QLabel("&to", right);
  toLabel->setBuddy(drawTo_);
  draw->addWidget(fromLabel);
  draw->addWidget(drawFrom_);
  draw->addWidget(toLabel);
  draw->addWidget(drawTo_);
  draw->addStretch();
  rightLay->addLayout(draw);
  connect(drawFrom_, &QSpinBox::valueChanged, this, [this](int v) { session_->Form.DrawFrom = v; });
  connect(drawTo_, &QSpinBox::valueChanged, this, [this](int v) { session_->Form.DrawTo = v; });

  auto* graphs = new QGridLayout;
  graphs->setSpacing(4);
  for (int i = 0; i < 4; ++i) {
    graphs_[i] = new GraphView(kGraphNames[i], right);
    graphs_[i]->SetPlaceholder(QString("%1\n(no state yet)").arg(kGraphTitles[i]));
    graphs_[i]->ReadOut = [this, i](int px, int py) { return Frame(i).ReadOutText(px, py); };
    graphs->addWidget(graphs_[i], i / 2, i % 2);
    connect(graphs_[i], &GraphView::readOut, this,
            [this](const QString& t) { statusBar()->showMessage(t, 4000); });
    connect(graphs_[i], &GraphView::printRequested, this, [this, i] { PrintGraph(i); });
  }
  rightLay->addLayout(graphs, 1);
  split->addWidget(table_);
  split->addWidget(right);
  split->setStretchFactor(0, 5);
  split->setStretchFactor(1, 4);
  outer->addWidget(split, 1);

  setCentralWidget(central);
  port_->SetStatusBar(statusBar());
  integr_ = new IntegrWindow(f, this);
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("&Open run file...", this, [this] {
    const QString name =
        QFileDialog::getOpenFileName(this, "Open run file", {}, "Run file (*.toml);;All files (*)");
    if (!name.isEmpty()) OpenRunFile(name.toStdString());
  });
  file->addAction("Save settings as &run file...", this, [this] {
    QString name = QFileDialog::getSaveFileName(this, "Save settings as run file", "run.toml",
                                                "Run file (*.toml);;All files (*)");
    if (name.isEmpty()) return;
    if (QFileInfo(name).suffix().isEmpty()) name += ".toml";
    SaveRunFile(name.toStdString());
  });
  file->addSeparator();
  file->addAction("&Quit", this, &QWidget::close);
  QMenu* dialogs = menuBar()->addMenu("&Dialogs");
  dialogs->addAction("&Equation of state...", this, [this] { EqvOfStateClick(); });
  dialogs->addAction("Equation of state of the &second material...", this,
                     [this] { EosDialog(true); });
  dialogs->addAction("El. Ther&mal Parameters...", this, [this] { ThermalDialog(); });
  dialogs->addAction("&Initial state (Init/Shift)...", this, [this] { InitShiftClick(); });
  dialogs->addAction("Save &options...", this, [this] {
    if (SaveOptionsDialog()) SyncFromForm();
  });
  dialogs->addAction("&Integral values", this, [this] { IntegrClick(); });
}

void MainWindow::WireSession() {
  TSession& s = *session_;
  TMainForm& f = s.Form;
  f.OnProgress = [this](const RunProgress& p) { OnProgress(p); };
  f.ChooseSaveDir = [this] {
    TMainForm& m = session_->Form;
    const std::string suggestion =
        !m.SaveDialogFileName.empty() ? DirectoryOf(m.SaveDialogFileName) : m.LastReadDir;
    if (!ChooseSaveOptions(m, suggestion)) return;
    m.JpegPictures = m.SaveOptions.GraphType == TSaveFileOptions::kJPEG;
    m.HistoryFile = m.SaveOptions.Dir + (m.Integr.RCPanelVisible ? "xrc.dat" : "Surf.dat");
  };
  f.SaveOptions.ShowModal = [this](TSaveFileOptions& so) {
    DialogForm form(so, port_.get(), {}, this);
    return RunDialog(form) == QDialog::Accepted;
  };
  f.SaveOptions.Port = port_.get();
  // The dialogs reach each other through their hooks.
  s.Init().OpenEOSDialog = [this](bool left) { return EosDialog(left); };
  s.Init().OpenThermalDialog = [this] { return ThermalDialog(); };
  s.Eos().ShowElectronDialog = [this] { ThermalDialog(); };
  s.EosLeft().ShowElectronDialog = [this] { ThermalDialog(); };
  // "Save(print) settings?" answered Yes prints the form that asked.
  auto printOpen = [](const DialogModel& m) {
    return [&m] {
      if (DialogForm* form = DialogForm::OpenFormOf(m)) form->Print();
    };
  };
  s.Eos().PrintDialog = printOpen(s.Eos());
  s.EosLeft().PrintDialog = printOpen(s.EosLeft());
  s.Thermal().PrintPage = printOpen(s.Thermal());
  s.Init().PrintDialog = printOpen(s.Init());
  port_->BeforePump = [this] {
    // During a run only the Break button and the run fields need to follow.
    const TMainForm& m = session_->Form;
    const QString caption = QString::fromStdString(m.CalculateCaption);
    if (calculate_->text() != caption) calculate_->setText(caption);
    calculate_->setEnabled(m.CalculateEnabled);
  };
}

int MainWindow::RunDialog(DialogForm& form) {
  if (ExecDialog) return ExecDialog(form);
  return form.exec();
}

void MainWindow::MarkUsed(const std::string& table) {
  if (std::find(used_.begin(), used_.end(), table) == used_.end()) used_.push_back(table);
}

std::vector<std::string> MainWindow::UsedTables() const {
  std::vector<std::string> out;
  for (const RunTable& t : session_->Tables()) {
    const bool always = t.Key == "save" || t.Key == "run" || t.Key == "format";
    if (always || std::find(used_.begin(), used_.end(), t.Key) != used_.end()) out.push_back(t.Key);
  }
  return out;
}

void MainWindow::CommitMeshFields() {
  runFields_->CommitPending();
  TMainForm& f = session_->Form;
  if (len_->Modified()) f.Len = len_->Value();
  if (x1_->Modified()) f.x1Edit = x1_->Value();
  if (rho0_->Modified()) f.Rho0 = rho0_->Value();
}

void MainWindow::SyncFromForm() {
  TMainForm& f = session_->Form;
  runFields_->Refresh();
  if (!len_->hasFocus() || !len_->Modified()) len_->SetValue(f.Len);
  if (!x1_->hasFocus() || !x1_->Modified()) x1_->SetValue(f.x1Edit);
  if (!rho0_->hasFocus() || !rho0_->Modified()) rho0_->SetValue(f.Rho0);
  {
    const QSignalBlocker b1(dimension_), b2(drawFrom_), b3(drawTo_);
    dimension_->setValue(f.Dimension);
    drawFrom_->setRange(0, std::max(0, f.DrawMax));
    drawTo_->setRange(0, std::max(0, f.DrawMax));
    drawFrom_->setValue(f.DrawFrom);
    drawTo_->setValue(f.DrawTo);
  }
  calculate_->setText(QString::fromStdString(f.CalculateCaption));
  calculate_->setEnabled(f.CalculateEnabled);
  for (QPushButton* b : idleOnly_) b->setEnabled(!calculating_);
  vis_->setChecked(f.Vis);
  statEqLabel_->setText(QString::fromStdString(
      f.StatEqLabel.empty() ? std::string("EOS: none chosen") : "EOS: " + f.StatEqLabel));
  saveLabel_->setText(QString::fromStdString(f.SaveLabel.empty() ? std::string("no save directory")
                                                                 : "Save: " + f.SaveLabel));
  setWindowTitle(QString::fromStdString(f.Title));
}

void MainWindow::RefreshResults() {
  TMainForm& f = session_->Form;
  tableModel_->Reload();
  if (f.Data.ColCount() != tableCols_) {
    FitColumns(table_, f.Data);
    tableCols_ = f.Data.ColCount();
  }
  integr_->Refresh();
  RefreshGraphs();
}

TImageFrame& MainWindow::Frame(int i) {
  TMainForm& f = session_->Form;
  TImageFrame* frames[4] = {&f.RGraph, &f.VGraph, &f.PGraph, &f.TGraph};
  return *frames[i];
}

void MainWindow::RefreshGraphs() {
  // A fixed mesh shows the temperature graph alone (the others are hidden
  // and the temperature graph fills the panel); before the first state all
  // four placeholders are shown.
  const bool any = session_->Ctx.State != nullptr;
  for (int i = 0; i < 4; ++i) {
    const TImageFrame& frame = Frame(i);
    graphs_[i]->setVisible(!any || frame.Visible);
    if (frame.Image) graphs_[i]->SetImage(ToQImage(frame.Image->Snapshot()));
  }
}

void MainWindow::OnProgress(const RunProgress& p) {
  if (p.IntervalDone) {
    SyncFromForm();
    RefreshResults();
    sinceSync_->restart();
    return;
  }
  // The fields follow the run a few times a second; every pass would be too often.
  if (!sinceSync_->isValid() || sinceSync_->elapsed() > 100) {
    SyncFromForm();
    sinceSync_->restart();
  }
}

void MainWindow::CalculateClick() {
  SimContext& ctx = session_->Ctx;
  if (ctx.Running) {  // the button carries "X &Break Calc X"
    BreakCalc(session_->Form);
    SyncFromForm();
    return;
  }
  if (calculating_) return;  // the last interval of a broken run is still being finished
  CommitMeshFields();
  calculating_ = true;
  SyncFromForm();
  try {
    session_->Calculate();
  } catch (const std::exception& e) {
    port_->Inform(e.what(), MessageKind::Error);
  }
  calculating_ = false;
  SyncFromForm();
  RefreshResults();
  if (session_->Form.Focus() == "dt1") {
    runFields_->FocusModelField();
  } else {
    calculate_->setFocus();
  }
  if (closePending_) {
    closePending_ = false;
    QTimer::singleShot(0, this, &QWidget::close);
  }
}

void MainWindow::InitShiftClick() {
  if (calculating_) return;
  CommitMeshFields();
  TSession& s = *session_;
  TInitional& init = s.Init();
  BuildResult r = BuildResult::kAll;
  while (r == BuildResult::kAll) {
    InitShiftBegin(s.Form, init, InitCause::kInit);
    DialogFormOptions o;
    o.accept = [&] {
      r = InitShiftFinish(s.Form, init);
      return r == BuildResult::kAccepted || r == BuildResult::kAll ? 1 : 0;
    };
    o.extras.push_back({"&EqvOfState", [this] { EosDialog(false); }, "StatEqButton"});
    o.extras.push_back({"EOS &glass", [this] { EosDialog(true); }, "EOSlButton"});
    o.extras.push_back({"El. Ther&mal Parameters", [this] { ThermalDialog(); }, "ThermParam"});
    o.rowsPerColumn = 16;
    DialogForm form(init, port_.get(), o, this);
    if (RunDialog(form) != QDialog::Accepted) break;
    MarkUsed("init");
  }
  SyncFromForm();
  RefreshResults();
}

bool MainWindow::EosDialog(bool left) {
  TSession& s = *session_;
  TEosDialog& eos = left ? s.EosLeft() : s.Eos();
  DialogFormOptions o;
  o.accept = [&eos] {
    switch (eos.AcceptEOS()) {
      case EosDialogResult::kOk: return 1;
      case EosDialogResult::kNo: return -1;
      default: return 0;
    }
  };
  // Printed without "&OK", Cancel and "&Print"; the dialog's own buttons stay.
  o.hideWhenPrinting = [](QAbstractButton* b) {
    const QString t = QString(b->text()).remove('&');
    return t == "OK" || t == "Cancel" || t == "Print";
  };
  DialogForm form(eos, port_.get(), o, this);
  if (left) form.setWindowTitle(form.windowTitle() + " (second material)");
  const bool ok = RunDialog(form) == QDialog::Accepted;
  if (ok) {
    MarkUsed(left ? "eos_left" : "eos");
    if (left)
      s.Form.StatEqLabelLeft = eos.Description.first;
    else
      s.Form.StatEqLabel = eos.Description.first;
  }
  SyncFromForm();
  return ok;
}

void MainWindow::EqvOfStateClick() {
  if (EosDialog(false)) {
    len_->setFocus();
  }
}

bool MainWindow::ThermalDialog() {
  TThermParamDialog& th = session_->Thermal();
  th.FormShow();
  DialogFormOptions o;
  o.okButton = false;  // the pages' own OK, NoConduct and No end the dialog
  o.hidden = {"CloseBy"};
  o.buttonEnds = [&th](const std::string& button) {
    int closeBy = -1;
    if (button == "OkBtn" || button == "OkBitBtn2") closeBy = 0;
    if (button == "NoCondBtn") closeBy = 1;
    if (button == "NoBtn") closeBy = 2;
    if (closeBy < 0 || th.LastResult == ThermDialogResult::kKeepOpen) return 0;
    th.CloseBy = closeBy;  // what a run file replays
    return 1;
  };
  o.hideWhenPrinting = [this](QAbstractButton* b) {
    return !(b->objectName() == "NoCondBtn" && session_->Ctx.NoConduct);
  };
  DialogForm form(th, port_.get(), o, this);
  const bool ok = RunDialog(form) == QDialog::Accepted;
  if (ok) MarkUsed("thermal");
  return ok && th.LastResult == ThermDialogResult::kOk;
}

bool MainWindow::SaveOptionsDialog() {
  TMainForm& f = session_->Form;
  if (!ChooseSaveOptions(f, f.SaveOptions.Dir)) return false;
  f.JpegPictures = f.SaveOptions.GraphType == TSaveFileOptions::kJPEG;
  f.SaveLabel = f.SaveOptions.Dir;
  f.HistoryFile = f.SaveOptions.Dir + (f.Integr.RCPanelVisible ? "xrc.dat" : "Surf.dat");
  MarkUsed("save");
  return true;
}

void MainWindow::VisClick(bool down) {
  TSession& s = *session_;
  if (!down) {  // the other button of the pair: viscosity off
    s.Form.Vis = false;
    SyncFromForm();
    return;
  }
  TAViscDialog& v = s.Visc();
  v.Load();
  DialogForm form(v, port_.get(), {}, this);
  if (RunDialog(form) == QDialog::Accepted) {
    s.Form.Vis = v.OkBtnClick() > 0;
    MarkUsed("viscosity");
  }
  SyncFromForm();
}

void MainWindow::SaveClick() {
  if (calculating_) return;
  CommitMeshFields();
  Save(session_->Form);
  SyncFromForm();
}

void MainWindow::LoadFileClick() {
  if (calculating_) return;
  if (LoadFile(session_->Form)) statusBar()->showMessage("Profile loaded", 4000);
  SyncFromForm();
  RefreshResults();
}

void MainWindow::FormatClick() {
  if (calculating_) return;
  TSession& s = *session_;
  const bool ok = tessmar::FormatClick(s.Form, s.Format(), [this](TNumFormatDialog& d) {
    DialogForm form(d, port_.get(), {}, this);
    return RunDialog(form) == QDialog::Accepted;
  });
  if (ok) {
    MarkUsed("format");
    tableCols_ = -1;
    RefreshResults();
  }
}

void MainWindow::IntegrClick() {
  integr_->Refresh();
  integr_->show();
  integr_->raise();
}

void MainWindow::TraceClick() {
  TraceBitBtnClick(session_->Form);
}

void MainWindow::PrintGraph(int i) {
  const QImage picture = graphs_[i]->Image();
  if (picture.isNull()) return;
  PrintPicture(picture, graphPrintScale_, this);
}

bool MainWindow::SaveRunFile(const std::string& path) {
  CommitMeshFields();
  cli::RunFileWriteOptions o;
  o.tables = UsedTables();
  o.answers = port_->Asked();
  o.comment = "Settings saved by the Tessmar desktop program";
  std::string error;
  if (!cli::WriteRunFileText(path, cli::RunFileText(*session_, o), error)) {
    port_->Inform(error, MessageKind::Error);
    return false;
  }
  statusBar()->showMessage(QString::fromStdString("Run file written: " + path), 5000);
  return true;
}

bool MainWindow::OpenRunFile(const std::string& path) {
  if (calculating_) return false;
  TSession& s = *session_;
  try {
    const cli::RunFile file = cli::LoadRunFile(path);
    std::vector<RunTable> tables = s.Tables();
    const auto problems = cli::CheckRunFile(file, tables);
    if (!problems.empty()) {
      std::string text;
      for (const auto& p : problems) text += std::string(p.what()) + "\n";
      port_->Inform(text, MessageKind::Error);
      return false;
    }
    // The file's [answers] answer its questions; the rest are asked.
    auto previous = port_->Answer;
    port_->Answer = [&file, previous](const std::string& q, const ButtonSet& b) {
      if (auto a = AnswerFromFile(file.answers, q, b)) return a;
      return previous ? previous(q, b) : std::optional<Button>();
    };
    cli::ApplyOptions apply;
    apply.deferActions = {"run"};  // Calculate waits for the button
    try {
      cli::ApplyRunFile(file, tables, apply);
    } catch (...) {
      port_->Answer = previous;
      throw;
    }
    port_->Answer = previous;
    for (const auto& t : file.tables) MarkUsed(t.name);
    if (!s.Eos().Description.first.empty()) s.Form.StatEqLabel = s.Eos().Description.first;
    if (!s.EosLeft().Description.first.empty())
      s.Form.StatEqLabelLeft = s.EosLeft().Description.first;
  } catch (const cli::RunError& e) {
    port_->Inform(e.what(), MessageKind::Error);
    SyncFromForm();
    RefreshResults();
    return false;
  }
  SyncFromForm();
  RefreshResults();
  statusBar()->showMessage(QString::fromStdString("Run file applied: " + path), 5000);
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  CommitMeshFields();
  const bool wasRunning = session_->Ctx.Running;
  const bool mayClose = FormCloseQuery(session_->Form);
  if (wasRunning && !session_->Ctx.Running) {
    // Break answered OK: the run stops at its next pass, then the window closes.
    closePending_ = true;
  }
  if (!mayClose || calculating_) {
    if (calculating_ && mayClose) closePending_ = true;
    event->ignore();
    SyncFromForm();
    return;
  }
  integr_->close();
  event->accept();
}

}  // namespace tessmar::app
