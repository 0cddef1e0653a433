// A canvas that writes down what it is asked to draw, one line per call,
// so that a replay can be compared with the expected primitives.
//   "color #rrggbb", "style n", "width n",
//   "line x1 y1 x2 y2", "ellipse x1 y1 x2 y2",
//   "arc x1 y1 x2 y2 xs ys xe ye", "polygon x1 y1 ... x4 y4 fill #rrggbb",
//   "text x y h w esc weight [iusk] #rrggbb |text|"
#pragma once

#include "graphics/graph_canvas.h"

#include <string>
#include <vector>

namespace kt4::graphics {

class RecordingCanvas : public GraphCanvas {
public:
    void SetPenColor(GraphColor c) override;
    void SetPenStyle(PenStyle s) override;
    void SetPenWidth(Integer w) override;
    void Line(PixelPoint a, PixelPoint b) override;
    void Ellipse(PixelPoint a, PixelPoint b) override;
    void Arc(PixelPoint a, PixelPoint b, PixelPoint start, PixelPoint end) override;
    void Polygon(const PixelPoint (&p)[4], GraphColor fill) override;
    void Text(PixelPoint at, std::string_view text, const TextFont& font, GraphColor color) override;

    // Every call in order
    std::vector<std::string> Log;
    // Only the drawn figures and texts (no colour, style or width)
    std::vector<std::string> Figures() const;

    static std::string ColorText(GraphColor c);
};

} // namespace kt4::graphics
