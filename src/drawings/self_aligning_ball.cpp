// Section of the self-aligning ball bearing: two ball rows on the lines
// through the bearing centre at the contact angle, a spherical outer
// raceway joined to the faces by roundings, grooves in the inner ring, and
// the left ball partly hidden where the rows overlap in the view. Both
// rings are hatched at +45 degrees.
#include "drawings/bearing_section.h"
#include "drawings/section_outline.h"

#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "cad/hatch.h"
#include "foundation/maths.h"

#include <algorithm>
#include <cmath>

namespace kt4::drawings {

using namespace cad;

namespace {

bool InUnitRange(Real q) { return q >= -1 && q <= 1; }

} // namespace

void DrawSelfAligningBallBearing(Word Slot, Word Mode)
{
    const WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    const Real r = b.d / 2, R = b.D / 2, r1 = b.d1() / 2, R1 = b.D1() / 2, rs = b.rmin, B = b.B;
    const Real Rp = (R + r) / 2;
    const Real alpha = DegToRad(b.alpha());
    const Real cosAlpha = std::cos(alpha);
    if (std::fabs(cosAlpha) < CosineZero)
        return; // the rows would lie at infinity
    const Real xb = B / 2 - std::tan(alpha) * Rp;
    Real rb = 0.25L * (R - r);
    if (rb >= xb)
        rb = 0.95L * xb; // a ball never reaches the face
    const Real te = std::fabs(rb - (Rp - r1));
    const Real Rs = Rp / cosAlpha + rb; // the spherical outer raceway about (B/2, 0)
    const Real c = 0.025L * B;          // the roundings between raceway and faces
    c_setlayer(5);
    if (Mode == 1) {
        c_line(0, r + rs, 0, -(r + rs));
        c_line(B, r + rs, B, -(r + rs));
    }
    if ((Rs + c) * Rs == 0)
        return;
    const Real cosPhi = (B / 2 - c) / (Rs + c);
    if (!InUnitRange(cosPhi))
        return;
    const Real sinPhi = std::sqrt(1 - cosPhi * cosPhi);
    const Real xR = B / 2 + Rs * cosPhi, xL = B / 2 - Rs * cosPhi, ys = Rs * sinPhi;
    const Real yf = (Rs + c) * sinPhi; // = sqrt((Rs + c)^2 - (B/2 - c)^2)
    const Real theta = ArcTanXY(xR - (B - c), ys - yf);
    const Real raceway = 2 * std::asin(std::clamp((xR - B / 2) / Rs, -1.0L, 1.0L));

    for (Integer k = 1; k <= 2; ++k) {
        const Real s = IntPowerPos(-1, k + 1);
        c_setlayer(1);
        for (Real x : {xb, B - xb}) {
            c_line(x - rb / 2, s * Rp, x + rb / 2, s * Rp);
            c_line(x, s * (Rp + rb / 2), x, s * (Rp - rb / 2));
        }
        c_setlayer(5);
        c_line(0, s * r, 0, s * (R - rs));
        c_line(B, s * r, B, s * (R - rs));
        // balls pushed past the faces (rb <= 0) end the drawing here
        if (!(rb > 0))
            return;
        c_circle(B - xb, s * Rp, rb);
        if (2 * rb <= B - 2 * xb) {
            c_circle(xb, s * Rp, rb);
        } else {
            // the right ball hides the left one from x = B/2 on
            const Real q = (B / 2 - xb) / rb;
            if (!InUnitRange(q))
                return;
            const Real edge = RadToDeg(std::acos(q));
            c_arc(xb, s * Rp, edge, 360 - edge, rb);
            c_setlayer(2);
            c_arc(xb, s * Rp, 360 - edge, edge, rb);
        }
        c_setlayer(5);
        if (Rs == 0)
            return;
        const Outline outer = {
            {0, R1 + c, 0},
            {0, R - rs, -Pi / 2},
            {rs, R, 0},
            {B - rs, R, -Pi / 2},
            {B, R - rs, 0},
            {B, yf, -(2 * Pi - theta)},
            {xR, ys, raceway},
            {xL, ys, -(2 * Pi - theta)},
            {0, yf, 0},
        };
        HatchOutline(Half(outer, s), B / 10, 45);
        c_setlayer(5);
        const Real qi = (rb - te) / rb;
        if (!InUnitRange(qi))
            return;
        const Real si = std::sqrt(rb * rb - (rb - te) * (rb - te));
        const Real groove = -2 * std::acos(qi);
        const Outline inner = {
            {0, r1, 0},
            {0, r + rs, Pi / 2},
            {rs, r, 0},
            {B - rs, r, Pi / 2},
            {B, r + rs, 0},
            {B, r1, 0},
            {B - xb + si, r1, groove},
            {B - xb - si, r1, 0},
            {xb + si, r1, groove},
            {xb - si, r1, 0},
            {0, r1, 0},
        };
        HatchOutline(Half(inner, s), B / 10, 45);
    }
    HatchMode = 1;
}

} // namespace kt4::drawings
