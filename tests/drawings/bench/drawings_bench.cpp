// The redraw after every input change: the overview page (view 1) and the
// assembly section (view 3) of y.kt4 on the screen, from the start of the
// job to the finished display list, block files included.
#include "cad/cad_device.h"
#include "drawings/view_dispatcher.h"
#include "drawings_start.h"
#include "drive/drive_calc.h"
#include "drive/projectfile.h"
#include "foundation/environment.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "graphics/graph_device.h"

#include <benchmark/benchmark.h>

using namespace kt4;

namespace {

void Setup()
{
    static const kt4::testing::ScratchDir scratch; // removed at exit
    drawtest::StartDrawingModules();
    settings::TempDir = scratch.Path();
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
