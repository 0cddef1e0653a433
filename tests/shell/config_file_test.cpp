#include "shell_fixture.h"

#include "cad/cad_settings.h"
#include "foundation/printer_settings.h"
#include "foundation/settings.h"
#include "graphics/graph_settings.h"
#include "shell/config_file.h"
#include "shell/config_form_model.h"
#include "shell/config_table.h"
#include "shell/session_file.h"
#include "shell/screen_defaults.h"

#include "common/acl.h"
#include "foundation/file_trust.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/xattr.h>
#include <thread>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace kt4;
using namespace kt4::shell;

namespace {

class ConfigFile : public shelltest::ShellTest {
protected:
    std::string FileText() const { return dir.Get("kt4.cfg"); }

    static std::string Join(const std::vector<std::string>& lines, std::size_t n)
    {
        std::string s;
        for (std::size_t k = 0; k < n && k < lines.size(); ++k)
            s += lines[k] + "\r\n";
        return s;
    }

    static std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& label)
    {
        auto it = std::find(lines.begin(), lines.end(), label);
        return static_cast<std::size_t>(it - lines.begin());
    }

    // Every setting of the file away from its start value (and valid, so no
    // read-time correction changes it).
    static void ModifyAll()
    {
        namespace s = settings;
        namespace g = graphics;
        namespace c = cad;
        namespace p = printer;
        for (int k = 0; k < c::NamedLayers; ++k) {
            c::LayerNames[k] = "L" + std::to_string(k);
            c::LayerColors[k] = 5 + k;
            c::LayerLineWidths[k] = 7 + k;
        }
        c::CadTextStyle = "ROMANS";
        c::CadTextWidthFactor = 0.75L;
        c::CadTextObliqueAngle = 12.5L;
        s::CadDir = "/cad/";
        s::DbfDir = "/dbf/";
        s::HelpLevel = 2;
        s::PrinterPort = 3;
        s::PrinterType = 5;
        s::PrintDensity = 2;
        s::HardcopyRotated = 'J';
        s::Decimals = 5;
        s::PrintDensityVertical = 3;
        s::ColorGraphics = false;
        GraphicsAspect = 1.25L;
        s::GraphicsMode = 4;
        s::GraphicsDriver = 9;
        s::ScreenResX = 1199;
        s::ScreenResY = 899;
        s::TempDir = "/scratch/tmp/";
        s::HardcopyPort = 2;
        s::EdiDir = "/edi/";
        s::PltDir = "/plt/";
        s::TextPrintMode = 2;
        s::LinesPerPage = 72;
        g::ZoomFactor = 1.5L;
        g::PanFactor = 0.25L;
        s::ProgramsDir = "/programs/";
        c::CadPlotLines[1] = "plotter one";
        g::BackgroundColor = 0x00FFFFFF;
        s::WindowsPrintMode = 2;
        c::LayerMonochrome = true;
        g::GraphTextWidthFactor = 0.9L;
        g::GraphFontName = "DejaVu Sans";
        for (int k = c::FirstColorLayer; k <= c::LastColorLayer; ++k) {
            c::ColorLayerColors[k] = 33 - k;
            c::ColorLayerLineWidths[k] = 2;
        }
        s::TextProgram = "/usr/bin/gedit";
        s::DatabaseMode = 3;
        s::ExternalTableEditor = "/usr/bin/table";
        p::PrintOriginX = 12;
        p::PrintOriginY = -7;
        p::PrintScale = 1.95;
        p::PrintBorder = true;
        s::PasswordPrompt = true;
        c::CadPlotLineCount = 3;
        c::CadPlotLines[2] = "plotter two";
        c::CadPlotLines[3] = "plotter three";
        s::ArchiveMode = true;
        s::DateFormat = 2;
        s::HeaderSpaceLines = 4;
        s::TextDevice = 6;
        s::TextDeviceDialog = true;
        s::SmallOnlineWindow = true;
        s::EnterDiagramLimits = true;
        s::DecimalPoint = 2;
        s::DefaultDataDir = "/data/";
        g::GraphTextHeightFactor = 1.5L;
        s::InputWindowScale = 120;
        s::HtmlBrowser = "/usr/bin/browser";
        p::PrintScaleY = 1.05;
        p::GraphPrintDialog = false;
        p::TextWindowRect[1] = 11;
        p::TextWindowRect[2] = 22;
        p::TextWindowRect[3] = 333;
        p::TextWindowRect[4] = 444;
        s::UnitSystem = 4;
        s::PrintHeaderMode = 2;
        p::PrintFontName = "DejaVu Sans Mono";
        p::PrintFontSize = 12;
        p::PrintFontStyle = 1;
        g::GraphFontStyle = 2;
        p::PrintOrientation = 1;
        c::Edit3DAngles = false;
        c::ViewDefault3D = {0.5L, 1.0L, -1.5L};
        s::ChangeIndexMode = 2;
        s::ExcelDecimalPoint = 1;
        s::CharConversion = 1;
        c::ReleaseFieldText = "Frei";
        c::CadDecimals = 4;
        s::CadTextMode = 3;
        s::DialogElementScale = 110;
        s::AngleFormat = 1;
        c::DimensionFactor = 2.0L;
        c::ReservedOption = 4;
        s::LanguageId = 2;
        s::ScreenViewMode = 3;
        c::DrawTitleLine = c::DrawFileName = c::DrawDate = c::DrawLogoBlock = true;
        c::DrawingFooter = c::DrawTitleBlock = c::CurrentFileMode = true;
        s::SaveMenuLanguage = true;
        s::TitleBlockStandard = 3;
        for (int k = 1; k <= 16; ++k)
            g::GraphPalette[k] = 1000 + k;
        c::Cad3DContours = true;
        c::DrawOwnerNote = true;
        s::ManualDir = "/manual/";
        s::IsoFrameMargin = 0;
        c::DrawGridBorder = c::DrawMmScale = c::DrawChangesBlock = true;
        c::InsertHeadBlocks = c::InsertInsertBlocks = true;
        s::HideWarnings = true;
        c::ExportLaunchFlag = false;
        c::PolyArcToLines = false;
        c::ArcToLinesResolution = 0.2L;
        c::StlFileType = 1;
        s::ScreenSizeCode = 0;
        s::DialogWindowSizeCode = 0;
        s::TextWindowSizeCode = 0;
        s::DbfUseTemp = false; // never carried over
        c::NoCoordinateCross3D = true;
        c::StlZSlice = 0.3L;
        c::StlInvert = true;
        g::ZoomMouseWheel = true;
        c::FitClearanceShaft = 0.05L;
        c::FitClearanceBore = 0.1L;
        c::CadScale = 2.5L;
        c::RevisionIndexZero = true;
    }

