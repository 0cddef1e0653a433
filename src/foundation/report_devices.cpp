// The output devices of the report writer: choosing the device, naming and
// opening the report file, and handing the finished report on.
#include "foundation/report.h"

#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/linefile.h"
#include "foundation/numstr.h"
#include "foundation/paths.h"
#include "foundation/private_temp.h"
#include "foundation/report_internal.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/textprint.h"
#include "foundation/ui_service.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kt4 {

using namespace report;

namespace {

constexpr int NumberedTempNames = 1000;

bool delivered = false; // ReportDelivered

// The report files with fixed names that only this run uses ("$OUTn.TMP",
// "$$$k.txt", "outwin.txt", BaseName + ".htm") live in the process's
// private folder under TempDir, never in TempDir itself, which other users
// share. "" when that folder cannot be made: the user is told so, with
// the file of a text device that was not written (AbortFlag), and
// nothing is written anywhere else.
std::string PrivateFolder()
{
    std::string folder = PrivateTempDir();
    if (folder.empty()) {
        ErrorBox(TempFolderFailureText(IsTxtDevice() ? report::detail::TxtReportTarget() : ""));
        settings::AbortFlag = true;
    }
    return folder;
}
std::string TempName(const std::string& Name)
{
    std::string folder = PrivateFolder();
    return folder.empty() ? std::string() : folder + Name;
}
std::string OutwinName() { return TempName("outwin.txt"); }

// The files the user chose a device for ("$$k.txt" of device 6,
// "OUTDOS.TXT" of device 8) stay in TempDir itself after the run; the
// writer refuses a name another user planted there.
std::string SharedName(const std::string& Name) { return AddBackslash(settings::TempDir) + Name; }

// Tells, before anything is written, that the file a report ends up in
// cannot be written (a name another user holds); false then (AbortFlag).
bool TargetUsable(const std::string& Path)
{
    AtomicWriter probe;
    if (probe.Check(Path))
        return true;
    ErrorBox(IoErrorText(RefusalIoCode(probe.Refused())) + ": " + DisplayToOem(Path) + " wurde nicht geschrieben.");
    settings::AbortFlag = true;
    return false;
}

// The text printer writes to its port only when that is a character
// device this user may write: nothing is ever created in its place. ""
// then, else what the user is told.
std::string PortProblem(const std::string& Port)
{
    struct stat st {};
    if (::stat(Port.c_str(), &st) != 0 || !S_ISCHR(st.st_mode))
        return "Druckerschnittstelle " + DisplayToOem(Port) + " nicht vorhanden";
    if (::faccessat(AT_FDCWD, Port.c_str(), W_OK, AT_EACCESS) != 0)
        return "Druckerschnittstelle " + DisplayToOem(Port) + " nicht beschreibbar";
    return {};
}

// A new temporary report file "$OUT" + n + ".TMP", created so that no
// other report of this run gets the same name.
std::string MakeTempReportFile()
{
    std::string folder = PrivateFolder();
    if (folder.empty())
        return {};
    for (int n = 1; n <= NumberedTempNames; ++n) {
        std::string name = folder + "$OUT" + IntStr(n) + ".TMP";
        if (CreateExclusive(name))
            return name;
    }
    std::string tmpl = folder + "$OUTXXXXXX.TMP";
    int fd = ::mkstemps(tmpl.data(), 4);
    if (fd >= 0)
        ::close(fd);
    return tmpl;
}

// The file a failure of the report file is told by: the user's file that
// a private temporary is copied into (devices 6 and 9), never the
// temporary; else the report file itself.
std::string FailureName()
{
    return IsTxtDevice() ? report::detail::TxtReportTarget() : ReportFileName;
}

// Opens ReportFile on ReportFileName for writing; the error texts of the
// report writer on failure.
bool OpenSink()
{
    ReportFile.Discard();
    ReportFile.Assign(ReportFileName);
    if (FailureName() == ReportFileName ? !RewriteChecked(ReportFile) : !ReportFile.Rewrite()) {
        if (FailureName() != ReportFileName)
            ErrorBox(TempFileFailureText(ReportFile.IoError(), ReportFile.SysError(), FailureName()));
        settings::AbortFlag = true;
        return false;
    }
    ReportLineNo = 0;
    ReportPageNo = 0;
    return true;
}

// The optional printer start file, sent to the text printer before the
// first report line.
void SendPrinterStartFile()
{
    std::string name = FindFileNoCase(".", "TEXT.HXP");
    if (name.empty() || !FileReadable(name))
        return;
    std::ifstream in(name, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ReportFile.WriteText(bytes);
}

// The device a report goes to; 0 when the choice was cancelled.
Word ResolveDevice(TReportDevice Device)
{
    Word dev = Device == DevAsk ? settings::TextDevice : Device;
    if (dev > DevTxtBesideData)
        dev = DevScreen;
    bool ask = Device == DevAsk && settings::TextDeviceDialog;
    if (dev == DevAsk) {
        if (Ui().Interactive())
            ask = true;
        else
            dev = DevScreen;
    }
    if (!ask)
        return dev;
    Integer sel = dev >= 1 && dev <= 7 ? dev : 1;
    ChoiceDialog("Ausgabe auf ..", 7, sel);
    return settings::AbortFlag ? Word(DevAsk) : static_cast<Word>(sel);
}

// The file chosen in the save dialog for devices 3, 6, 7 and 9.
bool ChooseReportFile(const std::string& Ext)
{
    std::string name = AskSaveFileName(Ext, settings::DataDir);
    if (settings::AbortFlag)
        return false;
    ReportFileName = name;
    return true;
}

bool NameReportFile()
{
    using namespace settings;
    switch (ReportDevice) {
    case DevFile:
        return ChooseReportFile("txt");
    case DevTxt:
    case DevTxtBesideData:
        if (TextDeviceDialog)
            return ChooseReportFile("txt");
        if (ReportDevice == DevTxt && !TargetUsable(TxtDeviceCopyName(OutputFileCounter + 1)))
            return false;
        if (ReportDevice == DevTxtBesideData && RefuseOpenFileTarget(BesideDataName()))
            return false;
        ReportFileName = TempName("$$$" + IntStr(OutputFileCounter + 1) + ".txt");
        return !ReportFileName.empty();
    case DevHtml:
        if (HtmlBrowser.empty())
            return ChooseReportFile("htm");
        ReportFileName = TempName(BaseName + ".htm");
        if (ReportFileName.empty())
            return false;
        CheckOutputFile(ReportFileName);
        return !AbortFlag;
    default:
        return false;
    }
}

std::string InPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string candidate = AddBackslash(dir.empty() ? "." : dir) + program;
        if (::access(candidate.c_str(), X_OK) == 0 && FileReadable(candidate))
            return candidate;
    }
    return {};
}

