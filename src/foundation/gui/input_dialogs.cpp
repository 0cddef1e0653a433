#include "foundation/gui/input_dialogs.h"

#include "foundation/gui/form_placement.h"
#include "foundation/helptext.h"
#include "foundation/placement.h"
#include "foundation/settings.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kt4::gui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Sizes a dialog by the placement rules and leaves its position to the
// window system (centred on its parent).
void Place(QDialog* d, bool sizeable)
{
    if (sizeable)
        ScaleForm(d);
    else
        ScaleFormPPI(d);
    d->setAttribute(Qt::WA_Moved, false);
    d->setSizeGripEnabled(sizeable);
}

QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TinDialog::TinDialog(const QString& caption, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(caption);
    setModal(true);
    auto* outer = new QVBoxLayout(this);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    outer->addWidget(Label1);
    body_ = new QVBoxLayout;
    outer->addLayout(body_, 1);

    auto* row = new QHBoxLayout;
    Button_ok = MakeButton("Button_ok", "OK", this);
    button_cancel = MakeButton("button_cancel", "Abbrechen", this);
    Button_hilfetext = MakeButton("Button_hilfetext", "&Hilfetext", this);
    Button_hilfebild = MakeButton("Button_hilfebild", "Hilfe&bild", this);
    // the help buttons are no tab stops
    Button_hilfetext->setFocusPolicy(Qt::NoFocus);
    Button_hilfebild->setFocusPolicy(Qt::NoFocus);
    for (auto* b : {Button_ok, button_cancel, Button_hilfetext, Button_hilfebild})
        row->addWidget(b);
    outer->addLayout(row);

    connect(Button_ok, &QPushButton::clicked, this, &TinDialog::Button_okClick);
    connect(button_cancel, &QPushButton::clicked, this, &TinDialog::button_cancelClick);
    connect(Button_hilfetext, &QPushButton::clicked, this, &TinDialog::Button_hilfetextClick);
    connect(Button_hilfebild, &QPushButton::clicked, this, &TinDialog::Button_hilfebildClick);
}

void TinDialog::Button_okClick()
{
    OkPressed = true;
    accept();
}

void TinDialog::button_cancelClick()
{
    settings::AbortFlag = true;
    reject();
}

void TinDialog::BackToFront()
{
    settings::AbortFlag = false;
    raise();
    activateWindow();
}

void TinDialog::Button_hilfetextClick()
{
    ShowHelpText(help::HelpNumber, "", 1);
    BackToFront();
}

void TinDialog::Button_hilfebildClick()
{
    ShowHelpText(help::HelpNumber, "", 2);
    BackToFront();
}

void TinDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Button_okClick();
        return;
    case Qt::Key_Escape:
        button_cancelClick();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TinDialog::done(int result)
{
    // closing the window in any way but OK counts as Cancel
    settings::AbortFlag = !OkPressed;
    QDialog::done(result);
}

// Tin_radiodialog ---------------------------------------------------------

Tin_radiodialog::Tin_radiodialog(QWidget* parent) : TinDialog("Auswahl", parent)
{
    setObjectName("Tin_radiodialog");
    resize(444, 328);
    RadioGroup1 = new QGroupBox(this);
    RadioGroup1->setObjectName("RadioGroup1");
    new QVBoxLayout(RadioGroup1);
    Body()->addWidget(RadioGroup1);
    group_ = new QButtonGroup(this);
    Button_ok->setDefault(true);
    Place(this, false);
}

void Tin_radiodialog::Setup(const std::string& prompt, const std::vector<std::string>& lines, int sel)
{
    Label1->setText(Q(prompt));
    for (std::size_t k = 0; k < lines.size(); ++k) {
        auto* r = new QRadioButton(Q(lines[k]), RadioGroup1);
        r->setObjectName(QString("RadioGroup1_%1").arg(k + 1));
        RadioGroup1->layout()->addWidget(r);
        group_->addButton(r, static_cast<int>(k));
    }
    if (auto* b = group_->button(sel - 1)) {
        b->setChecked(true);
        b->setFocus();
    }
    RadioGroup1->setMinimumHeight(ScaleSize((static_cast<int>(lines.size()) + 1) * 25));
}