    // The lines the file holds after reading a file of these lines into a
    // fresh start.
    std::vector<std::string> ReadBack(const std::string& Bytes)
    {
        FreshStart();
        dir.Put("kt4.cfg", Bytes);
        ReadConfigFile();
        return ConfigLines();
    }
};

TEST_F(ConfigFile, DefaultsWrittenReadAndWrittenAgainAreByteIdentical)
{
    // the program's start without a file: start values and screen defaults
    ReadConfigFile();
    ASSERT_TRUE(settings::AbortFlag);
    settings::AbortFlag = false;
    WriteConfigFile();
    ASSERT_FALSE(settings::AbortFlag);
    std::string first = FileText();
    ASSERT_FALSE(first.empty());

    FreshStart();
    ReadConfigFile();
    EXPECT_FALSE(settings::AbortFlag);
    WriteConfigFile();
    EXPECT_EQ(FileText(), first);
}

TEST_F(ConfigFile, ChangedSettingsRoundTripByteForByte)
{
    ModifyAll();
    WriteConfigFile();
    std::string first = FileText();
    FreshStart();
    ReadConfigFile();
    EXPECT_EQ(cad::CadPlotLines[3], "plotter three");
    EXPECT_EQ(printer::TextWindowRect[3], 333);
    EXPECT_EQ(graphics::GraphPalette[16], 1016);
    EXPECT_TRUE(cad::Cad3DContours);
    EXPECT_EQ(settings::LanguageId, 2);
    WriteConfigFile();
    EXPECT_EQ(FileText(), first);
}

