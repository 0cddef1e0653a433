#include "foundation/explain.h"

#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/environment.h"
#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/ui_service.h"

namespace kt4 {

namespace {

std::string Key(const std::string& s) { return s.substr(0, ExplanationKeyLength); }

// Memo texts are stored on one line each: line breaks become blanks.
std::string OneLine(std::string s)
{
    std::string out;
    bool lastBreak = false;
    for (char c : s) {
        bool brk = c == '\r' || c == '\n';
        if (brk && !lastBreak)
            out += ' ';
        else if (!brk)
            out += c;
        lastBreak = brk;
    }
    return out;
}

} // namespace

std::string ExplanationFileName()
{
    std::string name = AddBackslash(settings::PltDir) + settings::BaseName + ".err";
    std::string found = FindFileNoCase(name);
    return found.empty() ? name : found;
}

bool ReadExplanationLines(const std::string& File, std::vector<std::string>& Lines)
{
    Lines.clear();
    const bool abort = settings::AbortFlag;
    const bool ok = FileReadable(File) && ReadTextLines(File, Lines);
    settings::AbortFlag = abort;
    return ok;
}

int FindExplanation(const std::vector<std::string>& Lines, const std::string& Message)
{
    const std::string key = Key(Message);
    for (std::size_t k = 0; k + 1 < Lines.size(); ++k)
        if (Key(Lines[k]) == key)
            return static_cast<int>(k);
    return -1;
}

void ExplainMessage(const std::vector<std::string>& Lines, bool FileFound, const std::string& Message,
                    std::string& Cause, std::string& Remedy)
{
    Cause.clear();
    Remedy.clear();
    if (!FileFound)
        return;
    int k = FindExplanation(Lines, Message);
    if (k < 0) {
        Cause = NoExplanationText;
        return;
    }
    Cause = Lines[static_cast<std::size_t>(k) + 1];
    if (static_cast<std::size_t>(k) + 2 < Lines.size())
        Remedy = Lines[static_cast<std::size_t>(k) + 2];
}

namespace {

void ExplainListed(Word I, std::string& Cause, std::string& Remedy)
{
    std::vector<std::string> lines;
    bool found = ReadExplanationLines(ExplanationFileName(), lines);
    std::string message = I >= 1 && I <= settings::MessageCount ? settings::MessageTexts[I] : "";
    ExplainMessage(lines, found, message, Cause, Remedy);
}

} // namespace

void MessageCause(Word I, std::string& S)
{
    std::string remedy;
    ExplainListed(I, S, remedy);
}

void MessageRemedy(Word I, std::string& S)
{
    std::string cause;
    ExplainListed(I, cause, S);
}

void ShowMessageExplanation(Word I)
{
    const std::string file = ExplanationFileName();
    CheckFileReadable(file);
    if (settings::AbortFlag || I < 1 || I > settings::MessageCount)
        return;
    std::vector<std::string> lines;
    if (!ReadExplanationLines(file, lines)) {
        settings::AbortFlag = true;
        return;
    }
    const std::string& message = settings::MessageTexts[I];
    int k = FindExplanation(lines, message);
    if (k < 0) {
        InfoBox("Meldung", NoExplanationText);
        return;
    }
    std::size_t c = static_cast<std::size_t>(k) + 1;
    ShowErrorHelp(message, lines[c], c + 1 < lines.size() ? lines[c + 1] : std::string());
}

void ShowErrorHelp(const std::string& Message, const std::string& Cause, const std::string& Remedy)
{
    std::string cause = OemToDisplay(Cause);
    std::string remedy = OemToDisplay(Remedy);
    if (!Ui().EditExplanation(OemToDisplay(Message), cause, remedy))
        return;
    if (YesNoCancelBox("Save Changes ?"))
        SaveExplanation(Message, DisplayToOem(cause), DisplayToOem(remedy));
}

bool SaveExplanation(const std::string& Message, const std::string& Cause, const std::string& Remedy)
{
    const std::string source = ExplanationFileName();
    CheckFileReadable(source);
    if (settings::AbortFlag)
        return false;
    std::vector<std::string> lines;
    int k = -1;
    if (ReadExplanationLines(source, lines))
        k = FindExplanation(lines, Message);
    if (k < 0) {
        ShowMessageText(Message + " not found.");
        return false;
    }
    const std::size_t c = static_cast<std::size_t>(k) + 1;
    lines[c] = OneLine(Cause);
    if (c + 1 < lines.size())
        lines[c + 1] = OneLine(Remedy);
    else
        lines.push_back(OneLine(Remedy));
    LineFile out;
    bool ok = out.OpenWrite(source);
    for (const auto& l : lines)
        if (ok)
            out.WriteLine(l);
    ok = ok && out.Close();
    if (!ok) {
        out.Discard();
        ErrorBoxAlways(DisplayToOem("Die Erklärung konnte nicht gespeichert werden: ") + DisplayToOem(source));
        settings::AbortFlag = true;
    }
    return ok;
}

void CalcMessagesDialog()
{
    using namespace settings;
    if (HasParam("/NOGUI") || DemoRunning)
        return;
    if (MessageCount == 0) {
        MessageText("Berechnung erfolgreich ohne Fehlermeldungen");
        return;
    }
    AbortFlag = false;
    const Integer n = MessageCount;
    for (Integer k = 1; k <= n; ++k)
        DialogLines[static_cast<std::size_t>(k)] = MessageTexts[static_cast<std::size_t>(k)];
    DialogLines[static_cast<std::size_t>(n) + 1] = DisplayToOem("Weiter/zurück...");
    SetHelpNumber(2070);
    Integer sel = HelpLevel < 2 ? n + 1 : 1;
    for (;;) {
        SetHelpNumber(1210);
        ChoiceDialog("Berechnungsmodul meldet Warnungen oder Fehler, siehe Ursache und Abhilfe.", n + 1, sel);
        if (AbortFlag || sel == n + 1)
            break;
        ShowMessageExplanation(static_cast<Word>(sel));
        if (AbortFlag)
            break;
        if (++sel == n + 1)
            break;
    }
    AbortFlag = false;
}

} // namespace kt4
