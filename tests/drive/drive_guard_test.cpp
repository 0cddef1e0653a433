// Inputs that would divide by zero or take the root of a negative number
// end the calculation in order: a fatal message, CalcErrorFlag, no value
// that is not a number anywhere.
#include "drive_fixture.h"

#include "drive/drive_calc.h"

#include <functional>
#include <vector>

using namespace kt4;
using namespace kt4::drive;
using kt4::drivetest::DriveTest;
using settings::CalcErrorFlag;
using settings::MessageCount;
using settings::MessageTexts;

namespace {

// Every real of the drive data, inputs and results.
std::vector<Real> AllValues()
{
    std::vector<Real> v{dp,    diw,   dH,     bP,     bH,     dz,     dR,     des,    bs,
                        dzw,   dlk,   dexz,   dHe,    dLkS,   dS,     bLg1,   bLg45,  deLg1,
                        deLg4, cax,   diLg3,  deLg3,  bLg3,   etaproz, exz,   d1,     d2,
                        L1,    L2,    didist, alpha,  KA,     i,      i0,     iAbs,   bsDist,
                        bOver, bPOver, diShaft1, diShaft2, bcase, Ltot, Pw,   FtGear, FrGear,
                        FnGear, FtBoltSum, nzLoad, FtBolt, pmaxz, SigBz, pHertz};
    for (std::size_t k = 1; k <= 3; ++k)
        v.insert(v.end(), {P[k], n[k], T[k]});
    for (std::size_t k = 1; k <= 2; ++k)
        v.insert(v.end(), {FrShaft[k], tau[k], SigB[k], SigV[k]});
    for (std::size_t k = 1; k <= 5; ++k)
        v.insert(v.end(), {FLagerT[k], FLagerR[k], FrLager[k]});
    return v;
}

bool AllFinite()
{
    for (Real x : AllValues())
        if (!std::isfinite(x))
            return false;
    return true;
}

bool Listed(const std::string& text)
{
    for (std::size_t k = 1; k <= MessageCount; ++k)
        if (MessageTexts[k] == text)
            return true;
    return false;
}

struct Guard {
    const char* name;
    std::function<void()> input;
    const char* message;
};

// One case per guarded divisor and per negative root.
const std::vector<Guard>& Guards()
{
    static const std::vector<Guard> list{
        {"EqualWheels", [] { dp = dH; }, "dh-dp=0!"},
        {"RollingWheel", [] { dp = 0; }, "Fatal  : dp = 0 !"},
        {"BoltCircle", [] { dlk = 0; }, "Fatal  : dlk = 0 !"},
        {"BoltCount", [] { nz = 0; }, "Fatal  : nz = 0 !"},
        {"BoltDiameter", [] { dz = 0; }, "Fatal  : dz = 0 !"},
        {"WheelWidth", [] { bP = 0; }, "Fatal  : bP = 0 !"},
        {"DiscWidth", [] { bs = 0; }, "Fatal  : bs = 0 !"},
        // a negative bolt leaves the roller at 0
        {"Roller", [] { dz = -1; dR = 0; }, "Fatal  : dR = 0 !"},
        {"NegativeRoller", [] { dz = -2; dR = -1; }, "Fatal  : dR < 0 !"},
        // an entered negative eccentricity keeps the hole as typed
        {"Hole", [] { exz = -3; dzw = 0; }, "Fatal  : dzw = 0 !"},
        {"HoleBelowRoller", [] { exz = -1; dzw = 5; }, "Fatal  : dzw <= dR !"},
        {"ContactLength", [] { bH = 15; }, "Fatal  : bH >= 3 bP !"},
        {"LeverArms", [] { bH = 0; bLg1 = 0; bLg3 = 0; }, "Fatal  : a+b = 0 !"},
        {"BearingPositions", [] { bLg45 = 0; }, "Fatal  : L5-L4 = 0 !"},
        {"EccentricPin", [] { dexz = 0; }, "Fatal  : dexz = 0 !"},
        {"OutputShaft", [] { d2 = 0; }, "Fatal  : d2 = 0 !"},
    };
    return list;
}

class CalcGuard : public DriveTest, public ::testing::WithParamInterface<Guard> {};

} // namespace

TEST_P(CalcGuard, EndsInOrder)
{
    CalcDrive(); // a good run first: its results must stay finite
    ASSERT_FALSE(CalcErrorFlag);
    GetParam().input();
    CalcDrive();
    EXPECT_TRUE(CalcErrorFlag);
    EXPECT_TRUE(Listed(GetParam().message)) << MessageTexts[1];
    EXPECT_TRUE(AllFinite());
    EXPECT_FALSE(Listed("Warnung: i < 10 !")); // the last step is not reached
}

INSTANTIATE_TEST_SUITE_P(Drive, CalcGuard, ::testing::ValuesIn(Guards()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DriveTest, GuardLeavesLaterResultsUntouched)
{
    CalcDrive();
    const Real pressure = pHertz;
    const Real load = FrLager[4];
    dz = 0;
    CalcDrive();
    EXPECT_EQ(pHertz, pressure);
    EXPECT_EQ(FrLager[4], load);
    ASSERT_EQ(MessageCount, 1);
    EXPECT_EQ(MessageTexts[1], "Fatal  : dz = 0 !");
}

TEST_F(DriveTest, ZeroInputShaftIsReportedButNotFatal)
{
    d1 = 0;
    CalcDrive();
    EXPECT_FALSE(CalcErrorFlag);
    EXPECT_EQ(tau[1], 100000);
    EXPECT_TRUE(Listed("Fatal  : di > de ! (input shaft)"));
    EXPECT_TRUE(AllFinite());
}

TEST_F(DriveTest, NegativeTorqueGivesTheSameContactPressure)
{
    CalcDrive();
    const Real pressure = pHertz;
    T[2] = -25;
    CalcDrive();
    EXPECT_FALSE(CalcErrorFlag);
    EXPECT_LT(FtBolt, 0);
    EXPECT_EQ(pHertz, pressure);
}

TEST_F(DriveTest, WheelLargerThanHollowWheelStillCalculates)
{
    dp = 36;
    dH = 34; // exz becomes -1, i positive
    CalcDrive();
    EXPECT_FALSE(CalcErrorFlag);
    EXPECT_EQ(exz, -1);
    EXPECT_EQ(i, 18);
    EXPECT_TRUE(AllFinite());
}
