// Fuzz target: any bytes as the memo file of a fixed table. The first byte
// picks the format (dBase III, dBase IV or FoxPro), the rest is the memo
// file. Opening it, reading every record's memo as lines and as text, BLOB
// reads with seeks from the end, reading it as a text file and copying each
// memo into a fresh memo file must never read or write out of bounds or
// hang; a damaged file is refused with an engine error.
#include "dbase/dbase.h"
#include "dbase/memo.h"
#include "dbase/memo_blob.h"
#include "foundation/ui_headless.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace kt4::dbase;

namespace {

constexpr std::uint8_t kVersions[] = {0x83, 0x8B, 0xF5};
std::string gDir;
std::vector<std::uint8_t> gTables[3], gCopies[3], gCopyMemos[3];

std::string Name(int format, const char* what)
{
    return gDir + "/" + what + std::to_string(format);
}

std::vector<std::uint8_t> Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void Write(const std::string& path, const std::uint8_t* data, std::size_t n)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(n));
}

void RemoveDir()
{
    std::error_code ec;
    std::filesystem::remove_all(gDir, ec);
}

// The fixed table of a format: records pointing at a spread of blocks.
void MakeTables(int format)
{
    SetCreateVersion(kVersions[format]);
    SetMemoBlockSize(format == 2 ? 64 : 512);
    const std::string table = Name(format, "t");
    CreateDbf(table, {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}});
    USE(table + " EXCLUSIVE");
    for (std::int32_t block : {1, 2, 3, 5, 8, 9, 40, 1000, -2, 0}) {
        ClearRecord();
        Buffer().SetText(1, "r");
        Buffer().SetMemoRef(2, block);
        Append();
    }
    USE("");
    gTables[format] = Read(table + ".dbf");
    const std::string copy = Name(format, "c");
    CreateDbf(copy, {{"NOTE", 'M', 10, 0}});
    gCopies[format] = Read(copy + ".dbf");
    gCopyMemos[format] = Read(copy + (format == 2 ? ".fpt" : ".dbt"));
}

void Exercise(int format)
{
    TWorkArea* a = Current();
    const std::int64_t size = std::filesystem::file_size(Name(format, "t") + (format == 2 ? ".fpt" : ".dbt"));
    char buf[700];
    for (GoTop(); !dEOF() && EngineErrorCode == 0; SKIP(1)) {
        const std::int32_t block = Buffer().MemoRef(2);
        TMemoLines lines;
        GetMemo(block, lines);
        GetMemo(block, lines, 2);
        std::string text;
        if (GetMemoText(block, text) && std::int64_t(text.size()) > size)
            __builtin_trap();
        std::int32_t b = block;
        if (OpenBlob(true, b, TBlobMode::Read)) {
            const std::int64_t end = SeekBlobStream(-40, 2);
            if (end < 0)
                __builtin_trap();
            if (ReadBlobStream(buf, sizeof buf) > std::int64_t(sizeof buf))
                __builtin_trap();
            SeekBlobStream(0, 0);
            while (ReadBlobStream(buf, sizeof buf) > 0) {
            }
            CloseBlob();
        }
        TMemoTextFile f;
        f.AssignMemo(block);
        std::string line;
        if (f.Reset() == 0)
            while (f.ReadLn(line) == 0)
                if (line.size() > 254)
                    __builtin_trap();
        ResetErrorState();
        // Copied into the fresh file of the same format.
        Select(2);
        CopyMemo(1, block);
        Select(1);
        ResetErrorState();
        if (!Current() || Current() != a)
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    kt4::UseHeadlessUi().quiet = true;
    ResetEngine();
    MemoInit();
    SetReportErrors(false);
    SetLanguage(5);
    SetTodayProvider([] { return Ymd{2024, 5, 17}; });
    char templ[] = "/tmp/kt4memofuzzXXXXXX";
    if (!::mkdtemp(templ))
        std::abort();
    gDir = templ;
    std::atexit(RemoveDir);
    for (int f = 0; f < 3; ++f)
        MakeTables(f);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int format = data[0] % 3;
    const std::string table = Name(format, "t"), copy = Name(format, "c");
    const char* ext = format == 2 ? ".fpt" : ".dbt";
    Write(table + ".dbf", gTables[format].data(), gTables[format].size());
    Write(table + ext, data + 1, size - 1);
    Write(copy + ".dbf", gCopies[format].data(), gCopies[format].size());
    Write(copy + ext, gCopyMemos[format].data(), gCopyMemos[format].size());
    Select(2);
    const bool target = USE(copy + " EXCLUSIVE");
    Select(1);
    if (target && USE(table + " EXCLUSIVE"))
        Exercise(format);
    USE("");
    Select(2);
    USE("");
    Select(1);
    ResetErrorState();
    return 0;
}
