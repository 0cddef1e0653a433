// The report writer: every text report (calculation printout, bearing
// printout, revision protocol, message report, table print) is written
// line by line through these routines onto the shared ReportFile.
//
// Protocol: SetReportHeader, OpenReport (stop when AbortFlag is set; the
// report file is then open), ReportPageHeader, lines and rows,
// ReportCalcMessages where messages belong, CloseReport.
//
// Texts arrive as stored (OEM) text. Text devices write paged plain text
// (a 70-column body behind a margin of 7 blanks, rule lines and framed
// page headers by TextPrintMode, page breaks after LinesPerPage lines);
// devices 6 and 9 a tab-separated form; device 7 HTML in UTF-8, where
// texts are escaped and the writer's own markup is not.
#pragma once

#include "foundation/types.h"

#include <string>
#include <vector>

namespace kt4 {

// TReportDevice
enum ReportDeviceCode : Word {
    DevAsk = 0,
    DevScreen = 1,
    DevTextPrinter = 2,
    DevFile = 3,
    DevPrinter = 4,
    DevTextProgram = 5,
    DevTxt = 6,
    DevHtml = 7,
    DevOutDos = 8,
    DevTxtBesideData = 9,
    DevListNames = 90, // OpenReport only fills the list of device names
};
using TReportDevice = Word;

namespace report {
extern Word ReportDevice;
extern bool ReportPause;
extern Integer ReportPageNo;
extern Integer ReportLineNo;
extern Integer ReportHeaderKind;
extern bool ReportRepeatHeader;
extern std::string ReportFileName;
extern bool ReportTableOpen;
extern std::string ReportTitle;
extern Array1<std::string, 4> ReportHeaderLines;
extern Integer ReportPageCount;
extern Array1<std::string, 5> ReportColumnTitles;
extern Array1<Word, 5> ReportTabs;
// The text printer ports 1..3 ("LPT1".."LPT3"): their device files. The
// text printer writes only to an existing character device; a missing or
// unwritable port is told with its name.
extern Array1<std::string, 3> PrinterPortPaths;
void InitReport();
} // namespace report

// The file behind text printer port n (1..3; others give port 1).
std::string PrinterPortPath(Integer Port);

// Device and file
void OpenReport(TReportDevice Device, const std::string& Name);
// Opens the report file when OpenReport has not (the protocol's rewrite).
void RewriteReportFile();
void CloseReport();
// True when the last report closed reached its destination: for the
// devices that copy it into a file (3, 6, 8, 9) that copy is in place
// whole, for the others the report file was written whole.
bool ReportDelivered();
Word GetReportDevice();
void SetReportHeader(const std::string& Title, const std::string& Line1, const std::string& Line2,
                     const std::string& Line3, const std::string& Line4, Integer PageCount);
void SetReportColumns(const std::string& T1, const std::string& T2, const std::string& T3,
                      const std::string& T4, const std::string& T5);
void ResetReportTabs();
// The names of the devices 1..7 as the device list shows them.
const std::vector<std::string>& ReportDeviceNames();
bool IsTxtDevice();
bool IsHtmlDevice();
bool IsTextDevice();

// Rule and frame lines of TextPrintMode ("$!$" in the compact mode 4).
std::string ThinRuleLine();
std::string ThickRuleLine();
std::string FrameTopLine();
std::string FrameBottomLine();
std::string FrameMiddleLine();
char FrameSideChar();
inline constexpr const char* DroppedLine = "$!$";

// Page layout
void ReportPageHeader(Integer PageNo, Integer Kind);
void ReportColumnHeader();
void ReportNewPage();
void ReportCheckPageBreak(Integer Kind);
void ReportNeedLines(Integer Kind);
void ReportAskSheet();

// Lines and rows
void ReportLine(const std::string& S);
void ReportText(const std::string& S);
void ReportRawLine(const std::string& S);
void ReportRawText(const std::string& S);
void ReportCell(const std::string& S);
void ReportWrappedText(const std::string& S);
void ReportRow4(const std::string& Label, const std::string& Symbol, const std::string& UnitText,
                const std::string& Value);
void ReportRow5(const std::string& Label, const std::string& Symbol, const std::string& UnitText,
                const std::string& Value1, const std::string& Value2);
void ReportOpenTable();
void ReportCloseTable();

// A display text made safe for HTML (&, < and > escaped).
std::string HtmlEscape(const std::string& S);

// The message report
void ReportMessagesSection();
void ReportCalcMessages();
void ViewErrorMessages();

// The printout file of device 9 beside the data file: the current file's
// name without the data file extension, with ".txt", in DataDir (as it is
// when the name holds its folder).
std::string BesideDataName();

// The display copy "$$" + Counter + ".txt" in TempDir that device 6 writes
// without asking (the last one has the number OutputFileCounter). It stays
// after the run, as "OUTDOS.TXT" of device 8 does; the other report files
// with fixed names live in the private folder.
std::string TxtDeviceCopyName(Integer Counter);

// Copies a text file line by line from OEM to display text (UTF-8); an
// I/O error sets AbortFlag, ends the copy and is told in an error box;
// Dest then stays as it was. False when Dest was not written.
bool CopyTextFileToDisplay(const std::string& Source, const std::string& Dest);

// A table of up to 7 columns in a report. The column count is the number
// of leading non-zero widths. Done (or the destructor) ends the table.
class TReportTable {
public:
    TReportTable() = default;
    virtual ~TReportTable();
    TReportTable(const TReportTable&) = delete;
    TReportTable& operator=(const TReportTable&) = delete;

    void Init(const Array1<Integer, 7>& Widths, const Array1<std::string, 7>& Titles);
    void PrintRow(const std::string& V1, const std::string& V2 = "", const std::string& V3 = "",
                  const std::string& V4 = "", const std::string& V5 = "", const std::string& V6 = "",
                  const std::string& V7 = "");
    virtual void Done();

    Array1<Integer, 7> Widths;
    Array1<std::string, 7> Cells;
    bool RowRules = false;

private:
    void WriteRow(bool titles);
    int Columns() const;
    bool open_ = false;
};

} // namespace kt4
