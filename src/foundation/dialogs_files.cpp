// File dialogs and checks, I/O with error texts, the window title, the
// cursor and the start-up user prompt.
#include "foundation/dialogs.h"

#include "foundation/atomic_file.h"
#include "foundation/codepage.h"
#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/ui_service.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace kt4 {

namespace fs = std::filesystem;

namespace {

constexpr int IoNotReady = 152;

std::string projectFile; // NoteProjectFile

std::string FilterOf(const std::string& Mask) { return Mask + "|" + Mask; }

// A file this user may not write: the writers leave it alone.
bool WriteProtected(const std::string& Name, const struct stat& st)
{
    if (!S_ISREG(st.st_mode) || ::faccessat(AT_FDCWD, Name.c_str(), W_OK, AT_EACCESS) == 0)
        return false;
    return errno == EACCES || errno == EPERM || errno == EROFS;
}

// The name is tried the way the writers will write it: a new file beside
// it, dropped again (a killed check leaves a temporary that the next write
// of the name removes). The name itself is not touched.
bool WriterAccepts(const std::string& Name, AtomicWriter::Refusal& Why)
{
    AtomicWriter probe;
    bool ok = probe.Open(Name);
    Why = probe.Refused();
    probe.Discard();
    return ok;
}

// The save dialog for a file with the extension Ext, preset with the
// current file's bare name and that extension. Folder, Base and Full
// receive the chosen file's folder, its name without Ext and its full name
// (a chosen name that carries Ext in another case keeps it). False (and
// AbortFlag) when nothing was chosen.
bool SaveDialog(const std::string& Ext, const std::string& Dir, std::string& Folder, std::string& Base,
                std::string& Full)
{
    using settings::CurrentFileName;
    std::string path;
    if (!CurrentFileName.empty())
        path = NameWithoutThisExt(CurrentFileName, settings::DataFileExt) + "." + Ext;
    bool ok = Ui().SaveFileDialog("", StripBackslash(Dir), FilterOf("*." + Ext), Ext, path);
    NormalCursor();
    std::string file = ok ? FileNamePart(path) : std::string();
    Base = NameWithoutThisExt(file, Ext);
    if (!ok || Base.empty()) {
        settings::AbortFlag = true;
        return false;
    }
    Folder = StripBackslash(FilePathPart(path));
    if (Folder.empty() && FilePathPart(path).empty())
        Folder = StripBackslash(Dir);
    Full = AddBackslash(Folder) + (NameHasExt(file, Ext) ? file : file + "." + Ext);
    return true;
}

int RetryCode(const LineFile& F)
{
    if (F.IoError() == IoWriteProtected)
        return IoWriteProtected;
    switch (F.SysError()) {
    case EROFS:
        return IoWriteProtected;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
        return IoNotReady;
    default:
        return F.IoError() ? F.IoError() : F.SysError();
    }
}

bool ValidUserWord(const std::string& W)
{
    return !W.empty() && W != "." && W != ".." && W.find_first_of("/\\:") == std::string::npos;
}

} // namespace

std::string IoErrorText(int Code)
{
    switch (Code) {
    case IoReadPastEnd:
        return "Lesefehler";
    case IoWriteFailed:
        return "Diskette/Platte voll";
    case 106:
        return "Falsches numerisches Format";
    case IoWriteProtected:
        return "Schreibschutz entfernen !";
    case IoNotAFile:
        return DisplayToOem("Ungültiger Dateiname");
    case IoNameTaken:
        return NameTakenText;
    case IoUnsafeLink:
        return UnsafeLinkText();
    default:
        return "Fehler bei Zugriff auf Diskette/Platte";
    }
}

void CheckOutputFile(const std::string& Name)
{
    const std::string shown = DisplayToOem(Name);
    struct stat st {};
    const bool exists = ::stat(Name.c_str(), &st) == 0;
    // A file that is already there (a project opened as "proj.v2.kt4") is
    // saved again under its name; only new names keep to one dot.
    if (!exists && CountChar('.', FileNamePart(Name)) >= 2) {
        ShowMessageText(shown + " not allowed (too many dots)!");
        settings::AbortFlag = true;
        return;
    }
    if (exists && !S_ISDIR(st.st_mode) && dialogs::AskOverwrite &&
        Name.find("aktuell") == std::string::npos) {
        SetHelpNumber(3055);
        if (!YesNoCancelBox(shown + " " + "existiert bereits" + ".   " + DisplayToOem("überschreiben") + " ?"))
            settings::AbortFlag = true;
    }
    if (settings::AbortFlag)
        return;
    if (exists && WriteProtected(Name, st)) {
        ErrorBox(IoErrorText(IoWriteProtected) + "  \"" + shown + "\"");
        settings::AbortFlag = true;
        return;
    }
    AtomicWriter::Refusal why = AtomicWriter::Refusal::None;
    bool ok = !(exists && S_ISDIR(st.st_mode)) && WriterAccepts(Name, why);
    if (!ok) {
        if (why == AtomicWriter::Refusal::NameTaken || why == AtomicWriter::Refusal::UnsafeLink)
            ErrorBox(IoErrorText(RefusalIoCode(why)) + "  \"" + shown + "\"");
        else
            ErrorBox(DisplayToOem("Ungültiger Dateiname ") + "\"" + shown + "\"" + " !");
        settings::AbortFlag = true;
    }
}

