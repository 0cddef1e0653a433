// The DXF and text writers: the sample drawing byte for byte against the
// goldens, and the number, group and name rules.
#include "cad_fixture.h"
#include "sample_drawing.h"

#include "cad/dxf_writer.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"

#include <cfloat>
#include <filesystem>
#include <fstream>
#include <random>

namespace kt4::cadtest {
namespace {

using namespace cad;

std::string GoldenPath(const std::string& name)
{
    return std::string(KT4_SOURCE_DIR) + "/tests/cad/golden/" + name;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Writers : public CadTest {};

// The writers' numbers as they were made one character at a time: the
// reference for the quick way.
std::string ReferenceFixed(Real v, int intDigits, int decs)
{
    const Real a = std::fabs(v);
    if (decs > 9 || !(a < 1E9L))
        return FixedStrPoint(v, intDigits, decs);
    const Real scaled = a * IntPower(decs, 10);
    const Real frac = scaled - std::floor(scaled);
    if (std::fabs(frac - 0.5L) < 1E-6L)
        return FixedStrPoint(v, intDigits, decs);
    std::uint64_t n = static_cast<std::uint64_t>(std::floor(scaled)) + (frac > 0.5L ? 1 : 0);
    std::string s;
    for (; n != 0 || int(s.size()) <= decs; n /= 10)
        s.insert(s.begin(), char('0' + n % 10));
    if (decs > 0)
        s.insert(s.size() - std::size_t(decs), ".");
    if (v < 0 && s.find_first_not_of("0.") != std::string::npos)
        s.insert(0, "-");
    const int pad = decs > 0 ? intDigits + decs + 1 : intDigits;
    return std::string(std::size_t(std::max(pad - int(s.size()), 0)), ' ') + s;
}

std::string ReferenceDxf(Real x, bool scaled)
{
    x = std::isfinite(x) ? x : 0;
    const Real v = scaled && std::isfinite(x * CadScale) ? x * CadScale : scaled ? 0 : x;
    return ReferenceFixed(v, std::fabs(x) >= 1 ? DecimalExponent(x) + 1 : 0, std::clamp<int>(CadDecimals, 0, 32));
}

TEST_F(Writers, SampleDrawingMatchesTheGoldens)
{
    ArcToLinesResolution = 1; // arcs of polylines in a few segments
    for (auto [mode, ext] : {std::pair<Word, const char*>{cmDxf, "dxf"}, {cmTxt, "txt"}}) {
        cad::CadBatchMode = true;
        settings::CurrentFileName = dir.File("part");
        DrawSampleDrawing(mode);
        ASSERT_FALSE(settings::AbortFlag) << ext;
        std::string written = dir.Get(std::string("part.") + ext);
        std::string golden = GoldenPath(std::string("sample.") + ext);
        if (std::getenv("KT4_UPDATE_GOLDEN"))
            std::ofstream(golden, std::ios::binary) << written;
        EXPECT_EQ(written, ReadBytes(golden)) << "differs from " << golden;
        EXPECT_EQ(written.find('\n'), written.find("\r\n") + 1) << "CR LF line ends";
    }
}

TEST_F(Writers, DxfGroupCodesAndNumbers)
{
    DxfWriter w(false);
    ASSERT_TRUE(w.Open(dir.File("g.dxf")));
    for (int code : {0, 8, 10, 99, 100, 230})
        w.Pair(code, "v");
    w.Number(10, 12.5L);
    w.Number(20, -0.25L);
    w.Polyline(0);
    w.Vertex(1, 2, 0);
    w.Vertex(1, 2, 0.5L);
    const std::string big = std::string(70000, 'a') + "\tb"; // longer than the writer's buffer
    w.Pair(1, big);
    ASSERT_TRUE(w.Close());
    std::vector<std::string> lines = Lines(dir.Get("g.dxf"));
    std::vector<std::string> want = {"  0", "v", "  8", "v", " 10", "v", " 99", "v", "100", "v", "230", "v",
                                     " 10", "12.500000", " 20", "-0.250000",
                                     "  0", "POLYLINE", "  8", "0", " 66", "1", // no 70 for flag 0
                                     "  0", "VERTEX", "  8", "0", " 10", "1.000000", " 20", "2.000000",
                                     "  0", "VERTEX", "  8", "0", " 10", "1.000000", " 20", "2.000000",
                                     " 42", "0.500000", "  1", std::string(70000, 'a') + " b", "  0",
                                     "EOF"};
    EXPECT_EQ(lines, want);
}

TEST_F(Writers, ScaleDoublesLengthsButNotAngles)
{
    CadScale = 2;
    EXPECT_EQ(DxfNumber(12.5L, true), "25.000000");
    EXPECT_EQ(DxfNumber(90, false), "90.000000");
    EXPECT_EQ(TxtNum(12.5L, true), "25.000000");
    EXPECT_EQ(TxtNum(90, false), "90.000000");
    // leading blanks up to the integer digits of the unscaled value
    CadScale = 0.1L;
    EXPECT_EQ(DxfNumber(100, true), " 10.000000");
    CadScale = 1;
    CadDecimals = 2;
    EXPECT_EQ(DxfNumber(-1234.567L, true), "-1234.57");
    EXPECT_EQ(DxfNumber(std::numeric_limits<Real>::quiet_NaN(), true), "0.00");
    // the rounding of every number the program writes: half away from zero
    CadDecimals = 6;
    for (Real x : {0.0078125L, -0.0078125L, -2.5E-7L, 1234.5678905L, 0.1L, 1E9L + 0.5L, 123456.0000005L}) {
        int intDigits = std::fabs(x) >= 1 ? DecimalExponent(x) + 1 : 0;
        EXPECT_EQ(DxfNumber(x, true), FixedStrPoint(x, intDigits, 6)) << double(x);
    }
    EXPECT_EQ(DxfNumber(0.0078125L, true), "0.007813");
    EXPECT_EQ(DxfNumber(-2.5E-7L, true), "0.000000");
}

TEST_F(Writers, NumbersTheSameCharactersAsTheReference)
{
    std::vector<Real> values = {0, -0.0L, -1E-12L, 1E9L, std::nextafter(1E9L, 0.0L), 1E30L, LDBL_TRUE_MIN,
                                std::numeric_limits<Real>::quiet_NaN(), -HUGE_VALL};
    for (int d = 0; d <= 10; ++d) {
        values.push_back(-(1E9L - 0.5L / IntPower(d, 10))); // near the last of the quick way
        for (Real k : {0.0L, 1.0L, 12.0L, 12345.0L, 999999.0L})
            for (Real off : {0.0L, 1E-6L, -1E-6L, 3E-6L, -3E-6L, 0.25L})
                values.push_back((k + 0.5L + off) / IntPower(d, 10)); // halves and near them
    }
    for (int e = -12; e <= 22; ++e)
        for (Real p : {IntPower(e, 10), -IntPower(e, 10)})
            values.insert(values.end(), {p, std::nextafter(p, 0.0L), std::nextafter(p, 2 * p)});
    std::mt19937_64 random(42);
    for (int k = 0; k < 300; ++k)
        values.push_back(std::ldexp(Real(random() >> 11), int(random() % 80) - 73) * (k % 2 ? -1 : 1));
    for (int k = 0; k < 300; ++k) // every bit of the extended significand
        values.push_back(std::ldexp(Real(random()), int(random() % 60) - 63 - 40));
    const std::pair<int, Real> cases[] = {{0, 1}, {1, 1}, {2, 1},  {3, 1},     {4, 1},  {6, 1},  {6, 2},
                                          {6, 0.1L}, {8, 1}, {9, 1}, {9, 25.4L}, {10, 1}, {32, 1}};
    for (auto [decs, scale] : cases) {
        CadDecimals = decs;
        CadScale = scale;
        DxfWriter w(false);
        ASSERT_TRUE(w.Open(dir.File("n.dxf")));
        std::vector<std::string> want;
        for (Real x : values) {
            w.Number(10, x);
            w.Plain(20, x);
            want.insert(want.end(), {" 10", ReferenceDxf(x, true), " 20", ReferenceDxf(x, false)});
            ASSERT_EQ(DxfNumber(x, true), want[want.size() - 3]) << double(x) << " " << decs;
            ASSERT_EQ(CadFixed(x, 3, decs), ReferenceFixed(x, 3, decs)) << double(x) << " " << decs;
        }
        ASSERT_TRUE(w.Close());
        want.insert(want.end(), {"  0", "EOF"});
        EXPECT_EQ(Lines(dir.Get("n.dxf")), want) << decs << " " << double(scale);
    }
}

TEST_F(Writers, LayerNamesUnderBothColourSchemes)
{
    LayerNames[3] = "Mitte";
    LayerNames[4] = "";
    const std::pair<int, const char*> scheme0[] = {{0, "0"}, {3, "Mitte"}, {4, "4"}, {7, "7"}, {16, "16"}};
    for (auto [n, name] : scheme0)
        EXPECT_EQ(DxfSetLayer(n), name) << n;
    CadColorScheme = 1;
    EXPECT_EQ(DxfSetLayer(3), "3");
    EXPECT_EQ(DxfLayerName, "3");
}

TEST_F(Writers, ControlCharactersBecomeBlanks)
{
    LayerNames[1] = "a\tb";
    Job(cmDxf, [] {
        c_setlayer(1);
        c_text(0, 0, "x\ty\x01z");
    });
    std::vector<std::string> e = DxfEntities(dir.Get("part.dxf"));
    EXPECT_NE(std::find(e.begin(), e.end(), "8 a b"), e.end());
    EXPECT_NE(std::find(e.begin(), e.end(), "1 x y z"), e.end());
    std::string tables = dir.Get("part.dxf");
    EXPECT_NE(tables.find("\r\na b\r\n"), std::string::npos);
    // the text file keeps the tab of a text
    Job(cmTxt, [] { c_text(1, 2, "x\ty\x01z"); });
    EXPECT_NE(dir.Get("part.txt").find("TEXT\t1.000000\t2.000000\tx\ty z\r\n"), std::string::npos);
}

TEST_F(Writers, TextFileNumbersArcsAndCircles)
{
    CadDecimals = 3;
    settings::DecimalPoint = 2;
    Job(cmTxt, [] {
        c_line(0, 0, 12.5L, 0);
        c_arc(1, 2, 0, 360, 3);
        c_arc(1, 2, 360, 0, 3);
        c_arc(1, 2, 45, 45, 3);
        c_arc(1, 2, 10, 20, 3);
        c_arc_dir(1, 2, 20, 10, 3, -10); // clockwise: the same arc from 10 to 20
        c_insert("B", 1, 2, 90, 2, 2);
    });
    std::vector<std::string> lines = Lines(dir.Get("part.txt"));
    std::vector<std::string> want = {
        "MINMAX\t0,000\t0,000\t160,000\t120,000", "SECTION BLOCKS", "SECTION ENTITIES",
        "LINE\t0,000\t0,000\t12,500\t0,000",     "CIRCLE\t1,000\t2,000\t3,000",
        "CIRCLE\t1,000\t2,000\t3,000",           "CIRCLE\t1,000\t2,000\t3,000",
        "ARC\t1,000\t2,000\t3,000\t10,000\t20,000", "ARC\t1,000\t2,000\t3,000\t10,000\t20,000",
        "INSERT\tB\t1,000\t2,000\t90,000\t2,000\t2,000", "EOF"};
    EXPECT_EQ(lines, want);
}

} // namespace
} // namespace kt4::cadtest
