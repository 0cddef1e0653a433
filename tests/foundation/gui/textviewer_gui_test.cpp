// The report viewer with a report, its menus, and printing text to PDF
// (never over the project file, never a part of a page over an old file).
#include "foundation/codepage.h"
#include "foundation/gui/qt_ui.h"
#include "foundation/gui/showtextfile.h"
#include "foundation/report.h"
#include "foundation/textprint.h"

#include "gui_helpers.h"
#include "output_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <cstdio>
#include <memory>
#include <optional>

using namespace kt4;
using namespace kt4::gui;
using kt4::testing::Find;
using kt4::testing::ModalScript;

namespace {

class Viewer : public kt4::testing::OutputTest {
protected:
    // A two-page report on device 8: OUTDOS.TXT (OEM) and outwin.txt.
    void WriteReport()
    {
        settings::LinesPerPage = 30;
        SetReportHeader("Berechnung", "Projekt Getriebe", "", "", "", 0);
        OpenReport(DevOutDos, "demo");
        ReportPageHeader(0, 1);
        ReportRow4("Gr\x94\xE1" "e", "d", "mm", "12.5");
        for (int k = 1; k <= 12; ++k)
            ReportRow4("Zeile " + std::to_string(k), "x", "mm", std::to_string(k));
        CloseReport();
    }
};

// Runs a program and returns what it wrote.
std::string Run(const std::string& command)
{
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> p(::popen(command.c_str(), "r"), ::pclose);
    if (!p)
        return out;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p.get()))
        out.append(buf, n);
    return out;
}

int PdfPages(const std::string& pdf)
{
    std::string info = Run("pdfinfo '" + pdf + "' 2>&1");
    auto at = info.find("Pages:");
    EXPECT_NE(at, std::string::npos) << "pdfinfo (poppler-utils) missing or failed: " << info;
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

std::string PdfText(const std::string& pdf) { return Run("pdftotext -layout '" + pdf + "' - 2>&1"); }

} // namespace

TEST_F(Viewer, ShowsTheReportWithMenusAndFont)
{
    WriteReport();
    TForm_showtextfile form;
    form.FileName = TempFile("outwin.txt");
    form.PrintFileName = dir.File("OUTDOS.TXT");
    form.FormShow();
    auto* memo = Find<QPlainTextEdit>(&form, "Memo1");
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_TRUE(memo->toPlainText().contains("Größe"));
    EXPECT_TRUE(memo->toPlainText().contains("Zeile 12"));
    EXPECT_EQ(form.windowTitle(), "KT4    " + QString::fromStdString(TempFile("outwin.txt")));
    EXPECT_TRUE(memo->font().fixedPitch());
    EXPECT_EQ(memo->font().pointSize(), 10);
    EXPECT_TRUE(memo->font().bold() && memo->font().italic()); // style 3
    EXPECT_EQ(Find<QAction>(&form, "mi_dateiExportNotepad")->text(), "Export &Notepad");
    EXPECT_FALSE(Find<QAction>(&form, "ExportWordpad1")->isVisible());
    EXPECT_EQ(Find<QAction>(&form, "mi_DateiDrucken")->text(), "&Drucken...");
    EXPECT_EQ(Find<QAction>(&form, "mi_EditMarkAll")->text(), "Alles aus&wählen");

    form.mi_EditMarkAll->trigger();
    form.mi_EditCopy->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), memo->toPlainText());

    form.mi_dateiExportNotepad->trigger();
    EXPECT_EQ(Logged("opendoc").back(), "opendoc||" + TempFile("outwin.txt"));
    form.mi_DateiDrucken->trigger();
    // the file device writes no form feeds: one long page
    EXPECT_EQ(Logged("print").back(), "print|" + dir.File("OUTDOS.TXT") + "|1..1");
    // a print refused before (its abort flag still set) does not end the next
    const auto prints = Logged("print").size();
    settings::AbortFlag = true;
    form.mi_DateiDrucken->trigger();
    EXPECT_EQ(Logged("print").size(), prints + 1);
    EXPECT_TRUE(settings::AbortFlag); // the report output's flag as it was
}