TEST_F(ConfigFile, LayoutOfTheFile)
{
    settings::DecimalPoint = 2; // comma for the screen; the file keeps points
    WriteConfigFile();
    std::vector<std::string> lines = Lines(FileText());
    EXPECT_EQ(lines[0], "Konfiguration kt4");
    EXPECT_EQ(lines[1], "Version 1.1");
    EXPECT_EQ(lines[2], "Layer");
    EXPECT_EQ(lines[3], "1");
    EXPECT_EQ(lines[4], "Farbe");
    // OEM labels: "°" is 0xF8, "ö" 0x94, "ü" 0x81, "ä" 0x84
    EXPECT_LT(IndexOf(lines, "Hardcopy um 90\xF8 gedreht ?"), lines.size());
    EXPECT_LT(IndexOf(lines, "Aufl\x94sung horizontal"), lines.size());
    EXPECT_LT(IndexOf(lines, "Ordner f\x81r tempor\x84re Dateien"), lines.size());
    std::size_t zoom = IndexOf(lines, "Zoomfaktor");
    EXPECT_EQ(lines[zoom + 1], "1.2000000");
    std::size_t width = IndexOf(lines, "Textbreitenfaktor CAD");
    EXPECT_EQ(lines[width + 1], "1"); // R3: no trailing zeros
    std::size_t dot = IndexOf(lines, "Dot=1 Komma=2");
    EXPECT_EQ(lines[dot + 1], "2");
    EXPECT_EQ(settings::DecimalPoint, 2);
    std::size_t rect = IndexOf(lines, "Text window left/top/width/height");
    EXPECT_EQ(lines[rect + 1], "10|40|700|440|");
    std::size_t plot = IndexOf(lines, "KAVOLT Command lines (n, line 2 .. line n)");
    EXPECT_EQ(lines[plot + 1], "1");
    EXPECT_EQ(lines[plot + 2], "Archive Flag ?");
    for (const auto& line : lines)
        if (!line.empty() && line.find_first_not_of("0123456789.,-") == std::string::npos) {
            EXPECT_EQ(line.find(','), std::string::npos) << line;
        }
}

// A file cut after any item loads with what it holds, and every setting
// behind the cut keeps its start value (corrected as if read).
TEST_F(ConfigFile, FileCutAfterAnyGroupKeepsTheRemainingDefaults)
{
    std::vector<std::string> defaults = ReadBack("");
    ModifyAll();
    cad::CadPlotLineCount = 1; // every item one size in both files
    std::vector<std::string> changed = ConfigLines();
    ASSERT_EQ(changed.size(), defaults.size());
    std::size_t graphWidth = IndexOf(changed, "Textbreitenfaktor Grafik");
    std::size_t screenX = IndexOf(changed, "Aufl\x94sung horizontal") + 1;
    // the screen size code and the dialog size code: eleven and ten values
    // follow them
    std::size_t sizeCode = changed.size() - 12;
    std::size_t dialogCode = changed.size() - 11;
    std::size_t inputScale = IndexOf(changed, "Input Window Scale %") + 1;
    std::size_t elementScale = IndexOf(changed, "Strichst\x84rke Layer 16..31") + 18;
    std::size_t textCode = changed.size() - 10;
    std::size_t textRect = IndexOf(changed, "Text window left/top/width/height") + 1;
    std::size_t manualDir = IndexOf(changed, "/manual/");
    std::size_t languageId = elementScale + 4;
    std::size_t saveLanguage = languageId + 9;

    std::size_t cut = 0;
    for (const auto& item : config::Items()) {
        std::vector<std::string> one;
        item.write(one, item);
        cut += one.size();
        if (cut >= changed.size())
            break;
        std::vector<std::string> got = ReadBack(Join(changed, cut));
        ASSERT_EQ(got.size(), changed.size());
        for (std::size_t k = 0; k < got.size(); ++k) {
            if ((k == screenX || k == screenX + 2) && cut <= sizeCode)
                continue; // the screen fixes the resolution while the size code is 1
            if ((k == inputScale || k == elementScale) && cut <= dialogCode)
                continue; // and the dialog scales while the dialog size code is 1
            if (k == textRect && cut <= textCode)
                continue; // and the text window while its size code is 1
            if (k == manualDir && cut <= manualDir)
                continue; // an empty manual folder is the programs folder
            if (k == languageId && cut <= saveLanguage)
                continue; // the language is forgotten unless saved
            std::string want = k < cut ? changed[k] : defaults[k];
            if (cut == graphWidth && k == graphWidth + 1)
                want = "0.7500000"; // an old file: the CAD text width factor
            if (cut == graphWidth && k == graphWidth + 3)
                want = "Arial";
            EXPECT_EQ(got[k], want) << "cut after line " << cut << ", line " << k + 1;
        }
    }
}

