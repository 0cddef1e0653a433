// Time of the project list over a folder of 1,000 project files: each
// file read into a scratch copy, calculated, and turned into its row.
#include "project_folder.h"

#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "shell/identity.h"
#include "shell/modules.h"
#include "shell/project_list.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

using namespace kt4;

namespace {

namespace fs = std::filesystem;

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
    for (auto _ : state) {
        auto list = shell::ListProjectFiles(folder);
        rows = list.size();
        benchmark::DoNotOptimize(list);
    }
    state.counters["rows"] = static_cast<double>(rows);
    fs::remove_all(base);
}
BENCHMARK(BM_ProjectList)->Unit(benchmark::kMillisecond);

} // namespace
