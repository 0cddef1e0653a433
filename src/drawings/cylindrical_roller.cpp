// Sections of the cylindrical roller bearing (rings by the arrangement
// its designation names) and of the full-complement cylindrical roller
// bearing (inner ring only; the rollers reach the outside diameter).
#include "drawings/bearing_section.h"
#include "drawings/section_outline.h"

#include "cad/cad_output.h"
#include "cad/hatch.h"
#include "foundation/maths.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

#include <cmath>

namespace kt4::drawings {

using namespace cad;

namespace {

const Real Taper = std::tan(DegToRad(12)); // run-out of a raceway without rib

// A ring with a rib at each face: y0 the rib tips, the body h away from
// the rollers, the raceway t beyond the rib tips.
void RibbedRingSection(Real x0, Real y0, Real h, Real w, Real t, Real Lr, Real rc, Real rr, Real s,
                       Real angle)
{
    const Real e = (w - Lr) / 2;
    const Outline o = {
        {x0, y0, 0},
        {x0, y0 + h - rc, -Pi / 2},
        {x0 + rc, y0 + h, 0},
        {x0 + w - rc, y0 + h, -Pi / 2},
        {x0 + w, y0 + h - rc, 0},
        {x0 + w, y0, 0},
        {x0 + w - e, y0, 0},
        {x0 + w - e, y0 + t - rr, Pi / 2},
        {x0 + w - e - rr, y0 + t, 0},
        {x0 + e + rr, y0 + t, Pi / 2},
        {x0 + e, y0 + t - rr, 0},
        {x0 + e, y0, 0},
        {x0, y0, 0},
    };
    c_setlayer(5);
    HatchOutline(Half(o, s), w / 10, angle);
}

// A ring without rib: y0 the raceway, the body h towards y0 - h; the
// raceway runs out at both ends.
void PlainRingSection(Real x0, Real y0, Real h, Real w, Real Lr, Real rc, Real s)
{
    const Real e = (w - Lr) / 2, k = Taper * e;
    const Outline o = {
        {x0, y0 - k, 0},
        {x0, y0 - h + rc, Pi / 2},
        {x0 + rc, y0 - h, 0},
        {x0 + w - rc, y0 - h, Pi / 2},
        {x0 + w, y0 - h + rc, 0},
        {x0 + w, y0 - k, 0},
        {x0 + w - e, y0, 0},
        {x0 + e, y0, 0},
        {x0, y0 - k, 0},
    };
    c_setlayer(5);
    HatchOutline(Half(o, s), w / 10, -45);
}

// A ring with one rib at the left face: y0 the rib tip, the raceway t
// below it, running out at the right end.
void SingleRibRingSection(Real x0, Real y0, Real h, Real w, Real t, Real Lr, Real rc, Real rr, Real s)
{
    const Real e = (w - Lr) / 2, k = Taper * e;
    const Outline o = {
        {x0, y0, 0},
        {x0, y0 - h + rc, Pi / 2},
        {x0 + rc, y0 - h, 0},
        {x0 + w - rc, y0 - h, Pi / 2},
        {x0 + w, y0 - h + rc, 0},
        {x0 + w, y0 - t - k, 0},
        {x0 + w - e, y0 - t, 0},
        {x0 + e + rr, y0 - t, -Pi / 2},
        {x0 + e, y0 - t + rr, 0},
        {x0 + e, y0, 0},
        {x0, y0, 0},
    };
    c_setlayer(5);
    HatchOutline(Half(o, s), w / 10, -45);
}

} // namespace

int CylindricalRollerArrangement(const std::string& Designation)
{
    const std::string d = UpperStr(PadRight(Designation, 3));
    if (d.compare(0, 2, "NU") == 0)
        return d == "NUP" ? 4 : 1;
    return d.compare(0, 2, "NJ") == 0 ? 3 : 2;
}

void DrawCylindricalRollerBearing(Word Slot, Word Mode)
{
    const WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    const Real r = b.d / 2, R = b.D / 2, rs = b.rmin, r2 = b.r2(), B = b.B;
    const Real e = B / 6;
    const Real ri = r + 1.2L * e, ro = R - 1.2L * e;
    const Real rr = 0.02L * (R - r) + 0.4L;
    const Real hr = 0.11L * (R - r), rt = ro - hr;
    const Real Lr = 2 * B / 3;
    const int arrangement = CylindricalRollerArrangement(b.Designation);
    c_setlayer(5);
    if (Mode == 1) {
        c_line(0, r + rs, 0, -(r + rs));
        c_line(B, r + rs, B, -(r + rs));
    } else {
        c_line(0, r + rs, 0, r);
        c_line(B, r + rs, B, r);
        c_line(0, -(r + rs), 0, -r);
        c_line(B, -(r + rs), B, -r);
    }
    RollerCornerArcs(e, B - e, ri, ro, rr);
    for (Integer k = 1; k <= 2; ++k) {
        const Real s = IntPowerPos(-1, k + 1);
        c_setlayer(1);
        c_line(e - 0.1L * Lr, s * (ro + ri) / 2, B - e + 0.1L * Lr, s * (ro + ri) / 2);
        c_setlayer(5);
        c_line(0, s * r, 0, s * (R - rs));
        c_line(B, s * r, B, s * (R - rs));
        RollerSides(e, B - e, ri, ro, rr, s);
        // outer ring, then inner ring; a failed hatch ends the section
        switch (arrangement) {
        case 1:
            RibbedRingSection(0, rt, R - rt, B, hr, Lr, rs, rr, s, 45);
            if (settings::AbortFlag)
                return;
            PlainRingSection(0, ri, ri - r, B, Lr, r2, s);
            break;
        case 2: // given below the axis, so that the section extends towards it
            RibbedRingSection(0, -(ri + hr), (ri - r) + hr, B, hr, Lr, r2, rr, s, 45);
            if (settings::AbortFlag)
                return;
            PlainRingSection(0, -ro, ri - r, B, Lr, r2, s);
            break;
        case 3:
            RibbedRingSection(0, rt, R - rt, B, hr, Lr, rs, rr, s, 45);
            if (settings::AbortFlag)
                return;
            SingleRibRingSection(0, ri + hr, R - rt, B, hr, Lr, rs, rr, s);
            break;
        default:
            RibbedRingSection(0, rt, R - rt, B, hr, Lr, r2, rr, s, 45);
            if (settings::AbortFlag)
                return;
            RibbedRingSection(0, -(ri + hr), (ri - r) + hr, B, hr, Lr, r2, rr, s, -45);
            break;
        }
        if (settings::AbortFlag)
            return;
    }
}

void DrawFullComplementRollerBearing(Word Slot, Word Mode)
{
    const WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    const Real r = b.d / 2, R = b.D / 2, r1 = b.d1() / 2, rs = b.rmin, B = b.B, Lw = b.Lw();
    const Real Dr = 2 * (R - r) / 2.7857142857142856L; // 39/14
    const Real yc = R - Dr / 2;
    const Real a = (B - Lw) / 2;
    const bool twoRows = b.Rows == 2;
    const Real Lr = twoRows ? 0.45L * Lw : Lw;
    c_setlayer(5);
    // inner ring with a rib at each face (and one between two rows); the
    // raceway lies at R - Dr
    Outline ring = {{0, r1, 0},  {0, r + rs, Pi / 2}, {rs, r, 0},   {B - rs, r, Pi / 2},
                    {B, r + rs, 0}, {B, r1, 0},       {B - a, r1, 0}, {B - a, R - Dr, 0}};
    if (twoRows)
        ring.insert(ring.end(), {{B - a - Lr, R - Dr, 0},
                                 {B - a - Lr, r1, 0},
                                 {a + Lr, r1, 0},
                                 {a + Lr, R - Dr, 0}});
    ring.insert(ring.end(), {{a, R - Dr, 0}, {a, r1, 0}, {0, r1, 0}});
    HatchOutline(ring, 0, 45);
    for (Real s : {1.0L, -1.0L}) {
        c_roundrect(false, a, s * (yc - Dr / 2), a + Lr, s * (yc + Dr / 2), rs);
        if (twoRows)
            c_roundrect(false, B - a - Lr, s * (yc - Dr / 2), B - a, s * (yc + Dr / 2), rs);
    }
    c_setlayer(1);
    c_hline_centred(B / 2, yc, 1.1L * Lw);
    c_hline_centred(B / 2, -yc, 1.1L * Lw);
    c_setlayer(5);
    HatchOutline(Half(ring, -1), 0, 45);
    if (Mode == 1) {
        c_setlayer(5);
        c_vline_centred(0, 0, 2 * (r + rs));
        c_vline_centred(rs, 0, 2 * r);
        c_vline_centred(B, 0, 2 * (r + rs));
        c_vline_centred(B - rs, 0, 2 * r);
        c_setlayer(1);
        c_hline_centred(B / 2, 0, 1.05L * B);
    }
}

} // namespace kt4::drawings
