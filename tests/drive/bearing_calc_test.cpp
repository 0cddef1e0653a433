#include "drive/bearing_calc.h"
#include "drive/bearing_life.h"
#include "drive/bearing_types.h"

#include "bearing_test_support.h"

#include <cmath>

using namespace kt4;
using namespace kt4::bearing_test;
using bearings::BearingSlots;

namespace {

// Dynamic minimum load as the catalogues give it:
// kr (nu n / 1000)^(2/3) (dm / 100)^2
double MinLoad(double kr, double nu, double n, double dm)
{
    return kr * std::pow(nu * n / 1000, 2.0 / 3) * (dm / 100) * (dm / 100);
}

} // namespace

class BearingCalcTest : public bearing_test::BearingTest {
protected:
    // A slot with catalogue data, a fatigue load limit and oil at 40 degC
    // (nueb = nuen); the other settings as in a fresh slot.
    WaelzLagerTyp& Put(Word k, TBearingType typ, const char* des, Real d, Real D, Real B, Real C,
                       Real C0)
    {
        auto& b = BearingSlots[k];
        b.Typ = typ;
        b.Designation = des;
        b.d = d;
        b.D = D;
        b.B = B;
        b.C = C;
        b.C0 = C0;
        b.Cu = C0 / 8.2L;
        b.theta = 40;
        b.nuen = 68;
        b.Fr = 1000;
        return b;
    }
};

