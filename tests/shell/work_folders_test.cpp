#include "shell_fixture.h"

#include "foundation/settings.h"
#include "shell/config_file.h"
#include "shell/project_files.h"
#include "shell/work_folders.h"

#include <filesystem>
#include <sys/stat.h>

using namespace kt4;
using namespace kt4::shell;

namespace {

using namespace settings;

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
    EXPECT_NE(errors[0].find("ung\xC3\xBCltiger CAD Ordner konfiguriert"), std::string::npos);
    EXPECT_NE(errors[3].find("ung\xC3\xBCltiger Ordner f\xC3\xBCr tempor\xC3\xA4re Dateien"),
              std::string::npos);
    EXPECT_NE(errors[5].find("ung\xC3\xBCltiger Data Ordner konfiguriert"), std::string::npos);
    EXPECT_EQ(TempDir, dir.File("other tmp")); // the answer to the folder prompt
}

TEST_F(WorkFolders, TablesAreCopiedToTheTemporaryFolder)
{
    std::filesystem::create_directories(dir.File("dbf"));
    std::filesystem::create_directories(dir.File("tmp"));
    dir.Put("dbf/rikula.dbf", "table");
    // A table with a memo file takes it along, whatever its case, and
    // replaces the memo file of an earlier copy.
    dir.Put("dbf/lager.dbf", "\x83 memo table");
    dir.Put("dbf/LAGER.DBT", "memos");
    dir.Put("tmp/lager.dbt", "stale");
    DbfDir = dir.File("dbf");
    TempDir = dir.File("tmp");
    DbfUseTemp = true;
    CheckWorkFolders();
    EXPECT_EQ(dir.Get("tmp/rikula.dbf"), "table");
    EXPECT_EQ(dir.Get("tmp/lager.dbf"), "\x83 memo table");
    EXPECT_EQ(dir.Get("tmp/lager.dbt"), "memos");
    EXPECT_FALSE(AbortFlag);
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
