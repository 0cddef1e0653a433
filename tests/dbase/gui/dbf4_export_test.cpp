// What the browser writes for other programs (the HTML page and the
// delimited text, read back by Python in tests/dbase/extra_browser.sh) and
// its pictures for a reviewer, all in build-test/artifacts.
#include "browser_fixture.h"
#include "common/no_opener.h"
#include "peer_tools.h"

#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/report.h"

#include <QMenuBar>
#include <QPainter>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace kt4::dbase::test {
namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The form with its caption above it (a grab shows no window frame).
void SaveWithCaption(QWidget* form, const std::string& path)
{
    QApplication::processEvents();
    const QImage body = form->grab().toImage();
    QImage image(body.width(), body.height() + 24, QImage::Format_RGB32);
    image.fill(QColor(0, 60, 130));
    QPainter p(&image);
    p.setPen(Qt::white);
    QFont f = QApplication::font();
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(8, 0, image.width() - 16, 24), Qt::AlignVCenter | Qt::AlignLeft, form->windowTitle());
    p.drawImage(0, 24, body);
    p.end();
    EXPECT_TRUE(image.save(QString::fromStdString(path)));
}

class BrowserExport : public BrowserTest {
protected:
    // NAME C12, TEXT C30, DI N8.2, OK L, DAY D; texts in the engine's code
    // page, stored as code page 850; record 3 deleted.
    void ExportTable(const std::string& path)
    {
        ASSERT_TRUE(SetCreateVersion(0x83));
        ASSERT_TRUE(CreateDbf(path, {{"NAME", 'C', 12, 0}, {"TEXT", 'C', 30, 0}, {"DI", 'N', 8, 2},
                                     {"OK", 'L', 1, 0}, {"DAY", 'D', 8, 0}}));
        ASSERT_TRUE(USE(path + " EXCLUSIVE"));
        const struct {
            const char* name;
            std::string text;
            double di;
            bool ok;
            const char* day;
        } rows[] = {{"6206", "<b>& fett", 30, true, "17.05.2024"},
                    {"6004", "Zoll \"3/4\", Ma\xDF", 20, false, ""},
                    {"16005", "gel\xF6scht, alt", 25, true, "01.01.2000"},
                    {"6204", "Gr\xF6\xDF" "e \xC4\xD6\xDC \xE4\xF6\xFC", 20, false, "31.12.1999"}};
        for (const auto& r : rows) {
            ClearRecord();
            Buffer().SetText(1, r.name);
            Buffer().SetText(2, r.text);
            Buffer().SetNumber(3, r.di);
            Buffer().SetLogical(4, r.ok);
            if (*r.day)
                Buffer().SetText(5, r.day);
            ASSERT_TRUE(Append());
        }
        GO(3);
        ASSERT_TRUE(DeleteRec());
        USE("");
    }
};

TEST_F(BrowserExport, HtmlAndDelimitedExportsForTheReaders)
{
    const std::string table = Path("dbf/export.dbf");
    ExportTable(table);
    // The stored bytes are code page 850 (ä is 0x84).
    EXPECT_NE(ReadText(table).find("\x84\x94\x81"), std::string::npos);
    Open("export");
    DbfMakeIndex("NAME", "exportname");
    Show(0);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"16005", "6004", "6204", "6206"}));
    const std::string htm = ArtifactPath("tdbf4_export.htm");
    const std::string txt = ArtifactPath("tdbf4_export.txt");
    ui->Script(ArtifactPath("tdbf4_export")); // the dialog adds ".htm"
    Trigger("mi_fileExportHtml");
    EXPECT_NE(Logged("save").back().find("HTML files|*.HTM;*.HTML|All files|*.*|export"), std::string::npos);
    EXPECT_EQ(Logged("opendoc").back(), "opendoc||" + htm);
    const std::string html = ReadText(htm);
    EXPECT_NE(html.find("<head><meta charset=\"utf-8\"><title>tdbf4_export</title></head>"), std::string::npos);
    EXPECT_NE(html.find("<BODY BGCOLOR=\"C0C0C0\">"), std::string::npos);
    EXPECT_NE(html.find("<TABLE BORDER = \"1\" WIDTH= \"100%\">"), std::string::npos);
    EXPECT_NE(html.find("<TD>&lt;b&gt;&amp; fett"), std::string::npos);
    EXPECT_NE(html.find("Zoll &quot;3/4&quot;, Maß"), std::string::npos);
    EXPECT_NE(html.find("Größe ÄÖÜ äöü"), std::string::npos);
    // Record order, the deleted record included, the index ignored.
    EXPECT_LT(html.find("6206"), html.find("6004"));
    EXPECT_LT(html.find("6004"), html.find("16005"));
    EXPECT_LT(html.find("16005"), html.find("6204"));
    // A configured browser is started with the file as its argument.
    settings::HtmlBrowser = "firefox";
    ui->Script(htm);
    Trigger("mi_fileExportHtml");
    EXPECT_EQ(Logged("start").back(), "start|firefox| " + htm);
    settings::HtmlBrowser.clear();
    // No desktop opener: the box says the page was written, and where.
    ui = kt4::testing::UseNoOpener();
    ui->Script(htm);
    Trigger("mi_fileExportHtml");
    EXPECT_EQ(Logged("error"), std::vector<std::string>{});
    EXPECT_EQ(Logged("message"), std::vector<std::string>{"message|Meldung:|" + WrittenNotOpenedText(htm)});
    ui = &UseHeadlessUi();

    ui->Script(txt);
    Trigger("mi_fileSaveAsDelimited");
    // the delimited copy follows the index, as COPY TO does
    EXPECT_EQ(ReadText(txt).substr(0, 16), "\"16005\",\"gel\xF6sch");
    EXPECT_EQ(Logged("error").size(), 0u);
    DbfClose();
    std::filesystem::copy_file(table, ArtifactPath("tdbf4_export.dbf"),
                               std::filesystem::copy_options::overwrite_existing);
}

