#include "drive/gui/revision_form.h"

#include "drive/docu_data.h"
#include "drive/docu_forms.h"
#include "drive/docu_texts.h"
#include "foundation/datetime.h"
#include "foundation/gui/form_util.h"
#include "foundation/helptext.h"
#include "foundation/gui/form_placement.h"
#include "foundation/settings.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kt4 {

using namespace formutil;

TForm_EinAend::TForm_EinAend(Word Entry, QWidget* Parent) : QDialog(Parent), entry_(Entry)
{
    setObjectName("TForm_EinAend");
    Label_aenderung = Named<QLabel>(this, "Label_aenderung");
    Edit_aenderung = Named<QLineEdit>(this, "Edit_aenderung");
    Edit_aenderung->setMaxLength(docu::AendTextMax);
    Label_datum = Named<QLabel>(this, "Label_datum");
    Edit_datum = Named<QLineEdit>(this, "Edit_datum");
    Edit_datum->setMaxLength(docu::AendDateMax);
    Label_bearbeiter = Named<QLabel>(this, "Label_bearbeiter");
    Edit_bearbeiter = Named<QLineEdit>(this, "Edit_bearbeiter");
    Edit_bearbeiter->setMaxLength(docu::AendEditorMax);
    Label_beschreibung = Named<QLabel>(this, "Label_beschreibung");
    Edit_beschreibung = Named<QPlainTextEdit>(this, "Edit_beschreibung");
    Button_ok = Named<QPushButton>(this, "Button_ok");
    Button_cancel = Named<QPushButton>(this, "Button_cancel");
    Button_help = Named<QPushButton>(this, "Button_help");
    Button_datum = Named<QPushButton>(this, "Button_datum");

    auto* grid = new QGridLayout;
    grid->addWidget(Label_aenderung, 0, 0);
    grid->addWidget(Edit_aenderung, 0, 1, 1, 2);
    grid->addWidget(Label_datum, 1, 0);
    grid->addWidget(Edit_datum, 1, 1);
    grid->addWidget(Button_datum, 1, 2);
    grid->addWidget(Label_bearbeiter, 2, 0);
    grid->addWidget(Edit_bearbeiter, 2, 1);
    grid->addWidget(Label_beschreibung, 3, 0, 1, 3);
    grid->addWidget(Edit_beschreibung, 4, 0, 1, 3);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Button_ok);
    buttons->addWidget(Button_cancel);
    buttons->addWidget(Button_help);
    buttons->addStretch();
    auto* top = new QHBoxLayout(this);
    top->addLayout(grid, 1);
    top->addLayout(buttons);

    connect(Button_ok, &QPushButton::clicked, this, &TForm_EinAend::Button_okClick);
    connect(Button_cancel, &QPushButton::clicked, this, &TForm_EinAend::Button_cancelClick);
    connect(Button_help, &QPushButton::clicked, this, &TForm_EinAend::Button_helpClick);
    connect(Button_datum, &QPushButton::clicked, this, &TForm_EinAend::Button_datumClick);
    connect(Edit_beschreibung, &QPlainTextEdit::textChanged, this, &TForm_EinAend::LimitDescription);

    FormCreate();
    FormShow();
}

void TForm_EinAend::FormCreate()
{
    const docu::TDocuTexts& t = docu::DocuTexts;
    resize(440, 230);
    CenterForm(this);
    setWindowTitle(FromOem(t.modification));
    Button_ok->setText("OK");
    Button_ok->setDefault(true);
    Button_cancel->setText("Abbrechen");
    Button_help->setText("&Hilfe");
    Button_datum->setText("<" + Q(DateString()));
    Label_aenderung->setText(FromOem(t.changeTextLabel));
    Label_datum->setText(FromOem(t.date));
    Label_bearbeiter->setText(FromOem(t.editorLabel));
    Label_beschreibung->setText(FromOem(t.descriptionLabel));
}

void TForm_EinAend::FormShow()
{
    setWindowTitle(FromOem(docu::DocuTexts.modification) + " " + QString::number(entry_));
    docu::RevisionValues v = docu::LoadRevision(entry_);
    Edit_aenderung->setText(Q(v.text));
    Edit_datum->setText(Q(v.date));
    Edit_bearbeiter->setText(Q(v.editor));
    Edit_beschreibung->setPlainText(Q(v.description));
}

void TForm_EinAend::LimitDescription()
{
    QString text = Edit_beschreibung->toPlainText();
    if (text.size() <= docu::AendDescriptionMax)
        return;
    QTextCursor cursor = Edit_beschreibung->textCursor();
    int pos = std::min<int>(cursor.position(), docu::AendDescriptionMax);
    Edit_beschreibung->setPlainText(text.left(docu::AendDescriptionMax));
    cursor = Edit_beschreibung->textCursor();
    cursor.setPosition(pos);
    Edit_beschreibung->setTextCursor(cursor);
}

void TForm_EinAend::Button_datumClick() { Edit_datum->setText(Q(DateString())); }

void TForm_EinAend::Button_okClick()
{
    settings::AbortFlag = false;
    if (docu::StoreRevision(entry_, {S(Edit_aenderung->text()), S(Edit_datum->text()), S(Edit_bearbeiter->text()),
                                     S(Edit_beschreibung->toPlainText())}))
        accept();
}

void TForm_EinAend::Button_cancelClick()
{
    settings::AbortFlag = true;
    reject();
}

void TForm_EinAend::Button_helpClick() { ShowHelpText(3000, "", 0); }

} // namespace kt4
