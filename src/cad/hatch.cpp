// Hatching: the outline store and the scan-line hatch.
//
// A hatch line is the set of points p with p . n = c, n the unit normal
// of the line direction; c runs across the outline in steps of the
// spacing. An edge counts for a line when its ends lie on different sides
// of it, an end on the line counting as lying above. So every line meets
// a closed outline an even number of times, also through a vertex, and
// the sorted intersections pair up into the pieces inside.
#include "cad/hatch.h"

#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "foundation/maths.h"
#include "foundation/settings.h"
#include "graphics/geometry2d.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kt4::cad {

Array1<THatchPoint, MaxHatchPoints> HatchPoints;
Word HatchCount = 0;
Real HatchArcAngle = 0;

namespace {

const char* const StoreFull = "Schraffurfehler";

// Puts the current layer back when the hatch ends, however it ends.
class LayerKeeper {
public:
    LayerKeeper() : layer_(CadLayer) { c_savelayer(); }
    ~LayerKeeper() { c_setlayer(layer_); }
    LayerKeeper(const LayerKeeper&) = delete;
    LayerKeeper& operator=(const LayerKeeper&) = delete;

private:
    std::uint8_t layer_;
};

void Sort(std::array<double, MaxHatchPoints + 1>& Keys,
          std::array<Integer, MaxHatchPoints + 1>& Index, Integer l, Integer r)
{
    Integer i = l, j = r;
    const double pivot = Keys[std::size_t((l + r) / 2)];
    do {
        while (Keys[std::size_t(i)] < pivot)
            ++i;
        while (pivot < Keys[std::size_t(j)])
            --j;
        if (i <= j) {
            std::swap(Keys[std::size_t(i)], Keys[std::size_t(j)]);
            std::swap(Index[std::size_t(i)], Index[std::size_t(j)]);
            ++i;
            --j;
        }
    } while (i <= j);
    if (l < j)
        Sort(Keys, Index, l, j);
    if (i < r)
        Sort(Keys, Index, i, r);
}

// The hatch lines of the closed outline of points 1..N (point N equals
// point 1) at Angle degrees.
void HatchLines(Integer N, Real Spacing, Real Angle)
{
    // The same lines for a and a + 180 degrees: a in (-90, 90].
    Real a = std::fmod(Angle, 180.0L);
    if (a <= -90)
        a += 180;
    else if (a > 90)
        a -= 180;
    if (a == 0)
        return; // the outline only
    const Real rad = DegToRad(a);
    // direction of the lines and its normal; 90 degrees gives x = c lines
    // ordered by y
    const Real dx = a == 90 ? 0 : std::cos(rad), dy = a == 90 ? 1 : std::sin(rad);
    const Real nx = -dy, ny = dx;

    Real cmin = std::numeric_limits<Real>::infinity(), cmax = -cmin;
    for (Integer i = 1; i <= N; ++i) {
        const Real c = HatchPoints[std::size_t(i)].x * nx + HatchPoints[std::size_t(i)].y * ny;
        if (!std::isfinite(c)) {
            settings::AddMessage(StoreFull);
            return;
        }
        cmin = std::min(cmin, c);
        cmax = std::max(cmax, c);
    }
    if (!(cmax > cmin))
        return;
    const Real step = Spacing == 0 ? (cmax - cmin) / 10 : std::fabs(Spacing);
    if (!((cmax - cmin) / step <= MaxHatchLines)) {
        settings::AddMessage(StoreFull);
        return;
    }
    if (HatchMode == 1 || HatchMode == 2)
        c_setlayer(3);

    std::array<THatchPoint, MaxHatchPoints + 1> cut;
    std::array<double, MaxHatchPoints + 1> keys;
    std::array<Integer, MaxHatchPoints + 1> index;
    for (Integer k = 1;; ++k) {
        const Real c = cmin + k * step;
        if (!(c < cmax))
            break; // a line at cmax could only touch the outline
        Integer count = 0;
        for (Integer i = 1; i < N; ++i) {
            const THatchPoint& p = HatchPoints[std::size_t(i)];
            const THatchPoint& q = HatchPoints[std::size_t(i + 1)];
            const Real sp = p.x * nx + p.y * ny - c, sq = q.x * nx + q.y * ny - c;
            if ((sp >= 0) == (sq >= 0))
                continue;
            const Real t = sp / (sp - sq);
            ++count;
            cut[std::size_t(count)] = {p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)};
        }
        if (count == 0)
            continue;
        for (Integer i = 1; i <= count; ++i)
            keys[std::size_t(i)] =
                static_cast<double>(cut[std::size_t(i)].x * dx + cut[std::size_t(i)].y * dy);
        qsort2(keys, index, count);
        for (Integer i = 1; i + 1 <= count; i += 2) {
            const THatchPoint& s = cut[std::size_t(index[std::size_t(i)])];
            const THatchPoint& e = cut[std::size_t(index[std::size_t(i + 1)])];
            if (s.x != e.x || s.y != e.y)
                c_line(s.x, s.y, e.x, e.y);
        }
    }
}

} // namespace

void InitHatchStore()
{
    HatchPoints.fill({});
    HatchCount = 0;
    HatchArcAngle = 0;
}