TEST_F(ConfigFile, PlotLineCountIsClampedAndTheReaderStaysInStep)
{
    cad::CadPlotLineCount = 5;
    for (int k = 1; k <= 5; ++k)
        cad::CadPlotLines[k] = "line " + std::to_string(k);
    WriteConfigFile();
    std::vector<std::string> lines = Lines(FileText());
    std::size_t n = IndexOf(lines, "KAVOLT Command lines (n, line 2 .. line n)") + 1;

    // seven lines claimed and present: five kept, the other two read past
    std::vector<std::string> seven = lines;
    seven[n] = "7";
    seven.insert(seven.begin() + static_cast<long>(n) + 5, {"line 6", "line 7"});
    FreshStart();
    dir.Put("kt4.cfg", Join(seven, seven.size()));
    ReadConfigFile();
    EXPECT_EQ(cad::CadPlotLineCount, 5);
    EXPECT_EQ(cad::CadPlotLines[5], "line 5");
    EXPECT_TRUE(settings::ArchiveMode == false);
    EXPECT_EQ(settings::DateFormat, 3); // the next group was read in step
    EXPECT_EQ(cad::RevisionIndexZero, false);

    // a count beyond the lines that follow takes only those, up to the
    // next label or the end of the file, and says so
    for (bool cut : {true, false}) {
        std::vector<std::string> huge = lines;
        huge[n] = "2147483647";
        huge.erase(huge.begin() + static_cast<long>(n) + 2, huge.begin() + static_cast<long>(n) + 5);
        if (cut)
            huge.resize(n + 2);
        FreshStart();
        const std::vector<std::string> notes = ApplyConfigLines(huge);
        EXPECT_EQ(cad::CadPlotLineCount, 2) << cut;
        EXPECT_EQ(cad::CadPlotLines[2], "line 2") << cut;
        ASSERT_EQ(notes.size(), 1u) << cut;
        EXPECT_NE(notes[0].find("2147483647 angegeben, nur 2"), std::string::npos) << notes[0];
        EXPECT_EQ(settings::DateFormat, 3) << cut;
        EXPECT_EQ(cad::RevisionIndexZero, false) << cut;
    }

    // n < 1 counts as 1 and no line is taken for the list
    for (const char* bad : {"0", "-3", "x"}) {
        std::vector<std::string> small(lines.begin(), lines.begin() + static_cast<long>(n) + 1);
        small[n] = bad;
        small.insert(small.end(), {"Archive Flag ?", "TRUE"});
        FreshStart();
        dir.Put("kt4.cfg", Join(small, small.size()));
        ReadConfigFile();
        EXPECT_EQ(cad::CadPlotLineCount, 1) << bad;
        EXPECT_TRUE(settings::ArchiveMode) << bad;
    }
}

TEST_F(ConfigFile, ReadTimeCorrections)
{
    WriteConfigFile();
    std::vector<std::string> lines = Lines(FileText());
    auto set = [&](const std::string& label, const std::string& value) {
        lines[IndexOf(lines, label) + 1] = value;
    };
    set("Druckerschnittstelle", "0");
    set("Dezimalstellen", "12");
    set("Zeilen pro Seite f\x81r Drucker", "3");
    set("Zoomfaktor", "0");
    set("Pan-Faktor", "0");
    set("KAVOLT-Kommandozeile", "");
    set("Hardcopy um 90\xF8 gedreht ?", "");
    set("Text Device", "12");
    set("Dot=1 Komma=2", "7");
    set("Default Data Directory", "");
    set("Input Window Scale %", "5");
    set("Windows Screendump Scale", "1.5");
    set("Print Scale Vertical", "0");
    set("Text window left/top/width/height", "1|2|0|4|");
    set("Text Font Printout", "");
    set("Decimals DXF,TXT", "40");
    set("Color Layer 20", "0");
    FreshStart();
    cad::CadPlotLines[1] = "kept";
    dir.Put("kt4.cfg", Join(lines, lines.size()));
    ReadConfigFile();
    EXPECT_EQ(settings::PrinterPort, 1);
    EXPECT_EQ(settings::Decimals, 3);
    EXPECT_EQ(settings::LinesPerPage, 66);
    EXPECT_EQ(graphics::ZoomFactor, 1.02L);
    EXPECT_EQ(graphics::PanFactor, 0.01L);
    EXPECT_EQ(cad::CadPlotLines[1], "kept");
    EXPECT_EQ(settings::HardcopyRotated, 'N');
    EXPECT_EQ(settings::TextDevice, 1);
    EXPECT_EQ(settings::DecimalPoint, 1);
    EXPECT_EQ(settings::DefaultDataDir, dir.Path());
    EXPECT_EQ(settings::InputWindowScale, 100);
    EXPECT_EQ(printer::PrintScaleY, 1.5);
    EXPECT_EQ(printer::TextWindowRect[3], 700); // not taken without a width
    EXPECT_EQ(printer::PrintFontName, "Courier New");
    EXPECT_EQ(cad::CadDecimals, 6);
    EXPECT_EQ(cad::ColorLayerColors[20], 1);
    EXPECT_FALSE(settings::DbfUseTemp);
}

