// The bearing section: ball radius, the grooved ring sections, the label,
// the routine table, a stop between ring sections, and slots with no ring
// or no designation.
#include "drawings_fixture.h"

#include "cad/hatch.h"
#include "drawings/bearing_section.h"

namespace kt4::drawtest {
namespace {

using namespace drawings;

WaelzLagerTyp MakeBearing(Real d, Real D, Real B, TBearingType Typ = 1)
{
    WaelzLagerTyp b;
    b.Typ = Typ;
    b.Designation = "6204 2RS";
    b.d = d;
    b.D = D;
    b.B = B;
    b.rmin = 1;
    b.Dims[1] = d + 0.35L * (D - d); // shoulders about a third into the section
    b.Dims[2] = D - 0.35L * (D - d);
    return b;
}

class BearingSection : public DrawingsTest {
protected:
    // The calls of DrawBearing(slot 3) inside a job on the recording device.
    const std::vector<Call>& Draw(const WaelzLagerTyp& b, Word Mode = 2)
    {
        bearings::BearingSlots[3] = b;
        Calls().clear();
        cad::c_begin(RecordMode);
        cad::c_setlayer(7);
        DrawBearing(3, Mode);
        layerAfter = cad::CadLayer;
        cad::c_end();
        return Calls();
    }
    // Calls of a ring section alone.
    const std::vector<Call>& Ring(bool below, Real rb, Real t)
    {
        Calls().clear();
        cad::c_begin(RecordMode);
        if (below)
            RingSectionGrooveBelow(0, 10, rb, 0.5L, 4, 8, t);
        else
            RingSectionGrooveAbove(0, 10, rb, 0.5L, 4, 8, t);
        cad::c_end();
        return Calls();
    }
    // Lines on the hatch layer.
    static std::size_t HatchLines(const std::vector<Call>& calls)
    {
        std::size_t n = 0;
        for (const Call& c : Only(calls, "line"))
            n += c.layer == 3;
        return n;
    }
    // The vertices of the first polyline (the section's outline).
    static std::vector<Call> Outline(const std::vector<Call>& calls)
    {
        std::vector<Call> out;
        bool in = false;
        for (const Call& c : calls) {
            if (c.op == "poly")
                in = out.empty();
            else if (c.op == "seqend")
                in = false;
            else if (in && c.op == "vertex")
                out.push_back(c);
        }
        return out;
    }
    int layerAfter = -1;
};

TEST_F(BearingSection, BallRadiusByWidthOrSectionRoundedHalfToEven)
{
    struct Case {
        Real d, D, B, rb;
    };
    const Case cases[] = {
        {20, 47, 14, 4.4L},  // wide: 0.65 x 13.5 = 8.775 -> 4.4
        {20, 47, 5, 2.1L},   // narrow: 0.85 x 5 = 4.25 -> 2.125 -> 2.1
        {10, 20, 20, 1.6L},  // 0.65 x 5 = 3.25 -> 16.25 -> 16
        {10, 30, 1, 0.4L},   // 0.85 x 1 x 5 = 4.25 -> 4
        {10, 30, 3, 1.3L},   // 0.85 x 3 x 5 = 12.75 -> 13
        {10, 30, 2, 0.8L},   // 0.85 x 2 x 5 = 8.5 -> 8, the even tenth
    };
    for (const Case& c : cases)
        EXPECT_EQ(BallRadius(MakeBearing(c.d, c.D, c.B)), c.rb) << c.d << " " << c.D << " " << c.B;
}

TEST_F(BearingSection, GrooveOnlyWhereTheBallReachesTheEdge)
{
    // t in 0..2 rb: grooved and hatched; t < 0 (the ball stays off the
    // edge) or t > 2 rb (beyond the far side of the ball): neither
    for (bool below : {true, false}) {
        const auto grooved = Ring(below, 2, 1);
        EXPECT_EQ(Outline(grooved).size(), 9u) << below;
        EXPECT_GT(HatchLines(grooved), 0u) << below;
        for (Real t : {-0.5L, 4.5L}) {
            if (!below && t > 2)
                continue; // Above limits the groove to a half circle
            const auto plain = Ring(below, 2, t);
            EXPECT_EQ(Outline(plain).size(), 6u) << below << " " << t;
            EXPECT_EQ(HatchLines(plain), 0u) << below << " " << t;
        }
    }
    // Above clamps t to rb: a half circle, whatever t is; Below does not
    auto arc = [](const std::vector<Call>& calls) { return Outline(calls)[6].v[2]; }; // the bulge
    EXPECT_NEAR(arc(Ring(false, 2, 3.5L)), -1, 1E-9);  // -tan(pi/4)
    EXPECT_NEAR(arc(Ring(false, 2, 2)), -1, 1E-9);
    EXPECT_GT(arc(Ring(true, 2, 3.5L)), 1); // more than a half circle
    // no ball, no section
    EXPECT_TRUE(Only(Ring(true, 0, 1), "vertex").empty());
    EXPECT_TRUE(Only(Ring(false, -1, 1), "vertex").empty());
}

TEST_F(BearingSection, LabelLayerAndHatchModeAfterTheSection)
{
    cad::HatchMode = 2;
    const auto& calls = Draw(MakeBearing(20, 47, 14));
    const auto texts = Only(calls, "text");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].s, "6204 2RS");
    EXPECT_TRUE(Near(texts[0].v[0], 0) && Near(texts[0].v[1], 0.51L * 47)) << texts[0].v[1];
    EXPECT_EQ(texts[0].layer, 19);
    const auto styles = Only(calls, "style");
    EXPECT_EQ(styles.back().v, (std::vector<Real>{2, 0, 0.06L * 14, 0}));
    EXPECT_EQ(layerAfter, 7);
    EXPECT_EQ(cad::HatchMode, 1);
    EXPECT_EQ(Only(calls, "circle").size(), 2u); // the balls
    EXPECT_GT(HatchLines(calls), 0u);
    // Mode 1 adds the two end faces across the bore (counted before the
    // next drawing replaces the calls)
    const std::size_t lines = Only(calls, "line").size();
    EXPECT_EQ(Only(Draw(MakeBearing(20, 47, 14), 1), "line").size(), lines + 2);
}

