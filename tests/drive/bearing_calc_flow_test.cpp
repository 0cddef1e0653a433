// The life part, the messages and the failures of the bearing calculation.
#include "drive/bearing_calc.h"
#include "drive/bearing_life.h"
#include "drive/bearing_types.h"

#include "bearing_test_support.h"

#include <cmath>

using namespace kt4;
using namespace kt4::bearing_test;
using bearings::BearingSlots;

namespace {

int BoxCount(const HeadlessUi& ui)
{
    int n = 0;
    for (const auto& entry : ui.Log())
        n += entry.rfind("error|", 0) == 0;
    return n;
}

} // namespace

class BearingCalcFlow : public bearing_test::BearingTest {
protected:
    // A 6205 with its fatigue load limit, oil 68 mm2/s at 40 degC.
    WaelzLagerTyp& Ball(Word k)
    {
        auto& b = BearingSlots[k];
        b.Designation = "6205";
        b.d = 25;
        b.D = 52;
        b.B = 15;
        b.C = 14800;
        b.C0 = 7800;
        b.Cu = 335;
        b.nuen = 68;
        b.theta = 40;
        b.Fr = 1000;
        return b;
    }

    // A needle bearing: roller life exponent and roller aISO.
    WaelzLagerTyp& Needle(Word k)
    {
        auto& b = BearingSlots[k];
        b.Typ = NeedleNoInnerRing;
        b.Designation = "NK25/20";
        b.d = 25;
        b.D = 33;
        b.B = 20;
        b.C = 25000;
        b.C0 = 35000;
        b.Cu = 4300;
        b.nuen = 68;
        b.theta = 40;
        b.Fr = 1000;
        return b;
    }
};

TEST_F(BearingCalcFlow, ViscosityRatioFromSpeedAndTemperature)
{
    auto& b = Ball(1);
    b.theta = 50;
    b.nuen = 70;
    BearingCalc(1, 2, 0, 1000, 0, 1500);
    EXPECT_NEAR(D(b.nue1), 4500 / std::sqrt(1500 * 38.5), 1e-9);
    EXPECT_NEAR(D(b.nueb), 43.4138, 5e-5);
    EXPECT_EQ(b.kappa, b.nueb / b.nue1);
    // standstill: rated viscosity 1000000
    BearingCalc(1, 2, 0, 1000, 0, 0);
    EXPECT_EQ(b.nue1, 1000000);
}

TEST_F(BearingCalcFlow, LifeMethod1UsesA23WithTheUnboundedRatio)
{
    auto& b = Ball(1);
    b.LifeMethod = 1;
    b.Reliability = 6; // 1 %: a1 0.25
    b.nuen = 1;        // kappa below 0.1 stays as it is
    BearingCalc(1, 2, 0, 1000, 0, 1500);
    ASSERT_LT(b.kappa, 0.1L);
    EXPECT_EQ(b.a23, LifeFactorA23(b.kappa));
    EXPECT_EQ(b.Lna, b.L10 * 0.25L * b.a23);
    EXPECT_FALSE(HasMessage("Warnung: kappa < 0.1 (visko)"));
    EXPECT_EQ(b.eC, 0.2L); // not looked up for method 1
}

TEST_F(BearingCalcFlow, LifeMethod2KeepsA23AndStillBoundsKappa)
{
    auto& b = Ball(1);
    b.LifeMethod = 2;
    b.a23 = 1.7L;
    b.Cleanliness = 3; // "Normale Sauberkeit", dm < 100: 0.55
    b.EP = false;
    b.nuen = 1;
    BearingCalc(1, 2, 0, 1000, 0, 1500);
    EXPECT_EQ(b.a23, 1.7L);
    EXPECT_EQ(b.eC, 0.55L);        // looked up for method 2 as well
    EXPECT_EQ(b.kappa, 0.1L);       // bounded for method 2 as well
    EXPECT_TRUE(HasMessage("Warnung: kappa < 0.1 (visko)"));
    EXPECT_EQ(b.Lna, b.L10 * 1 * 1.7L);
}

