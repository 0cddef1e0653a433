// The preliminary design over the shipped deep-groove catalogue: the design
// from the start values, the series rounding of step 2, the threshold of
// the second shaft sizing, the eccentric pin outside a small input shaft,
// and a catalogue without the bore asked for.
#include "catalogue_support.h"
#include "drive_fixture.h"

#include "drive/bearing_types.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/drive_series.h"
#include "drive/drive_snapshot.h"
#include "drive/predesign.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"

#include <cmath>
#include <fstream>
#include <iostream>
#include <memory>
#include <set>

namespace kt4::drivetest {
namespace {

using namespace kt4::drive;

bool AnyFatal()
{
    for (Word k = 1; k <= settings::MessageCount; ++k)
        if (settings::MessageTexts[k].rfind(settings::SevFatal, 0) == 0)
            return true;
    return false;
}

const WaelzLagerTyp& Slot(Word k) { return bearings::BearingSlots[k]; }

// The output shaft as the design sizes it, for a moment arm L.
Real ShaftFor(Real T, Real Fr, Real L) { return NextStdDiameter(0, std::cbrt((T * KA + Fr / 1000 * L) * 100)); }

class PreDesign : public DriveTest {
protected:
    void SetUp() override
    {
        DriveTest::SetUp();
        access = std::make_unique<CatalogueAccess>();
    }
    void TearDown() override
    {
        EXPECT_TRUE(NoTableOpen());
        access.reset();
    }

    // What must hold after every design.
    void ExpectSoundDesign()
    {
        EXPECT_FALSE(AnyFatal()) << settings::MessageTexts[1];
        EXPECT_EQ(i, -iAbs);
        EXPECT_NEAR(static_cast<double>(dp / (dp - dH)), static_cast<double>(-iAbs), 1e-9);
        EXPECT_GE(cax, 1);
        EXPECT_EQ(nz, 8);
        EXPECT_EQ(ns, 8);
        const Real bores[] = {d1, dexz, diLg3, d2, d2};
        for (Word k = 1; k <= 5; ++k) {
            EXPECT_EQ(Slot(k).Typ, DeepGrooveBall);
            EXPECT_GT(Slot(k).CatRecNo, 0);
            EXPECT_EQ(Slot(k).d, bores[k - 1]) << "slot " << k;
            EXPECT_TRUE(std::isfinite(static_cast<double>(Slot(k).L10)) && Slot(k).L10 > 0) << "slot " << k;
            EXPECT_TRUE(std::isfinite(static_cast<double>(Slot(k).Lna)) && Slot(k).Lna > 0) << "slot " << k;
        }
    }

    // The deep-groove catalogue without the rows of bore d, in Folder, as
    // the catalogue folder.
    static void CatalogueWithout(Real d, const std::string& Folder)
    {
        std::ifstream in(std::string(KT4_CATALOGUE_SOURCES) + "/rikula.csv");
        std::string csv;
        for (std::string line; std::getline(in, line);)
            if (line.substr(line.find(',') + 1, RealStr(d).size() + 1) != RealStr(d) + ",") // the bore column
                csv += line + "\n";
        WriteTestCatalogue(DeepGrooveBall, csv, Folder);
        settings::DbfDir = Folder;
    }

