#include "graphics/graph_device.h"

#include "foundation/settings.h"
#include "foundation/ui_service.h"
#include "foundation/codepage.h"
#include "foundation/files.h"
#include "foundation/paths.h"

#include <filesystem>
#include <fstream>

namespace kt4::graphics {

TGraphDevice GraphDevice;

namespace {
TGraphWindow& Offscreen()
{
    static TGraphWindow w;
    return w;
}
TGraphWindow* active = nullptr;
} // namespace

TGraphWindow& ActiveGraphWindow() { return active ? *active : Offscreen(); }
void SetActiveGraphWindow(TGraphWindow* w) { active = w; }
bool HasActiveGraphWindow() { return active != nullptr; }

// Called by the window's destructor (graph_window.cpp).
void ForgetGraphWindow(TGraphWindow* w)
{
    if (active == w)
        active = nullptr;
}

void TGraphDevice::Init() { Window().DisplayList().Clear(); }
void TGraphDevice::Done() { Window().DisplayList().Clear(); }
void TGraphDevice::Clear() { Window().Clear(); }

void TGraphDevice::SetWindow(bool keepAspect, bool inset, Real fx0, Real fy0, Real fx1, Real fy1,
                             Real wx0, Real wy0, Real wx1, Real wy1)
{
    Window().SetWindow(keepAspect, inset, fx0, fy0, fx1, fy1, wx0, wy0, wx1, wy1);
}

void TGraphDevice::Header(Real wx0, Real wy0, Real wx1, Real wy1)
{
    Window().Header(wx0, wy0, wx1, wy1);
}

void TGraphDevice::ClearViewPort() { Window().ClearViewPort(); }
void TGraphDevice::Circle(Real x, Real y, Real r) { Window().circle(x, y, r); }
void TGraphDevice::Line(Real x1, Real y1, Real x2, Real y2) { Window().line(x1, y1, x2, y2); }

void TGraphDevice::Arc(Real x, Real y, Real startAngle, Real endAngle, Real r, Real sweep)
{
    Window().Arc(x, y, startAngle, endAngle, r, sweep);
}

void TGraphDevice::OutTextXY(Real x, Real y, std::string_view s)
{
    Window().OutTextXY(x, y, OemToDisplay(std::string(s)));
}

void TGraphDevice::Solid(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4, Real y4)
{
    Window().Solid(x1, y1, x2, y2, x3, y3, x4, y4);
}

void TGraphDevice::SetColor(Integer n) { Window().SetColor(n); }

std::uint8_t TGraphDevice::CadColorToPalette(std::uint8_t n)
{
    static constexpr std::uint8_t Table[8] = {0, 12, 14, 10, 11, 9, 13, 15};
    if (n > 16)
        n %= 16;
    if (n == 16)
        return 16;
    if (n >= 8)
        return std::uint8_t(n - 7);
    return Table[n];
}

void TGraphDevice::SetCadColor(std::uint8_t n) { SetColor(CadColorToPalette(n)); }
void TGraphDevice::SetLineStyle(Word n) { Window().SetLineStyle(n); }

void TGraphDevice::SetTextStyle(Integer font, Real angle, Real height, Real width)
{
    Window().SetTextStyle(font, angle, height, width);
}

void TGraphDevice::DrawLogo() { Window().DrawVelmoraLogo(); }

void TGraphDevice::ShowMessage(const std::string& s)
{
    Ui().MessageBox(settings::ProductName, s, BoxKind::Message);
}

bool TGraphDevice::CheckFile(const std::string& name)
{
    std::error_code ec;
    const bool readable = !std::filesystem::is_directory(name, ec) &&
                          std::ifstream(name, std::ios::binary).is_open();
    if (readable)
        return true;
    std::string shown;
    for (char c : name)
        if (c != ' ')
            shown += c;
    ShowMessage(shown + " " + "nicht gefunden" + " !");
    settings::AbortFlag = true;
    return false;
}

void TGraphDevice::SetWaitCursor() { Window().SetWaitCursor(); }
void TGraphDevice::SetNormalCursor() { Window().SetOldCursor(); }

std::string CurrentFilePath()
{
    using settings::CurrentFileName;
    if (CurrentFileName.empty())
        return "";
    if (settings::FileNameHasDir)
        return CurrentFileName;
    return AddBackslash(settings::DataDir) + SavedName(settings::DataDir, CurrentFileName, settings::DataFileExt);
}

} // namespace kt4::graphics
