#include "drive/gui/drive_data_forms.h"

#include "foundation/gui/form_placement.h"
#include "foundation/gui/form_util.h"
#include "foundation/helptext.h"
#include "foundation/placement.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"
#include "foundation/units.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kt4 {

using namespace formutil;
using drive::DriveDataDialogModel;

namespace {

constexpr Word HelpDriveData = 5500;
constexpr Word HintRatio = 4000;
constexpr Word HintApplicationFactor = 4010;

QLabel* Caption(QWidget* parent, const QString& name, const char* text)
{
    auto* label = Named<QLabel>(parent, name);
    label->setText(QString::fromUtf8(text));
    return label;
}

QString DriveTitle()
{
    return Q("Nennleistung, Drehmoment, Drehzahl  ") + FromOem(settings::ProductName);
}

} // namespace

// ---- DriveFormBase -------------------------------------------------------------

DriveFormBase::DriveFormBase(QWidget* Parent, drive::DialogFieldTexts& Model) : QDialog(Parent), fields_(Model)
{
    Button_calc = Named<QPushButton>(this, "Button_calc");
    Button_ok = Named<QPushButton>(this, "Button_ok");
    Button_cancel = Named<QPushButton>(this, "Button_cancel");
    Button_help = Named<QPushButton>(this, "Button_help");
    Button_metric = Named<QPushButton>(this, "Button_metric");
    Button_calc->setText("&Rechnen");
    Button_ok->setText("OK");
    Button_cancel->setText("Abbrechen");
    Button_help->setText("&Hilfe");
    Button_metric->setText("mm <--> inch");
    for (QPushButton* b : {Button_calc, Button_ok, Button_cancel, Button_help, Button_metric})
        b->setAutoDefault(false);
    connect(Button_calc, &QPushButton::clicked, this, &DriveFormBase::Button_calcClick);
    connect(Button_ok, &QPushButton::clicked, this, &DriveFormBase::Button_okClick);
    connect(Button_cancel, &QPushButton::clicked, this, &DriveFormBase::reject);
    connect(Button_help, &QPushButton::clicked, this, &DriveFormBase::Button_helpClick);
    connect(Button_metric, &QPushButton::clicked, this, &DriveFormBase::Button_metricClick);
    SetHelpNumber(HelpDriveData);
}

QLineEdit* DriveFormBase::AddEdit(const char* Name)
{
    auto* edit = Named<QLineEdit>(this, Name);
    edit->setFixedWidth(ScaleSize(90));
    const std::string field = Name;
    connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
        fields_.SetText(field, S(text));
        for (auto& [name, other] : edits_) // what the completion changed; the typed field keeps its cursor
            if (name != field)
                other->setText(Q(fields_.Text(name)));
    });
    edits_[field] = edit;
    return edit;
}

QPushButton* DriveFormBase::AddSuggestion(const char* Name, const char* Caption)
{
    auto* b = Named<QPushButton>(this, Name);
    b->setText(Caption);
    b->setFixedWidth(ScaleSize(24));
    b->setAutoDefault(false);
    const std::string button = Name;
    connect(b, &QPushButton::clicked, this, [this, button] {
        if (fields_.Suggest(button))
            Refresh();
    });
    return b;
}

QLayout* DriveFormBase::ButtonColumn()
{
    auto* column = new QVBoxLayout;
    for (QPushButton* b : {Button_calc, Button_ok, Button_cancel, Button_help, Button_metric})
        column->addWidget(b);
    column->addStretch();
    return column;
}

void DriveFormBase::Refresh()
{
    for (auto& [name, edit] : edits_)
        edit->setText(Q(fields_.Text(name)));
}

void DriveFormBase::FocusRefused()
{
    auto it = edits_.find(fields_.RefusedField());
    if (it != edits_.end()) {
        it->second->setFocus();
        it->second->selectAll();
    }
}

