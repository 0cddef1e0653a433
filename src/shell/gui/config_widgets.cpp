#include "shell/gui/config_widgets.h"

#include "foundation/gui/form_util.h"
#include "graphics/gui/painter_canvas.h"

#include <QButtonGroup>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kt4::shell::gui {

RadioGroup::RadioGroup(const QString& Caption, const QStringList& Items, QWidget* Parent)
    : QGroupBox(Caption, Parent), group_(new QButtonGroup(this))
{
    auto* column = new QVBoxLayout(this);
    column->setSpacing(0);
    for (int k = 0; k < Items.size(); ++k) {
        auto* b = new QRadioButton(Items[k], this);
        group_->addButton(b, k);
        column->addWidget(b);
    }
    connect(group_, &QButtonGroup::idClicked, this, &RadioGroup::Changed);
}

int RadioGroup::ItemIndex() const { return group_->checkedId(); }
int RadioGroup::Count() const { return static_cast<int>(group_->buttons().size()); }

void RadioGroup::SetItemIndex(int Index) { formutil::SelectRadio(group_, Index); }

ColorPanel::ColorPanel(QWidget* Parent) : QFrame(Parent), caption_(new QLabel(this))
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    setMinimumSize(28, 22);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(2, 2, 2, 2);
    l->addWidget(caption_, 0, Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
}

void ColorPanel::SetValue(graphics::GraphColor Value)
{
    value_ = Value;
    QColor c = graphics::QPainterCanvas::ToQColor(Value);
    QPalette p = palette();
    p.setColor(QPalette::Window, c);
    // the caption stays readable on dark and light colours
    int luminance = (299 * c.red() + 587 * c.green() + 114 * c.blue()) / 1000;
    p.setColor(QPalette::WindowText, luminance < 140 ? Qt::white : Qt::black);
    setPalette(p);
    caption_->setPalette(p);
}

void ColorPanel::SetCaption(const QString& Text) { caption_->setText(Text); }

void ColorPanel::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit Clicked();
    QFrame::mouseReleaseEvent(e);
}

} // namespace kt4::shell::gui
