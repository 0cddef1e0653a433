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

} // namespace kt4::drawings
