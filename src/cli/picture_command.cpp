#include "cli/picture_command.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/batch_port.h"
#include "cli/run_file.h"
#include "run/graphs.h"
#include "run/profile_files.h"
#include "run/session.h"
#include "view/eps_export.h"
#include "view/picture_files.h"

namespace tessmar::cli {

namespace fs = std::filesystem;

namespace {

// The reader asks which solver the profile belongs to; for a picture any
// class that holds the profile's columns will do: the two-temperature arrays
// when the table has them, the hydrodynamic ones otherwise.
std::vector<RunAnswer> ReaderAnswers() {
  return {{"2 Temp", Button::Yes, "picture"},
          {"With Thermocond", Button::No, "picture"},
          {"With Hydrodyn", Button::Yes, "picture"},
          {"Elast/plast", Button::Yes, "picture"},
          {"Data dimension", Button::Ok, "picture"},
          {"Shift graph x0 to right (L0)?", Button::No, "picture"}};
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

int PictureCommand(const PictureOptions& o, std::ostream& log) {
  std::string out = o.output;
  if (out.empty()) out = (fs::path(o.profile).replace_extension(".jpg")).string();
  const std::string ext = Lower(fs::path(out).extension().string());
  if (ext != ".jpg" && ext != ".jpeg" && ext != ".bmp" && ext != ".png" && ext != ".eps") {
    log << "tessmar: " << out << ": unknown picture type (use .jpg, .bmp, .png or .eps)\n";
    return kExitBadInput;
  }
  if (!fs::exists(o.profile)) {
    log << "tessmar: " << o.profile << ": cannot open the profile\n";
    return kExitBadInput;
  }

  std::ostringstream quiet;
  BatchQuestionPort port(o.verbose ? log : quiet, ReaderAnswers());
  TSession session(&port);
  TMainForm& form = session.Form;
  // No initial-state build: the reader converts the loaded state itself and
  // fills the table; no material model is needed for the graphs.
  form.InitShiftAfterLoad = nullptr;
  // Titles with units ("x(n)[nm]", "v(n)[km/s]") mark a profile in physical
  // units: velocities in the table are in km/s.
  {
    std::ifstream in(o.profile, std::ios::binary);
    std::string header;
    std::getline(in, header);
    if (header.find("[nm]") != std::string::npos || header.find("[km/s]") != std::string::npos)
      session.Ctx.UnitScale = 1e5L;
  }
  if (!ReadProfile(form, o.profile, false)) {
    for (const std::string& e : port.Errors()) log << "tessmar: " << o.profile << ": " << e << '\n';
    if (port.Errors().empty()) log << "tessmar: " << o.profile << ": the profile was not read\n";
    return kExitBadInput;
  }
  form.DrawFrom = 0;
  form.DrawTo = form.Dimension;
  SetupGraphs(form);
  DrawGraphs(form);

  try {
    if (ext == ".eps") {
      const fs::path base = fs::path(out).replace_extension();
      std::vector<std::pair<const TImageFrame*, std::string>> frames;
      if (!session.Ctx.NoMove) {
        frames.push_back({&form.RGraph, "_rho"});
        frames.push_back({&form.VGraph, "_v"});
        frames.push_back({&form.PGraph, "_P"});
      }
      frames.push_back({&form.TGraph, "_T"});
      for (const auto& [frame, suffix] : frames) {
        const std::string file = base.string() + suffix + ".eps";
        ExportEPS(*frame, file, o.screenWidth);
        if (o.verbose) log << "wrote " << file << '\n';
      }
      return 0;
    }
    const TRgbImage image =
        ComposePicture(form, PictureCaption(fs::path(o.profile).stem().string()));
    if (ext == ".bmp")
      WriteBmp(out, image);
    else if (ext == ".png")
      WritePng(out, image);
    else
      WriteJpeg(out, image);
    if (o.verbose) log << "wrote " << out << '\n';
  } catch (const std::exception& e) {
    log << "tessmar: " << e.what() << '\n';
    return kExitRunFailed;
  }
  return 0;
}

}  // namespace tessmar::cli
