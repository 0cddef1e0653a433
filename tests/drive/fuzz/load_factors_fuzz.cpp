// Fuzz target: any bytes as a load-factor table (".HDF"). X and Y looked up
// in whatever rows it holds are finite, for loads across the table, at its
// rows and beyond them.
#include "common/fuzz_support.h"
#include "drive/bearing_factors.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"

#include <cmath>
#include <string>
#include <vector>

using namespace kt4;
using kt4::fuzz::Check;

namespace {

void Lookup(const std::vector<LoadFactorRow>& rows, Real Fr, Real Fa, Real C0)
{
    Real X = 1, Y = 0;
    LookupXYFactors(rows, X, Y, Fr, Fa, C0);
    Check(std::isfinite(X) && std::isfinite(Y));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    settings::InitSettings();
    UseHeadlessUi().quiet = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::WriteInput("rikula_u.hdf", data, size);
    const bool abort = settings::AbortFlag;
    std::vector<LoadFactorRow> rows;
    Check(ReadLoadFactorTable(path, rows));
    Check(settings::AbortFlag == abort);
    Check(rows.size() <= size / 7 + 1);
    if (rows.empty())
        return 0;
    constexpr Real C0 = 10000;
    for (Real Fr : {0.0L, 1.0L, 3000.0L})
        for (Real Fa : {1.0L, 50.0L, 500.0L, 5000.0L, 1E6L})
            Lookup(rows, Fr, Fa, C0);
    // at every row, between it and the next, and just past the last
    for (std::size_t k = 0; k < rows.size() && k < 64; ++k) {
        const Real q = rows[k].FaC0;
        if (!std::isfinite(q) || q <= 0 || q > 1E30L)
            continue;
        Lookup(rows, 1000, q * C0, C0);
        Lookup(rows, 1000, q * C0 * 1.0001L, C0);
        Lookup(rows, 0, q * C0 * 0.5L, C0);
    }
    return 0;
}
