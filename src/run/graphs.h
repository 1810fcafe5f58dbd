#pragma once
// The four profile graphs of the main window (density, velocity, pressure,
// temperature along the target) and the picture of them that is saved with
// every profile.

#include <string>

#include "view/canvas.h"

namespace tessmar {

class TMainForm;

// Which graphs are shown: with a fixed mesh only the temperature graph,
// enlarged; otherwise all four. Run by SetupTable's caller after the layout of
// the table is known.
void SetupGraphs(TMainForm& f);

// Draw the graphs from State over the nodes DrawFrom..DrawTo. Curves of a
// single quantity are coloured cell by cell with the phase colours of the
// materials; the ion and electron series have their own colours.
void DrawGraphs(TMainForm& f);

// The picture of the graphs: density top left, velocity below it, pressure top
// right, temperature below that (a fixed mesh: the temperature graph alone),
// with the caption centred two text lines above the bottom edge.
TRgbImage ComposePicture(const TMainForm& f, const std::string& caption);

// Write the picture of the graphs. With ask the save dialog offers bitmap and
// JPEG (JPEG first) and the choice decides the picture type; without ask the
// picture type of the save options decides. A failure is reported through the
// port; returns the path written or "".
std::string SavePicture(TMainForm& f, const std::string& name, bool ask);

}  // namespace tessmar
