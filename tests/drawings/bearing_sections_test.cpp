// The sections of all twelve bearing types: every row of our catalogues
// drawn through the take-over, the lower half as the mirror image of the
// upper, the edge cases of each type, and the rows that cannot be drawn.
#include "section_helpers.h"

#include <algorithm>

namespace kt4::drawtest {
namespace {

using namespace drawings;

class BearingSections : public DrawingsTest {
protected:
    WaelzLagerTyp& Slot(Word k) { return bearings::BearingSlots[k]; }
    static Real Width(const WaelzLagerTyp& b) { return b.Typ == TaperedRoller ? b.T() : b.B; }
};

const char* const CadCoordinateError = "Fehler : CAD: ung";
const char* const HatchMessages[] = {"Schraffurfehler", "Fatal  : n schraff", "schraff schnittp"};

TEST_F(BearingSections, EveryCatalogueRowDrawsInsideItsBearing)
{
    int drawn = 0;
    for (TBearingType typ = 1; typ <= BearingTypeCount; ++typ) {
        for (std::size_t k = 0; k < CatalogueRows(typ).size(); ++k) {
            TakeRow(1, typ, k);
            settings::ClearMessages(); // the take-over's load check
            const WaelzLagerTyp& b = Slot(1);
            const std::string what = BearingTableName(typ) + " " + b.Designation;
            cad::HatchMode = 1;
            const std::vector<Call> calls = DrawAlone(1);
            ++drawn;
            EXPECT_TRUE(AllFinite(calls)) << what;
            EXPECT_FALSE(HasMessage(CadCoordinateError)) << what;
            for (const char* m : HatchMessages)
                EXPECT_FALSE(HasMessage(m)) << what << ": " << m;
            EXPECT_EQ(settings::MessageCount, 0) << what << ": " << settings::MessageTexts[1];
            EXPECT_EQ(cad::HatchMode, 1) << what;
            EXPECT_EQ(cad::CadLayer, RecordedJob::CallerLayer) << what;
            const Real W = Width(b), R = b.D / 2, tol = 0.01L;
            int outline = 0, centre = 0;
            for (const Pt& p : Points(calls)) {
                const bool centreLine = p.layer == 1;
                const Real over = centreLine ? 0.1L * W : 0;
                if (p.x < -over - tol || p.x > W + over + tol || std::fabs(p.y) > R + tol) {
                    ADD_FAILURE() << what << ": (" << double(p.x) << ", " << double(p.y) << ") on layer "
                                  << p.layer << " outside " << double(W) << " x " << double(R);
                    break;
                }
                (centreLine ? centre : outline) += 1;
            }
            EXPECT_GT(outline, 20) << what;
            EXPECT_GT(centre, 0) << what;
            EXPECT_EQ(Texts(calls), std::vector<std::string>{b.Designation}) << what;
        }
    }
    EXPECT_GT(drawn, 300);
}

// Points on layers 5 and 1 in the upper (s = 1) or lower half (s = -1),
// the lower ones mirrored.
std::vector<Pt> HalfPoints(const std::vector<Call>& calls, Real s)
{
    std::vector<Pt> out;
    for (const Pt& p : Points(calls))
        if ((p.layer == 5 || p.layer == 1) && s * p.y > 1E-9L)
            out.push_back({p.x, s * p.y, p.layer});
    return out;
}

// True when every point of a lies within tol of a point of b (on the same
// layer).
bool Covers(const std::vector<Pt>& a, std::vector<Pt> b, Real tol = 1E-6L)
{
    auto less = [](const Pt& p, const Pt& q) { return p.x < q.x; };
    std::sort(b.begin(), b.end(), less);
    for (const Pt& p : a) {
        auto it = std::lower_bound(b.begin(), b.end(), Pt{p.x - tol, 0, 0}, less);
        bool found = false;
        for (; it != b.end() && it->x <= p.x + tol && !found; ++it)
            found = it->layer == p.layer && std::fabs(it->y - p.y) <= tol;
        if (!found)
            return false;
    }
    return true;
}

bool SamePointSets(const std::vector<Pt>& a, const std::vector<Pt>& b) { return Covers(a, b) && Covers(b, a); }

TEST_F(BearingSections, LowerHalfIsTheMirrorImageOfTheUpper)
{
    for (TBearingType typ = 1; typ <= BearingTypeCount; ++typ) {
        TakeRow(1, typ, CatalogueRows(typ).size() / 2);
        const std::vector<Call> calls = DrawAlone(1);
        const std::vector<Pt> upper = HalfPoints(calls, 1), lower = HalfPoints(calls, -1);
        EXPECT_GT(upper.size(), 30u) << typ;
        EXPECT_TRUE(SamePointSets(upper, lower)) << BearingTableName(typ) << ": " << upper.size() << " points above, "
                                                 << lower.size() << " below";
    }
}

// The polylines of the upper half whose points all lie above Above.
std::vector<std::vector<Pt>> UpperOutlines(const std::vector<Call>& calls)
{
    std::vector<std::vector<Pt>> out;
    for (const auto& poly : Polylines(calls)) {
        std::vector<Call> wrapped(1);
        wrapped[0].op = "poly";
        wrapped.insert(wrapped.end(), poly.begin(), poly.end());
        std::vector<Pt> pts = Points(wrapped);
        if (!pts.empty() && pts[0].layer == 5 &&
            std::all_of(pts.begin(), pts.end(), [](const Pt& p) { return p.y > 0; }))
            out.push_back(pts);
    }
    return out;
}

Real MaxY(const std::vector<Pt>& pts, Real x0, Real x1)
{
    Real m = -1E9L;
    for (const Pt& p : pts)
        if (p.x >= x0 && p.x <= x1)
            m = std::max(m, p.y);
    return m;
}

TEST_F(BearingSections, CylindricalRollerRingsFollowTheDesignation)
{
    struct Case {
        const char* designation;
        int arrangement;
        bool outerRibs, innerLeftRib, innerRightRib;
    };
    const Case cases[] = {
        {"nu 207", 1, true, false, false}, {"NUP 207", 4, true, true, true}, {"NJ 207", 3, true, true, false},
        {"N 207", 2, false, true, true},   {"", 2, false, true, true},       {"NU", 1, true, false, false},
    };
    TakeRow(1, CylindricalRoller, "NU 207");
    WaelzLagerTyp& b = Slot(1);
    const Real R = b.D / 2, r = b.d / 2, B = b.B, e = B / 6, ri = r + 0.2L * B, ro = R - 0.2L * B, eps = 1E-6L;
    for (const Case& c : cases) {
        b.Designation = c.designation;
        EXPECT_EQ(CylindricalRollerArrangement(c.designation), c.arrangement) << c.designation;
        const auto rings = UpperOutlines(DrawAlone(1));
        ASSERT_EQ(rings.size(), 2u) << c.designation;
        const auto& outer = MaxY(rings[0], 0, B) > MaxY(rings[1], 0, B) ? rings[0] : rings[1];
        const auto& inner = &outer == &rings[0] ? rings[1] : rings[0];
        Real outerMin = 1E9L;
        for (const Pt& p : outer)
            outerMin = std::min(outerMin, p.y);
        EXPECT_EQ(outerMin < ro - eps, c.outerRibs) << c.designation;
        EXPECT_EQ(MaxY(inner, 0, e - eps) > ri + eps, c.innerLeftRib) << c.designation;
        EXPECT_EQ(MaxY(inner, B - e + eps, B) > ri + eps, c.innerRightRib) << c.designation;
    }
}

TEST_F(BearingSections, FullComplementRollersInOneAndTwoRows)
{
    TakeRow(1, FullComplementRoller, CatalogueRows(FullComplementRoller).size() / 2);
    WaelzLagerTyp& b = Slot(1);
    const Real B = b.B, Lw = b.Lw(), a = (B - Lw) / 2;
    for (Integer rows : {1, 2}) {
        b.Rows = rows;
        const std::vector<Call> calls = DrawAlone(1);
        std::vector<std::pair<Real, Real>> rollers; // x extents in the upper half
        for (const auto& poly : Polylines(calls)) {
            if (poly.size() != 9 || poly[0].v[1] <= 0)
                continue; // the closed rounded rectangles only
            Real x0 = 1E9L, x1 = -1E9L;
            for (const Call& v : poly) {
                x0 = std::min(x0, v.v[0]);
                x1 = std::max(x1, v.v[0]);
            }
            rollers.push_back({x0, x1});
        }
        std::sort(rollers.begin(), rollers.end());
        ASSERT_EQ(rollers.size(), std::size_t(rows)) << rows;
        const Real Lr = rows == 2 ? 0.45L * Lw : Lw;
        EXPECT_TRUE(Near(rollers[0].first, a) && Near(rollers[0].second, a + Lr)) << rows;
        if (rows == 2) {
            EXPECT_TRUE(Near(rollers[1].first - rollers[0].second, 0.1L * Lw));
            EXPECT_TRUE(Near(rollers[1].second, B - a));
        }
        for (const Call& l : OpsOnLayer(calls, "line", 1))
            EXPECT_TRUE(Near(l.v[2] - l.v[0], 1.1L * Lw)) << rows;
    }
}

TEST_F(BearingSections, SelfAligningBallsAtZeroContactAngleHideHalfOfTheLeftBall)
{
    TakeRow(1, SelfAligningBall, CatalogueRows(SelfAligningBall).size() / 2);
    Slot(1).Dims[9] = 0;
    const std::vector<Call> calls = DrawAlone(1);
    const Real B = Slot(1).B, Rp = (Slot(1).D + Slot(1).d) / 4;
    const auto visible = OpsOnLayer(calls, "arc", 5), hidden = OpsOnLayer(calls, "arc", 2);
    ASSERT_EQ(visible.size(), 2u);
    ASSERT_EQ(hidden.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        const Real s = k == 0 ? 1 : -1;
        EXPECT_TRUE(Near(visible[k].v[0], B / 2) && Near(visible[k].v[1], s * Rp));
        EXPECT_TRUE(Near(visible[k].v[2], 90) && Near(visible[k].v[3], 270));
        EXPECT_TRUE(Near(hidden[k].v[2], 270) && Near(hidden[k].v[3], 90));
    }
    EXPECT_EQ(OpsOnLayer(calls, "circle", 5).size(), 2u); // the right balls
}

// The perpendicular steps between the -45 degree hatch lines inside the
// box.
std::vector<Real> HatchSteps(const std::vector<Call>& calls, Real x0, Real y0, Real x1, Real y1)
{
    std::vector<Real> c;
    for (const Call& l : OpsOnLayer(calls, "line", 3))
        if (l.v[0] >= x0 - 1E-6L && l.v[2] <= x1 + 1E-6L && std::min(l.v[1], l.v[3]) >= y0 - 1E-6L &&
            std::max(l.v[1], l.v[3]) <= y1 + 1E-6L)
            c.push_back((l.v[0] + l.v[1]) / std::sqrt(2.0L));
    std::sort(c.begin(), c.end());
    std::vector<Real> steps;
    for (std::size_t k = 1; k < c.size(); ++k)
        steps.push_back(c[k] - c[k - 1]);
    return steps;
}

TEST_F(BearingSections, CageHatchSpacingIsTheNeedleDiameterByTenRoundedToEven)
{
    struct Case {
        TBearingType typ;
        Real Dw, spacing;
    };
    for (const Case& c : {Case{NeedleCage, 25, 2}, Case{NeedleCage, 35, 4}, Case{NeedleBush, 25, 2},
                          Case{NeedleBush, 35, 4}}) {
        WaelzLagerTyp& b = Slot(1);
        b = WaelzLagerTyp{};
        b.Typ = c.typ;
        b.d = 50;
        b.B = 100;
        b.rmin = 1.1L; // drawn cup wall 1
        b.D = c.typ == NeedleCage ? b.d + 2 * c.Dw : b.d + 2 * (c.Dw + 1);
        const std::vector<Call> calls = DrawAlone(1);
        // the right cage bar of the upper half
        const Real Lw = c.typ == NeedleCage ? 86 : 72, r = 25;
        const bool cage = c.typ == NeedleCage;
        const Real x0 = 50 + Lw / 2, x1 = cage ? 100 : x0 + 0.9L * (100 - 2 - Lw) / 2;
        const Real y0 = cage ? r + 0.1L * c.Dw : r + 0.25L * c.Dw, y1 = y0 + (cage ? 0.8L : 0.5L) * c.Dw;
        const std::vector<Real> steps = HatchSteps(calls, x0, y0, x1, y1);
        ASSERT_GT(steps.size(), 2u) << c.typ << " " << double(c.Dw);
        for (Real step : steps)
            EXPECT_TRUE(Near(step, c.spacing, 1E-6L)) << c.typ << " Dw " << double(c.Dw) << ": " << double(step);
    }
}

TEST_F(BearingSections, NeedleBearingWithoutCornerRadiusHasSharpCorners)
{
    TakeRow(1, NeedleNoInnerRing, CatalogueRows(NeedleNoInnerRing).size() / 2);
    Slot(1).Dims[6] = 0;
    const std::vector<Call> calls = DrawAlone(1);
    EXPECT_TRUE(Only(calls, "arc").empty());
    const WaelzLagerTyp& b = Slot(1);
    const Real e = 0.1L * b.B, top = b.d / 2 + 0.136L * b.B;
    bool pocketCorner = false;
    for (const auto& poly : Polylines(calls))
        for (const Call& v : poly) {
            EXPECT_EQ(v.v[2], 0); // no bulge anywhere
            pocketCorner |= Near(v.v[0], b.B - e) && Near(v.v[1], top);
        }
    EXPECT_TRUE(pocketCorner);
    EXPECT_EQ(OpsOnLayer(calls, "line", 5).size(), 12u); // face lines and needle sides
}

TEST_F(BearingSections, FullComplementNeedlesDrawTheAxisOnlyInModeOneAndLeaveTheHatchModeAlone)
{
    TakeRow(1, FullComplementNeedle, CatalogueRows(FullComplementNeedle).size() / 2);
    const Real B = Slot(1).B;
    for (Word mode : {1, 2}) {
        cad::HatchMode = 2;
        const std::vector<Call> calls = DrawAlone(1, mode, DrawFullComplementNeedleBearing);
        EXPECT_EQ(cad::HatchMode, 2);
        const auto centre = OpsOnLayer(calls, "line", 1);
        ASSERT_EQ(centre.size(), mode == 1 ? 3u : 2u);
        EXPECT_TRUE(Near(centre[0].v[0], -0.05L * B) && Near(centre[0].v[2], 1.05L * B));
        if (mode == 1) {
            EXPECT_TRUE(Near(centre[2].v[1], 0) && Near(centre[2].v[2] - centre[2].v[0], 1.05L * B));
        }
        EXPECT_EQ(Polylines(calls).size(), 2u);
    }
}

TEST_F(BearingSections, SphericalRollerFilletFollowsTheWidthAndTheOuterOutlineStaysOpen)
{
    TakeRow(1, SphericalRoller, CatalogueRows(SphericalRoller).size() / 2);
    for (Real B : {33.33L, 40.0L}) {
        Slot(1).B = B;
        const Real c = B == 40 ? 0.6L : 0.5L, R1 = Slot(1).D1() / 2;
        const auto polys = Polylines(DrawAlone(1));
        // rollers (5 vertices), then the outer ring's outline (9, open)
        ASSERT_GE(polys.size(), 3u);
        const auto& outer = polys[2];
        ASSERT_EQ(outer.size(), 9u) << double(B);
        EXPECT_TRUE(Near(outer[0].v[0], 0) && Near(outer[0].v[1], R1 + c)) << double(B);
        EXPECT_FALSE(Near(outer[8].v[1], outer[0].v[1])) << "the left face line closes it";
    }
}

TEST_F(BearingSections, TaperedCupCornerFollowsTheThirdRadius)
{
    TakeRow(1, TaperedRoller, CatalogueRows(TaperedRoller).size() / 2);
    WaelzLagerTyp& b = Slot(1);
    const Real R = b.D / 2, r = b.d / 2, C = b.CupWidth();
    for (Real r3 : {0.0L, 0.6L}) {
        b.Dims[7] = r3;
        const Real rc1 = r3 != 0 ? r3 : 0.07L * std::min(R - r, b.T());
        Real right = -1;
        for (const Pt& p : Points(DrawAlone(1)))
            if (p.layer == 5 && Near(p.y, R))
                right = std::max(right, p.x);
        EXPECT_TRUE(Near(right, C - rc1)) << double(r3) << ": " << double(right);
    }
}

TEST_F(BearingSections, TaperedCupRacewayIsOnlyCloseToTheRollersGeneratrix)
{
    TakeRow(1, TaperedRoller, CatalogueRows(TaperedRoller).size() / 2);
    const WaelzLagerTyp& b = Slot(1);
    const Real R = b.D / 2, r = b.d / 2, C = b.CupWidth(), ro = R - 0.15L * (R - r);
    const Real a = DegToRad(b.alpha());
    // the cup outline: from (C, ro) straight to the raceway's left end
    for (const auto& poly : UpperOutlines(DrawAlone(1)))
        for (std::size_t k = 0; k + 1 < poly.size(); ++k)
            if (Near(poly[k].x, C) && Near(poly[k].y, ro)) {
                const Pt& end = poly[k + 1];
                const Real off = std::fabs((end.x - C) * std::sin(a) - (end.y - ro) * std::cos(a));
                EXPECT_GT(off, 1E-4L);
                EXPECT_LT(off, 0.05L * (R - r));
                return;
            }
    ADD_FAILURE() << "no cup raceway";
}

TEST_F(BearingSections, DrawnCupOfTheSmallestCornerHasNoWall)
{
    TakeRow(1, NeedleBush, 0);
    Slot(1).rmin = 0.1L;
    settings::ClearMessages();
    const std::vector<Call> calls = DrawAlone(1);
    EXPECT_TRUE(AllFinite(calls));
    EXPECT_EQ(settings::MessageCount, 0);
    // the raceway lies on the outside diameter, the flanges' inner faces
    // on the outer ones
    const Real R = Slot(1).D / 2, r = Slot(1).d / 2, yf = r + 0.25L * (R - r);
    const auto cups = UpperOutlines(calls);
    ASSERT_EQ(cups.size(), 1u);
    Real x0 = 1E9L, x1 = -1E9L, y0 = 1E9L, y1 = -1E9L;
    for (const Pt& p : cups[0]) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    EXPECT_TRUE(Near(x0, 0) && Near(x1, Slot(1).B) && Near(y0, yf) && Near(y1, R));
}

TEST_F(BearingSections, SomeTypesRunToTheirEndWhateverAbortFlagSays)
{
    struct Case {
        TBearingType typ;
        bool stops;
    };
    for (const Case& c : {Case{AngularContactBall, false}, Case{DoubleRowAngularContact, false}, Case{NeedleBush, false},
                          Case{NeedleNoInnerRing, false}, Case{NeedleCage, false}, Case{FullComplementNeedle, false},
                          Case{FullComplementRoller, false}, Case{CylindricalRoller, true}}) {
        TakeRow(1, c.typ, CatalogueRows(c.typ).size() / 2);
        const std::size_t full = Polylines(DrawAlone(1)).size();
        std::size_t flagged = 0;
        {
            RecordedJob job;
            settings::AbortFlag = true; // as a failed hatch sets it
            DrawBearing(1, 2);
            flagged = Polylines(Calls()).size();
            settings::AbortFlag = false;
        }
        EXPECT_EQ(flagged < full, c.stops) << c.typ << ": " << full << " / " << flagged;
    }
}

TEST_F(BearingSections, DoubleRowDrawsTheSingleRowFaceLines)
{
    TakeRow(1, DoubleRowAngularContact, CatalogueRows(DoubleRowAngularContact).size() / 2);
    const WaelzLagerTyp& b = Slot(1);
    const Real R = b.D / 2, r = b.d / 2, Rp = (R + r) / 2;
    const Real rb = Round(5 * std::min(0.65L * (R - r), 0.4L * b.B)) / 10.0L;
    const auto lines = OpsOnLayer(DrawAlone(1), "line", 5);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_TRUE(Near(lines[0].v[3], b.D1() / 2));      // left face up to the shoulder
    EXPECT_TRUE(Near(lines[1].v[0], b.B) && Near(lines[1].v[3], Rp + rb)); // right face up to the balls
}

// ---- rows that cannot be drawn ------------------------------------------

TEST_F(BearingSections, DegenerateRowsEndQuietlyWithWhatWasDrawnAndTheLabel)
{
    struct Case {
        const char* what;
        TBearingType typ;
        void (*spoil)(WaelzLagerTyp&);
        std::size_t circles, arcs, polylines;
        bool lowerHalf; // anything drawn below the axis
        const char* message; // expected in the message list, or nullptr
    };
    const Case cases[] = {
        {"spherical 60 degrees", SphericalRoller, [](WaelzLagerTyp& b) { b.Dims[9] = 60; }, 0, 0, 3, false, nullptr},
        {"double row, shoulders beyond the balls", DoubleRowAngularContact,
         [](WaelzLagerTyp& b) {
             b.Dims[1] = b.d;
             b.Dims[2] = b.D;
         },
         4, 0, 0, true, "Error: ArcCos"},
        // the upper half's centre crosses of balls of negative radius, far
        // beyond the left face, reach across the axis
        {"self-aligning 80 degrees", SelfAligningBall, [](WaelzLagerTyp& b) { b.Dims[9] = 80; }, 0, 0, 0, true, nullptr},
        {"self-aligning 90 degrees", SelfAligningBall, [](WaelzLagerTyp& b) { b.Dims[9] = 90; }, 0, 0, 0, false, nullptr},
        {"tapered 92 degrees", TaperedRoller, [](WaelzLagerTyp& b) { b.Dims[9] = 92; }, 0, 0, 0, false, nullptr},
    };
    for (const Case& c : cases) {
        TakeRow(1, c.typ, CatalogueRows(c.typ).size() / 2);
        c.spoil(Slot(1));
        settings::ClearMessages();
        const std::vector<Call> calls = DrawAlone(1);
        EXPECT_TRUE(AllFinite(calls)) << c.what;
        EXPECT_EQ(cad::HatchMode, 1) << c.what;
        EXPECT_EQ(Texts(calls), std::vector<std::string>{Slot(1).Designation}) << c.what;
        EXPECT_EQ(Only(calls, "circle").size(), c.circles) << c.what;
        EXPECT_EQ(Only(calls, "arc").size(), c.arcs) << c.what;
        EXPECT_EQ(Polylines(calls).size(), c.polylines) << c.what;
        bool below = false;
        for (const Pt& p : Points(calls))
            below |= p.y < 0;
        EXPECT_EQ(below, c.lowerHalf) << c.what;

        if (c.message) {
            EXPECT_TRUE(HasMessage(c.message)) << c.what;
        } else {
            EXPECT_EQ(settings::MessageCount, 0) << c.what << ": " << settings::MessageTexts[1];
        }
    }
    // what each stop leaves: the spherical bearing its upper half up to the
    // outer ring's hatch, the self-aligning one at 80 degrees the centre
    // crosses and face lines of the upper half, the others the label alone
    TakeRow(1, SelfAligningBall, 0);
    Slot(1).Dims[9] = 80;
    EXPECT_EQ(Only(DrawAlone(1), "line").size(), 6u);
    Slot(1).Dims[9] = 90;
    EXPECT_TRUE(Only(DrawAlone(1), "line").empty());
}

TEST_F(BearingSections, AStoppedSphericalSectionLeavesTheHatchBuilderToTheNextBearing)
{
    TakeRow(1, SphericalRoller, CatalogueRows(SphericalRoller).size() / 2);
    Slot(1).Dims[9] = 60;
    TakeRow(2, NeedleNoInnerRing, 0);
    TakeRow(3, NeedleCage, 0);
    // the routine alone stops in the inner ring's hatch with HatchMode 2
    cad::HatchMode = 1;
    DrawAlone(1, 2, DrawSphericalRollerBearing);
    EXPECT_EQ(cad::HatchMode, 2);
    // its outer-ring hatch has its fillets at the record's shoulder
    const WaelzLagerTyp& b = Slot(1);
    const Real c = b.B <= 33.33L ? 0.5L : 0.015L * b.B;
    for (std::size_t k = 9; k <= 12; ++k)
        EXPECT_TRUE(Near(std::hypot(cad::HatchPoints[k].x - (b.B - c), cad::HatchPoints[k].y - (b.D1() / 2 + c)), c, 1E-9L));

    const std::vector<Call> alone2 = DrawAlone(2), alone3 = DrawAlone(3);
    RecordedJob job;
    DrawBearing(1, 2);
    EXPECT_EQ(cad::HatchMode, 1);
    Calls().clear();
    DrawBearing(2, 2);
    const std::vector<Call> after2 = Calls();
    Calls().clear();
    DrawBearing(3, 2);
    const std::vector<Call> after3 = Calls();
    EXPECT_EQ(Polylines(after2).size(), 2u);
    EXPECT_EQ(Polylines(after3).size(), 4u);
    EXPECT_EQ(Points(after2).size(), Points(alone2).size());
    EXPECT_EQ(Points(after3).size(), Points(alone3).size());
}

} // namespace
} // namespace kt4::drawtest
