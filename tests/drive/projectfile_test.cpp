// The project data file: scenario A line by line and byte for byte, the
// round trip, and reading and writing that fail without harm.
#include "catalogue_support.h"
#include "project_fixture.h"

#include "drive/bearing_takeover.h"
#include "drive/bearing_types.h"
#include "drive/docu_data.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/project_layout.h"
#include "drive/projectfile.h"
#include "foundation/dialogs.h"
#include "foundation/settings.h"

#include <filesystem>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace kt4::projtest {
namespace {

using namespace kt4::project;
namespace fs = std::filesystem;

class ProjectFileTest : public ProjectTest {
protected:
    // Writes scenario A as "a.kt4" and returns its bytes.
    std::string WriteScenarioA()
    {
        ScenarioA();
        EXPECT_TRUE(WriteDataFile("a"));
        EXPECT_FALSE(settings::AbortFlag);
        return dir.Get("a.kt4");
    }

    // A project that differs from scenario A everywhere it can.
    void OtherProject()
    {
        drive::dp = 50;
        drive::nz = 9;
        drive::T[2] = 77;
        drive::alpha = 20;
        bearings::BearingSlots[3].Designation = "6205";
        bearings::BearingSlots[5].Opt1 = 7;
        docu::ZeichName = "anderes Projekt";
        settings::RemarkLines[1] = "Bemerkung";
    }

