#include "cli/run_command.h"

#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "cli/batch_port.h"
#include "cli/progress.h"
#include "cli/run_file.h"
#include "run/session.h"

namespace tessmar::cli {

namespace {

namespace fs = std::filesystem;

// The tables that choose the materials: applied before a profile is loaded,
// so that the profile's values are evaluated with the run file's materials.
bool IsMaterialTable(const std::string& name) {
  return name == "eos" || name == "eos_left" || name == "thermal";
}

bool HasKey(const RunFile& file, const std::string& table, const std::string& key) {
  for (const RunTableEntry* t : file.Find(table))
    for (const auto& k : t->keys)
      if (k.name == key) return true;
  return false;
}

std::string RunWhere(const RunFile& file) {
  const auto run = file.Find("run");
  return run.empty() ? file.name : run.front()->where;
}

// The trace file as the trace switch creates it: one line with the date and
// time, the solver appends to it while tracing is on.
bool StartTrace(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  const std::time_t now = std::time(nullptr);
  char stamp[64];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
  out << stamp << "\r\n";
  return static_cast<bool>(out);
}

int Report(std::ostream& log, const RunError& e) {
  log << "tessmar: " << e.what() << '\n';
  return e.Status();
}

}  // namespace

int RunCommand(const RunOptions& o, std::ostream& log) {
  RunFile file;
  try {
    file = LoadRunFile(o.file, o.sets);
  } catch (const RunError& e) {
    return Report(log, e);
  }
  if (!o.from.empty()) {
    std::ifstream probe(o.from, std::ios::binary);
    if (!probe) return Report(log, RunError("--from " + o.from, "", "", "cannot open the profile"));
  }
  if (o.outDir.empty()) return Report(log, RunError("-o", "", "", "the output directory is empty"));
  std::string dir = o.outDir;
  if (dir.back() != '/') dir += '/';

  BatchQuestionPort port(log, file.answers);
  port.SetDefaultDirectory(dir);
  port.SetTrace(o.trace);
  ProgressLine progress(log, o.terminal, o.quiet);
  port.BeforeOutput = [&progress] { progress.Clear(); };

  try {
    TSession session(&port);
    std::vector<RunTable> tables = session.Tables();

    // 1. Everything that can be checked without changing anything.
    const auto problems = CheckRunFile(file, tables);
    for (const auto& p : problems) log << "tessmar: " << p.what() << '\n';
    if (!problems.empty()) return kExitBadInput;

    // 2. The dialogs, in file order, with their actions; nothing is written
    //    yet (the save directory does not exist).
    session.SetSaveDir(dir);
    ApplyOptions apply;
    apply.deferActions = {"run"};
    if (o.from.empty()) {
      ApplyRunFile(file, tables, apply);
    } else {
      // Materials first, and the fields of [init] without its build (the
      // dialog keeps them across the load: motion of the ends, boundary
      // conditions, the quantity kept); then the profile instead of the
      // build; then the rest.
      apply.include = [](const RunTableEntry& t) {
        return IsMaterialTable(t.name) || t.name == "init";
      };
      apply.deferActions = {"run", "init"};
      ApplyRunFile(file, tables, apply);
      apply.deferActions = {"run"};
      if (!session.LoadProfile(o.from))
        return Report(log, RunError("--from " + o.from, "", "", "the profile was not loaded"));
      apply.include = [](const RunTableEntry& t) {
        return !IsMaterialTable(t.name) && t.name != "init";
      };
      ApplyRunFile(file, tables, apply);
      // Without a time in [run] the run goes on from the time in the name.
      if (!HasKey(file, "run", "TimeLV") && !HasKey(file, "run", "TotalTime")) {
        const auto t =
            TimeFromProfileName(fs::path(o.from).stem().string(), session.Form.SaveOptions);
        if (!t)
          return Report(log, RunError("--from " + o.from, "", "",
                                      "the file name does not tell the time; give TimeLV or "
                                      "TotalTime in [run]"));
        session.SetCurrentTime(*t);
      }
    }
    if (port.Failure()) return Report(log, *port.Failure());
    if (!port.Errors().empty())
      return Report(
          log, RunError(file.name, "", "", "setting up the run failed: " + port.Errors().front()));

    // 3. What Calculate would refuse without a word.
    TMainForm& form = session.Form;
    if (!session.Ctx.State)
      return Report(log, RunError(file.name, "", "",
                                  "no initial state: give an [init] table or --from PROFILE.DAT"));
    if (!(form.dtLVModified && form.dtLV > 0) && form.dt1 == 0)
      return Report(log, RunError(RunWhere(file), "run", "dt1",
                                  "the output interval is 0; give dt1 or dtLV"));

    // 4. The run: the output directory is created only now.
    std::error_code ec;
    fs::create_directories(o.outDir, ec);
    if (ec || !fs::is_directory(o.outDir))
      return Report(log, RunError("-o " + o.outDir, "", "",
                                  "cannot create the output directory: " + ec.message()));
    if (o.trace) {
      const std::string trace = dir + "Trace.txt";
      if (!StartTrace(trace))
        return Report(log, RunError("--trace", "", "", "cannot create " + trace));
      session.Ctx.TraceFile = trace;
      session.Ctx.TraceIterations = true;
    }
    progress.SetTimeUnit(session.Ctx.UnitScale != 1 ? " s" : "");
    form.OnProgress = [&progress](const RunProgress& p) { progress.Update(p); };
    const Real endTime = form.EndTime;
    progress.Start();
    try {
      const RunTable* run = nullptr;
      for (const auto& t : tables)
        if (t.Key == "run") run = &t;
      if (run && run->Action)
        run->Action();
      else
        session.Calculate();
    } catch (const AnswerNotOffered& e) {
      progress.Finish(false, dir, "bad answer");
      return Report(log, e);
    } catch (const ActionRefused& e) {
      progress.Finish(false, dir, "refused");
      return Report(log, RunError(RunWhere(file), "run", "", std::string("refused: ") + e.what()));
    } catch (const std::exception& e) {
      progress.Finish(false, dir, "failed");
      log << "tessmar: the run failed: " << e.what() << '\n';
      return kExitRunFailed;
    }
    form.OnProgress = nullptr;

    // 5. Failures that the driver reports without an exception.
    if (port.Failure()) {
      progress.Finish(false, dir, "bad answer");
      return Report(log, *port.Failure());
    }
    std::string why;
    if (!port.Errors().empty())
      why = "error: " + port.Errors().front();
    else if ((endTime >= 0 && form.EndTime < 0) || session.Ctx.Time + form.dt1 / 4 < endTime)
      why = "stopped before the end time";
    else if (form.Unsaved)
      why = "an interval was not saved";
    progress.Finish(why.empty(), dir, why);
    if (!why.empty()) {
      log << "tessmar: the run did not complete: " << why << '\n';
      return kExitRunFailed;
    }
    return 0;
  } catch (const AnswerNotOffered& e) {
    return Report(log, e);
  } catch (const RunError& e) {
    return Report(log, e);
  } catch (const std::exception& e) {
    log << "tessmar: " << e.what() << '\n';
    return kExitRunFailed;
  }
}

}  // namespace tessmar::cli
