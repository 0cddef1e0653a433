// The browser's file menu: imports from DBF and delimited files, the
// delimited export, the HTML page and the printed table.
#include "dbase/gui/dbf4_form.h"

#include "dbase/dataset/tzfds.h"
#include "dbase/engine/codepage.h"
#include "dbase/gui/dataset_model.h"
#include "dbase/gui/tzgrid.h"
#include "foundation/atomic_file.h"
#include "foundation/codepage.h"
#include "foundation/datetime.h"
#include "foundation/dialogs.h"
#include "foundation/paths.h"
#include "foundation/report.h"
#include "foundation/settings.h"
#include "foundation/ui_service.h"

#include <QLabel>

#include <cstring>
#include <stdexcept>

namespace kt4::dbase::gui {

namespace {

std::string WithDefaultExt(const std::string& path, const std::string& ext)
{
    return NameHasDot(path) ? path : path + "." + ext;
}

// The file lock of the table for the scope; refused: an error.
class FileLock {
public:
    explicit FileLock(TTzFileDataSet& ds) : ds_(ds)
    {
        if (!ds.FLock())
            throw std::runtime_error("Sperren fehlgeschlagen [FLock] " + ds.DbfFileName());
    }
    ~FileLock()
    {
        try {
            ds_.UnLock();
        } catch (...) {
            // the table stays as it is; the lock goes with the descriptor
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    TTzFileDataSet& ds_;
};

// A text for HTML: & < > (the report layer's escape) and " escaped.
std::string Html(const QString& text)
{
    std::string out;
    for (char c : HtmlEscape(text.toStdString())) {
        if (c == '"')
            out += "&quot;";
        else
            out.push_back(c);
    }
    return out;
}

std::string Html(const std::string& display)
{
    return Html(QString::fromStdString(display));
}

std::string Raw(TTzFileDataSet& ds, int field, std::int32_t recNo)
{
    std::string text;
    ds.Peek(field, recNo, text);
    return text;
}

} // namespace

void Tdbf4::AppendFromFile(bool delimited)
{
    TTzFileDataSet* ds = Table();
    if (!ds || !ds->Active())
        return;
    std::string path;
    const std::string folder = FilePathPart(ds->DbfFileName());
    if (!Ui().OpenFileDialog(delimited ? "Append Delimited" : "Append dbf", folder,
                             delimited ? "*.txt|*.txt" : "*.dbf|*.dbf", path))
        return;
    path = WithDefaultExt(path, delimited ? "txt" : "dbf");
    TzGrid1->CommitEdit();
    Guarded([&] {
        tzdbf0->LeaveRecord();
        FileLock lock(*ds);
        if (delimited)
            ds->AppendFromDelimited(path);
        else
            ds->AppendFrom(path);
    });
    tzdbf0->Notify(DatasetModel::Change::Records);
    ShowPosition();
}

void Tdbf4::mi_fileAppenddbfClick()
{
    AppendFromFile(false);
}

void Tdbf4::mi_fileAppendDelimitedClick()
{
    AppendFromFile(true);
}

void Tdbf4::mi_fileSaveAsDelimitedClick()
{
    TTzFileDataSet* ds = Table();
    if (!ds || !ds->Active())
        return;
    std::string path;
    if (!Ui().SaveFileDialog("Save As Delimited", settings::DataDir, "txt|*.txt|All files|*.*", "", path))
        return;
    settings::AbortFlag = false;
    if (!CheckDialogOutputFile(path))
        return;
    TzGrid1->CommitEdit();
    Guarded([&] {
        tzdbf0->LeaveRecord();
        FileLock lock(*ds);
        if (!ds->CopyToDelimited(path))
            throw std::runtime_error("Datei " + path + " kann nicht geschrieben werden");
    });
    tzdbf0->Notify(DatasetModel::Change::Position);
}

bool Tdbf4::WriteHtml(const std::string& fileName)
{
    TTzFileDataSet* ds = Table();
    if (!ds || !ds->Active())
        return false;
    AtomicWriter out;
    bool ok = out.Open(fileName);
    auto line = [&](const std::string& s) { ok = ok && out.Write(s + "\n"); };
    const bool read = Guarded([&] {
        line("<HTML>");
        line("<head><meta charset=\"utf-8\"><title>" + Html(FileBaseName(fileName)) + "</title></head>");
        line("<BODY BGCOLOR=\"C0C0C0\">");
        line("<P>" + Html(OemToDisplay(settings::ProductName)) + "V" + Html(settings::ProgramVersion) +
             "</P>");
        line("<P>" + Html(QString::fromStdString(fileName).toUpper()) + "</P>");
        line("<P>" + Html(OemToDisplay(DateString())) + " - " + Html(OemToDisplay(TimeString())) + "</P>");
        line("<HR>");
        line("<TABLE BORDER = \"1\" WIDTH= \"100%\">");
        std::string row = "<TR>";
        for (int n = 1; n <= ds->FieldCount(); ++n)
            row += "<TD><CENTER>" + Html(EngineText(ds->Field(n))) + "</CENTER></TD>";
        line(row + "</TR>");
        // every record in record order, deleted ones too; the index plays no part
        const TableCodePage& page = ds->TextPage();
        const std::int32_t count = ds->RecCount();
        for (std::int32_t r = 1; r <= count && ok; ++r) {
            row = "<TR>";
            for (int n = 1; n <= ds->FieldCount(); ++n)
                row += "<TD>" + Html(QString::fromStdString(TableTextToUtf8(page, Raw(*ds, n, r)))) + "</TD>";
            line(row + "</TR>");
        }
        line("</TABLE>");
        line("</BODY>");
        line("</HTML>");
    });
    if (!read)
        return false;
    if (ok && out.Commit())
        return true;
    const int err = out.Errno();
    ErrorBoxAlways("Datei " + DisplayToOem(fileName) + " kann nicht geschrieben werden: " +
                   DisplayToOem(err ? std::strerror(err) : "Zugriff verweigert"));
    return false;
}

void Tdbf4::mi_fileExportHtmlClick()
{
    TTzFileDataSet* ds = Table();
    if (!ds || !ds->Active())
        return;
    std::string path = FileBaseName(ds->DbfFileName());
    if (!Ui().SaveFileDialog("Export HTML", settings::DataDir, "HTML files|*.HTM;*.HTML|All files|*.*", "htm",
                             path))
        return;
    settings::AbortFlag = false;
    if (!CheckDialogOutputFile(path))
        return;
    TzGrid1->CommitEdit();
    if (!Guarded([&] { tzdbf0->LeaveRecord(); }))
        return;
    tzdbf0->Notify(DatasetModel::Change::Values);
    if (!WriteHtml(path))
        return;
    const std::string& browser = settings::HtmlBrowser;
    const bool started = browser.empty() ? Ui().OpenDocument(path) : Ui().StartProgram(browser, {path});
    if (!started)
        NoticeText(DisplayToOem(WrittenNotOpenedText(path))); // written all the same
}

void Tdbf4::mi_filePrintClick()
{
    using namespace settings;
    TTzFileDataSet* ds = Table();
    if (!ds || !ds->Active())
        return;
    TzGrid1->CommitEdit();
    if (!Guarded([&] { tzdbf0->LeaveRecord(); }))
        return;
    tzdbf0->Notify(DatasetModel::Change::Values);
    AbortFlag = false;
    SetReportHeader(ProductName + " V" + ProgramVersion, DisplayToOem(Label_filename->text().toStdString()),
                    DisplayToOem(windowTitle().toStdString()),
                    DisplayToOem(Label_title1->text().toStdString()), "", 0);
    OpenReport(DevAsk, CurrentFileName);
    if (AbortFlag)
        return;
    RewriteReportFile();
    ReportPageHeader(0, 0);
    if (AbortFlag)
        return;
    ReportLine("");
    if (AbortFlag)
        return;
    bool lost = false;
    Guarded([&] {
        const TableCodePage& page = ds->TextPage();
        const int columns = std::min(7, ds->FieldCount());
        Array1<Integer, 7> widths;
        Array1<std::string, 7> titles;
        for (int k = 1; k <= columns; ++k) {
            widths[std::size_t(k)] = ds->FieldLen(k) + 1;
            titles[std::size_t(k)] = AnsiToOem(ds->Field(k));
        }
        TReportTable table;
        table.Init(widths, titles);
        Array1<std::string, 7> v;
        const std::int32_t count = ds->RecCount();
        for (std::int32_t r = 1; r <= count && !AbortFlag; ++r) {
            for (int k = 1; k <= columns; ++k)
                v[std::size_t(k)] = TableTextToOem(page, Raw(*ds, k, r), lost);
            table.PrintRow(v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
        }
        table.Done();
    });
    CloseReport();
    if (lost)
        NoticeText(DisplayToOem("Zeichen, die der Ausdruck nicht darstellen kann, stehen dort als \"?\"."));
}

} // namespace kt4::dbase::gui
