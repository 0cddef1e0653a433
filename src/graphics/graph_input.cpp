// Zoom and pan of the graphics window by keys, mouse wheel, rubber band
// and double-click.
#include "graphics/graph_window.h"

#include "foundation/settings.h"
#include "graphics/graph_settings.h"
#include "graphics/graph_util.h"

#include <algorithm>
#include <cstdlib>

namespace kt4::graphics {

namespace {
constexpr Word CodeReset = 63, CodePageUp = 73, CodePageDown = 81, CodeLeft = 75, CodeUp = 72,
               CodeRight = 77, CodeDown = 80, CodePlusMinus = 32;
constexpr Integer WheelNotch = 120;
} // namespace

// Zooms the zoom rectangle about its centre: its sizes are multiplied by
// factor (zoom out) or divided by it (zoom in).
void TGraphWindow::ZoomAboutCentre(Real factor, bool zoomIn)
{
    const IntRect z = map_.ZoomRect;
    const Integer cx = (z.X1 + z.X0) / 2, cy = (z.Y1 + z.Y0) / 2;
    const Real w = z.X1 - z.X0, h = z.Y1 - z.Y0;
    const Integer hx = RoundInt(zoomIn ? w / factor : w * factor) / 2;
    const Integer hy = RoundInt(zoomIn ? h / factor : h * factor) / 2;
    SetScale(cx - hx, cy - hy, cx + hx, cy + hy);
}

void TGraphWindow::processKey(GraphKey key)
{
    Word code = 0;
    char last = 0;
    switch (key) {
    case GraphKey::Escape:
    case GraphKey::F5: code = CodeReset; break;
    case GraphKey::PageUp: code = CodePageUp; break;
    case GraphKey::PageDown: code = CodePageDown; break;
    case GraphKey::Left: code = CodeLeft; break;
    case GraphKey::Up: code = CodeUp; break;
    case GraphKey::Right: code = CodeRight; break;
    case GraphKey::Down: code = CodeDown; break;
    case GraphKey::NumPlus: code = CodePlusMinus; last = '+'; break;
    case GraphKey::NumMinus: code = CodePlusMinus; last = '-'; break;
    case GraphKey::Other: return;
    }
    settings::LastKey = last;
    LastScanCode = code;

    const IntRect z = map_.ZoomRect;
    const Integer dx = RoundInt((z.X1 - z.X0) * PanFactor);
    const Integer dy = RoundInt((z.Y1 - z.Y0) * PanFactor);
    const Integer d5 = RoundInt((z.Y1 - z.Y0) * PanFactor * 5);
    switch (key) {
    case GraphKey::Escape:
    case GraphKey::F5: ResetZoom(); break;
    case GraphKey::Up: SetScale(z.X0, z.Y0 - dy, z.X1, z.Y1 - dy); break;
    case GraphKey::Down: SetScale(z.X0, z.Y0 + dy, z.X1, z.Y1 + dy); break;
    case GraphKey::Left: SetScale(z.X0 + dx, z.Y0, z.X1 + dx, z.Y1); break;
    case GraphKey::Right: SetScale(z.X0 - dx, z.Y0, z.X1 - dx, z.Y1); break;
    case GraphKey::PageUp: SetScale(z.X0, z.Y0 - d5, z.X1, z.Y1 - d5); break;
    case GraphKey::PageDown: SetScale(z.X0, z.Y0 + d5, z.X1, z.Y1 + d5); break;
    case GraphKey::NumPlus: ZoomAboutCentre(ZoomFactor, true); break;
    case GraphKey::NumMinus: ZoomAboutCentre(ZoomFactor, false); break;
    case GraphKey::Other: break;
    }
    RequestRepaint();
}

void TGraphWindow::MouseDown(GraphButton button, Integer x, Integer y)
{
    const bool dbl = DblClicked;
    DblClicked = false;
    if (button == GraphButton::Right) {
        ResetZoom();
        RequestRepaint();
    } else if (button == GraphButton::Left) {
        if (dbl) {
            RestoreLimit();
            ResetZoom();
            ReSetWindow();
            RequestRepaint();
        } else if (!Zooming) {
            Zooming = true;
            RubberStart = RubberEnd = {x, y};
            RubberBandChanged();
        }
    }
}

void TGraphWindow::MouseMove(Integer x, Integer y)
{
    if (!Zooming)
        return;
    RubberEnd = {x, y};
    RubberBandChanged();
}

void TGraphWindow::MouseUp(Integer x, Integer y, Integer clientW, Integer clientH)
{
    if (!Zooming)
        return;
    RubberEnd = {x, y};
    Zooming = false;
    RubberBandChanged();
    if (RubberStart.x == RubberEnd.x || RubberStart.y == RubberEnd.y)
        return;
    if (clientW <= 0 || clientH <= 0)
        return;
    const Real w = clientW, h = clientH;
    const Real xmin = std::min(RubberStart.x, RubberEnd.x), xmax = std::max(RubberStart.x, RubberEnd.x);
    const Real ymin = std::min(RubberStart.y, RubberEnd.y), ymax = std::max(RubberStart.y, RubberEnd.y);
    const IntRect z = map_.ZoomRect;
    const Integer ny0 = RoundInt((h - ymax) / h * (z.Y1 - z.Y0) + z.Y0);
    const Integer ny1 = RoundInt((h - ymin) / h * (z.Y1 - z.Y0) + z.Y0);
    const Real f = map_.KeepAspect ? map_.ZoomAspectFactor : 1;
    const Integer nx0 = RoundInt((xmin / w * (z.X1 - z.X0) + z.X0) * f);
    const Integer nx1 = RoundInt((xmax / w * (z.X1 - z.X0) + z.X0) * f);
    SetScale(nx0, ny0, nx1, ny1);
    RequestRepaint();
}

void TGraphWindow::DoubleClick() { DblClicked = true; }

void TGraphWindow::MouseWheel(Integer delta)
{
    if (!ZoomMouseWheel || delta == 0)
        return;
    WheelDown = delta < 0;
    // Fine-grained wheels and touchpads send parts of a notch; collect
    // them, and zoom one step per whole notch.
    if ((wheelRest_ > 0 && delta < 0) || (wheelRest_ < 0 && delta > 0))
        wheelRest_ = 0;
    wheelRest_ += std::clamp(delta, -100 * WheelNotch, 100 * WheelNotch);
    const Integer notches = wheelRest_ / WheelNotch;
    if (notches == 0)
        return;
    wheelRest_ -= notches * WheelNotch;
    const Real k = std::abs(notches);
    if (notches > 0)
        ZoomAboutCentre(ZoomFactor * k, false);
    else
        ZoomAboutCentre(ZoomFactor * k, true);
    RequestRepaint();
}

} // namespace kt4::graphics
