// TForm_confkavolt: the settings of the external plot program, composed
// into its command line (plot_link.h has the values and the rules).
#pragma once

#include "cad/plot_link.h"

#include <QDialog>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kt4 {

class TForm_confkavolt : public QDialog {
    Q_OBJECT
public:
    // Line: the stored command line; its settings are shown when it
    // follows the grammar, else the defaults.
    explicit TForm_confkavolt(const std::string& Line, QWidget* Parent = nullptr);

    // The line as built; the caller stores it after OK.
    std::string PlotCommandLine;

private slots:
    void Button_okClick();
    void Button_cancelClick();
    void Button_helpClick();
    void Button_kavoltpathClick();
    void Button_outDirClick();
    void Button_tempdirClick();
    void CheckBox_scaleClick(bool Checked);
    void MakeCommandLine();

private:
    void FormCreate();
    void Show(const cad::PlotFormValues& V);
    cad::PlotFormValues Values() const;
    QGroupBox* RadioGroup(const char* Name, const QString& Caption, const char* const* Items,
                          int Count, QButtonGroup*& Group);

    QLineEdit* Edit_kavoltPath;
    QPushButton* Button_kavoltpath;
    QGroupBox* RadioGroup_outcode;
    QButtonGroup* outcode_;
    QGroupBox* RadioGroup_d;
    QButtonGroup* interface_;
    QLineEdit* Edit_com;
    QLineEdit* Edit_lpt;
    QLineEdit* Edit_outdir;
    QPushButton* Button_outDir;
    QPushButton* Button_tempdir;
    QLineEdit* Edit_scale;
    QCheckBox* CheckBox_scale;
    QCheckBox* CheckBox_rotate;
    QLineEdit* Edit_xnull;
    QLineEdit* Edit_ynull;
    QLineEdit* Edit_textbreitenfaktor;
    QComboBox* ComboBox_psfont;
    QLabel* Label_commandline;
    QPushButton* Button_ok;
    QPushButton* Button_cancel;
    QPushButton* Button_help;
    QLabel* labels_[8];
};

} // namespace kt4
