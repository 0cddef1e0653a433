#include "drive/bearing_catalogue.h"

#include "drive/bearing_types.h"
#include "foundation/maths.h"

#include <algorithm>
#include <cmath>

namespace kt4 {

namespace {

// Standard needle diameters by r = 10 Dw rounded: the first row whose
// limit r stays below.
struct NeedleStep {
    std::int64_t below;
    Real dw;
};
constexpr NeedleStep NeedleSteps[] = {{13, 1}, {18, 1.5L}, {23, 2}, {28, 2.5L},
                                      {33, 3}, {38, 3.5L}, {46, 4}, {56, 5}};
constexpr Real LargestNeedle = 6;
constexpr Integer MostNeedles = 50;

Real StandardNeedle(Real Dw)
{
    const std::int64_t r = Round(10 * Dw);
    for (const auto& s : NeedleSteps)
        if (r < s.below)
            return s.dw;
    return LargestNeedle;
}

} // namespace

std::string BearingCatalogueKey(const CatalogueFieldText& FieldName)
{
    return FieldName(2) + "*1000000+" + FieldName(3) + "*1000+" + FieldName(4);
}

Real NeedleClearance(Integer Z, Real Dw)
{
    return MaxReal(0.005L * Z, Dw <= 3.5L ? 0.1L : 0.15L);
}

NeedleRing FullComplementNeedleRing(Real d)
{
    NeedleRing ring;
    ring.Z = std::max<Integer>(bearings::FullComplementZ, 4);
    Real Dw = d / (ring.Z / Pi - 1);
    if (Dw > LargestNeedle) {
        Dw = LargestNeedle;
        ring.Z = static_cast<Integer>(std::min<std::int64_t>(Round((d / 6 + 1) * Pi), MostNeedles));
    }
    ring.Dw = StandardNeedle(Dw);
    const Real s = NeedleClearance(ring.Z, ring.Dw);
    ring.Fw = (ring.Dw + s / ring.Z) / std::sin(Pi / ring.Z) - ring.Dw;
    return ring;
}

Real FullComplementNeedleFw(Real d) { return FullComplementNeedleRing(d).Fw; }

} // namespace kt4
