// The plot viewer on our own small plot files (fixtures/README.md).
#include "graphics_fixture.h"

#include "graphics/graph_device.h"
#include "graphics/graph_window.h"
#include "graphics/hpgl.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using namespace kt4;
using namespace kt4::graphics;
using Strings = std::vector<std::string>;

namespace {
std::string Fixture(const char* name)
{
    return std::string(KT4_SOURCE_DIR) + "/tests/graphics/fixtures/" + name;
}

class Hpgl : public GraphicsTest {
protected:
    // The records the file adds to an empty list.
    Strings Plot(const char* name)
    {
        w.DisplayList().Clear();
        PlotHpglFile(Fixture(name), dev);
        return Strings(w.DisplayList().begin(), w.DisplayList().end());
    }
    TGraphWindow w;
    TGraphDevice dev{w};
};
} // namespace

TEST_F(Hpgl, PenMovesDrawFromAKnownPositionOnly)
{
    // "SP;" selects pen 1 (red); the first PD has no position to start from
    EXPECT_EQ(Plot("moves.plt"),
              (Strings{"8;12", "4;0;0;10;0", "4;10;0;10;10", "8;9", "4;10;10;0;10"}));
    EXPECT_EQ(PlotCurX, 20);
    EXPECT_EQ(PlotCurY, 20);
    EXPECT_FALSE(PlotPenDown);
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(Hpgl, ScalingAndWindowCommandsChangeNothing)
{
    EXPECT_EQ(Plot("ignored.plt"), (Strings{"8;0", "3;10;10;1"}));
}

TEST_F(Hpgl, ArcsEndWhereThePenStands)
{
    const Strings r = Plot("circle_arc.plt");
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0], "8;10");
    const DisplayRecord arc = ParseDisplayLine(r[1]);
    ASSERT_EQ(arc.op, 5);
    const double box[8] = {0, 0, 100, 100, 100, 50, 50, 100};
    for (int k = 0; k < 8; ++k)
        EXPECT_NEAR(arc.v[k], box[k], 1e-9) << k;
    // the next PD starts at the end of the arc, not at its centre
    const DisplayRecord line = ParseDisplayLine(r[2]);
    ASSERT_EQ(line.op, 4);
    const double seg[4] = {50, 100, 50, 125};
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(line.v[k], seg[k], 1e-9) << k;
    // an arc with the pen up moves the pen all the same; CI stays put
    const DisplayRecord circle = ParseDisplayLine(r[3]);
    EXPECT_NEAR(circle.v[0], 50, 1e-9);
    EXPECT_NEAR(circle.v[1], -25, 1e-9);
    EXPECT_NEAR(circle.v[2], 20, 1e-9);
}

TEST_F(Hpgl, ArcOfAFullTurnIsAFullCircle)
{
    // a turn of 360 degrees, either way, ends exactly where it began: the
    // arc's start and end rays coincide, which draws the whole circle
    const Strings r = Plot("full_circle.plt");
    ASSERT_EQ(r.size(), 3u);
    for (int k : {1, 2}) {
        const DisplayRecord arc = ParseDisplayLine(r[std::size_t(k)]);
        ASSERT_EQ(arc.op, 5) << r[std::size_t(k)];
        EXPECT_EQ(arc.v[4], arc.v[6]) << r[std::size_t(k)];
        EXPECT_EQ(arc.v[5], arc.v[7]) << r[std::size_t(k)];
    }
    EXPECT_EQ(PlotCurX, 75);
    EXPECT_EQ(PlotCurY, 93.3L);
}

TEST_F(Hpgl, LabelsTakeSizeDirectionAndUmlauts)
{
    EXPECT_EQ(Plot("labels.plt"), (Strings{
                                      "8;14",
                                      "9;3;2;2;90",
                                      "6;10;20;KT4",
                                      "9;3;2;2;0",
                                      "6;10;20;Gr\xC3\xB6sse R\xC3\xA4" "der \xC3\x9C",
                                      "9;3;2;2;0",
                                      "6;10;20;a}",
                                  }));
}

TEST_F(Hpgl, LongLabelIsReadToItsEnd)
{
    const Strings r = Plot("long_label.plt");
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[2], "6;0;0;" + std::string(300, 'x'));
    EXPECT_EQ(r[3], "4;0;0;10;0"); // the commands after it are read as commands
}

TEST_F(Hpgl, EncodedPolylinesInEightAndSevenBits)
{
    EXPECT_EQ(Plot("pe.plt"),
              (Strings{"8;12", "4;10;10;20;10", "8;10", "4;20;10;20;0", "4;20;0;0;0"}));
    EXPECT_EQ(PlotPen, 3);
}

TEST_F(Hpgl, TruncatedFilesEndCleanly)
{
    EXPECT_EQ(Plot("truncated.plt"), (Strings{"8;12", "4;0;0;10;0"}));
    EXPECT_TRUE(Plot("pe_truncated.plt").empty());
    EXPECT_EQ(PlotCurX, 10);
    EXPECT_TRUE(Plot("label_truncated.plt").empty());
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_TRUE(ui->Log().empty());
}

TEST_F(Hpgl, AbortFlagIsLeftAsFoundUnlessTheFileIsUnreadable)
{
    settings::AbortFlag = true; // an earlier Cancel of the running action
    Plot("moves.plt");
    EXPECT_TRUE(settings::AbortFlag);
    settings::AbortFlag = false;
    EXPECT_TRUE(Plot("missing.plt").empty());
    EXPECT_TRUE(settings::AbortFlag);
    ASSERT_EQ(ui->Log().size(), 1u);
    EXPECT_NE(ui->Log()[0].find("missing.plt nicht gefunden !"), std::string::npos);
}

TEST_F(Hpgl, PenColoursAndUnits)
{
    const int colours[] = {0, 12, 14, 10, 11, 9, 13, 15, 8, 9};
    for (int pen = 0; pen <= 9; ++pen)
        EXPECT_EQ(PlotPenColor(pen), colours[pen]) << pen;
    EXPECT_EQ(PlotUnitsToMm(400), 10);
}

TEST_F(Hpgl, StartPictureDrawsEveryPart)
{
    const Strings r = Plot("../../../data/start.plt");
    int lines = 0, circles = 0, arcs = 0, texts = 0;
    for (const auto& s : r) {
        const int op = ParseDisplayLine(s).op;
        lines += op == 4;
        circles += op == 3;
        arcs += op == 5;
        texts += op == 6;
    }
    EXPECT_GT(lines, 500); // the two toothed wheels
    EXPECT_EQ(circles, 2 + 8 + 12 + 2);
    EXPECT_EQ(arcs, 1);
    EXPECT_EQ(texts, 5);
    EXPECT_NE(std::find(r.begin(), r.end(), "6;110;74;KT4"), r.end());
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(Hpgl, ArbitraryBytesEndWithoutHarm)
{
    std::uint32_t seed = 7;
    const std::string alphabet = "PUDASICLBEN;,.-0123456789:<>=7}\x03 \r\n\xBF\xC5`_?@";
    for (int run = 0; run < 300; ++run) {
        std::string data;
        for (int k = 0; k < 400; ++k) {
            seed = seed * 1664525u + 1013904223u;
            data += (run % 2) ? char(seed >> 24) : alphabet[(seed >> 16) % alphabet.size()];
        }
        w.DisplayList().Clear();
        PlotHpglData(data, dev);
        EXPECT_LE(PlotCharCount, 400);
    }
    EXPECT_FALSE(settings::AbortFlag);
}
