#include "shell/gui/select_color_form.h"

#include "foundation/gui/form_placement.h"
#include "foundation/gui/form_util.h"
#include "foundation/settings.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kt4::shell::gui {

using formutil::Named;

namespace {
const char* const ColorNames[16] = {
    "rot", "gelb", "gr\xC3\xBCn", "cyan", "blau", "magenta", "wei\xC3\x9F", "dunkel blau", "dunkel gr\xC3\xBCn",
    "dunkel cyan", "dunkel rot", "dunkel magenta", "braun", "hell grau", "dunkel grau", "schwarz"};
}

TForm_selectcolor::TForm_selectcolor(int Current, QWidget* Parent) : QDialog(Parent)
{
    setObjectName("TForm_selectcolor");
    setWindowTitle("Farbe");
    ListBox_color = Named<QListWidget>(this, "ListBox_color");
    Button_ok = Named<QPushButton>(this, "Button_ok");
    Button_cancel = Named<QPushButton>(this, "Button_cancel");
    for (int k = 1; k <= 16; ++k)
        ListBox_color->addItem(QString("%1 (%2)").arg(k).arg(QString::fromUtf8(ColorNames[k - 1])));
    if (Current >= 1 && Current <= 16)
        ListBox_color->setCurrentRow(Current - 1);
    Button_ok->setText("OK");
    Button_ok->setDefault(true);
    Button_cancel->setText("Abbrechen");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button_ok);
    buttons->addWidget(Button_cancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(ListBox_color);
    top->addLayout(buttons);
    int frame = 2 * ListBox_color->frameWidth();
    ListBox_color->setFixedHeight(ListBox_color->sizeHintForRow(0) * 16 + frame);
    ListBox_color->setMinimumWidth(ListBox_color->sizeHintForColumn(0) + frame + 24);
    adjustSize();

    connect(Button_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button_cancel, &QPushButton::clicked, this, &TForm_selectcolor::reject);
    connect(ListBox_color, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    CenterForm(this);
}

int TForm_selectcolor::Chosen() const { return ListBox_color->currentRow() + 1; }

void TForm_selectcolor::reject()
{
    settings::AbortFlag = true;
    QDialog::reject();
}

bool SelectColor(int& Color, QWidget* Parent)
{
    TForm_selectcolor form(Color, Parent);
    if (form.exec() != QDialog::Accepted || form.Chosen() < 1)
        return false;
    Color = form.Chosen();
    return true;
}

} // namespace kt4::shell::gui
