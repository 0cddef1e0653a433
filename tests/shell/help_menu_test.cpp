// The Help menu's guided tour, web links and about texts, and the
// clean-up when the program closes.
#include "shell_fixture.h"

#include "drive/bearing_types.h"
#include "drive/doclinks.h"
#include "drive/docu_data.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/drive_snapshot.h"
#include "foundation/private_temp.h"
#include "shell/about_box.h"
#include "shell/exit_cleanup.h"
#include "shell/guided_tour.h"
#include "shell/menu_commands.h"
#include "shell/menu_table.h"
#include "shell/web_links.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

using namespace kt4;
using namespace kt4::shell;
using namespace settings;

namespace {

namespace fs = std::filesystem;

class Tour : public shelltest::ShellTest {
protected:
    void SetUp() override
    {
        shelltest::ShellTest::SetUp();
        PltDir = KT4_DATA_DIR;
        lookup_ = TourCommandLookup();
        // stand-ins that record the item they were run for
        TourCommandLookup() = [this](const std::string& item) -> std::function<void()> {
            return [this, item] {
                EXPECT_TRUE(DemoRunning);
                ran.push_back(item);
            };
        };
    }
    void TearDown() override
    {
        TourCommandLookup() = lookup_;
        shelltest::ShellTest::TearDown();
    }

    void Answers(int count, const std::string& answer = "ok")
    {
        for (int k = 0; k < count; ++k)
            ui->Script(answer);
    }

    // The texts of the OK/Cancel boxes.
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> texts;
        for (const auto& entry : Logged("okcancel"))
            texts.push_back(entry.substr(entry.find('|', 9) + 1));
        return texts;
    }

