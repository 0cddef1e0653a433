#include "shell/project_list.h"

#include "cad/cad_settings.h"
#include "drive/docu_data.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/project_layout.h"
#include "drive/projectfile.h"
#include "foundation/codepage.h"
#include "foundation/datetime.h"
#include "foundation/dialogs.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"
#include "graphics/graph_device.h"
#include "shell/menu_commands.h"
#include "shell/preview_grid.h"
#include "shell/project_files.h"
#include "shell/services.h"
#include "shell/window_link.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace kt4::shell {

namespace fs = std::filesystem;
using namespace settings;

namespace {

bool SameTextNoCase(const std::string& A, const std::string& B)
{
    return A.size() == B.size() &&
           std::equal(A.begin(), A.end(), B.begin(), [](unsigned char a, unsigned char b) {
               return std::tolower(a) == std::tolower(b);
           });
}

// Puts the open design back however the scan ends.
class OpenDesignGuard {
public:
    OpenDesignGuard() : saved_(CaptureOpenDesign()) {}
    ~OpenDesignGuard() { RestoreOpenDesign(saved_); }
    OpenDesignGuard(const OpenDesignGuard&) = delete;
    OpenDesignGuard& operator=(const OpenDesignGuard&) = delete;

private:
    OpenDesign saved_;
};

// One file's row, as opening the file shows it: it depends on the file
// alone.
std::vector<std::string> ProjectRow(const std::string& Folder, const std::string& Name)
{
    using namespace drive;
    std::vector<std::string> row(ProjectListColumns);
    const std::string path = AddBackslash(Folder) + Name;
    row[0] = Name;
    project::ProjectState state;
    std::string version;
    std::time_t modified = 0;
    const bool read = project::ReadProjectScratch(path, state, version, &modified);
    // the date from the opened file; a file that did not open asks again
    row[1] = modified != 0 ? FileDateStr(modified) : FileDateStr(path);
    if (!read) {
        row[4] = UnreadableText;
        return row;
    }
    project::CommitProject(state);
    CalcDrive();
    const bool failed = CalcErrorFlag;
    auto result = [&](Real x, int intDigits, int decs) {
        return failed ? std::string(FailedValueText) : FormatReal(x, intDigits, decs);
    };
    row[2] = OemToDisplay(version);
    row[3] = OemToDisplay(docu::ZeichNr);
    row[4] = OemToDisplay(docu::ZeichName);
    row[5] = OemToDisplay(docu::ZeichName2);
    for (std::size_t k = 0; k < 3; ++k)
        row[6 + k] = OemToDisplay(RemarkLines[k]);
    row[9] = result(iAbs, 6, 0);
    row[10] = result(i, 6, 0);
    row[11] = FormatReal(dHe, 6, 0);
    row[12] = result(bcase, 6, 0);
    row[13] = FormatReal(P[1], 6, 0);
    row[14] = FormatReal(n[1], 6, 0);
    row[15] = result(n[2], 4, 1);
    row[16] = FormatReal(dH, 6, 0);
    return row;
}

std::string ChoiceLine(const std::vector<std::string>& Row)
{
    std::string line;
    for (const auto& cell : Row)
        line += (line.empty() ? "" : " | ") + cell;
    return line;
}

} // namespace

const std::vector<std::string>& ProjectListHeader()
{
    static const std::vector<std::string> header = {
        "File", "Date y-m-d", "Vers.", "No.",  "Name", "Name2", "Text1", "Text2", "Text3",
        "i0",   "i sc",       "d case", "b case", "P kW", "n in", "n out", "dH"};
    return header;
}

