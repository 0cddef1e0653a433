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
    explicit DriveFormBase(QWidget* Parent);
    // The text model behind the fields and the actions the buttons run.
    virtual drive::DialogFieldTexts& Fields() = 0;
    virtual bool Calc() = 0;
    virtual bool Ok() = 0;
    virtual void Cancel() = 0;
    virtual bool ToggleUnits() = 0;
    virtual bool Suggest(const std::string& Button) = 0;
    virtual void Typed(const std::string& Field, const std::string& Text) = 0;
    virtual void Refresh();

    QLineEdit* AddEdit(const char* Name);
    QPushButton* AddSuggestion(const char* Name, const char* Caption = "<");
    QLayout* ButtonColumn();
    void FocusRefused();

    bool loading_ = false;
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
    drive::DialogFieldTexts& Fields() override { return model_; }
    bool Calc() override { return model_.Calc(); }
    bool Ok() override { return model_.Ok(); }
    void Cancel() override { model_.Cancel(); }
    bool ToggleUnits() override { return model_.ToggleUnits(); }
    bool Suggest(const std::string& Button) override { return model_.Suggest(Button); }
    void Typed(const std::string& Field, const std::string& Text) override { model_.SetText(Field, Text); }
    void Refresh() override;

private:
    void ApplyEnableRule();
    QGroupBox* RadioGroup(const char* Name, const QStringList& Items, QButtonGroup*& Group);

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
    drive::DialogFieldTexts& Fields() override { return model_; }
    bool Calc() override { return model_.Calc(); }
    bool Ok() override { return model_.Ok(); }
    void Cancel() override { model_.Cancel(); }
    bool ToggleUnits() override { return model_.ToggleUnits(); }
    bool Suggest(const std::string& Button) override { return model_.Suggest(Button); }
    void Typed(const std::string& Field, const std::string& Text) override { model_.SetText(Field, Text); }
    void Refresh() override;

private:
    drive::PreDesign2DialogModel model_;
    QLabel* Label_unit;
};

} // namespace kt4
