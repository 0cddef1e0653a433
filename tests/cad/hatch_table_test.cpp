// Hatching and drawing tables, recorded from the calls they make on a
// device of their own: the hatch lines of squares, concave and random
// star-shaped outlines at every kind of angle, the layers and their
// restoration, the store's limits; the table's columns, rows and texts.
#include "cad/drawing_table.h"
#include "cad/hatch.h"
#include "cad_fixture.h"
#include "foundation/maths.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace kt4::cadtest {
namespace {

using namespace cad;

constexpr Word RecordMode = 42;

struct Drawn {
    Real x1, y1, x2, y2;
    int layer;
    std::string text; // a text at (x1, y1); empty for a line
};
std::vector<Drawn> drawn;

class Recorder : public TCadDevice {
public:
    void Line(Real x1, Real y1, Real x2, Real y2) override { drawn.push_back({x1, y1, x2, y2, CadLayer, {}}); }
    void Text(Real x, Real y, const std::string& s) override { drawn.push_back({x, y, x, y, CadLayer, s}); }
};

class HatchTable : public CadTest {
protected:
    void SetUp() override
    {
        CadTest::SetUp();
        RegisterCadDevice(RecordMode, [] { return std::make_unique<Recorder>(); });
        drawn.clear();
        HatchBegin();
    }
    // Everything f draws, in a job of the recording device.
    std::vector<Drawn> Record(const std::function<void()>& f)
    {
        drawn.clear();
        c_begin(RecordMode);
        f();
        c_end();
        return drawn;
    }
    static std::vector<Drawn> OnLayer(const std::vector<Drawn>& all, int layer)
    {
        std::vector<Drawn> out;
        for (const auto& d : all)
            if (d.layer == layer && d.text.empty())
                out.push_back(d);
        return out;
    }
    static void Outline(std::initializer_list<std::pair<Real, Real>> points)
    {
        HatchBegin();
        for (auto [x, y] : points)
            HatchAddPoint(x, y);
    }
    // The hatch lines (layer 3) of the stored outline.
    std::vector<Drawn> HatchLines(Real spacing, Real angle)
    {
        return OnLayer(Record([&] { HatchPolygon(0, spacing, angle); }), 3);
    }
    // True when f ends within the time (run in a child process, which is
    // killed when it does not).
    static bool EndsWithin(const std::function<void()>& f, int ms)
    {
        pid_t pid = ::fork();
        if (pid == 0) {
            f();
            ::_exit(0);
        }
        for (int waited = 0; waited < ms; waited += 10) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid)
                return WIFEXITED(status) && WEXITSTATUS(status) == 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return false;
    }
    static bool Has(const std::string& message)
    {
        for (Word i = 1; i <= settings::MessageCount; ++i)
            if (settings::MessageTexts[i] == message)
                return true;
        return false;
    }
};

// Point in polygon by the even-odd rule (points 0..n-1, closed); a point
// on an edge counts as inside.
bool Inside(const std::vector<std::pair<Real, Real>>& p, Real x, Real y)
{
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        Real ex = p[i].first - p[j].first, ey = p[i].second - p[j].second;
        Real len = std::hypot(ex, ey);
        Real along = ((x - p[j].first) * ex + (y - p[j].second) * ey) / (len * len);
        if (len > 0 && along >= 0 && along <= 1 &&
            std::fabs((x - p[j].first) * ey - (y - p[j].second) * ex) / len < 1e-9)
            return true;
    }
    bool in = false;
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
        if ((p[i].second > y) != (p[j].second > y) &&
            x < (p[j].first - p[i].first) * (y - p[i].second) / (p[j].second - p[i].second) + p[i].first)
            in = !in;
    return in;
}

