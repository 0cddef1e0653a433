#include "drive/drive_series.h"

#include "foundation/maths.h"

#include <iterator>

namespace kt4::drive {

namespace {

// A table read from a list; the count must match the declared size.
template <std::size_t N>
Array1<Real, N> Table(const Real (&values)[N])
{
    Array1<Real, N> a;
    for (std::size_t k = 0; k < N; ++k)
        a[k + 1] = values[k];
    return a;
}

constexpr Real DiameterList[] = {
    3,   4,   5,   6,   7,   8,   9,   10,  12,  15,   17,   20,   25,   30,   35,   40,   45,   50,
    55,  60,  65,  70,  75,  80,  85,  90,  95,  100,  105,  110,  120,  130,  140,  150,  160,  170,
    180, 190, 200, 220, 240, 260, 280, 300, 320, 340,  360,  380,  400,  420,  440,  460,  480,  500,
    530, 560, 600, 630, 670, 710, 750, 800, 850, 900,  950,  1000, 1060, 1120, 1180, 1320, 1400, 1500};

struct BoreWidth {
    Real bore, width;
};

constexpr BoreWidth BoreWidthList[] = {
    {3, 4},      {4, 5},      {5, 5},      {6, 6},      {7, 6},      {8, 7},      {9, 8},
    {10, 8},     {12, 8},     {15, 9},     {17, 10},    {20, 12},    {25, 12},    {30, 13},
    {35, 14},    {40, 15},    {45, 16},    {50, 16},    {55, 18},    {60, 18},    {65, 18},
    {70, 20},    {75, 20},    {80, 22},    {85, 22},    {90, 24},    {100, 24},   {105, 26},
    {110, 28},   {120, 28},   {130, 33},   {140, 33},   {150, 35},   {160, 38},   {170, 42},
    {180, 46},   {190, 46},   {200, 51},   {220, 56},   {240, 56},   {260, 65},   {280, 65},
    {300, 74},   {320, 74},   {340, 82},   {360, 82},   {380, 82},   {400, 90},   {420, 90},
    {440, 94},   {460, 100},  {480, 100},  {500, 100},  {530, 112},  {560, 115},  {600, 118},
    {630, 128},  {670, 136},  {710, 140},  {750, 150},  {800, 155},  {850, 82},   {900, 85},
    {950, 90},   {1000, 100}, {1060, 100}, {1120, 106}, {1180, 106}, {1320, 122}, {1400, 132},
    {1500, 140}};

static_assert(std::size(DiameterList) == StdDiameterCount);
static_assert(std::size(BoreWidthList) == StdBoreCount);

template <std::size_t N>
Array1<Real, N> Column(Real BoreWidth::*field)
{
    Array1<Real, N> a;
    for (std::size_t k = 1; k <= N; ++k)
        a[k] = BoreWidthList[k - 1].*field;
    return a;
}

// The smallest index whose value is at least D (0.001 tolerance), else the last.
template <std::size_t N>
std::size_t FirstAtOrAbove(const Array1<Real, N>& series, Real D)
{
    for (std::size_t k = 1; k <= N; ++k)
        if (D <= series[k] + 0.001L)
            return k;
    return N;
}

} // namespace

const Array1<Real, StdDiameterCount> StdDiameters = Table(DiameterList);
const Array1<Real, StdBoreCount> StdBores = Column<StdBoreCount>(&BoreWidth::bore);
const Array1<Real, StdBoreCount> StdWidths = Column<StdBoreCount>(&BoreWidth::width);

Real NextStdDiameter(Integer Direction, Real D)
{
    const std::size_t k = FirstAtOrAbove(StdDiameters, D);
    if (SameReal(StdDiameters[k], D) && Direction > 0 && k < StdDiameterCount)
        return StdDiameters[k + 1];
    if (Direction == -1 && k > 1)
        return StdDiameters[k - 1];
    return StdDiameters[k];
}

Real StdBearingWidth(Real D)
{
    const std::size_t k = FirstAtOrAbove(StdBores, D);
    return SameReal(StdBores[k], D) ? StdWidths[k] : 0;
}

Real SectionIp(Real D, Real d) { return Pi / 32 * (IntPower(4, D) - IntPower(4, d)); }

Real SectionWp(Real D, Real d)
{
    if (!(D > d) || D == 0)
        return 0;
    return 2 * SectionIp(D, d) / D;
}

Real SectionW(Real d) { return Pi / 32 * IntPower(3, d); }

Real SectionI(Real D, Real d)
{
    if (!(D > d))
        return 0;
    return Pi / 64 * (IntPower(4, D) - IntPower(4, d));
}

Real SectionWb(Real D, Real d)
{
    if (D == 0)
        return 0;
    return 2 * SectionI(D, d) / D;
}

} // namespace kt4::drive
