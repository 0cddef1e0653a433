// TForm_preview with TForm_Suchen and TAboutBox on the offscreen platform,
// driven by their controls' names.
#include "gui_helpers.h"
#include "shell_fixture.h"

#include "foundation/settings.h"
#include "shell/gui/about_box_form.h"
#include "shell/gui/preview_form.h"
#include "shell/project_list.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <filesystem>

using namespace kt4;
using namespace kt4::shell;
using namespace kt4::shell::gui;
using kt4::shelltest::SaveArtifact;
using kt4::shelltest::WhenShown;

namespace {

namespace fs = std::filesystem;

// A data folder with the two example projects and one that ends early.
class ShellForms : public shelltest::ShellTest {
protected:
    void SetUp() override
    {
        shelltest::ShellTest::SetUp();
        settings::PltDir = KT4_DATA_DIR; // help texts
        for (const char* name : {"beispiel1.kt4", "beispiel2.kt4"})
            fs::copy_file(std::string(KT4_DATA_DIR) + "/" + name, dir.File(name));
        dir.Put("kaputt.kt4", dir.Get("beispiel1.kt4").substr(0, 900));
        grid = ProjectListGrid(dir.Path());
    }

    static QTableWidget* Table(TForm_preview* f) { return f->findChild<QTableWidget*>("StringGrid1"); }
    static QString Text(TForm_preview* f, int row, int col) { return Table(f)->item(row, col)->text(); }
    static void ClickCell(TForm_preview* f, int row, int col)
    {
        QTableWidget* t = Table(f);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {},
                          t->visualItemRect(t->item(row, col)).center());
    }
    static void ClickHeader(TForm_preview* f, int col, Qt::MouseButton button)
    {
        QHeaderView* h = Table(f)->horizontalHeader();
        QPoint inside(h->sectionViewportPosition(col) + h->sectionSize(col) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), button, {}, inside);
    }

    PreviewGrid grid;
};

TEST_F(ShellForms, ListWithItsHeadersSortsOnARightClickInAHeaderCell)
{
    TForm_preview form;
    WhenShown<TForm_preview>([&](TForm_preview* f) {
        QTableWidget* t = Table(f);
        ASSERT_EQ(t->columnCount(), 17);
        ASSERT_EQ(t->rowCount(), 3);
        for (int c = 0; c < 17; ++c)
            EXPECT_EQ(t->horizontalHeaderItem(c)->text().toStdString(), ProjectListHeader()[c]);
        EXPECT_EQ(f->windowTitle().toStdString(), settings::DataDir + "  KT4");
        EXPECT_EQ(Text(f, 2, 4), "nicht lesbar");
        EXPECT_EQ(Text(f, 1, 5), "Beispiel 2");
        f->resize(1480, 260); // every column in the picture
        SaveArtifact(f, "project_list.png");

        ClickHeader(f, 2, Qt::LeftButton); // "Vers.": a left click does nothing
        EXPECT_EQ(Text(f, 0, 0), "beispiel1.kt4");
        ClickHeader(f, 2, Qt::RightButton);
        EXPECT_EQ(Text(f, 0, 0), "kaputt.kt4"); // its empty version first
        EXPECT_EQ(Text(f, 0, 4), "nicht lesbar");
        EXPECT_EQ(grid.Cell(0, 1), "kaputt.kt4");
        f->findChild<QPushButton*>("Button_cancel")->click();
    });
    form.ShowGrid(grid);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(grid.SelectedRow, 0);
}

TEST_F(ShellForms, AClickOnAnotherRowChoosesIt)
{
    TForm_preview form;
    WhenShown<TForm_preview>([&](TForm_preview* f) { ClickCell(f, 1, 3); });
    form.ShowGrid(grid);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(grid.SelectedRow, 2);

    WhenShown<TForm_preview>([&](TForm_preview* f) {
        ClickCell(f, 1, 0); // the chosen row again: the list stays
        EXPECT_TRUE(f->isVisible());
        QTest::keyClick(Table(f), Qt::Key_Down); // the keyboard only moves
        EXPECT_TRUE(f->isVisible());
        QTest::keyClick(Table(f), Qt::Key_Return); // Enter chooses
    });
    form.ShowGrid(grid);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(grid.SelectedRow, 3);
}

TEST_F(ShellForms, SearchHelpAndExport)
{
    TForm_preview form;
    WhenShown<TForm_preview>([&](TForm_preview* f) {
        f->activateWindow();
        QTableWidget* t = Table(f);
        WhenShown<TForm_Suchen>([&](TForm_Suchen* s) {
            s->findChild<QLineEdit*>("Edit_suchbegriff")->setText("Beispiel");
            SaveArtifact(s, "search_dialog.png");
            QTest::keyClick(s->findChild<QLineEdit*>("Edit_suchbegriff"), Qt::Key_Return);
        });
        QTest::keyClick(t, Qt::Key_F, Qt::ControlModifier);
        EXPECT_EQ(t->currentRow(), 0);
        EXPECT_EQ(t->currentColumn(), 5); // "Beispiel 1"; "beispiel1.kt4" differs in case
        EXPECT_TRUE(QTest::qWaitForWindowActive(f)); // back from the search dialog
        QTest::keyClick(t, Qt::Key_F3);
        EXPECT_EQ(t->currentRow(), 1);
        QTest::keyClick(t, Qt::Key_F3);
        EXPECT_EQ(t->currentRow(), 1);
        ASSERT_FALSE(Logged("message").empty());
        EXPECT_NE(Logged("message").back().find("Beispiel not found."), std::string::npos);
        EXPECT_TRUE(f->isVisible());

        f->findChild<QPushButton*>("Button_help")->click();
        ASSERT_FALSE(Logged("help").empty());
        EXPECT_NE(Logged("help").back().find("Projektdateien"), std::string::npos);

        f->findChild<QAction*>("mi_fileExportExcel")->trigger();
        ASSERT_EQ(Logged("opendoc").size(), 1u);
        std::string csv = Logged("opendoc")[0].substr(Logged("opendoc")[0].rfind('|') + 1);
        EXPECT_EQ(fs::path(csv).filename().string().substr(0, 5), "list-");
        shelltest::CopyArtifact(csv, "project_list.csv");
        f->findChild<QAction*>("mi_fileExit")->trigger();
    });
    form.ShowGrid(grid);
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(ShellForms, AboutBox)
{
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), "KT4");
    auto label = [&](const char* name) { return box.findChild<QLabel*>(name)->text().toStdString(); };
    EXPECT_EQ(label("ProductName"), "Version 1.1 f\xC3\xBCr Linux");
    EXPECT_EQ(label("Label_extended"), "Exzentergetriebe  KT4");
    EXPECT_EQ(label("Label_fileversion").rfind("File Version : 1.1", 0), 0u);
    EXPECT_EQ(label("Label_sonderversion"), "");
    EXPECT_FALSE(label("Comments").empty());
    EXPECT_FALSE(label("Label_owner").empty());
    box.show();
    SaveArtifact(&box, "about_box.png");
    box.findChild<QPushButton*>("OKButton")->click();
    EXPECT_FALSE(box.isVisible());
}

} // namespace
