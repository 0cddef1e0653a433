#include "drive/gui/geometry_form.h"

#include "foundation/gui/form_placement.h"
#include "foundation/gui/form_util.h"
#include "foundation/helptext.h"
#include "foundation/placement.h"
#include "foundation/settings.h"
#include "foundation/units.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kt4 {

using namespace formutil;
using drive::GeometryDialogModel;

namespace {

constexpr Word HelpGeometry = 8200;

// The fields in the form's two columns, with their captions.
struct Row {
    const char* field;
    const char* caption;
};
const Row LeftColumn[] = {
    {"Edit_dh", "Durchmesser Hohlrad dH"},
    {"Edit_dp", "Durchmesser Waelzrad dp"},
    {"Edit_exz", "Exzentrizitaet"},
    {"Edit_bh", "Breite Hohlrad bH"},
    {"Edit_bw", "Breite Waelzrad bP"},
    {"Edit_diw", "Außendurchmesser Lager deLg2"},
    {"Edit_dexz", "Innendurchmesser Lager diLg2"},
    {"SpinEdit_nzapfen", "Anzahl Bolzen / Rollen nz"},
    {"Edit_dlk", "Lochkreis Bolzen dlk"},
    {"Edit_dzw", "Bohrung Waelzrad für Rollen/Bolzen dzw"},
    {"Edit_dzapfen", "Durchmesser Bolzen dz"},
    {"Edit_drolle", "Durchmesser Rollen dR"},
    {"Edit_dabtriebscheibe", "Durchmesser Teller Abtrieb des"},
    {"Edit_babtriebscheibe", "Breite Teller Abtrieb bs"},
    {"Edit_cax", "Spiel axial c ax"},
    {"Edit_wal", "Eingriffswinkel alpha"},
};
const Row RightColumn[] = {
    {"Edit_dhe", "Außendurchmesser Gehaeuse dHe"},
    {"Edit_dlks", "Lochkreis Schrauben dLkS"},
    {"SpinEdit_anzs", "Anzahl Bolzen / Schrauben ns"},
    {"Edit_ds", "Durchmesser Bohrung Schrauben dS"},
    {"Edit_dantr", "Durchmesser Welle Antrieb d1"},
    {"Edit_lantr", "Länge Welle Antrieb L1"},
    {"Edit_blagerantr", "Breite Lager bLg1"},
    {"Edit_dilagerantr", "Außendurchmesser Lager deLg1"},
    {"Edit_dabtr", "Durchmesser Welle Abtrieb d2"},
    {"Edit_labtr", "Länge Welle Abtrieb L2"},
    {"Edit_blagerabtr", "Breite Lager bLg45"},
    {"Edit_dilagerabtr", "Außendurchmesser Lager deLg4"},
    {"Edit_didist", "Innendurchmesser Distanzring Abtrieb didist"},
    {"Edit_dilagerexz", "Innendurchmesser Lager diLg3"},
    {"Edit_delagerexz", "Außendurchmesser Lager deLg3"},
    {"Edit_blagerexz", "Breite Lager bLg3"},
};

// The object name of a field's label: "Edit_dh" -> "Label_dh".
QString LabelName(const std::string& field) { return Q("Label_" + field.substr(field.find('_') + 1)); }

} // namespace

