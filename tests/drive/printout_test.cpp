// The calculation printout of the default drive on the text file, TXT and
// HTML devices. The text file and TXT outputs are compared byte for byte
// with golden files (see golden/README.md); KT4_UPDATE_GOLDEN=1 rewrites them.
#include "common/pty_port.h"
#include "drive_fixture.h"

#include "drive/bearing_types.h"
#include "drive/drive_calc.h"
#include "drive/printout.h"
#include "foundation/codepage.h"
#include "foundation/datetime.h"
#include "foundation/numstr.h"
#include "foundation/private_temp.h"
#include "foundation/report.h"
#include "foundation/ui_headless.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace kt4;
using namespace kt4::drive;
using kt4::drivetest::DriveTest;
namespace fs = std::filesystem;

namespace {

const fs::path GoldenDir = fs::path(KT4_SOURCE_DIR) / "tests/drive/golden";

std::string ReadBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs each test in a fresh folder of its own, so that the report names
// in the headers are the same relative names on every run.
class PrintoutTest : public DriveTest {
protected:
    void SetUp() override
    {
        DriveTest::SetUp();
        oldDir_ = fs::current_path();
        char tmpl[] = "/tmp/kt4print.XXXXXX";
        dir_ = ::mkdtemp(tmpl);
        fs::current_path(dir_);
        fs::create_directories("tmp");
        fs::create_directories("daten");
        report::InitReport();
        using namespace settings;
        ProductName = "KT4";
        BaseName = "kt4";
        DataFileExt = "kt4";
        ProgramVersion = "1.1";
        ProgramTitle = "Exzentergetriebe  KT4";
        TempDir = "tmp";
        DataDir = "daten";
        CurrentFileName = "demo";
        RemarkLines = {DisplayToOem("Prüfstand 7"), "Auftrag 4711", ""};
        SetFixedClock({2024, 5, 17, 9, 5, 0, 0});
        ui_ = &UseHeadlessUi();
        ui_->quiet = true;
    }
    void TearDown() override
    {
        UseSystemClock();
        RemovePrivateTempDir();
        fs::current_path(oldDir_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // The printout on a device; the report file as written (OEM, CR LF).
    std::string Print(Word device)
    {
        settings::TextDevice = device;
        settings::TextDeviceDialog = false;
        settings::AbortFlag = false;
        written_ = WriteAusdruck(0);
        return ReadBytes(report::ReportFileName);
    }

    void ExpectGolden(const std::string& bytes, const std::string& name)
    {
        const fs::path golden = GoldenDir / name;
        if (std::getenv("KT4_UPDATE_GOLDEN")) {
            std::ofstream(golden, std::ios::binary) << bytes;
            return;
        }
        ASSERT_TRUE(fs::exists(golden)) << golden;
        EXPECT_EQ(bytes, ReadBytes(golden)) << "differs from " << golden;
    }

    HeadlessUi* ui_ = nullptr;
    bool written_ = false;
    fs::path oldDir_, dir_;
};

} // namespace

TEST_F(PrintoutTest, TxtDeviceMatchesGolden)
{
    CalcDrive();
    const std::string bytes = Print(DevTxtBesideData);
    EXPECT_TRUE(written_);
    ExpectGolden(bytes, "scenario_a_txt.txt");
    // the display copy beside the data file is UTF-8
    const std::string copy = ReadBytes("daten/demo.txt");
    EXPECT_NE(copy.find("Übersetzungsverhältnis\ti\t\t-17\r\n"), std::string::npos);
}

TEST_F(PrintoutTest, TextFileDeviceMatchesGolden)
{
    CalcDrive();
    ui_->Script("tmp/ausdruck");
    const std::string bytes = Print(DevFile);
    EXPECT_TRUE(written_);
    EXPECT_EQ(report::ReportFileName, "tmp/ausdruck.txt");
    ExpectGolden(bytes, "scenario_a_textfile.txt");
}

TEST_F(PrintoutTest, TxtRowsOfTheDefaultDrive)
{
    CalcDrive();
    const std::string txt = Print(DevTxtBesideData);
    const std::string oem = DisplayToOem(
        "\r\nAbmessungen\r\n"
        "Übersetzungsverhältnis\ti\t\t-17\r\n"
        "Übersetzungsverhältnis dH/2exz\ti0\t\t18\r\n"
        "Exzentrizität\texz\tmm\t1\r\n"
        "Gehaeuse Durchmesser\tdcase\tmm\t50\r\n"
        "Gehaeuse Breite\tbcase\tmm\t22.5\r\n"
        "Gesamtlänge\tL tot\tmm\t48.5\r\n"
        "Durchmesser Hohlrad\tdH\tmm\t   36.000\r\n");
    EXPECT_NE(txt.find(oem), std::string::npos);
    for (const char* row : {
             "Bohrung Wälzrad für Rollen\tdzw\tmm\t    8.000\r\n",
             "Anzahl Bolzen / Rollen\tnz\t\t       4\r\n",
             "Spiel axial\tc ax\tmm\t    0.500\r\n",
             "Eingriffswinkel\talpha\t°\t    45.00\r\n",
             "\r\n\r\n1. Bearing Input Shaft:\r\n\r\n2. Eccenter bearing:\r\n\r\n"
             "3. In-out bearing:\r\n\r\n4. Output shaft bearing:\r\n\r\nLast\r\n",
             "Leistung\tP\tkW\t    0.145\t  0.131\r\n",
             "Drehmoment\tT\tNm\t    1.6\t   25.0\r\n",
             "Drehzahl\tn\t1/min\t     850\t      50\r\n",
             "Radialkraft ext\tFr shaft\tN\t     0\t     0\r\n",
             "Schubspannung\ttau\tMPa\t    67\t    74\r\n",
             "Biegespannung\tSig.b\tMPa\t     0\t   101\r\n",
             "Vergleichsspannung\tSig.v\tMPa\t   115\t   163\r\n",
             "Tangentialkraft Gear\tFt gear\tN\t  1471\r\nRadialkraft Gear\tFr gear\tN\t  1471\r\n",
             "Normalkraft Gear\tFn gear\tN\t  2080\r\nTangentialkraft Bolzen\tFt bolt\tN\t  2000\r\n",
             "Flächenpressung Bolzen\tp max z\tMPa\t   125\r\n"
             "Biegespannung Bolzen\tSig.b.z\tMPa\t   796\r\n",
             "Hertzsche Pressung Bolzen\tp Hertz\tMPa\t  1166\r\n",
         })
        EXPECT_NE(txt.find(DisplayToOem(row)), std::string::npos) << row;
    EXPECT_EQ(txt.find("5. Output"), std::string::npos);
    EXPECT_EQ(txt.find("BEMERKUNGEN"), std::string::npos);
}

TEST_F(PrintoutTest, HtmlIsWellFormed)
{
    CalcDrive();
    settings::HtmlBrowser.clear();
    ui_->Script("tmp/ausdruck");
    const std::string html = Print(DevHtml);
    EXPECT_TRUE(written_);
    // balanced elements, in order
    std::vector<std::string> open;
    std::size_t pos = 0;
    while ((pos = html.find('<', pos)) != std::string::npos) {
        const std::size_t end = html.find('>', pos);
        ASSERT_NE(end, std::string::npos);
        std::string tag = html.substr(pos + 1, end - pos - 1);
        pos = end + 1;
        if (tag.starts_with("!--") || tag == "br" || tag == "hr" || tag.starts_with("meta"))
            continue;
        const bool closing = tag.starts_with("/");
        std::string name = tag.substr(closing ? 1 : 0, tag.find_first_of(" =") - (closing ? 1 : 0));
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (!closing) {
            open.push_back(name);
        } else {
            ASSERT_FALSE(open.empty()) << "</" << name << "> without opening";
            EXPECT_EQ(open.back(), name);
            open.pop_back();
        }
    }
    EXPECT_TRUE(open.empty());
    // UTF-8, no stray OEM byte
    EXPECT_NE(html.find("Übersetzungsverhältnis"), std::string::npos);
    EXPECT_NE(html.find("<DIV ALIGN=RIGHT>-17</DIV>"), std::string::npos);
}

TEST_F(PrintoutTest, FailedCalculationPrintsTheReasonOnly)
{
    nz = 0;
    CalcDrive();
    ASSERT_TRUE(settings::CalcErrorFlag);
    const std::string txt = Print(DevTxtBesideData);
    EXPECT_FALSE(written_);
    EXPECT_NE(txt.find("BEMERKUNGEN, WARNUNGEN, FEHLERMELDUNGEN"), std::string::npos);
    EXPECT_NE(txt.find("Fatal  : nz = 0 !"), std::string::npos);
    EXPECT_EQ(txt.find("Abmessungen"), std::string::npos);
    EXPECT_EQ(txt.find("Leistung"), std::string::npos);
}

TEST_F(PrintoutTest, WarningsFollowTheResults)
{
    dH = 40;
    dp = 36; // i = -9
    CalcDrive();
    const std::string txt = Print(DevTxtBesideData);
    EXPECT_TRUE(written_);
    const auto results = txt.find("Hertzsche Pressung");
    const auto messages = txt.find("Warnung: i < 10 !");
    ASSERT_NE(results, std::string::npos);
    ASSERT_NE(messages, std::string::npos);
    EXPECT_LT(results, messages);
}

TEST_F(PrintoutTest, CancelledDeviceWritesNothing)
{
    CalcDrive();
    ui_->Script("<cancel>");
    settings::TextDevice = DevFile;
    EXPECT_FALSE(WriteAusdruck());
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(fs::is_empty("tmp"));
}

TEST_F(PrintoutTest, InchesForGeometryIntegersForCounts)
{
    CalcDrive();
    settings::UnitSystem = 1;
    const std::string txt = Print(DevTxtBesideData);
    EXPECT_NE(txt.find("Durchmesser Hohlrad\tdH\tin\t"), std::string::npos);
    EXPECT_NE(txt.find("Anzahl Bolzen / Rollen\tnz\t\t       4\r\n"), std::string::npos);
    EXPECT_NE(txt.find("Anzahl Schrauben\tns\t\t       8\r\n"), std::string::npos);
}

namespace {

WaelzLagerTyp& PutBearing(Word slot, TBearingType typ, const char* name)
{
    WaelzLagerTyp& b = bearings::BearingSlots[slot];
    b.Typ = typ;
    b.Designation = name;
    b.d = 8;
    b.D = 22;
    b.B = 7;
    b.C = 3450;
    b.C0 = 1370;
    b.Cu = 57;
    b.Clearance = 1; // X and Y as entered
    return b;
}

bool Has(const std::string& text, const char* displayRow)
{
    return text.find(DisplayToOem(displayRow)) != std::string::npos;
}

} // namespace

TEST_F(PrintoutTest, BearingBlockOfTheInputShaft)
{
    PutBearing(1, DeepGrooveBall, "608");
    CalcDrive();
    const WaelzLagerTyp& b = bearings::BearingSlots[1];
    const std::string txt = Print(DevTxtBesideData);
    EXPECT_TRUE(Has(txt, "1. Bearing Input Shaft:\r\n\r\nLAGERDATEN für Rillenkugellager 608\r\n"
                         "Innendurchmesser\td\tmm\t8\r\nAussendurchmesser\tD\tmm\t22\r\n"
                         "Lagerbreite\tB\tmm\t7\r\nLagerluft XY (X=1, Y=0)\t\t\t\r\n"
                         "Abrundungsradius\trmin\tmm\t0.3\r\n"));
    EXPECT_TRUE(Has(txt, "Tragzahl dynamisch\tC\tN\t3450\r\n"));
    EXPECT_TRUE(Has(txt, "Zulässige axiale Belastung\tFa z\tN\t"));
    EXPECT_TRUE(Has(txt, "Drehzahl\tn\t1/min\t850\r\n"));
    EXPECT_TRUE(Has(txt, ("Lebensdauer Stunden\tL10h\th\t" +
                          RealStr(b.L10 * 1000000 / 850 / 60) + "\r\n").c_str()));
    EXPECT_TRUE(Has(txt, "Berechnung : aISO nach DIN ISO 281    Lnm(EP) = L10 x a1 x aISO\r\n"));
    EXPECT_TRUE(Has(txt, "Erlebenswahrscheinlichkeit\t\t%\t90.00\r\n"));
    EXPECT_TRUE(Has(txt, "Faktor Erlebenswahrscheinlichkeit\ta1\t\t1.000\r\n"));
    EXPECT_TRUE(Has(txt, ("Erweiterte Nom.Lebensdauer\tL10m\t1e6 rot.\t" + RealStr(b.Lna) + "\r\n").c_str()));
    EXPECT_TRUE(Has(txt, "Betriebs-Viskosität bei 50 C\tnue b\tmm²/s\t"));
    EXPECT_TRUE(Has(txt, "Viskositätsverhältnis EP\tkappa\t\t"));
    EXPECT_TRUE(Has(txt, "\r\n2. Eccenter bearing:\r\n"));
}

TEST_F(PrintoutTest, SecondOutputBearingOnlyWhenUsed)
{
    bLg45 = 16;
    PutBearing(4, DeepGrooveBall, "6001");
    CalcDrive();
    EXPECT_EQ(Print(DevTxtBesideData).find("5. Output shaft bearing 2:"), std::string::npos);
    PutBearing(5, SphericalRoller, "22308");
    CalcDrive();
    const std::string txt = Print(DevTxtBesideData);
    EXPECT_TRUE(Has(txt, "5. Output shaft bearing 2:\r\n\r\nLAGERDATEN für Pendelrollenlager 22308\r\n"));
    EXPECT_TRUE(Has(txt, "Zul.ax.Belastg.a.Spannhülsen\tFa z\tN\t"));
    EXPECT_TRUE(Has(txt, "Drehzahl\tn\t1/min\t50\r\n"));
}

TEST_F(PrintoutTest, StandingDriveHasNoHourLines)
{
    PutBearing(1, DeepGrooveBall, "608");
    n[2] = 0;
    CalcDrive();
    const std::string txt = Print(DevTxtBesideData);
    EXPECT_TRUE(Has(txt, "Drehzahl\tn\t1/min\t0\r\n"));
    EXPECT_FALSE(Has(txt, "Lebensdauer Stunden"));
    EXPECT_FALSE(Has(txt, "Erweit.nom.Lebensdauer Stunden"));
}

TEST_F(PrintoutTest, BearingBlockWithHeadingAndLifeMethodA23)
{
    WaelzLagerTyp& b = PutBearing(2, DeepGrooveBall, "625");
    b.LifeMethod = 2;
    b.a23 = 1.5L;
    b.EP = false;
    b.Z = 7;
    b.Mass = 0.0049L;
    b.Price = 3.2L;
    b.theta = 42.5L; // the label rounds as the temperature row does
    SetReportHeader("", "", "", "", "", 0);
    settings::TextDevice = DevTxt;
    OpenReport(DevAsk, "demo");
    RewriteReportFile();
    WriteBearingAusdruck(2, "Exzenter:", 1200);
    WriteBearingAusdruck(3, "leer:", 1200); // empty slot: nothing
    CloseReport();
    const std::string txt = ReadBytes(report::ReportFileName);
    EXPECT_TRUE(Has(txt, "\r\nExzenter: Rillenkugellager 625\r\n"));
    EXPECT_TRUE(Has(txt, "Anzahl Wälzkörper\tZ\t\t7\r\n"));
    EXPECT_TRUE(Has(txt, "Gewicht\tm\tkg\t0.0049\r\n"));
    EXPECT_TRUE(Has(txt, "Preis\t\tEUR\t    3.20\r\n"));
    EXPECT_TRUE(Has(txt, "Berechnung : a23 Eingabe    Lna = L10 x a1 x a23\r\n"));
    EXPECT_TRUE(Has(txt, "Schmier- und Werkstoffaktor\ta23\t\t 1.50\r\n"));
    EXPECT_TRUE(Has(txt, "Viskositätsverhältnis\tkappa\t\t"));
    EXPECT_TRUE(Has(txt, "\t43\r\n"));
    EXPECT_TRUE(Has(txt, "Betriebs-Viskosität bei 43 C\tnue b\t"));
    EXPECT_FALSE(Has(txt, "Sauberkeitsfaktor"));
    EXPECT_FALSE(Has(txt, "leer:"));
    EXPECT_EQ(BearingEPSuffix(2), "");
    EXPECT_EQ(BearingEPSuffix(1), "(EP)");
}

// The devices that show, print or hand the report on.
TEST_F(PrintoutTest, EveryOtherDevice)
{
    CalcDrive();
    const std::string title = DisplayToOem("Übersetzungsverhältnis");
    Print(DevScreen);
    EXPECT_TRUE(written_);
    EXPECT_NE(ReadBytes(PrivateTempDir() + "outwin.txt").find("Übersetzungsverhältnis"), std::string::npos);

    kt4::test::PtyPort port;
    report::PrinterPortPaths[1] = port.Path();
    settings::PrinterPort = 1;
    ui_->Script("N"); // no pause after each page
    settings::TextDevice = DevTextPrinter;
    written_ = WriteAusdruck(0);
    EXPECT_NE(port.Received().find(title), std::string::npos);
    EXPECT_TRUE(written_);

    Print(DevPrinter);
    EXPECT_TRUE(written_);
    EXPECT_FALSE(fs::exists(report::ReportFileName)); // printed and erased

    settings::TextProgram.clear(); // the desktop's program for text files
    Print(DevTextProgram);
    EXPECT_TRUE(written_);

    EXPECT_NE(Print(DevOutDos).find(title), std::string::npos);
    EXPECT_TRUE(written_);
    EXPECT_EQ(report::ReportFileName, "tmp/OUTDOS.TXT"); // kept in TempDir
    EXPECT_EQ(PrivateTempDir().rfind("tmp/kt4-", 0), 0u);   // the others private, under TempDir

    EXPECT_NE(Print(DevTxt).find(title), std::string::npos);
    EXPECT_TRUE(written_);
    EXPECT_FALSE(settings::AbortFlag);
}