TEST_F(HatchTable, TheSquareGetsNineLinesTheDiagonalAmongThem)
{
    Outline({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    c_begin(RecordMode);
    c_setlayer(7);
    drawn.clear();
    HatchPolygon(0, 0, 45);
    EXPECT_EQ(CadLayer, 7);
    c_end();
    EXPECT_EQ(OnLayer(drawn, 5).size(), 4u) << "the outline, closed";
    auto lines = OnLayer(drawn, 3);
    ASSERT_EQ(lines.size(), 9u);
    int diagonal = 0;
    for (const auto& l : lines) {
        EXPECT_NEAR(l.y2 - l.y1, l.x2 - l.x1, 1e-9) << "at 45 degrees";
        diagonal += std::fabs(l.x1) < 1e-9 && std::fabs(l.y1) < 1e-9 && std::fabs(l.x2 - 10) < 1e-9;
    }
    EXPECT_EQ(diagonal, 1);
}

TEST_F(HatchTable, EveryAngleEndsAndHatchesTheSameWayAsItsOpposite)
{
    Outline({{0, 0}, {30, 0}, {30, 20}, {0, 20}});
    for (Real angle : {135.0L, 90.0L, 270.0L, -90.0L, 1e-3L, 89.999L})
        EXPECT_TRUE(EndsWithin([&] { Record([&] { HatchPolygon(0, 2, angle); }); }, 60000)) << angle;
    auto a = HatchLines(2, 135), b = HatchLines(2, -45);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GT(a.size(), 10u);
    for (std::size_t k = 0; k < a.size(); ++k) {
        EXPECT_NEAR(a[k].x1, b[k].x1, 1e-9);
        EXPECT_NEAR(a[k].y2, b[k].y2, 1e-9);
        EXPECT_NEAR(a[k].y2 - a[k].y1, -(a[k].x2 - a[k].x1), 1e-9) << "lines of -45 degrees";
    }
    for (Real angle : {90.0L, 270.0L, -90.0L}) {
        auto v = HatchLines(2, angle);
        ASSERT_EQ(v.size(), 14u) << angle; // x = 2 .. 28
        for (const auto& l : v) {
            EXPECT_EQ(l.x1, l.x2);
            EXPECT_EQ(l.y1, 0);
            EXPECT_EQ(l.y2, 20) << "ordered by y";
        }
    }
    // 0 and 180 degrees: the outline only
    for (Real angle : {0.0L, 180.0L, -180.0L}) {
        auto all = Record([&] { HatchPolygon(0, 2, angle); });
        EXPECT_TRUE(OnLayer(all, 3).empty()) << angle;
        EXPECT_EQ(OnLayer(all, 5).size(), 4u) << angle;
    }
}

TEST_F(HatchTable, ModesChooseTheLayersAndEveryExitRestoresTheLayer)
{
    Outline({{0, 0}, {30, 0}, {30, 20}, {0, 20}});
    SetHatchMode(2);
    auto all = Record([] { HatchPolygon(0, 5, 30); });
    EXPECT_TRUE(OnLayer(all, 5).empty()) << "no outline";
    EXPECT_FALSE(OnLayer(all, 3).empty());
    SetHatchMode(0);
    all = Record([] { c_setlayer(9); HatchPolygon(0, 5, 30); });
    EXPECT_EQ(OnLayer(all, 9).size(), all.size()) << "all on the current layer";
    SetHatchModeLayer();
    EXPECT_EQ(HatchMode, 1);

    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    struct Exit {
        Integer n;
        Real spacing, angle;
        const char* message;
    };
    for (const Exit& e : {Exit{0, 5, 30, nullptr}, Exit{-3, 5, 30, nullptr}, Exit{100, 5, 30, "Fatal  : n schraff !"},
                          Exit{4, 5, 0, nullptr}, Exit{4, nan, 30, "Schraffurfehler"},
                          Exit{4, 5, nan, "Schraffurfehler"}, Exit{4, 1e-4L, 30, "Schraffurfehler"}}) {
        settings::ClearMessages();
        all = Record([&] {
            c_setlayer(7);
            schraff(e.n, e.spacing, e.angle);
            EXPECT_EQ(CadLayer, 7) << e.n << " " << e.spacing << " " << e.angle;
        });
        EXPECT_TRUE(OnLayer(all, 3).empty());
        if (e.message)
            EXPECT_TRUE(Has(e.message)) << e.message;
        else
            EXPECT_EQ(settings::MessageCount, 0);
    }
}

TEST_F(HatchTable, TheStoreAndTheRectangle)
{
    // 99 points are closed to 100 and hatched; 100 are refused
    HatchBegin();
    for (int k = 0; k < 99; ++k)
        HatchAddPolarPoint(0, 0, 10, 2 * Pi * k / 99);
    EXPECT_FALSE(HatchLines(1, 30).empty());
    EXPECT_EQ(settings::MessageCount, 0);
    HatchAddPoint(10, 1);
    EXPECT_TRUE(HatchLines(1, 30).empty());
    EXPECT_TRUE(Has("Fatal  : n schraff !"));
    HatchAddPoint(9, 1); // the 101st point
    EXPECT_EQ(HatchCount, 100);
    EXPECT_TRUE(Has("Schraffurfehler"));

    // an arc point: the arc from the last point in steps of 10 degrees
    HatchBegin();
    HatchAddArcPoint(10, 0, Pi / 2);
    HatchAddArcPoint(0, 10, 0);
    ASSERT_EQ(HatchCount, 11); // the start point, repeated, then 9 steps
    for (Word k = 2; k <= HatchCount; ++k)
        EXPECT_NEAR(std::hypot(HatchPoints[k].x, HatchPoints[k].y), 10, 1e-12);
    EXPECT_EQ(HatchPoints[11].x, 0);
    EXPECT_EQ(HatchPoints[11].y, 10);

    // 40 x 16 with spacing 0 hatches at spacing 5
    auto lines = OnLayer(Record([] { HatchRectangle(0, 0, 40, 16, 0, 90); }), 3);
    ASSERT_EQ(lines.size(), 7u);
    for (std::size_t k = 1; k < lines.size(); ++k)
        EXPECT_NEAR(std::fabs(lines[k].x1 - lines[k - 1].x1), 5, 1e-12);
}

TEST_F(HatchTable, NoHatchLineLeavesAConcaveOrStarShapedOutline)
{
    // The notch's reflex vertex (20, 10) lies on the lines x = 20 and
    // y = x - 10.
    std::vector<std::vector<std::pair<Real, Real>>> outlines = {{{0, 0}, {40, 0}, {40, 20}, {20, 10}, {0, 20}}};
    std::mt19937 random(1806);
    for (int k = 0; k < 300; ++k) {
        // star-shaped outlines on a whole-number grid, so that hatch lines
        // often run through vertices
        std::vector<std::pair<Real, Real>> p;
        int n = 3 + int(random() % 12);
        for (int i = 0; i < n; ++i) {
            Real r = 2 + Real(random() % 18), a = 2 * Pi * (i + Real(random() % 100) / 200) / n;
            p.push_back({std::round(r * std::cos(a)), std::round(r * std::sin(a))});
        }
        outlines.push_back(p);
    }
    int lines = 0;
    for (const auto& p : outlines) {
        HatchBegin();
        for (auto [x, y] : p)
            HatchAddPoint(x, y);
        for (Real angle : {90.0L, 45.0L, -45.0L, 30.0L}) {
            for (const auto& l : HatchLines(angle == 90 || angle == 45 ? 1 : 1.5L, angle)) {
                ++lines;
                Real mx = (l.x1 + l.x2) / 2, my = (l.y1 + l.y2) / 2;
                ASSERT_TRUE(Inside(p, mx, my)) << "angle " << angle << " line " << l.x1 << "," << l.y1 << " - "
                                               << l.x2 << "," << l.y2;
            }
        }
    }
    EXPECT_GT(lines, 10000);
}

TEST_F(HatchTable, TableColumnsRowsAndCells)
{
    const Real h = 2, y = 100;
    TAusTabelle t;
    auto all = Record([&] {
        t.Init(10, y, h, {7, 5, 7, 7}, {"Load", "", "1", "2"});
        t.AddRow({"Fr", "N", "1200", "800"});
        t.AddRow({"Fa", "N", "0", "150"});
        t.Done();
    });
    EXPECT_EQ(t.ColCount, 5);
    const Real cols[] = {10, 10 + 0.9L * h * 7, 10 + 0.9L * h * 12, 10 + 0.9L * h * 19, 10 + 0.9L * h * 26};
    for (std::size_t k = 1; k <= 5; ++k)
        EXPECT_NEAR(t.ColX[k], cols[k - 1], 1e-12);
    EXPECT_EQ(CadTextWidth, 0.75L);
    std::vector<std::string> texts;
    for (const auto& d : all)
        if (!d.text.empty()) {
            texts.push_back(d.text);
            EXPECT_EQ(d.layer, 18);
        } else {
            EXPECT_EQ(d.layer, 17);
        }
    EXPECT_EQ(texts, (std::vector<std::string>{" Load", " ", " 1", " 2", " Fr", " N", " 1200", " 800", " Fa", " N",
                                               " 0", " 150"}));
    // row n: lower edge at y - 2h (n + 1), texts at y - 1.5h - 2hn
    for (int n = 1; n <= 2; ++n) {
        int edges = 0, bars = 0;
        for (const auto& d : all) {
            edges += d.text.empty() && d.y1 == d.y2 && std::fabs(d.y1 - (y - 2 * h * (n + 1))) < 1e-12 &&
                     d.x1 == 10 && std::fabs(d.x2 - cols[4]) < 1e-12;
            bars += d.text.empty() && d.x1 == d.x2 && std::fabs(d.y2 - (y - 2 * h * (n + 1))) < 1e-12;
            if (d.text == (n == 1 ? " Fr" : " Fa")) {
                EXPECT_NEAR(d.y1, y - 1.5L * h - 2 * h * n, 1e-12);
            }
        }
        EXPECT_EQ(edges, 1) << n;
        EXPECT_EQ(bars, 5) << n;
    }

    // an all-empty header: the first row fills its frame
    all = Record([&] {
        t.Init(0, y, h, {4, 4}, {});
        t.AddRow({"a", "b"});
    });
    for (const auto& d : all) {
        if (d.text == " a") {
            EXPECT_NEAR(d.y1, y - 1.5L * h, 1e-12);
        }
    }
    EXPECT_EQ(t.ColCount, 3);
    EXPECT_NEAR(t.TextY, y - 1.5L * h - 2 * h, 1e-12);

    // w1 = 0: a frame of no width and no cells; seven widths, seven cells
    all = Record([&] {
        t.Init(0, y, h, {0, 4}, {"x"});
        t.AddRow({"a"});
    });
    EXPECT_EQ(t.ColCount, 1);
    for (const auto& d : all)
        EXPECT_TRUE(d.text.empty());
    Record([&] { t.Init(0, y, h, {1, 1, 1, 1, 1, 1, 1}, {}); });
    EXPECT_EQ(t.ColCount, 8);
}

TEST_F(HatchTable, NumbersTooLongForTheirCellTakeExponentForm)
{
    // a cell of width 7 holds a blank and seven characters of 0.75 h; a
    // cell with its value rounds that once
    const Real none = std::numeric_limits<Real>::quiet_NaN();
    const std::tuple<const char*, Real, const char*> cases[] = {
        {"1666174079", none, "1.666E9"}, {"-1666174079", none, "-1.67E9"}, {"9999999999", none, "1.00E10"},
        {"0.0000123", none, "1.23E-5"},  {"12345,678", none, "1,235E4"},   {"1234567", none, "1234567"},
        {"    1234", none, "    1234"},  {"ecc./gear", none, "ecc./gear"}, {"---", none, "---"},
        {"0.000048", 4.8066E-5L, "4.81E-5"}, {"0.000019", 1.9073E-5L, "1.91E-5"}, {"0,000048", 4.8066E-5L, "4,81E-5"},
        {"1234567", 1234567.4L, "1234567"}, {"-0.000019", -1.9073E-5L, "-1.9E-5"},
    };
    for (const auto& [cell, value, shown] : cases) {
        TAusTabelle t;
        auto all = Record([&t, text = cell, number = value] {
            t.Init(0, 100, 2, {7, 7}, {});
            t.AddRow({text, text}, {number, number});
        });
        std::vector<std::string> texts;
        for (const auto& d : all)
            if (!d.text.empty())
                texts.push_back(d.text);
        EXPECT_EQ(texts, (std::vector<std::string>{std::string(" ") + shown, std::string(" ") + shown})) << cell;
    }
}

} // namespace
} // namespace kt4::cadtest
