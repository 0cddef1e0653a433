// Memo files: the three formats on disk, reading as lines, rewriting
// without touching other memos, copying, packing and BLOB streams.
#include "memo_fixture.h"

#include "dbase/engine/pack_marker.h"
#include "dbase/memo/memo_internal.h"
#include "foundation/dialogs.h"
#include "foundation/linefile.h"
#include "common/acl.h"
#include "process_helpers.h"

#include <functional>
#include <iostream>
#include <map>

#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace kt4::dbase::test {
namespace {

std::uint32_t Big32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) |
           (std::uint32_t(b[at + 2]) << 8) | b[at + 3];
}

TEST_F(MemoTest, LayoutsOnDisk)
{
    // dBase III: the first memo overwrites the fresh file's 0x1A; memos end
    // with two, so that 510 bytes still fit a block and 511 take two.
    std::string dbt = MemoTable("D3", 0x83);
    EXPECT_EQ(AddRow("a", "Hallo"), 1);
    auto b = ReadBytes(dbt);
    ASSERT_EQ(b.size(), 1024u);
    EXPECT_EQ(std::string(b.begin() + 512, b.begin() + 517), "Hallo");
    EXPECT_EQ(b[517], 0x1A);
    EXPECT_EQ(b[518], 0x1A);
    EXPECT_EQ(std::count(b.begin() + 519, b.end(), 0), 1024 - 519);
    EXPECT_EQ(GetU32(b.data()), 2u);
    EXPECT_EQ(AddRow("b", std::string(510, 'x')), 2);
    EXPECT_EQ(AddRow("c", std::string(511, 'y')), 3);
    EXPECT_EQ(AddRow("d", "z"), 5);
    b = ReadBytes(dbt);
    EXPECT_EQ(b[3 * 512 + 511], 0x1A);
    EXPECT_EQ(b[4 * 512], 0x1A);
    EXPECT_EQ(MemoOfRecord(3), std::string(511, 'y'));
    // Blank texts give no memo and change nothing.
    EXPECT_EQ(AddMemo("   \r\n "), 0);
    EXPECT_EQ(ReadBytes(dbt), b);
    USE("");

    // dBase IV: 600 bytes are 608 with the block header, two blocks.
    std::string iv = MemoTable("D4", 0x8B);
    EXPECT_EQ(AddRow("a", Text(600, 1)), 1);
    b = ReadBytes(iv);
    ASSERT_EQ(b.size(), 1536u);
    EXPECT_EQ(GetU32(b.data() + 512 + 4), 608u);
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 512, b.begin() + 516),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0x08, 0x00}));
    EXPECT_EQ(GetU32(b.data()), 3u);
    USE("");

    // FoxPro with 64-byte blocks: big-endian words.
    std::string fpt = MemoTable("FOX", 0xF5, 64);
    EXPECT_EQ(AddRow("a", Text(100, 2)), 8);
    b = ReadBytes(fpt);
    EXPECT_EQ(b[6], 0x00);
    EXPECT_EQ(b[7], 0x40);
    EXPECT_EQ(Big32(b, 0), 8u + 2u);
    EXPECT_EQ(Big32(b, 512), 1u);
    EXPECT_EQ(Big32(b, 516), 100u);
    EXPECT_EQ(MemoOfRecord(1), Text(100, 2));
}

TEST_F(MemoTest, LinesBreakAtTheLastBlankAndLineEndsAreEqual)
{
    MemoTable("L", 0x8B);
    std::string longLine = Text(300, 3);
    std::int32_t crlf = AddMemo("eins\r\nzwei\r\n" + longLine);
    std::int32_t cr = AddMemo("eins\rzwei\r" + longLine);
    TMemoLines x, y;
    ASSERT_TRUE(GetMemo(crlf, x));
    ASSERT_TRUE(GetMemo(cr, y));
    EXPECT_EQ(x.lines, y.lines);
    ASSERT_EQ(x.lines.size(), 4u);
    const std::size_t blank = longLine.find_last_of(' ', 253);
    EXPECT_EQ(x.lines[2], longLine.substr(0, blank + 1));
    EXPECT_EQ(x.lines[3], longLine.substr(blank + 1));
    EXPECT_EQ(x.ends[2], TMemoLineEnd::Wrapped);
    // A limited read is never written back.
    TMemoLines first;
    ASSERT_TRUE(GetMemo(crlf, first, 1));
    EXPECT_TRUE(first.cut);
    EXPECT_EQ(EditMemo(crlf, first), 0);
    EXPECT_EQ(EngineErrorCode, 220);
    // Windows text the OEM table cannot hold is refused, added or edited.
    EXPECT_EQ(AddMemo("5 \x80"), 0);
    EXPECT_NE(LastErrorText().find("Zeichen nicht darstellbar: €"), std::string::npos);
    TMemoLines quoted = x;
    quoted.lines[1] = "\x84zwei\x93";
    EXPECT_EQ(EditMemo(crlf, quoted), 0);
    EXPECT_NE(LastErrorText().find("Zeichen nicht darstellbar: „ “"), std::string::npos);
    // Written back whole, the text comes back as it was.
    std::int32_t again = EditMemo(crlf, x);
    std::string text;
    ASSERT_TRUE(GetMemoText(again, text));
    EXPECT_EQ(text, "eins\r\nzwei\r\n" + longLine);
}

