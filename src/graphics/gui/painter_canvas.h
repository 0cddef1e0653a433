// The replay canvas on a QPainter: window, offscreen image or printer.
#pragma once

#include "graphics/graph_canvas.h"

#include <QColor>
#include <QFont>
#include <QLine>
#include <QPen>
#include <QRawFont>
#include <QString>

#include <string>
#include <unordered_map>
#include <vector>

class QPainter;

namespace kt4::graphics {

class QPainterCanvas : public GraphCanvas {
public:
    // The painter must stay active while the canvas draws.
    explicit QPainterCanvas(QPainter* painter = nullptr);
    ~QPainterCanvas() override;
    // Draws on another painter (or none); pen and font state carry over.
    // Lines are drawn in batches: everything is on the painter once the
    // canvas is handed another painter (or none) or destroyed.
    void SetPainter(QPainter* painter);
    // Smooth edges (slower); off by default, like the window always drew.
    void SetAntialiasing(bool on) { antialias_ = on; }

    void SetPenColor(GraphColor c) override;
    void SetPenStyle(PenStyle s) override;
    void SetPenWidth(Integer w) override;
    void Line(PixelPoint a, PixelPoint b) override;
    void Ellipse(PixelPoint a, PixelPoint b) override;
    void Arc(PixelPoint a, PixelPoint b, PixelPoint start, PixelPoint end) override;
    void Polygon(const PixelPoint (&p)[4], GraphColor fill) override;
    void Text(PixelPoint at, std::string_view text, const TextFont& font, GraphColor color) override;

    static QColor ToQColor(GraphColor c);

private:
    struct CachedFont {
        QFont font;
        QRawFont raw;
        int ascent = 0;
    };
    const CachedFont& FontFor(const TextFont& f);
    void ApplyPen();
    void Flush(); // draws the lines waiting in the batch
    void DrawGlyphs(const CachedFont& cf, const QString& text);

    QPainter* p_ = nullptr;
    QPen pen_;
    bool antialias_ = false;
    std::unordered_map<std::string, CachedFont> fonts_;
    std::string lastText_;
    QString lastQText_;
    std::vector<QLine> lines_;
};

} // namespace kt4::graphics
