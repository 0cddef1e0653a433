// The overview page (view 1): on the 160 x 120 mm default page the
// drawing title and remark lines, a front view of the drive made of the
// blocks "H", "W", "EXZ" and "abtr", the assembly section as block "SA",
// and five tables of the main results in the configured unit system.
#pragma once

#include "foundation/types.h"

namespace kt4::drawings {

void DrawOverviewPage();

// Scale of the blocks: the housing is always drawn 79 mm wide; 0 when the
// housing diameter is no positive number (the page then has no picture).
Real OverviewScale();

// The five tables, each at (x, y) with text height h.
void DrawLoadTable(Real x, Real y, Real h);
void DrawCapacityTable(Real x, Real y, Real h);
void DrawBearingTable(Real x, Real y, Real h);
void DrawDimensionTable(Real x, Real y, Real h);
void DrawMainDimensionTable(Real x, Real y, Real h);

} // namespace kt4::drawings
