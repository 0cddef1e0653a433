#include "graphics/gui/printconf_form.h"

#include "foundation/gui/qt_ui.h"
#include "foundation/codepage.h"
#include "foundation/dialogs.h"
#include "foundation/explain.h"
#include "foundation/gui/form_placement.h"
#include "foundation/gui/form_util.h"
#include "foundation/gui/pdf_file.h"
#include "foundation/helptext.h"
#include "foundation/paths.h"
#include "foundation/printer_settings.h"
#include "foundation/settings.h"
#include "foundation/strutil.h"
#include "foundation/ui_service.h"
#include "graphics/gui/fvelmgra.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace kt4::graphics {

namespace {

using formutil::Named;
using formutil::Q;
using formutil::S;

void Refuse(const std::string& displayText) { ErrorBoxAlways(DisplayToOem(displayText)); }

// The PDF file offered: the project's name with ".pdf" beside it.
std::string ProposedPdfName()
{
    const std::string& project = settings::CurrentFileName;
    if (project.empty())
        return AddBackslash(settings::DataDir) + "kt4.pdf";
    return PathWithoutExt(project) + ".pdf";
}

} // namespace

TForm_printconf::TForm_printconf(TFvelmgra& Window, QWidget* Parent) : QDialog(Parent), window_(Window)
{
    setObjectName("TForm_printconf");
    setWindowTitle("Ausdruck");
    Label_scalex = Named<QLabel>(this, "Label_scalex");
    Edit_scalex = Named<QLineEdit>(this, "Edit_scalex");
    Label_scaley = Named<QLabel>(this, "Label_scaley");
    Edit_scaley = Named<QLineEdit>(this, "Edit_scaley");
    Label_xorigin = Named<QLabel>(this, "Label_xorigin");
    Edit_xorigin = Named<QLineEdit>(this, "Edit_xorigin");
    Label_yorigin = Named<QLabel>(this, "Label_yorigin");
    Edit_yorigin = Named<QLineEdit>(this, "Edit_yorigin");
    RadioGroup_printmono = formutil::RadioGroupBox(this, "RadioGroup_printmono", "Schattierung",
                                                   {"Monochrom", "Color / Graustufen"}, printmono_);
    RadioGroup_hochquer = formutil::RadioGroupBox(this, "RadioGroup_hochquer", "Ausdruck",
                                                  {"Hochformat", "Querformat"}, hochquer_);
    CheckBox_umrandung = Named<QCheckBox>(this, "CheckBox_umrandung");
    CheckBox_anpassen = Named<QCheckBox>(this, "CheckBox_anpassen");
    Label_printer = Named<QLabel>(this, "Label_printer");
    Button_printer = Named<QPushButton>(this, "Button_printer");
    Button_db = Named<QPushButton>(this, "Button_db");
    Button_append = Named<QPushButton>(this, "Button_append");
    Button_ok = Named<QPushButton>(this, "Button_ok");
    Button_cancel = Named<QPushButton>(this, "Button_cancel");
    Button_help = Named<QPushButton>(this, "Button_help");

    QLabel* labels[4] = {Label_scalex, Label_scaley, Label_xorigin, Label_yorigin};
    for (int k = 0; k < 4; ++k)
        labels[k]->setText(Q(PrintFieldCaptions[k]));
    CheckBox_umrandung->setText("Umrandung");
    CheckBox_anpassen->setText("anpassen");
    Button_printer->setText("Drucker...");
    Button_db->setText("Datenbank");
    Button_append->setText("\xC3\x9C&bernehmen Datenbank");
    Button_ok->setText("OK");
    Button_ok->setDefault(true);
    Button_cancel->setText("Abbrechen");
    Button_help->setText("&Hilfe");
    Label_printer->setTextFormat(Qt::PlainText);

    auto* fields = new QGridLayout;
    QLineEdit* edits[4] = {Edit_scalex, Edit_scaley, Edit_xorigin, Edit_yorigin};
    for (int k = 0; k < 4; ++k) {
        labels[k]->setBuddy(edits[k]);
        fields->addWidget(labels[k], k, 0);
        fields->addWidget(edits[k], k, 1);
    }
    auto* groups = new QHBoxLayout;
    groups->addWidget(RadioGroup_printmono);
    groups->addWidget(RadioGroup_hochquer);
    auto* checks = new QHBoxLayout;
    checks->addWidget(CheckBox_umrandung);
    checks->addWidget(CheckBox_anpassen);
    checks->addStretch();
    auto* printer = new QHBoxLayout;
    printer->addWidget(Label_printer, 1);
    printer->addWidget(Button_printer);
    auto* db = new QHBoxLayout;
    db->addWidget(Button_db);
    db->addWidget(Button_append);
    db->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button_ok);
    buttons->addWidget(Button_cancel);
    buttons->addWidget(Button_help);
    auto* top = new QVBoxLayout(this);
    top->addLayout(fields);
    top->addLayout(groups);
    top->addLayout(checks);
    top->addLayout(printer);
    top->addLayout(db);
    top->addLayout(buttons);

    connect(Button_ok, &QPushButton::clicked, this, &TForm_printconf::Button_okClick);
    connect(Button_cancel, &QPushButton::clicked, this, &TForm_printconf::reject);
    connect(Button_printer, &QPushButton::clicked, this, &TForm_printconf::Button_printerClick);
    connect(Button_help, &QPushButton::clicked, this, &TForm_printconf::Button_helpClick);
    connect(Button_db, &QPushButton::clicked, this, &TForm_printconf::Button_dbClick);
    connect(Button_append, &QPushButton::clicked, this, &TForm_printconf::Button_appendClick);

    // Without a printer of the system the page goes into a PDF file.
    if (QPrinterInfo::availablePrinters().isEmpty())
        printer_->setOutputFormat(QPrinter::PdfFormat);
    TakePrintSettings();
    shown_ = PrintSettingsToFields();
    PutControls(shown_);
    ShowPrinter();
    CenterForm(this);
}

