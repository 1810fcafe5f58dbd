#pragma once
// One axis of a graph frame: its pixel line, its data range and scale (linear
// or logarithmic), the tick layout with its label numbers, and the drawing of
// ticks, labels and the axis line on a canvas.
//
// SetRange(a, b) puts the first value a at End and b at Start. The label that
// carries the unit text is always the extreme label at End.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/real.h"
#include "view/canvas.h"

namespace tessmar {

// Label text of a number: `format` ("%.Nf", "%g", "%.Ne", "%.Ng"; "%g" shows up
// to 15 significant digits) applied to v with `decSeparator` as the decimal
// separator, then cleaned by CleanExponent. A zero never shows a minus sign.
std::string FormatLabel(std::string_view format, Real v, char decSeparator);

// Exponent cleaning of a formatted number: when the text holds an "E" followed
// by a sign or a digit, a "+" after the "E" is removed and the leading zeros of
// the exponent are removed (one digit stays); with format "%.1e" a mantissa
// ending in "1,0" loses its ",0". "1.0E+005" -> "1.0E5", "1,0E+005" -> "1E5",
// "2.5E-007" -> "2.5E-7".
std::string CleanExponent(std::string text, std::string_view format);

// A labelled tick as drawn: the tick line, the label text and where it goes.
struct TAxisLabel {
  Real Value = 0;
  TPoint At;          // axis point of the value
  TPoint TickEnd;     // At + Tick
  std::string Text;   // the number, with the unit text in front or behind for AlignX 1 / 0
  std::string Units;  // unit text written after Text at the pen position (AlignX 2)
  TPoint TextPos;     // top-left corner of Text
  TPoint Size;        // extent of Text and Units together
  bool IsUnitLabel = false;
};

// A rectangle of the picture that labels must not cover.
struct TTextBox {
  TPoint Pos, Size;
};

class TGraphAxis {
 public:
  TPoint Start, End;  // pixel ends of the axis line
  TPoint Delta;       // End - Start
  TPoint Tick, MinorTick;
  std::uint8_t AlignX = 0, AlignY = 0;
  Real Min = 0, Max = 0;
  bool Reversed = false;
  bool Log = false;
  bool LogAllowed = false;
  Real ScaleX = 0, ScaleY = 0;  // pixels per data unit (per unit of ln in log mode)
  TPoint Origin;
  Real LabelSlots = 6;  // requested number of labels + 1
  std::string Format = "%g";
  std::int64_t Decimal = 0;  // D: labels at k*Step/D (0: no inner labels)
  Real Step = 0;             // m, a whole number (kept as Real: 10^20 does not fit 64 bits)
  Real Minor = 0;            // step of the unlabelled ticks (linear)
  std::string Units;
  TFont Font;
  bool Dirty = true;

  // The axis line from start to end with ticks of signed length t: a vertical axis
  // gets (t, 0), a horizontal one (0, t), an oblique one t*(-dy, dx)/(|dx|+|dy|).
  // t < 0 puts a vertical axis's ticks and labels to the left, a horizontal one's
  // above. Marks the layout dirty; the range and scale are recomputed.
  void Place(TPoint start, TPoint end, int t);

  // Range and scale; log scale when LogAllowed, Min*Max > 0 and the range spans
  // more than LabelSlots/7 decades.
  void SetRange(Real a, Real b);
  // Widen the range to include v when v lies outside it and its pixel differs from
  // the pixel of the range end it passes (any v outside a zero-scale range). The
  // orientation (Reversed) is kept. Non-finite values never widen. True when widened.
  bool Widen(Real v);

  [[nodiscard]] bool HasScale() const { return ScaleX != 0 || ScaleY != 0; }
  // Pixel of v clamped to [Min, Max]; NaN counts as Min.
  [[nodiscard]] TPoint ValueToPixel(Real v) const;
  // Value at pixel coordinate p along the axis's main direction (x for a
  // horizontal axis, y for a vertical one). Min when the scale is zero.
  [[nodiscard]] Real PixelToValue(int p) const;

  // Tick layout (Decimal, Step, Minor, Format) when Dirty; clears Dirty.
  void Layout();
  // Values of the unlabelled ticks and of the labels (ascending; the unit label
  // last). Layout must be current.
  [[nodiscard]] std::vector<Real> MinorValues() const;
  [[nodiscard]] std::vector<Real> LabelValues(Real* unitValue) const;
  // Label text of v in this axis's format and the system decimal separator.
  [[nodiscard]] std::string LabelText(Real v) const;
  // Labelled ticks with their text positions, measured on `canvas` in this axis's
  // font, kept inside the canvas. A number label that would cover the unit label,
  // the label kept before it or one of the `avoid` boxes (the other axis's labels
  // at a shared corner) is left out. Layout must be current.
  [[nodiscard]] std::vector<TAxisLabel> PlaceLabels(TCanvas& canvas,
                                                    std::span<const TTextBox> avoid = {}) const;
  // Minor ticks, labelled ticks, unit label and axis line (recomputes the layout
  // when Dirty).
  void Draw(TCanvas& canvas, std::span<const TTextBox> avoid = {});

 private:
  // Pixel of v without clamping (v must have the range's sign in log mode).
  [[nodiscard]] TPoint RawPixel(Real v) const;
  void LinearLayout();
  void LogLayout();
  [[nodiscard]] bool Horizontal() const;
};

}  // namespace tessmar
