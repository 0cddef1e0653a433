#include "graphics/gui/painter_canvas.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QPoint>
#include <QPolygon>
#include <QRect>

#include <algorithm>
#include <cmath>

namespace kt4::graphics {

namespace {
// Pixel values beyond this are cut so that a far zoom cannot upset the
// painter; nothing there is visible anyway.
constexpr int PixelLimit = 1 << 24;

QPoint Pt(PixelPoint p)
{
    return {std::clamp(p.x, -PixelLimit, PixelLimit), std::clamp(p.y, -PixelLimit, PixelLimit)};
}

QRect Box(PixelPoint a, PixelPoint b) { return QRect(Pt(a), Pt(b)).normalized(); }

// Angle of a pixel point seen from the box centre, in degrees
// counter-clockwise as seen on the screen (0 = three o'clock).
double RayAngle(const QRectF& box, PixelPoint p)
{
    const double rx = std::max(box.width() / 2, 1e-9), ry = std::max(box.height() / 2, 1e-9);
    const double dx = (p.x - box.center().x()) / rx, dy = (p.y - box.center().y()) / ry;
    return std::atan2(-dy, dx) * 180.0 / M_PI;
}
} // namespace

QPainterCanvas::QPainterCanvas(QPainter* painter)
{
    pen_.setCosmetic(true);
    pen_.setWidth(0);
    pen_.setCapStyle(Qt::FlatCap);
    SetPainter(painter);
}

QPainterCanvas::~QPainterCanvas() { Flush(); }

void QPainterCanvas::Flush()
{
    if (p_ && !lines_.empty())
        p_->drawLines(lines_.data(), int(lines_.size()));
    lines_.clear();
}

void QPainterCanvas::SetPainter(QPainter* painter)
{
    Flush();
    p_ = painter;
    if (p_) {
        p_->setRenderHint(QPainter::Antialiasing, antialias_);
        p_->setRenderHint(QPainter::TextAntialiasing, true);
        p_->setBrush(Qt::NoBrush);
        p_->setPen(pen_);
    }
}

QColor QPainterCanvas::ToQColor(GraphColor c) { return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c)); }

void QPainterCanvas::ApplyPen()
{
    Flush();
    if (p_)
        p_->setPen(pen_);
}

void QPainterCanvas::SetPenColor(GraphColor c)
{
    pen_.setColor(ToQColor(c));
    ApplyPen();
}

void QPainterCanvas::SetPenStyle(PenStyle s)
{
    switch (s) {
    case PenStyle::Dotted: pen_.setStyle(Qt::DotLine); break;
    case PenStyle::DashDot: pen_.setStyle(Qt::DashDotLine); break;
    case PenStyle::Dashed: pen_.setStyle(Qt::DashLine); break;
    default: pen_.setStyle(Qt::SolidLine); break;
    }
    ApplyPen();
}

void QPainterCanvas::SetPenWidth(Integer w)
{
    // width 1 is the fast cosmetic hairline
    w = std::clamp(w, 0, 1000);
    pen_.setWidth(w <= 1 ? 0 : w);
    ApplyPen();
}

void QPainterCanvas::Line(PixelPoint a, PixelPoint b)
{
    if (!p_)
        return;
    lines_.emplace_back(Pt(a), Pt(b));
    if (lines_.size() >= 4096)
        Flush();
}

void QPainterCanvas::Ellipse(PixelPoint a, PixelPoint b)
{
    Flush();
    if (p_)
        p_->drawEllipse(Box(a, b));
}

void QPainterCanvas::Arc(PixelPoint a, PixelPoint b, PixelPoint start, PixelPoint end)
{
    Flush();
    if (!p_)
        return;
    const QRect box = Box(a, b);
    const QRectF fbox(box);
    const double a1 = RayAngle(fbox, start), a2 = RayAngle(fbox, end);
    double span = std::fmod(a2 - a1 + 720.0, 360.0);
    if (span < 1e-6)
        span = 360.0; // equal rays: the whole ellipse
    p_->drawArc(box, int(std::lround(a1 * 16)), int(std::lround(span * 16)));
}

