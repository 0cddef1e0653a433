#include "shell_fixture.h"

#include "cad/cad_device.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "cad/plot_link.h"
#include "dbase/access/table_access.h"
#include "drive/bearing_selection.h"
#include "foundation/private_temp.h"
#include "foundation/report.h"
#include "foundation/settings.h"
#include "graphics/print_layouts.h"
#include "shell/config_file.h"
#include "shell/project_files.h"
#include "shell/work_folders.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace kt4;
using namespace kt4::shell;

namespace {

using namespace settings;
using kt4::testing::ReadFileBytes;

class WorkFolders : public shelltest::ShellTest {
protected:
    void TearDown() override
    {
        if (hadTmp_)
            ::setenv("TMPDIR", oldTmp_.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        shelltest::ShellTest::TearDown();
    }
    void SetTmpDir(const std::string& v)
    {
        const char* old = std::getenv("TMPDIR");
        hadTmp_ = old != nullptr;
        if (old)
            oldTmp_ = old;
        ::setenv("TMPDIR", v.c_str(), 1);
    }
    std::string oldTmp_;
    bool hadTmp_ = false;
};

TEST_F(WorkFolders, EmptyFoldersGetDefaults)
{
    SetTmpDir(dir.Path());
    TempDir.clear();
    DbfDir.clear();
    PltDir.clear();
    EdiDir.clear();
    DefaultDataDir.clear();
    CheckWorkFolders();
    EXPECT_EQ(TempDir, dir.Path());
    EXPECT_EQ(DbfDir, std::string(KT4_CATALOGUE_DIR) + "/"); // the tables the build wrote
    EXPECT_EQ(PltDir, std::string(KT4_DATA_DIR) + "/"); // the program's own data files
    EXPECT_EQ(EdiDir, dir.Path());
    EXPECT_EQ(DefaultDataDir, dir.Path());
    EXPECT_TRUE(Logged("error").empty());

    ::unsetenv("TMPDIR");
    TempDir.clear();
    CheckWorkFolders();
    EXPECT_EQ(TempDir, "/tmp/");
}

TEST_F(WorkFolders, InvalidFoldersAreReported)
{
    std::string none = dir.File("none");
    CadDir = DbfDir = PltDir = EdiDir = DefaultDataDir = none;
    std::filesystem::create_directories(dir.File("other tmp"));
    TempDir = none;
    ui->Script(dir.File("other tmp"));
    CheckWorkFolders();
    std::vector<std::string> errors = Logged("error");
    ASSERT_EQ(errors.size(), 6u);
    // each with the folder and the reason
    const std::string missing = ": " + none + " (No such file or directory)";
    EXPECT_NE(errors[0].find("ung\xC3\xBCltiger CAD Ordner konfiguriert" + missing), std::string::npos);
    EXPECT_NE(errors[3].find("ung\xC3\xBCltiger Ordner f\xC3\xBCr tempor\xC3\xA4re Dateien konfiguriert" + missing),
              std::string::npos);
    EXPECT_NE(errors[5].find("ung\xC3\xBCltiger Data Ordner konfiguriert" + missing), std::string::npos);
    EXPECT_EQ(TempDir, dir.File("other tmp")); // the answer to the folder prompt

    // a temporary folder nobody configured is told by where it came from
    TempDir.clear();
    SetTmpDir(none);
    ui->Script(dir.File("other tmp"));
    CheckWorkFolders();
    EXPECT_NE(Logged("error")[9].find("Dateien in TMPDIR: " + none + "/ (No such file or directory)"), std::string::npos)
        << Logged("error")[9];
}

TEST_F(WorkFolders, TablesAreCopiedToThePrivateFolder)
{
    std::filesystem::create_directories(dir.File("dbf"));
    std::filesystem::create_directories(dir.File("tmp"));
    dir.Put("dbf/rikula.dbf", "table");
    // A table with a memo file takes it along, whatever its case.
    dir.Put("dbf/lager.dbf", "\x83 memo table");
    dir.Put("dbf/LAGER.DBT", "memos");
    dir.Put("tmp/lager.dbt", "someone else's");
    DbfDir = dir.File("dbf");
    TempDir = dir.File("tmp");
    DbfUseTemp = true;
    CheckWorkFolders();
    const std::string copies = dbase::DbfCopyFolder();
    EXPECT_EQ(copies, PrivateTempDir());
    EXPECT_EQ(ReadFileBytes(copies + "rikula.dbf"), "table");
    EXPECT_EQ(ReadFileBytes(copies + "lager.dbf"), "\x83 memo table");
    EXPECT_EQ(ReadFileBytes(copies + "lager.dbt"), "memos");
    EXPECT_EQ(dir.Get("tmp/lager.dbt"), "someone else's");
    EXPECT_FALSE(AbortFlag);
    RemovePrivateTempDir();
}

// Another user plants the fixed names in the shared temporary folder, as
// links to this user's file and as files of its own: the plot, the bearing
// pick and the layout load work and never touch them; the printout of
// device 6 says that its name is taken or a link there is not followed.
TEST_F(WorkFolders, NamesOtherUsersPlantInTheSharedTempFolderAreNeverUsed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a second user needs root";
    namespace fs = std::filesystem;
    dir.OpenToAll();
    fs::create_directories(dir.File("shared"));
    ::chmod(dir.File("shared").c_str(), 01777);
    dir.Put("opfer.txt", "Opfer");
    const char* names[] = {"kavolt.dxf", "rikula.dbf", "printout.dbf", "$$1.txt"};
    for (bool links : {true, false}) {
        SCOPED_TRACE(links ? "links" : "files");
        ASSERT_EQ(kt4::testing::AsUserNobody([&] {
                      for (const char* name : names) {
                          const std::string path = dir.File(std::string("shared/") + name);
                          ::unlink(path.c_str());
                          if (links ? ::symlink(dir.File("opfer.txt").c_str(), path.c_str()) != 0
                                    : !(std::ofstream(path) << "nobody"))
                              return 1;
                      }
                      return 0;
                  }),
                  0);
        TempDir = dir.File("shared/");
        DbfDir = std::string(KT4_CATALOGUE_DIR) + "/";
        DbfUseTemp = true;
        DbfWriteChecked = false;
        CheckWorkFolders();
        ASSERT_TRUE(DbfUseTemp);
        AbortFlag = false;
        OpenCatalogue(1); // the bearing pick's table
        EXPECT_FALSE(AbortFlag);
        EXPECT_EQ(dbase::DbfShownFile(), dbase::DbfCopyFolder() + "rikula.dbf");
        dbase::DbfClose();
        graphics::PrintFields layout;
        ui->Script("1");
        EXPECT_TRUE(graphics::LoadPrintLayout(layout));
        dbase::DbfClose();
        cad::CadPlotLines[1] = "/bin/true";
        cad::CadPlotLineIndex = 1;
        cad::CadBatchMode = true;
        cad::c_begin(cad::cmPlot);
        cad::c_header_default();
        cad::c_tables(2);
        cad::c_blocks();
        cad::c_endblocks();
        cad::c_entities();
        cad::c_line(0, 0, 10, 10);
        cad::c_endblocks();
        cad::c_end();
        cad::CadBatchMode = false;
        EXPECT_FALSE(AbortFlag);
        EXPECT_NE(ReadFileBytes(cad::PlotFileName()).find("EOF"), std::string::npos);
        OutputFileCounter = 0;
        TextDeviceDialog = false;
        OpenReport(DevTxt, "");
        EXPECT_TRUE(AbortFlag);
        const std::string why = links ? "Verknüpfung nicht verfolgt, andere Benutzer dürfen Namen in ihrem Ordner verschieben"
                                      : "Name im gemeinsamen Ordner von einem anderen Benutzer belegt";
        EXPECT_NE(Logged("error").back().find(why + ": " + dir.File("shared/$$1.txt")), std::string::npos);
        CloseReport();
        EXPECT_EQ(dir.Get("opfer.txt"), "Opfer");
        for (const char* name : names) {
            const std::string planted = dir.File(std::string("shared/") + name);
            EXPECT_EQ(fs::is_symlink(fs::symlink_status(planted)), links) << name;
            EXPECT_EQ(ReadFileBytes(planted), links ? "Opfer" : "nobody") << name;
        }
        RemovePrivateTempDir();
    }
}

TEST_F(WorkFolders, ConfigurationWriteFailureKeepsTheOldFile)
{
    WriteConfigFile();
    std::string before = dir.Get("kt4.cfg");
    ASSERT_FALSE(before.empty());
    settings::Decimals = 5;
    {
        kt4::testing::FileSizeLimit limit(512);
        ASSERT_TRUE(limit.Active());
        WriteConfigFile();
    }
    EXPECT_TRUE(AbortFlag);
    EXPECT_EQ(dir.Get("kt4.cfg"), before);
    EXPECT_FALSE(Logged("error").empty());
    // no temporary file left behind
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_TRUE(e.path().filename() == "kt4.cfg" || e.is_directory()) << e.path();
}

// An ordinary user (a child process as nobody) in a folder open to all:
// the read-only configuration and project files are not replaced, and the
// user is told.
TEST_F(WorkFolders, ReadOnlyConfigurationAndProjectStay)
{
    WriteConfigFile();
    std::string project = WriteDefaultProject("p.kt4");
    const std::string cfg = dir.Get("kt4.cfg"), old = dir.Get("p.kt4");
    dir.OpenToAll();
    ::chmod(dir.File("kt4.cfg").c_str(), 0444);
    ::chmod(project.c_str(), 0444);
    settings::Decimals = 5;
    int code = kt4::testing::AsUserNobody([&] {
        AbortFlag = false;
        WriteConfigFile();
        if (!AbortFlag || Logged("yesnocancel").empty() ||
            Logged("yesnocancel").back().find("Schreibschutz entfernen !") == std::string::npos)
            return 1;
        AbortFlag = false;
        settings::CurrentFileName = "p";
        settings::DataDir = dir.Path();
        if (SaveFile("p") || Logged("error").empty() ||
            Logged("error").back().find("Schreibschutz entfernen !") == std::string::npos)
            return 2;
        return 0;
    });
    EXPECT_EQ(code, 0) << "1 configuration, 2 project, 99 rights not dropped";
    EXPECT_EQ(dir.Get("kt4.cfg"), cfg);
    EXPECT_EQ(dir.Get("p.kt4"), old);
}

} // namespace
