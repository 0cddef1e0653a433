#include "foundation/gui/qt_ui.h"

#include "foundation/gui/form_placement.h"

#include "foundation/gui/helperr_form.h"
#include "foundation/gui/hilfebild_form.h"
#include "foundation/gui/input_dialogs.h"
#include "foundation/gui/pdf_file.h"
#include "foundation/gui/showscreen_form.h"
#include "foundation/gui/showtextfile.h"
#include "foundation/gui/text_printer.h"
#include "foundation/dialogs.h"
#include "foundation/settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QUrl>
#include <iostream>

namespace kt4::gui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// "description|pattern|description|pattern" to Qt's "description (pattern);;..."
QString FilterToQt(const std::string& filter)
{
    QStringList parts = Q(filter).split('|');
    QStringList out;
    for (int k = 0; k + 1 < parts.size(); k += 2) {
        QString desc = parts[k], pattern = parts[k + 1];
        pattern.replace(';', ' '); // "*.HTM;*.HTML": Qt separates patterns by blanks
        out << (desc == pattern ? pattern + " (" + pattern + ")" : desc + " (" + pattern + ")");
    }
    if (out.isEmpty())
        out << "*";
    return out.join(";;");
}

QMessageBox::Icon IconOf(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Error:
        return QMessageBox::Critical;
    case BoxKind::Help:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// A question of the program: its buttons speak the language of its texts,
// not the toolkit's.
class QuestionBox : public QMessageBox {
public:
    QuestionBox(const std::string& caption, const std::string& text, StandardButtons buttons)
        : QMessageBox(QMessageBox::Question, Q(caption), Q(text), buttons, DialogParent())
    {
        const std::pair<StandardButton, const char*> texts[] = {{Yes, "&Ja"}, {No, "&Nein"}, {Cancel, "Abbrechen"}};
        for (const auto& [which, label] : texts)
            if (QAbstractButton* b = button(which))
                b->setText(label);
    }
};

} // namespace

QWidget* DialogParent()
{
    // Right after a modal form closed no window is active yet: a form of
    // a sequence then belongs to the modal form still open, else to the
    // main window, never to nobody (it could fall behind the main window).
    if (QWidget* active = QApplication::activeWindow())
        return active;
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return PlacementMainWindow();
}

QtUi& UseQtUi()
{
    auto ui = std::make_unique<QtUi>();
    QtUi& ref = *ui;
    SetUi(std::move(ui));
    return ref;
}

namespace {

// A choice dialog; OK without a chosen line counts as Cancel.
template <class Dialog>
bool Choose(const std::string& prompt, const std::vector<std::string>& lines, int& sel)
{
    Dialog d(DialogParent());
    d.Setup(prompt, lines, sel);
    d.exec();
    if (!d.OkPressed || d.Selection() < 1)
        return false;
    sel = d.Selection();
    return true;
}

} // namespace

bool QtUi::RadioChoice(const std::string& prompt, const std::vector<std::string>& lines, int& sel)
{
    return Choose<Tin_radiodialog>(prompt, lines, sel);
}

bool QtUi::ListChoice(const std::string& prompt, const std::vector<std::string>& lines, int& sel)
{
    return Choose<Tin_codedialog>(prompt, lines, sel);
}

bool QtUi::YesNoChoice(const std::string& prompt, char& answer)
{
    Tin_janeindialog d(DialogParent());
    d.Setup(prompt, answer);
    d.exec();
    if (!d.OkPressed)
        return false;
    answer = d.Answer();
    return true;
}

bool QtUi::TextInput(const std::string& prompt, std::string& text, int maxLen)
{
    Tin_textdialog d(DialogParent());
    d.Setup(prompt, text, maxLen);
    d.exec();
    if (!d.OkPressed)
        return false;
    text = d.Text();
    return true;
}

void QtUi::MessageBox(const std::string& caption, const std::string& text, BoxKind kind)
{
    QMessageBox box(IconOf(kind), Q(caption), Q(text), QMessageBox::Ok, DialogParent());
    box.setObjectName("MessageBox");
    box.exec();
}

