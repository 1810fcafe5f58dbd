// The batch runner's question port: answers from [answers], defaults, and the
// log lines a run leaves on stderr.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/batch_port.h"
#include "cli/run_file.h"

namespace tessmar::cli {
namespace {

const ButtonSet kYesNoCancel{Button::Yes, Button::No, Button::Cancel};
const ButtonSet kYesNo{Button::Yes, Button::No};
const ButtonSet kOkNo{Button::Ok, Button::No};
const ButtonSet kFloorStep{Button::Yes,   Button::No,      Button::Cancel,
                           Button::Retry, Button::NoToAll, Button::YesToAll};

std::vector<RunAnswer> AnswersOf(std::string_view text) {
  return ParseRunFile(text, "run.toml").answers;
}

TEST(BatchPort, LongestMatchingBeginningAnswers) {
  const auto answers = AnswersOf(
      "[answers]\n"
      "\"Iteration\" = \"No to all\"\n"
      "\"Iteration did not agree! 51 iterations\" = \"Yes\"\n"
      "\"use ion thermocond?\" = \"yes\"\n");
  struct Case {
    const char* question;
    ButtonSet buttons;
    Button answer;
  } cases[] = {
      {"Iteration did not agree! 51 iterations, R1 =2, R2 =3 Ignore and continue?", kFloorStep,
       Button::Yes},
      {"Iteration did not agree! 7 iterations, R1 =2, R2 =3 Ignore and continue?", kFloorStep,
       Button::NoToAll},
      {"Use Ion ThermoCond?", kYesNo, Button::Yes},            // case is ignored
      {"Use I EOS for glass?", kYesNoCancel, Button::Cancel},  // no entry: default
  };
  for (const auto& c : cases) {
    std::ostringstream log;
    BatchQuestionPort port(log, answers);
    EXPECT_EQ(port.Ask(c.question, c.buttons), c.answer) << c.question;
  }
}

TEST(BatchPort, DefaultsWithoutAnEntry) {
  struct Case {
    const char* question;
    ButtonSet buttons;
    Button answer;
  } cases[] = {
      {"Use I EOS for glass?", kYesNoCancel, Button::Cancel},
      {"Reset rho0?", kYesNo, Button::No},
      {"ReAssign to other xrs/Surf file", kOkNo, Button::No},
      {"Note", ButtonSet{Button::Ok}, Button::Ok},
      {"Retry?", ButtonSet{Button::Ok, Button::Retry}, Button::Retry},
      {"Iteration did not agree! 3 iterations", kFloorStep, Button::Cancel},
      // A batch run never prints: No accepts the dialog, Cancel would keep it open.
      {"Save(print) settings?", kYesNoCancel, Button::No},
  };
  for (const auto& c : cases) {
    std::ostringstream log;
    BatchQuestionPort port(log);
    EXPECT_EQ(port.Ask(c.question, c.buttons), c.answer) << c.question;
  }
}

TEST(BatchPort, EveryQuestionAndMessageIsLoggedOnOneLine) {
  std::ostringstream log;
  BatchQuestionPort port(log, AnswersOf("[answers]\n\"Use Ion\" = \"Yes\"\n"));
  int cleared = 0;
  port.BeforeOutput = [&] { ++cleared; };
  port.Ask("Use Ion ThermoCond?", kYesNo);
  port.Ask("Reset rho0?", kYesNo);
  port.Inform("No calculated", MessageKind::Error);
  port.Ask("Unexpected file format on line 7\r\n  12 \"x\"...", ButtonSet{Button::Ok});
  EXPECT_EQ(log.str(),
            "question: \"Use Ion ThermoCond?\" -> Yes\n"
            "question: \"Reset rho0?\" -> No (default)\n"
            "message: No calculated\n"
            "question: \"Unexpected file format on line 7\\r\\n  12 \\\"x\\\"...\" -> OK "
            "(default)\n");
  EXPECT_EQ(cleared, 4);  // a progress line is cleared before each
  EXPECT_EQ(port.QuestionCount(), 3);
  EXPECT_EQ(port.Errors(), std::vector<std::string>{"No calculated"});
}

TEST(BatchPort, LoggedTextPastedIntoAnswersMatchesTheQuestion) {
  const std::string question = "Line one\r\nsays \"hi\" \\ there?";
  std::ostringstream log;
  BatchQuestionPort first(log);
  first.Ask(question, kYesNo);
  const std::string line = log.str();
  const auto open = line.find('"');
  const auto close = line.rfind("\" -> ");
  const std::string quoted = line.substr(open, close - open + 1);

  std::ostringstream log2;
  BatchQuestionPort second(log2, AnswersOf("[answers]\n" + quoted + " = \"Yes\"\n"));
  EXPECT_EQ(second.Ask(question, kYesNo), Button::Yes);
}

TEST(BatchPort, AnswerNotOfferedStopsWithItsPlace) {
  std::ostringstream log;
  BatchQuestionPort port(log, AnswersOf("[answers]\n\n\"Reset\" = \"Retry\"\n"));
  try {
    port.Ask("Reset rho0?", kYesNo);
    FAIL() << "an answer the question does not offer was used";
  } catch (const AnswerNotOffered& e) {
    EXPECT_EQ(std::string(e.what()),
              "run.toml:3: [answers] \"Reset\": the answer Retry is not offered by the "
              "question \"Reset rho0?\" (its buttons: Yes, No)");
    EXPECT_EQ(e.Status(), kExitBadInput);
  }
  // Remembered, in case the code around the question swallowed the exception.
  ASSERT_TRUE(port.Failure().has_value());
  EXPECT_EQ(port.Failure()->Where(), "run.toml:3");
  EXPECT_NE(log.str().find("question: \"Reset rho0?\" -> no answer: "), std::string::npos);
}

TEST(BatchPort, FileAndDirectoryChoosersTakeWhatIsProposed) {
  std::ostringstream log;
  BatchQuestionPort port(log);
  port.SetDefaultDirectory("out/");

  FileRequest save;
  save.mode = FileMode::Save;
  save.fileName = "out/0012p500";
  save.defaultExt = ".DAT";
  save.filterIndex = 2;
  const auto a = port.ChooseFile(save);
  ASSERT_TRUE(a.has_value());
  EXPECT_EQ(a->fileName, "out/0012p500.DAT");
  EXPECT_EQ(a->filterIndex, 2);

  FileRequest named = save;
  named.fileName = "Trace.txt";
  named.initialDir = "out";
  EXPECT_EQ(port.ChooseFile(named)->fileName, "out/Trace.txt");

  FileRequest none;
  EXPECT_FALSE(port.ChooseFile(none).has_value());  // nothing proposed: cancelled

  FileRequest open;
  open.mustExist = true;
  open.fileName = "/nonexistent/profile.dat";
  EXPECT_FALSE(port.ChooseFile(open).has_value());

  EXPECT_EQ(port.ChooseDirectory("Save to", "/data/run"), "/data/run");
  EXPECT_EQ(port.ChooseDirectory("Save to", ""), "out/");
}

}  // namespace
}  // namespace tessmar::cli
