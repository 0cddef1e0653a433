// TAboutBox: the program's name, version and file version, a short
// description and the owner, with one OK button.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kt4::shell::gui {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* Parent = nullptr);

    QLabel* ProductName;
    QLabel* Label_extended;
    QLabel* Label_sonderversion;
    QLabel* Label_fileversion;
    QLabel* Comments;
    QLabel* Label_owner;
    QPushButton* OKButton;
};

} // namespace kt4::shell::gui
