// The user's choice of the X and Y source of a deep-groove ball bearing.
#include "drive/bearing_factors.h"
#include "drive/bearing_types.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/helptext.h"
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
    SetHelpNumber(HelpX);
    InputReal("Lastverteilungsfaktor radial dynamisch  X", b.X, 0, 100);
    if (settings::AbortFlag)
        return;
    SetHelpNumber(HelpY);
    InputReal("Lastverteilungsfaktor axial dynamisch  Y", b.Y, 0, 100);
}

void BearingClearanceChoice(Word Slot, Real Fr, Real Fa)
{
    if (!ValidSlot(Slot))
        return;
    auto& b = bearings::BearingSlots[Slot];
    for (Word i = 1; i <= ClearanceChoiceTexts.size(); ++i)
        settings::DialogLines[i] = ClearanceChoiceTexts[i];
    SetHelpNumber(HelpClearance);
    Word choice = b.Clearance;
    ChoiceDialog("Radial- und Axialfaktor", ClearanceChoiceTexts.size(), choice);
    if (settings::AbortFlag)
        return;
    b.Clearance = choice;
    if (choice == ClearanceEntered) {
        InputXYFactors(Slot);
        return;
    }
    const std::string path = ClearanceFilePath(choice);
    if (FindFileNoCase(path).empty())
        ErrorBox("Datei " + path + " nicht gefunden oder kein Zugriffsrecht !");
    BearingXYFactors(path, b.X, b.Y, Fr, Fa, b.C0);
}

} // namespace kt4
