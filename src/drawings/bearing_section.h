// The longitudinal section of one rolling bearing of the drive, drawn in
// block coordinates: x along the bearing axis from the left face (x = 0)
// to the right face, y radial with the axis on y = 0, both halves. Layer 5
// carries outlines and rolling elements, layer 1 centre marks, layer 19
// the designation above the bearing; the hatch builder hatches the rings.
#pragma once

#include "drive/bearing_types.h"
#include "foundation/types.h"

#include <string>

namespace kt4::drawings {

// A section routine draws slot Slot (1..5); Mode 1 adds the end faces
// across the bore, Mode 2 leaves them out.
using TSectionRoutine = void (*)(Word Slot, Word Mode);

// The routine of a bearing type code; nullptr when the code has none.
TSectionRoutine SectionRoutine(TBearingType Code);

// The section of the slot by its type code, then its designation at
// (0, 0.51 D) in height 0.06 B on layer 19; the caller's layer is
// restored. Every section routine starts with HatchMode 1, and HatchMode
// is 1 again afterwards however the routine ended. A slot with no ring (d <= 0, D <= d or B <= 0) draws nothing,
// and an empty designation writes no text.
void DrawBearing(Word Slot, Word Mode);

// True when the slot's record has a ring to draw.
bool BearingDrawable(const WaelzLagerTyp& b);

// X to the power N by N multiplications from 1; 1 for N <= 0. The sign of
// half k (1 upper, 2 lower) is IntPowerPos(-1, k + 1).
Real IntPowerPos(Real X, Integer N);

// Ball radius of a ball bearing record: half of
// min(0.65 (D - d)/2, widthShare B), rounded to 0.1 mm (halves to even).
Real BallRadius(const WaelzLagerTyp& b, Real widthShare = 0.85L);

// A hatched ring section with a ball groove. x0 left face, y0 the edge
// that faces the balls, rb ball radius, rc corner radius, h height away
// from the balls, w width, t groove depth. Below: the section lies above
// y0 with the groove cut into its lower edge; Above is its mirror image
// and limits the groove to a half circle. A ball that does not reach the
// edge (or passes its far side) leaves the section ungrooved and
// unhatched; rb <= 0 draws nothing.
void RingSectionGrooveBelow(Real x0, Real y0, Real rb, Real rc, Real h, Real w, Real t);
void RingSectionGrooveAbove(Real x0, Real y0, Real rb, Real rc, Real h, Real w, Real t);

// The section routines by type code. A routine that meets data it cannot
// draw (an angle that pushes the rolling elements out of the rings, a ball
// that does not reach its shoulder) stops quietly or leaves that ring
// out; what it drew so far stays.
void DrawDeepGrooveBallBearing(Word Slot, Word Mode);              // 1
void DrawSelfAligningBallBearing(Word Slot, Word Mode);            // 2
void DrawDrawnCupNeedleBearing(Word Slot, Word Mode);              // 3
void DrawNeedleBearingNoInnerRing(Word Slot, Word Mode);           // 4
void DrawCylindricalRollerBearing(Word Slot, Word Mode);           // 5
void DrawTaperedRollerBearing(Word Slot, Word Mode);               // 6
void DrawSphericalRollerBearing(Word Slot, Word Mode);             // 7
void DrawAngularContactBallBearing(Word Slot, Word Mode);          // 8
void DrawDoubleRowAngularContactBallBearing(Word Slot, Word Mode); // 9
void DrawNeedleCageAssembly(Word Slot, Word Mode);                 // 10
void DrawFullComplementRollerBearing(Word Slot, Word Mode);        // 11
void DrawFullComplementNeedleBearing(Word Slot, Word Mode);        // 12

// The ring arrangement of a cylindrical roller bearing by its designation
// (upper-cased, padded with blanks): 1 "NU" (not "NUP"), 3 "NJ", 4 "NUP",
// 2 anything else.
int CylindricalRollerArrangement(const std::string& Designation);

// An angle guard: the cosine of an angle counts as 0 below this.
inline constexpr Real CosineZero = 1E-9L;

} // namespace kt4::drawings
