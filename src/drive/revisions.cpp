#include "drive/revisions.h"

#include "drive/docu_data.h"
#include "drive/docu_forms.h"
#include "drive/docu_texts.h"
#include "foundation/datetime.h"
#include "foundation/dialogs.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

namespace kt4::docu {

namespace {

constexpr Word ChangesHelp = 2600;

void Text(std::vector<ProtocolLine>& out, const std::string& s)
{
    out.push_back({ProtocolLine::Text, s});
}

// The parts of a text between its line breaks (CR LF, CR or LF).
std::vector<std::string> SplitLines(const std::string& s)
{
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
            parts.emplace_back();
        } else {
            parts.back() += s[i];
        }
    }
    return parts;
}

void NewChange()
{
    if (AendCount >= AendMax) {
        ErrorBox(DocuTexts.limitWord + " " + DocuTexts.choiceTitle + " = " + IntStr(AendMax) + " !");
        return;
    }
    ++AendCount;
    AendList[AendCount] = AendRecord{"", DateString(), "", ""};
    EditRevision(AendCount);
    if (settings::AbortFlag) { // a cancelled new entry is dropped
        --AendCount;
        return;
    }
    WriteChangesProtocol(1);
}

void ModifyChange()
{
    if (AendCount == 0)
        return;
    EditRevision(AendCount);
    if (!settings::AbortFlag)
        WriteChangesProtocol(1);
}

void DeleteChange()
{
    if (AendCount > 0)
        --AendCount;
    WriteChangesProtocol(1);
}

Word AskAction()
{
    const TDocuTexts& t = DocuTexts;
    const std::string lines[] = {t.choiceNew,  t.choiceModify, t.choiceDelete,     t.choiceShow,
                                 t.choicePrint, t.drawingInfo, t.choiceBack + ".."};
    for (Word k = 1; k <= 7; ++k)
        settings::DialogLines[k] = lines[k - 1];
    Word sel = 4;
    SetHelpNumber(ChangesHelp);
    ChoiceDialog(t.choiceTitle, 7, sel);
    return settings::AbortFlag ? 0 : sel;
}

} // namespace

std::string RevisionIndex(Word K)
{
    if (settings::ChangeIndexMode == 1)
        return IntStr(K);
    return std::string(1, static_cast<char>(96 + K));
}

std::vector<ProtocolLine> ChangesProtocolLines()
{
    const TDocuTexts& t = DocuTexts;
    const TZeichInfo& z = ZeichInfo;
    std::vector<ProtocolLine> out;
    Text(out, "");
    Text(out, t.drawingDate + ": " + z.Date1 + "     " + t.designer + ": " + z.Name1);
    if (!z.ReplacementFor.empty()) {
        Text(out, "");
        Text(out, t.replacementFor + ": " + PadRight(z.ReplacementFor, 15));
    }
    if (!z.ReplacedBy.empty()) {
        Text(out, "");
        Text(out, t.replacedBy + ": " + PadRight(z.ReplacedBy, 15));
    }
    Text(out, "");
    Text(out, PadRight(t.indexColumn, 6) + "  " + PadRight(t.date, 10) + "   " + PadRight(t.row1, 6) +
                  "   " + PadRight(t.modification, 20));
    out.push_back({ProtocolLine::ThickRule, ""});
    for (Word k = 1; k <= AendCount; ++k) {
        const AendRecord& e = AendList[k];
        Text(out, "  " + RevisionIndex(k) + "     " + PadRight(e.date, 10) + "   " + PadRight(e.editor, 6) +
                      "   " + PadRight(e.text, 20));
        for (const std::string& part : SplitLines(e.description))
            Text(out, " " + part);
        out.push_back({ProtocolLine::ThinRule, ""});
    }
    return out;
}

void ChangesCommand(Word Action)
{
    if (Action == ChangesAsk) {
        Action = AskAction();
        if (Action == 0)
            return;
    }
    switch (Action) {
    case ChangesNew:
        NewChange();
        break;
    case ChangesModify:
        ModifyChange();
        break;
    case ChangesDelete:
        DeleteChange();
        break;
    case ChangesShow:
        WriteChangesProtocol(1);
        break;
    case ChangesPrint:
        WriteChangesProtocol(0);
        break;
    case ChangesInfo:
        ShowDrawingInfo();
        break;
    default:
        break;
    }
}

} // namespace kt4::docu
