#include "shell_fixture.h"

#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "drive/drive_data.h"
#include "drive/projectfile.h"
#include "foundation/environment.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "shell/project_files.h"
#include "shell/services.h"
#include "shell/startup.h"

#include <filesystem>
#include <new>

using namespace kt4;
using namespace kt4::shell;

namespace {

using namespace settings;
namespace fs = std::filesystem;

class StartUpTest : public shelltest::ShellTest {
protected:
    StartResult Run(std::vector<std::string> params)
    {
        environment::CommandLineParams = std::move(params);
        return StartUp(ProductCode);
    }

    void TearDown() override
    {
        environment::CommandLineParams.clear();
        shelltest::ShellTest::TearDown();
    }
};

TEST_F(StartUpTest, UsagePrintsAllTwentyLines)
{
    StartResult r = Run({"/?"});
    EXPECT_TRUE(r.end);
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_EQ(Logged("screen").size(), 1u);
    std::string shown = Logged("screen")[0];
    EXPECT_NE(shown.find("|KT4 Command Line Mode\n"), std::string::npos);
    EXPECT_NE(shown.find("Example: wkt4 test.kt4 /CAD1:01 ->  test.dxf\n"), std::string::npos);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 20);
}

TEST_F(StartUpTest, PrintoutBesideTheDataFileIsCalculated)
{
    std::filesystem::create_directories(dir.File("proj"));
    std::string path = WriteDefaultProject("proj/test.kt4");
    drive::InitDriveData(); // nothing calculated in memory
    StartResult r = Run({path, "/I"});
    EXPECT_TRUE(r.end);
    EXPECT_EQ(r.exitCode, 0);
    std::string text = dir.Get("proj/test.txt");
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.find("-17"), std::string::npos);
    EXPECT_EQ(drive::i, -17);
    EXPECT_EQ(CurrentFileName, "test");

    // a copy that cannot be put in place: exit 1, told once, by the file
    fs::remove(dir.File("proj/test.txt"));
    fs::create_directory(dir.File("proj/test.txt"));
    FreshStart();
    EXPECT_EQ(Run({path, "/I"}).exitCode, 1);
    EXPECT_EQ(Logged("error"), std::vector<std::string>{"error|Fehler : |file write error (Is a directory): " +
                                                        dir.File("proj/test.txt") + " wurde nicht geschrieben."});
}

// Memory that runs out in the middle of a CAD job: the run ends with its
// own words, and the job's temporary is gone before the run ends.
TEST_F(StartUpTest, MemoryRunningOutDropsTheCadJob)
{
    const std::string path = WriteDefaultProject("m.kt4");
    Services().drawCadView = [](int, int Device) {
        cad::c_begin(static_cast<Word>(Device));
        cad::c_header_default();
        throw std::bad_alloc();
    };
    const fs::path cwd = fs::current_path();
    fs::current_path(dir.Path()); // the CAD file goes to the current folder
    StartResult r = Run({path, "/CAD1:1"});
    fs::current_path(cwd);
    EXPECT_EQ(r.exitCode, 1);
    ASSERT_FALSE(Logged("error").empty());
    EXPECT_NE(Logged("error").back().find("Zu wenig Speicher: m.dxf wurde nicht geschrieben."), std::string::npos)
        << Logged("error").back();
    EXPECT_FALSE(cad::CadJobRunning());
    EXPECT_FALSE(cad::CadBatchMode);
    for (const auto& e : fs::directory_iterator(dir.Path()))
        EXPECT_NE(e.path().filename().string().rfind(".kt4tmp-", 0), 0u) << e.path();
    EXPECT_FALSE(fs::exists(dir.File("m.dxf")));

    // a command of the window says it in the same words
    ui->ClearLog();
    ui->Script(dir.File("w.dxf")); // the save dialog
    RunGuarded([&] { Services().drawCadView(1, 1); });
    EXPECT_FALSE(cad::CadJobRunning());
    EXPECT_EQ(Logged("error"), std::vector<std::string>{"error|Fehler : |Zu wenig Speicher: " + dir.File("w.dxf") +
                                                        " wurde nicht geschrieben."});
}

TEST_F(StartUpTest, PrintoutOfAMissingFileEndsWithOne)
{
    StartResult r = Run({dir.File("nosuch.kt4"), "/I"});
    EXPECT_TRUE(r.end);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("nosuch.txt")));
}

TEST_F(StartUpTest, UsageErrorsEndWithTwo)
{
    // a parameter 2 the table does not list is no error: the window opens
    StartResult r = Run({"a.kt4", "/X"});
    EXPECT_FALSE(r.end);
    EXPECT_TRUE(Logged("error").empty());

    ui->ClearLog();
    r = Run({"test"});
    EXPECT_TRUE(r.end);
    EXPECT_EQ(r.exitCode, 2);
    ASSERT_FALSE(Logged("error").empty());
    EXPECT_NE(Logged("error")[0].find("Erweiterung .kt4 mu\xC3\x9F mit angegeben werden"),
              std::string::npos);

    r = Run({"a.kt4", "/CAD9:01"}); // no CAD device 9
    EXPECT_TRUE(r.end);
    EXPECT_EQ(r.exitCode, 2);
}

