#include "dbase/gui/tzmsg.h"
#include "foundation/gui/qt_ui.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace kt4::dbase::gui {

namespace {

constexpr int kMargin = 30;

Qt::WindowFlags Flags(bool caption)
{
    Qt::WindowFlags f = Qt::Tool | Qt::WindowStaysOnTopHint;
    if (caption)
        f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint; // a title bar without buttons
    else
        f |= Qt::FramelessWindowHint;
    return f;
}

QPointer<TTzProgress100>& Progress()
{
    static QPointer<TTzProgress100> progress;
    return progress;
}

} // namespace

TTzMsg::TTzMsg(QWidget* owner) : QWidget(owner, Flags(false)), owner_(owner)
{
    setObjectName("TTzMsg");
    setAttribute(Qt::WA_ShowWithoutActivating);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(Qt::yellow));
    p.setColor(QPalette::WindowText, QColor(Qt::black));
    setPalette(p);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    outer_ = new QFrame(this);
    outer_->setObjectName("TzMsgOuter");
    outer_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    outer_->setLineWidth(2);
    layout->addWidget(outer_);
    auto* inner = new QVBoxLayout(outer_);
    inner->setContentsMargins(4, 4, 4, 4);
    inner_ = new QLabel(outer_);
    inner_->setObjectName("TzMsgText");
    inner_->setFrameStyle(QFrame::Box | QFrame::Plain);
    inner_->setLineWidth(1);
    inner_->setAlignment(Qt::AlignCenter);
    inner->addWidget(inner_);
    resize(0, 0);
}

QWidget* TTzMsg::CentreWidget() const
{
    if (owner_)
        return owner_->window();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(w) && w->isVisible())
            return w;
    return nullptr;
}

void TTzMsg::SetCaption(const QString& caption)
{
    caption_ = caption;
    setWindowTitle(caption);
}

void TTzMsg::ShowText(const QString& text)
{
    if (!text.isNull())
        text_ = text;
    const bool caption = !caption_.isEmpty();
    const QFontMetrics fm(inner_->font());
    int w = fm.horizontalAdvance(text_) + kMargin;
    const int h = fm.height() + kMargin;
    if (caption) {
        QFont system = QApplication::font("QWorkspaceTitleBar");
        system.setBold(true);
        w = std::max(w, QFontMetrics(system).horizontalAdvance(caption_) + 2 * kMargin);
    }
    const bool borderChanged = caption != hadCaption_;
    if (borderChanged) {
        const bool shown = isVisible();
        setWindowFlags(Flags(caption));
        if (shown)
            show();
        hadCaption_ = caption;
    }
    outer_->setFrameStyle(caption ? QFrame::NoFrame : QFrame::Panel | QFrame::Raised);
    inner_->setText(text_);
    if (w > width() || h > height() || borderChanged || !placed_) {
        resize(std::max(w, width()), std::max(h, height()));
        const QWidget* centre = CentreWidget();
        QRect area;
        if (centre) {
            area = centre->frameGeometry();
        } else {
            QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
            area = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
        }
        move(area.center() - QPoint(width() / 2, height() / 2));
        placed_ = true;
    }
    show();
    raise();
    inner_->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

TTzProgress100::TTzProgress100(QWidget* owner, const QString& caption) : TTzMsg(owner)
{
    setObjectName("TTzProgress100");
    SetCaption(caption);
    ShowText(QString(kBarLength, QChar('|')));
}

void TTzProgress100::Step()
{
    QString bar = Text();
    bar.chop(1);
    if (bar.isEmpty())
        bar = QString(kBarLength, QChar('|'));
    ShowText(bar);
}

void TTzProgress100::SetPercent(int percent)
{
    ShowText(QString(kBarLength - std::clamp(percent, 0, kBarLength), QChar('|')));
}

void ShowProgress100(const std::string& text, int percent)
{
    QPointer<TTzProgress100>& p = Progress();
    const QString caption = QString::fromStdString(text.empty() ? std::string("Progress") : text);
    if (!p) {
        p = new TTzProgress100(kt4::gui::DialogParent(), caption);
        p->setAttribute(Qt::WA_DeleteOnClose);
    } else if (p->Caption() != caption) {
        p->SetCaption(caption);
    }
    if (percent < 0)
        p->Step();
    else
        p->SetPercent(percent);
}

void EndProgress100()
{
    if (QPointer<TTzProgress100>& p = Progress()) {
        p->close();
        p = nullptr;
    }
}

TTzProgress100* CurrentProgress100()
{
    return Progress();
}

} // namespace kt4::dbase::gui
