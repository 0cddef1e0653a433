#include "foundation/maths.h"
#include "foundation/settings.h"

#include <gtest/gtest.h>

using namespace kt4;

#define EXPECT_REAL(a, b) EXPECT_NEAR(static_cast<double>(a), static_cast<double>(b), 1e-12)

class Maths : public ::testing::Test {
protected:
    void SetUp() override { settings::InitSettings(); }
};

TEST_F(Maths, CheckedArcSinAndArcCosReportRangeErrors)
{
    EXPECT_EQ(ArcSinChecked(1.5L), Pi / 2);
    EXPECT_EQ(ArcSinChecked(-2), Pi / 2); // kept: the sign is not restored
    EXPECT_EQ(ArcCosChecked(-2), 0);
    EXPECT_EQ(ArcCosChecked(-1), Pi);
    EXPECT_EQ(ArcSinChecked(1), Pi / 2);
    ASSERT_EQ(settings::MessageCount, 3);
    EXPECT_EQ(settings::MessageTexts[1], "Error: ArcSin 1.5");
    EXPECT_EQ(settings::MessageTexts[2], "Error: ArcSin -2");
    EXPECT_EQ(settings::MessageTexts[3], "Error: ArcCos -2");

    settings::ClearMessages();
    settings::HideWarnings = true;
    EXPECT_EQ(ArcSinChecked(3), Pi / 2);
    EXPECT_EQ(settings::MessageCount, 0);
}

TEST_F(Maths, PowerCheckedClampsAndReportsNegativeBase)
{
    EXPECT_NEAR(static_cast<double>(PowerChecked("visko", -8, 1.0L / 3)), 2.0, 1e-15);
    ASSERT_EQ(settings::MessageCount, 1);
    EXPECT_EQ(settings::MessageTexts[1], "visko (pow)");
    EXPECT_NEAR(static_cast<double>(PowerChecked("", -8, 1.0L / 3)), 2.0, 1e-15);
    EXPECT_EQ(settings::MessageCount, 1);
    EXPECT_EQ(PowerChecked("x", 10, 5000), 1E3000L);
    EXPECT_EQ(PowerChecked("x", 10, -5000), 0);
    EXPECT_EQ(PowerChecked("x", 0, 2), 0);
    EXPECT_EQ(settings::MessageCount, 1);
}

TEST_F(Maths, AnglesAndPoints)
{
    EXPECT_EQ(ArcTanXY(-1, 0), Pi);
    EXPECT_EQ(ArcTanXY(0, -1), -Pi / 2);
    EXPECT_EQ(ArcTanXY(0, 0), Pi / 2);
    EXPECT_NEAR(static_cast<double>(ArcTanXY(1, -1)), static_cast<double>(-Pi / 4), 1e-18);
    EXPECT_REAL(SweepAngle(350, 10, 1), 20);
    EXPECT_REAL(SweepAngle(10, 350, -1), -20);
    EXPECT_REAL(SweepAngle(10, 350, 1), 340);
    Real x = 10, y = 0;
    TransformPoint(2, 1, 5, 5, 90, x, y); // scaled to 20, turned to +y, moved
    EXPECT_NEAR(static_cast<double>(x), 5.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(y), 25.0, 1e-15);
    Real r = 0, phi = 0;
    XYToPolar(-3, 4, r, phi);
    PolarToXY(r, phi, x, y);
    EXPECT_NEAR(static_cast<double>(x), -3.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(y), 4.0, 1e-15);
}

TEST_F(Maths, RoundingExponentsAndPowers)
{
    EXPECT_EQ(Round(2.5L), 2); // halves to the even neighbour
    EXPECT_EQ(Round(3.5L), 4);
    EXPECT_EQ(Round(-2.5L), -2);
    EXPECT_EQ(Trunc(-2.7L), -2);
    EXPECT_EQ(RoundDecimals(2, 1.005L), 1.0L); // 1.005 is stored below 1.005
    EXPECT_EQ(IntFloor(-2.5L), -3);
    EXPECT_EQ(IntFloor(-2), -2);
    EXPECT_EQ(IntPower(-2, 10), 0.01L);
    EXPECT_EQ(IntPower(0, 0), 1);
    EXPECT_EQ(IntPower(0, 7.5L), 1);
    EXPECT_EQ(DecimalExponent(0.05L), -2);
    EXPECT_EQ(DecimalExponent(999), 2);
    EXPECT_EQ(DecimalExponent(0), 0);
    // exact powers of ten, where a logarithm quotient would land just below
    for (int e = -12; e <= 30; ++e) {
        EXPECT_EQ(DecimalExponent(IntPower(e, 10)), e) << e;
        EXPECT_EQ(DecimalExponent(-IntPower(e, 10)), e) << e;
    }
    EXPECT_EQ(Log10(0), 0);
    EXPECT_EQ(Log10(-5), 0);
    EXPECT_REAL(Log10(1000), 3);
    EXPECT_EQ(LimitInt(0, 10, 12), 10);
    EXPECT_EQ(LimitInt(0, 10, -1), 0);
}

TEST_F(Maths, InterpolateWithEqualAbscissaGivesFirstValue)
{
    EXPECT_EQ(Interpolate(1, 10, 3, 30, 2), 20);
    EXPECT_EQ(Interpolate(2, 10, 2, 10, 5), 10);
    EXPECT_EQ(Interpolate(2, 10, 2, 30, 2), 10);
}

TEST_F(Maths, UnitFactors)
{
    EXPECT_EQ(InchToMm(1), 25.4L);
    EXPECT_NEAR(static_cast<double>(MmToInch(InchToMm(3.7L))), 3.7, 1e-15);
    EXPECT_EQ(MPaToPsi(1), 145.037L);
    EXPECT_EQ(LbfToN(1), 4.44822L);
    EXPECT_EQ(LbfInToNm(1), 0.112984788L);
    EXPECT_EQ(CelsiusToFahrenheit(100), 212);
    EXPECT_EQ(CelsiusToFahrenheit(-40), -40);
}
