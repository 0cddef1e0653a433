#include "foundation/gui/form_placement.h"

#include "foundation/placement.h"
#include "foundation/settings.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QLayout>
#include <QPalette>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace kt4 {

namespace {

QPointer<QWidget>& PlacementMain()
{
    static QPointer<QWidget> main;
    return main;
}

// A form built with a layout and given no size of its own is sized from its
// layout's size hint before it is placed (before it is shown it would
// count with the toolkit's stand-in size); a small tool window stays small.
FormRect RectOf(QWidget* w)
{
    if (w->layout() && !w->testAttribute(Qt::WA_Resized)) {
        w->layout()->activate();
        w->resize(w->sizeHint().expandedTo(w->minimumSizeHint()));
    }
    return {w->x(), w->y(), w->width(), w->height()};
}

void Apply(QWidget* w, const FormRect& r)
{
    w->resize(r.width, r.height);
    w->move(r.left, r.top);
}

QRect ScreenArea(const QWidget* w)
{
    QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

void ScaleChildGeometry(QWidget* parent, int percent)
{
    if (parent->layout())
        return; // a layout places the children itself
    for (QWidget* c : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (c->isWindow())
            continue;
        QRect g = c->geometry();
        c->setGeometry(g.x() * percent / 100, g.y() * percent / 100, g.width() * percent / 100,
                       g.height() * percent / 100);
        ScaleChildGeometry(c, percent);
    }
}

} // namespace

void SetPlacementMainWindow(QWidget* Main) { PlacementMain() = Main; }
QWidget* PlacementMainWindow() { return PlacementMain(); }

void ScaleControls(QWidget* Form)
{
    for (QWidget* c : Form->findChildren<QWidget*>())
        if (!c->isWindow())
            c->setFont(QFont()); // inherit the form's font
    int percent = ControlScalePercent();
    if (percent == 100)
        return;
    QFont f = Form->font();
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * percent / 100);
    else
        f.setPixelSize(f.pixelSize() * percent / 100);
    Form->setFont(f);
    ScaleChildGeometry(Form, percent);
}

void CenterForm(QWidget* Form)
{
    ScaleControls(Form);
    QWidget* main = PlacementMain();
    if (!main && Form->parentWidget())
        main = Form->parentWidget()->window();
    FormRect mainRect = main ? FormRect{main->x(), main->y(), main->width(), main->height()} : [&] {
        QRect s = ScreenArea(Form);
        return FormRect{s.x(), s.y(), s.width(), s.height()};
    }();
    Apply(Form, CenterFormRect(RectOf(Form), mainRect));
}

void ScaleCenterFormOnScreen(QWidget* Form)
{
    ScaleControls(Form);
    QRect s = ScreenArea(Form);
    FormRect r = ScaleCenterOnScreenRect(RectOf(Form), s.width(), s.height());
    Form->setMinimumSize(0, 0);
    Form->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    Apply(Form, {r.left + s.x(), r.top + s.y(), r.width, r.height});
}

void ScaleFormAtPos(QWidget* Form)
{
    ScaleControls(Form);
    Apply(Form, ScaleFormAtPosRect(RectOf(Form)));
}

void ScaleForm(QWidget* Form)
{
    Apply(Form, ScaleFormRect(RectOf(Form)));
    ScaleControls(Form);
}

void ScaleFormPPI(QWidget* Form)
{
    Apply(Form, ScaleFormPPIRect(RectOf(Form)));
    ScaleControls(Form);
}

void SetupMainForm(QWidget* Main, const QColor& Background)
{
    FormRect r = MainFormClientRect();
    QRect s = ScreenArea(Main);
    if (settings::ScreenResX == 0)
        r.width = s.width();
    if (settings::ScreenResY == 0)
        r.height = s.height();
    Main->move(s.topLeft()); // the desktop's panels stay free
    Main->resize(r.width, r.height);
    QPalette p = Main->palette();
    p.setColor(QPalette::Window, Background);
    Main->setPalette(p);
    Main->setAutoFillBackground(true);
    Main->setToolTipDuration(100000);
    ScaleControls(Main);
}

} // namespace kt4
