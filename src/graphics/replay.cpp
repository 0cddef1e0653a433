#include "graphics/replay.h"

#include "foundation/settings.h"
#include "graphics/graph_settings.h"
#include "graphics/graph_util.h"
#include "foundation/maths.h"

#include <cmath>

namespace kt4::graphics {

namespace {
constexpr GraphColor Black = 0;

PenStyle StyleOf(Integer n)
{
    switch (n) {
    case 1: return PenStyle::Dotted;
    case 2: return PenStyle::DashDot;
    case 3: return PenStyle::Dashed;
    default: return PenStyle::Solid;
    }
}

bool PrintInColour() { return settings::WindowsPrintMode == 2 || settings::WindowsPrintMode == 3; }
} // namespace

DisplayReplay::DisplayReplay(TGraphWindow& window, GraphCanvas& screen, const PrintTarget* printer)
    : win_(window), screen_(screen), printer_(printer && printer->canvas ? printer : nullptr)
{
    win_.ResetRecordCaches();
    screen_.SetPenStyle(PenStyle::Solid);
    screen_.SetPenWidth(1);
    if (printer_) {
        printer_->canvas->SetPenStyle(PenStyle::Solid);
        printer_->canvas->SetPenWidth(1);
    }
    ApplyColor(1);
    textColor_ = Black;
    if (printer_ && printer_->borderLine)
        BorderLine();
}

void DisplayReplay::BorderLine()
{
    GraphCanvas& p = *printer_->canvas;
    // Aqua in colour; on a monochrome print it would hardly show: black.
    p.SetPenColor(settings::ColorGraphics && PrintInColour() ? GraphPalette[11] : Black);
    const RealRect& w = win_.Mapping().WorldWindow;
    const PixelPoint a = Prn(w.X0, w.Y0), b = Prn(w.X0, w.Y1), c = Prn(w.X1, w.Y1),
                     d = Prn(w.X1, w.Y0);
    p.Line(a, b);
    p.Line(b, c);
    p.Line(c, d);
    p.Line(d, a);
}

PixelPoint DisplayReplay::Scr(double x, double y) const
{
    const ViewMapping& m = win_.Mapping();
    return {m.PixelX(x), m.PixelY(y)};
}

PixelPoint DisplayReplay::Prn(double x, double y) const
{
    const ViewMapping& m = win_.Mapping();
    const Real pw = printer_->pageWidth, ph = printer_->pageHeight;
    const Real rx = EffectiveScreenResX(), ry = EffectiveScreenResY();
    const Integer col = RoundInt(pw * printer_->originX / 210) +
                        RoundInt(pw * ((x - m.ViewWindow.X0) * m.ScaleX + m.ScreenRect.X0) *
                                 printer_->scaleX / rx);
    const Integer row = RoundInt(pw * printer_->originY / 210) +
                        RoundInt(ph * (m.ScreenRect.Y1 - (y - m.ViewWindow.Y0) * m.ScaleY) *
                                 printer_->scaleY / ry);
    return {col, row};
}

Integer DisplayReplay::PrnLengthX(double l) const
{
    return RoundInt(Real(printer_->pageWidth) * win_.Mapping().ScaleX * l * printer_->scaleX /
                    EffectiveScreenResX());
}

Integer DisplayReplay::PrnLengthY(double l) const
{
    return RoundInt(Real(printer_->pageHeight) * win_.Mapping().ScaleY * l * printer_->scaleY /
                    EffectiveScreenResY());
}

void DisplayReplay::ApplyColor(Integer n)
{
    if (n >= 1 && n <= 16) {
        colorNo_ = n;
        const GraphColor pal = GraphPalette[n];
        // pen, brush and font: a text after colour 16 takes its colour too
        if (settings::ColorGraphics) {
            screen_.SetPenColor(pal);
            brush_ = pal;
            textColor_ = pal;
        } else {
            screen_.SetPenColor(Black);
            brush_ = BackgroundColor;
            textColor_ = Black;
        }
        if (printer_) {
            const bool colour = PrintInColour();
            printer_->canvas->SetPenColor(colour ? pal : Black);
            printerBrush_ = colour ? pal : BackgroundColor;
            textColor_ = colour ? pal : Black; // texts go to the printer only then
        }
    } else if (n == 0) {
        colorNo_ = 0;
        screen_.SetPenColor(BackgroundColor);
        brush_ = BackgroundColor;
        if (printer_) {
            printer_->canvas->SetPenColor(BackgroundColor);
            printerBrush_ = BackgroundColor;
        }
    } else {
        colorNo_ = n; // remembered for texts; no colour changes
    }
}

void DisplayReplay::DrawText(double x, double y, std::string_view text)
{
    const Integer n = colorNo_;
    if (n == 0)
        textColor_ = BackgroundColor;
    else if (!settings::ColorGraphics)
        textColor_ = Black;
    else if (printer_ && settings::WindowsPrintMode == 1)
        textColor_ = Black;
    else if (n >= 1 && n <= 15)
        textColor_ = GraphPalette[n];

    const double h = textHeight_;
    double ax = x, ay = y + 0.75 * h;
    if (textAngle_ != 0) {
        const double a = double(DegToRad(textAngle_));
        ax = x - std::sin(a) * 0.7 * h;
        ay = y + std::cos(a) * 0.75 * h;
    }
    const Word style = GraphFontStyle;
    const bool styleCode = style >= 1 && style <= 15;
    TextFont font;
    font.face = GraphFontName;
    font.escapement = RoundInt(textAngle_ * 10);
    font.weight = (style & 1) && styleCode ? 700 : 100;
    if (printer_) {
        font.italic = styleCode && (style & 2);
        font.underline = styleCode && (style & 4);
        font.strikeOut = styleCode && (style & 8);
        font.height = PrnLengthY(h);
        font.width = PrnLengthX(textWidth_);
        printer_->canvas->Text(Prn(ax, ay), text, font, textColor_);
        return; // while printing, texts go to the printer only
    }
    font.italic = style & 2;
    font.underline = style & 4;
    font.strikeOut = style & 8;
    const ViewMapping& m = win_.Mapping();
    font.height = m.LengthY(h);
    font.width = m.LengthX(textWidth_);
    screen_.Text(Scr(ax, ay), text, font, textColor_);
}

void DisplayReplay::RunAll() { Run(0, win_.DisplayList().Count()); }

void DisplayReplay::Run(std::size_t from, std::size_t to)
{
    const TDisplayList& list = win_.DisplayList();
    if (to > list.Count())
        to = list.Count();
    GraphCanvas* prn = printer_ ? printer_->canvas : nullptr;
    for (std::size_t i = from; i < to; ++i) {
        const DisplayRecord r = ParseDisplayLine(list[i]);
        const double* v = r.v;
        switch (TDisplayOp(r.op)) {
        case TDisplayOp::doMoveTo:
            pen_ = Scr(v[0], v[1]);
            if (prn)
                printerPen_ = Prn(v[0], v[1]);
            break;
        case TDisplayOp::doLineTo: {
            const PixelPoint p = Scr(v[0], v[1]);
            screen_.Line(pen_, p);
            pen_ = p;
            if (prn) {
                const PixelPoint q = Prn(v[0], v[1]);
                prn->Line(printerPen_, q);
                printerPen_ = q;
            }
            break;
        }
        case TDisplayOp::doCircle:
            screen_.Ellipse(Scr(v[0] - v[2], v[1] - v[2]), Scr(v[0] + v[2], v[1] + v[2]));
            if (prn)
                prn->Ellipse(Prn(v[0] - v[2], v[1] - v[2]), Prn(v[0] + v[2], v[1] + v[2]));
            break;
        case TDisplayOp::doLine:
            pen_ = Scr(v[2], v[3]);
            screen_.Line(Scr(v[0], v[1]), pen_);
            if (prn) {
                printerPen_ = Prn(v[2], v[3]);
                prn->Line(Prn(v[0], v[1]), printerPen_);
            }
            break;
        case TDisplayOp::doArc:
            screen_.Arc(Scr(v[0], v[1]), Scr(v[2], v[3]), Scr(v[4], v[5]), Scr(v[6], v[7]));
            if (prn)
                prn->Arc(Prn(v[0], v[1]), Prn(v[2], v[3]), Prn(v[4], v[5]), Prn(v[6], v[7]));
            break;
        case TDisplayOp::doText:
            DrawText(v[0], v[1], r.text);
            break;
        case TDisplayOp::doSolid: {
            const PixelPoint p[4] = {Scr(v[0], v[1]), Scr(v[2], v[3]), Scr(v[4], v[5]),
                                     Scr(v[6], v[7])};
            screen_.Polygon(p, settings::ColorGraphics ? brush_ : Black);
            if (prn) {
                const PixelPoint q[4] = {Prn(v[0], v[1]), Prn(v[2], v[3]), Prn(v[4], v[5]),
                                         Prn(v[6], v[7])};
                prn->Polygon(q, settings::ColorGraphics ? printerBrush_ : Black);
            }
            break;
        }
        case TDisplayOp::doColor:
            ApplyColor(r.n);
            break;
        case TDisplayOp::doTextStyle:
            textHeight_ = v[0] * 1.6 * double(GraphTextHeightFactor);
            textWidth_ = v[1] * 1.1 * double(GraphTextWidthFactor);
            textAngle_ = v[3];
            break;
        case TDisplayOp::doWindow: {
            // A window without world width or height cannot be drawn in;
            // it is passed over and the rest of the list is drawn.
            if (v[4] == v[6] || v[5] == v[7])
                break;
            ViewMapping& m = win_.Mapping();
            m.ScreenRect = {RoundInt(v[0]), RoundInt(v[1]), RoundInt(v[2]), RoundInt(v[3])};
            m.WorldWindow = {v[4], v[5], v[6], v[7]};
            const IntRect z = m.ZoomRect;
            win_.SetScale(z.X0, z.Y0, z.X1, z.Y1);
            break;
        }
        case TDisplayOp::doLineStyle:
            screen_.SetPenStyle(StyleOf(r.n));
            if (prn)
                prn->SetPenStyle(StyleOf(r.n));
            break;
        case TDisplayOp::doLineWidth:
            screen_.SetPenWidth(r.n);
            if (prn)
                prn->SetPenWidth(4 * r.n);
            break;
        case TDisplayOp::doPause: // the frame driver waits, not the replay
        default:
            break;
        }
    }
}

PlaybackStop NextPlaybackStop(const TDisplayList& list, std::size_t from, bool singleStep)
{
    for (std::size_t i = from; i < list.Count(); ++i) {
        const TDisplayLine& l = list[i];
        if (l.size() > 3 && l.compare(0, 3, "13;") == 0)
            return {PlaybackStop::Pause, i, ParseDisplayLine(l).n};
        if (singleStep && l == "8;0")
            return {PlaybackStop::Step, i, 0};
    }
    return {PlaybackStop::End, list.Count(), 0};
}

} // namespace kt4::graphics
