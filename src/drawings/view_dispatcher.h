// The views of the drive and the one entry that draws them. A call of
// DrawView is one whole job of the CAD output layer: frame and tables,
// the blocks the view inserts (defined anew by every job), the entity pass
// (twice for STEP) and the end of the job.
//
//   view  content                                   frame
//   0     nothing                                   default page
//   1     overview page                             default page
//   2     nothing                                   square, dH
//   3     assembly section                          square, dHe
//   4, 5  nothing                                   default page
//   6     output disk (nothing of its own)          square, dH
//   7     roller                                    square, dH
//   8..20 bearing covers, shafts, wheels, spacer    square, dH or dHe
//   21    power-flow scheme                         default page
//   22    output spacer, thin                       square, dHe
//   >22   nothing                                   default page
#pragma once

#include "foundation/types.h"

#include <string>

namespace kt4::drawings {

using TViewNo = Word;
inline constexpr TViewNo LastView = 22;

// Draws view on device (0 asks for the format, 3 is the screen, any other
// value is a CAD output mode). With CalcErrorFlag set the calculation's
// messages are shown instead and no job is opened. A view that cannot be
// drawn from the present data is refused before the job begins: its
// message is shown, no dialog opens, no file is written and AbortFlag is
// set. So is a view that the chosen format cannot carry (BlankRefusal):
// the job writes no file and the older one stays.
void DrawView(TViewNo view, Word device);

// The overview page on the screen, or the assembly section when
// ScreenViewMode is 5.
void RedrawCurrentView();

// Frame half-size and whether the view gets the default page instead.
struct ViewFrame {
    bool defaultPage;
    Real half; // F: (-F, -F) .. (F, F)
};
ViewFrame FrameOfView(TViewNo view);

// Why view cannot be drawn on the output mode from the present data
// (stored text), "" when it can.
std::string ViewRefusal(TViewNo view, Word mode);

// Why a view written in a format that carries nothing of it (a STEP of
// circles, arcs and texts only) gives no file (stored text). DrawView
// shows it when the job found nothing to write.
std::string BlankRefusal(TViewNo view);

// The bearing blocks "lager1".."lager5" by slot.
std::string BearingBlockName(Word slot);

} // namespace kt4::drawings
