// The calculation of one bearing slot: equivalent static and dynamic load,
// minimum load, permissible axial load, viscosity ratio, life factors,
// basic and modified rating life, static and dynamic safety, mass, and the
// warnings about speed, load, temperature and data.
#pragma once

#include "drive/bearing_types.h"
#include "foundation/types.h"

namespace kt4 {

// Computes slot 1..5 for the radial load Fr and axial load Fa (N) at the
// speed n (1/min, the sign is the direction of rotation) and writes the
// results into the slot. Arrangement 3 with Variant 1 or 2 computes an
// angular-contact ball bearing (type 8) as a pair.
//
// Problems go into the message list only. A slot that cannot be computed
// (no dimensions, a rating C or C0 or a width B of 0 or below, an a23
// entered for life method 2 or an aISO entered for method 4 below 0, no
// lubricant viscosity, an operating temperature at which the oil has no
// finite viscosity, no load, a result beyond the range of the numbers) gets a
// "Fatal" message, sets CalcErrorFlag and has its results cleared to 0;
// AbortFlag is never touched, so every slot is computed on its own. A
// slot without a designation is left alone.
void BearingCalc(Word Slot, Word Arrangement, Word Variant, Real Fr, Real Fa, Real n);

// The axial factor Y = 0.4 / tan(alpha) of an angular-contact ball bearing
// (types 8 and 9) with the contact angle in degrees. An angle outside
// 0 < alpha < 90 gives 0, and for type 9 the message
// "Fehler : schrku2: ALPHA=25,35,45!".
Real AngularContactY(TBearingType Typ, Real AlphaDeg);

} // namespace kt4
