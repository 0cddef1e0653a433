// Drawing calls of the window and the drawing interface: the records they
// write, the logo, colour numbers, texts, file checks.
#include "graphics_fixture.h"

#include "graphics/graph_device.h"
#include "graphics/graph_window.h"

#include <filesystem>
#include <fstream>

using namespace kt4;
using namespace kt4::graphics;

using Window = GraphicsTest;

TEST_F(Window, RecordsCarryTheirFields)
{
    TGraphWindow w;
    w.SetWindow(true, true, 0.1L, 0.05L, 0.95L, 0.95L, 0, 0, 36.9L, 32);
    w.Rectangle(0, 0, 2.5L, 1);
    w.OutTextXY(1, 2, "a;b");
    w.SetTextStyle(2, 45, 3.5L, 2.5L);
    w.SleepMs(25);
    const TDisplayList& l = w.DisplayList();
    ASSERT_EQ(l.Count(), 8u);
    EXPECT_EQ(l[0], "10;65;25;607;455;0;0;36.9;32");
    EXPECT_EQ(l[1], "4;0;0;2.5;0");
    EXPECT_EQ(l[4], "4;0;1;0;0");
    EXPECT_EQ(l[5], "6;1;2;a;b");
    EXPECT_EQ(l[6], "9;3.5;2.5;2;45");
    EXPECT_EQ(l[7], "13;25");
    EXPECT_EQ(ParseDisplayLine(l[5]).text, "a;b");
    EXPECT_EQ(DisplayNumStr(1.0L / 3), "0.33333333");
    EXPECT_EQ(DisplayNumStr(-123456789.0L), "-1.2345679e+08");
}

// A picture put back shows the records, the zoom and the failure mark it
// was taken with, whatever came in between; Clear forgets the mark.
TEST_F(Window, PictureShownAgainAsItWas)
{
    TGraphWindow w;
    w.SetWindow(true, true, 0.1L, 0.05L, 0.95L, 0.95L, 0, 0, 36.9L, 32);
    w.SetScale(10, 20, 300, 200);
    w.line(1, 2, 3, 4);
    w.NoteDrawingFailed("warum");
    const std::vector<std::string> records(w.DisplayList().begin(), w.DisplayList().end());
    const ViewMapping map = w.Mapping();
    const TGraphPicture kept = w.Picture();
    w.Clear();
    EXPECT_FALSE(w.DrawingFailed());
    EXPECT_TRUE(w.DrawingFailure().empty());
    w.Header(0, 0, 160, 120);
    w.line(5, 6, 7, 8);
    const std::size_t generation = w.DisplayList().Generation();
    w.ShowPicture(kept);
    EXPECT_EQ(std::vector<std::string>(w.DisplayList().begin(), w.DisplayList().end()), records);
    EXPECT_EQ(w.Mapping().ZoomRect, map.ZoomRect);
    EXPECT_EQ(w.Mapping().WorldWindow, map.WorldWindow);
    EXPECT_GT(w.DisplayList().Generation(), generation); // painted anew
    EXPECT_TRUE(w.DrawingFailed());
    EXPECT_EQ(w.DrawingFailure(), "warum");
}

TEST_F(Window, LineStyleNames)
{
    TGraphWindow w;
    const std::pair<const char*, Word> names[] = {
        {"DOTTED", 1}, {"PUNKT", 1},  {"CENTER", 2},   {"DASHDOT", 2}, {"STRICHPUNKT", 2},
        {"DASHED", 3}, {"HIDDEN", 3}, {"VERDECKT", 3}, {"dashed", 0},  {"CONTINUOUS", 0}};
    for (const auto& [name, style] : names) {
        w.SetLineStyleName(name);
        EXPECT_EQ(w.CurLineStyle, style) << name;
    }
}

TEST_F(Window, DirectionsAndFractions)
{
    EXPECT_EQ(TGraphWindow::GetDirection(45), 0);
    EXPECT_EQ(TGraphWindow::GetDirection(46), 1);
    EXPECT_EQ(TGraphWindow::GetDirection(135), 0);
    EXPECT_EQ(TGraphWindow::GetDirection(270), 1);
    EXPECT_EQ(TGraphWindow::GetDirection(-90), 1);
    EXPECT_EQ(TGraphWindow::GetDirection(180), 0);
    TGraphWindow w;
    w.Header(10, 0, 170, 120);
    EXPECT_EQ(w.EinX(0.5L), 80);
    EXPECT_EQ(w.EinY(0.25L), 30);
}

