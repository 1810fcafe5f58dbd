#pragma once
// Picture files of drawn graphs: BMP, JPEG and PNG writers, BMP and JPEG readers
// (for tests and tools), and the caption of a composed picture.
//
// Every writer encodes the whole file in memory, writes it to a temporary file
// in the target's directory and renames it into place, so a failed write leaves
// neither a partial picture nor a temporary behind, and a file already there
// stays as it was. Failures throw std::runtime_error naming the path and the
// system's reason; an image whose pixels do not match its size, or that is
// empty, throws std::invalid_argument before anything is written.

#include <string>

#include "view/canvas.h"

namespace tessmar {

// 24-bit uncompressed BMP: BITMAPINFOHEADER, rows bottom-up, each padded to 4 bytes.
void WriteBmp(const std::string& path, const TRgbImage& image);
// Baseline JPEG of the RGB pixels at the JPEG library's default quality.
void WriteJpeg(const std::string& path, const TRgbImage& image);
// 8-bit RGB PNG.
void WritePng(const std::string& path, const TRgbImage& image);

// Uncompressed 24-bit BMP, bottom-up or top-down rows. Throws std::runtime_error
// when the file cannot be read or is no such BMP.
TRgbImage ReadBmp(const std::string& path);
// Any JPEG the library decodes, converted to RGB. Throws std::runtime_error.
TRgbImage ReadJpeg(const std::string& path);

// The caption of a composed picture, from its file name without directory and
// extension. Inside the time number of the name, "p" followed by a digit is shown
// as " ," and "#" followed by a digit as " - ":
//   "0012p500.jpg" -> "0012 ,500"   "2p5ps" -> "2 ,5ps"   "00#1p500" -> "00 - 1 ,500"
//   "1p5E-5" -> "1 ,5E-5"           "Alp2" -> "Alp2"
// The time number is the first number of the name as the save names write it:
// it starts at a digit, or at a "#" (the minus sign of a negative time) followed
// by a digit, that is not part of a name (not preceded by a letter, digit or
// "_": "Alp2" and "L0p5" hold no number); it takes digits, a "#" only while
// nothing but zeros precedes it (zeros fill the width in front of the sign), one
// decimal separator followed by a digit, and an exponent "E" or "e" followed by
// digits, optionally signed. The text after the number (a unit such as "ps")
// is left as it is. `numberDecSeparator` is the decimal separator of the names.
std::string PictureCaption(std::string fileName, char numberDecSeparator = 'p');

}  // namespace tessmar
