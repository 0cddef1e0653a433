// Body lines, page headers and page breaks of the report writer.
#include "foundation/report.h"

#include "foundation/codepage.h"
#include "foundation/datetime.h"
#include "foundation/files.h"
#include "foundation/dialogs.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/report_internal.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/textprint.h"

#include <algorithm>

namespace kt4 {

using namespace report;
using namespace report::detail;

namespace {

const std::string Margin(7, ' ');
const std::string FormFeed = "\f";
const char Tab = '\t';

bool IsRuleOrDropped(const std::string& S)
{
    return S == ThinRuleLine() || S == ThickRuleLine() || S == DroppedLine;
}

// Closes a table of this writer before an ordinary HTML line.
void CloseHtmlTable()
{
    if (ReportTableOpen) {
        PutLine("</TABLE>");
        ReportTableOpen = false;
    }
}

// A text line of an HTML report; Markup is display text that is already
// safe.
void HtmlBodyLine(const std::string& Markup, bool dropped)
{
    CloseHtmlTable();
    ++ReportLineNo;
    if (!dropped)
        PutLine("<br>" + Markup);
}

bool HeaderDue(Integer PageNo) { return PageNo == 1 || (PageNo == 0 && ReportPageNo == 0); }

// Counts a body line of a text device and breaks the page when it is full.
void CountLine()
{
    ++ReportLineNo;
    if (!InPageHeader)
        ReportCheckPageBreak(ReportHeaderKind);
}

std::string TitleLine(Integer page)
{
    std::string line = FramedBlankLine();
    Place(line, ReportTitle, 4);
    if (settings::PrintHeaderMode != 2) {
        if (ReportPageCount > 0)
            Place(line, "Bl." + IntStrBlank(page, 2) + "/" + IntStrBlank(ReportPageCount, 2), 60);
        else
            Place(line, "Bl." + IntStrBlank(page, 2), 64);
    }
    line.back() = FrameSideChar();
    return line;
}

std::string DateLine()
{
    std::string line = FramedBlankLine();
    Place(line, DateString(), 53);
    Place(line, TimeString(), 64);
    return line;
}

std::string FileLine()
{
    using namespace settings;
    std::string name = TrimBlanks(CurrentFileName);
    // a name that came with its extension ("beispiel1.kt4", "c.dxf") keeps
    // just that
    const std::string saved = SavedName(DataDir, name, DataFileExt);
    std::string shown;
    if (FileNameHasDir)
        shown = DisplayToOem(name);
    else if (DataDir.size() + name.size() < 70)
        shown = DisplayToOem(AddBackslash(DataDir) + saved);
    else
        shown = DisplayToOem(saved);
    std::string line = FramedBlankLine();
    Place(line, shown, 4);
    return line;
}

std::string FramedText(const std::string& S)
{
    std::string line = FramedBlankLine();
    Place(line, S, 4);
    return line;
}

void TxtPageHeader(Integer PageNo)
{
    if (!HeaderDue(PageNo))
        return;
    using namespace settings;
    ReportLine(ProgramTitle + " V" + ProgramVersion + Tab + DateString() + Tab + TimeString());
    ReportLine(DisplayToOem(RemoveBlanks(TxtReportTarget())));
    for (const auto& r : RemarkLines)
        ReportLine(r);
    ReportLine(" ");
    ++ReportPageNo;
}

void HtmlPageHeader(Integer PageNo)
{
    if (!HeaderDue(PageNo))
        return;
    using namespace settings;
    const std::string title = Html(ProgramTitle + " V" + ProgramVersion);
    PutLine("<!-- " + HtmlEscape(RemoveBlanks(ReportFileName)) + " -->");
    PutLine("<HTML>");
    PutLine("<head><meta charset=\"utf-8\"><title>" + title + "</title></head>");
    PutLine("<BODY BGCOLOR=\"C0C0C0\">");
    PutLine("<hr>");
    HtmlBodyLine("<h4>" + title + "</h4>", false);
    PutLine("<hr>");
    for (const auto& h : ReportHeaderLines)
        PutLine("<h5>" + Html(h) + "</h5>");
    PutLine("<hr>");
    ++ReportPageNo;
}

void TextPageHeader(Integer PageNo, Integer Kind)
{
    using namespace settings;
    ReportAskSheet();
    if (AbortFlag)
        return;
    const bool due = HeaderDue(PageNo);
    if (PrintHeaderMode == 2 && !due) {
        ReportRawLine(" ");
        return;
    }
    if (TextPrintMode == 4 && ReportLineNo < EffectiveLinesPerPage() / 2 && !due)
        return;
    ReportLineNo = 0;
    ReportHeaderKind = Kind;
    ++ReportPageNo;
    const Integer page = PageNo == 0 ? ReportPageNo : PageNo;
    InPageHeader = true;
    if (TextPrintMode == 4)
        ReportLine("");
    for (Integer k = 0; k < EffectiveHeaderSpaceLines(); ++k)
        ReportLine("");
    ReportLine(FrameTopLine());
    if (!AbortFlag) {
        ReportLine(TitleLine(page));
        ReportLine(DateLine());
        ReportLine(FileLine());
        ReportLine(FrameMiddleLine());
        for (std::size_t k = 1; k <= ReportHeaderLines.size(); ++k)
            if (k < 4 || !ReportHeaderLines[k].empty())
                ReportLine(FramedText(ReportHeaderLines[k]));
        if (Kind == 1) {
            ReportLine(FrameMiddleLine());
            ReportColumnHeader();
        } else {
            ReportLine(FrameBottomLine());
        }
    }
    InPageHeader = false;
}

} // namespace

namespace report::detail {

// Report lines are composed here: tabs and control codes stay.
void PutLine(const std::string& S) { ReportFile.WriteLine(S); }
void PutText(const std::string& S) { WriteReportText(S); }

} // namespace report::detail

void ReportRawLine(const std::string& S) { PutLine(IsHtmlDevice() ? OemToDisplay(S) : S); }
void ReportRawText(const std::string& S) { PutText(IsHtmlDevice() ? OemToDisplay(S) : S); }

void ReportLine(const std::string& S)
{
    if (IsTxtDevice()) {
        if (!IsRuleOrDropped(S))
            ReportRawLine(S);
        return;
    }
    if (IsHtmlDevice()) {
        HtmlBodyLine(Html(S), IsRuleOrDropped(S));
        return;
    }
    if (S == DroppedLine)
        return;
    CountLine();
    PutLine(Margin + S);
}

void ReportText(const std::string& S)
{
    if (IsTxtDevice()) {
        ReportRawText(S);
        return;
    }
    if (IsHtmlDevice()) {
        if (!IsRuleOrDropped(S))
            PutText(Html(S));
        return;
    }
    if (S == DroppedLine)
        return;
    CountLine();
    PutText(Margin + S);
}

void ReportAskSheet()
{
    if (ReportPause && !YesNoCancelBox("Blatt in Drucker einlegen.  Fortfahren ?"))
        settings::AbortFlag = true;
}

void ReportNewPage()
{
    if (!IsTextDevice())
        return;
    if (settings::TextPrintMode == 4 && ReportLineNo < EffectiveLinesPerPage() / 2)
        return;
    switch (ReportDevice) {
    case DevScreen:
    case DevPrinter:
        PutLine(FormFeed);
        break;
    case DevTextPrinter:
        PutText(FormFeed);
        break;
    default:
        break;
    }
    ReportLineNo = 0;
}

void ReportCheckPageBreak(Integer Kind)
{
    static bool breaking = false;
    if (breaking || ReportLineNo < EffectiveLinesPerPage())
        return;
    breaking = true;
    if (settings::PrintHeaderMode == 2) {
        PutLine(FormFeed);
        ReportLineNo = 0;
    } else if (ReportRepeatHeader) {
        ReportNewPage();
        ReportPageHeader(0, Kind);
        ReportLine("");
    } else {
        ReportNewPage();
    }
    breaking = false;
}

void ReportNeedLines(Integer Kind)
{
    if (ReportLineNo <= std::max<Integer>(EffectiveLinesPerPage() - 10, 10))
        return;
    ReportNewPage();
    ReportPageHeader(0, Kind);
    if (Kind == 0)
        ReportLine("");
}

void ReportPageHeader(Integer PageNo, Integer Kind)
{
    if (IsTxtDevice())
        TxtPageHeader(PageNo);
    else if (IsHtmlDevice())
        HtmlPageHeader(PageNo);
    else
        TextPageHeader(PageNo, Kind);
}

void ReportColumnHeader()
{
    const auto& T = ReportColumnTitles;
    if (IsTxtDevice()) {
        ReportLine(T[1] + Tab + T[2] + Tab + T[3] + Tab + T[4] + Tab + T[5]);
        return;
    }
    if (IsHtmlDevice()) {
        CloseHtmlTable();
        ReportOpenTable();
        std::string row = "<TR><TD><CENTER>" + Html(T[1]) + "</CENTER></TD>";
        for (std::size_t k = 2; k <= T.size(); ++k)
            row += "<TD>" + Html(T[k]) + "</TD>";
        PutLine(row + "</TR>");
        return;
    }
    // each title at its column, or one blank after the title before it
    std::string line = FramedBlankLine();
    int next = 0;
    for (std::size_t k = 1; k <= T.size(); ++k) {
        const int col = std::max(k == 1 ? 3 : static_cast<int>(ReportTabs[k - 1]), next);
        Place(line, T[k], col);
        if (!T[k].empty())
            next = col + static_cast<int>(T[k].size()) + 1;
    }
    line.back() = FrameSideChar();
    ReportLine(line);
    ReportLine(FrameBottomLine());
    ReportLine("");
}

void ReportOpenTable()
{
    if (ReportTableOpen)
        ReportCloseTable();
    PutLine("<TABLE BORDER = \"2\" WIDTH= \"100%\">");
    ReportTableOpen = true;
}

void ReportCloseTable()
{
    if (ReportTableOpen) {
        PutLine("</TABLE>");
        ReportTableOpen = false;
    }
}

} // namespace kt4
