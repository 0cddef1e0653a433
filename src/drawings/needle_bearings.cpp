// Sections of the needle bearings: the drawn cup (type 3), the needle
// bearing without inner ring (4), the needle roller and cage assembly (10)
// and the full-complement needle bearing (12). The needles of types 3, 4
// and 10 lie on the bore line y = r (the shaft is their raceway), centred
// in the width. None of them stops early or looks at AbortFlag.
#include "drawings/bearing_section.h"
#include "drawings/section_outline.h"

#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "cad/hatch.h"
#include "foundation/maths.h"

namespace kt4::drawings {

using namespace cad;

namespace {

struct Needle {
    Real r, B, Lw, Dw, e, rho; // e: axial distance from each face
};

Needle NeedleOf(const WaelzLagerTyp& b, Real lengthShare, Real Dw, Real rho)
{
    const Real Lw = lengthShare * b.B;
    return {b.d / 2, b.B, Lw, Dw, (b.B - Lw) / 2, rho};
}

// The needle's eight rounded corners, both halves, on layer 5.
void NeedleCorners(const Needle& n) { RollerCornerArcs(n.e, n.B - n.e, n.r, n.r + n.Dw, n.rho); }

// The needle's centre line on layer 1 (5 % of its length beyond each end).
void NeedleCentreLine(const Needle& n, Real s)
{
    c_setlayer(1);
    const Real y = s * (n.r + n.Dw / 2);
    c_line(n.e - 0.05L * n.Lw, y, n.B - n.e + 0.05L * n.Lw, y);
    c_setlayer(5);
}

// The needle's four straight sides on layer 5.
void NeedleSides(const Needle& n, Real s)
{
    c_setlayer(5);
    RollerSides(n.e, n.B - n.e, n.r, n.r + n.Dw, n.rho, s);
}

// The outer ring (or the cup) in the upper half: the outside with corners
// of radius rs, a flange f wide at each face from the outside down to yf,
// and between the flanges the needle pocket up to r + Dw with corners of
// radius c.
Outline FlangedRing(Real r, Real R, Real rs, Real B, Real yf, Real Dw, Real f, Real c)
{
    return {
        {0, yf, 0},
        {0, R - rs, -Pi / 2},
        {rs, R, 0},
        {B - rs, R, -Pi / 2},
        {B, R - rs, 0},
        {B, yf, 0},
        {B - f, yf, 0},
        {B - f, r + Dw - c, Pi / 2},
        {B - f - c, r + Dw, 0},
        {f + c, r + Dw, Pi / 2},
        {f, r + Dw - c, 0},
        {f, yf, 0},
        {0, yf, 0},
    };
}

// Hatch spacing of the cage bars: Dw/10 to the nearest whole millimetre
// (halves to even); 0 lets the rectangle hatch choose.
Real CageSpacing(Real Dw) { return static_cast<Real>(Round(Dw / 10)); }

} // namespace

void DrawDrawnCupNeedleBearing(Word Slot, Word Mode)
{
    const WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    const Real r = b.d / 2, R = b.D / 2, rs = b.rmin, B = b.B;
    const Real t = rs - 0.1L; // the cup's wall
    const Real Dw = R - t - r;
    const Needle n = NeedleOf(b, 0.72L, Dw, 0.05L * Dw);
    const Real Lw = n.Lw, yf = r + 0.25L * Dw;
    c_setlayer(5);
    if (Mode == 1)
        for (Real x : {Real(0), B, t, B - t})
            c_line(x, yf, x, -yf);
    NeedleCorners(n);
    for (Integer k = 1; k <= 2; ++k) {
        const Real s = IntPowerPos(-1, k + 1);
        NeedleCentreLine(n, s);
        for (Real x : {Real(0), B, t, B - t})
            c_line(x, s * r, x, s * yf);
        NeedleSides(n, s);
        DrawOutline(Half(FlangedRing(r, R, rs, B, yf, Dw, t, 0.1L), s));
        // the cage: a bar in the gap between each needle end and its flange
        const Real g = (B - 2 * t - Lw) / 2;
        const Real xr1 = B / 2 + Lw / 2 + 0.1L * g, xr2 = B / 2 + Lw / 2 + 0.9L * g;
        const Real xl1 = B / 2 - Lw / 2 - 0.1L * g, xl2 = B / 2 - Lw / 2 - 0.9L * g;
        const Real y1 = s * yf, y2 = s * (yf + 0.5L * Dw);
        c_rectangle(xr1, y1, xr2, y2);
        c_rectangle(xl1, y1, xl2, y2);
        HatchMode = 2;
        HatchRectangle(xr1, y1, xr2, y2, CageSpacing(Dw), -45);
        HatchRectangle(xl1, y1, xl2, y2, CageSpacing(Dw), -45);
        HatchMode = 2;
        HatchClear();
        HatchAddPoint(0, s * yf);
        HatchAddArc(3, rs, s * (R - rs), rs, s * Pi, s * Pi / 2);
        HatchAddArc(3, B - rs, s * (R - rs), rs, s * Pi / 2, 0);
        HatchAddPoint(B, s * yf);
        HatchAddPoint(B - t, s * yf);
        HatchAddArc(1, B - t - 0.1L, s * (r + Dw - 0.1L), 0.05L * Dw, 0, s * Pi / 2);
        HatchAddArc(1, t + 0.05L * Dw, s * (r + Dw - 0.05L * Dw), 0.05L * Dw, s * Pi / 2, s * Pi);
        HatchAddPoint(t, s * yf);
        HatchPolygon(0, B / 25, -45);
    }
    HatchMode = 1;
}

void DrawNeedleBearingNoInnerRing(Word Slot, Word Mode)
{
    const WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    const Real r = b.d / 2, R = b.D / 2, rs = b.rmin, B = b.B, r2 = b.r2();
    const Real Dw = 0.17L * 0.8L * B;
    const Needle n = NeedleOf(b, 0.8L, Dw, r2);
    const Real e = n.e, yf = r + 0.75L * Dw;
    c_setlayer(5);
    if (Mode == 1) {
        c_line(0, yf, 0, -yf);
        c_line(B, yf, B, -yf);
    }
    NeedleCorners(n);
    for (Integer k = 1; k <= 2; ++k) {
        const Real s = IntPowerPos(-1, k + 1);
        NeedleCentreLine(n, s);
        c_line(0, s * r, 0, s * yf);
        c_line(B, s * r, B, s * yf);
        NeedleSides(n, s);
        // the outer ring with its flanges down to yf and the needle pocket
        // rounded with r2; drawn in the current HatchMode (1: outline too)
        HatchOutline(Half(FlangedRing(r, R, rs, B, yf, Dw, e, r2), s), B / 10, 45);
    }
    HatchMode = 1;
}

void DrawNeedleCageAssembly(Word Slot, Word Mode)
{
    const WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    const Real r = b.d / 2, R = b.D / 2, B = b.B;
    const Real Dw = R - r, Rp = (R + r) / 2;
    const Needle n = NeedleOf(b, 0.86L, Dw, 0.05L * Dw);
    const Real Lw = n.Lw, hc = 0.8L * Dw; // cage height, centred on Rp
    c_setlayer(5);
    if (Mode == 1) {
        c_line(0, Rp - hc / 2, 0, -(Rp - hc / 2));
        c_line(B, Rp - hc / 2, B, -(Rp - hc / 2));
    }
    NeedleCorners(n);
    for (Integer k = 1; k <= 2; ++k) {
        const Real s = IntPowerPos(-1, k + 1);
        NeedleCentreLine(n, s);
        NeedleSides(n, s);
        // cage bars from 10 % of the end clearance beyond each needle end
        // to the face, in the current HatchMode
        const Real y1 = s * (Rp - hc / 2), y2 = s * (Rp + hc / 2);
        HatchRectangle(B / 2 + Lw / 2 + 0.05L * (B - Lw), y1, B, y2, CageSpacing(Dw), -45);
        HatchRectangle(B / 2 - Lw / 2 - 0.05L * (B - Lw), y1, 0, y2, CageSpacing(Dw), -45);
    }
    HatchMode = 1;
}

void DrawFullComplementNeedleBearing(Word Slot, Word Mode)
{
    const WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    const Real r = b.d / 2, R = b.D / 2, rs = b.rmin, B = b.B, Rp = (R + r) / 2;
    c_setlayer(5);
    c_roundrect(false, 0, r, B, R, rs);
    c_roundrect(false, 0, -r, B, -R, rs);
    c_setlayer(1);
    c_hline_centred(B / 2, Rp, 1.1L * B);
    c_hline_centred(B / 2, -Rp, 1.1L * B);
    if (Mode == 1) {
        c_setlayer(1);
        c_hline_centred(B / 2, 0, 1.05L * B);
    }
}

} // namespace kt4::drawings
