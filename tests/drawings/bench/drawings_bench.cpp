// The redraw after every input change: the overview page (view 1) and the
// assembly section (view 3) of y.kt4 on the screen, from the start of the
// job to the finished display list, block files included.
#include "cad/cad_device.h"
#include "cad/cad_settings.h"
#include "drawings/view_dispatcher.h"
#include "drive/bearing_types.h"
#include "drive/docu_data.h"
#include "drive/docu_texts.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/projectfile.h"
#include "foundation/dialogs.h"
#include "foundation/environment.h"
#include "foundation/helptext.h"
#include "foundation/printer_settings.h"
#include "foundation/private_temp.h"
#include "foundation/report.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_device.h"
#include "graphics/graph_settings.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

using namespace kt4;

namespace {

// A scratch folder, removed at exit (its path outlives every static).
const std::string& Scratch()
{
    static const std::string* dir = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "kt4bench.XXXXXX").string();
        auto* made = new std::string(::mkdtemp(tmpl.data()));
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(Scratch(), ec);
        });
        return made;
    }();
    return *dir;
}

void Setup()
{
    settings::InitSettings();
    printer::InitPrinterSettings();
    dialogs::InitDialogs();
    help::InitHelp();
    report::InitReport();
    drive::InitDriveData();
    bearings::InitBearingSlots();
    docu::InitDocuTexts();
    docu::InitDocuData();
    graphics::InitGraphSettings();
    cad::InitCadSettings();
    UseHeadlessUi().quiet = true;
    settings::TempDir = Scratch() + "/";
    environment::CommandLineParams = {"a", "b"};
    project::ReadDataFile(std::string(KT4_SOURCE_DIR) + "/tests/drawings/fixtures/y.kt4");
    drive::CalcDrive();
}

void View(benchmark::State& state, Word view)
{
    Setup();
    for (auto _ : state) {
        drawings::DrawView(view, cad::cmScreen);
        benchmark::DoNotOptimize(graphics::ActiveGraphWindow().DisplayList().Count());
    }
    state.counters["records"] = static_cast<double>(graphics::ActiveGraphWindow().DisplayList().Count());
}

void BM_OverviewOnScreen(benchmark::State& state) { View(state, 1); }
void BM_SectionOnScreen(benchmark::State& state) { View(state, 3); }

BENCHMARK(BM_OverviewOnScreen)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(100)->ReportAggregatesOnly(true);
BENCHMARK(BM_SectionOnScreen)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(100)->ReportAggregatesOnly(true);

} // namespace
