// TForm_ani1: the values of the animation (frames per turn, repetitions,
// pause after each image, single step), checked before the form closes.
#pragma once

#include "drawings/animation.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kt4::drawings {

class TForm_ani1 : public QDialog {
    Q_OBJECT
public:
    explicit TForm_ani1(QWidget* Parent = nullptr);

    // The values after OK (the check box as singleStep).
    AnimationParams Values;

protected:
    void reject() override; // Cancel, Esc and the close box set AbortFlag

private slots:
    void Button_okClick();
    void Button_helpClick();

private:
    void FormCreate();

    QLabel* Label_anzbild;
    QLineEdit* Edit_anzbild;
    QPushButton* Button_anzbild;
    QLabel* Label_anzwdh;
    QLineEdit* Edit_anzwdh;
    QPushButton* Button_anzwdh;
    QLabel* Label_ms;
    QLineEdit* Edit_ms;
    QLabel* Label1;
    QPushButton* Button_ms;
    QCheckBox* CheckBox_singlestep;
    QPushButton* Button_ok;
    QPushButton* Button_cancel;
    QPushButton* Button_help;
};

// Lets RunAnimation ask through TForm_ani1. The program calls it once its
// Qt application exists.
void InstallAnimationForm();

} // namespace kt4::drawings
