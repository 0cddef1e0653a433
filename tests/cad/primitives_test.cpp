// The c_ operations on every device of this layer: DXF, plot file, text
// file, screen, and inside a screen block (the block file), and the rules
// of text, layers, segments, polylines, helpers and invalid numbers.
#include "cad_fixture.h"

#include "cad/block_reader.h"
#include "cad/cad_device.h"
#include "foundation/maths.h"

#include <algorithm>
#include <functional>
#include <limits>

namespace kt4::cadtest {
namespace {

using namespace cad;

// Records every call a job makes (mode 9, which has no device otherwise).
struct Recorder : TCadDevice {
    static inline std::vector<std::string> calls;
    void Line(Real x1, Real y1, Real x2, Real y2) override
    {
        calls.push_back("line " + Num(x1) + " " + Num(y1) + " " + Num(x2) + " " + Num(y2));
    }
    void Circle(Real x, Real y, Real r, bool) override { calls.push_back("circle " + Num(x) + " " + Num(y) + " " + Num(r)); }
    void ArcDir(Real x, Real y, Real a1, Real a2, Real r, Real s) override
    {
        calls.push_back("arcdir " + Num(x) + " " + Num(y) + " " + Num(a1) + " " + Num(a2) + " " + Num(r) + " " + Num(s));
    }
    bool Cone(bool rev, Real x, Real y, Real r1, Real r2) override
    {
        calls.push_back(std::string("cone ") + (rev ? "rev " : "") + Num(x) + " " + Num(y) + " " + Num(r1) + " " +
                        Num(r2) + " z " + Num(CadZ1) + " " + Num(CadZ2));
        return true;
    }
    static std::string Num(Real x) { return graphics::DisplayNumStr(x); }
};

class Primitives : public CadTest {
protected:
    void SetUp() override
    {
        CadTest::SetUp();
        Recorder::calls.clear();
        RegisterCadDevice(9, [] { return std::make_unique<Recorder>(); });
    }
    // The calls of draw on the recording device.
    std::vector<std::string> Recorded(const std::function<void()>& draw)
    {
        Recorder::calls.clear();
        c_begin(9);
        draw();
        c_end();
        return Recorder::calls;
    }
    std::size_t CountPrefix(const std::vector<std::string>& v, const std::string& p)
    {
        return std::count_if(v.begin(), v.end(), [&](const std::string& s) { return s.rfind(p, 0) == 0; });
    }
};

struct Case {
    const char* name;
    std::function<void()> draw;
    std::vector<std::string> dxf;    // entity items in the DXF file
    std::string txt;                 // its record in the text file
    std::string screen;              // the start of its display record
    std::vector<std::string> block;  // where the block file differs from the DXF file
};

std::vector<Case> Cases()
{
    return {
        {"line", [] { c_line(0, 0, 10, 0); },
         {"0 LINE", "8 0", "10 0.000000", "20 0.000000", "11 10.000000", "21 0.000000"},
         "LINE\t0.000000\t0.000000\t10.000000\t0.000000", "4;0;0;10;0", {}},
        {"circle", [] { c_circle_cw(1, 2, 3); }, {"0 CIRCLE", "8 0", "10 1.000000", "20 2.000000", "40 3.000000"},
         "CIRCLE\t1.000000\t2.000000\t3.000000", "3;1;2;3", {}},
        {"arc", [] { c_arc(0, 0, 0, 90, 5); },
         {"0 ARC", "8 0", "10 0.000000", "20 0.000000", "40 5.000000", "50 0.000000", "51 90.000000"},
         "ARC\t0.000000\t0.000000\t5.000000\t0.000000\t90.000000", "5;-5;-5;5;5;5;0;", {}},
        {"clockwise arc", [] { c_arc_dir(0, 0, 90, 0, 5, -90); },
         {"0 ARC", "8 0", "10 0.000000", "20 0.000000", "40 5.000000", "50 0.000000", "51 90.000000"},
         "ARC\t0.000000\t0.000000\t5.000000\t0.000000\t90.000000", "5;-5;-5;5;5;5;0;",
         {"0 ARC", "8 0", "10 0.000000", "20 0.000000", "40 5.000000", "50 90.000000", "51 0.000000",
          "230 -90.000000"}},
        {"text", [] { c_settextstyle(2, 0, 2, 1.4L); c_text(1, 2, "Ab"); },
         {"0 TEXT", "8 0", "10 1.000000", "20 2.000000", "40 2.000000", "1 Ab", "7 STANDARD", "41 0.7", "50 0",
          "51 0"},
         "TEXT\t1.000000\t2.000000\tAb", "6;1;2;Ab", {}},
        {"solid", [] { c_solid(0, 0, 1, 0, 0, 1, 1, 1); },
         {"0 SOLID", "8 0", "10 0.000000", "20 0.000000", "11 1.000000", "21 0.000000", "12 0.000000",
          "22 1.000000", "13 1.000000", "23 1.000000"},
         "SOLID\t0.000000\t0.000000\t1.000000\t0.000000\t0.000000\t1.000000\t1.000000\t1.000000", "7;0;0;1;0;0;1;1;1",
         {}},
        {"insert", [] { c_insert("B", 1, 2, 30, 2, 3); },
         {"0 INSERT", "8 0", "2 B", "10 1.000000", "20 2.000000", "41 2.000000", "42 3.000000", "50 30.000000"},
         "INSERT\tB\t1.000000\t2.000000\t30.000000\t2.000000\t3.000000", "", {}},
    };
}

TEST_F(Primitives, EachOperationOnEveryDevice)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        Job(cmDxf, c.draw);
        EXPECT_EQ(DxfEntities(dir.Get("part.dxf")), c.dxf);
        CadPlotLines[1] = "/bin/true";
        Job(cmPlot, c.draw);
        EXPECT_EQ(DxfEntities(PlotFile()), c.dxf);
        Job(cmTxt, c.draw);
        std::vector<std::string> txt = Lines(dir.Get("part.txt"));
        ASSERT_EQ(txt.size(), 5u);
        EXPECT_EQ(txt[3], c.txt);
        if (!c.screen.empty()) {
            Job(cmScreen, c.draw);
            std::vector<std::string> r = RecordsOf(c.screen[0] - '0');
            ASSERT_FALSE(r.empty());
            EXPECT_EQ(r.back().rfind(c.screen, 0), 0u) << r.back();
        }
        // inside a screen block: only into the block file, never drawn
        std::string block;
        std::size_t before = 0;
        Job(cmScreen, [&] { block = ReadBlock("T"); },
            [&] {
                before = Records().size();
                c_block("T");
                c.draw();
                c_endblock();
                EXPECT_EQ(Records().size(), before);
            });
        std::vector<std::string> want = c.block.empty() ? c.dxf : c.block;
        EXPECT_EQ(DxfEntities("  2\r\nENTITIES\r\n" + block), want);
        EXPECT_NE(block.find("  0\r\nEOF\r\n"), std::string::npos);
    }
}