TForm_kt4geo::TForm_kt4geo(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("TForm_kt4geo");
    std::map<std::string, std::string> buttonOf;
    for (const auto& [button, field] : GeometryDialogModel::SuggestionButtons())
        buttonOf[field] = button;

    auto* columns = new QHBoxLayout;
    for (const auto& column : {std::begin(LeftColumn), std::begin(RightColumn)}) {
        auto* grid = new QGridLayout;
        grid->setVerticalSpacing(2);
        for (int r = 0; r < 16; ++r) {
            const Row& row = column[r];
            const std::string field = row.field;
            auto* label = Named<QLabel>(this, LabelName(field));
            label->setText(QString::fromUtf8(row.caption));
            grid->addWidget(label, r, 0);
            QWidget* input = nullptr;
            if (field.rfind("SpinEdit", 0) == 0) {
                auto* spin = Named<QSpinBox>(this, Q(field));
                const bool bolts = field == "SpinEdit_nzapfen";
                spin->setRange(bolts ? GeometryDialogModel::MinBolts : GeometryDialogModel::MinScrews,
                               bolts ? GeometryDialogModel::MaxBolts : GeometryDialogModel::MaxScrews);
                connect(spin, &QSpinBox::valueChanged, this, [this, field](int v) {
                    if (!loading_)
                        model_.SetText(field, std::to_string(v));
                });
                spins_[field] = spin;
                input = spin;
            } else {
                auto* edit = Named<QLineEdit>(this, Q(field));
                connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
                    model_.SetText(field, S(text));
                    Label_i->setText(Q(model_.RatioText()));
                });
                edits_[field] = edit;
                input = edit;
            }
            input->setFixedWidth(ScaleSize(80));
            grid->addWidget(input, r, 1);
            if (field != "Edit_wal" && field.rfind("SpinEdit", 0) != 0) {
                auto* unit = Named<QLabel>(this, LabelName(field) + "_unit");
                unitLabels_.push_back(unit);
                grid->addWidget(unit, r, 2);
            }
            auto* suggest = Named<QPushButton>(this, Q(buttonOf.at(field)));
            suggest->setText("<");
            suggest->setFixedWidth(ScaleSize(24));
            suggest->setAutoDefault(false);
            const std::string button = buttonOf.at(field);
            connect(suggest, &QPushButton::clicked, this, [this, button] { SuggestionClick(button); });
            grid->addWidget(suggest, r, 3);
        }
        columns->addLayout(grid);
        columns->addSpacing(ScaleSize(16));
    }
    // Button_dantr proposes d1 beside Edit_dantr; it is in the table above.

    auto* bearings = new QHBoxLayout;
    int k = 1;
    for (const std::string& name : GeometryDialogModel::BearingButtons()) {
        auto* b = Named<QPushButton>(this, Q(name));
        b->setText(QString::fromUtf8("Wälzlager %1").arg(k++));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, name] { BearingClick(name); });
        bearings->addWidget(b);
    }
    bearings->addStretch();

    Label_i = Named<QLabel>(this, "Label_i");
    Button_calc = Named<QPushButton>(this, "Button_calc");
    Button_ok = Named<QPushButton>(this, "Button_ok");
    Button_cancel = Named<QPushButton>(this, "Button_cancel");
    Button_help = Named<QPushButton>(this, "Button_help");
    Button_metric = Named<QPushButton>(this, "Button_metric");
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {Button_calc, Button_ok, Button_cancel, Button_help, Button_metric}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    columns->addLayout(buttons);

    auto* top = new QVBoxLayout(this);
    top->addLayout(columns);
    top->addWidget(Label_i);
    top->addLayout(bearings);

    connect(Button_calc, &QPushButton::clicked, this, &TForm_kt4geo::Button_calcClick);
    connect(Button_ok, &QPushButton::clicked, this, &TForm_kt4geo::Button_okClick);
    connect(Button_cancel, &QPushButton::clicked, this, &TForm_kt4geo::reject);
    connect(Button_help, &QPushButton::clicked, this, &TForm_kt4geo::Button_helpClick);
    connect(Button_metric, &QPushButton::clicked, this, &TForm_kt4geo::Button_metricClick);
    FormCreate();
    FormShow();
}

void TForm_kt4geo::FormCreate()
{
    SetHelpNumber(HelpGeometry);
    setWindowTitle(FromOem(settings::ProgramTitle));
    Button_calc->setText("&Rechnen");
    Button_ok->setText("OK");
    Button_cancel->setText("Abbrechen");
    Button_help->setText("&Hilfe");
    Button_metric->setText("mm <--> inch");
    CenterForm(this);
}

void TForm_kt4geo::FormShow()
{
    Refresh();
    Label_i->setText(Q(model_.RatioText()));
}

// Every field, unit label and the ratio label from the model.
void TForm_kt4geo::Refresh()
{
    loading_ = true;
    for (auto& [field, edit] : edits_)
        edit->setText(Q(model_.Text(field)));
    for (auto& [field, spin] : spins_) {
        spin->setValue(std::atoi(model_.Text(field).c_str()));
        model_.SetText(field, std::to_string(spin->value())); // what the box can show
    }
    for (QLabel* unit : unitLabels_)
        unit->setText(FromOem(LengthUnit()));
    Label_i->setText(Q(model_.RatioText()));
    loading_ = false;
}

void TForm_kt4geo::FocusRefused()
{
    auto it = edits_.find(model_.RefusedField());
    if (it != edits_.end()) {
        it->second->setFocus();
        it->second->selectAll();
    }
}

void TForm_kt4geo::Button_calcClick()
{
    if (!model_.Calc())
        return FocusRefused();
    raise();
    activateWindow();
}

void TForm_kt4geo::Button_okClick()
{
    if (!model_.Ok())
        return FocusRefused();
    accept();
}

void TForm_kt4geo::reject()
{
    model_.Cancel();
    QDialog::reject();
}

void TForm_kt4geo::Button_helpClick()
{
    ShowHelpText(HelpGeometry, "", 2);
    raise();
    ShowHelpText(HelpGeometry, "", 1);
}

void TForm_kt4geo::Button_metricClick()
{
    if (!model_.ToggleUnits())
        return FocusRefused();
    Refresh();
}

void TForm_kt4geo::SuggestionClick(const std::string& Button)
{
    if (model_.Suggest(Button))
        Refresh();
}

void TForm_kt4geo::BearingClick(const std::string& Button)
{
    if (!model_.PickBearing(Button)) {
        FocusRefused();
        return;
    }
    Refresh();
    raise();
    activateWindow();
}

} // namespace kt4