// Whatever a file holds, the file written after reading it reads back and
// writes again byte for byte: an empty file, numbers the file's notation
// cannot hold (they read as 0 and meet their correction), numbers beyond
// their setting's type, a file that ends before the settings whose
// correction depends on an earlier one.
TEST_F(ConfigFile, WrittenAfterAnyReadItReadsBackTheSame)
{
    WriteConfigFile();
    std::vector<std::string> lines = Lines(FileText());
    auto set = [&](const std::string& label, const std::string& value) {
        lines[IndexOf(lines, label) + 1] = value;
    };
    set("Zoomfaktor", "-1E-4000");
    set("Textbreitenfaktor CAD", "0.000000001");
    set("Windows Screendump Scale", "1E4000");
    set("VELMORA-Programmverzeichnis", "/opt/velmora/");
    const std::size_t programs = IndexOf(lines, "VELMORA-Programmverzeichnis") + 2;
    for (const std::string& file : {std::string(), Join(lines, lines.size()), Join(lines, programs)}) {
        FreshStart();
        dir.Put("kt4.cfg", file);
        ReadConfigFile();
        WriteConfigFile();
        const std::string first = FileText();
        FreshStart();
        ReadConfigFile();
        WriteConfigFile();
        EXPECT_EQ(FileText(), first);
    }
    EXPECT_EQ(graphics::ZoomFactor, 1.02L);
    EXPECT_EQ(cad::CadTextWidthFactor, 1.0L);
    EXPECT_EQ(printer::PrintScale, 1.0);
}

TEST_F(ConfigFile, MenuLanguageIsForgottenUnlessSaved)
{
    settings::LanguageId = 12;
    settings::SaveMenuLanguage = false;
    WriteConfigFile();
    FreshStart();
    ReadConfigFile();
    EXPECT_EQ(settings::LanguageId, 0);

    settings::LanguageId = 12;
    settings::SaveMenuLanguage = true;
    WriteConfigFile();
    FreshStart();
    ReadConfigFile();
    EXPECT_EQ(settings::LanguageId, 12);
}

TEST_F(ConfigFile, NoFileGivesScreenDefaultsAndAbortFlag)
{
    SetScreenMetrics({1280, 1024, 120, 0, 0});
    ReadConfigFile();
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(settings::ScreenSizeCode, 1);
    // the drawing area (ScreenResX/Y + 1) the largest 4:3 area of 1280 x 1024
    EXPECT_EQ(settings::ScreenResX, 1279);
    EXPECT_EQ(settings::ScreenResY, 959);
    EXPECT_EQ(settings::InputWindowScale, 125);
    EXPECT_EQ(printer::TextWindowRect[1], 20);
    EXPECT_EQ(printer::TextWindowRect[3], 875);  // 70 characters of 10 points at 120 ppi
    EXPECT_EQ(printer::TextWindowRect[4], 933);  // round(0.95 * 1024) - 40
    // within a 1600 x 1000 area less a frame and menu bar of 8 x 60: the
    // 4:3 area of 1592 x 940, and the whole screen less the frame
    SetScreenMetrics({1600, 1000, 96, 0, 0, 8, 60});
    ReadConfigFile();
    EXPECT_EQ(settings::ScreenResX + 1, 1252);
    EXPECT_EQ(settings::ScreenResY + 1, 940);
    settings::ScreenSizeCode = 2;
    ApplyScreenDefaults();
    EXPECT_EQ(settings::ScreenResX + 1, 1592);
    EXPECT_EQ(settings::ScreenResY + 1, 940);
    SetScreenMetrics({});
}