    static std::string Joined(const std::vector<std::string>& lines, std::size_t count)
    {
        std::string out;
        for (std::size_t k = 0; k < count && k < lines.size(); ++k)
            out += lines[k] + "\r\n";
        return out;
    }
};

TEST_F(ProjectFileTest, ScenarioAHasTheReferenceLines)
{
    std::vector<std::string> lines = FileLines(WriteScenarioA());
    ASSERT_EQ(lines.size(), 339u);
    const std::map<int, std::string> reference = {
        {11, "34.0000000"},  {16, "4"},           {21, "8.0000000"},   {24, "850.0000000"},
        {25, "1.6339869"},   {26, "0.1454441"},   {29, "4.3000000"},   {35, "0.5000000"},
        {37, "0"},           {42, "Lager 1"},     {43, "1"},           {48, "1.0000000"},
        {59, "0.3000000"},   {81, "520.9933434"}, {82, "70.0000000"},  {96, "TRUE"},
        {97, "2"},           {98, "1"},           {270, "50.0000000"}, {272, "0.1308997"},
        {273, "3"},          {274, "2"},          {276, "1.0000000"},  {316, "2896.2085279"},
        {336, "45.0000000"}, {339, "0"},
    };
    for (const auto& [line, value] : reference)
        EXPECT_EQ(lines[static_cast<std::size_t>(line - 1)], value) << "line " << line;
    // the bearing records begin where the layout says
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(lines[static_cast<std::size_t>(41 + (k - 1) * 57)], "Lager " + std::to_string(k));
    EXPECT_EQ(lines[276], "Lager 5");
    EXPECT_EQ(lines[0], std::string(65, '-'));
    EXPECT_EQ(lines[2], "Version 1.1");
}

TEST_F(ProjectFileTest, ScenarioAMatchesTheGoldenFile)
{
    ExpectGolden(WriteScenarioA(), "scenario_a.kt4");
}

TEST_F(ProjectFileTest, ReadingBackGivesTheSameDrive)
{
    std::string first = WriteScenarioA();
    ProjectState written = CaptureProject();
    Real ftGear = drive::FtGear, life = bearings::BearingSlots[2].Fr;

    drive::InitDriveData();
    bearings::InitBearingSlots();
    OtherProject();
    ASSERT_TRUE(ReadDataFile(dir.File("a.kt4")));
    ProjectState read = CaptureProject();
    EXPECT_EQ(read.remarks, written.remarks);
    EXPECT_EQ(read.zeichName, written.zeichName);
    ASSERT_EQ(read.drive.size(), written.drive.size());
    for (std::size_t k = 0; k < read.drive.size(); ++k) {
        if (std::holds_alternative<Integer>(written.drive[k]))
            EXPECT_EQ(read.drive[k], written.drive[k]) << "value " << k;
        else
            EXPECT_NEAR(std::get<Real>(read.drive[k]), std::get<Real>(written.drive[k]), 5e-8L)
                << "value " << k;
    }
    for (Word s = 1; s <= 5; ++s) {
        EXPECT_EQ(read.slots[s].Designation, written.slots[s].Designation);
        EXPECT_EQ(read.slots[s].Opt1, written.slots[s].Opt1);
        EXPECT_EQ(read.slots[s].EP, written.slots[s].EP);
    }
    // the same file again, and the same results after the calculation
    ASSERT_TRUE(WriteDataFile("b"));
    EXPECT_TRUE(dir.Get("b.kt4") == first);
    drive::CalcDrive();
    EXPECT_NEAR(drive::FtGear, ftGear, 1e-4L);
    EXPECT_NEAR(bearings::BearingSlots[2].Fr, life, 1e-4L);
}

// A catalogue designation holding a line break and control bytes is
// stored as one line: the file reads back in step, with the same results.
TEST_F(ProjectFileTest, ControlBytesOfATakenOverDesignationKeepTheFileInStep)
{
    ScenarioA();
    const TBearingType typ = bearings::BearingSlots[3].Typ;
    const auto rows = drivetest::ReadTableRows(typ, drivetest::CatalogueDir + "/" + BearingTableName(typ) + ".dbf");
    ASSERT_FALSE(rows.empty());
    bearings::CatalogueBuffers[typ] = rows.front();
    bearings::CatalogueBuffers[typ].SetFromText(1, std::string("62\r\n05\x1A\0Z", 9));
    BearingTakeOver(3, typ, 500, 100);
    drive::CalcDrive();
    ASSERT_FALSE(settings::CalcErrorFlag);
    ProjectState written = CaptureProject();
    const Real life = bearings::BearingSlots[3].L10, ftGear = drive::FtGear;
    ASSERT_TRUE(WriteDataFile("c"));
    const std::vector<std::string> lines = FileLines(dir.Get("c.kt4"));
    ASSERT_EQ(lines.size(), 339u);
    EXPECT_EQ(lines[41 + 2 * 57 + 3], "62|05  Z");
    // the project's text is the file's lines after the four header lines
    std::string text;
    for (std::size_t k = 4; k < lines.size(); ++k)
        text += lines[k] + "\n";
    EXPECT_EQ(ProjectText(written), text);

    OtherProject();
    ASSERT_TRUE(ReadDataFile(dir.File("c.kt4")));
    EXPECT_TRUE(Logged("yesnocancel").empty());
    ProjectState read = CaptureProject();
    EXPECT_EQ(read.slots[3].Designation, "62|05  Z");
    EXPECT_EQ(read.slots[3].C, written.slots[3].C);
    drive::CalcDrive();
    EXPECT_NEAR(bearings::BearingSlots[3].L10, life, 1e-6L * life);
    EXPECT_NEAR(drive::FtGear, ftGear, 1e-4L);
}

TEST_F(ProjectFileTest, NamesFollowTheSaveRules)
{
    ScenarioA();
    ASSERT_TRUE(WriteDataFile("abc"));
    EXPECT_TRUE(fs::exists(dir.File("abc.kt4")));
    ASSERT_TRUE(WriteDataFile(dir.File("voll.kt4")));
    EXPECT_TRUE(fs::exists(dir.File("voll.kt4")));

    ui->Script(dir.File("gewaehlt.kt4")); // an empty name asks
    ASSERT_TRUE(WriteDataFile(""));
    EXPECT_TRUE(fs::exists(dir.File("gewaehlt.kt4")));
    EXPECT_EQ(settings::CurrentFileName, "gewaehlt");

    EXPECT_FALSE(WriteDataFile("")); // no answer: cancelled
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(ProjectFileTest, MissingFileLeavesTheProjectAndTellsWhy)
{
    OtherProject();
    ProjectState before = CaptureProject();
    EXPECT_FALSE(ReadDataFile("fehlt"));
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(CaptureProject().drive == before.drive);
    EXPECT_EQ(docu::ZeichName, "anderes Projekt");
    auto errors = Logged("error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("fehlt.kt4 nicht gefunden"), std::string::npos) << errors[0];
}

TEST_F(ProjectFileTest, TruncatedFileLeavesTheProjectUntouched)
{
    std::vector<std::string> lines = FileLines(WriteScenarioA());
    for (std::size_t keep : {0u, 5u, 200u, 338u}) {
        dir.Put("kurz.kt4", Joined(lines, keep));
        drive::InitDriveData();
        bearings::InitBearingSlots();
        OtherProject();
        ProjectState before = CaptureProject();
        settings::AbortFlag = false;
        ui->ClearLog();
        EXPECT_FALSE(ReadDataFile("kurz")) << keep;
        EXPECT_TRUE(settings::AbortFlag);
        ProjectState after = CaptureProject();
        EXPECT_TRUE(after.drive == before.drive) << keep;
        EXPECT_TRUE(after.slots == before.slots) << keep;
        EXPECT_EQ(after.remarks, before.remarks) << keep;
        auto errors = Logged("error");
        ASSERT_EQ(errors.size(), 1u) << keep;
        EXPECT_NE(errors[0].find("Lesefehler"), std::string::npos) << errors[0];
        EXPECT_NE(errors[0].find("endet nach Zeile " + std::to_string(keep)), std::string::npos)
            << errors[0];
    }
}

TEST_F(ProjectFileTest, GarbageLineIsReportedOnceAndRefusedUnlessAccepted)
{
    std::vector<std::string> lines = FileLines(WriteScenarioA());
    lines[10] = "vierunddreissig"; // dp
    lines[15] = "4 Bolzen";        // nz
    lines[95] = "JA";              // EP of slot 1
    dir.Put("kaputt.kt4", Joined(lines, lines.size()));

    OtherProject();
    ProjectState before = CaptureProject();
    EXPECT_FALSE(ReadDataFile("kaputt"));
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(CaptureProject().drive == before.drive);
    auto asked = Logged("yesnocancel");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("Falsches numerisches Format in 3 Zeile(n)"), std::string::npos) << asked[0];
    EXPECT_NE(asked[0].find("erste: Zeile 11"), std::string::npos) << asked[0];

    // accepted: the unreadable numbers count as 0, the rest is read
    settings::AbortFlag = false;
    ui->Script("J");
    EXPECT_TRUE(ReadDataFile("kaputt"));
    EXPECT_EQ(drive::dp, 0);
    EXPECT_EQ(drive::nz, 0);
    EXPECT_EQ(drive::dH, 36);
    EXPECT_FALSE(bearings::BearingSlots[1].EP);
}

TEST_F(ProjectFileTest, ArbitraryBytesNeverReachTheProject)
{
    OtherProject();
    ProjectState before = CaptureProject();
    std::string noise;
    for (int k = 0; k < 5000; ++k)
        noise += static_cast<char>((k * 7919 + 13) % 256);
    const std::string files[] = {"", std::string(100000, 'x'), std::string(400, '\0'),
                                 std::string(339, '\n'), noise};
    for (const std::string& bytes : files) {
        dir.Put("wirr.kt4", bytes);
        settings::AbortFlag = false;
        EXPECT_FALSE(ReadDataFile("wirr"));
        EXPECT_TRUE(settings::AbortFlag);
        ProjectState after = CaptureProject();
        EXPECT_TRUE(after.drive == before.drive);
        EXPECT_TRUE(after.slots == before.slots);
        EXPECT_EQ(after.zeichName, before.zeichName);
    }
}

TEST_F(ProjectFileTest, FailedSaveLeavesTheOldFile)
{
    std::string good = WriteScenarioA();
    OtherProject();
    {
        // writes fail as on a full disk, for root as well
        kt4::testing::FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.Active());
        ui->Script("J"); // overwrite
        EXPECT_FALSE(WriteDataFile("a"));
    }
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(dir.Get("a.kt4") == good);
    EXPECT_EQ(dir.Count(), 1u) << "a temporary file was left behind";
    EXPECT_EQ(Logged("error").size(), 1u);
}

TEST_F(ProjectFileTest, UnwritableTargetsAreRefused)
{
    ScenarioA();
    // a folder under the target's name, with overwriting allowed
    fs::create_directory(dir.File("ordner.kt4"));
    dialogs::AskOverwrite = false;
    EXPECT_FALSE(WriteDataFile(dir.File("ordner.kt4")));
    EXPECT_TRUE(fs::is_directory(dir.File("ordner.kt4")));
    // a folder that does not exist
    settings::AbortFlag = false;
    EXPECT_FALSE(WriteDataFile(dir.File("fehlt/neu.kt4")));
    EXPECT_FALSE(fs::exists(dir.File("fehlt")));
}

// A save into a folder the user cannot write, run as a user without root's
// rights (a child process that drops them when the test runs as root). The
// file itself is writable, so only writing beside it and renaming can fail.
TEST_F(ProjectFileTest, SaveIntoReadOnlyFolderFailsAndKeepsTheFile)
{
    std::string good = WriteScenarioA();
    fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    fs::create_directory(dir.File("nur_lesen"));
    fs::copy_file(dir.File("a.kt4"), dir.File("nur_lesen/a.kt4"));
    fs::permissions(dir.File("nur_lesen/a.kt4"), fs::perms::all);
    fs::permissions(dir.File("nur_lesen"), fs::perms::owner_read | fs::perms::owner_exec |
                                               fs::perms::group_read | fs::perms::group_exec |
                                               fs::perms::others_read | fs::perms::others_exec);
    OtherProject();
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        bool dropped = kt4::test::BecomeNobody();
        ui->Script("J"); // overwrite
        bool saved = WriteDataFile(dir.File("nur_lesen/a.kt4"));
        bool reported = Logged("error").size() == 1;
        ::_exit(!dropped ? 3 : saved ? 1 : !settings::AbortFlag || !reported ? 2 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    fs::permissions(dir.File("nur_lesen"), fs::perms::owner_all);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: saved anyway, 2: not reported, 3: rights not dropped";
    EXPECT_TRUE(dir.Get("nur_lesen/a.kt4") == good);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("nur_lesen")), fs::directory_iterator()), 1);
}

