// TForm_printconf ("Ausdruck"): prints the drawing of the graphics window
// on a printer of the system or into a PDF file, at the chosen scales and
// origin, monochrome or in colour, with or without a border, portrait or
// landscape, and optionally the whole page while the window is zoomed.
// Named layouts are loaded from and stored into the layout table. The
// settings, checks and layouts without Qt are graphics/print_layouts.h.
#pragma once

#include "graphics/print_layouts.h"

#include <QDialog>
#include <QPrinter>

#include <memory>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kt4::graphics {

class TFvelmgra;

class TForm_printconf : public QDialog {
    Q_OBJECT
public:
    // Takes the print settings by CadLogoMode and shows them.
    explicit TForm_printconf(TFvelmgra& Window, QWidget* Parent = nullptr);

    // The printer the form prints on (without a printer of the system: a
    // PDF file, asked for at OK).
    QPrinter& Printer() { return *printer_; }

protected:
    void showEvent(QShowEvent* e) override;
    void reject() override; // Cancel and the close button: AbortFlag

private slots:
    void Button_okClick();
    void Button_printerClick();
    void Button_helpClick();
    void Button_dbClick();
    void Button_appendClick();

private:
    PrintFields ReadControls() const;
    void PutControls(const PrintFields& F);
    void ShowPrinter();
    // The replay onto the printer; false (with the message shown) when
    // the document could not be begun or written.
    bool PrintDrawing(bool Fit);
    // A new printer in place of one whose print failed, with the printer,
    // output file, page layout and the other choices of the old one.
    void RenewPrinter();

    TFvelmgra& window_;
    std::unique_ptr<QPrinter> printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    PrintFields shown_; // what the controls were given: only changes are taken over

    QLabel* Label_scalex;
    QLineEdit* Edit_scalex;
    QLabel* Label_scaley;
    QLineEdit* Edit_scaley;
    QLabel* Label_xorigin;
    QLineEdit* Edit_xorigin;
    QLabel* Label_yorigin;
    QLineEdit* Edit_yorigin;
    QGroupBox* RadioGroup_printmono;
    QButtonGroup* printmono_;
    QGroupBox* RadioGroup_hochquer;
    QButtonGroup* hochquer_;
    QCheckBox* CheckBox_umrandung;
    QCheckBox* CheckBox_anpassen;
    QLabel* Label_printer;
    QPushButton* Button_printer;
    QPushButton* Button_db;
    QPushButton* Button_append;
    QPushButton* Button_ok;
    QPushButton* Button_cancel;
    QPushButton* Button_help;
};

// File > Drucken: the form, modally, for the window's drawing.
void ShowPrintForm(TFvelmgra* Window);

} // namespace kt4::graphics
