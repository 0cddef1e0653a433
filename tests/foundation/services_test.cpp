#include "foundation/datetime.h"
#include "foundation/environment.h"
#include "foundation/fontstyle.h"
#include "foundation/placement.h"
#include "foundation/settings.h"
#include "foundation/tour.h"

#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

using namespace kt4;
using kt4::testing::ScratchDir;

class Services : public ::testing::Test {
protected:
    void SetUp() override { settings::InitSettings(); }
    void TearDown() override { UseSystemClock(); }
};

TEST_F(Services, DateLayouts)
{
    SetFixedClock({2002, 3, 5, 9, 5, 0, 0});
    const char* expected[] = {"05.03.2002", "03/05/2002", "2002-03-05", "05/03/2002", "2002/03/05"};
    for (Word code = 1; code <= 5; ++code) {
        settings::DateFormat = code;
        EXPECT_EQ(DateString(), expected[code - 1]);
    }
    settings::DateFormat = 7;
    EXPECT_EQ(DateString(), "2002/03/05");
    EXPECT_EQ(DateStrISO(), "2002-03-05");
    EXPECT_EQ(TimeString(), "9:05");
    EXPECT_EQ(TimeStrHMS(), "09:05:00");
    Word y, m, d, dow = 9;
    GetDateParts(y, m, d, dow);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20020305);
    EXPECT_EQ(dow, 0);
}

TEST_F(Services, SystemClockAgreesWithLocalTime)
{
    std::time_t before = std::time(nullptr);
    auto now = CurrentDateTime();
    std::tm t {};
    localtime_r(&before, &t);
    EXPECT_EQ(now.year, t.tm_year + 1900);
    EXPECT_GE(now.hour * 60 + now.minute, t.tm_hour * 60 + t.tm_min - 1);
    ScratchDir dir;
    dir.Put("f", "x");
    EXPECT_EQ(FileDateStr(dir.File("f")), DateStrISO());
    EXPECT_EQ(FileDateStr(dir.File("missing")), "");
}

TEST_F(Services, FormPlacement)
{
    settings::InputWindowScale = 120;
    FormRect main{100, 50, 300, 600};
    FormRect r = CenterFormRect({0, 0, 400, 300}, main);
    EXPECT_EQ(r, (FormRect{100, 50 + 120 + 20, 480, 360})); // main narrower: its left edge
    r = CenterFormRect({0, 0, 100, 100}, {0, 0, 1000, 800});
    EXPECT_EQ(r, (FormRect{440, 340 + 20, 120, 120}));
    r = ScaleCenterOnScreenRect({0, 0, 100, 100}, 1024, 768);
    EXPECT_EQ(r, (FormRect{(1024 - 128) / 2, (768 - 128) / 2 + 20, 128, 128}));
    settings::HelpPictureLeft = 7;
    settings::HelpPictureTop = 9;
    EXPECT_EQ(ScaleFormAtPosRect({1, 2, 100, 10}), (FormRect{7, 9, 120, 12}));
    EXPECT_EQ(ScaleFormRect({1, 2, 100, 10}), (FormRect{1, 2, 120, 12}));
    settings::ScreenPPI = 120;
    EXPECT_EQ(ScaleFormPPIRect({1, 2, 96, 48}), (FormRect{1, 2, 120, 60}));
    EXPECT_EQ(ScaleSize(50), 62);
    settings::DialogElementScale = 200;
    EXPECT_EQ(ScaleSize(50), 125);
    EXPECT_EQ(DialogScalePPI(), 150);
    settings::ScreenResX = 799;
    settings::ScreenResY = 599;
    EXPECT_EQ(MainFormClientRect(), (FormRect{0, 0, 800, 600}));
    EXPECT_EQ(MaxClientWidth(1024, 790, 800), 1014);
    EXPECT_EQ(MaxClientHeight(768, 570, 600), 768 - 57);
    settings::InputWindowScale = 0; // a stored 0 would make the form vanish
    EXPECT_EQ(ScaleFormRect({0, 0, 100, 10}), (FormRect{0, 0, 100, 10}));
}

