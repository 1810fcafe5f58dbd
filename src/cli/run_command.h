#pragma once
// `tessmar run`: one calculation from a run file. The file is read and checked
// completely, its tables are applied to the dialogs in file order with their
// actions (EOS OK, Init ...), and only then is the output directory created and
// Calculate run, so a bad file is reported before anything is written.
//
// Exit status: 0 the run reached its end time; 2 bad input (run file, --set,
// --from, an [answers] entry that names a button the question lacks);
// 1 the run failed (an exception in the engine, an error message, a run that
// stopped before its end time, an interval whose profile was not written).

#include <ostream>
#include <string>
#include <vector>

namespace tessmar::cli {

struct RunOptions {
  std::string file;               // the run file
  std::string outDir = "out";     // -o: the save directory of the run
  std::vector<std::string> sets;  // --set table.key=value
  bool quiet = false;             // no progress line, no summary
  bool trace = false;             // iteration trace into outDir/Trace.txt
  std::string from;               // --from: continue from this saved profile
  bool terminal = false;          // the log stream is a terminal: draw a live progress line
};

int RunCommand(const RunOptions& options, std::ostream& log);

}  // namespace tessmar::cli