void DriveFormBase::Button_calcClick()
{
    if (!fields_.Calc())
        return FocusRefused();
    raise();
    activateWindow();
}

void DriveFormBase::Button_okClick()
{
    if (!fields_.Ok())
        return FocusRefused();
    accept();
}

void DriveFormBase::reject()
{
    fields_.Cancel();
    QDialog::reject();
}

void DriveFormBase::Button_helpClick()
{
    ShowHelpText(HelpDriveData, "", 1);
    settings::AbortFlag = false;
}

void DriveFormBase::Button_metricClick()
{
    if (!fields_.ToggleUnits())
        return FocusRefused();
    Refresh();
}

// ---- DriveDataForm -----------------------------------------------------------

DriveDataForm::DriveDataForm(DriveDataDialogModel::Kind Kind, QWidget* Parent)
    : DriveFormBase(Parent, model_), model_(Kind)
{
    const bool pre = Kind == DriveDataDialogModel::Kind::PreDesign;
    auto* grid = new QGridLayout;
    grid->addWidget(Caption(this, "Label_shaft1", "1"), 0, 1, Qt::AlignCenter);
    grid->addWidget(Caption(this, "Label_shaft2", "2"), 0, 2, Qt::AlignCenter);
    const char* rows[3][2] = {{"Edit_n1", "Edit_n2"}, {"Edit_t1", "Edit_t2"}, {"Edit_p1", "Edit_p2"}};
    const char* captions[3] = {"Drehzahl n", "Nenndrehmoment T", "Nennleistung P"};
    const char* labels[3] = {"Label_n", "Label_t", "Label_p"};
    Label_torque = Named<QLabel>(this, "Label_torque_unit");
    Label_force = Named<QLabel>(this, "Label_force_unit");
    QLabel* units[3] = {Caption(this, "Label_speed_unit", "1/min"), Label_torque,
                        Caption(this, "Label_power_unit", "kW")};
    for (int r = 0; r < 3; ++r) {
        grid->addWidget(Caption(this, labels[r], captions[r]), r + 1, 0);
        grid->addWidget(AddEdit(rows[r][0]), r + 1, 1);
        grid->addWidget(AddEdit(rows[r][1]), r + 1, 2);
        grid->addWidget(units[r], r + 1, 3);
    }
    grid->addWidget(Caption(this, "Label_eta", "Wirkungsgrad eta"), 4, 0);
    grid->addWidget(AddEdit("Edit_etaproz"), 4, 1);
    grid->addWidget(Caption(this, "Label_eta_unit", "%"), 4, 3);
    grid->addWidget(AddSuggestion("Button_etaproz"), 4, 4);
    grid->addWidget(Caption(this, "Label_frext", pre ? "Radialkraft Fr ext" : "Radialkraft ext"), 5, 0);
    grid->addWidget(AddEdit("Edit_frext1"), 5, 1);
    grid->addWidget(AddEdit("Edit_frext2"), 5, 2);
    grid->addWidget(Label_force, 5, 3);
    Label_i = Named<QLabel>(this, "Label_i");
    if (pre) {
        grid->addWidget(AddSuggestion("Button_frext"), 5, 4);
        Label_i->setText(QString::fromUtf8("Übersetzungsverhältnis u=n1/n2"));
        Label_i->setToolTip(Q(HelpTextString(HintRatio)));
        grid->addWidget(Label_i, 6, 0);
        grid->addWidget(AddEdit("Edit_i"), 6, 1);
        grid->addWidget(AddSuggestion("Button_i"), 6, 4);
        auto* ka = Caption(this, "Label_ka", "Anwendungsfaktor KA");
        ka->setToolTip(Q(HelpTextString(HintApplicationFactor)));
        grid->addWidget(ka, 7, 0);
        grid->addWidget(AddEdit("Edit_ka"), 7, 1);
        grid->addWidget(AddSuggestion("Button_ka"), 7, 4);
    } else {
        Label_i->setText(Q(model_.RatioLabel()));
        grid->addWidget(Label_i, 6, 0);
    }

    RadioGroup1 = RadioGroupBox(this, "RadioGroup1", "", {"n", "T", "P"}, derived_);
    RadioGroup_rad = RadioGroupBox(this, "RadioGroup_rad", "",
                                   pre ? QStringList{"1: input", "2: output"} : QStringList{"1: Input", "2: Output"},
                                   given_);
    connect(derived_, &QButtonGroup::idClicked, this, [this](int id) {
        model_.SetDerivedItem(id);
        ApplyEnableRule();
    });
    connect(given_, &QButtonGroup::idClicked, this, [this](int id) {
        model_.SetGivenShaft(id);
        ApplyEnableRule();
    });
    auto* radios = new QVBoxLayout;
    radios->addWidget(RadioGroup1);
    radios->addWidget(RadioGroup_rad);
    radios->addStretch();

    auto* top = new QHBoxLayout(this);
    top->setSizeConstraint(QLayout::SetFixedSize);
    top->addLayout(grid);
    top->addLayout(radios);
    top->addLayout(ButtonColumn());

    setWindowTitle(DriveTitle());
    Refresh();
    CenterForm(this);
}

