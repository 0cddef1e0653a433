// Section of the spherical roller bearing: two rows of barrel rollers
// tilted by the contact angle, one spherical outer raceway about the
// bearing centre, one concave raceway per row in the inner ring. The left
// row is constructed and mirrored about x = B/2 for the right row.
//
// A stop returns at once: what is drawn stays, and HatchMode keeps the
// value it has at that moment.
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

using P = Vec2;

bool InUnitRange(Real q) { return q >= -1 && q <= 1; }

} // namespace

void DrawSphericalRollerBearing(Word Slot, Word Mode)
{
    const WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    const Real r = b.d / 2, R = b.D / 2, R1 = b.D1() / 2, rs = b.rmin, B = b.B;
    const Real alpha = DegToRad(b.alpha());
    const Real c = B <= 33.33L ? 0.5L : 0.015L * B; // fillet between outer raceway and faces
    const Real Rp = (R + r) / 2, H = (R - r) / 2;
    if (std::fabs(std::cos(alpha)) < CosineZero)
        return;
    const Real rho = Rp / std::cos(alpha) + H / 2; // the outer raceway sphere about C0
    const Real Lh = 0.19L * B;
    const P C0{B / 2, 0};
    const P n{-std::sin(alpha), std::cos(alpha)}, u{std::cos(alpha), std::sin(alpha)};
    const P M = C0 + (rho - H / 2) * n;
    const P E1 = M + Lh * u, E2 = M - Lh * u;
    const P C1 = C0 + (2 * rho - H) * n, C1r{B - C1.x, C1.y};
    const Real m = std::tan(alpha), axisAtFace = E1.y - m * E1.x;

    c_setlayer(5);
    if (Mode == 1) {
        c_line(0, r + rs, 0, -(r + rs));
        c_line(B, r + rs, B, -(r + rs));
    }
    if (rho + c == 0)
        return;
    const Real q = (B / 2 - c) / (rho + c);
    if (!InUnitRange(q))
        return;
    const Real phi = std::acos(q);
    const P Q{B / 2 + rho * q, rho * std::sin(phi)}, Ql{B / 2 - rho * q, rho * std::sin(phi)};
    const Real yc = (rho + c) * std::sin(phi); // = sqrt((rho + c)^2 - (B/2 - c)^2)

    for (Integer k = 1; k <= 2; ++k) {
        const Real s = IntPowerPos(-1, k + 1);
        c_setlayer(1);
        if (E1.x == E2.x)
            return;
        c_moveto(0, s * axisAtFace);
        c_lineto(B / 2, s * (axisAtFace + m * B / 2));
        c_lineto(B, s * axisAtFace);
        c_setlayer(5);
        c_line(0, s * (r + rs), 0, s * (R - rs));
        c_line(B, s * (r + rs), B, s * (R - rs));

        if (rho == 0 || !InUnitRange(Lh / rho))
            return;
        const Real tE = H / 2 - (rho - std::sqrt(rho * rho - Lh * Lh));
        const Real thetaR = 2 * std::asin(Lh / rho);
        const P A1 = E1 - tE * n, A2 = E1 + tE * n, A3 = E2 + tE * n, A4 = E2 - tE * n;
        // right row (mirrored to B - x, arcs turned), then left row
        for (Real kappa : {-1.0L, 1.0L}) {
            auto X = [&](const P& p) { return kappa > 0 ? p.x : B - p.x; };
            const Outline roller = {{X(A1), A1.y, 0},
                                    {X(A2), A2.y, kappa * thetaR},
                                    {X(A3), A3.y, 0},
                                    {X(A4), A4.y, kappa * thetaR},
                                    {X(A1), A1.y, 0}};
            DrawOutline(Half(roller, s));
        }

        // outer ring: an open outline (the left face line closes it) ...
        const Outline outer = {
            {0, R1 + c, 0},     {0, R - rs, -Pi / 2},   {rs, R, 0},
            {B - rs, R, -Pi / 2}, {B, R - rs, 0},       {B, yc, -(Pi - phi)},
            {Q.x, Q.y, 2 * std::asin(q)}, {Ql.x, Ql.y, -(Pi - phi)}, {0, yc, 0},
        };
        DrawOutline(Half(outer, s));
        // ... and its hatch, whose fillets sit at the record's shoulder
        HatchMode = 2;
        HatchClear();
        const Real beta = ArcTanXY(Q.x - (B - c), Q.y - (R1 + c));
        const Real top = std::asin(std::clamp(Q.y / rho, -1.0L, 1.0L));
        HatchAddArc(3, rs, s * (R - rs), rs, s * Pi, s * Pi / 2);
        HatchAddArc(3, B - rs, s * (R - rs), rs, s * Pi / 2, 0);
        HatchAddArc(3, B - c, s * (R1 + c), c, 0, -s * (2 * Pi - beta));
        HatchAddArc(6, B / 2, 0, rho, s * top, s * (Pi - top));
        HatchAddArc(3, c, s * (R1 + c), c, s * ArcTanXY(Ql.x - c, Ql.y - (R1 + c)), -s * Pi);
        HatchPolygon(0, B / 10, 45);

        // inner ring: it rises at each face to yh, where its raceway circle
        // meets the face
        HatchMode = 2;
        HatchClear();
        if (!InUnitRange(C1.x / rho))
            return;
        const Real gamma = std::asin(C1.x / rho);
        const Real yh = C1.y - std::sqrt(rho * rho - C1.x * C1.x);
        const P A1h = A1 - P{0, yh};
        const Real chord = std::hypot(A1h.x, A1h.y) / (2 * rho);
        if (!InUnitRange(chord))
            return;
        const Real thetaI = 2 * std::asin(chord);
        HatchAddArc(3, rs, s * (r + rs), rs, -s * Pi / 2, -s * Pi);
        HatchAddArc(5, C1.x, s * C1.y, rho, s * (3 * Pi / 2 - gamma), s * (3 * Pi / 2 - gamma + thetaI));
        HatchAddArc(5, C1r.x, s * C1r.y, rho, s * (3 * Pi / 2 + gamma - thetaI), s * (3 * Pi / 2 + gamma));
        HatchAddArc(3, B - rs, s * (r + rs), rs, 0, -s * Pi / 2);
        HatchPolygon(0, B / 10, -45);

        HatchMode = 1;
        c_setlayer(5);
        const Outline inner = {
            {0, r + rs, 0},   {0, yh, thetaI},     {A1.x, A1.y, 0},      {B - A1.x, A1.y, thetaI},
            {B, yh, 0},       {B, r + rs, -Pi / 2}, {B - rs, r, 0},      {rs, r, -Pi / 2},
            {0, r + rs, 0},
        };
        DrawOutline(Half(inner, s));
    }
    HatchMode = 1;
}

} // namespace kt4::drawings
