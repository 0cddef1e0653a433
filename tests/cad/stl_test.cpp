// The STL writer: one wall against its goldens in both forms, walls,
// solids and stick texts, the normals of the vertex order, walls that face
// out of outlines and into holes, cones with points of their own radius
// that close a revolved profile, the file type setting, and the file
// given up (too large, a failed write).
#include "cad/stl_writer.h"
#include "cad_fixture.h"
#include "file_readers.h"
#include "sample_solids.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <tuple>

namespace kt4::cadtest {
namespace {

using namespace cad;

using Vertex = std::tuple<float, float, float>;

class Stl : public CadTest {
protected:
    // The facets of a whole STL job with the z range 0..10.
    std::vector<StlFacet> Facets(const std::function<void()>& entities)
    {
        Job(cmStl, [&] {
            c_setz(0, 10);
            entities();
        });
        EXPECT_FALSE(settings::AbortFlag);
        bytes = dir.Get("part.stl");
        std::uint32_t count = 0; // filled in when the file closes
        if (bytes.size() >= 84 && bytes.compare(0, 10, "STL binary") == 0)
            std::memcpy(&count, bytes.data() + 80, 4);
        EXPECT_EQ(bytes.size(), count ? 84 + 50 * std::size_t(count) : bytes.size());
        return BinaryStlFacets(bytes);
    }
    static Vertex V(const StlFacet& f, int k) { return {f.v[k][0], f.v[k][1], f.v[k][2]}; }
    // The unit normal of the vertex order.
    static void ExpectNormalOfTheVertexOrder(const StlFacet& f)
    {
        double a[3], b[3];
        for (int k = 0; k < 3; ++k) {
            a[k] = double(f.v[1][k]) - f.v[0][k];
            b[k] = double(f.v[2][k]) - f.v[0][k];
        }
        double n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
        double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        ASSERT_GT(len, 0) << "a facet of no area";
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(f.n[k], n[k] / len, 1e-6);
    }
    std::string bytes;
};

TEST_F(Stl, OneWallMatchesTheGoldensOfBothForms)
{
    auto facets = Facets([] { c_line(0, 0, 12.5L, 0); });
    ExpectGolden(bytes, "wall.stl");
    ASSERT_EQ(bytes.size(), 84u + 2 * 50);
    EXPECT_EQ(bytes.substr(0, 43), "STL binary file created by VELMORA Software");
    EXPECT_EQ(bytes.substr(80, 4), std::string("\x02\0\0\0", 4));
    EXPECT_EQ(bytes.substr(84 + 48, 2), "XX");
    EXPECT_EQ(bytes.substr(84 + 98, 2), "XX");
    // the normal to the right of the drawing direction
    for (const auto& f : facets) {
        EXPECT_EQ(f.n[1], -1.0f);
        ExpectNormalOfTheVertexOrder(f);
    }
    StlFileType = 1;
    Facets([] { c_line(0, 0, 12.5L, 0); });
    ExpectGolden(bytes, "wall_ascii.stl");
    EXPECT_EQ(bytes.substr(0, 16), "solid VLMSOLID\r\n");
    EXPECT_NE(bytes.find("      vertex 1.250000E+01 0.000000E+00 0.000000E+00\r\n"), std::string::npos);
}

TEST_F(Stl, NumbersHaveSevenSignificantDigits)
{
    const std::pair<Real, const char*> cases[] = {{12.5L, "1.250000E+01"},     {0, "0.000000E+00"},
                                                  {-0.0L, "0.000000E+00"},     {123.4567L, "1.234567E+02"},
                                                  {1234.5678L, "1.234568E+03"}, {-0.001L, "-1.000000E-03"},
                                                  {1e-100L, "1.000000E-100"}};
    for (auto [x, want] : cases)
        EXPECT_EQ(StlNum(x), want);
}

// The rounding's exponent comes from powers of ten: it gives what
// floor(log10) gives at every power, next to it, far off it and beyond the
// table, for both signs.
TEST_F(Stl, RoundingMatchesTheLog10FormulaAtEveryEdge)
{
    auto reference = [](double x) {
        if (x == 0 || !std::isfinite(x))
            return 0.0;
        const int k = 6 - static_cast<int>(std::floor(std::log10(std::fabs(x))));
        if (k < -12 || k > 12)
            return std::nearbyint(x * std::pow(10.0, k)) / std::pow(10.0, k);
        const double scale = std::pow(10.0, std::abs(k));
        return k >= 0 ? std::nearbyint(x * scale) / scale : std::nearbyint(x / scale) * scale;
    };
    std::vector<double> values = {0, -0.0, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308,
                                  HUGE_VAL, std::nan(""), 0.1, 0.3, 1.0 / 3, 2.0 / 3, 12.5, 299.99999949999,
                                  4.440892098500626e-16, 6.123233995736766e-17};
    for (int e = -320; e <= 308; ++e) {
        const double p = std::strtod(("1e" + std::to_string(e)).c_str(), nullptr);
        for (double f : {1.0, 1 + 1e-13, 1 - 1e-13, 1 + 1e-12, 1 - 1e-12, 1 + 3e-12, 1 - 3e-12, 1.0000005,
                         0.99999995, 9.9999995, 4.9999995, 1.2345675, 3.0})
            values.push_back(p * f);
        double up = p, down = p;
        for (int k = 0; k < 4; ++k)
            values.insert(values.end(), {up = std::nextafter(up, HUGE_VAL), down = std::nextafter(down, 0.0)});
    }
    std::uint64_t seed = 12345;
    for (int k = 0; k < 100000; ++k) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        values.push_back(std::ldexp(double(seed >> 11) / 9007199254740992.0 + 0.5, int(seed % 240) - 120));
    }
    int differ = 0;
    for (double v : values)
        for (double x : {v, -v})
            if (std::bit_cast<std::uint64_t>(StlRound7(x)) != std::bit_cast<std::uint64_t>(reference(x)) &&
                ++differ <= 5)
                ADD_FAILURE() << std::hexfloat << x << ": " << StlRound7(x) << " != " << reference(x);
    EXPECT_EQ(differ, 0);
}

TEST_F(Stl, WallsSolidsAndTexts)
{
    struct Case {
        const char* what;
        std::function<void()> draw;
        std::size_t facets;
    };
    const Case cases[] = {
        {"a line of no length", [] { c_line(3, 3, 3, 3); }, 0},
        {"a quadrilateral with two equal corners", [] { c_solid(0, 0, 5, 0, 5, 5, 5, 5); }, 6},
        {"a quadrilateral", [] { c_solid(0, 0, 5, 0, 5, 5, 0, 5); }, 8},
        {"flat walls", [] { c_setz(2, 2); c_line(0, 0, 5, 0); }, 0},
        {"the text 12: 7 bars of 6 walls", [] { c_text(0, 0, "12"); }, 84},
        {"an arc of 20 degrees through 0: 17 segments", [] { c_arc(0, 0, 350, 10, 5); }, 34},
        {"a circle of radius 1: 63 segments", [] { c_circle(0, 0, 1); }, 126},
        {"characters without segments", [] { c_text(0, 0, "#~\x84"); }, 0},
    };
    for (const Case& c : cases) {
        auto facets = Facets(c.draw);
        EXPECT_EQ(facets.size(), c.facets) << c.what;
        EXPECT_EQ(bytes.size(), 84 + 50 * facets.size()) << c.what;
        for (const auto& f : facets)
            ExpectNormalOfTheVertexOrder(f);
    }
    // the second character starts one character width further
    c_settextstyle(2, 0, 10, 7);
    auto one = Facets([] { c_text(0, 0, "1"); });
    auto two = Facets([] { c_text(0, 0, " 1"); });
    ASSERT_EQ(one.size(), two.size());
    EXPECT_NEAR(two[0].v[0][0] - one[0].v[0][0], 7, 1e-5);
}

TEST_F(Stl, WallsFaceOutOfOutlinesAndIntoHoles)
{
    struct Case {
        const char* what;
        std::function<void()> draw;
        Real cx, cy;  // the contour's centre
        Real outward; // sign of the normal against the direction from the centre
    };
    const Case cases[] = {
        {"a counter-clockwise outline", [] { c_circle(2, 1, 10); }, 2, 1, 1},
        {"a clockwise hole", [] { c_circle_cw(3, -2, 4); }, 3, -2, -1},
        {"a quadrilateral drawn clockwise", [] { c_solid(0, 0, 0, 5, 5, 5, 5, 0); }, 2.5L, 2.5L, -1},
    };
    for (const Case& c : cases) {
        auto facets = Facets(c.draw);
        ASSERT_FALSE(facets.empty()) << c.what;
        int wrong = 0;
        for (const auto& f : facets) {
            const Real mx = (f.v[0][0] + f.v[1][0] + f.v[2][0]) / 3 - c.cx;
            const Real my = (f.v[0][1] + f.v[1][1] + f.v[2][1]) / 3 - c.cy;
            wrong += !(c.outward * (f.n[0] * mx + f.n[1] * my) > 0);
        }
        EXPECT_EQ(wrong, 0) << c.what;
    }
}

TEST_F(Stl, InvertTurnsEveryFacetAndItsNormal)
{
    auto plain = Facets([] { c_cone(false, 0, 0, 4, 6); c_line(0, 0, 5, 5); });
    StlInvert = true;
    auto turned = Facets([] { c_cone(false, 0, 0, 4, 6); c_line(0, 0, 5, 5); });
    ASSERT_EQ(plain.size(), turned.size());
    for (std::size_t k = 0; k < plain.size(); ++k) {
        EXPECT_EQ(V(turned[k], 0), V(plain[k], 0));
        EXPECT_EQ(V(turned[k], 1), V(plain[k], 2));
        EXPECT_EQ(V(turned[k], 2), V(plain[k], 1));
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(turned[k].n[c], -plain[k].n[c], 1e-6);
    }
}

TEST_F(Stl, ConesHaveThePointsOfTheirOwnRadius)
{
    ArcToLinesResolution = 1;
    const auto n = [](Real r) { return std::size_t(std::llround(2 * Pi * r / 1)); };
    struct Case {
        Real r1, r2;
        std::size_t facets;
    };
    for (const Case& c : {Case{5, 5, 2 * n(5)}, Case{5, 8, n(5) + n(8)}, Case{0, 5, n(5)}, Case{5, 0, n(5)},
                          Case{0, 0, 0}, Case{1e-4L, 0, 0}}) {
        auto facets = Facets([&] { c_cone(false, 0, 0, c.r1, c.r2); });
        EXPECT_EQ(facets.size(), c.facets) << c.r1 << " " << c.r2;
        for (const auto& f : facets) {
            ExpectNormalOfTheVertexOrder(f);
            // counter-clockwise rings face the axis
            Real mx = (f.v[0][0] + f.v[1][0] + f.v[2][0]) / 3, my = (f.v[0][1] + f.v[1][1] + f.v[2][1]) / 3;
            if (c.r1 == c.r2) {
                EXPECT_LT(f.n[0] * mx + f.n[1] * my, 0);
            }
        }
    }
    // a resolution of 0 or below is taken as 0.1 and ends
    ArcToLinesResolution = -1;
    EXPECT_EQ(Facets([] { c_cone(true, 0, 0, 1, 1); }).size(), 2 * std::size_t(std::llround(2 * Pi / 0.1L)));
}

TEST_F(Stl, ARevolvedProfileThatClosesOnItselfIsAClosedSolid)
{
    for (bool invert : {false, true}) {
        StlInvert = invert;
        auto facets = Facets([] {
            c_profile_begin();
            for (auto [z, r] : ShaftProfile())
                c_profile_point(z, r, 0);
        });
        EXPECT_GT(facets.size(), 30000u);
        // every edge once in each direction: closed and consistently turned
        std::map<std::pair<Vertex, Vertex>, int> edges;
        double volume = 0;
        for (const auto& f : facets) {
            for (int k = 0; k < 3; ++k)
                ++edges[{V(f, k), V(f, (k + 1) % 3)}];
            const auto& a = f.v[0];
            const auto& b = f.v[1];
            const auto& c = f.v[2];
            volume += (double(a[0]) * (double(b[1]) * c[2] - double(b[2]) * c[1]) -
                       double(a[1]) * (double(b[0]) * c[2] - double(b[2]) * c[0]) +
                       double(a[2]) * (double(b[0]) * c[1] - double(b[1]) * c[0])) /
                      6;
        }
        int open = 0;
        for (const auto& [e, count] : edges)
            open += count != 1 || edges.count({e.second, e.first}) == 0 || edges.at({e.second, e.first}) != 1;
        EXPECT_EQ(open, 0);
        EXPECT_NEAR(invert ? -volume : volume, double(ShaftVolume()), 0.005 * double(ShaftVolume()));
    }
}

TEST_F(Stl, AnyFileTypeButOneIsBinary)
{
    for (Integer type : {-1, 0, 2, 7}) {
        StlFileType = type;
        Facets([] { c_line(0, 0, 1, 0); });
        EXPECT_EQ(bytes.size(), 184u) << type;
        EXPECT_EQ(StlFileType, 0);
    }
    StlFileType = 1;
    Facets([] { c_line(0, 0, 1, 0); });
    EXPECT_EQ(bytes.rfind("endsolid VLMSOLID\r\n"), bytes.size() - 19);
    EXPECT_EQ(StlFileType, 1);
}

// A writer gives its file up at once, and drops its temporary, when the
// facets would make it larger than its size limit or a write fails (a full
// disk, here the file-size limit): the older file stays, nothing more is
// made, and a job ends with the refusal. At the limit exactly the file is
// written, in both forms; a device, written directly, takes the whole
// file at once.
TEST_F(Stl, AWriterThatGivesItsFileUpDropsItAtOnce)
{
    const auto temporaries = [&] {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
            n += e.path().filename().string().rfind(".kt4tmp-", 0) == 0;
        return n;
    };
    for (Integer type : {0, 1}) {
        StlFileType = type;
        CadZ1 = 0;
        CadZ2 = 10;
        const auto write = [&](StlWriter& w, int lines) {
            if (!w.Open(dir.File("part.stl"), "VLMSOLID"))
                return false;
            for (int k = 0; k < lines; ++k)
                w.Wall(k, 5, k, 0);
            EXPECT_EQ(temporaries(), w.Failed() ? 0 : 1) << type << " " << lines;
            return w.Close();
        };
        StlWriter plain;
        ASSERT_TRUE(write(plain, 3));
        const std::string three = dir.Get("part.stl");
        StlWriter small(std::int64_t(three.size()));
        EXPECT_FALSE(write(small, 4)) << type;
        EXPECT_TRUE(small.TooLarge() && small.Failed()) << type;
        EXPECT_EQ(dir.Get("part.stl"), three) << type;
        std::filesystem::remove(dir.File("part.stl"));
        EXPECT_TRUE(write(small, 3)) << type;
        EXPECT_EQ(dir.Get("part.stl"), three) << type;
    }
    StlWriter device;
    ASSERT_TRUE(device.Open("/dev/null", "S"));
    device.Wall(0, 0, 1, 0);
    EXPECT_TRUE(device.Close());

    // a title of a million characters on a full disk
    dir.Put("part.stl", "older");
    ui->ClearLog();
    {
        testing::FileSizeLimit limit(100000);
        ASSERT_TRUE(limit.Active());
        Job(cmStl, [&] {
            c_settextstyle(0, 0, 2, 1);
            c_text(0, 0, std::string(1000000, '8'));
            EXPECT_TRUE(settings::AbortFlag) << "the job goes on";
            EXPECT_EQ(temporaries(), 0);
            c_line(0, 0, 1, 0);
        });
    }
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(dir.Get("part.stl"), "older");
    EXPECT_EQ(ui->Logged("error"), std::vector<std::string>{"error|Fehler : |file write error (File too large): " +
                                                           dir.File("part.stl") + " wurde nicht geschrieben."});
    EXPECT_EQ(temporaries(), 0);
}

} // namespace
} // namespace kt4::cadtest
