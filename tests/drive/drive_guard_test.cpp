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
        {"LeverArms", [] { bH = 1E-10L; bLg1 = 1E-10L; bLg3 = 0; }, "Fatal  : a+b = 0 !"},
        {"BearingPositions", [] { bLg45 = 1E-10L; }, "Fatal  : L5-L4 = 0 !"},
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

// Lengths of 0 or below, counts and the pressure angle outside their
// range: each named in the list, all at once, nothing calculated. dR and
// dzw are raised to what the bolt and the eccentricity need before they
// are checked (see CalcGuard).
TEST_F(DriveTest, InputsOutsideTheirRangeAreRefusedByName)
{
    struct Length {
        const char* name;
        Real* value;
        bool zeroAllowed;
    };
    const Length lengths[] = {
        {"dp", &dp, false},       {"dH", &dH, false},       {"bP", &bP, false},       {"bH", &bH, false},
        {"bs", &bs, false},       {"dz", &dz, false},       {"dlk", &dlk, false},     {"des", &des, false},
        {"dHe", &dHe, false},     {"dLkS", &dLkS, false},   {"dS", &dS, false},       {"d1", &d1, false},
        {"d2", &d2, false},       {"dexz", &dexz, false},   {"bLg1", &bLg1, false},   {"deLg1", &deLg1, false},
        {"bLg45", &bLg45, false}, {"deLg4", &deLg4, false}, {"L1", &L1, false},       {"L2", &L2, false},
        {"diw", &diw, true},      {"didist", &didist, true}, {"cax", &cax, true},     {"diLg3", &diLg3, true},
        {"deLg3", &deLg3, true},  {"bLg3", &bLg3, true},
    };
    struct Case {
        std::function<void()> input;
        std::string message; // empty: calculates
    };
    std::vector<Case> cases;
    for (const Length& l : lengths) {
        const std::string name = l.name;
        Real* v = l.value;
        cases.push_back({[v] { *v = 0; }, l.zeroAllowed ? "" : "Fatal  : " + name + " = 0 !"});
        cases.push_back({[v] { *v = -1; }, "Fatal  : " + name + " < 0 !"});
    }
    const std::pair<Integer, const char*> bolts[] = {
        {4, ""}, {100, ""}, {3, "Fatal  : nz < 4 !"}, {0, "Fatal  : nz = 0 !"}, {-4, "Fatal  : nz < 0 !"},
        {101, "Fatal  : nz > 100 !"}, {1000000, "Fatal  : nz > 100 !"}};
    for (const auto& [k, text] : bolts)
        cases.push_back({[k] { nz = k; }, text});
    const std::pair<Integer, const char*> screws[] = {
        {3, ""}, {100, ""}, {2, "Fatal  : ns < 3 !"}, {0, "Fatal  : ns = 0 !"}, {101, "Fatal  : ns > 100 !"}};
    for (const auto& [k, text] : screws)
        cases.push_back({[k] { ns = k; }, text});
    const std::pair<Real, const char*> angles[] = {
        {89, ""}, {0, "Fatal  : alpha = 0 !"}, {-20, "Fatal  : alpha < 0 !"}, {90, "Fatal  : alpha >= 90 !"},
        {200, "Fatal  : alpha >= 90 !"}};
    for (const auto& [a, text] : angles)
        cases.push_back({[a] { alpha = a; }, text});
    const std::pair<Real, const char*> efficiencies[] = {
        {0, ""}, {100, ""}, {-10, "Fatal  : etaproz < 0 !"}, {150, "Fatal  : etaproz > 100 !"}};
    for (const auto& [e, text] : efficiencies)
        cases.push_back({[e] { etaproz = e; }, text});
    // the housing around the hollow wheel (36) and the screw holes (43 + 4)
    const std::pair<Real, const char*> housings[] = {
        {47.5L, ""}, {47, "Fatal  : dHe <= dLkS+dS !"}, {36, "Fatal  : dHe <= dH !"}, {10, "Fatal  : dHe <= dH !"}};
    for (const auto& [d, text] : housings)
        cases.push_back({[d] { dHe = d, dS = 4; }, text});

    for (const Case& c : cases) {
        InitDriveData();
        CalcDrive();
        const Real pressure = pHertz;
        c.input();
        CalcDrive();
        if (c.message.empty()) {
            EXPECT_FALSE(CalcErrorFlag) << MessageTexts[1];
            continue;
        }
        EXPECT_TRUE(CalcErrorFlag) << c.message;
        EXPECT_TRUE(Listed(c.message)) << c.message << ": " << MessageTexts[1];
        EXPECT_EQ(pHertz, pressure) << c.message; // refused before any step
    }

    // all reasons at once
    InitDriveData();
    dp = -34;
    nz = 2;
    alpha = 90;
    CalcDrive();
    ASSERT_EQ(MessageCount, 3);
    EXPECT_EQ(MessageTexts[1], "Fatal  : dp < 0 !");
    EXPECT_EQ(MessageTexts[2], "Fatal  : nz < 4 !");
    EXPECT_EQ(MessageTexts[3], "Fatal  : alpha >= 90 !");
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