void QPainterCanvas::Polygon(const PixelPoint (&p)[4], GraphColor fill)
{
    Flush();
    if (!p_)
        return;
    const QPoint pts[4] = {Pt(p[0]), Pt(p[1]), Pt(p[2]), Pt(p[3])};
    p_->setBrush(ToQColor(fill));
    p_->drawPolygon(pts, 4);
    p_->setBrush(Qt::NoBrush);
}

const QPainterCanvas::CachedFont& QPainterCanvas::FontFor(const TextFont& f)
{
    std::string key = f.face;
    key += '|' + std::to_string(f.height) + '|' + std::to_string(f.width) + '|' +
           std::to_string(f.weight) + char('0' + f.italic) + char('0' + f.underline) +
           char('0' + f.strikeOut);
    auto it = fonts_.find(key);
    if (it != fonts_.end())
        return it->second;
    if (fonts_.size() > 512)
        fonts_.clear();

    // The height is that of the character cell (ascent and descent), the
    // width the average character width, as the drawings are laid out.
    const int h = std::clamp(f.height, 1, 4000);
    QFont font(QString::fromStdString(f.face));
    font.setPixelSize(h);
    font.setWeight(f.weight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    const QFontMetrics m0(font);
    if (m0.height() > 0)
        font.setPixelSize(std::max(1, int(std::lround(double(h) * h / m0.height()))));
    const QFontMetrics m1(font);
    if (f.width > 0 && m1.averageCharWidth() > 0)
        font.setStretch(std::clamp(int(std::lround(100.0 * f.width / m1.averageCharWidth())), 1, 4000));
    CachedFont c{font, QRawFont::fromFont(font), QFontMetrics(font).ascent()};
    return fonts_.emplace(std::move(key), std::move(c)).first->second;
}

// Glyphs straight from the font's character map, without shaping: the
// labels of drawings are short plain texts, and this is the hot path of a
// repaint. A text the font has no glyph for takes the painter's full
// text path (with font fallback).
void QPainterCanvas::DrawGlyphs(const CachedFont& cf, const QString& text)
{
    if (cf.raw.isValid()) {
        const QList<quint32> glyphs = cf.raw.glyphIndexesForString(text);
        if (!glyphs.isEmpty() && !glyphs.contains(0)) {
            const QList<QPointF> advances = cf.raw.advancesForGlyphIndexes(glyphs);
            QList<QPointF> positions(glyphs.size());
            QPointF pos(0, cf.ascent);
            for (qsizetype i = 0; i < glyphs.size(); ++i) {
                positions[i] = pos;
                pos += advances[i];
            }
            QGlyphRun run;
            run.setRawFont(cf.raw);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            run.setUnderline(cf.font.underline());
            run.setStrikeOut(cf.font.strikeOut());
            p_->drawGlyphRun(QPointF(0, 0), run);
            return;
        }
    }
    p_->setFont(cf.font);
    p_->drawText(0, cf.ascent, text);
}

void QPainterCanvas::Text(PixelPoint at, std::string_view text, const TextFont& f, GraphColor color)
{
    Flush();
    if (!p_ || text.empty())
        return;
    if (text != lastText_) {
        lastText_.assign(text);
        lastQText_ = QString::fromUtf8(text.data(), qsizetype(text.size()));
    }
    const CachedFont& cf = FontFor(f);
    const QPoint origin = Pt(at);
    const QTransform saved = p_->transform();
    p_->setPen(ToQColor(color));
    p_->translate(origin);
    if (f.escapement != 0)
        p_->rotate(-f.escapement / 10.0);
    DrawGlyphs(cf, lastQText_);
    p_->setTransform(saved);
    p_->setPen(pen_);
}

} // namespace kt4::graphics
