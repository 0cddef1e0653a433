// The graphics window without its screen: the display list that drawing
// calls append to, the world-to-screen mapping with zoom and pan, and the
// zoom state machine of keys, wheel and rubber band. The Qt window
// (gui/fvelmgra.h) derives from it and fills in the hooks; without a
// screen it records and maps all the same (tests, batch runs).
#pragma once

#include "foundation/types.h"
#include "graphics/display_list.h"
#include "graphics/graph_canvas.h"
#include "graphics/view_mapping.h"

#include <string>
#include <string_view>

namespace kt4::graphics {

// Keys that zoom and pan; everything else is Other.
enum class GraphKey { Other, Escape, F5, PageUp, PageDown, Left, Up, Right, Down, NumPlus, NumMinus };
enum class GraphButton { Left, Right, Middle };
enum class CursorShape { Default, Wait };

// Record caches: a line style or width that no record can carry, so the
// next call writes its record.
constexpr Word NoLineStyle = 99;
constexpr Word NoLineWidth = 0xFFFF;

// What a window shows: its records, its mapping and zoom, and whether the
// drawing they hold failed. A command that clears the window and then
// gives up puts it back.
class TGraphPicture {
    friend class TGraphWindow;
    TDisplayList list_;
    ViewMapping map_;
    bool failed_ = false;
    std::string failure_;
};

class TGraphWindow {
public:
    TGraphWindow();
    virtual ~TGraphWindow();
    TGraphWindow(const TGraphWindow&) = delete;
    TGraphWindow& operator=(const TGraphWindow&) = delete;

    TDisplayList& DisplayList() { return list_; }
    const TDisplayList& DisplayList() const { return list_; }
    ViewMapping& Mapping() { return map_; }
    const ViewMapping& Mapping() const { return map_; }

    // --- page and mapping ---
    // Maps the screen part FX0..FX1 x FY0..FY1 (fractions of the screen,
    // y upwards) onto the world window and records it. A world window
    // without width or height sets AbortFlag and changes nothing.
    void SetWindow(bool keepAspect, bool inset, Real fx0, Real fy0, Real fx1, Real fy1, Real wx0,
                   Real wy0, Real wx1, Real wy1);
    // Starts a drawing page with the world window WX0..WX1 x WY0..WY1.
    void Header(Real wx0, Real wy0, Real wx1, Real wy1);
    void SetScale(Integer x0, Integer y0, Integer x1, Integer y1); // zoom rectangle
    void ResetZoom();
    void SaveLimit();
    void RestoreLimit();
    void ReSetWindow();
    void SaveViewPort();
    void RetrieveViewPort();
    void Regen();
    // Empties the list, forgets the last colour, style and width written,
    // repaints and shows the window.
    void Clear();
    // Asks for a repaint (an animation in the list starts playing).
    void ClearViewPort();

    // The picture shown now, and a picture shown again as it was.
    TGraphPicture Picture() const;
    void ShowPicture(const TGraphPicture& P);
    // The drawing in the list did not come out whole (its job failed):
    // Why (stored text, "" when it was told where it happened) is what a
    // print of it is refused with. Clear forgets it.
    void NoteDrawingFailed(const std::string& Why);
    bool DrawingFailed() const { return failed_; }
    const std::string& DrawingFailure() const { return failure_; }

    // --- drawing calls (world coordinates, angles in degrees) ---
    void circle(Real x, Real y, Real r);
    void line(Real x1, Real y1, Real x2, Real y2);
    void Rectangle(Real x1, Real y1, Real x2, Real y2);
    // Arc about (x, y) from startAngle to endAngle counter-clockwise; a
    // negative sweep swaps the angles, a sweep under 4 degrees gives a chord.
    void Arc(Real x, Real y, Real startAngle, Real endAngle, Real r, Real sweep);
    void OutTextXY(Real x, Real y, std::string_view displayText);
    void Solid(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4, Real y4);
    void SetColor(Integer n);
    Integer GetColor() const { return CurColor; }
    void SetLineStyle(Word n); // 0 solid, 1 dotted, 2 dash-dot, 3 dashed
    void SetLineStyleName(std::string_view name);
    void SetLineWidth(Word n);
    void SetTextStyle(Integer font, Real angle, Real height, Real width);
    void SleepMs(Integer ms); // a pause of the animation
    // Immediate drawing on the window, not recorded.
    void MoveTo(Real x, Real y);
    void LineTo(Real x, Real y);
    void DrawRectangle(Integer x0, Integer y0, Integer x1, Integer y1);
    void DrawVelmoraLogo();

    Real EinX(Real f) const;
    Real EinY(Real f) const;
    static Integer GetDirection(Real angle);
    void SetTextSizeMode(Integer n) { TextSizeMode = n; }
    void SetWaitCursor() { SetCursorShape(CursorShape::Wait); }
    void SetOldCursor() { SetCursorShape(CursorShape::Default); }

    // --- zoom and pan by the user ---
    void processKey(GraphKey key);
    void MouseDown(GraphButton button, Integer x, Integer y);
    void MouseMove(Integer x, Integer y);
    // clientW/clientH: size of the drawing area in pixels
    void MouseUp(Integer x, Integer y, Integer clientW, Integer clientH);
    void DoubleClick();
    void MouseWheel(Integer delta); // 120 per notch, > 0 zooms out

    // What every replay does first: the next style and width calls write
    // their records again.
    void ResetRecordCaches();

    // Fields of the window
    Integer TextSizeMode = 0;
    bool Zooming = false;
    bool WheelDown = false;
    bool DblClicked = false;
    Integer CurColor = -1;
    Word CurLineStyle = NoLineStyle;
    Word CurLineWidth = 1;
    bool SingleStep = false; // the animation stops at every erase
    PixelPoint RubberStart, RubberEnd;

protected:
    // Hooks for the screen; the default window has none.
    virtual void RequestRepaint() {}
    virtual void RubberBandChanged() {}
    virtual void ShowWindow() {}
    virtual void SetCursorShape(CursorShape) {}
    // The list holds pauses: play it frame by frame (default: repaint).
    virtual void StartPlayback() { RequestRepaint(); }
    // The list was emptied (a running animation ends).
    virtual void ListCleared() {}
    virtual void CanvasMoveTo(PixelPoint) {}
    virtual void CanvasLineTo(PixelPoint) {}

private:
    void ZoomAboutCentre(Real factor, bool zoomIn);
    TDisplayList list_;
    ViewMapping map_;
    bool failed_ = false;
    std::string failure_;
    Integer wheelRest_ = 0; // wheel delta not yet a whole notch
};

} // namespace kt4::graphics