// Boundary texts rewritten never touch another memo nor, until the record
// points elsewhere, the memo they replace; the first header word stays the
// block after the end.
TEST_F(MemoTest, RewritesStayInTheirBlocks)
{
    for (std::uint8_t version : {0x83, 0x8B, 0x8C, 0xF5}) {
        for (std::uint32_t bs : {512u, 1024u}) {
            if (version == 0x83 && bs != 512)
                continue;
            SCOPED_TRACE(std::to_string(version) + "/" + std::to_string(bs));
            const std::string memo = MemoTable("B" + std::to_string(version) + "_" + std::to_string(bs), version, bs);
            std::vector<std::string> texts;
            for (int i = 0; i < 5; ++i) {
                texts.push_back(Text(100 + 37 * i, unsigned(i)));
                AddRow("r" + std::to_string(i), texts.back());
            }
            for (std::size_t n : {503u, 504u, 505u, 1015u, 1016u, 1017u, 100u, 2040u, 7u}) {
                GO(3);
                TMemoLines lines;
                lines.lines = {Text(n, unsigned(n))};
                lines.ends = {TMemoLineEnd::None};
                const std::int32_t block = EditMemo(Buffer().MemoRef(2), lines);
                ASSERT_NE(block, 0) << LastErrorText();
                std::string kept;
                EXPECT_TRUE(GetMemoText(Buffer().MemoRef(2), kept));
                EXPECT_EQ(kept, texts[2]) << "replaced by " << n;
                const auto bytes = ReadBytes(memo);
                EXPECT_EQ(version == 0xF5 ? Big32(bytes, 0) : GetU32(bytes.data()), bytes.size() / bs);
                Buffer().SetMemoRef(2, block);
                ASSERT_TRUE(REPLACE());
                texts[2] = Text(n, unsigned(n));
                for (int r = 1; r <= 5; ++r)
                    EXPECT_EQ(MemoOfRecord(r), texts[std::size_t(r - 1)]) << "record " << r << " after " << n;
            }
            USE("");
        }
    }
}

TEST_F(MemoTest, RandomEditsThenPackKeepEveryText)
{
    const std::string dbt = MemoTable("RND", 0x8B);
    std::mt19937 rng(7);
    std::vector<std::string> texts(40);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i] = Text(1 + rng() % 1500, unsigned(i));
        AddRow("r", texts[i]);
    }
    for (int edit = 0; edit < 3000; ++edit) {
        const std::int32_t r = std::int32_t(1 + rng() % texts.size());
        GO(r);
        const std::size_t n = rng() % 4 == 0 ? 1 + rng() % 3000 : 1 + rng() % 600;
        texts[std::size_t(r - 1)] = Text(n, unsigned(edit));
        TMemoLines lines;
        lines.lines = {texts[std::size_t(r - 1)]};
        lines.ends = {TMemoLineEnd::None};
        const std::int32_t block = EditMemo(Buffer().MemoRef(2), lines);
        ASSERT_NE(block, 0) << LastErrorText();
        Buffer().SetMemoRef(2, block);
        ASSERT_TRUE(REPLACE());
    }
    const auto before = ReadBytes(dbt).size();
    GO(1);
    ASSERT_TRUE(DeleteRec());
    Pack();
    ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
    texts.erase(texts.begin());
    EXPECT_LT(ReadBytes(dbt).size(), before / 2);
    for (std::size_t i = 0; i < texts.size(); ++i)
        ASSERT_EQ(MemoOfRecord(std::int32_t(i + 1)), texts[i]) << i;
}

TEST_F(ModulesTest, PackMeetingABlockBeyondTheEndChangesNothing)
{
    // A field that holds no block number stops the memo PACK as well.
    const std::string dbt = MemoTable("BAD", 0x83);
    AddRow("a", "eins");
    AddRow("b", "zwei");
    ASSERT_TRUE(Poke("-000000001", 2, 2));
    const auto memoBefore = ReadBytes(dbt);
    ASSERT_FALSE(PackMemofile());
    EXPECT_EQ(EngineErrorCode, 1003);
    EXPECT_NE(LastErrorText().find("Record # 2, Feld NOTE, Block \"-000000001\": keine Blocknummer [PackMemo]"),
              std::string::npos) << LastErrorText();
    EXPECT_EQ(ReadBytes(dbt), memoBefore);
    GO(2);
    Buffer().SetMemoRef(2, 99);
    ASSERT_TRUE(REPLACE());
    GO(1);
    ASSERT_TRUE(DeleteRec());
    ASSERT_FALSE(PackMemofile());
    EXPECT_EQ(EngineErrorCode, 1003);
    EXPECT_NE(LastErrorText().find("Record # 2, Feld NOTE, Block 99: hinter dem Ende der Memo-Datei [PackMemo]"),
              std::string::npos) << LastErrorText();
    EXPECT_EQ(ReadBytes(dbt), memoBefore);
    GO(2);
    EXPECT_EQ(Buffer().MemoRef(2), 99);
    for (const auto& e : std::filesystem::directory_iterator(dir_))
        EXPECT_EQ(e.path().filename().string().rfind(".kt4tmp-", 0), std::string::npos) << e.path();
    // A PACK that the memo file stops after the table was packed rebuilds
    // no index: it stays marked out of date, with no record count.
    ASSERT_TRUE(Index_On("NAME", "n"));
    AddRow("c", "drei");
    Pack();
    EXPECT_EQ(EngineErrorCode, 1003);
    EXPECT_EQ(RecCount(), 2);
    CloseIndexes();
    EXPECT_EQ(IndexInfoRecordCount(Path("n.ndx")), -1);
}

TEST_F(MemoTest, DamagedHeadersAndLengths)
{
    // A header that cannot be read refuses the table.
    const std::string fpt = MemoTable("HDR", 0xF5);
    USE("");
    WriteBytes(fpt, {0, 0, 0});
    EXPECT_FALSE(USE(Path("HDR") + " EXCLUSIVE"));
    EXPECT_EQ(EngineErrorCode, 30);
    // A dBase IV length below 8, and a block past the end.
    const std::string iv = MemoTable("LEN", 0x8B);
    AddRow("a", "kurz");
    USE("");
    auto b = ReadBytes(iv);
    PutU32(b.data() + 512 + 4, 5);
    WriteBytes(iv, b);
    ASSERT_TRUE(USE(Path("LEN") + " EXCLUSIVE"));
    TMemoLines lines;
    EXPECT_FALSE(GetMemo(1, lines));
    EXPECT_EQ(EngineErrorCode, 1003);
    std::string text;
    EXPECT_FALSE(GetMemoText(3, text));
    EXPECT_EQ(EngineErrorCode, 1003);
}

