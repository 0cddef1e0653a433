// Sections of the single-row and the double-row angular-contact ball
// bearing. Both hatch all four ring sections at -45 degrees with the hatch
// builder's own spacing, and both run to their end whatever happens to
// AbortFlag on the way.
#include "drawings/bearing_section.h"
#include "drawings/section_outline.h"

#include "cad/cad_output.h"
#include "cad/hatch.h"
#include "foundation/maths.h"

#include <cmath>

namespace kt4::drawings {

using namespace cad;

namespace {

constexpr Real HatchAngle = -45;

struct BallSet {
    Real r, R, r1, R1, rs, B, Rp, rb;
};

BallSet BallSetOf(const WaelzLagerTyp& b, Real widthShare)
{
    BallSet g{};
    g.r = b.d / 2;
    g.R = b.D / 2;
    g.r1 = b.d1() / 2;
    g.R1 = b.D1() / 2;
    g.rs = b.rmin;
    g.B = b.B;
    g.Rp = (g.R + g.r) / 2;
    g.rb = BallRadius(b, widthShare);
    return g;
}

void EndFaces(const BallSet& g, Word Mode)
{
    if (Mode != 1)
        return;
    c_line(0, g.r + g.rs, 0, -(g.r + g.rs));
    c_line(g.B, g.r + g.rs, g.B, -(g.r + g.rs));
}

// Left face from the bore to the outer-ring shoulder, right face from the
// bore to the top of the balls, both halves.
void FaceLines(const BallSet& g)
{
    for (Real s : {1.0L, -1.0L}) {
        c_line(0, s * g.r, 0, s * g.R1);
        c_line(g.B, s * g.r, g.B, s * (g.Rp + g.rb));
    }
}

void Ball(Real x, Real y, Real rb)
{
    if (rb > 0)
        c_circle(x, y, rb);
}

void CentreCross(Real x, Real y, Real rb)
{
    if (!(rb > 0))
        return;
    c_line(x - rb / 2, y, x + rb / 2, y);
    c_line(x, y + rb / 2, x, y - rb / 2);
}

// The arc cosine of a groove, or false when the ball does not reach the
// shoulder line (|c| > 1: the message list says so).
bool GrooveAngle(Real c, Real& angle)
{
    angle = ArcCosChecked(c);
    return std::fabs(c) <= 1;
}

void Section(const Outline& upper, Real s)
{
    c_setlayer(5);
    HatchOutline(Half(upper, s), 0, HatchAngle);
}

} // namespace

void DrawAngularContactBallBearing(Word Slot, Word Mode)
{
    const WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    const BallSet g = BallSetOf(b, 0.85L);
    const Real B = g.B, R = g.R, r = g.r, Rp = g.Rp, rb = g.rb, rs = g.rs, r2 = b.r2();
    c_setlayer(5);
    EndFaces(g, Mode);
    Ball(B / 2, Rp, rb);
    Ball(B / 2, -Rp, rb);
    FaceLines(g);
    c_setlayer(1);
    CentreCross(B / 2, Rp, rb);
    CentreCross(B / 2, -Rp, rb);

    Real arc = 0;
    // outer ring: shoulder at the left face, relieved on the right down to
    // the top of the ball
    if (rb > 0 && GrooveAngle((g.R1 - Rp) / rb, arc)) {
        const Real sw = std::sqrt(rb * rb - (g.R1 - Rp) * (g.R1 - Rp));
        const Outline outer = {
            {0, g.R1, 0},          {0, R - rs, -Pi / 2}, {rs, R, 0},
            {B - r2, R, -Pi / 2},  {B, R - r2, 0},       {B, Rp + rb, 0},
            {B / 2, Rp + rb, arc}, {B / 2 - sw, g.R1, 0}, {0, g.R1, 0},
        };
        Section(outer, 1);
        SetHatchMode(1);
        Section(outer, -1);
    } else {
        SetHatchMode(1);
    }
    // inner ring: shoulder at the right face, relieved on the left up to
    // the bottom of the ball
    if (rb > 0 && GrooveAngle((Rp - g.r1) / rb, arc)) {
        const Real sw = std::sqrt(rb * rb - (Rp - g.r1) * (Rp - g.r1));
        const Outline inner = {
            {B, g.r1, 0},          {B, r + rs, -Pi / 2},  {B - rs, r, 0},
            {rs, r, -Pi / 2},      {0, r + rs, 0},        {0, Rp - rb, 0},
            {B / 2, Rp - rb, arc}, {B / 2 + sw, g.r1, 0}, {B, g.r1, 0},
        };
        Section(inner, 1);
        Section(inner, -1);
    }
    SetHatchMode(1);
}

void DrawDoubleRowAngularContactBallBearing(Word Slot, Word Mode)
{
    const WaelzLagerTyp& b = bearings::BearingSlots[Slot];
    const BallSet g = BallSetOf(b, 0.4L);
    const Real B = g.B, R = g.R, r = g.r, Rp = g.Rp, rb = g.rb, rs = g.rs;
    const Real xl = B / 4, xr = B - B / 4;
    c_setlayer(5);
    EndFaces(g, Mode);
    for (Real x : {xl, xr}) {
        Ball(x, Rp, rb);
        Ball(x, -Rp, rb);
    }
    FaceLines(g);
    c_setlayer(1);
    for (Real x : {xl, xr}) {
        CentreCross(x, Rp, rb);
        CentreCross(x, -Rp, rb);
    }
    c_setlayer(5);
    SetHatchMode(1);
    // A ring whose shoulder lies farther than rb from the pitch circle has
    // no groove to draw: it is left out, as in the single-row bearing.
    Real ao = 0, ai = 0;
    if (rb > 0 && GrooveAngle((g.R1 - Rp) / rb, ao)) {
        const Real so = std::sqrt(rb * rb - (g.R1 - Rp) * (g.R1 - Rp));
        ao *= 2;
        const Outline outer = {
            {0, g.R1, 0},       {0, R - rs, -Pi / 2}, {rs, R, 0},          {B - rs, R, -Pi / 2},
            {B, R - rs, 0},     {B, g.R1, 0},         {xr + so, g.R1, ao}, {xr - so, g.R1, 0},
            {xl + so, g.R1, ao}, {xl - so, g.R1, 0},  {0, g.R1, 0},
        };
        Section(outer, 1);
        Section(outer, -1);
    }
    if (rb > 0 && GrooveAngle((Rp - g.r1) / rb, ai)) {
        const Real si = std::sqrt(rb * rb - (Rp - g.r1) * (Rp - g.r1));
        ai *= 2;
        const Outline inner = {
            {B, g.r1, 0},        {B, r + rs, -Pi / 2}, {B - rs, r, 0},       {rs, r, -Pi / 2},
            {0, r + rs, 0},      {0, g.r1, 0},         {xl - si, g.r1, ai}, {xl + si, g.r1, 0},
            {xr - si, g.r1, ai}, {xr + si, g.r1, 0},   {B, g.r1, 0},
        };
        Section(inner, 1);
        Section(inner, -1);
    }
    SetHatchMode(1);
}

} // namespace kt4::drawings