TEST_F(BearingSection, AStopAfterARingSectionStillWritesTheLabel)
{
    int hatches = 0;
    OnLayer = [&](int n) {
        if (n == 3 && ++hatches == 1)
            settings::AbortFlag = true; // a hatch that failed
    };
    const auto& calls = Draw(MakeBearing(20, 47, 14));
    OnLayer = nullptr;
    std::size_t sections = 0;
    for (const Call& c : Only(calls, "poly"))
        sections += c.layer == 5;
    EXPECT_EQ(sections, 2u); // the outline of the first section and its hatch outline
    EXPECT_EQ(Only(calls, "text").size(), 1u);
    EXPECT_EQ(layerAfter, 7);
}

TEST_F(BearingSection, TypesWithoutARoutineGiveTheLabelOnly)
{
    for (TBearingType code = 1; code <= BearingTypeCount; ++code)
        EXPECT_NE(SectionRoutine(code), nullptr) << code;
    for (TBearingType code : {0, 13}) {
        EXPECT_EQ(SectionRoutine(code), nullptr) << code;
        const auto& calls = Draw(MakeBearing(20, 47, 14, code));
        EXPECT_EQ(Only(calls, "text").size(), 1u) << code;
        EXPECT_TRUE(Only(calls, "line").empty()) << code;
        EXPECT_TRUE(Only(calls, "circle").empty()) << code;
    }
}

TEST_F(BearingSection, SlotsWithoutARingDrawNothing)
{
    struct Case {
        Real d, D, B;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{20, 18, 5}, Case{20, 47, 0}, Case{-5, 10, 4}, Case{20, 47, -1}}) {
        const auto& calls = Draw(MakeBearing(c.d, c.D, c.B));
        EXPECT_EQ(calls.size(), 1u) << c.d << " " << c.D << " " << c.B; // the caller's layer alone
    }
    WaelzLagerTyp unnamed = MakeBearing(20, 47, 14);
    unnamed.Designation.clear();
    const auto& calls = Draw(unnamed);
    EXPECT_TRUE(Only(calls, "text").empty());
    EXPECT_EQ(Only(calls, "circle").size(), 2u);
    for (const Call& c : calls)
        for (Real v : c.v)
            EXPECT_TRUE(std::isfinite(v)) << c.op;
    // the dispatcher's blocks of the default drive's empty slots: there and empty
    bearings::InitBearingSlots();
    const auto& view = DrawingsTest::Record(3);
    std::size_t inside = 0;
    for (const Call& c : view)
        inside += !c.block.empty() && c.op != "block" && c.op != "layer" && c.op != "endblock";
    EXPECT_EQ(Only(view, "block").size(), 5u);
    EXPECT_EQ(inside, 0u);
}

} // namespace
} // namespace kt4::drawtest
