#pragma once
// Run files of the batch runner. A run file is TOML with one table per dialog
// ([eos], [init], repeated [[layer]], [run] ...) whose keys are the dialog's
// control names, and an [answers] table for the questions the run will meet.
// The loader keeps every table and key in the order of the file, because the
// fields are applied as if typed one after the other: an exit rule sees the
// fields above it and not those below. Real numbers keep the digits written in
// the file, so that no value passes through a double on its way to an 80-bit
// field.
//
// Loading is done in two steps that change nothing (LoadRunFile, CheckRunFile)
// before ApplyRunFile fills the dialogs, so that a bad file is reported before
// any dialog action runs and long before anything is written.

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/question_port.h"
#include "base/real.h"
#include "dialog/dialog_model.h"
#include "run/session.h"

namespace tessmar {
class TSaveFileOptions;
}

namespace tessmar::cli {

// Exit status of a bad run file or command line, and of a run that failed.
inline constexpr int kExitBadInput = 2;
inline constexpr int kExitRunFailed = 1;

// A problem with a place: "FILE:LINE" or "--set table.key", the table and key
// it concerns (either may be empty) and what is wrong. The message reads
// "FILE:LINE: [table] key: what".
class RunError : public std::runtime_error {
 public:
  RunError(std::string where, std::string table, std::string key, std::string what,
           int status = kExitBadInput);
  [[nodiscard]] const std::string& Where() const { return where_; }
  [[nodiscard]] const std::string& Table() const { return table_; }
  [[nodiscard]] const std::string& Key() const { return key_; }
  [[nodiscard]] const std::string& What() const { return what_; }
  // kExitBadInput or kExitRunFailed.
  [[nodiscard]] int Status() const { return status_; }

 private:
  std::string where_, table_, key_, what_;
  int status_;
};

// One value as the file wrote it.
struct RunValue {
  enum class Type { String, Integer, Float, Bool, Other };
  Type type = Type::String;
  std::string text;  // a string's contents, or a number's literal text
  long long integer = 0;
  Real real = 0;  // a float, read from its literal text in full precision
  bool boolean = false;
  std::string typeName;  // TOML type name, for messages ("array", "table", "date")
};

struct RunKey {
  std::string name;
  RunValue value;
  std::string where;  // "FILE:LINE" or "--set table.key"
};

struct RunTableEntry {
  std::string name;
  bool repeated = false;     // an element of an array of tables ([[layer]])
  int index = 0;             // 1-based element number when repeated
  std::string where;         // the table's header, or the --set that created it
  std::vector<RunKey> keys;  // in file order; --set keys at the end
};

// One entry of [answers]: a question text or the beginning of one, and the
// button that answers it.
struct RunAnswer {
  std::string question;
  Button button = Button::Ok;
  std::string where;
};

struct RunFile {
  std::string name;                   // as given on the command line
  std::vector<RunTableEntry> tables;  // file order, [answers] not among them
  std::vector<RunAnswer> answers;     // file order
  // The table entries of that name (one, or each element of a repeated table).
  [[nodiscard]] std::vector<const RunTableEntry*> Find(std::string_view table) const;
};

// Parse run-file text. `name` is used in messages; `sets` are --set options
// ("table.key=value", "layer.2.key=value" for the second [[layer]]), applied
// as if written at the end of their table, or in a new table at the end of
// the file. Throws RunError for a TOML syntax error, a bad --set or a bad
// [answers] entry.
RunFile ParseRunFile(std::string_view text, const std::string& name,
                     const std::vector<std::string>& sets = {});
// The same for a file on disk; an unreadable file is a RunError.
RunFile LoadRunFile(const std::string& path, const std::vector<std::string>& sets = {});

// Check every table and key against the dialogs' descriptors without changing
// anything: unknown tables and keys, single versus repeated tables, values of
// the wrong type, choice captions and number texts that cannot be read. Returns
// every problem found, in file order.
std::vector<RunError> CheckRunFile(const RunFile& file, const std::vector<RunTable>& tables);

struct ApplyOptions {
  // Which table entries to apply; empty: all of them.
  std::function<bool(const RunTableEntry&)> include;
  // Tables whose action is left to the caller (the [run] table: Calculate).
  std::vector<std::string> deferActions;
};

// Apply the tables in file order: for each, its Before, then every key as if
// typed and left, then its Action. A value the field refuses (FieldError) or a
// refused action (ActionRefused) is a RunError with exit status 2; any other
// exception from a dialog is a RunError with status 1. Call CheckRunFile first.
void ApplyRunFile(const RunFile& file, std::vector<RunTable>& tables,
                  const ApplyOptions& options = {});

// Store one value into a field as if typed and left: strings as typed text,
// numbers and booleans as values of the field's kind. Throws FieldError for a
// value of the wrong type and for a value the field refuses.
void SetFieldValue(Field& field, const RunValue& value);

// The time a profile's file name stands for: the inverse of the save options'
// name encoding. `stem` is the file name without its extension (a directory in
// front is ignored); the name is the time times `scal` written with "p" as the
// decimal separator, "#" for a minus sign, leading zeros for blanks and an
// optional exponent ("2p5", "0012p500", "#1p5E-5"), followed by `addStr`.
// nullopt when the name does not read as a time.
std::optional<Real> TimeFromProfileName(std::string_view stem, Real scal, std::string_view addStr);
std::optional<Real> TimeFromProfileName(const std::string& stem, const TSaveFileOptions& options);

}  // namespace tessmar::cli
