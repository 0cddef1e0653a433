#include "drive/bearing_catalogue_record.h"
#include "drive/bearing_types.h"
#include "foundation/codepage.h"
#include "foundation/settings.h"

#include <gtest/gtest.h>

using namespace kt4;
using bearings::BearingSlots;

class BearingTypes : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::InitSettings();
        bearings::InitBearingSlots();
    }
};

TEST_F(BearingTypes, FreshSlotsHoldTheDefaults)
{
    for (Word k = 1; k <= BearingSlotCount; ++k) {
        const auto& b = BearingSlots[k];
        EXPECT_EQ(b.Typ, 1);
        EXPECT_EQ(b.X, 1);
        EXPECT_EQ(b.Y, 0);
        EXPECT_EQ(b.Y1, 2);
        EXPECT_EQ(b.Y2, 2);
        EXPECT_EQ(b.Y0, 2);
        EXPECT_EQ(b.rmin, 0.3L);
        EXPECT_EQ(b.Fr, 1000000);
        EXPECT_EQ(b.nuen, 70);
        EXPECT_EQ(b.theta, 50);
        EXPECT_EQ(b.kappa, 1);
        EXPECT_EQ(b.a23, 1);
        EXPECT_EQ(b.aISO, 1);
        EXPECT_EQ(b.Reliability, 1);
        EXPECT_EQ(b.Clearance, 2);
        EXPECT_EQ(b.LifeMethod, 3);
        EXPECT_EQ(b.Cleanliness, 5);
        EXPECT_EQ(b.eC, 0.2L);
        EXPECT_TRUE(b.EP);
        EXPECT_EQ(b.Opt1, 1);
        EXPECT_EQ(b.Opt2, 2);
        EXPECT_EQ(b.Rows, 1);
        EXPECT_EQ(b.CatRecNo, 0);
        EXPECT_TRUE(b.Designation.empty());
        EXPECT_TRUE(b.CatText.empty());
        for (Real v : b.Dims)
            EXPECT_EQ(v, 0);
        EXPECT_EQ(b.C + b.C0 + b.P + b.P0 + b.L10 + b.Lna + b.Mass + b.Cu + b.Dw + b.Z, 0);
        EXPECT_FALSE(BearingSlotUsed(k));
    }
    EXPECT_EQ(bearings::FullComplementZ, 20);
}

TEST_F(BearingTypes, SlotIsUsedOnlyWithBoreAndDesignation)
{
    BearingSlots[2].Designation = "6205";
    EXPECT_FALSE(BearingSlotUsed(2)); // bore 0
    BearingSlots[3].d = 12;
    EXPECT_FALSE(BearingSlotUsed(3)); // no designation
    BearingSlots[2].d = 25;
    EXPECT_TRUE(BearingSlotUsed(2));
    EXPECT_FALSE(BearingSlotUsed(0));
    EXPECT_FALSE(BearingSlotUsed(6));

    BearingSlots[2].Typ = 9;
    bearings::InitBearingSlots();
    EXPECT_EQ(BearingSlots[2], WaelzLagerTyp{});
}

TEST_F(BearingTypes, GeometryAccessorsNameTheDimensions)
{
    WaelzLagerTyp b;
    for (int i = 1; i <= 9; ++i)
        b.Dims[i] = i * 1.5L;
    EXPECT_EQ(b.d1(), 1.5L);
    EXPECT_EQ(b.D1(), 3);
    EXPECT_EQ(b.T(), 7.5L);
    EXPECT_EQ(b.r2(), 9);
    EXPECT_EQ(b.r3(), 10.5L);
    EXPECT_EQ(b.CupWidth(), 12);
    EXPECT_EQ(b.Lw(), 12);
    EXPECT_EQ(b.alpha(), 13.5L);
}

TEST_F(BearingTypes, TypeTablesAndNamesInTheStoredCodePage)
{
    const char* tables[] = {"rikula", "pekula", "nadelhul", "nalaoi", "zyrola", "kerola",
                            "perola", "schrkula", "schrku2", "nadelk", "zyrolav", "nadelv"};
    const char* names[] = {"Rillenkugellager", "Pendelkugellager", "Nadelhülse",
                           "Nadellager o.Innenring", "Zylinderrollenlager", "Kegelrollenlager",
                           "Pendelrollenlager", "Schrägkugellager", "Zweireihige Schrägkugellager",
                           "Nadelkranz", "Zylinderrollenlager vollrollig", "Vollnadelige Lagerung"};
    for (Word t = 1; t <= BearingTypeCount; ++t) {
        EXPECT_EQ(bearings::BearingTableNames[t], tables[t - 1]);
        EXPECT_EQ(BearingTableName(t), tables[t - 1]);
        EXPECT_EQ(OemToDisplay(BearingTypeName(t)), names[t - 1]);
        EXPECT_EQ(bearings::BearingTypeNames[t], BearingTypeName(t));
        EXPECT_EQ(IsBallBearing(t), t == 1 || t == 2 || t == 8 || t == 9) << t;
    }
    EXPECT_EQ(BearingTypeName(0), "");
    EXPECT_EQ(BearingTableName(13), "");
    EXPECT_EQ(BearingTypeInfoOf(0), nullptr);
    EXPECT_FALSE(IsBallBearing(65535));

    EXPECT_EQ(OemToDisplay(LifeMethodName(1)), "a23 nach SKF (ohne EP-Zusätze)");
    EXPECT_EQ(LifeMethodName(3), "aISO nach DIN ISO 281");
    EXPECT_EQ(OemToDisplay(CleanlinessName(5)), "Mäßige Verunreinigungen");
    EXPECT_EQ(CleanlinessName(8), "Eingabe ec");
    EXPECT_EQ(ClearanceName(1), "XY");
    EXPECT_EQ(ClearanceName(5), "User");
    EXPECT_EQ(LifeMethodName(0) + LifeMethodName(5) + CleanlinessName(0) + CleanlinessName(9) +
                  ClearanceName(0) + ClearanceName(6),
              "");
}