void NoteProjectFile(const std::string& Path) { projectFile = Path; }

bool RefuseOpenFileTarget(const std::string& Name)
{
    // what each file the engine holds is, as the refusal names it
    static const char* const heldTexts[] = {
        nullptr,                                      // HeldFile::None
        "eine geöffnete Tabelle",                     // HeldFile::Table
        "die Memodatei einer geöffneten Tabelle",     // HeldFile::Memo
        "ein Index einer geöffneten Tabelle",         // HeldFile::Index
        "die Semaphordatei einer geöffneten Tabelle", // HeldFile::Semaphore
    };
    static_assert(std::size(heldTexts) == std::size_t(HeldFile::Semaphore) + 1);
    const char* what = !settings::CurrentFileName.empty() && SameFile(Name, projectFile)
                           ? "die Projektdatei"
                           : heldTexts[std::size_t(HeldFileAt(Name))];
    if (!what)
        return false;
    ErrorBox(DisplayToOem(std::string("Ziel ist ") + what + ": " + Name + " wurde nicht geschrieben."));
    settings::AbortFlag = true;
    return true;
}

bool CheckDialogOutputFile(const std::string& Name)
{
    if (RefuseOpenFileTarget(Name))
        return false;
    CheckOutputFile(Name);
    return !settings::AbortFlag;
}

void GetSaveFileName(const std::string& Name, std::string& FullName)
{
    using namespace settings;
    if (FileNameHasDir && ArchiveMode && Name != "aktuell") {
        ArchiveRefusal();
        AbortFlag = true;
        return;
    }
    if (FileNameHasDir && !ArchiveMode)
        FileNameHasDir = false;
    if (Name.empty()) {
        if (DemoRunning)
            CurrentFileName = "demo";
        std::string folder, base;
        if (!SaveDialog(DataFileExt, DataDir, folder, base, FullName))
            return;
        CheckOutputFile(FullName);
        if (!AbortFlag) {
            CurrentFileName = base;
            DataDir = folder;
        }
        return;
    }
    // "proj.v2" is saved as "proj.v2.kt4" (or "PROJ.V2.KT4" when that is
    // there); a file opened with another extension ("x.dat") is saved as it is
    FullName = DataFileFor(DataDir, Name, DataFileExt);
    CheckOutputFile(FullName);
}

std::string AskSaveFileName(const std::string& Ext, const std::string& Dir)
{
    using namespace settings;
    if (FileNameHasDir && ArchiveMode) {
        ArchiveRefusal();
        AbortFlag = true;
        return {};
    }
    std::string folder, base, full;
    if (!SaveDialog(Ext, Dir, folder, base, full) || !CheckDialogOutputFile(full))
        return {};
    return full;
}

void BrowseFolder(const std::string& Dir, std::string& NewDir)
{
    std::string start = DirExists(Dir) ? StripBackslash(Dir) : std::string();
    std::string chosen;
    NewDir = Ui().FolderDialog("", start, chosen) && !chosen.empty() ? chosen : Dir;
}

void BrowseFileInDir(Integer Kind, std::string& Dir, const std::string& Mask, std::string& Name)
{
    std::string path;
    if (!Ui().OpenFileDialog("", StripBackslash(Dir), FilterOf(Mask), path) || path.empty()) {
        Name.clear();
        settings::AbortFlag = true;
        return;
    }
    Dir = StripBackslash(FilePathPart(path));
    Name = Kind == 5 ? path : FileBaseName(path);
    if (Kind == 4)
        settings::DataFileExt = FileExtAfterDot(path);
}

void BrowseFileName(const std::string& OldName, const std::string& Mask, std::string& NewName)
{
    std::string path;
    if (!Ui().OpenFileDialog("", StripBackslash(FilePathPart(OldName)), FilterOf(Mask), path) ||
        path.empty()) {
        NewName = OldName;
        settings::AbortFlag = true;
        return;
    }
    NewName = path;
}

