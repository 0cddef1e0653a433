// The four input dialogs of the dialog layer: a choice among up to seven
// lines as radio buttons, a choice among more lines as a list, a yes/no
// choice and a one-line text entry. Each has a prompt on top, the input
// control, and the buttons OK, Cancel, help text and help picture. OK or
// Enter accepts; Cancel, Esc or closing the window cancels. Closing sets
// settings::AbortFlag to "not OK". The help buttons show the current help
// number and leave the dialog open. Texts are display texts (UTF-8).
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace kt4::gui {

class TinDialog : public QDialog {
    Q_OBJECT
public:
    explicit TinDialog(const QString& caption, QWidget* parent = nullptr);

    bool OkPressed = false;
    QLabel* Label1 = nullptr;
    QPushButton* Button_ok = nullptr;
    QPushButton* button_cancel = nullptr;
    QPushButton* Button_hilfetext = nullptr;
    QPushButton* Button_hilfebild = nullptr;

public slots:
    void Button_okClick();
    void button_cancelClick();
    void Button_hilfetextClick();
    void Button_hilfebildClick();

protected:
    // the place of the input control, between the prompt and the buttons
    QVBoxLayout* Body() const { return body_; }
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void BackToFront();
    QVBoxLayout* body_ = nullptr;
};

class Tin_radiodialog : public TinDialog {
    Q_OBJECT
public:
    explicit Tin_radiodialog(QWidget* parent = nullptr);
    // Sel is 1-based; the group is sized for the lines.
    void Setup(const std::string& prompt, const std::vector<std::string>& lines, int sel);
    // The chosen line (1-based), 0 when none.
    int Selection() const;

    QGroupBox* RadioGroup1 = nullptr;

private:
    QButtonGroup* group_ = nullptr;
};

class Tin_codedialog : public TinDialog {
    Q_OBJECT
public:
    explicit Tin_codedialog(QWidget* parent = nullptr);
    void Setup(const std::string& prompt, const std::vector<std::string>& lines, int sel);
    int Selection() const;

    QListWidget* ListBox1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

class Tin_janeindialog : public TinDialog {
    Q_OBJECT
public:
    explicit Tin_janeindialog(QWidget* parent = nullptr);
    // "&Nein" is preselected for "N" or "n", else "&Ja".
    void Setup(const std::string& prompt, char answer);
    char Answer() const; // 'N' or 'J'

    QGroupBox* RadioGroup_janein = nullptr;
    QRadioButton* RadioJa = nullptr;
    QRadioButton* RadioNein = nullptr;
};

class Tin_textdialog : public TinDialog {
    Q_OBJECT
public:
    explicit Tin_textdialog(QWidget* parent = nullptr);
    // maxLen < 1: no limit
    void Setup(const std::string& prompt, const std::string& text, int maxLen);
    std::string Text() const;

    QLineEdit* EditEinText = nullptr;
};

} // namespace kt4::gui
