#include "foundation/maths.h"

#include "foundation/numstr.h"
#include "foundation/settings.h"

#include <cmath>
#include <limits>

namespace kt4 {

namespace {

constexpr Real PowerClampLog = 3000;
constexpr Real PowerClampValue = 1E3000L;

std::int64_t ClampToInt64(Real X)
{
    constexpr Real lo = static_cast<Real>(std::numeric_limits<std::int64_t>::min());
    constexpr Real hi = static_cast<Real>(std::numeric_limits<std::int64_t>::max());
    if (std::isnan(X))
        return 0;
    if (X <= lo)
        return std::numeric_limits<std::int64_t>::min();
    if (X >= hi)
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(X);
}

void Warn(const std::string& text)
{
    if (!settings::HideWarnings)
        settings::AddMessage(text);
}

} // namespace

std::int64_t Round(Real X)
{
    // nearbyint rounds halves to the even neighbour in the default mode
    return ClampToInt64(std::nearbyint(X));
}

std::int64_t Trunc(Real X) { return ClampToInt64(std::trunc(X)); }

Real Frac(Real X) { return X - std::trunc(X); }

Real ArcSinChecked(Real X)
{
    if (std::fabs(X) > 1) {
        Warn("Error: ArcSin " + FloatStr(X));
        return Pi / 2;
    }
    return std::asin(X);
}

Real ArcCosChecked(Real X)
{
    if (std::fabs(X) > 1) {
        Warn("Error: ArcCos " + FloatStr(X));
        return 0;
    }
    return std::acos(X);
}

Real PowerChecked(const std::string& Name, Real Base, Real Exponent)
{
    if (Base == 0)
        return 0;
    if (Base < 0 && !Name.empty())
        Warn(Name + " (pow)");
    Real l = Exponent * std::log(std::fabs(Base));
    if (l > PowerClampLog)
        return PowerClampValue;
    if (l < -PowerClampLog)
        return 0;
    return std::exp(l);
}

Real RoundDecimals(Integer N, Real X)
{
    Real f = IntPower(N, 10);
    return std::nearbyint(X * f) / f;
}

Real TanReal(Real A) { return std::tan(A); }

Real IntPower(Integer N, Real X)
{
    Real r = 1;
    std::int64_t n = N < 0 ? -static_cast<std::int64_t>(N) : N;
    for (std::int64_t k = 0; k < n; ++k)
        r *= X;
    return N < 0 ? 1 / r : r;
}

Real Hypot(Real X, Real Y) { return std::sqrt(X * X + Y * Y); }

Real ArcTanXY(Real X, Real Y)
{
    if (X == 0)
        return Y >= 0 ? Pi / 2 : -Pi / 2;
    Real a = std::atan(Y / X);
    return X < 0 ? a + Pi : a;
}

Real ArcTanYX(Real Y, Real X) { return ArcTanXY(X, Y); }

void PolarToXY(Real R, Real Phi, Real& X, Real& Y)
{
    X = R * std::cos(Phi);
    Y = R * std::sin(Phi);
}

void XYToPolar(Real X, Real Y, Real& R, Real& Phi)
{
    R = Hypot(X, Y);
    Phi = ArcTanXY(X, Y);
}

Real RadToDeg(Real X) { return X * 180 / Pi; }
Real DegToRad(Real X) { return X * Pi / 180; }

Real Log10(Real X) { return X <= 0 ? 0 : std::log10(X); }

Real Power10(Real X) { return std::exp(X * std::log(Real(10))); }

Real Involute(Real A) { return TanReal(A) - A; }

Real IntFloor(Real X) { return std::floor(X); }

Integer DecimalExponent(Real X)
{
    X = std::fabs(X);
    if (X == 0 || !std::isfinite(X))
        return 0;
    // log10 may land just below a whole number at exact powers of ten:
    // correct against 10^e <= X < 10^(e+1).
    auto e = static_cast<Integer>(std::floor(std::log10(X)));
    if (IntPower(e + 1, 10) <= X)
        ++e;
    else if (IntPower(e, 10) > X)
        --e;
    return e;
}

void RotatePoint(Real& X, Real& Y, Real Phi)
{
    Real c = std::cos(Phi), s = std::sin(Phi);
    Real x = X * c - Y * s;
    Y = Y * c + X * s;
    X = x;
}

void RotateMovePoint(Real X0, Real Y0, Real A, Real& X, Real& Y)
{
    Real r = DegToRad(A);
    Real c = std::cos(r), s = std::sin(r);
    Real x = X0 + X * c - Y * s;
    Y = Y0 + X * s + Y * c;
    X = x;
}

void TransformPoint(Real SX, Real SY, Real X0, Real Y0, Real A, Real& X, Real& Y)
{
    X *= SX;
    Y *= SY;
    RotateMovePoint(X0, Y0, A, X, Y);
}

bool SameReal(Real A, Real B) { return std::fabs(A - B) < SameTolerance; }
Real MaxReal(Real A, Real B) { return A > B ? A : B; }
Real MinReal(Real A, Real B) { return A < B ? A : B; }
Integer IMax(Integer I, Integer J) { return I > J ? I : J; }
Integer IMin(Integer I, Integer J) { return I < J ? I : J; }
Integer LimitInt(Integer Lo, Integer Hi, Integer V) { return IMin(IMax(Lo, V), Hi); }

void SwapReal(Real& A, Real& B)
{
    Real t = A;
    A = B;
    B = t;
}

Real Interpolate(Real X1, Real Y1, Real X2, Real Y2, Real X)
{
    // Two table rows at the same X: take the first value rather than 0.
    if (X1 == X2)
        return Y1;
    return Y1 + (X - X1) * (Y2 - Y1) / (X2 - X1);
}

Real SignReal(Real X) { return X >= 0 ? 1.0L : -1.0L; }

Real SweepAngle(Real A1, Real A2, Integer Dir)
{
    Real d = (Frac(A2 / 360) - Frac(A1 / 360)) * 360;
    if (Dir >= 0) {
        if (d < 0)
            d += 360;
        return d;
    }
    d = -d;
    if (d < 0)
        d += 360;
    return -d;
}

Real MeanReal(Real A, Real B) { return (A + B) / 2; }

} // namespace kt4
