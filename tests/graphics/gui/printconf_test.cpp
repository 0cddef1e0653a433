// The print form on the offscreen platform, driven by its control names:
// captions, the values by CadLogoMode, Cancel, the refusals, prints into
// PDF files (read back with poppler's tools), the whole page of a zoomed
// window, the untouched settings of an OK without edits, a layout loaded
// from the table, and targets that keep their old file.
#include "layout_fixture.h"
#include "gui/pdf_check.h"

#include "foundation/dialogs.h"
#include "foundation/gui/pdf_file.h"
#include "foundation/numstr.h"
#include "graphics/graph_device.h"
#include "graphics/gui/fvelmgra.h"
#include "graphics/gui/printconf_form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>
#include <memory>
#include <optional>

namespace kt4::graphics::test {
namespace {

void DrawPage(TGraphWindow& w)
{
    w.Clear();
    w.Header(0, 0, 160, 120);
    w.SetColor(12);
    w.Rectangle(10, 10, 150, 110);
    w.SetColor(10);
    w.Solid(20, 20, 60, 20, 60, 50, 20, 50);
    w.SetColor(9);
    w.circle(100, 60, 25);
    w.SetTextStyle(0, 0, 5, 4);
    w.OutTextXY(20, 90, "Ausdruck");
}

class PrintForm : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        window = std::make_unique<TFvelmgra>();
        DrawPage(*window);
        settings::CurrentFileName = dir.File("getriebe.kt4");
    }
    void TearDown() override
    {
        window.reset();
        LayoutTest::TearDown();
    }

