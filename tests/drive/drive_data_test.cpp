#include "drive/drive_data.h"
#include "drive/drive_series.h"

#include <gtest/gtest.h>

using namespace kt4;
using namespace kt4::drive;

TEST(DriveData, DefaultsCopyShaftAndWheelSizesIntoSeats)
{
    d1 = d2 = dH = 99;
    InitDriveData();
    EXPECT_EQ(deLg1, 8);
    EXPECT_EQ(deLg4, 12);
    EXPECT_EQ(didist, 36);
    EXPECT_EQ(dp, 34);
    EXPECT_EQ(dS, 4.3L);
    EXPECT_EQ(nz, 4);
    EXPECT_EQ(ns, 8);
    EXPECT_EQ(nTPMode, 3);
    EXPECT_EQ(sideMode, 2);
    EXPECT_EQ(exz, 0);
}

TEST(DriveData, ResetGivesResultsTheirResetValues)
{
    FrLager[5] = 7;
    tau[2] = 3;
    i = -17;
    zH = 108;
    InitDriveData();
    EXPECT_EQ(i, 30);
    EXPECT_EQ(i0, 30);
    EXPECT_EQ(iAbs, 30);
    EXPECT_EQ(zW, 60);
    EXPECT_EQ(zH, 62);
    EXPECT_EQ(FrLager[5], 0);
    EXPECT_EQ(tau[2], 0);
    EXPECT_EQ(n[1], 1500);
    EXPECT_EQ(T[2], 25);
    EXPECT_EQ(P[3], 1);
}

TEST(DriveData, TourExampleValues)
{
    dp = 1;
    LoadDemoDriveData();
    EXPECT_EQ(dp, 34);
    EXPECT_EQ(P[1], 0.15L);
    EXPECT_EQ(n[2], 50);
    EXPECT_EQ(nTPMode, 2);
    EXPECT_EQ(sideMode, 1);
    EXPECT_EQ(d1, 12);
    EXPECT_EQ(d2, 25);
    EXPECT_EQ(FrShaft[1], 50);
    EXPECT_EQ(FrShaft[2], 500);
    // the seats keep the sizes of the reset
    EXPECT_EQ(deLg1, 8);
    EXPECT_EQ(deLg4, 12);
}

TEST(DriveData, TheOtherNameOfTheModule)
{
    InitDriveData();
    EXPECT_EQ(&TDriveData::T[2], &drive::T[2]);
    EXPECT_EQ(TDriveData::dH, 36);
}

TEST(StdSeries, NextDiameter)
{
    EXPECT_EQ(NextStdDiameter(0, 12), 12);
    EXPECT_EQ(NextStdDiameter(1, 12), 15);
    EXPECT_EQ(NextStdDiameter(-1, 12), 10);
    EXPECT_EQ(NextStdDiameter(0, 12.0005L), 12);
    EXPECT_EQ(NextStdDiameter(0, 13), 15);
    EXPECT_EQ(NextStdDiameter(-1, 13), 12);
    EXPECT_EQ(NextStdDiameter(0, 2000), 1500);
    EXPECT_EQ(NextStdDiameter(1, 2000), 1500);
    EXPECT_EQ(NextStdDiameter(-1, 2000), 1400);
    EXPECT_EQ(NextStdDiameter(-1, 1), 3);
    EXPECT_EQ(NextStdDiameter(1, 1500), 1500);
    EXPECT_EQ(NextStdDiameter(0, 0), 3);
}

TEST(StdSeries, TablesAreAscendingAndBoresLackOnly95)
{
    for (std::size_t k = 2; k <= StdDiameterCount; ++k)
        EXPECT_LT(StdDiameters[k - 1], StdDiameters[k]) << k;
    std::size_t b = 1;
    for (std::size_t k = 1; k <= StdDiameterCount; ++k) {
        if (StdDiameters[k] == 95)
            continue;
        EXPECT_EQ(StdBores[b++], StdDiameters[k]) << k;
    }
    EXPECT_EQ(b, StdBoreCount + 1);
}

TEST(StdSeries, BearingWidth)
{
    EXPECT_EQ(StdBearingWidth(95), 0);
    EXPECT_EQ(StdBearingWidth(20), 12);
    EXPECT_EQ(StdBearingWidth(21), 0);
    EXPECT_EQ(StdBearingWidth(3), 4);
    EXPECT_EQ(StdBearingWidth(850), 82);
    EXPECT_EQ(StdBearingWidth(1500), 140);
    EXPECT_EQ(StdBearingWidth(2000), 0);
}

TEST(ShaftSections, Guards)
{
    EXPECT_EQ(SectionWp(10, 10), 0);
    EXPECT_EQ(SectionI(8, 10), 0);
    EXPECT_LT(SectionIp(8, 10), 0);
    EXPECT_EQ(SectionWb(0, -1), 0);
    EXPECT_EQ(SectionWp(0, -1), 0); // no division by a zero diameter
}

TEST(ShaftSections, Values)
{
    const long double pi = 3.14159265358979323846L;
    EXPECT_NEAR(SectionW(12), pi / 32 * 1728, 1e-12);
    EXPECT_NEAR(SectionWp(12, 0), pi / 16 * 1728, 1e-12);
    EXPECT_NEAR(SectionIp(12, 6), pi / 32 * (20736 - 1296), 1e-9);
    EXPECT_NEAR(SectionWb(12, 6), 2 * pi / 64 * (20736 - 1296) / 12, 1e-9);
}
