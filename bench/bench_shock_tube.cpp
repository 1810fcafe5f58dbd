// The Sod shock tube through the whole engine (dialogs, builder, driver, step
// controller, table refresh; no files): one output interval of 0.05 from
// t = 0, per accepted step and per cell-pass; and the picture of the graphs
// written after an interval.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "base/question_port.h"
#include "core/hydr_stat.h"
#include "materials/eos_dialog.h"
#include "run/driver.h"
#include "run/graphs.h"
#include "run/session.h"
#include "run/visc_dialog.h"
#include "setup/init_dialog.h"
#include "view/picture_files.h"

namespace tessmar {
namespace {

void Fill(DialogModel& m, std::initializer_list<std::pair<const char*, FieldValue>> keys) {
  for (const auto& [name, value] : keys) m.At(name).Set(value);
}

// Build the tube with n cells; returns false when a dialog refused.
void BuildTube(TSession& s, int n) {
  for (RunTable& t : s.Tables()) {
    if (t.Key == "eos" || t.Key == "eos_left") {
      if (t.Before) t.Before();
      Fill(*t.Model, {{"EqType", std::string("Ideal gas")}, {"gamma", 1.4L}, {"AtomMass", 1.0L}});
      t.Action();
    }
  }
  s.Ctx.NoConduct = s.Ctx.NoThermo = true;
  for (RunTable& t : s.Tables()) {
    if (t.Key == "init") {
      t.Before();
      Fill(*t.Model, {{"DspcEdit", 0LL},
                      {"Len", 1.0L},
                      {"Dimension", static_cast<long long>(n)},
                      {"Rho0", 0.125L},
                      {"RadioGroup1", std::string("Press")},
                      {"Pini", 0.1L},
                      {"xf", 1.0L},
                      {"Pout", 0.1L},
                      {"MoveType", std::string("v0 = 0")},
                      {"InitProfile", std::string("1T")},
                      {"xShiftDiv", static_cast<long long>(n / 2)},
                      {"rho0l", 1.0L},
                      {"T0l", 1.0L}});
      t.Action();
    } else if (t.Key == "viscosity") {
      t.Before();
      Fill(*t.Model, {{"ViscType", std::string("Loc")}, {"ViscMult", 4.0L}});
      t.Action();
    }
  }
}

void BM_ShockTubeInterval(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  long long steps = 0, passes = 0;
  double seconds = 0;
  for (auto _ : st) {
    st.PauseTiming();
    ScriptedQuestionPort port;
    for (int i = 0; i < 2; ++i) port.QueueAnswer(Button::No);
    TSession s(&port);
    BuildTube(s, n);
    long long seen = 0;
    s.Form.OnProgress = [&](const RunProgress& p) {
      if (p.IntervalDone || p.Steps == seen) return;
      seen = p.Steps;
      passes += 2 * (s.Ctx.IterCount + 1) + 1;  // P1, then PA/PB per iteration
    };
    s.Form.dt1 = 0.05L;
    s.Form.EndTime = 0.05L;
    st.ResumeTiming();
    const auto t0 = std::chrono::steady_clock::now();
    Calculate(s.Form);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    steps += seen;
  }
  st.counters["steps"] = static_cast<double>(steps) / static_cast<double>(st.iterations());
  st.counters["us_per_step"] = seconds * 1e6 / static_cast<double>(steps);
  st.counters["ns_per_cell_pass"] = seconds * 1e9 / (static_cast<double>(passes) * n);
}
BENCHMARK(BM_ShockTubeInterval)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
}  // namespace tessmar

namespace tessmar {
namespace {

// The picture written after every output interval: the four graphs of an
// n-cell tube drawn from the state, composed and written as JPEG.
void BM_IntervalPicture(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  ScriptedQuestionPort port;
  for (int i = 0; i < 2; ++i) port.QueueAnswer(Button::No);
  TSession s(&port);
  BuildTube(s, n);
  const std::string path = "/tmp/tessmar-bench-picture.jpg";
  for (auto _ : st) {
    DrawGraphs(s.Form);
    WriteJpeg(path, ComposePicture(s.Form, "0000 ,050"));
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_IntervalPicture)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessmar
