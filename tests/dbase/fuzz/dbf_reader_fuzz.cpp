// Fuzz target: any bytes as a table file. Opening, reading every record and
// field, searching, moving, rewriting a record and packing must never read
// or write outside the file's records or crash; a malformed file is refused
// with an engine error.
#include "common/fuzz_support.h"
#include "engine_fuzz.h"

#include <cstdint>
#include <string>

using namespace kt4::dbase;

namespace {

std::string TablePath() { return kt4::fuzz::ScratchDir() + "fuzz.dbf"; }

void Exercise()
{
    int shown = 0;
    for (GoTop(); !dEOF() && shown < 64; SKIP(1), ++shown) {
        for (int f = 1; f <= FieldCount(); ++f) {
            (void)FieldText(f);
            std::string raw;
            Peek(f, RecNo(), raw);
        }
    }
    GoBottom();
    SKIP(-1);
    GO(2);
    int field = 0;
    Search("a", field, true);
    if (FieldCount() > 0)
        Locate(Field(1), "A", true, 1, false);
    if (RecCount() > 0) {
        GO(1);
        Buffer().SetDeleted(true);
        if (FieldCount() > 0 && FieldType(1) == 'C')
            Buffer().SetText(1, "X");
        REPLACE();
        ClearRecord();
        Append();
        Pack();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartQuietEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ParsedTable parsed;
    FormatError error;
    ParseDbfHeader(data, size, std::int64_t(size), "fuzz", parsed, error);
    kt4::fuzz::WriteInput("fuzz.dbf", data, size);
    TableIsAnsi = size % 2 == 0;
    if (USE(TablePath() + " EXCLUSIVE"))
        Exercise();
    USE("");
    ResetErrorState();
    return 0;
}
