// Mode 5: the tab-separated text file. One record per line, a keyword and
// its values each after a tab; numbers with CadDecimals decimals and the
// configured decimal separator; no record carries a layer.
#include "cad/cad_devices.h"
#include "cad/cad_internal.h"
#include "cad/cad_settings.h"
#include "cad/dxf_writer.h"
#include "foundation/codepage.h"
#include "foundation/linefile.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"
#include "foundation/settings.h"

#include <algorithm>
#include <cmath>

namespace kt4::cad {

namespace {

class TxtDevice : public TCadDevice {
public:
    std::string Extension() const override { return "txt"; }
    bool Open() override { return file_.OpenWrite(CadFileName); }
    bool Close() override
    {
        Record("EOF", {});
        if (!failed_ && file_.Close())
            return true;
        file_.Discard();
        detail::TellWriteFailure(FailureText());
        return false;
    }
    void Discard() override { file_.Discard(); }
    bool Failed() const override { return failed_; }
    std::string FailureText() const override { return file_.FailureText(); }

    void Header(Real x0, Real y0, Real x1, Real y1, Real /*height*/) override
    {
        Record("MINMAX", {L(x0), L(y0), L(x1), L(y1)});
    }
    void Blocks() override { Record("SECTION BLOCKS", {}); }
    void Block(const std::string& name) override { Record("BLOCK", {Name(name)}); }
    void EndBlock() override { Record("END OF BLOCK", {}); }
    void Entities() override { Record("SECTION ENTITIES", {}); }

    void Line(Real x1, Real y1, Real x2, Real y2) override
    {
        Record("LINE", {L(x1), L(y1), L(x2), L(y2)});
    }
    void Circle(Real x, Real y, Real r, bool) override { Record("CIRCLE", {L(x), L(y), L(r)}); }
    void Arc(Real x, Real y, Real a1, Real a2, Real r) override
    {
        bool full = SameReal(a1, a2) || (SameReal(a1, 0) && SameReal(a2, 360)) ||
                    (SameReal(a1, 360) && SameReal(a2, 0));
        if (full)
            Record("CIRCLE", {L(x), L(y), L(r)});
        else
            Record("ARC", {L(x), L(y), L(r), A(a1), A(a2)});
    }
    // A clockwise arc is the counter-clockwise arc from its end.
    void ArcDir(Real x, Real y, Real a1, Real a2, Real r, Real sweep) override
    {
        if (sweep < 0)
            std::swap(a1, a2);
        Arc(x, y, a1, a2, r);
    }
    void Text(Real x, Real y, const std::string& s) override
    {
        Record("TEXT", {L(x), L(y), BlankControls(CadText(s), '\t')});
    }
    void Solid(Real x1, Real y1, Real x2, Real y2, Real x3, Real y3, Real x4, Real y4) override
    {
        Record("SOLID", {L(x1), L(y1), L(x2), L(y2), L(x3), L(y3), L(x4), L(y4)});
    }
    void Insert(const std::string& name, Real x, Real y, Real angle, Real sx, Real sy) override
    {
        Record("INSERT", {Name(name), L(x), L(y), A(angle), A(sx), A(sy)});
    }
    void SetLayer(int n) override { DxfSetLayer(n); }

private:
    static std::string L(Real x) { return TxtNum(x, true); }
    static std::string A(Real x) { return TxtNum(x, false); }
    static std::string Name(const std::string& s) { return BlankControls(s); }

    void Record(const char* keyword, std::initializer_list<std::string> values)
    {
        if (failed_)
            return;
        std::string line = keyword;
        for (const auto& v : values)
            line += "\t" + v;
        file_.WriteLine(line);
        if (file_.IoError() != 0)
            failed_ = true;
    }

    LineFile file_;
    bool failed_ = false;
};

} // namespace

std::unique_ptr<TCadDevice> MakeTxtDevice() { return std::make_unique<TxtDevice>(); }

} // namespace kt4::cad
