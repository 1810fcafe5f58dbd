// The result files: profile data file, side file, "Tneg.dat", the reader and
// the Save / LoadFile buttons.

#include "run/profile_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "base/question_port.h"
#include "core/hydr_stat.h"
#include "core/sim_context.h"
#include "materials/eos_dialog.h"
#include "materials/eos_select.h"
#include "run/init_shift.h"
#include "run/main_form.h"
#include "run/table.h"
#include "setup/init_dialog.h"

namespace tessmar {

namespace {

constexpr const char* kEol = "\r\n";

std::string PadLeft(const std::string& s, std::size_t w) {
  if (s.size() >= w) return s;
  std::string r(w - s.size(), ' ');
  r += s;
  return r;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

bool StartsWith(const std::string& s, const char* p) {
  return s.rfind(p, 0) == 0;
}

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> w;
  std::istringstream in(s);
  std::string t;
  while (in >> t) w.push_back(t);
  return w;
}

bool FileExists(const std::string& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

bool Close(Real a, Real b, Real rel) {
  return std::fabs(a - b) <= rel * (std::fabs(a) + std::fabs(b));
}

}  // namespace

// ---------------------------------------------------------------- helpers

std::string StripExtension(const std::string& name) {
  const auto slash = name.find_last_of("/\\:");
  const auto dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name;
  return name.substr(0, dot);
}

std::string DirectoryOf(const std::string& name) {
  const auto slash = name.find_last_of("/\\:");
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

std::string LongReal(Real v) {
  if (!std::isfinite(v)) {
    TNumStringFormat f;
    return PadLeft(f.ToText(v), 23);
  }
  TNumStringFormat f;
  f.SetFormatType(TFloatFormat::Exponent);
  f.SetPressigion(15);
  f.SetDefaultDec(false);
  f.SetDecSeparator('.');
  std::string s = f.ToText(v);  // [-]d.ddddddddddddddE+ddd
  const auto e = s.find('E');
  std::string mant = s.substr(0, e);
  std::string exp = s.substr(e + 1);
  const char sign = exp.empty() ? '+' : exp[0];
  std::string digits = exp.substr(1);
  if (digits.size() < 4) digits = std::string(4 - digits.size(), '0') + digits;
  std::string out;
  out.reserve(23);
  if (mant[0] != '-') out += ' ';
  out += mant;
  out += 'E';
  out += sign;
  out += digits;
  return out;
}

bool WriteFilesAtomic(QuestionPort& port,
                      const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<std::string> temps;
  auto fail = [&](const std::string& name, int err) {
    for (const auto& t : temps) ::unlink(t.c_str());
    std::string msg = "Cannot write file " + name;
    if (err != 0) msg += std::string(": ") + std::strerror(err);
    port.Inform(msg, MessageKind::Error);
    return false;
  };
  for (const auto& [name, text] : files) {
    struct stat st {};
    if (::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return fail(name, EISDIR);
  }
  for (const auto& [name, text] : files) {
    std::string tmpl = name + ".tmp-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    const int fd = ::mkstemp(buf.data());
    if (fd < 0) return fail(name, errno);
    temps.emplace_back(buf.data());
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        const int err = errno;
        ::close(fd);
        return fail(name, err);
      }
      done += static_cast<std::size_t>(n);
    }
    ::fchmod(fd, 0644);
    if (::close(fd) != 0) return fail(name, errno);
  }
  for (std::size_t k = 0; k < files.size(); ++k) {
    if (::rename(temps[k].c_str(), files[k].first.c_str()) != 0) {
      const int err = errno;
      temps.erase(temps.begin(), temps.begin() + static_cast<std::ptrdiff_t>(k));
      return fail(files[k].first, err);
    }
  }
  return true;
}

// ---------------------------------------------------------------- writer

std::string DataFileText(const TMainForm& f) {
  const TResultTable& t = f.Data;
  const bool noMove = f.Ctx().NoMove;
  std::string out;
  auto cell = [&out](const std::string& text, std::size_t width, bool tab) {
    if (tab) out += '\t';
    out += PadLeft(text, width);
  };
  const int last = t.RowCount() - 2 + (noMove ? 1 : 0);
  const int C = t.ColCount();
  for (int r = 0; r <= last && r < t.RowCount(); ++r) {
    cell(t.Cell(0, r), 6, false);
    if (C > 1) cell(t.Cell(1, r), 10, true);
    for (int c = 2; c <= C - 2; ++c) cell(t.Cell(c, r), 15, true);
    if (C > 2) cell(t.Cell(C - 1, r), 0, true);
    out += kEol;
  }
  if (!noMove && t.RowCount() >= 2) {
    const int r = t.RowCount() - 1;
    cell(t.Cell(0, r), 6, false);
    if (C > 1) cell(t.Cell(1, r), 10, true);
    for (int c = 2; c < C && !t.Cell(c, r).empty(); ++c) cell(t.Cell(c, r), 15, true);
    out += kEol;
  }
  return out;
}

namespace {

// Texts of row `row` of the layers' EOS table.
void LayerEosTexts(const TMainForm& f, int row, int material, Real rho, std::string& model,
                   std::string& mat, std::string& dens) {
  if (f.LayersEOSRow && f.LayersEOSRow(row, model, mat, dens)) return;
  const SimContext& ctx = f.Ctx();
  model.clear();
  mat.clear();
  if (material >= 0 && material < static_cast<int>(ctx.Materials.size())) {
    const int type = ctx.Materials[material].EOSType;
    if (type >= 0 && type < eq_type::kCount)
      model = StripAmpersands(kEqTypeCaptions[static_cast<std::size_t>(type)]);
  }
  dens = f.NumStr.ToText(rho);
}

}  // namespace

std::string SideFileText(const TMainForm& f) {
  const SimContext& ctx = f.Ctx();
  const TIntegrValues& iv = f.Integr;
  const bool layers = !ctx.Layers.empty();
  const int N = ctx.State ? ctx.State->CellCount() : 0;
  const Real x1 = f.x1Edit;
  std::string out;
  // 1. geometry and layers, or geometry and EOS description
  if (layers) {
    out += std::to_string(ctx.Dspc) + "D, " + (ctx.ShiftDiv != 0 ? "Gl + " : "") +
           std::to_string(ctx.Layers.size()) + " layers" + kEol;
  } else {
    out += std::to_string(ctx.Dspc) + (ctx.Dspc != 1 ? "D" : "") + kEol;
    out += f.StatEqLabel + kEol;
  }
  // 2. L0 line
  const std::string lenText = FormFieldText(f, "Len", f.Len);
  out += "L0 = " + lenText + " x " + FormFieldText(f, "x1Edit", f.x1Edit) + "  Div " +
         std::to_string(f.Dimension);
  if (ctx.ShiftDiv != 0) {
    TNumStringFormat lenFmt;
    if (const Field* fl = f.Find("Len"); fl && fl->Format()) lenFmt = *fl->Format();
    out += (ctx.ShiftDiv > 0 ? " x0shift " : " InGlass ") + lenFmt.ToText(std::fabs(f.X0Shift)) +
           " div " + std::to_string(ctx.ShiftDiv);
  }
  out += kEol;
  // 3. densities
  out += "rho0 = " + LongReal(ctx.rho0);
  if (ctx.ShiftDiv != 0) {
    out += ", glass " + LongReal(ctx.rho0l);
    const Real eos = f.EosDensity ? f.EosDensity(true) : 0;
    if (eos != 0 && std::fabs(ctx.rho0l / eos - 1) > 0.01L) {
      TNumStringFormat lenFmt;
      if (const Field* fl = f.Find("Len"); fl && fl->Format()) lenFmt = *fl->Format();
      out += "/" + lenFmt.ToText(ctx.rho0l / eos);
    }
  }
  out += kEol;
  // 4. layers
  if (layers && ctx.State) {
    const auto& x = ctx.State->x;
    int row = 0;
    if (ctx.ShiftDiv != 0) {
      std::string model, mat, dens;
      LayerEosTexts(f, 0, -1, ctx.rho0l, model, mat, dens);
      const int first = ctx.ShiftDiv > 0 ? 0 : N + ctx.ShiftDiv;
      const int count = std::abs(ctx.ShiftDiv);
      out += "Gl  - " + mat + ", rho0 = " + dens;
      out += ctx.ShiftDiv > 0 ? ", I=0" : ", I=" + std::to_string(N + ctx.ShiftDiv);
      out += "+" + std::to_string(count) + ", x" + LongReal(x[first] / x1) + " to" +
             LongReal(x[first + count] / x1) + kEol;
      row = 1;
    }
    for (std::size_t k = 0; k < ctx.Layers.size(); ++k) {
      const LayerRecord& L = ctx.Layers[k];
      std::string model, mat, dens;
      LayerEosTexts(f, row + L.Material, L.Material, L.Rho0, model, mat, dens);
      const int a = std::clamp(L.FirstCell, 0, N);
      const int b = std::clamp(L.FirstCell + L.CellCount, 0, N);
      out += "L" + std::to_string(k + 1) + " " + model + ": " + mat + ", rho0 = " + dens +
             ", I=" + std::to_string(L.FirstCell) + "+" + std::to_string(L.CellCount) + ", x" +
             LongReal(x[a] / x1) + " to" + LongReal(x[b] / x1) + kEol;
    }
  }
  // 5.-9. integral values
  if (!ctx.NoMove)
    out += "Int P dt = " + iv.Text(iv.Ipdt) + "   rho0 * Int v dx = " + iv.Text(iv.Ivdx) + kEol;
  out += "Etherm = " + iv.Text(iv.Et);
  if (!ctx.NoMove) out += "   Ekin = " + iv.Text(iv.Ek) + "   Esumm = " + iv.Text(iv.Es);
  out += "   Eadd = " + iv.Text(iv.Eadd) + kEol;
  if (f.TwoTemperature)
    out += "Ei = " + iv.Text(iv.Ei) + "   Ee = " + iv.Text(iv.Ee) +
           "   Ee-add = " + iv.Text(iv.Ed) + kEol;
  if (iv.RCPanelVisible)
    out += "x(rho = " + iv.Text(iv.Rho_C) + ") - L = " + iv.Text(iv.x_rc) + kEol;
  if (iv.RefrVisible) out += "Refract = " + iv.Refr + kEol;
  return out;
}

std::string TnegFileText(const TMainForm& f) {
  const SimContext& ctx = f.Ctx();
  std::string out = LongReal(ctx.Time) + kEol;
  for (Real t : ctx.Tneg) out += LongReal(t) + kEol;
  return out;
}

// ---------------------------------------------------------------- reader

namespace {

enum class Dist { None, Inward, Outward };

struct Header {
  bool known = false;  // the third word gave model information
  bool noMove = false, twoT = false, noMetal = false, elastic = false;
  bool hasE = true, hasT = true, tBeforeE = false;
  bool plane = true;
  bool nm = false;  // physical length titles ("[nm]")
  Dist dist = Dist::None;
};

// Values of one data row.
struct Row {
  Real x = 0, rho = 0, v = 0, P = 0, E = 0, T = 0, Te = 0, Ei = 0, Ee = 0, Pi = 0, Pe = 0, Z = 0,
       Sxx = 0;
};

bool NothingLeft(const TNumStringFormat& fmt, const std::string& rest) {
  std::string m;
  fmt.ExtractReal(rest, m, false, 0);
  return m.empty();
}

Real Take(const TNumStringFormat& fmt, std::string& rest) {
  const Real v = fmt.TakeReal(rest, 0);
  return v == 0 ? 0 : v;  // "-0" reads as 0
}

// The number following `key` in `line` (case-insensitive), if any.
bool NumberAfter(const TNumStringFormat& fmt, const std::string& line, const char* key, Real& out) {
  const auto pos = Upper(line).find(Upper(key));
  if (pos == std::string::npos) return false;
  std::string rest = line.substr(pos + std::strlen(key));
  std::string m;
  const Real v = fmt.ExtractReal(rest, m, false, 0);
  if (m.empty()) return false;
  out = v;
  return true;
}

// Solver choice for a new state; false on Cancel.
bool ChooseClass(TMainForm& f, const Header& h, bool layers, SolverClass& cls) {
  QuestionPort& port = f.Ctx().Port();
  const ButtonSet ync{Button::Yes, Button::No, Button::Cancel};
  auto twoTHydro = [&]() -> bool {
    cls = SolverClass::Hydro2T;
    if (h.elastic) {
      const Button b = port.Ask("Elast/plast", ync);
      if (b == Button::Cancel) return false;
      if (b == Button::Yes) cls = SolverClass::Hydro2Telast;
    }
    return true;
  };
  if (h.twoT) {
    if (layers) return twoTHydro();
    if (h.noMetal) {
      cls = SolverClass::NoMet;
      return true;
    }
    const Button b = port.Ask("2 Temp", ync);
    if (b == Button::Cancel) return false;
    if (b == Button::Yes) return twoTHydro();
    bool hydro = false;
    if (!h.noMove) {
      const Button b2 = port.Ask("With Hydrodyn", ync);
      if (b2 == Button::Cancel) return false;
      hydro = b2 == Button::Yes;
    }
    cls = hydro ? SolverClass::Caldrith : SolverClass::ThermState;
    return true;
  }
  if (h.noMove) {
    cls = SolverClass::Caldrith;
    return true;
  }
  const Button b = port.Ask("With Thermocond", ync);
  if (b == Button::Cancel) return false;
  cls = b == Button::Yes ? SolverClass::Caldrith : SolverClass::HydrStat;
  return true;
}

// "Gl  - mat, rho0 = d, I=a+b, x from to to" / "Lk model: mat, rho0 = d, I=a+b, x from to to"
bool ParseLayerLine(const TNumStringFormat& fmt, const std::string& line, TReadLayer& L) {
  const auto rhoPos = line.find("rho0 =");
  const auto iPos = line.find("I=");
  const auto xPos = line.find(", x");
  if (rhoPos == std::string::npos || iPos == std::string::npos) return false;
  const std::string head = line.substr(0, rhoPos);
  if (const auto colon = head.find(':'); colon != std::string::npos) {
    const auto sp = head.find(' ');
    L.Model = Trim(head.substr(sp == std::string::npos ? 0 : sp + 1,
                               colon - (sp == std::string::npos ? 0 : sp + 1)));
    L.Material = Trim(head.substr(colon + 1));
  } else if (const auto dash = head.find(" - "); dash != std::string::npos) {
    L.Material = Trim(head.substr(dash + 3));
  }
  if (!L.Material.empty() && L.Material.back() == ',') L.Material.pop_back();
  std::string r = line.substr(rhoPos + 6, iPos - rhoPos - 6);
  L.Rho0 = fmt.ReadReal(r, 0);
  std::string ids =
      line.substr(iPos + 2, xPos == std::string::npos ? std::string::npos : xPos - iPos - 2);
  L.FirstCell = static_cast<int>(fmt.TakeInt(ids, 0));
  L.CellCount = static_cast<int>(fmt.TakeInt(ids, 0));
  if (xPos != std::string::npos) {
    std::string xs = line.substr(xPos + 3);
    L.xFrom = fmt.TakeReal(xs, 0);
    if (const auto to = xs.find("to"); to != std::string::npos) xs = xs.substr(to + 2);
    L.xTo = fmt.TakeReal(xs, 0);
  }
  return true;
}

}  // namespace

bool ReadProfile(TMainForm& f, const std::string& name, bool quiet) {
  SimContext& ctx = f.Ctx();
  QuestionPort& port = ctx.Port();
  TInitional* init = f.Init;
  const TNumStringFormat& fmt = f.NumStr;
  auto refuse = [&](const std::string& msg) {
    port.Inform(msg, MessageKind::Error);
    return false;
  };

  std::vector<std::string> lines;
  if (!ReadLines(name, lines)) {
    if (!quiet) port.Inform("Cannot open file " + name, MessageKind::Error);
    return false;
  }
  // ---- header recognition
  Header h;
  const std::string head = lines.empty() ? std::string() : Trim(Upper(lines[0]));
  const auto w = Words(head);
  if (w.size() < 2 || w[0][0] != 'N' || (w[1][0] != 'X' && w[1][0] != 'R') ||
      (w[1].size() > 1 && w[1][1] != '('))
    return refuse("Unexpected file format");
  h.plane = w[1][0] == 'X';
  h.nm = head.find("[NM]") != std::string::npos;
  const bool hadState = ctx.State && ctx.State->CellCount() > 0;
  if (hadState && (h.plane ? ctx.Dspc > 1 : ctx.Dspc <= 1)) return refuse("1D data");
  if (h.plane && ctx.Dspc > 1) ctx.SetGeometry(1);
  h.noMove = ctx.NoMove;
  h.twoT = f.TwoTemperature;
  h.noMetal = ctx.NoMetal;
  h.elastic = f.Elastic;
  if (w.size() >= 3) {
    const std::string& w2 = w[2];
    if (w2[0] == 'T') {
      h.known = true;
      h.noMove = true;
      h.twoT = StartsWith(w2, "TI");
      h.noMetal = head.find('Z') != std::string::npos;
      h.elastic = false;
    } else if (StartsWith(w2, "RHO")) {
      if (w.size() < 5 || w[3][0] != 'V' || w[4][0] != 'P') return refuse("Unexpected file format");
      h.known = true;
      h.noMove = false;
      h.hasE = h.hasT = false;
      h.twoT = h.noMetal = h.elastic = false;
      if (w.size() > 5 && w[5][0] == 'E') {
        h.hasE = true;
        if (w.size() > 6 && w[6][0] == 'T') {
          h.hasT = true;
          h.twoT = StartsWith(w[6], "TI");
          h.noMetal = head.find('Z') != std::string::npos;
          h.elastic = head.find("SXX") != std::string::npos;
        }
      } else if (w.size() > 5 && w[5][0] == 'T') {
        h.hasT = true;
        h.tBeforeE = true;
        h.hasE = w.size() > 6 && w[6][0] == 'E';
      }
    }
  }
  {
    const std::string& lw = w.back();
    if (StartsWith(lw, "L-X") || StartsWith(lw, "XGR0-X"))
      h.dist = Dist::Inward;
    else if (lw[0] == 'X' && lw.find("-L") != std::string::npos)
      h.dist = Dist::Outward;
  }

  // ---- side file
  const std::string base = StripExtension(name);
  std::string side = base + ".TXT";
  if (!FileExists(side) && FileExists(base + ".txt")) side = base + ".txt";
  std::vector<std::string> sl;
  const bool haveSide = ReadLines(side, sl);
  int layerCount = 0;
  bool glass = false;
  std::vector<TReadLayer> readLayers;
  Real len = f.Len, x1 = f.x1Edit;
  int dimension = f.Dimension;
  int shiftDiv = 0;
  Real x0shift = 0;
  bool haveL0 = false;
  Real ipdt = f.Integr.Ipdt;
  Real glassK = 0;  // the "/k" after the glass density: rho0l over the glass EOS density
  bool refract = false;
  Real refractIm = 0;
  if (!haveSide) {
    if (ctx.Dspc > 1) return refuse("Cannot find " + base + ".TXT");
  } else {
    std::size_t k = 0;
    if (!sl.empty()) {
      const std::string l0 = Trim(sl[0]);
      if (l0.size() >= 2 && std::isdigit(static_cast<unsigned char>(l0[0])) && l0[1] == 'D') {
        const int d = l0[0] - '0';
        if (const auto lp = l0.find("layers"); lp != std::string::npos) {
          std::size_t e = lp;
          while (e > 0 && l0[e - 1] == ' ') --e;
          std::size_t b = e;
          while (b > 0 && std::isdigit(static_cast<unsigned char>(l0[b - 1]))) --b;
          if (b < e) layerCount = std::stoi(l0.substr(b, e - b));
        }
        glass = l0.find("Gl") != std::string::npos;
        if (hadState) {
          if (d != ctx.Dspc) return refuse("Dimension mismatch");
          if (layerCount != static_cast<int>(ctx.Layers.size()) ||
              (layerCount > 0 && glass != (ctx.ShiftDiv != 0)))
            return refuse("Layers mismatch");
        } else if (d != ctx.Dspc) {
          ctx.SetGeometry(d);
        }
        k = 1;
      }
    }
    int expectLayer = 1;
    int prevEnd = -1;
    Real prevX = 0;
    bool havePrevX = false;
    bool seenInt = false;
    for (; k < sl.size(); ++k) {
      const std::string line = sl[k];
      const std::string t = Trim(line);
      if (!seenInt && StartsWith(t, "L0 =")) {
        std::string rest = t.substr(4);
        len = fmt.TakeReal(rest, 0);
        const std::string r2 = Trim(rest);
        x1 = 1;
        if (!r2.empty() && (r2[0] == 'x' || r2[0] == 'X')) x1 = fmt.TakeReal(rest, 0);
        dimension = static_cast<int>(std::lround(static_cast<double>(fmt.TakeReal(rest, 0))));
        const auto xs = rest.find("x0shift");
        const auto ig = rest.find("InGlass");
        if (xs != std::string::npos || ig != std::string::npos) {
          std::string r3 = rest.substr((xs != std::string::npos ? xs : ig) + 7);
          x0shift = -fmt.TakeReal(r3, 0);
          Real dv = 0;
          if (NumberAfter(fmt, r3, " div ", dv))
            shiftDiv = static_cast<int>(std::lround(static_cast<double>(dv)));
          else if (len != 0)
            shiftDiv = static_cast<int>(
                std::lround(static_cast<double>(dimension * std::fabs(x0shift) / len)));
        }
        if (hadState && shiftDiv != ctx.ShiftDiv)
          return refuse("Glass layer mismatch " + std::to_string(shiftDiv) + " - " +
                        std::to_string(ctx.ShiftDiv));
        haveL0 = true;
        ctx.L = len * x1;
        ctx.h0 = dimension != 0 ? ctx.L / dimension : 0;
        ctx.ShiftDiv = shiftDiv;
        glass = glass || shiftDiv != 0;
        prevEnd = shiftDiv > 0 ? shiftDiv : 0;
      } else if (!seenInt && StartsWith(t, "rho0 =")) {
        std::string rest = t.substr(6);
        const Real r = fmt.TakeReal(rest, 0);
        if (!Close(r, ctx.rho0, 1e-4L)) ctx.rho0 = r;
        ctx.dm = ctx.h0 * ctx.rho0;
        const auto gp = rest.find(", glass");
        if (gp != std::string::npos) {
          std::string g = rest.substr(gp + 7);
          const Real rl = fmt.TakeReal(g, 0);
          if (init) {
            if (!Close(rl, init->rho0l, 1e-4L)) init->rho0l = rl;
            ctx.rho0l = init->rho0l;
          } else {
            ctx.rho0l = rl;
          }
          if (const auto sp = g.find('/'); sp != std::string::npos) {
            std::string kd = g.substr(sp + 1);
            const Real kv = fmt.TakeReal(kd, 0);
            if (kv != 0) {
              glassK = kv;
              if (init) {
                init->Rho0div = static_cast<int>(std::lround(static_cast<double>(kv)));
                init->At("Rho0div").SetVisible(true);
              }
            }
          }
          if (f.EosDensity) {
            const Real eos = f.EosDensity(true);
            if (eos == 0 || std::fabs(eos / rl - 1) > 0.01L) {
              if (eos == 0 || port.Ask("Set init (EOS) glass denity to " + fmt.ToText(rl) + "?",
                                       {Button::Ok, Button::No}) == Button::Ok) {
                if (f.SetEosDensity) f.SetEosDensity(true, rl);
              }
            }
          }
        } else if (glass && ctx.Dspc > 1) {
          return refuse("Glass layer mismatch");
        }
      } else if (!seenInt && StartsWith(t, "Gl")) {
        TReadLayer L;
        if (!ParseLayerLine(fmt, t, L)) continue;
        L.Number = 0;
        if (!Close(L.Rho0, ctx.rho0l, 1e-5L)) return refuse("Glass density mismatch");
        const int first = shiftDiv > 0 ? 0 : dimension + shiftDiv;
        if (L.CellCount != std::abs(shiftDiv) || L.FirstCell != first)
          return refuse("Glass length Id mismatch");
        if (shiftDiv > 0) {
          prevX = L.xTo;
          havePrevX = true;
        }
        readLayers.push_back(L);
      } else if (!seenInt && t.size() > 1 && t[0] == 'L' &&
                 std::isdigit(static_cast<unsigned char>(t[1]))) {
        TReadLayer L;
        std::string num = t.substr(1);
        L.Number = static_cast<int>(fmt.TakeInt(num, 0));
        if (!ParseLayerLine(fmt, t, L)) continue;
        if (L.Number != expectLayer || (prevEnd >= 0 && L.FirstCell != prevEnd))
          return refuse("Layers Id mismatch");
        if (havePrevX && !Close(L.xFrom, prevX, 1e-12L)) return refuse("Layers length mismatch");
        prevEnd = L.FirstCell + L.CellCount;
        prevX = L.xTo;
        havePrevX = true;
        ++expectLayer;
        readLayers.push_back(L);
      } else if (StartsWith(t, "Int P dt =")) {
        std::string rest = t.substr(10);
        ipdt = fmt.TakeReal(rest, 0);
        seenInt = true;
        if (!quiet) {
          for (std::size_t j = k + 1; j < sl.size(); ++j) {
            if (sl[j].find("Refract") == std::string::npos) continue;
            Real im = 0;
            if (NumberAfter(fmt, sl[j], "+_i*", im)) {
              refract = true;
              refractIm = im;
            }
            break;
          }
        }
        break;
      }
    }
    if (!haveL0) return refuse("Unexpected file format");
  }

  // ---- solver choice (no state yet)
  SolverClass cls = ctx.State ? ctx.State->Class() : SolverClass::HydrStat;
  if (!ctx.State && !ChooseClass(f, h, layerCount > 0, cls)) return false;

  // ---- table rows
  std::vector<Row> rows;
  Row bnd;
  bool haveBoundary = false;
  bool gammaSeen = false;
  Real gammaValue = 0;
  std::size_t li = 1;
  for (; li < lines.size(); ++li) {
    const std::string& line = lines[li];
    if (Trim(line).empty()) continue;
    const int expect = static_cast<int>(rows.size());
    std::string rest = line;
    std::string m;
    const long long idx = fmt.ExtractInt(rest, m, 0);
    if (m.empty() || idx != expect) {
      if (!quiet)
        port.Inform("Unexpected file format on line " + std::to_string(expect + 2) + "\r" +
                        line.substr(0, 30) + "...",
                    MessageKind::Error);
      break;
    }
    fmt.TakeInt(rest, 0);
    Row r;
    r.x = Take(fmt, rest);
    if (h.noMove) {
      r.T = Take(fmt, rest);
      if (h.twoT) {
        r.Te = Take(fmt, rest);
        r.Ei = Take(fmt, rest);
        r.Ee = Take(fmt, rest);
      }
      r.E = Take(fmt, rest);
      if (h.noMetal) r.Z = Take(fmt, rest);
      rows.push_back(r);
      continue;
    }
    r.rho = Take(fmt, rest);
    r.v = Take(fmt, rest);
    if (NothingLeft(fmt, rest)) {  // short boundary row: x, v, P
      bnd.x = r.x;
      bnd.v = r.rho;
      bnd.P = r.v;
      haveBoundary = true;
      ++li;
      break;
    }
    r.P = Take(fmt, rest);
    if (NothingLeft(fmt, rest)) {  // boundary row as written: x, 0, v, P
      bnd.x = r.x;
      bnd.v = r.v;
      bnd.P = r.P;
      haveBoundary = true;
      ++li;
      break;
    }
    if (h.tBeforeE) {
      if (h.hasT) r.T = Take(fmt, rest);
      if (h.hasE) r.E = Take(fmt, rest);
    } else {
      if (h.hasE) r.E = Take(fmt, rest);
      if (h.hasT) r.T = Take(fmt, rest);
    }
    if (h.twoT) {
      r.Te = Take(fmt, rest);
      r.Ei = Take(fmt, rest);
      r.Ee = Take(fmt, rest);
      r.Pi = Take(fmt, rest);
      r.Pe = Take(fmt, rest);
      if (r.Pi != 0 && r.P == r.Pe) r.Pi = 0;
      if (h.noMetal) {
        r.Z = Take(fmt, rest);
      } else if (h.elastic) {
        Take(fmt, rest);
        r.Sxx = Take(fmt, rest);
      }
    }
    rows.push_back(r);
  }
  if (haveBoundary) {
    for (; li < lines.size(); ++li) {
      const std::string u = Upper(lines[li]);
      Real v = 0;
      if (u.find("GAMMA") != std::string::npos && NumberAfter(fmt, u, "GAMMA", v)) {
        gammaSeen = true;
        gammaValue = v;
      } else if (u.find("INT PDT") != std::string::npos && NumberAfter(fmt, u, "INT PDT", v)) {
        ipdt = v;
      }
    }
  }
  const int N = static_cast<int>(rows.size());
  if (N < 3) {
    if (!quiet) port.Inform("Unexpected format of file " + name, MessageKind::Error);
    return false;
  }

  // ---- missing side file: plane geometry inferred from the coordinates
  if (!haveSide) {
    if (h.nm) x1 = 1e-7L;
    const Real span = rows[N - 1].x - rows[0].x;
    const Real spacing = N > 1 ? span / (N - 1) : 0;
    len = spacing * N;
    dimension = N;
    shiftDiv = 0;
    x0shift = 0;
    ctx.L = len * x1;
    ctx.h0 = ctx.L / N;
    ctx.ShiftDiv = 0;
    if (!h.noMove) {
      Real massSum = 0;
      for (int i = 0; i + 1 < N; ++i) massSum += rows[i].rho * (rows[i + 1].x - rows[i].x) * x1;
      if (haveBoundary) massSum += rows[N - 1].rho * (bnd.x - rows[N - 1].x) * x1;
      const int cells = haveBoundary ? N : N - 1;
      if (massSum > 0 && ctx.h0 > 0) ctx.rho0 = massSum / cells / ctx.h0;
    }
    ctx.dm = ctx.h0 * ctx.rho0;
  }

  // ---- checks after the table
  if (haveSide && N != dimension) {
    if (port.Ask("Data dimension " + std::to_string(N) + " not equal " + std::to_string(dimension),
                 {Button::Ok, Button::Cancel}) != Button::Ok)
      return false;
  }
  if (haveSide && f.EosDensity) {
    const Real eos = f.EosDensity(false);
    if (eos != 0 && !Close(eos, ctx.rho0, 1e-4L)) {
      const Button b = port.Ask("Set init (EOS) denity to " + fmt.ToText(ctx.rho0) + "?",
                                {Button::Yes, Button::No, Button::Cancel});
      if (b == Button::Cancel) return false;
      if (b == Button::Yes && f.SetEosDensity) f.SetEosDensity(false, ctx.rho0);
    }
  }
  if (hadState) {
    for (const TReadLayer& L : readLayers) {
      if (L.Number == 0) {
        if (!Close(L.Rho0, ctx.rho0l, 1e-5L)) {
          if (port.Ask("Glass density mismatch " + fmt.ToText(L.Rho0) + " to " +
                           fmt.ToText(ctx.rho0l) + " (No-shift)",
                       {Button::Ok, Button::No, Button::Cancel}) == Button::Cancel)
            return false;
        }
      } else if (L.Number - 1 < static_cast<int>(ctx.Layers.size())) {
        LayerRecord& cur = ctx.Layers[static_cast<std::size_t>(L.Number - 1)];
        if (!Close(L.Rho0, cur.Rho0, 1e-5L)) {
          const Button b =
              port.Ask("Layer " + std::to_string(L.Number) + " density mismatch " +
                           fmt.ToText(L.Rho0) + " to " + fmt.ToText(cur.Rho0) + " (No-shift)",
                       {Button::Ok, Button::No, Button::Cancel});
          if (b == Button::Cancel) return false;
          if (b == Button::Ok) cur.Rho0 = L.Rho0;
        }
      }
    }
  }
  if (ctx.Dspc > 1 && rows[0].x != 0) return refuse("Incorrect data");

  // ---- the state
  if (ctx.State && ctx.State->CellCount() != N)
    CreateOrResizeAll(ctx, ctx.State->Class(), N);
  else if (!ctx.State)
    CreateOrResizeAll(ctx, cls, N);
  THydrStat& s = *ctx.State;
  auto* th = dynamic_cast<TThermState*>(&s);
  auto* h2 = dynamic_cast<THydro2T*>(&s);
  auto* el = dynamic_cast<THydro2Telast*>(&s);
  auto* nmz = dynamic_cast<TNoMet*>(&s);
  const Real pout = haveBoundary ? bnd.P : ctx.Pout;
  for (int i = 0; i < N; ++i) {
    const Row& r = rows[static_cast<std::size_t>(i)];
    s.x[i] = r.x;
    s.v[i] = h.noMove ? 0 : r.v;
    s.P[i] = h.noMove ? 0 : r.P;
    s.T[i] = r.T;
    s.E[i] = r.E;
    if (th) {
      th->Te[i] = h.twoT ? r.Te : r.T;
      th->Ei[i] = h.twoT ? r.Ei : r.E;
      th->Ee[i] = h.twoT ? r.Ee : 0;
    }
    if (h2) {
      h2->Pi[i] = h.twoT ? r.Pi : s.P[i];
      h2->Pe[i] = h.twoT ? r.Pe : 0;
    }
    if (el) el->Sxx[i] = r.Sxx;
    if (nmz) nmz->Z[i] = r.Z;
  }
  if (haveBoundary && !h.noMove) {
    s.x[N] = bnd.x;
    s.v[N] = bnd.v;
  } else {
    s.x[N] = 2 * s.x[N - 1] - s.x[N - 2];
    s.v[N] = h.noMove ? 0 : s.v[N - 1];
  }
  s.P[N] = pout;
  ctx.Pout = pout;
  f.Pout = pout;
  if (init) init->Pout = pout;
  f.ReadRho.clear();
  if (!h.noMove)
    for (const Row& r : rows) f.ReadRho.push_back(r.rho);

  // ---- model flags and fields
  ctx.NoMove = h.noMove;
  ctx.NoMetal = h.noMetal;
  f.TwoTemperature = h.twoT && th != nullptr;
  f.Elastic = h.elastic && el != nullptr;
  if (!th) f.TwoTemperature = false;
  if (s.Class() == SolverClass::ThermState) ctx.NoMove = true;
  f.Len = len;
  f.x1Edit = x1;
  f.Dimension = dimension;
  f.Rho0 = ctx.rho0;
  f.X0Shift = x0shift;
  f.Integr.Ipdt = ipdt;
  f.ReadLayers = readLayers;
  f.ReadRefract = refract;
  f.ReadRefractIm = refractIm;
  f.MainThickness = (dimension - std::abs(ctx.ShiftDiv)) * ctx.h0;
  // The glass reference positions follow the glass density over its EOS
  // density: from the EOS when known, else from the "/k" of the side file.
  const Real glassEos =
      f.EosDensity ? f.EosDensity(true) : (glassK != 0 ? ctx.rho0l / glassK : ctx.rho0l);
  SetReferencePositions(ctx, init ? init->rho0l : ctx.rho0l, glassEos);
  f.LastReadDir = WithDirSeparator(DirectoryOf(name));
  if (gammaSeen && f.Eos) {
    TEosDialog& eos = *f.Eos;
    eos.EqType = ctx.UnitScale == 1 ? eq_type::kIdealGas : eq_type::kIdealGasOf;
    eos.gamma = gammaValue;
    eos.UpdateControls();
    if (eos.AcceptEOS() == EosDialogResult::kOk) f.StatEqLabel = eos.Description.first;
  }
  int layersIn = 0, lastFirst = 0;
  for (const TReadLayer& L : readLayers)
    if (L.Number > 0) {
      ++layersIn;
      lastFirst = L.FirstCell;
    }
  if (init) {
    init->x1Edit = x1;
    init->Len = len;
    init->Dimension = dimension;
    init->Rho0 = ctx.rho0;
    init->FileHadEnergy = h.noMove || h.hasE;
    init->FileHadTemp = h.noMove || h.hasT;
    init->FileLayerCount = layersIn;
    init->FileLastLayerFirst = lastFirst;
    init->FromFile = true;
    init->NewInit = false;
  }

  // ---- Init/Shift with the load as its cause
  if (f.InitShiftAfterLoad) return f.InitShiftAfterLoad();
  for (int i = 0; i <= N; ++i) {
    s.x[i] *= x1;
    s.v[i] *= ctx.UnitScale;
  }
  if (init) init->FromFile = false;
  BuildMassArrays(ctx, N, 0, ctx.ShiftDiv, ctx.h0, ctx.rho0, ctx.rho0l);
  SetupTable(f);
  RefreshTable(f, true);
  return true;
}

bool ChooseSaveOptions(TMainForm& f, const std::string& suggestion) {
  f.SaveOptions.Port = &f.Ctx().Port();
  return f.SaveOptions.ChooseSaveOptions(suggestion);
}

bool WriteProfile(TMainForm& f, const std::string& nameIn, bool ask) {
  SimContext& ctx = f.Ctx();
  QuestionPort& port = ctx.Port();
  std::string name = nameIn;
  if (ask) {
    FileRequest req;
    req.mode = FileMode::Save;
    req.filter = ctx.NoMove ? "Data file|*.dat|All move data|*.dat" : "Data file|*.dat";
    req.defaultExt = "DAT";
    req.fileName = name;
    req.overwritePrompt = true;
    const auto answer = port.ChooseFile(req);
    if (!answer) return false;
    name = answer->fileName;
    const std::string chosenDir = WithDirSeparator(DirectoryOf(name));
    TSaveFileOptions& so = f.SaveOptions;
    if (!so.Dir.empty() && so.Dir != chosenDir) {
      so.GraphType = f.JpegPictures ? TSaveFileOptions::kJPEG : TSaveFileOptions::kBMP;
      ChooseSaveOptions(f, chosenDir);
      f.JpegPictures = so.GraphType == TSaveFileOptions::kJPEG;
      f.SaveLabel = so.Dir;
      if (port.Ask("ReAssign to other xrs/Surf file", {Button::Ok, Button::No}) == Button::Ok) {
        if (f.ReassignHistory) {
          f.ReassignHistory();
        } else {
          std::string leaf = f.HistoryFile.substr(DirectoryOf(f.HistoryFile).size());
          if (leaf.empty()) leaf = f.Integr.RCPanelVisible ? "xrc.dat" : "Surf.dat";
          f.HistoryFile = so.Dir + leaf;
        }
      }
    }
  }
  const std::string base = StripExtension(name);
  f.SaveDialogFileName = base;

  std::vector<std::pair<std::string, std::string>> files;
  files.emplace_back(name, DataFileText(f));
  files.emplace_back(base + ".TXT", SideFileText(f));
  if (!ctx.Tneg.empty()) {
    const std::string dir = f.SaveOptions.Dir.empty() ? DirectoryOf(name) : f.SaveOptions.Dir;
    files.emplace_back(dir + "Tneg.dat", TnegFileText(f));
  }
  return WriteFilesAtomic(port, files);
}

void Save(TMainForm& f) {
  SimContext& ctx = f.Ctx();
  QuestionPort& port = ctx.Port();
  if (WriteProfile(f, f.SaveDialogFileName, true)) {
    f.Unsaved = false;
    if (port.Ask("Save multi2x2 picture?", {Button::Ok, Button::No}) == Button::Ok && f.SavePicture)
      f.SavePicture(f.SaveDialogFileName, true);
  }
  if (!ctx.Layers.empty()) {
    if (port.Ask("Save(print) Layers table", {Button::Ok, Button::Cancel}) == Button::Ok &&
        f.PrintLayersTable)
      f.PrintLayersTable();
  }
  if (port.Ask("Reset Save File Options?", {Button::Ok, Button::Cancel}) == Button::Ok)
    ChooseSaveOptions(f, "");
  if (ctx.AutoAcceptR != 0 || ctx.AutoRejectR != 0) {
    if (port.Ask("Reset Err R-to-True, R-to-False?", {Button::Ok, Button::Cancel}) == Button::Ok) {
      ctx.AutoAcceptR = 0;
      ctx.AutoRejectR = 0;
    }
  }
}

bool LoadFile(TMainForm& f) {
  SimContext& ctx = f.Ctx();
  QuestionPort& port = ctx.Port();
  FileRequest req;
  req.mode = FileMode::Open;
  req.filter = "Data file|*.dat";
  req.defaultExt = "dat";
  req.mustExist = true;
  const auto answer = port.ChooseFile(req);
  if (!answer) return false;
  if (!ReadProfile(f, answer->fileName, false)) return false;
  f.SaveOptions.DirLabel = !f.LastReadDir.empty() ? f.LastReadDir : DirectoryOf(answer->fileName);
  if (ctx.AutoAcceptR != 0 || ctx.AutoRejectR != 0) {
    if (port.Ask("Reset Err R-to-True, R-to-False?", {Button::Ok, Button::Cancel}) == Button::Ok) {
      ctx.AutoAcceptR = 0;
      ctx.AutoRejectR = 0;
    }
  }
  return true;
}

}  // namespace tessmar
