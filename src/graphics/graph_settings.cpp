#include "graphics/graph_settings.h"

#include "foundation/settings.h"

namespace kt4::graphics {

Real ZoomFactor;
Real PanFactor;
bool ZoomMouseWheel;
GraphColor GraphPalette[PaletteSize];
GraphColor BackgroundColor;
std::string GraphFontName;
Word GraphFontStyle;
Real GraphTextHeightFactor;
Real GraphTextWidthFactor;
bool GraphPrinting;
Word LastScanCode;
Real PixelAspect;

namespace {
struct PaletteEntry {
    int r, g, b;
};
constexpr PaletteEntry DefaultPalette[PaletteSize] = {
    {0, 0, 0},       // 0 black
    {0, 0, 128},     // 1 navy
    {0, 255, 0},     // 2 lime
    {0, 255, 255},   // 3 aqua
    {255, 0, 0},     // 4 red
    {128, 0, 128},   // 5 purple
    {128, 0, 0},     // 6 maroon
    {192, 192, 192}, // 7 silver
    {176, 176, 176}, // 8 grey
    {0, 0, 255},     // 9 blue
    {0, 255, 0},     // 10 lime
    {0, 255, 255},   // 11 aqua
    {255, 0, 0},     // 12 red
    {255, 0, 255},   // 13 fuchsia
    {255, 255, 0},   // 14 yellow
    {255, 255, 255}, // 15 white
    {0, 0, 0},       // 16 black
};
} // namespace

void SetDefaultPalette()
{
    for (int i = 0; i < PaletteSize; ++i)
        GraphPalette[i] = MakeColor(DefaultPalette[i].r, DefaultPalette[i].g, DefaultPalette[i].b);
}

void InitGraphSettings()
{
    ZoomFactor = 1.2L;
    PanFactor = 0.1L;
    ZoomMouseWheel = false;
    BackgroundColor = 1;
    GraphFontName = "Arial";
    GraphFontStyle = 3;
    GraphTextHeightFactor = 1.0L;
    GraphTextWidthFactor = 0.8L;
    GraphPrinting = false;
    LastScanCode = 0;
    PixelAspect = 1.0L;
    SetDefaultPalette();
}

Integer EffectiveScreenResX()
{
    return settings::ScreenResX == 0 ? 640 : settings::ScreenResX;
}

Integer EffectiveScreenResY()
{
    return settings::ScreenResY == 0 ? 480 : settings::ScreenResY;
}

Real AspectCorrection()
{
    return PixelAspect > 0 ? PixelAspect : 1.0L;
}

} // namespace kt4::graphics
