// File > Drucken opens the print form, and the overview page of the first
// example project printed through it into PDF files (kept in the build
// folder's artifacts/): one page in the asked orientation, never blank,
// the border where the printer mapping puts it, and no colour on a
// monochrome print.
#include "gui_helpers.h"
#include "shell_fixture.h"

#include "dbase/peer_tools.h"
#include "drawings/view_dispatcher.h"
#include "drive/drive_calc.h"
#include "foundation/printer_settings.h"
#include "graphics/gui/fvelmgra.h"
#include "graphics/gui/pdf_check.h"
#include "graphics/gui/printconf_form.h"
#include "shell/gui/hh.h"
#include "shell/menu_commands.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>

namespace {

using namespace kt4;
using namespace kt4::graphics::test;

class PrintOverview : public shelltest::ShellTest {};

TEST_F(PrintOverview, FilePrintOpensThePrintForm)
{
    // the hook as the program entry installs it; the menu of the other
    // tests goes on without it
    struct Hook {
        Hook() { shell::FormServices().printSetup = [] { graphics::ShowPrintForm(shell::gui::MainForm); }; }
        ~Hook() { shell::FormServices().printSetup = {}; }
    } hook;
    settings::PltDir = dir.Path();
    shell::gui::Thh w;
    ASSERT_FALSE(w.FormCreate().end);
    QAction* item = w.Item("mi_fileprint");
    ASSERT_TRUE(item->isEnabled());
    EXPECT_TRUE(w.Item("mi_fileConfig")->isEnabled());
    QString seen;
    QTimer::singleShot(0, [&] {
        if (QWidget* f = QApplication::activeModalWidget()) {
            seen = f->windowTitle();
            f->findChild<QAbstractButton*>("Button_cancel")->click();
        }
    });
    settings::AbortFlag = false;
    item->trigger();
    EXPECT_EQ(seen, "Ausdruck");
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(PrintOverview, FourPrintsOfTheExample)
{
    REQUIRE_TOOL("/usr/bin/pdftoppm", "poppler-utils");
    graphics::TFvelmgra window;
    ASSERT_TRUE(project::ReadDataFile(std::string(KT4_SOURCE_DIR) + "/data/beispiel1.kt4"));
    drive::CalcDrive();
    drawings::DrawView(1, 3);
    ASSERT_GT(window.DisplayList().Count(), 100u);

    struct Print {
        const char* file;
        bool colour, landscape;
        const char *scale, *ox, *oy;
    };
    const Print prints[] = {
        {"print_colour_s1.pdf", true, true, "1", "0", "0"},
        {"print_colour_s05.pdf", true, true, "0.5", "0", "0"},
        {"print_mono_o0.pdf", false, false, "0.8", "0", "0"},
        {"print_mono_o20.pdf", false, false, "0.8", "20", "10"},
    };
    const int dpi = 254; // 10 pixels to the millimetre
    for (const Print& p : prints) {
        SCOPED_TRACE(p.file);
        const std::string pdf = shelltest::ArtifactPath(p.file);
        graphics::TForm_printconf form(window);
        form.show();
        form.Printer().setOutputFormat(QPrinter::PdfFormat);
        form.Printer().setOutputFileName(QString::fromStdString(pdf));
        form.findChild<QLineEdit*>("Edit_scalex")->setText(p.scale);
        form.findChild<QLineEdit*>("Edit_scaley")->setText(p.scale);
        form.findChild<QLineEdit*>("Edit_xorigin")->setText(p.ox);
        form.findChild<QLineEdit*>("Edit_yorigin")->setText(p.oy);
        form.findChild<QAbstractButton*>(p.colour ? "RadioGroup_printmono_1" : "RadioGroup_printmono_0")
            ->setChecked(true);
        form.findChild<QAbstractButton*>(p.landscape ? "RadioGroup_hochquer_1" : "RadioGroup_hochquer_0")
            ->setChecked(true);
        form.findChild<QCheckBox*>("CheckBox_umrandung")->setChecked(true);
        form.findChild<QCheckBox*>("CheckBox_anpassen")->setChecked(true);
        form.findChild<QAbstractButton*>("Button_ok")->click();
        ASSERT_FALSE(settings::AbortFlag);

        const PdfInfo info = ReadPdfInfo(pdf);
        EXPECT_EQ(info.pages, 1);
        EXPECT_EQ(info.width > info.height, p.landscape) << info.width << " x " << info.height;
        const QImage page = RenderPdf(pdf, dpi);
        ASSERT_FALSE(page.isNull());
        EXPECT_GT(CountPixels(page, Ink), 20000) << "a blank page";
        const FrameMm frame = ExpectedFrame(form.Printer().pageLayout(), std::atof(p.scale),
                                            std::atof(p.scale), std::atoi(p.ox), std::atoi(p.oy));
        const auto off = FrameOffsets(page, dpi, frame);
        for (int k = 0; k < 4; ++k)
            EXPECT_LE(off[std::size_t(k)], 0.5) << "edge " << k << " (left, top, right, bottom)";
        if (p.colour)
            EXPECT_GT(CountPixels(page, Coloured), 1000);
        else
            EXPECT_EQ(CountPixels(page, Coloured), 0);
    }
}

} // namespace
