#pragma once
// The main window: the run fields and the buttons of the calculation driver
// on top, the result table and the four graphs below in a splitter. The
// window owns one session (the simulation and every dialog model); the
// dialogs are generic forms over those models.

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/print.h"
#include "app/qt_question_port.h"
#include "run/session.h"

class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;
class QDialog;
class QElapsedTimer;

namespace tessmar {
class TImageFrame;
}

namespace tessmar::app {

class DialogForm;
class FieldEditors;
class GraphView;
class IntegrWindow;
class RealEditWidget;
class ResultTableModel;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  [[nodiscard]] TSession& Session() { return *session_; }
  [[nodiscard]] TMainForm& Form() { return session_->Form; }
  [[nodiscard]] QtQuestionPort& Port() { return *port_; }
  [[nodiscard]] FieldEditors& RunFields() { return *runFields_; }
  [[nodiscard]] QPushButton* CalculateButton() const { return calculate_; }
  [[nodiscard]] QTableView* Table() const { return table_; }
  [[nodiscard]] ResultTableModel* TableModel() const { return tableModel_; }
  [[nodiscard]] GraphView* Graph(int i) const { return graphs_[i]; }
  [[nodiscard]] bool Calculating() const { return calculating_; }

  // How a dialog form is run: exec() unless a script answers it (tests).
  // Returns QDialog::Accepted or QDialog::Rejected.
  std::function<int(DialogForm&)> ExecDialog;

  // --- The buttons' actions ---
  void CalculateClick();
  void InitShiftClick();
  void SaveClick();
  void LoadFileClick();
  void FormatClick();
  void IntegrClick();
  void TraceClick();
  void EqvOfStateClick();
  bool EosDialog(bool left);
  bool ThermalDialog();
  bool SaveOptionsDialog();
  void VisClick(bool down);

  // Settings as a run file, and a run file into the dialogs (without Calculate).
  bool SaveRunFile(const std::string& path);
  bool OpenRunFile(const std::string& path);
  // Tables whose dialog actions ran in this session, in the order of the
  // session's tables (what a run file must replay).
  [[nodiscard]] std::vector<std::string> UsedTables() const;

  // Fields, labels, title and buttons from the models.
  void SyncFromForm();
  // Table, integral values and graphs from the state.
  void RefreshResults();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildUi();
  void BuildMenus();
  void WireSession();
  int RunDialog(DialogForm& form);
  void MarkUsed(const std::string& table);
  void CommitMeshFields();
  void OnProgress(const RunProgress& p);
  void PrintGraph(int i);
  void RefreshGraphs();
  TImageFrame& Frame(int i);

  std::unique_ptr<QtQuestionPort> port_;
  std::unique_ptr<TSession> session_;
  std::vector<std::string> used_;

  FieldEditors* runFields_ = nullptr;
  RealEditWidget* len_ = nullptr;
  RealEditWidget* x1_ = nullptr;
  RealEditWidget* rho0_ = nullptr;
  QSpinBox* dimension_ = nullptr;
  QSpinBox* drawFrom_ = nullptr;
  QSpinBox* drawTo_ = nullptr;
  QPushButton* calculate_ = nullptr;
  QPushButton* vis_ = nullptr;
  std::vector<QPushButton*> idleOnly_;  // buttons that wait while a run goes on
  QLabel* statEqLabel_ = nullptr;
  QLabel* saveLabel_ = nullptr;
  QTableView* table_ = nullptr;
  ResultTableModel* tableModel_ = nullptr;
  GraphView* graphs_[4] = {};
  PrintScale graphPrintScale_ = PrintScale::Proportional;
  IntegrWindow* integr_ = nullptr;
  std::unique_ptr<QElapsedTimer> sinceSync_;
  bool calculating_ = false;
  bool closePending_ = false;
  int tableCols_ = -1;
};

}  // namespace tessmar::app