// A configured program: a path to a file, or a name found in PATH.
bool ProgramFound(const std::string& program)
{
    if (program.empty())
        return false;
    if (program.find('/') != std::string::npos)
        return FileReadable(program);
    return !InPath(program).empty();
}

void OpenWith(const std::string& program, const std::string& file)
{
    bool ok = program.empty() ? Ui().OpenDocument(file) : Ui().StartProgram(program, {file});
    if (!ok && settings::ShowErrorBoxes)
        NoticeText(DisplayToOem(WrittenNotOpenedText(file))); // written all the same
}

// Devices 5 and 7: an empty program setting opens the file with the
// program the desktop associates with it.
void HandToProgram(const std::string& program, const std::string& file)
{
    if (!program.empty() && !ProgramFound(program)) {
        ErrorBox(program + " not found");
        return;
    }
    HourglassCursor();
    OpenWith(program, file);
    NormalCursor();
}

void ReenableErrorBoxes()
{
    // runs without a person (batch, "/NOGUI") keep their boxes off
    if (Ui().Interactive())
        settings::ShowErrorBoxes = true;
}

void FinishReport()
{
    using namespace settings;
    delivered = true;
    switch (ReportDevice) {
    case DevScreen:
        if (CopyTextFileToDisplay(ReportFileName, OutwinName()))
            Ui().ShowTextViewer(OutwinName(), ReportFileName);
        EraseFile(ReportFileName);
        break;
    case DevFile:
    case DevOutDos:
        delivered = CopyTextFileToDisplay(ReportFileName, OutwinName());
        ReenableErrorBoxes();
        break;
    case DevPrinter:
        PrintTextFile(ReportFileName);
        EraseFile(ReportFileName);
        break;
    case DevTextProgram: {
        bool copied = CopyTextFileToDisplay(ReportFileName, OutwinName());
        EraseFile(ReportFileName);
        if (copied)
            HandToProgram(TextProgram, OutwinName());
        break;
    }
    case DevTxt:
        ++OutputFileCounter;
        delivered = CopyTextFileToDisplay(ReportFileName, TxtDeviceCopyName(OutputFileCounter));
        break;
    case DevTxtBesideData:
        ++OutputFileCounter;
        delivered = CopyTextFileToDisplay(ReportFileName, BesideDataName());
        break;
    case DevHtml:
        HandToProgram(HtmlBrowser, ReportFileName);
        break;
    default:
        break;
    }
    NormalCursor();
}

} // namespace

