#include "shell/menu_commands.h"

#include "drive/docu_data.h"
#include "drive/docu_forms.h"
#include "drive/doclinks.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/printout.h"
#include "drive/projectfile.h"
#include "drive/revisions.h"
#include "drive/sibling_gear.h"
#include "drive/sibling_shaft.h"
#include "foundation/dialogs.h"
#include "foundation/explain.h"
#include "foundation/files.h"
#include "foundation/helppictures.h"
#include "foundation/report.h"
#include "foundation/settings.h"
#include "graphics/graph_device.h"
#include "shell/about_box.h"
#include "shell/guided_tour.h"
#include "shell/project_files.h"
#include "shell/project_list.h"
#include "shell/recent_files.h"
#include "shell/services.h"
#include "shell/spreadsheet_link.h"
#include "shell/web_links.h"
#include "shell/window_link.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kt4::shell {

using namespace settings;

MenuForms& FormServices()
{
    static MenuForms forms;
    return forms;
}

namespace {

// Shows the message count after a calculation, and the drawing that goes
// with it unless Redraw is false.
void Count(bool Redraw = true) { Window().UpdateErrorMessagesItem(Redraw); }

void Calculate()
{
    drive::CalcDrive();
    Count();
}

void ClearGraphics() { graphics::GraphDevice.Clear(); }

// Runs Form when it exists; a missing form counts as cancelled.
void RunForm(const std::function<void()>& Form)
{
    if (Form)
        Form();
    else
        AbortFlag = true;
}

// The preliminary design after its first form: step 0, the second form,
// step 2. A first step that fails (CalcErrorFlag; the design is then as
// before it, its messages in the list) ends the steps with AbortFlag and
// false, and the second form is not shown. After step 2 the list holds the
// messages of step 0 before its own, each text once.
bool PreDesignSteps(MenuForms& f)
{
    f.calcPreDesign(0);
    if (CalcErrorFlag) {
        AbortFlag = true;
        return false;
    }
    const std::vector<std::string> first = ListedMessages();
    RunForm(f.preDesign2);
    if (AbortFlag)
        return true;
    DataModified = true;
    f.calcPreDesign(2);
    PutMessagesFirst(first);
    return true;
}

// A project that was read (and calculated at once, so nothing shows the
// new inputs with the old results) is current.
void AfterRead()
{
    DataModified = false;
    AddRecentFile(CurrentFileName);
    Count();
}

// The message count shown without the drawing that goes with it: the
// window shows Picture again, and messages of a design that failed are not
// told once more.
void CountShowing(const graphics::TGraphPicture& Picture)
{
    Count(false);
    graphics::GraphDevice.Window().ShowPicture(Picture);
}

} // namespace

NewDesign NewDesignSequence()
{
    MenuForms& f = FormServices();
    DataModified = false;
    ClearGraphics();
    AbortFlag = false;
    RunForm(f.preDesign);
    if (AbortFlag)
        return NewDesign::Cancelled;
    DataModified = true;
    if (!PreDesignSteps(f))
        return NewDesign::Failed;
    if (AbortFlag)
        return NewDesign::Cancelled;
    Count();
    docu::EditTexts();
    if (AbortFlag)
        return NewDesign::Cancelled;
    RunForm(f.geometry);
    if (AbortFlag)
        return NewDesign::Cancelled;
    Calculate();
    RunForm(f.driveData);
    if (AbortFlag)
        return NewDesign::Cancelled;
    Calculate();
    DataModified = true;
    return AbortFlag ? NewDesign::Cancelled : NewDesign::Done;
}