    // Step k's text from the script (line 5 + 4 (k - 1)).
    std::string ScriptText(int k) const
    {
        std::ifstream in(std::string(KT4_DATA_DIR) + "/kt4.dem", std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::string> lines;
        std::istringstream text(bytes);
        for (std::string line; std::getline(text, line);)
            lines.push_back(line.substr(0, line.find('\r')));
        return lines.at(static_cast<std::size_t>(4 + 4 * (k - 1)));
    }

    std::vector<std::string> ran;

private:
    std::function<std::function<void()>(const std::string&)> lookup_;
};

const std::vector<std::string> AllItems = {
    "mi_HelpHilfebild", "mi_editText",      "mi_editvorauslegung", "mi_editGeometrie",
    "mi_editantrieb",   "mi_cadQuick",      "mi_viewausdruck",     "mi_viewanimation",
    "mi_viewQuick",     "mi_stlAbtriebswelle"};

TEST_F(Tour, ShowsEveryStepAndRunsTheCommandsInOrder)
{
    drive::dp = 40;
    DataModified = false;
    CurrentFileName = "old";
    Answers(11);
    RunGuidedTour();
    EXPECT_FALSE(DemoRunning);
    EXPECT_FALSE(AbortFlag);
    EXPECT_EQ(ran, AllItems);
    std::vector<std::string> shown = Shown();
    ASSERT_EQ(shown.size(), 11u);
    EXPECT_NE(shown[0].find("Exzentergetriebe"), std::string::npos);
    EXPECT_NE(shown[0].find("Mit <OK> oder ENTER-Taste wird weitergeschaltet."), std::string::npos);
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(shown[static_cast<std::size_t>(k)], ScriptText(k));
    // the demo drive, calculated
    EXPECT_TRUE(CurrentFileName.empty());
    EXPECT_NE(drive::dp, 40);
    EXPECT_EQ(drive::i, drive::dp / (drive::dp - drive::dH));
}

TEST_F(Tour, CancelAsksWhetherToEnd)
{
    // No: the tour goes on with the next step
    ui->Script("ok");
    ui->Script("<cancel>");
    ui->Script("no");
    Answers(9);
    RunGuidedTour();
    EXPECT_EQ(ran, AllItems);
    EXPECT_EQ(Logged("yesnocancel").size(), 1u);
    EXPECT_NE(Logged("yesnocancel")[0].find("Demomodus beenden ?"), std::string::npos);
    EXPECT_FALSE(DemoRunning);

    // Yes: it ends
    ran.clear();
    ui->ClearLog();
    Answers(2);
    ui->Script("<cancel>");
    ui->Script("yes");
    RunGuidedTour();
    EXPECT_EQ(ran, std::vector<std::string>{"mi_HelpHilfebild"});
    EXPECT_EQ(Shown().size(), 3u);
    EXPECT_TRUE(AbortFlag);
    EXPECT_FALSE(DemoRunning);

    // Cancel in the introduction ends at once
    ran.clear();
    ui->ClearLog();
    RunGuidedTour();
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(Shown().size(), 1u);
    EXPECT_FALSE(DemoRunning);
}

TEST_F(Tour, UnsavedInputIsAskedAboutFirst)
{
    drive::dp = 41;
    CurrentFileName.clear();
    DataModified = true;
    ui->Script("no"); // "Bisherige Eingaben verwerfen ?"
    RunGuidedTour();
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(drive::dp, 41);
    EXPECT_TRUE(DataModified);
    EXPECT_FALSE(DemoRunning);

    CurrentFileName = "named";
    ui->Script("<cancel>"); // "Datei speichern (...) ?"
    RunGuidedTour();
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(CurrentFileName, "named");
    EXPECT_EQ(drive::dp, 41);
}

// The tour's first step shows the demo drive alone, as a fresh program
// calculates it: fresh slots, no texts, no documentation of the project
// before.
TEST_F(Tour, StartsFromFreshSlotsAndTexts)
{
    drive::LoadDemoDriveData();
    drive::CalcDrive();
    const drive::DriveSnapshot demo = drive::CaptureDrive();
    const docu::TZeichInfo titleBlock = docu::ZeichInfo;

    bearings::BearingSlots[1].Designation = "NU 309";
    bearings::BearingSlots[1].d = 45;
    bearings::BearingSlots[4].Designation = "6009";
    RemarkLines = {"alt", "alt", "alt"};
    docu::ZeichNr = "A-1";
    docu::ZeichName = "altes Getriebe";
    docu::ZeichName2 = "zwei";
    docu::AendCount = 2;
    docu::ZeichInfo.Name3 = "Normpruefer";
    docu::ZeichTextCount = 1;
    docu::DokuList[2].file = "/docs/alt.pdf";
    DataModified = false;
    ui->Script("<cancel>"); // the first step ends the tour
    RunGuidedTour();
    EXPECT_TRUE(drive::CaptureDrive() == demo); // the slots as well
    EXPECT_EQ(bearings::BearingSlots[1].Designation, "");
    EXPECT_EQ(RemarkLines, (std::array<std::string, 3>{}));
    EXPECT_EQ(docu::ZeichNr + docu::ZeichName + docu::ZeichName2, "");
    EXPECT_EQ(docu::AendCount, 0);
    EXPECT_EQ(docu::ZeichTextCount, 0);
    EXPECT_EQ(docu::ZeichInfo.Name3, "");
    EXPECT_EQ(docu::ZeichInfo.Date1, titleBlock.Date1);
    EXPECT_EQ(docu::DokuList[2].file, "");
}

TEST_F(Tour, MissingScriptStillEnds)
{
    PltDir = dir.Path();
    Answers(11);
    RunGuidedTour();
    std::vector<std::string> shown = Shown();
    ASSERT_EQ(shown.size(), 11u);
    for (std::size_t k = 1; k < shown.size(); ++k) {
        EXPECT_EQ(shown[k].rfind("Demosteuerdatei ", 0), 0u);
        EXPECT_NE(shown[k].find("nicht gefunden !"), std::string::npos);
    }
    EXPECT_FALSE(DemoRunning);
}

TEST_F(Tour, CommandsTheProgramLacksAreSkipped)
{
    TourCommandLookup() = MenuCommand;
    Answers(40); // "ok" also answers "Demomodus beenden ?" with No
    RunGuidedTour();
    EXPECT_EQ(Shown().size(), 11u);
    EXPECT_FALSE(DemoRunning);
}

class HelpMenu : public shelltest::ShellTest {};

TEST_F(HelpMenu, LinksOpenTheAddresses)
{
    EXPECT_EQ(HistoryCaption(0), "KT4 Info (www)");
    EXPECT_EQ(HistoryCaption(1), "");
    EXPECT_EQ(HistoryCaption(2), "History KT4 V1.1");
    EXPECT_EQ(MenuCaption("mi_helphistory"), "KT4 Info (www)");

    for (const char* item : {"mi_helpwww", "mi_helphistory", "mi_helpemail"})
        MenuCommand(item)();
    std::vector<std::string> urls;
    for (const auto& entry : Logged("openurl"))
        urls.push_back(entry.substr(entry.rfind('|') + 1));
    EXPECT_EQ(urls, (std::vector<std::string>{"https://www.velmora.example/",
                                              "https://www.velmora.example/kt4_d.htm",
                                              "mailto:support@velmora.example?subject=KT4%20V1.1"}));
}

TEST_F(HelpMenu, AboutTexts)
{
    AboutTexts t = AboutBoxTexts();
    EXPECT_EQ(t.caption, "KT4");
    EXPECT_EQ(t.productName, "Version 1.1 f\xC3\xBCr Linux");
    EXPECT_EQ(t.extended, "Exzentergetriebe  KT4");
    EXPECT_EQ(t.fileVersion, "File Version : 1.1   (wkt4:64)");
    EXPECT_TRUE(t.sonderversion.empty());
}

TEST_F(HelpMenu, ExitCleanupRemovesOnlyThePrivateFolder)
{
    dir.Put("$LOGO_2.dx$", "0\r\nEOF\r\n");
    dir.Put("$other.dx$", "foreign");
    const std::string blocks = PrivateTempSubdir("blocks");
    ASSERT_FALSE(blocks.empty());
    std::ofstream(blocks + "$H.dx$") << "block";
    AbortFlag = true;
    EXPECT_TRUE(ExitCleanup());
    EXPECT_FALSE(AbortFlag);
    EXPECT_FALSE(fs::exists(blocks));
    EXPECT_FALSE(PrivateTempDirExists());
    EXPECT_EQ(dir.Get("$LOGO_2.dx$"), "0\r\nEOF\r\n");
    EXPECT_EQ(dir.Get("$other.dx$"), "foreign");
    EXPECT_EQ(dir.Count(), 3u); // the two and the fixture's configuration folder
}

} // namespace
