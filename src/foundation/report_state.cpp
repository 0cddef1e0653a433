// The state of the report writer, its rule lines and header settings.
#include "foundation/report.h"

#include "foundation/codepage.h"
#include "foundation/report_internal.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"

namespace kt4 {

namespace report {
Word ReportDevice;
bool ReportPause;
Integer ReportPageNo;
Integer ReportLineNo;
Integer ReportHeaderKind;
bool ReportRepeatHeader;
std::string ReportFileName;
bool ReportTableOpen;
std::string ReportTitle;
Array1<std::string, 4> ReportHeaderLines;
Integer ReportPageCount;
Array1<std::string, 5> ReportColumnTitles;
Array1<Word, 5> ReportTabs;
Array1<std::string, 3> PrinterPortPaths;

void InitReport()
{
    ReportDevice = DevScreen;
    ReportPause = false;
    ReportPageNo = 0;
    ReportLineNo = 0;
    ReportHeaderKind = 0;
    ReportRepeatHeader = true;
    ReportFileName = "$out.tmp";
    ReportTableOpen = false;
    ReportTitle = settings::ProgramTitle + "  V" + settings::ProgramVersion;
    ReportHeaderLines.fill("");
    ReportPageCount = 0;
    ReportColumnTitles[1] = "";
    ReportColumnTitles[2] = "Zeichen";
    ReportColumnTitles[3] = "Einheit";
    ReportColumnTitles[4] = "1";
    ReportColumnTitles[5] = "2";
    ResetReportTabs();
    PrinterPortPaths[1] = "/dev/lp0";
    PrinterPortPaths[2] = "/dev/lp1";
    PrinterPortPaths[3] = "/dev/lp2";
    detail::InPageHeader = false;
}
} // namespace report

using namespace report;

namespace report::detail {

bool InPageHeader = false;

std::string Html(const std::string& S) { return HtmlEscape(OemToDisplay(S)); }

std::string FramedBlankLine(int Width)
{
    std::string line(static_cast<std::size_t>(Width), ' ');
    line.front() = FrameSideChar();
    line.back() = FrameSideChar();
    return line;
}

void Place(std::string& Line, const std::string& S, int Col) { OverwriteStr(S, Line, Col); }

} // namespace report::detail

std::string PrinterPortPath(Integer Port)
{
    if (Port < 1 || Port > static_cast<Integer>(PrinterPortPaths.size()))
        Port = 1;
    return PrinterPortPaths[static_cast<std::size_t>(Port)];
}

void ResetReportTabs()
{
    ReportTabs[1] = 35;
    ReportTabs[2] = 44;
    ReportTabs[3] = 51;
    ReportTabs[4] = 62;
    ReportTabs[5] = 56;
}

Word GetReportDevice() { return ReportDevice; }

void SetReportHeader(const std::string& Title, const std::string& Line1, const std::string& Line2,
                     const std::string& Line3, const std::string& Line4, Integer PageCount)
{
    ReportTitle = Title.empty() ? settings::ProgramTitle + "  V" + settings::ProgramVersion : Title;
    ReportHeaderLines[1] = Line1;
    ReportHeaderLines[2] = Line2;
    ReportHeaderLines[3] = Line3;
    ReportHeaderLines[4] = Line4;
    ReportPageCount = PageCount;
    ReportPageNo = 0;
    ReportLineNo = 0;
}

void SetReportColumns(const std::string& T1, const std::string& T2, const std::string& T3,
                      const std::string& T4, const std::string& T5)
{
    ReportColumnTitles[1] = T1;
    ReportColumnTitles[2] = T2;
    ReportColumnTitles[3] = T3;
    ReportColumnTitles[4] = T4;
    ReportColumnTitles[5] = T5;
    ResetReportTabs();
}

const std::vector<std::string>& ReportDeviceNames()
{
    static const std::vector<std::string> names{
        "Bildschirm", "Textdrucker", "Datei", "Windows-Drucker", "externes Textprogramm",
        "TXT Datei", "HTML Datei"};
    return names;
}

bool IsTxtDevice() { return ReportDevice == DevTxt || ReportDevice == DevTxtBesideData; }
bool IsHtmlDevice() { return ReportDevice == DevHtml; }
bool IsTextDevice() { return !IsTxtDevice() && !IsHtmlDevice(); }

namespace {

// mode 2 uses the double and single box lines of the OEM code page
std::string Rule(char mode1, char mode2)
{
    switch (settings::TextPrintMode) {
    case 1:
        return std::string(70, mode1);
    case 2:
        return std::string(70, mode2);
    case 3:
        return std::string(70, ' ');
    default:
        return DroppedLine;
    }
}

std::string Frame(char left, char right)
{
    if (settings::TextPrintMode != 2)
        return Rule('*', '\xCD');
    return left + std::string(68, '\xCD') + right;
}

} // namespace

std::string ThinRuleLine() { return Rule('-', '\xC4'); }
std::string ThickRuleLine() { return Rule('=', '\xCD'); }
std::string FrameTopLine() { return Frame('\xC9', '\xBB'); }
std::string FrameBottomLine() { return Frame('\xC8', '\xBC'); }
std::string FrameMiddleLine() { return Frame('\xCC', '\xB9'); }

char FrameSideChar()
{
    switch (settings::TextPrintMode) {
    case 1:
        return '*';
    case 2:
        return '\xBA';
    default:
        return ' ';
    }
}

std::string HtmlEscape(const std::string& S)
{
    std::string out;
    out.reserve(S.size());
    for (char c : S) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace kt4
