// Places and scales forms with the rules of foundation/placement.h. A form
// calls one of these when it is created. Sizes are the widget's own size
// (without the window frame).
#pragma once

class QColor;
class QWidget;

namespace kt4 {

// The main window that CenterForm centres on (the shell sets it); without
// one, the form's parent window is taken.
void SetPlacementMainWindow(QWidget* Main);
QWidget* PlacementMainWindow();

// Each of these first scales the form's controls by DialogElementScale
// percent (ScaleControls) and then sizes and places the form; ScaleForm
// and ScaleFormPPI size first and scale the controls second.
void CenterForm(QWidget* Form);
void ScaleCenterFormOnScreen(QWidget* Form); // also makes the form resizable
void ScaleFormAtPos(QWidget* Form);
void ScaleForm(QWidget* Form);
void ScaleFormPPI(QWidget* Form);
// The main window at the top left of the available screen with a client
// area of (ScreenResX + 1) by (ScreenResY + 1) (the available screen when
// they are 0), the background colour, control scaling and long-lasting
// tool tips.
void SetupMainForm(QWidget* Main, const QColor& Background);

// Scales the fonts (and, where no layout manages them, the positions and
// sizes) of the form's controls, which take the form's font.
void ScaleControls(QWidget* Form);

} // namespace kt4
