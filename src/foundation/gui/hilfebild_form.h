// The help-picture browser: a tool window with the list of pictures and
// commands, a spin button for the previous and next picture and the
// buttons of the index commands. Each choice closes the form with an
// action that the browser loop carries out before it opens the form again.
#pragma once

#include "foundation/ui_service.h"

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;
class QToolButton;

namespace kt4::gui {

class TForm_hilfebild : public QDialog {
    Q_OBJECT
public:
    explicit TForm_hilfebild(QWidget* parent = nullptr);
    ~TForm_hilfebild() override;
    void Setup(const std::vector<std::string>& lines, int pictureCount, int line);

    PictureAction Action = PictureAction::Ok;
    int Line = 1;

    QComboBox* ListBox1 = nullptr;
    QWidget* SpinButton1 = nullptr;
    QToolButton* SpinButton1Up = nullptr;
    QToolButton* SpinButton1Down = nullptr;
    QPushButton* Button_ok = nullptr;
    QPushButton* Button_help = nullptr;
    QPushButton* Button_neu = nullptr;
    QPushButton* Button_aendern = nullptr;
    QPushButton* Button_einfuegen = nullptr;
    QPushButton* Button_loeschen = nullptr;

private:
    void Finish(PictureAction action);
    int lineCount_ = 0;
    int pictureCount_ = 0;
    bool filling_ = false;
};

} // namespace kt4::gui
