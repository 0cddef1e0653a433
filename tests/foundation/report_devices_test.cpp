// The output devices of the report writer: files written, names, hand-over.
#include "foundation/codepage.h"
#include "foundation/report.h"
#include "foundation/textprint.h"

#include "common/no_opener.h"
#include "common/pty_port.h"
#include "output_fixture.h"

#include <filesystem>
#include <set>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>

using namespace kt4;
using kt4::testing::FileLines;

namespace {

class ReportDevices : public kt4::testing::OutputTest {
protected:
    void WriteSample()
    {
        ReportPageHeader(0, 0);
        ReportLine("Gr\x94\xE1" "e < 5 & > 2"); // "Größe" in OEM
        ReportRow4("Leistung", "P", "kW", "1.5");
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir.File(name)); }
};

} // namespace

TEST_F(ReportDevices, ScreenShowsTheDisplayCopyAndErasesTheTemporaryFile)
{
    OpenReport(DevScreen, "demo");
    const std::string temp = report::ReportFileName;
    EXPECT_EQ(temp, TempFile("$OUT1.TMP"));
    WriteSample();
    CloseReport();
    EXPECT_FALSE(std::filesystem::exists(temp));
    auto viewer = Logged("viewer");
    ASSERT_EQ(viewer.size(), 1u);
    EXPECT_EQ(viewer[0], "viewer|" + temp + "|" + TempFile("outwin.txt"));
    EXPECT_NE(TempGet("outwin.txt").find("Größe < 5 & > 2"), std::string::npos);
}

TEST_F(ReportDevices, TemporaryNamesAreNeverShared)
{
    for (int n = 1; n <= 10; ++n)
        std::ofstream(TempFile("$OUT" + std::to_string(n) + ".TMP")) << "old";
    OpenReport(DevPrinter, "demo");
    EXPECT_EQ(report::ReportFileName, TempFile("$OUT11.TMP"));
    ReportFile.Discard();
    // another report while the first name is still taken
    OpenReport(DevPrinter, "demo");
    EXPECT_EQ(report::ReportFileName, TempFile("$OUT12.TMP"));
    EXPECT_EQ(TempGet("$OUT1.TMP"), "old");
}

TEST_F(ReportDevices, PrinterPrintsAOnePageReportWithoutFormFeed)
{
    OpenReport(DevPrinter, "demo");
    const std::string temp = report::ReportFileName;
    ReportLine("nur eine Zeile");
    CloseReport();
    auto printed = Logged("print");
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0], "print|" + temp + "|1..1");
    EXPECT_FALSE(std::filesystem::exists(temp));
}

TEST_F(ReportDevices, PrintingAFileWithoutPagesOrWithoutFileIsTold)
{
    dir.Put("leer.txt", "\f\r\n  \r\n");
    EXPECT_FALSE(PrintTextFile(dir.File("leer.txt")));
    EXPECT_FALSE(PrintTextFile(dir.File("fehlt.txt")));
    EXPECT_TRUE(Logged("print").empty());
    auto messages = Logged("message");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("Nichts zu drucken"), std::string::npos);
    EXPECT_NE(messages[1].find("fehlt.txt not found !"), std::string::npos);
    dir.Put("drei.txt", "1\r\n\f\r\n2\r\n\f\r\n3\r\n");
    EXPECT_TRUE(PrintTextFile(dir.File("drei.txt")));
    EXPECT_EQ(Logged("print").back(), "print|" + dir.File("drei.txt") + "|1..3");
}

TEST_F(ReportDevices, OutDosKeepsOemAndCopiesForDisplay)
{
    SetReportHeader("OUTDOS", "", "", "", "", 0);
    OpenReport(DevOutDos, "demo");
    WriteSample();
    CloseReport();
    EXPECT_NE(dir.Get("OUTDOS.TXT").find("Gr\x94\xE1" "e"), std::string::npos);
    EXPECT_NE(TempGet("outwin.txt").find("Größe"), std::string::npos);
    EXPECT_TRUE(settings::ShowErrorBoxes);
}

