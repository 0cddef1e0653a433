// Zoom and pan by keys, wheel, rubber band and double-click.
#include "graphics_fixture.h"

#include "graphics/graph_window.h"

#include <cmath>

using namespace kt4;
using namespace kt4::graphics;

namespace {
// A window whose screen rectangle and zoom rectangle are 0..640 x 0..480.
class Input : public GraphicsTest {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        w.SetWindow(false, false, 0, 0, 1, 1, 0, 0, 640, 480);
    }
    TGraphWindow w;
};
} // namespace

TEST_F(Input, NumericPlusAndMinusZoomAboutTheCentre)
{
    w.processKey(GraphKey::NumPlus);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{54, 40, 586, 440}));
    EXPECT_EQ(settings::LastKey, '+');
    EXPECT_NEAR(double(w.Mapping().ViewWindow.X0), 54.0, 1e-12);
    EXPECT_NEAR(double(w.Mapping().ScaleX), 640.0 / 532.0, 1e-12);
    w.processKey(GraphKey::NumMinus);
    EXPECT_EQ(settings::LastKey, '-');
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{1, 0, 639, 480}));
}

TEST_F(Input, ArrowsAndPagesPan)
{
    w.processKey(GraphKey::Up);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{0, -48, 640, 432}));
    w.processKey(GraphKey::Down);
    w.processKey(GraphKey::Left);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{64, 0, 704, 480}));
    w.processKey(GraphKey::Right);
    w.processKey(GraphKey::PageUp);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{0, -240, 640, 240}));
    EXPECT_EQ(LastScanCode, 73);
    w.processKey(GraphKey::PageDown);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{0, 0, 640, 480}));

    settings::LastKey = 'x';
    w.processKey(GraphKey::Other);
    EXPECT_EQ(settings::LastKey, 'x');
}

TEST_F(Input, RepeatedZoomOutStaysBounded)
{
    for (int k = 0; k < 300; ++k)
        w.processKey(GraphKey::NumMinus);
    const IntRect z = w.Mapping().ZoomRect;
    EXPECT_GE(z.X0, -ZoomLimit);
    EXPECT_LE(z.X1, ZoomLimit);
    EXPECT_LT(z.X0, z.X1);
    EXPECT_TRUE(std::isfinite(double(w.Mapping().ScaleX)));
    EXPECT_GT(w.Mapping().ScaleX, 0);
    for (int k = 0; k < 300; ++k)
        w.processKey(GraphKey::NumPlus);
    EXPECT_LT(w.Mapping().ZoomRect.X0, w.Mapping().ZoomRect.X1);
}

TEST_F(Input, WheelZoomsOnlyWhenConfigured)
{
    w.MouseWheel(240);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{0, 0, 640, 480}));
    ZoomMouseWheel = true;
    w.MouseWheel(240); // two notches: out by ZoomFactor * 2
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{-448, -336, 1088, 816}));
    w.ResetZoom();
    w.MouseWheel(-120);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{54, 40, 586, 440}));
    EXPECT_TRUE(w.WheelDown);
}

TEST_F(Input, FineWheelStepsAddUpToNotches)
{
    ZoomMouseWheel = true;
    for (int k = 0; k < 7; ++k)
        w.MouseWheel(15);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{0, 0, 640, 480}));
    w.MouseWheel(15); // the eighth makes a notch: one step out, never 8x
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{-64, -48, 704, 528}));

    w.ResetZoom();
    w.MouseWheel(60);
    w.MouseWheel(-60); // turning back starts a new notch
    w.MouseWheel(-60);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{54, 40, 586, 440}));
}

TEST_F(Input, RubberBandSelectsTheZoomRectangle)
{
    w.MouseDown(GraphButton::Left, 100, 100);
    EXPECT_TRUE(w.Zooming);
    w.MouseMove(200, 200);
    EXPECT_EQ(w.RubberEnd, (PixelPoint{200, 200}));
    w.MouseUp(300, 240, 640, 480);
    EXPECT_FALSE(w.Zooming);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{100, 240, 300, 380}));
}

TEST_F(Input, RubberBandOnAPageKeepsTheAspect)
{
    w.Header(0, 0, 319, 239);
    w.Header(0, 0, 319, 239);
    w.MouseDown(GraphButton::Left, 100, 100);
    w.MouseUp(300, 240, 641, 481);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{100, 240, 299, 380}));
}

TEST_F(Input, RubberBandWithoutAreaOrClientChangesNothing)
{
    w.MouseDown(GraphButton::Left, 100, 100);
    w.MouseUp(100, 300, 640, 480); // equal x
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{0, 0, 640, 480}));
    w.MouseDown(GraphButton::Left, 100, 100);
    w.MouseUp(200, 300, 0, 0); // no client area
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{0, 0, 640, 480}));
}

TEST_F(Input, RightButtonAndDoubleClickReset)
{
    w.processKey(GraphKey::NumPlus);
    w.MouseDown(GraphButton::Right, 10, 10);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{0, 0, 640, 480}));

    w.Header(0, 0, 319, 239);
    w.processKey(GraphKey::NumPlus);
    const std::size_t records = w.DisplayList().Count();
    w.DoubleClick();
    w.MouseDown(GraphButton::Left, 10, 10); // the second press of the double-click
    EXPECT_FALSE(w.DblClicked);
    EXPECT_FALSE(w.Zooming);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{0, 0, 640, 480}));
    EXPECT_EQ(w.DisplayList().Count(), records + 2); // the saved page and the plain window
}
