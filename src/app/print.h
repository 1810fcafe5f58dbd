#pragma once
// Printing: a graph's picture through the "Print Scaling" dialog and a small
// form that holds a copy of the picture, and the parameter dialogs themselves
// as a record of a run's settings ("Save(print) settings?" answered Yes).
// Printing goes through Qt's printer dialogs; a printer set to PDF output
// prints into a file, also without a screen.

#include <QDialog>
#include <QImage>
#include <functional>
#include <optional>
#include <vector>

class QAbstractButton;
class QPrinter;
class QPushButton;

namespace tessmar::app {

// None: screen pixels as printer pixels; Proportional: the size on paper the
// form has on the screen; PrintToFit: scaled to the page width.
enum class PrintScale { None = 0, Proportional = 1, PrintToFit = 2 };

class PrintScalingDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PrintScalingDialog(PrintScale scale, QWidget* parent = nullptr);
  [[nodiscard]] PrintScale Scale() const { return scale_; }
  [[nodiscard]] QPushButton* ButtonOf(PrintScale scale) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  PrintScale scale_;
  QPushButton* prop_;
  QPushButton* page_;
  QPushButton* none_;
};

// What would otherwise be modal: the scaling dialog and the printer set-up.
// Tests and scripts set these; empty hooks show the dialogs.
struct PrintHooks {
  // nullopt: cancelled.
  static inline std::function<std::optional<PrintScale>(PrintScale current)> ChooseScale;
  // false: cancelled. May set the printer up (e.g. PDF output to a file).
  static inline std::function<bool(QPrinter& printer)> SetupPrinter;
};

// The printer shared by every print of the session (its settings persist).
QPrinter& SessionPrinter();

// The scaling dialog with `scale` preselected; OK stores the choice into
// `scale` and returns true.
bool ChoosePrintScale(PrintScale& scale, QWidget* parent = nullptr);
// The printer set-up (QPrintDialog, or the hook); true when accepted.
bool SetupPrinter(QPrinter& printer, QWidget* parent = nullptr);
// Render a widget onto one page of the printer with the scale.
bool RenderWidget(QPrinter& printer, QWidget* widget, PrintScale scale);

// The print button of a parameter dialog: printer set-up; accepted, the
// buttons `hide` disappear, the form is printed with `scale`, and every one
// of them is shown again. Returns true when a page was printed.
bool PrintDialogForm(QWidget* form, const std::vector<QAbstractButton*>& hide,
                     PrintScale scale = PrintScale::PrintToFit);

// The print button of a graph frame: a form holding a copy of the picture,
// the scaling dialog (its choice becomes `ownerScale`), the printer set-up,
// and the form printed with that scale. The form is always destroyed.
bool PrintPicture(const QImage& picture, PrintScale& ownerScale, QWidget* owner = nullptr);

}  // namespace tessmar::app
