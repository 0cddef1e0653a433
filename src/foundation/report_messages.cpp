// The message section of reports and the message report of the menu.
#include "foundation/report.h"

#include "foundation/dialogs.h"
#include "foundation/explain.h"
#include "foundation/settings.h"

#include <vector>

namespace kt4 {

using namespace report;

void ReportMessagesSection()
{
    using namespace settings;
    if (MessageCount == 0)
        return;
    std::vector<std::string> lines;
    const bool fileFound = ReadExplanationLines(ExplanationFileName(), lines);
    ReportRawLine("");
    ReportRawLine("");
    ReportLine("BEMERKUNGEN, WARNUNGEN, FEHLERMELDUNGEN");
    if (!IsTxtDevice()) {
        ReportLine(ThickRuleLine());
        ReportRawLine("");
        ReportLine(ThinRuleLine());
    }
    if (IsHtmlDevice())
        ReportOpenTable();
    for (Word i = 1; i <= MessageCount; ++i) {
        const std::string& message = MessageTexts[i];
        std::string cause, remedy;
        ExplainMessage(lines, fileFound, message, cause, remedy);
        if (IsTxtDevice()) {
            ReportRawLine(message + "\t" + cause + "\t" + remedy);
            continue;
        }
        ReportCell(message);
        ReportWrappedText(cause);
        ReportWrappedText(remedy);
        if (IsTextDevice() && TextPrintMode != 4)
            ReportLine(ThinRuleLine());
        if (IsHtmlDevice()) {
            ReportCloseTable();
            ReportLine("");
            ReportOpenTable();
        }
    }
    if (IsHtmlDevice())
        ReportCloseTable();
}

void ReportCalcMessages()
{
    if (settings::MessageCount == 0)
        return;
    ReportAskSheet();
    if (settings::AbortFlag)
        return;
    ReportNeedLines(0);
    ReportMessagesSection();
    ReportNewPage();
}

void ViewErrorMessages()
{
    using namespace settings;
    AbortFlag = false;
    if (MessageCount == 0) {
        MessageText("Berechnung erfolgreich ohne Fehlermeldungen");
        return;
    }
    if (CalcErrorFlag) {
        CalcMessagesDialog();
        return;
    }
    SetReportHeader(ProductName + " V" + ProgramVersion, "Error Messages", RemarkLines[0], RemarkLines[1],
                    RemarkLines[2], 1);
    OpenReport(DevScreen, CurrentFileName);
    if (AbortFlag)
        return;
    RewriteReportFile();
    ReportCalcMessages();
    CloseReport();
}

} // namespace kt4
