// The drive's input dialogs as the program installs them: their menu items
// are offered, Edit > Abmessungen with the real form, and File > Neu through
// every dialog to a design with five catalogue bearings.
#include "gui_helpers.h"
#include "shell_fixture.h"

#include "dbase/table_access.h"
#include "drive/bearing_types.h"
#include "drive/docu_forms.h"
#include "drive/drive_data.h"
#include "drive/gui/docu_forms_qt.h"
#include "drive/gui/drive_data_forms.h"
#include "drive/gui/drive_forms_qt.h"
#include "drive/gui/geometry_form.h"
#include "drive/gui/project_texts_form.h"
#include "shell/gui/hh.h"
#include "shell/menu_commands.h"
#include "shell/project_list.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

#include <memory>

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

} // namespace
