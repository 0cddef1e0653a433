// TForm_kt4geo: the geometry dialog. Its rules live in GeometryDialogModel;
// the form shows the model's fields and passes on what the user does.
#pragma once

#include "drive/geometry_dialog.h"

#include <QDialog>
#include <map>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kt4 {

class TForm_kt4geo : public QDialog {
    Q_OBJECT
public:
    explicit TForm_kt4geo(QWidget* Parent = nullptr);

    const drive::GeometryDialogModel& Model() const { return model_; }

public slots:
    void reject() override; // Esc and the window's close box cancel

private:
    void FormCreate();
    void FormShow();
    void Refresh();
    void FocusRefused();
    void Button_calcClick();
    void Button_okClick();
    void Button_helpClick();
    void Button_metricClick();
    void SuggestionClick(const std::string& Button);
    void BearingClick(const std::string& Button);

    drive::GeometryDialogModel model_;
    bool loading_ = false;
    std::map<std::string, QLineEdit*> edits_;
    std::map<std::string, QSpinBox*> spins_;
    std::vector<QLabel*> unitLabels_;
    QLabel* Label_i;
    QPushButton* Button_calc;
    QPushButton* Button_ok;
    QPushButton* Button_cancel;
    QPushButton* Button_help;
    QPushButton* Button_metric;
};

} // namespace kt4
