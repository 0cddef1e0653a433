#include "graphics/recording_canvas.h"

#include <cstdio>

namespace kt4::graphics {

namespace {
std::string Pts(std::initializer_list<PixelPoint> pts)
{
    std::string s;
    for (const auto& p : pts)
        s += " " + std::to_string(p.x) + " " + std::to_string(p.y);
    return s;
}
} // namespace

std::string RecordingCanvas::ColorText(GraphColor c)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", ColorRed(c), ColorGreen(c), ColorBlue(c));
    return buf;
}

void RecordingCanvas::SetPenColor(GraphColor c) { Log.push_back("color " + ColorText(c)); }
void RecordingCanvas::SetPenStyle(PenStyle s) { Log.push_back("style " + std::to_string(int(s))); }
void RecordingCanvas::SetPenWidth(Integer w) { Log.push_back("width " + std::to_string(w)); }

void RecordingCanvas::Line(PixelPoint a, PixelPoint b) { Log.push_back("line" + Pts({a, b})); }

void RecordingCanvas::Ellipse(PixelPoint a, PixelPoint b)
{
    Log.push_back("ellipse" + Pts({a, b}));
}

void RecordingCanvas::Arc(PixelPoint a, PixelPoint b, PixelPoint start, PixelPoint end)
{
    Log.push_back("arc" + Pts({a, b, start, end}));
}

void RecordingCanvas::Polygon(const PixelPoint (&p)[4], GraphColor fill)
{
    Log.push_back("polygon" + Pts({p[0], p[1], p[2], p[3]}) + " fill " + ColorText(fill));
}

void RecordingCanvas::Text(PixelPoint at, std::string_view text, const TextFont& f,
                           GraphColor color)
{
    std::string flags;
    if (f.italic)
        flags += 'i';
    if (f.underline)
        flags += 'u';
    if (f.strikeOut)
        flags += 's';
    if (flags.empty())
        flags = "-";
    Log.push_back("text" + Pts({at}) + " " + std::to_string(f.height) + " " +
                  std::to_string(f.width) + " " + std::to_string(f.escapement) + " " +
                  std::to_string(f.weight) + " " + flags + " " + ColorText(color) + " |" +
                  std::string(text) + "|");
}

std::vector<std::string> RecordingCanvas::Figures() const
{
    std::vector<std::string> out;
    for (const auto& l : Log)
        if (l.rfind("color", 0) != 0 && l.rfind("style", 0) != 0 && l.rfind("width", 0) != 0)
            out.push_back(l);
    return out;
}

} // namespace kt4::graphics
