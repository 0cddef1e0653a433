// The rules of the geometry, drive-data and preliminary-design dialogs
// without their windows: proposals, ratio label, strict reading, the copy
// that Cancel throws away, the bearing buttons, the enable rule and the
// live completion.
#include "dialog_support.h"
#include "drive_fixture.h"

#include "drive/bearing_selection.h"
#include "drive/bearing_types.h"
#include "drive/dialog_fields.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/drive_data_dialogs.h"
#include "drive/drive_inputs.h"
#include "drive/geometry_dialog.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include <set>

namespace kt4::drivetest {
namespace {

using namespace kt4::drive;

class DialogModelTest : public DriveTest {
protected:
    void SetUp() override
    {
        DriveTest::SetUp();
        ui = &UseHeadlessUi();
        ui->quiet = true;
        dialogs::RedrawHook() = [this] { ++redraws; };
    }
    void TearDown() override
    {
        dialogs::RedrawHook() = nullptr;
        CatalogueSelectionHooks() = {};
    }
    bool Refused(const std::string& text) const { return drivetest::RefusalShown(*ui, text); }

    HeadlessUi* ui = nullptr;
    int redraws = 0;
};

using GeometryDialogRules = DialogModelTest;
using DriveDataDialogRules = DialogModelTest;

TEST_F(GeometryDialogRules, ThirtyTwoFieldsEachWithItsProposalButton)
{
    EXPECT_EQ(GeometryDialogModel::Fields().size(), 32u);
    const auto& buttons = GeometryDialogModel::SuggestionButtons();
    EXPECT_EQ(buttons.size(), 32u);
    std::set<std::string> filled;
    for (const auto& b : buttons)
        filled.insert(b.second);
    EXPECT_EQ(filled.size(), 32u) << "every field has its own button";
    GeometryDialogModel m;
    EXPECT_EQ(m.Text("Edit_dh"), "36");
    EXPECT_EQ(m.Text("SpinEdit_nzapfen"), "4");
    EXPECT_EQ(m.RatioText(), "i = dP/(dP-dH) = -17");
}

TEST_F(GeometryDialogRules, ProposalsThatBranch)
{
    struct Case {
        std::vector<std::pair<const char*, const char*>> typed;
        const char* button;
        const char* field;
        const char* want; // nullptr: no proposal, the field stays
    };
    i = -27;
    T[2] = 100;
    KA = 1.5L;
    FrShaft[2] = 500;
    const Case cases[] = {
        // dexz: outside the input shaft when the pin would be too thin inside it
        {{{"Edit_dantr", "20"}, {"Edit_exz", "1"}}, "Button_dexz", "Edit_dexz", "18"},
        {{{"Edit_dantr", "10"}, {"Edit_exz", "3"}}, "Button_dexz", "Edit_dexz", "16"},
        // bLg3: the bore text itself while d1 >= dexz, else half of it
        {{{"Edit_dantr", "12"}, {"Edit_dexz", "10"}, {"Edit_dilagerexz", "8,5"}}, "Button_blagerexz", "Edit_blagerexz", "8,5"},
        {{{"Edit_dantr", "8"}, {"Edit_dexz", "10"}, {"Edit_dilagerexz", "8"}}, "Button_blagerexz", "Edit_blagerexz", "4"},
        // exz from the copy only for dH > dp > 0
        {{{"Edit_dh", "40"}, {"Edit_dp", "36"}}, "Button_exzu", "Edit_exz", "2"},
        {{{"Edit_dh", "36"}, {"Edit_dp", "40"}}, "Button_exzu", "Edit_exz", nullptr},
        // d1 from d2 and the ratio, only for i < -1
        {{{"Edit_dabtr", "30"}}, "Button_dantr", "Edit_dantr", "10"},
        // d2 as the preliminary design sizes it: (100 1.5 + 0.5 60) 100 = 18000 -> 26.2 -> 30
        {{{"Edit_labtr", "60"}}, "Button_dabtr", "Edit_dabtr", "30"},
        // a field the proposal needs is no number: nothing changes
        {{{"Edit_dabtr", "3x"}}, "Button_dh", "Edit_dh", nullptr},
        {{{"Edit_dh", ""}}, "Button_didist", "Edit_didist", nullptr},
    };
    for (const Case& c : cases) {
        GeometryDialogModel m;
        for (const auto& [field, text] : c.typed)
            m.SetText(field, text);
        const std::string before = m.Text(c.field);
        EXPECT_EQ(m.Suggest(c.button), c.want != nullptr) << c.button;
        EXPECT_EQ(m.Text(c.field), c.want ? c.want : before) << c.button;
    }
    i = 0;
    GeometryDialogModel m;
    EXPECT_FALSE(m.Suggest("Button_dantr")) << "i >= -1 leaves d1 as it is";
}

TEST_F(GeometryDialogRules, RatioLabelFollowsDhAndDp)
{
    GeometryDialogModel m;
    m.SetText("Edit_dp", "38");
    EXPECT_EQ(m.RatioText(), "");
    EXPECT_EQ(m.Copy().i, 0);
    m.SetText("Edit_dh", "40");
    EXPECT_EQ(m.RatioText(), "i = dP/(dP-dH) = -19");
    m.SetText("Edit_dh", "4o");
    EXPECT_EQ(m.RatioText(), "i = dP/(dP-dH) = -19") << "a typo leaves it";
    EXPECT_TRUE(m.Suggest("Button_dp") == false);
    EXPECT_EQ(dH, 36) << "typing stores nothing";
}

TEST_F(GeometryDialogRules, OkStoresTheFieldsAndCalculates)
{
    for (auto [typed, stored] : {std::pair{"2", 20}, {"50", 45}, {"3", 3}, {"45", 45}}) {
        drive::InitDriveData();
        GeometryDialogModel m;
        m.SetText("Edit_wal", typed);
        m.SetText("Edit_dh", "40");
        m.SetText("SpinEdit_anzs", "6");
        ASSERT_TRUE(m.Ok());
        EXPECT_EQ(alpha, stored) << typed;
        EXPECT_EQ(dH, 40);
        EXPECT_EQ(ns, 6);
        EXPECT_EQ(i, 34 / (34 - 40.0L)) << "calculated";
        EXPECT_EQ(redraws, 0) << "OK leaves the redraw to the main window";
    }
}

TEST_F(GeometryDialogRules, CalcRedrawsOnlyWithoutAFatalError)
{
    GeometryDialogModel m;
    ASSERT_TRUE(m.Calc());
    EXPECT_EQ(redraws, 1);
    m.SetText("Edit_dp", "36"); // dp = dH
    ASSERT_TRUE(m.Calc());
    EXPECT_TRUE(settings::CalcErrorFlag);
    EXPECT_EQ(redraws, 1);
}

TEST_F(GeometryDialogRules, ATextThatIsNoNumberIsRefusedAndNothingStored)
{
    for (const char* text : {"abc", "", "12,5x"}) {
        GeometryDialogModel m;
        m.SetText("Edit_dlk", text);
        m.SetText("Edit_dh", "50");
        EXPECT_FALSE(m.Calc());
        EXPECT_FALSE(m.Ok());
        EXPECT_FALSE(m.ToggleUnits());
        EXPECT_FALSE(m.PickBearing("Button_lagerantrdeckel"));
        EXPECT_EQ(m.RefusedField(), "Edit_dlk");
        EXPECT_TRUE(Refused(text)) << text;
        EXPECT_EQ(dH, 36);
        EXPECT_EQ(settings::UnitSystem, 0);
    }
}

TEST_F(GeometryDialogRules, CancelKeepsDriveDataAndSlotsButNotTheUnitSystem)
{
    const DriveInputs before = CaptureDriveInputs();
    const auto slots = bearings::BearingSlots;
    GeometryDialogModel m;
    m.SetText("Edit_dh", "44");
    for (const auto& b : GeometryDialogModel::SuggestionButtons())
        m.Suggest(b.first);
    ASSERT_TRUE(m.ToggleUnits());
    EXPECT_EQ(m.Text("Edit_dh"), "1.8110"); // Round(3.8 d2) = 46 mm
    m.Cancel();
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(CaptureDriveInputs() == before);
    EXPECT_TRUE(bearings::BearingSlots == slots);
    EXPECT_EQ(settings::UnitSystem, 1);
}

TEST_F(GeometryDialogRules, BearingButtonsTakeThePickedBearing)
{
    struct Pick {
        Word slot;
        Real dKey, Fr, Fa, n;
    };
    std::vector<Pick> picks;
    CatalogueSelectionHooks().select = [&](TBearingType Typ, Word Slot, Word ReadMode, Real dKey, Real Fr, Real Fa, Real n,
                                           Word ShowMode, Word Arrangement, Word Variant) {
        EXPECT_EQ(Typ, 0);
        EXPECT_EQ(std::vector<Word>({ReadMode, ShowMode, Arrangement, Variant}), std::vector<Word>({1, 1, 2, 1}));
        picks.push_back({Slot, dKey, Fr, Fa, n});
        auto& b = bearings::BearingSlots[Slot];
        b.Designation = "6205";
        b.d = 25, b.D = 52, b.B = 15, b.C = 14800, b.C0 = 7800;
    };
    CalcDrive();
    {
        GeometryDialogModel m;
        m.SetText("Edit_dantr", "20"); // typed first, then the pick's bore
        m.SetText("Edit_dlk", "26");
        ASSERT_TRUE(m.PickBearing("Button_lagerantrdeckel"));
        EXPECT_EQ(picks.back().dKey, 20);
        EXPECT_EQ(std::vector<Real>({picks.back().Fr, picks.back().Fa, picks.back().n}), std::vector<Real>({100, 0, 10}));
        EXPECT_EQ(std::vector<Real>({d1, deLg1, bLg1, dlk}), std::vector<Real>({25, 52, 15, 26}));
        EXPECT_EQ(m.Text("Edit_dantr"), "25");
        EXPECT_EQ(redraws, 1);
    }
    {
        GeometryDialogModel m;
        m.SetText("Edit_bh", "10");
        ASSERT_TRUE(m.PickBearing("Button_lagerexzwaelz"));
        EXPECT_EQ(std::vector<Real>({picks.back().Fr, picks.back().Fa, picks.back().n}), std::vector<Real>({111, 11, 1111}));
        EXPECT_EQ(std::vector<Real>({dexz, diw, bP, bH}), std::vector<Real>({25, 52, 15, 17})) << "bH = bP + 2 when bP > bH";
    }
    {
        bLg45 = 40;
        const Real fr5 = FrLager[5], n2 = n[2]; // of the last calculation
        GeometryDialogModel m;
        ASSERT_TRUE(m.PickBearing("Button_Lagerabtrdeckel2"));
        EXPECT_EQ(picks.back().slot, 5);
        EXPECT_EQ(std::vector<Real>({picks.back().Fr, picks.back().n}), std::vector<Real>({fr5 / 2, n2}));
        EXPECT_EQ(std::vector<Real>({d2, deLg4, bLg45}), std::vector<Real>({25, 52, 40})) << "bLg45 keeps the wider room";
    }
}

TEST_F(GeometryDialogRules, ACancelledPickChangesNothing)
{
    const DriveInputs before = CaptureDriveInputs();
    for (bool hooked : {false, true}) {
        if (hooked)
            CatalogueSelectionHooks().select = [](TBearingType, Word, Word, Real, Real, Real, Real, Word, Word, Word) {
                settings::AbortFlag = true;
            };
        GeometryDialogModel m;
        m.SetText("Edit_dh", "44");
        EXPECT_FALSE(m.PickBearing("Button_lagerabtrdeckel"));
        EXPECT_FALSE(settings::AbortFlag);
        EXPECT_EQ(m.Text("Edit_dh"), "44");
        EXPECT_TRUE(CaptureDriveInputs() == before);
        EXPECT_EQ(redraws, 0);
    }
}

// ---- Drive data and preliminary design

TEST_F(DriveDataDialogRules, EnableRuleForTheSixRadioCombinations)
{
    DriveDataDialogModel m(DriveDataDialogModel::Kind::DriveData);
    const char* const names[2][3] = {{"Edit_n1", "Edit_t1", "Edit_p1"}, {"Edit_n2", "Edit_t2", "Edit_p2"}};
    for (int derived = 0; derived < 3; ++derived)
        for (int given = 0; given < 2; ++given) {
            m.SetDerivedItem(derived);
            m.SetGivenShaft(given);
            for (int shaft = 0; shaft < 2; ++shaft)
                for (int q = 0; q < 3; ++q)
                    EXPECT_EQ(m.Enabled(names[shaft][q]), shaft == given && q != derived)
                        << names[shaft][q] << " derived " << derived << " given " << given;
            EXPECT_TRUE(m.Enabled("Edit_etaproz"));
        }
}

TEST_F(DriveDataDialogRules, LiveCompletionFromTheGivenShaft)
{
    nTPMode = DeriveP;
    sideMode = InputGiven;
    i = -10;
    DriveDataDialogModel m(DriveDataDialogModel::Kind::DriveData);
    m.SetText("Edit_etaproz", "80");
    m.SetText("Edit_n1", "1000");
    m.SetText("Edit_t1", "20");
    EXPECT_EQ(m.Text("Edit_p1"), "2.094395"); // 1000 20 2 pi / 60000, six digits on the input side
    EXPECT_EQ(m.Text("Edit_p2"), "1.676");
    EXPECT_EQ(m.Text("Edit_n2"), "100");
    EXPECT_EQ(m.Text("Edit_t2"), "160");
    m.SetText("Edit_n1", "1,000x"); // no number: what depends on it stays
    EXPECT_EQ(m.Text("Edit_n2"), "100");
    EXPECT_EQ(m.Text("Edit_p1"), "2.094395");

    m.SetDerivedItem(1); // T derived, output given
    m.SetGivenShaft(1);
    m.SetText("Edit_n2", "50");
    m.SetText("Edit_p2", "1");
    EXPECT_EQ(m.Text("Edit_t2"), "191.0");
    EXPECT_EQ(m.Text("Edit_n1"), "500");
    EXPECT_EQ(m.Text("Edit_p1"), "1.25");
    m.SetText("Edit_n2", "0"); // T of the given shaft stays with n = 0
    EXPECT_EQ(m.Text("Edit_t2"), "191.0");
}

TEST_F(DriveDataDialogRules, RatioTypedInThePreDesignAndRatioZero)
{
    nTPMode = DeriveT;
    sideMode = InputGiven;
    n[1] = 1500;
    n[2] = 50;
    T[2] = 25;
    DriveDataDialogModel m(DriveDataDialogModel::Kind::PreDesign);
    m.SetText("Edit_i", "20");
    EXPECT_EQ(m.Text("Edit_n2"), "75");
    EXPECT_EQ(m.Copy().i, -20);
    const std::string t2 = m.Text("Edit_t2");
    m.SetText("Edit_i", "0"); // the other shaft's n and T stay
    EXPECT_EQ(m.Text("Edit_n2"), "75");
    EXPECT_EQ(m.Text("Edit_t2"), t2);
    EXPECT_EQ(m.Copy().i, 0);
    m.Cancel();
    EXPECT_EQ(iAbs, 30);
    EXPECT_EQ(i, 30);
}

TEST_F(DriveDataDialogRules, EfficiencyZeroIsShownAs100AndFrextNeedsBothShafts)
{
    etaproz = 0;
    DriveDataDialogModel m(DriveDataDialogModel::Kind::PreDesign);
    EXPECT_EQ(m.Text("Edit_etaproz"), "100");
    d1 = 0;
    {
        DriveDataDialogModel pre(DriveDataDialogModel::Kind::PreDesign);
        EXPECT_FALSE(pre.Suggest("Button_frext"));
        EXPECT_EQ(pre.Text("Edit_frext1"), "0");
    }
    d1 = 10;
    d2 = 30;
    T[1] = 30;
    etaproz = 90;
    nTPMode = DeriveP;
    sideMode = InputGiven;
    DriveDataDialogModel pre(DriveDataDialogModel::Kind::PreDesign);
    ASSERT_EQ(pre.Text("Edit_t2"), "810"); // 30 Nm, ratio 30, 90 %
    EXPECT_TRUE(pre.Suggest("Button_frext"));
    EXPECT_EQ(pre.Text("Edit_frext1"), "1500"); // 30 / 10 500
    EXPECT_EQ(pre.Text("Edit_frext2"), "13500"); // 810 / 30 500
    EXPECT_TRUE(pre.Suggest("Button_ka"));
    EXPECT_EQ(pre.Text("Edit_ka"), "1");
    EXPECT_TRUE(pre.Suggest("Button_i"));
    EXPECT_EQ(pre.Text("Edit_i"), "50");
}

TEST_F(DriveDataDialogRules, OkStoresAndCalcCalculates)
{
    DriveDataDialogModel m(DriveDataDialogModel::Kind::DriveData);
    m.SetDerivedItem(2);
    m.SetGivenShaft(0);
    m.SetText("Edit_n1", "3000");
    m.SetText("Edit_frext2", "abc");
    EXPECT_FALSE(m.Ok());
    EXPECT_EQ(m.RefusedField(), "Edit_frext2");
    EXPECT_EQ(n[1], 1500);
    m.SetText("Edit_frext2", "250");
    ASSERT_TRUE(m.Calc());
    EXPECT_EQ(n[1], 3000);
    EXPECT_EQ(FrShaft[2], 250);
    EXPECT_EQ(sideMode, InputGiven);
    EXPECT_EQ(nTPMode, DeriveP);
    EXPECT_EQ(n[2], 3000 / 17.0L) << "calculated with the drive's ratio";
    EXPECT_EQ(redraws, 1);
}

TEST_F(DriveDataDialogRules, SecondPreDesignStepInInches)
{
    settings::UnitSystem = 1;
    d2 = 25.4L;
    PreDesign2DialogModel m;
    EXPECT_EQ(m.Text("Edit_dabtr"), "1.0000");
    EXPECT_TRUE(m.Suggest("Button_dh"));
    EXPECT_EQ(m.Text("Edit_dh"), "3.8000");
    m.SetText("Edit_dantr", "0.5");
    ASSERT_TRUE(m.Ok());
    EXPECT_EQ(d1, 12.7L);
    EXPECT_EQ(dH, 3.8L * 25.4L);
    ASSERT_TRUE(m.ToggleUnits());
    EXPECT_EQ(m.Text("Edit_dantr"), "12.7");
    EXPECT_EQ(d1, 12.7L) << "the switch stores nothing";
}

// Fields the user did not edit keep their exact values through the unit
// switch: switching twice and OK stores what was there.
TEST_F(DriveDataDialogRules, UnitSwitchTwiceAndOkChangesNothing)
{
    T[2] = 25.123456789L;
    FrShaft[1] = 123.456789L;
    FrShaft[2] = 98.7654321L;
    d1 = 8.0123456789L;
    d2 = 12.0123456789L;
    dH = 36.0123456789L;
    CalcDrive();
    const DriveInputs before = CaptureDriveInputs();
    DriveDataDialogModel data(DriveDataDialogModel::Kind::DriveData);
    PreDesign2DialogModel pre2;
    for (DialogFieldTexts* m : std::initializer_list<DialogFieldTexts*>{&data, &pre2}) {
        ASSERT_TRUE(m->ToggleUnits());
        ASSERT_TRUE(m->ToggleUnits());
        ASSERT_TRUE(m->Ok());
        CalcDrive(); // the derived speed, shown rounded, is the calculation's again
        EXPECT_TRUE(CaptureDriveInputs() == before) << m->Fields().front().name;
    }
}

} // namespace
} // namespace kt4::drivetest
