// Time of the overview page on the screen device with roller and ball
// bearings of five types in the slots (every redraw after an input change
// draws it), and of the animation list of the default drive, 360 images
// per turn.
#include "cad/cad_device.h"
#include "drawings/animation.h"
#include "drawings/view_dispatcher.h"
#include "drawings_start.h"
#include "drive/drive_calc.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "graphics/graph_device.h"

#include <benchmark/benchmark.h>

using namespace kt4;

namespace {

void StartModules(const std::string& temp)
{
    drawtest::StartDrawingModules();
    settings::TempDir = temp;
    settings::DataDir = temp;
    settings::DbfDir = KT4_DATA_DIR;
    settings::CurrentFileName = temp + "bench";
}

// The catalogue row Designation of type Typ, taken over into Slot.
bool TakeRow(Word Slot, TBearingType Typ, const std::string& Designation)
{
    catalogue::CatalogueSource source;
    drawtest::ReadCatalogue(Typ, source);
    for (std::size_t k = 0; k < source.rows.size(); ++k)
        if (source.rows[k].Text(1) == Designation) {
            drawtest::TakeOverRow(Slot, Typ, source.rows[k], k);
            return true;
        }
    return false;
}

void BM_OverviewWithRollerBearings(benchmark::State& state)
{
    const kt4::testing::ScratchDir scratch;
    StartModules(scratch.Path());
    const std::pair<TBearingType, const char*> slots[] = {
        {SphericalRoller, "22205"}, {TaperedRoller, "30205"}, {SelfAligningBall, "1205"},
        {DoubleRowAngularContact, "3205"}, {CylindricalRoller, "NU 205"}};
    for (Word k = 1; k <= BearingSlotCount; ++k)
        if (!TakeRow(k, slots[k - 1].first, slots[k - 1].second)) {
            state.SkipWithError("catalogue row missing");
            return;
        }
    drive::CalcDrive();
    for (auto _ : state)
        drawings::DrawView(1, cad::cmScreen);
    state.counters["records"] = static_cast<double>(graphics::GraphDevice.Window().DisplayList().Count());
}
BENCHMARK(BM_OverviewWithRollerBearings)->Unit(benchmark::kMillisecond);

void BM_AnimationList360(benchmark::State& state)
{
    const kt4::testing::ScratchDir scratch;
    StartModules(scratch.Path());
    drive::CalcDrive();
    for (auto _ : state)
        drawings::DrawAnimation({360, 1, 0, false}, cad::cmScreen);
    state.counters["records"] = static_cast<double>(graphics::GraphDevice.Window().DisplayList().Count());
}
BENCHMARK(BM_AnimationList360)->Unit(benchmark::kMillisecond);

} // namespace