    std::unique_ptr<TForm_printconf> Open()
    {
        auto f = std::make_unique<TForm_printconf>(*window);
        f->show();
        QApplication::processEvents();
        return f;
    }
    template <class W = QWidget>
    static W* Find(TForm_printconf& f, const char* name)
    {
        W* w = f.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static void Set(TForm_printconf& f, const char* edit, const char* text)
    {
        Find<QLineEdit>(f, edit)->setText(text);
    }
    static void Click(TForm_printconf& f, const char* button)
    {
        Find<QAbstractButton>(f, button)->click();
        QApplication::processEvents();
    }
    // Prints into the PDF file name (through the printer, not asked for).
    static void ToPdf(TForm_printconf& f, const std::string& path)
    {
        f.Printer().setOutputFormat(QPrinter::PdfFormat);
        f.Printer().setOutputFileName(QString::fromStdString(path));
    }
    static Real Number(const QLineEdit* e)
    {
        Real x = -1;
        EXPECT_TRUE(TryStrToReal(e->text().toStdString(), x)) << e->text().toStdString();
        return x;
    }

    std::unique_ptr<TFvelmgra> window;
};

TEST_F(PrintForm, ControlsByNameWithTheirCaptions)
{
    auto f = Open();
    EXPECT_EQ(f->windowTitle(), "Ausdruck");
    const std::pair<const char*, const char*> texts[] = {
        {"Label_scalex", "Maßstab x"},   {"Label_scaley", "Maßstab y"},
        {"Label_xorigin", "Ursprung x"}, {"Label_yorigin", "Ursprung y"},
        {"CheckBox_umrandung", "Umrandung"}, {"CheckBox_anpassen", "anpassen"},
        {"Button_printer", "Drucker..."}, {"Button_db", "Datenbank"},
        {"Button_append", "Ü&bernehmen Datenbank"}, {"Button_ok", "OK"},
        {"Button_cancel", "Abbrechen"},  {"Button_help", "&Hilfe"},
    };
    for (const auto& [name, text] : texts) {
        QWidget* w = Find(*f, name);
        const QString shown = qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text()
                                                         : qobject_cast<QAbstractButton*>(w)->text();
        EXPECT_EQ(shown.toStdString(), text) << name;
    }
    for (const char* edit : {"Edit_scalex", "Edit_scaley", "Edit_xorigin", "Edit_yorigin"})
        Find<QLineEdit>(*f, edit);
    Find<QLabel>(*f, "Label_printer");
    const std::pair<const char*, std::vector<std::string>> groups[] = {
        {"RadioGroup_printmono", {"Schattierung", "Monochrom", "Color / Graustufen"}},
        {"RadioGroup_hochquer", {"Ausdruck", "Hochformat", "Querformat"}},
    };
    for (const auto& [name, captions] : groups) {
        auto* g = Find<QGroupBox>(*f, name);
        std::vector<std::string> seen{g->title().toStdString()};
        for (auto* b : g->findChildren<QRadioButton*>())
            seen.push_back(b->text().toStdString());
        EXPECT_EQ(seen, captions);
    }
    EXPECT_TRUE(Find<QPushButton>(*f, "Button_ok")->isDefault());
    Click(*f, "Button_help");
    EXPECT_TRUE(Told("help|")) << "help text 1030";
    QDir().mkpath(KT4_ARTIFACT_DIR);
    EXPECT_TRUE(f->grab().save(QString(KT4_ARTIFACT_DIR) + "/print_form.png"));
}

TEST_F(PrintForm, ShownValuesFollowCadLogoMode)
{
    printer::PrintScale = 0.75;
    printer::PrintScaleY = 0.5;
    printer::PrintOriginX = 5;
    printer::PrintOriginY = -3;
    printer::PrintBorder = true;
    printer::PrintOrientation = 2;
    struct Case {
        Word mode;
        double sx, sy;
        int ox, oy;
        bool border;
        int orientation;
    };
    const Case cases[] = {
        {0, 0.75, 0.5, 5, -3, true, 1}, {3, 0.75, 0.5, 5, -3, true, 1},
        {2, 1.9, 1.0, 0, 0, false, 0},  {8, 1.95, 1.05, 0, -7, false, 0},
        {5, 0.3, 0.4, 11, 12, true, 1}, // the previous print's
    };
    for (const Case& c : cases) {
        printer::CadLogoMode = c.mode;
        printer::GraphPrintScaleX = 0.3;
        printer::GraphPrintScaleY = 0.4;
        printer::GraphPrintOriginX = 11;
        printer::GraphPrintOriginY = 12;
        printer::DrawBorderLine = true;
        printer::GraphPrintOrientation = 2;
        auto f = Open();
        EXPECT_DOUBLE_EQ(double(Number(Find<QLineEdit>(*f, "Edit_scalex"))), c.sx) << c.mode;
        EXPECT_DOUBLE_EQ(double(Number(Find<QLineEdit>(*f, "Edit_scaley"))), c.sy) << c.mode;
        EXPECT_EQ(Find<QLineEdit>(*f, "Edit_xorigin")->text().toInt(), c.ox) << c.mode;
        EXPECT_EQ(Find<QLineEdit>(*f, "Edit_yorigin")->text().toInt(), c.oy) << c.mode;
        EXPECT_EQ(Find<QCheckBox>(*f, "CheckBox_umrandung")->isChecked(), c.border) << c.mode;
        EXPECT_TRUE(Find<QRadioButton>(*f, c.orientation ? "RadioGroup_hochquer_1" : "RadioGroup_hochquer_0")
                        ->isChecked())
            << c.mode;
    }
}

TEST_F(PrintForm, CancelAndTheRefusalsPrintNothing)
{
    const auto files = dir.Count();
    auto f = Open();
    Click(*f, "Button_cancel");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_FALSE(f->isVisible());

    // P1: a scale of 0 would print every figure onto one point
    f = Open();
    ToPdf(*f, dir.File("p1.pdf"));
    Set(*f, "Edit_scaley", "0");
    Click(*f, "Button_ok");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(Told("Maßstab y: Gültiger Wertebereich"));

    // P3: a PDF file that cannot be written
    Set(*f, "Edit_scaley", "1");
    ToPdf(*f, dir.File("nowhere/p3.pdf"));
    Click(*f, "Button_ok");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(Told("file write error (No such file or directory): " + dir.File("nowhere/p3.pdf") +
                     " wurde nicht geschrieben."));

    // a design the calculation refused: its messages, the picture of the
    // one before unprinted; once it calculates, it prints
    settings::AddMessage("Fatal  : dh-dp=0!");
    settings::CalcErrorFlag = true;
    ToPdf(*f, dir.File("p4.pdf"));
    Click(*f, "Button_ok");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(Told("radio|Berechnungsmodul meldet"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("p4.pdf")));
    settings::ClearMessages();
    f = Open();
    ToPdf(*f, dir.File("p4.pdf"));
    Click(*f, "Button_ok");
    EXPECT_FALSE(settings::AbortFlag);
    std::filesystem::remove(dir.File("p4.pdf"));

    // P2: nothing drawn
    window->Clear();
    ToPdf(*f, dir.File("p2.pdf"));
    Click(*f, "Button_ok");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(Told("Keine Zeichnung zum Drucken !"));
    EXPECT_EQ(dir.Count(), files);
}

TEST_F(PrintForm, TheProjectFileAndAFullDiskKeepTheOldFile)
{
    dir.Put("getriebe.kt4", "Projekt");
    NoteProjectFile(dir.File("getriebe.kt4"));
    dir.Put("alt.pdf", "alte Seite");
    std::filesystem::create_symlink(dir.File("getriebe.kt4"), dir.File("link.pdf"));
    struct Case {
        const char* file;
        rlim_t limit; // 0: none
        const char* told;
    };
    const Case cases[] = {
        {"getriebe.kt4", 0, "Ziel ist die Projektdatei: "},
        {"link.pdf", 0, "Ziel ist die Projektdatei: "},
        {"alt.pdf", 2048, "Diskette/Platte voll: "}, // the engine's writes fail unseen
        {"neu.pdf", 2048, "Diskette/Platte voll: "},
    };
    for (const Case& c : cases) {
        const auto files = dir.Count();
        const std::string before = dir.Get(c.file);
        if (c.limit) // a page that does not fit into the writer's buffer
            for (int k = 0; k < 20000; ++k)
                window->line(k % 157, (k * 37) % 119, (k * 53) % 151, (k * 71) % 113);
        auto f = Open();
        ToPdf(*f, dir.File(c.file));
        std::optional<kt4::testing::FileSizeLimit> full;
        if (c.limit)
            full.emplace(c.limit);
        Click(*f, "Button_ok");
        full.reset();
        EXPECT_TRUE(settings::AbortFlag) << c.file;
        EXPECT_TRUE(Told(c.told + dir.File(c.file) + " wurde nicht geschrieben.")) << c.file;
        EXPECT_TRUE(dir.Get(c.file) == before) << c.file; // byte for byte
        EXPECT_EQ(dir.Count(), files) << c.file; // no temporary, no new file
        // the choices stay with the form, which then prints to a good
        // target and tells nothing more
        EXPECT_EQ(f->Printer().outputFileName().toStdString(), dir.File(c.file)) << c.file;
        EXPECT_EQ(f->Printer().pageLayout().orientation(), QPageLayout::Landscape) << c.file;
        ui->ClearLog();
        ToPdf(*f, dir.File("gut.pdf"));
        Find<QRadioButton>(*f, "RadioGroup_hochquer_0")->setChecked(true);
        Click(*f, "Button_ok");
        EXPECT_FALSE(settings::AbortFlag) << c.file;
        EXPECT_TRUE(ui->Log().empty()) << c.file << ": " << (ui->Log().empty() ? "" : ui->Log().front());
        EXPECT_TRUE(kt4::gui::IsCompletePdf(dir.File("gut.pdf"))) << c.file;
        std::filesystem::remove(dir.File("gut.pdf"));
    }
}

TEST_F(PrintForm, WithoutPrintersAPdfFileIsAskedFor)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "this machine has printers";
    auto f = Open();
    EXPECT_EQ(Find<QLabel>(*f, "Label_printer")->text().trimmed(), "PDF");
    ui->Script("<cancel>");
    Click(*f, "Button_ok");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(f->isVisible());
    const std::string pdf = dir.File("gefragt.pdf");
    ui->Script(dir.File("gefragt")); // the dialog adds ".pdf"
    Click(*f, "Button_ok");
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(Told("save|PDF-Datei|" + dir.Path() + "|PDF-Dateien|*.pdf|" + dir.File("getriebe.pdf")));
    const PdfInfo info = ReadPdfInfo(pdf);
    EXPECT_EQ(info.pages, 1);
    EXPECT_EQ(info.title, settings::CurrentFileName);
}

