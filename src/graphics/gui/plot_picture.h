// HP-GL pictures in a graphics window: the help pictures and the start
// picture. The program entry wires ShowPlotPictureWindow into the window
// backend of the UI service (its ShowPlotPicture call).
#pragma once

#include "foundation/ui_service.h"

#include <string>

namespace kt4::graphics {

class TFvelmgra;

// Clears the window, starts a page with the picture's world window (in
// mm; an empty window stands for 0..160 x 0..120) and draws the plot file
// into it; an empty path leaves the cleared page. An unreadable file is
// reported and sets AbortFlag.
void DrawPlotPicture(TFvelmgra& window, const std::string& path, const PictureWindow& world);

// Shows the plot file in the active graphics window (the main window), or,
// while there is none, in a picture window of its own that is reused for
// the next picture. An open modal dialog stays above the window and keeps
// the focus. Matches UiService::ShowPlotPicture.
void ShowPlotPictureWindow(const std::string& path, const PictureWindow& world);

// The picture window of ShowPlotPictureWindow, if it has been made.
TFvelmgra* PlotPictureWindow();

} // namespace kt4::graphics
