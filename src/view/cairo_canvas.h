#pragma once
// The Cairo surface behind MakeCanvas: an RGB24 image surface, white when made.
//
// Pixel geometry is the caller's: integer coordinates name pixels, and a pen of
// odd width is centred on the pixel centres, so a 1-pixel horizontal or vertical
// line colours exactly the pixels from its start to its end, both included,
// fully and without antialiasing blur. Oblique lines are antialiased.
//
// Lines are collected into one path and stroked when anything else is drawn or
// the pixels are read, so that a polyline of many points is stroked once (its
// joints are not blended twice, and long curves draw fast).
//
// Fonts: the size given to Cairo is the font's pixel Height. A text's extent is
// its advance width (rounded) by Height, and its baseline lies Height *
// ascent / (ascent + descent) below the top, so the font's whole cell, with its
// descenders, fits the extent box. Texts are UTF-8; text that is not valid UTF-8
// is read as Windows-1252 (the 8-bit code page of the program's files), so a
// label such as "5 \xB5m" never puts the surface into an error state.

#include <cairo.h>

#include <memory>
#include <string>
#include <string_view>

#include "view/canvas.h"

namespace tessmar {

class TCairoCanvas final : public TCanvas {
 public:
  // Throws std::invalid_argument for a size that is not positive or too large for
  // Cairo (32767), std::runtime_error when Cairo cannot create the surface.
  TCairoCanvas(int w, int h);
  ~TCairoCanvas() override;
  TCairoCanvas(const TCairoCanvas&) = delete;
  TCairoCanvas& operator=(const TCairoCanvas&) = delete;

  [[nodiscard]] int Width() const override { return width_; }
  [[nodiscard]] int Height() const override { return height_; }
  void Clear(TColor c) override;
  void SetPen(TColor c, int width = 1) override;
  void MoveTo(TPoint p) override;
  void LineTo(TPoint p) override;
  void SetFont(const TFont& f) override;
  [[nodiscard]] TPoint TextExtent(std::string_view text) override;
  void TextOut(TPoint p, std::string_view text) override;
  void Draw(TPoint p, const TRgbImage& image) override;
  [[nodiscard]] TRgbImage Snapshot() const override;

  // The Cairo surface (after pending lines are stroked), for writing PNG files.
  [[nodiscard]] cairo_surface_t* Surface() const;

 private:
  // Stroke the lines collected since the last flush.
  void FlushPath() const;
  void ApplyFont();
  [[nodiscard]] double PenOffset() const { return penWidth_ % 2 != 0 ? 0.5 : 0.0; }

  int width_, height_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  TColor pen_{0, 0, 0};
  int penWidth_ = 1;
  TPoint penPos_{};
  mutable bool pathPending_ = false;
  TPoint pathEnd_{};  // where the collected path ends
  TFont font_;
  int baseline_ = 0;  // baseline below the top of a text, in pixels
};

// `text` as UTF-8: unchanged when it is valid UTF-8, else read as Windows-1252.
std::string ToUtf8(std::string_view text);

}  // namespace tessmar
