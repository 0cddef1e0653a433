// Documentation data: vocabulary, revision commands and protocol, title
// block and free texts, the sibling-file sections, document links.
#include "project_fixture.h"

#include "drive/doclinks.h"
#include "drive/docu_data.h"
#include "drive/docu_forms.h"
#include "drive/docu_sections.h"
#include "drive/docu_texts.h"
#include "drive/revisions.h"
#include "foundation/codepage.h"
#include "foundation/linefile.h"
#include "foundation/settings.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace kt4::projtest {
namespace {

using namespace kt4::docu;

class DocuTest : public ProjectTest {
protected:
    // The section lines that Write produces, through ReportFile.
    template <class F>
    std::vector<std::string> Section(F Write)
    {
        std::string path = dir.File("section.txt");
        ReportFile.OpenWrite(path);
        Write();
        EXPECT_TRUE(ReportFile.Close());
        return FileLines(dir.Get("section.txt"));
    }

    void AddEntry(const std::string& text, const std::string& description)
    {
        ++AendCount;
        AendList[AendCount] = {text, "2024-03-05", "mk", description};
    }

    // Registers a revision form that answers OK with V, or Cancel.
    void RevisionFormAnswers(bool ok, RevisionValues v = {})
    {
        Forms.revision = [ok, v](Word n) {
            if (ok)
                StoreRevision(n, v);
            return ok;
        };
    }

