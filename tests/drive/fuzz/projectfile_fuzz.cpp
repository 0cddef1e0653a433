// Fuzz target: any bytes as a project file, read over a calculated drive.
// A read that fails leaves the project exactly as it was; a read that
// succeeds, followed by the calculation, ends with CalcErrorFlag and a
// "Fatal" message or with every result finite. The project list's scratch
// read of the same bytes changes nothing of the open design, nor AbortFlag.
#include "common/fuzz_support.h"
#include "drive/bearing_types.h"
#include "drive/docu_data.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/project_layout.h"
#include "drive/projectfile.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace kt4;
using namespace kt4::drive;
using kt4::fuzz::Check;

namespace {

HeadlessUi* ui = nullptr;

bool SameReal(Real a, Real b) { return std::memcmp(&a, &b, 10) == 0; } // the 80 bits, not the padding

bool SameValue(const std::variant<Real, Integer>& a, const std::variant<Real, Integer>& b)
{
    if (a.index() != b.index())
        return false;
    return a.index() == 0 ? SameReal(std::get<0>(a), std::get<0>(b)) : std::get<1>(a) == std::get<1>(b);
}

bool SameProject(const project::ProjectState& a, const project::ProjectState& b)
{
    if (a.remarks != b.remarks || a.zeichNr != b.zeichNr || a.zeichName != b.zeichName ||
        a.zeichName2 != b.zeichName2 || a.drive.size() != b.drive.size() || !(a.slots == b.slots))
        return false;
    for (std::size_t k = 0; k < a.drive.size(); ++k)
        if (!SameValue(a.drive[k], b.drive[k]))
            return false;
    return true;
}

// Every value the calculation writes.
std::vector<Real> Results()
{
    std::vector<Real> r{i,      i0,     iAbs,      bsDist, bOver,  bPOver, diShaft1, diShaft2, bcase,
                        Ltot,   Pw,     FtGear,    FrGear, FnGear, FtBoltSum, nzLoad, FtBolt, pmaxz,
                        SigBz,  pHertz, dR,        dzw,    exz,    etaproz};
    for (std::size_t k = 1; k <= 2; ++k)
        r.insert(r.end(), {tau[k], SigB[k], SigV[k]});
    for (std::size_t k = 1; k <= 3; ++k)
        r.insert(r.end(), {P[k], n[k], T[k]});
    for (std::size_t k = 1; k <= 5; ++k)
        r.insert(r.end(), {FLagerT[k], FLagerR[k], FrLager[k]});
    for (const auto& b : bearings::BearingSlots)
        r.insert(r.end(), {b.X, b.Y, b.P, b.P0, b.Frm, b.FaPerm, b.L10, b.S, b.S0, b.Fr, b.nue1, b.nueb,
                           b.kappa, b.a23, b.aISO, b.Lna});
    return r;
}

bool FatalReported()
{
    for (Word k = 1; k <= settings::MessageCount; ++k)
        if (settings::MessageTexts[k].rfind(settings::SevFatal, 0) == 0)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    settings::InitSettings();
    settings::BaseName = "kt4";
    settings::DataFileExt = "kt4";
    settings::DbfDir = KT4_DATA_DIR; // the load-factor tables
    ui = &UseHeadlessUi();
    ui->quiet = true;
    fuzz::ScratchDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A calculated default drive is the project the file is read over.
    InitDriveData();
    bearings::InitBearingSlots();
    docu::InitDocuData();
    settings::RemarkLines = {"eins", "zwei", "drei"};
    CalcDrive();
    ui->ClearLog();
    ui->ClearScript();
    // Numbers that cannot be read: accepted as 0 or not, by the input's size.
    ui->Script(size % 2 == 0 ? "J" : "N");

    const std::string path = fuzz::WriteInput("fuzz.kt4", data, size);
    const project::ProjectState before = project::CaptureProject();
    const std::vector<Real> resultsBefore = Results();
    // The project list reads every file into a scratch state first.
    {
        project::ProjectState scratch;
        std::string version;
        const bool abortBefore = settings::AbortFlag;
        (void)project::ReadProjectScratch(path, scratch, version);
        Check(settings::AbortFlag == abortBefore);
        Check(SameProject(before, project::CaptureProject()));
        Check(ui->Log().empty()); // no question, no box
    }
    settings::AbortFlag = false;
    if (!project::ReadDataFile(path)) {
        Check(settings::AbortFlag);
        Check(SameProject(before, project::CaptureProject()));
        const std::vector<Real> resultsAfter = Results();
        for (std::size_t k = 0; k < resultsBefore.size(); ++k)
            Check(SameReal(resultsBefore[k], resultsAfter[k]));
        return 0;
    }
    CalcDrive();
    if (settings::CalcErrorFlag && FatalReported())
        return 0;
    for (Real x : Results())
        Check(std::isfinite(x));
    return 0;
}