// Damaged memo files and memo fields: a memo that cannot be read names its
// record, field and block, and reads so before and after a later write (never
// NULs, an empty text or another block). While a record's memo lies or runs
// past the end of the file, or was read as damaged inside it, a memo write is
// refused with that reason and nothing is written; once that field is
// blanked, writes go on and the file grows by the new memo only. A dBase III
// memo the file ends inside reads up to there, also after a write. Every
// other memo reads as it was. A BLOB (binary data may hold zeros) reads what
// only text cannot hold.
TEST_F(MemoTest, MemosRunningPastTheEndGive1003)
{
    const std::vector<std::string> texts = {Text(100, 1), Text(700, 2), Text(300, 3)};
    enum Damage { LengthWord, CutInLast, HeaderlessCut, Pointer, NextFree, HeaderLost, ShortLength, LengthRaised,
                  EndMarksLost };
    struct Case {
        const char* what;
        std::vector<std::uint8_t> versions;
        Damage damage;
        const char* pointer;  // record 2's field (Pointer)
        std::uint32_t blockSize;
        std::int32_t record;  // the damaged one
        const char* why;      // nullptr: reads its text, up to the cut
        bool refusesWrites;
        std::size_t cut = 200; // bytes of the last memo left (CutInLast), added to the length (LengthRaised)
        bool blobRefuses = true;
    } cases[] = {
        {"length word past the end", {0x8B, 0xF5}, LengthWord, "", 512, 2, "reicht über das Ende", true},
        {"file cut inside the last memo", {0x8B, 0xF5}, CutInLast, "", 512, 3, "reicht über das Ende", true},
        {"file cut inside the last dBase III memo", {0x83}, CutInLast, "", 512, 3, nullptr, false},
        {"file cut after the first end mark", {0x83}, CutInLast, "", 512, 3, nullptr, false, 301},
        {"file cut inside a memo without its header", {0x8B}, HeaderlessCut, "", 512, 3, "reicht über das Ende", true},
        {"next free block far past the end", {0x83, 0x8B, 0xF5}, NextFree, "", 512, 2, nullptr, false},
        {"pointer past the end", {0x83, 0x8B, 0xF5}, Pointer, "      1003", 512, 2, "Block 1003: hinter dem Ende", true},
        {"pointer far past the end", {0x83, 0x8B, 0xF5}, Pointer, "  99999999", 512, 2, "Block 99999999: hinter", true},
        {"pointer no block number", {0x83, 0x8B, 0xF5}, Pointer, "-000000001", 512, 2,
         "Block \"-000000001\": keine Blocknummer", false},
        {"pointer beyond any block number", {0x8B}, Pointer, "9999999999", 512, 2, "keine Blocknummer", false},
        {"pointer with a blank inside", {0x83}, Pointer, "1        1", 512, 2, "keine Blocknummer", false},
        {"pointer into the header", {0xF5}, Pointer, "         3", 64, 2, "Block 3: im Kopf", false},
        // record 2's memo: 2 blocks, record 3's right after it
        {"block header lost", {0x8B}, HeaderLost, "", 512, 2, "ohne Blockkopf", true},
        {"length word below 8", {0x8B}, ShortLength, "", 512, 2, "unter 8", true},
        {"length raised into the next memo", {0x8B, 0xF5}, LengthRaised, "", 512, 2, "in ein weiteres Memo", true, 600, false},
        // (zeros in a length-headed memo may be binary data: writes go on)
        {"length raised into the zero fill", {0x8B, 0xF5}, LengthRaised, "", 512, 2, "Nullbytes", false, 100, false},
        {"end marks lost", {0x83}, EndMarksLost, "", 512, 2, "Nullbytes", true, 200, false},
    };
    for (const Case& c : cases) {
        for (std::uint8_t version : c.versions) {
            SCOPED_TRACE(std::string(c.what) + " " + std::to_string(version));
            const std::string name = "P" + std::to_string(version) + "_" + std::to_string(&c - cases);
            const std::string file = MemoTable(name, version, c.blockSize);
            std::vector<std::int32_t> blocks;
            for (std::size_t i = 0; i < texts.size(); ++i)
                blocks.push_back(AddRow("r" + std::to_string(i), texts[i]));
            USE("");
            auto b = ReadBytes(file);
            const std::size_t bs = c.blockSize;
            if (c.damage == CutInLast || c.damage == HeaderlessCut)
                b.resize(std::size_t(blocks[2]) * bs + c.cut);
            if (c.damage == HeaderlessCut)
                std::fill_n(b.begin() + std::ptrdiff_t(blocks[2]) * bs, 8, 'x');
            else if (c.damage == LengthWord)
                PutU32(b.data() + std::size_t(blocks[1]) * bs + 4, 0xFFFFFFFFu);
            else if (c.damage == NextFree)
                PutU32(b.data(), 0x05F5E0FFu); // 99999999 (the FPT word reads larger still)
            std::uint8_t* second = b.data() + std::size_t(blocks[1]) * bs;
            if (c.damage == HeaderLost)
                std::fill_n(second, 2, 'x');
            else if (c.damage == ShortLength)
                PutU32(second + 4, 5);
            else if (c.damage == LengthRaised && version == 0xF5)
                PutU32BE(second + 4, GetU32BE(second + 4) + std::uint32_t(c.cut));
            else if (c.damage == LengthRaised)
                PutU32(second + 4, GetU32(second + 4) + std::uint32_t(c.cut));
            else if (c.damage == EndMarksLost)
                std::fill_n(second + texts[1].size(), 2, 'x');
            WriteBytes(file, b);
            ASSERT_TRUE(USE(Path(name) + " EXCLUSIVE"));
            if (c.damage == Pointer) {
                ASSERT_TRUE(Poke(c.pointer, 2, 2));
            }
            const std::string cutText = c.damage == CutInLast ? texts[2].substr(0, c.cut) : texts[1];
            auto told = [](const std::string& what) {
                EXPECT_EQ(EngineErrorCode, 1003);
                EXPECT_NE(LastErrorText().find(what), std::string::npos) << LastErrorText();
            };
            const std::string where = "Record # " + std::to_string(c.record) + ", Feld NOTE, ";
            auto damagedReads = [&] {
                GO(c.record);
                std::int32_t blob = Buffer().MemoRef(2);
                std::string text;
                EXPECT_EQ(GetMemoText(blob, text), !c.why);
                if (c.why) {
                    told(where + "Block ");
                    told(c.why);
                }
                const bool blobRefused = c.why && c.blobRefuses;
                EXPECT_EQ(OpenBlob(false, blob, TBlobMode::Read), !blobRefused);
                if (!c.why) {
                    EXPECT_EQ(text, cutText);
                    EXPECT_EQ(BlobLength(), std::int64_t(cutText.size()));
                }
                if (blobRefused)
                    told(c.why);
                else
                    CloseBlob();
            };
            if (c.damage == HeaderLost || c.damage == ShortLength) { // the damage found by a BLOB alone
                GO(c.record);
                std::int32_t blob = Buffer().MemoRef(2);
                EXPECT_FALSE(OpenBlob(false, blob, TBlobMode::Read));
                told(c.why);
            } else {
                damagedReads();
            }
            if (c.damage == Pointer) { // LOCATE reads no other record's memo for it
                EXPECT_FALSE(Locate("NOTE", texts[0].substr(0, 20), false, 2, false));
            }
            const auto before = ReadBytes(file);
            if (c.refusesWrites) {
                GO(1);
                std::int32_t blob = Buffer().MemoRef(2);
                EXPECT_EQ(AddMemo("neu"), 0);
                told(where);
                EXPECT_FALSE(OpenBlob(false, blob, TBlobMode::Write, 3));
                told(where);
                damagedReads();
                EXPECT_EQ(ReadBytes(file), before);
                // Blanking the field writes no memo; then writes go on.
                GO(c.record);
                blob = Buffer().MemoRef(2);
                ASSERT_TRUE(OpenBlob(false, blob, TBlobMode::Write, 0));
                ASSERT_TRUE(CloseBlob());
                EXPECT_EQ(ReadBytes(file), before);
                Buffer().SetMemoRef(2, blob);
                ASSERT_TRUE(REPLACE());
            }
            const std::int32_t added = AddMemo("neu");
            ASSERT_NE(added, 0) << LastErrorText();
            EXPECT_LE(ReadBytes(file).size(), (before.size() / bs + 3) * bs);
            if (!c.refusesWrites)
                damagedReads();
            if (c.damage == CutInLast && version == 0x83) { // the end marks where the cut memo ends
                const auto after = ReadBytes(file);
                const auto end = after.begin() + std::ptrdiff_t(std::size_t(blocks[2]) * bs + cutText.size());
                EXPECT_EQ(std::string(end, end + 2), "\x1a\x1a");
            }
            for (std::int32_t r = 1; r <= 3; ++r) {
                if (r != c.record) {
                    EXPECT_EQ(MemoOfRecord(r), texts[std::size_t(r - 1)]) << r;
                }
            }
            USE("");
        }
    }
}

