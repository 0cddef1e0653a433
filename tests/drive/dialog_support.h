// Shared by the dialog tests (with and without windows).
#pragma once

#include "foundation/ui_headless.h"

#include <string>

namespace kt4::drivetest {

// True when the dialog layer refused Text with its box
// "Ungültige Eingabe "<text>" !".
inline bool RefusalShown(const HeadlessUi& Ui, const std::string& Text)
{
    for (const auto& entry : Ui.Log())
        if (entry.find("Ung\xC3\xBCltige Eingabe \"" + Text + "\" !") != std::string::npos)
            return true;
    return false;
}

} // namespace kt4::drivetest
