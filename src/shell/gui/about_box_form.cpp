#include "shell/gui/about_box_form.h"

#include "foundation/gui/form_placement.h"
#include "foundation/placement.h"
#include "shell/about_box.h"

#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kt4::shell::gui {

namespace {

QLabel* NamedLabel(QWidget* Parent, const char* Name, const std::string& Text)
{
    auto* label = new QLabel(QString::fromStdString(Text), Parent);
    label->setObjectName(Name);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("AboutBox");
    const AboutTexts t = AboutBoxTexts();
    setWindowTitle(QString::fromStdString(t.caption));
    Label_extended = NamedLabel(this, "Label_extended", t.extended);
    ProductName = NamedLabel(this, "ProductName", t.productName);
    Label_sonderversion = NamedLabel(this, "Label_sonderversion", t.sonderversion);
    Label_fileversion = NamedLabel(this, "Label_fileversion", t.fileVersion);
    Comments = NamedLabel(this, "Comments", t.comments);
    Comments->setWordWrap(true);
    Label_owner = NamedLabel(this, "Label_owner", t.owner);
    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* inner = new QVBoxLayout(panel);
    for (QLabel* l : {Label_extended, ProductName, Label_sonderversion, Label_fileversion})
        inner->addWidget(l);
    inner->addSpacing(ScaleSize(8));
    inner->addWidget(Comments);
    inner->addSpacing(ScaleSize(8));
    inner->addWidget(Label_owner);
    Label_sonderversion->setVisible(!t.sonderversion.empty());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addStretch();
    layout->addLayout(buttons);
    panel->setMinimumWidth(ScaleSize(360));
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    adjustSize();
    CenterForm(this); // scales the controls' fonts to the form's
    QFont title = Label_extended->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.3);
    Label_extended->setFont(title);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace kt4::shell::gui
