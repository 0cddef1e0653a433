// Values in the unit system of the UnitSystem setting: formatting of the
// internal metric values (mm, N, MPa, N m, degrees Celsius), reading typed
// values back, and the unit labels.
//
//   UnitSystem  length force stress torque temperature
//   0           mm     N     MPa    Nm     °C
//   1 English   in     lbf   psi    lbfin  F
//   2           mm     kN    MPa    Nm     °C
//   3           mm     N     N/mm²  Nm     °C
//   4           mm     kN    N/mm²  Nm     °C
//
// Stresses and temperatures are shown in imperial units but typed in metric
// units only, so there are no readers for them. Labels are stored OEM texts.
#pragma once

#include "foundation/types.h"

#include <string>

namespace kt4 {

std::string FormatLength(Real X);
std::string FormatLengthFine(Real X);
std::string FormatForce(Real X);
std::string FormatTorque(Real X);

// The value in the unit these show it in.
Real ShownLength(Real X);
Real ShownForce(Real X);
Real ShownStress(Real X);
Real ShownTorque(Real X);

// With integer and decimal digits as FormatReal takes them.
std::string FormatLengthWD(Real X, int I, int D);
std::string FormatForceWD(Real X, int I, int D);
std::string FormatStressWD(Real X, int I, int D);
std::string FormatTorqueWD(Real X, int I, int D);
std::string FormatTempWD(Real X, int I, int D);

// Typed text to the internal unit (a text that is no number gives 0).
Real ReadLength(const std::string& S);
Real ReadForce(const std::string& S);
Real ReadTorque(const std::string& S);

// Metric (0) <-> English (1); any other system becomes English.
void ToggleUnitSystem();

std::string LengthUnit();
std::string ForceUnit();
std::string StressUnit();
std::string TorqueUnit();
std::string TempUnit();
std::string DegreeUnit();

} // namespace kt4
