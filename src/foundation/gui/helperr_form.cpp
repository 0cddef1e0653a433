#include "foundation/gui/helperr_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kt4::gui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLabel* MakeLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QPlainTextEdit* MakeMemo(const char* name, QWidget* parent)
{
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(name);
    m->setTabChangesFocus(true);
    return m;
}

} // namespace

Thelperr::Thelperr(QWidget* parent) : QDialog(parent)
{
    setObjectName("Thelperr");
    setWindowTitle("Fehlermeldung");
    setModal(true);
    resize(520, 380);
    auto* layout = new QVBoxLayout(this);
    Label_meldung = MakeLabel("Label_meldung", "Fehlermeldung", this);
    Edit_meldung = new QLineEdit(this);
    Edit_meldung->setObjectName("Edit_meldung");
    Edit_meldung->setReadOnly(true);
    Label_ursache = MakeLabel("Label_ursache", "Ursache", this);
    Memo_ursache = MakeMemo("Memo_ursache", this);
    Label_abhilfe = MakeLabel("Label_abhilfe", "Abhilfe", this);
    Memo_abhilfe = MakeMemo("Memo_abhilfe", this);
    for (QWidget* w : std::initializer_list<QWidget*>{Label_meldung, Edit_meldung, Label_ursache, Memo_ursache,
                                                      Label_abhilfe, Memo_abhilfe})
        layout->addWidget(w);
    auto* row = new QHBoxLayout;
    Button_ok = new QPushButton("OK", this);
    Button_ok->setObjectName("Button_ok");
    Button_ok->setDefault(true);
    Button_help = new QPushButton("&Hilfe", this);
    Button_help->setObjectName("Button_help");
    row->addWidget(Button_ok);
    row->addWidget(Button_help);
    row->addStretch(1);
    layout->addLayout(row);
    connect(Button_ok, &QPushButton::clicked, this, &Thelperr::Button_okClick);
    auto changed = [this] { Changed = true; };
    connect(Memo_ursache, &QPlainTextEdit::textChanged, this, changed);
    connect(Memo_abhilfe, &QPlainTextEdit::textChanged, this, changed);
}

void Thelperr::Setup(const std::string& message, const std::string& cause, const std::string& remedy)
{
    Edit_meldung->setText(Q(message));
    Memo_ursache->setPlainText(Q(cause));
    Memo_abhilfe->setPlainText(Q(remedy));
    Changed = false;
}

std::string Thelperr::Cause() const { return Memo_ursache->toPlainText().toStdString(); }
std::string Thelperr::Remedy() const { return Memo_abhilfe->toPlainText().toStdString(); }

void Thelperr::Button_okClick()
{
    OkPressed = true;
    accept();
}

} // namespace kt4::gui
