// Mode 6: the STL file. Blocks are block files, replayed at every insert.
// Circles and arcs become line segments, and so walls. A drawing whose file
// would grow too large, or whose write failed, ends its job there, with the
// refusal.
#include "cad/block_file_device.h"
#include "cad/cad_devices.h"
#include "cad/cad_internal.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "cad/stl_writer.h"
#include "foundation/codepage.h"
#include "foundation/maths.h"

#include <cmath>

namespace kt4::cad {

namespace {

class StlDevice : public TBlockFileDevice {
public:
    std::string Extension() const override { return "stl"; }
    // The drawing's cones; inside a block its two circles.
    bool Cone(bool reversed, Real x, Real y, Real r1, Real r2) override
    {
        if (InBlock())
            return false;
        stl_.Cone(reversed, x, y, r1, r2);
        Check();
        return true;
    }

protected:
    bool OpenOutput() override { return stl_.Open(CadFileName, "VLMSOLID"); }
    bool CloseOutput() override
    {
        if (stl_.Close())
            return true;
        detail::TellWriteFailure(FailureText());
        return false;
    }
    void DiscardOutput() override { stl_.Discard(); }
    std::string OutputFailureText() const override
    {
        if (stl_.TooLarge())
            return "STL-Datei gr\x94\xe1""er als 2 GB: " + DisplayToOem(CadFileName) + " wurde nicht geschrieben.";
        return WriteFailureText(stl_.File(), CadFileName);
    }
    void DrawLine(Real x1, Real y1, Real x2, Real y2) override
    {
        stl_.Wall(x1, y1, x2, y2);
        Check();
    }
    void DrawCircle(Real x, Real y, Real r, bool clockwise) override { c_circle_lines(x, y, r, clockwise); }
    void DrawArc(Real x, Real y, Real a1, Real a2, Real r) override
    {
        if (a1 > a2)
            a2 += 360;
        DrawArcDir(x, y, a1, a2, r, a2 - a1);
    }
    void DrawArcDir(Real x, Real y, Real a1, Real a2, Real r, Real sweep) override
    {
        const Real s = DegToRad(a1), e = DegToRad(a2);
        c_arc_points(x + r * std::cos(s), y + r * std::sin(s), x + r * std::cos(e), y + r * std::sin(e),
                     DegToRad(sweep));
    }
    void DrawText(Real x, Real y, const std::string& s) override
    {
        stl_.Text(s, x, y);
        Check();
    }
    void DrawSolid(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4, Real y4) override
    {
        stl_.Solid(x1, y1, x2, y2, x3, y3, x4, y4);
        Check();
    }

private:
    // A file given up ends the job: nothing more is drawn.
    void Check()
    {
        if (stl_.Failed() && !told_) {
            told_ = true;
            detail::TellWriteFailure(OutputFailureText());
        }
    }

    StlWriter stl_;
    bool told_ = false;
};

} // namespace

std::unique_ptr<TCadDevice> MakeStlDevice() { return std::make_unique<StlDevice>(); }

} // namespace kt4::cad
