// The graphics window on Qt's offscreen platform: pictures grabbed to PNG
// (kept in the build folder's artifacts/ for a look), zoom by keys, wheel
// and rubber band, the animation's frame driver and the picture window.
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_device.h"
#include "graphics/graph_settings.h"
#include "graphics/gui/anistep.h"
#include "graphics/gui/fvelmgra.h"
#include "graphics/gui/plot_picture.h"
#include "graphics/hpgl.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace kt4;
using namespace kt4::graphics;

namespace {

std::string Artifact(const std::string& name)
{
    std::filesystem::create_directories(KT4_ARTIFACT_DIR);
    return std::string(KT4_ARTIFACT_DIR) + "/" + name;
}

const std::string StartPlt = std::string(KT4_SOURCE_DIR) + "/data/start.plt";

class Gui : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::InitSettings();
        InitGraphSettings();
        InitHpgl();
        UseHeadlessUi().quiet = true;
    }
    static QRgb Rgb(int n)
    {
        return QColor(ColorRed(GraphPalette[n]), ColorGreen(GraphPalette[n]),
                      ColorBlue(GraphPalette[n]))
            .rgb();
    }
    static QImage Grab(TFvelmgra& w) { return w.DrawingArea()->grab().toImage(); }
    static QRgb At(const QImage& img, const TFvelmgra& w, Real x, Real y)
    {
        return img.pixel(w.Mapping().PixelX(x), w.Mapping().PixelY(y)) & 0xFFFFFF;
    }
};

void DrawTestPicture(TGraphWindow& w)
{
    w.Clear();
    w.Header(0, 0, 160, 120);
    w.SetColor(15);
    w.Rectangle(2, 2, 158, 118);
    w.SetColor(14);
    w.SetLineWidth(3);
    w.line(10, 20, 70, 50);
    w.SetLineWidth(1);
    w.SetColor(12);
    w.Arc(40, 80, 0, 270, 20, 270);
    w.circle(40, 80, 8);
    w.SetColor(10);
    w.Solid(90, 20, 130, 20, 140, 50, 95, 45);
    w.SetColor(11);
    w.SetLineStyle(3);
    w.line(10, 105, 150, 105);
    w.SetLineStyle(1);
    w.line(10, 100, 150, 100);
    w.SetLineStyle(2);
    w.line(10, 95, 150, 95);
    w.SetLineStyle(0);
    w.SetColor(13);
    w.SetTextStyle(0, 30, 5, 4);
    w.OutTextXY(85, 60, "gedreht 30\xC2\xB0");
    w.SetColor(7);
    w.SetTextStyle(0, 0, 4, 3);
    w.OutTextXY(10, 8, "KT4 Testbild");
    w.ClearViewPort();
}

} // namespace

TEST_F(Gui, TestPictureIsPainted)
{
    TFvelmgra w;
    w.show();
    DrawTestPicture(w);
    const QImage img = Grab(w);
    ASSERT_TRUE(img.save(QString::fromStdString(Artifact("graphics_test_picture.png"))));
    EXPECT_EQ(img.size(), QSize(641, 481));
    EXPECT_EQ(At(img, w, 110, 30), Rgb(10) & 0xFFFFFF);           // inside the filled area
    EXPECT_EQ(At(img, w, 150, 60), QColor(1, 0, 0).rgb() & 0xFFFFFF); // background
    EXPECT_EQ(At(img, w, 40, 72), Rgb(12) & 0xFFFFFF);             // on the circle
    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            colours.insert(img.pixel(x, y) & 0xFFFFFF);
    for (int n : {7, 10, 11, 12, 13, 14, 15})
        EXPECT_TRUE(colours.contains(Rgb(n) & 0xFFFFFF)) << n;
}

