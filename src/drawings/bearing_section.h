// The longitudinal section of one rolling bearing of the drive, drawn in
// block coordinates: x along the bearing axis from the left face (x = 0)
// to the right face, y radial with the axis on y = 0, both halves. Layer 5
// carries outlines and rolling elements, layer 1 centre marks, layer 19
// the designation above the bearing; the hatch builder hatches the rings.
#pragma once

#include "drive/bearing_types.h"
#include "foundation/types.h"

namespace kt4::drawings {

// A section routine draws slot Slot (1..5); Mode 1 adds the end faces
// across the bore, Mode 2 leaves them out.
using TSectionRoutine = void (*)(Word Slot, Word Mode);

// The routine of a bearing type code; nullptr when the code has none.
TSectionRoutine SectionRoutine(TBearingType Code);

// The section of the slot by its type code, then its designation at
// (0, 0.51 D) in height 0.06 B on layer 19; the caller's layer is
// restored. A slot with no ring (d <= 0, D <= d or B <= 0) draws nothing,
// and an empty designation writes no text.
void DrawBearing(Word Slot, Word Mode);

// True when the slot's record has a ring to draw.
bool BearingDrawable(const WaelzLagerTyp& b);

// X to the power N by N multiplications from 1; 1 for N <= 0. The sign of
// half k (1 upper, 2 lower) is IntPowerPos(-1, k + 1).
Real IntPowerPos(Real X, Integer N);

// Ball radius of a ball bearing record: half of
// min(0.65 (D - d)/2, 0.85 B), rounded to 0.1 mm (halves to even).
Real BallRadius(const WaelzLagerTyp& b);

// A hatched ring section with a ball groove. x0 left face, y0 the edge
// that faces the balls, rb ball radius, rc corner radius, h height away
// from the balls, w width, t groove depth. Below: the section lies above
// y0 with the groove cut into its lower edge; Above is its mirror image
// and limits the groove to a half circle. A ball that does not reach the
// edge (or passes its far side) leaves the section ungrooved and
// unhatched; rb <= 0 draws nothing.
void RingSectionGrooveBelow(Real x0, Real y0, Real rb, Real rc, Real h, Real w, Real t);
void RingSectionGrooveAbove(Real x0, Real y0, Real rb, Real rc, Real h, Real w, Real t);

// Type 1.
void DrawDeepGrooveBallBearing(Word Slot, Word Mode);

} // namespace kt4::drawings
