#pragma once
// A graph frame without a toolkit: a picture with a horizontal and a vertical
// axis, any number of coloured curves over a shared abscissa with a label per
// curve, point-by-point growth with range widening, the mouse read-out text and
// the picture files.

#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/color.h"
#include "base/real.h"
#include "view/canvas.h"
#include "view/graph_axis.h"

namespace tessmar {

struct TGraphLine {
  TColor Color{0, 0, 0};
  std::string Label;
  bool LabelAtStart = false;
  std::vector<Real> Data;
  // Optional colours per point: when not empty, the segment from point j-1 to
  // point j is drawn in PointColors[j] (the line's Color where j is past the end).
  std::vector<TColor> PointColors;
};

// A curve label as drawn: the short stroke and the text beside it.
struct TCurveLabel {
  int Line = 0;  // index into the lines it was made from
  TPoint StrokeFrom, StrokeTo;
  TPoint TextPos;  // top-left corner
  std::string Text;
  TColor Color;
};

class TImageFrame {
 public:
  // A white picture of w x h pixels drawn by MakeCanvas.
  explicit TImageFrame(int w = 350, int h = 250);
  // A frame drawing on the given surface (tests record what is drawn).
  explicit TImageFrame(std::unique_ptr<TCanvas> image);

  std::unique_ptr<TCanvas> Image;
  TFont Font;                      // frame font, also of the axes and curve labels
  std::array<TGraphAxis, 2> Axes;  // 0 horizontal (abscissa), 1 vertical
  // Curve labels: their x is a pixel end of Axes[XLabelAxis] (the left end for
  // labels at the start, the right end for labels at the end); their y is the
  // pixel of the curve's first or last ordinate on Axes[YLabelAxis].
  int XLabelAxis = 0, YLabelAxis = 1;
  std::vector<TGraphLine> Lines;        // Lines[0]: abscissae
  int Count = -1;                       // index of the last point
  bool ReadOut = false;                 // both axes have a scale
  bool FixedRanges = false;             // AddPoint never widens the ranges
  const TImageFrame* Linked = nullptr;  // curves added to the PostScript output
  bool Visible = false;

  // Axes from the plot rectangle and label settings; see image_frame.cpp for the
  // pixel layout. yFlag/xFlag allow a logarithmic scale. Place codes: 0 low side
  // (left / bottom), 1 high side (right / top), 2 through the other axis's zero
  // when its range holds 0. Count := -1, redraw, Visible := true.
  void SetupAxes(int yLeft, int top, const std::string& yTitle, int yLabels, bool yFlag, Real yMax,
                 Real yMin, int yPlace, const std::string& xTitle, int xLabels, bool xFlag,
                 Real xMin, Real xMax, int xPlace, int tick, int right, int bottom);

  // Lines gets lastIndex+1 entries at least (new ones with empty data); entry
  // `index` (the next entry after the last one when index < 1) gets colour,
  // label and flag. Returns the index set.
  int SetLine(TColor color, const std::string& label, int index, int lastIndex, bool labelAtStart);

  // Append one point: values[0] the abscissa, values[j] the ordinate of line j.
  // Data arrays shorter than Count+reserve+1 are enlarged to that length. Unless
  // FixedRanges the ranges widen to the new values (Axes[0] the abscissa,
  // Axes[1] the ordinates); a widening redraws everything, otherwise only the
  // segments from the previous point are drawn. Returns true when it redrew.
  bool AddPoint(std::span<const Real> values, int reserve = 0);

  // White background, axes, curves and curve labels.
  void Redraw();

  [[nodiscard]] TPoint ValueToPixel(int axis, Real v) const {
    return Axes.at(static_cast<std::size_t>(axis)).ValueToPixel(v);
  }
  [[nodiscard]] Real PixelToValue(int axis, int p) const {
    return Axes.at(static_cast<std::size_t>(axis)).PixelToValue(p);
  }

  // "(px, py) : (x, y)" in data units; "" when ReadOut is false.
  [[nodiscard]] std::string ReadOutText(int px, int py) const;

  // The labelled ticks of both axes as drawn: the abscissa leaves out a number
  // that would cover a label of the ordinate (at the corner they share).
  [[nodiscard]] std::array<std::vector<TAxisLabel>, 2> PlaceAxisLabels() const;

  // Curve labels of `lines` (up to point `count`) placed with this frame's axes,
  // measured on this frame's picture in its font; labels on one side are moved
  // apart vertically so they do not overlap.
  [[nodiscard]] std::vector<TCurveLabel> PlaceCurveLabels(const std::vector<TGraphLine>& lines,
                                                          int count) const;

  // Write the picture: JPEG (".jpg" added when the name has no extension) or
  // BMP (".bmp" added). Returns the path written; throws std::runtime_error with
  // the system's message when the file cannot be written.
  std::string SavePicture(const std::string& name, bool jpeg) const;

 private:
  void DrawCurves();
  // Segment j-1 -> j of line i (skipped when a point is missing).
  void DrawSegment(const TGraphLine& line, std::size_t i, int j);
  [[nodiscard]] TPoint CurvePoint(const std::vector<TGraphLine>& lines, std::size_t i, int j) const;

  int lastSet_ = 0;  // highest line index given by SetLine
};

}  // namespace tessmar
