#include "shell/startup.h"

#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "drive/drive_calc.h"
#include "drive/printout.h"
#include "drive/projectfile.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/environment.h"
#include "foundation/files.h"
#include "foundation/helppictures.h"
#include "foundation/linefile.h"
#include "foundation/maths.h"
#include "foundation/paths.h"
#include "foundation/private_temp.h"
#include "foundation/report.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/ui_headless.h"
#include "foundation/ui_service.h"
#include "graphics/graph_device.h"
#include "shell/command_line.h"
#include "shell/config_file.h"
#include "shell/guided_tour.h"
#include "shell/identity.h"
#include "shell/project_files.h"
#include "shell/services.h"
#include "shell/session_file.h"
#include "shell/work_folders.h"

#include <filesystem>
#include <iostream>
#include <new>
#include <utility>

namespace kt4::shell {

namespace fs = std::filesystem;
using namespace settings;

namespace {

enum class Next { DefaultFiles, Calculate, End };

struct Step {
    Next next = Next::DefaultFiles;
    StartResult result;
};

// The run ends here: its private temporary folder goes now, so that a
// batch run leaves nothing behind in TempDir.
Step Ended(int code)
{
    RemovePrivateTempDir();
    Step s;
    s.next = Next::End;
    s.result = {true, code};
    return s;
}

// "/G" sets it; nothing reads it.
bool graphicsSwitch = false;

std::string startMessage;

// The usage text on the standard output; exit 1 when it could not be
// written there (a full disk), which the error output tells.
Step ShowUsage()
{
    const int err = Ui().MessageScreen(ProductName, UsageLines());
    if (err == 0)
        return Ended(0);
    ErrorBoxAlways(WriteFailureText(IoWriteFailed, err, "stdout"));
    return Ended(1);
}

Step UsageError(const std::string& Switch)
{
    std::string text = "Unbekannter Schalter: " + Switch + "\n";
    for (const auto& line : UsageLines())
        text += line + "\n";
    Ui().MessageBox("Fehler : ", text, BoxKind::Error);
    return Ended(2);
}

// A run without a window tells the messages of a failed calculation on the
// error output, where a script sees them.
void TellCalcMessages()
{
    if (!CalcErrorFlag)
        return;
    for (Word k = 1; k <= MessageCount; ++k)
        std::cerr << OemToDisplay(MessageTexts[k]) << "\n";
}

// How many errors the run has told so far (a run without a window keeps
// them in the headless log).
std::size_t ErrorsTold()
{
    const auto* headless = dynamic_cast<const HeadlessUi*>(&Ui());
    return headless ? headless->Logged("error").size() : 0;
}

// A name that names a folder, not a file: its file part is empty, "." or
// "..".
bool NamesAFolder(const std::string& Name)
{
    const std::string file = FileNamePart(Name);
    return file.empty() || file == "." || file == "..";
}

// The data file a batch mode names, resolved once: its folder becomes the
// data folder and its bare name the current file name, so that the run's
// output is named by them from the start, whatever ends the run. "" for a
// name that names no file (empty, or a folder alone, "sub/.." too).
std::string NameBatchFile()
{
    if (NamesAFolder(CurrentFileName))
        return {};
    const std::string path = project::DataFilePath(CurrentFileName);
    DataDir = FilePathPart(path);
    CurrentFileName = FileBaseName(path);
    FileNameHasDir = false;
    return path;
}

// Reads the file NameBatchFile resolved and calculates it. A name without
// a file goes to the open dialog in the folder it names, which a run
// without a window cancels: nothing is read. False when nothing was read.
bool ReadBatchFile(const std::string& Path)
{
    if (Path.empty()) {
        DataDir = AddBackslash(CurrentFileName);
        return project::ReadDataFile("");
    }
    if (!project::ReadDataFileAt(Path))
        return false;
    drive::CalcDrive();
    TellCalcMessages();
    return true;
}

// Memory ran out before the run's output was in place: the CAD job begun
// of it goes first (which frees its memory), the older file stays, and
// the run says so in its own words, Message, built before the run began.
Step OutOfMemory(const std::string& Message)
{
    cad::DiscardCadJob();
    cad::CadBatchMode = false;
    ErrorBoxAlways(Message);
    return Ended(1);
}

// "file /NOGUI": read and calculate; exit 1 when the file cannot be read or
// the calculation failed.
Step BatchCheck()
{
    if (!ReadBatchFile(NameBatchFile()))
        return Ended(1);
    return Ended(CalcErrorFlag ? 1 : 0);
}

// "/I": the calculated printout beside the data file (BesideDataName).
// Its success is what the report's delivery says. Exit 1 when it was not
// written (told once, by its cause), or when it holds only the reasons
// why the design was refused, which the reading told already.
Step WritePrintout(const std::string& Path)
{
    if (!ReadBatchFile(Path))
        return Ended(1);
    TextDeviceDialog = false;
    TextDevice = 9;
    const std::size_t told = ErrorsTold();
    AbortFlag = false;
    const bool written = drive::WriteAusdruck(0);
    if (ReportDelivered())
        return Ended(written && !AbortFlag ? 0 : 1);
    if (ErrorsTold() == told) // every failure is told, and once
        ErrorBoxAlways(DisplayToOem("Ausdruck " + BesideDataName() + " wurde nicht geschrieben."));
    return Ended(1);
}

Step BatchPrintout()
{
    const std::string path = NameBatchFile();
    const std::string noMemory = DisplayToOem(OutOfMemoryText(path.empty() ? "" : BesideDataName()));
    try {
        return WritePrintout(path);
    } catch (const std::bad_alloc&) {
        return OutOfMemory(noMemory);
    }
}

// "/CADi:j": view j on CAD device i; the file takes the data file's name in
// the current folder. Exit 1 when nothing was written (the calculation's
// messages are told by the reading). The private folder goes with the run.
Step BatchCad(int Device, int Index)
{
    const std::string path = NameBatchFile();
    const std::string noMemory =
        DisplayToOem(OutOfMemoryText(path.empty() ? "" : cad::CadBatchFileName(static_cast<Word>(Device))));
    bool written = false;
    try {
        if (ReadBatchFile(path) && !CalcErrorFlag) {
            cad::CadBatchMode = true;
            AbortFlag = false;
            RunCommandLineCad(Device, Index);
            written = !AbortFlag;
        }
    } catch (const std::bad_alloc&) {
        return OutOfMemory(noMemory);
    }
    cad::CadBatchMode = false;
    return Ended(written ? 0 : 1);
}

// A file named on the command line for the window: loaded and calculated
// when it can be read; otherwise it becomes a new file of that name, if
// the name is usable at all. The reader's answer alone says whether it
// was read: a drawing that fails afterwards (no private folder for its
// block files) leaves the project open, and its reason waits for the
// window (TakeStartMessage).
Step OpenCommandLineFile()
{
    ShowErrorBoxes = false;
    const bool read = project::ReadDataFile(CurrentFileName);
    if (read) {
        drive::CalcDrive();
        RedrawCurrentView();
        startMessage = graphics::GraphDevice.Window().DrawingFailure();
    }
    FileNameHasDir = true;
    ShowErrorBoxes = true;
    AbortFlag = false;
    if (!read) {
        CheckOutputFile(CurrentFileName);
        if (AbortFlag)
            return Ended(2);
    }
    return {};
}

Step CommandLineStep(const CommandLine& cmd)
{
    if (cmd.mode == StartMode::Interactive)
        return {};
    if (cmd.mode == StartMode::Usage)
        return ShowUsage();
    CurrentFileName = cmd.file;
    DataDir.clear();
    if (cmd.noGui) {
        switch (cmd.mode) {
        case StartMode::Demo:
        case StartMode::KeepName:
        case StartMode::SkipLoad:
            return UsageError("/NOGUI (ohne Fenster nur mit Dateiname [/I] [/CADi:j])");
        case StartMode::OpenFile:
            return BatchCheck();
        default:
            break;
        }
    }
    switch (cmd.mode) {
    case StartMode::Demo:
        // the introduction waits for the window (StartResult::tourIntro)
        DemoRunning = true;
        NormalCursor();
        return {};
    case StartMode::KeepName:
        return {};
    case StartMode::Printout:
        return BatchPrintout();
    case StartMode::CadFile:
        return BatchCad(cmd.cadDevice, cmd.cadIndex);
    case StartMode::SkipLoad:
        graphicsSwitch = true;
        return {};
    case StartMode::MissingExtension:
        // a name without a file part names no project: nothing is read,
        // as with "sub/."
        if (NamesAFolder(cmd.file))
            return BatchCheck();
        ErrorBox("Erweiterung ." + DataFileExt + " " + "mu\xE1 mit angegeben werden");
        return Ended(2);
    case StartMode::UnknownSwitch:
        return UsageError(cmd.badSwitch);
    default:
        return OpenCommandLineFile();
    }
}

// The data file Name + "." + DataFileExt in Dir, whatever its case; "" when
// there is none or it cannot be read.
std::string DefaultFile(const std::string& Dir, const std::string& Name)
{
    if (Dir.empty())
        return "";
    std::string found = FindFileNoCase(Dir, Name + "." + DataFileExt);
    return !found.empty() && FileReadable(found) ? found : "";
}

void LoadDefaultFiles()
{
    if (DemoRunning)
        return;
    std::string null = DefaultFile(DataDir, "null");
    if (!null.empty()) {
        project::ReadDataFile(null);
        CurrentFileName.clear();
    }
    std::string init = DefaultFile(ProgramsDir, "init");
    if (!init.empty()) {
        std::string keep = DataDir;
        DataDir = ProgramsDir;
        project::ReadDataFile(init);
        DataDir = keep;
        CurrentFileName.clear();
    }
}

void SetUpGraphics()
{
    graphics::GraphDevice.SetWindow(true, true, 0.1L, 0.05L, 0.95L, 0.95L, 0, 0, 36.9L, 32);
    graphics::GraphDevice.DrawLogo();
}

void ShowStartPicture()
{
    if (PltDir.empty() || FindFileNoCase(PltDir, "start.plt").empty())
        return;
    graphics::GraphDevice.Clear();
    ShowHelpPicture("start");
}

void FirstCalculation(int Code)
{
    AbortFlag = false;
    if (Code == 1 || Code == 4 || Code == 8)
        drive::CalcDrive();
    AbortFlag = false;
    DataModified = false;
}

} // namespace

void ReadStartFiles()
{
    SetProgramIdentity();
    cad::ViewDefault3D = {0, DegToRad(90), DegToRad(-75)};
    ReadConfigFile();
    AbortFlag = false;
    ReadSessionFile();
    AbortFlag = false;
}

StartResult StartUp(int Code)
{
    startMessage.clear();
    SetProgramIdentity();
    AbortFlag = false;
    if (Code != 6 && Code != 7 && Code != 8 && Code != 9)
        ReadConfigFile();
    AbortFlag = false;
    // A run without a window checks the folders silently: only the
    // folders its own output needs matter, and that output tells their
    // failure itself.
    const CommandLine cmd = ParseCommandLine(environment::CommandLineParams, CadOutputAvailable());
    ShowErrorBoxes = !RunsWithoutWindow(cmd);
    CheckWorkFolders();
    ShowErrorBoxes = true;
    if (!PasswordPrompt)
        DataDir.clear();

    Step step = CommandLineStep(cmd);
    if (step.next == Next::End)
        return step.result;

    if (FileNameHasDir) {
        DataDir.clear();
    } else {
        if ((Code == 0 || Code == 1 || Code == 8 || Code == 9) && PasswordPrompt &&
            !EnterUserPassword())
            return {true, 0};
        HourglassCursor();
        DataDir = DataDir.empty() ? AddBackslash(DefaultDataDir)
                                  : (fs::path(DefaultDataDir) / DataDir).string();
        SetUpGraphics();
        LoadDefaultFiles();
    }
    FirstCalculation(Code);
    ShowStartPicture();
    NormalCursor();
    StartResult started;
    started.tourIntro = cmd.mode == StartMode::Demo;
    return started;
}

std::string TakeStartMessage() { return std::exchange(startMessage, {}); }

void DemoStartIntroduction(int Code)
{
    TourStart();
    if (DemoRunning)
        return;
    // cancelled: the start goes on as one without "DEMO", with the
    // default files
    LoadDefaultFiles();
    FirstCalculation(Code);
}

int CadViewOfIndex(int J) { return J == 1 || J == 3 || (J >= 7 && J <= 22) ? J : 1; }

void RunCommandLineCad(int I, int J)
{
    if (Services().drawCadView)
        Services().drawCadView(CadViewOfIndex(J), I);
}

void AllocHook() {}

} // namespace kt4::shell