TEST_F(Gui, StartPictureIsPainted)
{
    TFvelmgra w;
    w.show();
    DrawPlotPicture(w, StartPlt, PictureWindow{});
    EXPECT_FALSE(settings::AbortFlag);
    const QImage img = Grab(w);
    ASSERT_TRUE(img.save(QString::fromStdString(Artifact("start_plt.png"))));
    int drawn = 0;
    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y) & 0xFFFFFF;
            drawn += c != 0x010000;
            colours.insert(c);
        }
    EXPECT_GT(drawn, 10000);
    for (int n : {9, 10, 11, 12, 13, 14, 15}) // pens 1 to 7
        EXPECT_TRUE(colours.contains(Rgb(n) & 0xFFFFFF)) << n;
}

TEST_F(Gui, KeysAndWheelZoom)
{
    TFvelmgra w;
    w.show();
    DrawTestPicture(w);
    const QImage before = Grab(w);
    QTest::keyClick(w.DrawingArea(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{54, 41, 586, 439}));
    EXPECT_EQ(settings::LastKey, '+');
    QTest::keyClick(w.DrawingArea(), Qt::Key_Plus); // not the numeric pad
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{54, 41, 586, 439}));
    const QImage zoomed = Grab(w);
    EXPECT_NE(before, zoomed);
    zoomed.save(QString::fromStdString(Artifact("graphics_zoomed.png")));
    QTest::keyClick(w.DrawingArea(), Qt::Key_Escape);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{1, 1, 639, 479}));
    EXPECT_EQ(Grab(w), before);

    ZoomMouseWheel = true;
    const QPointF at(320, 240);
    QWheelEvent wheel(at, w.DrawingArea()->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.DrawingArea(), &wheel);
    // out by ZoomFactor * 2 about the centre of 1..639 x 1..479
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{-445, -333, 1085, 813}));
}

TEST_F(Gui, RubberBandAndDoubleClick)
{
    TFvelmgra w;
    w.show();
    DrawTestPicture(w);
    DrawTestPicture(w); // the second page gets the page's own aspect factor
    QWidget* area = w.DrawingArea();
    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(area, QPoint(200, 180));
    EXPECT_TRUE(w.Zooming);
    Grab(w).save(QString::fromStdString(Artifact("graphics_rubber_band.png")));
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(300, 240));
    EXPECT_FALSE(w.Zooming);
    EXPECT_NE(w.Mapping().ZoomRect, (IntRect{1, 1, 639, 479}));
    QTest::mouseDClick(area, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(w.Mapping().ZoomRect, w.Mapping().ScreenRect);
}

TEST_F(Gui, AnimationPlaysFrameByFrameOutsidePaint)
{
    TFvelmgra w;
    w.show();
    w.Clear();
    w.Header(0, 0, 160, 120);
    for (int k = 0; k < 5; ++k) {
        w.SetColor(14);
        w.line(10 + 20 * k, 10, 10 + 20 * k, 100);
        w.SleepMs(5);
    }
    w.ClearViewPort();
    EXPECT_TRUE(w.Playing());
    // before the first frame nothing is drawn, and painting does not wait
    const QImage first = w.RenderImage();
    EXPECT_EQ(first.pixel(w.Mapping().PixelX(90), w.Mapping().PixelY(50)) & 0xFFFFFF, 0x010000u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.Playing(); }, 5000));
    const QImage last = w.RenderImage();
    EXPECT_EQ(last.pixel(w.Mapping().PixelX(90), w.Mapping().PixelY(50)) & 0xFFFFFF, Rgb(14) & 0xFFFFFF);
    EXPECT_EQ(w.DisplayList().PauseCount(), 5u); // the pauses stay in the list
}