int Tin_radiodialog::Selection() const { return group_->checkedId() + 1; }

// Tin_codedialog ----------------------------------------------------------

Tin_codedialog::Tin_codedialog(QWidget* parent) : TinDialog("Auswahl", parent)
{
    setObjectName("Tin_codedialog");
    resize(440, 316);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setMinimumSize(389, 161);
    ListBox1->installEventFilter(this);
    Body()->addWidget(ListBox1);
    Button_ok->setDefault(true);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { Button_okClick(); });
    Place(this, false);
}

void Tin_codedialog::Setup(const std::string& prompt, const std::vector<std::string>& lines, int sel)
{
    Label1->setText(Q(prompt));
    for (const auto& l : lines)
        ListBox1->addItem(Q(l));
    if (sel >= 1 && sel <= ListBox1->count())
        ListBox1->setCurrentRow(sel - 1);
    ListBox1->setFocus();
}

int Tin_codedialog::Selection() const
{
    auto selected = ListBox1->selectedItems();
    return selected.isEmpty() ? 0 : ListBox1->row(selected.front()) + 1;
}

bool Tin_codedialog::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in ListBox1 accepts
    if (watched == ListBox1 && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Button_okClick();
            return true;
        }
    }
    return TinDialog::eventFilter(watched, event);
}

// Tin_janeindialog --------------------------------------------------------

Tin_janeindialog::Tin_janeindialog(QWidget* parent) : TinDialog("Eingabe", parent)
{
    setObjectName("Tin_janeindialog");
    resize(309, 233);
    Label1->setMinimumSize(250, 33);
    Label1->setWordWrap(true);
    RadioGroup_janein = new QGroupBox("Auswahl", this);
    RadioGroup_janein->setObjectName("RadioGroup_janein");
    auto* l = new QVBoxLayout(RadioGroup_janein);
    RadioJa = new QRadioButton("&Ja", RadioGroup_janein);
    RadioJa->setObjectName("RadioGroup_janein_Ja");
    RadioNein = new QRadioButton("&Nein", RadioGroup_janein);
    RadioNein->setObjectName("RadioGroup_janein_Nein");
    l->addWidget(RadioJa);
    l->addWidget(RadioNein);
    Body()->addWidget(RadioGroup_janein);
    Place(this, false);
}

void Tin_janeindialog::Setup(const std::string& prompt, char answer)
{
    Label1->setText(Q(prompt));
    QRadioButton* preset = answer == 'N' || answer == 'n' ? RadioNein : RadioJa;
    preset->setChecked(true);
    preset->setFocus();
}

char Tin_janeindialog::Answer() const { return RadioNein->isChecked() ? 'N' : 'J'; }

// Tin_textdialog ----------------------------------------------------------

Tin_textdialog::Tin_textdialog(QWidget* parent) : TinDialog("Eingabe", parent)
{
    setObjectName("Tin_textdialog");
    resize(329, 185);
    Label1->setWordWrap(true);
    EditEinText = new QLineEdit(this);
    EditEinText->setObjectName("EditEinText");
    Body()->addWidget(EditEinText);
    Body()->addStretch(1);
    Button_ok->setDefault(true);
    Place(this, true);
}

void Tin_textdialog::Setup(const std::string& prompt, const std::string& text, int maxLen)
{
    Label1->setText(Q(prompt));
    if (maxLen > 0)
        EditEinText->setMaxLength(maxLen);
    EditEinText->setText(Q(text));
    EditEinText->selectAll();
    EditEinText->setFocus();
}

std::string Tin_textdialog::Text() const { return EditEinText->text().toStdString(); }

} // namespace kt4::gui
