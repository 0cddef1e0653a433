// The 3-D and exchange writers: the revolved shaft as binary and ASCII
// STL (about 34,000 facets), and 10,000 lines as STEP (both passes) and as
// IGES, each a whole job through the c_ operations. The binary shaft is
// timed beside a plain C writer of the same facets (floor_ms, x_floor).
#include "cad/cad_device.h"
#include "cad/cad_settings.h"
#include "foundation/environment.h"
#include "foundation/printer_settings.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_settings.h"
#include "sample_solids.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kt4;
using namespace kt4::cad;

namespace {

void Start()
{
    static const kt4::testing::ScratchDir folder; // the written files, removed at exit
    settings::InitSettings();
    graphics::InitGraphSettings();
    printer::InitPrinterSettings();
    InitCadSettings();
    UseHeadlessUi().quiet = true;
    settings::TempDir = folder.Path();
    settings::CurrentFileName = folder.File("bench");
    environment::CommandLineParams = {"a", "b"};
    CadBatchMode = true;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The floor: the shaft's bands written as a C program would, each circle's
// points once from a table of double cosines and sines, the normal from
// the vertex order, then write, fsync, rename and the folder's fsync.
// Returns the size of the file.
long ShaftFloor(const std::string& path)
{
    struct Circle {
        std::vector<float> x, y;
    };
    auto circle = [](double r) {
        Circle c;
        const long n = r > 0 ? std::lround(2 * M_PI / std::fmax(0.002, 0.1 / r)) : 0;
        for (long k = 0; k < n; ++k) {
            const double a = 2 * M_PI * double(k) / double(n);
            c.x.push_back(float(r * std::cos(a)));
            c.y.push_back(float(r * std::sin(a)));
        }
        return c;
    };
    std::vector<char> out(84, ' ');
    std::uint32_t count = 0;
    auto facet = [&](const float (&v)[9]) {
        const float ax = v[3] - v[0], ay = v[4] - v[1], az = v[5] - v[2];
        const float bx = v[6] - v[0], by = v[7] - v[1], bz = v[8] - v[2];
        float n[3] = {ay * bz - az * by, az * bx - ax * bz, ax * by - ay * bx};
        const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (!(len > 0))
            return;
        for (float& c : n)
            c /= len;
        const std::size_t at = out.size();
        out.resize(at + 50);
        std::memcpy(&out[at], n, 12);
        std::memcpy(&out[at + 12], v, 36);
        out[at + 48] = out[at + 49] = 'X';
        ++count;
    };
    const auto& profile = cadtest::ShaftProfile();
    for (std::size_t s = 0; s + 1 < profile.size(); ++s) {
        auto [za, ra] = profile[s];
        auto [zb, rb] = profile[s + 1];
        const bool reversed = za > zb;
        if (reversed) {
            std::swap(za, zb);
            std::swap(ra, rb);
        }
        const Circle c1 = circle(double(ra)), c2 = circle(double(rb));
        const long n1 = long(c1.x.size()), n2 = long(c2.x.size());
        auto at = [&](const Circle& c, long n, long i, float z, float* p) {
            long k = n > 0 ? i % n : 0;
            if (reversed && n > 0)
                k = (n - k) % n;
            p[0] = n > 0 ? c.x[std::size_t(k)] : 0;
            p[1] = n > 0 ? c.y[std::size_t(k)] : 0;
            p[2] = z;
        };
        const float z1 = float(za), z2 = float(zb);
        for (long i = 0, j = 0; i < n1 || j < n2;) {
            float v[9];
            if (j >= n2 || (i < n1 && (i + 1) * n2 <= (j + 1) * n1)) {
                at(c1, n1, i, z1, v);
                at(c2, n2, j, z2, v + 3);
                at(c1, n1, ++i, z1, v + 6);
            } else {
                at(c2, n2, j, z2, v);
                at(c2, n2, ++j, z2, v + 3);
                at(c1, n1, i, z1, v + 6);
            }
            facet(v);
        }
    }
    std::memcpy(&out[80], &count, 4);
    const std::string temp = path + ".floor";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, out.data(), out.size()) != long(out.size()) || ::fsync(fd) != 0 ||
        ::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0)
        return -1;
    const std::string dir = path.substr(0, path.rfind('/') + 1);
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    ::fsync(dfd);
    ::close(dfd);
    return long(out.size());
}

void BM_StlShaft(benchmark::State& state)
{
    Start();
    StlFileType = static_cast<Integer>(state.range(0));
    const std::string floorFile = settings::CurrentFileName + "_floor.stl";
    double job = 0, floor = 0;
    long floorBytes = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        cadtest::DrawShaft(cmStl);
        job += Seconds(std::chrono::steady_clock::now() - t0);
        if (StlFileType != 0)
            continue;
        state.PauseTiming();
        const auto t1 = std::chrono::steady_clock::now();
        floorBytes = ShaftFloor(floorFile);
        floor += Seconds(std::chrono::steady_clock::now() - t1);
        state.ResumeTiming();
    }
    state.SetLabel(StlFileType == 1 ? "ASCII" : "binary");
    if (StlFileType != 0)
        return;
    const double n = double(state.iterations());
    const long bytes = long(kt4::testing::ReadFileBytes(settings::CurrentFileName + ".stl").size());
    if (floorBytes != bytes)
        state.SkipWithError(("the floor wrote " + std::to_string(floorBytes) + " bytes, the job " +
                             std::to_string(bytes))
                                .c_str());
    state.counters["floor_ms"] = 1000 * floor / n;
    state.counters["x_floor"] = job / floor;
}
BENCHMARK(BM_StlShaft)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_10000Lines(benchmark::State& state)
{
    Start();
    const Word mode = static_cast<Word>(state.range(0));
    for (auto _ : state)
        cadtest::DrawPage(mode, [] {
            for (int k = 0; k < 10000; ++k)
                c_line(k % 100, k / 100, k % 100 + 0.75L, k / 100 + 0.5L);
        });
    state.SetLabel(mode == cmStep ? "STEP" : "IGES");
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_10000Lines)->Arg(cmStep)->Arg(cmIges)->Unit(benchmark::kMillisecond);

} // namespace
