#include "app/qt_question_port.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QStringList>

namespace tessmar::app {

namespace {

QMessageBox::StandardButton ToQt(Button b) {
  switch (b) {
    case Button::Ok: return QMessageBox::Ok;
    case Button::Cancel: return QMessageBox::Cancel;
    case Button::Yes: return QMessageBox::Yes;
    case Button::No: return QMessageBox::No;
    case Button::Retry: return QMessageBox::Retry;
    case Button::Abort: return QMessageBox::Abort;
    case Button::Ignore: return QMessageBox::Ignore;
    case Button::YesToAll: return QMessageBox::YesToAll;
    case Button::NoToAll: return QMessageBox::NoToAll;
  }
  return QMessageBox::NoButton;
}

QMessageBox::Icon IconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Information: return QMessageBox::Information;
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Error: return QMessageBox::Critical;
    case MessageKind::Confirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

// Closing a box without a button: Cancel when offered, else the last button.
Button Dismissed(const ButtonSet& buttons) {
  if (buttons.Has(Button::Cancel)) return Button::Cancel;
  return buttons.Items().empty() ? Button::Ok : buttons.Items().back();
}

}  // namespace

QString QtFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    out << parts[i] + " (" + patterns + ")";
  }
  if (parts.size() % 2 == 1 && !parts.back().isEmpty()) out << parts.back();
  return out.join(";;");
}

int FilterIndexOf(const QString& qtFilter, const QString& selected) {
  const QStringList items = qtFilter.split(";;");
  const qsizetype i = items.indexOf(selected);
  return i < 0 ? 1 : static_cast<int>(i) + 1;
}

std::string WithDefaultExtension(const std::string& name, const std::string& ext) {
  if (name.empty() || ext.empty()) return name;
  if (!QFileInfo(QString::fromStdString(name)).suffix().isEmpty()) return name;
  return name + "." + ext;
}

QString SoundNote(Sound sound) {
  switch (sound) {
    case Sound::Error: return "Sound: error";
    case Sound::Question: return "Sound: question (end time reached)";
    case Sound::Exclamation: return "Sound: exclamation (run finished)";
    case Sound::Beep: return "Sound: beep";
  }
  return {};
}

Button QtQuestionPort::Ask(std::string_view text, ButtonSet buttons, MessageKind kind) {
  const std::string question(text);
  std::optional<Button> answer;
  if (Answer) answer = Answer(question, buttons);
  if (!answer) {
    QMessageBox box(IconOf(kind), QApplication::applicationName(), QString::fromStdString(question),
                    QMessageBox::NoButton, parent_);
    for (Button b : buttons.Items()) box.addButton(ToQt(b));
    if (buttons.Items().empty()) box.addButton(QMessageBox::Ok);
    if (buttons.Has(Button::Cancel)) box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    answer = Dismissed(buttons);
    const auto pressed = box.standardButton(box.clickedButton());
    for (Button b : buttons.Items())
      if (ToQt(b) == pressed) answer = b;
  }
  asked_.emplace_back(question, *answer);
  return *answer;
}

void QtQuestionPort::Inform(std::string_view text, MessageKind kind) {
  const std::string message(text);
  messages_.push_back(message);
  if (Message && Message(message, kind)) return;
  QMessageBox box(IconOf(kind), QApplication::applicationName(), QString::fromStdString(message),
                  QMessageBox::Ok, parent_);
  box.exec();
}

std::optional<FileAnswer> QtQuestionPort::ChooseFile(const FileRequest& r) {
  if (File) return File(r);
  const QString filter = QtFilter(r.filter);
  const QStringList filters = filter.split(";;");
  QString selected;
  if (r.filterIndex >= 1 && r.filterIndex <= filters.size()) selected = filters[r.filterIndex - 1];
  QString start = QString::fromStdString(r.fileName);
  if (!r.initialDir.empty() && QFileInfo(start).isRelative())
    start = QString::fromStdString(r.initialDir) + "/" + start;
  QString name;
  if (r.mode == FileMode::Save) {
    QFileDialog::Options opts;
    if (!r.overwritePrompt) opts |= QFileDialog::DontConfirmOverwrite;
    name = QFileDialog::getSaveFileName(parent_, QString::fromStdString(r.title), start, filter,
                                        &selected, opts);
  } else {
    name = QFileDialog::getOpenFileName(parent_, QString::fromStdString(r.title), start, filter,
                                        &selected);
  }
  if (name.isEmpty()) return std::nullopt;
  FileAnswer a;
  a.fileName = WithDefaultExtension(name.toStdString(), r.defaultExt);
  a.filterIndex = FilterIndexOf(filter, selected);
  return a;
}

std::optional<std::string> QtQuestionPort::ChooseDirectory(std::string_view title,
                                                           std::string_view initialDir) {
  if (Directory) return Directory(std::string(title), std::string(initialDir));
  const QString dir = QFileDialog::getExistingDirectory(
      parent_, QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())),
      QString::fromUtf8(initialDir.data(), static_cast<qsizetype>(initialDir.size())));
  if (dir.isEmpty()) return std::nullopt;
  return dir.toStdString();
}

void QtQuestionPort::Notify(Sound sound) {
  sounds_.push_back(sound);
  QApplication::beep();
  if (status_) status_->showMessage(SoundNote(sound), 5000);
}

void QtQuestionPort::PumpEvents() {
  if (BeforePump) BeforePump();
  QCoreApplication::processEvents();
}

}  // namespace tessmar::app
