#include "cli/progress.h"

#include <cmath>
#include <cstdio>

namespace tessmar::cli {

namespace {

constexpr double kMinRedraw = 0.2;  // seconds between two redraws of the line

std::string TimeText(Real t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.6Lg", static_cast<long double>(t));
  return buf;
}

// Fraction of the run done; negative when it cannot be told (no span).
double Fraction(const RunProgress& p) {
  // A stopped run marks its end time negative; the span is still |EndTime| - start.
  const long double end = std::fabs(static_cast<long double>(p.EndTime));
  const long double span = end - p.StartTime;
  if (!(span > 0)) return -1;
  const long double f = (p.Time - p.StartTime) / span;
  return static_cast<double>(std::fmin(std::fmax(f, 0.0L), 1.0L));
}

}  // namespace

std::string Duration(double s) {
  char buf[48];
  if (!(s >= 0) || !std::isfinite(s)) return "?";
  if (s < 10)
    std::snprintf(buf, sizeof buf, "%.1f s", s);
  else if (s < 60)
    std::snprintf(buf, sizeof buf, "%.0f s", s);
  else if (s < 3600)
    std::snprintf(buf, sizeof buf, "%d min %02d s", static_cast<int>(s / 60),
                  static_cast<int>(std::fmod(s, 60)));
  else
    std::snprintf(buf, sizeof buf, "%d h %02d min", static_cast<int>(s / 3600),
                  static_cast<int>(std::fmod(s, 3600) / 60));
  return buf;
}

double ProgressLine::SteadySeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

ProgressLine::ProgressLine(std::ostream& out, bool live, bool quiet, Clock clock)
    : out_(out), live_(live && !quiet), quiet_(quiet), clock_(std::move(clock)) {
  start_ = clock_();
}

void ProgressLine::Start() {
  start_ = clock_();
  lastDraw_ = -1;
}

std::string ProgressLine::Text(const RunProgress& p, double wall) const {
  std::string s = "t = " + TimeText(p.Time) + unit_;
  const double f = Fraction(p);
  char buf[32];
  if (f >= 0) {
    std::snprintf(buf, sizeof buf, " (%.1f%%)", 100 * f);
    s += buf;
  }
  s += "  steps " + std::to_string(p.Steps) + "  wall " + Duration(wall);
  if (f > 0 && f < 1) s += "  ETA " + Duration(wall * (1 - f) / f);
  return s;
}

void ProgressLine::Update(const RunProgress& p) {
  last_ = p;
  seen_ = true;
  if (!live_) return;
  const double now = clock_();
  if (lastDraw_ >= 0 && now - lastDraw_ < kMinRedraw) return;
  lastDraw_ = now;
  std::string line = Text(p, now - start_);
  const std::size_t len = line.size();
  if (len < shown_) line.append(shown_ - len, ' ');
  out_ << '\r' << line;
  out_.flush();
  shown_ = len;
}

void ProgressLine::Clear() {
  if (!live_ || shown_ == 0) return;
  out_ << '\r' << std::string(shown_, ' ') << '\r';
  out_.flush();
  shown_ = 0;
  lastDraw_ = -1;  // draw again at the next report
}

void ProgressLine::Finish(bool completed, const std::string& outputDir, const std::string& why) {
  Clear();
  if (quiet_) return;
  const double wall = clock_() - start_;
  std::string s = completed ? "finished: " : "stopped: ";
  if (seen_) {
    s += "t = " + TimeText(last_.Time) + unit_;
    const double f = Fraction(last_);
    if (f >= 0) {
      char buf[32];
      std::snprintf(buf, sizeof buf, " (%.1f%%)", 100 * f);
      s += buf;
    }
    s += ", steps " + std::to_string(last_.Steps);
  } else {
    s += "nothing calculated";
  }
  s += ", wall " + Duration(wall) + ", output " + (outputDir.empty() ? "none" : outputDir);
  if (!why.empty()) s += " (" + why + ")";
  out_ << s << '\n';
  out_.flush();
}

}  // namespace tessmar::cli
