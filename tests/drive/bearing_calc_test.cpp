#include "drive/bearing_calc.h"
#include "drive/bearing_types.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include <gtest/gtest.h>

using namespace kt4;
using bearings::BearingSlots;

namespace {

double D(Real x) { return static_cast<double>(x); }

} // namespace

class BearingCalcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::InitSettings();
        settings::DbfDir = KT4_DATA_DIR;
        bearings::InitBearingSlots();
        ui = &UseHeadlessUi();
    }
    HeadlessUi* ui = nullptr;
};

TEST_F(BearingCalcTest, PublishedCatalogueExampleDeepGrooveBallBearing)
{
    // 6309: d 45, D 100, B 25, C 55.3 kN, C0 31.5 kN, Pu 1.34 kN; Fr 10 kN at
    // 3000 1/min, oil 20 mm2/s at operating temperature. Catalogue: L10 = 169
    // million revolutions, L10h = 940 h.
    auto& b = BearingSlots[1];
    b.Designation = "6309";
    b.d = 45;
    b.D = 100;
    b.B = 25;
    b.C = 55300;
    b.C0 = 31500;
    b.Cu = 1340;
    b.nuen = 20;
    b.theta = 40;
    b.Fr = 10000;
    BearingCalc(1, 2, 0, 10000, 0, 3000);
    EXPECT_EQ(b.X, 1);
    EXPECT_EQ(b.Y, 0);
    EXPECT_EQ(b.P, 10000);
    EXPECT_NEAR(D(b.L10), 169, 0.5);
    EXPECT_NEAR(D(b.L10 * 1000000 / 3000 / 60), 940, 0.5);
    EXPECT_NEAR(D(b.nueb), 20, 1e-9);
    for (int i = 1; i <= settings::MessageCount; ++i)
        ADD_FAILURE() << settings::MessageTexts[i];
}
