#pragma once
// The question port of the desktop program: message boxes with the standard
// buttons the engine asks for, Qt's file and directory choosers, a beep with a
// note in the status bar for the sounds, and event processing during a run.
//
// Every modal interaction can be answered by a script instead (the hooks
// below), so that the window can be driven without anyone at the screen. Each
// question and its answer is kept, so that the session's answers can be
// written into a run file.

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/question_port.h"

class QWidget;
class QStatusBar;

namespace tessmar::app {

// "Data file|*.dat|All files|*.*" -> "Data file (*.dat);;All files (*.*)".
QString QtFilter(const std::string& filter);
// The 1-based index of `selected` among the filters of `qtFilter`; 1 when absent.
int FilterIndexOf(const QString& qtFilter, const QString& selected);
// `name` with `ext` appended (with a dot) when the file name has no extension.
std::string WithDefaultExtension(const std::string& name, const std::string& ext);
// Text of a sound for the status bar: "Sound: error" ...
QString SoundNote(Sound sound);

class QtQuestionPort : public QuestionPort {
 public:
  explicit QtQuestionPort(QWidget* parent = nullptr) : parent_(parent) {}

  void SetParent(QWidget* parent) { parent_ = parent; }
  void SetStatusBar(QStatusBar* bar) { status_ = bar; }

  Button Ask(std::string_view text, ButtonSet buttons,
             MessageKind kind = MessageKind::Confirmation) override;
  void Inform(std::string_view text, MessageKind kind = MessageKind::Information) override;
  std::optional<FileAnswer> ChooseFile(const FileRequest& request) override;
  std::optional<std::string> ChooseDirectory(std::string_view title,
                                             std::string_view initialDir) override;
  void Notify(Sound sound) override;
  void PumpEvents() override;

  // --- Scripting: a set hook answers instead of a modal window ---
  // Answer a question (nullopt: show the box after all).
  std::function<std::optional<Button>(const std::string& text, const ButtonSet& buttons)> Answer;
  // Take note of a message instead of showing it (true: handled).
  std::function<bool(const std::string& text, MessageKind kind)> Message;
  // Choose a file / a directory instead of the chooser.
  std::function<std::optional<FileAnswer>(const FileRequest&)> File;
  std::function<std::optional<std::string>(const std::string& title, const std::string& dir)>
      Directory;
  // Runs before pending events are processed (the window brings its fields up to date).
  std::function<void()> BeforePump;

  // Every question asked, with its answer, in order.
  [[nodiscard]] const std::vector<std::pair<std::string, Button>>& Asked() const { return asked_; }
  // Every message shown, in order.
  [[nodiscard]] const std::vector<std::string>& Messages() const { return messages_; }
  [[nodiscard]] const std::vector<Sound>& Sounds() const { return sounds_; }
  void ClearRecord() {
    asked_.clear();
    messages_.clear();
    sounds_.clear();
  }

 private:
  QWidget* parent_ = nullptr;
  QStatusBar* status_ = nullptr;
  std::vector<std::pair<std::string, Button>> asked_;
  std::vector<std::string> messages_;
  std::vector<Sound> sounds_;
};

}  // namespace tessmar::app
