#include "shell/project_files.h"

#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "drive/doclinks.h"
#include "drive/docu_data.h"
#include "drive/drive_calc.h"
#include "drive/project_layout.h"
#include "drive/projectfile.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"
#include "graphics/graph_device.h"
#include "shell/recent_files.h"
#include "shell/window_link.h"

#include <exception>
#include <new>
#include <filesystem>

namespace kt4::shell {

namespace {

// A Yes/No/Cancel question in display text, so a file name shows exactly
// as it is on disk (the dialog layer's box takes stored text). Cancel sets
// AbortFlag; true only for Yes.
bool AskYesNoCancel(const std::string& Text)
{
    Answer a = Ui().YesNoCancelBox(OemToDisplay(settings::ProgramTitle), Text);
    if (a == Answer::Cancel)
        settings::AbortFlag = true;
    return a == Answer::Yes;
}

std::optional<std::string> savedValues;

std::string ValuesText() { return project::ProjectText(project::CaptureProject()); }

std::string ShownFileName()
{
    using namespace settings;
    if (FileNameHasDir)
        return CurrentFileName;
    return FileWithExt(DataDir, CurrentFileName, DataFileExt);
}

} // namespace

void NoteSavedValues() { savedValues = ValuesText(); }

void MarkChangedValues()
{
    if (savedValues && ValuesText() != *savedValues)
        settings::DataModified = true;
}

const std::optional<std::string>& SavedValues() { return savedValues; }

void SetSavedValues(const std::optional<std::string>& Image) { savedValues = Image; }

bool SaveFile(const std::string& Name)
{
    dialogs::AskOverwrite = false;
    bool ok = project::WriteDataFile(Name);
    dialogs::AskOverwrite = true;
    if (ok && !settings::AbortFlag)
        NoteSavedValues();
    return ok && !settings::AbortFlag;
}

void AskSaveChanges()
{
    using namespace settings;
    MarkChangedValues();
    if (FileNameHasDir && ArchiveMode) {
        DataModified = false;
        return;
    }
    if (!CurrentFileName.empty() && DataModified) {
        bool yes = AskYesNoCancel("Datei speichern (" + ShownFileName() + ") ?");
        if (AbortFlag)
            return;
        if (yes) {
            SaveFile(CurrentFileName);
            if (!AbortFlag)
                DataModified = false;
        } else {
            DataModified = false;
        }
        return;
    }
    if (DataModified) {
        if (YesNoCancelBox("Bisherige Eingaben verwerfen ?"))
            DataModified = false;
        else
            AbortFlag = true;
    }
}

void DropProjectDocumentation()
{
    docu::ResetDocuData();
    docu::DropLinkedDocuments();
}

bool ReadProject(const std::string& Name)
{
    if (!project::ReadDataFile(Name))
        return false;
    DropProjectDocumentation();
    // the window shows no other project's picture, whatever the
    // calculation of this one answers
    graphics::GraphDevice.Clear();
    drive::CalcDrive();
    NoteSavedValues();
    return true;
}

void OpenRecentFile(int K)
{
    using namespace settings;
    namespace fs = std::filesystem;
    if (K < 1 || K > 4 || RecentFiles[K].empty())
        return;
    AskSaveChanges();
    if (AbortFlag)
        return;
    std::string entry = RecentFiles[K];
    std::error_code ec;
    if (fs::exists(entry, ec)) {
        if (ReadProject(entry)) {
            fs::path p(entry);
            CurrentFileName = ProjectNameOf(entry, DataFileExt);
            DataDir = p.parent_path().string();
            FileNameHasDir = false;
            AddRecentFile(CurrentFileName);
            DataModified = false;
            Window().UpdateErrorMessagesItem(true);
        }
        UpdateWindowCaption();
        return;
    }
    RemoveRecentFile(K);
    Window().SetMenuCaptions();
    MessageText("File " + DisplayToOem(entry) + " not found !");
}

void HandleUnexpectedError(const std::string& Text)
{
    using namespace settings;
    ErrorBoxAlways(DisplayToOem(Text));
    MarkChangedValues();
    if (!DataModified || (FileNameHasDir && ArchiveMode))
        return;
    AbortFlag = false;
    std::string question = CurrentFileName.empty() ? std::string("Datei speichern ?")
                                                   : "Datei speichern (" + ShownFileName() + ") ?";
    if (!AskYesNoCancel(question))
        return;
    try {
        if (SaveFile(CurrentFileName))
            DataModified = false;
    } catch (const std::exception& e) {
        ErrorBoxAlways(DisplayToOem(e.what()));
    }
}

std::string OutOfMemoryText(const std::string& Target)
{
    return Target.empty() ? std::string("Zu wenig Speicher.")
                          : "Zu wenig Speicher: " + Target + " wurde nicht geschrieben.";
}

namespace {

// Drops the CAD job in the making, which frees its memory; the file it
// was to write, "" when it writes none.
std::string DropCadJob()
{
    if (!cad::CadJobRunning())
        return {};
    const Word mode = cad::CadMode;
    cad::DiscardCadJob();
    return cad::CadBatchFileName(mode).empty() ? std::string() : cad::CadFileName;
}

} // namespace

void RunGuarded(const std::function<void()>& Command)
{
    try {
        Command();
    } catch (const std::bad_alloc&) {
        HandleUnexpectedError(OutOfMemoryText(DropCadJob()));
    } catch (const std::exception& e) {
        HandleUnexpectedError(e.what());
    } catch (...) {
        HandleUnexpectedError("Unerwarteter Programmfehler");
    }
}

} // namespace kt4::shell