// An export named as a file the engine holds open (the table, its memo
// file, its index, the semaphore file of its shared indexes) or as the
// project file writes nothing and says what the
// target is; once the table is closed, its name is an export's like any.
TEST_F(BrowserExport, NoExportIsWrittenOverAnOpenFile)
{
    Catalogue("w", SampleRows());
    Open("w");
    DbfMakeIndex("NAME", "wname");
    const std::string table = Path("dbf/w.dbf"), project = Path("p.kt4");
    WriteBytes(project, {'k', 't', '4'});
    settings::CurrentFileName = "p";
    NoteProjectFile(project);
    Show(0);
    const struct {
        const char* action;
        std::string file;
        const char* what;
    } cases[] = {{"mi_fileExportHtml", table, "eine geöffnete Tabelle"},
                 {"mi_fileSaveAsDelimited", Path("dbf/w.dbt"), "die Memodatei einer geöffneten Tabelle"},
                 {"mi_fileSaveAsDelimited", DbfTempPath("wname") + ".ndx", "ein Index einer geöffneten Tabelle"},
                 {"mi_fileExportHtml", Path("dbf/w.@S@"), "die Semaphordatei einer geöffneten Tabelle"},
                 {"mi_fileExportHtml", project, "die Projektdatei"}};
    for (const auto& c : cases) {
        const std::string before = ReadText(c.file);
        ui->ClearLog();
        ui->Script(c.file);
        Trigger(c.action);
        EXPECT_EQ(Logged("error"), std::vector<std::string>{"error|Fehler : |Ziel ist " + std::string(c.what) +
                                                             ": " + c.file + " wurde nicht geschrieben."});
        EXPECT_EQ(ReadText(c.file), before) << c.file;
    }
    EXPECT_EQ(Model()->rowCount(), 5);
    DbfClose();
    settings::AbortFlag = false;
    EXPECT_TRUE(CheckDialogOutputFile(table));
}

TEST_F(BrowserExport, AnHtmlFileThatCannotBeWrittenIsReported)
{
    Catalogue("w", SampleRows());
    Open("w");
    Show(0);
    std::filesystem::create_directories(Path("folder.htm"));
    ui->Script(Path("folder.htm"));
    Trigger("mi_fileExportHtml");
    ASSERT_EQ(Logged("error").size(), 1u);
    EXPECT_TRUE(Logged("opendoc").empty());
}

