#include "drive/drive_bearings.h"

#include "drive/bearing_calc.h"
#include "drive/bearing_types.h"
#include "drive/drive_data.h"

#include <cmath>

namespace kt4::drive {

using bearings::BearingSlots;

namespace {

// How each slot is computed: arrangement and variant (read by angular-contact
// bearings only) and the shaft whose speed it runs at.
struct SlotCall {
    Word arrangement, variant, shaft;
};

constexpr SlotCall SlotCalls[BearingSlotCount] = {
    {2, 0, 1}, // input shaft
    {1, 1, 1}, // eccentric
    {1, 1, 1}, // between input and output shaft
    {2, 1, 2}, // output shaft
    {2, 1, 2}, // output shaft, second bearing
};

} // namespace

Real BearingWidth(Word slot) { return BearingSlots[slot].B; }

void CalculateBearings()
{
    // FrLager of bearings 1 and 3 keeps its sign (an external force against
    // the gear forces can pull it below 0); a bearing carries the amount.
    for (Word k = 1; k <= BearingSlotCount; ++k)
        BearingSlots[k].Fr = std::fabs(FrLager[k]);
    for (Word k = 1; k <= BearingSlotCount; ++k) {
        const SlotCall& c = SlotCalls[k - 1];
        BearingCalc(k, c.arrangement, c.variant, BearingSlots[k].Fr, 0, n[c.shaft]);
    }
}

} // namespace kt4::drive