// A file cut shorter than its header's next free block, at a memo's start
// or inside one: writes are refused until the records whose memos lie or
// run past the end are blanked; then no record ever shows another record's
// text after the edits.
TEST_F(MemoTest, EditsOfACutFileNeverShowAnotherRecordsText)
{
    const std::vector<std::string> texts = {Text(100, 1), Text(700, 2), Text(300, 3)};
    for (std::uint8_t version : {0x83, 0x8B, 0xF5}) {
        for (int cutAt : {3, 2}) { // the start of memo 3, inside memo 2
            SCOPED_TRACE(std::to_string(version) + " cut at memo " + std::to_string(cutAt));
            const std::string name = "X" + std::to_string(version) + "_" + std::to_string(cutAt);
            const std::string file = MemoTable(name, version);
            std::vector<std::int32_t> blocks;
            for (std::size_t i = 0; i < texts.size(); ++i)
                blocks.push_back(AddRow("r" + std::to_string(i), texts[i]));
            USE("");
            auto b = ReadBytes(file);
            b.resize(std::size_t(blocks[std::size_t(cutAt - 1)]) * 512 + (cutAt == 2 ? 100 : 0));
            WriteBytes(file, b);
            ASSERT_TRUE(USE(Path(name) + " EXCLUSIVE"));
            // what each reads once those past the end are blanked
            std::vector<std::string> now = {texts[0], texts[1], ""};
            if (cutAt == 2)
                now[1] = version == 0x83 ? texts[1].substr(0, 100) : "";
            EXPECT_EQ(AddMemo("neu"), 0);
            EXPECT_EQ(ReadBytes(file), b);
            for (std::int32_t r = 2; r <= 3; ++r) {
                GO(r);
                if (now[std::size_t(r - 1)].empty()) {
                    Buffer().SetMemoRef(2, 0);
                    ASSERT_TRUE(REPLACE());
                }
            }
            for (int edit = 0; edit < 2; ++edit) {
                GO(1);
                now[0] = Text(now[0].size() + 700, unsigned(edit));
                TMemoLines lines;
                lines.lines = {now[0]};
                lines.ends = {TMemoLineEnd::None};
                const std::int32_t block = EditMemo(Buffer().MemoRef(2), lines);
                ASSERT_NE(block, 0) << LastErrorText();
                Buffer().SetMemoRef(2, block);
                ASSERT_TRUE(REPLACE());
                for (std::int32_t r = 1; r <= 3; ++r)
                    EXPECT_EQ(MemoOfRecord(r), now[std::size_t(r - 1)]) << r;
            }
            USE("");
        }
    }
}

