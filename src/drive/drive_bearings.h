// Where the drive calculation meets the five bearing slots: the widths of
// the output-shaft bearings for the load positions, and handing the radial
// loads to the bearing calculation.
#pragma once

#include "foundation/types.h"

namespace kt4::drive {

// Width B of the bearing in slot 1..5 (0 for an empty slot).
Real BearingWidth(Word slot);

// Stores the amount of FrLager[k] as the load of slot k and runs the
// bearing calculation for slots 1 to 5 in order (axial load 0; input speed
// for 1 to 3, output speed for 4 and 5). Messages and flags of the bearing
// calculation do not stop the drive calculation.
void CalculateBearings();

} // namespace kt4::drive