    void TearDown() override
    {
        Forms = DocuForms{};
        ProjectTest::TearDown();
    }
};

TEST_F(DocuTest, VocabularyIsGermanAtStartAndStoredInOem)
{
    EXPECT_EQ(DocuTexts.sectionTitle, DisplayToOem("ÄNDERUNGEN"));
    EXPECT_EQ(DocuTexts.modification, DisplayToOem("Änderung"));
    SetDocuTextLanguage(10); // Dutch keeps the texts it does not define
    EXPECT_EQ(DocuTexts.modification, "Verandering");
    EXPECT_EQ(DocuTexts.remarkLabel, "Zeile");
    EXPECT_EQ(DocuTexts.descriptionLabel, "Beschreibung");
    SetDocuTextLanguage(7); // no column: nothing changes
    EXPECT_EQ(DocuTexts.modification, "Verandering");
    SetDocuTextLanguage(2);
    EXPECT_EQ(DocuTexts.protocolHeader, "Protocol of changes");
}

TEST_F(DocuTest, StartValuesAndFileNew)
{
    EXPECT_EQ(ZeichInfo.Date1, "2024-03-05");
    EXPECT_EQ(ZeichInfo.Date2, "2024-03-05");
    EXPECT_EQ(ZeichInfo.Date3, "2024-03-05");
    AddEntry("x", "y");
    ZeichInfo.Name1 = "mk";
    ZeichInfo.ReplacedBy = "Z-1";
    ZeichTextCount = 2;
    ZeichTextMode = 2;
    ResetDocuData();
    EXPECT_EQ(AendCount, 0);
    EXPECT_EQ(ZeichInfo.Date1, "2024-03-05");
    EXPECT_EQ(ZeichInfo.Date2, "");
    EXPECT_EQ(ZeichInfo.Name1, "");
    EXPECT_EQ(ZeichInfo.ReplacedBy, "");
    EXPECT_EQ(ZeichTextCount, 0);
    EXPECT_EQ(ZeichTextMode, 0);
    EXPECT_EQ(AendList[1].text, "x"); // the records keep their strings
}

TEST_F(DocuTest, NewChangeStoresTheEntryAndShowsTheProtocol)
{
    RevisionFormAnswers(true, {"Bohrung", "2024-03-05", "mk", "Bohrung 8 statt 7"});
    ChangesCommand(ChangesNew);
    EXPECT_EQ(AendCount, 1);
    EXPECT_EQ(AendList[1].description, "Bohrung 8 statt 7");
    EXPECT_FALSE(Logged("showtext").empty() && Logged("viewer").empty()) << "protocol not shown";
}

TEST_F(DocuTest, CancelledNewChangeIsDroppedAndStartsEmpty)
{
    AendList[1] = {"alt", "2020-01-01", "xx", "alte Beschreibung"}; // a deleted entry
    std::string shown;
    Forms.revision = [&](Word n) {
        shown = LoadRevision(n).text + "|" + LoadRevision(n).date + "|" + LoadRevision(n).description;
        return false;
    };
    ChangesCommand(ChangesNew);
    EXPECT_EQ(shown, "|2024-03-05|");
    EXPECT_EQ(AendCount, 0);
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(DocuTest, TwentySixthChangeIsRefused)
{
    RevisionFormAnswers(true, {"t", "d", "e", "b"});
    for (int k = 0; k < 25; ++k) {
        settings::AbortFlag = false;
        ChangesCommand(ChangesNew);
    }
    ASSERT_EQ(AendCount, 25);
    ui->ClearLog();
    ChangesCommand(ChangesNew);
    EXPECT_EQ(AendCount, 25);
    auto errors = Logged("error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("Max. Änderungen = 25 !"), std::string::npos) << errors[0];
}

TEST_F(DocuTest, ModifyEditsOnlyTheLastEntryAndDeleteDropsIt)
{
    ChangesCommand(ChangesModify); // empty list: nothing
    EXPECT_EQ(AendCount, 0);
    AddEntry("a", "erste");
    AddEntry("b", "zweite");
    Word edited = 0;
    Forms.revision = [&](Word n) {
        edited = n;
        return true;
    };
    ChangesCommand(ChangesModify);
    EXPECT_EQ(edited, 2);
    ChangesCommand(ChangesDelete);
    EXPECT_EQ(AendCount, 1);
    ChangesCommand(ChangesDelete);
    ChangesCommand(ChangesDelete);
    EXPECT_EQ(AendCount, 0);
}

TEST_F(DocuTest, ChoiceDialogPicksTheAction)
{
    AddEntry("a", "erste");
    ui->Script("3"); // delete
    ChangesCommand(ChangesAsk);
    EXPECT_EQ(AendCount, 0);
    ChangesCommand(ChangesAsk); // no answer: cancelled
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(DocuTest, ProtocolIndicesAndReplacementLines)
{
    for (const char* t : {"a1", "a2", "a3"})
        AddEntry(t, "d");
    settings::ChangeIndexMode = 2;
    auto lines = ChangesProtocolLines();
    std::vector<std::string> entries;
    for (const auto& l : lines)
        if (l.kind == ProtocolLine::Text && l.text.rfind("  ", 0) == 0)
            entries.push_back(l.text);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], "  a     2024-03-05   mk       a1                  ");
    EXPECT_EQ(entries[2].substr(0, 3), "  c");
    settings::ChangeIndexMode = 1;
    EXPECT_EQ(RevisionIndex(3), "3");

    // no replacement references: their lines are left out
    std::size_t without = ChangesProtocolLines().size();
    ZeichInfo.ReplacementFor = "A-17";
    auto with = ChangesProtocolLines();
    EXPECT_EQ(with.size(), without + 2);
    EXPECT_EQ(with[3].text, DisplayToOem("Ersatz für: A-17           "));
}

TEST_F(DocuTest, ShowChangesWritesTheProtocolReport)
{
    settings::ChangeIndexMode = 2;
    AddEntry("Bohrung", "dzw 8 statt 7");
    AddEntry("Breite", "bP 5");
    ChangesCommand(ChangesShow);
    auto shown = Logged("viewer");
    ASSERT_EQ(shown.size(), 1u);
    std::ifstream in(shown[0].substr(shown[0].rfind('|') + 1), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("Index   Datum        Bearb.   Änderung"), std::string::npos) << text;
    EXPECT_NE(text.find("b     2024-03-05   mk       Breite"), std::string::npos) << text;
    EXPECT_NE(text.find(" dzw 8 statt 7"), std::string::npos);
}

TEST_F(DocuTest, ProtocolGivesAMultiLineDescriptionOneLinePerPart)
{
    AddEntry("a", "eins\r\nzwei\ndrei");
    auto lines = ChangesProtocolLines();
    std::vector<std::string> texts;
    for (const auto& l : lines)
        texts.push_back(l.text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), " zwei"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), " drei"), texts.end());
}

