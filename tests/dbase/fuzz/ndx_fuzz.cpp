// Fuzz target: any bytes as the index file of a fixed small table. Opening
// it, walking it both ways, seeking, appending a record and changing a key
// must never read or write outside a page or loop for ever; a damaged file
// is refused with an engine error.
#include "common/fuzz_support.h"
#include "engine_fuzz.h"

#include "dbase/expr/expr.h"

#include <cstdint>
#include <string>

using namespace kt4::dbase;

namespace {

std::string gTable; // the table as made once

std::string TablePath()
{
    return kt4::fuzz::ScratchDir() + "fuzz.dbf";
}

void MakeTable()
{
    CreateDbf(TablePath(), {{"NAME", 'C', 10, 0}, {"NUM", 'N', 8, 2}, {"DAY", 'D', 8, 0}});
    USE(TablePath() + " EXCLUSIVE");
    for (int i = 0; i < 40; ++i) {
        ClearRecord();
        Buffer().SetText(1, "n" + std::to_string(i * 37 % 40));
        Buffer().SetNumber(2, i * 1.5 - 20);
        Buffer().SetText(3, "17.05.24");
        Append();
    }
    USE("");
    gTable = kt4::fuzz::ReadBytes(TablePath());
}

void Exercise()
{
    int steps = 0;
    for (GoTop(); !dEOF() && EngineErrorCode == 0 && steps < 200; SKIP(1), ++steps) {
        if (RecNo() < 1 || RecNo() > RecCount())
            __builtin_trap();
    }
    steps = 0;
    for (GoBottom(); !dBOF() && EngineErrorCode == 0 && steps < 200; SKIP(-1), ++steps) {
    }
    for (const char* key : {"n1", "n39", "5", "-20", "zz", "17.05.24"})
        if (Find(key) && (RecNo() < 1 || RecNo() > RecCount()))
            __builtin_trap();
    ClearRecord();
    Buffer().SetText(1, "n7");
    Buffer().SetNumber(2, 3);
    Append();
    GO(3);
    Buffer().SetText(1, "zz");
    Buffer().SetNumber(2, 99);
    REPLACE();
    GoTop();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartQuietEngine();
    InitExpressions();
    IndexInit();
    SetLanguage(5);
    MakeTable();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kt4::fuzz::WriteInput("fuzz.dbf", reinterpret_cast<const std::uint8_t*>(gTable.data()), gTable.size());
    kt4::fuzz::WriteInput("f.ndx", data, size);
    if (USE(TablePath() + " EXCLUSIVE") && SetIndexToCB("f", 1, nullptr, nullptr))
        Exercise();
    USE("");
    ResetErrorState();
    return 0;
}