TEST_F(Primitives, ModesWithoutADeviceWriteNothing)
{
    std::size_t files = dir.Count();
    c_begin(8);
    ASSERT_FALSE(settings::AbortFlag);
    c_header_default();
    c_line(0, 0, 1, 1);
    c_end();
    ui->Script("<cancel>");
    c_begin(0);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_FALSE(CadJobRunning());
    EXPECT_EQ(dir.Count(), files);
    EXPECT_TRUE(Records().empty());
}

// The footer names the project file once, with one extension.
TEST_F(Primitives, TheFooterNamesTheProjectFile)
{
    for (const char* name : {"p", "p.kt4"}) {
        Job(cmScreen, [&] {
            settings::CurrentFileName = name;
            settings::DataFileExt = "kt4";
            c_header_default();
        });
        std::string all;
        for (const auto& r : Records())
            all += r + "\n";
        EXPECT_NE(all.find("p.kt4"), std::string::npos) << name;
        EXPECT_EQ(all.find(".kt4.kt4"), std::string::npos) << name;
    }
}

TEST_F(Primitives, TextJustificationLayersAndStyle)
{
    Job(cmDxf, [] {
        c_settextstyle(2, 90, 3.5L, 2.45L); // width factor 0.7
        c_settextjustify(2, 0);
        c_text(30, 5, "0123456789");        // 24.5 to the left, along x although turned
        c_setlayer(40);
    });
    std::vector<std::string> e = DxfEntities(dir.Get("part.dxf"));
    EXPECT_NE(std::find(e.begin(), e.end(), "10 5.500000"), e.end());
    EXPECT_NE(std::find(e.begin(), e.end(), "50 90"), e.end());
    EXPECT_EQ(CadLayer, 24);
    EXPECT_EQ(DxfLayerName, "24");

    // the slant rule follows the pixel aspect, never the screen size
    settings::ScreenResX = 1280;
    settings::ScreenResY = 1024;
    for (Real a : {4.0L, 45.0L, 86.0L}) {
        c_settextstyle(2, a, 1, 1);
        EXPECT_EQ(CadTextAngle, a);
    }
    graphics::PixelAspect = 0.9375L;
    c_settextstyle(2, 45, 1, 1);
    EXPECT_NEAR(double(CadTextAngle), 46.8, 0.05);
    c_settextstyle(2, 86, 1, 1);
    EXPECT_EQ(CadTextAngle, 86);
    graphics::PixelAspect = 1;
    // no height: the width rule of width 0
    CadTextWidthFactor = 0.8L;
    c_settextstyle(2, 0, 0, 5);
    EXPECT_EQ(CadTextWidth, 0.7L * 0.8L);
    c_settextstyle(2, 0, 2, 1);
    EXPECT_EQ(CadTextWidth, 0.5L * 0.8L);

    // c_textln: an empty text keeps the point; otherwise one line down
    c_moveto(1, 10);
    c_textln("");
    EXPECT_EQ(CadCurY, 10);
    Recorded([] { c_textln("x"); });
    EXPECT_EQ(CadCurY, 10 - 1.6L * 2);
}

