// The longitudinal section of the whole drive (view 3, and block "SA" of
// the overview page): housing, hollow wheel, rolling wheel on the
// eccentric, output disk with pins and rollers, both shafts, the five
// bearings and the housing screws. x runs along the axis from the input
// face of the hollow wheel (x = 0, output side at positive x), y radial.
// A bearing whose record fits its seat is inserted as its block
// "lager1".."lager5"; otherwise a crossed box stands for it.
#pragma once

#include "foundation/types.h"

namespace kt4::drawings {

void DrawAssemblySection();

// The crossed box of a bearing: rectangles between d and D over the width
// B on layer 5, their diagonals on layer 3; the caller's layer stays.
void DrawBearingSymbol(Real x, Real y, Real d, Real D, Real B);
// A cylinder of diameter d and length L seen from the side, corner
// radius r, with the edges where the radii end.
void DrawPinSide(Real x, Real y, Real d, Real L, Real r);
// The hatched section of a tube (D, d) of length L around the line y.
void DrawHatchedSleeve(Real x, Real y, Real D, Real d, Real L, Real spacing, Real angle);
// The break symbol at a cut shaft end of diameter d (bore di, 0 = solid),
// turned by angle degrees about (x, y).
void DrawShaftBreak(Real x, Real y, Real d, Real di, Real angle);
// The break curve's distance from the axis at the curve parameter a.
Real BearingArcHeight(Real a, Real x);

// Two diameters of a seat and a bearing match when they differ by at most
// 1E-6 mm.
bool SameDiameter(Real a, Real b);

} // namespace kt4::drawings
