// The dialog layer on the headless backend: choices, number input, file
// checks, I/O errors, the window title and the user prompt.
#include "foundation/dialogs.h"
#include "foundation/linefile.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"

#include "output_fixture.h"

#include "common/no_opener.h"

#include <filesystem>
#include <sys/stat.h>

using namespace kt4;

namespace {

class Dialogs : public kt4::testing::OutputTest {};

void FillLines(int n)
{
    for (int k = 1; k <= n; ++k)
        settings::DialogLines[static_cast<std::size_t>(k)] = "Zeile " + std::to_string(k);
}

} // namespace

TEST_F(Dialogs, ChoiceRadioUpToSevenListFromEight)
{
    FillLines(8);
    Word sel = 0;
    ui->Script("7");
    ChoiceDialog("Wahl", 7, sel);
    EXPECT_EQ(sel, 7);
    ui->Script("8");
    ChoiceDialog("Wahl", 8, sel);
    EXPECT_EQ(sel, 8);
    auto radio = Logged("radio"), list = Logged("list");
    ASSERT_EQ(radio.size(), 1u);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(radio[0], "radio|Wahl|7");
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(Dialogs, ChoiceCancelNothingChosenAndNoLines)
{
    FillLines(3);
    Integer sel = 2;
    ui->Script("<cancel>");
    ChoiceDialog("Wahl", 3, sel);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(sel, 2);

    settings::AbortFlag = false;
    ui->Script("9"); // no such line: as good as no choice
    ChoiceDialog("Wahl", 3, sel);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(sel, 2);

    settings::AbortFlag = false;
    ChoiceDialog("Wahl", 0, sel);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(Logged("radio").size() == 2u); // no dialog for an empty list
}

TEST_F(Dialogs, ChoiceShowsDisplayText)
{
    settings::DialogLines[1] = "Gr\x94\xE1" "e"; // OEM
    Integer sel = 1;
    ui->Script("1");
    ChoiceDialog("W\x84hle", 1, sel);
    EXPECT_EQ(Logged("radio")[0], "radio|Wähle|1");
}

TEST_F(Dialogs, YesNoAndAskYesNo)
{
    char a = 'N';
    ui->Script("J");
    YesNoDialog("Frage", a);
    EXPECT_EQ(a, 'J');
    EXPECT_EQ(Logged("yesno")[0], "yesno|Frage|N");
    bool b = true;
    ui->Script("N");
    AskYesNo("Frage", b);
    EXPECT_FALSE(b);
    b = true;
    AskYesNo("Frage", b); // nothing scripted: cancelled
    EXPECT_TRUE(b);
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(Dialogs, YesNoCancelBoxSetsAbortOnlyForCancel)
{
    ui->Script("N");
    EXPECT_FALSE(YesNoCancelBox("weiter ?"));
    EXPECT_FALSE(settings::AbortFlag);
    ui->Script("J");
    EXPECT_TRUE(YesNoCancelBox("weiter ?"));
    EXPECT_FALSE(YesNoCancelBox("weiter ?"));
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(Logged("yesnocancel")[0], "yesnocancel|Exzentergetriebe  KT4|weiter ?");
}

TEST_F(Dialogs, RunsWithoutAPersonTellEveryQuestionWithItsAnswer)
{
    ui->quiet = false;
    FillLines(3);
    ::testing::internal::CaptureStderr();
    ui->Script("J");
    YesNoCancelBox("Diese Werte als 0 \x81" "bernehmen ?"); // "übernehmen"
    YesNoCancelBox("weiter ?");
    Word sel = 1;
    ui->Script("2");
    ChoiceDialog("Ausgabe auf ..", 3, sel);
    std::string text = "alt";
    InputText("Name", 8, text);
    ErrorBox("Datei fehlt");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Diese Werte als 0 übernehmen ? -> Ja\n"), std::string::npos) << err;
    EXPECT_NE(err.find("weiter ? -> Abbrechen\n"), std::string::npos) << err;
    EXPECT_NE(err.find("Ausgabe auf .. -> Zeile 2\n"), std::string::npos) << err;
    EXPECT_NE(err.find("Name -> Abbrechen\n"), std::string::npos) << err;
    EXPECT_NE(err.find("Datei fehlt"), std::string::npos) << err;
}

TEST_F(Dialogs, BoxesByKindAndErrorBoxesOff)
{
    MessageBoxKind("a", BoxKindError);
    MessageBoxKind("b", BoxKindHelp);
    NoticeText("c");
    ErrorBox("d");
    settings::ShowErrorBoxes = false;
    ErrorBox("unterdrückt");
    ErrorBoxAlways("e");
    const auto& log = ui->Log();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], "error|Fehler : |a");
    EXPECT_EQ(log[1], "help|Hilfe|b");
    EXPECT_EQ(log[2], "message|Meldung:|c");
    EXPECT_EQ(log[3], "error|Fehler : |d");
    EXPECT_EQ(log[4], "error|Fehler : |e");
}

