// Time of one drive calculation with five deep-groove ball bearings of
// catalogue size in the slots: with the normal clearance each bearing reads
// its load-factor table file; with entered X and Y none does.
#include "drive/bearing_types.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace kt4;

namespace {

struct CatalogueBearing {
    const char* name;
    Real d, D, B, C, C0, Cu, nLimit, d1, D1;
};

// ISO dimension series 60 and 62 sizes with typical ratings
constexpr CatalogueBearing Catalogue[5] = {
    {"608", 8, 22, 7, 3450, 1370, 57, 34000, 12.1L, 19.0L},
    {"625", 5, 16, 5, 1140, 380, 16, 48000, 8.4L, 13.3L},
    {"604", 4, 12, 4, 806, 280, 12, 60000, 6.1L, 10.2L},
    {"6001", 12, 28, 8, 5400, 2360, 100, 26000, 16.7L, 24.4L},
    {"6001", 12, 28, 8, 5400, 2360, 100, 26000, 16.7L, 24.4L},
};

void Setup(Word clearance)
{
    settings::InitSettings();
    UseHeadlessUi().quiet = true;
    settings::DbfDir = KT4_DATA_DIR;
    drive::InitDriveData();
    drive::bLg45 = 16;
    bearings::InitBearingSlots();
    for (Word k = 1; k <= BearingSlotCount; ++k) {
        const CatalogueBearing& c = Catalogue[k - 1];
        WaelzLagerTyp& b = bearings::BearingSlots[k];
        b.Designation = c.name;
        b.d = c.d;
        b.D = c.D;
        b.B = c.B;
        b.C = c.C;
        b.C0 = c.C0;
        b.Cu = c.Cu;
        b.nLimit = c.nLimit;
        b.Dims[1] = c.d1;
        b.Dims[2] = c.D1;
        b.Clearance = clearance;
    }
}

void BM_CalcDrive(benchmark::State& state)
{
    Setup(static_cast<Word>(state.range(0)));
    drive::CalcDrive();
    if (settings::CalcErrorFlag) {
        state.SkipWithError("the calculation failed");
        return;
    }
    for (auto _ : state) {
        drive::CalcDrive();
        benchmark::DoNotOptimize(drive::SigV[2]);
    }
}
// argument: the clearance code, 2 normal (factor table), 1 X and Y entered
BENCHMARK(BM_CalcDrive)->Arg(2)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
