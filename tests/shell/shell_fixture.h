// Start state of the shell tests: every module at its start values, the
// program identity, a quiet headless user interface that records what it
// was asked, and a scratch folder as the configuration, start, data and
// temporary folder. XDG_CONFIG_HOME points into the scratch folder, so no
// configuration of the machine is found.
#pragma once

#include "drive/projectfile.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "shell/identity.h"
#include "shell/modules.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace kt4::shelltest {

// A program built beside this test program ("wkt4", "wkt4-gui").
inline std::string ProgramBeside(const std::string& Name)
{
    std::error_code ec;
    return (std::filesystem::read_symlink("/proc/self/exe", ec).parent_path() / Name).string();
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Every module at its start values again (the scratch folders stay).
    void FreshStart();
    // Entries of the UI log that begin with Kind ("error", "yesnocancel").
    std::vector<std::string> Logged(const std::string& Kind) const;
    // The lines of a file, split at CR LF.
    static std::vector<std::string> Lines(const std::string& Bytes);
    // A project file of the default drive written by the program.
    std::string WriteDefaultProject(const std::string& Name);

    kt4::testing::ScratchDir dir;
    HeadlessUi* ui = nullptr;

private:
    std::string oldXdg_;
    bool hadXdg_ = false;
};

inline void ShellTest::SetUp()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    hadXdg_ = xdg != nullptr;
    if (xdg)
        oldXdg_ = xdg;
    std::filesystem::create_directories(dir.File("xdg"));
    ::setenv("XDG_CONFIG_HOME", dir.File("xdg").c_str(), 1);
    FreshStart();
}

inline void ShellTest::TearDown()
{
    if (hadXdg_)
        ::setenv("XDG_CONFIG_HOME", oldXdg_.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    UseHeadlessUi();
}

inline void ShellTest::FreshStart()
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

inline std::vector<std::string> ShellTest::Logged(const std::string& Kind) const
{
    std::vector<std::string> out;
    for (const auto& entry : ui->Log())
        if (entry.rfind(Kind + "|", 0) == 0)
            out.push_back(entry);
    return out;
}

inline std::vector<std::string> ShellTest::Lines(const std::string& Bytes)
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

inline std::string ShellTest::WriteDefaultProject(const std::string& Name)
{
    std::string path = dir.File(Name);
    EXPECT_TRUE(project::WriteDataFile(path));
    settings::AbortFlag = false;
    return path;
}

} // namespace kt4::shelltest
