// The 3-D and exchange writers: the revolved shaft as binary and ASCII
// STL (about 34,000 facets), and 10,000 lines as STEP (both passes) and as
// IGES, each a whole job through the c_ operations.
#include "cad/cad_device.h"
#include "cad/cad_settings.h"
#include "foundation/environment.h"
#include "foundation/printer_settings.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_settings.h"
#include "sample_solids.h"

#include <benchmark/benchmark.h>

using namespace kt4;
using namespace kt4::cad;

namespace {

void Start()
{
    static const kt4::testing::ScratchDir folder; // the written files, removed at exit
    settings::InitSettings();
    graphics::InitGraphSettings();
    printer::InitPrinterSettings();
    InitCadSettings();
    UseHeadlessUi().quiet = true;
    settings::TempDir = folder.Path();
    settings::CurrentFileName = folder.File("bench");
    environment::CommandLineParams = {"a", "b"};
    CadBatchMode = true;
}

void BM_StlShaft(benchmark::State& state)
{
    Start();
    StlFileType = static_cast<Integer>(state.range(0));
    for (auto _ : state)
        cadtest::DrawShaft(cmStl);
    state.SetLabel(StlFileType == 1 ? "ASCII" : "binary");
}
BENCHMARK(BM_StlShaft)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_10000Lines(benchmark::State& state)
{
    Start();
    const Word mode = static_cast<Word>(state.range(0));
    for (auto _ : state)
        cadtest::DrawPage(mode, [] {
            for (int k = 0; k < 10000; ++k)
                c_line(k % 100, k / 100, k % 100 + 0.75L, k / 100 + 0.5L);
        });
    state.SetLabel(mode == cmStep ? "STEP" : "IGES");
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_10000Lines)->Arg(cmStep)->Arg(cmIges)->Unit(benchmark::kMillisecond);

} // namespace