void CheckFileReadable(const std::string& Name)
{
    if (FileReadable(Name))
        return;
    ErrorBox("Datei " + DisplayToOem(TrimBlanks(Name)) + " " + "nicht gefunden oder kein Zugriffsrecht" + " !");
    settings::AbortFlag = true;
}

std::string WrittenNotOpenedText(const std::string& Path)
{
    std::error_code ec;
    const fs::path full = fs::absolute(Path, ec);
    return "Datei " + (ec ? Path : full.lexically_normal().string()) +
           " wurde geschrieben; sie kann nicht zum Ansehen geöffnet werden.";
}

bool OpenWrittenFile(const std::string& Path, const std::string& Lead)
{
    if (Ui().OpenDocument(Path))
        return true;
    // a failure told with its lead; else only the view failed, the file is
    // written: a notice, not an error
    const std::string text = WrittenNotOpenedText(Path);
    if (!Lead.empty())
        ErrorBox(DisplayToOem(Lead + "\n" + text));
    else if (settings::ShowErrorBoxes)
        NoticeText(DisplayToOem(text));
    return false;
}

bool RewriteChecked(LineFile& F)
{
    if (F.Rewrite())
        return true;
    // each with the file and the cause ("Diskette/Platte voll",
    // "Schreibschutz entfernen !", "file write error (...)", a planted name)
    if (F.IoError() == IoNotAFile)
        ErrorBox(DisplayToOem("Ungültiger Dateiname ") + "\"" + DisplayToOem(F.Path()) + "\"" + " !");
    else
        ErrorBox(F.FailureText());
    settings::AbortFlag = true;
    return false;
}

void WriteTextChecked(LineFile& F, const std::string& S)
{
    if (settings::AbortFlag)
        return;
    F.WriteText(S);
    if (settings::AbortFlag)
        ErrorBox(F.IoError() == IoWriteFailed ? F.FailureText() : IoErrorText(F.IoError()));
}

bool CloseChecked(LineFile& F)
{
    if (F.Close())
        return true;
    ErrorBox(F.IoError() == IoWriteFailed ? F.FailureText() : DisplayToOem("Fehler beim Schließen einer Datei"));
    settings::AbortFlag = true;
    return false;
}

bool RewriteRetry(LineFile& F)
{
    for (;;) {
        if (F.Rewrite()) {
            settings::AbortFlag = false;
            return true;
        }
        int code = RetryCode(F);
        std::string text = code == IoWriteProtected ? IoErrorText(IoWriteProtected)
                           : code == IoNotReady    ? "Programmdiskette einlegen !"
                           : code == IoNotAFile    ? IoErrorText(IoNotAFile) + " \"" + DisplayToOem(F.Path()) + "\" !"
                                                   : "I/O-Error " + IntStr(code);
        settings::AbortFlag = false;
        if (!YesNoCancelBox(text + "   Wiederholen ?")) {
            settings::AbortFlag = true;
            return false;
        }
    }
}

void MakeWindowTitle(std::string& Title)
{
    using namespace settings;
    std::string title = OemToDisplay(ProgramTitle);
    if (CurrentFileName.empty())
        title += "   V " + OemToDisplay(ProgramVersion);
    else
        title += "  -  " + SavedName(DataDir, CurrentFileName, DataFileExt);
    Title = title;
    Ui().SetAppTitle(Title);
    NormalCursor();
}

void HourglassCursor() { Ui().SetWaitCursor(true); }
void NormalCursor() { Ui().SetWaitCursor(false); }

bool EnterUserPassword()
{
    using namespace settings;
    std::string word = DemoRunning ? std::string(dialogs::TourUserWord) : std::string();
    SetHelpNumber(1120);
    do {
        InputText("Passwort (User) eingeben ...", 8, word);
        if (AbortFlag)
            return false;
        word = TrimBlanks(word);
    } while (word.empty());
    std::string base = StripBackslash(DefaultDataDir);
    if (!DirExists(base)) {
        ErrorBox("Invalid Directory " + DisplayToOem(DefaultDataDir));
        return false;
    }
    std::error_code ec;
    std::string dir = (fs::absolute(base, ec) / OemToDisplay(word)).lexically_normal().string();
    if (!ValidUserWord(word) || !DirExists(dir)) {
        ErrorBox(DisplayToOem("Ungültiges Passwort ") + word + " !");
        return false;
    }
    DataDir = dir;
    return true;
}

} // namespace kt4