TEST_F(Primitives, ScreenLayerColourStyleAndWidth)
{
    LayerLineWidths[1] = 4;
    Job(cmScreen, [] {
        c_setlayer(1);
        c_line(0, 0, 1, 0);
        c_setlayer(0);
        c_line(0, 0, 1, 0);
        c_setlayer(20);
        c_line(0, 0, 1, 0);
    });
    std::vector<std::string> r = Records();
    auto at = std::find(r.begin(), r.end(), "11;2"); // layer 1: dash-dot
    ASSERT_NE(at, r.end());
    EXPECT_EQ(*(at + 1), "8;" + std::to_string(graphics::TGraphDevice::CadColorToPalette(2)));
    EXPECT_EQ(*(at + 2), "12;" + std::to_string(LayerLineWidths[1]));
    EXPECT_NE(std::find(at, r.end(), "12;1"), r.end()) << "layer 0 has width 1";
    EXPECT_NE(std::find(at, r.end(), "8;" + std::to_string(graphics::TGraphDevice::CadColorToPalette(5))),
              r.end()) << "colour layer 20 has colour 5";
}

TEST_F(Primitives, CirclesAndArcsAsSegments)
{
    auto lines = [&](const std::function<void()>& f) { return CountPrefix(Recorded(f), "line "); };
    EXPECT_EQ(lines([] { c_circle_lines(0, 0, 1, false); }), 63u);
    // the last segment ends exactly where the first began, both ways round
    for (bool cw : {false, true}) {
        auto calls = Recorded([cw] { c_circle_lines(5, 0, 1, cw); });
        EXPECT_EQ(calls.front().substr(0, 9), "line 6 0 ") << cw;
        EXPECT_EQ(calls.back().substr(calls.back().size() - 4), " 6 0") << cw;
    }
    EXPECT_EQ(lines([] { c_arc_points(100, 0, -100, 0, Pi); }), 3143u);
    ArcToLinesResolution = 50;
    EXPECT_EQ(lines([] { c_arc_points(100, 0, -100, 0, Pi); }), 32u);
    ArcToLinesResolution = 10;
    EXPECT_EQ(Recorded([] { c_circle_lines(5, 0, 1, false); }), std::vector<std::string>{"line 6 0 6 0"});
    // a resolution of 0 or less is replaced, and a tiny one has a limit
    ArcToLinesResolution = 0;
    lines([] { c_arc_points(1, 0, -1, 0, Pi); });
    EXPECT_EQ(ArcToLinesResolution, 0.2L);
    ArcToLinesResolution = 1E-12L;
    EXPECT_EQ(lines([] { c_circle_lines(0, 0, 1, true); }), std::size_t(MaxArcSegments));
    EXPECT_EQ(lines([] { c_arc_points(1, 0, -1, 0, Pi); }), std::size_t(MaxArcSegments) + 1);
    // an arc of radius 0 writes nothing anywhere
    EXPECT_TRUE(Recorded([] { c_arc_dir(0, 0, 0, 90, 0, 90); }).empty());
}

