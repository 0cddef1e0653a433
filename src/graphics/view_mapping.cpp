#include "graphics/view_mapping.h"

#include "graphics/graph_settings.h"
#include "graphics/graph_util.h"

#include <algorithm>

namespace kt4::graphics {

namespace {
Integer ClampZoom(Integer v) { return std::clamp(v, -ZoomLimit, ZoomLimit); }
} // namespace

void ViewMapping::SetZoomWindow(IntRect z)
{
    z = {ClampZoom(z.X0), ClampZoom(z.Y0), ClampZoom(z.X1), ClampZoom(z.Y1)};
    if (z.X1 == z.X0 || z.Y1 == z.Y0)
        return;
    const IntRect& s = ScreenRect;
    const RealRect& w = WorldWindow;
    if (s.X1 == s.X0 || s.Y1 == s.Y0)
        return;
    Real sw = s.X1 - s.X0, sh = s.Y1 - s.Y0;
    RealRect v;
    v.X0 = w.X0 + (z.X0 - s.X0) / sw * (w.X1 - w.X0);
    v.X1 = w.X0 + (z.X1 - s.X0) / sw * (w.X1 - w.X0);
    v.Y0 = w.Y0 + (z.Y0 - s.Y0) / sh * (w.Y1 - w.Y0);
    v.Y1 = w.Y0 + (z.Y1 - s.Y0) / sh * (w.Y1 - w.Y0);
    if (v.X1 == v.X0 || v.Y1 == v.Y0)
        return;
    ZoomRect = z;
    ViewWindow = v;
    ScaleX = sw / (v.X1 - v.X0);
    ScaleY = sh / (v.Y1 - v.Y0);
    if (KeepAspect) {
        Real corr = AspectCorrection();
        Real t = ScaleY * corr;
        if (ScaleX >= t)
            ScaleX = t;
        else
            ScaleY = ScaleX / corr;
    }
}

Integer ViewMapping::PixelX(Real x) const
{
    return RoundInt((x - ViewWindow.X0) * ScaleX) + ScreenRect.X0;
}

Integer ViewMapping::PixelY(Real y) const
{
    return ScreenRect.Y1 - RoundInt((y - ViewWindow.Y0) * ScaleY);
}

Integer ViewMapping::LengthX(Real l) const { return RoundInt(ScaleX * l); }
Integer ViewMapping::LengthY(Real l) const { return RoundInt(ScaleY * l); }

} // namespace kt4::graphics
