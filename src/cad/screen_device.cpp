// Mode 3: the graphics window through GraphDevice. Blocks are block files
// that every insert replays.
#include "cad/block_file_device.h"
#include "cad/cad_devices.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "foundation/dialogs.h"
#include "foundation/private_temp.h"
#include "graphics/graph_device.h"

namespace kt4::cad {

namespace {

using graphics::GraphDevice;

class ScreenDevice : public TBlockFileDevice {
public:
    void Header(Real x0, Real y0, Real x1, Real y1, Real /*height*/) override
    {
        GraphDevice.Header(x0, y0, x1, y1);
    }
    void Entities() override
    {
        GraphDevice.ClearViewPort();
        GraphDevice.SetLineStyle(0);
    }
    void SetLineStyle(int n) override
    {
        if (!InBlock())
            GraphDevice.SetLineStyle(static_cast<Word>(n));
    }
    void SetTextStyle(Integer font, Real angle, Real height, Real width) override
    {
        if (!InBlock())
            GraphDevice.SetTextStyle(font, angle, height, 0.95L * width);
    }
    void Sleep(Integer ms) override { GraphDevice.Window().SleepMs(ms); }

protected:
    bool OpenOutput() override
    {
        GraphDevice.Clear();
        GraphDevice.SetWaitCursor();
        return true;
    }
    bool CloseOutput() override
    {
        GraphDevice.ClearViewPort();
        GraphDevice.SetNormalCursor();
        EmptyPrivateTempSubdir("blocks");
        return true;
    }
    // The job failed: what it drew stays in the window, marked as not
    // whole.
    void DiscardOutput() override
    {
        GraphDevice.Window().NoteDrawingFailed(FailureText());
        GraphDevice.SetNormalCursor();
        EmptyPrivateTempSubdir("blocks");
    }
    void DrawLine(Real x1, Real y1, Real x2, Real y2) override { GraphDevice.Line(x1, y1, x2, y2); }
    void DrawCircle(Real x, Real y, Real r, bool) override { GraphDevice.Circle(x, y, r); }
    void DrawArc(Real x, Real y, Real a1, Real a2, Real r) override
    {
        GraphDevice.Arc(x, y, a1, a2, r, AngleSpan(a1, a2));
    }
    void DrawArcDir(Real x, Real y, Real a1, Real a2, Real r, Real sweep) override
    {
        GraphDevice.Arc(x, y, a1, a2, r, sweep);
    }
    void DrawText(Real x, Real y, const std::string& s) override { GraphDevice.OutTextXY(x, y, s); }
    void DrawSolid(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4, Real y4) override
    {
        GraphDevice.Solid(x1, y1, x2, y2, x3, y3, x4, y4);
    }
    // Line style by layer (colour scheme 0 only), colour, line width.
    void DrawSetLayer(int n) override
    {
        if (CadColorScheme == 0)
            GraphDevice.SetLineStyle(n == 1 ? 2 : n == 2 ? 3 : 0);
        bool colourLayer = n >= FirstColorLayer && n <= LastColorLayer;
        if (CadColorScheme == 0 && n < NamedLayers)
            GraphDevice.SetCadColor(static_cast<std::uint8_t>(LayerColors[std::size_t(n)]));
        else if (CadColorScheme != 2 && colourLayer)
            GraphDevice.SetCadColor(static_cast<std::uint8_t>(ColorLayerColors[std::size_t(n)]));
        else if (CadColorScheme == 2 && n == 0)
            GraphDevice.SetCadColor(0);
        Integer width = 1;
        if (n >= 1 && n < NamedLayers)
            width = LayerLineWidths[std::size_t(n)];
        else if (colourLayer && ColorLayerLineWidths[std::size_t(n)] >= 2 &&
                 ColorLayerLineWidths[std::size_t(n)] <= 50)
            width = ColorLayerLineWidths[std::size_t(n)];
        GraphDevice.Window().SetLineWidth(static_cast<Word>(std::max<Integer>(width, 0)));
    }
};

} // namespace

std::unique_ptr<TCadDevice> MakeScreenDevice() { return std::make_unique<ScreenDevice>(); }

} // namespace kt4::cad