std::vector<std::string> ProjectFileNames(const std::string& Folder)
{
    std::vector<std::string> names;
    const std::string ext = "." + DataFileExt;
    std::error_code ec;
    // no folder (a project named on the command line): the current one
    const fs::path folder = Folder.empty() ? fs::path(".") : fs::path(Folder);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code tc;
        if (!it->is_regular_file(tc))
            continue;
        const fs::path name = it->path().filename();
        if (SameTextNoCase(name.extension().string(), ext))
            names.push_back(name.string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

OpenDesign CaptureOpenDesign()
{
    OpenDesign d;
    d.drive = drive::CaptureDrive();
    d.remarks = RemarkLines;
    d.zeichNr = docu::ZeichNr;
    d.zeichName = docu::ZeichName;
    d.zeichName2 = docu::ZeichName2;
    d.revisions = docu::AendList;
    d.revisionCount = docu::AendCount;
    d.titleBlock = docu::ZeichInfo;
    d.freeTexts = docu::ZeichTexts;
    d.freeTextCount = docu::ZeichTextCount;
    d.freeTextMode = docu::ZeichTextMode;
    d.links = docu::DokuList;
    d.linkCount = docu::DokuCount;
    d.messageCount = MessageCount;
    d.messages.assign(MessageTexts.begin(), MessageTexts.end());
    d.calcError = CalcErrorFlag;
    d.currentFileName = CurrentFileName;
    d.dataDir = DataDir;
    d.fileNameHasDir = FileNameHasDir;
    d.dataModified = DataModified;
    d.savedValues = SavedValues();
    return d;
}

void RestoreOpenDesign(const OpenDesign& D)
{
    drive::RestoreDrive(D.drive);
    RemarkLines = D.remarks;
    docu::ZeichNr = D.zeichNr;
    docu::ZeichName = D.zeichName;
    docu::ZeichName2 = D.zeichName2;
    docu::AendList = D.revisions;
    docu::AendCount = D.revisionCount;
    docu::ZeichInfo = D.titleBlock;
    docu::ZeichTexts = D.freeTexts;
    docu::ZeichTextCount = D.freeTextCount;
    docu::ZeichTextMode = D.freeTextMode;
    docu::DokuList = D.links;
    docu::DokuCount = D.linkCount;
    MessageCount = D.messageCount;
    std::copy(D.messages.begin(), D.messages.end(), MessageTexts.begin());
    CalcErrorFlag = D.calcError;
    CurrentFileName = D.currentFileName;
    DataDir = D.dataDir;
    FileNameHasDir = D.fileNameHasDir;
    DataModified = D.dataModified;
    SetSavedValues(D.savedValues);
}

std::vector<std::vector<std::string>> ListProjectFiles(const std::string& Folder)
{
    std::vector<std::vector<std::string>> rows{ProjectListHeader()};
    const bool abort = AbortFlag;
    {
        OpenDesignGuard keep;
        const std::string title = OemToDisplay(ProgramTitle) + " -> ";
        for (const auto& name : ProjectFileNames(Folder)) {
            Window().SetCaption(title + name);
            rows.push_back(ProjectRow(Folder, name));
        }
    }
    AbortFlag = abort;
    return rows;
}

PreviewGrid ProjectListGrid(const std::string& Folder)
{
    PreviewGrid grid;
    grid.Mode = 0;
    grid.ColWidths = {120, 72, 40, 90, 120, 120, 120, 120, 120};
    grid.RightAligned.assign(ProjectListColumns, false);
    std::fill(grid.RightAligned.begin() + 9, grid.RightAligned.end(), true);
    grid.Rows = ListProjectFiles(Folder);
    return grid;
}

bool OpenListedFile(const std::string& Name)
{
    if (!ReadProject(AddBackslash(DataDir) + Name))
        return false;
    CurrentFileName = fs::path(Name).stem().string();
    FileNameHasDir = false;
    DataModified = false;
    Window().UpdateErrorMessagesItem(true);
    UpdateWindowCaption();
    return true;
}

void ShowPreview(PreviewGrid& Grid)
{
    if (FormServices().preview) {
        FormServices().preview(Grid);
        return;
    }
    std::vector<std::string> lines;
    for (int r = 1; r < Grid.RowCount(); ++r)
        lines.push_back(ChoiceLine(Grid.Rows[static_cast<std::size_t>(r)]));
    int sel = Grid.SelectedRow > 0 ? Grid.SelectedRow : 1;
    if (!Ui().ListChoice(Grid.Caption(), lines, sel)) {
        AbortFlag = true;
        return;
    }
    AbortFlag = false;
    if (sel != Grid.SelectedRow)
        Grid.SelectedRow = Grid.Row = sel;
}

void OpenTableCommand()
{
    AbortFlag = false;
    AskSaveChanges();
    if (AbortFlag)
        return;
    graphics::GraphDevice.Clear();
    cad::Edit3DAngles = false;
    HourglassCursor();
    PreviewGrid grid = ProjectListGrid(DataDir);
    NormalCursor();
    UpdateWindowCaption();
    while (!AbortFlag) {
        const int before = grid.SelectedRow;
        ShowPreview(grid);
        if (AbortFlag || grid.SelectedRow <= 0 || grid.SelectedRow == before)
            break;
        if (!OpenListedFile(grid.Cell(0, grid.SelectedRow)))
            grid.SelectedRow = before; // not opened: the row can be chosen again
        AbortFlag = false;
    }
    UpdateWindowCaption();
    // the window, cleared for the list, shows the open design again,
    // however the list was left
    const bool abort = AbortFlag;
    AbortFlag = false;
    RedrawCurrentView();
    AbortFlag = abort;
}

} // namespace kt4::shell
