#pragma once
// Forms built from a dialog model's field descriptors. FieldEditors makes one
// editor per field (real: numeric edit; whole number: spinner with the field's
// range; check: check box; choice: radio group or combo box; text: line edit;
// button: push button calling Press), stores what is typed when the field is
// left, runs the field's exit rule through the model, and shows the model's
// values, visibility and enabled state again afterwards. DialogForm is the
// generic modal dialog over a whole model, with OK running the dialog's
// action, Cancel and Print.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dialog/dialog_model.h"

class QAbstractButton;
class QButtonGroup;
class QGridLayout;
class QLabel;
class QPushButton;

namespace tessmar {
class QuestionPort;
}

namespace tessmar::app {

class FieldEditors : public QObject {
  Q_OBJECT
 public:
  FieldEditors(DialogModel& model, QuestionPort* port, QWidget* owner);

  [[nodiscard]] DialogModel& Model() const { return model_; }
  // The editor of a field, created on first use (FieldError for an unknown name).
  QWidget* Editor(const std::string& name);
  // Its label; null for the kinds that carry their caption (check, button, radio group).
  QLabel* Label(const std::string& name);
  [[nodiscard]] bool Has(const std::string& name) const { return entries_.count(name) != 0; }

  // Values, visibility and enabled state of every editor from the model.
  void Refresh();
  // Move the input focus to the editor the model names (DialogModel::Focus).
  void FocusModelField();
  // Store every editor whose text was edited but not yet left.
  void CommitPending();
  // Store a text into a field as if typed and left (tests and scripts).
  void Enter(const std::string& name, const QString& text);

  // Runs after a field was stored and its exit rule ran (also after a button).
  std::function<void(const std::string& field)> AfterExit;

 signals:
  void fieldExited(const QString& name);

 private:
  struct Entry {
    Field* field = nullptr;
    QWidget* editor = nullptr;
    QLabel* label = nullptr;
    QButtonGroup* group = nullptr;  // radio items
  };
  QWidget* Create(Entry& e);
  void Commit(Entry& e, const FieldValue& value);
  void Show(Entry& e);

  DialogModel& model_;
  QuestionPort* port_;
  QWidget* owner_;
  std::map<std::string, Entry> entries_;
  bool syncing_ = false;
  bool busy_ = false;
};

struct DialogFormOptions {
  // Fields that are not shown (values the program keeps, batch-only fields).
  std::vector<std::string> hidden;
  // OK: 1 closes the dialog accepted, -1 closes it rejected (the action
  // declined), 0 keeps it open. Empty: OK just closes it.
  std::function<int()> accept;
  // Extra buttons beside OK, Cancel and Print.
  struct Extra {
    QString caption;
    std::function<void()> run;
    // The model's name of this control, so that a check can move the focus
    // to it ("ThermParam", "StatEqButton" ...); may be empty.
    std::string control;
  };
  std::vector<Extra> extras;
  // After a button field of the model was pressed: 1 closes the dialog
  // accepted, -1 rejected, 0 keeps it open. Empty: buttons keep it open.
  std::function<int(const std::string& button)> buttonEnds;
  bool okButton = true;
  bool printButton = true;
  // Which buttons disappear while the form is printed; empty: every button.
  std::function<bool(QAbstractButton*)> hideWhenPrinting;
  // Editors per column; the fields are laid out in columns of this height.
  int rowsPerColumn = 14;
};

class DialogForm : public QDialog {
  Q_OBJECT
 public:
  DialogForm(DialogModel& model, QuestionPort* port, DialogFormOptions options = {},
             QWidget* parent = nullptr);
  ~DialogForm() override;

  [[nodiscard]] FieldEditors& Editors() { return *editors_; }
  [[nodiscard]] DialogModel& Model() const { return model_; }
  [[nodiscard]] QPushButton* OkButton() const { return ok_; }
  [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }
  [[nodiscard]] QPushButton* PrintButton() const { return print_; }
  // The button with this caption (ampersands ignored), or null.
  [[nodiscard]] QAbstractButton* FindButton(const QString& caption) const;
  // The buttons hidden while the form is printed.
  [[nodiscard]] std::vector<QAbstractButton*> ButtonsToHide() const;

  // OK as the button does it.
  void PressOk();
  // Print the form through the printer set-up (the Print button).
  bool Print();

  // The form open on a model, or null.
  static DialogForm* OpenFormOf(const DialogModel& model);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  DialogModel& model_;
  QuestionPort* port_;
  DialogFormOptions options_;
  FieldEditors* editors_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* print_ = nullptr;
  // The controls a check may name that are not fields (the extra buttons).
  std::map<std::string, QPushButton*> controls_;
  // "Needs attention: ..." after an OK that a check refused.
  QLabel* hint_ = nullptr;
  void ShowRefusal();
};

}  // namespace tessmar::app
