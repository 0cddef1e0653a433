// What the drive's input dialogs share: how a field shows and reads its
// value, the refusal of a text that is no number, and the steps after a
// calculation started in a dialog.
//
// Field texts are display texts (UTF-8). Values are read strictly: the
// whole text must be a number ("," or "." as the decimal point); an empty
// text or a typo is refused, never read as 0.
#pragma once

#include "foundation/types.h"

#include <functional>
#include <map>
#include <string>

namespace kt4::drive::dialogs {

enum class FieldUnit {
    Length,     // mm or inch, FormatLength
    LengthFine, // mm or inch, FormatLengthFine
    Number,     // as typed, RealStr
    Torque,     // Nm or lbfin
    Force,      // N, kN or lbf
    Count,      // a whole number
};

std::string FormatField(Real X, FieldUnit Unit);
// X in the program's units (mm, Nm, N); false for a text that is no number.
bool ReadField(const std::string& Text, FieldUnit Unit, Real& X);
// What a dialog filled into its fields: the text and the exact value behind
// it. A field whose text is still the one filled in reads as that value,
// whatever unit it was shown in; only an edited field is read from its text.
class FilledFields {
public:
    // The text of X for the field, remembered with X.
    std::string Fill(const std::string& Field, Real X, FieldUnit Unit);
    // The value of the field showing Text; false for a text that is no number.
    bool Read(const std::string& Field, const std::string& Text, FieldUnit Unit, Real& X) const;

private:
    struct Filled {
        std::string text;
        Real value = 0;
    };
    std::map<std::string, Filled> filled_;
};

// The dialog layer's box "Ungültige Eingabe "<text>" !".
void RefuseField(const std::string& Text);

// The redraw of the current view after a dialog calculated; the program
// points it at its view. Empty: nothing is redrawn.
std::function<void()>& RedrawHook();
// After a calculation started by Calc or a bearing pick: the message
// review (silent with "/NOGUI" and in the tour), then the redraw, but only
// while CalcErrorFlag is clear (with it set the view would show the same
// messages again).
void AfterDialogCalculation();

} // namespace kt4::drive::dialogs
