// The drive's input dialogs as the program installs them: their menu items
// are offered, Edit > Abmessungen with the real form, File > Neu through
// every dialog to a design with five catalogue bearings, and a
// preliminary design whose first step fails.
#include "gui_helpers.h"
#include "shell_fixture.h"

#include "dbase/access/table_access.h"
#include "drive/bearing_types.h"
#include "drive/docu_forms.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/gui/docu_forms_qt.h"
#include "drive/gui/drive_data_forms.h"
#include "drive/gui/drive_forms_qt.h"
#include "drive/gui/geometry_form.h"
#include "drive/gui/project_texts_form.h"
#include "shell/gui/hh.h"
#include "shell/menu_commands.h"
#include "shell/project_files.h"
#include "shell/project_list.h"
#include "shell/services.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

using namespace kt4;
using kt4::shell::gui::Thh;
using kt4::shelltest::WhenShown;

namespace {

class DriveFormsMenu : public shelltest::ShellTest {
protected:
    void SetUp() override
    {
        shelltest::ShellTest::SetUp();
        settings::PltDir = dir.Path(); // no start picture
        // As the program's window start does.
        InstallDocuForms();
        InstallDriveForms(shell::FormServices());
        w = shelltest::OpenMainWindow();
    }
    void TearDown() override
    {
        w.reset();
        shell::FormServices() = {};
        docu::Forms = {};
        dbase::DbfClose();
        shelltest::ShellTest::TearDown();
    }

    // Confirms the next form of type F with its OK button, noting the
    // window it belongs to.
    template <class F>
    void ConfirmWhenShown()
    {
        WhenShown<F>([this](F* f) {
            owners.push_back(f->parentWidget());
            f->template findChild<QPushButton*>("Button_ok")->click();
        });
    }

