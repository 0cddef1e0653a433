// Fuzz target: any bytes as a catalogue source. The first byte chooses the
// bearing type (1..12), the rest is the CSV text. Reading must never crash,
// and every row it accepts must hold finite numbers, a designation and the
// order by bore and width.
#include "drive/catalogue_source.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const kt4::TBearingType typ = static_cast<kt4::TBearingType>(data[0] % 13);
    const std::string_view csv(reinterpret_cast<const char*>(data + 1), size - 1);
    kt4::catalogue::CatalogueSource out;
    const bool ok = kt4::catalogue::ReadCatalogueSource(typ, csv, out);
    if (ok != out.errors.empty())
        __builtin_trap();
    const auto& fields = kt4::catalogue::TableFields(typ);
    const kt4::catalogue::CatalogueRow* previous = nullptr;
    for (const auto& row : out.rows) {
        if (row.values.size() != fields.size() || row.texts.size() != fields.size() || row.Text(1).empty())
            __builtin_trap();
        for (double v : row.values)
            if (!std::isfinite(v) || v < 0)
                __builtin_trap();
        if (!(row.Value(2) > 0 && row.Value(3) > row.Value(2) && row.Value(4) > 0))
            __builtin_trap();
        if (previous && (previous->Value(2) > row.Value(2) ||
                         (previous->Value(2) == row.Value(2) && previous->Value(4) > row.Value(4))))
            __builtin_trap();
        previous = &row;
    }
    return 0;
}
