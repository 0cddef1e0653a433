#include "foundation/units.h"

#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"

#include <array>

namespace kt4 {

namespace {

using settings::UnitSystem;

bool English() { return UnitSystem == 1; }
bool KiloNewton() { return UnitSystem == 2 || UnitSystem == 4; }

struct UnitLabels {
    const char* length;
    const char* force;
    const char* stress;
    const char* torque;
    const char* temp;
};

// "°" is 0xF8 and "²" is 0xFD in the OEM code page
constexpr std::array<UnitLabels, 5> Labels{{
    {"mm", "N", "MPa", "Nm", "\xF8" "C"},
    {"in", "lbf", "psi", "lbfin", " F"},
    {"mm", "kN", "MPa", "Nm", "\xF8" "C"},
    {"mm", "N", "N/mm\xFD", "Nm", "\xF8" "C"},
    {"mm", "kN", "N/mm\xFD", "Nm", "\xF8" "C"},
}};

// Systems outside 0..4 are shown like system 0.
const UnitLabels& Current() { return Labels[UnitSystem < Labels.size() ? UnitSystem : 0]; }

bool OwnConversion() { return settings::CharConversion == 1; }

} // namespace

Real ShownLength(Real X) { return English() ? MmToInch(X) : X; }

Real ShownForce(Real X)
{
    if (English())
        return NToLbf(X);
    return KiloNewton() ? X / 1000 : X;
}

Real ShownStress(Real X) { return English() ? MPaToPsi(X) : X; }
Real ShownTorque(Real X) { return English() ? NmToLbfIn(X) : X; }

std::string FormatLength(Real X)
{
    return English() ? RealStrDec(4, MmToInch(X)) : RealStr(X);
}

std::string FormatLengthFine(Real X)
{
    return English() ? RealStrDec(5, MmToInch(X)) : RealStr6(X);
}

std::string FormatForce(Real X)
{
    if (English())
        return RealStr(NToLbf(X));
    return RealStr(KiloNewton() ? X / 1000 : X);
}

std::string FormatTorque(Real X)
{
    return RealStr(English() ? NmToLbfIn(X) : X);
}

std::string FormatLengthWD(Real X, int I, int D)
{
    return English() ? FormatReal(MmToInch(X), IMax(I - 1, 1), D + 1) : FormatReal(X, I, D);
}

std::string FormatForceWD(Real X, int I, int D)
{
    if (English())
        return FormatReal(NToLbf(X), IMax(I - 1, 1), D + 1);
    if (KiloNewton())
        return FormatReal(X / 1000, IMax(I - 1, 1), D + 1);
    return FormatReal(X, I, D);
}

std::string FormatStressWD(Real X, int I, int D)
{
    return English() ? FormatReal(MPaToPsi(X), I + 2, IMax(D - 2, 0)) : FormatReal(X, I, D);
}

std::string FormatTorqueWD(Real X, int I, int D)
{
    return English() ? FormatReal(NmToLbfIn(X), I + 1, IMax(D - 1, 0)) : FormatReal(X, I, D);
}

std::string FormatTempWD(Real X, int I, int D)
{
    // fixed notation whatever the size: 125 degrees are no "1.3E+02"
    return FormatRealWide(English() ? CelsiusToFahrenheit(X) : X, I, D);
}

Real ReadLength(const std::string& S)
{
    Real v = StrToReal(S);
    return English() ? InchToMm(v) : v;
}

Real ReadForce(const std::string& S)
{
    Real v = StrToReal(S);
    if (English())
        return LbfToN(v);
    return KiloNewton() ? v * 1000 : v;
}

Real ReadTorque(const std::string& S)
{
    Real v = StrToReal(S);
    return English() ? LbfInToNm(v) : v;
}

void ToggleUnitSystem() { UnitSystem = UnitSystem == 1 ? 0 : 1; }

std::string LengthUnit() { return Current().length; }
std::string ForceUnit() { return Current().force; }
std::string StressUnit() { return Current().stress; }
std::string TorqueUnit() { return Current().torque; }

std::string TempUnit()
{
    if (OwnConversion() && !English())
        return " C";
    return Current().temp;
}

std::string DegreeUnit() { return OwnConversion() ? "deg" : "\xF8"; }

} // namespace kt4
