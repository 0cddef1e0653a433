// The few questions and boxes of the bearing code, asked through the UI
// service. Texts are stored OEM texts; they are converted for display here.
#pragma once

#include "foundation/types.h"

#include <string>

namespace kt4::bearing_ui {

// A choice among settings::DialogLines 1..Count; Sel outside 1..Count
// starts at 1. OK stores the 1-based choice; Cancel sets AbortFlag and
// leaves Sel.
void Choice(const std::string& Title, Word Count, Word& Sel);

// Asks for a number in Lo..Hi, starting from X. A text that is no number
// or a value outside the range is refused with a box and asked again.
// Cancel sets AbortFlag and leaves X.
void InputReal(const std::string& Prompt, Real& X, Real Lo, Real Hi);

// An error box, shown only while settings::ShowErrorBoxes is set.
void ErrorBox(const std::string& Text);

// The help entry of the next question.
void SetHelp(Word Number);

} // namespace kt4::bearing_ui