    std::unique_ptr<Thh> w;
    std::vector<QWidget*> owners;
};

TEST_F(DriveFormsMenu, ItemsAreOfferedAndGeometryConfirmedMarksTheDataModified)
{
    for (const char* item : {"mi_editGeometrie", "mi_editantrieb", "mi_editvorauslegung", "mi_fileNew"})
        EXPECT_TRUE(w->Item(item)->isEnabled()) << item;

    ASSERT_FALSE(settings::DataModified);
    WhenShown<TForm_kt4geo>([](TForm_kt4geo* f) { f->findChild<QPushButton*>("Button_cancel")->click(); });
    w->Item("mi_editGeometrie")->trigger();
    EXPECT_FALSE(settings::DataModified) << "cancelled";

    ConfirmWhenShown<TForm_kt4geo>();
    w->Item("mi_editGeometrie")->trigger();
    EXPECT_TRUE(settings::DataModified);
    EXPECT_FALSE(settings::AbortFlag);
}

// A value typed, Rechnen, Abbrechen: the value stays, as Rechnen stored
// it, and the project is marked changed, so Neu asks before it goes; the
// same without a change leaves it unmarked.
TEST_F(DriveFormsMenu, CalcThenCancelMarksTheChangedValues)
{
    const struct {
        const char *item, *field, *text;
        const Real* value;
        Real shown;
    } rows[] = {
        {"mi_editantrieb", "Edit_t2", "40", &drive::T[2], 40}, // on the values the start read
        {"mi_editantrieb", "Edit_t2", "", &drive::T[2], 25},
        {"mi_editGeometrie", "Edit_lantr", "", &drive::L1, 10},
        {"mi_editGeometrie", "Edit_lantr", "13", &drive::L1, 13},
    };
    ASSERT_EQ(std::make_pair(drive::T[2], drive::L1), std::make_pair(Real(25), Real(10)));
    for (const auto& r : rows) {
        if (&r != rows) { // the values as read again
            drive::T[2] = 25, drive::L1 = 10;
            drive::CalcDrive();
            shell::NoteSavedValues();
            settings::DataModified = false;
        }
        WhenShown<QDialog>([&r](QDialog* f) {
            if (*r.text) {
                f->findChild<QLineEdit*>(r.field)->selectAll();
                QTest::keyClicks(f->findChild<QLineEdit*>(r.field), r.text);
            }
            f->findChild<QPushButton*>("Button_calc")->click();
            f->findChild<QPushButton*>("Button_cancel")->click();
        });
        w->Item(r.item)->trigger();
        EXPECT_EQ(*r.value, r.shown) << r.item << " " << r.text;
        EXPECT_EQ(settings::DataModified, *r.text != 0) << r.item << " " << r.text;
    }
    ui->ClearLog();
    w->Item("mi_fileNew")->trigger(); // headless: the question is cancelled
    EXPECT_EQ(Logged("yesnocancel").size(), 1u);
    EXPECT_EQ(drive::L1, 13);
}

TEST_F(DriveFormsMenu, FileNewThroughEveryDialogGivesFiveCatalogueBearings)
{
    ASSERT_FALSE(BearingSlotUsed(1));
    // Cancel at the first form: the open design stays as it was
    const shell::OpenDesign before = shell::CaptureOpenDesign();
    WhenShown<TForm_kt4pre>([](TForm_kt4pre* f) { f->findChild<QPushButton*>("Button_cancel")->click(); });
    w->Item("mi_fileNew")->trigger();
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(shell::CaptureOpenDesign() == before);

    ConfirmWhenShown<TForm_kt4pre>();
    ConfirmWhenShown<TForm_kt4pre2>();
    ConfirmWhenShown<Tform_uni4>();
    ConfirmWhenShown<TForm_kt4geo>();
    ConfirmWhenShown<TForm_kt4fs3>();
    w->Item("mi_fileNew")->trigger();
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_FALSE(settings::CalcErrorFlag) << settings::MessageTexts[1];
    EXPECT_TRUE(settings::DataModified);
    const Real bores[] = {drive::d1, drive::dexz, drive::diLg3, drive::d2, drive::d2};
    for (Word k = 1; k <= BearingSlotCount; ++k) {
        const WaelzLagerTyp& b = bearings::BearingSlots[k];
        EXPECT_EQ(b.Typ, DeepGrooveBall) << k;
        EXPECT_GT(b.CatRecNo, 0) << k;
        EXPECT_FALSE(b.Designation.empty()) << k;
        EXPECT_EQ(b.d, bores[k - 1]) << k;
        EXPECT_GT(b.L10, 0) << k;
    }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // every form of the sequence belongs to the main window
    EXPECT_EQ(owners, std::vector<QWidget*>(5, w.get()));
}

// T2 = 10,000,000 Nm asks for an output bearing of bore 1000 that the
// catalogue lacks: the first step fails and the second form never opens
// (menu and File > Neu); the count shows the refusal on every way out,
// also after Rechnen and Abbrechen, and the window keeps the drawing of
// the design as it was; File > Neu tells the reasons once. From T2 = -25
// the first step's "d abtr (pow)" stays before the second step's
// messages.
TEST_F(DriveFormsMenu, AFailingFirstPreDesignStepOpensNoSecondForm)
{
    struct TellingUi : HeadlessUi {
        bool Interactive() const override { return true; } // the messages in a dialog
    };
    auto owned = std::make_unique<TellingUi>();
    ui = owned.get();
    ui->quiet = true;
    SetUi(std::move(owned));
    auto told = [this] {
        std::size_t n = 0;
        for (const std::string& entry : ui->Log())
            n += entry.find("Berechnungsmodul meldet") != std::string::npos;
        return n;
    };
    shell::RedrawCurrentView();
    const auto& list = w->DisplayList();
    const std::vector<std::string> drawn(list.begin(), list.end());
    ASSERT_GT(drawn.size(), 100u);
    int second = 0;
    bool failing = true;
    shell::FormServices().preDesign2 = [&] { ++second, settings::AbortFlag = failing; };
    auto run = [&](const char* item, const char* torque, std::vector<const char*> buttons) {
        settings::DataModified = false;
        WhenShown<TForm_kt4pre>([=](TForm_kt4pre* f) {
            f->findChild<QLineEdit*>("Edit_t2")->selectAll();
            QTest::keyClicks(f->findChild<QLineEdit*>("Edit_t2"), torque);
            for (const char* b : buttons)
                f->findChild<QPushButton*>(b)->click();
        });
        w->Item(item)->trigger();
    };
    for (const auto& [item, buttons] : std::vector<std::pair<const char*, std::vector<const char*>>>{
             {"mi_editvorauslegung", {"Button_calc", "Button_cancel"}},
             {"mi_editvorauslegung", {"Button_ok"}},
             {"mi_fileNew", {"Button_ok"}}}) {
        ui->ClearLog();
        if (std::string(item) == "mi_fileNew")
            ui->Script("J"); // Calc stored T2 before Abbrechen: the input may go
        run(item, "10000000", buttons);
        EXPECT_EQ(settings::ListedMessages(),
                  std::vector<std::string>{"Fatal  : kein Lager d = 1000 im Katalog (Lager 4)"});
        EXPECT_EQ(w->Item("mi_viewErrorMessages")->text().toStdString(), "&Fehlermeldungen (1)") << item;
        EXPECT_EQ(std::vector<std::string>(list.begin(), list.end()), drawn) << item;
    }
    EXPECT_EQ(told(), 1u) << "File > Neu";
    EXPECT_EQ(second, 0);
    EXPECT_EQ(std::vector<Real>({drive::d2, drive::dH, drive::dp}), std::vector<Real>({12, 36, 34}));
    failing = false;
    run("mi_editvorauslegung", "-25", {"Button_ok"});
    EXPECT_EQ(second, 1);
    EXPECT_EQ(settings::MessageTexts[1], "d abtr (pow)");
}

} // namespace
