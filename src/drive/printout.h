// The calculation printout: main dimensions, the five bearings, loads and
// stresses of both shafts, gear and bolt forces, and the message list with
// causes and remedies, written through the report writer on the configured
// device. It shows what the last drive calculation left in the globals and
// calculates nothing itself.
#pragma once

#include "foundation/types.h"

#include <string>

namespace kt4::drive {

// The fixed German title of the product in the report title.
inline constexpr const char* PrintoutTitle = "Exzentergetriebe";

// Writes the printout on the device chosen by TextDevice / TextDeviceDialog
// (callers pass 0). After a failed calculation (CalcErrorFlag) the report
// holds the message section with causes and remedies instead of results.
// True when the results were written; false after a failed calculation or
// when the report could not be opened or written (AbortFlag).
bool WriteAusdruck(Integer arg = 0);

// The block of one bearing slot; nothing for a slot without designation or
// bore. An empty heading gives the title "LAGERDATEN für <type> <name>".
void WriteBearingAusdruck(Word slot, const std::string& heading, Real speed);

// "(EP)" when the slot's lubricant has EP additives, else "".
std::string BearingEPSuffix(Word slot);

} // namespace kt4::drive
