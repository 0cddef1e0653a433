// TForm_kt4fs3 (drive data), TForm_kt4pre and TForm_kt4pre2 (the two steps
// of the preliminary design). Their rules live in DriveDataDialogModel and
// PreDesign2DialogModel; the forms show the fields and pass on what the
// user does.
#pragma once

#include "drive/drive_data_dialogs.h"

#include <QDialog>
#include <map>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kt4 {

// What the three forms share: the fields, the buttons and their handling.
class DriveFormBase : public QDialog {
    Q_OBJECT
public:
    void reject() override; // Esc and the window's close box cancel

protected:
    // Model: the rules behind the fields and buttons; it must outlive the
    // form's signals (a member of the derived form).
    DriveFormBase(QWidget* Parent, drive::DialogFieldTexts& Model);
    virtual void Refresh();

    QLineEdit* AddEdit(const char* Name);
    QPushButton* AddSuggestion(const char* Name, const char* Caption = "<");
    QLayout* ButtonColumn();
    void FocusRefused();

    drive::DialogFieldTexts& fields_;
    std::map<std::string, QLineEdit*> edits_;
    QPushButton* Button_calc;
    QPushButton* Button_ok;
    QPushButton* Button_cancel;
    QPushButton* Button_help;
    QPushButton* Button_metric;

private:
    void Button_calcClick();
    void Button_okClick();
    void Button_helpClick();
    void Button_metricClick();
};

// TForm_kt4fs3 and TForm_kt4pre.
class DriveDataForm : public DriveFormBase {
    Q_OBJECT
public:
    const drive::DriveDataDialogModel& Model() const { return model_; }

protected:
    DriveDataForm(drive::DriveDataDialogModel::Kind Kind, QWidget* Parent);
    void Refresh() override;

private:
    void ApplyEnableRule();

    drive::DriveDataDialogModel model_;
    QGroupBox* RadioGroup1;
    QGroupBox* RadioGroup_rad;
    QButtonGroup* derived_;
    QButtonGroup* given_;
    QLabel* Label_i;
    QLabel* Label_torque;
    QLabel* Label_force;
};

class TForm_kt4fs3 : public DriveDataForm {
    Q_OBJECT
public:
    explicit TForm_kt4fs3(QWidget* Parent = nullptr);
};

class TForm_kt4pre : public DriveDataForm {
    Q_OBJECT
public:
    explicit TForm_kt4pre(QWidget* Parent = nullptr);
};

class TForm_kt4pre2 : public DriveFormBase {
    Q_OBJECT
public:
    explicit TForm_kt4pre2(QWidget* Parent = nullptr);
    const drive::PreDesign2DialogModel& Model() const { return model_; }

protected:
    void Refresh() override;

private:
    drive::PreDesign2DialogModel model_;
    QLabel* Label_unit;
};

} // namespace kt4
