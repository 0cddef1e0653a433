// The CAD output job: the mode, the devices, how a job begins and ends,
// and the drawing frame with its title line.
#include "cad/cad_devices.h"
#include "cad/cad_internal.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "cad/plot_link.h"
#include "foundation/codepage.h"
#include "foundation/datetime.h"
#include "foundation/files.h"
#include "foundation/dialogs.h"
#include "foundation/environment.h"
#include "foundation/helptext.h"
#include "foundation/linefile.h"
#include "foundation/paths.h"
#include "foundation/printer_settings.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/ui_service.h"
#include "graphics/graph_device.h"

#include <cmath>
#include <map>

namespace kt4::cad {

using namespace settings;

namespace {

std::map<Word, TCadDeviceFactory>& Registry()
{
    static std::map<Word, TCadDeviceFactory> devices{
        {cmDxf, MakeDxfDevice},
        {cmScreen, MakeScreenDevice},
        {cmPlot, MakePlotDevice},
        {cmTxt, MakeTxtDevice},
        {cmIges, MakeIgesDevice},
        {cmStl, MakeStlDevice},
        {cmStep, MakeStepDevice},
    };
    return devices;
}

TCadDevice& NoDevice()
{
    static TCadDevice none;
    return none;
}

std::unique_ptr<TCadDevice> job;
bool jobDead = false;          // the job failed: it writes nothing more (no file)
bool invalidReported = false;  // the job's message on invalid numbers
bool failureTold = false;      // the job's failure text
bool lastJobBlank = false;     // the last job's format carried nothing of it

// Beyond this a value is no coordinate of a drawing: it stays far inside
// the float range of the STL facets, so that the writers' sums and
// products of coordinates (circle points, normals) stay in it too.
constexpr Real CoordinateLimit = 1E18L;

// Tells a failure of the running job once, ends its writing and sets
// AbortFlag; "" tells nothing (the failure was told where it happened).
void FailJob(const std::string& Text)
{
    if (!failureTold && !Text.empty())
        ErrorBox(Text);
    failureTold = true;
    jobDead = true;
    AbortFlag = true;
}

const char* const ModeNames[] = {"DXF", "IGES", "Kontrollausgabe auf Bildschirm",
                                 "Ausgabe auf Laserprinter/Plotter mit KAVOLT", "TXT", "STL",
                                 "STEP"};

// The save dialog of a file mode. The extension of the typed name is
// replaced by the mode's, whatever it was.
bool AskCadFileName(const std::string& Ext)
{
    std::string path = FileBaseName(CurrentFileName);
    bool ok = Ui().SaveFileDialog("", StripBackslash(CadDir), "*." + Ext + "|*." + Ext + "|*.*|*.*", Ext,
                                  path);
    if (!ok || FileNamePart(path).empty()) {
        AbortFlag = true;
        CadFileName.clear();
        return false;
    }
    CadFileName = FilePathPart(path) + FileBaseName(path) + "." + Ext;
    NormalCursor();
    return CheckDialogOutputFile(CadFileName);
}

std::string BatchFileName(const std::string& Ext) { return CurrentFileName + "." + Ext; }

void PlotLineDialog()
{
    CadPlotLineCount = std::clamp<Word>(CadPlotLineCount, 1, MaxPlotLines);
    if (CadPlotLineCount >= 2) {
        for (Word k = 1; k <= CadPlotLineCount; ++k)
            DialogLines[k] = CadPlotLines[k];
        SetHelpNumber(2055);
        ChoiceDialog("KAVOLT Command Line", CadPlotLineCount, CadPlotLineIndex);
        if (AbortFlag)
            return;
    } else {
        CadPlotLineIndex = 1;
    }
    CadPlotLineIndex = std::clamp<Word>(CadPlotLineIndex, 1, CadPlotLineCount);
    std::string& line = CadPlotLines[CadPlotLineIndex];
    if (PlotFormHook) {
        std::string edited = line;
        if (!PlotFormHook(edited)) {
            AbortFlag = true;
            return;
        }
        AbortFlag = false;
        line = edited;
    }
    SetHelpNumber(2060);
    // The line is shown whole, however long it is.
    std::string typed = line;
    int limit = std::max<int>(60, static_cast<int>(line.size()));
    if (!Ui().TextInput(OemToDisplay("KAVOLT-Kommandozeile (0=Parameter)"), typed, limit)) {
        AbortFlag = true;
        return;
    }
    if (typed.empty() || typed[0] == '0')
        PlotCommandDialog(typed);
    if (!AbortFlag)
        line = typed;
}

void TitleLine(Real x0, Real y0, Real x1, Real y1)
{
    Real dx = x1 - x0, dy = y1 - y0;
    c_settextstyle(2, 0, 0.006L * dy, 0.0045L * dx);
    c_setlayer(30);
    std::string file;
    if (!CurrentFileName.empty())
        file = ShortenText(NameHasExt(CurrentFileName, DataFileExt)
                               ? CurrentFileName // a name typed with its extension, folder included
                               : AddBackslash(DataDir) + SavedName(DataDir, CurrentFileName, DataFileExt),
                           120);
    std::string product = "VELMORA " + ProductName + " V" + ProgramVersion;
    std::string text = DrawingFooter ? product
                                     : DateString() + " " + TimeString() + " - " + product + " - " + file;
    c_text(x0 + 0.005L * dx, y0 + 0.002L * dy, text);
}

} // namespace

void RegisterCadDevice(Word mode, TCadDeviceFactory factory) { Registry()[mode] = std::move(factory); }

bool CadDeviceRegistered(Word mode) { return Registry().count(mode) > 0; }

bool CadJobRunning() { return job != nullptr; }

void DiscardCadJob()
{
    if (job)
        job->Discard();
    job.reset();
}

std::string CadBatchFileName(Word mode)
{
    auto found = Registry().find(mode);
    const std::string ext = found != Registry().end() ? found->second()->Extension() : std::string();
    return ext.empty() ? std::string() : BatchFileName(ext);
}

namespace detail {

TCadDevice& Dev()
{
    if (!job || jobDead || job->Failed())
        return NoDevice();
    return *job;
}

bool Finite(std::initializer_list<Real> Values)
{
    for (Real v : Values)
        if (!std::isfinite(v) || std::fabs(v) > CoordinateLimit) {
            if (!invalidReported)
                AddMessage("Fehler : CAD: ung\x81ltige Koordinate");
            invalidReported = true;
            if (job && !jobDead) {
                const bool file = !job->Extension().empty() || CadMode == cmPlot;
                FailJob("CAD: ung\x81ltige Koordinate" +
                        (file ? ": " + DisplayToOem(CadFileName) + " wurde nicht geschrieben." : std::string()));
            }
            return false;
        }
    return true;
}

void TellWriteFailure(const std::string& Text) { FailJob(Text); }

} // namespace detail

void c_setmode(Word mode) { CadMode = mode; }
void c_set3d(Integer flag) { Cad3D = flag; }

void CadOutputDialog()
{
    for (Word k = 1; k <= 7; ++k)
        DialogLines[k] = ModeNames[k - 1];
    SetHelpNumber(2050);
    ChoiceDialog("CAD-Code", Cad3D != 0 ? 7 : 6, CadMode);
    if (!AbortFlag && CadMode == cmPlot)
        PlotLineDialog();
}

void c_begin(Word mode)
{
    if (job) { // a job that was never ended leaves nothing behind
        job->Discard();
        job.reset();
    }
    printer::CadLogoMode = 0;
    if (mode == 0)
        CadOutputDialog();
    else
        c_setmode(mode);
    if (AbortFlag)
        return;
    jobDead = invalidReported = failureTold = lastJobBlank = false;
    auto found = Registry().find(CadMode);
    std::unique_ptr<TCadDevice> dev =
        found != Registry().end() ? found->second() : std::make_unique<TCadDevice>();
    std::string ext = dev->Extension();
    if (!ext.empty()) {
        if (CadBatchMode) {
            CadFileName = BatchFileName(ext);
            if (RefuseOpenFileTarget(CadFileName))
                return;
        } else if (!AskCadFileName(ext)) {
            return;
        }
    }
    if (CadMode == cmPlot) {
        CadFileName = PlotFileName();
        if (CadFileName.empty()) { // no private folder: nothing is written elsewhere
            FailJob(TempFolderFailureText());
            return;
        }
        StatusMessage(CadFileName + " " + "wird geplottet" + "..");
    }
    if (!dev->Open()) {
        dev->Discard();
        FailJob(dev->FailureText());
        return;
    }
    job = std::move(dev);
    c_settextjustify(0, 0);
    c_setlinefeed(1.0L);
    c_setlinestyle(0);
    c_setcolorscheme(0);
    CadInBlocks = false;
    CadNoLaunch = false;
    CadNativePolyline = !(CadMode == cmStep && Cad3D < 2);
}

void c_header(Real x0, Real y0, Real x1, Real y1, Real height)
{
    if (!detail::Finite({x0, y0, x1, y1, height}))
        return; // no drawing without a frame: the job ends without a file
    if (CadMode == cmStl && height > 0) {
        SetHelpNumber(2900);
        InputLength("H\x94he", height, 0, 1000);
        if (AbortFlag) {
            AbortFlag = false;
            CadNoLaunch = true;
        }
    }
    CadFrame = {x0, x1, y0, y1, x1 - x0, y1 - y0};
    detail::Dev().Header(x0, y0, x1, y1, height);
    if ((CadMode == cmScreen || CadMode == cmPlot) && printer::DrawBorderLine) {
        c_setlayer(19);
        c_rectangle(x0, y0, x1, y1);
    }
    if (CadMode == cmScreen)
        TitleLine(x0, y0, x1, y1);
    CadZ1 = 0;
    CadZ2 = height > 0 ? height : 1.0L;
}

void c_header_default() { c_header(0, 0, 160, 120, 1.0L); }

void c_tables(Word kind) { detail::Dev().Tables(kind); }

bool c_pass_done() { return detail::Dev().PassDone(); }

bool CadJobBlank() { return lastJobBlank; }

void c_end()
{
    std::unique_ptr<TCadDevice> dev = std::move(job);
    bool written = false;
    lastJobBlank = false;
    if (dev) {
        if (!jobDead && dev->Failed())
            FailJob(dev->FailureText());
        if (jobDead) {
            dev->Discard();
        } else if (dev->Blank()) {
            // refused by the caller, who names the drawing
            dev->Discard();
            lastJobBlank = true;
        } else {
            written = dev->Close();
        }
        if (!written)
            AbortFlag = true;
    }
    c_set3d(0);
    if (written && !AbortFlag && !CadNoLaunch && ExportLaunchFlag && !dev->Extension().empty() &&
        environment::CommandLineParams.size() <= 1)
        OpenWrittenFile(CadFileName);
}

} // namespace kt4::cad