TEST_F(StartUpTest, DefaultFilesAreLoadedAndCalculated)
{
    drive::dp = 30;
    WriteDefaultProject("NULL.KT4"); // found whatever the case
    std::filesystem::create_directories(dir.File("programs"));
    drive::InitDriveData();
    drive::dH = 38;
    drive::dp = 30;
    project::WriteDataFile(dir.File("programs/init.kt4"));
    FreshStart();
    ProgramsDir = dir.File("programs");
    StartResult r = Run({});
    EXPECT_FALSE(r.end);
    EXPECT_EQ(drive::dp, 30);
    EXPECT_EQ(drive::dH, 38); // init came last
    EXPECT_EQ(drive::i, 30 / (30 - 38.0L));
    EXPECT_EQ(CurrentFileName, "");
    EXPECT_EQ(DataDir, dir.Path());
    EXPECT_FALSE(DataModified);
    EXPECT_FALSE(AbortFlag);
}

TEST_F(StartUpTest, DemoLoadsNoDefaultFiles)
{
    drive::dp = 30;
    WriteDefaultProject("null.kt4");
    FreshStart();
    StartResult r = Run({"DEMO"});
    EXPECT_FALSE(r.end);
    EXPECT_TRUE(r.tourIntro); // the window shows the introduction once it is up
    EXPECT_TRUE(DemoRunning);
    EXPECT_EQ(drive::dp, 34);
    EXPECT_EQ(CurrentFileName, "DEMO");
    EXPECT_TRUE(Logged("okcancel").empty());

    // OK in the introduction goes on in tour mode; Cancel ends it, and the
    // default files come as on a start without "DEMO"
    ui->Script("ok");
    DemoStartIntroduction(ProductCode);
    EXPECT_TRUE(DemoRunning);
    EXPECT_EQ(drive::dp, 34);
    DemoStartIntroduction(ProductCode);
    EXPECT_FALSE(DemoRunning);
    EXPECT_EQ(drive::dp, 30);
    EXPECT_FALSE(DataModified);

    // no other start has it
    FreshStart();
    r = Run({});
    EXPECT_FALSE(r.tourIntro);
    EXPECT_FALSE(DemoRunning);
}

TEST_F(StartUpTest, CommandLineFileForTheWindow)
{
    std::string path = WriteDefaultProject("given.kt4");
    StartResult r = Run({path});
    EXPECT_FALSE(r.end);
    EXPECT_TRUE(FileNameHasDir);
    EXPECT_EQ(CurrentFileName, path);
    EXPECT_EQ(DataDir, "");
    EXPECT_EQ(drive::i, -17);

    // a new file of a usable name
    FreshStart();
    r = Run({dir.File("new.kt4")});
    EXPECT_FALSE(r.end);
    EXPECT_EQ(CurrentFileName, dir.File("new.kt4"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.kt4")));

    // read, though its drawing fails for want of a temporary folder: the
    // project stays open, nothing is asked, and the reason waits for the
    // window, once
    FreshStart();
    RemovePrivateTempDir(); // made by the drawing above
    TempDir = dir.File("missing");
    ui->Script(TempDir); // the start's folder check: the name is kept
    drive::dp = 30;
    r = Run({path});
    EXPECT_FALSE(r.end);
    EXPECT_EQ(CurrentFileName, path);
    EXPECT_EQ(drive::dp, 34);
    EXPECT_TRUE(Logged("yesnocancel").empty());
    EXPECT_NE(TakeStartMessage().find("Tempor\x84rer Ordner " + dir.File("missing")), std::string::npos);
    EXPECT_EQ(TakeStartMessage(), "");

    // a name that cannot be a file ends the program
    FreshStart();
    r = Run({dir.File("no/such/folder/x.kt4")});
    EXPECT_TRUE(r.end);
    EXPECT_EQ(r.exitCode, 2);
}

TEST_F(StartUpTest, StartPictureWhenThereIsOne)
{
    PltDir = dir.Path();
    Run({});
    EXPECT_TRUE(Logged("picture").empty());
    dir.Put("START.PLT", "IN;SP1;PU0,0;PD100,100;");
    FreshStart();
    PltDir = dir.Path();
    Run({});
    ASSERT_EQ(Logged("picture").size(), 1u);
    EXPECT_NE(Logged("picture")[0].find("START.PLT"), std::string::npos);
}

TEST_F(StartUpTest, KeepNameLoadsNothing)
{
    std::string path = WriteDefaultProject("kept.kt4");
    drive::dp = 31;
    StartResult r = Run({path, "/E"});
    EXPECT_FALSE(r.end);
    EXPECT_EQ(drive::dp, 31);
    EXPECT_EQ(CurrentFileName, path);
    EXPECT_FALSE(FileNameHasDir);
}

} // namespace