void HatchBegin()
{
    HatchCount = 0;
    HatchArcAngle = 0;
}

void HatchClear() { HatchCount = 0; }

void HatchAddPoint(Real X, Real Y)
{
    if (HatchCount >= MaxHatchPoints) {
        HatchCount = MaxHatchPoints;
        settings::AddMessage(StoreFull);
        return;
    }
    ++HatchCount;
    HatchPoints[HatchCount] = {X, Y};
}

void HatchAddPolarPoint(Real CX, Real CY, Real R, Real Phi)
{
    HatchAddPoint(CX + R * std::cos(Phi), CY + R * std::sin(Phi));
}

void HatchAddArc(Integer N, Real CX, Real CY, Real R, Real Phi0, Real Phi1)
{
    for (Integer k = 0; k <= N; ++k)
        HatchAddPolarPoint(CX, CY, R, k == 0 ? Phi0 : Phi0 + k * (Phi1 - Phi0) / N);
}

void HatchAddArcPoint(Real X, Real Y, Real ArcAngle)
{
    if (HatchCount > MaxHatchPoints)
        return;
    Real cx = 0, cy = 0, a1 = 0, r = 0, a2 = 0;
    if (HatchCount == 0 || HatchArcAngle == 0) {
        HatchAddPoint(X, Y);
    } else {
        const THatchPoint from = HatchPoints[HatchCount];
        if (!graphics::GetArcCenterXY(cx, cy, a1, r, a2, from.x, from.y, X, Y, HatchArcAngle)) {
            HatchAddPoint(X, Y);
        } else {
            const Integer k =
                std::max<Integer>(3, static_cast<Integer>(Round(RadToDeg(std::fabs(HatchArcAngle)) / 10)));
            const Real step = HatchArcAngle / k;
            for (Integer j = 0; j <= k; ++j) {
                if (HatchCount + 1 >= MaxHatchPoints) {
                    settings::AddMessage(StoreFull);
                    break;
                }
                ++HatchCount;
                if (j == 0)
                    HatchPoints[HatchCount] = from;
                else if (j == k)
                    HatchPoints[HatchCount] = {X, Y};
                else
                    HatchPoints[HatchCount] = {cx + r * std::cos(a1 + j * step),
                                               cy + r * std::sin(a1 + j * step)};
            }
        }
    }
    HatchArcAngle = ArcAngle;
}

void HatchAddArcPoint2(Real X, Real Y, Real ArcAngle) { HatchAddArcPoint(X, Y, ArcAngle); }

void HatchAddRotPoint(Real OX, Real OY, Real X, Real Y, Real ArcAngle, Real Phi)
{
    RotatePoint(X, Y, Phi);
    HatchAddArcPoint(OX + X, OY + Y, ArcAngle);
}

void SetHatchMode(Word M) { HatchMode = M; }
void SetHatchModeLayer() { HatchMode = 1; }

void HatchPolygon(Integer N, Real Spacing, Real Angle) { schraff(N == 0 ? HatchCount : N, Spacing, Angle); }
void HatchDraw(Integer N, Real Spacing, Real Angle) { HatchPolygon(N, Spacing, Angle); }

void HatchRectangle(Real X1, Real Y1, Real X2, Real Y2, Real Spacing, Real Angle)
{
    HatchPoints[1] = {X1, Y1};
    HatchPoints[2] = {X2, Y1};
    HatchPoints[3] = {X2, Y2};
    HatchPoints[4] = {X1, Y2};
    if (Spacing == 0)
        Spacing = static_cast<Real>(Round(std::max(std::fabs(X2 - X1), std::fabs(Y2 - Y1)) / 8));
    HatchPolygon(4, Spacing, Angle);
}

void schraff(Integer N, Real Spacing, Real Angle)
{
    LayerKeeper keep;
    if (N <= 0)
        return;
    if (N >= MaxHatchPoints) {
        settings::AddMessage("Fatal  : n schraff !");
        return;
    }
    const THatchPoint first = HatchPoints[1];
    if (HatchPoints[std::size_t(N)].x != first.x || HatchPoints[std::size_t(N)].y != first.y) {
        ++N;
        HatchPoints[std::size_t(N)] = first;
    }
    if (HatchMode == 1)
        c_setlayer(5);
    if (HatchMode != 2) {
        c_polyline_begin(0);
        for (Integer i = 1; i <= N; ++i)
            c_poly(HatchPoints[std::size_t(i)].x, HatchPoints[std::size_t(i)].y, 0);
        c_polyline_end();
    }
    if (!std::isfinite(Spacing) || !std::isfinite(Angle)) {
        settings::AddMessage(StoreFull);
        return;
    }
    HatchLines(N, Spacing, Angle);
}

void qsort2(std::array<double, MaxHatchPoints + 1>& Keys,
            std::array<Integer, MaxHatchPoints + 1>& Index, Integer N)
{
    if (N <= 0)
        return;
    if (N > MaxHatchPoints) {
        settings::AddMessage("Fatal  : QSORT2 error");
        settings::AbortFlag = true;
        return;
    }
    for (Integer k = 1; k <= MaxHatchPoints; ++k)
        Index[std::size_t(k)] = k;
    Sort(Keys, Index, 1, N);
}

} // namespace kt4::cad