TEST_F(DocuTest, ChangesSectionLayout)
{
    AddEntry("Bohrung", "neu");
    ZeichInfo = {};
    ZeichInfo.Date1 = "d1";
    ZeichInfo.Name1 = "n1";
    ZeichInfo.Date2 = "d2";
    ZeichTexts[1] = {10, 20.5L, 3.5L, 0, "Text", 2};
    ZeichTextCount = 1;
    auto lines = Section(WriteChangesSection);
    std::vector<std::string> expected = {
        "\x8E" "NDERUNGEN", "1", std::string(20, '-'), "Bohrung", "2024-03-05", "mk", "neu",
        std::string(14, '-'), "d2||||||1||", "d1", "", "", "n1", "10|20.5|3.5|0|Text|2|"};
    EXPECT_EQ(lines, expected);
}

TEST_F(DocuTest, ChangesSectionWithoutFreeTextsEndsAfterName1)
{
    auto lines = Section(WriteChangesSection);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[3], "2024-03-05||2024-03-05||||0||");
    EXPECT_EQ(lines[4], "2024-03-05"); // Date1
    EXPECT_EQ(lines[7], ""); // Name1
}

// A multi-line description (CR LF from Windows, LF from the Qt edit, a lone
// CR) must not shift the one-value-per-line layout; the stored text keeps
// its line breaks.
TEST_F(DocuTest, LineBreaksInTextsNeverBreakTheSectionLayout)
{
    const std::string description = "Zeile 1\r\nZeile 2\nZeile 3\rZeile 4\n";
    AddEntry("Mehrzeilig", description);
    ZeichInfo.Name1 = "a\nb";
    auto lines = Section(WriteChangesSection);
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[6], "Zeile 1|Zeile 2|Zeile 3|Zeile 4|");
    EXPECT_EQ(lines[7], std::string(14, '-'));
    EXPECT_EQ(lines[12], "a|b");
    EXPECT_EQ(AendList[1].description, description);
}

TEST_F(DocuTest, SectionsAreOemWhateverReportWasWrittenBefore)
{
    AddEntry(DisplayToOem("Maß"), DisplayToOem("Größe"));
    auto lines = Section(WriteChangesSection);
    EXPECT_EQ(lines[3], "Ma\xE1");
    EXPECT_EQ(lines[6], "Gr\x94\xE1" "e");
}

TEST_F(DocuTest, Iso7200Section)
{
    settings::TitleBlockStandard = 1;
    ZeichTextMode = 2;
    ZeichInfo.ResponsibleDept = "KON";
    ZeichInfo.DocumentStatus = "freigegeben";
    auto lines = Section(WriteIso7200Section);
    std::vector<std::string> expected = {"ISO 7200 Header", "1", "2", "KON", "", "freigegeben", "---"};
    EXPECT_EQ(lines, expected);
}

// ---- Title block

TitleBlockValues FilledTitleBlock()
{
    TitleBlockValues v = LoadTitleBlock();
    v.replacementFor = "A-1";
    v.dates = {"01.01.2024", "02.01.2024", "03.01.2024", "04.01.2024"};
    v.names = {"Müller", "B", "C", "D"};
    v.isoFields = {"KON", "Zeichnung", "frei"};
    return v;
}