TEST_F(ReportDevices, HeadlessRunsKeepErrorBoxesOff)
{
    settings::ShowErrorBoxes = false;
    OpenReport(DevOutDos, "demo");
    CloseReport();
    EXPECT_FALSE(settings::ShowErrorBoxes);
}

TEST_F(ReportDevices, TxtIsTabSeparatedWithoutRulesAndNumbered)
{
    settings::OutputFileCounter = 4;
    settings::RemarkLines = {"Bemerkung 1", "", ""};
    OpenReport(DevTxt, "demo");
    EXPECT_EQ(report::ReportFileName, TempFile("$$$5.txt"));
    ReportPageHeader(0, 0);
    ReportLine(ThinRuleLine());
    ReportLine(ThickRuleLine());
    ReportRow4("Leistung", "P", "kW", "1.5");
    ReportRow5("Kraft", "F", "N", "100", "200");
    ReportPageHeader(0, 0); // no second header
    CloseReport();
    EXPECT_EQ(settings::OutputFileCounter, 5);
    auto lines = FileLines(dir.Get("$$5.txt"));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "Exzentergetriebe  KT4 V1.1\t2002-03-05\t9:05");
    EXPECT_EQ(lines[1], dir.File("$$5.txt")); // the file the report ends up in
    EXPECT_EQ(lines[2], "Bemerkung 1");
    EXPECT_EQ(lines[5], " ");
    EXPECT_EQ(lines[6], "Leistung\tP\tkW\t1.5");
    EXPECT_EQ(lines[7], "Kraft\tF\tN\t100\t200");
}

TEST_F(ReportDevices, TxtBesideTheDataFile)
{
    settings::CurrentFileName = "getriebe";
    OpenReport(DevTxtBesideData, "demo");
    ReportPageHeader(0, 0);
    ReportLine("Zeile");
    CloseReport();
    auto lines = FileLines(dir.Get("getriebe.txt"));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1], dir.File("getriebe.txt")); // the file it ends up in
    EXPECT_EQ(lines[6], "Zeile");
}

// TempDir is shared: the names only this run uses live in its private
// folder; the files the user keeps there ("$$k.txt", "OUTDOS.TXT") are
// never written through a name another user planted.
TEST_F(ReportDevices, NamesOtherUsersPlantInTheSharedFolderAreNeverWritten)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a second user needs root";
    dir.Put("ziel.txt", "Ziel"); // this user's file
    dir.Put("$$$1.txt", "fremd");
    ::chmod(dir.Path().c_str(), 01777);
    ASSERT_EQ(kt4::testing::AsUserNobody([&] {
                  for (const char* name : {"outwin.txt", "OUTDOS.TXT", "$$1.txt", "kt4.htm", "$OUT1.TMP"})
                      if (::symlink(dir.File("ziel.txt").c_str(), dir.File(name).c_str()) != 0)
                          return 1;
                  dir.Put("$$2.txt", "von nobody");
                  return 0;
              }),
              0);
    settings::CurrentFileName = "projekt";
    settings::HtmlBrowser = "true";
    for (TReportDevice dev : {DevScreen, DevTxtBesideData, DevHtml, DevPrinter}) {
        settings::AbortFlag = false;
        OpenReport(dev, "demo");
        ASSERT_FALSE(settings::AbortFlag) << dev;
        ReportLine("Bericht");
        CloseReport();
        EXPECT_FALSE(settings::AbortFlag) << dev;
    }
    EXPECT_TRUE(Logged("error").empty());
    const std::string link = "Verknüpfung nicht verfolgt, andere Benutzer dürfen Namen in ihrem Ordner verschieben";
    const std::string file = "Name im gemeinsamen Ordner von einem anderen Benutzer belegt";
    const std::tuple<TReportDevice, Integer, const char*, const std::string&> taken[] = {
        {DevOutDos, 0, "OUTDOS.TXT", link}, {DevTxt, 0, "$$1.txt", link}, {DevTxt, 1, "$$2.txt", file}};
    for (const auto& [dev, counter, name, why] : taken) {
        settings::AbortFlag = false;
        settings::OutputFileCounter = counter;
        OpenReport(dev, "demo");
        EXPECT_TRUE(settings::AbortFlag) << name;
        EXPECT_EQ(Logged("error").back(), "error|Fehler : |" + why + ": " + dir.File(name) + " wurde nicht geschrieben.");
        CloseReport();
    }
    settings::AbortFlag = false;
    settings::OutputFileCounter = 2;
    OpenReport(DevTxt, "demo"); // a free name
    ReportLine("Bericht");
    CloseReport();
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(dir.Get("ziel.txt"), "Ziel");
    EXPECT_EQ(dir.Get("$$$1.txt"), "fremd");
    EXPECT_EQ(dir.Get("$$2.txt"), "von nobody");
    const std::string folder = PrivateTempDir();
    EXPECT_EQ(folder.rfind(dir.Path(), 0), 0u);
    struct stat st {};
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_NE(TempGet("outwin.txt").find("Bericht"), std::string::npos);
    RemovePrivateTempDir();
    std::set<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        left.insert(e.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"$$$1.txt", "ziel.txt", "outwin.txt", "OUTDOS.TXT", "$$1.txt", "$$2.txt",
                                           "$$3.txt", "kt4.htm", "$OUT1.TMP", "projekt.txt"}));
}