void TForm_printconf::showEvent(QShowEvent* e)
{
    ShowPrinter();
    QDialog::showEvent(e);
}

void TForm_printconf::ShowPrinter()
{
    std::string name;
    if (printer_->outputFormat() == QPrinter::PdfFormat) {
        const std::string file = S(printer_->outputFileName());
        name = file.empty() ? "PDF" : "PDF " + FileNamePart(file);
    } else {
        name = S(printer_->printerName());
    }
    Label_printer->setText(Q(PadLeft(name, 40)));
    printer_->setDocName(Q(settings::CurrentFileName));
}

PrintFields TForm_printconf::ReadControls() const
{
    PrintFields f;
    f.scaleX = S(Edit_scalex->text());
    f.scaleY = S(Edit_scaley->text());
    f.originX = S(Edit_xorigin->text());
    f.originY = S(Edit_yorigin->text());
    f.mono = printmono_->checkedId();
    f.orientation = hochquer_->checkedId();
    f.border = CheckBox_umrandung->isChecked();
    f.fit = CheckBox_anpassen->isChecked();
    return f;
}

void TForm_printconf::PutControls(const PrintFields& F)
{
    Edit_scalex->setText(Q(F.scaleX));
    Edit_scaley->setText(Q(F.scaleY));
    Edit_xorigin->setText(Q(F.originX));
    Edit_yorigin->setText(Q(F.originY));
    // no item can show the setting: none is selected
    formutil::SelectRadio(printmono_, F.mono);
    formutil::SelectRadio(hochquer_, F.orientation);
    CheckBox_umrandung->setChecked(F.border);
    CheckBox_anpassen->setChecked(F.fit);
}

void TForm_printconf::reject()
{
    settings::AbortFlag = true;
    QDialog::reject();
}

void TForm_printconf::Button_okClick()
{
    settings::AbortFlag = false;
    const PrintFields now = ReadControls();
    std::string message;
    int field = 0;
    if (!CheckPrintFields(now, message, field)) {
        Refuse(message);
        QLineEdit* edits[4] = {Edit_scalex, Edit_scaley, Edit_xorigin, Edit_yorigin};
        edits[field]->setFocus();
        edits[field]->selectAll();
        settings::AbortFlag = true;
        return;
    }
    PrintFieldsToSettings(shown_, now);
    shown_ = now;
    // After a refused calculation the window may still show the design
    // before it: that is not printed as the project's. Its messages are.
    if (settings::CalcErrorFlag) {
        CalcMessagesDialog();
        settings::AbortFlag = true;
        QDialog::reject();
        return;
    }
    // A drawing that did not come out whole is no drawing to print.
    if (window_.DisplayList().Count() == 0 || window_.DrawingFailed()) {
        if (window_.DrawingFailure().empty())
            Refuse("Keine Zeichnung zum Drucken !");
        else
            ErrorBoxAlways(window_.DrawingFailure());
        settings::AbortFlag = true;
        QDialog::reject();
        return;
    }
    if (PrintDrawing(now.fit))
        accept();
}