TEST_F(DocuTest, TitleBlockStoresDinRowsAndReferences)
{
    settings::TitleBlockStandard = 3;
    TitleBlockValues v = FilledTitleBlock();
    EXPECT_FALSE(v.iso);
    StoreTitleBlock(v);
    EXPECT_EQ(ZeichInfo.Name1, DisplayToOem("Müller"));
    EXPECT_EQ(ZeichInfo.Date4, "04.01.2024");
    EXPECT_EQ(ZeichInfo.ReplacementFor, "A-1");
    EXPECT_EQ(ZeichInfo.ResponsibleDept, ""); // DIN: no ISO fields
}

TEST_F(DocuTest, TitleBlockIsoLayoutStoresIsoFieldsAndHasNoRow4)
{
    for (Integer standard : {1, 2, 4}) { // 4 shows the ISO layout and stores it as well
        settings::TitleBlockStandard = standard;
        ZeichInfo = {};
        TitleBlockValues v = FilledTitleBlock();
        EXPECT_TRUE(v.iso);
        StoreTitleBlock(v);
        EXPECT_EQ(ZeichInfo.ResponsibleDept, "KON") << standard;
        EXPECT_EQ(ZeichInfo.DocumentStatus, "frei") << standard;
        EXPECT_EQ(ZeichInfo.Date4, "") << standard;
    }
}

TEST_F(DocuTest, FreeTextsArePackedAndAnEmptyGridCountsNone)
{
    TitleBlockValues v = LoadTitleBlock();
    v.freeTexts[0] = {"1", "2", "3,5", "90", "erste", "1"};
    v.freeTexts[1] = {"4", "5", "3", "0", "zweite", "2"};
    v.freeTexts[3] = {"7", "x", "3", "0", "vierte", "4"}; // row 3 left empty
    v.freeTexts[4] = {"8", "8", "8", "8", "   ", "8"};    // blanks only: no text
    StoreTitleBlock(v);
    ASSERT_EQ(ZeichTextCount, 3);
    EXPECT_EQ(ZeichTexts[1].h, 3.5L);
    EXPECT_EQ(ZeichTexts[3].text, "vierte");
    EXPECT_EQ(ZeichTexts[3].y, 0); // no number reads as 0
    EXPECT_EQ(ZeichTexts[3].layer, 4);

    StoreTitleBlock(LoadTitleBlock()); // reloading keeps them
    EXPECT_EQ(ZeichTextCount, 3);
    TitleBlockValues empty = LoadTitleBlock();
    empty.freeTexts = {};
    StoreTitleBlock(empty);
    EXPECT_EQ(ZeichTextCount, 0);
}

TEST_F(DocuTest, LongTextsAreKeptUpToTheirFieldLimits)
{
    std::string description(255, 'x');
    description[0] = '\xC3'; // "Ä" in UTF-8 takes two bytes, one in OEM
    description[1] = '\x84';
    description += "y";      // 255 characters
    StoreRevision(1, {std::string(30, 't'), "2024-03-05", "abcdefg", description});
    EXPECT_EQ(AendList[1].text, std::string(20, 't'));
    EXPECT_EQ(AendList[1].editor, "abcde");
    ASSERT_EQ(AendList[1].description.size(), 255u);
    EXPECT_EQ(AendList[1].description[0], '\x8E');

    ProjectTextsValues p;
    p.zeichName = std::string(300, 'n');
    StoreProjectTexts(p);
    EXPECT_EQ(ZeichName.size(), 300u);
}

TEST_F(DocuTest, DialogsWithoutAFormCountAsCancelled)
{
    EditTexts();
    EXPECT_TRUE(settings::AbortFlag);
    settings::AbortFlag = false;
    ShowDocumentSetup();
    EXPECT_TRUE(settings::AbortFlag);
}

// ---- Document links