// FNV-1a of the bytes, as the marker of a PACK holds it.
std::string DigestOf(const std::vector<std::uint8_t>& bytes)
{
    std::uint64_t h = 14695981039346656037ull;
    for (std::uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

// The files and links below folder, each with its bytes or its link's text.
std::map<std::string, std::string> FilesBelow(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> seen;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
        const auto bytes = e.is_regular_file() && !e.is_symlink() ? ReadBytes(e.path().string())
                                                                   : std::vector<std::uint8_t>();
        seen[e.path().string()] = e.is_symlink() ? "-> " + std::filesystem::read_symlink(e.path()).string()
                                                 : std::string(bytes.begin(), bytes.end());
    }
    return seen;
}

// A PACK of table and memo file killed after its marker: USE puts the new
// files in place (with the old files' mode), whichever of the renames were
// done, while each name holds its old or its new file and each waiting one
// is the file the marker names, also when several programs open the table
// at once. A file changed or lost since, and a marker that is not a small
// file of this user naming just this table's files and their temporaries,
// refuse the table (1014, naming the marker and the files) and nothing
// moves. Another user's marker is no concern of ours. The records read
// their own memos.
TEST_F(MemoTest, UseFinishesAnInterruptedPackOrRefusesIt)
{
    const std::string dbf = Path("IP.DBF"), dbt = MemoTable("IP", 0x83);
    for (int r = 1; r <= 6; ++r)
        AddRow("r" + std::to_string(r), "r" + std::to_string(r) + ":" + Text(600, unsigned(r)));
    for (std::int32_t r : {2, 4}) {
        GO(r);
        ASSERT_TRUE(DeleteRec());
    }
    USE("");
    const auto oldDbf = ReadBytes(dbf), oldDbt = ReadBytes(dbt);
    ASSERT_TRUE(USE(dbf + " EXCLUSIVE"));
    Pack();
    ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
    USE("");
    const auto newDbf = ReadBytes(dbf), newDbt = ReadBytes(dbt);
    const std::string tempDbf = ".kt4tmp-4000002-1-IP.DBF", tempDbt = ".kt4tmp-4000002-2-IP.DBT";
    const std::string marker = ".kt4keep-IP.DBF", out = Path("out"), victim = Path("out/victim.txt");
    const auto state = [](const std::vector<std::uint8_t>& b) { return std::to_string(b.size()) + "\t" + DigestOf(b); };
    const auto swap = [](std::string& list, const std::string& from, const std::string& to) {
        list.replace(list.find(from), from.size(), to);
    };
    const auto flip = [](const std::string& path) {
        auto b = ReadBytes(path);
        b[b.size() / 2] ^= 1;
        WriteBytes(path, b);
    };
    using std::filesystem::create_symlink;
    enum Outcome { Finished, Refused, Ignored };
    struct Case {
        const char* what;
        bool dbfRenamed, dbtRenamed;
        Outcome outcome;
        std::function<void(std::string& list)> plant; // list "": the marker is planted too
        int others = 0;                               // programs that open the table at once
        bool asRoot = false;                          // another user needs root
        std::string named = {};                       // the file the refusal names besides
        std::function<void(const std::string& path)> meanwhile = {}; // just before a rename
    } cases[] = {
        {"no rename yet", false, false, Finished, nullptr},
        {"table renamed", true, false, Finished, nullptr},
        {"both renamed", true, true, Finished, nullptr},
        {"eight programs open at once", false, false, Finished, nullptr, 8},
        {"a hard-link backup of the table", false, false, Finished,
         [&](std::string&) { std::filesystem::create_hard_link(dbf, Path("U.BAK")); }},
        {"memo file linked elsewhere", false, false, Finished,
         [&](std::string& list) {
             const std::string far = std::filesystem::canonical(out).string() + "/";
             std::filesystem::rename(dbt, far + "IP.DBT");
             std::filesystem::rename(Path(tempDbt), far + tempDbt);
             create_symlink(far + "IP.DBT", dbt);
             swap(list, tempDbt + "\tIP.DBT", far + tempDbt + "\t" + far + "IP.DBT");
         }},
        {"table changed since", true, false, Refused, [&](std::string&) { flip(dbf); }},
        {"old table changed since", false, false, Refused, [&](std::string&) { flip(dbf); }},
        {"waiting table differs", false, false, Refused, [&](std::string&) { flip(Path(tempDbf)); }},
        {"new memo file gone", true, false, Refused, [&](std::string&) { std::filesystem::remove(Path(tempDbt)); }},
        {"old four-field marker", true, true, Refused,
         [&](std::string& list) {
             list = tempDbf + "\tIP.DBF\t" + state(newDbf) + "\n" + tempDbt + "\tIP.DBT\t" + state(newDbt) + "\n";
         }},
        {"outside target", false, false, Refused,
         [&](std::string& list) { swap(list, "\tIP.DBT\t", "\t" + victim + "\t"); }},
        {"outside target by ../", false, false, Refused,
         [&](std::string& list) {
             swap(list, "\tIP.DBT\t", "\t../" + dir_.filename().string() + "/out/victim.txt\t");
         }},
        {"another table as temporary", false, false, Refused,
         [&](std::string& list) {
             WriteBytes(Path("U.DBF"), newDbf);
             swap(list, tempDbf + "\t", "U.DBF\t");
         }},
        {"a link as temporary", false, false, Refused,
         [&](std::string&) {
             std::filesystem::rename(Path(tempDbf), out + "/payload");
             create_symlink(out + "/payload", Path(tempDbf));
         }},
        {"another table linked as the waiting table", false, false, Refused,
         [&](std::string&) {
             std::filesystem::rename(Path(tempDbf), Path("U.DBF"));
             std::filesystem::create_hard_link(Path("U.DBF"), Path(tempDbf));
         },
         0, false, tempDbf},
        {"another memo file linked as the waiting one", false, false, Refused,
         [&](std::string&) {
             std::filesystem::rename(Path(tempDbt), Path("U.DBT"));
             std::filesystem::create_hard_link(Path("U.DBT"), Path(tempDbt));
         },
         0, false, tempDbt},
        {"a hard link to the waiting table made just before its rename", false, false, Refused, nullptr, 0, false,
         tempDbf,
         [&](const std::string& path) {
             if (std::filesystem::path(path).filename() == tempDbf)
                 std::filesystem::create_hard_link(path, Path("U.LNK"));
         }},
        {"a link as target", false, false, Refused,
         [&](std::string& list) {
             std::filesystem::remove(dbt);
             create_symlink(out + "/IP.DBT", dbt);
             swap(list, state(newDbt) + "\t" + state(oldDbt), state(newDbt) + "\t-\t-");
         }},
        {"a huge marker", false, false, Refused, [&](std::string& list) { list.append(64 * 1024, '\n'); }},
        {"a marker that is a link", false, false, Refused,
         [&](std::string& list) {
             WriteBytes(out + "/list", std::vector<std::uint8_t>(list.begin(), list.end()));
             create_symlink(out + "/list", Path(marker));
             list.clear();
         }},
        {"a marker that is a folder", false, false, Refused,
         [&](std::string& list) {
             std::filesystem::create_directory(Path(marker));
             list.clear();
         }},
        {"a temporary others may write", false, false, Refused,
         [&](std::string&) { ::chmod(Path(tempDbf).c_str(), 0606); }},
        {"another user's temporary", false, false, Refused,
         [&](std::string&) { ASSERT_EQ(::chown(Path(tempDbf).c_str(), 65534, 65534), 0); }, 0, true},
        {"another user's marker", false, false, Ignored,
         [&](std::string& list) {
             WriteBytes(Path(marker), std::vector<std::uint8_t>(list.begin(), list.end()));
             ASSERT_EQ(::chown(Path(marker).c_str(), 65534, 65534), 0);
             list.clear();
         },
         0, true},
        {"a marker everybody may write", false, false, Ignored,
         [&](std::string& list) {
             WriteBytes(Path(marker), std::vector<std::uint8_t>(list.begin(), list.end()));
             ::chmod(Path(marker).c_str(), 0646);
             list.clear();
         }},
        {"a marker another user may write by its ACL", false, false, Ignored,
         [&](std::string& list) {
             WriteBytes(Path(marker), std::vector<std::uint8_t>(list.begin(), list.end()));
             ::chmod(Path(marker).c_str(), 0600);
             if (!kt4::test::GrantWriteAcl(Path(marker), 65534)) {
                 std::cout << "[ NOTE ] no ACLs on this file system: the marker is made writable to all\n";
                 ::chmod(Path(marker).c_str(), 0606);
             }
             list.clear();
         }}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.asRoot && ::geteuid() != 0)
            continue;
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            if (e.path().filename().string().rfind(".kt4", 0) == 0 || e.path().filename().string().rfind("U.", 0) == 0 ||
                e.path() == out)
                std::filesystem::remove_all(e.path());
        std::filesystem::remove(dbt);
        std::filesystem::create_directory(out);
        WriteBytes(victim, {'v'});
        WriteBytes(dbf, c.dbfRenamed ? newDbf : oldDbf);
        WriteBytes(dbt, c.dbtRenamed ? newDbt : oldDbt);
        if (!c.dbfRenamed)
            WriteBytes(Path(tempDbf), newDbf);
        if (!c.dbtRenamed)
            WriteBytes(Path(tempDbt), newDbt);
        for (const std::string& temp : {tempDbf, tempDbt})
            if (std::filesystem::exists(Path(temp)))
                std::filesystem::permissions(Path(temp), std::filesystem::perms::owner_read |
                                                             std::filesystem::perms::owner_write);
        const auto mode = std::filesystem::status(dbf).permissions();
        std::string list = tempDbf + "\tIP.DBF\t" + state(newDbf) + "\t" + state(oldDbf) + "\n" + tempDbt +
                           "\tIP.DBT\t" + state(newDbt) + "\t" + state(oldDbt) + "\n";
        if (c.plant)
            c.plant(list);
        if (!list.empty())
            WriteBytes(Path(marker), std::vector<std::uint8_t>(list.begin(), list.end()));
        const auto before = FilesBelow(dir_);
        std::vector<pid_t> others;
        int start[2];
        ASSERT_EQ(::pipe(start), 0);
        for (int i = 0; i < c.others; ++i)
            if ((others.emplace_back(::fork())) == 0) {
                ForgetInheritedAreas();
                char go;
                ::close(start[1]);
                (void)!::read(start[0], &go, 1);
                ::_exit(USE(dbf) && RecCount() == 4 ? 0 : 1);
            }
        ::close(start[0]);
        ::close(start[1]); // all at once
        for (pid_t child : others) {
            int status = 1;
            ::waitpid(child, &status, 0);
            EXPECT_EQ(status, 0);
        }
        PackMarkerSeam() = c.meanwhile;
        const bool opened = USE(dbf + " EXCLUSIVE");
        PackMarkerSeam() = nullptr;
        std::filesystem::remove(Path("U.LNK"));
        EXPECT_EQ(opened, c.outcome != Refused) << LastErrorText();
        if (c.outcome == Ignored) {
            EXPECT_EQ(ReadBytes(dbf), oldDbf);
            EXPECT_EQ(RecCount(), 6);
            EXPECT_TRUE(std::filesystem::exists(Path(marker)));
        } else if (opened) {
            EXPECT_EQ(std::filesystem::status(dbf).permissions(), mode);
            EXPECT_EQ(std::filesystem::status(dbt).permissions(), mode);
            EXPECT_EQ(ReadBytes(dbf), newDbf);
            EXPECT_EQ(ReadBytes(dbt), newDbt);
            if (std::filesystem::exists(Path("U.BAK"))) {
                EXPECT_EQ(ReadBytes(Path("U.BAK")), oldDbf); // nothing written through the link
            }
            EXPECT_FALSE(std::filesystem::exists(Path(marker)));
            for (const auto& [path, bytes] : FilesBelow(dir_))
                EXPECT_EQ(path.find("/.kt4"), std::string::npos) << path; // temporaries and marker gone
            EXPECT_EQ(RecCount(), 4);
            for (std::int32_t r = 1; r <= 4 && RecCount() == 4; ++r)
                EXPECT_EQ(MemoOfRecord(r).substr(0, 3), "r" + std::to_string(r + (r > 1) + (r > 2)) + ":");
        } else {
            EXPECT_EQ(EngineErrorCode, 1014);
            for (const std::string& name : {dbf, dbt, marker, c.named})
                EXPECT_NE(LastErrorText().find(std::filesystem::path(name).filename().string()), std::string::npos)
                    << LastErrorText();
            EXPECT_EQ(FilesBelow(dir_), before);
        }
        USE("");
    }
}