TEST_F(ProjectFileTest, FixedNamesAreFoundWhateverTheirCase)
{
    WriteScenarioA();
    fs::rename(dir.File("a.kt4"), dir.File("null.kt4"));
    OtherProject();
    EXPECT_TRUE(ReadDataFile("NULL"));
    EXPECT_EQ(drive::dp, 34);
    EXPECT_EQ(settings::CurrentFileName, "projekt"); // a named read leaves the current file
}

TEST_F(ProjectFileTest, OpenDialogMakesTheChosenFileCurrent)
{
    WriteScenarioA();
    fs::create_directory(dir.File("sub"));
    fs::copy_file(dir.File("a.kt4"), dir.File("sub/gewaehlt.kt4"));
    OtherProject();
    ui->Script(dir.File("sub/gewaehlt.kt4"));
    ASSERT_TRUE(ReadDataFile(""));
    EXPECT_EQ(settings::CurrentFileName, "gewaehlt");
    EXPECT_EQ(settings::DataDir, dir.File("sub"));
    EXPECT_EQ(drive::dp, 34);

    OtherProject();
    EXPECT_FALSE(ReadDataFile("")); // cancelled
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(drive::dp, 50);
    EXPECT_EQ(settings::CurrentFileName, "gewaehlt");
}

// Save writes the file that was opened: a dotted name or an extension in
// capitals is no reason for a second file.
TEST_F(ProjectFileTest, SaveWritesTheOpenedFile)
{
    WriteScenarioA();
    dialogs::AskOverwrite = false;
    for (const char* name : {"proj.v2.kt4", "PROJ.KT4"}) {
        SCOPED_TRACE(name);
        fs::remove_all(dir.File("sub"));
        fs::create_directory(dir.File("sub"));
        fs::copy_file(dir.File("a.kt4"), dir.File("sub/") + name);
        ui->Script(dir.File("sub/") + name);
        ASSERT_TRUE(ReadDataFile(""));
        drive::dp = 44;
        ASSERT_TRUE(WriteDataFile(settings::CurrentFileName));
        std::vector<std::string> files;
        for (const auto& e : fs::directory_iterator(dir.File("sub")))
            files.push_back(e.path().filename().string());
        EXPECT_EQ(files, std::vector<std::string>{name});
        EXPECT_FALSE(fs::exists(fs::current_path() / "proj.v2"));
        drive::dp = 34;
        ASSERT_TRUE(ReadDataFile(dir.File("sub/") + name));
        EXPECT_EQ(drive::dp, 44);
    }
    dialogs::AskOverwrite = true;
}

} // namespace
} // namespace kt4::projtest
