// Time of the project list over a folder of 1,000 project files: each
// file read into a scratch copy, calculated, and turned into its row,
// timed in turns with its floor (floor_ms, x_floor: medians of the
// iterations): a plain C reader of the same files that lists the folder,
// reads each file whole and parses every line that is a number.
#include "project_folder.h"

#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "shell/identity.h"
#include "shell/modules.h"
#include "shell/project_list.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kt4;

namespace {

namespace fs = std::filesystem;

// The floor: the names of the folder's ".kt4" files in order, each file
// read whole, and strtold on every line (the values are extended ones); the sum of what was read.
long double ListFloor(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            const std::size_t n = std::strlen(e->d_name);
            if (n > 4 && std::strcmp(e->d_name + n - 4, ".kt4") == 0)
                names.emplace_back(e->d_name);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    long double sum = 0;
    std::vector<char> buf(1 << 16);
    for (const auto& name : names) {
        const int fd = ::open((folder + "/" + name).c_str(), O_RDONLY);
        if (fd < 0)
            continue;
        const ssize_t n = ::read(fd, buf.data(), buf.size() - 1);
        ::close(fd);
        if (n <= 0)
            continue;
        buf[static_cast<std::size_t>(n)] = '\0';
        for (char* line = buf.data(); *line;) {
            char* end = line + std::strcspn(line, "\r\n");
            const char keep = *end;
            *end = '\0';
            char* stop = nullptr;
            const long double x = std::strtold(line, &stop);
            if (stop != line && *stop == '\0')
                sum += x;
            *end = keep;
            line = end + std::strspn(end, "\r\n");
        }
    }
    return sum;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void BM_ProjectList(benchmark::State& state)
{
    shell::InitModules();
    shell::SetProgramIdentity();
    UseHeadlessUi().quiet = true;
    std::string base = (fs::temp_directory_path() / "kt4bench.XXXXXX").string();
    if (!::mkdtemp(base.data())) {
        state.SkipWithError("no scratch folder");
        return;
    }
    const std::string folder = base + "/projects";
    settings::DataDir = base;
    shelltest::WriteProjectFolder(folder, 1000);
    std::size_t rows = 0;
    std::vector<double> job, floor;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        auto list = shell::ListProjectFiles(folder);
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(ListFloor(folder));
        const auto t2 = Clock::now();
        rows = list.size();
        benchmark::DoNotOptimize(list);
        job.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        floor.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["list_ms"] = Median(job);
    state.counters["floor_ms"] = Median(floor);
    state.counters["x_floor"] = Median(floor) > 0 ? Median(job) / Median(floor) : 0;
    fs::remove_all(base);
}
BENCHMARK(BM_ProjectList)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace
