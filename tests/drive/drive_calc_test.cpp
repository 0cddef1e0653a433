#include "drive_fixture.h"

#include "drive/bearing_types.h"
#include "drive/drive_calc.h"
#include "foundation/codepage.h"

#include <algorithm>

using namespace kt4;
using namespace kt4::drive;
using kt4::drivetest::DriveTest;
using settings::CalcErrorFlag;
using settings::MessageCount;
using settings::MessageTexts;

namespace {

class CalcDriveTest : public DriveTest {};

} // namespace

// The default drive, every bearing slot empty.
TEST_F(CalcDriveTest, ScenarioADimensionsAndRatio)
{
    diShaft2 = 12; // the bore of an earlier design
    CalcDrive();
    EXPECT_FALSE(CalcErrorFlag);
    EXPECT_EQ(MessageCount, 0); // |i| = 17: no warning
    EXPECT_EQ(exz, 1);
    EXPECT_EQ(dzw, 8);
    EXPECT_EQ(dR, 6);
    EXPECT_SIG6(i, -17);
    EXPECT_SIG6(iAbs, 17);
    EXPECT_SIG6(i0, 18);
    EXPECT_EQ(zH, 108);
    EXPECT_EQ(zW, 102);
    EXPECT_EQ(bsDist, 4.5L);
    EXPECT_EQ(bOver, 0.5L);
    EXPECT_EQ(bPOver, 5.5L);
    EXPECT_EQ(bcase, 22.5L);
    EXPECT_EQ(Ltot, 48.5L);
    EXPECT_EQ(diShaft2, 0); // no bearing 3: a solid shaft
}

TEST_F(CalcDriveTest, ScenarioADriveValues)
{
    CalcDrive();
    EXPECT_SIG6(P[2], 0.1308997L);
    EXPECT_SIG6(P[1], 0.1454441L);
    EXPECT_SIG6(n[1], 850);
    EXPECT_SIG6(n[2], 50);
    EXPECT_SIG6(T[1], 1.6339869L);
    EXPECT_SIG6(T[2], 25);
    EXPECT_SIG6(T[3], 23.36601L);
    EXPECT_EQ(n[3], 0);
    EXPECT_EQ(P[3], 0);
    EXPECT_SIG6(Pw, 0.1368886L);
}

TEST_F(CalcDriveTest, ScenarioAForcesAndStresses)
{
    CalcDrive();
    EXPECT_SIG6(FtBoltSum, 2000);
    EXPECT_SIG6(FtGear, 1470.588L);
    EXPECT_SIG6(FrGear, 1470.588L);
    EXPECT_SIG6(FnGear, 2079.726L);
    EXPECT_SIG6(nzLoad, 1);
    EXPECT_SIG6(FtBolt, 2000);
    EXPECT_SIG6(SigBz, 795.775L);
    EXPECT_SIG6(pmaxz, 125);
    EXPECT_SIG6(tau[2], 73.6828L);
    EXPECT_SIG6(tau[1], 66.5746L);
    EXPECT_SIG6(pHertz, 1166.32L);
    EXPECT_EQ(SigB[1], 0); // bLg3 = 0
    EXPECT_SIG6(SigV[1], 115.311L);
    EXPECT_SIG6(SigB[2], 101.199L);
    EXPECT_SIG6(SigV[2], 162.876L);
}

TEST_F(CalcDriveTest, ScenarioABearingLoads)
{
    CalcDrive();
    EXPECT_SIG6(FLagerT[2], 529.412L);
    EXPECT_SIG6(FLagerR[2], 1470.588L);
    EXPECT_SIG6(FrLager[2], 1562.980L);
    EXPECT_SIG6(FrLager[3], 1041.987L);
    EXPECT_SIG6(FrLager[1], 520.993L);
    EXPECT_SIG6(FLagerT[4], 4333.33L);
    EXPECT_SIG6(FLagerR[4], 3186.27L);
    EXPECT_SIG6(FrLager[4], 5378.67L);
    EXPECT_SIG6(FLagerT[5], 2333.33L);
    EXPECT_SIG6(FLagerR[5], -1715.69L);
    EXPECT_SIG6(FrLager[5], 2896.21L);
}

TEST_F(CalcDriveTest, EqualWheelsStopAtOnce)
{
    CalcDrive();
    dH = dp;
    exz = 0;
    CalcDrive();
    EXPECT_TRUE(CalcErrorFlag);
    ASSERT_EQ(MessageCount, 1);
    EXPECT_EQ(MessageTexts[1], "dh-dp=0!");
    EXPECT_SIG6(i, -17); // from the run before
}

TEST_F(CalcDriveTest, BoltLargerThanRollerRaisesRollerFirst)
{
    dz = 9;
    dzw = 9;
    CalcDrive();
    EXPECT_EQ(dR, 9);
    EXPECT_EQ(dzw, 11); // dR + 2 exz
    dz = 4;
    dR = 6;
    dzw = 20;
    CalcDrive();
    EXPECT_EQ(dzw, 20); // a larger hole stays
}

TEST_F(CalcDriveTest, ZeroEfficiencyIsStoredAs100)
{
    etaproz = 0;
    CalcDrive();
    EXPECT_EQ(etaproz, 100);
    EXPECT_SIG6(P[1], P[2]);
}

TEST_F(CalcDriveTest, SpeedFromPowerAndTorqueKeepsSpeedWhenTorqueIsZero)
{
    nTPMode = DeriveN;
    sideMode = InputGiven;
    T[1] = 0;
    n[1] = -1700;
    CalcDrive();
    EXPECT_EQ(n[1], 1700); // made positive, not derived
    EXPECT_SIG6(n[2], 100);
    EXPECT_SIG6(P[2], 0.9L);
    EXPECT_SIG6(T[2], 0.9L * 60000 / (2 * 3.14159265358979L * 100));
}

TEST_F(CalcDriveTest, InputGivenDerivesTorque)
{
    nTPMode = DeriveT;
    sideMode = InputGiven;
    P[1] = 1.5L;
    n[1] = 1500;
    CalcDrive();
    EXPECT_SIG6(T[1], 1.5L * 60000 / (2 * 3.14159265358979L * 1500));
    EXPECT_SIG6(n[2], 1500.0L / 17);
    EXPECT_SIG6(P[2], 1.35L);
}

TEST_F(CalcDriveTest, TorqueWithoutSpeedKeepsItsValue)
{
    n[2] = 0;
    T[1] = 7;
    CalcDrive();
    EXPECT_EQ(n[1], 0);
    EXPECT_EQ(T[1], 7);
    EXPECT_EQ(P[2], 0);
}

TEST_F(CalcDriveTest, WideBearing3UsesItsOuterDiameterForTorsionOnly)
{
    diLg3 = 4;
    deLg3 = 8;
    bLg3 = 4; // = bs
    CalcDrive();
    // diShaft2 = min(0.8 d2, 6 + 1.6) = 7.6
    EXPECT_SIG6(diShaft2, 7.6L);
    const long double pi = 3.14159265358979323846L;
    const long double wp = pi / 16 * (12.0L * 12 * 12 * 12 - 8.0L * 8 * 8 * 8) / 12;
    EXPECT_SIG6(tau[2], 25000 / wp);
    const long double wb = pi / 32 * (12.0L * 12 * 12 * 12 - 7.6L * 7.6L * 7.6L * 7.6L) / 12;
    EXPECT_SIG6(SigB[2], (FrLager[3] * 4 + 6.5L * 2000) / wb);
}

TEST_F(CalcDriveTest, SameBearingPositionStopsBeforeTheBearings)
{
    bearings::BearingSlots[4].B = 4;
    bearings::BearingSlots[5].B = 4;
    bLg45 = 4; // x5 = x4
    FrLager[4] = 11;
    SigB[2] = 12;
    CalcDrive();
    EXPECT_TRUE(CalcErrorFlag);
    EXPECT_EQ(MessageTexts[MessageCount], "Fatal  : L5-L4 = 0 !");
    EXPECT_EQ(FrLager[4], 11);
    EXPECT_EQ(SigB[2], 12);
}

TEST_F(CalcDriveTest, RatioWarningBelowTenOnly)
{
    dH = 44;
    dp = 40; // i = -10 exactly
    CalcDrive();
    EXPECT_EQ(i, -10);
    EXPECT_EQ(MessageCount, 0);
    dH = 40;
    dp = 36; // i = -9
    exz = 0;
    CalcDrive();
    ASSERT_EQ(MessageCount, 1);
    EXPECT_EQ(MessageTexts[1], "Warnung: i < 10 !");
    EXPECT_FALSE(CalcErrorFlag);
}

TEST_F(CalcDriveTest, WeakShaftIsReportedAndTheRunGoesOn)
{
    d1 = 8;
    diShaft1 = 8; // bore = outer diameter
    CalcDrive();
    EXPECT_EQ(tau[1], 100000);
    EXPECT_EQ(MessageTexts[1], "Fatal  : di > de ! (input shaft)");
    EXPECT_FALSE(CalcErrorFlag);
    EXPECT_SIG6(SigV[2], 162.876L); // reached the end
}

TEST_F(CalcDriveTest, ExternalForcesLoadTheShaftBearings)
{
    FrShaft[1] = 100;
    FrShaft[2] = 1000;
    CalcDrive();
    // a = 6, b = 3, L1 = 10, bLg1/2 = 3
    EXPECT_SIG6(FrLager[3], (1562.9800300689908L * 6 + 13 * 100) / 9);
    EXPECT_SIG6(FrLager[1], (1562.9800300689908L * 3 + 22 * 100) / 9);
    // x4 = 7, x5 = 13, xF = 25.8
    EXPECT_SIG6(FLagerT[4], (2000.0L * 13 + 12.8L * 1000) / 6);
    EXPECT_SIG6(FLagerT[5], (2000.0L * 7 + 18.8L * 1000) / 6);
}

TEST_F(CalcDriveTest, HugeRatioKeepsToothNumbersInRange)
{
    dH = 36;
    dp = 36 - 1e-12L;
    exz = 1;
    CalcDrive();
    EXPECT_FALSE(CalcErrorFlag);
    EXPECT_EQ(zH, 2147483647);
    EXPECT_GT(zW, 0);
}

// An input so large that a result leaves the range of the numbers ends the
// run with the first such result named; nothing infinite is passed on.
TEST_F(CalcDriveTest, ResultBeyondTheNumbersEndsTheRun)
{
    struct Case {
        Real* input;
        Real value;
        const char* message;
    } cases[] = {
        {&T[2], 1E4000L, "Fatal  : Zahlenbereich \x81" "berschritten (FnGear) !"},
        {&dlk, 1E-4930L, "Fatal  : Zahlenbereich \x81" "berschritten (FtBoltSum) !"},
        {&dH, 1E4932L, "Fatal  : Zahlenbereich \x81" "berschritten (tau1) !"},
    };
    for (const Case& c : cases) {
        InitDriveData();
        *c.input = c.value;
        dHe = std::max(dHe, 1.1L * dH); // a housing around even the largest hollow wheel
        SigV[2] = 12;
        CalcDrive();
        EXPECT_TRUE(CalcErrorFlag) << c.message;
        ASSERT_GE(MessageCount, 1);
        EXPECT_EQ(MessageTexts[MessageCount], c.message);
        EXPECT_EQ(SigV[2], 12);
    }
}

TEST_F(CalcDriveTest, OutputBearingWidthsPlaceTheLoads)
{
    bearings::BearingSlots[4].B = 4;
    bearings::BearingSlots[5].B = 2;
    bLg45 = 9;
    CalcDrive();
    // x4 = 2.5 + 4 + 0.5 + 2 = 9, x5 = 9 + 9 - 2 - 1 = 15
    EXPECT_SIG6(FLagerT[4], 2000.0L * 15 / 6);
    EXPECT_SIG6(FLagerR[4], 1470.5882352941176L * 15 / 6);
    EXPECT_SIG6(FLagerT[5], 2000.0L * 9 / 6);
    for (Word k = 1; k <= 5; ++k)
        EXPECT_EQ(bearings::BearingSlots[k].Fr, FrLager[k]) << k;
}

