// Throughput of the table engine: appending 1,000,000 records of a 5-field
// table, reading them all in order, a LOCATE that has to look at every
// record and a PACK of them; beside them python3-dbf (appends) and dbfread (reads) doing the
// same work on the same kind of table, for the ratio. The appends also run
// beside their floor: a minimal writer of the same records.
#include "bench_floor.h"
#include "bench_folder.h"

#include "dbase/dbase.h"
#include "foundation/ui_headless.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

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

// Writes the text of to_chars right-aligned into a field of width len.
template <class... Args>
void Right(char* field, std::size_t len, Args... args)
{
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, args...);
    const std::size_t n = std::size_t(r.ptr - text);
    std::memset(field, ' ', len - n);
    std::memcpy(field + len - n, text, n);
}

// The floor of an append: composes the same records with to_chars and
// writes each with its own pwrite, as an append that loses no record on a
// kill -9 must; the end mark and the count at the end. path is a fresh
// table of FreshTable's fields.
void FloorAppend(const std::string& path, std::int64_t n)
{
    const int fd = ::open(path.c_str(), O_RDWR);
    std::uint8_t head[12];
    if (fd < 0 || ::pread(fd, head, sizeof head, 0) != sizeof head)
        std::abort();
    const off_t headerLen = head[8] | head[9] << 8, recLen = head[10] | head[11] << 8;
    char rec[46];
    std::memcpy(rec, " Name ", 6);
    std::memcpy(rec + 38, "20240517", 8);
    for (std::int64_t i = 0; i < n; ++i) {
        std::memset(rec + 6, ' ', 15);
        std::to_chars(rec + 6, rec + 21, i);
        Right(rec + 21, 10, double(i) * 0.25, std::chars_format::fixed, 2);
        Right(rec + 31, 6, i % 100000);
        rec[37] = i % 2 == 0 ? 'T' : 'F';
        if (::pwrite(fd, rec, std::size_t(recLen), headerLen + off_t(i) * recLen) != recLen)
            std::abort();
    }
    const std::uint8_t count[5] = {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16),
                                   std::uint8_t(n >> 24), 0x1A};
    if (::pwrite(fd, count + 4, 1, headerLen + off_t(n) * recLen) != 1 || ::pwrite(fd, count, 4, 4) != 4)
        std::abort();
    ::close(fd);
}

// Puts the file on the disk, so that its writing back does not fall into
// the next timed part.
void Settle(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR);
    if (fd >= 0) {
        ::fdatasync(fd);
        ::close(fd);
    }
}

std::string Records(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t headerLen = b.size() < 12 ? 0 : std::uint8_t(b[8]) | std::uint8_t(b[9]) << 8;
    return b.substr(std::min(headerLen, b.size()));
}

// Appends into an exclusive table beside the floor, taking turns at going
// first; both tables must hold the same records.
void BM_Append(benchmark::State& state)
{
    double engine = 0, floor = 0;
    std::int64_t round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string floorPath = FreshTable("FLOOR"), path = FreshTable("APPEND");
        auto runFloor = [&] {
            floor += Seconds([&] { FloorAppend(floorPath, state.range(0)); });
            Settle(floorPath);
        };
        if (round % 2 == 0)
            runFloor();
        const double base = StartPeak();
        state.ResumeTiming();
        engine += Seconds([&] {
            USE(path + " EXCLUSIVE");
            AppendRows(state.range(0));
            USE("");
        });
        state.PauseTiming();
        ReportPeak(state, base);
        Settle(path);
        if (round % 2 == 1)
            runFloor();
        if (round++ == 0 && Records(path) != Records(floorPath))
            state.SkipWithError("the records differ from the floor's");
        state.ResumeTiming();
    }
    ReportFloor(state, engine, floor);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Append)->Arg(10000)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Append)->Arg(100000)->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Append)->Arg(kRows)->Iterations(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Append)->Arg(10 * kRows)->Iterations(2)->Unit(benchmark::kMillisecond);

// Appends into a table opened shared, under the append lock: each append
// counts the records the file holds first and writes the count after its
// record.
void BM_AppendShared(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path = FreshTable("SHARED");
        state.ResumeTiming();
        if (!USE(path) || !ALock())
            std::abort();
        AppendRows(state.range(0));
        USE("");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendShared)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

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
