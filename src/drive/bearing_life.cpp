#include "drive/bearing_life.h"

#include "foundation/maths.h"

#include <cmath>

namespace kt4 {

namespace {

// The factor A of aISO = 0.1 (1 - A (eC Cu / P)^x)^-y in one kappa range:
// A = (a - b / kappa^k)^p.
struct AIsoRange {
    Real b, k;
};

struct AIsoCurve {
    Real a, p;           // constant and exponent of A
    AIsoRange ranges[3]; // 0.1..0.4, 0.4..1, 1..4
    Real loadExponent;   // x
    Real lifeExponent;   // y
};

constexpr AIsoCurve BallCurve = {
    2.5671L, 0.83L, {{2.2649L, 0.054381L}, {1.9987L, 0.19087L}, {1.9987L, 0.071739L}},
    1.0L / 3, 9.3L};

// The middle range uses 1.2348, the value that joins the three ranges into
// one continuous curve.
constexpr AIsoCurve RollerCurve = {
    1.5859L, 1, {{1.3993L, 0.054381L}, {1.2348L, 0.19087L}, {1.2348L, 0.071739L}},
    0.4L, 9.185L};

const char* const AIsoName = "aISO";

Real LifeFactorAIso(const AIsoCurve& c, Real P, Real Cu, Real eC, Real kappa)
{
    if (kappa > 4)
        kappa = 4;
    if (kappa < 0.1L)
        return 0;
    const AIsoRange& r = kappa < 0.4L ? c.ranges[0] : kappa < 1 ? c.ranges[1] : c.ranges[2];
    // The curves start at A = 0 for kappa 0.1; the rounded constants of the
    // roller curve leave a base of -0.00006 there, which is that 0 and no
    // negative power.
    const Real base = c.a - r.b / PowerChecked(AIsoName, kappa, r.k);
    const Real A = base > 0 ? PowerChecked(AIsoName, base, c.p) : 0;

    const Real strength = eC * Cu;
    if (strength <= 0)
        return 0.1L; // no fatigue limit or full contamination: the load term is 0
    if (P <= 0)
        return AIsoLimit;
    const Real bracket = 1 - A * PowerChecked(AIsoName, strength / P, c.loadExponent);
    // At and beyond the pole the life is unlimited: the cap applies.
    if (bracket <= 0)
        return AIsoLimit;
    return MinReal(AIsoLimit, 0.1L * PowerChecked(AIsoName, bracket, -c.lifeExponent));
}

struct CleanlinessRow {
    Real small, large; // dm < 100, dm >= 100
};

constexpr CleanlinessRow CleanlinessTable[7] = {
    {1, 1}, {0.7L, 0.85L}, {0.55L, 0.7L}, {0.4L, 0.5L}, {0.2L, 0.3L}, {0.05L, 0.05L}, {0, 0},
};

} // namespace

Real RatedViscosity(Real n, Real dm)
{
    const char* const name = "visko1";
    if (n == 0)
        return 1000000;
    n = std::fabs(n);
    if (n < 1000)
        return 45000 * PowerChecked(name, n, -0.83L) * PowerChecked(name, dm, -0.5L);
    return 4500 * PowerChecked(name, n, -0.5L) * PowerChecked(name, dm, -0.5L);
}

Real OperatingViscosity(Real theta, Real nue40)
{
    const Real w40 = Log10(Log10(nue40 + 0.8L));
    const Real w = w40 - 3.726L * (Log10(theta + 273.15L) - Log10(313.15L));
    return Power10(Power10(w)) - 0.8L;
}

Real LifeFactorA23(Real kappa)
{
    if (kappa < 0.4L)
        return Power10(0.53L * Log10(kappa) - 0.49L);
    if (kappa < 1)
        return Power10(1.75L * Log10(kappa));
    if (kappa < 4)
        return Power10(0.66L * Log10(kappa));
    return 2.5L;
}

Real LifeFactorAIsoBall(Real P, Real Cu, Real eC, Real kappa)
{
    return LifeFactorAIso(BallCurve, P, Cu, eC, kappa);
}

Real LifeFactorAIsoRoller(Real P, Real Cu, Real eC, Real kappa)
{
    return LifeFactorAIso(RollerCurve, P, Cu, eC, kappa);
}

Real CleanlinessFactor(Word Cleanliness, Real dm)
{
    if (Cleanliness < 1 || Cleanliness > 7)
        return 0;
    const auto& row = CleanlinessTable[Cleanliness - 1];
    return dm < 100 ? row.small : row.large;
}

} // namespace kt4
