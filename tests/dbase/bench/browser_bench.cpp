// The browser's model over a table of 1,000,000 records: opening it, the
// row count and the last row's data. In index order (a C(10) key in random
// order) with the 1 % deleted records hidden, as mode 1 shows a catalogue,
// the rows map to records through one walk of the index's leaves and one
// read of the deletion flags; in record order with nothing hidden no map
// is built at all.
#include "bench_folder.h"

#include "dbase/dataset.h"
#include "dbase/dbase.h"
#include "dbase/expr.h"
#include "dbase/gui/dataset_model.h"
#include "dbase/ndx.h"
#include "dbase/tzfds.h"
#include "foundation/ui_headless.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <random>

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
// engine's append is measured elsewhere.
const std::string& Table()
{
    static const std::string path = [] {
        kt4::UseHeadlessUi().quiet = true;
        ResetEngine();
        InitExpressions();
        IndexInit();
        InitDatasets();
        SetReportErrors(false);
        const std::string p = Folder() + "/million.dbf";
        SetCreateVersion(0x83);
        CreateDbf(p, {{"KEY", 'C', 10, 0}, {"NO", 'N', 8, 0}});
        std::fstream f(p, std::ios::in | std::ios::out | std::ios::binary);
        std::uint8_t head[12];
        f.read(reinterpret_cast<char*>(head), sizeof head);
        const std::uint32_t headerLen = head[8] | head[9] << 8, recLen = head[10] | head[11] << 8;
        std::mt19937 rng(11);
        std::string records;
        records.reserve(std::size_t(kRecords) * recLen + 1);
        char no[16];
        for (std::int32_t r = 1; r <= kRecords; ++r) {
            records.push_back(r % 100 == 0 ? '*' : ' ');
            for (int k = 0; k < 10; ++k)
                records.push_back(char('A' + rng() % 26));
            std::snprintf(no, sizeof no, "%8d", r);
            records.append(no, 8);
        }
        records.push_back('\x1A');
        f.seekp(headerLen);
        f.write(records.data(), std::streamsize(records.size()));
        const std::uint8_t count[4] = {std::uint8_t(kRecords), std::uint8_t(kRecords >> 8),
                                       std::uint8_t(kRecords >> 16), std::uint8_t(kRecords >> 24)};
        f.seekp(4);
        f.write(reinterpret_cast<const char*>(count), 4);
        f.close();
        if (!USE(p + " EXCLUSIVE") || !Index_On("KEY", Folder() + "/million_key"))
            std::abort();
        USE("");
        return p;
    }();
    return path;
}

void Browse(benchmark::State& state, bool indexed)
{
    const std::string path = Table();
    for (auto _ : state) {
        TTzDbf ds;
        ds.Name = "tzdbf";
        ds.ShowProgress = false;
        ds.SetDbfFileName(path);
        ds.Open();
        if (indexed) {
            ds.SetIndexTo(Folder() + "/million_key.ndx");
            ds.SetHideDeletedRecs(true);
        }
        kt4::dbase::gui::DatasetModel model;
        model.SetDataset(&ds);
        const int rows = model.rowCount();
        const QString last = model.index(rows - 1, 1).data().toString();
        benchmark::DoNotOptimize(last);
        const bool ordered = !indexed || model.index(0, 0).data().toString() <= model.index(1, 0).data().toString();
        if (rows != (indexed ? kRecords - kRecords / 100 : kRecords) || model.HasMap() != indexed ||
            last.isEmpty() || !ordered || ds.IsSequenced() == indexed)
            state.SkipWithError("wrong rows");
        state.PauseTiming();
        model.SetDataset(nullptr);
        ds.Close();
        state.ResumeTiming();
    }
}

void BM_Browser1M(benchmark::State& state)
{
    Browse(state, state.range(0) != 0);
}

} // namespace

BENCHMARK(BM_Browser1M)->Arg(1)->Arg(0)->ArgNames({"indexed_hidden"})->Iterations(3)->Unit(benchmark::kMillisecond);
