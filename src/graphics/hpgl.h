// Viewer for plot files in a subset of HP-GL and HP-GL/2 (help pictures,
// the start picture): lines, circles, arcs, labels and encoded polylines
// are drawn through the drawing interface in the screen colours of the
// plotter pens. Coordinates are plotter units of 0.025 mm, drawn in mm;
// scaling, rotation and window commands are read past.
#pragma once

#include "foundation/types.h"
#include "graphics/graph_device.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kt4::graphics {

// Interpreter state, kept from one file to the next unless noted.
extern Real PlotCurX, PlotCurY;  // pen position in mm
extern bool PlotPosDefined;      // false until the first move of a file
extern bool PlotPenDown;
extern std::uint8_t PlotPen;
extern Real PlotCharWidth, PlotCharHeight; // from SI, cm
extern Real PlotDirRun, PlotDirRise;       // from DI
extern Real PlotCharSet;                   // from CS
extern bool PlotTerminated;                // the last parameter ended with ";"
extern Integer PlotCharCount;              // characters read from the file

// Gives the interpreter state its start values.
void InitHpgl();

// Screen colour number of a plotter pen.
std::uint8_t PlotPenColor(Integer pen);
Real PlotUnitsToMm(Real x);

// Draws the plot file into the active graphics window (the caller clears
// the window and sets its page first). An unreadable file is reported
// (CheckFile) and sets AbortFlag; otherwise AbortFlag stays as it was.
void PlotHpglFile(const std::string& fileName);
void PlotHpglFile(const std::string& fileName, TGraphDevice& device);
// Draws plot commands held in memory.
void PlotHpglData(std::string_view data, TGraphDevice& device);

} // namespace kt4::graphics
