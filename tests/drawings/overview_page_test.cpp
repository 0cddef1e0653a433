// The overview page (view 1): the scale of its pictures, the title and
// remark lines, the five tables in the unit systems, and a housing of no
// size.
#include "drawings_fixture.h"

#include "drawings/overview_page.h"
#include "foundation/units.h"

#include <algorithm>

namespace kt4::drawtest {
namespace {

using namespace drive;

class Overview : public DrawingsTest {
protected:
    static std::vector<Call> Page() { return Entities(DrawingsTest::Record(1)); }
    static bool HasText(const std::vector<Call>& calls, const std::string& s)
    {
        auto texts = Texts(calls);
        return std::find(texts.begin(), texts.end(), s) != texts.end();
    }
};

TEST_F(Overview, PicturesScaledToAHousingOf79Millimetres)
{
    LoadFixture("y");
    for (Real housing : {158.0L, 39.5L}) {
        dHe = housing;
        const Real s = 79 / housing;
        std::vector<std::string> names;
        for (const Call& c : Only(Page(), "insert")) {
            names.push_back(c.s);
            EXPECT_EQ(c.v[3], s) << c.s;
            EXPECT_EQ(c.v[4], s) << c.s;
            const Real x = c.s == "W" ? 40 + exz * s : c.s == "SA" ? 94 : 40;
            EXPECT_TRUE(Near(c.v[0], x) && Near(c.v[1], 78)) << c.s;
        }
        // inserted in the spelling they are defined with
        EXPECT_EQ(names, (std::vector<std::string>{"H", "W", "EXZ", "abtr", "SA"}));
    }
    EXPECT_EQ(drawings::OverviewScale(), 2);
}

TEST_F(Overview, TitleAndRemarkLinesOneLineApartEvenWhenEmpty)
{
    docu::ZeichNr = "Z1";
    docu::ZeichName = "Getriebe";
    docu::ZeichName2 = "A";
    settings::RemarkLines = {"", "zweite", ""};
    const auto page = Page();
    const Real step = 1.6L * 1.2L;
    bool title = false, second = false;
    for (const Call& c : Only(page, "text")) {
        if (c.s == "Z1 Getriebe A")
            title = Near(c.v[0], 1) && Near(c.v[1], 118) && c.layer == 19;
        if (c.s == "zweite")
            second = Near(c.v[0], 1) && Near(c.v[1], 118 - 2 * step);
    }
    EXPECT_TRUE(title);
    EXPECT_TRUE(second);
}

TEST_F(Overview, TablesInTheUnitSystems)
{
    LoadFixture("y");
    struct Case {
        Word system;
        std::vector<std::string> units;
    };
    const Case cases[] = {
        {0, {" N", " Nm", " MPa", " mm"}},
        {2, {" kN", " Nm", " MPa", " mm"}},
        {1, {" lbf", " lbfin", " psi", " in"}},
    };
    for (const Case& c : cases) {
        settings::UnitSystem = c.system;
        const auto page = Page();
        for (const std::string& u : c.units)
            EXPECT_TRUE(HasText(page, u)) << c.system << u;
        for (const char* title : {" Load", " Load capacity", " Bearings", " Dimens.", " Dimens. Main"})
            EXPECT_TRUE(HasText(page, title)) << title;
        // values in the system's units, as its formatting gives them
        EXPECT_TRUE(HasText(page, " " + FormatForce(FtGear))) << c.system;
        EXPECT_TRUE(HasText(page, " " + FormatLength(dHe))) << c.system;
        EXPECT_TRUE(HasText(page, " " + FormatTorque(T[2]))) << c.system;
        EXPECT_TRUE(HasText(page, " " + FormatForceWD(FrLager[4], 8, 0))) << c.system;
        EXPECT_TRUE(HasText(page, " " + FormatStressWD(pHertz, 6, 0))) << c.system;
    }
    settings::UnitSystem = 2;
    EXPECT_FALSE(HasText(Page(), " N"));
    EXPECT_TRUE(HasText(Page(), " in/case"));
    // too long for their cells: the exponent form of the value in its unit
    P[2] = 4.8066E-5L;
    bearings::BearingSlots[1].L10 = 1.9073E-5L;
    FrShaft[1] = 0.048066L;
    const auto texts = Texts(Page());
    EXPECT_EQ(std::count(texts.begin(), texts.end(), " 4.81E-5"), 2); // P2, Fr shaft 1
    EXPECT_EQ(std::count(texts.begin(), texts.end(), " 1.91E-5"), 1);
}

TEST_F(Overview, DesignationsCutAtABlankWithinFiveCharacters)
{
    LoadFixture("y");
    bearings::BearingSlots[1].Designation = "60 2RSR";
    bearings::BearingSlots[2].Designation = "NU2205E";
    bearings::BearingSlots[4].Designation = "6001";
    const auto page = Page();
    EXPECT_TRUE(HasText(page, " 60"));
    EXPECT_TRUE(HasText(page, " NU220"));
    EXPECT_TRUE(HasText(page, " 6001 "));
}

TEST_F(Overview, HousingOfNoSizeLeavesOutThePictures)
{
    LoadFixture("y");
    for (Real housing : {0.0L, -10.0L}) {
        dHe = housing;
        const auto page = Page();
        EXPECT_TRUE(Only(page, "insert").empty());
        EXPECT_TRUE(HasText(page, " Dimens. Main"));
        EXPECT_TRUE(HasText(page, "KT4-Y Exzentergetriebe Rillenkugellager"));
    }
}

} // namespace
} // namespace kt4::drawtest