TEST_F(ConfigFile, FoundInTheFallbackFolders)
{
    WriteConfigFile();
    std::string text = FileText();
    std::filesystem::remove(dir.File("kt4.cfg"));
    std::vector<std::string> fallback = FallbackConfigDirs();
    ASSERT_EQ(fallback.size(), 2u);
    EXPECT_EQ(fallback[0], dir.File("xdg") + "/velmora/");
    EXPECT_EQ(fallback[1], dir.File("xdg") + "/velmora/kt4/");
    std::filesystem::create_directories(fallback[1]);
    dir.Put("xdg/velmora/kt4/KT4.CFG", text);

    FreshStart();
    settings::ConfigDir = dir.File("elsewhere");
    ReadConfigFile();
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(settings::ConfigDir, fallback[1]);
}

// A configuration or session file is taken only from its owner and when no
// one else may write it (its group only when that is the owner's own,
// which no other account has as its primary group, and no ACL lets
// another user write); another one is ignored with one message naming it
// and why.
TEST_F(ConfigFile, OnlyTheUsersOwnFilesAreTaken)
{
    const unsigned me = ::geteuid(), mine = ::getegid();
    cad::CadPlotLines[1] = "planted";
    settings::RecentFiles[1] = "/planted.kt4";
    WriteConfigFile();
    WriteSessionFile();
    const std::string others = "andere Benutzer d\xC3\xBCrfen sie \xC3\xA4ndern.";
    // the accounts with one more whose primary group is this user's own
    static const auto withMember = [] {
        const passwd* self = ::getpwuid(::geteuid());
        return std::vector<Account>{{self ? self->pw_name : "", ::geteuid(), ::getegid()},
                                    {"kt4mitglied", 4321, ::getegid()}};
    };
    const AccountLister system = AccountSource();
    const struct {
        unsigned uid, gid;
        mode_t mode;
        std::string why;
        bool acl = false, member = false;
    } cases[] = {{me, mine, 0644, ""},
                 {0u, 0u, 0664, ""}, // root's group
                 {me, mine, 0646, others},
                 {me, 65534u, 0664, others},
                 {65534u, 65534u, 0644, "sie geh\xC3\xB6rt einem anderen Benutzer."},
                 {me, mine, 0644, others, true},
                 {me, mine, 0664, others, false, true}};
    for (const auto& c : cases) {
        if ((c.uid != me || c.gid != mine) && me != 0)
            continue; // another owner or group needs root
        for (const char* name : {"kt4.cfg", "kt4.cff"}) {
            ::removexattr(dir.File(name).c_str(), "system.posix_acl_access");
            ASSERT_TRUE(::chown(dir.File(name).c_str(), c.uid, c.gid) == 0 &&
                        ::chmod(dir.File(name).c_str(), c.mode) == 0);
            if (c.acl && !kt4::test::GrantWriteAcl(dir.File(name), 65534))
                GTEST_SKIP() << "this file system keeps no ACLs";
        }
        if (c.member)
            AccountSource() = +withMember;
        FreshStart();
        ReadConfigFile();
        ReadSessionFile();
        AccountSource() = system;
        EXPECT_EQ(cad::CadPlotLines[1] == "planted", c.why.empty()) << c.uid << " " << c.mode;
        EXPECT_EQ(settings::RecentFiles[1] == "/planted.kt4", c.why.empty()) << c.uid << " " << c.mode;
        std::string told;
        for (const auto& entry : Logged("message"))
            told += entry + "\n";
        EXPECT_EQ(told, c.why.empty() ? "" : "message|Meldung:|Konfigurationsdatei " + dir.File("kt4.cfg") +
                                                 " wird nicht gelesen: " + c.why + "\nmessage|Meldung:|Sitzungsdatei " +
                                                 dir.File("kt4.cff") + " wird nicht gelesen: " + c.why + "\n");
    }
}