TEST_F(Primitives, PolylinesRoundedRectanglesAndProfiles)
{
    // on DXF a closed polyline of nine vertices with sorted corners
    Job(cmDxf, [] { c_roundrect(false, 10, 10, 0, 0, 2); });
    std::vector<std::string> e = DxfEntities(dir.Get("part.dxf"));
    std::vector<std::string> vertices;
    for (std::size_t k = 0; k + 2 < e.size(); ++k)
        if (e[k] == "0 VERTEX")
            vertices.push_back(e[k + 2].substr(3) + " " + e[k + 3].substr(3) +
                               (k + 4 < e.size() && e[k + 4].rfind("42 ", 0) == 0 ? " b" : ""));
    std::vector<std::string> want = {"2.000000 0.000000",   "8.000000 0.000000 b",  "10.000000 2.000000",
                                     "10.000000 8.000000 b", "8.000000 10.000000",  "2.000000 10.000000 b",
                                     "0.000000 8.000000",   "0.000000 2.000000 b",  "2.000000 0.000000"};
    EXPECT_EQ(vertices, want);
    EXPECT_NE(std::find(e.begin(), e.end(), "70 1"), e.end());
    EXPECT_NE(std::find(e.begin(), e.end(), "42 0.414214"), e.end()) << "tan(pi/8)";

    // elsewhere lines and arcs; a radius of 0 is a plain rectangle
    PolyArcToLines = false;
    auto calls = Recorded([] {
        c_polyline_begin(0);
        c_poly(0, 0, Pi / 2);
        c_poly(10, 0, 0);
        c_poly(10, 5, 7); // the angle of the last vertex has no effect
        c_polyline_end();
    });
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "arcdir 5 5 225 -45 7.0710678 90"); // below the chord
    EXPECT_EQ(calls[1], "line 10 0 10 5");
    EXPECT_EQ(CountPrefix(Recorded([] { c_roundrect(true, 0, 0, 4, 4, 0); }), "line "), 4u);

    // a profile becomes a cylinder and a flat ring
    calls = Recorded([] {
        c_profile_begin();
        c_profile_point(0, 10, 0);
        c_profile_point(20, 10, 0);
        c_profile_point(20, 5, 0);
    });
    EXPECT_EQ(calls, (std::vector<std::string>{"cone 0 0 10 10 z 0 20", "cone 0 0 10 5 z 20 20"}));
    EXPECT_EQ(Recorded([] { c_profile_moveto(30, 5); c_profile_lineto(10, 8); }),
              std::vector<std::string>{"cone rev 0 0 8 5 z 10 30"});
}