TEST_F(Window, SquarePixelsKeepCirclesRoundOnWideScreens)
{
    settings::ScreenResX = 1920;
    settings::ScreenResY = 1080;
    TGraphWindow w;
    w.Header(0, 0, 160, 120);
    EXPECT_EQ(w.Mapping().ScaleX, w.Mapping().ScaleY);
    // a configured 4:3 screen gives the same scales as before
    settings::ScreenResX = 800;
    settings::ScreenResY = 600;
    w.Header(0, 0, 160, 120);
    EXPECT_NEAR(double(w.Mapping().ScaleX), 598.0 / 120, 1e-12);
    EXPECT_EQ(w.Mapping().ScaleX, w.Mapping().ScaleY);
}

TEST_F(Window, LogoIsFiftySevenQuadrilateralsInItsPage)
{
    TGraphWindow w;
    w.DrawVelmoraLogo();
    int solids = 0;
    std::string colours;
    for (const auto& line : w.DisplayList()) {
        const DisplayRecord r = ParseDisplayLine(line);
        if (r.op == int(TDisplayOp::doColor))
            colours += std::to_string(r.n) + " ";
        if (r.op != int(TDisplayOp::doSolid))
            continue;
        ++solids;
        for (int k = 0; k < 8; k += 2) {
            EXPECT_GE(r.v[k], -1);
            EXPECT_LE(r.v[k], 38);
            EXPECT_GE(r.v[k + 1], -1);
            EXPECT_LE(r.v[k + 1], 33);
        }
    }
    EXPECT_EQ(solids, 57);
    EXPECT_EQ(colours, "9 13 9 ");
    EXPECT_EQ(w.Mapping().WorldWindow, (RealRect{-1, -1, 38, 33}));
}

TEST_F(Window, CadColoursMapToThePalette)
{
    EXPECT_EQ(TGraphDevice::CadColorToPalette(0), 0);
    EXPECT_EQ(TGraphDevice::CadColorToPalette(1), 12);
    EXPECT_EQ(TGraphDevice::CadColorToPalette(7), 15);
    EXPECT_EQ(TGraphDevice::CadColorToPalette(8), 1);
    EXPECT_EQ(TGraphDevice::CadColorToPalette(15), 8);
    EXPECT_EQ(TGraphDevice::CadColorToPalette(16), 16);
    EXPECT_EQ(TGraphDevice::CadColorToPalette(17), 12);
    EXPECT_EQ(TGraphDevice::CadColorToPalette(32), 0);
}

TEST_F(Window, DeviceDrawsIntoTheActiveWindowAndConvertsTexts)
{
    TGraphWindow w;
    SetActiveGraphWindow(&w);
    GraphDevice.Init();
    GraphDevice.SetCadColor(2);
    GraphDevice.OutTextXY(0, 0, "Gr\x81\xE1" "e"); // OEM "Grüße"
    EXPECT_EQ(w.DisplayList()[0], "8;14");
    EXPECT_EQ(w.DisplayList()[1], "6;0;0;Gr\xC3\xBC\xC3\x9F" "e");
    SetActiveGraphWindow(nullptr);
    EXPECT_FALSE(HasActiveGraphWindow());
    {
        TGraphWindow gone;
        SetActiveGraphWindow(&gone);
    }
    EXPECT_FALSE(HasActiveGraphWindow()); // a destroyed window lets go
    EXPECT_EQ(&GraphDevice.Window(), &ActiveGraphWindow());
}

TEST_F(Window, CheckFileReportsAMissingFileOnce)
{
    TGraphDevice dev;
    EXPECT_FALSE(dev.CheckFile("/no such/dir/x.plt"));
    EXPECT_TRUE(settings::AbortFlag);
    ASSERT_EQ(ui->Log().size(), 1u);
    EXPECT_NE(ui->Log()[0].find("/nosuch/dir/x.plt nicht gefunden !"), std::string::npos);

    settings::AbortFlag = false;
    const auto path = std::filesystem::temp_directory_path() / "kt4_checkfile.plt";
    std::ofstream(path) << "IN;";
    EXPECT_TRUE(dev.CheckFile(path.string()));
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_FALSE(dev.CheckFile(std::filesystem::temp_directory_path().string()));
    std::filesystem::remove(path);
}

TEST_F(Window, CurrentFilePathFollowsTheSettings)
{
    settings::CurrentFileName = "";
    EXPECT_EQ(CurrentFilePath(), "");
    settings::CurrentFileName = "drive";
    settings::DataFileExt = "kt4";
    settings::DataDir = "/data/projects";
    settings::FileNameHasDir = false;
    EXPECT_EQ(CurrentFilePath(), "/data/projects/drive.kt4");
    settings::FileNameHasDir = true;
    settings::CurrentFileName = "/tmp/x.kt4";
    EXPECT_EQ(CurrentFilePath(), "/tmp/x.kt4");
}
