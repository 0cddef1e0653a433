// Tform_uni4: the project texts (drawing name, drawing name 2, drawing
// number and the three remark lines).
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kt4 {

class Tform_uni4 : public QDialog {
    Q_OBJECT
public:
    explicit Tform_uni4(QWidget* Parent = nullptr);

private slots:
    void Button_okClick();
    void Button_cancelClick();

private:
    void FormCreate();

    QLabel* Label_zeichname;
    QLineEdit* Edit_zeichname;
    QLabel* Label_zeichname2;
    QLineEdit* Edit_zeichname2;
    QLabel* Label_zeichnr;
    QLineEdit* Edit_zeichnr;
    QLabel* Label_bemerk[3];
    QLineEdit* Edit_bemerk[3];
    QPushButton* Button_ok;
    QPushButton* Button_cancel;
};

} // namespace kt4
