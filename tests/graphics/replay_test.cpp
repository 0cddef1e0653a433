// Replaying recorded drawings into the recording canvas: pixel positions
// through the mapping, zoom and pan, colours, styles and the records that
// must not stop a repaint.
#include "graphics_fixture.h"

#include "graphics/graph_window.h"

using namespace kt4;
using namespace kt4::graphics;
using Strings = std::vector<std::string>;

namespace {

// A page of 319 x 239 world units on the 640 x 480 screen: two pixels per
// unit before zooming.
void DrawPage(TGraphWindow& w)
{
    w.Header(0, 0, 319, 239);
    w.SetColor(4);
    w.line(0, 0, 319, 239);
    w.circle(160, 120, 10);
    w.Arc(160, 120, 0, 90, 40, 90);
    w.SetTextStyle(0, 0, 5, 4);
    w.OutTextXY(10, 10, "Text; with semicolon");
    w.Solid(250, 20, 290, 20, 290, 50, 250, 50);
}

const Strings Unzoomed = {
    "line 1 479 639 1",
    "ellipse 301 259 341 219",
    "arc 241 319 401 159 401 239 321 159",
    "text 21 447 16 7 0 700 i #ff0000 |Text; with semicolon|",
    "polygon 501 439 581 439 581 379 501 379 fill #ff0000",
};

} // namespace

using Replay = GraphicsTest;

TEST_F(Replay, PrimitivesFollowZoomPanAndReset)
{
    TGraphWindow w;
    DrawPage(w);
    EXPECT_EQ(w.Mapping().ScreenRect, (IntRect{1, 1, 639, 479}));
    EXPECT_EQ(Figures(w), Unzoomed);

    w.processKey(GraphKey::NumPlus);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{54, 41, 586, 439}));
    EXPECT_EQ(Figures(w), (Strings{
                              "line -63 527 703 -46",
                              "ellipse 297 263 345 215",
                              "arc 225 335 417 143 417 239 321 143",
                              "text -39 489 19 8 0 700 i #ff0000 |Text; with semicolon|",
                              "polygon 537 479 633 479 633 407 537 407 fill #ff0000",
                          }));

    w.processKey(GraphKey::Left); // the drawing moves left
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{107, 41, 639, 439}));
    EXPECT_EQ(Figures(w)[1], "ellipse 234 263 282 215");

    w.processKey(GraphKey::NumMinus);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{54, 1, 692, 479}));
    EXPECT_EQ(Figures(w), (Strings{
                              "line -52 479 586 1",
                              "ellipse 248 259 288 219",
                              "arc 188 319 348 159 348 239 268 159",
                              "text -32 447 16 7 0 700 i #ff0000 |Text; with semicolon|",
                              "polygon 448 439 528 439 528 379 448 379 fill #ff0000",
                          }));

    w.processKey(GraphKey::Escape);
    EXPECT_EQ(settings::LastKey, 0);
    EXPECT_EQ(LastScanCode, 63);
    EXPECT_EQ(Figures(w), Unzoomed);
}

TEST_F(Replay, ZoomIsKeptWhenTheListSetsItsPageAgain)
{
    TGraphWindow w;
    DrawPage(w);
    w.processKey(GraphKey::NumPlus);
    const Strings zoomed = Figures(w);
    // a second replay passes the page record again: the zoom stays
    EXPECT_EQ(Figures(w), zoomed);
    EXPECT_EQ(w.Mapping().ZoomRect, (IntRect{54, 41, 586, 439}));
}

TEST_F(Replay, EmptyListDrawsNothing)
{
    TGraphWindow w;
    EXPECT_TRUE(Figures(w).empty());
}

TEST_F(Replay, DegenerateSetWindowStopsTheCallerButNotTheRepaint)
{
    TGraphWindow w;
    DrawPage(w);
    const std::size_t before = w.DisplayList().Count();
    w.SetWindow(true, true, 0, 0, 1, 1, 5, 0, 5, 10); // no world width
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(w.DisplayList().Count(), before);
    EXPECT_EQ(w.Mapping().WorldWindow, (RealRect{0, 0, 319, 239}));

    // a list that holds such a record all the same (written elsewhere)
    settings::AbortFlag = false;
    w.DisplayList().Add("10;1;1;639;479;5;0;5;10");
    w.line(0, 239, 319, 0);
    const Strings f = Figures(w);
    EXPECT_FALSE(settings::AbortFlag);
    ASSERT_EQ(f.size(), Unzoomed.size() + 1);
    EXPECT_EQ(f.back(), "line 1 1 639 479");
}