TEST_F(PrintForm, TheWholePageOfAZoomedWindow)
{
    const int dpi = 50;
    auto print = [&](const std::string& name, bool fit) {
        auto f = Open();
        ToPdf(*f, dir.File(name));
        Find<QCheckBox>(*f, "CheckBox_anpassen")->setChecked(fit);
        Click(*f, "Button_ok");
        EXPECT_FALSE(settings::AbortFlag) << name;
        return RenderPdf(dir.File(name), dpi);
    };
    // the drawing's extent on the page, in pixels
    auto extent = [](const QImage& page) {
        QRect box;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (Ink(page.pixel(x, y)))
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    const QRect whole = extent(print("ganz.pdf", false));
    ASSERT_GT(whole.width(), 100);
    window->SetScale(100, 100, 300, 250);
    const QRect zoomed = extent(print("zoom.pdf", false));
    EXPECT_GT(zoomed.width(), whole.width() + 50);
    const QRect fitted = extent(print("angepasst.pdf", true));
    for (int k = 0; k < 4; ++k) {
        const int a[4] = {whole.left(), whole.top(), whole.right(), whole.bottom()};
        const int b[4] = {fitted.left(), fitted.top(), fitted.right(), fitted.bottom()};
        EXPECT_NEAR(b[k], a[k], 2) << k;
    }
}

TEST_F(PrintForm, OkWithoutEditsChangesNoSetting)
{
    printer::CadLogoMode = 5;
    printer::GraphPrintScaleX = 1.23456789;
    printer::GraphPrintScaleY = 0.000123;
    printer::GraphPrintOriginX = 7;
    printer::GraphPrintOrientation = 0;
    settings::WindowsPrintMode = 3;
    auto f = Open();
    EXPECT_EQ(Find<QRadioButton>(*f, "RadioGroup_printmono_0")->isChecked() ||
                  Find<QRadioButton>(*f, "RadioGroup_printmono_1")->isChecked(),
              false);
    Set(*f, "Edit_scaley", "0.5"); // the one edit
    ToPdf(*f, dir.File("c1.pdf"));
    Click(*f, "Button_ok");
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(printer::GraphPrintScaleX, 1.23456789);
    EXPECT_EQ(printer::GraphPrintScaleY, 0.5);
    EXPECT_EQ(printer::GraphPrintOriginX, 7);
    EXPECT_EQ(printer::GraphPrintOrientation, 0);
    EXPECT_EQ(settings::WindowsPrintMode, 3);
}

TEST_F(PrintForm, ALoadedLayoutShowsItsValues)
{
    auto f = Open();
    ui->Script("1"); // "Quer ganz": colour, landscape, anpassen, border
    Click(*f, "Button_db");
    EXPECT_TRUE(Find<QRadioButton>(*f, "RadioGroup_printmono_1")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>(*f, "RadioGroup_hochquer_1")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(*f, "CheckBox_anpassen")->isChecked());
    ui->Script("2");
    Click(*f, "Button_db");
    EXPECT_EQ(printer::PrintLayoutRecNo, 2);
    EXPECT_TRUE(Find<QRadioButton>(*f, "RadioGroup_printmono_0")->isChecked());
    EXPECT_EQ(Find<QLineEdit>(*f, "Edit_yorigin")->text(), "-7");
    EXPECT_DOUBLE_EQ(double(Number(Find<QLineEdit>(*f, "Edit_scaley"))), 0.8);
    ui->Script("Gespeichert");
    Click(*f, "Button_append");
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_TRUE(f->isVisible());
}

} // namespace
} // namespace kt4::graphics::test
