// The geometry, drive-data and preliminary-design dialogs on the offscreen
// platform, every control found by its object name: typed values reach the
// drive data only through Calc and OK, Cancel leaves everything, a typo is
// refused with the dialog kept open. Each form is also saved as a picture.
#include "catalogue_support.h"
#include "dialog_support.h"
#include "foundation/gui/gui_helpers.h"

#include "dbase/gui/dbf4_form.h"
#include "drive/bearing_selection.h"
#include "drive/bearing_types.h"
#include "drive/dialog_fields.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/drive_inputs.h"
#include "drive/gui/drive_data_forms.h"
#include "drive/gui/geometry_form.h"
#include "foundation/captions.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace kt4 {
namespace {

using namespace kt4::drive;
using kt4::testing::ArtifactPath;
using kt4::testing::Find;

class DialogFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::InitSettings();
        settings::ProductName = "KT4";
        settings::ProgramTitle = "Exzentergetriebe  KT4";
        settings::DbfDir = drivetest::CatalogueDir;
        ui = &UseHeadlessUi();
        ui->quiet = true;
        InitDriveData();
        bearings::InitBearingSlots();
        dialogs::RedrawHook() = [this] { ++redraws; };
    }
    void TearDown() override
    {
        dialogs::RedrawHook() = nullptr;
        CatalogueSelectionHooks() = {};
    }

    static void Click(QWidget* form, const char* name)
    {
        auto* b = Find<QAbstractButton>(form, name);
        ASSERT_NE(b, nullptr);
        if (qobject_cast<QRadioButton*>(b))
            b->click(); // a click in the middle of a wide radio button may miss its label
        else
            QTest::mouseClick(b, Qt::LeftButton);
    }
    static void Type(QWidget* form, const char* name, const QString& text)
    {
        auto* edit = Find<QLineEdit>(form, name);
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        if (text.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, text);
    }
    static QString Text(QWidget* form, const char* name) { return Find<QLineEdit>(form, name)->text(); }
    static void Save(QWidget& form, const char* file)
    {
        EXPECT_TRUE(form.grab().save(ArtifactPath(file))) << file;
    }
    bool Refused(const std::string& text) const { return drivetest::RefusalShown(*ui, text); }

    HeadlessUi* ui = nullptr;
    int redraws = 0;
};

using GeometryDialog = DialogFormTest;
using DriveDataDialogs = DialogFormTest;

TEST_F(GeometryDialog, EveryControlByItsName)
{
    TForm_kt4geo form;
    form.show();
    for (const auto& f : GeometryDialogModel::Fields()) {
        QWidget* input = form.findChild<QWidget*>(f.name);
        ASSERT_NE(input, nullptr) << f.name;
        EXPECT_TRUE(qobject_cast<QLineEdit*>(input) || qobject_cast<QSpinBox*>(input)) << f.name;
    }
    for (const auto& b : GeometryDialogModel::SuggestionButtons())
        EXPECT_EQ(Find<QPushButton>(&form, b.first.c_str())->text(), "<");
    int k = 1;
    for (const auto& b : GeometryDialogModel::BearingButtons())
        EXPECT_EQ(Find<QPushButton>(&form, b.c_str())->text(), QString::fromUtf8("Wälzlager %1").arg(k++));
    for (const char* b : {"Button_calc", "Button_ok", "Button_cancel", "Button_help", "Button_metric"})
        Find<QPushButton>(&form, b);
    EXPECT_EQ(form.windowTitle(), "Exzentergetriebe  KT4");
    EXPECT_EQ(Find<QLabel>(&form, "Label_diw")->text(), QString::fromUtf8("Außendurchmesser Lager deLg2"));
    EXPECT_EQ(Find<QLabel>(&form, "Label_dh_unit")->text(), "mm");
    EXPECT_EQ(Find<QSpinBox>(&form, "SpinEdit_nzapfen")->minimum(), 4);
    EXPECT_EQ(Find<QSpinBox>(&form, "SpinEdit_anzs")->minimum(), 3);
    EXPECT_EQ(Find<QSpinBox>(&form, "SpinEdit_anzs")->maximum(), 100);
    EXPECT_EQ(Text(&form, "Edit_dh"), "36");
    EXPECT_EQ(Find<QLabel>(&form, "Label_i")->text(), "i = dP/(dP-dH) = -17");
    Save(form, "geometry_dialog.png");
}

