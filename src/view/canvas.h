#pragma once
// The drawing surface of the graphs: a bitmap of RGB pixels that takes pen
// lines and text. The graph frame draws through this interface only, so its
// geometry (axis ends, ticks, curve points, label positions) is decided in the
// frame and the surface just renders it. The surface used by the program is
// Cairo's (MakeCanvas); pixel coordinates start at the top-left corner, y
// growing downwards.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/color.h"

namespace tessmar {

struct TPoint {
  int x = 0, y = 0;
  friend constexpr bool operator==(TPoint, TPoint) = default;
};

// A font as the program names it: family, pixel height, colour.
struct TFont {
  std::string Name = "Times New Roman";
  int Height = 13;  // pixels
  TColor Color{0, 0, 0};
  friend bool operator==(const TFont&, const TFont&) = default;
};

// 24-bit RGB pixels, row by row from the top, three bytes per pixel.
struct TRgbImage {
  int Width = 0, Height = 0;
  std::vector<std::uint8_t> Pixels;  // Width*Height*3
  [[nodiscard]] TColor At(int x, int y) const {
    const std::size_t k = (static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
                           static_cast<std::size_t>(x)) * 3;
    return {Pixels[k], Pixels[k + 1], Pixels[k + 2]};
  }
};

class TCanvas {
 public:
  virtual ~TCanvas() = default;
  [[nodiscard]] virtual int Width() const = 0;
  [[nodiscard]] virtual int Height() const = 0;
  // Fill the whole surface.
  virtual void Clear(TColor c) = 0;
  // Pen of the following lines.
  virtual void SetPen(TColor c, int width = 1) = 0;
  virtual void MoveTo(TPoint p) = 0;
  // A line from the pen position to p; the pen moves to p.
  virtual void LineTo(TPoint p) = 0;
  virtual void SetFont(const TFont& f) = 0;
  // Width and height of the text in the current font, in pixels.
  [[nodiscard]] virtual TPoint TextExtent(std::string_view text) = 0;
  // Text with its top-left corner at p, in the font's colour.
  virtual void TextOut(TPoint p, std::string_view text) = 0;
  // Copy another surface's pixels with their top-left corner at p.
  virtual void Draw(TPoint p, const TRgbImage& image) = 0;
  // The pixels drawn so far.
  [[nodiscard]] virtual TRgbImage Snapshot() const = 0;
};

// A white Cairo surface of w x h pixels.
std::unique_ptr<TCanvas> MakeCanvas(int w, int h);

}  // namespace tessmar
