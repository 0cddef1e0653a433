#include "drawings/bearing_section.h"

#include "cad/cad_output.h"
#include "cad/cad_settings.h"

namespace kt4::drawings {

using namespace cad;

namespace {

struct SectionEntry {
    TBearingType code;
    TSectionRoutine routine; // nullptr: the label alone
};

// The section routine of every type code. Codes without a routine (and
// codes outside the table) draw the designation only.
const SectionEntry SectionTable[] = {
    {1, DrawDeepGrooveBallBearing},
    {2, DrawSelfAligningBallBearing},
    {3, DrawDrawnCupNeedleBearing},
    {4, DrawNeedleBearingNoInnerRing},
    {5, DrawCylindricalRollerBearing},
    {6, DrawTaperedRollerBearing},
    {7, DrawSphericalRollerBearing},
    {8, DrawAngularContactBallBearing},
    {9, DrawDoubleRowAngularContactBallBearing},
    {10, DrawNeedleCageAssembly},
    {11, DrawFullComplementRollerBearing},
    {12, DrawFullComplementNeedleBearing},
};

// A section routine may stop with the hatch builder in another mode; the
// drawing after it (the next bearing, the assembly) hatches with outline.
class HatchModeOne {
public:
    HatchModeOne() { HatchMode = 1; }
    ~HatchModeOne() { HatchMode = 1; }
    HatchModeOne(const HatchModeOne&) = delete;
    HatchModeOne& operator=(const HatchModeOne&) = delete;
};

} // namespace

TSectionRoutine SectionRoutine(TBearingType Code)
{
    for (const SectionEntry& e : SectionTable)
        if (e.code == Code)
            return e.routine;
    return nullptr;
}

bool BearingDrawable(const WaelzLagerTyp& b) { return b.d > 0 && b.D > b.d && b.B > 0; }

Real IntPowerPos(Real X, Integer N)
{
    Real p = 1;
    for (Integer k = 1; k <= N; ++k)
        p *= X;
    return p;
}

void DrawBearing(Word Slot, Word Mode)
{
    const WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    if (!BearingDrawable(b))
        return; // the block stays empty
    // The caller's layer is kept here, not in the layer store: the hatching
    // inside the section uses that store itself.
    const Integer callerLayer = CadLayer;
    if (TSectionRoutine routine = SectionRoutine(b.Typ)) {
        HatchModeOne hatchMode;
        routine(Slot, Mode);
    }
    c_setlayer(19);
    c_settextstyle(2, 0, 0.06L * b.B, 0);
    c_text(0, 0.51L * b.D, b.Designation);
    c_setlayer(callerLayer);
}

} // namespace kt4::drawings
