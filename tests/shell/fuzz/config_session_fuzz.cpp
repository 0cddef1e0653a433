// Fuzz target: any bytes as the configuration file and as the session file.
// A read that fails changes no setting. After a read that succeeds, the
// file written, read again from a fresh start and written once more comes
// out byte for byte the same.
#include "common/fuzz_support.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "shell/config_file.h"
#include "shell/identity.h"
#include "shell/modules.h"
#include "shell/session_file.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace kt4;
using kt4::fuzz::Check;

namespace {

HeadlessUi* ui = nullptr;

const std::string& Dir()
{
    static const std::string dir = [] {
        const std::string d = fuzz::ScratchDir() + "cfg/";
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

void FreshStart()
{
    shell::InitModules();
    shell::SetProgramIdentity();
    settings::StartDir = Dir();
    settings::ConfigDir = Dir();
    settings::DataDir = Dir();
    settings::DefaultDataDir = Dir();
    settings::TempDir = Dir();
    settings::AbortFlag = false;
    ui->ClearLog();
}

void ConfigRoundTrip()
{
    FreshStart();
    const std::vector<std::string> before = shell::ConfigLines();
    shell::ReadConfigFile();
    if (settings::AbortFlag) {
        Check(shell::ConfigLines() == before);
        return;
    }
    shell::WriteConfigFile();
    Check(!settings::AbortFlag);
    const std::string first = fuzz::ReadBytes(shell::ConfigFileName());
    FreshStart();
    shell::ReadConfigFile();
    Check(!settings::AbortFlag);
    shell::WriteConfigFile();
    Check(!settings::AbortFlag);
    Check(fuzz::ReadBytes(shell::ConfigFileName()) == first);
}

void SessionRoundTrip()
{
    FreshStart();
    shell::ReadSessionFile();
    if (settings::RecentFiles[1].empty())
        return; // nothing to write: the old file stays
    shell::WriteSessionFile();
    Check(!settings::AbortFlag);
    const std::string first = fuzz::ReadBytes(shell::SessionFileName());
    FreshStart();
    shell::ReadSessionFile();
    shell::WriteSessionFile();
    Check(!settings::AbortFlag);
    Check(fuzz::ReadBytes(shell::SessionFileName()) == first);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ui = &UseHeadlessUi();
    ui->quiet = true;
    // no configuration of the machine is ever found
    ::setenv("XDG_CONFIG_HOME", (fuzz::ScratchDir() + "xdg").c_str(), 1);
    FreshStart();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::WriteInput("cfg/kt4.cfg", data, size);
    fuzz::WriteInput("cfg/kt4.cff", data, size);
    ConfigRoundTrip();
    SessionRoundTrip();
    // the writers leave no temporary file behind
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(Dir()))
        files += e.is_regular_file() ? 1 : 0;
    Check(files == 2);
    return 0;
}
