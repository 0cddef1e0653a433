// The drawing interface the rest of the program calls to draw on the
// screen: every call goes to the active graphics window (the main window
// once it exists; before that, a window without screen that only records),
// so callers need no reference to the window.
#pragma once

#include "foundation/types.h"
#include "graphics/graph_window.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kt4::graphics {

// The window that GraphDevice draws into.
TGraphWindow& ActiveGraphWindow();
// Makes w the active window; nullptr returns to the window without screen.
// A window that is destroyed stops being active by itself.
void SetActiveGraphWindow(TGraphWindow* w);
bool HasActiveGraphWindow(); // a window other than the one without screen

class TGraphDevice {
public:
    TGraphDevice() = default;                          // the active window
    explicit TGraphDevice(TGraphWindow& w) : target_(&w) {} // a given window

    TGraphWindow& Window() const { return target_ ? *target_ : ActiveGraphWindow(); }

    void Init(); // starts with an empty display list
    void Done(); // drops the display list
    void Clear();
    void SetWindow(bool keepAspect, bool inset, Real fx0, Real fy0, Real fx1, Real fy1, Real wx0,
                   Real wy0, Real wx1, Real wy1);
    void Header(Real wx0, Real wy0, Real wx1, Real wy1);
    void ClearViewPort();
    void Circle(Real x, Real y, Real r);
    void Line(Real x1, Real y1, Real x2, Real y2);
    void Arc(Real x, Real y, Real startAngle, Real endAngle, Real r, Real sweep);
    // s is a stored (OEM) text; the window receives its display form.
    void OutTextXY(Real x, Real y, std::string_view s);
    void Solid(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4, Real y4);
    void SetColor(Integer n); // palette colour 0..16
    static std::uint8_t CadColorToPalette(std::uint8_t n);
    void SetCadColor(std::uint8_t n);
    void SetLineStyle(Word n);
    void SetTextStyle(Integer font, Real angle, Real height, Real width);
    void TextStyleHook(Integer) {} // called after every text style of a plot file
    void DrawLogo();
    void ShowMessage(const std::string& s); // display text
    // True when the file can be read; otherwise "<name> nicht gefunden !"
    // is shown and AbortFlag set.
    bool CheckFile(const std::string& name);
    void SetWaitCursor();
    void SetNormalCursor();

private:
    TGraphWindow* target_ = nullptr;
};

extern TGraphDevice GraphDevice;

// Full name of the current data file ("" when there is none).
std::string CurrentFilePath();

} // namespace kt4::graphics
