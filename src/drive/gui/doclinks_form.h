// TForm_confDoku: the five document links, each a program and a file, with
// buttons to browse for them, start the program with its file, or open the
// file with its associated program.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kt4 {

class TForm_confDoku : public QDialog {
    Q_OBJECT
public:
    explicit TForm_confDoku(QWidget* Parent = nullptr);

private slots:
    void Button_okClick();
    void Button_cancelClick();
    void Button_helpClick();

private:
    static constexpr int Links = 5;
    void FormCreate();
    void FormShow();
    void BuildLink(int N);
    void ProgClick(int N);
    void FileClick(int N);
    void ExecProgClick(int N);
    void ExecFileClick(int N);

    QGroupBox* GroupBox[Links];
    QLabel* Label_prog[Links];
    QLabel* Label_file[Links];
    QLineEdit* Edit_prog[Links];
    QLineEdit* Edit_file[Links];
    QPushButton* Button_prog[Links];
    QPushButton* Button_file[Links];
    QPushButton* Button_exec[Links];     // Button1 .. Button5, "Exec Prog"
    QPushButton* Button_execFile[Links]; // Button1f .. Button5f, "Exec File"
    QPushButton* Button_ok;
    QPushButton* Button_cancel;
    QPushButton* Button_help;
};

} // namespace kt4
