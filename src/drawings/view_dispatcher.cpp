#include "drawings/view_dispatcher.h"

#include "cad/cad_device.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "drawings/assembly_section.h"
#include "drawings/bearing_section.h"
#include "drawings/overview_page.h"
#include "drawings/part_contours.h"
#include "drawings/part_drawings.h"
#include "drawings/power_flow.h"
#include "drive/drive_data.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/explain.h"
#include "foundation/helptext.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"

#include <iostream>

namespace kt4::drawings {

using namespace cad;

namespace {

enum class Frame { DefaultPage, HollowWheel, Housing };
enum class Blocks { None, Bearings, Overview };

struct ViewEntry {
    Frame frame;
    Blocks blocks;
    void (*content)();
};

void Nothing() {}

void PowerFlow()
{
    using namespace drive;
    DrawPowerFlowScheme({T[1], T[2], T[3]}, {n[1], n[2], n[3]}, {P[1], P[2], P[3]}, 80, 60, 10, Pw,
                        i0);
}

// Views 0..22 by number.
const ViewEntry Views[LastView + 1] = {
    {Frame::DefaultPage, Blocks::None, Nothing},                           // 0
    {Frame::DefaultPage, Blocks::Overview, DrawOverviewPage},              // 1
    {Frame::HollowWheel, Blocks::None, Nothing},                           // 2
    {Frame::Housing, Blocks::Bearings, DrawAssemblySection},               // 3
    {Frame::DefaultPage, Blocks::None, Nothing},                           // 4
    {Frame::DefaultPage, Blocks::None, Nothing},                           // 5
    {Frame::HollowWheel, Blocks::None, DrawOutputDisk},                    // 6
    {Frame::HollowWheel, Blocks::None, DrawRoller},                        // 7
    {Frame::Housing, Blocks::None, [] { DrawCoverOutput(1); }},            // 8
    {Frame::Housing, Blocks::None, [] { DrawCoverInput(1); }},             // 9
    {Frame::HollowWheel, Blocks::None, DrawEccentricShaft},                // 10
    {Frame::HollowWheel, Blocks::None, [] { DrawOutputShaft(false); }},    // 11
    {Frame::HollowWheel, Blocks::None, [] { DrawWheel(0, 0); }},           // 12
    {Frame::Housing, Blocks::None, DrawRingGear},                          // 13
    {Frame::Housing, Blocks::None, DrawSpacerFull},                        // 14
    {Frame::Housing, Blocks::None, [] { DrawCoverOutput(2); }},            // 15
    {Frame::Housing, Blocks::None, [] { DrawCoverOutput(3); }},            // 16
    {Frame::HollowWheel, Blocks::None, [] { DrawCoverInput(2); }},         // 17
    {Frame::HollowWheel, Blocks::None, [] { DrawCoverInput(3); }},         // 18
    {Frame::Housing, Blocks::None, [] { DrawCoverOutput(4); }},            // 19
    {Frame::Housing, Blocks::None, [] { DrawCoverInput(4); }},             // 20
    {Frame::DefaultPage, Blocks::None, PowerFlow},                         // 21
    {Frame::Housing, Blocks::None, DrawSpacerThin},                        // 22
};

const ViewEntry& EntryOf(TViewNo view)
{
    static const ViewEntry beyond{Frame::DefaultPage, Blocks::None, Nothing};
    return view <= LastView ? Views[view] : beyond;
}

// The blocks of the overview page, in the order they are defined.
struct OverviewBlock {
    const char* name;
    Integer layer; // -1: the drawing sets its own
    void (*draw)();
};
const OverviewBlock OverviewBlocks[] = {
    {"H", 5, DrawRingGear},
    {"W", 19, [] { DrawWheel(0, 0); }},
    {"EXZ", 18, DrawEccentricShaft},
    {"abtr", 21, [] { DrawOutputShaft(true); }},
    {"SA", -1, DrawAssemblySection},
};

// A stop inside a block (a hatch that failed) ends that block only; the
// next block and the drawing go on.
void EndBlock()
{
    c_endblock();
    settings::AbortFlag = false;
}

void DefineBlocks(Blocks blocks)
{
    if (blocks == Blocks::None)
        return;
    for (Word k = 1; k <= BearingSlotCount; ++k) {
        c_block(BearingBlockName(k));
        DrawBearing(k, 2);
        EndBlock();
    }
    if (blocks != Blocks::Overview)
        return;
    for (const OverviewBlock& b : OverviewBlocks) {
        c_block(b.name);
        if (b.layer >= 0)
            c_setlayer(b.layer);
        b.draw();
        EndBlock();
    }
}

void TellCalculationMessages()
{
    using namespace settings;
    if (Ui().Interactive()) {
        CalcMessagesDialog();
        return;
    }
    for (Word k = 1; k <= MessageCount; ++k)
        std::cerr << OemToDisplay(MessageTexts[k]) << "\n";
}

} // namespace

std::string BearingBlockName(Word slot) { return "lager" + std::to_string(slot); }

ViewFrame FrameOfView(TViewNo view)
{
    switch (EntryOf(view).frame) {
    case Frame::DefaultPage: return {true, 0};
    case Frame::Housing: return {false, drive::dHe / 2 + 1};
    case Frame::HollowWheel: break;
    }
    return {false, drive::dH / 2 + 1};
}

std::string BlankRefusal(TViewNo view)
{
    const std::string part = PartName(view);
    return DisplayToOem("Ansicht " + std::to_string(view) + (part.empty() ? "" : " (" + part + ")") +
                        ": keine Linie - STEP überträgt nur Linien, keine Kreise, Bögen und Texte");
}

std::string ViewRefusal(TViewNo view, Word mode)
{
    if (view == 6 && mode == cmStl)
        return OutputDiskMessage();
    return PartRefusal(view);
}

void DrawView(TViewNo view, Word device)
{
    if (settings::CalcErrorFlag) {
        TellCalculationMessages();
        return;
    }
    const std::string refusal = ViewRefusal(view, device != 0 ? device : CadMode);
    if (!refusal.empty()) {
        ErrorBoxAlways(refusal);
        settings::AbortFlag = true;
        return;
    }
    SetHelpTextNumber(8260);
    c_begin(device);
    if (settings::AbortFlag)
        return;
    c_setlayer(0);
    const ViewFrame frame = FrameOfView(view);
    if (frame.defaultPage)
        c_header_default();
    else
        c_header(-frame.half, -frame.half, frame.half, frame.half, 0);
    // The header's z range holds for the drawing, whatever range its
    // blocks' parts or an earlier drawing left.
    const Real z1 = CadZ1, z2 = CadZ2;
    PartZRange(z1, z2);
    c_tables(2);
    c_blocks();
    c_setlayer(5);
    const ViewEntry& entry = EntryOf(view);
    DefineBlocks(entry.blocks);
    c_endblocks();
    do {
        c_entities();
        PartZRange(z1, z2);
        c_setlayer(5);
        entry.content();
        c_endblocks();
    } while (!c_pass_done());
    c_end();
    if (CadJobBlank())
        ErrorBoxAlways(BlankRefusal(view));
}

void RedrawCurrentView() { DrawView(settings::ScreenViewMode == 5 ? 3 : 1, cmScreen); }

} // namespace kt4::drawings
