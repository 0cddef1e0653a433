#include "graphics/graph_window.h"

#include "foundation/settings.h"
#include "graphics/graph_settings.h"
#include "graphics/graph_util.h"
#include "foundation/maths.h"

#include <cmath>
#include <utility>

namespace kt4::graphics {

void ForgetGraphWindow(TGraphWindow* w); // graph_device.cpp

TGraphWindow::TGraphWindow() = default;
TGraphWindow::~TGraphWindow() { ForgetGraphWindow(this); }

// --- page and mapping ---

void TGraphWindow::SetWindow(bool keepAspect, bool inset, Real fx0, Real fy0, Real fx1, Real fy1,
                             Real wx0, Real wy0, Real wx1, Real wy1)
{
    if (wx0 == wx1 || wy0 == wy1) {
        // Nothing can be drawn in such a window. The caller's action stops;
        // no record is written, so a later repaint is not affected.
        settings::AbortFlag = true;
        return;
    }
    const Real rx = EffectiveScreenResX(), ry = EffectiveScreenResY();
    IntRect s{RoundInt(rx * fx0), RoundInt(ry * (1 - fy1)), RoundInt(rx * fx1),
              RoundInt(ry * (1 - fy0))};
    if (inset)
        s = {s.X0 + 1, s.Y0 + 1, s.X1 - 1, s.Y1 - 1};
    list_.Add(MakeWindowRecord(s.X0, s.Y0, s.X1, s.Y1, wx0, wy0, wx1, wy1));
    map_.ScreenRect = s;
    map_.WorldWindow = {wx0, wy0, wx1, wy1};
    map_.KeepAspect = keepAspect;
    SetScale(s.X0, s.Y0, s.X1, s.Y1);
}

void TGraphWindow::Header(Real wx0, Real wy0, Real wx1, Real wy1)
{
    const RealRect& w = map_.WorldWindow;
    map_.ZoomAspectFactor =
        (AspectCorrection() * 640 / (w.X1 - w.X0)) / (480 / (w.Y1 - w.Y0));
    SetWindow(true, true, 0, 0, 1, 1, wx0, wy0, wx1, wy1);
    SetLineStyle(0);
    SaveLimit();
}

void TGraphWindow::SetScale(Integer x0, Integer y0, Integer x1, Integer y1)
{
    map_.SetZoomWindow({x0, y0, x1, y1});
}

void TGraphWindow::ResetZoom()
{
    const IntRect& s = map_.ScreenRect;
    SetScale(s.X0, s.Y0, s.X1, s.Y1);
}

void TGraphWindow::SaveLimit() { map_.SavedWorldWindow = map_.WorldWindow; }

void TGraphWindow::RestoreLimit()
{
    const RealRect& w = map_.SavedWorldWindow;
    SetWindow(true, true, 0, 0, 1, 1, w.X0, w.Y0, w.X1, w.Y1);
}

void TGraphWindow::ReSetWindow()
{
    SetWindow(false, false, 0, 0, 1, 1, 0, 0, 1, 1);
    ResetZoom();
}

void TGraphWindow::SaveViewPort() { map_.SavedScreenRect = map_.ScreenRect; }
void TGraphWindow::RetrieveViewPort() { map_.ScreenRect = map_.SavedScreenRect; }

void TGraphWindow::Regen()
{
    RestoreLimit();
    SetWindow(true, true, 0, 0, 1, 1, 0, 0, 1, 1);
    ResetZoom();
    const IntRect z = map_.ZoomRect;
    SetScale(z.X0, z.Y0, z.X1, z.Y1);
    ClearViewPort();
}

void TGraphWindow::Clear()
{
    list_.Clear();
    failed_ = false;
    failure_.clear();
    ListCleared();
    CurColor = -1;
    CurLineStyle = NoLineStyle;
    CurLineWidth = 1;
    RequestRepaint();
    ShowWindow();
}

TGraphPicture TGraphWindow::Picture() const
{
    TGraphPicture p;
    p.list_.Replace(list_);
    p.map_ = map_;
    p.failed_ = failed_;
    p.failure_ = failure_;
    return p;
}

void TGraphWindow::ShowPicture(const TGraphPicture& P)
{
    Clear();
    list_.Replace(P.list_);
    map_ = P.map_;
    failed_ = P.failed_;
    failure_ = P.failure_;
    ClearViewPort();
}

void TGraphWindow::NoteDrawingFailed(const std::string& Why)
{
    failed_ = true;
    failure_ = Why;
}

void TGraphWindow::ClearViewPort()
{
    if (list_.PauseCount() > 0 || SingleStep)
        StartPlayback();
    else
        RequestRepaint();
    ShowWindow();
}

void TGraphWindow::ResetRecordCaches()
{
    CurLineStyle = NoLineStyle;
    CurLineWidth = NoLineWidth;
}

// --- drawing calls ---

void TGraphWindow::circle(Real x, Real y, Real r) { list_.Add(MakeCircleRecord(x, y, r)); }

void TGraphWindow::line(Real x1, Real y1, Real x2, Real y2)
{
    list_.Add(MakeLineRecord(x1, y1, x2, y2));
}

void TGraphWindow::Rectangle(Real x1, Real y1, Real x2, Real y2)
{
    line(x1, y1, x2, y1);
    line(x2, y1, x2, y2);
    line(x2, y2, x1, y2);
    line(x1, y2, x1, y1);
}

void TGraphWindow::Arc(Real x, Real y, Real startAngle, Real endAngle, Real r, Real sweep)
{
    if (sweep < 0)
        std::swap(startAngle, endAngle);
    const Real a1 = DegToRad(startAngle), a2 = DegToRad(endAngle);
    const Real xs = x + r * std::cos(a1), ys = y + r * std::sin(a1);
    const Real xe = x + r * std::cos(a2), ye = y + r * std::sin(a2);
    if (std::fabs(sweep) < 4)
        line(xs, ys, xe, ye);
    else
        list_.Add(MakeArcRecord(x - r, y - r, x + r, y + r, xs, ys, xe, ye));
}

void TGraphWindow::OutTextXY(Real x, Real y, std::string_view displayText)
{
    list_.Add(MakeTextRecord(x, y, displayText));
}

void TGraphWindow::Solid(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4, Real y4)
{
    list_.Add(MakeSolidRecord(x1, y1, x2, y2, x3, y3, x4, y4));
}

void TGraphWindow::SetColor(Integer n)
{
    if (n != CurColor && n <= Integer(settings::MaxColorNumber)) {
        list_.Add(MakeIntRecord(TDisplayOp::doColor, n));
        CurColor = n;
    }
}

void TGraphWindow::SetLineStyle(Word n)
{
    if (n != CurLineStyle) {
        list_.Add(MakeIntRecord(TDisplayOp::doLineStyle, n));
        CurLineStyle = n;
    }
}

void TGraphWindow::SetLineStyleName(std::string_view name)
{
    Word n = 0;
    if (name == "DOTTED" || name == "PUNKT")
        n = 1;
    else if (name == "CENTER" || name == "DASHDOT" || name == "STRICHPUNKT")
        n = 2;
    else if (name == "DASHED" || name == "HIDDEN" || name == "VERDECKT")
        n = 3;
    SetLineStyle(n);
}

void TGraphWindow::SetLineWidth(Word n)
{
    if (n != CurLineWidth) {
        list_.Add(MakeIntRecord(TDisplayOp::doLineWidth, n));
        CurLineWidth = n;
    }
}

void TGraphWindow::SetTextStyle(Integer font, Real angle, Real height, Real width)
{
    list_.Add(MakeTextStyleRecord(height, width, font, angle));
}

void TGraphWindow::SleepMs(Integer ms) { list_.Add(MakeIntRecord(TDisplayOp::doPause, ms)); }

void TGraphWindow::MoveTo(Real x, Real y) { CanvasMoveTo({map_.PixelX(x), map_.PixelY(y)}); }
void TGraphWindow::LineTo(Real x, Real y) { CanvasLineTo({map_.PixelX(x), map_.PixelY(y)}); }

void TGraphWindow::DrawRectangle(Integer x0, Integer y0, Integer x1, Integer y1)
{
    CanvasMoveTo({x0, y0});
    CanvasLineTo({x1, y0});
    CanvasLineTo({x1, y1});
    CanvasLineTo({x0, y1});
    CanvasLineTo({x0, y0});
}

Real TGraphWindow::EinX(Real f) const { return (map_.WorldWindow.X1 - map_.WorldWindow.X0) * f; }
Real TGraphWindow::EinY(Real f) const { return (map_.WorldWindow.Y1 - map_.WorldWindow.Y0) * f; }

Integer TGraphWindow::GetDirection(Real angle)
{
    if ((angle > 45 && angle < 135) || (angle > 225 && angle < 315) ||
        (angle > -135 && angle < -45))
        return 1;
    return 0;
}

} // namespace kt4::graphics