TEST_F(CalcDriveTest, BearingsAtOnePlaceGetNoLoads)
{
    // the second set leaves a rounding rest when x5 - x4 is formed from x5
    const struct {
        Real bP, bs, cax;
    } cases[] = {{5, 4, 0.5L}, {8, 4, 0.3L}};
    for (const auto& c : cases) {
        InitDriveData();
        for (Word k = 1; k <= 5; ++k)
            bearings::BearingSlots[k].Fr = 1000000;
        bP = c.bP;
        bs = c.bs;
        cax = c.cax;
        bearings::BearingSlots[4].B = 6;
        bearings::BearingSlots[5].B = 6;
        bLg45 = 6; // = (B4 + B5)/2
        CalcDrive();
        EXPECT_TRUE(CalcErrorFlag) << c.bP;
        EXPECT_EQ(MessageTexts[MessageCount], "Fatal  : L5-L4 = 0 !");
        for (Word k = 1; k <= 5; ++k)
            EXPECT_EQ(bearings::BearingSlots[k].Fr, 1000000) << k; // untouched
    }
}

namespace {

void PutBearing(Word slot, const char* name, Real d, Real D, Real B, Real C, Real C0)
{
    WaelzLagerTyp& b = bearings::BearingSlots[slot];
    b.Designation = name;
    b.d = d;
    b.D = D;
    b.B = B;
    b.C = C;
    b.C0 = C0;
    b.Clearance = 1; // X 1, Y 0 as entered: no factor table needed
}

bool HasMessage(const std::string& text)
{
    for (Word k = 1; k <= MessageCount; ++k)
        if (MessageTexts[k] == text)
            return true;
    return false;
}

} // namespace

TEST_F(CalcDriveTest, EachBearingRunsWithItsLoadAndShaftSpeed)
{
    PutBearing(1, "608", 8, 22, 7, 3450, 1370);
    PutBearing(4, "6001", 12, 28, 8, 5400, 2360);
    bearings::BearingSlots[1].nLimit = 800; // below n1 = 850
    bearings::BearingSlots[4].nLimit = 60;  // above n2 = 50
    bLg45 = 16;
    CalcDrive();
    EXPECT_TRUE(HasMessage(DisplayToOem("Zulässige Drehzahl Lager 1 !")));
    EXPECT_FALSE(HasMessage(DisplayToOem("Zulässige Drehzahl Lager 4 !")));
    EXPECT_SIG6(bearings::BearingSlots[1].P, FrLager[1]);
    EXPECT_SIG6(bearings::BearingSlots[4].P, FrLager[4]);
    EXPECT_SIG6(bearings::BearingSlots[4].S, 5400 / FrLager[4]);
    EXPECT_SIG6(bearings::BearingSlots[1].L10, std::pow(3450 / FrLager[1], 3.0L));
}

TEST_F(CalcDriveTest, ExternalForceAgainstTheGearForcesStillLoadsTheBearing)
{
    // FrLager[1] = (1562.98 * 3 + 22 * -1000) / 9 and FrLager[3] =
    // (1562.98 * 6 + 13 * -1000) / 9 are below 0: the bearings carry the
    // amounts, with positive lives and no fatal error
    settings::DbfDir = KT4_DATA_DIR;
    PutBearing(1, "608", 8, 22, 7, 3450, 1370);
    bearings::BearingSlots[1].Clearance = 2; // the normal table
    bearings::BearingSlots[1].Cu = 50;
    PutBearing(3, "625", 5, 16, 5, 1140, 380);
    bearings::BearingSlots[3].Typ = NeedleNoInnerRing;
    bearings::BearingSlots[3].Cu = 40;
    FrShaft[1] = -1000;
    CalcDrive();
    ASSERT_LT(FrLager[1], 0);
    ASSERT_LT(FrLager[3], 0);
    EXPECT_FALSE(CalcErrorFlag) << MessageTexts[1];
    for (Word k : {1, 3}) {
        const WaelzLagerTyp& b = bearings::BearingSlots[k];
        EXPECT_EQ(b.Fr, -FrLager[k]) << k;
        EXPECT_SIG6(b.P, -FrLager[k]);
        EXPECT_GT(b.L10, 0) << k;
        EXPECT_GT(b.S, 0) << k;
        EXPECT_GT(b.S0, 0) << k;
    }
    EXPECT_EQ(bearings::BearingSlots[1].X, 1);
    EXPECT_EQ(bearings::BearingSlots[1].Y, 0);
    for (Word k = 1; k <= MessageCount; ++k)
        ADD_FAILURE() << MessageTexts[k];
}
