#include "drawings/assembly_section.h"

#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "cad/hatch.h"
#include "drawings/bearing_section.h"
#include "drive/bearing_types.h"
#include "drive/drive_data.h"
#include "foundation/maths.h"

#include <cmath>

namespace kt4::drawings {

using namespace cad;
using namespace drive;

namespace {

const WaelzLagerTyp& Slot(Word k) { return bearings::BearingSlots[k]; }

// The block of slot k fits a seat of bore d.
bool Fits(Word k, Real d) { return SameDiameter(d, Slot(k).d) && BearingDrawable(Slot(k)); }

// How far the block of slot k reaches along the axis: a tapered roller
// bearing's section spans its total width T (B without one), every other
// section the width B.
Real BlockWidth(Word k)
{
    const WaelzLagerTyp& b = Slot(k);
    return b.Typ == TaperedRoller && b.T() > 0 ? b.T() : b.B;
}

// The rectangle and its mirror image about the line y = m.
void HatchPair(Real x1, Real y1, Real x2, Real y2, Real spacing, Real angle, Real m = 0)
{
    HatchRectangle(x1, m + y1, x2, m + y2, spacing, angle);
    HatchRectangle(x1, m - y1, x2, m - y2, spacing, angle);
}

// One lens of the break: out along the lower side, back along the upper.
void BreakLens(Real x, Real y, Real d, Real a)
{
    const Real s = d / 20;
    for (int k = 0; k <= 12; ++k) {
        const Real t = k * Pi / 12;
        HatchAddRotPoint(x, y, BearingArcHeight(t, d), -std::sin(t) * s, 0, a);
    }
    for (int k = 12; k >= 0; --k) {
        const Real t = k * Pi / 12;
        HatchAddRotPoint(x, y, BearingArcHeight(t, d), std::sin(t) * s, 0, a);
    }
}

void ShaftOutput(Real X, Real Xe, Real sign)
{
    HatchBegin();
    const Real pts[][2] = {{X, dlk / 2 - dz / 2}, {bH, dlk / 2 - dz / 2}, {bH, deLg3 / 2},
                           {bH + bLg3, deLg3 / 2}, {bH + bLg3, diShaft2 / 2}, {Xe, diShaft2 / 2},
                           {Xe, d2 / 2}, {X, d2 / 2}, {X, dlk / 2 - dz / 2}};
    for (const auto& p : pts)
        HatchAddPoint(p[0], sign * p[1]);
    HatchPolygon(0, bs / 5, 45);
}

} // namespace

bool SameDiameter(Real a, Real b) { return std::fabs(a - b) <= 1E-6L; }

Real BearingArcHeight(Real a, Real x)
{
    return a <= Pi / 2 ? a * x / (2 * Pi) : x / 4 * (1 - std::cos(a));
}

void DrawBearingSymbol(Real x, Real y, Real d, Real D, Real B)
{
    const Integer caller = CadLayer;
    c_setlayer(5);
    c_rectangle(x, y - D / 2, x + B, y - d / 2);
    c_rectangle(x, y + d / 2, x + B, y + D / 2);
    c_setlayer(3);
    c_line(x, y - D / 2, x + B, y - d / 2);
    c_line(x, y - d / 2, x + B, y - D / 2);
    c_line(x, y + d / 2, x + B, y + D / 2);
    c_line(x, y + D / 2, x + B, y + d / 2);
    c_setlayer(caller);
}

void DrawPinSide(Real x, Real y, Real d, Real L, Real r)
{
    c_roundrect2(x, y - d / 2, x + L, y + d / 2, r);
    c_vline_centred(x + r, y, d);
    c_vline_centred(x + L - r, y, d);
}

void DrawHatchedSleeve(Real x, Real y, Real D, Real d, Real L, Real spacing, Real angle)
{
    const Integer caller = CadLayer;
    HatchRectangle(x, y + d / 2, x + L, y + D / 2, spacing, angle);
    HatchRectangle(x, y - D / 2, x + L, y - d / 2, spacing, angle);
    c_setlayer(caller);
}

void DrawShaftBreak(Real x, Real y, Real d, Real di, Real angle)
{
    const Integer caller = CadLayer;
    c_setlayer(3);
    SetHatchMode(0);
    const Real a = angle * Pi / 180;
    HatchBegin();
    BreakLens(x, y, d, a);
    if (di > 0)
        BreakLens(x, y, di, a);
    HatchPolygon(0, d / 30, 45);
    c_polyline_begin(0);
    for (int k = 0; k <= 12; ++k) {
        const Real t = k * Pi / 12;
        c_poly_rot(x, y, -BearingArcHeight(t, d), std::sin(t) * d / 20, 0, a);
    }
    c_polyline_end();
    SetHatchMode(1);
    c_setlayer(caller);
}

void DrawAssemblySection()
{
    const Real e = exz;
    const Real W = bLg1 + bH + bsDist + bLg45;
    const Real Xe = bH + bs + cax + bLg45 + L2;
    const Real X4 = bH + bsDist;

    // 1. centre lines
    c_setlayer(1);
    c_hline(-bLg1, 0, W);
    c_hline(-bLg1, dLkS / 2, W);
    c_hline(-bLg1, -dLkS / 2, W);
    c_hline(bOver, e, bP);
    c_hline(0, dH / 2, bH);
    c_hline(0, -dH / 2, bH);

    // 2. eccentric pin and input shaft
    c_setlayer(5);
    c_hline(bOver, e + dexz / 2, bP);
    c_hline(bOver, e - dexz / 2, bP);
    c_vline_centred(bOver + bP, e, dexz);
    c_vline_centred(bOver, 0, d1);
    DrawShaftBreak(bOver - 1.5L * bLg1, 0, d1, 0, 90);
    c_hline(bOver - 1.5L * bLg1, d1 / 2, 1.5L * bLg1);
    c_hline(bOver - 1.5L * bLg1, -d1 / 2, 1.5L * bLg1);

    // 3. journal of the eccentric shaft in bearing 3
    if (diLg3 > 0)
        DrawPinSide(bOver + bP, 0, diLg3, bLg3 + bOver, 0);

    // 4. bearing 2 in the rolling wheel
    if (Fits(2, dexz))
        c_insert("lager2", bOver, e, 0, 1, 1);
    else
        DrawBearingSymbol(bOver, e, dexz, diw, bP);

    // 5. rolling wheel
    c_setlayer(5);
    c_vline_centred(bOver, e, dp + 1);
    c_hline(bOver, e + dp / 2 + 0.5L, bP);
    c_hline(bOver, e - dp / 2 - 0.5L, bP);
    c_setlayer(1);
    c_hline(bOver, e - dp / 2, bP);
    c_setlayer(5);
    HatchPair(bOver, (dlk + dzw) / 2, bOver + bP, (dp - 1) / 2, bP / 5, 45, e);
    HatchPair(bOver, diw / 2, bOver + bP, (dlk - dzw) / 2, bP / 5, 45, e);
    c_vline(bOver + bP, (dlk + dR) / 2, e + (dlk + dzw) / 2);
    c_vline(bOver + bP, (-dlk + dR) / 2, e + (-dlk + dzw) / 2);
    c_vline_centred(bOver + bP, e - dp / 2, 0.5L);

    // 6. hollow wheel
    HatchPair(0, -dHe / 2, bH, -(dLkS + dS) / 2, bH / 5, -45);
    HatchPair(0, -(dLkS - dS) / 2, bH, -(dH + 1) / 2, bH / 5, -45);
    c_setlayer(5);
    c_line(0, -(dH + 1) / 2, 0, -d1 / 2);
    c_line(0, (dH + 1) / 2, 0, d1 / 2);
    c_hline(0, (dH - 1) / 2, bOver);
    c_hline(bOver + bP, (dH - 1) / 2, bOver);
    c_hline(0, -(dH - 1) / 2, bH);

    // 7. input-side cover
    HatchPair(-bLg1, -dHe / 2, 0, -(dLkS + dS) / 2, bLg1 / 5, 45);
    HatchRectangle(-bLg1, -(dLkS - dS) / 2, 0, -deLg1 / 2, bLg1 / 5, 45);
    HatchRectangle(-bLg1, deLg1 / 2, 0, (dLkS - dS) / 2, bLg1 / 5, 45);

    // 8. bearing 1
    if (deLg1 - d1 > 2) {
        if (Fits(1, d1))
            c_insert("lager1", -BlockWidth(1), 0, 0, 1, 1);
        else
            DrawBearingSymbol(-bLg1, 0, d1, deLg1, bLg1);
    }

    // 9. output-side cover
    HatchPair(X4, -dHe / 2, X4 + bLg45, -(dLkS + dS) / 2, bLg45 / 5, -45);
    HatchPair(X4, -(dLkS - dS) / 2, X4 + bLg45, -deLg4 / 2, bLg45 / 5, -45);

    // 10. bearings 4 and 5
    if (deLg4 - d2 > 2) {
        if (Fits(4, d2))
            c_insert("lager4", X4, 0, 0, 1, 1);
        else
            DrawBearingSymbol(X4, 0, d2, deLg4, bLg45);
        if (Fits(5, d2))
            c_insert("lager5", X4 + bLg45, 0, 180, 1, 1);
    }

    // 11. housing ring between hollow wheel and output cover
    HatchPair(bH, -dHe / 2, bH + bsDist, -(dLkS + dS) / 2, bsDist / 5, 45);
    HatchPair(bH, -(dLkS - dS) / 2, bH + bsDist, -didist / 2, bsDist / 5, 45);

    // 12. pins and rollers
    for (Real y : {dlk / 2, -dlk / 2}) {
        c_setlayer(1);
        c_hline(bOver, y, bPOver + bs);
        c_setlayer(5);
        DrawPinSide(bOver, y, dz, bPOver + bs, 0.05L * dz);
        if (dR - dz > 0.5L)
            DrawHatchedSleeve(bOver, y, dR, dz, bPOver, 0, -45);
    }

    // 13. output disk
    HatchRectangle(bH, dlk / 2 + dz / 2, bH + bs, des / 2, bs / 5, 45);
    HatchRectangle(bH, -dlk / 2 - dz / 2, bH + bs, -des / 2, bs / 5, 45);

    // 14. output shaft
    const Real X = bH + bs;
    if (diLg3 < deLg3) {
        if (Fits(3, diLg3))
            c_insert("lager3", bH, 0, 0, 1, 1);
        else
            DrawBearingSymbol(bH, 0, diLg3, deLg3, bLg3);
        ShaftOutput(X, Xe, 1);
        ShaftOutput(X, Xe, -1);
        c_setlayer(5);
        c_vline_centred(Xe, 0, diShaft2);
    } else {
        c_setlayer(5);
        c_hline(X, d2 / 2, Xe - X);
        c_hline(X, -d2 / 2, Xe - X);
        DrawShaftBreak(Xe, 0, d2, 0, -90);
    }

    // 15. housing screws
    c_setlayer(5);
    DrawPinSide(-bLg1, dLkS / 2, dS, W, 0.05L * dS);
    DrawPinSide(-bLg1, -dLkS / 2, dS, W, 0.05L * dS);
}

} // namespace kt4::drawings
