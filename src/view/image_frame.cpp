#include "view/image_frame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "view/picture_files.h"

namespace tessmar {

namespace {

constexpr TColor kWhite{255, 255, 255};
constexpr Real kNaN = std::numeric_limits<Real>::quiet_NaN();

// Index of the last point line i can draw: Count, limited by the data held.
int LastPoint(const std::vector<TGraphLine>& lines, std::size_t i, int count) {
  if (lines.empty()) return -1;
  const auto held = static_cast<int>(std::min(lines[0].Data.size(), lines[i].Data.size()));
  return std::min(count, held - 1);
}

bool Finite(const std::vector<TGraphLine>& lines, std::size_t i, int j) {
  const auto k = static_cast<std::size_t>(j);
  return std::isfinite(lines[0].Data[k]) && std::isfinite(lines[i].Data[k]);
}

std::vector<TTextBox> OrdinateBoxes(const std::vector<TAxisLabel>& labels) {
  std::vector<TTextBox> out;
  for (const TAxisLabel& l : labels) out.push_back({l.TextPos, l.Size});
  return out;
}

}  // namespace

TImageFrame::TImageFrame(int w, int h) : TImageFrame(MakeCanvas(w, h)) {}

TImageFrame::TImageFrame(std::unique_ptr<TCanvas> image) : Image(std::move(image)) {
  if (!Image) throw std::invalid_argument("graph frame without a picture");
  for (TGraphAxis& a : Axes) a.Font = Font;
  Image->SetFont(Font);
}

// Pixel layout. The plot rectangle is yLeft..right by top..bottom, cut to the
// picture. The horizontal axis lies on its bottom side (place 0), its top side
// (1) or through y = 0 (2); its ticks point down (up for place 1), and the
// bottom is raised, or the top lowered, so that ticks and labels stay inside the
// picture. The vertical axis lies on the left side (0), the right side (1) or
// through x = 0 (2); its ticks point left (right for place 1), and its labels use
// the margin the caller leaves beside the rectangle (they are kept inside the
// picture). Ranges are set high end first, so the high values sit at the right
// and the top, where the unit texts are written.
void TImageFrame::SetupAxes(int yLeft, int top, const std::string& yTitle, int yLabels, bool yFlag,
                            Real yMax, Real yMin, int yPlace, const std::string& xTitle,
                            int xLabels, bool xFlag, Real xMin, Real xMax, int xPlace, int tick,
                            int right, int bottom) {
  const int w = Image->Width(), h = Image->Height();
  const int t = std::abs(tick);
  const int labelRoom = t + Font.Height + 2;
  const int left = std::clamp(yLeft, 0, std::max(0, w - 2));
  const int r = std::clamp(right, left + 1, std::max(left + 1, w - 1));
  int ty = std::clamp(top, 0, std::max(0, h - 2));
  int by = std::clamp(bottom, ty + 1, std::max(ty + 1, h - 1));
  if (xPlace == 1)
    ty = std::max(ty, std::min(labelRoom, by - 1));
  else
    by = std::max(ty + 1, std::min(by, h - 1 - labelRoom));

  TGraphAxis& x = Axes[0];
  TGraphAxis& y = Axes[1];
  x.Units = xTitle;
  x.LabelSlots = xLabels + 1;
  x.LogAllowed = xFlag;
  x.Font = Font;
  y.Units = yTitle;
  y.LabelSlots = yLabels + 1;
  y.LogAllowed = yFlag;
  y.Font = Font;

  const int xTick = xPlace == 1 ? -t : t;
  const int yTick = yPlace == 1 ? t : -t;
  int xAxisY = xPlace == 1 ? ty : by;
  int yAxisX = yPlace == 1 ? r : left;
  x.Place({left, xAxisY}, {r, xAxisY}, xTick);
  x.SetRange(xMax, xMin);
  y.Place({yAxisX, by}, {yAxisX, ty}, yTick);
  y.SetRange(yMax, yMin);
  if (xPlace == 2 && !y.Log && y.HasScale() && y.Min <= 0 && y.Max >= 0)
    xAxisY = y.ValueToPixel(0).y;
  if (yPlace == 2 && !x.Log && x.HasScale() && x.Min <= 0 && x.Max >= 0)
    yAxisX = x.ValueToPixel(0).x;
  x.Place({left, xAxisY}, {r, xAxisY}, xTick);
  y.Place({yAxisX, by}, {yAxisX, ty}, yTick);

  XLabelAxis = 0;
  YLabelAxis = 1;
  Count = -1;
  ReadOut = x.HasScale() && y.HasScale();
  Redraw();
  Visible = true;
}

int TImageFrame::SetLine(TColor color, const std::string& label, int index, int lastIndex,
                         bool labelAtStart) {
  // The next free index follows the highest one set, as far as Lines still holds it.
  if (index < 1) index = std::max(std::min(lastSet_, static_cast<int>(Lines.size()) - 1), 0) + 1;
  const auto size = static_cast<std::size_t>(std::max({lastIndex, index, 0}) + 1);
  if (Lines.size() < size) Lines.resize(size);
  TGraphLine& line = Lines[static_cast<std::size_t>(index)];
  line.Color = color;
  line.Label = label;
  line.LabelAtStart = labelAtStart;
  lastSet_ = std::max(lastSet_, index);
  return index;
}

bool TImageFrame::AddPoint(std::span<const Real> values, int reserve) {
  if (values.empty()) return false;
  if (Lines.size() < values.size()) Lines.resize(values.size());
  ++Count;
  const auto need =
      static_cast<std::size_t>(Count) + static_cast<std::size_t>(std::max(reserve, 0)) + 1;
  // New places hold NaN, so a line given no value here shows a gap, not a zero.
  for (TGraphLine& line : Lines)
    if (line.Data.size() < need) line.Data.resize(need, kNaN);
  for (std::size_t j = 0; j < values.size(); ++j)
    Lines[j].Data[static_cast<std::size_t>(Count)] = values[j];
  bool widened = false;
  if (!FixedRanges) {
    widened = Axes[0].Widen(values[0]);
    for (std::size_t j = 1; j < values.size(); ++j) widened = Axes[1].Widen(values[j]) || widened;
  }
  if (widened) {
    ReadOut = Axes[0].HasScale() && Axes[1].HasScale();
    Redraw();
    return true;
  }
  if (Count >= 1)
    for (std::size_t i = 1; i < Lines.size(); ++i)
      if (LastPoint(Lines, i, Count) == Count) DrawSegment(Lines[i], i, Count);
  return false;
}

void TImageFrame::DrawSegment(const TGraphLine& line, std::size_t i, int j) {
  if (!Finite(Lines, i, j - 1) || !Finite(Lines, i, j)) return;
  const auto k = static_cast<std::size_t>(j);
  Image->SetPen(k < line.PointColors.size() ? line.PointColors[k] : line.Color);
  Image->MoveTo(CurvePoint(Lines, i, j - 1));
  Image->LineTo(CurvePoint(Lines, i, j));
}

TPoint TImageFrame::CurvePoint(const std::vector<TGraphLine>& lines, std::size_t i, int j) const {
  const auto k = static_cast<std::size_t>(j);
  return {Axes[0].ValueToPixel(lines[0].Data[k]).x, Axes[1].ValueToPixel(lines[i].Data[k]).y};
}

void TImageFrame::DrawCurves() {
  for (std::size_t i = 1; i < Lines.size(); ++i) {
    const TGraphLine& line = Lines[i];
    const int last = LastPoint(Lines, i, Count);
    if (!line.PointColors.empty()) {
      for (int j = 1; j <= last; ++j) DrawSegment(line, i, j);
      continue;
    }
    // One polyline, broken where a point is missing.
    Image->SetPen(line.Color);
    bool open = false;
    for (int j = 0; j <= last; ++j) {
      if (!Finite(Lines, i, j)) {
        open = false;
        continue;
      }
      if (open)
        Image->LineTo(CurvePoint(Lines, i, j));
      else
        Image->MoveTo(CurvePoint(Lines, i, j));
      open = true;
    }
  }
}

std::vector<TCurveLabel> TImageFrame::PlaceCurveLabels(const std::vector<TGraphLine>& lines,
                                                       int count) const {
  const TGraphAxis& xa = Axes.at(static_cast<std::size_t>(XLabelAxis));
  const TGraphAxis& ya = Axes.at(static_cast<std::size_t>(YLabelAxis));
  const int stroke = 2 * (std::abs(xa.Tick.x) + std::abs(xa.Tick.y));
  const int xLeft = std::min(xa.Start.x, xa.End.x), xRight = std::max(xa.Start.x, xa.End.x);
  const int w = Image->Width(), h = Image->Height();
  Image->SetFont(Font);
  std::vector<TCurveLabel> starts, ends;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const TGraphLine& line = lines[i];
    if (line.Label.empty()) continue;
    const int last = LastPoint(lines, i, count);
    int j = -1;
    if (line.LabelAtStart) {
      for (int k = 0; k <= last && j < 0; ++k)
        if (Finite(lines, i, k)) j = k;
    } else {
      for (int k = last; k >= 0 && j < 0; --k)
        if (Finite(lines, i, k)) j = k;
    }
    if (j < 0) continue;
    const int py = ya.ValueToPixel(lines[i].Data[static_cast<std::size_t>(j)]).y;
    const TPoint ext = Image->TextExtent(line.Label);
    TCurveLabel l;
    l.Line = static_cast<int>(i);
    l.Text = line.Label;
    l.Color = line.Color;
    if (line.LabelAtStart) {
      l.StrokeFrom = {xLeft, py};
      l.StrokeTo = {xLeft - stroke, py};
      l.TextPos = {xLeft - stroke - 1 - ext.x, py - ext.y / 2};
    } else {
      l.StrokeFrom = {xRight, py};
      l.StrokeTo = {xRight + stroke, py};
      l.TextPos = {xRight + stroke + 1, py - ext.y / 2};
    }
    l.TextPos.x = std::clamp(l.TextPos.x, 0, std::max(0, w - ext.x));
    (line.LabelAtStart ? starts : ends).push_back(l);
  }
  // Each text goes to the free place nearest to its curve's height, so that it
  // covers neither an axis label (the unit text at the end of the abscissa
  // reaches into the margin) nor a curve label placed before it; it stays inside
  // the picture, and a moved text keeps its stroke pointing at its curve.
  struct TBox {
    TPoint pos, size;
  };
  std::vector<TBox> taken;
  for (const std::vector<TAxisLabel>& labels : PlaceAxisLabels())
    for (const TAxisLabel& l : labels) taken.push_back({l.TextPos, l.Size});
  Image->SetFont(Font);
  const int textH = Font.Height;
  auto isFree = [&](TPoint pos, TPoint size) {
    for (const TBox& b : taken)
      if (pos.x < b.pos.x + b.size.x && b.pos.x < pos.x + size.x && pos.y < b.pos.y + b.size.y &&
          b.pos.y < pos.y + size.y)
        return false;
    return true;
  };
  auto settle = [&](std::vector<TCurveLabel>& side) {
    std::stable_sort(side.begin(), side.end(), [](const TCurveLabel& a, const TCurveLabel& b) {
      return a.TextPos.y < b.TextPos.y;
    });
    for (TCurveLabel& l : side) {
      const TPoint size{Image->TextExtent(l.Text).x, textH};
      const int lowest = std::max(0, h - textH);
      const int wanted = std::clamp(l.TextPos.y, 0, lowest);
      int y = wanted;
      for (int d = 0; d <= lowest; ++d) {
        if (wanted + d <= lowest && isFree({l.TextPos.x, wanted + d}, size)) {
          y = wanted + d;
          break;
        }
        if (wanted - d >= 0 && isFree({l.TextPos.x, wanted - d}, size)) {
          y = wanted - d;
          break;
        }
      }
      l.TextPos.y = y;
      l.StrokeTo.y = y + textH / 2;
      taken.push_back({l.TextPos, size});
    }
  };
  settle(ends);
  settle(starts);
  std::vector<TCurveLabel> out = std::move(starts);
  out.insert(out.end(), ends.begin(), ends.end());
  std::sort(out.begin(), out.end(),
            [](const TCurveLabel& a, const TCurveLabel& b) { return a.Line < b.Line; });
  return out;
}

