// The parts of the drive, each drawn alone for CAD and STL (views 6 to 20
// and 22) and, for the hollow wheel, rolling wheel, eccentric shaft and
// output shaft, as blocks of the overview page. A part lies in its own x-y
// plane with its axis on z, its first face at z = 0 (part_contours.h).
//
// Fit allowances of the configuration: FitClearanceBore is added to bore
// diameters, FitClearanceShaft taken from shaft diameters; on a radius
// they count half unless said otherwise.
#pragma once

#include "foundation/types.h"

#include <string>

namespace kt4::drawings {

void DrawRoller();                      // view 7, a revolved tube
void DrawCoverOutput(Integer variant);  // 1 closed full, 2 open full, 3 closed thin, 4 open thin
void DrawCoverInput(Integer variant);
void DrawEccentricShaft();
void DrawOutputShaft(bool withRollers); // the output disk with its shaft
void DrawWheel(Real x, Real y);         // rolling wheel
void DrawRingGear();                    // hollow wheel
void DrawSpacerFull();
void DrawSpacerThin();
void DrawOutputDisk();                  // draws nothing: the disk is part of the output shaft

// The plate thickness of the thin covers: input side max(bs, B1)/4,
// output side min(bs, B4)/4.
Real InputCoverPlate();
Real OutputCoverPlate();

// Why a part view cannot be drawn from the present data (stored text),
// or "" when it can: a thin cover whose bearing slot is empty, a part of
// no thickness or length, a roller without wall.
std::string PartRefusal(Word view);

// The part a view draws as the STL menu calls it (UTF-8), "" for a view
// that draws no part.
std::string PartName(Word view);

// The message for the output disk alone in STL: it has no part of its
// own (stored text).
std::string OutputDiskMessage();

} // namespace kt4::drawings