void FileNewCommand()
{
    AbortFlag = false;
    // A New cancelled at any step leaves the open design as it was, its
    // unsaved state and the window's picture included; a save made at the
    // question counts (no mark, the image of what was saved).
    OpenDesign before = CaptureOpenDesign();
    AskSaveChanges();
    if (AbortFlag)
        return;
    if (SavedValues() != before.savedValues) {
        before.dataModified = DataModified;
        before.savedValues = SavedValues();
    }
    const graphics::TGraphPicture picture = graphics::GraphDevice.Window().Picture();
    const std::string null = DataDir.empty() ? "" : FindFileNoCase(DataDir, "NULL." + DataFileExt);
    if (!null.empty() && FileReadable(null))
        project::ReadDataFile(null);
    AbortFlag = false;
    CurrentFileName.clear();
    UpdateWindowCaption();
    docu::ResetDocuData();
    docu::ClearRemarkLines();
    ClearGraphics();
    drive::InitDriveData();
    const MenuForms& f = FormServices();
    NewDesign end = NewDesign::Done;
    if (f.preDesign && f.preDesign2 && f.calcPreDesign) {
        end = NewDesignSequence();
    } else {
        Calculate();
        if (AbortFlag)
            end = NewDesign::Cancelled;
    }
    if (end != NewDesign::Done) {
        // A design that failed ends New as a cancel does; its messages are
        // reviewed here and stay listed beside the open design.
        std::vector<std::string> reasons;
        if (end == NewDesign::Failed) {
            CalcMessagesDialog();
            reasons = ListedMessages();
        }
        RestoreOpenDesign(before);
        if (end == NewDesign::Failed) {
            MessageCount = 0;
            for (const std::string& text : reasons)
                AddMessage(text);
        }
        UpdateWindowCaption();
        CountShowing(picture);
        AbortFlag = true;
        return;
    }
    Count();
    DataModified = true;
}

void FileOpenCommand()
{
    AbortFlag = false;
    AskSaveChanges();
    if (!AbortFlag && ReadProject(""))
        AfterRead();
    UpdateWindowCaption();
}

namespace {

// After a save under a name of its own: the drawing's footer names the
// file (a refused design keeps the picture it has).
void ShowSavedName(const std::string& Before)
{
    if (CurrentFileName != Before && !CalcErrorFlag)
        RedrawCurrentView();
}

} // namespace

void FileSaveCommand()
{
    AbortFlag = false;
    const std::string before = CurrentFileName;
    if (SaveFile(CurrentFileName) && !AbortFlag) {
        DataModified = false;
        AddRecentFile(CurrentFileName);
        ShowSavedName(before);
    }
    UpdateWindowCaption();
}

void FileSaveAsCommand()
{
    AbortFlag = false;
    const std::string before = CurrentFileName;
    if (project::WriteDataFile("") && !AbortFlag) {
        NoteSavedValues();
        DataModified = false;
        AddRecentFile(CurrentFileName);
        ShowSavedName(before);
    }
    UpdateWindowCaption();
}

void ExportGearCommand(int Wheel)
{
    AbortFlag = false;
    gear::ExportGearToSibling(static_cast<Word>(Wheel));
    UpdateWindowCaption();
}

void ExportShaftCommand(int Part)
{
    AbortFlag = false;
    // The export takes the design in memory: the project file, its name
    // and the modified flag stay as they are.
    shaft::ExportShaftToSibling(static_cast<Word>(Part));
    UpdateWindowCaption();
}

void EditTextCommand()
{
    AbortFlag = false;
    docu::EditTexts();
    if (!AbortFlag)
        DataModified = true;
}

void EditGeometryCommand()
{
    AbortFlag = false;
    RunForm(FormServices().geometry);
    if (!AbortFlag)
        DataModified = true;
    Calculate(); // also after Cancel
}

void EditDriveDataCommand()
{
    AbortFlag = false;
    RunForm(FormServices().driveData);
    if (!AbortFlag)
        DataModified = true;
    Calculate();
}

void EditPreDesignCommand()
{
    AbortFlag = false;
    if (DataModified && !DemoRunning && !AskYesNoBox("Overwrite old input?"))
        return;
    MenuForms& f = FormServices();
    RunForm(f.preDesign);
    if (!AbortFlag) {
        DataModified = true;
        PreDesignSteps(f);
    }
    Count(); // also after a cancel: a form's Calc may have calculated
}

void ViewPrintoutCommand()
{
    AbortFlag = false;
    drive::WriteAusdruck(0);
}

void ViewErrorMessagesCommand()
{
    AbortFlag = false;
    ViewErrorMessages();
}