TEST_F(ReportDevices, AFailedDisplayCopyIsToldAndOpensNoViewer)
{
    std::filesystem::create_directory(TempFile("outwin.txt"));
    OpenReport(DevScreen, "demo");
    const std::string temp = report::ReportFileName;
    ReportLine("x");
    CloseReport();
    EXPECT_TRUE(Logged("viewer").empty());
    ASSERT_EQ(Logged("error").size(), 1u);
    EXPECT_NE(Logged("error")[0].find(TempFile("outwin.txt")), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(temp));
}

TEST_F(ReportDevices, HtmlIsEscapedUtf8WithCharset)
{
    settings::HtmlBrowser = "true"; // found in PATH
    SetReportHeader("Titel <1>", "Kopf & Zeile", "", "", "", 0);
    SetReportColumns("Wert", "Zeichen", "Einheit", "1", "2");
    OpenReport(DevHtml, "demo");
    EXPECT_EQ(report::ReportFileName, TempFile("kt4.htm"));
    WriteSample();
    ReportLine("zwischen");
    ReportRow5("Kraft", "F", "N", "<100>", "200");
    ReportLine("danach");
    CloseReport();
    const std::string html = TempGet("kt4.htm");
    EXPECT_NE(html.find("<head><meta charset=\"utf-8\"><title>Exzentergetriebe  KT4 V1.1</title></head>"),
              std::string::npos);
    EXPECT_NE(html.find("<h5>Kopf &amp; Zeile</h5>"), std::string::npos);
    EXPECT_NE(html.find("<br>Größe &lt; 5 &amp; &gt; 2"), std::string::npos);
    EXPECT_NE(html.find("<TABLE BORDER = \"2\" WIDTH= \"100%\">"), std::string::npos);
    EXPECT_NE(html.find("<TD><DIV ALIGN=RIGHT>1.5</DIV></TD></TR>"), std::string::npos);
    // the row of five opens its table with the column headings
    EXPECT_NE(html.find("<TR><TD><CENTER>Wert</CENTER></TD><TD>Zeichen</TD>"), std::string::npos);
    EXPECT_NE(html.find("<TD>&lt;100&gt;</TD>"), std::string::npos);
    // a plain line closes the open table first
    EXPECT_NE(html.find("</TABLE>\r\n<br>danach"), std::string::npos);
    EXPECT_NE(html.find("</BODY>\r\n</HTML>\r\n"), std::string::npos);
    EXPECT_EQ(Logged("start").back(), "start|true| " + TempFile("kt4.htm"));
}

