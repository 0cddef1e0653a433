// Small maths and text helpers of the graphics module: rounding, angles,
// lenient number reading and the OEM-to-display conversion of drawn texts.
#pragma once

#include "foundation/types.h"

#include <string>
#include <string_view>

namespace kt4::graphics {

constexpr Real Pi = 3.141592653589793238462643383279502884L;

// Nearest integer, halves to the even neighbour; clamped to +-1e9 so that
// a far-off world point never overflows a pixel value.
Integer RoundInt(Real x);

Real RadToDeg(Real x);
Real DegToRad(Real x);
// Angle of the point (X, Y) in radians, -pi/2 up to 3pi/2; X = 0 gives
// +-pi/2 by the sign of Y.
Real ArcTanXY(Real x, Real y);
// (x, y) rotated counter-clockwise by phi radians.
void RotatePoint(Real& x, Real& y, Real phi);

// Reads a number with "," or "." as decimal separator; a text that is no
// number gives 0.
Real ValReal(std::string_view text);
// Reads an integer (optional sign, "$" for hexadecimal); failure gives 0.
Integer ValInteger(std::string_view text);

// Short text of a value for messages: up to 4 significant digits, "0"
// below 1E-5.
std::string ShortRealStr(Real x);

// Stored OEM text (code page 850) to display text (UTF-8).
std::string OemToDisplay(std::string_view oem);

} // namespace kt4::graphics
