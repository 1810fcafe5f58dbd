#pragma once
// The question port of the batch runner. Nobody sits at the terminal, so each
// question is answered from the run file's [answers] table — the entry whose
// text is the longest prefix of the question — or, without one, by the batch
// default (BatchDefault: the safe default, except that "Save(print) settings?"
// is answered No because a batch run never prints). Every question
// and every message is written to the log (stderr) on one line each, with the
// answer used, so that a run can be read afterwards and its answers copied
// into [answers]:
//
//   question: "Save(print) settings?" -> Cancel (default)
//   question: "Use Ion ThermoCond?" -> Yes
//   message: No calculated
//
// File choosers take the name the program proposes; directory choosers the
// proposed directory or the run's output directory. Sounds and event pumping
// do nothing.

#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/question_port.h"
#include "cli/run_file.h"

namespace tessmar::cli {

// An [answers] entry names a button the question does not offer. Raised from
// Ask; the port also remembers it (Failure), in case the code around the
// question catches exceptions.
class AnswerNotOffered : public RunError {
 public:
  using RunError::RunError;
};

class BatchQuestionPort : public QuestionPort {
 public:
  explicit BatchQuestionPort(std::ostream& log, std::vector<RunAnswer> answers = {});

  void SetAnswers(std::vector<RunAnswer> answers) { answers_ = std::move(answers); }
  // The answer to a directory chooser that proposes none.
  void SetDefaultDirectory(std::string dir) { defaultDir_ = std::move(dir); }
  // Also log file choosers, sounds and the [answers] entry behind each answer.
  void SetTrace(bool on) { trace_ = on; }
  // Runs before each line is logged (clears a progress line).
  std::function<void()> BeforeOutput;

  Button Ask(std::string_view text, ButtonSet buttons,
             MessageKind kind = MessageKind::Confirmation) override;
  void Inform(std::string_view text, MessageKind kind = MessageKind::Information) override;
  std::optional<FileAnswer> ChooseFile(const FileRequest& request) override;
  std::optional<std::string> ChooseDirectory(std::string_view title,
                                             std::string_view initialDir) override;
  void Notify(Sound sound) override;
  void PumpEvents() override {}

  // The [answers] entry for this question: the longest question prefix,
  // compared without regard to case; nullptr when none matches.
  [[nodiscard]] const RunAnswer* Match(std::string_view question) const;

  // The first answer that named a button the question did not offer.
  [[nodiscard]] const std::optional<AnswerNotOffered>& Failure() const { return failure_; }
  // Messages shown as errors (MessageKind::Error), in order: a run that shows
  // one has failed even when it returns normally.
  [[nodiscard]] const std::vector<std::string>& Errors() const { return errors_; }
  [[nodiscard]] int QuestionCount() const { return questions_; }

 private:
  void Line(const std::string& text);

  std::ostream& log_;
  std::vector<RunAnswer> answers_;
  std::string defaultDir_;
  bool trace_ = false;
  std::optional<AnswerNotOffered> failure_;
  std::vector<std::string> errors_;
  int questions_ = 0;
};

// The answer when [answers] has none. The safe default (Cancel when offered,
// else No, else the last button), with one exception: "Save(print) settings?"
// gets No when offered. A batch run has no printer, and in the dialogs that
// ask it No accepts the values without printing, while Cancel would keep the
// dialog open and so refuse every run file that does not answer it.
Button BatchDefault(std::string_view question, const ButtonSet& buttons);

// A question or message as one line: quotes, backslashes and line breaks
// escaped as in a TOML string, so that the logged text can be pasted into
// [answers] as it is.
std::string Escaped(std::string_view text);

}  // namespace tessmar::cli
