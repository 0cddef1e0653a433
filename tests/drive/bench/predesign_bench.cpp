// Time of one preliminary design from the start values on the built
// catalogue: five picks from the deep-groove table through the table access
// layer (open, bore index, seek, walk, read, take over) and the drive
// calculation.
#include "table_layer.h"

#include "drive/bearing_selection.h"
#include "drive/bearing_types.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/drive_inputs.h"
#include "drive/predesign.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

using namespace kt4;

namespace {

void BM_CalcPreDesign(benchmark::State& state)
{
    namespace fs = std::filesystem;
    settings::InitSettings();
    UseHeadlessUi().quiet = true;
    drivetest::StartTableLayer();
    InstallCatalogueSelection();
    std::string temp = (fs::temp_directory_path() / "kt4_predesign_bench.XXXXXX").string();
    if (!::mkdtemp(temp.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    settings::TempDir = temp + "/";
    settings::DbfDir = std::string(KT4_CATALOGUE_DIR) + "/";
    drive::InitDriveData();
    bearings::InitBearingSlots();
    drive::CalcDrive();
    const drive::DriveInputs start = drive::CaptureDriveInputs();
    for (auto _ : state) {
        state.PauseTiming();
        drive::CommitDriveInputs(start);
        state.ResumeTiming();
        drive::CalcPreDesign(0);
        benchmark::DoNotOptimize(bearings::BearingSlots[4].L10);
    }
    if (settings::CalcErrorFlag || bearings::BearingSlots[4].Designation.empty())
        state.SkipWithError("the design failed");
    dbase::ShutdownEngine();
    RemovePrivateTempDir();
    std::error_code ec;
    fs::remove_all(temp, ec);
}
BENCHMARK(BM_CalcPreDesign)->Unit(benchmark::kMillisecond);

} // namespace