TEST_F(Dialogs, InvalidNumberIsRefusedAndAskedAgain)
{
    Real x = 5;
    for (const char* typed : {"3.5 x", "1,234,5", "", "abc", " 7,25 "})
        ui->Script(typed);
    InputReal("Breite", x, 0, 100);
    EXPECT_EQ(x, 7.25L);
    EXPECT_FALSE(settings::AbortFlag);
    auto errors = Logged("error");
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_EQ(errors[0], "error|Fehler : |Ungültige Eingabe \"3.5 x\" !");
    EXPECT_EQ(errors[1], "error|Fehler : |Ungültige Eingabe \"1,234,5\" !");
    EXPECT_EQ(Logged("beep").size(), 4u);
    // every repetition shows the value before the dialog again
    for (const auto& t : Logged("text"))
        EXPECT_EQ(t, "text|Breite|5");
}

TEST_F(Dialogs, ValueOutsideTheRangeIsAskedAgainBoundsIncluded)
{
    Real x = 5;
    ui->Script("101");
    ui->Script("100");
    InputReal("Breite", x, 0, 100);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(Logged("error")[0], "error|Fehler : |Gültiger Wertebereich: 0 .. 100 !");
    // error boxes of the input are shown even when boxes are off
    settings::ShowErrorBoxes = false;
    ui->Script("-1");
    ui->Script("0");
    InputReal("Breite", x, 0, 100);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(Logged("error").size(), 2u);
}

TEST_F(Dialogs, CancelLeavesTheValueAndNothingBlocks)
{
    Real x = 5;
    ui->Script("500"); // out of range, then nothing more: cancelled
    InputReal("Breite", x, 0, 100);
    EXPECT_EQ(x, 5);
    EXPECT_TRUE(settings::AbortFlag);
    Integer n = 3;
    InputInteger("Anzahl", n, 1, 9);
    EXPECT_EQ(n, 3);
}

TEST_F(Dialogs, UnchangedTextKeepsTheValueExactly)
{
    Real x = 12.3456789L;
    ui->Script(RealStr(x)); // OK on the shown text, which is rounded
    InputReal("Wert", x, 0, 100);
    EXPECT_EQ(x, 12.3456789L);
}

TEST_F(Dialogs, IntegersAndWords)
{
    Integer n = 3;
    ui->Script("2.5");
    ui->Script("12");
    ui->Script("4");
    InputInteger("Anzahl", n, 9, 1); // bounds swapped
    EXPECT_EQ(n, 4);
    auto errors = Logged("error");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1], "error|Fehler : |Gültiger Wertebereich: 1 .. 9 !");
    Word w = 1;
    ui->Script("3");
    InputWord("Port", w, 1, 3);
    EXPECT_EQ(w, 3);
}

TEST_F(Dialogs, LengthInInchReturnsMillimetres)
{
    settings::UnitSystem = 1;
    Real x = 25.4L * 2;
    ui->Script("3");
    InputLength("Breite", x, 0, 254);
    EXPECT_NEAR(static_cast<double>(x), 76.2, 1e-12);
    EXPECT_EQ(Logged("text")[0], "text|Breite [inch]|2");

    Real y = 33.3333333L; // unchanged or cancelled: bit-identical
    ui->Script(RealStr(MmToInch(y)));
    InputLength("Breite", y, 0, 254);
    EXPECT_EQ(y, 33.3333333L);
    InputLength("Breite", y, 0, 254);
    EXPECT_EQ(y, 33.3333333L);

    settings::UnitSystem = 0;
    settings::AbortFlag = false;
    ui->Script("4");
    InputLength("Breite", y, 0, 254);
    EXPECT_EQ(y, 4);
    EXPECT_EQ(Logged("text").back(), "text|Breite [mm]|" + RealStr(33.3333333L));
}

