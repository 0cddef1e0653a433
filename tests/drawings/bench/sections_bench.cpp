// Time of the overview page on the screen device with roller and ball
// bearings of five types in the slots (every redraw after an input change
// draws it), and of the animation list of the default drive, 360 images
// per turn, timed beside a program that formats the same records
// (floor_ms, x_floor).
#include "cad/cad_device.h"
#include "drawings/animation.h"
#include "drawings/view_dispatcher.h"
#include "drawings_start.h"
#include "drive/drive_calc.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "graphics/display_list.h"
#include "graphics/graph_device.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <string>
#include <vector>

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

// The floor: the records of a display list formatted anew from their
// numbers, one string each, as a program that has the numbers at hand
// writes them.
class RecordFloor {
public:
    explicit RecordFloor(const graphics::TDisplayList& list)
    {
        for (const auto& line : list) {
            const graphics::DisplayRecord r = graphics::ParseDisplayLine(line);
            records_.push_back({r.op, r.n, {}, std::string(r.text)});
            std::copy(std::begin(r.v), std::end(r.v), records_.back().v);
        }
    }
    std::vector<std::string> Format() const
    {
        std::vector<std::string> out;
        for (const Record& r : records_) {
            char buf[256];
            char* p = std::to_chars(buf, buf + 8, r.op).ptr;
            const int reals = Reals(r.op);
            for (int k = 0; k < reals; ++k) {
                *p++ = ';';
                p = std::to_chars(p, buf + sizeof buf, r.v[k], std::chars_format::general, 8).ptr;
            }
            if (reals == 0) {
                *p++ = ';';
                p = std::to_chars(p, buf + sizeof buf, r.n).ptr;
            }
            if (r.op == 1 || r.op == 2 || r.op == 6)
                *p++ = ';';
            out.emplace_back(buf, p);
            out.back() += r.text;
        }
        return out;
    }

private:
    struct Record {
        int op;
        Integer n;
        double v[8];
        std::string text;
    };
    static int Reals(int op) { return op == 3 ? 3 : op == 4 || op == 9 ? 4 : op == 5 || op == 7 || op == 10 ? 8 : op <= 6 ? 2 : 0; }
    std::vector<Record> records_;
};

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void BM_AnimationList360(benchmark::State& state)
{
    const kt4::testing::ScratchDir scratch;
    StartModules(scratch.Path());
    drive::CalcDrive();
    const auto& list = graphics::GraphDevice.Window().DisplayList();
    double job = 0, floor = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        drawings::DrawAnimation({360, 1, 0, false}, cad::cmScreen);
        job += Seconds(std::chrono::steady_clock::now() - t0);
        state.PauseTiming();
        const RecordFloor records(list);
        const auto t1 = std::chrono::steady_clock::now();
        const std::vector<std::string> formatted = records.Format();
        floor += Seconds(std::chrono::steady_clock::now() - t1);
        if (!std::equal(formatted.begin(), formatted.end(), list.begin(), list.end()))
            state.SkipWithError("the floor's records differ from the list");
        state.ResumeTiming();
    }
    state.counters["records"] = static_cast<double>(list.Count());
    state.counters["floor_ms"] = 1000 * floor / double(state.iterations());
    state.counters["x_floor"] = job / floor;
}
BENCHMARK(BM_AnimationList360)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
