#include "view/cairo_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace tessmar {

namespace {

// Cairo's largest image surface side.
constexpr int kMaxSide = 32767;

void SetSource(cairo_t* cr, TColor c) {
  cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
}

// Length of the valid UTF-8 sequence starting at s[i], 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b = byte(i);
  if (b < 0x80) return 1;
  std::size_t n = 0;
  std::uint32_t cp = 0, min = 0;
  if ((b & 0xE0) == 0xC0) {
    n = 2, cp = b & 0x1Fu, min = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    n = 3, cp = b & 0x0Fu, min = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    n = 4, cp = b & 0x07u, min = 0x10000;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

bool IsUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = Utf8SequenceLength(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// Windows-1252 characters 0x80..0x9F; the five unassigned ones map to U+FFFD.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void CheckStatus(cairo_t* cr, const char* what) {
  const cairo_status_t st = cairo_status(cr);
  if (st != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error(std::string(what) + ": " + cairo_status_to_string(st));
}

}  // namespace

std::string ToUtf8(std::string_view text) {
  if (IsUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() * 2);
  for (const char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b);
  }
  return out;
}

TCairoCanvas::TCairoCanvas(int w, int h) : width_(w), height_(h) {
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide)
    throw std::invalid_argument("canvas size " + std::to_string(w) + "x" + std::to_string(h) +
                                " is out of range");
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
    const std::string reason = cairo_status_to_string(cairo_surface_status(surface_));
    cairo_surface_destroy(surface_);
    throw std::runtime_error("cannot create a " + std::to_string(w) + "x" + std::to_string(h) +
                             " canvas: " + reason);
  }
  cr_ = cairo_create(surface_);
  // Square caps make a line cover its end pixels fully; mitred joins keep the
  // corners of axes square, and the low limit bevels the spikes of sharp turns.
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
  cairo_set_miter_limit(cr_, 2.0);
  Clear({255, 255, 255});
  ApplyFont();
}

TCairoCanvas::~TCairoCanvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

void TCairoCanvas::FlushPath() const {
  if (!pathPending_) return;
  pathPending_ = false;
  SetSource(cr_, pen_);
  cairo_set_line_width(cr_, penWidth_);
  cairo_stroke(cr_);
}

void TCairoCanvas::Clear(TColor c) {
  FlushPath();
  cairo_new_path(cr_);
  SetSource(cr_, c);
  cairo_paint(cr_);
}

void TCairoCanvas::SetPen(TColor c, int width) {
  width = std::max(width, 1);
  if (c == pen_ && width == penWidth_) return;  // the collected path goes on
  FlushPath();
  pen_ = c;
  penWidth_ = width;
}

void TCairoCanvas::MoveTo(TPoint p) {
  penPos_ = p;
}

void TCairoCanvas::LineTo(TPoint p) {
  const double o = PenOffset();
  // A new subpath only where the pen was moved: the joints of a polyline stay joints.
  if (!pathPending_ || pathEnd_ != penPos_) cairo_move_to(cr_, penPos_.x + o, penPos_.y + o);
  cairo_line_to(cr_, p.x + o, p.y + o);
  pathPending_ = true;
  pathEnd_ = penPos_ = p;
}

void TCairoCanvas::ApplyFont() {
  cairo_select_font_face(cr_, font_.Name.c_str(), CAIRO_FONT_SLANT_NORMAL,
                         CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, std::max(font_.Height, 1));
  cairo_font_extents_t fe{};
  cairo_font_extents(cr_, &fe);
  const double cell = fe.ascent + fe.descent;
  baseline_ =
      cell > 0 ? static_cast<int>(std::lround(font_.Height * fe.ascent / cell)) : font_.Height;
}

void TCairoCanvas::SetFont(const TFont& f) {
  if (f == font_) return;
  FlushPath();
  const bool face = f.Name != font_.Name || f.Height != font_.Height;
  font_ = f;
  if (face) ApplyFont();
}

TPoint TCairoCanvas::TextExtent(std::string_view text) {
  const std::string s = ToUtf8(text);
  cairo_text_extents_t te{};
  cairo_text_extents(cr_, s.c_str(), &te);
  return {static_cast<int>(std::lround(te.x_advance)), font_.Height};
}

void TCairoCanvas::TextOut(TPoint p, std::string_view text) {
  FlushPath();
  const std::string s = ToUtf8(text);
  cairo_new_path(cr_);
  SetSource(cr_, font_.Color);
  cairo_move_to(cr_, p.x, p.y + baseline_);
  cairo_show_text(cr_, s.c_str());
  cairo_new_path(cr_);
  CheckStatus(cr_, "drawing text");
}

void TCairoCanvas::Draw(TPoint p, const TRgbImage& image) {
  if (image.Width < 0 || image.Height < 0 ||
      image.Pixels.size() != static_cast<std::size_t>(image.Width) * image.Height * 3)
    throw std::invalid_argument("image pixels do not match its size");
  FlushPath();
  cairo_surface_flush(surface_);
  unsigned char* data = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  const int x0 = std::max(p.x, 0), x1 = std::min(p.x + image.Width, width_);
  const int y0 = std::max(p.y, 0), y1 = std::min(p.y + image.Height, height_);
  for (int y = y0; y < y1; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    const std::uint8_t* src =
        image.Pixels.data() +
        (static_cast<std::size_t>(y - p.y) * image.Width + static_cast<std::size_t>(x0 - p.x)) * 3;
    for (int x = x0; x < x1; ++x, src += 3)
      row[x] = (std::uint32_t{src[0]} << 16) | (std::uint32_t{src[1]} << 8) | src[2];
  }
  cairo_surface_mark_dirty(surface_);
}

cairo_surface_t* TCairoCanvas::Surface() const {
  FlushPath();
  cairo_surface_flush(surface_);
  return surface_;
}

TRgbImage TCairoCanvas::Snapshot() const {
  cairo_surface_t* s = Surface();
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  TRgbImage img;
  img.Width = width_;
  img.Height = height_;
  img.Pixels.resize(static_cast<std::size_t>(width_) * height_ * 3);
  std::uint8_t* out = img.Pixels.data();
  for (int y = 0; y < height_; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < width_; ++x) {
      const std::uint32_t v = row[x];  // 0x00RRGGBB in native byte order
      *out++ = static_cast<std::uint8_t>(v >> 16);
      *out++ = static_cast<std::uint8_t>(v >> 8);
      *out++ = static_cast<std::uint8_t>(v);
    }
  }
  return img;
}

std::unique_ptr<TCanvas> MakeCanvas(int w, int h) {
  return std::make_unique<TCairoCanvas>(w, h);
}

}  // namespace tessmar