TEST_F(ReportDevices, HtmlWithoutBrowserIsSavedAndOpenedWithTheDesktop)
{
    const std::string dataDir = settings::DataDir;
    ui->Script(dir.File("bericht.htm"));
    OpenReport(DevHtml, "demo");
    EXPECT_EQ(report::ReportFileName, dir.Path() + "bericht.htm");
    ReportLine("x");
    CloseReport();
    EXPECT_EQ(Logged("opendoc").back(), "opendoc||" + dir.Path() + "bericht.htm");
    EXPECT_EQ(settings::DataFileExt, "kt4");
    EXPECT_EQ(settings::DataDir, dataDir);

    // no desktop opener: the box says the report was written, and where
    ui = kt4::testing::UseNoOpener();
    ui->Script(dir.File("bericht2.htm"));
    OpenReport(DevHtml, "demo");
    ReportLine("x");
    CloseReport();
    EXPECT_EQ(Logged("error"), std::vector<std::string>{});
    EXPECT_EQ(Logged("message"), std::vector<std::string>{"message|Meldung:|Datei " + dir.Path() +
                                                        "bericht2.htm wurde geschrieben; sie kann nicht "
                                                        "zum Ansehen geöffnet werden."});
}

TEST_F(ReportDevices, FileDeviceLeavesTheProjectFolderAlone)
{
    std::filesystem::create_directory(dir.File("anderswo"));
    settings::CurrentFileName = "projekt";
    const std::string dataDir = settings::DataDir;
    ui->Script(dir.File("anderswo/ausdruck.txt"));
    OpenReport(DevFile, "demo");
    ASSERT_FALSE(settings::AbortFlag);
    ReportLine("Inhalt \x84"); // "ä"
    CloseReport();
    EXPECT_EQ(FileLines(dir.Get("anderswo/ausdruck.txt")), std::vector<std::string>{"       Inhalt \x84"});
    EXPECT_NE(TempGet("outwin.txt").find("Inhalt ä"), std::string::npos);
    EXPECT_EQ(settings::DataDir, dataDir);
    EXPECT_EQ(settings::CurrentFileName, "projekt");

    // a device chosen as the file takes the report; nothing is read back
    std::filesystem::create_symlink("/dev/null", dir.File("drucker.txt"));
    dialogs::AskOverwrite = false;
    ui->Script(dir.File("drucker.txt"));
    OpenReport(DevFile, "demo");
    ReportLine("Inhalt");
    CloseReport();
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_TRUE(ReportDelivered());
    EXPECT_TRUE(Logged("error").empty());
}

TEST_F(ReportDevices, AFullDiskKeepsTheOldFileAndIsTold)
{
    dir.Put("ausdruck.txt", "alter Ausdruck");
    dialogs::AskOverwrite = false;
    ui->Script(dir.File("ausdruck.txt"));
    OpenReport(DevFile, "demo");
    ASSERT_FALSE(settings::AbortFlag);
    {
        kt4::testing::FileSizeLimit limit(64);
        for (int k = 0; k < 2000; ++k)
            ReportLine("Zeile " + std::to_string(k));
        CloseReport();
    }
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(dir.Get("ausdruck.txt"), "alter Ausdruck");
    EXPECT_EQ(Logged("error").back(),
              "error|Fehler : |file write error (File too large): " + dir.File("ausdruck.txt") + " wurde nicht geschrieben.");
    EXPECT_FALSE(std::filesystem::exists(TempFile("outwin.txt")));
}

TEST_F(ReportDevices, CancelledSaveDialogWritesNothing)
{
    OpenReport(DevFile, "demo");
    EXPECT_TRUE(settings::AbortFlag);
    CloseReport();
    EXPECT_EQ(dir.Count(), 0u);
}

TEST_F(ReportDevices, ExternalTextProgram)
{
    settings::TextProgram = "true";
    OpenReport(DevTextProgram, "demo");
    const std::string temp = report::ReportFileName;
    ReportLine("x");
    CloseReport();
    EXPECT_EQ(Logged("start").back(), "start|true| " + TempFile("outwin.txt"));
    EXPECT_FALSE(std::filesystem::exists(temp));

    settings::TextProgram = "kein-solches-programm";
    OpenReport(DevTextProgram, "demo");
    ReportLine("y");
    CloseReport();
    EXPECT_EQ(Logged("error").back(), "error|Fehler : |kein-solches-programm not found");
    EXPECT_NE(TempGet("outwin.txt").find("y"), std::string::npos); // the report is not lost

    settings::TextProgram.clear();
    OpenReport(DevTextProgram, "demo");
    CloseReport();
    EXPECT_EQ(Logged("opendoc").back(), "opendoc||" + TempFile("outwin.txt"));
}

