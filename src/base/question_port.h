#pragma once
// The one way the engine talks to a person: message boxes with standard
// buttons, file and directory choosers, notification sounds and the chance to
// process pending window events during long work. The desktop program answers
// with real dialogs, the batch runner from its run file and documented
// defaults, tests with a scripted port that records every question verbatim.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessmar {

enum class Button { Ok, Cancel, Yes, No, Retry, Abort, Ignore, YesToAll, NoToAll };

// A set of standard buttons, kept in the order it was written.
class ButtonSet {
 public:
  ButtonSet() = default;
  ButtonSet(std::initializer_list<Button> buttons) : buttons_(buttons) {}
  [[nodiscard]] bool Has(Button b) const;
  [[nodiscard]] const std::vector<Button>& Items() const { return buttons_; }
  [[nodiscard]] bool Empty() const { return buttons_.empty(); }

 private:
  std::vector<Button> buttons_;
};

// The icon and tone of a message box.
enum class MessageKind { Information, Warning, Error, Confirmation };

// The three notifications that mark the end of a run, a refused step and a
// question; Beep is the plain keyboard-rejection click.
enum class Sound { Error, Question, Exclamation, Beep };

enum class FileMode { Open, Save };

struct FileRequest {
  FileMode mode = FileMode::Open;
  std::string title;
  std::string filter;            // "Data file|*.dat|All files|*.*"
  int filterIndex = 1;           // 1-based, as the filter lists it
  std::string defaultExt;        // appended when the name has none
  std::string fileName;          // suggested name (may carry a directory)
  std::string initialDir;
  bool overwritePrompt = false;  // Save: confirm replacing an existing file
  bool mustExist = false;        // Open: the file must exist
};

struct FileAnswer {
  std::string fileName;
  int filterIndex = 1;
};

// "Yes" / "No to all" ..., the caption a button shows.
std::string_view ButtonCaption(Button b);
// Parse a caption back ("Yes to all", "yestoall", "OK" in any case); nullopt when unknown.
std::optional<Button> ParseButton(std::string_view text);

class QuestionPort {
 public:
  virtual ~QuestionPort() = default;

  // A message box with the given buttons; returns the button pressed.
  // Closing the box without a button counts as Cancel when offered, else
  // as the last button of the set.
  virtual Button Ask(std::string_view text, ButtonSet buttons,
                     MessageKind kind = MessageKind::Confirmation) = 0;
  // A message box with only OK.
  virtual void Inform(std::string_view text, MessageKind kind = MessageKind::Information) = 0;
  virtual std::optional<FileAnswer> ChooseFile(const FileRequest& request) = 0;
  virtual std::optional<std::string> ChooseDirectory(std::string_view title,
                                                     std::string_view initialDir) = 0;
  virtual void Notify(Sound sound) = 0;
  // Let the window system process pending events (Break, edits, closing).
  virtual void PumpEvents() = 0;
};

// The answer a port gives when nobody can answer: Cancel when offered, else
// No, else the last button of the set (for OK-only boxes: OK).
Button SafeDefault(const ButtonSet& buttons);

// A port for tests and for code that runs where nobody can answer. Answers are
// taken from a queue in order; when the queue is empty, SafeDefault answers.
// Every question, message, file request and sound is recorded verbatim.
class ScriptedQuestionPort : public QuestionPort {
 public:
  struct Record {
    enum class Type { Ask, Inform, File, Directory } type;
    std::string text;
    ButtonSet buttons;
    MessageKind kind = MessageKind::Information;
    Button answer = Button::Ok;
  };

  void QueueAnswer(Button b) { answers_.push_back(b); }
  void QueueFile(std::optional<FileAnswer> f) { files_.push_back(std::move(f)); }
  void QueueDirectory(std::optional<std::string> d) { dirs_.push_back(std::move(d)); }

  Button Ask(std::string_view text, ButtonSet buttons,
             MessageKind kind = MessageKind::Confirmation) override;
  void Inform(std::string_view text, MessageKind kind = MessageKind::Information) override;
  std::optional<FileAnswer> ChooseFile(const FileRequest& request) override;
  std::optional<std::string> ChooseDirectory(std::string_view title,
                                             std::string_view initialDir) override;
  void Notify(Sound sound) override { sounds.push_back(sound); }
  void PumpEvents() override { ++pumps; }

  // Texts of every Ask and Inform, in order.
  [[nodiscard]] std::vector<std::string> Texts() const;
  [[nodiscard]] std::size_t PendingAnswers() const { return answers_.size() - next_; }

  std::vector<Record> records;
  std::vector<FileRequest> fileRequests;
  std::vector<Sound> sounds;
  int pumps = 0;

 private:
  std::vector<Button> answers_;
  std::size_t next_ = 0;
  std::vector<std::optional<FileAnswer>> files_;
  std::size_t nextFile_ = 0;
  std::vector<std::optional<std::string>> dirs_;
  std::size_t nextDir_ = 0;
};

}  // namespace tessmar
