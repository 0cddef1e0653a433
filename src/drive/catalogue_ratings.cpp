#include "drive/catalogue_ratings.h"

#include <cmath>
#include <cstddef>
#include <iterator>
#include <numbers>

namespace kt4::catalogue {

namespace {

struct Point {
    double x, y;
};

constexpr Point GrooveBallFcTable[] = {
    {0.01, 29.1}, {0.02, 35.8}, {0.03, 40.3}, {0.04, 43.8}, {0.05, 46.7}, {0.06, 49.1}, {0.07, 51.1},
    {0.08, 52.8}, {0.09, 54.3}, {0.10, 55.5}, {0.12, 57.5}, {0.14, 58.8}, {0.16, 59.6}, {0.18, 59.9},
    {0.20, 59.9}, {0.22, 59.6}, {0.24, 59.0}, {0.26, 58.2}, {0.28, 57.1}, {0.30, 56.0}, {0.32, 54.6},
    {0.34, 53.2}, {0.36, 51.7}, {0.38, 50.0}, {0.40, 48.4},
};

constexpr Point RollerFcTable[] = {
    {0.01, 52.1}, {0.02, 60.8}, {0.03, 66.5}, {0.04, 70.7}, {0.05, 74.1}, {0.06, 76.9}, {0.07, 79.2},
    {0.08, 81.2}, {0.09, 82.8}, {0.10, 84.2}, {0.11, 85.4}, {0.12, 86.4}, {0.13, 87.1}, {0.14, 87.7},
    {0.15, 88.2}, {0.16, 88.5}, {0.17, 88.7}, {0.18, 88.8}, {0.19, 88.8}, {0.20, 88.7}, {0.21, 88.5},
    {0.22, 88.2}, {0.23, 87.9}, {0.24, 87.5}, {0.25, 87.0}, {0.26, 86.4}, {0.27, 85.8}, {0.28, 85.2},
    {0.29, 84.5}, {0.30, 83.8},
};

constexpr Point GrooveBallF0Table[] = {
    {0.00, 14.7}, {0.09, 16.5}, {0.10, 16.4}, {0.15, 15.2}, {0.20, 14.0},
    {0.25, 12.8}, {0.30, 11.6}, {0.40, 9.4},
};

// ISO 281's column of single- and double-row self-aligning ball bearings.
constexpr Point SelfAligningFcTable[] = {
    {0.01, 9.9},  {0.02, 12.4}, {0.03, 14.3}, {0.04, 15.9}, {0.05, 17.3}, {0.06, 18.6}, {0.07, 19.9},
    {0.08, 21.1}, {0.09, 22.3}, {0.10, 23.4}, {0.12, 25.6}, {0.14, 27.7}, {0.16, 29.7}, {0.18, 31.7},
    {0.20, 33.5}, {0.22, 35.2}, {0.24, 36.8}, {0.26, 38.2}, {0.28, 39.4}, {0.30, 40.3}, {0.32, 40.9},
    {0.34, 41.2}, {0.36, 41.4}, {0.38, 41.4}, {0.40, 41.4},
};

// ISO 76's column of self-aligning ball bearings, in 0.01 steps of gamma.
constexpr Point SelfAligningF0Table[] = {
    {0.00, 1.9}, {0.01, 2.0}, {0.02, 2.0}, {0.03, 2.1}, {0.04, 2.1}, {0.05, 2.1}, {0.06, 2.2},
    {0.07, 2.2}, {0.08, 2.3}, {0.09, 2.3}, {0.10, 2.4}, {0.11, 2.4}, {0.12, 2.4}, {0.13, 2.5},
    {0.14, 2.5}, {0.15, 2.6}, {0.16, 2.6}, {0.17, 2.7}, {0.18, 2.7}, {0.19, 2.8}, {0.20, 2.8},
    {0.21, 2.8}, {0.22, 2.9}, {0.23, 2.9}, {0.24, 3.0}, {0.25, 3.0}, {0.26, 3.1}, {0.27, 3.1},
    {0.28, 3.2}, {0.29, 3.2}, {0.30, 3.3}, {0.31, 3.3}, {0.32, 3.4}, {0.33, 3.4}, {0.34, 3.5},
    {0.35, 3.5}, {0.36, 3.6}, {0.37, 3.6}, {0.38, 3.7}, {0.39, 3.8}, {0.40, 3.8},
};

template <std::size_t N>
double Interpolate(const Point (&t)[N], double x)
{
    if (!(x > t[0].x)) // also NaN
        return t[0].y;
    for (std::size_t k = 1; k < N; ++k)
        if (x <= t[k].x)
            return t[k - 1].y + (t[k].y - t[k - 1].y) * (x - t[k - 1].x) / (t[k].x - t[k - 1].x);
    return t[N - 1].y;
}

double CosDeg(double a) { return std::cos(a * std::numbers::pi / 180); }

} // namespace

double GrooveBallFc(double Gamma) { return Interpolate(GrooveBallFcTable, Gamma); }
double RollerFc(double Gamma) { return Interpolate(RollerFcTable, Gamma); }
double GrooveBallF0(double Gamma) { return Interpolate(GrooveBallF0Table, Gamma); }
double SelfAligningFc(double Gamma) { return Interpolate(SelfAligningFcTable, Gamma); }
double SelfAligningF0(double Gamma) { return Interpolate(SelfAligningF0Table, Gamma); }

double BallC(double Bm, double Fc, int Rows, double AlphaDeg, int Z, double Dw)
{
    const double common = Bm * Fc * std::pow(Rows * CosDeg(AlphaDeg), 0.7) * std::pow(Z, 2.0 / 3);
    return Dw <= 25.4 ? common * std::pow(Dw, 1.8) : 3.647 * common * std::pow(Dw, 1.4);
}

double BallC0(double F0, int Rows, int Z, double Dw, double AlphaDeg)
{
    return F0 * Rows * Z * Dw * Dw * CosDeg(AlphaDeg);
}

double RollerC(double Bm, double Fc, int Rows, double Lwe, double AlphaDeg, int Z, double Dwe)
{
    return Bm * Fc * std::pow(Rows * Lwe * CosDeg(AlphaDeg), 7.0 / 9) * std::pow(Z, 0.75) *
           std::pow(Dwe, 29.0 / 27);
}

double RollerC0(int Rows, int Z, double Lwe, double Dwe, double AlphaDeg, double Dpw)
{
    const double c = CosDeg(AlphaDeg);
    return 44 * (1 - Dwe * c / Dpw) * Rows * Z * Lwe * Dwe * c;
}

double FatigueLoadLimit(bool Ball, double C0, double Dpw)
{
    const double base = C0 / (Ball ? 22 : 8.2);
    return Dpw > 100 ? base * std::pow(100 / Dpw, Ball ? 0.5 : 0.3) : base;
}

} // namespace kt4::catalogue
