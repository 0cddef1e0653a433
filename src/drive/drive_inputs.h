// A copy of the drive's input values, as the input dialogs edit them: the
// geometry, the drive data and the ratio. A dialog works on its copy and
// puts it into the globals only when the user calculates, confirms or takes
// a bearing, so Cancel leaves the globals as they were. Every member has
// its row in the table of drive values (drive_values.h), which copies it.
#pragma once

#include "foundation/types.h"

namespace kt4::drive {

struct DriveInputs {
    Real dp = 0, diw = 0, dH = 0, bP = 0, bH = 0;
    Integer nz = 0;
    Real dz = 0, dR = 0, des = 0, bs = 0, dzw = 0, dlk = 0, dexz = 0, dHe = 0, dLkS = 0, dS = 0;
    Integer ns = 0;
    Real bLg1 = 0, bLg45 = 0, deLg1 = 0, deLg4 = 0, cax = 0, diLg3 = 0, deLg3 = 0, bLg3 = 0;
    Array1<Real, 3> P{}, n{}, T{};
    Real etaproz = 0;
    Integer nTPMode = 0, sideMode = 0;
    Real exz = 0, d1 = 0, d2 = 0, L1 = 0, L2 = 0, didist = 0, alpha = 0, KA = 0;
    Array1<Real, 2> FrShaft{};
    Real i = 0, iAbs = 0; // the ratio, which the dialogs read and set

    bool operator==(const DriveInputs&) const = default;
};

// The present globals.
DriveInputs CaptureDriveInputs();
// Puts Inputs into the globals.
void CommitDriveInputs(const DriveInputs& Inputs);

} // namespace kt4::drive
