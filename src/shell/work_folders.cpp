#include "shell/work_folders.h"

#include "dbase/access/table_access.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/environment.h"
#include "foundation/atomic_file.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "shell/stored_names.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>

#ifndef KT4_DATA_DIR
#define KT4_DATA_DIR ""
#endif
#ifndef KT4_CATALOGUE_DIR
#define KT4_CATALOGUE_DIR ""
#endif

namespace kt4::shell {

namespace {

// An empty folder name stands for the current folder.
bool FolderValid(const std::string& Dir) { return DirReadable(Dir.empty() ? "." : Dir); }

// The message of a folder that is not valid: Message, the folder and the
// system's reason.
std::string FolderMessage(const std::string& Message, const std::string& Dir)
{
    DIR* d = ::opendir(Dir.empty() ? "." : Dir.c_str());
    const int err = d ? ENOTDIR : errno;
    if (d)
        ::closedir(d);
    return Message + ": " + DisplayToOem(Dir) + " (" + std::strerror(err) + ")";
}

void Check(const std::string& Dir, const char* Message)
{
    if (!FolderValid(Dir))
        ErrorBox(FolderMessage(Message, Dir));
}

// Where TempDir came from when nothing was configured: the environment
// variable TMPDIR, else "" (the system's "/tmp").
std::string tempDirSource;

void FillEmpty()
{
    using namespace settings;
    if (TempDir.empty()) {
        TempDir = GetEnvVar("TMPDIR");
        tempDirSource = TempDir.empty() ? "" : "TMPDIR";
        if (TempDir.empty())
            TempDir = "/tmp";
        TempDir = AddBackslash(TempDir);
    } else {
        tempDirSource = "configured";
    }
    std::string start = AddBackslash(StartDir);
    if (DbfDir.empty())
        DbfDir = AddBackslash(ProgramCatalogueDir());
    if (PltDir.empty())
        PltDir = AddBackslash(ProgramDataDir());
    if (EdiDir.empty())
        EdiDir = start;
    if (DefaultDataDir.empty())
        DefaultDataDir = start;
}

void CheckTempDir()
{
    using namespace settings;
    if (FolderValid(TempDir) || !ShowErrorBoxes)
        return; // a run without error boxes asks nothing either
    // the folder as it came: configured, from TMPDIR, or the system's
    const std::string what = "ung\x81ltiger Ordner f\x81r tempor\x84re Dateien";
    ErrorBox(FolderMessage(tempDirSource == "configured" ? what + " konfiguriert"
                           : tempDirSource.empty()        ? what
                                                          : what + " in " + tempDirSource,
                           TempDir));
    std::string answer = NameToFile(TempDir);
    InputText("Ordner f\x81r tempor\x84re Dateien", 60, answer);
    if (!AbortFlag)
        TempDir = NameFromFile(answer);
}

} // namespace

std::string ProgramDataDir()
{
    std::string built = KT4_DATA_DIR;
    if (!built.empty() && DirExists(built))
        return built;
    return settings::StartDir;
}

std::string ProgramCatalogueDir()
{
    std::string built = KT4_CATALOGUE_DIR;
    if (!built.empty() && DirExists(built))
        return built;
    return ProgramDataDir();
}

void CheckWorkFolders()
{
    using namespace settings;
    FillEmpty();
    Check(CadDir, "ung\x81ltiger CAD Ordner konfiguriert");
    Check(DbfDir, "ung\x81ltiger DBF Ordner konfiguriert");
    Check(PltDir, "ung\x81ltiger PLT Ordner konfiguriert");
    CheckTempDir();
    // what runs of this user that ended without their clean-up left behind,
    // only in the folder chosen for the private folder: one that others
    // may change is passed over (told once) and never swept
    RemoveEndedPrivateTempDirs();
    if (const std::string note = TakeTempFolderNote(); !note.empty())
        MessageText(note);
    if (!TempDir.empty() && AddBackslash(TempDir) == PrivateTempBase())
        RemoveStaleTemporariesIn(TempDir);
    Check(EdiDir, "ung\x81ltiger EDI Ordner konfiguriert");
    Check(DefaultDataDir, "ung\x81ltiger Data Ordner konfiguriert");
    if (DbfUseTemp) {
        HourglassCursor();
        // Each table with its memo file, as this process's working copies;
        // without them the tables are opened where they are.
        const std::string copies = dbase::DbfCopyFolder();
        if (copies.empty() || !dbase::CopyTablesWithMemos(AddBackslash(DbfDir), copies))
            DbfUseTemp = false;
        NormalCursor();
    }
}

} // namespace kt4::shell