void OpenReport(TReportDevice Device, const std::string& Name)
{
    (void)Name;
    using namespace settings;
    const auto& names = ReportDeviceNames();
    for (std::size_t k = 0; k < names.size(); ++k)
        DialogLines[k + 1] = names[k];
    if (Device == DevListNames)
        return;
    delivered = false;
    ReportFile.Discard();
    ReportTableOpen = false;
    SetHelpNumber(1050);
    Word dev = ResolveDevice(Device);
    if (AbortFlag)
        return;
    ReportDevice = dev;
    switch (dev) {
    case DevScreen:
    case DevPrinter:
    case DevTextProgram:
        ReportPause = false;
        ReportFileName = MakeTempReportFile();
        if (!ReportFileName.empty())
            OpenSink();
        return;
    case DevTextPrinter:
        ReportFileName = PrinterPortPath(PrinterPort);
        if (const std::string why = PortProblem(ReportFileName); !why.empty()) {
            ErrorBox(why);
            AbortFlag = true;
            return;
        }
        SetHelpNumber(1060);
        ReportPause = YesNoCancelBox("Pause nach jeder Seite ?");
        if (AbortFlag)
            return;
        if (OpenSink())
            SendPrinterStartFile();
        return;
    case DevOutDos:
        ReportPause = false;
        ReportFileName = SharedName("OUTDOS.TXT");
        OpenSink();
        return;
    default:
        // only the text printer waits for sheets
        ReportPause = false;
        SetHelpNumber(1070);
        if (NameReportFile())
            OpenSink();
        return;
    }
}

void RewriteReportFile()
{
    if (ReportFile.IsWriting() && ReportFile.Path() == ReportFileName)
        return;
    OpenSink();
}

void CloseReport()
{
    using namespace settings;
    if (!ReportFile.IsWriting())
        return; // nothing was opened (cancelled)
    const bool paged = ReportDevice == DevScreen || ReportDevice == DevTextPrinter || ReportDevice == DevPrinter;
    if (paged && ReportLineNo > 0 && (PrintHeaderMode == 2 || TextPrintMode == 4))
        WriteReportText("\f");
    if (IsHtmlDevice()) {
        ReportCloseTable();
        WriteReportLine("</BODY>");
        WriteReportLine("</HTML>");
    }
    const bool closed = FailureName() == ReportFileName ? CloseChecked(ReportFile) : ReportFile.Close();
    if (!closed && FailureName() != ReportFileName)
        ErrorBox(TempFileFailureText(ReportFile.IoError(), ReportFile.SysError(), FailureName()));
    if (!closed) {
        if (ReportDevice == DevScreen || ReportDevice == DevPrinter || ReportDevice == DevTextProgram)
            EraseFile(ReportFileName);
        NormalCursor();
        return;
    }
    FinishReport();
}

bool ReportDelivered() { return delivered; }

bool CopyTextFileToDisplay(const std::string& Source, const std::string& Dest)
{
    if (Dest.empty()) { // its folder could not be made, which was told
        settings::AbortFlag = true;
        return false;
    }
    const bool before = settings::AbortFlag;
    settings::AbortFlag = false;
    LineFile in, out;
    if (!in.OpenRead(Source) && in.IoError() == IoNotAFile) {
        // the report went straight to the device the user chose (a
        // printer port, /dev/null): nothing to read back
        settings::AbortFlag = before;
        return true;
    }
    const bool opened = in.IsOpen() && out.OpenWrite(Dest);
    if (opened) {
        std::string line;
        while (!settings::AbortFlag && !in.Eof() && in.ReadLine(line))
            out.WriteLine(OemToDisplay(line));
    }
    in.Close();
    if (settings::AbortFlag || !opened)
        out.Discard();
    else
        out.Close();
    const bool ok = opened && !settings::AbortFlag && out.IoError() == 0;
    if (!ok) {
        if (out.IoError() != 0)
            ErrorBox(WriteFailureText(out.IoError(), out.SysError(), Dest));
        else
            ErrorBox(DisplayToOem("Datei " + Dest + " kann nicht geschrieben werden !"));
    }
    settings::AbortFlag = !ok || settings::AbortFlag || before;
    return ok;
}

std::string BesideDataName()
{
    using namespace settings;
    const std::string bare = NameWithoutThisExt(CurrentFileName, DataFileExt) + ".txt";
    if (FileNameHasDir)
        return bare;
    return AddBackslash(DataDir) + bare;
}

std::string TxtDeviceCopyName(Integer Counter) { return SharedName("$$" + IntStr(Counter) + ".txt"); }

namespace report::detail {

std::string TxtReportTarget()
{
    if (ReportDevice == DevTxtBesideData)
        return BesideDataName();
    if (ReportDevice == DevTxt && !settings::TextDeviceDialog)
        return TxtDeviceCopyName(settings::OutputFileCounter + 1);
    return ReportFileName;
}

} // namespace report::detail

} // namespace kt4
