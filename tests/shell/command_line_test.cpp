#include "foundation/settings.h"
#include "shell/command_line.h"
#include "shell/identity.h"
#include "shell/services.h"
#include "shell/startup.h"

#include <gtest/gtest.h>

using namespace kt4;
using namespace kt4::shell;

namespace {

StartMode Mode(std::vector<std::string> params, bool cad = false)
{
    return ParseCommandLine(params, cad).mode;
}

TEST(CommandLine, Modes)
{
    EXPECT_EQ(Mode({}), StartMode::Interactive);
    EXPECT_EQ(Mode({"?"}), StartMode::Usage);
    EXPECT_EQ(Mode({"/?", "x"}), StartMode::Usage);
    EXPECT_EQ(Mode({"demo"}), StartMode::Demo);
    EXPECT_EQ(Mode({"DeMo", "/I"}), StartMode::Demo);
    EXPECT_EQ(Mode({"a.kt4"}), StartMode::OpenFile);
    EXPECT_EQ(Mode({"a.kt4", "/NOGUI"}), StartMode::OpenFile);
    EXPECT_EQ(Mode({"a.kt4", "/nogui"}), StartMode::OpenFile);
    EXPECT_EQ(Mode({"a.kt4", "b.kt4"}), StartMode::OpenFile);
    for (const char* s : {"/E", "/e"})
        EXPECT_EQ(Mode({"a.kt4", s}), StartMode::KeepName) << s;
    for (const char* s : {"/I", "/i", "-I", "-i"})
        EXPECT_EQ(Mode({"a.kt4", s}), StartMode::Printout) << s;
    EXPECT_EQ(Mode({"a.kt4", "/I", "/NOGUI"}), StartMode::Printout);
    EXPECT_EQ(Mode({"a.kt4", "/G"}), StartMode::SkipLoad);
}

// A parameter 2 that names no mode opens the file in the window; later
// parameters are not read; only a CAD file that cannot be written is refused.
TEST(CommandLine, AnyOtherParameterOpensTheFile)
{
    for (const char* s : {"/X", "-E", "/g", "/x", "-e", "/Info", "--help"})
        EXPECT_EQ(Mode({"a.kt4", s}), StartMode::OpenFile) << s;
    EXPECT_EQ(Mode({"a.kt4", "/I", "/X"}), StartMode::Printout);
    EXPECT_EQ(Mode({"a.kt4", "/E", "-q"}), StartMode::KeepName);
    for (const char* s : {"/CAD1:01", "/cad1:01"})
        EXPECT_EQ(Mode({"a.kt4", s}), StartMode::UnknownSwitch) << s;
    CommandLine cmd = ParseCommandLine({"a.kt4", "/CAD1:01"}, false);
    EXPECT_EQ(cmd.badSwitch, "/CAD1:01");
}

TEST(CommandLine, TheExtensionIsLookedForInTheFileName)
{
    EXPECT_EQ(Mode({"test"}), StartMode::MissingExtension);
    EXPECT_EQ(Mode({"./test"}), StartMode::MissingExtension);
    EXPECT_EQ(Mode({"dir.d/test"}), StartMode::MissingExtension);
    EXPECT_EQ(Mode({"/NOGUI"}), StartMode::MissingExtension);
    EXPECT_EQ(Mode({"dir.d/test.kt4"}), StartMode::OpenFile);
    // the batch printout finds the file with the extension added
    EXPECT_EQ(Mode({"test", "/I"}), StartMode::Printout);
}

TEST(CommandLine, CadSwitchForTheDevicesWithAWriter)
{
    Services().drawCadView = [](int, int) {};
    CommandLine cmd = ParseCommandLine({"a.kt4", "/cad1:01"}, true);
    EXPECT_EQ(cmd.mode, StartMode::CadFile);
    EXPECT_EQ(cmd.cadDevice, 1);
    EXPECT_EQ(cmd.cadIndex, 1);
    cmd = ParseCommandLine({"a.kt4", "-CAD5:x"}, true);
    EXPECT_EQ(cmd.mode, StartMode::CadFile);
    EXPECT_EQ(cmd.cadDevice, 5);
    EXPECT_EQ(cmd.cadIndex, 0);
    for (const char* s : {"/CAD2:01", "/CAD4:01", "/CAD6:01", "/CAD7:1"})
        EXPECT_EQ(Mode({"a.kt4", s}, true), StartMode::CadFile) << s;
    // devices that write no CAD file, and no device at all
    for (const char* s : {"/CAD0:1", "/CAD3:1", "/CAD8", "/CAD9:2", "/CAD", "/CADx"})
        EXPECT_EQ(Mode({"a.kt4", s}, true), StartMode::UnknownSwitch) << s;
    Services().drawCadView = nullptr;
    EXPECT_EQ(Mode({"a.kt4", "/CAD1:01"}, true), StartMode::UnknownSwitch);
}

TEST(CommandLine, TheIndexOfCadSelectsAViewWithContent)
{
    // 0 is also what a j that is no number reads as ("/CAD1:xy")
    const std::pair<int, int> cases[] = {{1, 1}, {3, 3}, {6, 1}, {7, 7}, {21, 21}, {22, 22}, {23, 1}, {0, 1}};
    for (auto [j, view] : cases)
        EXPECT_EQ(CadViewOfIndex(j), view) << j;
    EXPECT_EQ(ParseCommandLine({"a.kt4", "/CAD1:xy"}, false).cadIndex, 0);
}

TEST(CommandLine, WhatRunsWithoutAWindow)
{
    auto batch = [](std::vector<std::string> p) {
        return RunsWithoutWindow(ParseCommandLine(p, false));
    };
    EXPECT_TRUE(batch({"/?"}));
    EXPECT_TRUE(batch({"a.kt4", "/I"}));
    EXPECT_FALSE(batch({"a.kt4", "/Z"}));
    EXPECT_TRUE(batch({"a.kt4", "/Z", "/NOGUI"}));
    EXPECT_TRUE(batch({"a"}));
    EXPECT_FALSE(batch({}));
    EXPECT_FALSE(batch({"DEMO"}));
    EXPECT_FALSE(batch({"a.kt4"}));
    EXPECT_TRUE(batch({"a.kt4", "/NOGUI"}));
    EXPECT_TRUE(batch({"a.kt4", "/I", "/nogui"}));
    EXPECT_FALSE(batch({"a.kt4", "/E"}));
}

TEST(CommandLine, UsageText)
{
    settings::InitSettings();
    SetProgramIdentity();
    std::vector<std::string> lines = UsageLines();
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[0], "KT4 Command Line Mode");
    EXPECT_EQ(lines[2], "wkt4 Filename [/I] [/CADi:j] [/NOGUI]");
    EXPECT_EQ(lines[10], "/NOGUI   -> no windows, fatal error ends program");
    EXPECT_EQ(lines[14], "/?       -> Help");
    EXPECT_EQ(lines[17], "Example: wkt4 test.kt4          ->  GUI");
    EXPECT_EQ(lines[18], "Example: wkt4 test.kt4 /I       ->  test.txt");
    EXPECT_EQ(lines[19], "Example: wkt4 test.kt4 /CAD1:01 ->  test.dxf");
}

} // namespace