TEST_F(GeometryDialog, TypedValuesAndOkReachTheDriveData)
{
    TForm_kt4geo form;
    form.show();
    Type(&form, "Edit_dh", "40");
    EXPECT_EQ(Find<QLabel>(&form, "Label_i")->text(), "i = dP/(dP-dH) = -5.667");
    Type(&form, "Edit_wal", "2");
    Find<QSpinBox>(&form, "SpinEdit_nzapfen")->setValue(10);
    EXPECT_EQ(dH, 36) << "typing stores nothing";
    settings::AbortFlag = true;
    Click(&form, "Button_ok");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(dH, 40);
    EXPECT_EQ(alpha, 20) << "alpha below 3 becomes 20";
    EXPECT_EQ(nz, 10);
    EXPECT_EQ(i, 34 / (34 - 40.0L)) << "calculated";
}

TEST_F(GeometryDialog, CalcStoresCalculatesAndRedrawsAndTheDialogStays)
{
    TForm_kt4geo form;
    form.show();
    Type(&form, "Edit_wal", "50");
    Type(&form, "Edit_dp", "38");
    EXPECT_EQ(Find<QLabel>(&form, "Label_i")->text(), "");
    Type(&form, "Edit_dp", "30");
    Click(&form, "Button_calc");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(alpha, 45);
    EXPECT_EQ(dp, 30);
    EXPECT_EQ(i, 30 / (30 - 36.0L));
    EXPECT_EQ(redraws, 1);
}

TEST_F(GeometryDialog, CancelAfterTypingProposalsAndUnitsChangesNothing)
{
    const DriveInputs before = CaptureDriveInputs();
    const auto slotsBefore = bearings::BearingSlots;
    TForm_kt4geo form;
    form.show();
    Type(&form, "Edit_dh", "48");
    Type(&form, "Edit_dantr", "20");
    Type(&form, "Edit_exz", "1");
    Click(&form, "Button_dexz");
    EXPECT_EQ(Text(&form, "Edit_dexz"), "18");
    Click(&form, "Button_dilagerexz");
    Click(&form, "Button_dlk");
    Click(&form, "Button_metric");
    EXPECT_EQ(Text(&form, "Edit_dh"), "1.8898");
    EXPECT_EQ(Find<QLabel>(&form, "Label_dh_unit")->text(), "in");
    Click(&form, "Button_cancel");
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(CaptureDriveInputs() == before);
    EXPECT_TRUE(bearings::BearingSlots == slotsBefore);
    EXPECT_EQ(settings::UnitSystem, 1) << "the unit system is a setting";
}

