#include "drawings/part_drawings.h"

#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "drawings/part_contours.h"
#include "drive/bearing_types.h"
#include "drive/drive_data.h"
#include "foundation/codepage.h"
#include "foundation/maths.h"

#include <algorithm>
#include <cmath>

namespace kt4::drawings {

using namespace cad;
using namespace drive;

namespace {

Real Cb() { return FitClearanceBore; }
Real Cs() { return FitClearanceShaft; }

const WaelzLagerTyp& Slot(Word k) { return bearings::BearingSlots[k]; }

// A slot whose ring dimensions can be drawn and built on.
bool SlotHasGeometry(Word k)
{
    const WaelzLagerTyp& b = Slot(k);
    return BearingSlotUsed(k) && b.D > b.d && b.B > 0;
}

Real SlotD(Word k) { return BearingSlotUsed(k) ? Slot(k).D : 0; }
Real SlotB(Word k) { return BearingSlotUsed(k) ? Slot(k).B : 0; }

void ScrewHoles(Real r) { HolesOnCircle(ns, dLkS, r); }

void Ribs(Real d1, Real d2, Real w)
{
    for (Integer j = 0; j < ns; ++j)
        DrawRib(j * 2 * Pi / ns, d1, d2, w);
}

Real EccentricShaftLength() { return L1 + bLg1 + bOver + bP + bOver + std::max<Real>(bLg3, 0); }
Real OutputShaftLength() { return bs + cax + bLg45 + L2; }

struct PartEntry {
    Word view;
    const char* name;   // as the STL menu calls it (UTF-8)
    Real (*thickness)(); // its own length or thickness along z
    Word slot;          // the bearing slot the part is built around, 0 = none
};

const PartEntry Parts[] = {
    {7, "Rolle", [] { return bPOver; }, 0},
    {8, "Lagerdeckel (Abtrieb) geschlossen voll", [] { return bLg45; }, 0},
    {9, "Lagerdeckel (Antrieb) geschlossen voll", [] { return bLg1; }, 0},
    {10, "Exzenterwelle", EccentricShaftLength, 0},
    {11, "Abtriebswelle", OutputShaftLength, 0},
    {12, "Planetenrad", [] { return bP; }, 0},
    {13, "Hohlrad", [] { return bH; }, 0},
    {14, "Distanzscheibe (Abtrieb) voll", [] { return bsDist; }, 0},
    {15, "Lagerdeckel (Abtrieb) offen voll", [] { return bLg45; }, 0},
    {16, "Lagerdeckel (Abtrieb) geschlossen dünn", OutputCoverPlate, 4},
    {17, "Lagerdeckel (Antrieb) offen voll", [] { return bLg1; }, 0},
    {18, "Lagerdeckel (Antrieb) geschlossen dünn", InputCoverPlate, 0},
    {19, "Lagerdeckel (Abtrieb) offen dünn", OutputCoverPlate, 4},
    {20, "Lagerdeckel (Antrieb) offen dünn", InputCoverPlate, 1},
    {22, "Distanzscheibe (Abtrieb) dünn", [] { return bsDist; }, 0},
};

} // namespace

Real InputCoverPlate() { return std::max(bs / 4, SlotB(1) / 4); }
Real OutputCoverPlate() { return std::min(bs / 4, SlotB(4) / 4); }

std::string PartRefusal(Word view)
{
    for (const PartEntry& p : Parts) {
        if (p.view != view)
            continue;
        const std::string name = p.name;
        if (p.slot != 0 && !SlotHasGeometry(p.slot))
            return DisplayToOem(name + ": Lager " + std::to_string(p.slot) +
                                " ist nicht belegt (Durchmesser und Breite fehlen)");
        if (!(p.thickness() > 0))
            return DisplayToOem(name + ": Dicke bzw. Länge <= 0");
        if (view == 7 && !(dz + Cb() > 0 && dR - Cs() > dz + Cb()))
            return DisplayToOem(name + ": keine Wand (dR - Spiel Welle <= dz + Spiel Bohrung)");
        return {};
    }
    return {};
}

std::string PartName(Word view)
{
    for (const PartEntry& p : Parts)
        if (p.view == view)
            return p.name;
    return {};
}

std::string OutputDiskMessage()
{
    return DisplayToOem("Die Abtriebscheibe ist Teil der Abtriebswelle: STL > Abtriebswelle");
}

void DrawRoller() { DrawTubeProfile(dR - Cs(), dz + Cb(), bPOver); }

void DrawCoverInput(Integer variant)
{
    const Real t = InputCoverPlate();
    PartZRange(0, bLg1);
    switch (variant) {
    case 1:
        OuterCircle(0, 0, dHe / 2);
        HoleCircle(0, 0, deLg1 / 2 + Cb() / 2);
        break;
    case 2:
        DrawOpenFlange(ns, deLg1 + Cb(), dHe, 2, 0, dS + 3, 0);
        break;
    case 3:
    case 4:
        PartZRange(0, t);
        if (variant == 4)
            DrawOpenFlange(ns, SlotD(1) + Cb(), dHe, t, 0, 2 * t + dS, 0);
        else
            OuterCircle(0, 0, dHe / 2);
        PartZRange(t, bLg1);
        OuterCircle(0, 0, deLg1 / 2 + t);
        Ribs(2 * t + deLg1, (2 * t + deLg1 + dLkS - dS) / 2, 0.3L * t);
        PartZRange(variant == 4 ? t : 0, bLg1);
        HoleCircle(0, 0, deLg1 / 2 + Cb() / 2);
        PartZRange(0, t);
        break;
    default:
        return;
    }
    ScrewHoles(dS / 2 + Cb() / 2);
}

void DrawCoverOutput(Integer variant)
{
    const Real t = OutputCoverPlate();
    const Real D4 = SlotD(4), B4 = SlotB(4);
    PartZRange(0, bLg45);
    switch (variant) {
    case 1:
        OuterCircle(0, 0, dHe / 2);
        HoleCircle(0, 0, deLg4 / 2 + Cb() / 2);
        break;
    case 2:
        DrawOpenFlange(ns, deLg4 + Cb(), dHe, 2, 0, dS + 3, 0);
        break;
    case 3:
    case 4: {
        const Real D45 = std::max(D4, SlotD(5));
        PartZRange(0, t);
        if (variant == 4)
            DrawOpenFlange(ns, D4 + Cb(), dHe, t, 0, 2 * t + dS, 0);
        else
            OuterCircle(0, 0, dHe / 2);
        PartZRange(t, bLg45);
        OuterCircle(0, 0, D45 / 2 + t);
        Ribs(D45 + 2 * t, dLkS - 2.5L * dS, 0.25L * t);
        PartZRange(variant == 4 ? t : 0, B4);
        HoleCircle(0, 0, D4 / 2 + Cb() / 2);
        if (BearingSlotUsed(5)) {
            const Real B5 = Slot(5).B;
            PartZRange(B4, bLg45 - B5);
            HoleCircle(0, 0, D4 / 2 - 0.5L);
            PartZRange(bLg45 - B5, bLg45);
            HoleCircle(0, 0, Slot(5).D / 2 + Cb()); // the whole allowance on the radius
        }
        PartZRange(0, t);
        break;
    }
    default:
        return;
    }
    ScrewHoles(dS / 2 + Cb() / 2);
}

void DrawEccentricShaft()
{
    const Real Z1 = L1 + bLg1 + bOver;
    PartZRange(0, Z1);
    OuterCircle(0, 0, d1 / 2 - Cs() / 2); // input shaft
    PartZRange(Z1, Z1 + bP + bOver);
    OuterCircle(exz, 0, dexz / 2 - Cs() / 2); // eccentric pin
    if (bLg3 > 0) {
        PartZLength(Z1 + bP + bOver, bLg3);
        OuterCircle(0, 0, diLg3 / 2 - Cs() / 2); // journal in bearing 3
    }
    if (diShaft1 > 0) {
        PartZRange(0, L1);
        HoleCircle(0, 0, diShaft1 / 2 + Cb() / 2);
    }
}

void DrawOutputShaft(bool withRollers)
{
    const Real end = bs + cax + bLg45 + L2;
    PartZRange(0, bs);
    OuterCircle(0, 0, des / 2);
    if (withRollers)
        c_setlayer(17);
    for (Integer j = 0; j < nz; ++j) {
        const Real a = 2 * Pi * j / nz;
        const Real x = dlk / 2 * std::cos(a), y = dlk / 2 * std::sin(a);
        HoleCircle(x, y, dz / 2 + Cb() / 2);
        if (withRollers)
            OuterCircle(x, y, dR / 2);
    }
    if (withRollers)
        c_setlayer(21);
    PartZRange(bs, bs + cax / 2);
    OuterCircle(0, 0, d2 / 2 + 0.1L * bLg45); // collar
    PartZRange(bs + cax / 2, end);
    OuterCircle(0, 0, d2 / 2 - Cs() / 2);
    if (deLg3 > 0) {
        PartZRange(0, bLg3 + cax);
        HoleCircle(0, 0, deLg3 / 2 + Cb() / 2); // seat of bearing 3
    }
    if (diShaft2 > 0) {
        PartZRange(bLg3 + cax, end);
        HoleCircle(0, 0, diShaft2 / 2 - Cs()); // the whole allowance on the radius
    }
}

void DrawWheel(Real x, Real y)
{
    PartZRange(0, bP);
    DrawLobedContour(zW, x, y, dp, -0.2L);
    if (PartZValid() && dp > 0)
        c_hline(x + dp / 2, y, -0.02L * dp); // mark towards the centre
    HoleCircle(x, y, diw / 2);
    for (Integer j = 0; j < nz; ++j) {
        const Real a = 2 * Pi * j / nz;
        HoleCircle(x + dlk / 2 * std::cos(a), y + dlk / 2 * std::sin(a), dzw / 2);
    }
}

void DrawRingGear()
{
    PartZRange(0, bH);
    DrawLobedContour(zH, 0, 0, dH, 0.2L, true); // the toothing bounds a hole
    OuterCircle(0, 0, dHe / 2);
    ScrewHoles(dS / 2);
}

void DrawSpacerFull()
{
    PartZRange(0, bsDist);
    OuterCircle(0, 0, dHe / 2);
    HoleCircle(0, 0, didist / 2);
    ScrewHoles(dS / 2);
}

void DrawSpacerThin()
{
    PartZRange(0, bsDist);
    DrawLugRing(2, ns, dHe, (dHe - dLkS - dS) / 2, dS + Cs());
}

void DrawOutputDisk() {}

} // namespace kt4::drawings