    std::unique_ptr<CatalogueAccess> access;
};

TEST_F(PreDesign, FromTheStartValuesFiveCatalogueBearings)
{
    CalcDrive();
    CalcPreDesign(0);
    ExpectSoundDesign();
    EXPECT_EQ(NextStdDiameter(0, d2), d2) << "a standard diameter";
    EXPECT_FALSE(settings::CalcErrorFlag);
    // The design of the start values (a program without a window gets the
    // same one, tests/shell).
    EXPECT_EQ(std::vector<Real>({d1, d2, dexz, diLg3, dH}), std::vector<Real>({6, 15, 10, 6, 57}));
    const char* designations[] = {"626", "6000", "626", "6002", "6002"};
    for (Word k = 1; k <= 5; ++k)
        EXPECT_EQ(Slot(k).Designation, designations[k - 1]) << k;
    std::cout << "design: T1 " << RealStr(T[1]) << " T2 " << RealStr(T[2]) << " KA " << RealStr(KA) << " iAbs "
              << RealStr(iAbs) << " | d1 " << RealStr(d1) << " d2 " << RealStr(d2) << " dexz " << RealStr(dexz)
              << " diLg3 " << RealStr(diLg3) << " dH " << RealStr(dH) << " dp " << RealStr6(dp) << " exz "
              << RealStr6(exz) << " i " << RealStr(i) << " cax " << RealStr(cax) << " bP " << RealStr(bP) << " bH "
              << RealStr(bH) << " dlk " << RealStr(dlk) << " dR " << RealStr(dR) << " dHe " << RealStr(dHe) << " L1 "
              << RealStr(L1) << " L2 " << RealStr(L2) << " |";
    for (Word k = 1; k <= 5; ++k)
        std::cout << " " << k << ": " << Slot(k).Designation << " " << RealStr(Slot(k).d) << "x" << RealStr(Slot(k).D)
                  << "x" << RealStr(Slot(k).B) << " L10 " << RealStr(Slot(k).L10) << " Lna " << RealStr(Slot(k).Lna);
    std::cout << "\n";
}

TEST_F(PreDesign, StepTwoTakesTheTypedSizesToTheSeries)
{
    d2 = 22;
    d1 = 12;
    dH = 90;
    iAbs = 20;
    CalcPreDesign(2);
    EXPECT_EQ(d2, 25);
    EXPECT_EQ(Slot(4).d, 25);
    EXPECT_EQ(d1, 12);
    EXPECT_EQ(dH, 90);
    ExpectSoundDesign();
}

TEST_F(PreDesign, SecondShaftSizingOnlyWithARadialForce)
{
    T[1] = 30;
    T[2] = 300;
    L1 = 40;
    L2 = 80;
    iAbs = 10;
    FrShaft = {};
    FrShaft[1] = 1; // at the threshold: d1 once
    const Real d1Once = NextStdDiameter(1, std::cbrt((T[1] * KA + 1.0L / 1000 * 40) * 100));
    CalcPreDesign(0);
    EXPECT_EQ(d2, ShaftFor(300, 0, 80));
    EXPECT_EQ(d1, d1Once);
    ExpectSoundDesign();

    L2 = 200;
    FrShaft[2] = 6000; // d2 twice, the second time with L2 = Round(1.6 d2)
    const Real first = ShaftFor(300, 6000, 200);
    const Real twice = ShaftFor(300, 6000, static_cast<Real>(Round(1.6L * first)));
    ASSERT_NE(first, twice) << "the case must tell once from twice";
    CalcPreDesign(0);
    EXPECT_EQ(d2, twice);
    ExpectSoundDesign();
}

TEST_F(PreDesign, SmallInputShaftPutsTheEccentricPinOutsideIt)
{
    T[1] = 0.5;
    T[2] = 20;
    iAbs = 15;
    CalcPreDesign(0);
    ASSERT_LE(d1 - 4 * exz, 8);
    EXPECT_EQ(Slot(2).d, NextStdDiameter(1, d1 + 2 * exz)) << "the bore asked for is the one taken";
    EXPECT_EQ(dexz, Slot(2).d);
    EXPECT_EQ(diLg3, d1);
    ExpectSoundDesign();
}

TEST_F(PreDesign, ABoreTheCatalogueLacksEndsTheDesignBeforeTheCalculation)
{
    // Without bore 25: slot 4 keeps its bearing of another bore.
    testing::ScratchDir dir;
    CatalogueWithout(25, dir.Path());
    bearings::BearingSlots[4].d = 40;
    bearings::BearingSlots[4].Designation = "6208";
    d2 = 25;
    d1 = 12;
    dH = 95;
    FtGear = -1;
    CalcPreDesign(2);
    EXPECT_TRUE(settings::CalcErrorFlag);
    EXPECT_EQ(settings::MessageTexts[1], "Fatal  : kein Lager d = 25 im Katalog (Lager 4)");
    EXPECT_EQ(FtGear, -1) << "no calculation";
    EXPECT_EQ(bearings::BearingSlots[4].d, 40);

    // A fresh slot without a pick has bore 0: the same message, no division by it.
    bearings::InitBearingSlots();
    CalcPreDesign(2);
    EXPECT_EQ(settings::MessageTexts[1], "Fatal  : kein Lager d = 25 im Katalog (Lager 4)");
    EXPECT_EQ(FtGear, -1);
}

// A pick that fails late, after shafts, wheels and three slots were
// designed: the design stops as if it had not begun, the reason in the list.
TEST_F(PreDesign, APickThatFailsLeavesTheDriveAsItWas)
{
    d2 = 25;
    d1 = 12;
    dH = 95;
    iAbs = 20;
    CalcDrive();
    const DriveSnapshot before = CaptureDrive();
    CalcPreDesign(2);
    const Real eccentric = Slot(2).d;
    ASSERT_TRUE(eccentric != d1 && eccentric != d2) << eccentric;

    RestoreDrive(before);
    testing::ScratchDir dir;
    CatalogueWithout(eccentric, dir.Path());
    CalcPreDesign(2);
    EXPECT_TRUE(settings::CalcErrorFlag);
    ASSERT_EQ(settings::MessageCount, 1);
    EXPECT_EQ(settings::MessageTexts[1], "Fatal  : kein Lager d = " + RealStr(eccentric) + " im Katalog (Lager 2)");
    const DriveSnapshot after = CaptureDrive();
    EXPECT_TRUE(after.reals == before.reals);
    EXPECT_TRUE(after.integers == before.integers);
    for (Word k = 1; k <= 5; ++k)
        EXPECT_TRUE(after.bearingSlots[k] == before.bearingSlots[k]) << "slot " << k;
}

// 1 W at 1500 1/min with ratio 30: the screw holes round to dS = 0 and the
// final calculation refuses the design; it is undone like a failed pick,
// the values typed for it kept.
TEST_F(PreDesign, ADesignTheCalculationRefusesLeavesTheDriveAsItWas)
{
    CalcDrive();
    iAbs = 30;
    T[1] = 0.001L * 60000 / (2 * Pi * 1500), T[2] = 0.9L * 30 * T[1];
    const DriveSnapshot typed = CaptureDrive();
    CalcPreDesign(0);
    EXPECT_TRUE(settings::CalcErrorFlag);
    EXPECT_EQ(settings::ListedMessages(), std::vector<std::string>{"Fatal  : dS = 0 !"});
    EXPECT_TRUE(CaptureDrive() == typed);
}

// The design's own messages stand beside those of the final calculation.
TEST_F(PreDesign, TheDesignsMessagesStayAfterTheCalculation)
{
    T[1] = -1;
    T[2] = -25;
    CalcPreDesign(0);
    std::vector<std::string> list(&settings::MessageTexts[1], &settings::MessageTexts[1] + settings::MessageCount);
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list[0], "d abtr (pow)");
    EXPECT_EQ(list[1], "d antr (pow)");
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()).size(), list.size()) << "each text once";
    EXPECT_FALSE(settings::CalcErrorFlag);
    EXPECT_GT(Slot(4).L10, 0) << "calculated";

    // a second design gives the same list, not a longer one
    CalcPreDesign(0);
    EXPECT_EQ(std::vector<std::string>(&settings::MessageTexts[1], &settings::MessageTexts[1] + settings::MessageCount),
              list);
}

TEST_F(PreDesign, AHollowWheelOfZeroEndsInTheCalculationsMessage)
{
    d2 = 25;
    d1 = 12;
    dH = 0;
    i0 = 7;
    CalcPreDesign(2);
    EXPECT_EQ(i0, 7) << "no 0/0 for the stationary ratio";
    EXPECT_TRUE(settings::CalcErrorFlag);
    EXPECT_EQ(settings::MessageTexts[1], "Fatal  : dp = 0 !");
    EXPECT_EQ(settings::MessageTexts[2], "Fatal  : dH = 0 !");
}

} // namespace
} // namespace kt4::drivetest