// A field the user did not edit keeps its exact value whatever unit it was
// shown in; an edited one is read in the unit it was typed in.
TEST_F(GeometryDialog, UnitSwitchTwiceAndOkChangesNothing)
{
    dp = 55.16129L;
    dH = 57.3L;
    dHe = 66; // around the hollow wheel
    d1 = 5;
    bP = 6;
    bH = 6.35L;
    alpha = 20.123456789L;
    for (Real* x : {&dz, &dR, &dzw, &dlk, &des, &dHe, &dLkS, &dS, &d2, &deLg1, &deLg4, &L1, &L2, &didist})
        *x += 0.0123456789L;
    CalcDrive();
    ASSERT_FALSE(settings::CalcErrorFlag);
    const DriveInputs before = CaptureDriveInputs();
    {
        TForm_kt4geo form;
        form.show();
        Click(&form, "Button_metric");
        EXPECT_EQ(Text(&form, "Edit_dantr"), "0.1969");
        Click(&form, "Button_metric");
        Click(&form, "Button_ok");
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    const DriveInputs after = CaptureDriveInputs();
    for (const auto& f : GeometryDialogModel::Fields())
        EXPECT_TRUE(f.real ? before.*f.real == after.*f.real : before.*f.count == after.*f.count) << f.name;
    EXPECT_TRUE(after == before);

    TForm_kt4geo form;
    form.show();
    Click(&form, "Button_metric");
    Type(&form, "Edit_dantr", "0.25");
    Click(&form, "Button_metric");
    EXPECT_EQ(Text(&form, "Edit_dantr"), "6.35");
    Click(&form, "Button_ok");
    EXPECT_NEAR(static_cast<double>(d1), 6.35, 1e-12);
    EXPECT_EQ(dp, before.dp);
    EXPECT_EQ(bP, before.bP);
}

TEST_F(GeometryDialog, ATypoOrAnEmptyFieldIsRefusedAndTheDialogStays)
{
    for (const char* typed : {"abc", ""}) {
        TForm_kt4geo form;
        form.show();
        Type(&form, "Edit_dh", "50");
        Type(&form, "Edit_dlk", typed);
        Click(&form, "Button_ok");
        EXPECT_TRUE(form.isVisible()) << typed;
        EXPECT_NE(form.result(), QDialog::Accepted);
        EXPECT_TRUE(Refused(typed)) << typed;
        EXPECT_EQ(form.Model().RefusedField(), "Edit_dlk");
        EXPECT_EQ(dH, 36);
        Click(&form, "Button_metric");
        EXPECT_EQ(settings::UnitSystem, 0);
        form.close();
    }
}

TEST_F(GeometryDialog, BearingButtonWithAScriptedPick)
{
    std::vector<Word> picked;
    CatalogueSelectionHooks().select = [&](TBearingType, Word Slot, Word, Real dKey, Real Fr, Real, Real, Word, Word, Word) {
        picked.push_back(Slot);
        if (dKey != 17) { // the user cancels at some step
            settings::AbortFlag = true;
            return;
        }
        auto& b = bearings::BearingSlots[Slot];
        b.Designation = "6203";
        b.d = 17, b.D = 40, b.B = 12, b.C = 9560, b.C0 = 4750;
        b.L10 = Fr; // stands for the slot's calculation
    };
    TForm_kt4geo form;
    form.show();
    Type(&form, "Edit_dantr", "15");
    Click(&form, "Button_lagerantrdeckel");
    EXPECT_EQ(picked, std::vector<Word>({1}));
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(Text(&form, "Edit_dantr"), "15") << "a cancelled pick changes nothing";
    EXPECT_EQ(d1, 8);
    EXPECT_EQ(redraws, 0);

    Type(&form, "Edit_dantr", "17");
    Click(&form, "Button_lagerantrdeckel");
    EXPECT_EQ(bearings::BearingSlots[1].Designation, "6203");
    EXPECT_EQ(std::vector<Real>({d1, deLg1, bLg1}), std::vector<Real>({17, 40, 12}));
    EXPECT_EQ(Text(&form, "Edit_dilagerantr"), "40");
    EXPECT_EQ(Text(&form, "Edit_blagerantr"), "12");
    EXPECT_EQ(redraws, 1);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(GeometryDialog, APickCancelledInTheClearanceChoiceChangesNothing)
{
    drivetest::CatalogueAccess access;
    TForm_kt4geo form;
    form.show();
    Type(&form, "Edit_dantr", "25");
    const auto slotsBefore = bearings::BearingSlots;
    const QString outside = Text(&form, "Edit_dilagerantr");
    for (const char* a : {"1", "ok", "<cancel>"}) // the type, the browser's row, the clearance
        ui->Script(a);
    Click(&form, "Button_lagerantrdeckel");
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_TRUE(bearings::BearingSlots == slotsBefore);
    EXPECT_EQ(Text(&form, "Edit_dilagerantr"), outside);
    EXPECT_EQ(d1, 8);
    EXPECT_EQ(redraws, 0);
    EXPECT_TRUE(drivetest::NoTableOpen());
}

// The table browser a bearing button opens: on the deep-groove table at the
// first row of bore 25, with both titles in its caption; Enter there (OK)
// takes the row. Saved with its caption above it (a grab shows no frame).
TEST_F(GeometryDialog, BearingButtonShowsTheCatalogueInTheBrowser)
{
    drivetest::CatalogueAccess access;
    captions::InitCaptions();
    std::unique_ptr<dbase::gui::Tdbf4> browser(dbase::gui::CreateDbf4Form(nullptr));
    TForm_kt4geo form;
    form.show();
    Type(&form, "Edit_dantr", "25");
    ui->Script("1"); // deep-groove ball bearing
    ui->Script("2"); // normal clearance
    QString caption, title2;
    std::int32_t shownRecord = 0;
    auto* timer = new QTimer(&form);
    QObject::connect(timer, &QTimer::timeout, [&] {
        if (!browser->isVisible())
            return;
        timer->stop();
        QApplication::processEvents();
        caption = browser->windowTitle();
        title2 = browser->Label_title2->text();
        shownRecord = browser->Edit_recno->text().toInt();
        const QImage body = browser->grab().toImage();
        QImage shot(body.width(), body.height() + 24, QImage::Format_RGB32);
        shot.fill(QColor(0, 60, 130));
        QPainter p(&shot);
        p.setPen(Qt::white);
        p.drawText(QRect(8, 0, shot.width() - 16, 24), Qt::AlignVCenter | Qt::AlignLeft, caption);
        p.drawImage(0, 24, body);
        p.end();
        EXPECT_TRUE(shot.save(ArtifactPath("catalogue_pick.png")));
        QTest::mouseClick(browser->Button_ok, Qt::LeftButton);
    });
    timer->start(5);
    Click(&form, "Button_lagerantrdeckel");
    EXPECT_EQ(title2, "Lagerbelastung Fr = 100 N   Fa = 0 N ");
    EXPECT_EQ(caption, title2 + "    " + QString::fromStdString(settings::ProductName) +
                           QString::fromUtf8("   Datenbank Rillenkugellager "));
    EXPECT_EQ(shownRecord, bearings::BearingSlots[1].CatRecNo);
    EXPECT_EQ(bearings::BearingSlots[1].Designation, "61805");
    EXPECT_EQ(std::vector<Real>({d1, deLg1, bLg1}), std::vector<Real>({25, 37, 7}));
    EXPECT_GT(bearings::BearingSlots[1].L10, 0) << "the slot and the drive were calculated";
    EXPECT_EQ(redraws, 1);
    EXPECT_TRUE(drivetest::NoTableOpen());
}

// ---- Drive data and preliminary design

TEST_F(DriveDataDialogs, DriveDataFormEnableRuleAndLiveCompletion)
{
    nTPMode = DeriveP;
    sideMode = InputGiven;
    etaproz = 0;
    TForm_kt4fs3 form;
    form.show();
    EXPECT_EQ(form.windowTitle(), "Nennleistung, Drehmoment, Drehzahl  KT4");
    EXPECT_EQ(Find<QLabel>(&form, "Label_i")->text(), "i = 30");
    EXPECT_EQ(Text(&form, "Edit_etaproz"), "100") << "efficiency 0 is shown as 100";
    EXPECT_EQ(Find<QRadioButton>(&form, "RadioGroup_rad_0")->text(), "1: Input");
    const char* fields[2][3] = {{"Edit_n1", "Edit_t1", "Edit_p1"}, {"Edit_n2", "Edit_t2", "Edit_p2"}};
    for (int derived = 0; derived < 3; ++derived)
        for (int given = 0; given < 2; ++given) {
            Click(&form, QString("RadioGroup1_%1").arg(derived).toUtf8().constData());
            Click(&form, QString("RadioGroup_rad_%1").arg(given).toUtf8().constData());
            for (int shaft = 0; shaft < 2; ++shaft)
                for (int q = 0; q < 3; ++q)
                    EXPECT_EQ(Find<QLineEdit>(&form, fields[shaft][q])->isEnabled(), shaft == given && q != derived)
                        << fields[shaft][q] << " " << derived << " " << given;
        }
    Click(&form, "RadioGroup1_2");
    Click(&form, "RadioGroup_rad_0");
    Type(&form, "Edit_n1", "3000");
    EXPECT_EQ(Text(&form, "Edit_n2"), "100");
    Click(&form, "Button_etaproz");
    EXPECT_EQ(Text(&form, "Edit_etaproz"), "90");
    Click(&form, "Button_ok");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(n[1], 3000);
    EXPECT_EQ(n[2], 100);
    EXPECT_EQ(etaproz, 90);
    EXPECT_EQ(nTPMode, DeriveP);
    Save(form, "drive_data_dialog.png");
}

TEST_F(DriveDataDialogs, PreDesignFormRatioFrextCancelAndCalc)
{
    nTPMode = DeriveT;
    sideMode = InputGiven;
    d1 = 0;
    TForm_kt4pre form;
    form.show();
    EXPECT_EQ(Find<QLabel>(&form, "Label_i")->text(), QString::fromUtf8("Übersetzungsverhältnis u=n1/n2"));
    EXPECT_EQ(Find<QRadioButton>(&form, "RadioGroup_rad_1")->text(), "2: output");
    Type(&form, "Edit_i", "20");
    EXPECT_EQ(Text(&form, "Edit_n2"), "75");
    const QString t2 = Text(&form, "Edit_t2");
    Type(&form, "Edit_i", "0");
    EXPECT_EQ(Text(&form, "Edit_n2"), "75") << "with i = 0 the dependent speed stays";
    EXPECT_EQ(Text(&form, "Edit_t2"), t2);
    const QString frext = Text(&form, "Edit_frext1");
    Click(&form, "Button_frext");
    EXPECT_EQ(Text(&form, "Edit_frext1"), frext) << "nothing while d1 is 0";
    Save(form, "predesign_dialog.png");
    Click(&form, "Button_cancel");
    EXPECT_EQ(iAbs, 30);
    EXPECT_EQ(i, 30);

    // Calc designs the drive with five catalogue bearings.
    drivetest::CatalogueAccess access;
    TForm_kt4pre again;
    again.show();
    Type(&again, "Edit_i", "25");
    Click(&again, "Button_calc");
    EXPECT_FALSE(settings::CalcErrorFlag) << settings::MessageTexts[1];
    EXPECT_NEAR(static_cast<double>(i), -25, 1e-9);
    for (Word k = 1; k <= 5; ++k)
        EXPECT_TRUE(BearingSlotUsed(k)) << k;
    EXPECT_EQ(redraws, 1);
}

TEST_F(DriveDataDialogs, SecondPreDesignStepInInches)
{
    settings::UnitSystem = 1;
    d2 = 25.4L;
    TForm_kt4pre2 form;
    form.show();
    EXPECT_EQ(form.windowTitle(), "Vorauslegung  KT4");
    EXPECT_EQ(Find<QLabel>(&form, "Label_unit")->text(), "in");
    EXPECT_EQ(Text(&form, "Edit_dabtr"), "1.0000");
    Click(&form, "Button_dh");
    EXPECT_EQ(Text(&form, "Edit_dh"), "3.8000");
    Type(&form, "Edit_dantr", "0.5");
    Save(form, "predesign2_dialog.png");
    Click(&form, "Button_metric");
    EXPECT_EQ(Text(&form, "Edit_dantr"), "12.7");
    EXPECT_EQ(d1, 8) << "the unit switch stores nothing";
    Click(&form, "Button_ok");
    EXPECT_EQ(d1, 12.7L);
    EXPECT_EQ(dH, 3.8L * 25.4L);
}

} // namespace
} // namespace kt4
