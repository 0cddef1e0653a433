// The assembly section (view 3): bearing blocks at their seats or crossed
// boxes, the seats that leave a bearing out, rollers, the output shaft
// with and without bearing 3, and the tolerance of the diameter match.
#include "drawings_fixture.h"

#include "drawings/assembly_section.h"

namespace kt4::drawtest {
namespace {

using namespace drive;

class Assembly : public DrawingsTest {
protected:
    struct Insert {
        std::string name;
        Real x, y, angle;
    };
    static std::vector<Insert> Inserts()
    {
        std::vector<Insert> out;
        for (const Call& c : Only(Entities(DrawingsTest::Record(3)), "insert"))
            out.push_back({c.s, c.v[0], c.v[1], c.v[2]});
        return out;
    }
    // True when a line with these ends (either way) was drawn on layer.
    static bool HasLine(const std::vector<Call>& calls, int layer, Real x1, Real y1, Real x2, Real y2)
    {
        for (const Call& c : Only(calls, "line"))
            if (c.layer == layer && ((Near(c.v[0], x1) && Near(c.v[1], y1) && Near(c.v[2], x2) && Near(c.v[3], y2)) ||
                                     (Near(c.v[0], x2) && Near(c.v[1], y2) && Near(c.v[2], x1) && Near(c.v[3], y1))))
                return true;
        return false;
    }
    // The crossed box of a bearing at x between d and D over B (its lower diagonal).
    static bool HasSymbol(const std::vector<Call>& calls, Real x, Real d, Real D, Real B, Real y = 0)
    {
        return HasLine(calls, 3, x, y - D / 2, x + B, y - d / 2);
    }
    static bool HasVertex(const std::vector<Call>& calls, Real x, Real y)
    {
        for (const Call& c : Only(calls, "vertex"))
            if (Near(c.v[0], x) && Near(c.v[1], y))
                return true;
        return false;
    }
};

TEST_F(Assembly, DefaultDriveDrawsSymbolsOnly)
{
    LoadFixture("x");
    EXPECT_TRUE(Inserts().empty());
    const auto calls = Entities(Record(3));
    EXPECT_TRUE(HasSymbol(calls, bOver, dexz, diw, bP, exz)); // bearing 2
    // seats as large as the shafts: no bearing 1, 4 and 5 at all
    EXPECT_FALSE(HasSymbol(calls, -bLg1, d1, deLg1, bLg1));
    EXPECT_FALSE(HasSymbol(calls, bH + bsDist, d2, deLg4, bLg45));
}

TEST_F(Assembly, BearingBlocksSitAtTheirSeats)
{
    LoadFixture("y");
    const auto inserts = Inserts();
    ASSERT_EQ(inserts.size(), 3u);
    struct Want {
        const char* name;
        Real x, y;
    };
    const Want want[] = {{"lager2", bOver, exz}, {"lager1", -bearings::BearingSlots[1].B, 0},
                         {"lager4", bH + bsDist, 0}};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(inserts[k].name, want[k].name);
        EXPECT_TRUE(Near(inserts[k].x, want[k].x) && Near(inserts[k].y, want[k].y))
            << want[k].name << " at " << double(inserts[k].x) << ", " << double(inserts[k].y);
        EXPECT_EQ(inserts[k].angle, 0);
    }
    EXPECT_EQ(inserts[1].x, -7); // the 608 ends at the hollow wheel's face

    // a tapered roller bearing spans its total width T, so it starts T ahead
    // of the face; another type with a T of its own stays at -B
    auto& slot1 = bearings::BearingSlots[1];
    slot1.Dims[5] = slot1.B + 2;
    for (auto [type, x] : {std::pair{TaperedRoller, -(slot1.B + 2)}, std::pair{DeepGrooveBall, -slot1.B}}) {
        slot1.Typ = type;
        const auto placed = Inserts();
        ASSERT_EQ(placed[1].name, "lager1");
        EXPECT_TRUE(Near(placed[1].x, x)) << type << ": " << double(placed[1].x);
    }

    // the output shaft's bearing in slot 5 only: a box for 4, slot 5 turned
    bearings::BearingSlots[5] = bearings::BearingSlots[4];
    bearings::BearingSlots[4].d = 10;
    const auto calls = Entities(Record(3));
    EXPECT_TRUE(HasSymbol(calls, bH + bsDist, d2, deLg4, bLg45));
    const auto turned = Inserts();
    ASSERT_EQ(turned.back().name, "lager5");
    EXPECT_TRUE(Near(turned.back().x, bH + bsDist + bLg45) && Near(turned.back().y, 0));
    EXPECT_EQ(turned.back().angle, 180);
}

TEST_F(Assembly, DiametersMatchWithinAMillionthOfAMillimetre)
{
    LoadFixture("y");
    struct Case {
        Real bore; // of slot 4 against d2 = 12.7
        bool block;
    };
    d2 = 12.7L;
    for (const Case& c : {Case{static_cast<double>(12.7L), true}, Case{12.7L + 9E-7L, true},
                          Case{12.7L - 2E-6L, false}}) {
        bearings::BearingSlots[4].d = c.bore;
        bool inserted = false;
        for (const auto& i : Inserts())
            inserted |= i.name == "lager4";
        EXPECT_EQ(inserted, c.block) << double(c.bore - 12.7L);
    }
}

TEST_F(Assembly, SeatsRollersAndTheOutputShaft)
{
    LoadFixture("y");
    // a bearing-1 seat at most 2 mm over the shaft: no bearing 1
    deLg1 = d1 + 2;
    for (const auto& i : Inserts())
        EXPECT_NE(i.name, "lager1");
    EXPECT_FALSE(HasSymbol(Entities(Record(3)), -bLg1, d1, deLg1, bLg1));

    // rollers only when they are more than 0.5 mm over the pins
    auto roller = [] { return HasVertex(Entities(Record(3)), bOver + bPOver, dlk / 2 + dR / 2); };
    dR = dz + 0.5L;
    EXPECT_FALSE(roller());
    dR = dz + 0.6L;
    EXPECT_TRUE(roller());

    // no bearing 3: the plain shaft with its break; with one: the hatched section
    const Real X = bH + bs, Xe = bH + bs + cax + bLg45 + L2;
    diShaft2 = 9;
    deLg3 = 20;
    diLg3 = 20;
    bLg3 = 3;
    auto calls = Entities(Record(3));
    EXPECT_TRUE(HasLine(calls, 5, X, d2 / 2, Xe, d2 / 2));
    EXPECT_FALSE(HasVertex(calls, Xe, diShaft2 / 2));
    EXPECT_FALSE(HasSymbol(calls, bH, diLg3, deLg3, bLg3));
    diLg3 = 10;
    calls = Entities(Record(3));
    EXPECT_FALSE(HasLine(calls, 5, X, d2 / 2, Xe, d2 / 2));
    EXPECT_TRUE(HasVertex(calls, Xe, diShaft2 / 2));
    EXPECT_TRUE(HasVertex(calls, Xe, -diShaft2 / 2));
    EXPECT_TRUE(HasLine(calls, 5, Xe, -diShaft2 / 2, Xe, diShaft2 / 2));
    EXPECT_TRUE(HasSymbol(calls, bH, diLg3, deLg3, bLg3));
}

} // namespace
} // namespace kt4::drawtest
