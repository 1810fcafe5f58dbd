#include "view/graph_axis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "format/num_string_format.h"

namespace tessmar {

namespace {

// Upper bound of the ticks of one kind on one axis: the layout asks for a few
// dozen at most; the bound keeps a degenerate range from looping for long.
constexpr int kMaxTicks = 10000;

// Integer bounds of a scaled range, tolerant to the last bits of a value given
// in binary (1.2 is 1.19999..., whose multiples must still reach 12/10).
Real CeilTolerant(Real x) {
  return std::ceil(x - 1e-9L * std::max<Real>(1, std::fabs(x)));
}
Real FloorTolerant(Real x) {
  return std::floor(x + 1e-9L * std::max<Real>(1, std::fabs(x)));
}

int RoundToInt(Real v) {
  return static_cast<int>(std::llround(v));
}

bool Overlap(TPoint a, TPoint aSize, TPoint b, TPoint bSize) {
  return a.x < b.x + bSize.x && b.x < a.x + aSize.x && a.y < b.y + bSize.y && b.y < a.y + aSize.y;
}

}  // namespace

std::string CleanExponent(std::string text, std::string_view format) {
  const std::size_t e = text.find('E');
  if (e == std::string::npos || e + 1 >= text.size()) return text;
  const char next = text[e + 1];
  if (next != '+' && next != '-' && (next < '0' || next > '9')) return text;
  std::size_t i = e + 1;
  if (text[i] == '+') {
    text.erase(i, 1);
  } else if (text[i] == '-') {
    ++i;
  }
  std::size_t j = i;
  while (j + 1 < text.size() && text[j] == '0' && text[j + 1] >= '0' && text[j + 1] <= '9') ++j;
  text.erase(i, j - i);
  if (format == "%.1e" && e >= 3 && text.compare(e - 3, 3, "1,0") == 0) text.erase(e - 2, 2);
  return text;
}

std::string FormatLabel(std::string_view format, Real v, char decSeparator) {
  // "%[.N]<f|e|g>"; anything else is read as "%g".
  char conv = 'g';
  int prec = -1;
  if (format.size() >= 2 && format[0] == '%') {
    std::size_t i = 1;
    if (format[i] == '.') {
      prec = 0;
      for (++i; i < format.size() && format[i] >= '0' && format[i] <= '9'; ++i)
        prec = std::min(prec * 10 + (format[i] - '0'), 40);
    }
    if (i + 1 == format.size() && (format[i] == 'f' || format[i] == 'e' || format[i] == 'g'))
      conv = format[i];
    else
      prec = -1;
  }
  if (prec < 0) prec = conv == 'g' ? 15 : 6;
  if (v == 0) v = 0;  // no "-0"
  char buf[128];
  int n = 0;
  switch (conv) {
    case 'f': n = std::snprintf(buf, sizeof buf, "%.*Lf", prec, v); break;
    case 'e': n = std::snprintf(buf, sizeof buf, "%.*Le", prec, v); break;
    default: n = std::snprintf(buf, sizeof buf, "%.*Lg", prec, v); break;
  }
  std::string text;
  if (n >= static_cast<int>(sizeof buf)) {  // a huge fixed-point number
    text.resize(static_cast<std::size_t>(n) + 1);
    if (conv == 'f') std::snprintf(text.data(), text.size(), "%.*Lf", prec, v);
    text.resize(static_cast<std::size_t>(n));
  } else {
    text.assign(buf, static_cast<std::size_t>(std::max(n, 0)));
  }
  bool nonZeroDigit = false;
  for (char& c : text) {
    if (c == 'e') c = 'E';
    if (c == 'E') break;
    if (c == '.') c = decSeparator;
    if (c >= '1' && c <= '9') nonZeroDigit = true;
  }
  // A negative number that rounds to zero ("-0.0") shows as zero.
  if (!nonZeroDigit && !text.empty() && text[0] == '-') text.erase(0, 1);
  return CleanExponent(std::move(text), format);
}

bool TGraphAxis::Horizontal() const {
  return std::abs(Delta.x) >= std::abs(Delta.y);
}

void TGraphAxis::Place(TPoint start, TPoint end, int t) {
  Start = start;
  End = end;
  Delta = {end.x - start.x, end.y - start.y};
  if (Delta.x == 0) {
    Tick = {t, 0};
  } else if (Delta.y == 0) {
    Tick = {0, t};
  } else {
    const int sum = std::abs(Delta.x) + std::abs(Delta.y);
    Tick = {t * -Delta.y / sum, t * Delta.x / sum};
  }
  MinorTick = {Tick.x * 3 / 4, Tick.y * 3 / 4};
  if (Horizontal()) {
    AlignX = 2;
    AlignY = t < 0 ? 1 : 0;
  } else {
    AlignX = t < 0 ? 1 : 0;
    AlignY = 2;
  }
  // The range keeps its values and orientation; the scale follows the new ends.
  SetRange(Reversed ? Max : Min, Reversed ? Min : Max);
}

void TGraphAxis::SetRange(Real a, Real b) {
  if (!std::isfinite(a) || !std::isfinite(b))
    throw std::invalid_argument("axis range is not finite");
  Reversed = a >= b;
  Min = std::min(a, b);
  Max = std::max(a, b);
  Log = false;
  if (a == b) {
    ScaleX = ScaleY = 0;
    Origin = {(Start.x + End.x) / 2, (Start.y + End.y) / 2};
  } else if (LogAllowed && Min * Max > 0 && std::fabs(std::log10(Max / Min)) * 7 > LabelSlots) {
    Log = true;
    const Real span = std::log(a / b);
    ScaleX = Delta.x / span;
    ScaleY = Delta.y / span;
    const Real lb = std::log(std::fabs(b));
    Origin = {Start.x - RoundToInt(lb * ScaleX), Start.y - RoundToInt(lb * ScaleY)};
  } else {
    ScaleX = Delta.x / (a - b);
    ScaleY = Delta.y / (a - b);
    Origin = {Start.x - RoundToInt(b * ScaleX), Start.y - RoundToInt(b * ScaleY)};
  }
  Dirty = true;
}

bool TGraphAxis::Widen(Real v) {
  if (!std::isfinite(v) || (v >= Min && v <= Max)) return false;
  const bool otherSign = Log && (v == 0 || (v < 0) != (Min < 0));
  if (HasScale() && !otherSign && RawPixel(v) == RawPixel(v < Min ? Min : Max)) return false;
  const Real lo = std::min(Min, v), hi = std::max(Max, v);
  if (Reversed)
    SetRange(hi, lo);
  else
    SetRange(lo, hi);
  return true;
}

TPoint TGraphAxis::RawPixel(Real v) const {
  const Real u = Log ? std::log(std::fabs(v)) : v;
  return {Origin.x + RoundToInt(ScaleX * u), Origin.y + RoundToInt(ScaleY * u)};
}

TPoint TGraphAxis::ValueToPixel(Real v) const {
  if (!HasScale()) return Origin;
  if (std::isnan(v)) v = Min;
  return RawPixel(std::clamp(v, Min, Max));
}

Real TGraphAxis::PixelToValue(int p) const {
  Real scale = Horizontal() ? ScaleX : ScaleY;
  int origin = Horizontal() ? Origin.x : Origin.y;
  if (scale == 0) {  // an oblique axis along its other direction
    scale = Horizontal() ? ScaleY : ScaleX;
    origin = Horizontal() ? Origin.y : Origin.x;
  }
  if (scale == 0) return Min;
  const Real u = (p - origin) / scale;
  if (!Log) return u;
  const Real v = std::exp(u);
  return Min < 0 ? -v : v;
}

void TGraphAxis::Layout() {
  if (!Dirty) return;
  if (Log)
    LogLayout();
  else
    LinearLayout();
  Dirty = false;
}

void TGraphAxis::LinearLayout() {
  Minor = 0;
  Step = 0;
  Decimal = 0;
  Format = "%g";
  if (LabelSlots <= 2) return;
  const Real r = (Max - Min) / (LabelSlots - 1);
  const Real s = 0.075L * r;
  if (s == 0) return;
  const Real a = std::max(std::fabs(Min), Max);
  std::int64_t d = 1;
  Real m = 0;
  if (s < 0.1L) {
    int n = 0;
    constexpr std::int64_t kDecimalLimit = (std::int64_t{1} << 31) / 10;
    while (d * s < 0.1L && d < kDecimalLimit) d *= 10, ++n;
    const long long y = std::llround(d * r);
    if (y == 1 || y == 2) {
      m = 2;
    } else if (y == 3) {
      m = 3;
    } else if (y >= 4 && y <= 6) {
      m = 5;
    } else {
      m = 1;
      d /= 10;
      --n;
    }
    Minor = (m == 1 ? 0.5L : 1.0L) / d;
    if (n <= 5)
      Format = "%." + std::to_string(n) + "f";
    else if (d * s >= 1)
      Format =
          "%." + std::to_string(std::max(1, static_cast<int>(std::ceil(std::log10(a * d))))) + "g";
    else
      Format = "%g";
  } else {
    // The smallest power of ten not below s.
    Real p = std::pow(10.0L, std::ceil(std::log10(s)));
    while (p < s) p *= 10;
    while (p / 10 >= s) p /= 10;
    const long long y = std::llround(r / p);
    if (y == 0) {
      m = p;
    } else if (y == 1 || y == 2) {
      m = 2 * p;
    } else if (y == 3) {
      m = 3 * p;
    } else if (y >= 4 && y <= 6) {
      m = 5 * p;
    } else {
      m = 10 * p;
      p = 10 * p;
    }
    Minor = m == p ? p / 2 : p;
    Format = p > 1000
                 ? "%." +
                       std::to_string(std::max(1, static_cast<int>(std::ceil(std::log10(a / p))))) +
                       "g"
                 : "%.0f";
  }
  Decimal = d;
  Step = m;
  // A range too narrow for two label values (below the finest decimal factor)
  // is labelled at its ends instead.
  if (FloorTolerant(d * Max / m) - CeilTolerant(d * Min / m) < 1) {
    Decimal = 0;
    Format = "%g";
  }
}

void TGraphAxis::LogLayout() {
  Minor = 0;
  const Real x = LabelSlots > 1 ? std::fabs(std::log10(Max / Min)) / (LabelSlots - 1)
                                : std::fabs(std::log10(Max / Min));
  if (x > 1) {
    const long long e = std::llround(x);
    Step = static_cast<Real>(e);
    Decimal = 1;
    for (long long i = 0; i < e && Decimal <= INT64_MAX / 10; ++i) Decimal *= 10;
    Format = "%.1e";
  } else {
    const long long m = std::llround(1 / x);
    Step = static_cast<Real>(m);
    Decimal = 10;
    Format = m > 4 ? "%.2g" : "%.1g";
  }
}

std::vector<Real> TGraphAxis::MinorValues() const {
  std::vector<Real> out;
  if (!HasScale()) return out;
  if (!Log) {
    if (Minor <= 0) return out;
    const Real k0 = CeilTolerant(Min / Minor), k1 = FloorTolerant(Max / Minor);
    for (Real k = k0; k <= k1 && static_cast<int>(out.size()) < kMaxTicks; k += 1)
      out.push_back(k * Minor);
    return out;
  }
  // Log: in each decade 10^k the ticks at 2..9 times 10^k, with five or more
  // labels per decade also 1.1..1.9; with labels more than one decade apart a
  // tick at each decade instead.
  const Real lo = std::min(std::fabs(Min), std::fabs(Max)),
             hi = std::max(std::fabs(Min), std::fabs(Max));
  const Real sign = Min < 0 ? -1 : 1;
  const long long k0 = std::llround(std::floor(std::log10(lo))),
                  k1 = std::llround(std::ceil(std::log10(hi)));
  const bool decadesOnly = Decimal > 10;
  for (long long k = k0; k <= k1 && static_cast<int>(out.size()) < kMaxTicks; ++k) {
    const Real p = std::pow(10.0L, static_cast<Real>(k));
    auto add = [&](Real mant) {
      const Real v = mant * p;
      if (v >= lo * (1 - 1e-12L) && v <= hi * (1 + 1e-12L)) out.push_back(sign * v);
    };
    if (decadesOnly) {
      add(1);
      continue;
    }
    if (Step >= 5)
      for (int t = 11; t <= 19; ++t) add(t / 10.0L);
    for (int t = 2; t <= 9; ++t) add(t);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<Real> TGraphAxis::LabelValues(Real* unitValue) const {
  std::vector<Real> out;
  const Real atEnd = Reversed ? Max : Min;  // the first range value sits at End
  const Real atStart = Reversed ? Min : Max;
  Real unit = atEnd;
  if (!HasScale()) {  // one label, at the midpoint
    if (unitValue) *unitValue = Min;
    return out;
  }
  if (Log) {
    const Real lo = std::min(std::fabs(Min), std::fabs(Max)),
               hi = std::max(std::fabs(Min), std::fabs(Max));
    const Real sign = Min < 0 ? -1 : 1;
    const long long k0 = std::llround(std::floor(std::log10(lo))),
                    k1 = std::llround(std::ceil(std::log10(hi)));
    static constexpr Real kMantissas[][7] = {
        {1}, {1, 3}, {1, 2, 5}, {1, 2, 3, 5}, {1, 1.5L, 2, 3, 5, 7}};
    static constexpr int kCounts[] = {1, 2, 3, 4, 6};
    const long long e = Decimal > 10 ? std::llround(Step) : 0;
    const int row = static_cast<int>(std::clamp<Real>(Step, 1, 5)) - 1;
    for (long long k = k0; k <= k1 && static_cast<int>(out.size()) < kMaxTicks; ++k) {
      const Real p = std::pow(10.0L, static_cast<Real>(k));
      auto add = [&](Real mant) {
        const Real v = mant * p;
        if (v >= lo * (1 - 1e-12L) && v <= hi * (1 + 1e-12L)) out.push_back(sign * v);
      };
      if (e > 0) {
        if (k % e == 0) add(1);
      } else {
        for (int i = 0; i < kCounts[row]; ++i) add(kMantissas[row][i]);
      }
    }
    std::sort(out.begin(), out.end());
    if (!out.empty()) {
      unit = Reversed ? out.back() : out.front();
      std::erase(out, unit);
    }
  } else if (Decimal != 0 && Step > 0) {
    const Real d = static_cast<Real>(Decimal);
    const Real k0 = CeilTolerant(d * Min / Step), k1 = FloorTolerant(d * Max / Step);
    if (k0 <= k1 && k1 - k0 < kMaxTicks) {
      // The extreme at End carries the units; with the range given low to high
      // the extreme at Start is left out.
      const Real from = Reversed ? k0 : k0 + 1;
      for (Real k = from; k <= k1 - 1; k += 1) out.push_back(k * Step / d);
      unit = (Reversed ? k1 : k0) * Step / d;
    } else {
      out.push_back(atStart);
    }
  } else {
    out.push_back(atStart);
  }
  if (unitValue) *unitValue = unit;
  return out;
}

std::string TGraphAxis::LabelText(Real v) const {
  return FormatLabel(Format, v, TNumStringFormat::SystemDecSeparator());
}

std::vector<TAxisLabel> TGraphAxis::PlaceLabels(TCanvas& canvas,
                                                std::span<const TTextBox> avoid) const {
  canvas.SetFont(Font);
  const int w = canvas.Width(), h = canvas.Height();
  Real unitValue = 0;
  const std::vector<Real> values = LabelValues(&unitValue);
  auto place = [&](Real v, bool unit) {
    TAxisLabel l;
    l.Value = v;
    l.IsUnitLabel = unit;
    l.At = ValueToPixel(v);
    l.TickEnd = {l.At.x + Tick.x, l.At.y + Tick.y};
    const std::string number = LabelText(v);
    l.Text = !unit ? number : AlignX == 0 ? number + Units : AlignX == 1 ? Units + number : number;
    if (unit && AlignX == 2) l.Units = Units;
    const TPoint ext = canvas.TextExtent(l.Text);
    const int unitWidth = l.Units.empty() ? 0 : canvas.TextExtent(l.Units).x;
    l.TextPos = {l.TickEnd.x - (AlignX != 0 ? ext.x / AlignX : -1),
                 l.TickEnd.y - (AlignY != 0 ? ext.y / AlignY : 0)};
    // Keep the whole label inside the picture.
    l.TextPos.x = std::clamp(l.TextPos.x, 0, std::max(0, w - ext.x - unitWidth));
    l.TextPos.y = std::clamp(l.TextPos.y, 0, std::max(0, h - ext.y));
    l.Size = {ext.x + unitWidth, ext.y};
    return l;
  };
  // The unit label first: a number label that would overlap it, or the label
  // kept before it, is left out.
  std::vector<TAxisLabel> out;
  const TAxisLabel unitLabel = place(unitValue, true);
  for (Real v : values) {
    const TAxisLabel l = place(v, false);
    bool covers = Overlap(l.TextPos, l.Size, unitLabel.TextPos, unitLabel.Size) ||
                  (!out.empty() && Overlap(l.TextPos, l.Size, out.back().TextPos, out.back().Size));
    for (const TTextBox& b : avoid) covers = covers || Overlap(l.TextPos, l.Size, b.Pos, b.Size);
    if (!covers) out.push_back(l);
  }
  out.push_back(unitLabel);
  return out;
}

void TGraphAxis::Draw(TCanvas& canvas, std::span<const TTextBox> avoid) {
  Layout();
  canvas.SetPen(Font.Color);
  canvas.SetFont(Font);
  for (Real v : MinorValues()) {
    const TPoint p = ValueToPixel(v);
    canvas.MoveTo(p);
    canvas.LineTo({p.x + MinorTick.x, p.y + MinorTick.y});
  }
  for (const TAxisLabel& l : PlaceLabels(canvas, avoid)) {
    canvas.MoveTo(l.At);
    canvas.LineTo(l.TickEnd);
    canvas.TextOut(l.TextPos, l.Text);
    if (!l.Units.empty())
      canvas.TextOut({l.TextPos.x + canvas.TextExtent(l.Text).x, l.TextPos.y}, l.Units);
  }
  canvas.MoveTo(Start);
  canvas.LineTo(End);
}

}  // namespace tessmar
