// Message explanations: lookup, the safe rewrite of the file, the review.
#include "foundation/explain.h"

#include "output_fixture.h"

#include <filesystem>

using namespace kt4;
using kt4::testing::FileLines;

namespace {

const std::string ErrFile = "Warnung: i < 10 !\r\nkleine Uebersetzung\r\nanders waehlen\r\n"
                            "Fatal  : di > de ! (Welle)\r\nBohrung zu gross\r\nBohrung verkleinern\r\n"
                            "Fatal  : L5-L4 = 0 !\r\nLager 4 und 5 an einer Stelle\r\n";

class Explanations : public kt4::testing::OutputTest {
protected:
    void SetUp() override
    {
        OutputTest::SetUp();
        settings::PltDir = dir.Path() + "hilfe";
        std::filesystem::create_directory(dir.File("hilfe"));
        dir.Put("hilfe/KT4.ERR", ErrFile);
    }
    std::string Err() const { return dir.Get("hilfe/KT4.ERR"); }
};

} // namespace

TEST_F(Explanations, FifteenCharactersDecideAndTheLastLineIsNoMatch)
{
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadExplanationLines(ExplanationFileName(), lines));
    EXPECT_EQ(FindExplanation(lines, "Warnung: i < 10 !"), 0);
    // two messages with the same first 15 characters share one explanation
    EXPECT_EQ(FindExplanation(lines, "Fatal  : di > de ! (input shaft)"), 3);
    EXPECT_EQ(FindExplanation(lines, "Fatal  : di > de ! (output shaft)"), 3);
    EXPECT_EQ(FindExplanation(lines, "Warnung: i < 1"), -1);
    EXPECT_EQ(FindExplanation({"a", "b", "Fatal  : x"}, "Fatal  : x"), -1);
}

TEST_F(Explanations, CauseAndRemedyPerMessage)
{
    settings::AddMessage("Fatal  : di > de ! (input shaft)");
    settings::AddMessage("Warnung: unbekannt");
    settings::AddMessage("Fatal  : L5-L4 = 0 !");
    std::string s = "alt";
    MessageCause(1, s);
    EXPECT_EQ(s, "Bohrung zu gross");
    MessageRemedy(1, s);
    EXPECT_EQ(s, "Bohrung verkleinern");
    MessageCause(2, s);
    EXPECT_EQ(s, NoExplanationText);
    MessageRemedy(2, s);
    EXPECT_EQ(s, ""); // not the remedy of the message before
    MessageRemedy(3, s);
    EXPECT_EQ(s, ""); // the record lacks its remedy line
    std::filesystem::remove(dir.File("hilfe/KT4.ERR"));
    s = "alt";
    MessageCause(1, s);
    EXPECT_EQ(s, "");
}

TEST_F(Explanations, SavingReplacesTheRecordAndKeepsTheRest)
{
    ASSERT_TRUE(SaveExplanation("Fatal  : di > de ! (output shaft)", "neue\r\nUrsache", "neue Abhilfe"));
    auto lines = FileLines(Err());
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[3], "Fatal  : di > de ! (Welle)");
    EXPECT_EQ(lines[4], "neue Ursache"); // one line: the records stay in step
    EXPECT_EQ(lines[5], "neue Abhilfe");
    EXPECT_EQ(lines[6], "Fatal  : L5-L4 = 0 !");
    // the only copy is in the file's own folder, and gone again
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("hilfe")),
                            std::filesystem::directory_iterator{}),
              1);
}

TEST_F(Explanations, SavingARecordWithoutRemedyLineCompletesIt)
{
    ASSERT_TRUE(SaveExplanation("Fatal  : L5-L4 = 0 !", "Ursache", "Abhilfe"));
    auto lines = FileLines(Err());
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[8], "Abhilfe");
}

TEST_F(Explanations, SavingWhenTheTempFolderIsThePictureFolder)
{
    settings::TempDir = settings::PltDir;
    EXPECT_TRUE(SaveExplanation("Warnung: i < 10 !", "u", "a"));
    EXPECT_EQ(FileLines(Err())[1], "u");
}

