#include "drive/docu_sections.h"

#include "drive/docu_data.h"
#include "drive/docu_texts.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"

namespace kt4::docu {

namespace {

void Line(const std::string& S) { WriteReportLine(OneLineText(S)); }

} // namespace

std::string OneLineText(const std::string& S)
{
    std::string out;
    out.reserve(S.size());
    for (std::size_t i = 0; i < S.size(); ++i) {
        char c = S[i];
        if (c == '\r' || c == '\n') {
            out += '|';
            if (c == '\r' && i + 1 < S.size() && S[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

void WriteChangesSection()
{
    Line(DocuTexts.sectionTitle);
    WriteReportInt(AendCount);
    WriteReportLine(std::string(20, '-'));
    for (Word k = 1; k <= AendCount; ++k) {
        const AendRecord& e = AendList[k];
        Line(e.text);
        Line(e.date);
        Line(e.editor);
        Line(e.description);
        WriteReportLine(std::string(14, '-'));
    }
    const TZeichInfo& z = ZeichInfo;
    WriteReportFields8(OneLineText(z.Date2), OneLineText(z.Name2), OneLineText(z.Date3),
                       OneLineText(z.Name3), OneLineText(z.Date4), OneLineText(z.Name4),
                       IntStr(ZeichTextCount), "");
    Line(z.Date1);
    Line(z.ReplacementFor);
    Line(z.ReplacedBy);
    Line(z.Name1);
    for (Word k = 1; k <= ZeichTextCount; ++k) {
        const ZeichTextRecord& t = ZeichTexts[k];
        WriteReportFields6(RealStr(t.x), RealStr(t.y), RealStr(t.h), RealStr(t.phi),
                           OneLineText(t.text), IntStr(t.layer));
    }
}

void WriteIso7200Section()
{
    WriteReportLine("ISO 7200 Header");
    WriteReportInt(settings::TitleBlockStandard);
    WriteReportInt(ZeichTextMode);
    Line(ZeichInfo.ResponsibleDept);
    Line(ZeichInfo.DocumentType);
    Line(ZeichInfo.DocumentStatus);
    WriteReportLine("---");
}

} // namespace kt4::docu
