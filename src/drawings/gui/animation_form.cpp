#include "drawings/gui/animation_form.h"

#include "foundation/gui/qt_ui.h"
#include "foundation/dialogs.h"
#include "foundation/gui/form_placement.h"
#include "foundation/gui/form_util.h"
#include "foundation/helptext.h"
#include "foundation/settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kt4::drawings {

using formutil::FromOem;
using formutil::Named;

namespace {

constexpr Word AnimationHelp = 5600;

} // namespace

TForm_ani1::TForm_ani1(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("TForm_ani1");
    Label_anzbild = Named<QLabel>(this, "Label_anzbild");
    Edit_anzbild = Named<QLineEdit>(this, "Edit_anzbild");
    Button_anzbild = Named<QPushButton>(this, "Button_anzbild");
    Label_anzwdh = Named<QLabel>(this, "Label_anzwdh");
    Edit_anzwdh = Named<QLineEdit>(this, "Edit_anzwdh");
    Button_anzwdh = Named<QPushButton>(this, "Button_anzwdh");
    Label_ms = Named<QLabel>(this, "Label_ms");
    Edit_ms = Named<QLineEdit>(this, "Edit_ms");
    Label1 = Named<QLabel>(this, "Label1");
    Button_ms = Named<QPushButton>(this, "Button_ms");
    CheckBox_singlestep = Named<QCheckBox>(this, "CheckBox_singlestep");
    Button_ok = Named<QPushButton>(this, "Button_ok");
    Button_cancel = Named<QPushButton>(this, "Button_cancel");
    Button_help = Named<QPushButton>(this, "Button_help");

    auto* grid = new QGridLayout;
    grid->addWidget(Label_anzbild, 0, 0);
    grid->addWidget(Edit_anzbild, 0, 1);
    grid->addWidget(Button_anzbild, 0, 3);
    grid->addWidget(Label_anzwdh, 1, 0);
    grid->addWidget(Edit_anzwdh, 1, 1);
    grid->addWidget(Button_anzwdh, 1, 3);
    grid->addWidget(Label_ms, 2, 0);
    grid->addWidget(Edit_ms, 2, 1);
    grid->addWidget(Label1, 2, 2);
    grid->addWidget(Button_ms, 2, 3);
    grid->addWidget(CheckBox_singlestep, 3, 0, 1, 4);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button_ok);
    buttons->addWidget(Button_cancel);
    buttons->addWidget(Button_help);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(buttons);

    FormCreate();

    connect(Button_anzbild, &QPushButton::clicked, this, [this] { Edit_anzbild->setText("360"); });
    connect(Button_anzwdh, &QPushButton::clicked, this, [this] { Edit_anzwdh->setText("1"); });
    connect(Button_ms, &QPushButton::clicked, this, [this] { Edit_ms->setText("50"); });
    connect(Button_ok, &QPushButton::clicked, this, &TForm_ani1::Button_okClick);
    connect(Button_cancel, &QPushButton::clicked, this, &TForm_ani1::reject);
    connect(Button_help, &QPushButton::clicked, this, &TForm_ani1::Button_helpClick);
}

void TForm_ani1::FormCreate()
{
    setWindowTitle("Animation");
    Label_anzbild->setText(FromOem("Anzahl der Einzelbilder"));
    Label_anzwdh->setText(FromOem("Anzahl der Wiederholungen"));
    Label_ms->setText(FromOem("Pause nach jedem Einzelbild"));
    Label1->setText("ms");
    CheckBox_singlestep->setText(FromOem(std::string("Pause nach jedem Einzelbild") + " ?"));
    Edit_anzbild->setText("90");
    Edit_anzwdh->setText("1");
    Edit_ms->setText("10");
    for (QPushButton* b : {Button_anzbild, Button_anzwdh, Button_ms}) {
        b->setText("<");
        b->setAutoDefault(false);
        b->setFixedWidth(b->fontMetrics().horizontalAdvance("<<<<"));
    }
    for (QLineEdit* e : {Edit_anzbild, Edit_anzwdh, Edit_ms})
        e->setFixedWidth(e->fontMetrics().horizontalAdvance("0000000"));
    Button_ok->setText("OK");
    Button_ok->setDefault(true);
    Button_cancel->setText("Abbrechen");
    Button_cancel->setAutoDefault(false);
    Button_help->setText("&Hilfe");
    Button_help->setAutoDefault(false);
    CenterForm(this);
}

void TForm_ani1::Button_okClick()
{
    AnimationParams v;
    v.singleStep = CheckBox_singlestep->isChecked();
    AnimationField field = AnimationField::None;
    const std::string refusal = AnimationInputError(Edit_anzbild->text().toStdString(), Edit_anzwdh->text().toStdString(),
                                                    Edit_ms->text().toStdString(), v, field);
    if (!refusal.empty()) {
        ErrorBoxAlways(refusal);
        QLineEdit* edit = field == AnimationField::Repeats ? Edit_anzwdh
                          : field == AnimationField::Pause ? Edit_ms
                                                           : Edit_anzbild;
        edit->setFocus();
        edit->selectAll();
        return; // the form stays open on the field
    }
    Values = v;
    settings::AbortFlag = false;
    accept();
}

void TForm_ani1::reject()
{
    settings::AbortFlag = true;
    QDialog::reject();
}

void TForm_ani1::Button_helpClick() { ShowHelpText(AnimationHelp, "", 1); }

void InstallAnimationForm()
{
    AnimationDialog() = [](AnimationParams& Out) {
        TForm_ani1 form(kt4::gui::DialogParent());
        if (form.exec() != QDialog::Accepted) {
            settings::AbortFlag = true;
            return false;
        }
        Out = form.Values;
        return true;
    };
}

} // namespace kt4::drawings
