#include "drive/gui/project_texts_form.h"

#include "drive/docu_forms.h"
#include "drive/docu_texts.h"
#include "foundation/gui/form_placement.h"
#include "foundation/gui/form_util.h"
#include "foundation/settings.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kt4 {

using namespace formutil;

Tform_uni4::Tform_uni4(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("Tform_uni4");
    Label_zeichname = Named<QLabel>(this, "Label_zeichname");
    Edit_zeichname = Named<QLineEdit>(this, "Edit_zeichname");
    Label_zeichname2 = Named<QLabel>(this, "Label_zeichname2");
    Edit_zeichname2 = Named<QLineEdit>(this, "Edit_zeichname2");
    Label_zeichnr = Named<QLabel>(this, "Label_zeichnr");
    Edit_zeichnr = Named<QLineEdit>(this, "Edit_zeichnr");
    for (int k = 0; k < 3; ++k) {
        Label_bemerk[k] = Named<QLabel>(this, QString("Label_bemerk%1").arg(k + 1));
        Edit_bemerk[k] = Named<QLineEdit>(this, QString("Edit_bemerk%1").arg(k + 1));
    }
    Button_ok = Named<QPushButton>(this, "Button_ok");
    Button_cancel = Named<QPushButton>(this, "Button_cancel");

    auto* grid = new QGridLayout(this);
    QLabel* labels[] = {Label_zeichname, Label_zeichname2, Label_zeichnr,
                        Label_bemerk[0], Label_bemerk[1], Label_bemerk[2]};
    QLineEdit* edits[] = {Edit_zeichname, Edit_zeichname2, Edit_zeichnr,
                          Edit_bemerk[0], Edit_bemerk[1], Edit_bemerk[2]};
    for (int r = 0; r < 6; ++r) {
        grid->addWidget(labels[r], r, 0);
        grid->addWidget(edits[r], r, 1);
        edits[r]->setMinimumWidth(360);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button_ok);
    buttons->addWidget(Button_cancel);
    grid->addLayout(buttons, 6, 0, 1, 2);

    connect(Button_ok, &QPushButton::clicked, this, &Tform_uni4::Button_okClick);
    connect(Button_cancel, &QPushButton::clicked, this, &Tform_uni4::Button_cancelClick);
    FormCreate();
}

void Tform_uni4::FormCreate()
{
    const docu::TDocuTexts& t = docu::DocuTexts;
    CenterForm(this);
    setWindowTitle(FromOem(settings::ProgramTitle));
    Button_ok->setText("OK");
    Button_ok->setDefault(true);
    Button_cancel->setText("Abbrechen");
    for (int k = 0; k < 3; ++k)
        Label_bemerk[k]->setText(FromOem(t.remarkLabel) + QString(" %1").arg(k + 1));
    Label_zeichname->setText(FromOem(t.drawingNameLabel));
    Label_zeichname2->setText(FromOem(t.drawingNameLabel) + " 2");
    Label_zeichnr->setText(FromOem(t.drawingNumberLabel));

    docu::ProjectTextsValues v = docu::LoadProjectTexts();
    Edit_zeichname->setText(Q(v.zeichName));
    Edit_zeichname2->setText(Q(v.zeichName2));
    Edit_zeichnr->setText(Q(v.zeichNr));
    for (int k = 0; k < 3; ++k)
        Edit_bemerk[k]->setText(Q(v.remarks[static_cast<std::size_t>(k)]));
}

void Tform_uni4::Button_okClick()
{
    settings::AbortFlag = false;
    docu::ProjectTextsValues v;
    v.zeichName = S(Edit_zeichname->text());
    v.zeichName2 = S(Edit_zeichname2->text());
    v.zeichNr = S(Edit_zeichnr->text());
    for (int k = 0; k < 3; ++k)
        v.remarks[static_cast<std::size_t>(k)] = S(Edit_bemerk[k]->text());
    if (docu::StoreProjectTexts(v))
        accept();
}

void Tform_uni4::Button_cancelClick()
{
    settings::AbortFlag = true;
    reject();
}

} // namespace kt4