TEST_F(BearingCalcFlow, LifeMethod3ComputesAIso)
{
    auto& b = Ball(1);
    b.EP = false;
    b.nuen = 100;
    BearingCalc(1, 2, 0, 1000, 0, 1500); // kappa 100 / 18.7 above 4: taken as 4
    EXPECT_EQ(b.kappa, 4);
    EXPECT_EQ(b.eC, 0.2L); // level 5, dm below 100
    EXPECT_NEAR(D(b.aISO), 3.74104, 5e-6); // P 1000, Cu 335, eC 0.2, kappa 4
    EXPECT_EQ(b.Lna, b.L10 * b.aISO);

    b.Cleanliness = 8; // eC entered
    b.eC = 0.1L;
    BearingCalc(1, 2, 0, 1000, 0, 1500);
    EXPECT_EQ(b.eC, 0.1L);
    EXPECT_EQ(b.aISO, LifeFactorAIsoBall(1000, 335, 0.1L, 4));

    auto& n = Needle(2);
    n.EP = false;
    n.nuen = 10;
    BearingCalc(2, 1, 1, 1000, 0, 1500);
    EXPECT_EQ(n.aISO, LifeFactorAIsoRoller(1000, 4300, 0.2L, n.kappa));
    EXPECT_EQ(n.Lna, n.L10 * n.aISO);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(BearingCalcFlow, ViscosityRatioIsCappedAtFourExactly)
{
    auto& b = Ball(1);
    b.EP = false;
    b.LifeMethod = 3;
    for (Real nuen : {70.0L, 75.0L, 80.0L, 100.0L}) { // kappa about 3.74, 4.01, 4.28, 5.35
        b.nuen = nuen;
        BearingCalc(1, 2, 0, 1000, 0, 1500);
        const Real ratio = b.nueb / b.nue1;
        EXPECT_EQ(b.kappa, ratio > 4 ? 4 : ratio) << D(nuen);
        EXPECT_EQ(b.aISO, LifeFactorAIsoBall(1000, 335, b.eC, b.kappa)) << D(nuen);
    }
}

TEST_F(BearingCalcFlow, LifeMethod4KeepsAIsoAndWarnsWithoutCu)
{
    auto& b = Ball(1);
    b.LifeMethod = 4;
    b.aISO = 2.2L;
    b.Cu = 0;
    b.nuen = 1; // no bound on kappa for method 4
    BearingCalc(1, 2, 0, 1000, 0, 1500);
    EXPECT_EQ(b.aISO, 2.2L);
    EXPECT_LT(b.kappa, 0.1L);
    EXPECT_EQ(b.Lna, b.L10 * 2.2L);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Warnung: CU = 0 ! (Lager 1)"});
}

TEST_F(BearingCalcFlow, EPAdditivesRaiseKappaUnderCleanConditions)
{
    auto& b = Ball(1);
    b.Cleanliness = 8;
    b.eC = 0.3L;
    b.nuen = 4; // kappa about 0.21 at 1500 1/min
    BearingCalc(1, 2, 0, 1000, 0, 1500);
    EXPECT_EQ(b.kappa, 1);
    EXPECT_EQ(b.aISO, LifeFactorAIsoBall(1000, 335, 0.3L, 1)); // below 3
    EXPECT_LE(b.aISO, 3);

    // a factor above 3 with kappa 1 becomes the larger of 3 and the factor
    // of the real kappa
    b.Cu = 500;
    b.nuen = 0.5L * 18.7L;
    BearingCalc(1, 2, 0, 1000, 0, 1500);
    ASSERT_GT(LifeFactorAIsoBall(1000, 500, 0.3L, 1), 3);
    EXPECT_EQ(b.kappa, 1);
    const Real plain = LifeFactorAIsoBall(1000, 500, 0.3L, b.nueb / b.nue1);
    ASSERT_LT(plain, 3);
    EXPECT_EQ(b.aISO, 3);
    b.Cu = 4000; // now even the real kappa gives more than 3
    BearingCalc(1, 2, 0, 1000, 0, 1500);
    EXPECT_EQ(b.aISO, LifeFactorAIsoBall(1000, 4000, 0.3L, b.nueb / b.nue1));
    EXPECT_GT(b.aISO, 3);

    // contaminated (eC below 0.2) or no EP: kappa stays
    b.Cu = 335;
    b.eC = 0.19L;
    BearingCalc(1, 2, 0, 1000, 0, 1500);
    EXPECT_LT(b.kappa, 1);
    b.eC = 0.3L;
    b.EP = false;
    BearingCalc(1, 2, 0, 1000, 0, 1500);
    EXPECT_LT(b.kappa, 1);
}

TEST_F(BearingCalcFlow, SlowRollerBearingOnlyWarnsAboutItsViscosityRatio)
{
    // 5 1/min: kappa far below 0.1 is taken as 0.1 for aISO
    auto& b = Needle(4);
    BearingCalc(4, 2, 1, 1000, 0, 5);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Warnung: kappa < 0.1 (visko)"});
    EXPECT_EQ(b.kappa, 1); // EP, eC 0.2: 3.99 at kappa 1, 0.1 at kappa 0.1
    EXPECT_EQ(b.aISO, 3);
    b.EP = false;
    settings::ClearMessages();
    BearingCalc(4, 2, 1, 1000, 0, 5);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Warnung: kappa < 0.1 (visko)"});
    EXPECT_NEAR(D(b.aISO), 0.1, 1e-15);
}

TEST_F(BearingCalcFlow, LimitMessages)
{
    auto& b = Needle(3);
    b.nLimit = 10000;
    b.theta = 121;
    b.Fr = 50; // below the minimum load 0.02 C = 500
    BearingCalc(3, 1, 1, 1000, 10, -10001);
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Zulässige Drehzahl Lager 3 !",
                              "Mindestbelastung Lager 3 ! (500>50)",
                              "Zul.Axialkraft Lager 3 !",
                              "Warnung: Temperatur 3 !",
                          }));
    EXPECT_FALSE(settings::CalcErrorFlag);
    EXPECT_GT(b.L10, 0); // the results stay

    settings::ClearMessages();
    settings::HideWarnings = true;
    BearingCalc(3, 1, 1, 1000, 10, 10000);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Mindestbelastung Lager 3 ! (500>50)"});
}

