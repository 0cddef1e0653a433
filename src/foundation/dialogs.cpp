// Choices, questions and message boxes of the dialog layer.
#include "foundation/dialogs.h"

#include "foundation/codepage.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"

#include <algorithm>
#include <vector>

namespace kt4 {

namespace dialogs {
bool AskOverwrite;
void InitDialogs() { AskOverwrite = true; }
} // namespace dialogs

namespace {

std::string TrimRight(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// settings::DialogLines[1..Count] as display lines.
std::vector<std::string> DisplayLines(Integer Count)
{
    std::vector<std::string> lines;
    for (Integer k = 1; k <= Count; ++k)
        lines.push_back(OemToDisplay(TrimRight(settings::DialogLines[k])));
    return lines;
}

BoxKind KindOf(Word Kind)
{
    switch (Kind) {
    case BoxKindError:
        return BoxKind::Error;
    case BoxKindHelp:
        return BoxKind::Help;
    default:
        return BoxKind::Message;
    }
}

std::string CaptionOf(Word Kind)
{
    switch (Kind) {
    case BoxKindError:
        return "Fehler : ";
    case BoxKindHelp:
        return "Hilfe";
    default:
        return "Meldung:";
    }
}

} // namespace

void ChoiceDialog(const std::string& Title, Integer Count, Integer& Sel)
{
    constexpr Integer MaxLines = static_cast<Integer>(settings::DialogLines.size());
    if (Count < 1) {
        settings::AbortFlag = true;
        return;
    }
    Count = std::min(Count, MaxLines);
    int sel = Sel < 1 || Sel > Count ? 1 : Sel;
    std::vector<std::string> lines = DisplayLines(Count);
    std::string prompt = OemToDisplay(Title);
    bool ok = Count >= 8 ? Ui().ListChoice(prompt, lines, sel) : Ui().RadioChoice(prompt, lines, sel);
    if (!ok || sel < 1 || sel > Count) {
        settings::AbortFlag = true;
        return;
    }
    Sel = sel;
}

void ChoiceDialog(const std::string& Title, Integer Count, Word& Sel)
{
    Integer sel = Sel;
    ChoiceDialog(Title, Count, sel);
    Sel = static_cast<Word>(sel);
}

void YesNoDialog(const std::string& Prompt, char& Answer)
{
    char a = Answer == 'N' || Answer == 'n' ? 'N' : 'J';
    if (!Ui().YesNoChoice(OemToDisplay(Prompt), a)) {
        settings::AbortFlag = true;
        return;
    }
    Answer = a == 'N' ? 'N' : 'J';
}

void AskYesNo(const std::string& Prompt, bool& B)
{
    char a = B ? 'J' : 'N';
    YesNoDialog(Prompt, a);
    if (!settings::AbortFlag)
        B = a != 'N';
}

bool YesNoCancelBox(const std::string& Text)
{
    Answer a = Ui().YesNoCancelBox(OemToDisplay(settings::ProgramTitle), OemToDisplay(Text));
    if (a == Answer::Cancel)
        settings::AbortFlag = true;
    return a == Answer::Yes;
}

bool AskYesNoBox(const std::string& Text) { return YesNoCancelBox(Text); }

void MessageBoxKind(const std::string& Text, Word Kind)
{
    Ui().MessageBox(OemToDisplay(CaptionOf(Kind)), OemToDisplay(Text), KindOf(Kind));
}

void ErrorBox(const std::string& Text)
{
    if (settings::ShowErrorBoxes)
        MessageBoxKind(Text, BoxKindError);
}

void ErrorBoxAlways(const std::string& Text) { MessageBoxKind(Text, BoxKindError); }

bool RefuseOutsideOem(const std::string& Text, const std::string& Lead)
{
    const std::string missing = OemMissingChars(Text);
    if (missing.empty())
        return false;
    // the characters themselves, which no OEM text can show
    Ui().MessageBox(OemToDisplay(CaptionOf(BoxKindError)),
                    OemToDisplay(Lead) + "Zeichen nicht darstellbar: " + missing, BoxKind::Error);
    return true;
}
void MessageText(const std::string& Text) { MessageBoxKind(Text, BoxKindMessage); }
void NoticeText(const std::string& Text) { MessageBoxKind(Text, BoxKindNotice); }

void InfoBox(const std::string& Caption, const std::string& Text)
{
    Ui().MessageBox(OemToDisplay(Caption), OemToDisplay(Text), BoxKind::Message);
}

void ShowMessageText(const std::string& Text)
{
    Ui().MessageBox(OemToDisplay(settings::ProductName), OemToDisplay(Text), BoxKind::Message);
}

void StatusMessage(const std::string& Text) { (void)Text; }

void ShowMessageScreen()
{
    Ui().MessageScreen(OemToDisplay(settings::ProductName), DisplayLines(22));
}

void ArchiveRefusal()
{
    ErrorBox(DisplayToOem("File- und User- Befehle sind im Archivierungsmodus nicht möglich."));
}

} // namespace kt4
