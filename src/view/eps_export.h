#pragma once
// Encapsulated PostScript of a graph frame: the axes with their labelled ticks,
// the curves with their labels, and the curves of a linked frame drawn with this
// frame's axes. One picture pixel is k = 14400 / screenWidth PostScript units of
// 1/25 point ("0.04 0.04 sc"), the picture centred on a page of 14400 units.

#include <string>

#include "view/image_frame.h"

namespace tessmar {

// The current local date and time as the header writes it: "YYYY-MM-DD HH:MM:SS".
std::string EpsClockText();

// The whole file text, lines ending in CR LF. `file` gives the title (its name
// without directory). Throws std::invalid_argument when screenWidth <= 0.
std::string EpsText(const TImageFrame& frame, const std::string& file, int screenWidth,
                    const std::string& creationDate);

// Write EpsText to `file` through a temporary file in the same directory that is
// renamed into place. Throws std::runtime_error with the path and the system's
// message when the file cannot be written; a file already there is then kept.
void ExportEPS(const TImageFrame& frame, const std::string& file, int screenWidth,
               const std::string& creationDate = EpsClockText());

}  // namespace tessmar