std::array<std::vector<TAxisLabel>, 2> TImageFrame::PlaceAxisLabels() const {
  std::array<TGraphAxis, 2> axes = Axes;
  for (TGraphAxis& a : axes) a.Layout();
  std::array<std::vector<TAxisLabel>, 2> out;
  out[1] = axes[1].PlaceLabels(*Image);
  out[0] = axes[0].PlaceLabels(*Image, OrdinateBoxes(out[1]));
  return out;
}

void TImageFrame::Redraw() {
  Image->Clear(kWhite);
  Axes[1].Layout();
  Axes[0].Draw(*Image, OrdinateBoxes(Axes[1].PlaceLabels(*Image)));
  Axes[1].Draw(*Image);
  DrawCurves();
  for (const TCurveLabel& l : PlaceCurveLabels(Lines, Count)) {
    Image->SetPen(l.Color);
    Image->MoveTo(l.StrokeFrom);
    Image->LineTo(l.StrokeTo);
    TFont f = Font;
    f.Color = l.Color;
    Image->SetFont(f);
    Image->TextOut(l.TextPos, l.Text);
  }
}

std::string TImageFrame::ReadOutText(int px, int py) const {
  if (!ReadOut) return {};
  char buf[160];
  std::snprintf(buf, sizeof buf, "(%d, %d) : (%.4Lg, %.4Lg)", px, py, PixelToValue(0, px),
                PixelToValue(1, py));
  return buf;
}

std::string TImageFrame::SavePicture(const std::string& name, bool jpeg) const {
  const std::size_t slash = name.find_last_of("/\\");
  const std::size_t dot = name.find_last_of('.');
  const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  std::string path = name;
  if (!hasDot)
    path += jpeg ? ".jpg" : ".bmp";
  else if (dot + 1 == name.size())  // "name." has no extension either
    path += jpeg ? "jpg" : "bmp";
  const TRgbImage pixels = Image->Snapshot();
  if (jpeg)
    WriteJpeg(path, pixels);
  else
    WriteBmp(path, pixels);
  return path;
}

}  // namespace tessmar