// A table of another program in Windows ANSI (python3-dbf, marked cp1252)
// shows its umlauts, and the browser's Append dbf brings them into an OEM
// table of ours in code page 850.
TEST_F(BrowserTest, AWindowsAnsiTableShowsRightAndAppendsIntoOem)
{
    REQUIRE_PYTHON("dbf", "python3-dbf");
    const std::string ansi = Path("dbf/ansi.dbf");
    ToolRun run = Python(R"(
import sys, dbf
t = dbf.Table(sys.argv[1], 'NAME C(12); DI N(8,2); ORT C(20)', dbf_type='db3', codepage='cp1252')
t.open(dbf.READ_WRITE)
for row in (('Müller', 20, 'Düsseldorf'), ('Größe ÄÖÜ', 25, 'Köln'), ('Straße', 12.5, 'Zürich')):
    t.append(row)
t.close()
)",
                         {ansi});
    ASSERT_EQ(run.status, 0) << run.out;
    Open("ansi");
    Show(0);
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"Müller", "Größe ÄÖÜ", "Straße"}));
    EXPECT_EQ(Cell(1, 2).data().toString(), "Köln");
    SaveWithCaption(form, ArtifactPath("tdbf4_ansi_table.png"));
    DbfClose();

    Catalogue("oem", SampleRows());
    Open("oem");
    Show(0);
    ui->Script(ansi);
    Trigger("mi_fileAppenddbf");
    EXPECT_EQ(Model()->rowCount(), 8);
    EXPECT_EQ(Cell(7, 0).data().toString(), "Straße");
    DbfClose();
    const std::string stored = ReadText(Path("dbf/oem.dbf"));
    for (const char* oem : {"M\x81ller", "Gr\x94\xE1" "e \x8E\x99\x9A", "Stra\xE1" "e"})
        EXPECT_NE(stored.find(oem), std::string::npos) << oem;
    EXPECT_EQ(stored[29], 0); // our table keeps its mark
    EXPECT_EQ(ReadText(ansi)[29], 3);

    // A character the Windows table cannot hold is refused naming the field,
    // the table and the page; its "€" prints as "?", said once, and stops an
    // append into OEM.
    Open("ansi");
    Show(0);
    ui->ClearLog();
    EXPECT_FALSE(Model()->setData(Cell(0, 0), "\u03A9-Welle"));
    ASSERT_EQ(Logged("error").size(), 1u);
    EXPECT_EQ(Logged("error")[0], "error|Fehler : |Zeichen nicht darstellbar: \u03A9 im Feld NAME von " +
                                      DbfShownFile() + " (Codepage 1252)");
    EXPECT_TRUE(Model()->setData(Cell(0, 0), "5 € Müller"));
    Model()->LeaveRecord();
    EXPECT_EQ(Cell(0, 0).data().toString(), "5 € Müller");
    settings::TextDevice = DevFile;
    settings::TextDeviceDialog = false;
    ui->Script(Path("ansi.txt"));
    Trigger("mi_filePrint");
    EXPECT_NE(ReadText(Path("ansi.txt")).find("5 ? M\x81ller"), std::string::npos);
    EXPECT_EQ(Logged("message").size(), 1u);
    DbfClose();
    Open("oem");
    Show(0);
    ui->ClearLog();
    ui->Script(ansi);
    Trigger("mi_fileAppenddbf");
    EXPECT_EQ(Model()->rowCount(), 8);
    ASSERT_EQ(Logged("error").size(), 1u);
    EXPECT_NE(Logged("error")[0].find("€ (Codepage 850), Datensatz 1, Feld NAME"), std::string::npos)
        << Logged("error")[0];
}

// A table of 1,000,001 records at the initial size: the record number box
// and the count hold seven digits beside the buttons, and the title, in the
// menu bar's row, is elided with a tooltip when it is too long for it.
TEST_F(BrowserTest, SevenDigitRecordCountsFitTheTopRow)
{
    ASSERT_TRUE(SetCreateVersion(0x83));
    const std::string path = Path("dbf/million.dbf");
    ASSERT_TRUE(CreateDbf(path, {{"NAME", 'C', 8, 0}}));
    {
        const std::int32_t count = 1000001;
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4);
        const char le[4] = {char(count & 0xFF), char((count >> 8) & 0xFF), char((count >> 16) & 0xFF), 0};
        f.write(le, 4);
        char header[2];
        f.seekg(8);
        f.read(header, 2);
        f.seekp(std::uint8_t(header[0]) | std::uint8_t(header[1]) << 8);
        std::string records;
        for (std::int32_t n = 1; n <= count; ++n) {
            char rec[10];
            std::snprintf(rec, sizeof rec, " %08d", n);
            records.append(rec, 9);
        }
        f.write(records.data(), std::streamsize(records.size()));
    }
    Open("million");
    const QString title = "Rillenkugellager nach DIN 625 mit Deckscheiben und Dichtscheiben aus Nitrilkautschuk";
    DbfSetTitles("Rillenkugellager", title.toStdString());
    Show(0);
    EXPECT_EQ(form->size(), QSize(656, 464));
    Grid()->setFocus();
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Table().RecNo(), 1000001);
    EXPECT_EQ(form->Edit_recno->text(), "1000001");
    EXPECT_EQ(form->Label_reccount->text(), "/1000001");
    QLineEdit* box = form->Edit_recno;
    QLabel* count = form->Label_reccount;
    EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance("1000001") + 8);
    EXPECT_GE(count->width(), count->fontMetrics().horizontalAdvance(count->text()));
    EXPECT_LE(box->geometry().right(), count->x());
    EXPECT_LT(count->geometry().right(), form->Button_search->x());
    QLabel* heading = form->Label_title2;
    EXPECT_TRUE(heading->isVisible());
    EXPECT_LE(heading->geometry().bottom(), form->MainMenu1->geometry().bottom());
    EXPECT_LE(heading->geometry().right(), form->width());
    EXPECT_GT(heading->width(), heading->fontMetrics().horizontalAdvance(title) / 2);
    EXPECT_LT(heading->width(), heading->fontMetrics().horizontalAdvance(title));
    EXPECT_EQ(heading->text(), title);
    EXPECT_EQ(heading->toolTip(), title);
    SaveWithCaption(form, ArtifactPath("tdbf4_million.png"));
}

TEST_F(BrowserTest, ScreenshotsOfBothKinds)
{
    Catalogue("rikula", SampleRows());
    Open("rikula");
    Show(0);
    ClickCell(2, 1);
    SaveWithCaption(form, ArtifactPath("tdbf4_edit.png"));
    Show(1);
    ClickCell(1, 0);
    SaveWithCaption(form, ArtifactPath("tdbf4_select.png"));
    EXPECT_EQ(form->Label_title2->text(), "Rillenkugellager");
}

} // namespace
} // namespace kt4::dbase::test