// Import takes a configuration file only: anything else, and a file
// with a value line that is no number where a number belongs, is refused
// with a message and changes nothing; a plot-line count beyond the file
// is told.
TEST_F(ConfigFile, ImportRefusesWhatIsNoConfigurationFile)
{
    ASSERT_EQ(settings::BaseName, "kt4");
    cad::CadPlotLineCount = 3;
    WriteConfigFile();
    std::vector<std::string> good = Lines(FileText());
    std::string noise;
    for (int k = 0; k < 2048; ++k)
        noise += static_cast<char>((k * 7919 + 13) % 256);
    std::vector<std::string> headless = good;
    headless.erase(headless.begin());
    std::vector<std::string> junk = good, oneBad = good;
    std::fill(junk.begin() + 2, junk.end(), "zz12345");
    const std::size_t zoom = IndexOf(good, "Zoomfaktor") + 1;
    oneBad[zoom] = "zz27074";
    const std::size_t width = IndexOf(good, "Textbreitenfaktor CAD") + 1;
    ASSERT_LT(width, zoom);
    oneBad[width] = "0,8"; // a comma is a number
    dir.Put("noise.cfg", noise);
    dir.Put("headless.cfg", Join(headless, headless.size()));
    dir.Put("empty.cfg", "");
    dir.Put("junk.cfg", Join(junk, junk.size()));
    dir.Put("onebad.cfg", Join(oneBad, oneBad.size()));
    graphics::ZoomFactor = 2.25L;
    const std::vector<std::string> live = ConfigLines();
    configform::ConfigEditor editor;
    const std::pair<const char*, std::string> refusals[] = {
        {"noise.cfg", "keine Konfigurationsdatei"},
        {"headless.cfg", "keine Konfigurationsdatei"},
        {"empty.cfg", "keine Konfigurationsdatei"},
        {"junk.cfg", "junk.cfg, Zeile 6: \"zz12345\" ist keine Zahl; nichts übernommen."},
        {"onebad.cfg", ", Zeile " + std::to_string(zoom + 1) + ": \"zz27074\" ist keine Zahl"}};
    for (const auto& [name, message] : refusals) {
        ui->Script(dir.File(name));
        EXPECT_FALSE(editor.Import()) << name;
        EXPECT_TRUE(settings::AbortFlag);
        EXPECT_FALSE(editor.Imported());
        EXPECT_EQ(ConfigLines(), live) << name; // every setting, line by line
        EXPECT_EQ(graphics::ZoomFactor, 2.25L) << name;
        ASSERT_FALSE(Logged("error").empty());
        EXPECT_NE(Logged("error").back().find(message), std::string::npos) << Logged("error").back();
    }

    std::vector<std::string> huge = good;
    huge[IndexOf(huge, "KAVOLT Command lines (n, line 2 .. line n)") + 1] = "100000";
    dir.Put("huge.cfg", Join(huge, huge.size()));
    ui->Script(dir.File("huge.cfg"));
    EXPECT_TRUE(editor.Import());
    EXPECT_EQ(ConfigLines(), live);
    ASSERT_FALSE(Logged("message").empty());
    EXPECT_NE(Logged("message").back().find("100000 angegeben, nur 3"), std::string::npos);
    EXPECT_TRUE(editor.Imported());
}

// A FIFO or a device in the start folder is no configuration and is never
// opened (a writer of the FIFO would get on): one message, and the user's
// own file in the next folder is read, without an abort.
TEST_F(ConfigFile, WhatCannotBeTakenIsPassedOverWithItsCause)
{
    cad::CadPlotLines[1] = "own";
    settings::ConfigDir = FallbackConfigDirs()[0];
    std::filesystem::create_directories(settings::ConfigDir);
    WriteConfigFile();
    const std::string cfg = dir.File("kt4.cfg");
    for (const bool fifo : {true, false}) {
        std::filesystem::remove(cfg);
        ASSERT_EQ(fifo ? ::mkfifo(cfg.c_str(), 0644) : ::symlink("/dev/null", cfg.c_str()), 0);
        std::atomic<bool> writing{false};
        std::thread writer([&] {
            const int fd = fifo ? ::open(cfg.c_str(), O_WRONLY) : -1;
            writing = fifo;
            ::close(fd);
        });
        ::usleep(50000); // the writer waits in its open
        FreshStart();
        cad::CadPlotLines[1] = "start";
        ReadConfigFile();
        ::usleep(50000);
        EXPECT_FALSE(writing) << fifo;
        const int reader = ::open(cfg.c_str(), O_RDONLY | O_NONBLOCK);
        writer.join();
        ::close(reader);
        EXPECT_FALSE(settings::AbortFlag) << fifo;
        EXPECT_EQ(cad::CadPlotLines[1], "own") << fifo;
        EXPECT_EQ(Logged("message"), std::vector<std::string>{"message|Meldung:|Konfigurationsdatei " + cfg +
                                                               " wird nicht gelesen: keine Datei."});
        EXPECT_TRUE(Logged("error").empty()) << fifo;
    }
}