TEST_F(BearingCalcFlow, ABadSlotLeavesTheOthersComputed)
{
    for (Word k = 1; k <= 5; ++k)
        Ball(k);
    for (Word k = 1; k <= 5; ++k)
        BearingCalc(k, 2, 1, 1000, 0, 1500);
    ASSERT_FALSE(settings::CalcErrorFlag);

    // slot 2 loses its bore (its bad C0 is not named then), slot 3 its oil,
    // slot 4 its dynamic rating and width, slot 5 its ratings (unreadable,
    // or typed wrong; its aISO is not the entered factor of method 2); the
    // load changes for all
    BearingSlots[2].d = 0;
    BearingSlots[2].C0 = -1;
    BearingSlots[3].nuen = 0;
    BearingSlots[4].C = 0;
    BearingSlots[4].B = -15;
    BearingSlots[5].C = -14800;
    BearingSlots[5].C0 = 0;
    BearingSlots[5].LifeMethod = 2, BearingSlots[5].a23 = 0, BearingSlots[5].aISO = -1;
    settings::ClearMessages();
    for (Word k = 1; k <= 5; ++k)
        BearingCalc(k, 2, 1, 2000, 0, 1500);

    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Fatal  : Wälzlager undefiniert !", "Fatal  : Viskosität Wälzlager 3 !",
                              "Fatal  : C = 0 ! (Lager 4)", "Fatal  : B < 0 ! (Lager 4)",
                              "Fatal  : C < 0 ! (Lager 5)", "Fatal  : C0 = 0 ! (Lager 5)"}));
    EXPECT_TRUE(settings::CalcErrorFlag);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(BearingSlots[1].P, 2000);
    EXPECT_EQ(BearingSlots[1].L10, 7.4L * 7.4L * 7.4L);
    EXPECT_GT(BearingSlots[1].Lna, 0);
    for (Word k : {2, 3, 4, 5}) {
        const auto& b = BearingSlots[k];
        EXPECT_EQ(b.P + b.P0 + b.L10 + b.Lna + b.S + b.S0 + b.Frm + b.FaPerm + b.nue1 + b.nueb +
                      b.kappa + b.Mass,
                  0)
            << k;
    }
    EXPECT_EQ(BoxCount(*ui), 0);
}