TEST_F(ReportDevices, DeviceZeroAndGarbledDevicesFallBackToTheScreen)
{
    settings::TextDevice = 0;
    OpenReport(DevAsk, "demo");
    EXPECT_EQ(GetReportDevice(), DevScreen);
    settings::TextDevice = 12;
    OpenReport(DevAsk, "demo");
    EXPECT_EQ(GetReportDevice(), DevScreen);
    OpenReport(17, "demo");
    EXPECT_EQ(GetReportDevice(), DevScreen);
    ReportFile.Discard();
}

TEST_F(ReportDevices, DeviceChoiceWhenAsked)
{
    settings::TextDevice = 9; // outside the list: item 1 preselected
    settings::TextDeviceDialog = true;
    ui->Script("6");
    ui->Script(dir.File("tabelle.txt"));
    OpenReport(DevAsk, "demo");
    EXPECT_EQ(GetReportDevice(), DevTxt);
    EXPECT_EQ(report::ReportFileName, dir.File("tabelle.txt"));
    EXPECT_EQ(settings::DialogLines[1], "Bildschirm");
    EXPECT_EQ(settings::DialogLines[7], "HTML Datei");
    EXPECT_EQ(help::HelpNumber, 1070);
    ReportFile.Discard();

    ui->Script("<cancel>");
    OpenReport(DevAsk, "demo");
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(ReportDevices, TextPrinterPortGetsStartFileAndFormFeeds)
{
    kt4::test::PtyPort port;
    ASSERT_FALSE(port.Path().empty());
    report::PrinterPortPaths[2] = port.Path();
    settings::PrinterPort = 2;
    settings::LinesPerPage = 22;
    dir.Put("TEXT.HXP", "\x1B(s10H");
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    ui->Script("N"); // no pause
    OpenReport(DevTextPrinter, "demo");
    EXPECT_FALSE(report::ReportPause);
    ReportPageHeader(0, 0);
    for (int k = 0; k < 20; ++k)
        ReportLine("z");
    CloseReport();
    std::filesystem::current_path(cwd);
    const std::string sent = port.Received();
    EXPECT_EQ(sent.rfind("\x1B(s10H", 0), 0u);
    EXPECT_NE(sent.find("\f       "), std::string::npos); // form feed without line end
}

// The text printer writes only to a character device; a missing port is
// told with its name and nothing is created where it should be, nor does
// any other writer create a file in the device folder (a scratch folder
// stands in for /dev).
TEST_F(ReportDevices, TheTextPrinterNeedsItsDevice)
{
    struct DeviceFolder {
        explicit DeviceFolder(const std::string& dir) { AtomicWriter::DeviceFolder() = dir; }
        ~DeviceFolder() { AtomicWriter::DeviceFolder() = "/dev"; }
    } standIn(dir.File("dev"));
    std::filesystem::create_directory(dir.File("dev"));
    dir.Put("dev/lp1", "kein Anschluss");
    report::PrinterPortPaths[1] = dir.File("dev/lp0");
    report::PrinterPortPaths[2] = dir.File("dev/lp1");
    for (Integer p : {1, 2}) {
        settings::AbortFlag = false;
        settings::PrinterPort = p;
        OpenReport(DevTextPrinter, "demo");
        EXPECT_TRUE(settings::AbortFlag);
        EXPECT_EQ(Logged("error").back(),
                  "error|Fehler : |Druckerschnittstelle " + report::PrinterPortPaths[p] + " nicht vorhanden");
        CloseReport();
    }
    EXPECT_TRUE(Logged("yesnocancel").empty()); // no pause question for a missing port
    LineFile f;
    EXPECT_FALSE(f.OpenWrite(dir.File("dev/lp0")));
    AtomicWriter w;
    EXPECT_FALSE(w.Open(dir.File("dev/neu")));
    EXPECT_EQ(w.Refused(), AtomicWriter::Refusal::NotAFile);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("dev")), {}), 1);
    EXPECT_EQ(dir.Get("dev/lp1"), "kein Anschluss");

    // a port this user may not write
    kt4::test::PtyPort port;
    report::PrinterPortPaths[3] = port.Path();
    settings::PrinterPort = 3;
    const int code = kt4::testing::AsUserNobody([&] {
        settings::AbortFlag = false;
        OpenReport(DevTextPrinter, "demo");
        return settings::AbortFlag && Logged("error").back() == "error|Fehler : |Druckerschnittstelle " +
                                                                    port.Path() + " nicht beschreibbar"
                   ? 0
                   : 1;
    });
    EXPECT_TRUE(code == 0 || ::geteuid() != 0) << code;

    // a file system mounted below it for files (/dev/shm) takes them
    AtomicWriter::DeviceFolder() = "/dev";
    struct stat devFs {}, shmFs {};
    if (::stat("/dev", &devFs) == 0 && ::stat("/dev/shm", &shmFs) == 0 && devFs.st_dev != shmFs.st_dev &&
        ::access("/dev/shm", W_OK) == 0) {
        const std::string name = "/dev/shm/kt4test-" + std::to_string(::getpid());
        AtomicWriter shm;
        EXPECT_TRUE(shm.Open(name) && shm.Write("x") && shm.Commit());
        std::filesystem::remove(name);
    }
}

