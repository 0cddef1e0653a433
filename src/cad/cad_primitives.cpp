// The drawing vocabulary of the CAD layer: primitives, text state,
// layers, the current point, rectangles, and circles and arcs as line
// segments. Each primitive goes to the job's device at once.
#include "cad/cad_internal.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "foundation/maths.h"
#include "graphics/geometry2d.h"
#include "graphics/graph_settings.h"

#include <algorithm>
#include <cmath>

namespace kt4::cad {

using detail::Dev;
using detail::Finite;

void c_line(Real x1, Real y1, Real x2, Real y2)
{
    if (Finite({x1, y1, x2, y2}))
        Dev().Line(x1, y1, x2, y2);
}

void c_circle(Real x, Real y, Real r)
{
    if (Finite({x, y, r}))
        Dev().Circle(x, y, r, false);
}

void c_circle_cw(Real x, Real y, Real r)
{
    if (Finite({x, y, r}))
        Dev().Circle(x, y, r, true);
}

void c_arc(Real x, Real y, Real a1, Real a2, Real r)
{
    if (Finite({x, y, a1, a2, r}) && r != 0)
        Dev().Arc(x, y, a1, a2, r);
}

void c_arc_dir(Real x, Real y, Real a1, Real a2, Real r, Real sweep)
{
    if (Finite({x, y, a1, a2, r, sweep}) && r != 0)
        Dev().ArcDir(x, y, a1, a2, r, sweep);
}

void c_text(Real x, Real y, const std::string& s)
{
    if (s.empty() || !Finite({x, y}))
        return;
    // the justification moves along the axes, whatever the text angle
    const Real L = static_cast<Real>(s.size());
    if (CadTextHJust == 1)
        x -= 0.5L * L * CadTextHeight * CadTextWidth;
    else if (CadTextHJust == 2)
        x -= L * CadTextHeight * CadTextWidth;
    if (CadTextVJust == 1)
        y -= 0.5L * CadTextHeight;
    else if (CadTextVJust == 2)
        y -= CadTextHeight;
    if (Finite({x, y}))
        Dev().Text(x, y, s);
}

void c_solid(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4, Real y4)
{
    if (Finite({x1, y1, x2, y2, x3, y3, x4, y4}))
        Dev().Solid(x1, y1, x2, y2, x3, y3, x4, y4);
}

void c_settextjustify(Integer h, Integer v)
{
    CadTextHJust = h;
    CadTextVJust = v;
}

void c_setlinefeed(Real f)
{
    if (Finite({f}))
        CadLineFeed = f;
}

void c_settextstyle(Integer font, Real angle, Real height, Real width)
{
    if (!Finite({angle, height, width}))
        return;
    CadTextHeight = height;
    CadTextWidth = width == 0 || height <= 0 ? 0.7L * CadTextWidthFactor
                                             : width / height * CadTextWidthFactor;
    // Texts at a slant keep their look on screens whose pixels are not
    // square; the aspect is a fixed property, never the monitor's size.
    std::int64_t whole = Round(angle);
    Real aspect = graphics::AspectCorrection();
    if (whole >= 5 && whole <= 85 && aspect != 1) {
        Real a = DegToRad(angle);
        angle = RadToDeg(std::atan2(std::sin(a), std::cos(a) * aspect));
    }
    CadTextAngle = angle;
    CadTextSlant = CadTextObliqueAngle;
    Dev().SetTextStyle(font, angle, height, width);
}

void c_textln(const std::string& s)
{
    if (s.empty())
        return;
    c_text(CadCurX, CadCurY, s);
    Real d = 1.6L * CadTextHeight * CadLineFeed;
    if (CadTextAngle == 0) {
        CadCurY -= d;
    } else {
        Real a = DegToRad(CadTextAngle - 90);
        CadCurX += d * std::cos(a);
        CadCurY += d * std::sin(a);
    }
}

void c_setlayer(Integer n)
{
    if (n < 0)
        n = 0;
    if (n > LastColorLayer)
        n = FirstColorLayer + n % 16;
    CadLayer = static_cast<std::uint8_t>(n);
    Dev().SetLayer(n);
}

void c_savelayer() { CadSavedLayer = CadLayer; }
void c_restorelayer() { c_setlayer(CadSavedLayer); }
void c_setlinestyle(Integer n) { Dev().SetLineStyle(n); }
void c_setcolorscheme(Integer n) { CadColorScheme = n; }
void c_sleep(Integer ms) { Dev().Sleep(ms); }

Real AngleSpan(Real a, Real b) { return std::max(a, b) - std::min(a, b); }

void c_moveto(Real x, Real y)
{
    if (!Finite({x, y}))
        return;
    CadCurX = x;
    CadCurY = y;
}

void c_lineto(Real x, Real y)
{
    if (!Finite({x, y}))
        return;
    c_line(CadCurX, CadCurY, x, y);
    CadCurX = x;
    CadCurY = y;
}

void c_rectangle(Real x1, Real y1, Real x2, Real y2)
{
    if (!Finite({x1, y1, x2, y2}))
        return;
    c_moveto(x1, y1);
    c_lineto(x2, y1);
    c_lineto(x2, y2);
    c_lineto(x1, y2);
    c_lineto(x1, y1);
}

void c_rectangle_rev(Real x1, Real y1, Real x2, Real y2)
{
    if (!Finite({x1, y1, x2, y2}))
        return;
    c_moveto(x1, y1);
    c_lineto(x1, y2);
    c_lineto(x2, y2);
    c_lineto(x2, y1);
    c_lineto(x1, y1);
}

namespace {

// Rounded to the nearest whole number, at least 1 and at most the
// segment limit (a tiny resolution would otherwise never end).
Integer SegmentCount(Real n)
{
    if (!(n < MaxArcSegments))
        return MaxArcSegments;
    return static_cast<Integer>(std::clamp<std::int64_t>(Round(n), 1, MaxArcSegments));
}

} // namespace

void detail::ArcAsSegments(void (*MoveTo)(Real, Real), void (*LineTo)(Real, Real), Integer First,
                           Real x1, Real y1, Real x2, Real y2, Real angle)
{
    Real cx = 0, cy = 0, a1 = 0, R = 0, a2 = 0;
    if (!graphics::GetArcCenter(cx, cy, a1, R, a2, x1, y1, x2, y2, angle)) {
        MoveTo(x1, y1);
        LineTo(x2, y2);
        return;
    }
    const Real L = std::fabs(angle) * R;
    if (L == 0 || !std::isfinite(L))
        return;
    if (ArcToLinesResolution <= 0)
        ArcToLinesResolution = 0.2L;
    const Real s = ArcToLinesResolution;
    MoveTo(x1, y1);
    if (s >= L && std::fabs(angle) <= 0.1L) {
        LineTo(x2, y2);
        return;
    }
    const Integer n = std::fabs(angle * s / L) <= 0.1L ? SegmentCount(L / s)
                                                       : SegmentCount(std::fabs(angle) / 0.1L);
    const Real step = angle / n;
    const Real start = std::atan2(y1 - cy, x1 - cx);
    for (Integer k = First; k <= n; ++k)
        LineTo(cx + R * std::cos(start + k * step), cy + R * std::sin(start + k * step));
}

void c_circle_lines(Real x, Real y, Real r, bool clockwise)
{
    if (!Finite({x, y, r}))
        return;
    const Real C = 2 * Pi * r;
    if (ArcToLinesResolution <= 0)
        ArcToLinesResolution = 0.1L;
    const Real s = ArcToLinesResolution;
    c_moveto(x + r, y);
    if (s >= C) {
        c_lineto(x + r, y);
        return;
    }
    const Integer n = SegmentCount(C / s);
    const Real step = (clockwise ? -2 : 2) * Pi / n;
    const Real start = clockwise ? 2 * Pi : 0;
    // both ends exactly on the start point, so the circle closes
    for (Integer k = 1; k < n; ++k)
        c_lineto(x + r * std::cos(start + k * step), y + r * std::sin(start + k * step));
    c_lineto(x + r, y);
}

void c_arc_points(Real x1, Real y1, Real x2, Real y2, Real angle)
{
    if (Finite({x1, y1, x2, y2, angle}))
        detail::ArcAsSegments(c_moveto, c_lineto, 0, x1, y1, x2, y2, angle);
}

} // namespace kt4::cad