TEST_F(Services, FontStyles)
{
    EXPECT_EQ(FontStyleToCode(FontBold | FontUnderline), 5);
    std::string name = "keep";
    FontStyleName(5, name);
    EXPECT_EQ(name, "bold underline");
    FontStyleName(15, name);
    EXPECT_EQ(name, "bold italic underline strikeout");
    FontStyleName(0, name);
    EXPECT_EQ(name, "");
    name = "keep";
    FontStyleName(16, name);
    EXPECT_EQ(name, "keep");
    FontStyleSet s = FontItalic;
    CodeToFontStyle(16, s);
    EXPECT_EQ(s, FontItalic);
    CodeToFontStyle(9, s);
    EXPECT_EQ(s, FontBold | FontStrikeOut);
}

TEST_F(Services, EnvironmentAndVersions)
{
    EXPECT_EQ(FormatFileVersion(1, 1, 0, 0), "1.1");
    EXPECT_EQ(FormatFileVersion(2, 0, 3, 0), "2.0.3");
    EXPECT_EQ(FormatFileVersion(2, 0, 3, 4), "2.0.3.4");
    EXPECT_EQ(FormatFileVersion(2, 0, 0, 4), "2.0");
    settings::BaseName = "kt4";
    EXPECT_EQ(GetFileVersion(""), "1.1");
    EXPECT_EQ(GetFileVersion("Wkt4.exe"), "1.1");
    EXPECT_EQ(GetFileVersion("/usr/bin/ls"), "0");

    const char* argv[] = {"wkt4", "gear.kt4", "/nogui"};
    SetCommandLine(3, argv);
    EXPECT_TRUE(HasParam("/NOGUI"));
    EXPECT_FALSE(HasParam("wkt4"));
    EXPECT_FALSE(HasParam("/I"));
    SetCommandLine(0, nullptr);

    ::setenv("KT4_TEST_VAR", std::string(300, 'v').c_str(), 1);
    EXPECT_EQ(GetEnvVar("KT4_TEST_VAR"), std::string(255, 'v'));
    EXPECT_EQ(GetEnvVar("KT4_UNDEFINED_VAR"), "");
}

class Tour : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::InitSettings();
        settings::BaseName = "kt4";
        settings::PltDir = dir.Path();
    }
    ScratchDir dir;
};

TEST_F(Tour, StepsOfFourLinesAfterTwoHeaderLines)
{
    dir.Put("KT4.DEM", "h1\r\nh2\r\n-- 1 --\r\nAB\r\nerster Text\r\n--\r\n-- 2 --\r\n\r\nzweiter\r\n--\r\n-- 3 --\r\nX\r\n");
    char c1 = 'q', c2 = 'q';
    std::string text;
    ReadDemoStep(1, c1, c2, text);
    EXPECT_EQ(c1, 'A');
    EXPECT_EQ(c2, 'B');
    EXPECT_EQ(text, "erster Text");
    ReadDemoStep(2, c1, c2, text);
    EXPECT_EQ(c1, ' ');
    EXPECT_EQ(c2, ' ');
    EXPECT_EQ(text, "zweiter");
    for (int step : {3, 4, 0, -1, INT_MAX}) { // ends inside step 3; beyond; below 1; far beyond
        c1 = c2 = 'q';
        ReadDemoStep(step, c1, c2, text);
        EXPECT_EQ(c1, '0');
        EXPECT_EQ(c2, '0');
        EXPECT_EQ(text, "Demotext Nr." + std::to_string(step) + " nicht vorhanden !");
    }
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(Tour, MissingScriptKeepsTheCommands)
{
    char c1 = 'q', c2 = 'r';
    std::string text;
    ReadDemoStep(1, c1, c2, text);
    EXPECT_EQ(c1, 'q');
    EXPECT_EQ(c2, 'r');
    EXPECT_EQ(text, "Demosteuerdatei " + dir.Path() + "kt4.dem nicht gefunden !");
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(Tour, OurScriptHasTenSteps)
{
    settings::PltDir = KT4_DATA_DIR;
    char c1, c2;
    std::string text;
    for (int step = 1; step <= 10; ++step) {
        ReadDemoStep(step, c1, c2, text);
        EXPECT_EQ(text.find("nicht vorhanden"), std::string::npos) << step;
        EXPECT_GT(text.size(), 20u) << step;
        for (unsigned char c : text)
            EXPECT_LT(c, 128) << "step " << step << " is plain ASCII";
    }
    ReadDemoStep(11, c1, c2, text);
    EXPECT_EQ(text, "Demotext Nr.11 nicht vorhanden !");
}
