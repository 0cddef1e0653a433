// The browser's model over a table of 1,000,000 records: opening it, the
// row count and the last row's data. In index order (a C(10) key in random
// order) with the 1 % deleted records hidden, as mode 1 shows a catalogue,
// the rows map to records through one walk of the index's leaves and one
// read of the deletion flags; in record order with nothing hidden no map
// is built at all. The indexed opening runs over 10^4 to 10^7 records
// beside its floor, reading the table and index files whole.
#include "bench_floor.h"
#include "bench_folder.h"

#include "dbase/dataset/dataset.h"
#include "dbase/dataset/tzfds.h"
#include "dbase/dbase.h"
#include "dbase/expr/expr.h"
#include "dbase/gui/dataset_model.h"
#include "dbase/ndx/ndx.h"
#include "foundation/ui_headless.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <unistd.h>
#include <vector>

using namespace kt4::dbase;

namespace {

constexpr std::int32_t kRecords = 1000000;

const std::string& Folder()
{
    static const std::string dir = BenchFolder("browser_bench");
    return dir;
}

// KEY C10 (random letters), NO N8 (the record number); every 100th record
// deleted; the index on KEY beside it. Written as raw records: the
// engine's append is measured elsewhere. The table of records records is
// million.dbf for 10^6, else t<records>.dbf, with its index <name>_key.ndx.
std::string Table(std::int32_t records)
{
    static std::map<std::int32_t, std::string> made;
    if (made.count(records))
        return made[records];
    kt4::UseHeadlessUi().quiet = true;
    ResetEngine();
    InitExpressions();
    IndexInit();
    InitDatasets();
    SetReportErrors(false);
    const std::string stem = Folder() + "/" + (records == kRecords ? "million" : "t" + std::to_string(records));
    const std::string p = stem + ".dbf";
    SetCreateVersion(0x83);
    CreateDbf(p, {{"KEY", 'C', 10, 0}, {"NO", 'N', 8, 0}});
    std::fstream f(p, std::ios::in | std::ios::out | std::ios::binary);
    std::uint8_t head[12];
    f.read(reinterpret_cast<char*>(head), sizeof head);
    const std::uint32_t headerLen = head[8] | head[9] << 8, recLen = head[10] | head[11] << 8;
    std::mt19937 rng(11);
    std::string rows;
    rows.reserve(std::size_t(records) * recLen + 1);
    char no[16];
    for (std::int32_t r = 1; r <= records; ++r) {
        rows.push_back(r % 100 == 0 ? '*' : ' ');
        for (int k = 0; k < 10; ++k)
            rows.push_back(char('A' + rng() % 26));
        std::snprintf(no, sizeof no, "%8d", r);
        rows.append(no, 8);
    }
    rows.push_back('\x1A');
    f.seekp(headerLen);
    f.write(rows.data(), std::streamsize(rows.size()));
    const std::uint8_t count[4] = {std::uint8_t(records), std::uint8_t(records >> 8),
                                   std::uint8_t(records >> 16), std::uint8_t(records >> 24)};
    f.seekp(4);
    f.write(reinterpret_cast<const char*>(count), 4);
    f.close();
    if (!USE(p + " EXCLUSIVE") || !Index_On("KEY", stem + "_key"))
        std::abort();
    USE("");
    // On the disk before anything is timed: reads of pages still being
    // written back vary too much.
    for (const std::string& file : {p, stem + "_key.ndx"}) {
        const int fd = ::open(file.c_str(), O_RDONLY);
        if (fd < 0 || ::fsync(fd) != 0)
            std::abort();
        ::close(fd);
    }
    return made[records] = p;
}

std::string IndexOf(const std::string& table)
{
    return table.substr(0, table.size() - 4) + "_key.ndx";
}

// The floor: reads the table and the index file whole, into a buffer
// aligned to the memory page (the fastest the kernel copies into).
void ReadWhole(const std::string& path)
{
    struct alignas(4096) Buffer {
        char bytes[1 << 20];
    };
    static const auto buf = std::make_unique<Buffer>();
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        std::abort();
    while (::read(fd, buf->bytes, sizeof buf->bytes) > 0) {
    }
    ::close(fd);
}

// Opens the browser over the table (records records) and shows its last
// row; returns the seconds that took (the closing is not timed).
double Browse(benchmark::State& state, const std::string& path, bool indexed, std::int32_t records)
{
    const auto start = std::chrono::steady_clock::now();
    TTzDbf ds;
    ds.Name = "tzdbf";
    ds.ShowProgress = false;
    ds.SetDbfFileName(path);
    ds.Open();
    if (indexed) {
        ds.SetIndexTo(IndexOf(path));
        ds.SetHideDeletedRecs(true);
    }
    kt4::dbase::gui::DatasetModel model;
    model.SetDataset(&ds);
    const int rows = model.rowCount();
    const QString last = model.index(rows - 1, 1).data().toString();
    benchmark::DoNotOptimize(last);
    const bool ordered = !indexed || model.index(0, 0).data().toString() <= model.index(1, 0).data().toString();
    if (rows != (indexed ? records - records / 100 : records) || model.HasMap() != indexed ||
        last.isEmpty() || !ordered || ds.IsSequenced() == indexed)
        state.SkipWithError("wrong rows");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    model.SetDataset(nullptr);
    ds.Close();
    state.ResumeTiming();
    return seconds;
}

void BM_Browser1M(benchmark::State& state)
{
    const bool indexed = state.range(0) != 0;
    const std::string path = Table(kRecords);
    for (auto _ : state)
        Browse(state, path, indexed, kRecords);
}

// The indexed opening over records records beside its floor, with the
// peak resident memory of the opening and its rise above the memory held
// before.
void BM_BrowserIndexed(benchmark::State& state)
{
    const auto records = std::int32_t(state.range(0));
    const std::string path = Table(records);
    double seconds = 0, floor = 0, base = 0;
    for (auto _ : state) {
        state.PauseTiming();
        floor += Seconds([&] {
            ReadWhole(path);
            ReadWhole(IndexOf(path));
        });
        base = StartPeak();
        state.ResumeTiming();
        seconds += Browse(state, path, true, records);
    }
    ReportPeak(state, base); // of the last opening
    ReportFloor(state, seconds, floor);
}

} // namespace

BENCHMARK(BM_Browser1M)->Arg(1)->Arg(0)->ArgNames({"indexed_hidden"})->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BrowserIndexed)->RangeMultiplier(10)->Range(10000, 10 * kRecords)->Iterations(10)->Unit(benchmark::kMillisecond);
