// Throughput of the table engine: appending 1,000,000 records of a 5-field
// table, reading them all in order, a LOCATE that has to look at every
// record and a PACK of them; beside them python3-dbf (appends) and dbfread (reads) doing the
// same work on the same kind of table, for the ratio.
#include "bench_folder.h"

#include "dbase/dbase.h"
#include "foundation/ui_headless.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace kt4::dbase;

namespace {

const std::string& Folder()
{
    static const std::string dir = BenchFolder("dbf_bench");
    return dir;
}

void Setup()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    kt4::UseHeadlessUi().quiet = true;
    ResetEngine();
    SetReportErrors(false);
    SetLanguage(5); // dd.mm.yy
    TableIsAnsi = true;
}

std::string FreshTable(const std::string& name)
{
    Setup();
    std::string path = Folder() + "/" + name;
    CreateDbf(path, {{"NAME", 'C', 20, 0}, {"PRICE", 'N', 10, 2}, {"QTY", 'N', 6, 0},
                     {"OK", 'L', 1, 0}, {"DAY", 'D', 8, 0}});
    return path + ".DBF";
}

void AppendRows(std::int64_t n)
{
    for (std::int64_t i = 0; i < n; ++i) {
        ClearRecord();
        TypedBuffer b = Buffer();
        b.SetText(1, "Name " + std::to_string(i));
        b.SetNumber(2, double(i) * 0.25);
        b.SetInteger(3, i % 100000);
        b.SetLogical(4, i % 2 == 0);
        b.SetText(5, "17.05.24");
        if (!Append())
            std::abort();
    }
}

constexpr std::int64_t kRows = 1000000;

std::string BigTable()
{
    static const std::string path = [] {
        std::string p = FreshTable("BIG");
        USE(p + " EXCLUSIVE");
        AppendRows(kRows);
        USE("");
        return p;
    }();
    return path;
}

void BM_Append(benchmark::State& state)
{
    for (auto _ : state) {
        std::string path = FreshTable("APPEND");
        USE(path + " EXCLUSIVE");
        AppendRows(state.range(0));
        USE("");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Append)->Arg(kRows)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SequentialRead(benchmark::State& state)
{
    std::string path = BigTable();
    std::int64_t rows = 0;
    for (auto _ : state) {
        USE(path + " EXCLUSIVE");
        for (GoTop(); !dEOF(); SKIP(1))
            ++rows;
        USE("");
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_SequentialRead)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LocateScan(benchmark::State& state)
{
    std::string path = BigTable();
    for (auto _ : state) {
        USE(path + " EXCLUSIVE");
        benchmark::DoNotOptimize(Locate("NAME", "Name 999999", false, 1, true));
        USE("");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_LocateScan)->Iterations(1)->Unit(benchmark::kMillisecond);

// PACK of the 1,000,000 records with every third marked deleted: the kept
// records go through the atomic writer (copy, flush, rename).
void BM_Pack(benchmark::State& state)
{
    const std::string path = Folder() + "/PACKED.DBF";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(BigTable(), path, std::filesystem::copy_options::overwrite_existing);
        USE(path + " EXCLUSIVE");
        for (std::int32_t n = 3; n <= kRows; n += 3) {
            GO(n);
            if (!DeleteRec())
                std::abort();
        }
        state.ResumeTiming();
        Pack();
        if (EngineErrorCode != 0 || RecCount() != kRows - kRows / 3)
            std::abort();
        USE("");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_Pack)->Iterations(1)->Unit(benchmark::kMillisecond);

// Times a python3 script on a table; records per second as items.
void RunPython(benchmark::State& state, const std::string& script, const std::string& table,
               std::int64_t rows)
{
    if (std::system("/usr/bin/python3 -c 'import dbf, dbfread' 2>/dev/null") != 0) {
        state.SkipWithError("python3-dbf or python3-dbfread missing");
        return;
    }
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        std::string cmd = "/usr/bin/python3 -c \"" + script + "\" '" + table + "' " + std::to_string(rows);
        if (std::system(cmd.c_str()) != 0)
            state.SkipWithError("python3 failed");
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

void BM_Python3DbfAppend(benchmark::State& state)
{
    const std::int64_t rows = state.range(0);
    std::string path = Folder() + "/py.dbf";
    std::filesystem::remove(path);
    RunPython(state,
              "import sys, dbf, datetime\n"
              "t = dbf.Table(sys.argv[1], 'NAME C(20); PRICE N(10,2); QTY N(6,0); OK L; DAY D', dbf_type='db3')\n"
              "t.open(dbf.READ_WRITE)\n"
              "d = datetime.date(2024, 5, 17)\n"
              "for i in range(int(sys.argv[2])):\n"
              "    t.append(('Name %d' % i, i * 0.25, i % 100000, i % 2 == 0, d))\n"
              "t.close()\n",
              path, rows);
}
BENCHMARK(BM_Python3DbfAppend)->Arg(50000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_DbfreadSequentialRead(benchmark::State& state)
{
    RunPython(state,
              "import sys, dbfread\n"
              "n = sum(1 for r in dbfread.DBF(sys.argv[1]))\n"
              "assert n == int(sys.argv[2])\n",
              BigTable(), kRows);
}
BENCHMARK(BM_DbfreadSequentialRead)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_DbfreadLocateScan(benchmark::State& state)
{
    RunPython(state,
              "import sys, dbfread\n"
              "hit = next(r for r in dbfread.DBF(sys.argv[1]) if r['NAME'] == 'Name 999999')\n",
              BigTable(), kRows);
}
BENCHMARK(BM_DbfreadLocateScan)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
