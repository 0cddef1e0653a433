#include "graphics/gui/anistep.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace kt4::graphics {

TForm_anistep::TForm_anistep(QWidget* parent) : QDialog(parent)
{
    setObjectName("TForm_anistep");
    setWindowTitle("Animation");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    Button_nextstep = new QPushButton("+", this);
    Button_nextstep->setObjectName("Button_nextstep");
    Button_nextstep->setDefault(true);
    Button_endstep = new QPushButton("+++++++", this);
    Button_endstep->setObjectName("Button_endstep");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    row->addWidget(Button_nextstep);
    row->addWidget(Button_endstep);
    connect(Button_nextstep, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button_endstep, &QPushButton::clicked, this, &TForm_anistep::reject);
    resize(116, 50);
}

void TForm_anistep::reject()
{
    EndStepping = true;
    QDialog::reject();
}

} // namespace kt4::graphics
