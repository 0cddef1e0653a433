#include "drawings/section_outline.h"

#include "cad/cad_output.h"
#include "cad/hatch.h"

namespace kt4::drawings {

using namespace cad;

Outline Half(const Outline& upper, Real s)
{
    if (s > 0)
        return upper;
    Outline lower;
    lower.reserve(upper.size());
    for (const OutlinePoint& p : upper)
        lower.push_back({p.x, -p.y, -p.a});
    return lower;
}

Outline WithoutRepeats(const Outline& o)
{
    Outline out;
    out.reserve(o.size());
    for (const OutlinePoint& p : o) {
        if (!out.empty() && out.back().x == p.x && out.back().y == p.y)
            out.back().a = p.a;
        else
            out.push_back(p);
    }
    return out;
}

void DrawOutline(const Outline& o)
{
    c_polyline_begin(0);
    for (const OutlinePoint& p : WithoutRepeats(o))
        c_poly(p.x, p.y, p.a);
    c_polyline_end();
}

void HatchOutline(const Outline& o, Real spacing, Real angle)
{
    HatchBegin();
    for (const OutlinePoint& p : WithoutRepeats(o))
        HatchAddArcPoint(p.x, p.y, p.a);
    HatchDraw(0, spacing, angle);
}

void RollerCornerArcs(Real x0, Real x1, Real y0, Real y1, Real rho)
{
    if (!(rho > 0))
        return; // sharp corners
    c_arc(x0 + rho, y1 - rho, 90, 180, rho);
    c_arc(x1 - rho, y1 - rho, 0, 90, rho);
    c_arc(x1 - rho, y0 + rho, 270, 0, rho);
    c_arc(x0 + rho, y0 + rho, 180, 270, rho);
    c_arc(x0 + rho, -(y1 - rho), 180, 270, rho);
    c_arc(x1 - rho, -(y1 - rho), 270, 360, rho);
    c_arc(x1 - rho, -(y0 + rho), 0, 90, rho);
    c_arc(x0 + rho, -(y0 + rho), 90, 180, rho);
}

void RollerSides(Real x0, Real x1, Real y0, Real y1, Real rho, Real s)
{
    c_line(x0, s * (y0 + rho), x0, s * (y1 - rho));
    c_line(x0 + rho, s * y1, x1 - rho, s * y1);
    c_line(x1, s * (y1 - rho), x1, s * (y0 + rho));
    c_line(x1 - rho, s * y0, x0 + rho, s * y0);
}

} // namespace kt4::drawings
