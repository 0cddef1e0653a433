// The main window's items for the project list, the spreadsheet link, the
// tour, the web links and the about box, and the clean-up when it closes.
// Leaves the spreadsheet files of the example project in build-test/artifacts.
#include "gui_helpers.h"
#include "shell_fixture.h"

#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "foundation/numstr.h"
#include "foundation/report.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "shell/gui/about_box_form.h"
#include "shell/gui/hh.h"
#include "shell/gui/preview_form.h"

#include <QAction>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <filesystem>
#include <memory>

using namespace kt4;
using namespace kt4::shell::gui;
using namespace settings;
using kt4::shelltest::WhenShown;

namespace {

namespace fs = std::filesystem;

class MenuItems : public shelltest::ShellTest {
protected:
    void SetUp() override
    {
        shelltest::ShellTest::SetUp();
        PltDir = dir.Path(); // no start picture
        fs::copy_file(std::string(KT4_DATA_DIR) + "/beispiel2.kt4", dir.File("beispiel2.kt4"));
        w = shelltest::OpenMainWindow();
    }
    void TearDown() override
    {
        w.reset();
        shelltest::ShellTest::TearDown();
    }

    void Trigger(const char* item)
    {
        QAction* a = w->Item(item);
        ASSERT_NE(a, nullptr) << item;
        EXPECT_TRUE(a->isEnabled()) << item;
        a->trigger();
    }

    std::string LastOpened(const char* kind = "opendoc") const
    {
        auto entries = Logged(kind);
        return entries.empty() ? "" : entries.back().substr(entries.back().rfind('|') + 1);
    }

    std::unique_ptr<Thh> w;
};

TEST_F(MenuItems, EachItemRunsItsCommand)
{
    EXPECT_FALSE(w->Item("mi_OleExportExcel")->isEnabled());
    EXPECT_FALSE(w->Item("mi_OleImportExcel")->isEnabled());

    // File > Open (table): the list, a click on the example opens it
    int shown = 0;
    WhenShown<TForm_preview>([&](TForm_preview* f) {
        ++shown;
        QTableWidget* t = f->findChild<QTableWidget*>("StringGrid1");
        ASSERT_EQ(t->rowCount(), 1);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(t->item(0, 0)).center());
        WhenShown<TForm_preview>([&](TForm_preview* again) {
            ++shown;
            again->findChild<QPushButton*>("Button_ok")->click();
        });
    });
    Trigger("mi_fileopentable");
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(CurrentFileName, "beispiel2");
    EXPECT_EQ(drive::i, -16);
    EXPECT_NE(w->windowTitle().toStdString().find("beispiel2"), std::string::npos);

    // OLE: Start enables the export; the import stays off
    Trigger("mi_OleStartExcel");
    EXPECT_TRUE(w->Item("mi_OleExportExcel")->isEnabled());
    EXPECT_FALSE(w->Item("mi_OleImportExcel")->isEnabled());
    Trigger("mi_OleExportExcel");
    ASSERT_EQ(fs::path(LastOpened()).filename().string().substr(0, 10), "beispiel2-");
    shelltest::CopyArtifact(LastOpened(), "project_data.csv");
    Trigger("mi_OlePrintoutExcel");
    ASSERT_EQ(fs::path(LastOpened()).filename().string().substr(0, 9), "printout-");
    shelltest::CopyArtifact(LastOpened(), "printout.csv");
    shelltest::CopyArtifact(TxtDeviceCopyName(OutputFileCounter), "printout.txt");
    // the same under "English x.xx", for the office suite's check (extra.sh)
    ExcelDecimalPoint = 1;
    Trigger("mi_OleExportExcel");
    shelltest::CopyArtifact(LastOpened(), "project_data_en.csv");
    Trigger("mi_OlePrintoutExcel");
    shelltest::CopyArtifact(LastOpened(), "printout_en.csv");
    shelltest::CopyArtifact(TxtDeviceCopyName(OutputFileCounter), "printout_en.txt");
    ExcelDecimalPoint = 2;

    // Help: links, about box, tour
    Trigger("mi_helpwww");
    EXPECT_EQ(LastOpened("openurl"), "https://www.velmora.example/");
    Trigger("mi_helphistory");
    EXPECT_EQ(LastOpened("openurl"), "https://www.velmora.example/kt4_d.htm");
    Trigger("mi_helpemail");
    EXPECT_EQ(LastOpened("openurl"), "mailto:support@velmora.example?subject=KT4%20V1.1");
    EXPECT_EQ(w->Item("mi_helphistory")->text(), "KT4 Info (www)");

    bool about = false;
    WhenShown<TAboutBox>([&](TAboutBox* box) {
        about = true;
        box->findChild<QPushButton*>("OKButton")->click();
    });
    Trigger("mi_HelpAbout");
    EXPECT_TRUE(about);

    Trigger("mi_helpDemo"); // nothing scripted: the introduction is cancelled
    EXPECT_EQ(Logged("okcancel").size(), 1u);
    EXPECT_FALSE(DemoRunning);
}

TEST_F(MenuItems, ClosingRemovesThePrivateFolderOnly)
{
    dir.Put("$LOGO_2.dx$", "logo");
    const std::string blocks = PrivateTempSubdir("blocks");
    ASSERT_FALSE(blocks.empty());
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(fs::exists(blocks));
    EXPECT_FALSE(PrivateTempDirExists());
    EXPECT_EQ(dir.Get("$LOGO_2.dx$"), "logo");
}

} // namespace