TEST_F(BearingCalcFlow, RunsWhileAnEarlierActionWasCancelled)
{
    auto& b = Ball(1);
    settings::AbortFlag = true; // e.g. a cancelled clearance choice
    BearingCalc(1, 2, 0, 1000, 0, 1500);
    EXPECT_EQ(b.P, 1000);
    EXPECT_GT(b.L10, 0);
    EXPECT_TRUE(settings::AbortFlag); // not the calculation's flag to clear
}

TEST_F(BearingCalcFlow, TemperatureNearAbsoluteZeroIsFatalForItsSlotOnly)
{
    // a project file may hold any temperature; from about -240 degC down the
    // viscosity line gives no finite value
    for (Real theta : {-250.0L, -273.15L, -300.0L}) {
        settings::ClearMessages();
        settings::CalcErrorFlag = false;
        auto& b = Ball(2);
        b.theta = theta;
        Ball(3);
        BearingCalc(2, 1, 1, 1000, 0, 1500);
        BearingCalc(3, 1, 1, 1000, 0, 1500);
        EXPECT_EQ(Messages(), std::vector<std::string>{"Fatal  : Temperatur Wälzlager 2 !"}) << D(theta);
        EXPECT_TRUE(settings::CalcErrorFlag);
        EXPECT_EQ(b.nueb + b.Frm + b.L10 + b.P, 0) << D(theta);
        EXPECT_GT(BearingSlots[3].L10, 0);
    }
    // cold but finite: computed
    settings::ClearMessages();
    settings::CalcErrorFlag = false;
    auto& b = Ball(2);
    b.theta = -30;
    BearingCalc(2, 1, 1, 1000, 0, 1500);
    EXPECT_FALSE(settings::CalcErrorFlag);
    EXPECT_GT(b.nueb, 1000);
}

TEST_F(BearingCalcFlow, NoForcesIsAListedFatalErrorWithItsBox)
{
    auto& b = Ball(4);
    b.Clearance = 1; // entered X and Y, both 0
    b.X = 0;
    b.Y = 0;
    b.L10 = 99; // from an earlier run
    BearingCalc(4, 2, 1, 1000, 0, 1500);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Fatal  : Keine Kräfte definiert ! (Lager 4)"});
    EXPECT_TRUE(settings::CalcErrorFlag);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(b.L10, 0);
    ASSERT_EQ(BoxCount(*ui), 1);
    EXPECT_EQ(ui->Log().back(), "error|Fehler : |Keine Kräfte definiert !");

    // without error boxes (command-line runs) only the list has it
    ui->ClearLog();
    settings::ClearMessages();
    settings::ShowErrorBoxes = false;
    BearingCalc(4, 2, 1, 1000, 0, 1500);
    EXPECT_EQ(BoxCount(*ui), 0);
    EXPECT_TRUE(HasMessage("Fatal  : Keine Kräfte definiert ! (Lager 4)"));
}