Answer QtUi::YesNoCancelBox(const std::string& caption, const std::string& text)
{
    QuestionBox box(caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setObjectName("YesNoCancelBox");
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

bool QtUi::OkCancelBox(const std::string& caption, const std::string& text)
{
    QuestionBox box(caption, text, QMessageBox::Ok | QMessageBox::Cancel);
    box.setObjectName("OkCancelBox");
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

int QtUi::MessageScreen(const std::string& caption, const std::vector<std::string>& lines)
{
    TShowScreen d(DialogParent());
    d.Setup(caption, lines);
    d.exec();
    return 0;
}

void QtUi::Beep() { QApplication::beep(); }

bool QtUi::OpenFileDialog(const std::string& title, const std::string& dir, const std::string& filter,
                          std::string& path)
{
    QString chosen = QFileDialog::getOpenFileName(DialogParent(), Q(title), Q(dir), FilterToQt(filter));
    if (chosen.isEmpty())
        return false;
    path = chosen.toStdString();
    return true;
}

bool QtUi::SaveFileDialog(const std::string& title, const std::string& dir, const std::string& filter,
                          const std::string& suffix, std::string& path)
{
    QString start = dir.empty() ? Q(path) : Q(dir) + "/" + Q(path);
    QFileDialog dialog(DialogParent(), Q(title), start, FilterToQt(filter));
    dialog.setObjectName("SaveFileDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The suffix is added in the dialog; whether an existing file is
    // overwritten is asked by the program of the file it writes
    // (CheckOutputFile), which may still settle another extension.
    dialog.setDefaultSuffix(Q(suffix));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const QString chosen = dialog.selectedFiles().constFirst();
    if (chosen.isEmpty())
        return false;
    path = chosen.toStdString();
    return true;
}

bool QtUi::FolderDialog(const std::string& title, const std::string& dir, std::string& chosen)
{
    QString folder = QFileDialog::getExistingDirectory(DialogParent(), Q(title), Q(dir));
    if (folder.isEmpty())
        return false;
    chosen = folder.toStdString();
    return true;
}

void QtUi::SetWaitCursor(bool on)
{
    if (on == waitCursor_)
        return;
    waitCursor_ = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtUi::Progress(const std::string& text, int percent)
{
    if (progressHook)
        progressHook(text, percent);
}

void QtUi::ProgressEnd()
{
    if (progressEndHook)
        progressEndHook();
}

void QtUi::ShowTextFile(const std::string& path, const std::string& caption)
{
    TForm_showtextfile form(DialogParent());
    form.FileName = path;
    form.mi_DateiDrucken->setEnabled(false);
    form.FormShow();
    if (!caption.empty())
        form.setWindowTitle(Q(caption));
    form.exec();
}

void QtUi::ShowTextViewer(const std::string& shownFile, const std::string& printFile)
{
    TForm_showtextfile form(DialogParent());
    form.FileName = shownFile;
    form.PrintFileName = printFile;
    form.FormShow();
    form.exec();
}

bool QtUi::PrintTextFile(const std::string& path, int fromPage, int toPage)
{
    std::vector<TextPage> pages;
    if (!ReadTextPages(path, pages) || pages.empty())
        return false;
    const int count = static_cast<int>(pages.size());
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(Q(settings::CurrentFileName));
    printer.setPageOrientation(QPageLayout::Portrait);
    if (!printOptions.pdfFile.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Q(printOptions.pdfFile));
    }
    int from = std::clamp(fromPage, 1, count), to = std::clamp(toPage, from, count);
    if (printOptions.showDialog) {
        printer.setFromTo(from, to);
        printer.setPrintRange(QPrinter::PageRange);
        QPrintDialog dialog(&printer, DialogParent());
        dialog.setMinMax(1, count);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
            from = printer.fromPage();
            to = printer.toPage();
        } else {
            from = 1;
            to = count;
        }
    }
    // a PDF file goes through a temporary beside it (PdfFile)
    const std::string pdf = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName().toStdString() : "";
    PdfFile out;
    if (!pdf.empty()) {
        if (!out.Open(pdf))
            return false;
        printer.setOutputFileName(Q(out.PrintName()));
    }
    if (!PrintTextPages(printer, pages, from, to)) {
        MessageBox("Fehler : ", "Der Drucker kann nicht gestartet werden.", BoxKind::Error);
        return false;
    }
    if (pdf.empty() || out.Commit())
        return true;
    ErrorBoxAlways(out.FailureText());
    return false;
}

bool QtUi::OpenDocument(const std::string& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path)));
}

bool QtUi::OpenUrl(const std::string& url)
{
    return QDesktopServices::openUrl(QUrl(Q(url), QUrl::StrictMode));
}

bool QtUi::StartProgram(const std::string& program, const std::vector<std::string>& args)
{
    QStringList list;
    for (const auto& a : args)
        list << Q(a);
    return QProcess::startDetached(Q(program), list);
}

void QtUi::ShowPlotPicture(const std::string& path, const PictureWindow& window)
{
    if (pictureHook) // an empty path clears the window to the page
        pictureHook(path, window);
}

bool QtUi::EditExplanation(const std::string& message, std::string& cause, std::string& remedy)
{
    Thelperr form(DialogParent());
    form.Setup(message, cause, remedy);
    form.exec();
    if (!form.OkPressed || !form.Changed)
        return false;
    cause = form.Cause();
    remedy = form.Remedy();
    return true;
}

PictureAction QtUi::HelpPictureBrowser(const std::vector<std::string>& lines, int pictureCount, int& line)
{
    TForm_hilfebild form(DialogParent());
    form.Setup(lines, pictureCount, line);
    if (form.exec() != QDialog::Accepted)
        return PictureAction::Ok;
    line = form.Line;
    return form.Action;
}

void QtUi::SetAppTitle(const std::string& title)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(w))
            w->setWindowTitle(Q(title));
}

} // namespace kt4::gui
