// Fuzz target: any bytes as the source of the print layout table. A source
// is taken whole or refused with one message per bad line; every row taken
// lies within the bounds the print form accepts.
#include "common/fuzz_support.h"
#include "foundation/codepage.h"
#include "graphics/print_layouts.h"

#include <string>

using namespace kt4;
using namespace kt4::graphics;
using kt4::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<PrintLayoutRow> rows;
    std::vector<std::string> errors;
    const bool ok = ReadPrintLayoutSource(text, rows, errors);
    Check(ok == errors.empty());
    Check(!ok || !rows.empty());
    Check(rows.size() + errors.size() <= size / 2 + 1);
    for (const PrintLayoutRow& r : rows) {
        Check(!r.name.empty() && DisplayToOem(r.name).size() <= 25);
        Check(r.xscale > 0 && r.xscale <= 100 && r.yscale > 0 && r.yscale <= 100);
        Check(r.xorigin >= -1000 && r.xorigin <= 1000 && r.yorigin >= -1000 && r.yorigin <= 1000);
    }
    return 0;
}
