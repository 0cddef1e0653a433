#include "drive/drive_bearings.h"

#include "drive/bearing_types.h"
#include "drive/drive_data.h"

namespace kt4::drive {

using bearings::BearingSlots;

Real BearingWidth(Word slot) { return BearingSlots[slot].B; }

void CalculateBearings()
{
    for (Word k = 1; k <= BearingSlotCount; ++k)
        BearingSlots[k].Fr = FrLager[k];
}

} // namespace kt4::drive