TEST_F(DocuTest, DocumentLinksStartAndFileNew)
{
    EXPECT_EQ(DokuCount, 5);
    EXPECT_EQ(DokuList[3].program, "mspaint.exe");
    settings::RemarkLines = {"a", "b", "c"};
    ClearRemarkLines();
    EXPECT_EQ(settings::RemarkLines[1], "");
    EXPECT_EQ(DokuCount, 0);
    auto lines = Section(WriteDokumenteSection);
    std::vector<std::string> expected = {"Dokumente", "5", std::string(20, '-')};
    for (const char* p : {"notepad.exe", "write.exe", "mspaint.exe", "notepad.exe", "notepad.exe"})
        for (const std::string& s : {std::string(p), std::string(), std::string(14, '-')})
            expected.push_back(s);
    EXPECT_EQ(lines, expected);
    // links as the file system names them, written in code page 850
    DokuList[1] = {"/opt/\u00dcbersicht/zeig", "/home/m\u00fcller/Pr\u00fcfung.pdf"};
    lines = Section(WriteDokumenteSection);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[3], "/opt/\x9A" "bersicht/zeig");
    EXPECT_EQ(lines[4], "/home/m\x81ller/Pr\x81" "fung.pdf");
}

TEST_F(DocuTest, ExecProgPassesTheFileAsOneArgument)
{
    const std::string file = "/tmp/mein bericht; rm -rf x \"$HOME\".txt";
    EXPECT_TRUE(ExecLinkProgram("notepad.exe", file));
    ASSERT_EQ(ui->started.size(), 1u);
    EXPECT_EQ(ui->started[0], (std::vector<std::string>{"notepad.exe", file}));
    EXPECT_TRUE(ExecLinkProgram("write.exe", "")); // an empty file: no argument
    EXPECT_EQ(ui->started[1], std::vector<std::string>{"write.exe"});
    const std::string document = dir.File("mein bericht; rm -rf x.txt");
    dir.Put("mein bericht; rm -rf x.txt", "x");
    EXPECT_TRUE(ExecLinkFile(document));
    EXPECT_EQ(ui->opened, std::vector<std::string>{document});
}

TEST_F(DocuTest, FailedStartsAreReported)
{
    // a missing document: told, and no opener starts
    EXPECT_FALSE(ExecLinkFile("/nirgends/a.txt"));
    EXPECT_FALSE(ExecLinkFile("")); // nothing to open
    EXPECT_TRUE(ui->opened.empty());
    auto errors = Logged("error");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("Datei \"/nirgends/a.txt\" kann nicht ge"), std::string::npos) << errors[0];

    ui->fail = true;
    EXPECT_FALSE(ExecLinkProgram("fehlt.exe", "a.txt"));
    dir.Put("da.txt", "x");
    EXPECT_FALSE(ExecLinkFile(dir.File("da.txt"))); // the opener fails: told the same way
    errors = Logged("error");
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_NE(errors[3].find("da.txt\" kann nicht ge"), std::string::npos) << errors[3];
}

// With the real starter: a file name full of shell characters reaches the
// program as one argument, and a missing program is an error.
TEST_F(DocuTest, ProgramsStartWithoutAShell)
{
    auto real = std::make_unique<HeadlessUi>();
    real->quiet = true;
    real->launchPrograms = true;
    HeadlessUi& headless = *real;
    SetUi(std::move(real));
    const std::string target = dir.File("a b; touch injected.txt");
    EXPECT_TRUE(ExecLinkProgram("touch", target));
    for (int k = 0; k < 6000 && !std::filesystem::exists(target); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_FALSE(std::filesystem::exists(dir.File("a"))); // a shell would have split the name
    EXPECT_FALSE(ExecLinkProgram(dir.File("no-such-program"), ""));
    bool reported = false;
    for (const auto& e : headless.Log())
        reported = reported || e.rfind("error", 0) == 0;
    EXPECT_TRUE(reported);
}

} // namespace
} // namespace kt4::projtest