// A configuration folder that is there but cannot be searched (mode 000)
// is told once with its cause, and the search goes on in the next folder;
// the user's own folder that way hides the folder inside it.
TEST_F(ConfigFile, AFolderThatCannotBeSearchedIsToldAndPassedOver)
{
    const std::vector<std::string> fallback = FallbackConfigDirs();
    std::filesystem::create_directories(fallback[1]);
    for (const char* start : {"start", "start2"})
        std::filesystem::create_directory(dir.File(start));
    cad::CadPlotLines[1] = "own";
    settings::ConfigDir = fallback[1];
    WriteConfigFile();
    const bool root = ::geteuid() == 0;
    if (root) { // root searches any folder: the run goes as nobody
        dir.OpenToAll();
        for (const std::string& f : {dir.File("xdg"), fallback[0], fallback[1], fallback[1] + "kt4.cfg",
                                     dir.File("start"), dir.File("start2")})
            ASSERT_EQ(::chown(f.c_str(), kt4::test::NobodyId, kt4::test::NobodyId), 0) << f;
        if (kt4::test::AsUserNobody([&] { return ::access(dir.Path().c_str(), X_OK) == 0 ? 0 : 1; }) != 0)
            GTEST_SKIP() << "user nobody cannot reach " << dir.Path();
    }
    const struct {
        std::string locked, start;
        bool taken;
    } cases[] = {
        {dir.File("start"), dir.File("start"), true},
        {fallback[0], dir.File("start2"), false},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(::chmod(c.locked.c_str(), 0), 0);
        const auto read = [&] {
            FreshStart();
            settings::ConfigDir = c.start;
            cad::CadPlotLines[1] = "start";
            ReadConfigFile();
            if (Logged("message") != std::vector<std::string>{"message|Meldung:|Konfigurationsordner " + c.locked +
                                                               " wird nicht gelesen: nicht lesbar: " +
                                                               std::strerror(EACCES) + "."})
                return 1;
            return (cad::CadPlotLines[1] == "own") == c.taken ? 0 : 2;
        };
        EXPECT_EQ(root ? kt4::test::AsUserNobody(read) : read(), 0) << c.locked;
        ::chmod(c.locked.c_str(), 0755);
    }
}

TEST_F(ConfigFile, UnreadableFileChangesNothing)
{
    // a file that fails while it is read: a read error, and no other file
    const std::string own = FallbackConfigDirs()[0];
    std::filesystem::create_directories(own);
    settings::ConfigDir = own;
    cad::CadPlotLines[1] = "own";
    WriteConfigFile();
    FreshStart();
    std::filesystem::create_symlink("/proc/self/mem", dir.File("kt4.cfg"));
    settings::Decimals = 5;
    ReadConfigFile();
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(settings::Decimals, 5);
    EXPECT_NE(cad::CadPlotLines[1], "own");
    EXPECT_EQ(Logged("error").size(), 1u);
}

TEST_F(ConfigFile, NameThatTheFileCannotHoldIsRefusedAndTheOldFileStays)
{
    WriteConfigFile();
    std::string before = FileText();
    settings::PltDir = "/daten/\xE5\x9B\xBE/"; // a CJK character
    WriteConfigFile();
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(FileText(), before);
    EXPECT_NE(Logged("error").back().find("Zeichen nicht darstellbar: \xE5\x9B\xBE"), std::string::npos)
        << Logged("error").back(); // the character itself, not "?"

    // umlauts survive the code page of the file
    settings::AbortFlag = false;
    settings::PltDir = "/daten/Gr\xC3\xBC\xC3\x9F" "e/";
    WriteConfigFile();
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_NE(FileText().find("/daten/Gr\x81\xE1" "e/"), std::string::npos);
    FreshStart();
    ReadConfigFile();
    EXPECT_EQ(settings::PltDir, "/daten/Gr\xC3\xBC\xC3\x9F" "e/");
}

} // namespace
