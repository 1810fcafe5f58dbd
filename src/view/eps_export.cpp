#include "view/eps_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <vector>

namespace tessmar {

namespace {

constexpr const char* kEol = "\r\n";

// Pixel coordinates to PostScript units: x from the left, y from the bottom.
struct TPage {
  int k = 1, x0 = 0, y0 = 0;
  [[nodiscard]] std::string Point(TPoint p) const {
    std::string s(1, ' ');
    s += std::to_string(p.x * k + x0);
    s += ' ';
    s += std::to_string(y0 - p.y * k);
    return s;
  }
};

std::string FontLine(const TFont& f, int k) {
  std::string s = " (";
  s += f.Name;
  s += ") ff ";
  s += std::to_string(std::abs(f.Height) * k);
  s += " scf sf";
  return s;
}

std::string ColorLine(TColor c) {
  char buf[64];
  std::snprintf(buf, sizeof buf, " %6.4f%7.4f%7.4f srgb", c.r / 255.0, c.g / 255.0, c.b / 255.0);
  return buf;
}

// Label text for a PostScript string. Balanced parentheses are legal inside a
// string and are written as they are; a backslash or an unbalanced parenthesis
// would end or corrupt the string, so then these characters are escaped.
std::string PsString(const std::string& text) {
  int depth = 0;
  bool plain = true;
  for (char c : text) {
    if (c == '\\') plain = false;
    if (c == '(') ++depth;
    if (c == ')' && --depth < 0) plain = false;
  }
  if (plain && depth == 0) return text;
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '(' || c == ')') out += '\\';
    out += c;
  }
  return out;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

TPoint Below(TPoint p, int dy) {
  return {p.x, p.y + dy};
}

// The curves of `lines` up to point `count`, drawn with `axes`.
void WriteCurves(std::string& out, const TPage& page, const TImageFrame& frame,
                 const std::array<TGraphAxis, 2>& axes, const std::vector<TGraphLine>& lines,
                 int count) {
  if (lines.empty()) return;
  const std::vector<TCurveLabel> labels = frame.PlaceCurveLabels(lines, count);
  const int textH = frame.Font.Height;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const TGraphLine& line = lines[i];
    const int last =
        std::min(count, static_cast<int>(std::min(lines[0].Data.size(), line.Data.size())) - 1);
    if (last < 0) continue;
    auto finite = [&](int j) {
      const auto k = static_cast<std::size_t>(j);
      return std::isfinite(lines[0].Data[k]) && std::isfinite(line.Data[k]);
    };
    auto point = [&](int j) {
      const auto k = static_cast<std::size_t>(j);
      return page.Point(
          {axes[0].ValueToPixel(lines[0].Data[k]).x, axes[1].ValueToPixel(line.Data[k]).y});
    };
    out += "gs";
    out += kEol;
    out += ColorLine(line.Color);
    out += kEol;
    if (line.PointColors.empty()) {
      bool open = false;
      for (int j = 0; j <= last; ++j) {
        if (!finite(j)) {
          open = false;
          continue;
        }
        out += point(j) + (open ? " l" : " m");
        open = true;
      }
    } else {
      // Segments coloured per point: one stroked path per run of one colour.
      auto colorOf = [&](int j) {
        const auto k = static_cast<std::size_t>(j);
        return k < line.PointColors.size() ? line.PointColors[k] : line.Color;
      };
      TColor current = line.Color;
      bool open = false;
      for (int j = 1; j <= last; ++j) {
        if (!finite(j - 1) || !finite(j)) {
          open = false;
          continue;
        }
        const TColor c = colorOf(j);
        if (!(c == current)) {
          if (open) out += std::string(" s") + kEol;
          out += ColorLine(c) + kEol;
          current = c;
          open = false;
        }
        if (!open) out += point(j - 1) + " m";
        out += point(j) + " l";
        open = true;
      }
      if (!(current == line.Color)) {
        out += std::string(" s") + kEol + ColorLine(line.Color) + kEol;
      }
    }
    for (const TCurveLabel& l : labels) {
      if (l.Line != static_cast<int>(i)) continue;
      out += page.Point(l.StrokeFrom) + " m" + page.Point(l.StrokeTo) + " l";
      out += page.Point(Below(l.TextPos, textH)) + " m (" + PsString(l.Text) + ") sh";
    }
    out += kEol;
    out += " s gr";
    out += kEol;
  }
}

}  // namespace

std::string EpsClockText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
  return buf;
}

