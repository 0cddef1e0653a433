// Section of the tapered roller bearing, T wide: the cup (outer ring) at
// x = 0 .. C, the cone (inner ring) at x = T - B .. T. The roller's outer
// generatrix lies on the cup raceway at the contact angle alpha, its axis
// is inclined by alpha - 2 degrees and its inner generatrix (the cone
// raceway) by alpha - 4 degrees; all four roller corners are rounded.
#include "drawings/bearing_section.h"
#include "drawings/section_outline.h"

#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "cad/hatch.h"
#include "foundation/maths.h"
#include "graphics/geometry2d.h"

#include <algorithm>
#include <cmath>

namespace kt4::drawings {

using namespace cad;

namespace {

using P = Vec2;
P Dir(Real deg) { return {std::cos(DegToRad(deg)), std::sin(DegToRad(deg))}; }
P Normal(Real deg) { return {-std::sin(DegToRad(deg)), std::cos(DegToRad(deg))}; }

bool CosZero(Real deg) { return std::fabs(std::cos(DegToRad(deg))) < CosineZero; }

// The fillet centre of radius rr at a corner with the angle delta between
// its edges (degrees), along the unit direction m; false when the corner
// has no fillet (cos(delta/2) = 0).
bool FilletCentre(P corner, Real rr, Real delta, P m, P& centre)
{
    if (CosZero(delta / 2))
        return false;
    centre = corner + (rr / std::cos(DegToRad(delta / 2))) * m;
    return true;
}

} // namespace

void DrawTaperedRollerBearing(Word Slot, Word Mode)
{
    const WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    const Real r = b.d / 2, R = b.D / 2, r1 = b.d1() / 2, rs = b.rmin, B = b.B;
    const Real C = b.CupWidth(), T = b.T(), r2 = b.r2(), r3 = b.r3();
    const Real alpha = b.alpha(), alpha2 = alpha - 2, alpha4 = alpha - 4;
    const Real rc1 = r3 != 0 ? r3 : 0.07L * std::min(R - r, T);
    const Real r0 = 0.07L * std::min(T, R - r);
    const Real rr = 0.02L * (R - r) + 0.4L;
    const Real ri = r + 0.15L * (R - r), ro = R - 0.15L * (R - r);
    const Real hr = 0.11L * (R - r);
    if (CosZero(alpha))
        return;
    const Real cosA = std::cos(DegToRad(alpha));
    const Real e = 0.05L * C / cosA, Lr = C / cosA - 2 * e;
    const P u = Dir(alpha);
    const P P1 = P{C, ro} - e * u;
    const P P2 = P{C, ro} - (e + Lr) * u;
    if (CosZero(alpha2))
        return;
    const P P3{P2.x + std::tan(DegToRad(alpha2)) * (P2.y - ri), ri};
    const P M = 0.5L * (P2 + P3);
    P F1, F2, F3, F4;
    {
        const Real d1 = (alpha + 90) - alpha2, d2 = (alpha2 + 90) - alpha, d3 = (alpha4 + 90) - alpha2;
        const Real m1 = d1 / 2 + alpha2, m2 = d2 / 2 + alpha, m3 = d3 / 2 + alpha2;
        if (!FilletCentre(P1, rr, d1, -1 * Dir(m1), F1) ||
            !FilletCentre(P2, rr, d2, P{std::sin(DegToRad(m2)), -std::cos(DegToRad(m2))}, F2) ||
            !FilletCentre(P3, rr, d3, Dir(m3), F3))
            return;
    }
    const P n = Normal(alpha); // outward normal of the outer generatrix
    const P a2 = Dir(alpha2);  // roller axis, normal of both end faces
    const P down4{std::sin(DegToRad(alpha4)), -std::cos(DegToRad(alpha4))}; // below the inner generatrix
    const P K1 = F1 + rr * a2, K1s = F1 + rr * n;
    const P K2 = F2 + rr * n, K2s = F2 - rr * a2;
    const P K3 = F3 - rr * a2, K3s = F3 + rr * down4;
    P P4;
    graphics::LineIntersection(P4.x, P4.y, K1.x, K1.y, P1.x, P1.y, P3.x, P3.y, K3s.x, K3s.y);
    {
        const Real d4 = (alpha2 + 90) - alpha4, m4 = d4 / 2 + alpha2;
        if (!FilletCentre(P4, rr, d4, Normal(m4), F4))
            return;
    }
    const P K4 = F4 + rr * down4, K4s = F4 + rr * a2;

    c_setlayer(5);
    if (Mode == 1) {
        c_line(0, r, 0, -r);
        c_line(T - B, r + rc1, T - B, -(r + rc1));
        c_line(T, r + rs, T, -(r + rs));
    }
    c_arc(F1.x, F1.y, alpha2, alpha + 90, rr);
    c_arc(F2.x, F2.y, alpha + 90, alpha2 + 180, rr);
    c_arc(F3.x, F3.y, alpha2 + 180, alpha4 + 270, rr);
    c_arc(F4.x, F4.y, alpha4 + 270, alpha2, rr);
    c_arc(F1.x, -F1.y, 270 - alpha, -alpha2, rr);
    c_arc(F2.x, -F2.y, 180 - alpha2, 270 - alpha, rr);
    c_arc(F3.x, -F3.y, 90 - alpha4, 180 - alpha2, rr);
    c_arc(F4.x, -F4.y, -alpha2, 90 - alpha4, rr);

    const Real axis = (alpha + alpha4) / 2;
    for (Integer k = 1; k <= 2; ++k) {
        const Real s = IntPowerPos(-1, k + 1);
        auto line = [s](P from, P to) { c_line(from.x, s * from.y, to.x, s * to.y); };
        c_setlayer(1);
        if (CosZero(axis))
            return;
        const Real slope = std::tan(DegToRad(axis));
        line({P2.x, M.y + slope * (P2.x - M.x)}, {P4.x, M.y + slope * (P4.x - M.x)});
        c_setlayer(5);
        c_line(0, s * r, 0, s * (R - r0));
        c_line(T, s * r, T, s * (r + r0));
        line(K1s, K2); // outer generatrix
        line(K2s, K3); // small end face
        line(K3s, K4); // inner generatrix
        line(K4s, K1); // large end face

        // cup: its raceway edge runs from (C, ro) to the fillet of radius
        // r2 at the left face, on the line of slope tan(alpha4) through K2
        c_setlayer(5);
        HatchBegin();
        if (CosZero(alpha4))
            return;
        const Real a4 = DegToRad(alpha4), k4 = std::tan(a4);
        const Real yc = (K2.y - k4 * K2.x) + k4 * r2 * (1 + std::sin(a4));
        const Outline cup = {
            {0, r2 * std::cos(a4) + yc, 0},
            {0, R - r0, -Pi / 2},
            {r0, R, 0},
            {C - rc1, R, -Pi / 2},
            {C, R - rc1, 0},
            {C, ro, 0},
            {r2 * (1 + std::sin(a4)), yc, -(a4 + Pi / 2)},
            {0, r2 * std::cos(a4) + yc, 0},
        };
        HatchOutline(Half(cup, s), C / 10, 45);

        // cone: ribs at both ends, the raceway round the roller's inner corners
        c_setlayer(5);
        const Real sin2 = std::sin(DegToRad(alpha2)), cos2 = std::cos(DegToRad(alpha2));
        const P Q0{P4.x - sin2 * (r1 - P4.y), r1};
        const Real yq = (K3s.y - k4 * K3s.x) + k4 * (T - B) + hr / 2;
        const Outline cone = {
            {Q0.x, Q0.y, 0},
            {T - rs, r1, -Pi / 2},
            {T, r1 - rs, 0},
            {T, r + rs, -Pi / 2},
            {T - rs, r, 0},
            {T - B + rc1, r, -Pi / 2},
            {T - B, r + rc1, 0},
            {T - B, yq, 0},
            {P3.x - sin2 * hr / 2, ri + cos2 * hr / 2, 0},
            {K3.x, K3.y, Pi / 2},
            {K3s.x, K3s.y, 0},
            {K4.x, K4.y, Pi / 2},
            {K4s.x, K4s.y, 0},
            {Q0.x, Q0.y, 0},
        };
        HatchOutline(Half(cone, s), C / 10, 45);
    }
    HatchMode = 1;
}

} // namespace kt4::drawings
