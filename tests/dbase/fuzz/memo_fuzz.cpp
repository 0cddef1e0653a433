// Fuzz target: any bytes as the memo file of a fixed table. The first byte
// picks the format (dBase III, dBase IV or FoxPro), the rest is the memo
// file. Opening it, reading every record's memo as lines and as text, BLOB
// reads with seeks from the end, reading it as a text file and copying each
// memo into a fresh memo file must never read or write out of bounds or
// hang; a damaged file is refused with an engine error. A memo written into
// it goes to its end, or is refused.
#include "common/fuzz_support.h"
#include "engine_fuzz.h"

#include "dbase/memo/memo.h"
#include "dbase/memo/memo_blob.h"

#include <cstdint>
#include <filesystem>
#include <string>

using namespace kt4::dbase;

namespace {

constexpr std::uint8_t kVersions[] = {0x83, 0x8B, 0xF5};
std::string gTables[3], gCopies[3], gCopyMemos[3];

// Files in the scratch folder: "t<format>" the table, "c<format>" the
// table the memos are copied to.
std::string Name(int format, const char* what)
{
    return what + std::to_string(format);
}

std::string Path(const std::string& name)
{
    return kt4::fuzz::ScratchDir() + name;
}

void WriteFile(const std::string& name, const std::string& bytes)
{
    kt4::fuzz::WriteInput(name, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// The fixed table of a format: records pointing at a spread of blocks.
void MakeTables(int format)
{
    SetCreateVersion(kVersions[format]);
    SetMemoBlockSize(format == 2 ? 64 : 512);
    const std::string table = Path(Name(format, "t"));
    CreateDbf(table, {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}});
    USE(table + " EXCLUSIVE");
    for (std::int32_t block : {1, 2, 3, 5, 8, 9, 40, 1000, -2, 0, InvalidMemoRef}) {
        ClearRecord();
        Buffer().SetText(1, "r");
        Buffer().SetMemoRef(2, block);
        Append();
    }
    USE("");
    gTables[format] = kt4::fuzz::ReadBytes(table + ".dbf");
    const std::string copy = Path(Name(format, "c"));
    CreateDbf(copy, {{"NOTE", 'M', 10, 0}});
    gCopies[format] = kt4::fuzz::ReadBytes(copy + ".dbf");
    gCopyMemos[format] = kt4::fuzz::ReadBytes(copy + (format == 2 ? ".fpt" : ".dbt"));
}

void Exercise(int format)
{
    TWorkArea* a = Current();
    const std::string memo = Path(Name(format, "t")) + (format == 2 ? ".fpt" : ".dbt");
    const std::int64_t size = std::int64_t(std::filesystem::file_size(memo));
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
    // A memo written into the damaged file: refused, or at its end (after
    // the padding to a block and end marks).
    const std::int64_t before = std::int64_t(std::filesystem::file_size(memo));
    if (AddMemo("neu") != 0 &&
        std::int64_t(std::filesystem::file_size(memo)) > before + 3 * std::int64_t(MemoFileBlockSize()))
        __builtin_trap();
    ResetErrorState();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartQuietEngine();
    MemoInit();
    SetLanguage(5);
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
    WriteFile(table + ".dbf", gTables[format]);
    kt4::fuzz::WriteInput(table + ext, data + 1, size - 1);
    WriteFile(copy + ".dbf", gCopies[format]);
    WriteFile(copy + ext, gCopyMemos[format]);
    Select(2);
    const bool target = USE(Path(copy) + " EXCLUSIVE");
    Select(1);
    if (target && USE(Path(table) + " EXCLUSIVE"))
        Exercise(format);
    USE("");
    Select(2);
    USE("");
    Select(1);
    ResetErrorState();
    return 0;
}
