// The preliminary design: a complete drive from the drive data. Shaft
// diameters come from the torques, four deep-groove ball bearings from the
// catalogue, the wheels from the ratio, every further size from fixed
// proportions; then the drive is calculated.
#pragma once

#include "foundation/types.h"

namespace kt4::drive {

// Step 0 derives the shaft diameters and the hollow wheel from the loads;
// step 2 starts from the typed shaft diameters and hollow wheel and only
// takes them to the standard series. A bearing pick that does not deliver
// the bore asked for (the catalogue has none) ends the design with
// "Fatal  : kein Lager d = <d> im Katalog (Lager <k>)" and CalcErrorFlag,
// before anything is calculated.
//
// The design is one transaction, its final calculation included: when it
// stops or the calculation refuses the design (CalcErrorFlag), every drive
// value and bearing slot is as it was before it began, CalcErrorFlag stays
// set and the fatal messages stand in the list. A design that runs to its
// end keeps its own messages and those of its picks ("d abtr (pow)", ...)
// in the list before those of the final calculation.
void CalcPreDesign(Integer Step);

} // namespace kt4::drive
