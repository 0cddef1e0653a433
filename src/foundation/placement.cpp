#include "foundation/placement.h"

#include "foundation/maths.h"
#include "foundation/settings.h"

namespace kt4 {

namespace {

// A stored scale of 0 or below would make a form vanish: it counts as 100.
int WindowPercent()
{
    return settings::InputWindowScale > 0 ? settings::InputWindowScale : 100;
}

FormRect Scaled(const FormRect& f, int percent)
{
    return {f.left, f.top, f.width * percent / 100, f.height * percent / 100};
}

} // namespace

int ScaleSize(int N)
{
    int s = settings::DialogElementScale;
    if (s != 0 && s != 1 && s != 100)
        N = N * s / 100;
    int ppi = settings::ScreenPPI;
    if (ppi != 0 && ppi != 1 && ppi != 96)
        N = N * ppi / 96;
    return N;
}

int DialogScalePPI() { return settings::InputWindowScale * settings::ScreenPPI / 96; }

int ControlScalePercent()
{
    int s = settings::DialogElementScale;
    return s == 0 || s == 1 ? 100 : s;
}

FormRect CenterFormRect(const FormRect& Form, const FormRect& Main)
{
    FormRect r = Scaled(Form, WindowPercent());
    r.left = Main.left + IMax((Main.width - r.width) / 2, 0);
    r.top = Main.top + IMax((Main.height - r.height) / 2, 0) + 20;
    return r;
}

FormRect ScaleCenterOnScreenRect(const FormRect& Form, int ScreenWidth, int ScreenHeight)
{
    FormRect r = Scaled(Form, WindowPercent());
    r.width += 8;
    r.height += 8;
    r.left = (ScreenWidth - r.width) / 2;
    r.top = (ScreenHeight - r.height) / 2 + 20;
    return r;
}

FormRect ScaleFormAtPosRect(const FormRect& Form)
{
    FormRect r = Scaled(Form, WindowPercent());
    r.left = settings::HelpPictureLeft;
    r.top = settings::HelpPictureTop;
    return r;
}

FormRect ScaleFormRect(const FormRect& Form) { return Scaled(Form, WindowPercent()); }

FormRect ScaleFormPPIRect(const FormRect& Form)
{
    int ppi = settings::ScreenPPI > 0 ? settings::ScreenPPI : 96;
    return {Form.left, Form.top, Form.width * ppi / 96, Form.height * ppi / 96};
}

FormRect MainFormClientRect() { return {0, 0, settings::ScreenResX + 1, settings::ScreenResY + 1}; }

int MaxClientWidth(int ScreenWidth, int MainClientWidth, int MainWidth)
{
    return ScreenWidth + MainClientWidth - MainWidth;
}

int MaxClientHeight(int ScreenHeight, int MainClientHeight, int MainHeight)
{
    return ScreenHeight + static_cast<int>(Round(1.9L * (MainClientHeight - MainHeight)));
}

} // namespace kt4
