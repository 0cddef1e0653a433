// The power-flow scheme (view 21): the ratio texts of the default drive,
// the shaft drawn double, and values that are no numbers.
#include "drawings_fixture.h"

#include "drawings/power_flow.h"

#include <limits>

namespace kt4::drawtest {
namespace {

using drawings::SummationShaft;

class PowerFlow : public DrawingsTest {
protected:
    static std::vector<Call> Scheme() { return Entities(DrawingsTest::Record(21)); }
    // The text s, or an empty call when it was not written.
    static Call TextCall(const std::vector<Call>& calls, const std::string& s)
    {
        for (const Call& c : Only(calls, "text"))
            if (c.s == s)
                return c;
        return {};
    }
};

TEST_F(PowerFlow, RatioTextsOfTheDefaultDrive)
{
    const auto calls = Scheme();
    struct Want {
        const char* text;
        Real x, y;
    };
    for (const Want& w : {Want{"iSH = +18", 52, 70}, Want{"iHC = +0.944", 95, 70}, Want{"iSC = -17", 75, 38},
                          Want{" i0= 18", 71.2L, 62}}) {
        const Call c = TextCall(calls, w.text);
        ASSERT_EQ(c.op, "text") << w.text;
        EXPECT_TRUE(Near(c.v[0], w.x) && Near(c.v[1], w.y)) << w.text << " at " << double(c.v[0]) << ", "
                                                              << double(c.v[1]);
        EXPECT_EQ(c.layer, 19);
    }
    EXPECT_EQ(TextCall(calls, "+0/min").layer, 22); // the hollow wheel stands
    EXPECT_EQ(TextCall(calls, "+0 kW").layer, 24);
    for (const char* letter : {"S", "C", "H"})
        EXPECT_EQ(TextCall(calls, letter).op, "text") << letter;
    EXPECT_EQ(cad::CadLayer, 19); // where the scheme leaves it
}

TEST_F(PowerFlow, TheShaftWithTheLargestTorqueIsDrawnDouble)
{
    struct Case {
        drawings::ShaftValues T;
        int m;
    };
    const Case cases[] = {
        {{1, 25, 24}, 2}, {{1, -5, -30}, 3}, {{-7, 7, 0}, 1}, {{3, 3, 3}, 1}, {{0, 0, 0}, 0}, {{0, 0, -0.5L}, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SummationShaft(c.T), c.m) << c.T[0] << " " << c.T[1] << " " << c.T[2];

    // drawn: 4 lines for a double shaft, 3 for a single one
    auto lines = [] { return Only(Scheme(), "line").size(); };
    drive::T[1] = drive::T[2] = drive::T[3] = 0;
    EXPECT_EQ(lines(), 9u);
    drive::T[3] = 4;
    EXPECT_EQ(lines(), 10u);
}

TEST_F(PowerFlow, ValuesThatAreNoNumbersShowDashes)
{
    drive::i0 = 0;
    drive::Pw = std::numeric_limits<Real>::quiet_NaN();
    drive::T[1] = std::numeric_limits<Real>::infinity();
    settings::ClearMessages();
    const auto calls = Scheme();
    for (const char* text : {"iSH = +0", "iHC = ---", "iSC = +1", " i0= 0", "Pw= --- kW", "--- Nm"})
        EXPECT_EQ(TextCall(calls, text).op, "text") << text;
    EXPECT_EQ(settings::MessageCount, 0); // nothing reached the layer that is no number
    for (const Call& c : calls)
        for (Real v : c.v)
            EXPECT_TRUE(std::isfinite(v)) << c.op;
    EXPECT_EQ(drawings::SchemeNumber(-2.5L, true), "-2.5");
    EXPECT_EQ(drawings::SchemeNumber(2.5L, true), "+2.5");
    EXPECT_EQ(drawings::SchemeNumber(-std::numeric_limits<Real>::infinity(), true), "---");
}

} // namespace
} // namespace kt4::drawtest