TEST_F(BearingCalcTest, PublishedCatalogueExampleDeepGrooveBallBearing)
{
    // 6309: d 45, D 100, B 25, C 55.3 kN, C0 31.5 kN, Pu 1.34 kN; Fr 10 kN at
    // 3000 1/min, oil 20 mm2/s at operating temperature. Catalogue: L10 = 169
    // million revolutions, L10h = 940 h.
    auto& b = Put(1, DeepGrooveBall, "6309", 45, 100, 25, 55300, 31500);
    b.Cu = 1340;
    b.nuen = 20;
    b.Fr = 10000;
    BearingCalc(1, 2, 0, 10000, 0, 3000);
    EXPECT_EQ(b.X, 1);
    EXPECT_EQ(b.Y, 0);
    EXPECT_EQ(b.P, 10000);
    EXPECT_EQ(b.P0, 10000);
    EXPECT_EQ(std::lround(D(b.L10)), 169);
    EXPECT_EQ(std::lround(D(b.L10 * 1000000 / 3000 / 60) / 10) * 10, 940);
    EXPECT_NEAR(D(b.nueb), 20, 1e-9);
    EXPECT_NEAR(D(b.S), 5.53, 1e-12);
    EXPECT_NEAR(D(b.S0), 3.15, 1e-12);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(BearingCalcTest, ResultBeyondTheNumbersFailsTheSlot)
{
    auto& b = Put(3, DeepGrooveBall, "6309", 45, 100, 25, 1E4000L, 31500);
    BearingCalc(3, 2, 0, 10000, 0, 3000);
    EXPECT_TRUE(settings::CalcErrorFlag);
    EXPECT_EQ(Messages().back(), "Fatal  : Zahlenbereich überschritten (Lager 3) !");
    EXPECT_EQ(b.L10, 0);
    EXPECT_EQ(b.S, 0);
}

TEST_F(BearingCalcTest, DeepGrooveBallBearing)
{
    auto& b = Put(1, DeepGrooveBall, "6205", 25, 52, 15, 14800, 7800);
    b.Dims[1] = 31.5L; // d1
    b.Dims[2] = 46.3L; // D1
    b.Mass = 9;
    BearingCalc(1, 2, 0, 1000, 0, 1500);
    EXPECT_EQ(b.P0, 1000); // 0.6 Fr < Fr
    EXPECT_EQ(b.X, 1);
    EXPECT_EQ(b.Y, 0);
    EXPECT_EQ(b.P, 1000);
    EXPECT_EQ(b.L10, 14.8L * 14.8L * 14.8L);
    EXPECT_NEAR(D(b.Frm), MinLoad(25, 68, 1500, 38.5), 1e-9); // "62": kr 25
    EXPECT_EQ(b.FaPerm, 0.5L * 7800);
    const double ring = 52.0 * 52 - 46.3 * 46.3 + 31.5 * 31.5 - 25.0 * 25;
    const double balls = 0.2 * (46.3 * 46.3 - 31.5 * 31.5);
    EXPECT_NEAR(D(b.Mass), (ring + balls) * M_PI / 4 * 15 * 7.85 / 1e6, 1e-12);

    // with an axial load: X and Y from the normal table, P0 at least Fa
    BearingCalc(1, 2, 0, 100, 390, 1500);
    EXPECT_EQ(b.P0, 390); // 0.6 Fr + 0.5 Fa = 255 < Fa
    EXPECT_NEAR(D(b.X), 0.56, 1e-15);
    EXPECT_NEAR(D(b.Y), 1.99 + (1.71 - 1.99) * (0.05 - 0.028) / 0.028, 1e-12); // q 0.05
    EXPECT_NEAR(D(b.P), D(b.X * 100 + b.Y * 390), 1e-12);
    EXPECT_TRUE(HasMessage("Zul.Axialkraft Lager 1 !") == false);

    // entered factors (clearance 1) are kept
    b.Clearance = 1;
    b.X = 0.5L;
    b.Y = 1.5L;
    BearingCalc(1, 2, 0, 100, 390, 1500);
    EXPECT_EQ(b.P, 0.5L * 100 + 1.5L * 390);

    // C3 clearance
    b.Clearance = 3;
    BearingCalc(1, 2, 0, 100, 390, 1500);
    EXPECT_NEAR(D(b.X), 0.46, 1e-15);
}

TEST_F(BearingCalcTest, DeepGrooveSeriesRules)
{
    struct Case {
        const char* des;
        Real d;
        double kr;
        double faShare;
    };
    const Case cases[] = {
        {"61804", 20, 15, 0.25}, // "618" before "61"; FaPerm 0.25 C0 for "61"
        {"61904", 20, 20, 0.25},  {"16004", 20, 20, 0.25}, {"6004", 20, 25, 0.25},
        {"6204", 20, 25, 0.5},    {"6304", 20, 30, 0.5},   {"6404", 20, 35, 0.5},
        {"4204", 20, 50, 0.5},    {"4304", 20, 60, 0.5},   {"XYZ", 20, 0, 0.5},
        {"6200", 10, 25, 0.25}, // bore up to 10: 0.25 C0
    };
    for (const auto& c : cases) {
        auto& b = Put(1, DeepGrooveBall, c.des, c.d, 47, 14, 10000, 5000);
        BearingCalc(1, 2, 0, 1000, 0, 1000);
        EXPECT_NEAR(D(b.Frm), MinLoad(c.kr, 68, 1000, D((c.d + 47) / 2)), 1e-9) << c.des;
        EXPECT_NEAR(D(b.FaPerm), c.faShare * 5000, 1e-12) << c.des;
    }
}

TEST_F(BearingCalcTest, SelfAligningBallBearing)
{
    auto& b = Put(2, SelfAligningBall, "1205", 25, 52, 15, 12000, 4000);
    b.e = 0.37L;
    b.Y1 = 1.7L;
    b.Y2 = 2.6L;
    b.Y0 = 1.8L;
    b.Mass = 0.14L; // from the catalogue; the calculation leaves 0
    BearingCalc(2, 1, 1, 1000, 370, 1000);
    EXPECT_EQ(b.P0, 1000 + 1.8L * 370);
    EXPECT_EQ(b.P, 1000 + 1.7L * 370); // Fa/Fr = e: first formula
    EXPECT_EQ(b.FaPerm, 3 * 15 * 25);
    EXPECT_EQ(b.Mass, 0);
    EXPECT_NEAR(D(b.Frm), MinLoad(40, 68, 1000, 38.5), 1e-9); // begins with "12"
    BearingCalc(2, 1, 1, 1000, 400, 1000);
    EXPECT_EQ(b.P, 0.65L * 1000 + 2.6L * 400);

    const std::pair<const char*, double> series[] = {
        {"1405", 30}, {"2205", 40}, {"1305", 45}, {"2305", 50}, {"X12", 0}};
    for (const auto& [des, kr] : series) {
        b.Designation = des;
        BearingCalc(2, 1, 1, 1000, 0, 1000);
        EXPECT_NEAR(D(b.Frm), MinLoad(kr, 68, 1000, 38.5), 1e-9) << des;
    }
}

TEST_F(BearingCalcTest, NeedleAndFullComplementBearings)
{
    for (TBearingType t : {NeedleBush, NeedleNoInnerRing, NeedleCage, FullComplementRoller,
                           FullComplementNeedle}) {
        settings::ClearMessages();
        auto& b = Put(3, t, "N", 20, 26, 12, 10000, 12000);
        b.Mass = 0.1L;
        BearingCalc(3, 1, 1, 1000, 50, 1000);
        EXPECT_EQ(b.P0, 1000) << t;
        EXPECT_EQ(b.P, 1000) << t;
        EXPECT_EQ(b.Frm, 200) << t;
        EXPECT_EQ(b.FaPerm, 0) << t;
        EXPECT_EQ(b.Mass, 0) << t;
        EXPECT_NEAR(D(b.L10), std::pow(10.0, 10.0 / 3), 1e-9) << t; // exponent 10/3
        EXPECT_TRUE(HasMessage("Zul.Axialkraft Lager 3 !")) << t;
    }

    // no load at all: 0.00001 N stands in, so there is a (huge) life
    auto& b = Put(3, NeedleCage, "K20x26x12", 20, 26, 12, 10000, 12000);
    BearingCalc(3, 1, 1, 0, 0, 1000);
    EXPECT_EQ(b.P, 0.00001L);
    EXPECT_GE(b.L10, 1e29L);
    EXPECT_FALSE(settings::CalcErrorFlag);
    EXPECT_TRUE(ui->Log().empty());
}

TEST_F(BearingCalcTest, CylindricalRollerBearing)
{
    auto& b = Put(4, CylindricalRoller, "NU205", 25, 52, 15, 28600, 27000);
    b.nLimit = 12000;
    BearingCalc(4, 2, 1, 1000, 200, 3000);
    EXPECT_EQ(b.P0, 1000);
    EXPECT_EQ(b.e, 0.2L);
    EXPECT_EQ(b.Y, 0.4L); // 0.4 also for e 0.2 (kept as the catalogue data has it)
    EXPECT_EQ(b.P, 1000); // Fa/Fr = e
    EXPECT_NEAR(D(b.Frm), 150 * (6 + 4 * 3000.0 / 12000) * 0.385 * 0.385, 1e-9);
    EXPECT_EQ(b.FaPerm, 0);
    BearingCalc(4, 2, 1, 1000, 250, 3000);
    EXPECT_EQ(b.P, 0.92L * 1000 + 0.4L * 250);

    b.Designation = "NU2205";
    BearingCalc(4, 2, 1, 1000, 250, 3000);
    EXPECT_EQ(b.e, 0.3L);
    EXPECT_EQ(b.P, 1000);
    EXPECT_NEAR(D(b.Frm), 200 * 7 * 0.385 * 0.385, 1e-9);

    const std::pair<const char*, double> series[] = {{"NU2305", 250}, {"NU1005", 100}, {"NU305", 150}};
    for (const auto& [des, kr] : series) {
        b.Designation = des;
        BearingCalc(4, 2, 1, 1000, 0, 3000);
        EXPECT_NEAR(D(b.Frm), kr * 7 * 0.385 * 0.385, 1e-9) << des;
    }

    // without a permissible speed: no minimum load, no speed check
    b.nLimit = 0;
    BearingCalc(4, 2, 1, 1000, 0, 50000);
    EXPECT_EQ(b.Frm, 0);
    EXPECT_FALSE(HasMessage("Zulässige Drehzahl Lager 4 !"));
    b.nLimit = 12000;
    BearingCalc(4, 2, 1, 1000, 0, -12001);
    EXPECT_TRUE(HasMessage("Zulässige Drehzahl Lager 4 !"));
}

TEST_F(BearingCalcTest, CylindricalRollerAxialCapacity)
{
    auto& b = Put(4, CylindricalRoller, "NJ205", 25, 52, 15, 28600, 27000);
    BearingCalc(4, 2, 1, 1000, 0, 3000);
    EXPECT_NEAR(D(b.FaPerm), 0.5 * 27000 * 10000 / (77.0 * 3000) - 0.05 * 1000, 1e-9);
    b.Designation = "NUP205EC";
    BearingCalc(4, 2, 1, 1000, 0, 3000);
    EXPECT_NEAR(D(b.FaPerm), 1.5 * 27000 * 10000 / (77.0 * 3000) - 0.15 * 1000, 1e-9);
    BearingCalc(4, 2, 1, 1000, 0, 300);
    EXPECT_NEAR(D(b.FaPerm), 1.2 * 52 * 52, 1e-9); // the smaller of the two
    BearingCalc(4, 2, 1, 1000, 0, 30000);
    EXPECT_NEAR(D(b.FaPerm), 1.5 * 27000 * 10000 / (77.0 * 30000) - 0.15 * 1000, 1e-9);
    // at standstill the ring limit applies; the direction does not matter
    BearingCalc(4, 2, 1, 1000, 0, 0);
    EXPECT_NEAR(D(b.FaPerm), 1.2 * 52 * 52, 1e-9);
    BearingCalc(4, 2, 1, 1000, 0, -30000);
    EXPECT_NEAR(D(b.FaPerm), 1.5 * 27000 * 10000 / (77.0 * 30000) - 0.15 * 1000, 1e-9);
}

TEST_F(BearingCalcTest, TaperedAndSphericalRollerBearings)
{
    auto& t = Put(5, TaperedRoller, "30205", 25, 52, 15, 32500, 33500);
    t.e = 0.37L;
    t.Y = 1.6L;
    t.Y0 = 0.9L;
    BearingCalc(5, 2, 1, 1000, 369, 1000);
    EXPECT_EQ(t.P0, 1000); // 0.5 Fr + Y0 Fa = 832 < Fr
    EXPECT_EQ(t.P, 1000);  // Fa/Fr below e
    EXPECT_EQ(t.Frm, 0.02L * 32500);
    EXPECT_EQ(t.FaPerm, 32500);
    BearingCalc(5, 2, 1, 1000, 370, 1000); // at e: the second formula
    EXPECT_EQ(t.P, 0.4L * 1000 + 1.6L * 370);
    BearingCalc(5, 2, 1, 1000, 1000, 1000);
    EXPECT_EQ(t.P0, 500 + 0.9L * 1000);

    auto& s = Put(4, SphericalRoller, "22205", 25, 52, 18, 49000, 44000);
    s.e = 0.35L;
    s.Y1 = 1.9L;
    s.Y2 = 2.9L;
    s.Y0 = 1.8L;
    BearingCalc(4, 2, 1, 1000, 349, 1000);
    EXPECT_EQ(s.P0, 1000 + 1.8L * 349);
    EXPECT_EQ(s.P, 1000 + 1.9L * 349);
    BearingCalc(4, 2, 1, 1000, 350, 1000);
    EXPECT_EQ(s.P, 0.67L * 1000 + 2.9L * 350);
    EXPECT_EQ(s.Frm, 0.02L * 49000);
    EXPECT_EQ(s.FaPerm, 3 * 18 * 25);
}

TEST_F(BearingCalcTest, AngularContactBallBearingSingleAndPair)
{
    auto& b = Put(1, AngularContactBall, "7205BE", 25, 52, 15, 15600, 10000);
    BearingCalc(1, 2, 0, 1000, 1140, 1000); // single, Fa/Fr = 1.14
    EXPECT_EQ(b.P0, 1000);                   // 0.5 Fr + 0.26 Fa < Fr
    EXPECT_EQ(b.P, 1000);
    EXPECT_EQ(b.FaPerm, 15600);
    BearingCalc(1, 2, 0, 1000, 1200, 1000);
    EXPECT_EQ(b.P, 0.35L * 1000 + 0.57L * 1200);
    BearingCalc(1, 2, 0, 1000, 2000, 1000);
    EXPECT_EQ(b.P0, 0.5L * 1000 + 0.26L * 2000);

    for (Word variant : {1, 2}) {
        BearingCalc(1, 3, variant, 1000, 1140, 1000); // pair
        EXPECT_EQ(b.P0, 1000 + 0.52L * 1140);
        EXPECT_EQ(b.P, 1000 + 0.55L * 1140);
        BearingCalc(1, 3, variant, 1000, 1200, 1000);
        EXPECT_EQ(b.P, 0.57L * 1000 + 0.93L * 1200);
    }
    BearingCalc(1, 3, 0, 1000, 1200, 1000); // arrangement 3 without a pair variant
    EXPECT_EQ(b.P, 0.35L * 1000 + 0.57L * 1200);

    const std::pair<const char*, double> series[] = {
        {"7205BE", 95}, {"7205B", 80}, {"7305BE", 100}, {"7305B", 90}, {"7205", 90}};
    for (const auto& [des, kr] : series) {
        b.Designation = des;
        BearingCalc(1, 2, 0, 1000, 0, 1000);
        EXPECT_NEAR(D(b.Frm), MinLoad(kr, 68, 1000, 38.5), 1e-9) << des;
    }
}

TEST_F(BearingCalcTest, DoubleRowAngularContactByContactAngle)
{
    struct Row {
        Real alpha, y0, limit, y1, x2, y2;
    };
    // 45 degrees: Y0 0.58 and limit 1.33 as the tables have them
    const Row rows[] = {{25, 0.76L, 0.68L, 0.92L, 0.67L, 1.41L},
                        {35, 0.58L, 0.95L, 0.66L, 0.6L, 1.07L},
                        {45, 0.58L, 1.33L, 0.47L, 0.54L, 0.81L}};
    auto& b = Put(2, DoubleRowAngularContact, "3205", 25, 52, 20.6L, 21600, 14300);
    for (const auto& r : rows) {
        b.Dims[9] = r.alpha + 0.000001L; // compared within 0.00001
        const Real fa = r.limit * 1000;
        BearingCalc(2, 1, 1, 1000, fa, 1000);
        EXPECT_EQ(b.P0, 1000 + r.y0 * fa) << D(r.alpha);
        EXPECT_EQ(b.P, 1000 + r.y1 * fa) << D(r.alpha);
        BearingCalc(2, 1, 1, 1000, fa + 1, 1000);
        EXPECT_EQ(b.P, r.x2 * 1000 + r.y2 * (fa + 1)) << D(r.alpha);
        BearingCalc(2, 1, 1, -1, 1, 1000); // Fr <= 0: the formula above the limit
        EXPECT_EQ(b.P, r.x2 * -1 + r.y2 * 1) << D(r.alpha);
    }
    for (const auto& m : Messages())
        ADD_FAILURE() << m;

    // 30 degrees is no table row: Fr + Fa and the message
    b.Dims[9] = 30;
    BearingCalc(2, 1, 1, 1000, 500, 1000);
    EXPECT_EQ(b.P0, 1500);
    EXPECT_EQ(b.P, 1500);
    EXPECT_EQ(b.FaPerm, 21600);
    EXPECT_TRUE(HasMessage("Fehler : schrku2: ALPHA=25,35,45!"));

    struct Series {
        const char* des;
        Real d;
        double kr;
    };
    const Series series[] = {{"3210", 50, 60}, {"3211", 55, 80}, {"3308", 40, 70},
                             {"3309", 45, 95}, {"5205", 25, 60}};
    b.Dims[9] = 25;
    for (const auto& s : series) {
        b.Designation = s.des;
        b.d = s.d;
        BearingCalc(2, 1, 1, 1000, 0, 1000);
        EXPECT_NEAR(D(b.Frm), MinLoad(s.kr, 68, 1000, D((s.d + 52) / 2)), 1e-9) << s.des;
    }
    // a negative speed: the absolute value, and the power message of the type
    settings::ClearMessages();
    BearingCalc(2, 1, 1, 1000, 0, -1000);
    EXPECT_NEAR(D(b.Frm), MinLoad(60, 68, 1000, 38.5), 1e-9);
    EXPECT_TRUE(HasMessage("Fehler : Frm Lager (pow)"));
    auto& g = Put(1, DeepGrooveBall, "6205", 25, 52, 15, 14800, 7800);
    BearingCalc(1, 2, 1, 1000, 0, -1000);
    EXPECT_TRUE(HasMessage("Fehler : Fr Lager (pow)"));
    EXPECT_GT(g.Frm, 0);
    settings::ClearMessages();
    settings::HideWarnings = true;
    BearingCalc(1, 2, 1, 1000, 0, -1000);
    EXPECT_EQ(settings::MessageCount, 0u);
}

TEST_F(BearingCalcTest, AxialFactorOfAngularContactBearings)
{
    EXPECT_NEAR(D(AngularContactY(AngularContactBall, 40)), 0.4 / std::tan(40 * M_PI / 180), 1e-15);
    EXPECT_NEAR(D(AngularContactY(DoubleRowAngularContact, 25)), 0.4 / std::tan(25 * M_PI / 180), 1e-15);
    EXPECT_EQ(AngularContactY(AngularContactBall, 0), 0);
    EXPECT_EQ(settings::MessageCount, 0u);
    EXPECT_EQ(AngularContactY(DoubleRowAngularContact, 0), 0);
    EXPECT_EQ(AngularContactY(DoubleRowAngularContact, 90), 0);
    EXPECT_EQ(AngularContactY(DoubleRowAngularContact, -5), 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Fehler : schrku2: ALPHA=25,35,45!"});
}
