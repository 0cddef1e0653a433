#include "drawings/animation.h"

#include "cad/cad_device.h"
#include "cad/cad_output.h"
#include "drawings/part_drawings.h"
#include "drive/drive_data.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/explain.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "graphics/graph_device.h"

#include <cmath>

namespace kt4::drawings {

using namespace cad;

namespace {

void Circle(Real x, Real y, Real r)
{
    if (r > 0)
        c_circle(x, y, r);
}

void DefineBlocks()
{
    using namespace drive;
    c_block("H");
    c_setlayer(5);
    DrawRingGear();
    c_endblock();

    c_block("antr");
    c_setlayer(18);
    Circle(exz, 0, dexz / 2); // the eccentric pin
    Circle(0, 0, d1 / 2);     // the input shaft
    if (d1 > 0)
        c_line(0, 0, d1 / 2, 0); // a mark that shows the turning
    c_endblock();

    c_block("waelz");
    c_setlayer(19);
    DrawWheel(0, 0);
    c_endblock();

    c_block("abtr");
    c_setlayer(21);
    Circle(0, 0, d2 / 2);
    Circle(0, 0, des / 2);
    if (d2 > 0)
        c_line(0.46L * d2, 0, 0.5L * d2, 0);
    if (des > 0)
        c_line(0.49L * des, 0, 0.5L * des, 0);
    c_setlayer(17);
    for (Integer j = 0; j < nz; ++j) {
        const Real a = 2 * Pi * j / nz;
        const Real x = dlk / 2 * std::cos(a), y = dlk / 2 * std::sin(a);
        Circle(x, y, dz / 2); // pin
        Circle(x, y, dR / 2); // roller
    }
    c_endblock();
}

// The moving parts at the input angle phi (radians).
void MovingParts(Real phi)
{
    const Real psi = phi / drive::i;
    c_insert("antr", 0, 0, RadToDeg(phi), 1, 1);
    c_insert("waelz", drive::exz * std::cos(phi), drive::exz * std::sin(phi), RadToDeg(psi), 1, 1);
    c_insert("abtr", 0, 0, RadToDeg(psi), 1, 1);
}

bool ParseField(const std::string& text, Integer lo, Integer hi, Integer& value)
{
    return TryStrToInteger(text, value) && value >= lo && value <= hi;
}

} // namespace

AnimationDialogHook& AnimationDialog()
{
    static AnimationDialogHook hook;
    return hook;
}

std::string AnimationInputError(const std::string& Frames, const std::string& Repeats,
                                const std::string& Pause, AnimationParams& Out, AnimationField& Field)
{
    AnimationParams v = Out;
    Field = AnimationField::Frames;
    if (!ParseField(Frames, 1, MaxAnimationFrames, v.frames))
        return "Anzahl der Einzelbilder: 1 .. 3600 !";
    Field = AnimationField::Repeats;
    if (!ParseField(Repeats, 0, MaxAnimationRepeats, v.repeats))
        return "Anzahl der Wiederholungen: 0 .. 100 !";
    Field = AnimationField::Pause;
    if (!ParseField(Pause, 0, MaxAnimationPause, v.pauseMs))
        return "Pause: 0 .. 10000 ms !";
    Field = AnimationField::Frames;
    if (v.frames * v.repeats > MaxAnimationImages)
        return DisplayToOem("Einzelbilder x Wiederholungen: höchstens 10000 !");
    Field = AnimationField::None;
    Out = v;
    return {};
}

void RunAnimation(Integer Mode)
{
    using settings::AbortFlag;
    if (settings::CalcErrorFlag) {
        CalcMessagesDialog();
        return;
    }
    if (drive::i == 0 || !std::isfinite(drive::i)) {
        ErrorBoxAlways(DisplayToOem("Übersetzung i = 0 : keine Animation !"));
        AbortFlag = true;
        return;
    }
    AnimationParams p;
    if (Mode == 2) {
        p.frames = 1;
        p.repeats = 1;
    } else if (AnimationDialog()) {
        AnimationParams asked;
        if (!AnimationDialog()(asked) || AbortFlag) {
            AbortFlag = true;
            return; // the previous picture stays
        }
        AnimationField field;
        const std::string refusal = AnimationInputError(IntStr(asked.frames), IntStr(asked.repeats),
                                                        IntStr(asked.pauseMs), asked, field);
        if (!refusal.empty()) {
            ErrorBoxAlways(refusal);
            AbortFlag = true;
            return;
        }
        graphics::GraphDevice.Window().SingleStep = asked.singleStep;
        p = asked;
    }
    DrawAnimation(p, cmScreen);
}

void DrawAnimation(const AnimationParams& P, Word Device)
{
    using settings::AbortFlag;
    if (AbortFlag || P.frames < 1)
        return;
    c_begin(Device);
    if (AbortFlag)
        return;
    const Real F = 0.51L * drive::dH;
    c_header(-F, -F, F, F, 0);
    c_tables(2);
    c_blocks();
    DefineBlocks();
    c_endblocks();
    c_entities();
    const Real step = 2 * Pi / P.frames;
    Real phi = 0;
    for (Integer rep = 1; rep <= P.repeats; ++rep) {
        for (Integer k = 0;; ++k) {
            c_setlayer(5);
            c_insert("H", 0, 0, 0, 1, 1); // the hollow wheel stands and is never erased
            c_setlayer(0);
            MovingParts(phi);
            if (!(k == P.frames && rep == P.repeats)) {
                c_sleep(P.pauseMs);
                c_setcolorscheme(2); // the background colour erases
                c_setlayer(0);
                MovingParts(phi);
                c_setcolorscheme(0);
            }
            phi += step;
            if (k + 1 > P.frames || AbortFlag)
                break;
        }
    }
    c_setlayer(0);
    c_endblocks();
    c_end();
}

} // namespace kt4::drawings