// PACK replaces the table and its memo file only under the names they were
// opened by, while those names still hold the open files: a name swapped
// after USE or while the new pair is put in place (for a link, even this
// user's own) is refused, and the file the link names stays as it was.
// The marker that names the new pair is this user's alone, whatever the
// umask; a name in the marker's place (a FIFO, a folder, a link where
// others may move names, another user's file in a sticky folder) fails the
// PACK with a message that names it and why.
TEST_F(MemoTest, APackReplacesOnlyTheFilesItOpened)
{
    const std::string dbf = Path("PK.DBF"), dbt = Path("PK.DBT"), marker = Path(".kt4keep-PK.DBF");
    const std::string victim = Path("out/victim");
    std::filesystem::create_directory(Path("out"));
    const mode_t mask = ::umask(002);
    const std::string unsafe = IoErrorText(IoUnsafeLink), taken = IoErrorText(IoNameTaken);
    const struct {
        const char* what;
        std::function<void()> plant; // after USE
        std::string named;           // in the error text ("": the PACK succeeds)
        std::string why = {};
        mode_t folder = 0755;
        bool asRoot = false;    // another user needs root
        bool atCommit = false;  // planted once the new pair is named in the marker
    } cases[] = {
        {"nothing planted", nullptr, ""},
        {"table swapped for a link", [&] {
             std::filesystem::rename(dbf, Path("out/held.dbf"));
             std::filesystem::create_symlink(victim, dbf);
         }, "PK.DBF"},
        {"table swapped for a link while the new pair is put in place", [&] {
             std::filesystem::rename(dbf, Path("out/held.dbf"));
             std::filesystem::create_symlink(victim, dbf);
         }, "PK.DBF", taken, 0755, false, true},
        {"memo file swapped for a link", [&] {
             std::filesystem::rename(dbt, Path("out/held.dbt"));
             std::filesystem::create_symlink(victim, dbt);
         }, "PK.DBT"},
        {"marker a FIFO", [&] { ASSERT_EQ(::mkfifo(marker.c_str(), 0600), 0); }, ".kt4keep-PK.DBF",
         "not a regular file"},
        {"marker a folder", [&] { std::filesystem::create_directory(marker); }, ".kt4keep-PK.DBF",
         "Is a directory"},
        {"marker a link where others may move names", [&] { std::filesystem::create_symlink(victim, marker); },
         ".kt4keep-PK.DBF", unsafe, 0777},
        {"marker another user's file in a sticky folder", [&] {
             WriteBytes(marker, {'x'});
             ASSERT_EQ(::chown(marker.c_str(), 65534, 65534), 0);
         }, ".kt4keep-PK.DBF", taken, 01777, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.asRoot && ::geteuid() != 0)
            continue;
        USE("");
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            if (e.path().filename() != "out")
                std::filesystem::remove_all(e.path());
        WriteBytes(victim, {'v', 'i', 'c', 't', 'i', 'm'});
        MemoTable("PK", 0x83);
        for (int r = 1; r <= 4; ++r)
            AddRow("r" + std::to_string(r), Text(600, unsigned(r)));
        GO(2);
        ASSERT_TRUE(DeleteRec());
        ::chmod(dir_.c_str(), c.folder);
        if (c.plant && !c.atCommit)
            c.plant();
        mode_t markerMode = 0;
        PackMarkerSeam() = [&](const std::string& path) {
            struct stat st {};
            if (::lstat(path.c_str(), &st) == 0)
                markerMode = st.st_mode & 07777;
            if (c.atCommit)
                c.plant();
        };
        Pack();
        PackMarkerSeam() = nullptr;
        ::chmod(dir_.c_str(), 0755);
        if (c.named.empty()) {
            EXPECT_EQ(EngineErrorCode, 0) << LastErrorText();
            EXPECT_EQ(markerMode, 0600u);
            EXPECT_EQ(RecCount(), 3);
            EXPECT_EQ(MemoOfRecord(2), Text(600, 3));
            continue;
        }
        EXPECT_EQ(EngineErrorCode, 5);
        EXPECT_NE(LastErrorText().find(c.named), std::string::npos) << LastErrorText();
        EXPECT_NE(LastErrorText().find(c.why), std::string::npos) << LastErrorText();
        EXPECT_EQ(ReadBytes(victim), std::vector<std::uint8_t>({'v', 'i', 'c', 't', 'i', 'm'}));
    }
    USE("");
    ::umask(mask);
}

