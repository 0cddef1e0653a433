#include "foundation/gui/showtextfile.h"

#include "foundation/gui/text_printer.h"

#include "foundation/captions.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/fontstyle.h"
#include "foundation/printer_settings.h"
#include "foundation/settings.h"
#include "foundation/textprint.h"
#include "foundation/ui_service.h"

#include <QAction>
#include <QFile>
#include <QFont>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextStream>
#include <QVBoxLayout>

namespace kt4::gui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QAction* MakeAction(QMenu* menu, const char* name, const std::string& caption)
{
    QAction* a = menu->addAction(Q(caption));
    a->setObjectName(name);
    return a;
}

} // namespace

// The printer font of the settings, fixed pitch when the face is missing.
QFont PrinterTextFont()
{
    QFont f(Q(printer::PrintFontName));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPointSize(printer::PrintFontSize > 0 ? printer::PrintFontSize : 10);
    FontStyleSet style = 0;
    CodeToFontStyle(printer::PrintFontStyle, style);
    f.setBold(style & FontBold);
    f.setItalic(style & FontItalic);
    f.setUnderline(style & FontUnderline);
    f.setStrikeOut(style & FontStrikeOut);
    return f;
}

TForm_showtextfile::TForm_showtextfile(QWidget* parent) : QDialog(parent)
{
    setObjectName("TForm_showtextfile");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName("MainMenu1");
    layout->setMenuBar(MainMenu1);

    using namespace captions;
    mi_Datei = MainMenu1->addMenu(Q(CaptionFile));
    mi_Datei->setObjectName("mi_Datei");
    mi_dateiExportNotepad = MakeAction(mi_Datei, "mi_dateiExportNotepad", "Export &Notepad");
    ExportWordpad1 = MakeAction(mi_Datei, "ExportWordpad1", "Export &Wordpad");
    ExportWordpad1->setVisible(false);
    mi_Datei->addSeparator();
    mi_DateiDrucken = MakeAction(mi_Datei, "mi_DateiDrucken", CaptionPrint);
    mi_Datei->addSeparator();
    mi_dateiBeenden = MakeAction(mi_Datei, "mi_dateiBeenden", CaptionExit);
    mi_Edit = MainMenu1->addMenu(Q(CaptionEdit));
    mi_Edit->setObjectName("mi_Edit");
    mi_EditMarkAll = MakeAction(mi_Edit, "mi_EditMarkAll", CaptionSelectAll);
    mi_EditCopy = MakeAction(mi_Edit, "mi_EditCopy", CaptionCopy);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->installEventFilter(this);
    layout->addWidget(Memo1);

    connect(mi_dateiExportNotepad, &QAction::triggered, this, &TForm_showtextfile::mi_dateiExportNotepadClick);
    connect(mi_DateiDrucken, &QAction::triggered, this, &TForm_showtextfile::mi_DateiDruckenClick);
    connect(mi_dateiBeenden, &QAction::triggered, this, &TForm_showtextfile::mi_dateiBeendenClick);
    connect(mi_EditMarkAll, &QAction::triggered, this, &TForm_showtextfile::mi_EditMarkAllClick);
    connect(mi_EditCopy, &QAction::triggered, this, &TForm_showtextfile::mi_EditCopyClick);

    const auto& r = printer::TextWindowRect;
    if (r[3] > 0 && r[4] > 0)
        setGeometry(r[1], r[2], r[3], r[4]);
    else
        resize(printer::ViewerDesignWidth, printer::ViewerDesignHeight);
}

void TForm_showtextfile::FormShow()
{
    Memo1->setFont(PrinterTextFont());
    QFile file(Q(FileName));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&file);
        in.setEncoding(QStringConverter::Utf8);
        Memo1->setPlainText(in.readAll());
    } else {
        Memo1->clear();
        ShowMessageText(DisplayToOem(FileName) + " not found !");
    }
    setWindowTitle(Q(OemToDisplay(settings::ProductName)) + "    " + Q(FileName));
}

void TForm_showtextfile::mi_dateiExportNotepadClick()
{
    // the text editor of the desktop, started with the file as its argument
    if (!Ui().OpenDocument(FileName))
        ErrorBox("Datei " + DisplayToOem(FileName) + DisplayToOem(" kann nicht geöffnet werden"));
}

// The viewer's own menu action starts with the abort flag clear, as every
// menu action does (a print refused before would end it at once), and
// leaves the flag of the report output that opened the viewer as it was.
void TForm_showtextfile::mi_DateiDruckenClick()
{
    const bool outputAborted = settings::AbortFlag;
    settings::AbortFlag = false;
    PrintTextFile(PrintFileName);
    settings::AbortFlag = outputAborted;
}
void TForm_showtextfile::mi_dateiBeendenClick() { close(); }
void TForm_showtextfile::mi_EditMarkAllClick() { Memo1->selectAll(); }
void TForm_showtextfile::mi_EditCopyClick() { Memo1->copy(); }

void TForm_showtextfile::StoreRect()
{
    QRect g = geometry();
    printer::TextWindowRect[1] = g.x();
    printer::TextWindowRect[2] = g.y();
    printer::TextWindowRect[3] = g.width();
    printer::TextWindowRect[4] = g.height();
}

void TForm_showtextfile::done(int result)
{
    StoreRect();
    QDialog::done(result);
}

bool TForm_showtextfile::eventFilter(QObject* watched, QEvent* event)
{
    // Enter ends the viewer during the guided tour
    if (watched == Memo1 && event->type() == QEvent::KeyPress && settings::DemoRunning) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            close();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kt4::gui
