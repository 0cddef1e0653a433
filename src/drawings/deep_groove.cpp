// The deep-groove ball bearing section and the grooved ring section that
// the ball bearing types share.
#include "drawings/bearing_section.h"

#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "cad/hatch.h"
#include "foundation/maths.h"
#include "foundation/settings.h"

#include <algorithm>
#include <cmath>

namespace kt4::drawings {

using namespace cad;

namespace {

// One grooved ring section; dir = +1 for the section above its edge
// (groove below), -1 for its mirror image.
void RingSection(Real x0, Real y0, Real rb, Real rc, Real h, Real w, Real t, int dir)
{
    if (!(rb > 0))
        return;
    if (dir < 0)
        t = std::min(t, rb); // at most a half circle
    const Real c = (rb - t) / rb;
    const bool groove = c >= -1 && c <= 1;
    const Real q = dir * Pi / 2;
    const Real yFar = y0 + dir * h, yCorner = y0 + dir * (h - rc);
    c_setlayer(5);
    c_polyline_begin(0);
    c_poly(x0, y0, 0);
    c_poly(x0, yCorner, -q);
    c_poly(x0 + rc, yFar, 0);
    c_poly(x0 + w - rc, yFar, -q);
    c_poly(x0 + w, yCorner, 0);
    c_poly(x0 + w, y0, 0);
    if (!groove) {
        c_polyline_end();
        return;
    }
    const Real s = std::sqrt(rb * rb - (rb - t) * (rb - t));
    const Real arc = 2 * std::acos(c);
    c_poly(x0 + w / 2 + s, y0, dir * arc);
    c_poly(x0 + w / 2 - s, y0, 0);
    c_poly(x0, y0, 0);
    c_polyline_end();

    const Real gx = x0 + w / 2, gy = y0 - dir * (rb - t); // groove centre
    const Real as = std::asin(c);
    HatchClear();
    HatchAddPoint(x0, y0);
    if (dir > 0) {
        HatchAddArc(5, x0 + rc, yCorner, rc, Pi, Pi / 2);
        HatchAddArc(5, x0 + w - rc, yCorner, rc, Pi / 2, 0);
        HatchAddPoint(x0 + w, y0);
        HatchAddArc(10, gx, gy, rb, as, Pi - as);
    } else {
        HatchAddArc(5, x0 + rc, yCorner, rc, Pi, 3 * Pi / 2);
        HatchAddArc(5, x0 + w - rc, yCorner, rc, 3 * Pi / 2, 2 * Pi);
        HatchAddPoint(x0 + w, y0);
        HatchAddArc(10, gx, gy, rb, 2 * Pi - as, Pi + as);
    }
    const Real angle = (y0 >= 0) == (dir > 0) ? 45 : -45;
    HatchPolygon(0, w / 10, angle);
}

} // namespace

Real BallRadius(const WaelzLagerTyp& b, Real widthShare)
{
    const Real section = (b.D - b.d) / 2;
    return Round(5 * std::min(0.65L * section, widthShare * b.B)) / 10.0L;
}

void RingSectionGrooveBelow(Real x0, Real y0, Real rb, Real rc, Real h, Real w, Real t)
{
    RingSection(x0, y0, rb, rc, h, w, t, +1);
}

void RingSectionGrooveAbove(Real x0, Real y0, Real rb, Real rc, Real h, Real w, Real t)
{
    RingSection(x0, y0, rb, rc, h, w, t, -1);
}

void DrawDeepGrooveBallBearing(Word Slot, Word Mode)
{
    const WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    const Real r = b.d / 2, R = b.D / 2, r1 = b.d1() / 2, R1 = b.D1() / 2, rs = b.rmin, B = b.B;
    const Real rb = BallRadius(b);
    const Real Rp = (R + r) / 2;
    const Real to = rb - (R1 - Rp), ti = rb - (Rp - r1);
    c_setlayer(5);
    if (Mode == 1) {
        c_line(0, r + rs, 0, -(r + rs));
        c_line(B, r + rs, B, -(r + rs));
    }
    if (rb > 0) {
        c_circle(B / 2, Rp, rb);
        c_circle(B / 2, -Rp, rb);
    }
    c_line(0, r, 0, R1);
    c_line(B, r, B, R1);
    c_line(0, -r, 0, -R1);
    c_line(B, -r, B, -R1);
    c_setlayer(1);
    for (Real y : {Rp, -Rp}) {
        if (!(rb > 0))
            break;
        c_line(B / 2 - rb / 2, y, B / 2 + rb / 2, y);
        c_line(B / 2, y + rb / 2, B / 2, y - rb / 2);
    }
    // each ring section may stop the drawing (a failed hatch)
    RingSectionGrooveBelow(0, R1, rb, rs, R - R1, B, to);
    if (!settings::AbortFlag)
        RingSectionGrooveAbove(0, r1, rb, rs, r1 - r, B, ti);
    if (!settings::AbortFlag)
        RingSectionGrooveBelow(0, -r1, rb, rs, r1 - r, B, ti);
    if (!settings::AbortFlag)
        RingSectionGrooveAbove(0, -R1, rb, rs, R - R1, B, to);
    HatchMode = 1;
}

} // namespace kt4::drawings
