// The part drawings (views 7 to 22): which contours each part has, that
// outer boundaries run counter-clockwise and holes clockwise over a z range
// of positive length, the fit allowances, and nothing of radius 0.
#include "drawings_fixture.h"

#include "drawings/part_drawings.h"

#include <cmath>
#include <map>

namespace kt4::drawtest {
namespace {

using namespace drive;

struct Contour {
    char sense; // '+' counter-clockwise, '-' clockwise
    Real z1, z2;
    Real r;     // circles; 0 for polylines
};

// The closed contours of a view's entity pass in drawing order.
std::vector<Contour> Contours(const std::vector<Call>& calls)
{
    std::vector<Contour> out;
    std::vector<Call> poly;
    bool in = false;
    for (const Call& c : calls) {
        if (c.op == "circle") {
            out.push_back({c.cw ? '-' : '+', c.z1, c.z2, c.v[2]});
        } else if (c.op == "poly") {
            in = true;
            poly.clear();
        } else if (c.op == "vertex" && in) {
            poly.push_back(c);
        } else if (c.op == "seqend" && in) {
            in = false;
            // signed area of the chords and of the arc segments
            Real area = 0;
            for (std::size_t k = 0; k + 1 < poly.size(); ++k) {
                const Real x1 = poly[k].v[0], y1 = poly[k].v[1], x2 = poly[k + 1].v[0], y2 = poly[k + 1].v[1];
                area += (x1 * y2 - x2 * y1) / 2;
                const Real theta = 4 * std::atan(poly[k].v[2]);
                if (theta != 0) {
                    const Real chord = std::hypot(x2 - x1, y2 - y1);
                    const Real R = chord / (2 * std::sin(std::fabs(theta) / 2));
                    area += (theta > 0 ? 1 : -1) * R * R / 2 * (std::fabs(theta) - std::sin(std::fabs(theta)));
                }
            }
            out.push_back({area > 0 ? '+' : '-', poly.front().z1, poly.front().z2, 0});
        }
    }
    return out;
}

std::string Senses(const std::vector<Contour>& contours)
{
    std::string s;
    for (const Contour& c : contours)
        s += c.sense;
    return s;
}

// "+" then n times "-" and so on: a compact form of the expectations.
std::string Repeat(std::initializer_list<std::pair<int, char>> runs)
{
    std::string s;
    for (auto [n, c] : runs)
        s.append(std::size_t(n), c);
    return s;
}

class Parts : public DrawingsTest {
protected:
    static std::vector<Contour> Of(Word view) { return Contours(Entities(DrawingsTest::Record(view))); }
    static bool HasCircle(Word view, Real r, char sense)
    {
        for (const Contour& c : Of(view))
            if (c.r > 0 && Near(c.r, r) && c.sense == sense)
                return true;
        return false;
    }
};

TEST_F(Parts, OuterBoundariesCounterClockwiseHolesClockwise)
{
    LoadFixture("y");
    const std::map<Word, std::string> want = {
        {8, Repeat({{1, '+'}, {9, '-'}})},                          // plate, seat, 8 screw holes
        {9, Repeat({{1, '+'}, {9, '-'}})},
        {10, "++"},                                                 // input shaft, eccentric pin
        {11, Repeat({{1, '+'}, {4, '-'}, {2, '+'}})},               // disk, pin holes, collar, shaft
        {12, Repeat({{1, '+'}, {5, '-'}})},                         // toothing, bore, roller holes
        {13, Repeat({{1, '-'}, {1, '+'}, {8, '-'}})},               // toothing (a hole), housing, screws
        {14, Repeat({{1, '+'}, {9, '-'}})},
        {15, Repeat({{1, '+'}, {17, '-'}})},                        // flange, bore, 8 windows, screws
        {16, Repeat({{10, '+'}, {9, '-'}})},                        // plate, hub, ribs, seat, screws
        {17, Repeat({{1, '+'}, {17, '-'}})},
        {18, Repeat({{10, '+'}, {9, '-'}})},
        {19, Repeat({{1, '+'}, {9, '-'}, {9, '+'}, {9, '-'}})},     // flange, hub and ribs, seat, screws
        {20, Repeat({{1, '+'}, {9, '-'}, {9, '+'}, {9, '-'}})},
        {22, Repeat({{1, '+'}, {9, '-'}})},                         // ring, lugs (a hole), holes
    };
    for (const auto& [view, senses] : want) {
        const auto contours = Of(view);
        EXPECT_EQ(Senses(contours), senses) << "view " << view;
        for (const Contour& c : contours)
            EXPECT_GT(c.z2, c.z1) << "view " << view;
    }
    // the thin output cover: plate 0..t, hub t..bLg45, seat of bearing 4 0..B4
    const auto cover = Of(16);
    const Real t = drawings::OutputCoverPlate();
    EXPECT_EQ(t, 1);
    EXPECT_TRUE(Near(cover[0].z1, 0) && Near(cover[0].z2, t));
    EXPECT_TRUE(Near(cover[1].z1, t) && Near(cover[1].z2, bLg45));
    EXPECT_TRUE(Near(cover[10].z1, 0) && Near(cover[10].z2, bearings::BearingSlots[4].B));
    EXPECT_EQ(drawings::InputCoverPlate(), 1.75L); // the larger of bs/4 and B1/4
}

TEST_F(Parts, RollerIsARevolvedTube)
{
    LoadFixture("y");
    cad::FitClearanceShaft = 0.1L;
    cad::FitClearanceBore = 0.2L;
    const auto cones = Only(Entities(Record(7)), "cone");
    ASSERT_EQ(cones.size(), 4u);
    const Real ri = (dz + 0.2L) / 2, ro = (dR - 0.1L) / 2; // both allowances whole on the diameter
    // bore, end face, outside, start face: counter-clockwise in the (z, r) plane
    const std::vector<std::vector<Real>> want = {
        {0, 0, 0, ri, ri}, {0, 0, 0, ri, ro}, {1, 0, 0, ro, ro}, {0, 0, 0, ro, ri}};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(cones[k].v.size(), 5u);
        for (std::size_t j = 0; j < 5; ++j)
            EXPECT_TRUE(Near(cones[k].v[j], want[k][j])) << k << " " << j;
    }
    EXPECT_TRUE(Near(cones[0].z2, bPOver) && Near(cones[2].z1, 0));
}

TEST_F(Parts, FitAllowances)
{
    LoadFixture("y");
    bearings::BearingSlots[5] = bearings::BearingSlots[4];
    bearings::BearingSlots[5].D = 26;
    bearings::BearingSlots[5].B = 3;
    bLg45 = 14; // room for the step between the seats of 4 and 5
    diShaft2 = 9;
    cad::FitClearanceShaft = 0.1L;
    cad::FitClearanceBore = 0.2L;
    struct Case {
        Word view;
        Real r;
        char sense;
    };
    const Case cases[] = {
        {10, d1 / 2 - 0.05L, '+'},      // input shaft
        {10, dexz / 2 - 0.05L, '+'},    // eccentric pin
        {11, dz / 2 + 0.1L, '-'},       // pin holes
        {11, d2 / 2 - 0.05L, '+'},      // shaft
        {11, 4.5L - 0.1L, '-'},         // bore: the whole shaft allowance on the radius
        {9, deLg1 / 2 + 0.1L, '-'},     // seat of bearing 1
        {9, dS / 2 + 0.1L, '-'},        // screw holes
        {16, 14 + 0.1L, '-'},           // seat of bearing 4 (D4 = 28)
        {16, 13 + 0.2L, '-'},           // seat of bearing 5: the whole bore allowance
        {16, 14 - 0.5L, '-'},           // the step between them
        {12, diw / 2, '-'},             // the wheel's bore: no allowance
    };
    for (const Case& c : cases)
        EXPECT_TRUE(HasCircle(c.view, c.r, c.sense)) << c.view << " r " << double(c.r);
    // without both allowances every diameter is the nominal one
    cad::FitClearanceShaft = cad::FitClearanceBore = 0;
    EXPECT_TRUE(HasCircle(10, d1 / 2, '+'));
    EXPECT_TRUE(HasCircle(16, 13, '-'));
}

TEST_F(Parts, NothingOfRadiusZeroOrOverAnEmptyRange)
{
    // x.kt4: no bearing 3 seat, no shaft bores; y.kt4 with a bearing 5 that
    // leaves no room for the step, and covers of no hub
    for (const char* project : {"x", "y"}) {
        LoadFixture(project);
        if (std::string(project) == "y") {
            bearings::BearingSlots[5] = bearings::BearingSlots[4];
            bLg45 = bearings::BearingSlots[4].B; // B4..bLg45 - B5 is inverted
        }
        for (Word view = 7; view <= 22; ++view) {
            if (!drawings::PartRefusal(view).empty())
                continue;
            for (const Contour& c : Of(view)) {
                EXPECT_GT(c.z2, c.z1) << project << " view " << view;
                if (c.sense != 0 && c.r != 0) {
                    EXPECT_GT(c.r, 0) << project << " view " << view;
                }
            }
            for (const Call& c : Only(Entities(Record(view)), "circle"))
                EXPECT_GT(c.v[2], 0) << project << " view " << view;
        }
    }
    EXPECT_EQ(Senses(Of(11)), Repeat({{1, '+'}, {4, '-'}, {2, '+'}}));
}

} // namespace
} // namespace kt4::drawtest