TEST_F(MemoTest, LockRefusedWritesNothing)
{
    MultiUser = true;
    const std::string dbt = MemoTable("LCK", 0x8B);
    USE("");
    ASSERT_TRUE(USE(Path("LCK")));
    ASSERT_TRUE(Select(2));
    ASSERT_TRUE(USE(Path("LCK") + " ALIAS OTHER"));
    std::int64_t pos = 0;
    ASSERT_TRUE(memo::LockMemoPadAndSeekEOF(*Current(), *memo::MemoOf(*Current()), "test", pos));
    const auto before = ReadBytes(dbt);
    Select(1);
    EXPECT_EQ(AddMemo("gesperrt"), 0);
    EXPECT_EQ(EngineErrorCode, 1017);
    EXPECT_EQ(ReadBytes(dbt), before);
}

TEST_F(MemoTest, AppendFromKeepsTheOemBytes)
{
    // Source: C field and memo with umlauts; targets of every memo format.
    ASSERT_TRUE(SetCreateVersion(0x83));
    ASSERT_TRUE(CreateDbf(Path("SRC"), {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}, {"TXT", 'C', 20, 0}}));
    ASSERT_TRUE(USE(Path("SRC") + " EXCLUSIVE"));
    const std::string umlauts = "\xC4rger \xFC" "ber \xDF"; // "Ärger über ß" in cp1252
    ClearRecord();
    Buffer().SetText(1, "eins");
    Buffer().SetMemoRef(2, AddMemo(umlauts));
    Buffer().SetText(3, umlauts);
    ASSERT_TRUE(Append());
    USE("");
    const std::string oem = AnsiToOem(umlauts);
    for (std::uint8_t version : {0x83, 0x8B, 0xF5}) {
        ASSERT_TRUE(SetCreateVersion(version));
        const std::string name = "DST" + std::to_string(version);
        ASSERT_TRUE(CreateDbf(Path(name), {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}, {"TXT", 'M', 10, 0}}));
        ASSERT_TRUE(USE(Path(name) + " EXCLUSIVE"));
        ASSERT_EQ(AppendFrom(Path("SRC")), 1) << LastErrorText();
        GO(1);
        std::string a, c;
        ASSERT_TRUE(GetMemoText(Buffer().MemoRef(2), a));
        ASSERT_TRUE(GetMemoText(Buffer().MemoRef(3), c));
        EXPECT_EQ(a, umlauts);
        EXPECT_EQ(c, umlauts);
        USE("");
        const auto bytes = ReadBytes(Path(name + (version == 0xF5 ? ".FPT" : ".DBT")));
        const std::string all(bytes.begin(), bytes.end());
        std::size_t hits = 0;
        for (std::size_t p = all.find(oem); p != std::string::npos; p = all.find(oem, p + 1))
            ++hits;
        EXPECT_EQ(hits, 2u) << "version " << int(version);
    }
}

