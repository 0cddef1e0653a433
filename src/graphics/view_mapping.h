// The mapping of the graphics window: a world window (y upwards) onto a
// pixel rectangle, and the zoom rectangle that selects the part shown.
#pragma once

#include "foundation/types.h"

namespace kt4::graphics {

struct IntRect {
    Integer X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    bool operator==(const IntRect&) const = default;
};

struct RealRect {
    Real X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    bool operator==(const RealRect&) const = default;
};

// Zoom rectangles are held inside +-ZoomLimit so that repeated zooming out
// cannot overflow.
constexpr Integer ZoomLimit = 1000000;

struct ViewMapping {
    IntRect ScreenRect{0, 0, 1, 1};   // pixel rectangle, Y0 the top row
    RealRect WorldWindow{0, 0, 1, 1}; // world extents mapped onto ScreenRect
    // Part of the unzoomed drawing that is shown, in pixels of ScreenRect
    // with y counted upwards like the world.
    IntRect ZoomRect{0, 0, 640, 480};
    RealRect ViewWindow{0, 0, 1, 1};  // world window that ZoomRect selects
    Real ScaleX = 1, ScaleY = 1;      // pixels per world unit
    bool KeepAspect = true;           // equal scales (round circles)
    RealRect SavedWorldWindow{0, 0, 1, 1};
    IntRect SavedScreenRect{0, 0, 1, 1};
    Real ZoomAspectFactor = 1;

    // Selects the zoom rectangle Z (behind SetScale). A rectangle without
    // width or height changes nothing.
    void SetZoomWindow(IntRect z);

    // Window pixel of a world point and pixel lengths of world lengths.
    Integer PixelX(Real x) const;
    Integer PixelY(Real y) const;
    Integer LengthX(Real l) const;
    Integer LengthY(Real l) const;
};

} // namespace kt4::graphics
