// The animation of the running drive. The hollow wheel stands, the input
// shaft turns by phi, the rolling wheel sits on the eccentric at
// (e cos phi, e sin phi) and turns by phi/i, the output disk with its pins
// turns with it. The whole animation is one screen job: every image, the
// pause after it and the erase pass (the moving parts drawn again in the
// background colour) are records of the graphics window's display list,
// which the window's frame driver plays; nothing here waits.
#pragma once

#include "foundation/types.h"

#include <functional>
#include <string>

namespace kt4::drawings {

struct AnimationParams {
    Integer frames = 20;     // N, images per input turn (one turn shows N + 1)
    Integer repeats = 1;     // R
    Integer pauseMs = 0;     // P, after every image but the last
    bool singleStep = false; // the window stops at every erase and asks
};

// The limits of the dialog's values.
inline constexpr Integer MaxAnimationFrames = 3600;
inline constexpr Integer MaxAnimationRepeats = 100;
inline constexpr Integer MaxAnimationPause = 10000;
inline constexpr Integer MaxAnimationImages = 10000; // frames x repeats

// Which of the dialog's fields a refusal sends the user back to.
enum class AnimationField { None, Frames, Repeats, Pause };

// Checks the three texts of the dialog: whole numbers only, N 1..3600,
// R 0..100, P 0..10000 and N x R at most 10000. On success the values go
// into Out (its singleStep stays) and the result is "". Otherwise the
// result is the message (stored text) and Field the field to correct.
std::string AnimationInputError(const std::string& Frames, const std::string& Repeats,
                                const std::string& Pause, AnimationParams& Out, AnimationField& Field);

// The dialog (TForm_ani1) as the program's window layer provides it: it
// fills Out and returns true after OK; Cancel returns false with AbortFlag
// set. Without a dialog, the defaults are used as they are.
using AnimationDialogHook = std::function<bool(AnimationParams& Out)>;
AnimationDialogHook& AnimationDialog();

// Mode 2 shows one turn in two images without asking; any other mode asks
// for the values first (View > Animation passes 1). With CalcErrorFlag set
// the calculation's messages are shown instead; a ratio of 0 or one that
// is no number draws nothing and says why. Cancel leaves the window as it
// was. The window's SingleStep follows the dialog's check box.
void RunAnimation(Integer Mode);

// The animation job on Device with the given values (which must satisfy
// the dialog's limits): the blocks "H", "antr", "waelz" and "abtr", then
// the images.
void DrawAnimation(const AnimationParams& P, Word Device);

} // namespace kt4::drawings
