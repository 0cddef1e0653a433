#include "drive/bearing_ui.h"

#include "foundation/codepage.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"

#include <vector>

namespace kt4::bearing_ui {

namespace {

const char* const ErrorCaption = "Fehler : ";

// The help entry that the help button of the next question shows.
Word PendingHelp = 0;

void ErrorBoxAlways(const std::string& Text)
{
    Ui().MessageBox(ErrorCaption, OemToDisplay(Text), BoxKind::Error);
}

} // namespace

void SetHelp(Word Number) { PendingHelp = Number; }

void Choice(const std::string& Title, Word Count, Word& Sel)
{
    std::vector<std::string> lines;
    for (Word i = 1; i <= Count && i <= settings::DialogLines.size(); ++i)
        lines.push_back(OemToDisplay(settings::DialogLines[i]));
    int sel = Sel >= 1 && Sel <= lines.size() ? Sel : 1;
    const std::string prompt = OemToDisplay(Title);
    const bool ok = lines.size() >= 8 ? Ui().ListChoice(prompt, lines, sel)
                                      : Ui().RadioChoice(prompt, lines, sel);
    if (!ok || sel < 1 || sel > static_cast<int>(lines.size())) {
        settings::AbortFlag = true;
        return;
    }
    Sel = static_cast<Word>(sel);
}

void InputReal(const std::string& Prompt, Real& X, Real Lo, Real Hi)
{
    const std::string prompt = OemToDisplay(Prompt);
    for (;;) {
        const std::string shown = RealStr(X);
        std::string text = shown;
        if (!Ui().TextInput(prompt, text, 30)) {
            settings::AbortFlag = true;
            return;
        }
        Real value = X; // an unchanged text keeps every digit of X
        if (text != shown && !TryStrToReal(text, value)) {
            Ui().Beep();
            ErrorBoxAlways("Ung\x81" "ltige Eingabe \"" + DisplayToOem(text) + "\" !");
            continue;
        }
        if (value < Lo || value > Hi) {
            Ui().Beep();
            ErrorBoxAlways("G\x81" "ltiger Wertebereich: " + RealStr(Lo) + " .. " + RealStr(Hi) + " !");
            continue;
        }
        X = value;
        return;
    }
}

void ErrorBox(const std::string& Text)
{
    if (settings::ShowErrorBoxes)
        ErrorBoxAlways(Text);
}

} // namespace kt4::bearing_ui
