#include "drive/docu_texts.h"
#include "drive/revisions.h"
#include "foundation/dialogs.h"
#include "foundation/report.h"
#include "foundation/settings.h"

namespace kt4::docu {

void WriteChangesProtocol(Word Device)
{
    using namespace settings;
    SetReportHeader(ProgramTitle + " V" + ProgramVersion, DocuTexts.protocolHeader, RemarkLines[0],
                    RemarkLines[1], RemarkLines[2], 0);
    OpenReport(Device, CurrentFileName + ".TXT");
    if (AbortFlag)
        return;
    RewriteReportFile();
    if (GetReportDevice() != DevScreen)
        ReportPageHeader(0, 0);
    for (const ProtocolLine& line : ChangesProtocolLines()) {
        switch (line.kind) {
        case ProtocolLine::Text:
            ReportLine(line.text);
            break;
        case ProtocolLine::ThickRule:
            ReportLine(ThickRuleLine());
            break;
        case ProtocolLine::ThinRule:
            ReportLine(ThinRuleLine());
            break;
        }
    }
    CloseReport();
    NormalCursor();
}

} // namespace kt4::docu