std::string EpsText(const TImageFrame& frame, const std::string& file, int screenWidth,
                    const std::string& creationDate) {
  if (screenWidth <= 0) throw std::invalid_argument("screen width must be positive");
  const int w = frame.Image->Width(), h = frame.Image->Height();
  TPage page;
  // A screen wider than 14400 pixels would make k zero and the picture a point.
  page.k = std::max(14400 / screenWidth, 1);
  const int k = page.k;
  page.x0 = std::max(7200 - (w * k) / 2, 0);
  page.y0 = std::max((h * k) / 2 + 9000, h * k);

  std::string out;
  auto line = [&](const std::string& s) {
    out += s;
    out += kEol;
  };
  line("%!PS-Adobe EPSF-2.0");
  const std::string title = BaseName(file);
  line("%%Title: " + title);
  line("%%CreationDate: " + creationDate);
  std::string box = "%%BoundingBox:";
  for (int v :
       {page.x0 / 25, (page.y0 - h * k) / 25, (w * k + page.x0 + 24) / 25, (page.y0 + 24) / 25}) {
    box += ' ';
    box += std::to_string(v);
  }
  line(box);
  for (const char* s :
       {"%%EndComments", "/gsdict 12 dict def", "gsdict begin", "/gr {grestore} bind def",
        "/gs {gsave} bind def", "/l {lineto} bind def", "/m {moveto} bind def",
        "/s {stroke} bind def", "/sc {scale} bind def", "/sh {show} bind def",
        "/slw {setlinewidth} bind def", "/srgb {setrgbcolor} bind def", "/ff {findfont} bind def",
        "/sf {setfont} bind def", "/scf {scalefont} bind def", "", "%%Page: 1 1", "",
        "0.04 0.04 sc"})
    line(s);
  line(std::to_string(k) + " slw");
  line(FontLine(frame.Font, k));
  line(ColorLine(frame.Font.Color));
  line("");

  // Copies of the axes, so that a layout not yet computed can be computed here.
  std::array<TGraphAxis, 2> axes = frame.Axes;
  const std::array<std::vector<TAxisLabel>, 2> labels = frame.PlaceAxisLabels();
  for (std::size_t i = 0; i < axes.size(); ++i) {
    TGraphAxis& a = axes[i];
    a.Layout();
    line("");
    line("gs");
    line(std::to_string(3 * k / 4) + " slw");
    if (a.Font.Name != frame.Font.Name || a.Font.Height != frame.Font.Height)
      line(FontLine(a.Font, k));
    if (!(a.Font.Color == frame.Font.Color)) line(ColorLine(a.Font.Color));
    line(ColorLine(a.Font.Color));
    const int textH = std::abs(a.Font.Height);
    for (const TAxisLabel& l : labels[i]) {
      std::string s = page.Point(l.At) + " m" + page.Point(l.TickEnd) + " l s";
      s += page.Point(Below(l.TextPos, textH)) + " m (" + PsString(l.Text) + ") sh";
      if (!l.Units.empty()) {
        s += '(';
        s += PsString(l.Units);
        s += ") sh";
      }
      line(s);
    }
    line(page.Point(a.Start) + " m" + page.Point(a.End) + " l " + std::to_string(k) + " slw s gr");
  }

  WriteCurves(out, page, frame, axes, frame.Lines, frame.Count);
  if (frame.Linked != nullptr)
    WriteCurves(out, page, frame, axes, frame.Linked->Lines, frame.Linked->Count);

  line("showpage");
  line("end");
  line("grestore");
  return out;
}

void ExportEPS(const TImageFrame& frame, const std::string& file, int screenWidth,
               const std::string& creationDate) {
  const std::string text = EpsText(frame, file, screenWidth, creationDate);
  const std::size_t slash = file.find_last_of('/');
  const std::string dir =
      slash == std::string::npos ? std::string("./") : file.substr(0, slash + 1);
  auto fail = [&](int err) { throw std::runtime_error(file + ": " + std::strerror(err)); };
  // A temporary name of this process in the target's directory, created with the
  // usual permissions of a new file.
  static std::atomic<unsigned> serial{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp = dir + "." + BaseName(file) + "." + std::to_string(getpid()) + "." +
           std::to_string(serial++) + ".tmp";
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) fail(errno);
  }
  if (fd < 0) fail(EEXIST);
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      close(fd);
      unlink(temp.c_str());
      fail(err);
    }
    done += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0) {
    const int err = errno;
    unlink(temp.c_str());
    fail(err);
  }
  if (std::rename(temp.c_str(), file.c_str()) != 0) {
    const int err = errno;
    unlink(temp.c_str());
    fail(err);
  }
}

}  // namespace tessmar
