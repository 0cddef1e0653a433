// TForm_zeichInfo: the title block (dated rows, replacement references or
// the ISO 7200 fields), the free title-block texts and the text mode.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kt4 {

class StringGrid;

class TForm_zeichInfo : public QDialog {
    Q_OBJECT
public:
    explicit TForm_zeichInfo(QWidget* Parent = nullptr);

private slots:
    void Button_okClick();
    void Button_cancelClick();
    void Button_helpClick();
    void ComboBox_zeichtextmodeChange(int Index);

private:
    void FormCreate();
    void SetupDatedRows();
    void SetupFreeTexts();
    void DateButtonClick(int Row);

    bool iso_;
    QLabel* Label_ersatz_fuer;
    QLabel* Label_ersetzt_durch;
    QLineEdit* Edit_ersatzfuer;
    QLineEdit* Edit_ersetztdurch;
    QPushButton* Button_ok;
    QPushButton* Button_cancel;
    QPushButton* Button_help;
    StringGrid* StringGrid1;
    QPushButton* DateButtons[4];
    StringGrid* StringGrid2;
    QComboBox* ComboBox_zeichtextmode;
    StringGrid* StringGrid3;
};

} // namespace kt4
