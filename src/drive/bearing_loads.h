// The type blocks of the bearing calculation: equivalent loads, load
// factors, minimum load, permissible axial load and mass by bearing type.
// Used by BearingCalc only.
#pragma once

#include "drive/bearing_types.h"
#include "foundation/types.h"

namespace kt4 {

// The loads and settings one type block works on.
struct BearingLoadCase {
    WaelzLagerTyp& b;
    Word slot;
    Word arrangement, variant;
    Real Fr; // never 0
    Real Fa;
    Real n;
    Real dm; // (D + d) / 2
};

// Sets P0, P, Frm, FaPerm (and X, Y for type 1, e and Y for type 5, Mass
// for type 1) by the slot's type. A type outside 1..12 sets nothing.
void ApplyTypeBlock(BearingLoadCase& c);

} // namespace kt4