TEST_F(BearingCalcFlow, ZeroStaticLoadIsFatal)
{
    auto& b = BearingSlots[5];
    b.Typ = SelfAligningBall;
    b.Designation = "1205";
    b.d = 25;
    b.D = 52;
    b.B = 15;
    b.C = 12000;
    b.C0 = 4000;
    b.Cu = 500;
    b.e = 0;
    b.Y0 = 2;
    b.Y1 = 3;
    BearingCalc(5, 2, 1, -100, 50, 1500); // P0 = -100 + 2 * 50 = 0, P = 50
    EXPECT_TRUE(HasMessage("Fatal  : P = 0  Wälzlager 5"));
    EXPECT_TRUE(settings::CalcErrorFlag);
    EXPECT_EQ(b.L10, 0);
    EXPECT_EQ(b.S, 0);
}

TEST_F(BearingCalcFlow, UnknownCodesAreSetToTheirDefaultsWithAWarning)
{
    auto& b = Ball(2);
    b.Typ = 0;
    b.Reliability = 15;
    b.Cleanliness = 0;
    b.LifeMethod = 7;
    BearingCalc(2, 1, 1, 1000, 0, 1500);
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "Warnung: Lager 2: Typ 0 ungültig, 1 gesetzt",
                              "Warnung: Lager 2: Erlebenswahrscheinlichkeit 15 ungültig, 1 gesetzt",
                              "Warnung: Lager 2: Sauberkeit 0 ungültig, 5 gesetzt",
                              "Warnung: Lager 2: Berechnungsart 7 ungültig, 3 gesetzt",
                          }));
    EXPECT_EQ(b.Typ, 1);
    EXPECT_EQ(b.P, 1000);
    EXPECT_EQ(b.Lna, b.L10 * b.aISO);
    EXPECT_FALSE(settings::CalcErrorFlag);
}

TEST_F(BearingCalcFlow, SlotsWithoutDesignationOrOutsideAreLeftAlone)
{
    auto& b = BearingSlots[1];
    b.d = 25;
    b.D = 52;
    b.Mass = 0.5L;
    b.L10 = 12;
    BearingCalc(1, 2, 0, 1000, 0, 1500);
    EXPECT_EQ(b.Mass, 0.5L);
    EXPECT_EQ(b.L10, 12);
    BearingCalc(0, 2, 0, 1000, 0, 1500);
    BearingCalc(6, 2, 0, 1000, 0, 1500);
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(settings::CalcErrorFlag);
}

TEST_F(BearingCalcFlow, MissingFactorTableIsOneMessageForAllSlots)
{
    settings::DbfDir = "/nonexistent";
    for (Word k = 1; k <= 5; ++k)
        Ball(k).X = 0.3L; // a stale factor from an earlier table
    for (Word k = 1; k <= 5; ++k)
        BearingCalc(k, 2, 1, 1000, 0, 1500);
    EXPECT_EQ(Messages(), std::vector<std::string>{
                              "Fatal  : Datei /nonexistent/rikula_n.hdf nicht gefunden oder kein "
                              "Zugriffsrecht !"});
    for (Word k = 1; k <= 5; ++k) {
        EXPECT_EQ(BearingSlots[k].X, 1) << k; // pure radial load: no table needed
        EXPECT_EQ(BearingSlots[k].P, 1000) << k;
        EXPECT_GT(BearingSlots[k].Lna, 0) << k;
    }
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_FALSE(settings::CalcErrorFlag);
    EXPECT_TRUE(ui->Log().empty());
}

TEST_F(BearingCalcFlow, SafetiesBelowOneAreNotWarned)
{
    auto& b = Ball(1);
    b.Fr = 20000;
    BearingCalc(1, 2, 0, 20000, 0, 100);
    EXPECT_LT(b.S, 1);
    EXPECT_LT(b.S0, 1);
    EXPECT_TRUE(Messages().empty());
}
