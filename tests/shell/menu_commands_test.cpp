#include "shell_fixture.h"

#include "drive/docu_data.h"
#include "drive/drive_data.h"
#include "shell/menu_commands.h"

#include <filesystem>
#include <stdexcept>

using namespace kt4;
using namespace kt4::shell;

namespace {

using namespace settings;

class MenuCommands : public shelltest::ShellTest {};

TEST_F(MenuCommands, OpenReadsCalculatesAndRemembersTheFile)
{
    drive::dp = 40;
    std::string path = WriteDefaultProject("open.kt4");
    drive::InitDriveData();
    drive::i = 0;
    DataModified = false;
    ui->Script(path); // the open dialog
    FileOpenCommand();
    EXPECT_FALSE(AbortFlag);
    EXPECT_EQ(drive::dp, 40);
    EXPECT_NE(drive::i, 0); // calculated at once
    EXPECT_EQ(CurrentFileName, "open");
    EXPECT_EQ(RecentFiles[1], path);
    EXPECT_FALSE(DataModified);
}

TEST_F(MenuCommands, CancelledOpenChangesNothing)
{
    drive::dp = 41;
    CurrentFileName = "keep";
    FileOpenCommand(); // nothing scripted: the dialog is cancelled
    EXPECT_TRUE(AbortFlag);
    EXPECT_EQ(drive::dp, 41);
    EXPECT_EQ(CurrentFileName, "keep");
}

TEST_F(MenuCommands, SaveClearsTheModifiedFlagOnlyWhenWritten)
{
    CurrentFileName = "saved";
    DataModified = true;
    FileSaveCommand();
    EXPECT_FALSE(DataModified);
    EXPECT_TRUE(std::filesystem::exists(dir.File("saved.kt4")));
    EXPECT_EQ(RecentFiles[1], dir.File("saved.kt4"));

    DataModified = true;
    DataDir = dir.File("no such folder");
    FileSaveCommand();
    EXPECT_TRUE(AbortFlag);
    EXPECT_TRUE(DataModified);
}

TEST_F(MenuCommands, NewStartsFromTheDefaultsAfterTheSaveQuestion)
{
    drive::dp = 44;
    docu::AendCount = 2;
    CurrentFileName = "old";
    DataModified = true;
    ui->Script("no"); // do not save the changes
    FileNewCommand();
    EXPECT_FALSE(AbortFlag);
    EXPECT_EQ(drive::dp, 34);
    EXPECT_EQ(docu::AendCount, 0); // the revision list starts empty
    EXPECT_TRUE(CurrentFileName.empty());
    EXPECT_TRUE(DataModified);
    EXPECT_EQ(drive::i, -17); // calculated

    // Cancel in the save question keeps everything
    drive::dp = 45;
    ui->Script("<cancel>");
    FileNewCommand();
    EXPECT_EQ(drive::dp, 45);
}

TEST_F(MenuCommands, CancelledTextDialogLeavesTheModifiedFlag)
{
    DataModified = false;
    EditTextCommand(); // headless: the form is cancelled
    EXPECT_TRUE(AbortFlag);
    EXPECT_FALSE(DataModified);
}

TEST_F(MenuCommands, OnlyCommandsWithTheirFormsAreOffered)
{
    for (const char* name : {"mi_fileNew", "mi_fileOpen", "mi_FileSave", "mi_FileSaveAs",
                             "mi_fileexportQov1Rad1", "mi_fileexportbx1bolzen", "mi_viewausdruck",
                             "mi_docuNewChange", "mi_DocumentSetup", "mi_helpErrorMessages", "mi_viewanimation"})
        EXPECT_TRUE(MenuCommand(name)) << name;
    for (const char* name : {"mi_editGeometrie", "mi_fileprint", "mi_fileConfig", "mi_file"})
        EXPECT_FALSE(MenuCommand(name)) << name;

    bool shown = false;
    FormServices().geometry = [&] { shown = true; };
    auto geometry = MenuCommand("mi_editGeometrie");
    ASSERT_TRUE(geometry);
    DataModified = false;
    geometry();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(DataModified);
    FormServices() = MenuForms{};
}

TEST_F(MenuCommands, AFaultInACommandIsToldAndTheProjectMayBeSaved)
{
    FormServices().geometry = [] { throw std::out_of_range("Array1: Index 7 außerhalb von 1..6"); };
    auto geometry = MenuCommand("mi_editGeometrie");
    CurrentFileName = "gerettet";
    DataModified = true;
    EXPECT_NO_THROW(geometry()); // nothing scripted: not saved
    EXPECT_NE(Logged("error").back().find("Array1: Index 7 außerhalb von 1..6"), std::string::npos);
    EXPECT_TRUE(DataModified);
    EXPECT_FALSE(std::filesystem::exists(dir.File("gerettet.kt4")));
    ui->Script("J");
    EXPECT_NO_THROW(geometry());
    EXPECT_NE(Logged("yesnocancel").back().find("Datei speichern ("), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.File("gerettet.kt4")));
    EXPECT_FALSE(DataModified);
    FormServices() = MenuForms{};
}

TEST_F(MenuCommands, GearExportWritesTheSiblingFile)
{
    ui->Script(dir.File("gear.qov")); // the save dialog
    ExportGearCommand(1);
    EXPECT_FALSE(AbortFlag);
    EXPECT_TRUE(std::filesystem::exists(dir.File("gear.qov")));
}

} // namespace
