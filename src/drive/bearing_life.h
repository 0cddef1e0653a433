// Lubrication and life factors of a rolling-bearing life calculation:
// rated and operating viscosity, the life factor a23, the life modification
// factor aISO (ISO 281) for ball and roller bearings, and the contamination
// factor eC. Pure functions: no state, no dialog; powers go through
// PowerChecked.
#pragma once

#include "foundation/types.h"

namespace kt4 {

// The largest aISO.
inline constexpr Real AIsoLimit = 50;

// Rated viscosity nue1 in mm2/s for the speed n (1/min, its sign ignored)
// and the mean diameter dm (mm); 1000000 at standstill.
Real RatedViscosity(Real n, Real dm);

// Viscosity in mm2/s at theta (degC) of an oil with nue40 at 40 degC,
// along a viscosity-temperature line of fixed slope.
Real OperatingViscosity(Real theta, Real nue40);

// a23 from the viscosity ratio; 2.5 from kappa 4 upwards.
Real LifeFactorA23(Real kappa);

// aISO for ball and roller bearings under the load P with the fatigue load
// limit Cu and the contamination factor eC. kappa above 4 counts as 4,
// below 0.1 the result is 0; the result is at most 50, which it also is
// when eC Cu / P is so large that the load term reaches the pole.
Real LifeFactorAIsoBall(Real P, Real Cu, Real eC, Real kappa);
Real LifeFactorAIsoRoller(Real P, Real Cu, Real eC, Real kappa);

// eC of the cleanliness levels 1..7 for bearings below and from dm 100 mm;
// 0 for any other level (8 means eC is entered).
Real CleanlinessFactor(Word Cleanliness, Real dm);

} // namespace kt4
