#pragma once
// The current fields of a session's dialogs as a run file: one table per
// dialog in the order of the session's tables, every field under its control
// name with the value it holds now, and an [answers] table with the questions
// met and the buttons that answered them. `tessmar run` replays such a file:
// the fields are typed in the order the dialog publishes them, so the exit
// rules that run on the way reproduce the values written.
//
// Real numbers are written with 21 significant digits, enough to bring back
// every bit of an 80-bit value; a value beyond the range of a TOML float is
// written as text, which the field reads in extended precision.

#include <string>
#include <utility>
#include <vector>

#include "base/question_port.h"
#include "run/session.h"

namespace tessmar::cli {

struct RunFileWriteOptions {
  // Keys of the tables to write ("eos", "init" ...); empty: every table. The
  // tables always come in the session's order; [save] and [run] are written
  // whenever they are listed or the list is empty.
  std::vector<std::string> tables;
  // Questions met and the buttons that answered them; a question asked
  // twice keeps its last answer.
  std::vector<std::pair<std::string, Button>> answers;
  // A title line for the file's head comment.
  std::string comment;
};

// TOML text of the run file.
std::string RunFileText(TSession& session, const RunFileWriteOptions& options = {});

// A real number as a TOML value: a float literal with 21 significant digits,
// an integer literal for whole numbers, or a quoted text beyond the range of
// a TOML float.
std::string TomlReal(Real v);
// A TOML basic string with quotes, backslashes and control characters escaped.
std::string TomlString(const std::string& text);

// Write `text` to `path` (through a temporary file renamed into place). False
// with a reason in `error` on failure.
bool WriteRunFileText(const std::string& path, const std::string& text, std::string& error);

}  // namespace tessmar::cli
