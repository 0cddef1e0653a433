// The CAD layer's hot paths: a DXF file of 100,000 entities written
// through the c_ operations (lines, arcs both ways, circles, texts and
// polyline vertices), timed beside a plain C writer of the same file
// (floor_ms, x_floor), and a block of 100,000 entities replayed on the
// screen device from its block file.
#include "cad/cad_device.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "foundation/environment.h"
#include "foundation/printer_settings.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_device.h"
#include "graphics/graph_settings.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <string>
#include <unistd.h>

using namespace kt4;
using namespace kt4::cad;

namespace {

constexpr int Entities = 100000;

void Setup()
{
    static const kt4::testing::ScratchDir scratch; // removed at exit
    settings::InitSettings();
    graphics::InitGraphSettings();
    printer::InitPrinterSettings();
    InitCadSettings();
    UseHeadlessUi().quiet = true;
    settings::TempDir = scratch.Path();
    settings::CurrentFileName = scratch.File("bench");
    environment::CommandLineParams = {"a", "b"};
}

// 100,000 entities: a fifth each of lines, arcs (half of them clockwise),
// circles, texts and polyline vertices.
void DrawEntities()
{
    c_settextstyle(2, 30, 2.5L, 1.75L);
    for (int k = 0; k < Entities / 5; ++k) {
        const Real x = k % 400, y = k / 400;
        c_line(x, y, x + 0.7L, y + 0.3L);
        if (k % 2)
            c_arc(x, y, 10, 80, 0.4L);
        else
            c_arc_dir(x, y, 80, 10, 0.4L, -70);
        c_circle(x, y, 0.25L);
        c_text(x, y, "M12x40");
        if (k % 50 == 0)
            c_polyline_begin(0);
        c_poly(x, y, k % 3 ? 0 : 0.5L);
        if (k % 50 == 49)
            c_polyline_end();
    }
}

// The floor: the entities of DrawEntities as a C program writes them,
// each number (all of them >= 0) rounded to a whole count of millionths
// and its digits written from that, after the sections before them as
// one constant text (head, taken from the job's file); then write, fsync,
// rename and the folder's fsync, as the job does. Returns the file's text.
std::string DxfFloor(const std::string& path, const std::string& head)
{
    std::string out = head;
    out.reserve(head.size() + std::size_t(Entities) * 120);
    auto put = [&](const char* text) { out += text; };
    auto num = [&](const char* code, double v) {
        char buf[40], *p = buf + sizeof buf;
        *--p = '\n', *--p = '\r';
        auto n = static_cast<unsigned long long>(std::llround(v * 1e6));
        for (int k = 0; k < 6; ++k, n /= 10)
            *--p = char('0' + n % 10);
        *--p = '.';
        do
            *--p = char('0' + n % 10);
        while (n /= 10);
        out += code;
        out += "\r\n";
        out.append(p, std::size_t(buf + sizeof buf - p));
    };
    for (int k = 0; k < Entities / 5; ++k) {
        const double x = k % 400, y = k / 400;
        put("  0\r\nLINE\r\n  8\r\n0\r\n");
        num(" 10", x), num(" 20", y), num(" 11", x + 0.7), num(" 21", y + 0.3);
        put("  0\r\nARC\r\n  8\r\n0\r\n");
        num(" 10", x), num(" 20", y), num(" 40", 0.4), num(" 50", 10), num(" 51", 80);
        put("  0\r\nCIRCLE\r\n  8\r\n0\r\n");
        num(" 10", x), num(" 20", y), num(" 40", 0.25);
        put("  0\r\nTEXT\r\n  8\r\n0\r\n");
        num(" 10", x), num(" 20", y), num(" 40", 2.5);
        put("  1\r\nM12x40\r\n  7\r\nSTANDARD\r\n 41\r\n0.7\r\n 50\r\n30\r\n 51\r\n0\r\n");
        if (k % 50 == 0)
            put("  0\r\nPOLYLINE\r\n  8\r\n0\r\n 66\r\n1\r\n");
        put("  0\r\nVERTEX\r\n  8\r\n0\r\n");
        num(" 10", x), num(" 20", y);
        if (k % 3 == 0)
            num(" 42", 0.125655); // the bulge of half a radian
        if (k % 50 == 49)
            put("  0\r\nSEQEND\r\n  8\r\n0\r\n");
    }
    put("  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
    const std::string temp = path + ".floor";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, out.data(), out.size()) != long(out.size()) || ::fsync(fd) != 0 ||
        ::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0)
        return {};
    const std::string dir = path.substr(0, path.rfind('/') + 1);
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    ::fsync(dfd);
    ::close(dfd);
    return out;
}

void DxfJob()
{
    c_begin(cmDxf);
    c_header_default();
    c_tables(2);
    c_blocks();
    c_endblocks();
    c_entities();
    DrawEntities();
    c_endblocks();
    c_end();
}

// The job and the floor take turns; x_floor is the ratio of their times.
void BM_DxfOf100000Entities(benchmark::State& state)
{
    Setup();
    CadBatchMode = true;
    const std::string file = settings::CurrentFileName + ".dxf";
    DxfJob();
    std::string job = kt4::testing::ReadFileBytes(file);
    const std::string marker = "ENTITIES\r\n";
    const std::string head = job.substr(0, job.find(marker) + marker.size());
    double jobTime = 0, floorTime = 0;
    std::string floor;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        DxfJob();
        jobTime += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.PauseTiming();
        const auto t1 = std::chrono::steady_clock::now();
        floor = DxfFloor(settings::CurrentFileName + "_floor.dxf", head);
        floorTime += std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count();
        state.ResumeTiming();
    }
    job = kt4::testing::ReadFileBytes(file);
    if (floor != job) {
        std::size_t at = 0;
        while (at < job.size() && at < floor.size() && job[at] == floor[at])
            ++at;
        state.SkipWithError(("the floor differs from the job at byte " + std::to_string(at)).c_str());
    }
    state.SetItemsProcessed(state.iterations() * Entities);
    state.counters["floor_ms"] = 1000 * floorTime / double(state.iterations());
    state.counters["x_floor"] = jobTime / floorTime;
}
BENCHMARK(BM_DxfOf100000Entities)->Unit(benchmark::kMillisecond);

void BM_ReplayBlockOf100000Entities(benchmark::State& state)
{
    Setup();
    PolyArcToLines = false; // the polyline's arcs as arcs, as many entities as drawn
    c_begin(cmScreen);
    c_header_default();
    c_blocks();
    c_block("BIG");
    DrawEntities();
    c_endblock();
    c_endblocks();
    c_entities();
    for (auto _ : state) {
        c_insert("BIG", 0, 0, 15, 1, 1);
        state.PauseTiming();
        graphics::ActiveGraphWindow().DisplayList().Clear();
        state.ResumeTiming();
    }
    c_endblocks();
    c_end();
    state.SetItemsProcessed(state.iterations() * Entities);
}
BENCHMARK(BM_ReplayBlockOf100000Entities)->Unit(benchmark::kMillisecond);

} // namespace
