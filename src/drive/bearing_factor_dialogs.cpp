// The user's choice of the X and Y source of a deep-groove ball bearing.
#include "drive/bearing_factors.h"
#include "drive/bearing_types.h"
#include "drive/bearing_ui.h"
#include "foundation/files.h"
#include "foundation/settings.h"

namespace kt4 {

namespace {

constexpr Word HelpClearance = 4120;
constexpr Word HelpX = 4100;
constexpr Word HelpY = 4110;

bool ValidSlot(Word Slot) { return Slot >= 1 && Slot <= BearingSlotCount; }

} // namespace

void InputXYFactors(Word Slot)
{
    if (!ValidSlot(Slot))
        return;
    auto& b = bearings::BearingSlots[Slot];
    bearing_ui::SetHelp(HelpX);
    bearing_ui::InputReal("Lastverteilungsfaktor radial dynamisch  X", b.X, 0, 100);
    if (settings::AbortFlag)
        return;
    bearing_ui::SetHelp(HelpY);
    bearing_ui::InputReal("Lastverteilungsfaktor axial dynamisch  Y", b.Y, 0, 100);
}

void BearingClearanceChoice(Word Slot, Real Fr, Real Fa)
{
    if (!ValidSlot(Slot))
        return;
    auto& b = bearings::BearingSlots[Slot];
    for (Word i = 1; i <= ClearanceChoiceTexts.size(); ++i)
        settings::DialogLines[i] = ClearanceChoiceTexts[i];
    bearing_ui::SetHelp(HelpClearance);
    Word choice = b.Clearance;
    bearing_ui::Choice("Radial- und Axialfaktor", ClearanceChoiceTexts.size(), choice);
    if (settings::AbortFlag)
        return;
    b.Clearance = choice;
    if (choice == ClearanceEntered) {
        InputXYFactors(Slot);
        return;
    }
    const std::string path = ClearanceFilePath(choice);
    if (FindFileNoCase(path).empty())
        bearing_ui::ErrorBox("Datei " + path + " nicht gefunden oder kein Zugriffsrecht !");
    BearingXYFactors(path, b.X, b.Y, Fr, Fa, b.C0);
}

} // namespace kt4
