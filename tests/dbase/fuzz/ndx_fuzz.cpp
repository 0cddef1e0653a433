// Fuzz target: any bytes as the index file of a fixed small table. Opening
// it, walking it both ways, seeking, appending a record and changing a key
// must never read or write outside a page or loop for ever; a damaged file
// is refused with an engine error.
#include "dbase/dbase.h"
#include "dbase/expr.h"
#include "foundation/ui_headless.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace kt4::dbase;

namespace {

std::string gDir;
std::vector<std::uint8_t> gTable; // the table as made once

std::string TablePath()
{
    return gDir + "/fuzz.dbf";
}

void RemoveDir()
{
    std::error_code ec;
    std::filesystem::remove_all(gDir, ec);
}

void MakeTable()
{
    CreateDbf(gDir + "/fuzz", {{"NAME", 'C', 10, 0}, {"NUM", 'N', 8, 2}, {"DAY", 'D', 8, 0}});
    USE(TablePath() + " EXCLUSIVE");
    for (int i = 0; i < 40; ++i) {
        ClearRecord();
        Buffer().SetText(1, "n" + std::to_string(i * 37 % 40));
        Buffer().SetNumber(2, i * 1.5 - 20);
        Buffer().SetText(3, "17.05.24");
        Append();
    }
    USE("");
    std::ifstream in(TablePath(), std::ios::binary);
    gTable.assign(std::istreambuf_iterator<char>(in), {});
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
    kt4::UseHeadlessUi().quiet = true;
    ResetEngine();
    InitExpressions();
    IndexInit();
    SetReportErrors(false);
    SetLanguage(5);
    SetTodayProvider([] { return Ymd{2024, 5, 17}; });
    char templ[] = "/tmp/kt4ndxfuzzXXXXXX";
    if (!::mkdtemp(templ))
        std::abort();
    gDir = templ;
    std::atexit(RemoveDir);
    MakeTable();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        std::ofstream table(TablePath(), std::ios::binary | std::ios::trunc);
        table.write(reinterpret_cast<const char*>(gTable.data()), std::streamsize(gTable.size()));
        std::ofstream index(gDir + "/f.ndx", std::ios::binary | std::ios::trunc);
        index.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    if (USE(TablePath() + " EXCLUSIVE") && SetIndexToCB("f", 1, nullptr, nullptr))
        Exercise();
    USE("");
    ResetErrorState();
    return 0;
}
