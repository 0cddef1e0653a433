// A copy of the whole drive: every input and result value and the five
// bearing slots. Whoever calculates other drives on the globals (the
// project list computes each file there) takes one first and puts it back
// afterwards, so the open design comes back exactly.
#pragma once

#include "drive/bearing_types.h"
#include "foundation/types.h"

#include <vector>

namespace kt4::drive {

struct DriveSnapshot {
    std::vector<Real> reals;
    std::vector<Integer> integers;
    Array1<WaelzLagerTyp, BearingSlotCount> bearingSlots;
    bool operator==(const DriveSnapshot&) const = default;
};

DriveSnapshot CaptureDrive();
void RestoreDrive(const DriveSnapshot& S);

} // namespace kt4::drive
