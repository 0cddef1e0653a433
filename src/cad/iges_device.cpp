// Mode 2: the IGES file. Blocks are the file's own subfigures.
#include "cad/cad_devices.h"
#include "cad/cad_internal.h"
#include "cad/cad_settings.h"
#include "cad/iges_writer.h"
#include "foundation/maths.h"

#include <cmath>
#include <filesystem>

namespace kt4::cad {

namespace {

class IgesDevice : public TCadDevice {
public:
    std::string Extension() const override { return "igs"; }
    bool Open() override { return iges_.Open(CadFileName); }
    bool Close() override
    {
        if (iges_.Close())
            return true;
        detail::TellWriteFailure(FailureText());
        return false;
    }
    void Discard() override { iges_.Discard(); }
    std::string FailureText() const override { return iges_.File().FailureText(); }

    void Header(Real /*x0*/, Real /*y0*/, Real x1, Real y1, Real /*height*/) override
    {
        iges_.Header(std::filesystem::path(CadFileName).stem().string(), std::max(x1, y1));
    }
    void Block(const std::string& name) override { iges_.Block(name); }
    void EndBlock() override { iges_.EndBlock(); }

    void Line(Real x1, Real y1, Real x2, Real y2) override { iges_.Line(x1, y1, x2, y2); }
    void Circle(Real x, Real y, Real r, bool) override { iges_.Circle(x, y, r); }
    void Arc(Real x, Real y, Real a1, Real a2, Real r) override
    {
        Real a = DegToRad(a1), b = DegToRad(a2);
        iges_.Arc(x, y, x + r * std::cos(a), y + r * std::sin(a), x + r * std::cos(b), y + r * std::sin(b));
    }
    // A clockwise arc is the counter-clockwise arc from its end.
    void ArcDir(Real x, Real y, Real a1, Real a2, Real r, Real sweep) override
    {
        if (sweep < 0)
            std::swap(a1, a2);
        Arc(x, y, a1, a2, r);
    }
    void Text(Real x, Real y, const std::string& s) override { iges_.Text(s, x, y); }
    void Solid(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4, Real y4) override
    {
        iges_.Solid(x1, y1, x2, y2, x3, y3, x4, y4);
    }
    void Insert(const std::string& name, Real x, Real y, Real angle, Real sx, Real sy) override
    {
        iges_.Insert(name, x, y, angle, sx, sy);
    }
    void SetLayer(int n) override { iges_.Layer(n); }

private:
    IgesWriter iges_;
};

} // namespace

std::unique_ptr<TCadDevice> MakeIgesDevice() { return std::make_unique<IgesDevice>(); }

} // namespace kt4::cad
