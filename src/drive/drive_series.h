// Standard sizes shared by the drive calculation and the preliminary
// design: the standard diameter series, the standard bearing width of a
// bore, and the section values of round (hollow) shafts.
#pragma once

#include "foundation/types.h"

namespace kt4::drive {

// The standard diameter series, 3 to 1500 mm.
inline constexpr std::size_t StdDiameterCount = 72;
extern const Array1<Real, StdDiameterCount> StdDiameters;
// Bores with a standard bearing width (the series without 95) and the widths.
inline constexpr std::size_t StdBoreCount = 71;
extern const Array1<Real, StdBoreCount> StdBores;
extern const Array1<Real, StdBoreCount> StdWidths;

// Direction 0: the series value at or above D; +1: the next value strictly
// above D; -1: the next value strictly below D. Above the series the result
// is 1500 (0, +1) or 1400 (-1); below it -1 gives 3.
Real NextStdDiameter(Integer Direction, Real D);
// The standard width of a bearing with bore D; 0 for a bore off the series.
Real StdBearingWidth(Real D);

// Sections of a shaft with outer diameter D and bore d (mm^4 / mm^3).
Real SectionIp(Real D, Real d); // polar moment of inertia, no guard
Real SectionWp(Real D, Real d); // polar section modulus, 0 unless D > d (and D <> 0)
Real SectionW(Real d);          // pi/32 d^3, solid shaft
Real SectionI(Real D, Real d);  // moment of inertia, 0 unless D > d
Real SectionWb(Real D, Real d); // bending section modulus, 0 when D = 0

} // namespace kt4::drive
