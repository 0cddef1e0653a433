#include "foundation/gui/hilfebild_form.h"

#include "foundation/gui/form_placement.h"
#include "foundation/helptext.h"
#include "foundation/settings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace kt4::gui {

namespace {

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TForm_hilfebild::TForm_hilfebild(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setObjectName("TForm_hilfebild");
    setWindowTitle("Hilfebild");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    ListBox1 = new QComboBox(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setMinimumWidth(320);
    top->addWidget(ListBox1, 1);
    SpinButton1 = new QWidget(this);
    SpinButton1->setObjectName("SpinButton1");
    auto* spin = new QVBoxLayout(SpinButton1);
    spin->setContentsMargins(0, 0, 0, 0);
    spin->setSpacing(0);
    SpinButton1Up = new QToolButton(SpinButton1);
    SpinButton1Up->setObjectName("SpinButton1Up");
    SpinButton1Up->setArrowType(Qt::UpArrow);
    SpinButton1Down = new QToolButton(SpinButton1);
    SpinButton1Down->setObjectName("SpinButton1Down");
    SpinButton1Down->setArrowType(Qt::DownArrow);
    spin->addWidget(SpinButton1Up);
    spin->addWidget(SpinButton1Down);
    top->addWidget(SpinButton1);
    layout->addLayout(top);

    auto* grid = new QGridLayout;
    Button_ok = MakeButton("Button_ok", "OK", this);
    Button_help = MakeButton("Button_help", "&Hilfe", this);
    Button_neu = MakeButton("Button_neu", "&Neu", this);
    Button_aendern = MakeButton("Button_aendern", QString::fromUtf8("&Ändern"), this);
    Button_einfuegen = MakeButton("Button_einfuegen", QString::fromUtf8("&Einfügen"), this);
    Button_loeschen = MakeButton("Button_loeschen", QString::fromUtf8("&Löschen"), this);
    grid->addWidget(Button_ok, 0, 0);
    grid->addWidget(Button_help, 0, 1);
    grid->addWidget(Button_neu, 0, 2);
    grid->addWidget(Button_aendern, 1, 0);
    grid->addWidget(Button_einfuegen, 1, 1);
    grid->addWidget(Button_loeschen, 1, 2);
    layout->addLayout(grid);

    connect(ListBox1, &QComboBox::activated, this, [this](int index) {
        if (filling_)
            return;
        Line = index + 1;
        Finish(PictureAction::Pick);
    });
    connect(SpinButton1Up, &QToolButton::clicked, this, [this] { Finish(PictureAction::Previous); });
    connect(SpinButton1Down, &QToolButton::clicked, this, [this] { Finish(PictureAction::Next); });
    connect(Button_ok, &QPushButton::clicked, this, [this] { Finish(PictureAction::Ok); });
    connect(Button_help, &QPushButton::clicked, this, [] { ShowHelpText(2300, "", 1); });
    connect(Button_neu, &QPushButton::clicked, this, [this] { Finish(PictureAction::New); });
    connect(Button_aendern, &QPushButton::clicked, this, [this] { Finish(PictureAction::Change); });
    connect(Button_einfuegen, &QPushButton::clicked, this, [this] { Finish(PictureAction::Insert); });
    connect(Button_loeschen, &QPushButton::clicked, this, [this] { Finish(PictureAction::Delete); });

    ScaleFormAtPos(this); // at HelpPictureLeft, HelpPictureTop
}

TForm_hilfebild::~TForm_hilfebild()
{
    settings::HelpPictureLeft = x();
    settings::HelpPictureTop = y();
}

void TForm_hilfebild::Setup(const std::vector<std::string>& lines, int pictureCount, int line)
{
    filling_ = true;
    ListBox1->clear();
    for (const auto& l : lines)
        ListBox1->addItem(QString::fromStdString(l));
    lineCount_ = static_cast<int>(lines.size());
    pictureCount_ = pictureCount;
    Line = line >= 1 && line <= lineCount_ ? line : 1;
    ListBox1->setCurrentIndex(Line - 1);
    filling_ = false;
}

void TForm_hilfebild::Finish(PictureAction action)
{
    Action = action;
    if (action == PictureAction::Previous || action == PictureAction::Next)
        Line = ListBox1->currentIndex() + 1;
    settings::AbortFlag = action == PictureAction::Ok;
    accept();
}

} // namespace kt4::gui