TEST_F(ReportDevices, PauseAsksForEachSheet)
{
    report::PrinterPortPaths[1] = "/dev/null";
    ui->Script("J");   // pause after each page
    ui->Script("J");   // first sheet
    ui->Script("<cancel>");
    OpenReport(DevTextPrinter, "demo");
    EXPECT_TRUE(report::ReportPause);
    ReportPageHeader(0, 0);
    EXPECT_FALSE(settings::AbortFlag);
    ReportAskSheet();
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(Logged("yesnocancel").size(), 3u);
    ReportFile.Discard();
    // a file report after it asks for no sheet
    settings::AbortFlag = false;
    settings::AddMessage("Warnung: i < 10 !");
    OpenReport(DevTxt, "demo");
    ReportCalcMessages();
    CloseReport();
    EXPECT_EQ(Logged("yesnocancel").size(), 3u);
}

TEST_F(ReportDevices, TableOnEachDevice)
{
    Array1<Integer, 7> widths;
    widths.fill(0);
    widths[1] = 10;
    widths[2] = 6;
    Array1<std::string, 7> titles;
    titles[1] = "Name";
    titles[2] = "d";
    auto table = [&] {
        TReportTable t;
        t.Init(widths, titles);
        t.PrintRow("6204", "20");
        t.PrintRow("6205 <x>", "25");
    };
    OpenReport(DevOutDos, "demo");
    table();
    CloseReport();
    auto text = FileLines(dir.Get("OUTDOS.TXT"));
    ASSERT_EQ(text.size(), 7u);
    EXPECT_EQ(text[0], "       " + std::string(70, '='));
    EXPECT_EQ(text[1], "       Name      d     ");
    EXPECT_EQ(text[3], "       6204      20     ");
    EXPECT_EQ(text[4], "       " + std::string(70, '-'));

    settings::TextDeviceDialog = false;
    OpenReport(DevTxt, "demo");
    table();
    CloseReport();
    EXPECT_EQ(FileLines(dir.Get("$$1.txt")), (std::vector<std::string>{"Name\td", "6204\t20", "6205 <x>\t25"}));

    settings::HtmlBrowser = "true";
    OpenReport(DevHtml, "demo");
    table();
    CloseReport();
    const std::string html = TempGet("kt4.htm");
    EXPECT_NE(html.find("<TABLE BORDER = \"1\" WIDTH= \"100%\">\r\n<TR><TD><CENTER>Name</CENTER></TD><TD><CENTER>d</CENTER></TD></TR>"),
              std::string::npos);
    EXPECT_NE(html.find("<TR><TD>6205 &lt;x&gt;</TD><TD><DIV ALIGN=RIGHT>25</DIV></TD></TR>\r\n</TABLE>"),
              std::string::npos);
}

