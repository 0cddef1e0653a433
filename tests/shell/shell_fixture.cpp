#include "shell_fixture.h"

#include "drive/projectfile.h"
#include "foundation/settings.h"
#include "shell/identity.h"
#include "shell/modules.h"

#include <cstdlib>
#include <filesystem>

namespace kt4::shelltest {

void ShellTest::SetUp()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    hadXdg_ = xdg != nullptr;
    if (xdg)
        oldXdg_ = xdg;
    std::filesystem::create_directories(dir.File("xdg"));
    ::setenv("XDG_CONFIG_HOME", dir.File("xdg").c_str(), 1);
    FreshStart();
}

void ShellTest::TearDown()
{
    if (hadXdg_)
        ::setenv("XDG_CONFIG_HOME", oldXdg_.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    UseHeadlessUi();
}

void ShellTest::FreshStart()
{
    shell::InitModules();
    shell::SetProgramIdentity();
    settings::StartDir = dir.Path();
    settings::ConfigDir = dir.Path();
    settings::DataDir = dir.Path();
    settings::DefaultDataDir = dir.Path();
    settings::TempDir = dir.Path();
    ui = &UseHeadlessUi();
    ui->quiet = true;
}

std::vector<std::string> ShellTest::Logged(const std::string& Kind) const
{
    std::vector<std::string> out;
    for (const auto& entry : ui->Log())
        if (entry.rfind(Kind + "|", 0) == 0)
            out.push_back(entry);
    return out;
}

std::vector<std::string> ShellTest::Lines(const std::string& Bytes)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < Bytes.size()) {
        std::size_t end = Bytes.find("\r\n", start);
        if (end == std::string::npos) {
            out.push_back(Bytes.substr(start));
            break;
        }
        out.push_back(Bytes.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

std::string ShellTest::WriteDefaultProject(const std::string& Name)
{
    std::string path = dir.File(Name);
    EXPECT_TRUE(project::WriteDataFile(path));
    settings::AbortFlag = false;
    return path;
}

} // namespace kt4::shelltest
