// Mode 1, the DXF file, and mode 4, the same DXF written as the plot
// program's file "kavolt.dxf" and handed to that program at the end.
#include "cad/cad_devices.h"
#include "cad/cad_internal.h"
#include "cad/cad_settings.h"
#include "cad/dxf_writer.h"
#include "cad/plot_run.h"
#include "foundation/dialogs.h"
#include "foundation/paths.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"

namespace kt4::cad {

namespace {

class DxfDevice : public TCadDevice {
public:
    std::string Extension() const override { return "dxf"; }
    bool Open() override { return dxf_.Open(CadFileName); }
    bool Close() override
    {
        if (dxf_.Close())
            return true;
        detail::TellWriteFailure(FailureText());
        return false;
    }
    void Discard() override { dxf_.Discard(); }
    bool Failed() const override { return dxf_.Failed(); }
    std::string FailureText() const override { return dxf_.FailureText(); }

    void Header(Real x0, Real y0, Real x1, Real y1, Real /*height*/) override
    {
        dxf_.Header(x0, y0, x1, y1);
    }
    void Tables(Word kind) override { dxf_.Tables(kind); }
    void Blocks() override { dxf_.Blocks(); }
    void Block(const std::string& name) override { dxf_.Block(name); }
    void EndBlock() override { dxf_.EndBlk(); }
    void EndBlocks() override { dxf_.EndSec(); }
    void Entities() override { dxf_.Entities(); }

    void Line(Real x1, Real y1, Real x2, Real y2) override { dxf_.Line(x1, y1, x2, y2); }
    void Circle(Real x, Real y, Real r, bool) override { dxf_.Circle(x, y, r); }
    void Arc(Real x, Real y, Real a1, Real a2, Real r) override { dxf_.Arc(x, y, a1, a2, r, 0); }
    void ArcDir(Real x, Real y, Real a1, Real a2, Real r, Real sweep) override
    {
        dxf_.Arc(x, y, a1, a2, r, sweep);
    }
    void Text(Real x, Real y, const std::string& s) override { dxf_.Text(s, x, y); }
    void Solid(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4, Real y4) override
    {
        dxf_.Solid(x1, y1, x2, y2, x3, y3, x4, y4);
    }
    void Insert(const std::string& name, Real x, Real y, Real angle, Real sx, Real sy) override
    {
        dxf_.Insert(name, x, y, angle, sx, sy);
    }
    void SetLayer(int n) override { DxfSetLayer(n); }

    bool NativePolylines() const override { return true; }
    void PolylineBegin(int closed) override { dxf_.Polyline(closed); }
    void Vertex(Real x, Real y, Real bulge) override { dxf_.Vertex(x, y, bulge); }
    void PolylineEnd() override { dxf_.SeqEnd(); }

protected:
    DxfWriter dxf_{false};
};

class PlotDevice : public DxfDevice {
public:
    std::string Extension() const override { return {}; }
    // The file stays in the private folder for the plot program, which
    // gets its full path (without ".dxf", as the plot line names it) and
    // holds the folder while it runs, also after this run has ended. A run
    // that a signal ends starts it no more, and says nothing of it.
    bool Close() override
    {
        if (!DxfDevice::Close())
            return false;
        CadPlotLineCount = std::clamp<Word>(CadPlotLineCount, 1, MaxPlotLines);
        CadPlotLineIndex = std::clamp<Word>(CadPlotLineIndex, 1, CadPlotLineCount);
        std::string error;
        {
            PrivateTempDirHeld held;
            error = StartPlotCommand(CadPlotLines[CadPlotLineIndex], NameWithoutThisExt(CadFileName, "dxf"));
        }
        NormalCursor();
        if (error.empty())
            return true;
        if (!RunEnding())
            ErrorBox(error);
        settings::AbortFlag = true;
        return false;
    }
};

} // namespace

std::unique_ptr<TCadDevice> MakeDxfDevice() { return std::make_unique<DxfDevice>(); }
std::unique_ptr<TCadDevice> MakePlotDevice() { return std::make_unique<PlotDevice>(); }

} // namespace kt4::cad
