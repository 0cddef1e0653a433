// TFvelmgra: the graphics window. It holds the display list (through its
// TGraphWindow base), paints by replaying it through the world-to-screen
// mapping, and turns keys, mouse and wheel into zoom and pan. The main
// window derives from it and adds its menu bar (menuBar() of the
// QMainWindow base); the drawing area is the central widget.
//
// Paint only replays. An animation (a list with pause records) is played
// by a timer that shows a growing part of the list; the single-step dialog
// opens between frames, never inside paint.
#pragma once

#include "graphics/graph_window.h"
#include "graphics/replay.h"
#include "graphics/gui/painter_canvas.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <vector>

class QKeyEvent;
class QMouseEvent;
class QPainter;
class QWheelEvent;

namespace kt4::graphics {

class TForm_anistep;

class TFvelmgra : public QMainWindow, public TGraphWindow {
    Q_OBJECT
public:
    // makeActive: drawing calls through GraphDevice go to this window.
    explicit TFvelmgra(QWidget* parent = nullptr, bool makeActive = true);
    ~TFvelmgra() override;

    // The drawing surface (the central widget); its size is the client
    // size of the zoom arithmetic.
    QWidget* DrawingArea() const;
    // Gives the drawing area the size of the configured screen
    // resolution (ScreenResX + 1 by ScreenResY + 1).
    void FitToScreenResolution();

    // The picture as the window shows it now (the played part of an
    // animation), at the drawing area's size.
    QImage RenderImage();
    // Replays the list onto the window's picture and onto a printer page
    // (GraphPrinting is set meanwhile); target.canvas is filled in here.
    void ReplayOnPrinter(QPainter& printer, PrintTarget target);

    bool Playing() const { return playing_; }
    // Shows the rest of a playing animation at once.
    void FinishPlayback();

    // Immediate lines (MoveTo/LineTo) and smooth edges of the replay
    void SetAntialiasing(bool on);

protected:
    // Hooks of the window core
    void RequestRepaint() override;
    void RubberBandChanged() override;
    void ShowWindow() override;
    void SetCursorShape(CursorShape shape) override;
    void StartPlayback() override;
    void ListCleared() override;
    void CanvasMoveTo(PixelPoint p) override;
    void CanvasLineTo(PixelPoint p) override;

    // Events of the drawing area; a derived window may extend them.
    virtual void FormPaint(QPainter& painter);
    virtual void FormKeyDown(QKeyEvent* e);
    virtual void FormMouseDown(QMouseEvent* e);
    virtual void FormMouseMove(QMouseEvent* e);
    virtual void FormMouseUp(QMouseEvent* e);
    virtual void FormDblClick(QMouseEvent* e);
    virtual void FormMouseWheel(QWheelEvent* e);
    void keyPressEvent(QKeyEvent* e) override;

private:
    class GraphArea;
    friend class GraphArea;
    void EnsurePicture();
    void RenderUpTo(std::size_t end);
    void PlaybackStep();
    void StepAnswered();
    void StopPlaying();

    GraphArea* area_;
    QImage picture_;
    bool pictureValid_ = false;
    std::size_t pictureEnd_ = 0;   // records drawn into picture_
    std::size_t pictureEpoch_ = 0; // the list's epoch when picture_ began
    QPainterCanvas canvas_;
    std::unique_ptr<DisplayReplay> replay_;
    bool antialias_ = false;

    // animation
    bool playing_ = false;
    std::size_t shownEnd_ = 0; // records shown while playing
    std::size_t stepAt_ = 0;   // erase record the step dialog waits at
    QTimer frameTimer_;
    QPointer<TForm_anistep> stepDialog_;

    struct Segment {
        PixelPoint a, b;
    };
    std::vector<Segment> overlay_;
    PixelPoint canvasPos_;
    bool waitCursor_ = false;
};

} // namespace kt4::graphics