TEST_F(MemoTest, BlobStreams)
{
    // dBase III ends at its first 0x1A; dBase IV and FoxPro at their length.
    MemoTable("S3", 0x83);
    std::int32_t block = AddMemo("abc");
    std::int32_t blk = block;
    ASSERT_TRUE(OpenBlob(true, blk, TBlobMode::Read));
    EXPECT_EQ(SeekBlobStream(0, 2), 3); // read through once for the end
    SeekBlobStream(0, 0);
    char buf[64];
    EXPECT_EQ(ReadBlobStream(buf, 64), 3);
    CloseBlob();
    // Binary with 0x1A is refused in dBase III.
    blk = 0;
    ASSERT_TRUE(OpenBlob(true, blk, TBlobMode::Write, -1, 'B'));
    EXPECT_EQ(WriteBlobStream("a\x1A" "b", 3), 0);
    EXPECT_EQ(EngineErrorCode, 220);
    CloseBlob();
    USE("");

    for (std::uint8_t version : {0x8B, 0xF5}) {
        const std::string memo = MemoTable("S" + std::to_string(version), version, 64);
        const std::string data("x\x1Ay\x07z\xE4", 6);
        blk = 0;
        ASSERT_TRUE(OpenBlob(true, blk, TBlobMode::Write));
        EXPECT_EQ(WriteBlobStream(data.data(), 6), 6);
        std::int64_t written = 0;
        ASSERT_TRUE(CloseBlob(&written));
        EXPECT_EQ(written, 6);
        auto bytes = ReadBytes(memo);
        if (version == 0xF5) {
            EXPECT_EQ(Big32(bytes, 0), std::uint32_t(bytes.size() / 64));
            EXPECT_EQ(Big32(bytes, std::size_t(blk) * 64), 0u); // binary: the bell decided it
        }
        // The bell made it binary: the ä is not converted on either way.
        EXPECT_EQ(std::string(bytes.begin() + blk * 64 + 8, bytes.begin() + blk * 64 + 14), data);
        std::int32_t rd = blk;
        ASSERT_TRUE(OpenBlob(true, rd, TBlobMode::Read));
        EXPECT_EQ(SeekBlobStream(-2, 2), 4);
        EXPECT_EQ(ReadBlobStream(buf, 64), 2);
        SeekBlobStream(0, 0);
        ASSERT_EQ(ReadBlobStream(buf, 64), 6);
        EXPECT_EQ(std::string(buf, 6), data);
        CloseBlob();
        // Text is converted once for the whole BLOB.
        blk = 0;
        ASSERT_TRUE(OpenBlob(true, blk, TBlobMode::Write));
        WriteBlobStream("\xE4\xF6", 2);
        WriteBlobStream("\x07\xFC", 2);
        ASSERT_TRUE(CloseBlob());
        bytes = ReadBytes(memo);
        EXPECT_EQ(std::string(bytes.begin() + blk * 64 + 8, bytes.begin() + blk * 64 + 12),
                  AnsiToOem("\xE4\xF6") + "\x07" + AnsiToOem("\xFC"));
        // Read as text, binary data holding a zero is refused; in a
        // length-headed file it may be sound binary data, so memos are
        // still written beside it.
        blk = 0;
        ASSERT_TRUE(OpenBlob(true, blk, TBlobMode::Write));
        WriteBlobStream("p\0q", 3);
        ASSERT_TRUE(CloseBlob());
        ClearRecord();
        Buffer().SetMemoRef(2, blk);
        ASSERT_TRUE(Append());
        std::string text;
        EXPECT_FALSE(GetMemoText(blk, text));
        EXPECT_NE(AddMemo("neu"), 0) << LastErrorText();
        USE("");
    }
}

// A BLOB written over a memo goes to the end, also where the old memo's
// blocks would hold it: the old memo stays whole for its record.
TEST_F(MemoTest, AnnouncedBlobGoesToTheEnd)
{
    MemoTable("R4", 0x8B);
    const std::int32_t first = AddMemo(Text(900, 1));
    const std::int32_t second = AddMemo(Text(100, 2));
    std::int32_t blk = first;
    ASSERT_TRUE(OpenBlob(true, blk, TBlobMode::Write, 1000));
    EXPECT_GT(blk, second);
    const std::string big = Text(2000, 3);
    EXPECT_EQ(WriteBlobStream(big.data(), std::int64_t(big.size())), 1000);
    ASSERT_TRUE(CloseBlob());
    std::string text;
    ASSERT_TRUE(GetMemoText(second, text));
    EXPECT_EQ(text, Text(100, 2));
    ASSERT_TRUE(GetMemoText(first, text));
    EXPECT_EQ(text, Text(900, 1));
    ASSERT_TRUE(GetMemoText(blk, text));
    EXPECT_EQ(text, big.substr(0, 1000));
    // Without an announced size the BLOB goes to the end.
    blk = first;
    ASSERT_TRUE(OpenBlob(true, blk, TBlobMode::Write));
    EXPECT_GT(blk, second);
    CloseBlob();
}

TEST_F(MemoTest, CopiesInPlaceOnlyBetweenEqualLayouts)
{
    MemoTable("SRC4", 0x8B);
    AddRow("a", "eins");
    const std::int32_t block = AddRow("b", Text(700, 5));
    for (std::uint32_t bs : {512u, 1024u}) {
        Select(2);
        MemoTable("DST" + std::to_string(bs), 0x8B, bs);
        const std::int32_t copied = CopyMemoInPlace(1, block);
        EXPECT_EQ(copied, bs == 512 ? block : 1) << bs; // another block size: at the end
        std::string text;
        ASSERT_TRUE(GetMemoText(copied, text));
        EXPECT_EQ(text, Text(700, 5));
        USE("");
        Select(1);
    }
}

TEST_F(MemoTest, MemoTextFiles)
{
    MemoTable("TF", 0x83);
    TMemoTextFile f;
    f.AssignMemo(0);
    ASSERT_EQ(f.Rewrite(), 0);
    f.WriteLn("erste Zeile");
    f.Write("zweite\r\ndritte");
    ASSERT_EQ(f.Close(), 0);
    ASSERT_NE(f.Block(), 0);
    f.AssignMemo(f.Block());
    ASSERT_EQ(f.Append(), 0);
    f.WriteLn("vierte");
    ASSERT_EQ(f.Close(), 0);
    f.AssignMemo(f.Block());
    ASSERT_EQ(f.Reset(), 0);
    std::vector<std::string> got;
    std::string line;
    while (f.ReadLn(line) == 0)
        got.push_back(line);
    EXPECT_EQ(got, (std::vector<std::string>{"erste Zeile", "zweite", "dritte", "vierte"}));
    EXPECT_EQ(f.ReadLn(line), 100);
    EXPECT_EQ(f.Write("x"), 102);
}

} // namespace
} // namespace kt4::dbase::test
