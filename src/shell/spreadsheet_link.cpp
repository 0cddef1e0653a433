#include "shell/spreadsheet_link.h"

#include "drive/printout.h"
#include "drive/projectfile.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/explain.h"
#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/paths.h"
#include "foundation/report.h"
#include "foundation/settings.h"
#include "shell/preview_grid.h"
#include "shell/project_files.h"
#include "shell/window_link.h"

#include <filesystem>

namespace kt4::shell {

using namespace settings;

bool SpreadsheetStarted = false;

namespace {

// A message composed in display text.
void Tell(const std::string& Utf8) { MessageText(DisplayToOem(Utf8)); }

// Each line of the text file Path as one row, its cells made by Cells.
// False (told, AbortFlag) when the file cannot be read.
template <class F>
bool FileRows(const std::string& Path, CsvRows& Rows, F Cells)
{
    std::vector<std::string> lines;
    if (!ReadTextLines(Path, lines)) {
        ErrorBox(DisplayToOem(IoErrorText(IoReadPastEnd) + ": " + Path));
        AbortFlag = true;
        return false;
    }
    Rows.reserve(lines.size());
    for (const auto& line : lines)
        Rows.push_back(Cells(line));
    return true;
}

std::vector<std::string> SplitAtTabs(const std::string& Line)
{
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        std::size_t tab = Line.find('\t', start);
        cells.push_back(Line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return cells;
        start = tab + 1;
    }
}

// Puts the report device settings back however the printout ends.
class TextDeviceGuard {
public:
    TextDeviceGuard() : device_(TextDevice), dialog_(TextDeviceDialog) {}
    ~TextDeviceGuard()
    {
        TextDevice = device_;
        TextDeviceDialog = dialog_;
    }
    TextDeviceGuard(const TextDeviceGuard&) = delete;
    TextDeviceGuard& operator=(const TextDeviceGuard&) = delete;

private:
    Word device_;
    bool dialog_;
};

} // namespace

bool HandToSpreadsheet(const std::string& Stem, const CsvRows& Rows, const std::string& FailText)
{
    std::string file = WriteCsvFile(Stem, Rows);
    if (file.empty())
        return false;
    HourglassCursor();
    const bool opened = OpenWrittenFile(file, FailText);
    NormalCursor();
    if (!opened)
        AbortFlag = true;
    return opened;
}

void StartSpreadsheet()
{
    if (CurrentFileName.empty()) {
        Tell("Zuerst müssen Sie Ihre Eingabedaten speichern (Menü \"Datei->Speichern\")");
        AbortFlag = true;
        return;
    }
    SpreadsheetStarted = true;
    Window().EnableSpreadsheetItems();
}

void ExportToSpreadsheet()
{
    if (DataModified && SaveFile(CurrentFileName))
        DataModified = false;
    if (!AbortFlag)
        CopyTextFileToSpreadsheet(CurrentFileName);
}

void CopyTextFileToSpreadsheet(const std::string& Name)
{
    if (Name.empty()) {
        Tell("File not found. Use \"File->Save\"");
        AbortFlag = true;
        return;
    }
    const std::string full = project::DataFilePath(Name);
    std::error_code ec;
    if (!FileReadable(full) || std::filesystem::is_directory(full, ec)) {
        ErrorBox(DisplayToOem("Datei " + full + " nicht gefunden oder kein Zugriffsrecht !"));
        AbortFlag = true;
        return;
    }
    CsvRows rows;
    if (!FileRows(full, rows, [](const std::string& line) {
            return std::vector<std::string>{OemToDisplay(line)};
        }))
        return;
    HandToSpreadsheet(std::filesystem::path(full).stem().string(), rows,
                      "Excel kann nicht gestartet werden");
}

std::function<bool(int)>& SpreadsheetPrintoutWriter()
{
    static std::function<bool(int)> writer = [](int arg) { return drive::WriteAusdruck(arg); };
    return writer;
}

void PrintoutToSpreadsheet(int Arg)
{
    AbortFlag = false;
    if (CalcErrorFlag) {
        CalcMessagesDialog();
        return;
    }
    std::string txt;
    {
        TextDeviceGuard keep;
        TextDeviceDialog = false;
        TextDevice = 6;
        const Integer before = OutputFileCounter;
        bool written = SpreadsheetPrintoutWriter()(Arg);
        if (!written || AbortFlag || OutputFileCounter == before)
            return;
        txt = TxtDeviceCopyName(OutputFileCounter);
    }
    CsvRows rows; // the TXT copy is display text already
    if (!FileRows(txt, rows, SplitAtTabs))
        return;
    HandToSpreadsheet("printout", rows, "Excel kann nicht gestartet werden");
}

void ExportGridToSpreadsheet(const PreviewGrid& Grid)
{
    HandToSpreadsheet("list", Grid.Rows, "Could not start Excel");
}

void StartSpreadsheetCommand()
{
    AbortFlag = false;
    HourglassCursor();
    StartSpreadsheet();
    NormalCursor();
}

void ExportToSpreadsheetCommand()
{
    AbortFlag = false;
    ExportToSpreadsheet();
    UpdateWindowCaption();
}

void PrintoutToSpreadsheetCommand() { PrintoutToSpreadsheet(0); }

} // namespace kt4::shell
