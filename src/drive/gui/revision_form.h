// TForm_EinAend: edits one revision entry (change text, date, editor,
// description).
#pragma once

#include "foundation/types.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kt4 {

class TForm_EinAend : public QDialog {
    Q_OBJECT
public:
    TForm_EinAend(Word Entry, QWidget* Parent = nullptr);

    Word Entry() const { return entry_; }

private slots:
    void Button_okClick();
    void Button_cancelClick();
    void Button_helpClick();
    void Button_datumClick();
    void LimitDescription();

private:
    void FormCreate();
    void FormShow();

    Word entry_;
    QLabel* Label_aenderung;
    QLineEdit* Edit_aenderung;
    QLabel* Label_datum;
    QLineEdit* Edit_datum;
    QLabel* Label_bearbeiter;
    QLineEdit* Edit_bearbeiter;
    QLabel* Label_beschreibung;
    QPlainTextEdit* Edit_beschreibung;
    QPushButton* Button_ok;
    QPushButton* Button_cancel;
    QPushButton* Button_help;
    QPushButton* Button_datum;
};

} // namespace kt4
