// Pictures of the graphs: a 10000-point curve drawn through the Cairo canvas,
// alone and as a whole graph frame with axes, ticks and labels, and the result
// written as JPEG (BMP for comparison), at the size of one graph (350x250) and
// of a large window's picture (1100x600).

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/real.h"
#include "view/canvas.h"
#include "view/image_frame.h"
#include "view/picture_files.h"

namespace {

using namespace tessmar;

constexpr int kPoints = 10000;

// A profile-like curve over the whole width: a steep front and a ringing tail,
// so that neighbouring points often share a pixel column as in real profiles.
std::vector<TPoint> Curve(int w, int h) {
  std::vector<TPoint> pts(kPoints);
  for (int j = 0; j < kPoints; ++j) {
    const double s = static_cast<double>(j) / (kPoints - 1);
    const double front = 1.0 / (1.0 + std::exp((s - 0.4) * 60.0));
    const double ring = 0.15 * std::sin(s * 90.0) * std::exp(-3.0 * s);
    const double v = 0.1 + 0.7 * front + ring;
    pts[j] = {5 + static_cast<int>(std::lround(s * (w - 10))),
              h - 5 - static_cast<int>(std::lround(v * (h - 10)))};
  }
  return pts;
}

void DrawCurve(TCanvas& c, const std::vector<TPoint>& pts) {
  c.Clear({255, 255, 255});
  c.SetPen({0, 0, 255});
  c.MoveTo(pts.front());
  for (std::size_t j = 1; j < pts.size(); ++j) c.LineTo(pts[j]);
}

std::string TempPicture(const char* ext) {
  return (std::filesystem::temp_directory_path() / (std::string("tessmar_bench_picture.") + ext))
      .string();
}

// Drawing the curve and reading the pixels back.
void BM_DrawCurve(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  auto c = MakeCanvas(w, h);
  const auto pts = Curve(w, h);
  for (auto _ : state) {
    DrawCurve(*c, pts);
    TRgbImage img = c->Snapshot();
    benchmark::DoNotOptimize(img.Pixels.data());
  }
}

// The whole picture: curve, pixels and the JPEG file.
void BM_CurveToJpeg(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  auto c = MakeCanvas(w, h);
  const auto pts = Curve(w, h);
  const std::string path = TempPicture("jpg");
  for (auto _ : state) {
    DrawCurve(*c, pts);
    WriteJpeg(path, c->Snapshot());
  }
  std::remove(path.c_str());
}

// A whole graph frame: axes with ticks and labels, the 10000-point curve with its
// label, redrawn and written as JPEG.
void BM_FrameToJpeg(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  TImageFrame frame(w, h);
  frame.SetupAxes(50, 5, "P, GPa", 5, false, 12.0L, -3.0L, 0, "x, nm", 5, false, 0.0L, 250.0L, 0, 5,
                  w * 4 / 5, h);
  frame.SetLine({0, 0, 0}, "", 0, 1, false);
  frame.SetLine({0, 0, 255}, "P", 1, 1, false);
  std::vector<Real>& x = frame.Lines[0].Data;
  std::vector<Real>& y = frame.Lines[1].Data;
  for (int j = 0; j < kPoints; ++j) {
    const Real s = static_cast<Real>(j) / (kPoints - 1);
    x.push_back(250 * s);
    y.push_back(-2 + 12 / (1 + std::exp((s - 0.4L) * 60)) +
                2 * std::sin(s * 90) * std::exp(-3 * s));
  }
  frame.Count = kPoints - 1;
  const std::string path = TempPicture("jpg");
  for (auto _ : state) {
    frame.Redraw();
    WriteJpeg(path, frame.Image->Snapshot());
  }
  std::remove(path.c_str());
}

// Writing the finished pixels only, JPEG against BMP.
void BM_WriteJpeg(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  auto c = MakeCanvas(w, h);
  DrawCurve(*c, Curve(w, h));
  const TRgbImage img = c->Snapshot();
  const std::string path = TempPicture("jpg");
  for (auto _ : state) WriteJpeg(path, img);
  std::remove(path.c_str());
}

void BM_WriteBmp(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  auto c = MakeCanvas(w, h);
  DrawCurve(*c, Curve(w, h));
  const TRgbImage img = c->Snapshot();
  const std::string path = TempPicture("bmp");
  for (auto _ : state) WriteBmp(path, img);
  std::remove(path.c_str());
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({350, 250})->Args({1100, 600})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_DrawCurve)->Apply(Sizes);
BENCHMARK(BM_CurveToJpeg)->Apply(Sizes);
BENCHMARK(BM_FrameToJpeg)->Apply(Sizes);
BENCHMARK(BM_WriteJpeg)->Apply(Sizes);
BENCHMARK(BM_WriteBmp)->Apply(Sizes);

}  // namespace