TEST_F(ReportDevices, MessageSectionWithCausesAndRemedies)
{
    settings::PltDir = dir.Path();
    std::string longCause;
    for (int k = 0; k < 40; ++k)
        longCause += "Ursache" + std::to_string(k) + " ";
    dir.Put("kt4.err", "Warnung: i < 10 !\r\n" + longCause + "\r\nAbhilfe eins\r\n");
    settings::AddMessage("Warnung: i < 10 !");
    settings::AddMessage("Fatal  : unbekannt");

    OpenReport(DevTxt, "demo");
    ReportCalcMessages();
    CloseReport();
    auto txt = FileLines(dir.Get("$$1.txt"));
    ASSERT_EQ(txt.size(), 5u);
    EXPECT_EQ(txt[2], "BEMERKUNGEN, WARNUNGEN, FEHLERMELDUNGEN");
    EXPECT_EQ(txt[3], "Warnung: i < 10 !\t" + longCause + "\tAbhilfe eins");
    // no record: the remedy of the message before is not repeated
    EXPECT_EQ(txt[4], "Fatal  : unbekannt\tkeine Beschreibung dieser Fehlermeldung vorhanden.\t");

    OpenReport(DevOutDos, "demo");
    ReportCalcMessages();
    CloseReport();
    const std::string out = dir.Get("OUTDOS.TXT");
    EXPECT_NE(out.find("       Ursache0 Ursache1"), std::string::npos);
    EXPECT_NE(out.find("       Abhilfe eins"), std::string::npos);
    for (const auto& l : FileLines(out))
        EXPECT_LE(l.size(), 77u);

    // without the file cause and remedy stay empty
    std::filesystem::remove(dir.File("kt4.err"));
    OpenReport(DevTxt, "demo");
    ReportCalcMessages();
    CloseReport();
    auto bare = FileLines(dir.Get("$$2.txt"));
    ASSERT_FALSE(bare.empty());
    EXPECT_EQ(bare.back(), "Fatal  : unbekannt\t\t");
}

TEST_F(ReportDevices, MessageSectionInHtml)
{
    settings::PltDir = dir.Path();
    dir.Put("kt4.err", "Warnung: i < 10 !\r\nUrsache <klein>\r\nAbhilfe & mehr\r\n");
    settings::AddMessage("Warnung: i < 10 !");
    settings::HtmlBrowser = "true";
    OpenReport(DevHtml, "demo");
    ReportCalcMessages();
    CloseReport();
    const std::string html = TempGet("kt4.htm");
    EXPECT_NE(html.find("<br>BEMERKUNGEN, WARNUNGEN, FEHLERMELDUNGEN"), std::string::npos);
    EXPECT_NE(html.find("<TR><TD>Warnung: i &lt; 10 !</TD></TR>\r\n<TR><TD>Ursache &lt;klein&gt;</TD></TR>\r\n"
                        "<TR><TD>Abhilfe &amp; mehr</TD></TR>\r\n</TABLE>"),
              std::string::npos);
    EXPECT_EQ(html.find("$!$"), std::string::npos);
}

TEST_F(ReportDevices, ErrorMessagesOfTheMenu)
{
    ViewErrorMessages();
    EXPECT_EQ(Logged("message").back(), "message|Meldung:|Berechnung erfolgreich ohne Fehlermeldungen");
    settings::AddMessage("Warnung: i < 10 !");
    ViewErrorMessages();
    ASSERT_EQ(Logged("viewer").size(), 1u);
    EXPECT_NE(TempGet("outwin.txt").find("Warnung: i < 10 !"), std::string::npos);
}

TEST_F(ReportDevices, DisplayCopyOfLongLinesLosesNothing)
{
    std::string line(400, '\x84');
    dir.Put("lang.txt", line + "\r\n");
    CopyTextFileToDisplay(dir.File("lang.txt"), dir.File("lang.utf8"));
    EXPECT_FALSE(settings::AbortFlag);
    std::string expected;
    for (int k = 0; k < 400; ++k)
        expected += "ä";
    EXPECT_EQ(FileLines(dir.Get("lang.utf8")), std::vector<std::string>{expected});
    CopyTextFileToDisplay(dir.File("fehlt.txt"), dir.File("lang.utf8"));
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(FileLines(dir.Get("lang.utf8")).size(), 1u);
}
