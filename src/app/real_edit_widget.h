#pragma once
// The numeric edit field: a line edit driven by the TRealEdit logic. Typed
// keys pass the format's key filter (a refused key beeps through the port),
// Enter accepts the text, Esc brings back the value last accepted, and the
// text is always upper case.

#include <QLineEdit>

#include "format/real_edit.h"

namespace tessmar::app {

class RealEditWidget : public QLineEdit {
  Q_OBJECT
 public:
  explicit RealEditWidget(QuestionPort* port = nullptr, QWidget* parent = nullptr);

  [[nodiscard]] TRealEdit& Logic() { return edit_; }
  // The value (converting an edited text first).
  Real Value();
  // Show a value set by the program (clears the modified flag).
  void SetValue(Real v);
  [[nodiscard]] bool Modified() const { return edit_.Modified(); }

 signals:
  // Enter accepted the text.
  void enterPressed();
  // The field lost the focus after its text was edited.
  void edited();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void ShowLogicText();
  TRealEdit edit_;
  bool syncing_ = false;
};

}  // namespace tessmar::app
