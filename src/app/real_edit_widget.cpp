#include "app/real_edit_widget.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace tessmar::app {

RealEditWidget::RealEditWidget(QuestionPort* port, QWidget* parent)
    : QLineEdit(parent), edit_(port) {
  ShowLogicText();
  // Editing keys (Backspace, Delete, paste, cut) change the text without a
  // printable key: the logic hears of every change made by the user.
  connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (syncing_) return;
    const int caret = cursorPosition();
    edit_.EditText(text.toStdString());
    ShowLogicText();
    setCursorPosition(std::min(caret, static_cast<int>(this->text().size())));
  });
}

Real RealEditWidget::Value() {
  const Real v = edit_.Value();
  ShowLogicText();
  return v;
}

void RealEditWidget::SetValue(Real v) {
  edit_.SetValue(v);
  ShowLogicText();
}

void RealEditWidget::ShowLogicText() {
  const QString t = QString::fromStdString(edit_.Text());
  if (t == text()) return;
  syncing_ = true;
  setText(t);
  syncing_ = false;
}

void RealEditWidget::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    const bool wasModified = edit_.Modified();
    edit_.PressEnter();
    ShowLogicText();
    if (wasModified || edit_.Modified()) emit edited();
    emit enterPressed();
    return;  // Enter does not reach the dialog's default button
  }
  if (key == Qt::Key_Escape) {
    if (edit_.Modified()) {
      edit_.PressEscape();
      ShowLogicText();
      return;
    }
    QLineEdit::keyPressEvent(event);  // nothing to undo: Esc closes the dialog
    return;
  }
  const QString typed = event->text();
  if (typed.size() == 1 && typed[0].unicode() >= 32 && typed[0].unicode() < 127 &&
      !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    if (hasSelectedText()) {  // typing replaces the selection
      del();
      edit_.EditText(text().toStdString());
    }
    char c = static_cast<char>(typed[0].unicode());
    if (edit_.TypeKey(c, cursorPosition())) {
      const int caret = cursorPosition() + 1;
      ShowLogicText();
      setCursorPosition(caret);
    }
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void RealEditWidget::focusInEvent(QFocusEvent* event) {
  edit_.DoEnter();
  QLineEdit::focusInEvent(event);
}

void RealEditWidget::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (edit_.Modified()) emit edited();
}

}  // namespace tessmar::app
