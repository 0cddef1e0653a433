// Index throughput: building an index over 1,000,000 records (a 10-byte
// character key and a numeric key, in memory and with sorted runs), random
// Finds of existing keys in an exclusive and in a shared area, and appends
// with the index open. The builds over 10^4 to 10^7 records report their
// peak resident memory beside the sort budget.
#include "bench_floor.h"
#include "bench_folder.h"

#include "dbase/dbase.h"
#include "dbase/expr/expr.h"
#include "foundation/ui_headless.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

using namespace kt4::dbase;

namespace {

constexpr int kRows = 1000000;

const std::string& Folder()
{
    static const std::string dir = BenchFolder("ndx_bench");
    return dir;
}

std::string Code(int i, int rows = kRows)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "K%09d", int((std::int64_t(i) * 7919) % rows));
    return buf;
}

// CODE C(10), NUM N(10,0) with rows records: written raw, the engine only
// opens it.
std::map<int, std::string>& Made()
{
    static std::map<int, std::string> made;
    return made;
}

void DropTable(int rows)
{
    if (Made().count(rows))
        std::filesystem::remove(Made()[rows]);
    Made().erase(rows);
}

std::string Table(int rows = kRows)
{
    auto& made = Made();
    if (made.count(rows))
        return made[rows];
    kt4::UseHeadlessUi().quiet = true;
    ResetEngine();
    InitExpressions();
    IndexInit();
    SetReportErrors(false);
    const std::string p = Folder() + "/KEYS" + std::to_string(rows);
    CreateDbf(p, {{"CODE", 'C', 10, 0}, {"NUM", 'N', 10, 0}});
    std::string b;
    {
        std::ifstream in(p + ".DBF", std::ios::binary);
        b.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::size_t headerLen = std::size_t(std::uint8_t(b.at(8))) | std::size_t(std::uint8_t(b.at(9))) << 8;
    b.resize(headerLen);
    b.reserve(headerLen + std::size_t(rows) * 21 + 1);
    for (int i = 0; i < rows; ++i) {
        char rec[40];
        std::snprintf(rec, sizeof rec, " %s%10d", Code(i, rows).c_str(), int((std::int64_t(i) * 7919) % rows));
        b.append(rec, 21);
    }
    b.push_back(char(0x1A));
    for (int i = 0; i < 4; ++i)
        b[4 + std::size_t(i)] = char(std::uint32_t(rows) >> (8 * i));
    std::ofstream(p + ".DBF", std::ios::binary | std::ios::trunc).write(b.data(), std::streamsize(b.size()));
    return made[rows] = p + ".DBF";
}

void BuildIndex(benchmark::State& state, const char* expr, std::size_t budget)
{
    const std::string table = Table();
    USE(table + " EXCLUSIVE");
    IndexSortBudget = budget;
    for (auto _ : state)
        if (!Index_On(expr, Folder() + "/bench"))
            state.SkipWithError(LastErrorText().c_str());
    IndexSortBudget = std::size_t{256} << 20;
    USE("");
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_IndexBuildCharKey(benchmark::State& state)
{
    BuildIndex(state, "CODE", std::size_t{256} << 20);
}
BENCHMARK(BM_IndexBuildCharKey)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_IndexBuildNumericKey(benchmark::State& state)
{
    BuildIndex(state, "NUM", std::size_t{256} << 20);
}
BENCHMARK(BM_IndexBuildNumericKey)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_IndexBuildCharKeySortedRuns(benchmark::State& state)
{
    BuildIndex(state, "CODE", std::size_t{4} << 20); // about 14 runs
}
BENCHMARK(BM_IndexBuildCharKeySortedRuns)->Iterations(3)->Unit(benchmark::kMillisecond);

// The character key over 10^4 .. 10^7 records with the default budget of
// 256 MB: the peak resident memory of the build, and its rise above the
// memory the process held before, beside the budget.
void BM_IndexBuildPeak(benchmark::State& state)
{
    const int rows = int(state.range(0));
    const std::string table = Table(rows);
    USE(table + " EXCLUSIVE");
    const std::size_t budget = IndexSortBudget;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(Folder() + "/peak.ndx");
        const double base = StartPeak();
        state.ResumeTiming();
        if (!Index_On("CODE", Folder() + "/peak"))
            state.SkipWithError(LastErrorText().c_str());
        state.PauseTiming();
        ReportPeak(state, base);
        state.ResumeTiming();
    }
    state.counters["budget_MB"] = double(budget >> 20);
    USE("");
    std::filesystem::remove(Folder() + "/peak.ndx");
    DropTable(rows);
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_IndexBuildPeak)->RangeMultiplier(10)->Range(10000, 10 * kRows)->Iterations(1)->Unit(benchmark::kMillisecond);

void RandomFinds(benchmark::State& state, bool exclusive)
{
    const std::string table = Table();
    USE(table + " EXCLUSIVE");
    Index_On("CODE", Folder() + "/find");
    USE(table + (exclusive ? " EXCLUSIVE" : ""));
    SetIndexToCB(Folder() + "/find", 1, nullptr, nullptr);
    std::mt19937 rng(5);
    std::vector<std::string> keys;
    for (std::int64_t i = 0; i < state.range(0); ++i)
        keys.push_back(Code(int(rng() % kRows)));
    std::int64_t found = 0;
    for (auto _ : state)
        for (const std::string& k : keys)
            found += Find(k) ? 1 : 0;
    if (found != state.iterations() * state.range(0))
        state.SkipWithError("a key was not found");
    USE("");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_FindExclusive(benchmark::State& state)
{
    RandomFinds(state, true);
}
BENCHMARK(BM_FindExclusive)->Arg(kRows)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_FindShared(benchmark::State& state)
{
    RandomFinds(state, false);
}
BENCHMARK(BM_FindShared)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Appends with the index open into a copy of the table of 100,000 records:
// each new key is checked on its path before the record is written, then
// inserted.
void BM_AppendIndexed(benchmark::State& state)
{
    const std::string source = Table(100000);
    for (auto _ : state) {
        state.PauseTiming();
        const std::string p = Folder() + "/APPIDX.DBF";
        std::filesystem::copy_file(source, p, std::filesystem::copy_options::overwrite_existing);
        USE(p + " EXCLUSIVE");
        Index_On("CODE", Folder() + "/appidx");
        state.ResumeTiming();
        for (int i = 0; i < state.range(0); ++i) {
            ClearRecord();
            TypedBuffer b = Buffer();
            b.SetText(1, Code(i * 13, 1000003));
            b.SetNumber(2, i);
            if (!Append())
                state.SkipWithError(LastErrorText().c_str());
        }
        state.PauseTiming();
        USE("");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendIndexed)->Arg(50000)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
