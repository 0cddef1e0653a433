// Settings of the graphics window: zoom and pan steps, the colour palette,
// the background, the text font and the flag of a running graphics
// printout. The configuration file loads and saves most of them.
#pragma once

#include "foundation/types.h"

#include <cstdint>
#include <string>

namespace kt4::graphics {

// Colours are stored as the configuration file keeps them: 0x00BBGGRR
// (red in the lowest byte).
using GraphColor = Integer;

constexpr GraphColor MakeColor(int r, int g, int b)
{
    return GraphColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int ColorRed(GraphColor c) { return c & 0xFF; }
constexpr int ColorGreen(GraphColor c) { return (c >> 8) & 0xFF; }
constexpr int ColorBlue(GraphColor c) { return (c >> 16) & 0xFF; }

constexpr int PaletteSize = 17; // colour numbers 0..16

extern Real ZoomFactor;             // zoom step of keys and wheel
extern Real PanFactor;              // pan step as a fraction of the zoom rectangle
extern bool ZoomMouseWheel;         // the wheel zooms
extern GraphColor GraphPalette[PaletteSize];
extern GraphColor BackgroundColor;  // window background; colour 0 draws in it
extern std::string GraphFontName;   // font face of texts
extern Word GraphFontStyle;         // bit 0 bold, 1 italic, 2 underline, 3 strike-out
extern Real GraphTextHeightFactor;
extern Real GraphTextWidthFactor;
extern bool GraphPrinting;          // a replay also draws on the printer
extern Word LastScanCode;           // key meaning of the last zoom/pan key

// Height over width of one screen pixel. Square pixels (every screen of
// today) give 1; the window uses it to keep circles round.
extern Real PixelAspect;

// Fills GraphPalette with the 17 default colours.
void SetDefaultPalette();

// Gives every setting of this module its start value.
void InitGraphSettings();

// The screen resolution the window maps onto (0 in the settings stands
// for 640 x 480).
Integer EffectiveScreenResX();
Integer EffectiveScreenResY();

// Factor between the horizontal and vertical pixel scale that makes a
// world circle round on the screen. Depends only on PixelAspect, never on
// the configured resolution, so nothing written to a file depends on the
// monitor.
Real AspectCorrection();

} // namespace kt4::graphics
