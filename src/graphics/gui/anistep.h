// The single-step dialog of the animation: "+" shows the next step,
// "+++++++" (or Esc) ends stepping and lets the animation run on.
#pragma once

#include <QDialog>

class QPushButton;

namespace kt4::graphics {

class TForm_anistep : public QDialog {
    Q_OBJECT
public:
    explicit TForm_anistep(QWidget* parent = nullptr);
    bool EndStepping = false;

protected:
    void reject() override; // Esc, the close box and "+++++++"

private:
    QPushButton* Button_nextstep;
    QPushButton* Button_endstep;
};

} // namespace kt4::graphics