TEST_F(Replay, ClearForgetsColourStyleAndWidth)
{
    TGraphWindow w;
    w.SetColor(5);
    w.SetLineStyle(3);
    w.SetLineWidth(4);
    w.Clear();
    w.SetColor(5);
    w.SetLineStyle(3);
    w.SetLineWidth(1); // the replay starts with width 1 anyway
    EXPECT_EQ(w.DisplayList().Count(), 2u);
    EXPECT_EQ(w.DisplayList()[0], "8;5");
    EXPECT_EQ(w.DisplayList()[1], "11;3");
    EXPECT_EQ(w.GetColor(), 5);
}

TEST_F(Replay, RecordsOfColourStyleAndWidthAreWrittenOnChange)
{
    TGraphWindow w;
    w.SetColor(5);
    w.SetColor(5);
    w.SetColor(17); // above MaxColorNumber: ignored
    w.SetLineStyle(2);
    w.SetLineStyle(2);
    w.SetLineWidth(3);
    EXPECT_EQ(w.DisplayList().Count(), 3u);
    EXPECT_EQ(w.GetColor(), 5);

    // after a repaint, style and width are written again, so a line after
    // the repaint cannot inherit a width it did not ask for
    Figures(w);
    w.SetLineStyle(2);
    w.SetLineWidth(3);
    EXPECT_EQ(w.DisplayList().Count(), 5u);
    Figures(w);
    w.SetLineWidth(1);
    EXPECT_EQ(w.DisplayList()[5], "12;1");
}

TEST_F(Replay, ColoursStylesAndWidthsReachTheCanvas)
{
    TGraphWindow w;
    w.Header(0, 0, 319, 239);
    w.SetColor(14);
    w.SetLineStyle(3);
    w.SetLineWidth(2);
    w.line(0, 0, 10, 0);
    w.SetColor(0); // erase: the background colour
    w.line(0, 0, 10, 0);
    const Strings log = ReplayLog(w);
    const Strings tail(log.end() - 6, log.end());
    EXPECT_EQ(tail, (Strings{"color #ffff00", "style 3", "width 2", "line 1 479 21 479",
                             "color #010000", "line 1 479 21 479"}));
}

TEST_F(Replay, ColourSixteenColoursTheTextsAfterIt)
{
    TGraphWindow w;
    w.Header(0, 0, 319, 239);
    w.SetColor(4);
    w.OutTextXY(0, 0, "rot");
    w.SetColor(16);
    w.OutTextXY(0, 0, "x");
    const std::string expected = RecordingCanvas::ColorText(GraphPalette[16]);
    EXPECT_NE(RecordingCanvas::ColorText(GraphPalette[4]), expected);
    EXPECT_NE(ReplayLog(w).back().find(expected + " |x|"), std::string::npos) << ReplayLog(w).back();
}

TEST_F(Replay, MonochromeDrawsBlackAndFillsBlack)
{
    settings::ColorGraphics = false;
    TGraphWindow w;
    w.Header(0, 0, 319, 239);
    w.SetColor(12);
    w.Solid(0, 0, 10, 0, 10, 10, 0, 10);
    w.OutTextXY(0, 0, "x");
    const Strings log = ReplayLog(w);
    EXPECT_EQ(log[log.size() - 3], "color #000000");
    EXPECT_NE(log[log.size() - 2].find("fill #000000"), std::string::npos);
    EXPECT_NE(log.back().find("#000000 |x|"), std::string::npos);
}

TEST_F(Replay, TurnedTextIsAnchoredAtItsUpperLeftCorner)
{
    TGraphWindow w;
    w.Header(0, 0, 319, 239);
    w.SetTextStyle(0, 90, 5, 4); // height 8, width 3.52 in the window
    w.OutTextXY(100, 100, "up");
    // corner (100 - 0.7 * 8, 100) = (94.4, 100)
    EXPECT_EQ(Figures(w).back(), "text 190 279 16 7 900 700 i #000080 |up|");
}

TEST_F(Replay, ArcSweepsUnderFourDegreesBecomeChords)
{
    TGraphWindow w;
    w.Arc(0, 0, 0, 90, 10, 3.9);
    w.Arc(0, 0, 0, 90, 10, -3.9);
    w.Arc(0, 0, 0, 90, 10, -10);
    const DisplayRecord chord = ParseDisplayLine(w.DisplayList()[0]);
    const DisplayRecord back = ParseDisplayLine(w.DisplayList()[1]);
    const DisplayRecord arc = ParseDisplayLine(w.DisplayList()[2]);
    EXPECT_EQ(chord.op, 4);
    EXPECT_EQ(back.op, 4);
    EXPECT_EQ(arc.op, 5);
    EXPECT_NEAR(chord.v[0], 10, 1e-9); // from the start angle's point
    EXPECT_NEAR(chord.v[3], 10, 1e-9); // to the end angle's point
    EXPECT_NEAR(back.v[1], 10, 1e-9);  // negative sweep: the other way round
    EXPECT_NEAR(back.v[2], 10, 1e-9);
    const double expect[8] = {-10, -10, 10, 10, 0, 10, 10, 0};
    for (int k = 0; k < 8; ++k)
        EXPECT_NEAR(arc.v[k], expect[k], 1e-9) << k;
}

