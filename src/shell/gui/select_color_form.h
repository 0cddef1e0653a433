// TForm_selectcolor: picks one of the 16 layer colours, listed as
// "k (name)". OK gives the number 1..16; Cancel sets AbortFlag.
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace kt4::shell::gui {

class TForm_selectcolor : public QDialog {
    Q_OBJECT
public:
    // Current: the colour number preselected (1..16; others select none).
    explicit TForm_selectcolor(int Current, QWidget* Parent = nullptr);
    // The chosen colour number, 0 when none.
    int Chosen() const;

    QListWidget* ListBox_color;
    QPushButton* Button_ok;
    QPushButton* Button_cancel;

protected:
    void reject() override;
};

// Shows the picker; true and Color := the choice on OK.
bool SelectColor(int& Color, QWidget* Parent);

} // namespace kt4::shell::gui
