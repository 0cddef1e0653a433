// The power-flow scheme (view 21): the drive as a three-shaft planetary
// stage on a fixed page. A circle for the stage, the input shaft "S" at
// 210 degrees, the output shaft "C" at 330 and the hollow wheel "H" at 90,
// each with its torque, speed and power; the three ratios between the
// shafts, the stationary ratio and the rolling power. The shaft with the
// largest torque is drawn double.
#pragma once

#include "foundation/types.h"

#include <array>
#include <string>

namespace kt4::drawings {

// Values of shafts 1..3 at index 0..2.
using ShaftValues = std::array<Real, 3>;

// Draws the scheme round (xc, yc) with circle radius r; leaves layer 19
// current.
void DrawPowerFlowScheme(ShaftValues T, ShaftValues n, ShaftValues P, Real xc, Real yc, Real r,
                         Real Pw, Real i0);

// The shaft drawn double: the first k (1..3) of the largest |T|, 0 when
// all torques are 0.
int SummationShaft(const ShaftValues& T);

// A number of the scheme: RealStr, with a sign when Signed; "---" for a
// value that is no finite number.
std::string SchemeNumber(Real x, bool Signed);

} // namespace kt4::drawings
