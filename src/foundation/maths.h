// Maths routines on design values: checked inverse trigonometry and power
// that report range errors into the message list instead of failing, angle
// and point routines for drawings, rounding and comparison, interpolation
// for table look-up, and the factors between internal metric values and
// imperial units.
#pragma once

#include "foundation/types.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <string>

namespace kt4 {

inline constexpr Real Pi = std::numbers::pi_v<Real>;

// 10^k for k = 0..27, each exact in the extended type (5^27 < 2^64), and
// so exact in double up to 10^22 and in 64 bits up to 10^19.
inline constexpr std::array<Real, 28> PowersOfTen = [] {
    std::array<Real, 28> p{};
    Real x = 1;
    for (Real& v : p) {
        v = x;
        x *= 10;
    }
    return p;
}();
static_assert(PowersOfTen[19] == 1E19L && PowersOfTen[27] == 1E27L);

// The first N of them in another type (double, a 64-bit integer).
template <class T, std::size_t N>
constexpr std::array<T, N> PowersOfTenAs()
{
    static_assert(N <= PowersOfTen.size());
    std::array<T, N> p{};
    for (std::size_t k = 0; k < N; ++k)
        p[k] = static_cast<T>(PowersOfTen[k]);
    return p;
}
// Values closer than this count as equal (SameReal).
inline constexpr Real SameTolerance = 1E-5L;

// Rounding to a whole number: halves go to the even neighbour. Trunc cuts
// towards zero. Frac keeps the sign of its argument.
std::int64_t Round(Real X);
std::int64_t Trunc(Real X);
Real Frac(Real X);

// Checked functions. Out of range they return a fixed value and add a text
// to the message list (unless HideWarnings is set):
//   ArcSinChecked: abs(X) > 1 gives pi/2 and "Error: ArcSin " + X
//   ArcCosChecked: abs(X) > 1 gives 0 and "Error: ArcCos " + X
//   PowerChecked: Base < 0 gives abs(Base)^Exponent and Name + " (pow)"
//                 (nothing added for an empty Name); Base = 0 gives 0; an
//                 exponent of the result beyond 1E3000 gives 1E3000, below
//                 1E-3000 gives 0.
Real ArcSinChecked(Real X);
Real ArcCosChecked(Real X);
Real PowerChecked(const std::string& Name, Real Base, Real Exponent);

Real RoundDecimals(Integer N, Real X);
Real TanReal(Real A);
// X^N by repeated multiplication; N < 0 gives 1 / X^abs(N).
Real IntPower(Integer N, Real X);
Real Hypot(Real X, Real Y);
// Angle of the point (X, Y), from -pi/2 up to 3pi/2.
Real ArcTanXY(Real X, Real Y);
Real ArcTanYX(Real Y, Real X);
void PolarToXY(Real R, Real Phi, Real& X, Real& Y);
void XYToPolar(Real X, Real Y, Real& R, Real& Phi);
Real RadToDeg(Real X);
Real DegToRad(Real X);
// Decimal logarithm; X <= 0 gives 0.
Real Log10(Real X);
Real Power10(Real X);
Real Involute(Real A);
Real IntFloor(Real X);
// The e with 10^e <= abs(X) < 10^(e+1); 0 for X = 0.
Integer DecimalExponent(Real X);

void RotatePoint(Real& X, Real& Y, Real Phi);
// X' = X0 + X cos A - Y sin A, Y' = Y0 + X sin A + Y cos A (A in degrees)
void RotateMovePoint(Real X0, Real Y0, Real A, Real& X, Real& Y);
// Scale, rotate (degrees) and move: the transformation of a block insert.
void TransformPoint(Real SX, Real SY, Real X0, Real Y0, Real A, Real& X, Real& Y);

bool SameReal(Real A, Real B);
Real MaxReal(Real A, Real B);
Real MinReal(Real A, Real B);
Integer IMax(Integer I, Integer J);
Integer IMin(Integer I, Integer J);
Integer LimitInt(Integer Lo, Integer Hi, Integer V);
void SwapReal(Real& A, Real& B);
// Straight line through (X1, Y1) and (X2, Y2) at X; with X1 = X2 the
// result is Y1.
Real Interpolate(Real X1, Real Y1, Real X2, Real Y2, Real X);
Real SignReal(Real X);
// Degrees swept from A1 to A2: Dir >= 0 counter-clockwise (0..360),
// Dir < 0 clockwise (-360..0).
Real SweepAngle(Real A1, Real A2, Integer Dir);
Real MeanReal(Real A, Real B);

// Unit factors; internal units are mm, N, MPa, N m and degrees Celsius.
inline constexpr Real MmPerInch = 25.4L;
inline constexpr Real PsiPerMPa = 145.037L;
inline constexpr Real NmPerLbfIn = 0.112984788L;
inline constexpr Real NPerLbf = 4.44822L;

inline Real InchToMm(Real X) { return X * MmPerInch; }
inline Real MmToInch(Real X) { return X / MmPerInch; }
inline Real MPaToPsi(Real X) { return X * PsiPerMPa; }
inline Real LbfInToNm(Real X) { return X * NmPerLbfIn; }
inline Real NmToLbfIn(Real X) { return X / NmPerLbfIn; }
inline Real LbfToN(Real X) { return X * NPerLbf; }
inline Real NToLbf(Real X) { return X / NPerLbf; }
inline Real CelsiusToFahrenheit(Real X) { return X * 1.8L + 32; }

} // namespace kt4