void DocuCommand(int Action)
{
    AbortFlag = false;
    docu::ChangesCommand(static_cast<Word>(Action));
}

void DrawingInfoCommand()
{
    AbortFlag = false;
    docu::ShowDrawingInfo();
}

void DocumentSetupCommand()
{
    AbortFlag = false;
    docu::ShowDocumentSetup();
    if (!AbortFlag)
        DataModified = true;
}

void HelpPicturesCommand() { HelpPicturesMenu(); }

void HelpErrorMessagesCommand()
{
    AbortFlag = false;
    CalcMessagesDialog();
}

namespace {

std::function<void()> FindCommand(const std::string& ItemName)
{
    const MenuForms& f = FormServices();
    using Command = std::function<void()>;
    static const std::map<std::string, Command> commands = {
        {"mi_fileNew", FileNewCommand},
        {"mi_fileOpen", FileOpenCommand},
        {"mi_FileSave", FileSaveCommand},
        {"mi_FileSaveAs", FileSaveAsCommand},
        {"mi_fileexportQov1Rad1", [] { ExportGearCommand(1); }},
        {"mi_fileexportQov1Rad2", [] { ExportGearCommand(2); }},
        {"mi_fileexportbx1antrieb", [] { ExportShaftCommand(1); }},
        {"mi_fileexportbx1abtrieb", [] { ExportShaftCommand(2); }},
        {"mi_fileexportbx1bolzen", [] { ExportShaftCommand(3); }},
        {"mi_editText", EditTextCommand},
        {"mi_viewausdruck", ViewPrintoutCommand},
        {"mi_viewErrorMessages", ViewErrorMessagesCommand},
        {"mi_docdrawinginfo", DrawingInfoCommand},
        {"mi_docuShowChanges1", [] { DocuCommand(4); }},
        {"mi_docuPrintChanges", [] { DocuCommand(5); }},
        {"mi_docuNewChange", [] { DocuCommand(1); }},
        {"mi_docuModifyChanges", [] { DocuCommand(2); }},
        {"mi_docudeleteChange", [] { DocuCommand(3); }},
        {"mi_DocumentSetup", DocumentSetupCommand},
        {"mi_HelpHilfebild", HelpPicturesCommand},
        {"mi_helpErrorMessages", HelpErrorMessagesCommand},
        {"mi_fileopentable", OpenTableCommand},
        {"mi_OleStartExcel", StartSpreadsheetCommand},
        {"mi_OleExportExcel", ExportToSpreadsheetCommand},
        {"mi_OlePrintoutExcel", PrintoutToSpreadsheetCommand},
        {"mi_helpDemo", RunGuidedTour},
        {"mi_helphistory", OpenProductPage},
        {"mi_helpwww", OpenHomePage},
        {"mi_helpemail", SendMail},
        {"mi_HelpAbout", HelpAboutCommand},
    };
    if (auto it = commands.find(ItemName); it != commands.end())
        return it->second;
    if (auto command = ViewMenuCommand(ItemName))
        return command;
    // Commands whose form comes from another module
    if (ItemName == "mi_editGeometrie" && f.geometry)
        return EditGeometryCommand;
    if (ItemName == "mi_editantrieb" && f.driveData)
        return EditDriveDataCommand;
    if (ItemName == "mi_editvorauslegung" && f.preDesign && f.preDesign2 && f.calcPreDesign)
        return EditPreDesignCommand;
    if (ItemName == "mi_fileprint" && f.printSetup)
        return [] { FormServices().printSetup(); };
    if (ItemName == "mi_fileConfig" && f.configuration)
        return [] {
            AbortFlag = false;
            FormServices().configuration();
        };
    return {};
}

} // namespace

// Every command runs guarded: a fault inside it is told and the project
// data stay (with the offer to save them). A command that leaves other
// values than the last read or save marks the project changed, however it
// ended: a form's Calc stores its values before Cancel.
std::function<void()> MenuCommand(const std::string& ItemName)
{
    std::function<void()> command = FindCommand(ItemName);
    if (!command)
        return {};
    return [command] {
        RunGuarded(command);
        MarkChangedValues();
    };
}

} // namespace kt4::shell
