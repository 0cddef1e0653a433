#include "drive/projectfile.h"

#include "drive/project_layout.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace kt4::project {

namespace {

namespace fs = std::filesystem;

// The open dialog; "" when cancelled.
std::string AskOpenName()
{
    using namespace settings;
    std::string mask = "*." + DataFileExt;
    std::string path = CurrentFileName;
    if (!Ui().OpenFileDialog("", AddBackslash(DataDir), mask + "|" + mask, path))
        return "";
    return path;
}

// A message composed in display text, shown as stored text.
void Error(const std::string& Utf8) { ErrorBox(DisplayToOem(Utf8)); }

bool ReadFailed(const std::string& Text)
{
    Error(Text);
    settings::AbortFlag = true;
    return false;
}

// Asks whether numbers that could not be read may count as 0.
bool AcceptBadNumbers(const LineReader& In, const std::string& Path)
{
    std::string text = "Falsches numerisches Format in " + IntStr(In.BadNumbers()) +
                       " Zeile(n) von " + Path + " (erste: Zeile " + IntStr(In.FirstBadLine()) +
                       "). Diese Werte als 0 übernehmen ?";
    if (YesNoCancelBox(DisplayToOem(text)))
        return true;
    settings::AbortFlag = true;
    return false;
}

bool IsReadableFile(const std::string& Path)
{
    std::error_code ec;
    return FileReadable(Path) && !fs::is_directory(Path, ec);
}

// The header's third line without "Version ".
std::string VersionText(const std::string& Line)
{
    const std::string prefix = "Version ";
    return Line.rfind(prefix, 0) == 0 ? Line.substr(prefix.size()) : Line;
}

// Reads the file Path whole into State; In tells how it went. False when
// the file could not be opened (with RegularOnly: when it is no regular
// file). Modified receives the file's modification time.
bool ReadWhole(const std::string& Path, ProjectState& State, LineReader& In, std::string& Version,
               bool RegularOnly = false, std::time_t* Modified = nullptr)
{
    ReportFile.Assign(Path);
    if (!(RegularOnly ? ReportFile.ResetRegular() : ReportFile.Reset()))
        return false;
    if (Modified)
        *Modified = ReportFile.ModifiedTime();
    std::string version;
    In.Skip(2);
    In.Text(version);
    In.Skip(1);
    ReadProjectBody(In, State);
    ReportFile.Close();
    Version = VersionText(version);
    return true;
}

} // namespace

std::string DataFilePath(const std::string& Name)
{
    using namespace settings;
    // a name given with some other extension ("proj.dat") is read as it is
    return DataFileFor(DataDir, Name, DataFileExt);
}

bool WriteDataFile(const std::string& Name)
{
    std::string full;
    GetSaveFileName(Name, full);
    if (settings::AbortFlag)
        return false;
    ProjectState state = CaptureProject();
    ReportFile.Assign(full);
    if (ReportFile.Rewrite()) {
        WriteFileHeader();
        WriteProjectBody(state);
    }
    int code = ReportFile.IoError();
    if (ReportFile.Close() && code == 0) {
        NoteProjectFile(full);
        return true;
    }
    Error(IoErrorText(ReportFile.IoError() ? ReportFile.IoError() : code) + ": " + full +
          " wurde nicht gespeichert.");
    settings::AbortFlag = true;
    return false;
}

bool ReadDataFile(const std::string& Name)
{
    bool ask = Name.empty();
    std::string full = ask ? AskOpenName() : DataFilePath(Name);
    if (full.empty()) {
        settings::AbortFlag = true;
        return false;
    }
    if (!ReadDataFileAt(full))
        return false;
    if (ask) {
        fs::path p = fs::absolute(full);
        settings::DataDir = p.parent_path().string();
        settings::CurrentFileName = ProjectNameOf(full, settings::DataFileExt);
    }
    return true;
}

bool ReadDataFileAt(const std::string& full)
{
    if (!IsReadableFile(full))
        return ReadFailed("Datei " + full + " nicht gefunden oder kein Zugriffsrecht !");

    ProjectState state;
    LineReader in;
    std::string version;
    if (!ReadWhole(full, state, in, version)) {
        // A run short of descriptors or memory is told so: the file is there.
        const int cause = ReportFile.SysError();
        if (cause == EMFILE || cause == ENFILE || cause == ENOMEM)
            return ReadFailed("Datei " + full + " nicht lesbar: " + std::strerror(cause));
        return ReadFailed("Datei " + full + " nicht gefunden oder kein Zugriffsrecht !");
    }
    if (in.Failed())
        return ReadFailed(IoErrorText(IoReadPastEnd) + ": " + full + " endet nach Zeile " +
                          IntStr(in.LinesRead()) + " von " + IntStr(DataFileLines) +
                          "; das Projekt bleibt unverändert.");
    if (in.BadNumbers() > 0 && !AcceptBadNumbers(in, full))
        return false;

    CommitProject(state);
    NoteProjectFile(full);
    return true;
}

bool ReadProjectScratch(const std::string& Path, ProjectState& State, std::string& Version,
                        std::time_t* Modified)
{
    const bool abort = settings::AbortFlag;
    LineReader in;
    bool ok = ReadWhole(Path, State, in, Version, true, Modified) && !in.Failed() && in.BadNumbers() == 0;
    settings::AbortFlag = abort;
    return ok;
}

} // namespace kt4::project
