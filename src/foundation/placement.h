// Where dialogs go and how large they are: the sizes scaled by the
// InputWindowScale setting, positions relative to the main window or the
// screen, and pixel sizes of dialog elements scaled by DialogElementScale
// and the screen's pixels per inch (design resolution 96). Pure functions;
// foundation/gui/form_placement.h applies them to widgets.
#pragma once

namespace kt4 {

struct FormRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const FormRect&) const = default;
};

// N * DialogElementScale div 100 (unless the setting is 0, 1 or 100), then
// * ScreenPPI div 96 (unless it is 0, 1 or 96).
int ScaleSize(int N);
inline int ScaleSizeCopy(int N) { return ScaleSize(N); }
// InputWindowScale * ScreenPPI div 96
int DialogScalePPI();
// The percentage by which a form scales its controls (DialogElementScale;
// 100 when the setting asks for no scaling).
int ControlScalePercent();

// A form of InputWindowScale percent of its size, centred on the main
// window (never left of or above it) and 20 pixels lower.
FormRect CenterFormRect(const FormRect& Form, const FormRect& Main);
// InputWindowScale percent plus 8 pixels each way, centred on the screen
// and 20 pixels lower.
FormRect ScaleCenterOnScreenRect(const FormRect& Form, int ScreenWidth, int ScreenHeight);
// InputWindowScale percent at (HelpPictureLeft, HelpPictureTop).
FormRect ScaleFormAtPosRect(const FormRect& Form);
// InputWindowScale percent, position unchanged.
FormRect ScaleFormRect(const FormRect& Form);
// ScreenPPI / 96 of the size, position unchanged.
FormRect ScaleFormPPIRect(const FormRect& Form);
// The main window's client area: (ScreenResX + 1) by (ScreenResY + 1) at 0, 0.
FormRect MainFormClientRect();

int MaxClientWidth(int ScreenWidth, int MainClientWidth, int MainWidth);
// The frame and caption count 1.9 times.
int MaxClientHeight(int ScreenHeight, int MainClientHeight, int MainHeight);

} // namespace kt4
