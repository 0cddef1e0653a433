#include "drive/bearing_life.h"
#include "foundation/settings.h"

#include "bearing_test_support.h"

#include <cmath>

using namespace kt4;
using namespace kt4::bearing_test;

namespace {

// The load term of the reference cases: P 1000, Cu 335, eC 0.2
Real Ball(Real kappa) { return LifeFactorAIsoBall(1000, 335, 0.2L, kappa); }
Real Roller(Real kappa) { return LifeFactorAIsoRoller(1000, 335, 0.2L, kappa); }

} // namespace

class BearingLife : public ::testing::Test {
protected:
    void SetUp() override { settings::InitSettings(); }
};

TEST_F(BearingLife, RatedViscosity)
{
    EXPECT_NEAR(D(RatedViscosity(1500, 40)), 18.3712, 5e-5);
    EXPECT_EQ(RatedViscosity(-1500, 40), RatedViscosity(1500, 40));
    EXPECT_EQ(RatedViscosity(0, 40), 1000000);
    // below 1000 1/min: 45000 n^-0.83 dm^-0.5
    EXPECT_NEAR(D(RatedViscosity(500, 100)), 45000 * std::pow(500.0, -0.83) / 10, 1e-9);
    // the two speed ranges meet within a few per cent at 1000 1/min
    EXPECT_NEAR(D(RatedViscosity(999.999L, 50) / RatedViscosity(1000, 50)), 1.0, 0.03);
    EXPECT_EQ(settings::MessageCount, 0);
}

TEST_F(BearingLife, OperatingViscosity)
{
    EXPECT_NEAR(D(OperatingViscosity(40, 68)), 68.000, 1e-9);
    EXPECT_NEAR(D(OperatingViscosity(50, 70)), 43.4138, 5e-5);
    EXPECT_NEAR(D(OperatingViscosity(80, 100)), 18.2609, 5e-5);
    // colder oil is thicker
    EXPECT_GT(OperatingViscosity(20, 68), 68);
}

TEST_F(BearingLife, A23ByKappaRange)
{
    EXPECT_NEAR(D(LifeFactorA23(0.2L)), 0.137894, 5e-7);
    EXPECT_NEAR(D(LifeFactorA23(0.4L)), 0.201189, 5e-7);
    EXPECT_NEAR(D(LifeFactorA23(0.5L)), 0.297302, 5e-7);
    EXPECT_NEAR(D(LifeFactorA23(2)), 1.58008, 5e-6);
    EXPECT_NEAR(D(LifeFactorA23(1)), 1.0, 1e-15);
    EXPECT_EQ(LifeFactorA23(4), 2.5L);
    EXPECT_EQ(LifeFactorA23(100), 2.5L);
    // the ranges meet within about 1 % at 0.4 and exactly at 1
    EXPECT_NEAR(D(LifeFactorA23(0.39999999L) / LifeFactorA23(0.4L)), 1.0, 0.011);
    EXPECT_NEAR(D(LifeFactorA23(0.99999999L)), 1.0, 1e-6);
}

TEST_F(BearingLife, AIsoBallReferenceValues)
{
    EXPECT_NEAR(D(Ball(0.1L)), 0.10014, 5e-6);
    EXPECT_NEAR(D(Ball(0.4L)), 0.26844, 5e-6);
    EXPECT_NEAR(D(Ball(0.5L)), 0.42265, 5e-6);
    EXPECT_NEAR(D(Ball(1)), 1.52837, 5e-6);
    EXPECT_NEAR(D(Ball(2)), 2.40508, 5e-6);
    EXPECT_NEAR(D(Ball(4)), 3.74104, 5e-6);
    EXPECT_EQ(Ball(10), Ball(4));
    EXPECT_EQ(Ball(0.05L), 0);
    EXPECT_EQ(settings::MessageCount, 0);
}

