#pragma once
// `tessmar picture`: the graphs of a saved profile as a picture, without a
// window. The profile is read as LoadFile reads it (with its side file); the
// picture type follows the extension of the output name:
//   .jpg/.jpeg  JPEG of the four graphs with the caption from the file name
//   .bmp        the same as a 24-bit bitmap
//   .png        the same as PNG
//   .eps        Encapsulated PostScript, one file per graph: OUT_rho.eps,
//               OUT_v.eps, OUT_P.eps, OUT_T.eps (a fixed mesh: OUT_T.eps)
// Exit status: 0 written, 2 bad input (unreadable or malformed profile,
// unknown picture type), 1 the picture could not be written.

#include <ostream>
#include <string>

namespace tessmar::cli {

struct PictureOptions {
  std::string profile;     // the .DAT file
  std::string output;      // picture name; empty: the profile's name with ".jpg"
  int screenWidth = 1280;  // pixels of the screen the PostScript scale refers to
  bool verbose = false;    // log the reader's questions and their answers
};

int PictureCommand(const PictureOptions& options, std::ostream& log);

}  // namespace tessmar::cli
