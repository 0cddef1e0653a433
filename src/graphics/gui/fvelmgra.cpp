#include "graphics/gui/fvelmgra.h"

#include "graphics/graph_device.h"
#include "graphics/graph_settings.h"
#include "graphics/gui/anistep.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>

namespace kt4::graphics {

// The central widget: paints the window's picture and hands its input
// events to the window.
class TFvelmgra::GraphArea : public QWidget {
public:
    explicit GraphArea(TFvelmgra* owner) : QWidget(owner), owner_(owner)
    {
        setObjectName("GraphArea");
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QSize sizeHint() const override
    {
        return {EffectiveScreenResX() + 1, EffectiveScreenResY() + 1};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        owner_->FormPaint(p);
    }
    void resizeEvent(QResizeEvent*) override { owner_->pictureValid_ = false; }
    void mousePressEvent(QMouseEvent* e) override { owner_->FormMouseDown(e); }
    void mouseMoveEvent(QMouseEvent* e) override { owner_->FormMouseMove(e); }
    void mouseReleaseEvent(QMouseEvent* e) override { owner_->FormMouseUp(e); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { owner_->FormDblClick(e); }
    void wheelEvent(QWheelEvent* e) override { owner_->FormMouseWheel(e); }

private:
    TFvelmgra* owner_;
};

TFvelmgra::TFvelmgra(QWidget* parent, bool makeActive)
    : QMainWindow(parent), area_(new GraphArea(this))
{
    setWindowTitle("VelmGraf");
    setCentralWidget(area_);
    frameTimer_.setSingleShot(true);
    connect(&frameTimer_, &QTimer::timeout, this, [this] { PlaybackStep(); });
    FitToScreenResolution();
    if (makeActive)
        SetActiveGraphWindow(this);
}

TFvelmgra::~TFvelmgra()
{
    StopPlaying();
    SetCursorShape(CursorShape::Default);
}

QWidget* TFvelmgra::DrawingArea() const { return area_; }

void TFvelmgra::FitToScreenResolution()
{
    area_->updateGeometry();
    if (layout())
        layout()->activate();
    resize(sizeHint());
}

void TFvelmgra::SetAntialiasing(bool on)
{
    antialias_ = on;
    canvas_.SetAntialiasing(on);
    RequestRepaint();
}

// --- the picture ---

void TFvelmgra::EnsurePicture()
{
    const QSize size = area_->size().expandedTo(QSize(1, 1));
    if (!pictureValid_ || picture_.size() != size || pictureEpoch_ != DisplayList().Epoch()) {
        picture_ = QImage(size, QImage::Format_RGB32);
        picture_.fill(QPainterCanvas::ToQColor(BackgroundColor));
        replay_ = std::make_unique<DisplayReplay>(*this, canvas_);
        pictureEnd_ = 0;
        pictureEpoch_ = DisplayList().Epoch();
        pictureValid_ = true;
    }
    const std::size_t target = playing_ ? shownEnd_ : DisplayList().Count();
    if (target > pictureEnd_)
        RenderUpTo(target);
}

void TFvelmgra::RenderUpTo(std::size_t end)
{
    QPainter p(&picture_);
    canvas_.SetPainter(&p);
    replay_->Run(pictureEnd_, end);
    canvas_.SetPainter(nullptr);
    pictureEnd_ = end;
}

QImage TFvelmgra::RenderImage()
{
    EnsurePicture();
    return picture_;
}

void TFvelmgra::ReplayOnPrinter(QPainter& printer, PrintTarget target)
{
    QPainterCanvas printerCanvas(&printer);
    target.canvas = &printerCanvas;
    picture_ = QImage(area_->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    picture_.fill(QPainterCanvas::ToQColor(BackgroundColor));
    QPainter p(&picture_);
    QPainterCanvas screen(&p);
    GraphPrinting = true;
    DisplayReplay(*this, screen, &target).RunAll();
    GraphPrinting = false;
    p.end();
    RequestRepaint(); // texts went to the printer only
}

void TFvelmgra::FormPaint(QPainter& painter)
{
    EnsurePicture();
    painter.drawImage(0, 0, picture_);
    if (!overlay_.empty()) {
        const Integer c = CurColor >= 0 && CurColor < PaletteSize ? CurColor : 15;
        painter.setPen(QPainterCanvas::ToQColor(GraphPalette[c]));
        for (const Segment& s : overlay_)
            painter.drawLine(s.a.x, s.a.y, s.b.x, s.b.y);
    }
    if (Zooming) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(Qt::white, 0, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(QPoint(RubberStart.x, RubberStart.y), QPoint(RubberEnd.x, RubberEnd.y))
                             .normalized());
    }
}

// --- hooks of the window core ---

void TFvelmgra::RequestRepaint()
{
    pictureValid_ = false;
    area_->update();
}

void TFvelmgra::RubberBandChanged() { area_->update(); }

void TFvelmgra::ShowWindow()
{
    if (!isVisible())
        show();
}

void TFvelmgra::SetCursorShape(CursorShape shape)
{
    const bool wait = shape == CursorShape::Wait;
    if (wait == waitCursor_)
        return;
    waitCursor_ = wait;
    if (wait)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void TFvelmgra::CanvasMoveTo(PixelPoint p) { canvasPos_ = p; }

void TFvelmgra::CanvasLineTo(PixelPoint p)
{
    overlay_.push_back({canvasPos_, p});
    canvasPos_ = p;
    area_->update();
}

void TFvelmgra::ListCleared()
{
    StopPlaying();
    overlay_.clear();
}

// --- animation ---

void TFvelmgra::StartPlayback()
{
    StopPlaying();
    playing_ = true;
    shownEnd_ = 0;
    pictureValid_ = false;
    frameTimer_.start(0);
}

void TFvelmgra::PlaybackStep()
{
    if (!playing_)
        return;
    const PlaybackStop stop = NextPlaybackStop(DisplayList(), shownEnd_, SingleStep);
    switch (stop.kind) {
    case PlaybackStop::End:
        playing_ = false;
        area_->update();
        return;
    case PlaybackStop::Pause:
        shownEnd_ = stop.index + 1;
        area_->update();
        frameTimer_.start(std::max(0, stop.ms));
        return;
    case PlaybackStop::Step: {
        // the frame stays on the screen until the user answers
        shownEnd_ = stop.index;
        stepAt_ = stop.index;
        area_->update();
        auto* dlg = new TForm_anistep(this);
        dlg->setAttribute(Qt::WA_DeleteOnClose);
        stepDialog_ = dlg;
        connect(dlg, &QDialog::finished, this, [this, dlg] {
            if (dlg->EndStepping)
                SingleStep = false;
            StepAnswered();
        });
        dlg->open();
        return;
    }
    }
}

void TFvelmgra::StepAnswered()
{
    stepDialog_ = nullptr;
    if (!playing_)
        return;
    shownEnd_ = stepAt_ + 1;
    frameTimer_.start(0);
}

void TFvelmgra::StopPlaying()
{
    playing_ = false;
    frameTimer_.stop();
    if (stepDialog_) {
        stepDialog_->disconnect(this);
        stepDialog_->close();
        stepDialog_ = nullptr;
    }
}

void TFvelmgra::FinishPlayback()
{
    StopPlaying();
    area_->update();
}

// --- input ---

void TFvelmgra::keyPressEvent(QKeyEvent* e) { FormKeyDown(e); }

void TFvelmgra::FormKeyDown(QKeyEvent* e)
{
    const bool keypad = e->modifiers() & Qt::KeypadModifier;
    GraphKey key = GraphKey::Other;
    switch (e->key()) {
    case Qt::Key_Escape: key = GraphKey::Escape; break;
    case Qt::Key_F5: key = GraphKey::F5; break;
    case Qt::Key_PageUp: key = GraphKey::PageUp; break;
    case Qt::Key_PageDown: key = GraphKey::PageDown; break;
    case Qt::Key_Left: key = GraphKey::Left; break;
    case Qt::Key_Up: key = GraphKey::Up; break;
    case Qt::Key_Right: key = GraphKey::Right; break;
    case Qt::Key_Down: key = GraphKey::Down; break;
    case Qt::Key_Plus: key = keypad ? GraphKey::NumPlus : GraphKey::Other; break;
    case Qt::Key_Minus: key = keypad ? GraphKey::NumMinus : GraphKey::Other; break;
    default: break;
    }
    if (key == GraphKey::Other) {
        e->ignore();
        return;
    }
    processKey(key);
    e->accept();
}

namespace {
GraphButton ButtonOf(const QMouseEvent* e)
{
    switch (e->button()) {
    case Qt::RightButton: return GraphButton::Right;
    case Qt::LeftButton: return GraphButton::Left;
    default: return GraphButton::Middle;
    }
}
} // namespace

void TFvelmgra::FormMouseDown(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    MouseDown(ButtonOf(e), p.x(), p.y());
}

void TFvelmgra::FormMouseMove(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    MouseMove(p.x(), p.y());
}

void TFvelmgra::FormMouseUp(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint p = e->position().toPoint();
    MouseUp(p.x(), p.y(), area_->width(), area_->height());
}

void TFvelmgra::FormDblClick(QMouseEvent* e)
{
    DoubleClick();
    FormMouseDown(e); // the second press of the double-click
}

void TFvelmgra::FormMouseWheel(QWheelEvent* e)
{
    MouseWheel(e->angleDelta().y());
    e->accept();
}

} // namespace kt4::graphics
