#include "shell_fixture.h"

#include "drive/drive_data.h"
#include "drive/projectfile.h"
#include "foundation/paths.h"
#include "foundation/settings.h"
#include "shell/project_files.h"
#include "shell/recent_files.h"

#include <filesystem>

using namespace kt4;
using namespace kt4::shell;

namespace {

using namespace settings;

class ProjectFiles : public shelltest::ShellTest {};

TEST_F(ProjectFiles, SaveFailureKeepsTheChanges)
{
    CurrentFileName = "gear";
    DataDir = dir.File("no such folder");
    DataModified = true;
    ui->Script("yes");
    AskSaveChanges();
    EXPECT_TRUE(AbortFlag);
    EXPECT_TRUE(DataModified);
    // and the next question comes again
    AbortFlag = false;
    ui->Script("<cancel>");
    AskSaveChanges();
    EXPECT_EQ(Logged("yesnocancel").size(), 2u);
}

TEST_F(ProjectFiles, SaveAnswers)
{
    CurrentFileName = "gear";
    DataModified = true;
    ui->Script("yes");
    AskSaveChanges();
    EXPECT_FALSE(AbortFlag);
    EXPECT_FALSE(DataModified);
    EXPECT_TRUE(std::filesystem::exists(dir.File("gear.kt4")));

    DataModified = true;
    ui->Script("no");
    AskSaveChanges();
    EXPECT_FALSE(AbortFlag);
    EXPECT_FALSE(DataModified);

    DataModified = true;
    ui->Script("<cancel>");
    AskSaveChanges();
    EXPECT_TRUE(AbortFlag);
    EXPECT_TRUE(DataModified);
}

TEST_F(ProjectFiles, QuestionShowsTheNameAsItIs)
{
    CurrentFileName = "Getriebe gr\xC3\xBC" "n";
    DataModified = true;
    AskSaveChanges(); // no answer: cancelled
    ASSERT_EQ(Logged("yesnocancel").size(), 1u);
    EXPECT_NE(Logged("yesnocancel")[0].find("Datei speichern (" + dir.Path() +
                                             "Getriebe gr\xC3\xBC" "n.kt4) ?"),
              std::string::npos);
}

TEST_F(ProjectFiles, UnnamedInput)
{
    CurrentFileName.clear();
    DataModified = true;
    ui->Script("no");
    AskSaveChanges();
    EXPECT_TRUE(AbortFlag); // the calling command stops
    EXPECT_TRUE(DataModified);
    AbortFlag = false;
    ui->Script("yes");
    AskSaveChanges();
    EXPECT_FALSE(AbortFlag);
    EXPECT_FALSE(DataModified);
}

TEST_F(ProjectFiles, ArchiveModeWithCommandLineFileAsksNothing)
{
    CurrentFileName = "x.kt4";
    FileNameHasDir = true;
    ArchiveMode = true;
    DataModified = true;
    AskSaveChanges();
    EXPECT_FALSE(DataModified);
    EXPECT_TRUE(ui->Log().empty());
}

TEST_F(ProjectFiles, OpenRecentFileLoadsAndCalculates)
{
    drive::dp = 40; // the file holds the defaults
    std::string path = WriteDefaultProject("one.kt4");
    drive::InitDriveData();
    drive::dp = 50;
    drive::i = 0;
    RecentFiles[1] = "/gone.kt4";
    RecentFiles[2] = path;
    CurrentFileName = "before";
    OpenRecentFile(2);
    EXPECT_FALSE(AbortFlag);
    EXPECT_EQ(drive::dp, 40);
    EXPECT_NE(drive::i, 0); // calculated after reading
    EXPECT_EQ(CurrentFileName, "one");
    EXPECT_EQ(DataDir, StripBackslash(dir.Path()));
    EXPECT_EQ(RecentFiles[1], path);
    EXPECT_EQ(RecentFiles[2], "/gone.kt4");
    EXPECT_FALSE(DataModified);
}

TEST_F(ProjectFiles, FailedReadKeepsTheCurrentProject)
{
    dir.Put("bad.kt4", "too short\r\n");
    RecentFiles[1] = dir.File("bad.kt4");
    CurrentFileName = "current";
    DataDir = "/keep/";
    drive::dp = 44;
    OpenRecentFile(1);
    EXPECT_EQ(CurrentFileName, "current");
    EXPECT_EQ(DataDir, "/keep/");
    EXPECT_EQ(drive::dp, 44);
    EXPECT_EQ(RecentFiles[1], dir.File("bad.kt4"));
}

TEST_F(ProjectFiles, MissingRecentFileIsRemovedWithAMessage)
{
    RecentFiles[1] = dir.File("gone.kt4");
    RecentFiles[2] = "/b.kt4";
    CurrentFileName = "current";
    OpenRecentFile(1);
    EXPECT_EQ(RecentFiles[1], "/b.kt4");
    EXPECT_EQ(CurrentFileName, "current");
    ASSERT_FALSE(Logged("message").empty());
    EXPECT_NE(Logged("message")[0].find("File " + dir.File("gone.kt4") + " not found !"),
              std::string::npos);
}

TEST_F(ProjectFiles, UnsavedChangesCancelStopsTheOpen)
{
    std::string path = WriteDefaultProject("two.kt4");
    RecentFiles[1] = path;
    CurrentFileName = "current";
    DataModified = true;
    OpenRecentFile(1); // the save question is cancelled
    EXPECT_TRUE(AbortFlag);
    EXPECT_EQ(CurrentFileName, "current");
}

} // namespace
