// Text and number input of the dialog layer.
#include "foundation/dialogs.h"

#include "foundation/codepage.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/ui_service.h"

#include <utility>

namespace kt4 {

namespace {

constexpr Integer RealTextLength = 30;
constexpr Integer IntegerTextLength = 12;

std::string TrimInput(const std::string& s)
{
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    std::size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

void RefuseText(const std::string& Text)
{
    Ui().Beep();
    ErrorBoxAlways(DisplayToOem("Ungültige Eingabe ") + "\"" + Text + "\"" + " !");
}

void RefuseRange(const std::string& Lo, const std::string& Hi)
{
    Ui().Beep();
    ErrorBoxAlways(DisplayToOem("Gültiger Wertebereich: ") + Lo + " .. " + Hi + " !");
}

// The loop of InputReal; true when a value was accepted.
bool AskReal(const std::string& Prompt, Real& X, Real Lo, Real Hi)
{
    Real x = X;
    for (;;) {
        const std::string shown = RealStr(x);
        std::string text = shown;
        if (!InputTextDialog(Prompt, text, RealTextLength)) {
            settings::AbortFlag = true;
            return false;
        }
        if (text != shown) {
            Real v = 0;
            if (!ParseInputReal(text, v)) {
                RefuseText(text);
                settings::AbortFlag = false;
                continue;
            }
            x = v;
        }
        if (x < Lo || x > Hi) {
            RefuseRange(RealStr(Lo), RealStr(Hi));
            continue;
        }
        X = x;
        return true;
    }
}

} // namespace

bool ParseInputReal(const std::string& Text, Real& X)
{
    return TryStrToReal(TrimInput(Text), X);
}

bool ParseInputInteger(const std::string& Text, Integer& N)
{
    return TryStrToInteger(TrimInput(Text), N);
}

bool InputTextDialog(const std::string& Prompt, std::string& Text, Integer MaxLen)
{
    std::string text = OemToDisplay(Text);
    // The text is kept in OEM: characters it cannot hold are refused and
    // the question comes again.
    do {
        if (!Ui().TextInput(OemToDisplay(Prompt), text, MaxLen))
            return false;
    } while (RefuseOutsideOem(text));
    Text = DisplayToOem(text);
    return true;
}

void InputText(const std::string& Prompt, Integer MaxLen, std::string& S)
{
    std::string text = S;
    if (!InputTextDialog(Prompt, text, MaxLen)) {
        settings::AbortFlag = true;
        return;
    }
    S = text;
}

void InputReal(const std::string& Prompt, Real& X, Real Lo, Real Hi) { AskReal(Prompt, X, Lo, Hi); }

void InputDouble(const std::string& Prompt, double& X, double Lo, double Hi)
{
    Real x = X;
    if (AskReal(Prompt, x, Lo, Hi))
        X = static_cast<double>(x);
}

void InputLength(const std::string& Prompt, Real& X, Real Lo, Real Hi)
{
    if (settings::UnitSystem != 1) {
        AskReal(Prompt + " [mm]", X, Lo, Hi);
        return;
    }
    const Real shown = MmToInch(X);
    Real x = shown;
    // an unchanged inch value leaves X exactly as it was
    if (AskReal(Prompt + " [inch]", x, MmToInch(Lo), MmToInch(Hi)) && x != shown)
        X = InchToMm(x);
}

void InputIntegerRange(const std::string& Prompt, Integer& N, Integer Lo, Integer Hi)
{
    if (Lo > Hi)
        std::swap(Lo, Hi);
    Integer n = N;
    for (;;) {
        const std::string shown = IntStr(n);
        std::string text = shown;
        if (!InputTextDialog(Prompt, text, IntegerTextLength)) {
            settings::AbortFlag = true;
            return;
        }
        if (text != shown) {
            Integer v = 0;
            if (!ParseInputInteger(text, v)) {
                RefuseText(text);
                settings::AbortFlag = false;
                continue;
            }
            n = v;
        }
        if (n < Lo || n > Hi) {
            RefuseRange(IntStr(Lo), IntStr(Hi));
            continue;
        }
        N = n;
        return;
    }
}

void InputInteger(const std::string& Prompt, Integer& N, Integer Lo, Integer Hi)
{
    InputIntegerRange(Prompt, N, Lo, Hi);
}

void InputWord(const std::string& Prompt, Word& W, Word Lo, Word Hi)
{
    Integer n = W;
    InputIntegerRange(Prompt, n, Lo, Hi);
    W = static_cast<Word>(n);
}

} // namespace kt4