TEST_F(Replay, PenMovesAndBadRecordsAreAccepted)
{
    TGraphWindow w;
    w.Header(0, 0, 319, 239);
    w.DisplayList().Add("1;10;10;");
    w.DisplayList().Add("2;20;10;");
    w.DisplayList().Add("x;1;2");
    w.DisplayList().Add("99;1;2");
    w.DisplayList().Add("4;1,5;0;2;0"); // a decimal comma
    EXPECT_EQ(Figures(w), (Strings{"line 21 459 41 459", "line 4 479 5 479"}));
}

TEST_F(Replay, PrinterGetsFiguresAndTextsScreenOnlyFigures)
{
    TGraphWindow w;
    w.Header(0, 0, 319, 239);
    w.SetColor(12);
    w.line(0, 0, 319, 239);
    w.OutTextXY(10, 10, "T");
    RecordingCanvas screen, printer;
    PrintTarget page{&printer, 2100, 2970, 1.0, 1.0, 10, 0, false};

    settings::WindowsPrintMode = 1;
    DisplayReplay(w, screen, &page).RunAll();
    EXPECT_EQ(screen.Figures(), (Strings{"line 1 479 639 1"}));
    // column round(2100 * 10 / 210) + round(2100 * px / 640)
    EXPECT_EQ(printer.Figures()[0], "line 103 2964 2197 6");
    EXPECT_NE(printer.Figures()[1].find("#000000 |T|"), std::string::npos);
    EXPECT_EQ(printer.Log[printer.Log.size() - 3], "color #000000");

    settings::WindowsPrintMode = 2;
    RecordingCanvas colour;
    page.canvas = &colour;
    page.borderLine = true;
    DisplayReplay(w, screen, &page).RunAll();
    EXPECT_EQ(colour.Log[3], "color #00ffff"); // the border line's pen
    EXPECT_EQ(colour.Figures().size(), 4u + 2u);
    EXPECT_NE(colour.Figures().back().find("#ff0000 |T|"), std::string::npos);
}

TEST_F(Replay, TheBorderIsAquaInColourAndBlackOnAMonochromePrint)
{
    TGraphWindow w;
    w.Header(0, 0, 319, 239);
    w.line(0, 0, 1, 1);
    RecordingCanvas screen;
    for (Word mode : {Word(1), Word(2)}) {
        settings::WindowsPrintMode = mode;
        RecordingCanvas printer;
        PrintTarget page{&printer, 2100, 2970, 1.0, 1.0, 0, 0, true};
        DisplayReplay(w, screen, &page).RunAll();
        // the pen the four border lines are drawn with
        std::string pen;
        for (const std::string& e : printer.Log) {
            if (e.rfind("line", 0) == 0)
                break;
            if (e.rfind("color", 0) == 0)
                pen = e;
        }
        EXPECT_EQ(pen, mode == 1 ? "color #000000" : "color #00ffff");
    }
}

TEST_F(Replay, PlaybackStopsAtPausesAndInSingleStepAtErasures)
{
    TGraphWindow w;
    w.line(0, 0, 1, 1);
    w.SleepMs(40);
    w.SetColor(0);
    w.line(0, 0, 1, 1);
    w.SetColor(3);
    w.SleepMs(40);
    const TDisplayList& l = w.DisplayList();
    EXPECT_EQ(l.PauseCount(), 2u);
    PlaybackStop s = NextPlaybackStop(l, 0, false);
    EXPECT_EQ(s.kind, PlaybackStop::Pause);
    EXPECT_EQ(s.index, 1u);
    EXPECT_EQ(s.ms, 40);
    s = NextPlaybackStop(l, 2, true);
    EXPECT_EQ(s.kind, PlaybackStop::Step);
    EXPECT_EQ(s.index, 2u);
    s = NextPlaybackStop(l, 3, true);
    EXPECT_EQ(s.index, 5u);
    EXPECT_EQ(NextPlaybackStop(l, 6, true).kind, PlaybackStop::End);
}