TEST_F(Viewer, EnterClosesOnlyDuringTheTour)
{
    dir.Put("outwin.txt", "Text\r\n");
    TForm_showtextfile form;
    form.FileName = dir.File("outwin.txt");
    form.FormShow();
    form.show();
    QTest::keyClick(form.Memo1, Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    settings::DemoRunning = true;
    QTest::keyClick(form.Memo1, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(Viewer, PlaceIsKeptAndAMissingFileIsTold)
{
    printer::TextWindowRect[3] = 0;
    {
        TForm_showtextfile form;
        EXPECT_EQ(form.size(), QSize(630, 520));
        form.FileName = dir.File("fehlt.txt");
        form.FormShow();
        EXPECT_TRUE(form.Memo1->toPlainText().isEmpty());
        EXPECT_NE(Logged("message").back().find("fehlt.txt not found !"), std::string::npos);
        form.show();
        form.setGeometry(50, 60, 500, 400);
        form.mi_dateiBeenden->trigger();
    }
    EXPECT_EQ(printer::TextWindowRect[3], 500);
    EXPECT_EQ(printer::TextWindowRect[4], 400);
    TForm_showtextfile again;
    EXPECT_EQ(again.size(), QSize(500, 400));
}

TEST_F(Viewer, ScreenDeviceOpensTheViewerModally)
{
    UseQtUi();
    ModalScript script;
    QString shown;
    script.Then([&](QWidget* w) {
        shown = Find<QPlainTextEdit>(w, "Memo1")->toPlainText();
        Find<QAction>(w, "mi_dateiBeenden")->trigger();
    });
    OpenReport(DevScreen, "demo");
    ReportLine("Bildschirmausgabe \x84");
    CloseReport();
    EXPECT_TRUE(shown.contains("Bildschirmausgabe ä"));
    EXPECT_EQ(script.Left(), 0u);
}

TEST_F(Viewer, PrintingAPageRangeToPdf)
{
    std::string text;
    for (const char* page : {"eins", "zwei", "drei"}) {
        for (int k = 0; k < 5; ++k)
            text += std::string("Seite ") + page + " Zeile " + std::to_string(k) + "\r\n";
        text += "\f\r\n";
    }
    dir.Put("bericht.txt", text);
    QtUi& qt = UseQtUi();
    qt.printOptions = {false, dir.File("bereich.pdf")};
    ASSERT_TRUE(qt.PrintTextFile(dir.File("bericht.txt"), 2, 3));
    EXPECT_EQ(PdfPages(dir.File("bereich.pdf")), 2);
    std::string pdf = PdfText(dir.File("bereich.pdf"));
    EXPECT_EQ(pdf.find("Seite eins"), std::string::npos);
    auto two = pdf.find("Seite zwei Zeile 4"), three = pdf.find("Seite drei Zeile 0");
    ASSERT_NE(two, std::string::npos);
    ASSERT_NE(three, std::string::npos);
    EXPECT_LT(two, pdf.find('\f'));  // page 2 on the first sheet
    EXPECT_GT(three, pdf.find('\f')); // page 3 on the second
}

TEST_F(Viewer, APdfThatCannotBeWrittenWholeKeepsTheOldFile)
{
    dir.Put("bericht.txt", "Seite eins\r\n");
    dir.Put("getriebe.kt4", "Projekt");
    settings::CurrentFileName = dir.File("getriebe.kt4");
    NoteProjectFile(dir.File("getriebe.kt4"));
    dir.Put("alt.pdf", "alte Seite");
    struct Case {
        const char* file;
        rlim_t limit; // 0: none
        const char* told;
    };
    const Case cases[] = {
        {"getriebe.kt4", 0, "Ziel ist die Projektdatei: "},
        {"alt.pdf", 2048, "Diskette/Platte voll: "},
        {"neu-ä.pdf", 2048, "Diskette/Platte voll: "},
    };
    QtUi& qt = UseQtUi();
    for (const Case& c : cases) {
        qt.printOptions = {false, dir.File(c.file)};
        const auto files = dir.Count();
        const std::string before = dir.Get(c.file);
        std::string told;
        ModalScript script;
        script.Then([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            told = box->text().toStdString();
            box->accept();
        });
        std::optional<kt4::testing::FileSizeLimit> full;
        if (c.limit)
            full.emplace(c.limit);
        EXPECT_FALSE(qt.PrintTextFile(dir.File("bericht.txt"), 1, 1)) << c.file;
        full.reset();
        EXPECT_EQ(told, c.told + dir.File(c.file) + " wurde nicht geschrieben.") << c.file;
        EXPECT_TRUE(dir.Get(c.file) == before) << c.file; // byte for byte
        EXPECT_EQ(dir.Count(), files) << c.file; // no temporary, no new file
    }
}

TEST_F(Viewer, ShortReportOnThePrinterIsOnePage)
{
    QtUi& qt = UseQtUi();
    qt.printOptions = {false, dir.File("kurz.pdf")};
    OpenReport(DevPrinter, "demo");
    ReportLine("Gr\x94\xE1" "e 12 mm");
    CloseReport();
    EXPECT_EQ(PdfPages(dir.File("kurz.pdf")), 1);
    EXPECT_NE(PdfText(dir.File("kurz.pdf")).find("Größe 12 mm"), std::string::npos);
}

TEST_F(Viewer, PrinterWithLinesPerPageZero)
{
    settings::LinesPerPage = 0;
    QtUi& qt = UseQtUi();
    qt.printOptions = {false, dir.File("null.pdf")};
    SetReportHeader("Null", "", "", "", "", 0);
    OpenReport(DevPrinter, "demo");
    ReportPageHeader(0, 0);
    for (int k = 1; k <= 40; ++k)
        ReportLine("Zeile " + std::to_string(k));
    CloseReport();
    int pages = PdfPages(dir.File("null.pdf"));
    EXPECT_GE(pages, 3);
    EXPECT_LE(pages, 10);
    EXPECT_NE(PdfText(dir.File("null.pdf")).find("Zeile 40"), std::string::npos);
}
