// The explanation of a calculation message: the message, its cause and its
// remedy, the last two editable. Changed tells whether the user edited
// either text since the form was filled.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kt4::gui {

class Thelperr : public QDialog {
    Q_OBJECT
public:
    explicit Thelperr(QWidget* parent = nullptr);
    // Display texts; clears Changed.
    void Setup(const std::string& message, const std::string& cause, const std::string& remedy);
    std::string Cause() const;
    std::string Remedy() const;

    bool Changed = false;
    bool OkPressed = false;
    QLineEdit* Edit_meldung = nullptr;
    QPlainTextEdit* Memo_ursache = nullptr;
    QPlainTextEdit* Memo_abhilfe = nullptr;
    QLabel* Label_meldung = nullptr;
    QLabel* Label_ursache = nullptr;
    QLabel* Label_abhilfe = nullptr;
    QPushButton* Button_ok = nullptr;
    QPushButton* Button_help = nullptr;

public slots:
    void Button_okClick();
};

} // namespace kt4::gui
