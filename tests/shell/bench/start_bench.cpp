// The program's start: the start values of every module, and whole batch
// runs of the command ("wkt4 x.kt4 /I", the example project's printout)
// against a trivial process in the same run. The second reports medians of
// 200 runs of each, taken in turns, and their ratio.
#include "drive/drive_calc.h"
#include "drive/projectfile.h"
#include "shell/modules.h"
#include "shell/project_files.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

void BM_InitModules(benchmark::State& state)
{
    for (auto _ : state)
        kt4::shell::InitModules();
}
BENCHMARK(BM_InitModules)->Unit(benchmark::kMicrosecond);

// What every menu command adds: the project's saved values formatted and
// compared with the image of the last read; beside it the calculation
// that the editing commands run.
void BM_ChangedMark(benchmark::State& state)
{
    kt4::shell::InitModules();
    kt4::project::ReadDataFile(std::string(KT4_DATA_DIR) + "/beispiel1.kt4");
    kt4::drive::CalcDrive();
    kt4::shell::NoteSavedValues();
    for (auto _ : state)
        kt4::shell::MarkChangedValues();
}
BENCHMARK(BM_ChangedMark)->Unit(benchmark::kMicrosecond);

void BM_CalcDrive(benchmark::State& state)
{
    kt4::shell::InitModules();
    kt4::project::ReadDataFile(std::string(KT4_DATA_DIR) + "/beispiel1.kt4");
    for (auto _ : state)
        kt4::drive::CalcDrive();
}
BENCHMARK(BM_CalcDrive)->Unit(benchmark::kMicrosecond);

// Wall time of one run of argv in dir, in milliseconds; negative when it
// did not end with exit code 0.
double RunMs(const std::vector<std::string>& args, const std::string& dir, char** env)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env) == 0)
        ::waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void BM_BatchPrintoutAgainstTrue(benchmark::State& state)
{
    char self[4096] = {};
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string wkt4 = (fs::path(std::string(self, n > 0 ? n : 0)).parent_path() / "wkt4").string();
    char tmpl[] = "/tmp/kt4bench.XXXXXX";
    const std::string dir = ::mkdtemp(tmpl);
    fs::copy_file(std::string(KT4_DATA_DIR) + "/beispiel1.kt4", dir + "/x.kt4");
    // the environment of this process, the private folders in the scratch folder
    std::vector<std::string> vars;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("TMPDIR=", 0) != 0)
            vars.emplace_back(*e);
    vars.push_back("TMPDIR=" + dir);
    std::vector<char*> env;
    for (auto& v : vars)
        env.push_back(v.data());
    env.push_back(nullptr);

    constexpr int Runs = 200;
    for (auto _ : state) {
        std::vector<double> program, trivial;
        for (int k = 0; k < Runs; ++k) {
            program.push_back(RunMs({wkt4, "x.kt4", "/I"}, dir, env.data()));
            trivial.push_back(RunMs({"/bin/true"}, dir, env.data()));
        }
        if (std::any_of(program.begin(), program.end(), [](double t) { return t < 0; })) {
            state.SkipWithError("wkt4 x.kt4 /I failed");
            break;
        }
        const double p = Median(program), t = Median(trivial);
        state.counters["wkt4_I_ms"] = p;
        state.counters["true_ms"] = t;
        state.counters["ratio"] = t > 0 ? p / t : 0;
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}
BENCHMARK(BM_BatchPrintoutAgainstTrue)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