TEST_F(Explanations, AFailedSaveLeavesTheFileAsItWas)
{
    {
        kt4::testing::FileSizeLimit limit(16);
        EXPECT_FALSE(SaveExplanation("Warnung: i < 10 !", std::string(500, 'u'), "a"));
    }
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(Err(), ErrFile);
    EXPECT_NE(Logged("error").back().find("nicht gespeichert"), std::string::npos);
}

TEST_F(Explanations, UnknownMessageOrMissingFileIsTold)
{
    EXPECT_FALSE(SaveExplanation("Warnung: nie gesehen", "u", "a"));
    EXPECT_EQ(Logged("message").back(), "message|KT4|Warnung: nie gesehen not found.");
    EXPECT_EQ(Err(), ErrFile);
    std::filesystem::remove(dir.File("hilfe/KT4.ERR"));
    EXPECT_FALSE(SaveExplanation("Warnung: i < 10 !", "u", "a"));
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(Explanations, EditedExplanationIsSavedAfterYes)
{
    settings::AddMessage("Warnung: i < 10 !");
    ui->Script("Ursache ä|Abhilfe");
    ui->Script("J");
    ShowMessageExplanation(1);
    EXPECT_EQ(Logged("explain")[0], "explain|Warnung: i < 10 !|kleine Uebersetzung|anders waehlen");
    EXPECT_EQ(FileLines(Err())[1], "Ursache \x84");
    // unchanged: no question
    ui->Script("keep");
    ShowMessageExplanation(1);
    EXPECT_EQ(Logged("yesnocancel").size(), 1u);
}

TEST_F(Explanations, ReviewWithHelpLevelOneEndsOnEnter)
{
    settings::AddMessage("Warnung: i < 10 !");
    settings::AddMessage("Fatal  : L5-L4 = 0 !");
    ui->Script("3"); // the preselected last line
    CalcMessagesDialog();
    auto radio = Logged("radio");
    ASSERT_EQ(radio.size(), 1u);
    EXPECT_EQ(radio[0], "radio|Berechnungsmodul meldet Warnungen oder Fehler, siehe Ursache und Abhilfe.|3");
    EXPECT_EQ(settings::DialogLines[3], "Weiter/zur\x81" "ck...");
    EXPECT_EQ(help::HelpNumber, 1210);
    EXPECT_TRUE(Logged("explain").empty());
}

TEST_F(Explanations, ReviewGoesOnWithTheNextMessageAndEndsAfterTheLast)
{
    settings::HelpLevel = 2;
    settings::AddMessage("Warnung: i < 10 !");
    settings::AddMessage("Fatal  : di > de ! (input shaft)");
    ui->Script("1");
    ui->Script("keep");
    ui->Script("2");
    ui->Script("keep");
    CalcMessagesDialog();
    EXPECT_EQ(Logged("radio").size(), 2u);
    EXPECT_EQ(Logged("explain").size(), 2u);
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(Explanations, ReviewCancelEndsOnlyTheReview)
{
    settings::AddMessage("Warnung: i < 10 !");
    ui->Script("<cancel>");
    CalcMessagesDialog();
    EXPECT_FALSE(settings::AbortFlag);
    ViewErrorMessages(); // a report, since no fatal error is set
    EXPECT_EQ(Logged("viewer").size(), 1u);
}

TEST_F(Explanations, ReviewIsSilentWithoutAPersonAndWithoutMessages)
{
    CalcMessagesDialog();
    EXPECT_EQ(Logged("message").back(), "message|Meldung:|Berechnung erfolgreich ohne Fehlermeldungen");
    settings::AddMessage("Warnung: i < 10 !");
    settings::DemoRunning = true;
    ui->ClearLog();
    CalcMessagesDialog();
    EXPECT_TRUE(ui->Log().empty());
}

TEST_F(Explanations, MessageWithoutRecordIsToldInTheReview)
{
    settings::AddMessage("Warnung: unbekannt");
    settings::HelpLevel = 2;
    ui->Script("1");
    CalcMessagesDialog();
    EXPECT_EQ(Logged("message").back(), "message|Meldung|keine Beschreibung dieser Fehlermeldung vorhanden.");
}
