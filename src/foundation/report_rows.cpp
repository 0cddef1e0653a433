// Value rows, cells and tables of the report writer.
#include "foundation/report.h"

#include "foundation/report_internal.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

namespace kt4 {

using namespace report;
using namespace report::detail;

namespace {

constexpr int RowWidth = 70;
constexpr int MaxPlainValue = 14;
constexpr int WrapAbove = 72;
constexpr int WrapWidth = 64;
constexpr std::size_t MaxCell = 60;
const char Tab = '\t';

void RuleUnlessCompact()
{
    if (settings::TextPrintMode != 4)
        ReportLine(ThinRuleLine());
}

// A value in the right part of a row: short values at the value tab, long
// ones ending at column 69; one too long for the line keeps its right end.
void PlaceValue(std::string& line, std::string value)
{
    if (static_cast<int>(value.size()) <= MaxPlainValue) {
        Place(line, value, ReportTabs[5]);
        return;
    }
    value = TrimBlanks(value);
    if (static_cast<int>(value.size()) <= MaxPlainValue) {
        Place(line, value, ReportTabs[5]);
        return;
    }
    if (static_cast<int>(value.size()) > RowWidth - 1)
        value = RightStr(value, RowWidth - 1);
    Place(line, value, RowWidth - static_cast<int>(value.size()));
}

} // namespace

void ReportCell(const std::string& S)
{
    if (!IsHtmlDevice()) {
        ReportLine(S);
        return;
    }
    if (!ReportTableOpen)
        ReportOpenTable();
    PutLine("<TR><TD>" + Html(S) + "</TD></TR>");
}

void ReportWrappedText(const std::string& S)
{
    if (S.empty())
        return;
    if (IsTextDevice() && S.size() > WrapAbove) {
        int width = 0;
        for (const auto& line : WrapText(S, ' ', WrapWidth, width))
            ReportCell(line);
        return;
    }
    ReportCell(S);
}

void ReportRow4(const std::string& Label, const std::string& Symbol, const std::string& UnitText,
                const std::string& Value)
{
    if (IsTxtDevice()) {
        ReportRawLine(Label + Tab + Symbol + Tab + UnitText + Tab + Value);
        return;
    }
    if (IsHtmlDevice()) {
        if (!ReportTableOpen)
            ReportOpenTable();
        PutLine("<TR><TD>" + Html(Label) + "</TD><TD>" + Html(Symbol) + "</TD><TD>" + Html(UnitText) +
                "</TD><TD><DIV ALIGN=RIGHT>" + Html(Value) + "</DIV></TD></TR>");
        return;
    }
    std::string line(RowWidth, ' ');
    Place(line, Label, 1);
    Place(line, Symbol, ReportTabs[1]);
    Place(line, UnitText, ReportTabs[2]);
    PlaceValue(line, Value);
    ReportLine(line);
    RuleUnlessCompact();
}

void ReportRow5(const std::string& Label, const std::string& Symbol, const std::string& UnitText,
                const std::string& Value1, const std::string& Value2)
{
    if (IsTxtDevice()) {
        ReportRawLine(Label + Tab + Symbol + Tab + UnitText + Tab + Value1 + Tab + Value2);
        return;
    }
    if (IsHtmlDevice()) {
        if (!ReportTableOpen)
            ReportColumnHeader();
        PutLine("<TR><TD>" + Html(Label) + "</TD><TD>" + Html(Symbol) + "</TD><TD>" + Html(UnitText) +
                "</TD><TD>" + Html(Value1) + "</TD><TD>" + Html(Value2) + "</TD></TR>");
        return;
    }
    std::string line(RowWidth + 1, ' ');
    Place(line, Label, 1);
    Place(line, Symbol, ReportTabs[1]);
    Place(line, UnitText, ReportTabs[2]);
    Place(line, Value1, ReportTabs[3]);
    Place(line, Value2, ReportTabs[4]);
    ReportLine(line);
    RuleUnlessCompact();
}

// TReportTable ------------------------------------------------------------

TReportTable::~TReportTable()
{
    if (open_)
        Done();
}

int TReportTable::Columns() const
{
    int n = 0;
    while (n < 7 && Widths[static_cast<std::size_t>(n + 1)] != 0)
        ++n;
    return n;
}

void TReportTable::Init(const Array1<Integer, 7>& W, const Array1<std::string, 7>& Titles)
{
    Widths = W;
    for (std::size_t k = 1; k <= 7; ++k)
        Cells[k] = Titles[k].substr(0, MaxCell);
    RowRules = true;
    open_ = true;
    if (IsHtmlDevice()) {
        ReportCloseTable();
        PutLine("<TABLE BORDER = \"1\" WIDTH= \"100%\">");
    } else if (IsTextDevice()) {
        ReportLine(ThickRuleLine());
    }
    WriteRow(true);
    if (IsTextDevice())
        ReportLine(ThickRuleLine());
}

void TReportTable::PrintRow(const std::string& V1, const std::string& V2, const std::string& V3,
                            const std::string& V4, const std::string& V5, const std::string& V6,
                            const std::string& V7)
{
    const std::string* v[] = {&V1, &V2, &V3, &V4, &V5, &V6, &V7};
    for (std::size_t k = 1; k <= 7; ++k)
        Cells[k] = v[k - 1]->substr(0, MaxCell);
    WriteRow(false);
    if (IsTextDevice() && RowRules)
        ReportLine(ThinRuleLine());
}

void TReportTable::WriteRow(bool titles)
{
    const int n = Columns();
    if (n == 0)
        return;
    if (IsTxtDevice()) {
        std::string line = Cells[1];
        for (int k = 2; k <= n; ++k)
            line += Tab + Cells[static_cast<std::size_t>(k)];
        ReportRawLine(line);
        return;
    }
    if (IsHtmlDevice()) {
        std::string row = titles ? "<TR><TD><CENTER>" + Html(Cells[1]) + "</CENTER></TD>"
                                 : "<TR><TD>" + Html(Cells[1]) + "</TD>";
        for (int k = 2; k <= n; ++k) {
            const std::string& c = Cells[static_cast<std::size_t>(k)];
            row += titles ? "<TD><CENTER>" + Html(c) + "</CENTER></TD>"
                          : "<TD><DIV ALIGN=RIGHT>" + Html(c) + "</DIV></TD>";
        }
        PutLine(row + "</TR>");
        return;
    }
    ReportText(PadRight(Cells[1], Widths[1]));
    for (int k = 2; k <= n; ++k)
        ReportRawText(PadRight(Cells[static_cast<std::size_t>(k)], Widths[static_cast<std::size_t>(k)]));
    ReportRawLine(titles ? "" : " ");
}

void TReportTable::Done()
{
    if (!open_)
        return;
    open_ = false;
    if (!RowRules)
        ReportLine(ThinRuleLine());
    if (IsHtmlDevice())
        PutLine("</TABLE>");
}

} // namespace kt4