void DriveDataForm::Refresh()
{
    DriveFormBase::Refresh();
    Label_torque->setText(FromOem(TorqueUnit()));
    Label_force->setText(FromOem(ForceUnit()));
    derived_->button(model_.DerivedItem())->setChecked(true);
    given_->button(model_.GivenShaft())->setChecked(true);
    ApplyEnableRule();
}

void DriveDataForm::ApplyEnableRule()
{
    for (auto& [name, edit] : edits_)
        edit->setEnabled(model_.Enabled(name));
}

TForm_kt4fs3::TForm_kt4fs3(QWidget* Parent) : DriveDataForm(DriveDataDialogModel::Kind::DriveData, Parent)
{
    setObjectName("TForm_kt4fs3");
}

TForm_kt4pre::TForm_kt4pre(QWidget* Parent) : DriveDataForm(DriveDataDialogModel::Kind::PreDesign, Parent)
{
    setObjectName("TForm_kt4pre");
}

// ---- TForm_kt4pre2 -------------------------------------------------------------

TForm_kt4pre2::TForm_kt4pre2(QWidget* Parent) : DriveFormBase(Parent, model_)
{
    setObjectName("TForm_kt4pre2");
    auto* grid = new QGridLayout;
    grid->addWidget(Caption(this, "Label_dabtr", "Wellendurchmesser Abtrieb d2"), 0, 0);
    grid->addWidget(AddEdit("Edit_dabtr"), 0, 1);
    grid->addWidget(Caption(this, "Label_dantr", "Wellendurchmesser Antrieb d1"), 1, 0);
    grid->addWidget(AddEdit("Edit_dantr"), 1, 1);
    grid->addWidget(Caption(this, "Label_dh", "Teilkreisdurchmesser Hohlrad dH"), 2, 0);
    grid->addWidget(AddEdit("Edit_dh"), 2, 1);
    grid->addWidget(AddSuggestion("Button_dh"), 2, 2);
    Label_unit = Named<QLabel>(this, "Label_unit");
    grid->addWidget(Label_unit, 0, 2);
    grid->setRowStretch(3, 1);
    auto* top = new QHBoxLayout(this);
    top->setSizeConstraint(QLayout::SetFixedSize);
    top->addLayout(grid);
    top->addLayout(ButtonColumn());
    setWindowTitle(Q("Vorauslegung  ") + FromOem(settings::ProductName));
    Refresh();
    CenterForm(this);
}

void TForm_kt4pre2::Refresh()
{
    DriveFormBase::Refresh();
    Label_unit->setText(FromOem(LengthUnit()));
}

} // namespace kt4
