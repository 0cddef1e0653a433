// A screen of up to 22 text lines in a fixed-pitch font with one OK button.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace kt4::gui {

class TShowScreen : public QDialog {
    Q_OBJECT
public:
    explicit TShowScreen(QWidget* parent = nullptr);
    void Setup(const std::string& caption, const std::vector<std::string>& lines);

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button_ok = nullptr;
};

} // namespace kt4::gui
