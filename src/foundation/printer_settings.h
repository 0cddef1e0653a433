// Settings of text printing, the report viewer and graphics printouts.
// The configuration file stores most of them; the graphics printing and
// the CAD output read some.
#pragma once

#include "foundation/types.h"

#include <string>

namespace kt4::printer {

extern std::string PrintFontName;      // font of printed text and of the viewer
extern Word PrintFontSize;             // points
extern Word PrintFontStyle;            // style code 0..15 (fontstyle.h); 3 = bold italic
extern Array1<Integer, 4> TextWindowRect; // viewer left, top, width, height
extern Word PrintOrientation;          // graphics printout: 1 portrait, 2 landscape
extern double PrintScale;
extern double PrintScaleY;
extern Integer PrintOriginX;
extern Integer PrintOriginY;
extern bool PrintBorder;               // border line on graphics printouts
extern bool DrawBorderLine;            // the graphics window draws a frame line
extern bool GraphPrintDialog;          // ask before a graphics printout
// Logo blocks of the CAD output: 2 or 3 suppress them; the CAD job sets 0
// when it begins. Showing a help picture sets 1 only while it draws.
extern Word CadLogoMode;
extern Word GraphPrintOrientation;     // print in progress: 1 portrait, else landscape
extern Word PrintLayoutRecNo;          // last print layout loaded, 0 none
extern double GraphPrintScaleX;
extern double GraphPrintScaleY;
extern Integer GraphPrintOriginX;      // millimetres, as 1/210 of the page width
extern Integer GraphPrintOriginY;

// Design size of the report viewer, used while TextWindowRect has no size.
inline constexpr int ViewerDesignWidth = 630;
inline constexpr int ViewerDesignHeight = 520;

void InitPrinterSettings();

} // namespace kt4::printer
