// The drawing surface the display list is replayed onto. The window
// implements it with its painter; tests record the primitives. Coordinates
// are device pixels with y downwards.
#pragma once

#include "graphics/graph_settings.h"

#include <string>
#include <string_view>

namespace kt4::graphics {

enum class PenStyle { Solid = 0, Dotted = 1, DashDot = 2, Dashed = 3 };

struct PixelPoint {
    Integer x = 0, y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// A font made for one text: size in device pixels, escapement in tenths
// of a degree counter-clockwise, weight 100 (thin) to 900 (black).
struct TextFont {
    std::string face;
    Integer height = 0;
    Integer width = 0; // average character width
    Integer escapement = 0;
    Integer weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    bool operator==(const TextFont&) const = default;
};

class GraphCanvas {
public:
    virtual ~GraphCanvas() = default;
    virtual void SetPenColor(GraphColor c) = 0;
    virtual void SetPenStyle(PenStyle s) = 0;
    virtual void SetPenWidth(Integer w) = 0;
    virtual void Line(PixelPoint a, PixelPoint b) = 0;
    // Outline of the ellipse in the box a-b (no fill).
    virtual void Ellipse(PixelPoint a, PixelPoint b) = 0;
    // Arc of the ellipse in the box a-b, counter-clockwise as seen on the
    // screen from the ray through start to the ray through end; equal rays
    // give the whole ellipse.
    virtual void Arc(PixelPoint a, PixelPoint b, PixelPoint start, PixelPoint end) = 0;
    // Filled quadrilateral, outlined with the current pen.
    virtual void Polygon(const PixelPoint (&p)[4], GraphColor fill) = 0;
    // Text with its top-left corner at "at", turned about that corner.
    virtual void Text(PixelPoint at, std::string_view text, const TextFont& font,
                      GraphColor color) = 0;
};

// A printer page that a replay draws on besides the window.
struct PrintTarget {
    GraphCanvas* canvas = nullptr;
    Integer pageWidth = 0, pageHeight = 0; // printable page in pixels
    double scaleX = 1.0, scaleY = 1.0;     // print scales
    Integer originX = 0, originY = 0;      // origin in mm of a 210 mm page width
    bool borderLine = false;               // frame round the world window
};

} // namespace kt4::graphics