TEST_F(BearingTypes, ReliabilityAndSuffixTablesAreBoundsChecked)
{
    EXPECT_EQ(ReliabilityFailurePctOf(1), 10);
    EXPECT_EQ(ReliabilityA1Of(1), 1);
    EXPECT_EQ(ReliabilityFailurePctOf(6), 1);
    EXPECT_EQ(ReliabilityA1Of(6), 0.25);
    EXPECT_EQ(ReliabilityFailurePctOf(14), 0.05L);
    EXPECT_EQ(ReliabilityA1Of(14), 0.077);
    // out of range: the values of the default index 1
    EXPECT_EQ(ReliabilityFailurePctOf(0), 10);
    EXPECT_EQ(ReliabilityA1Of(15), 1);
    EXPECT_THROW(bearings::ReliabilityA1[15], std::out_of_range);

    EXPECT_EQ(LifeSuffix(0), "0");
    EXPECT_EQ(LifeSuffix(2), "a");
    EXPECT_EQ(LifeSuffix(3), "m");
    EXPECT_EQ(LifeSuffix(4), "m");
    EXPECT_EQ(LifeSuffix(5), "");
}

TEST_F(BearingTypes, CheckBearingSettingsRestoresDefaultsWithAWarning)
{
    WaelzLagerTyp b;
    EXPECT_TRUE(CheckBearingSettings(1, b).empty());

    b.Typ = 13;
    b.Reliability = 0;
    b.Cleanliness = 9;
    b.Clearance = 6;
    b.LifeMethod = 65535;
    auto w = CheckBearingSettings(4, b);
    ASSERT_EQ(w.size(), 5u);
    EXPECT_EQ(OemToDisplay(w[0]), "Warnung: Lager 4: Typ 13 ungültig, 1 gesetzt");
    EXPECT_EQ(OemToDisplay(w[4]), "Warnung: Lager 4: Berechnungsart 65535 ungültig, 3 gesetzt");
    EXPECT_EQ(b, WaelzLagerTyp{});

    b.Cleanliness = 8; // entered eC is a valid level
    b.Typ = 12;
    EXPECT_TRUE(CheckBearingSettings(4, b).empty());
}

TEST_F(BearingTypes, CatalogueRecordsFollowTheirTableLayout)
{
    const int counts[] = {16, 23, 13, 15, 22, 32, 23, 20, 21, 12, 14, 11};
    for (Word t = 1; t <= BearingTypeCount; ++t) {
        const auto& r = bearings::CatalogueBuffers[t];
        EXPECT_EQ(r.Typ(), t);
        EXPECT_EQ(r.FieldCount(), counts[t - 1]) << t;
        EXPECT_EQ(r.Kind(1), 'S');
        for (int f = 2; f <= 4; ++f)
            EXPECT_EQ(r.Kind(f), 'R') << t; // d, D, B
        EXPECT_EQ(CatalogueLayoutOf(t)->table, BearingTableName(t));
    }

    CatalogueRecord r(DeepGrooveBall);
    r.SetFromText(1, "6205-2RSH");
    r.SetFromText(2, "25");
    r.SetFromText(6, "14800");
    r.SetFromText(7, "7,8E3");
    r.SetFromText(10, "kein Wert");
    r.SetFromText(16, "  Text bleibt wie er ist  ");
    r.SetFromText(17, "outside");
    EXPECT_EQ(r.Text(1), "6205-2RSH");
    EXPECT_EQ(r.RealField(2), 25.0);
    EXPECT_EQ(r.IntField(6), 14800);
    EXPECT_EQ(r.RealField(6), 14800.0); // an integer field read as real
    EXPECT_EQ(r.IntField(7), 0);        // "7,8E3" is no integer
    EXPECT_EQ(r.RealField(10), 0.0);
    EXPECT_EQ(r.Text(16), "  Text bleibt wie er ist  ");
    EXPECT_EQ(r.Text(2), "");
    EXPECT_EQ(r.Kind(17), 0);
    r.Clear();
    EXPECT_EQ(r.Text(1), "");

    CatalogueRecord v(FullComplementNeedle);
    v.SetFromText(1, "NADELV-LANGE-BEZEICHNUNG-1234");
    EXPECT_EQ(v.Text(1), "NADELV-LANGE-BEZEICH");
    EXPECT_EQ(v.Kind(11), 'R');
    CatalogueRecord none(0);
    none.SetFromText(1, "x");
    EXPECT_EQ(none.FieldCount(), 0);
}
