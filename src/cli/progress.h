#pragma once
// Progress of a batch run on stderr. On a terminal one line is rewritten in
// place, at most five times a second:
//
//   t = 1.25e-11 s (50.0%)  steps 412  wall 3.1 s  ETA 3.1 s
//
// and at the end of the run a one-line summary is written whether or not
// stderr is a terminal. --quiet silences both; questions and messages are
// logged by the question port regardless.

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

#include "run/main_form.h"

namespace tessmar::cli {

class ProgressLine {
 public:
  // Seconds on a steady clock.
  using Clock = std::function<double()>;

  // live: rewrite a progress line (stderr is a terminal and not --quiet);
  // quiet: no summary either.
  ProgressLine(std::ostream& out, bool live, bool quiet, Clock clock = SteadySeconds);

  // " s" for models in physical units, "" for reduced units.
  void SetTimeUnit(std::string unit) { unit_ = std::move(unit); }
  // Start of the wall clock.
  void Start();
  // The driver's report after each pass and each interval.
  void Update(const RunProgress& p);
  // Remove the progress line so that other output starts on a clean line.
  void Clear();
  // The summary line: how far the run came and where its output is.
  void Finish(bool completed, const std::string& outputDir, const std::string& why = {});

  [[nodiscard]] const RunProgress& Last() const { return last_; }
  [[nodiscard]] bool Seen() const { return seen_; }

  // The text of one progress line (without the carriage return).
  [[nodiscard]] std::string Text(const RunProgress& p, double wall) const;

  static double SteadySeconds();

 private:
  std::ostream& out_;
  bool live_, quiet_;
  Clock clock_;
  std::string unit_;
  double start_ = 0;
  double lastDraw_ = -1;
  std::size_t shown_ = 0;  // length of the line on screen
  RunProgress last_;
  bool seen_ = false;
};

// Seconds as the progress line shows them: "0.4 s", "12 s", "3 min 05 s", "2 h 07 min".
std::string Duration(double seconds);

}  // namespace tessmar::cli