TEST_F(Dialogs, TextInputConvertsAndKeepsOnCancel)
{
    std::string s = "alt";
    ui->Script("Ω Maß"); // refused: asked again
    ui->Script("Maß");
    InputText("Text", 10, s);
    EXPECT_EQ(s, "Ma\xE1");
    ASSERT_FALSE(Logged("error").empty());
    EXPECT_NE(Logged("error").back().find("Zeichen nicht darstellbar: Ω"), std::string::npos);
    InputText("Text", 10, s);
    EXPECT_EQ(s, "Ma\xE1");
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(Dialogs, CheckOutputFileRefusesDotsAndAsks)
{
    CheckOutputFile(dir.File("a.b.kt4"));
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_NE(Logged("message")[0].find("a.b.kt4 not allowed (too many dots)!"), std::string::npos);

    settings::AbortFlag = false;
    dir.Put("alt.kt4", "Inhalt");
    ui->Script("N");
    CheckOutputFile(dir.File("alt.kt4"));
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(help::HelpNumber, 3055);
    EXPECT_EQ(Logged("yesnocancel")[0], "yesnocancel|Exzentergetriebe  KT4|" + dir.File("alt.kt4") +
                                           " existiert bereits.   überschreiben ?");

    // agreeing to overwrite leaves the old content until the new is written
    settings::AbortFlag = false;
    ui->Script("J");
    CheckOutputFile(dir.File("alt.kt4"));
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(dir.Get("alt.kt4"), "Inhalt");

    // "aktuell" and AskOverwrite off: no question, and still untouched
    dir.Put("aktuell.kt4", "bleibt");
    CheckOutputFile(dir.File("aktuell.kt4"));
    dialogs::AskOverwrite = false;
    CheckOutputFile(dir.File("alt.kt4"));
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(Logged("yesnocancel").size(), 2u);
    EXPECT_EQ(dir.Get("aktuell.kt4"), "bleibt");

    // a new name is tried and leaves nothing behind
    CheckOutputFile(dir.File("neu.kt4"));
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_FALSE(std::filesystem::exists(dir.File("neu.kt4")));
}

TEST_F(Dialogs, CheckOutputFileRefusesUnwritableNames)
{
    CheckOutputFile(dir.File("fehlt/neu.kt4"));
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(Logged("error").back(), "error|Fehler : |Ungültiger Dateiname \"" + dir.File("fehlt/neu.kt4") + "\" !");
    // a folder is no file name
    settings::AbortFlag = false;
    CheckOutputFile(dir.Path());
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(Dialogs, CheckOutputFileLeavesAReadOnlyFileAlone)
{
    dialogs::AskOverwrite = false;
    dir.OpenToAll();
    dir.Put("nur_lesen.kt4", "x");
    ::chmod(dir.File("nur_lesen.kt4").c_str(), 0444);
    EXPECT_EQ(kt4::testing::AsUserNobody([&] {
                  CheckOutputFile(dir.File("nur_lesen.kt4"));
                  return settings::AbortFlag ? 0 : 1;
              }),
              0);
    EXPECT_EQ(dir.Get("nur_lesen.kt4"), "x");
}

TEST_F(Dialogs, SaveNameChangesFolderAndNameOnlyAfterTheCheck)
{
    std::filesystem::create_directory(dir.File("neu"));
    settings::CurrentFileName = "alt";
    settings::DataDir = dir.Path() + "daten";
    std::string full;
    dir.Put("neu/projekt.kt4", "x");
    ui->Script(dir.File("neu/projekt.kt4"));
    ui->Script("N"); // do not overwrite
    GetSaveFileName("", full);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(settings::DataDir, dir.Path() + "daten");
    EXPECT_EQ(settings::CurrentFileName, "alt");

    settings::AbortFlag = false;
    ui->Script(dir.File("neu/zwei"));
    GetSaveFileName("", full);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(full, dir.Path() + "neu/zwei.kt4");
    EXPECT_EQ(settings::DataDir, dir.Path() + "neu");
    EXPECT_EQ(settings::CurrentFileName, "zwei");

    GetSaveFileName("drei", full);
    EXPECT_EQ(full, dir.Path() + "neu/drei.kt4");
    dir.Put("vier.dat", "x"); // opened under another extension: saved as it is
    GetSaveFileName(dir.File("vier.dat"), full);
    EXPECT_EQ(full, dir.File("vier.dat"));
}

TEST_F(Dialogs, SaveNamesKeepDotsAndTheCaseOnDisk)
{
    dialogs::AskOverwrite = false;
    settings::DataDir = dir.Path();
    dir.Put("proj.v2.kt4", "x");
    dir.Put("GROSS.KT4", "x");
    std::string full;
    const struct {
        const char* name;
        const char* file;
    } cases[] = {{"proj.v2", "proj.v2.kt4"}, {"GROSS", "GROSS.KT4"},
                 {"gross", "GROSS.KT4"},     {"neu", "neu.kt4"}};
    for (const auto& c : cases) {
        settings::AbortFlag = false;
        GetSaveFileName(c.name, full);
        EXPECT_FALSE(settings::AbortFlag) << c.name;
        EXPECT_EQ(full, dir.File(c.file)) << c.name;
    }
    // the dialog: chosen "GROSS.KT4" keeps its case, and the preset is the
    // bare name with the extension of what is written
    settings::CurrentFileName = "beispiel1.kt4";
    ui->Script(dir.File("GROSS.KT4"));
    GetSaveFileName("", full);
    EXPECT_EQ(full, dir.File("GROSS.KT4"));
    EXPECT_EQ(settings::CurrentFileName, "GROSS");
    settings::CurrentFileName = "beispiel1.kt4";
    ui->Script("<cancel>");
    AskSaveFileName("qov", dir.Path());
    EXPECT_EQ(Logged("save").back(), "save||" + dir.Path().substr(0, dir.Path().size() - 1) +
                                         "|*.qov|*.qov|beispiel1.qov");
}

TEST_F(Dialogs, ArchiveModeRefusesSaving)
{
    settings::FileNameHasDir = true;
    settings::ArchiveMode = true;
    std::string full;
    GetSaveFileName("x", full);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_NE(Logged("error")[0].find("Archivierungsmodus nicht möglich"), std::string::npos);
    settings::ArchiveMode = false;
    settings::AbortFlag = false;
    GetSaveFileName("x", full);
    EXPECT_FALSE(settings::FileNameHasDir);
}

TEST_F(Dialogs, BrowseFiles)
{
    std::string d = dir.Path(), name;
    ui->Script("/daten/bilder/getriebe.plt");
    BrowseFileInDir(0, d, "*.plt", name);
    EXPECT_EQ(d, "/daten/bilder");
    EXPECT_EQ(name, "getriebe");
    ui->Script("/daten/x.kt4.bak");
    BrowseFileInDir(4, d, "*.*", name);
    EXPECT_EQ(settings::DataFileExt, "kt4.bak");
    BrowseFileInDir(5, d, "*.*", name);
    EXPECT_EQ(name, "");
    EXPECT_TRUE(settings::AbortFlag);
    std::string nn;
    BrowseFileName("/a/b.txt", "*.txt", nn);
    EXPECT_EQ(nn, "/a/b.txt");
    std::string folder;
    BrowseFolder("/nirgends", folder);
    EXPECT_EQ(folder, "/nirgends");
}

TEST_F(Dialogs, IoErrorsAndRetryGivesUpHeadless)
{
    LineFile f;
    f.Assign(dir.File("fehlt/x.txt"));
    EXPECT_FALSE(RewriteChecked(f));
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(Logged("error").back(), "error|Fehler : |file write error (No such file or directory): " +
                                          dir.File("fehlt/x.txt") + " wurde nicht geschrieben.");

    settings::AbortFlag = false;
    EXPECT_FALSE(RewriteRetry(f)); // nothing scripted: give up at once
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_NE(Logged("yesnocancel").back().find("I/O-Error 2"), std::string::npos);

    settings::AbortFlag = false;
    f.Assign(dir.File("x.txt"));
    EXPECT_TRUE(RewriteRetry(f));
    WriteTextChecked(f, "abc");
    EXPECT_TRUE(CloseChecked(f));
    EXPECT_EQ(dir.Get("x.txt"), "abc");
    CheckFileReadable(dir.File("fehlt.txt"));
    EXPECT_EQ(Logged("error").back(),
              "error|Fehler : |Datei " + dir.File("fehlt.txt") + " nicht gefunden oder kein Zugriffsrecht !");
    EXPECT_EQ(IoErrorText(100), "Lesefehler");
    EXPECT_EQ(IoErrorText(106), "Falsches numerisches Format");
}

TEST_F(Dialogs, WindowTitle)
{
    std::string t;
    settings::CurrentFileName.clear();
    MakeWindowTitle(t);
    EXPECT_EQ(t, "Exzentergetriebe  KT4   V 1.1");
    settings::CurrentFileName = "getriebe";
    MakeWindowTitle(t);
    EXPECT_EQ(t, "Exzentergetriebe  KT4  -  getriebe.kt4");
    settings::CurrentFileName = "x.KT4";
    MakeWindowTitle(t);
    EXPECT_EQ(t, "Exzentergetriebe  KT4  -  x.KT4");
    EXPECT_EQ(Logged("title").back(), "title||Exzentergetriebe  KT4  -  x.KT4");
    settings::CurrentFileName = "proj.v2"; // a dot alone is no extension
    MakeWindowTitle(t);
    EXPECT_EQ(t, "Exzentergetriebe  KT4  -  proj.v2.kt4");
    // a project read from a file of another extension is saved there
    dir.Put("c.dxf", "x");
    settings::CurrentFileName = dir.File("c.dxf");
    MakeWindowTitle(t);
    EXPECT_EQ(t, "Exzentergetriebe  KT4  -  " + dir.File("c.dxf"));
}

TEST_F(Dialogs, UserWordNamesOneFolderBelowTheDefaultFolder)
{
    std::filesystem::create_directory(dir.File("meier"));
    settings::DefaultDataDir = dir.Path();
    const auto cwd = std::filesystem::current_path();
    ui->Script("  meier  ");
    EXPECT_TRUE(EnterUserPassword());
    EXPECT_EQ(settings::DataDir, dir.File("meier"));
    EXPECT_EQ(std::filesystem::current_path(), cwd);
    EXPECT_EQ(help::HelpNumber, 1120);

    for (const char* bad : {"..", "\\", "a/b", "c:x", ".", "nichtda"}) {
        ui->Script(bad);
        EXPECT_FALSE(EnterUserPassword()) << bad;
    }
    EXPECT_EQ(settings::DataDir, dir.File("meier"));
    // blanks only count as no word: asked again, then cancelled
    ui->Script("              ");
    EXPECT_FALSE(EnterUserPassword());
    EXPECT_EQ(Logged("text").size(), 9u);
}

// A written file the desktop cannot open is named with its full path, so
// that the user can open it by hand.
TEST_F(Dialogs, FailedOpenOfAWrittenFileNamesItsFullPath)
{
    EXPECT_TRUE(OpenWrittenFile("a.csv"));
    ui = kt4::testing::UseNoOpener();
    EXPECT_FALSE(OpenWrittenFile("out/../b.csv", "Could not start Excel"));
    EXPECT_FALSE(OpenWrittenFile(dir.File("c.dxf")));
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(ui->Log(), (std::vector<std::string>{
                             "opendoc||out/../b.csv",
                             "error|Fehler : |Could not start Excel\nDatei " + cwd +
                                 "/b.csv wurde geschrieben; sie kann nicht zum Ansehen geöffnet werden.",
                             "opendoc||" + dir.File("c.dxf"),
                             "message|Meldung:|Datei " + dir.File("c.dxf") +
                                 " wurde geschrieben; sie kann nicht zum Ansehen geöffnet werden."}));
}
