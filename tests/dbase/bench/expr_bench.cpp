// Evaluating a FOR condition over 1,000,000 records.
//
// ExprForCondition: the records lie in memory and are put into the work
// area's record one after the other, so the figure is the evaluation alone
// (field checks, field reads, UPPER, comparisons).
// ExprForConditionSkip: the same condition as the area's FOR filter while
// SKIP walks the table file, reads included.
#include "dbase/dbase.h"
#include "dbase/expr/expr.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

using namespace kt4::dbase;

constexpr int kRecords = 1000000;
const char* const kCondition = "UPPER(NAME) = \"MEIER\" .AND. PRICE > 100";

// A table NAME C20, PRICE N10.2 of kRecords records, one name in eight
// "Meier" in some spelling, prices 0..199.
class BenchTable {
public:
    BenchTable()
    {
        InitEngine();
        InitExpressions();
        SetReportErrors(false);
        dir_ = std::filesystem::temp_directory_path() / ("kt4_expr_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "BENCH.DBF").string();
        CreateDbf(path_, {{"NAME", 'C', 20, 0}, {"PRICE", 'N', 10, 2}});
        records_.reserve(static_cast<std::size_t>(kRecords) * kRecordLength);
        const char* names[] = {"Meier", "Schulz", "meier", "Huber", "MEIERHOF", "Wagner", "Becker", "Maier"};
        char rec[kRecordLength + 1];
        for (int i = 0; i < kRecords; ++i) {
            std::snprintf(rec, sizeof rec, " %-20s%10.2f", names[i % 8], (i * 37) % 20000 / 100.0);
            records_.insert(records_.end(), rec, rec + kRecordLength);
        }
        WriteRecords();
    }
    ~BenchTable()
    {
        CloseAll();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    static constexpr std::size_t kRecordLength = 31;
    const std::string& Path() const { return path_; }
    const char* Record(int i) const { return records_.data() + static_cast<std::size_t>(i) * kRecordLength; }

private:
    // The records appended to the empty table file, the count patched.
    void WriteRecords()
    {
        std::FILE* f = std::fopen(path_.c_str(), "r+b");
        std::fseek(f, -1, SEEK_END);
        std::fwrite(records_.data(), 1, records_.size(), f);
        std::fputc(0x1A, f);
        std::fseek(f, 4, SEEK_SET);
        const unsigned char count[4] = {kRecords & 0xFF, (kRecords >> 8) & 0xFF, (kRecords >> 16) & 0xFF, 0};
        std::fwrite(count, 1, 4, f);
        std::fclose(f);
    }

    std::filesystem::path dir_;
    std::string path_;
    std::vector<char> records_;
};

BenchTable& Table()
{
    static BenchTable table;
    return table;
}

void ExprForCondition(benchmark::State& state)
{
    BenchTable& t = Table();
    USE(t.Path() + " EXCLUSIVE");
    TWorkArea* area = Current();
    ExprPtr e = CompileExpr(kCondition);
    if (!e || area == nullptr || area->native.size() != BenchTable::kRecordLength) {
        state.SkipWithError("table or expression not ready");
        return;
    }
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (int i = 0; i < kRecords; ++i) {
            std::memcpy(area->native.data(), t.Record(i), BenchTable::kRecordLength);
            Evaluate(*e);
            hits += e->Logical() ? 1 : 0;
        }
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.counters["hits"] = hits;
    USE("");
}
BENCHMARK(ExprForCondition)->Unit(benchmark::kMillisecond);

void ExprForConditionSkip(benchmark::State& state)
{
    BenchTable& t = Table();
    USE(t.Path() + " EXCLUSIVE");
    SetForExpr(AssignExpr(kCondition));
    int visible = 0;
    for (auto _ : state) {
        visible = 0;
        for (GoTop(); !dEOF(); SKIP(1))
            ++visible;
        benchmark::DoNotOptimize(visible);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.counters["hits"] = visible;
    USE("");
}
BENCHMARK(ExprForConditionSkip)->Unit(benchmark::kMillisecond);

} // namespace
