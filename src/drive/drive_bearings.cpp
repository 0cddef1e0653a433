#include "drive/drive_bearings.h"

#include "drive/drive_data.h"

namespace kt4::drive {

Real BearingWidth(Word) { return 0; }

void CalculateBearings() {}

} // namespace kt4::drive