TEST_F(Gui, SingleStepAsksBetweenFramesAndCanEndStepping)
{
    TFvelmgra w;
    w.show();
    w.Clear();
    w.Header(0, 0, 160, 120);
    for (int k = 0; k < 3; ++k) {
        w.SetColor(14);
        w.line(10, 10, 100, 100);
        w.SleepMs(1);
        w.SetColor(0); // erase
        w.line(10, 10, 100, 100);
    }
    w.SingleStep = true;
    w.ClearViewPort();
    auto dialog = [&] { return w.findChild<TForm_anistep*>(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog() && dialog()->isVisible(); }, 5000));
    // the frame before the erase is on the screen while the dialog waits
    const QImage frame = w.RenderImage();
    EXPECT_EQ(frame.pixel(w.Mapping().PixelX(55), w.Mapping().PixelY(55)) & 0xFFFFFF, Rgb(14) & 0xFFFFFF);
    dialog()->findChild<QPushButton*>("Button_nextstep")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog() && dialog()->isVisible(); }, 5000));
    dialog()->findChild<QPushButton*>("Button_endstep")->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.Playing(); }, 5000));
    EXPECT_FALSE(w.SingleStep);
}

TEST_F(Gui, PicturesGoToTheMainWindowOrAWindowOfTheirOwn)
{
    ShowPlotPictureWindow(StartPlt, PictureWindow{});
    TFvelmgra* own = PlotPictureWindow();
    ASSERT_NE(own, nullptr);
    EXPECT_GT(own->DisplayList().Count(), 100u);
    EXPECT_FALSE(HasActiveGraphWindow());

    TFvelmgra main;
    EXPECT_EQ(&ActiveGraphWindow(), static_cast<TGraphWindow*>(&main));
    ShowPlotPictureWindow(StartPlt, PictureWindow{0, 0, 320, 240});
    EXPECT_GT(main.DisplayList().Count(), 100u);
    EXPECT_EQ(main.Mapping().WorldWindow, (RealRect{0, 0, 320, 240}));
    ShowPlotPictureWindow("", PictureWindow{}); // only the cleared page
    EXPECT_EQ(main.DisplayList().Count(), 2u);  // page and its line style
    EXPECT_FALSE(settings::AbortFlag);
    delete own;
}

// A help picture drawn from an open dialog never raises the window over
// the dialog (no window manager would keep the dialog on top).
TEST_F(Gui, APictureDrawnFromADialogLeavesTheDialogOnTop)
{
    TFvelmgra main;
    main.show();
    struct Raises : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            count += e->type() == QEvent::ZOrderChange;
            return false;
        }
    } raises;
    main.installEventFilter(&raises);
    ShowPlotPictureWindow(StartPlt, PictureWindow{});
    EXPECT_EQ(raises.count, 1); // without a dialog the window comes up
    QDialog dialog(&main);
    dialog.setModal(true);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeModalWidget() == &dialog; }, 2000));
    raises.count = 0;
    ShowPlotPictureWindow(StartPlt, PictureWindow{});
    EXPECT_EQ(raises.count, 0);
    EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
    EXPECT_GT(main.DisplayList().Count(), 100u);
}

TEST_F(Gui, PrintingReplaysOntoThePage)
{
    settings::WindowsPrintMode = 2;
    TFvelmgra w;
    DrawTestPicture(w);
    QImage page(840, 1188, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    w.ReplayOnPrinter(p, PrintTarget{nullptr, 840, 1188, 1.0, 1.0, 10, 10, true});
    p.end();
    EXPECT_FALSE(GraphPrinting);
    page.save(QString::fromStdString(Artifact("graphics_print_page.png")));
    int drawn = 0;
    for (int y = 0; y < page.height(); y += 2)
        for (int x = 0; x < page.width(); x += 2)
            drawn += (page.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    EXPECT_GT(drawn, 1000);
}

TEST_F(Gui, ANewListNeverShowsTheOldPicture)
{
    TFvelmgra w;
    DrawTestPicture(w);
    const QImage full = w.RenderImage();
    EXPECT_EQ(At(full, w, 110, 30), Rgb(10) & 0xFFFFFF);
    GraphDevice.Init(); // empties the list without asking for a repaint
    GraphDevice.Header(0, 0, 160, 120);
    GraphDevice.Line(0, 0, 10, 10);
    const QImage fresh = w.RenderImage();
    EXPECT_EQ(At(fresh, w, 110, 30), QColor(1, 0, 0).rgb() & 0xFFFFFF);
}