TEST_F(Primitives, HelpersAndTextAngles)
{
    auto calls = Recorded([] {
        c_hline(1, 2, 3);
        c_hline_centred(1, 2, 4);
        c_vline(1, 2, 5);
        c_vline_centred(1, 2, 4);
        c_moveto_polar_abs(2, 0);
        c_lineto_polar(3, Pi / 2);
        c_moveto_polar(1, 0);
        c_lineto(3, 3);
    });
    std::vector<std::string> want = {"line 1 2 4 2", "line -1 2 3 2", "line 1 2 1 5", "line 1 0 1 4",
                                     "line 2 0 2 3", "line 3 3 3 3"};
    EXPECT_EQ(calls, want);
    const std::pair<Real, Real> angles[] = {{-45, 315}, {135, -45}, {90, 90}, {270, 270}, {180, 0}};
    for (auto [a, readable] : angles)
        EXPECT_EQ(c_textangle(a), readable) << double(a);
}

// No value that is no number, or lies beyond any drawing, reaches a
// writer: the job fails once with its message and keeps the older file.
TEST_F(Primitives, CoordinatesThatAreNoNumbersFailTheJob)
{
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    const Real inf = std::numeric_limits<Real>::infinity();
    const Real huge = 1E30L; // finite, but no coordinate
    const std::function<void()> calls[] = {
        [&] { c_line(nan, 0, 1, 1); },
        [&] { c_circle(0, 0, inf); },
        [&] { c_arc(0, 0, nan, 90, 1); },
        [&] { c_text(huge, 0, "x"); },
        [&] { c_solid(0, 0, 1, 1, 2, 2, -huge, 3); },
        [&] { c_insert("B", 0, 0, 0, huge, 1); },
        [&] { c_rectangle(0, 0, inf, 1); },
        [&] { c_polyline_begin(0); c_poly(nan, 0, 0); c_polyline_end(); },
        [&] { c_settextstyle(2, nan, 1, 1); },
        [&] { c_setz(0, 1E308L); },
        [&] { c_cone(false, 0, 0, huge, 1); },
    };
    const std::pair<Word, const char*> modes[] = {{cmDxf, "dxf"}, {cmIges, "igs"}, {cmTxt, "txt"},
                                                  {cmStl, "stl"}, {cmStep, "stp"}};
    int k = 0;
    for (const auto& call : calls)
        for (auto [mode, ext] : modes) {
            if (mode != cmDxf && k++ % 3 != 0)
                continue; // every call on DXF, a third of them on each other format
            dir.Put(std::string("part.") + ext, "older");
            settings::ClearMessages();
            ui->ClearLog();
            Job(mode, [&] {
                c_line(0, 0, 10, 10);
                call();
                call();
                c_line(0, 0, 20, 10);
            });
            EXPECT_TRUE(settings::AbortFlag) << ext << " call " << k;
            EXPECT_EQ(dir.Get(std::string("part.") + ext), "older") << ext;
            EXPECT_EQ(settings::MessageCount, 1);
            EXPECT_EQ(settings::MessageTexts[1], DisplayToOem("Fehler : CAD: ungültige Koordinate"));
            EXPECT_EQ(Logged("error"), std::vector<std::string>{"error|Fehler : |CAD: ungültige Koordinate: " +
                                                                Path(ext) + " wurde nicht geschrieben."});
        }

    // a frame that is no number ends the job before anything is written
    std::filesystem::remove(Path("dxf"));
    CadBatchMode = true;
    settings::CurrentFileName = dir.File("part");
    c_begin(cmDxf);
    c_header(0, 0, inf, 120, 1);
    EXPECT_TRUE(settings::AbortFlag);
    c_line(0, 0, 1, 1);
    c_end();
    EXPECT_FALSE(std::filesystem::exists(Path("dxf")));
}

} // namespace
} // namespace kt4::cadtest
