// Small drawing helpers on top of the primitives: axis-parallel lines,
// polar moves, rounded and chamfered rectangles, readable text angles.
#include "cad/cad_internal.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "foundation/maths.h"

#include <cmath>

namespace kt4::cad {

void c_hline(Real x, Real y, Real len) { c_line(x, y, x + len, y); }
void c_hline_centred(Real x, Real y, Real len) { c_line(x - len / 2, y, x + len / 2, y); }
void c_vline(Real x, Real y1, Real y2) { c_line(x, y1, x, y2); }
void c_vline_centred(Real x, Real y, Real len) { c_line(x, y - len / 2, x, y + len / 2); }

void c_lineto_polar(Real len, Real a)
{
    if (detail::Finite({len, a}))
        c_lineto(CadCurX + len * std::cos(a), CadCurY + len * std::sin(a));
}

void c_moveto_polar(Real len, Real a)
{
    if (detail::Finite({len, a}))
        c_moveto(CadCurX + len * std::cos(a), CadCurY + len * std::sin(a));
}

void c_moveto_polar_abs(Real r, Real a) { c_moveto(r * std::cos(a), r * std::sin(a)); }

namespace {

struct Corner {
    Real x, y, angle;
};

void Polyline9(const Corner (&v)[9])
{
    c_polyline_begin(1);
    for (const auto& c : v)
        c_poly(c.x, c.y, c.angle);
    c_polyline_end();
}

} // namespace

void c_roundrect(bool clockwise, Real x1, Real y1, Real x2, Real y2, Real r)
{
    if (!detail::Finite({x1, y1, x2, y2, r}))
        return;
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    if (SameReal(r, 0)) {
        if (clockwise)
            c_rectangle_rev(x1, y1, x2, y2);
        else
            c_rectangle(x1, y1, x2, y2);
        return;
    }
    const Real q = Pi / 2;
    if (clockwise)
        Polyline9({{x1 + r, y1, -q}, {x1, y1 + r, 0}, {x1, y2 - r, -q}, {x1 + r, y2, 0},
                   {x2 - r, y2, -q}, {x2, y2 - r, 0}, {x2, y1 + r, -q}, {x2 - r, y1, 0},
                   {x1 + r, y1, 0}});
    else
        Polyline9({{x1 + r, y1, 0}, {x2 - r, y1, q}, {x2, y1 + r, 0}, {x2, y2 - r, q},
                   {x2 - r, y2, 0}, {x1 + r, y2, q}, {x1, y2 - r, 0}, {x1, y1 + r, q},
                   {x1 + r, y1, 0}});
}

void c_roundrect2(Real x1, Real y1, Real x2, Real y2, Real r)
{
    if (!detail::Finite({x1, y1, x2, y2, r}))
        return;
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    Polyline9({{x1 + r, y1, 0}, {x2 - r, y1, 0}, {x2, y1 + r, 0}, {x2, y2 - r, 0}, {x2 - r, y2, 0},
               {x1 + r, y2, 0}, {x1, y2 - r, 0}, {x1, y1 + r, 0}, {x1 + r, y1, 0}});
}

Real c_textangle(Real a)
{
    if (a < 0)
        a += 360;
    if (a > 90 && a < 270)
        a -= 180;
    return a;
}

} // namespace kt4::cad
