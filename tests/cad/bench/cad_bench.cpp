// The CAD layer's hot paths: a DXF file of 100,000 entities written
// through the c_ operations (lines, arcs both ways, circles, texts and
// polyline vertices), and a block of 100,000 entities replayed on the
// screen device from its block file.
#include "cad/cad_device.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "foundation/environment.h"
#include "foundation/printer_settings.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_device.h"
#include "graphics/graph_settings.h"

#include <benchmark/benchmark.h>

using namespace kt4;
using namespace kt4::cad;

namespace {

constexpr int Entities = 100000;

void Setup()
{
    static const kt4::testing::ScratchDir scratch; // removed at exit
    settings::InitSettings();
    graphics::InitGraphSettings();
    printer::InitPrinterSettings();
    InitCadSettings();
    UseHeadlessUi().quiet = true;
    settings::TempDir = scratch.Path();
    settings::CurrentFileName = scratch.File("bench");
    environment::CommandLineParams = {"a", "b"};
}

// 100,000 entities: a fifth each of lines, arcs (half of them clockwise),
// circles, texts and polyline vertices.
void DrawEntities()
{
    c_settextstyle(2, 30, 2.5L, 1.75L);
    for (int k = 0; k < Entities / 5; ++k) {
        const Real x = k % 400, y = k / 400;
        c_line(x, y, x + 0.7L, y + 0.3L);
        if (k % 2)
            c_arc(x, y, 10, 80, 0.4L);
        else
            c_arc_dir(x, y, 80, 10, 0.4L, -70);
        c_circle(x, y, 0.25L);
        c_text(x, y, "M12x40");
        if (k % 50 == 0)
            c_polyline_begin(0);
        c_poly(x, y, k % 3 ? 0 : 0.5L);
        if (k % 50 == 49)
            c_polyline_end();
    }
}

void BM_DxfOf100000Entities(benchmark::State& state)
{
    Setup();
    CadBatchMode = true;
    for (auto _ : state) {
        c_begin(cmDxf);
        c_header_default();
        c_tables(2);
        c_blocks();
        c_endblocks();
        c_entities();
        DrawEntities();
        c_endblocks();
        c_end();
    }
    state.SetItemsProcessed(state.iterations() * Entities);
}
BENCHMARK(BM_DxfOf100000Entities)->Unit(benchmark::kMillisecond);

void BM_ReplayBlockOf100000Entities(benchmark::State& state)
{
    Setup();
    PolyArcToLines = false; // the polyline's arcs as arcs, as many entities as drawn
    c_begin(cmScreen);
    c_header_default();
    c_blocks();
    c_block("BIG");
    DrawEntities();
    c_endblock();
    c_endblocks();
    c_entities();
    for (auto _ : state) {
        c_insert("BIG", 0, 0, 15, 1, 1);
        state.PauseTiming();
        graphics::ActiveGraphWindow().DisplayList().Clear();
        state.ResumeTiming();
    }
    c_endblocks();
    c_end();
    state.SetItemsProcessed(state.iterations() * Entities);
}
BENCHMARK(BM_ReplayBlockOf100000Entities)->Unit(benchmark::kMillisecond);

} // namespace
