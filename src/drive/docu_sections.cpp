#include "drive/docu_sections.h"

#include "drive/docu_data.h"
#include "drive/docu_texts.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"

namespace kt4::docu {

void WriteChangesSection()
{
    WriteReportLine(DocuTexts.sectionTitle);
    WriteReportInt(AendCount);
    WriteReportLine(std::string(20, '-'));
    for (Word k = 1; k <= AendCount; ++k) {
        const AendRecord& e = AendList[k];
        WriteReportLine(e.text);
        WriteReportLine(e.date);
        WriteReportLine(e.editor);
        WriteReportLine(e.description);
        WriteReportLine(std::string(14, '-'));
    }
    const TZeichInfo& z = ZeichInfo;
    WriteReportFields8(z.Date2, z.Name2, z.Date3, z.Name3, z.Date4, z.Name4, IntStr(ZeichTextCount), "");
    WriteReportLine(z.Date1);
    WriteReportLine(z.ReplacementFor);
    WriteReportLine(z.ReplacedBy);
    WriteReportLine(z.Name1);
    for (Word k = 1; k <= ZeichTextCount; ++k) {
        const ZeichTextRecord& t = ZeichTexts[k];
        WriteReportFields6(RealStr(t.x), RealStr(t.y), RealStr(t.h), RealStr(t.phi),
                           t.text, IntStr(t.layer));
    }
}

void WriteIso7200Section()
{
    WriteReportLine("ISO 7200 Header");
    WriteReportInt(settings::TitleBlockStandard);
    WriteReportInt(ZeichTextMode);
    WriteReportLine(ZeichInfo.ResponsibleDept);
    WriteReportLine(ZeichInfo.DocumentType);
    WriteReportLine(ZeichInfo.DocumentStatus);
    WriteReportLine("---");
}

} // namespace kt4::docu
