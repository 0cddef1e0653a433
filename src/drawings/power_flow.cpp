#include "drawings/power_flow.h"

#include "cad/cad_output.h"
#include "foundation/maths.h"
#include "foundation/numstr.h"

#include <cmath>

namespace kt4::drawings {

using namespace cad;

namespace {

constexpr Real ShaftLength = 30;
constexpr Real BarLength = 6;

struct SchemeShaft {
    const char* letter;
    Real degrees;           // direction from the centre
    Real originDist;        // label origin on the shaft's axis, beyond the circle
    Real ox, oy;            // shift of the label origin
    Real dx2, dy2, dx3, dy3; // second and third value line from the origin
};

const SchemeShaft Shafts[3] = {
    {"S", 210, 24, -1, 1, 2, -4, 4, -7},
    {"C", 330, 6, 2, 2, -2, -6, -4, -9},
    {"H", 90, 6, -2, 0, 5, 0, 9, 0},
};

struct Scheme {
    ShaftValues T, n, P;
    Real xc, yc, r;
    int m; // the summation shaft, 0 = none
};

void DrawSchemeShaft(const Scheme& s, int k)
{
    const SchemeShaft& sh = Shafts[k - 1];
    const Real a = DegToRad(sh.degrees);
    const Real ux = std::cos(a), uy = std::sin(a);
    const Real q = Pi / 2;
    c_moveto(s.xc + s.r * ux, s.yc + s.r * uy);
    if (k == s.m) {
        c_moveto_polar(0.5L, a + q);
        c_lineto_polar(ShaftLength, a);
        c_lineto_polar(2.5L, a + q);
        c_lineto_polar(BarLength, a - q);
        c_moveto_polar(2.5L, a + q);
        c_lineto_polar(ShaftLength, a - Pi);
    } else {
        c_lineto_polar(ShaftLength, a);
        c_lineto_polar(BarLength / 2, a + q);
        c_lineto_polar(BarLength, a - q);
    }
    c_settextstyle(2, 0, 3.0L, 2.4L);
    c_text(s.xc + (s.r + 36) * ux, s.yc + (s.r + 36) * uy, sh.letter);

    c_settextstyle(2, c_textangle(RadToDeg(a)), 2.5L, 1.8L);
    const Real x0 = s.xc + (s.r + sh.originDist) * ux + sh.ox;
    const Real y0 = s.yc + (s.r + sh.originDist) * uy + sh.oy;
    c_moveto(x0, y0);
    c_textln(SchemeNumber(s.T[k - 1], true) + " Nm");
    c_moveto(x0 + sh.dx2, y0 + sh.dy2);
    c_setlayer(22);
    c_textln(SchemeNumber(s.n[k - 1], true) + "/min");
    c_moveto(x0 + sh.dx3, y0 + sh.dy3);
    c_setlayer(24);
    c_textln(SchemeNumber(s.P[k - 1], true) + " kW");
    c_setlayer(19);
}

} // namespace

std::string SchemeNumber(Real x, bool Signed)
{
    if (!std::isfinite(x))
        return "---";
    return Signed ? SignStr(RealStr(x)) : RealStr(x);
}

int SummationShaft(const ShaftValues& T)
{
    int m = 0;
    Real largest = 0;
    for (int k = 1; k <= 3; ++k)
        if (std::fabs(T[k - 1]) > largest) {
            largest = std::fabs(T[k - 1]);
            m = k;
        }
    return m;
}

void DrawPowerFlowScheme(ShaftValues T, ShaftValues n, ShaftValues P, Real xc, Real yc, Real r,
                         Real Pw, Real i0)
{
    const Scheme s{T, n, P, xc, yc, r, SummationShaft(T)};
    c_setlayer(19);
    c_circle(xc, yc, r);
    for (int k = 1; k <= 3; ++k)
        DrawSchemeShaft(s, k);
    c_settextstyle(2, 0, 2.2L, 1.5L);
    c_setlayer(19);
    c_text(xc - 2.8L * r, yc + r, "iSH = " + SchemeNumber(i0, true));
    c_text(xc + 1.5L * r, yc + r, "iHC = " + SchemeNumber(1 - 1 / i0, true));
    c_text(xc - 0.5L * r, yc - 2.2L * r, "iSC = " + SchemeNumber(1 - i0, true));
    c_moveto(xc - 8.8L, yc + 2);
    c_textln(" i0= " + SchemeNumber(i0, false));
    c_textln("Pw= " + SchemeNumber(Pw, false) + " kW");
}

} // namespace kt4::drawings
