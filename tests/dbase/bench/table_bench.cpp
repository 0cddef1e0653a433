// Throughput of the layers above the core: a catalogue pick through the
// access layer on a 10,000-row table, sorting a virtual file of 100,000
// records, and adding and reading 100,000 memos of 300 bytes.
#include "bench_folder.h"

#include "dbase/access/table_access.h"
#include "dbase/dataset/dataset.h"
#include "dbase/dataset/tzfds.h"
#include "dbase/dbase.h"
#include "dbase/expr/expr.h"
#include "dbase/memo/memo.h"
#include "dbase/vfile/vfile.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace kt4::dbase;

namespace {

const std::string& Folder()
{
    static const std::string dir = BenchFolder("table_bench");
    return dir;
}

void StartEngine()
{
    static bool started = [] {
        kt4::UseHeadlessUi().quiet = true;
        StartTableEngine();
        SetReportErrors(false);
        return true;
    }();
    (void)started;
}

// A catalogue of 10,000 rows: BEZ C20, DI N(12,4), DA N(12,4), B N(12,4).
void MakeCatalogue()
{
    static bool made = [] {
        StartEngine();
        const std::string p = Folder() + "/katalog";
        SetCreateVersion(0x83);
        CreateDbf(p, {{"BEZ", 'C', 20, 0}, {"DI", 'N', 12, 4}, {"DA", 'N', 12, 4}, {"B", 'N', 12, 4}});
        USE(p + " EXCLUSIVE");
        std::mt19937 rng(3);
        for (int i = 0; i < 10000; ++i) {
            ClearRecord();
            Buffer().SetText(1, "L" + std::to_string(i));
            Buffer().SetNumber(2, double(5 + rng() % 400));
            Buffer().SetNumber(3, double(20 + rng() % 600));
            Buffer().SetNumber(4, double(5 + rng() % 60));
            Append();
        }
        USE("");
        kt4::settings::DbfDir = Folder();
        kt4::settings::TempDir = Folder();
        kt4::settings::DbfUseTemp = false;
        return true;
    }();
    (void)made;
}

void BM_CataloguePick(benchmark::State& state)
{
    MakeCatalogue();
    for (auto _ : state) {
        DbfOpenTable("katalog");
        DbfMakeIndex("DI", "katalog_di");
        DbfFindKey("120");
        for (int i = 0; i < 20; ++i)
            DbfSkip(1);
        benchmark::DoNotOptimize(DbfRecNo());
        DbfClose();
    }
    if (kt4::settings::AbortFlag)
        state.SkipWithError("the pick failed");
}
BENCHMARK(BM_CataloguePick)->Unit(benchmark::kMillisecond);

void BM_SortVFile(benchmark::State& state)
{
    StartEngine();
    std::vector<TDbfFieldInfo> f(2);
    f[0].type = 'C';
    f[0].len = 10;
    f[1].type = 'N';
    f[1].len = 8;
    std::vector<std::uint8_t> buffer(TypedBufferSize(f));
    Select(20);
    USE("BENCHV VIRTUAL FILE", buffer.data(), buffer.size());
    AddStru({{"KEY", 'C', 10, 0}, {"N", 'N', 8, 0}});
    std::mt19937 rng(5);
    for (int i = 0; i < 100000; ++i) {
        ClearRecord();
        Buffer().SetText(1, std::to_string(rng() % 1000000));
        Buffer().SetInteger(2, i);
        Append();
    }
    bool ascending = true;
    for (auto _ : state) {
        // Keys are read anew every round, as after a new key function.
        Set_VFileKey_To([](void*) { return Buffer().Text(1); }, nullptr);
        SortVFile(ascending ? lsASCENDING : lsDESCENDING);
        ascending = !ascending;
    }
    USE("");
}
BENCHMARK(BM_SortVFile)->Unit(benchmark::kMillisecond);

void BM_Memos(benchmark::State& state)
{
    StartEngine();
    const std::string text(300, 'm');
    const bool adding = state.range(0) == 0;
    Select(21);
    SetCreateVersion(0x8B);
    CreateDbf(Folder() + "/memos", {{"NOTE", 'M', 10, 0}});
    USE(Folder() + "/memos EXCLUSIVE");
    std::vector<std::int32_t> blocks;
    if (!adding)
        for (int i = 0; i < 100000; ++i)
            blocks.push_back(AddMemo(text));
    for (auto _ : state) {
        if (adding) {
            for (int i = 0; i < 100000; ++i)
                benchmark::DoNotOptimize(AddMemo(text));
        } else {
            std::string got;
            for (std::int32_t b : blocks)
                GetMemoText(b, got);
        }
    }
    state.SetItemsProcessed(state.iterations() * 100000);
    USE("");
}
BENCHMARK(BM_Memos)->Arg(0)->Arg(1)->ArgNames({"get"})->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