TEST_F(BearingLife, AIsoRollerIsContinuousAcrossItsKappaRanges)
{
    // 1.2348 in the middle range (not 1.3993): the curve has no step
    EXPECT_NEAR(D(Roller(0.4L)), 0.1442, 5e-5);
    EXPECT_NEAR(D(Roller(0.39999L)), 0.1442, 5e-5);
    EXPECT_NEAR(D(Roller(0.9999L)), 0.3204, 5e-5);
    EXPECT_NEAR(D(Roller(1)), 0.3204, 1e-3);
    EXPECT_EQ(Roller(10), Roller(4));
    EXPECT_EQ(Roller(0.099L), 0);
    // the ball curve joins its ranges too
    EXPECT_NEAR(D(Ball(0.39999L)), D(Ball(0.4L)), 1e-3);
    EXPECT_NEAR(D(Ball(0.99999L)), D(Ball(1)), 1e-3);
    // never below 0.1 inside 0.1..4: the factor A stays positive
    for (Real k = 0.1L; k <= 4; k += 0.01L) {
        EXPECT_GE(Roller(k), 0.1L) << D(k);
        EXPECT_GE(Ball(k), 0.1L) << D(k);
    }
}

TEST_F(BearingLife, AIsoStartsAtOneTenthWithoutAMessage)
{
    // At kappa 0.1 both curves start at 0.1 whatever the load term; the
    // roller constants leave a base of -0.00006 there, which must not count
    // as a negative power.
    EXPECT_NEAR(D(Roller(0.1L)), 0.1, 1e-15);
    EXPECT_NEAR(D(LifeFactorAIsoRoller(10, 335, 1, 0.1L)), 0.1, 1e-15);
    EXPECT_NEAR(D(Roller(0.10004L)), 0.1, 1e-5);
    EXPECT_GT(Roller(0.1001L), 0.1L);
    EXPECT_EQ(settings::MessageCount, 0);
}

TEST_F(BearingLife, AIsoWithoutLoadTermIsOneTenth)
{
    for (Real k : {0.1L, 0.4L, 1.0L, 4.0L}) {
        EXPECT_NEAR(D(LifeFactorAIsoBall(1000, 335, 0, k)), 0.1, 1e-15);
        EXPECT_NEAR(D(LifeFactorAIsoRoller(1000, 0, 0.2L, k)), 0.1, 1e-15);
    }
}

TEST_F(BearingLife, AIsoRisesToTheCapAsTheLoadFalls)
{
    // eC Cu / P = 8, 20 and 50 at kappa 1: lighter load, larger factor,
    // 50 from the pole on, with no message
    Real last = 0;
    for (Real P : {1000.0L, 100.0L, 10.0L, 8.375L, 3.35L, 1.34L, 1e-5L}) {
        const Real a = LifeFactorAIsoBall(P, 335, 0.2L, 1);
        EXPECT_GE(a, last) << D(P);
        EXPECT_LE(a, 50);
        last = a;
    }
    EXPECT_EQ(LifeFactorAIsoBall(8.375L, 335, 0.2L, 1), 50);  // 8
    EXPECT_EQ(LifeFactorAIsoBall(3.35L, 335, 0.2L, 1), 50);   // 20
    EXPECT_EQ(LifeFactorAIsoBall(1.34L, 335, 0.2L, 1), 50);   // 50
    EXPECT_EQ(LifeFactorAIsoRoller(1.34L, 335, 0.2L, 2), 50);
    EXPECT_EQ(LifeFactorAIsoBall(0, 335, 0.2L, 1), 50);
    EXPECT_EQ(settings::MessageCount, 0);
}

TEST_F(BearingLife, CleanlinessFactorBySize)
{
    const Real small[] = {1, 0.7L, 0.55L, 0.4L, 0.2L, 0.05L, 0};
    const Real large[] = {1, 0.85L, 0.7L, 0.5L, 0.3L, 0.05L, 0};
    for (Word level = 1; level <= 7; ++level) {
        EXPECT_EQ(CleanlinessFactor(level, 99.9L), small[level - 1]) << level;
        EXPECT_EQ(CleanlinessFactor(level, 100), large[level - 1]) << level;
    }
    EXPECT_EQ(CleanlinessFactor(8, 50), 0);
    EXPECT_EQ(CleanlinessFactor(0, 50), 0);
    EXPECT_EQ(CleanlinessFactor(65535, 50), 0);
}
