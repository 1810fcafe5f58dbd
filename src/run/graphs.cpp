#include "run/graphs.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "core/hydr_stat.h"
#include "materials/phase.h"
#include "run/main_form.h"
#include "run/profile_files.h"
#include "view/image_frame.h"
#include "view/picture_files.h"

namespace tessmar {

namespace {

// Frame sizes: four graphs of 350 x 250 pixels, or the temperature graph
// alone at twice the width.
constexpr int kFrameW = 350, kFrameH = 250;
constexpr int kBigW = 700, kBigH = 505;

// Colours of the series, as the program names them.
constexpr TColor kFuchsia{255, 0, 255};  // electrons
constexpr TColor kGreen{0, 128, 0};      // ions, fixed mesh
constexpr TColor kRed{255, 0, 0};        // ions, moving mesh
constexpr TColor kAqua{0, 255, 255};     // deviatoric stress
constexpr TColor kBlack{0, 0, 0};

bool Physical(const TMainForm& f) {
  return f.Ctx().UnitScale == 1e5L && f.x1Edit == 1e-7L;
}

bool GlassCell(const SimContext& c, int i, int N) {
  return (c.ShiftDiv > 0 && i < c.ShiftDiv) || (c.ShiftDiv < 0 && i >= N + c.ShiftDiv);
}

// Phase colour of cell i: the material's colour function, else its phase
// predicates, else black for the main and violet for the second material.
TColor CellColor(const SimContext& c, const THydrStat& s, int i) {
  const int N = s.CellCount();
  const Real T = s.T[static_cast<std::size_t>(i)];
  const Real rho = s.Density(i);
  try {
    if (GlassCell(c, i, N)) {
      if (c.PhaseColorl) return c.PhaseColorl(T, rho);
      return colors::kViolet;
    }
    if (c.PhaseColor) return c.PhaseColor(T, rho);
    if (c.EosIsGas || c.EosIsMelted) return PredicateColor(c, T, rho);
  } catch (const std::exception&) {
    // A colour that cannot be evaluated (a state outside the model) is drawn black.
  }
  return kBlack;
}

TColor Mix(TColor a, TColor b) {
  return {static_cast<std::uint8_t>((a.r + b.r) / 2), static_cast<std::uint8_t>((a.g + b.g) / 2),
          static_cast<std::uint8_t>((a.b + b.b) / 2)};
}

struct Series {
  std::string label;
  TColor color;
  std::vector<Real> values;
  std::vector<TColor> pointColors;  // empty: the series colour
};

// One graph: abscissae, series, titles; fitted ranges and drawn.
void Plot(TImageFrame& frame, const std::vector<Real>& x, std::vector<Series> series,
          const std::string& yTitle, const std::string& xTitle, int yLabels, int right,
          int bottom) {
  Real xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  bool any = false;
  for (std::size_t j = 0; j < x.size(); ++j) {
    if (!std::isfinite(x[j])) continue;
    xMin = any ? std::min(xMin, x[j]) : x[j];
    xMax = any ? std::max(xMax, x[j]) : x[j];
    any = true;
  }
  bool anyY = false;
  for (const Series& s : series)
    for (const Real v : s.values) {
      if (!std::isfinite(v)) continue;
      yMin = anyY ? std::min(yMin, v) : v;
      yMax = anyY ? std::max(yMax, v) : v;
      anyY = true;
    }
  // A flat quantity still gets a visible range around its value.
  if (anyY && yMax == yMin) {
    const Real d = yMax != 0 ? std::fabs(yMax) * 0.05L : 1;
    yMin -= d;
    yMax += d;
  }
  if (any && xMax == xMin) xMax = xMin + 1;
  // The ordinate's title is written before its top number: leave room for
  // both beside the axis (at least the usual 50 pixels).
  frame.Image->SetFont(frame.Font);
  const int yLeft = std::max(50, frame.Image->TextExtent(yTitle + "-0.00").x + 8);
  frame.SetupAxes(yLeft, 5, yTitle, yLabels, false, yMax, yMin, 0, xTitle, 5, false, xMin, xMax, 0,
                  5, right, bottom);
  frame.Lines.assign(series.size() + 1, TGraphLine{});
  frame.Lines[0].Data = x;
  for (std::size_t k = 0; k < series.size(); ++k) {
    const int idx = static_cast<int>(k) + 1;
    frame.SetLine(series[k].color, series[k].label, idx, static_cast<int>(series.size()), false);
    frame.Lines[static_cast<std::size_t>(idx)].Data = std::move(series[k].values);
    frame.Lines[static_cast<std::size_t>(idx)].PointColors = std::move(series[k].pointColors);
  }
  frame.Count = static_cast<int>(x.size()) - 1;
  frame.Redraw();
}

}  // namespace

void SetupGraphs(TMainForm& f) {
  const bool fixed = f.Ctx().NoMove;
  // The temperature graph alone is drawn larger.
  const int w = fixed ? kBigW : kFrameW, h = fixed ? kBigH : kFrameH;
  if (f.TGraph.Image->Width() != w || f.TGraph.Image->Height() != h)
    f.TGraph.Image = MakeCanvas(w, h);
  f.RGraph.Visible = f.VGraph.Visible = f.PGraph.Visible = !fixed;
  f.TGraph.Visible = true;
}

void DrawGraphs(TMainForm& f) {
  SimContext& c = f.Ctx();
  if (!c.State) return;
  const THydrStat& s = *c.State;
  const int N = s.CellCount();
  if (N < 1) return;
  const int from = std::clamp(f.DrawFrom, 0, N - 1);
  const int to = std::clamp(f.DrawTo > 0 ? f.DrawTo : N, from + 1, N);
  const Real x1 = f.x1Edit != 0 ? f.x1Edit : 1;
  const Real U = c.UnitScale != 0 ? c.UnitScale : 1;
  const bool phys = Physical(f);
  const bool shift = f.ShiftGraphX0;
  // Abscissa: x, or with the graph origin at the outer surface the depth
  // below it (the velocity then counts positive outwards as -v).
  auto X = [&](Real x) { return shift ? (c.Lx0 - x) / x1 : x / x1; };
  // Axis titles: the unit text is written beside the end label, so it starts
  // (ordinates) or ends (abscissa) with a blank.
  const std::string xTitle = std::string(shift ? " Lx0-x" : " x") + (phys ? " [nm]" : "");

  std::vector<Real> xc, xn;
  std::vector<TColor> cellColor;
  for (int i = from; i < to; ++i) {
    xc.push_back(X(s.CellCentre(i)));
    cellColor.push_back(CellColor(c, s, i));
  }
  for (int j = from; j <= to; ++j) xn.push_back(X(s.x[static_cast<std::size_t>(j)]));
  auto cells = [&](auto value) {
    std::vector<Real> v;
    for (int i = from; i < to; ++i) v.push_back(value(i, static_cast<std::size_t>(i)));
    return v;
  };

  const auto* th = dynamic_cast<const TThermState*>(&s);
  const auto* h2 = dynamic_cast<const THydro2T*>(&s);
  const auto* el = dynamic_cast<const THydro2Telast*>(&s);
  const int right = c.NoMove ? 550 : 280, bottom = c.NoMove ? 505 : 250;

  // Temperature: ion and electron temperatures in two-temperature states. A
  // profile read without a temperature column (and no material to derive it)
  // shows its energy instead.
  bool noTemperature = true;
  for (int i = from; i < to && noTemperature; ++i)
    noTemperature = s.T[static_cast<std::size_t>(i)] == 0;
  std::vector<Series> temps;
  std::string tTitle = phys ? "T [K] " : "T ";
  if (noTemperature && !th) {
    temps.push_back({"", kBlack, cells([&](int, std::size_t k) { return s.E[k]; }), cellColor});
    tTitle = phys ? "E [kJ/g] " : "E ";
  } else if (th) {
    temps.push_back(
        {"Ti", c.NoMove ? kGreen : kRed, cells([&](int, std::size_t k) { return s.T[k]; }), {}});
    temps.push_back({"Te", kFuchsia, cells([&](int, std::size_t k) { return th->Te[k]; }), {}});
  } else {
    temps.push_back({"", kBlack, cells([&](int, std::size_t k) { return s.T[k]; }), cellColor});
  }
  Plot(f.TGraph, xc, std::move(temps), tTitle, xTitle, c.NoMove ? 7 : 5, right, bottom);
  if (c.NoMove) return;

  Plot(f.RGraph, xc,
       {{"", kBlack, cells([&](int i, std::size_t) { return s.Density(i); }), cellColor}},
       phys ? "rho [g/cm3] " : "rho ", xTitle, 5, 280, 250);

  // Velocity at the nodes, coloured by the mean of the neighbouring cells.
  std::vector<Real> v;
  std::vector<TColor> nodeColor;
  const Real sign = shift ? -1 : 1;
  for (int j = from; j <= to; ++j) {
    v.push_back(sign * s.v[static_cast<std::size_t>(j)] / U);
    const int k = j - from;
    const TColor left = cellColor[static_cast<std::size_t>(std::max(k - 1, 0))];
    const TColor rightC = cellColor[static_cast<std::size_t>(std::min(k, to - from - 1))];
    nodeColor.push_back(Mix(left, rightC));
  }
  Plot(f.VGraph, xn, {{"", kBlack, std::move(v), std::move(nodeColor)}},
       std::string(shift ? "-v" : "v") + (phys ? " [km/s] " : " "), xTitle, 5, 280, 250);

  std::vector<Series> press;
  press.push_back(
      {h2 ? "P" : "", kBlack, cells([&](int, std::size_t k) { return s.P[k]; }), cellColor});
  if (h2) {
    press.push_back({"Pi", kGreen, cells([&](int, std::size_t k) { return h2->Pi[k]; }), {}});
    press.push_back({"Pe", kFuchsia, cells([&](int, std::size_t k) { return h2->Pe[k]; }), {}});
  }
  if (el)
    press.push_back({"Sxx", kAqua, cells([&](int, std::size_t k) { return el->Sxx[k]; }), {}});
  Plot(f.PGraph, xc, std::move(press), phys ? "P [GPa] " : "P ", xTitle, 5, 280, 250);
}

TRgbImage ComposePicture(const TMainForm& f, const std::string& caption) {
  const bool fixed = f.Ctx().NoMove;
  const TRgbImage t = f.TGraph.Image->Snapshot();
  const TFont font = f.TGraph.Font;
  const int line = font.Height + 4;  // one text line
  int w = t.Width, h = t.Height;
  TRgbImage r, v, p;
  if (!fixed) {
    r = f.RGraph.Image->Snapshot();
    v = f.VGraph.Image->Snapshot();
    p = f.PGraph.Image->Snapshot();
    w = std::max(r.Width, v.Width) + std::max(p.Width, t.Width);
    h = std::max(r.Height + v.Height, p.Height + t.Height);
  }
  h += 3 * line;  // room for the caption
  auto canvas = MakeCanvas(w, h);
  canvas->Clear({255, 255, 255});
  if (fixed) {
    canvas->Draw({0, 0}, t);
  } else {
    canvas->Draw({0, 0}, r);
    canvas->Draw({0, r.Height}, v);
    const int x2 = std::max(r.Width, v.Width);
    canvas->Draw({x2, 0}, p);
    canvas->Draw({x2, p.Height}, t);
  }
  canvas->SetFont(font);
  const TPoint ext = canvas->TextExtent(caption);
  canvas->TextOut({(w - ext.x) / 2, h - 2 * line - ext.y / 2}, caption);
  return canvas->Snapshot();
}

std::string SavePicture(TMainForm& f, const std::string& name, bool ask) {
  SimContext& c = f.Ctx();
  std::string path = name;
  bool jpeg = f.JpegPictures;
  if (ask) {
    FileRequest req;
    req.mode = FileMode::Save;
    req.filter = "Picture Bitmaps|*.bmp|JPEG Image|*.jpg";
    req.filterIndex = 2;
    req.defaultExt = ".jpg";
    req.fileName = name;
    req.overwritePrompt = true;
    const auto answer = c.Port().ChooseFile(req);
    if (!answer) return "";
    jpeg = answer->filterIndex == 2;
    f.JpegPictures = jpeg;
    path = answer->fileName;
    std::filesystem::path p(path);
    if (!p.has_extension()) path += jpeg ? ".jpg" : ".BMP";
    // A picture saved elsewhere than the save directory moves the save
    // directory there, as a profile saved elsewhere does.
    const std::string dir = WithDirSeparator(p.parent_path().string());
    if (!f.SaveOptions.Dir.empty() && !p.parent_path().empty() && dir != f.SaveOptions.Dir) {
      f.SaveOptions.GraphType = jpeg ? 1 : 0;
      ChooseSaveOptions(f, dir);
      f.SaveLabel = f.SaveOptions.Dir;
    }
    f.SaveDialogFileName = (p.parent_path() / p.stem()).string();
  }
  const std::string stem = std::filesystem::path(path).stem().string();
  try {
    const TRgbImage image = ComposePicture(f, PictureCaption(stem));
    if (jpeg)
      WriteJpeg(path, image);
    else
      WriteBmp(path, image);
  } catch (const std::exception& e) {
    c.Port().Inform(e.what(), MessageKind::Error);
    return "";
  }
  return path;
}

}  // namespace tessmar