bool TForm_printconf::PrintDrawing(bool Fit)
{
    printer_->setPageOrientation(printer::GraphPrintOrientation == 1 ? QPageLayout::Portrait
                                                                    : QPageLayout::Landscape);
    printer_->setDocName(Q(settings::CurrentFileName));
    std::string pdf;
    if (printer_->outputFormat() == QPrinter::PdfFormat) {
        pdf = S(printer_->outputFileName());
        if (pdf.empty()) {
            std::string chosen = ProposedPdfName();
            if (!Ui().SaveFileDialog("PDF-Datei", FilePathPart(chosen), "PDF-Dateien|*.pdf", "pdf", chosen) ||
                chosen.empty()) {
                settings::AbortFlag = true;
                return false;
            }
            if (!CheckDialogOutputFile(chosen))
                return false;
            pdf = chosen;
        }
    }
    // A PDF file is written beside its target and put in place when the
    // page is complete, so a failure leaves the old file.
    kt4::gui::PdfFile out;
    if (!pdf.empty()) {
        if (!out.Open(pdf))
            return false;
        printer_->setOutputFileName(Q(out.PrintName()));
    }
    if (Fit) {
        window_.RestoreLimit();
        window_.ResetZoom();
        window_.ReSetWindow();
        window_.ClearViewPort();
    }
    // the replay on the screen: the mapping as the list leaves it
    window_.RenderImage();
    QPainter painter;
    const bool begun = painter.begin(printer_.get());
    bool written = begun;
    if (begun) {
        const QRect page = printer_->pageRect(QPrinter::DevicePixel).toRect();
        window_.ReplayOnPrinter(painter, MakePrintTarget(page.width(), page.height()));
        written = painter.end();
    }
    if (!pdf.empty()) {
        printer_->setOutputFileName(Q(pdf));
        written = written && out.Commit();
    }
    if (begun && written)
        return true;
    // The printer's engine keeps a failed write for every later document:
    // the next print goes to a new one with the user's choices.
    RenewPrinter();
    if (!begun)
        Refuse(pdf.empty() ? "Der Drucker " + S(printer_->printerName()) + " kann nicht gestartet werden."
                           : "Die Datei " + pdf + " kann nicht geschrieben werden.");
    else
        ErrorBoxAlways(out.FailureText());
    settings::AbortFlag = true;
    return false;
}

void TForm_printconf::RenewPrinter()
{
    const QPrinter& old = *printer_;
    auto fresh = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (old.outputFormat() == QPrinter::NativeFormat)
        fresh->setPrinterName(old.printerName());
    fresh->setOutputFormat(old.outputFormat());
    fresh->setOutputFileName(old.outputFileName());
    fresh->setPageLayout(old.pageLayout());
    fresh->setColorMode(old.colorMode());
    fresh->setCopyCount(old.copyCount());
    fresh->setCollateCopies(old.collateCopies());
    fresh->setDuplex(old.duplex());
    fresh->setPageOrder(old.pageOrder());
    fresh->setFullPage(old.fullPage());
    fresh->setDocName(old.docName());
    printer_ = std::move(fresh);
}

void TForm_printconf::Button_printerClick()
{
    QPrintDialog dialog(printer_.get(), this);
    if (dialog.exec() == QDialog::Accepted)
        ShowPrinter();
}

void TForm_printconf::Button_helpClick() { ShowHelpText(1030, "", 0); }

void TForm_printconf::Button_dbClick()
{
    PrintFields f = ReadControls();
    if (LoadPrintLayout(f))
        PutControls(f);
}

void TForm_printconf::Button_appendClick() { StorePrintLayout(ReadControls()); }

void ShowPrintForm(TFvelmgra* Window)
{
    if (!Window)
        return;
    TForm_printconf form(*Window, kt4::gui::DialogParent());
    form.exec();
}

} // namespace kt4::graphics
