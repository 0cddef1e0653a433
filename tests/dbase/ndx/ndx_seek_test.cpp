// Seeking and ordering: folded and prefix keys, numbers whatever the
// locale, natural order, order slots, REINDEX, key makers, and the tree
// kept right through appends, changes, deletions and PACK.
#include "ndx_fixture.h"

#include "dbase/ndx/ndx_internal.h"
#include "foundation/scratch_dir.h"

#include <clocale>
#include <fcntl.h>
#include <map>
#include <random>
#include <set>

namespace kt4::dbase::test {
namespace {

using NdxSeekTest = NdxTest;

TEST_F(NdxSeekTest, UmlautsFoldInOemAndAnsiTables)
{
    for (bool ansi : {false, true}) {
        TableIsAnsi = ansi;
        const std::string table = MakeParts(ansi ? "ANSI" : "OEM");
        ASSERT_TRUE(USE(table + " EXCLUSIVE"));
        for (const char* name : {"MUSTER", "MUELLER", "Zander"}) {
            ClearRecord();
            Buffer().SetText(1, name);
            ASSERT_TRUE(Append());
        }
        ASSERT_TRUE(Index_On("NAME", "name")) << LastErrorText();
        EXPECT_TRUE(Find("M\xFC")) << ansi;  // "Mü" in the engine's text
        EXPECT_EQ(Name(), "MUELLER") << ansi;
        bool present = false;
        EXPECT_EQ(Index.KeyOfSlot(1, present), "mueller   ");
        EXPECT_TRUE(present);
        EXPECT_TRUE(Find("ZA"));
        GO(2);
        Buffer().SetText(1, "MUNDT");
        ASSERT_TRUE(REPLACE());
        EXPECT_FALSE(Find("M\xFC")) << ansi;
        EXPECT_TRUE(dEOF());
        ExpectSound(1);
        USE("");
    }
}

// Keys an index of a table in code page 852 held while its Š, š, Ž, ž
// passed as other characters (Š as byte 0xE6, its byte in 852; complemented
// in a descending index) are not found under their bytes now: a search for
// them says so and names REINDEX, whatever else it finds, and after REINDEX
// finds them.
TEST_F(NdxSeekTest, KeysOfTheFormerFormOf852AskForReindex)
{
    const std::string table = MakeParts("P852");
    auto t = ReadBytes(table);
    t[29] = 0x64;
    WriteBytes(table, t);
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    for (const char* name : {"X\xE1rka", "\x8A\xE1rka", "Zander"}) { // "Šárka" in the engine's text
        ClearRecord();
        Buffer().SetText(1, name);
        ASSERT_TRUE(Append()) << LastErrorText();
    }
    USE("");
    // another program's "┌árka" (box drawing: 0xDA), keyed by the bytes
    // "Šárka" was keyed by before
    t = ReadBytes(table);
    t[GetU16(t.data() + 8) + 1] = 0xDA;
    WriteBytes(table, t);
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NAME", "name"));
    EXPECT_TRUE(Find("\x8A\xE1"));
    KeyMakerProc maker = [](void*, int) { return Buffer().Text(1); };
    ASSERT_TRUE(Index_On("desc DESCENDING", maker, nullptr)) << LastErrorText();
    EXPECT_TRUE(Find("\x8A\xE1"));
    USE("");
    for (const char* file : {"name.ndx", "desc.ndx"}) {
        auto ndx = ReadBytes(Path(file));
        std::string bytes(ndx.begin(), ndx.end());
        const bool descending = file[0] == 'd';
        const std::string now = descending ? std::string("\x40\x5F") : std::string("\xBF\xA0");
        const std::size_t at = bytes.find(now + (descending ? "\x8d\x94" : "rk"), 512);
        ASSERT_NE(at, std::string::npos) << file;
        ndx[at] = descending ? 0x19 : 0xE6;
        WriteBytes(Path(file), ndx);
    }
    for (const char* file : {"name", "desc"}) {
        ASSERT_TRUE(USE(table + " EXCLUSIVE"));
        const bool descending = file[0] == 'd';
        ASSERT_TRUE(descending ? SetIndexTo("desc DESCENDING", 1, maker, nullptr) : SetIndexTo(file, 1))
            << LastErrorText();
        EXPECT_TRUE(Find(descending ? "Za" : "ZA")) << file;
        EXPECT_EQ(EngineErrorCode, 0) << file;
        ClearRecord();
        Buffer().SetText(1, "\x8Aimon");
        ASSERT_TRUE(Append());
        EXPECT_TRUE(Find("\x8A")) << file; // "Šimon", not "Šárka"
        EXPECT_EQ(EngineErrorCode, 212) << file;
        EXPECT_FALSE(Find("\x8A\xE1")) << file;
        EXPECT_EQ(EngineErrorCode, 212) << file;
        EXPECT_NE(LastErrorText().find("Codepage 852: Index veraltet, neu aufbauen (REINDEX) [Find]"),
                  std::string::npos)
            << LastErrorText();
        // The ascending index landed on the entry of "Šárka", which holds
        // another key: it takes no change until rebuilt.
        ClearRecord();
        EXPECT_EQ(Append(), descending) << file;
        EXPECT_EQ(EngineErrorCode, descending ? 0 : 212) << file;
        EXPECT_EQ(LastErrorText().find("passt nicht zur Datei: neu aufbauen (REINDEX)") != std::string::npos,
                  !descending)
            << LastErrorText();
        Reindex();
        EXPECT_EQ(EngineErrorCode, 0) << LastErrorText();
        EXPECT_TRUE(Find("\x8A\xE1")) << file;
        EXPECT_EQ(Name(), "\x8A\xE1rka");
        EXPECT_TRUE(Find("\x8A")) << file;
        EXPECT_EQ(EngineErrorCode, 0) << file;
        USE("");
        ASSERT_TRUE(USE(table + " EXCLUSIVE"));
        GO(4);
        ASSERT_TRUE(DeleteRec());
        Pack(); // "Šimon" goes again
        USE("");
    }
}

TEST_F(NdxSeekTest, PrefixAndExactSearch)
{
    const std::string table = NameTable({"ABC", "AB", "ABD"});
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NAME", "n"));
    EXPECT_TRUE(Find("ab"));
    EXPECT_EQ(RecNo(), 2);
    EXPECT_TRUE(Find("ABD"));
    EXPECT_EQ(RecNo(), 3);
    EXPECT_TRUE(FindExact("AB"));
    EXPECT_EQ(RecNo(), 2);
    EXPECT_FALSE(FindExact("ABCD"));
    EXPECT_FALSE(Find("ABE"));
    EXPECT_TRUE(dEOF());
}

TEST_F(NdxSeekTest, NumbersWhateverTheLocale)
{
    const std::string table = RawTable("NUMS", {{"NUM", 'N', 8, 1}}, 4, [](int i) {
        const char* v[] = {"    40.0", "    40.5", "     4.0", " 40000.0"};
        return std::string(v[i]);
    });
    const char* saved = std::setlocale(LC_NUMERIC, nullptr);
    const std::string keep = saved ? saved : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    DecimalSeparator = ',';
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NUM", "num"));
    struct Case {
        const char* text;
        std::int32_t rec;
    } cases[] = {{"40.000", 1}, {" 40,5 ", 2}, {"4", 3}, {"40000", 4}, {"40x", 0}, {"41", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(Find(c.text), c.rec != 0) << c.text;
        EXPECT_EQ(c.rec != 0 ? RecNo() : 0, c.rec) << c.text;
    }
    std::setlocale(LC_NUMERIC, keep.c_str());
}

TEST_F(NdxSeekTest, NaturalOrderKeepsIndexesButRefusesFind)
{
    const std::string table = NameTable({"c", "a", "b"});
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NAME", "n"));
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{2, 3, 1}));
    GO(3);
    Set_Order_To(0);
    EXPECT_EQ(CurrentOrder(), 0);
    EXPECT_FALSE(Find("a"));
    EXPECT_EQ(EngineErrorCode, 254);
    EXPECT_EQ(RecNo(), 3);
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{1, 2, 3}));
    ClearRecord();
    Buffer().SetText(1, "0");
    ASSERT_TRUE(Append()); // still maintained
    Set_Order_To(1);
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{4, 2, 3, 1}));
}

TEST_F(NdxSeekTest, OrderSlotsAndReindex)
{
    const std::string table = NameTable({"c", "a", "b"});
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NAME", "one"));
    ASSERT_TRUE(Index_On("-NUM", "two"));
    ASSERT_TRUE(Index_On("RECNO()", "three"));
    CloseIndexes();
    ASSERT_TRUE(SetIndexToList("one \"two\" three NOCACHE")) << LastErrorText();
    Set_Order_To(3);
    EXPECT_EQ(CurrentOrder(), 3);
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{1, 2, 3}));
    Set_Order_To(1);
    for (int slot = 1; slot <= 3; ++slot)
        EXPECT_EQ(IndexFileName(slot), Path(std::vector<std::string>{"one", "two", "three"}[slot - 1] + ".ndx"));
    Set_Order_To(2);
    Reindex();
    EXPECT_EQ(EngineErrorCode, 0) << LastErrorText();
    EXPECT_EQ(CurrentOrder(), 2);
    Set_Order_To(17);
    EXPECT_EQ(EngineErrorCode, 220);
    EXPECT_FALSE(SetIndexTo("one", 17));
    EXPECT_EQ(EngineErrorCode, 220);
    EXPECT_FALSE(SetIndexTo("ONE.NDX", 4)); // found whatever the case: open already
    EXPECT_EQ(EngineErrorCode, 220);
}

// REINDEX and PACK end on the first key of the index of order 1 under its
// order and under the natural order, which they keep. An index copied with
// its table under another name is refused (222), saying how to build it
// under the new name: INDEX ON with its key, which replaces it.
TEST_F(NdxSeekTest, ReindexAndPackEndOnTheFirstKey)
{
    const struct {
        const char* what;
        int order;
        bool pack;
        std::int32_t rec; // afterwards
    } cases[] = {{"REINDEX, natural order", 0, false, 4},
                 {"REINDEX, order 1", 1, false, 4},
                 {"PACK, natural order", 0, true, 3}, // record 2 dropped
                 {"PACK, order 1", 1, true, 3}};
    for (const auto& c : cases) {
        const std::string table = NameTable({"m", "k", "z", "a", "q"});
        ASSERT_TRUE(USE(table + " EXCLUSIVE"));
        ASSERT_TRUE(Index_On("NAME", "one"));
        ASSERT_TRUE(Index_On("-RECNO()", "two"));
        ASSERT_TRUE(SetIndexToList("one two"));
        GO(2);
        ASSERT_TRUE(DeleteRec());
        Set_Order_To(c.order);
        GO(5);
        c.pack ? Pack() : Reindex();
        EXPECT_EQ(EngineErrorCode, 0) << c.what << ": " << LastErrorText();
        EXPECT_EQ(RecNo(), c.rec) << c.what;
        EXPECT_EQ(CurrentOrder(), c.order) << c.what;
        USE("");
    }
    ASSERT_TRUE(USE(Path("NAMES.DBF") + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("UPPER(NAME)", "names"));
    USE("");
    std::filesystem::copy_file(Path("NAMES.DBF"), Path("COPY.DBF"));
    std::filesystem::copy_file(Path("names.ndx"), Path("copy.ndx"));
    ASSERT_TRUE(USE(Path("COPY.DBF") + " EXCLUSIVE"));
    EXPECT_FALSE(SetIndexTo("copy", 1));
    EXPECT_EQ(EngineErrorCode, 222);
    for (const char* part : {"geschrieben für die Datei NAMES.DBF, nicht für COPY.DBF",
                             "neu aufbauen mit INDEX ON UPPER(NAME) TO copy.ndx, das die Datei ersetzt"})
        EXPECT_NE(LastErrorText().find(part), std::string::npos) << LastErrorText();
    ASSERT_TRUE(Index_On("UPPER(NAME)", "copy")) << LastErrorText();
    CloseIndexes();
    ASSERT_TRUE(SetIndexTo("copy", 1)) << LastErrorText();
    ExpectSound(1);
}

// A REINDEX whose first build fails (a key maker that gives no key)
// changes nothing: every index stays open and takes the next append. One
// that fails after a file was replaced leaves the rest open and out of
// date, in their files too: appends are refused until a REINDEX that ends.
// The error is thrown (as the table browser has it) with all in place.
TEST_F(NdxSeekTest, AFailedReindexLeavesEveryIndexOpen)
{
    const std::string table = NameTable({"c", "a", "b"});
    bool broken = false;
    KeyMakerProc maker = [&](void*, int) { return broken ? std::string() : Buffer().Text(1); };
    for (const int failing : {1, 2}) {
        ASSERT_TRUE(USE(table + " EXCLUSIVE"));
        ASSERT_TRUE(Index_On("NAME", "ex"));
        ASSERT_TRUE(Index_On("km", maker, nullptr));
        CloseIndexes();
        ASSERT_TRUE(SetIndexTo(failing == 1 ? "km" : "ex", 1, failing == 1 ? maker : nullptr, nullptr));
        ASSERT_TRUE(SetIndexTo(failing == 1 ? "ex" : "km", 2, failing == 1 ? nullptr : maker, nullptr));
        Set_Order_To(2);
        const auto ex = ReadBytes(Path("ex.ndx")), km = ReadBytes(Path("km.ndx"));
        broken = true;
        std::string message;
        EXPECT_EQ(Thrown([] { Reindex(); }, message), 266) << failing;
        broken = false;
        EXPECT_EQ(CurrentOrder(), 2);
        EXPECT_EQ(IndexFileName(1), Path(failing == 1 ? "ex.ndx" : "km.ndx"));
        EXPECT_EQ(IndexFileName(2), Path(failing == 1 ? "km.ndx" : "ex.ndx"));
        EXPECT_EQ(ReadBytes(Path("km.ndx")) == km && ReadBytes(Path("ex.ndx")) == ex, failing == 1);
        EXPECT_EQ(IndexInfoRecordCount(Path("km.ndx")), failing == 1 ? 3 : -1);
        ClearRecord();
        Buffer().SetText(1, "d");
        EXPECT_EQ(Append(), failing == 1) << failing;
        if (failing == 2) {
            EXPECT_NE(LastErrorText().find(Path("km.ndx") + " passt nicht zur Datei"), std::string::npos);
            Reindex();
            ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
            ASSERT_TRUE(Append()) << LastErrorText();
        }
        for (int slot = 1; slot <= 2; ++slot)
            ExpectSound(slot);
        USE("");
        NameTable({"c", "a", "b"});
    }
}

TEST_F(NdxSeekTest, KeyMakerAndExpressionFilesAreNotMixed)
{
    const std::string table = NameTable({"Bert", "anna", "Carl"});
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    KeyMakerProc maker = [](void*, int) { return AllTrim(Buffer().Text(1)); };
    ASSERT_TRUE(Index_On("km DESCENDING", maker, nullptr)) << LastErrorText();
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{2, 3, 1})); // bytes descending: a > C > B
    ASSERT_TRUE(Index_On("sx SOUNDEX", maker, nullptr)) << LastErrorText();
    EXPECT_EQ(ndx::Controlling()->hdr.keyLen, 4);
    EXPECT_TRUE(Find("Burt"));  // B630 like Bert
    EXPECT_EQ(RecNo(), 1);
    ASSERT_TRUE(Index_On("NAME", "ex"));
    CloseIndexes();
    EXPECT_FALSE(SetIndexTo("km", 1));
    EXPECT_EQ(EngineErrorCode, 223);
    EXPECT_FALSE(SetIndexTo("ex", 1, maker, nullptr));
    EXPECT_EQ(EngineErrorCode, 223);
}

// A split on a full disk (the new page cannot be written) fails the append
// with nothing written: neither the record nor a page of the index.
TEST_F(NdxSeekTest, FullLeafSplitsThirteenTwelve)
{
    for (const char* added : {"zz", "aa"}) {
        std::vector<std::string> names;
        for (int i = 0; i < 25; ++i)
            names.push_back("m" + std::to_string(10 + i));
        const std::string table = NameTable(names);
        ASSERT_TRUE(USE(table + " EXCLUSIVE"));
        ASSERT_TRUE(Index_On("NAME", "s"));
        ClearRecord();
        Buffer().SetText(1, added);
        {
            kt4::testing::FileSizeLimit full(std::filesystem::file_size(Path("s.ndx")));
            EXPECT_FALSE(Append()) << added;
        }
        EXPECT_EQ(RecCount(), 25);
        ExpectSound(1);
        ClearRecord();
        Buffer().SetText(1, added);
        ASSERT_TRUE(Append());
        ExpectSound(1);
        USE("");
        auto b = ReadBytes(Path("s.ndx"));
        const bool low = added[0] == 'a';
        EXPECT_EQ(U16At(b, 512), low ? 14 : 13) << added;  // old page keeps 13
        EXPECT_EQ(U16At(b, 1024), low ? 12 : 13) << added; // new page: old page count 2
        EXPECT_EQ(U32At(b, 0), 3u);
        EXPECT_EQ(U32At(b, 4), 4u);
    }
}

TEST_F(NdxSeekTest, RemovingTheOnlyKeysRestartsTheTree)
{
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back("k" + std::to_string(i));
    const std::string table = NameTable(names);
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NAME", "r"));
    const auto size = std::filesystem::file_size(Path("r.ndx"));
    ndx::Descriptor& d = *ndx::Controlling();
    for (int i = 0; i < 40; ++i) {
        std::string key = names[std::size_t(i)];
        key.resize(10, ' ');
        int result = -1;
        ASSERT_TRUE(ndx::RemoveKey(d, key, i + 1, result));
        EXPECT_EQ(result, 0);
    }
    USE("");
    auto b = ReadBytes(Path("r.ndx"));
    EXPECT_EQ(U32At(b, 0), 1u);
    EXPECT_EQ(U32At(b, 4), 2u);
    EXPECT_EQ(b.size(), size);
}

TEST_F(NdxSeekTest, KeyLengthIsTheTextBeforeFolding)
{
    const std::string table = NameTable({AnsiToOem("M\xFC" "ller"), AnsiToOem("Stra\xDF" "e")}, 100);
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NAME", "full")) << LastErrorText();
    EXPECT_EQ(ndx::Controlling()->hdr.keyLen, 100);
    GO(1);
    ASSERT_TRUE(Index_On("TRIM(NAME)", "trim")) << LastErrorText();
    EXPECT_EQ(ndx::Controlling()->hdr.keyLen, 6);
    EXPECT_TRUE(Find("strass"));
    EXPECT_EQ(RecNo(), 2);
    ExpectSound(1);
}

// A record whose key a UNIQUE index does not hold (another record held it
// and changed its own) changes its key without an error, and the indexes
// after the UNIQUE one follow; a key that is missing elsewhere fails the
// change, yet every index still follows the record. When a record is
// written, the name index holds its new key already, and a changed
// record's old one still: a crash in between leaves entries that name the
// record under another key, never a record the index lacks. An append
// whose record cannot be written takes its keys back; a change whose write
// fails leaves the keys of what the file holds (both when it cannot be
// read), and tried again leaves every record in each index once.
TEST_F(NdxSeekTest, EveryIndexFollowsAChange)
{
    // NUM 0 in all; the records lie beyond the indexes' first 1024 bytes
    const std::string table =
        RawTable("NAMES", {{"NAME", 'C', 10, 0}, {"NUM", 'N', 8, 2}, {"PAD", 'C', 250, 0}, {"PAD2", 'C', 250, 0}}, 3,
                 [](int i) { return std::string(1, char('a' + i)) + std::string(9, ' '); });
    std::int32_t writing = 0;
    std::string old; // the record's name key in the file, "" for none
    std::vector<std::string> faults;
    std::function<void(std::uint8_t* text, std::size_t length)> breakWrite; // once, at the next write
    RecordHook seen = [&](std::uint8_t* text, std::size_t length) {
        check::NdxChecker c;
        const std::string key(reinterpret_cast<const char*>(text), 10);
        int now = 0, before = 0;
        if (c.CheckFile(Path("miss.ndx")))
            for (const check::NdxEntry& e : c.Entries())
                if (std::int32_t(e.rec) == writing) {
                    now += e.key == key;
                    before += e.key == old;
                }
        if (now != 1 || (!old.empty() && before != 1))
            faults.push_back(key + " of record " + std::to_string(writing) + ": " + c.Problem());
        if (breakWrite)
            std::exchange(breakWrite, nullptr)(text, length);
    };
    ASSERT_TRUE(USE(table + " EXCLUSIVE", nullptr, 0, seen, nullptr));
    ASSERT_TRUE(Index_On("NAME", "miss"));
    ASSERT_TRUE(Index_On("NUM", "uniq UNIQUE"));
    ASSERT_TRUE(Index_On("NUM", "num"));
    ASSERT_TRUE(SetIndexToList("miss uniq num"));
    auto change = [&](std::int32_t rec, const char* name, double num) {
        GO(rec);
        writing = rec;
        Buffer().SetText(1, name);
        Buffer().SetNumber(2, num);
        return REPLACE();
    };
    old = "a         ";
    ASSERT_TRUE(change(1, "a", 1)); // the 0 of records 2 and 3 leaves the UNIQUE index
    old = "b         ";
    EXPECT_TRUE(change(2, "bb", 2)) << LastErrorText();
    EXPECT_EQ(EngineErrorCode, 0);
    old.clear();
    writing = 4;
    for (const bool full : {true, false}) { // a full disk for the record: its keys go again
        ClearRecord();
        Buffer().SetText(1, "d");
        Buffer().SetNumber(2, 4);
        kt4::testing::FileSizeLimit limit(full ? 1024 : RLIM_INFINITY);
        EXPECT_EQ(Append(), !full) << LastErrorText();
        if (full) { // the indexes go on from the record they stood on
            SKIP(1);
            EXPECT_EQ(EngineErrorCode, 0) << LastErrorText();
        }
    }
    for (int slot = 1; slot <= 3; ++slot)
        ExpectSound(slot);
    Set_Order_To(3);
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{3, 1, 2, 4}));
    Set_Order_To(2);
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{1, 2, 4}));
    GO(2);
    EXPECT_EQ(EngineErrorCode, 0) << LastErrorText();
    Set_Order_To(1);
    // A change whose record write fails, then the same change again. Where
    // the file holds neither the old record nor the new one (or cannot be
    // read), the indexes whose key changes are out of date: the change
    // again is refused (212, REINDEX) and goes through after REINDEX.
    const struct {
        const char* what;
        int openAs;        // the table's descriptor during the write (write-only: from the change on)
        std::size_t reach; // bytes of the record that reach the file before the error (0: none, 1000: all)
        bool shared, exclusive;
    } failures[] = {
        {"write fails", O_RDONLY, 0, true, true},
        {"write fails after the record reached the file", O_RDONLY, 1000, true, true},
        {"write fails and the record cannot be read", O_PATH, 0, true, true},
        // not shared: there the change again meets its own write (1203)
        {"write fails after the record reached the file, which cannot be read", O_PATH, 1000, false, true},
        // not exclusive: there the record comes from the read cache
        {"the record cannot be read before the change", O_WRONLY, 0, true, false},
        // the new name, the old number
        {"write fails after a part of the record reached the file", O_RDONLY, 3, true, true}};
    const auto stored = [&](std::int32_t rec) { // the record's bytes in the file
        std::vector<std::uint8_t> b(Current()->recLen);
        EXPECT_EQ(::pread(Current()->file.Fd(), b.data(), b.size(), Current()->RecordOffset(rec)), long(b.size()));
        return b;
    };
    PeekCacheSize = 4096;
    for (const bool shared : {true, false}) {
        USE("");
        ASSERT_TRUE(USE(table + (shared ? "" : " EXCLUSIVE"), nullptr, 0, seen, nullptr));
        ASSERT_TRUE(SetIndexToList("miss uniq num") && FLock());
        const int fd = Current()->file.Fd(), kept = ::dup(fd);
        for (std::size_t k = 0; k < std::size(failures); ++k) {
            const auto& f = failures[k];
            const bool unknown = f.openAs == O_PATH || (f.reach > 0 && f.reach < 1000);
            if (!(shared ? f.shared : f.exclusive))
                continue;
            SCOPED_TRACE(f.what + std::string(shared ? ", shared" : ""));
            const std::string name = "f" + std::to_string(k);
            const auto breakFile = [&] {
                const int other = ::open(table.c_str(), f.openAs);
                ::dup2(other, fd);
                ::close(other);
            };
            for (const bool fail : {true, false}) {
                GO(2);
                old = CurrentKeyBytes(1);
                if (fail && f.openAs == O_WRONLY)
                    breakFile();
                else if (fail)
                    breakWrite = [&](std::uint8_t* text, std::size_t length) {
                        if (f.reach > 0) { // written through another descriptor
                            const int w = ::open(table.c_str(), O_WRONLY);
                            length = std::min(length, f.reach);
                            EXPECT_EQ(::pwrite(w, text, length, Current()->RecordOffset(2) + 1), long(length));
                            ::close(w);
                        }
                        breakFile();
                    };
                if (!fail && unknown) {
                    const auto before = stored(2);
                    EXPECT_FALSE(change(2, name.c_str(), 20 + double(k)));
                    EXPECT_EQ(EngineErrorCode, 212);
                    EXPECT_NE(LastErrorText().find("REINDEX"), std::string::npos) << LastErrorText();
                    EXPECT_EQ(stored(2), before);
                    Reindex();
                    EXPECT_EQ(EngineErrorCode, 0) << LastErrorText();
                    GO(2);
                    old = CurrentKeyBytes(1);
                }
                EXPECT_NE(change(2, name.c_str(), 20 + double(k)), fail) << LastErrorText();
                ::dup2(kept, fd);
                // the area's record is the stored one (a retry is no change
                // by another program), where known
                const bool known = !fail || !unknown;
                const std::vector<std::uint8_t> bytes = stored(2);
                EXPECT_TRUE(bytes == Current()->native || (fail && f.reach > 0 && !known));
                std::string peeked; // through the record cache of an exclusive area
                Peek(1, 2, peeked);
                EXPECT_EQ(peeked, std::string(bytes.begin() + 1, bytes.begin() + 11));
                // the stored key once in every index, and no other entry where known
                GO(2);
                for (int slot = 1; slot <= 3; ++slot) {
                    check::NdxChecker c;
                    EXPECT_TRUE(c.CheckFile(IndexFileName(slot))) << c.Problem();
                    int once = 0, all = 0;
                    for (const check::NdxEntry& e : c.Entries())
                        if (e.rec == 2) {
                            ++all;
                            once += e.key == CurrentKeyBytes(slot);
                        }
                    EXPECT_EQ(once, 1) << slot;
                    EXPECT_TRUE(all == 1 || !known) << slot;
                }
            }
        }
        ::close(kept);
    }
    old.clear();
    // The number index lacks record 3's entry: the key change finds it
    // (254), every index holds the new key, and that index takes no change
    // from then on.
    int result = -1;
    GO(3);
    ASSERT_TRUE(ndx::RemoveKey(*ndx::InSlot(3), CurrentKeyBytes(3), 3, result));
    ASSERT_EQ(result, 0);
    EXPECT_FALSE(change(3, "z", 3));
    EXPECT_EQ(EngineErrorCode, 254);
    EXPECT_NE(LastErrorText().find("Datensatz Nr. 3 nicht im Index gefunden."), std::string::npos);
    EXPECT_NE(LastErrorText().find("[CompareKeys]"), std::string::npos);
    for (int slot = 1; slot <= 3; ++slot)
        ExpectSound(slot);
    EXPECT_TRUE(Find("z"));
    EXPECT_EQ(RecNo(), 3);
    EXPECT_FALSE(change(1, "y", 5));
    EXPECT_EQ(EngineErrorCode, 254);
    EXPECT_EQ(stored(1), Current()->native); // refused, the area's record is the file's again
    EXPECT_EQ(faults, std::vector<std::string>{});
}

// A model of two indexes (a 100-byte key, 4 to a page, and a number) with a
// UNIQUE one between them (keys collide often, so most records are left
// out of it) against 10,000 random appends, key changes, deletions,
// recalls, PACK and order changes, made in every order including natural
// order and the UNIQUE one; in an exclusive area (node cache) and a shared
// one (semaphore file, PACK going exclusive and back). Every whole walk
// passes its checks, and every record the UNIQUE index leaves out is
// reached, SKIP going on from its key's place. Once, with the name index's
// first two children swapped in its file, a walk finds it damaged (254),
// a key change and an append are refused with nothing written, and REINDEX
// makes it sound again.
class NdxModelTest : public NdxTest, public ::testing::WithParamInterface<bool> {};

TEST_P(NdxModelTest, RandomChangesAgainstAModel)
{
    const bool shared = GetParam();
    const std::string table =
        RawTable("MODEL", {{"NAME", 'C', 100, 0}, {"NUM", 'N', 6, 0}}, 0, [](int) { return std::string(); });
    ASSERT_TRUE(USE(table + (shared ? "" : " EXCLUSIVE")));
    ASSERT_TRUE(Index_On("NAME", "mname"));
    ASSERT_TRUE(Index_On("NUM", "mnum"));
    ASSERT_TRUE(Index_On("LEFT(NAME,2)", "muniq UNIQUE"));
    CloseIndexes();
    ASSERT_TRUE(SetIndexToList("mname muniq mnum"));
    ASSERT_TRUE(FLock());
    std::mt19937 rng(4711);
    struct Row {
        std::string name;
        int num;
        bool deleted;
    };
    std::vector<Row> rows;              // the model: record i + 1
    std::map<std::string, int> holders; // the UNIQUE index: key -> record
    auto uniq = [](const std::string& name) { return name.substr(0, 2); };
    auto hold = [&](const std::string& name, int rec) { holders.emplace(uniq(name), rec); };
    auto randomName = [&] { // each draw in its own statement: the same names whatever the compiler
        const std::size_t length = 1 + rng() % 3;
        const char letter = char('a' + rng() % 4);
        return std::string(length, letter) + std::to_string(rng() % 50);
    };
    auto expected = [&](int order) {
        std::vector<std::pair<std::pair<std::string, int>, int>> keys;
        for (std::size_t i = 0; i < rows.size(); ++i)
            keys.push_back({{order == 1 ? rows[i].name : "", order == 1 ? 0 : rows[i].num}, int(i + 1)});
        std::sort(keys.begin(), keys.end());
        std::vector<std::int32_t> recs;
        for (auto& k : keys)
            recs.push_back(k.second);
        if (order == 2) {
            recs.clear();
            for (auto& [key, rec] : holders)
                recs.push_back(rec);
        }
        return recs;
    };
    for (int batch = 0; batch < 50; ++batch) {
        Set_Order_To(batch % 4);
        for (int op = 0; op < 200; ++op) {
            const unsigned what = rows.size() < 20 ? 0 : rng() % 10;
            if (what < 5) {
                Row r{randomName(), int(rng() % 1000), false};
                ClearRecord();
                Buffer().SetText(1, r.name);
                Buffer().SetInteger(2, r.num);
                ASSERT_TRUE(Append()) << LastErrorText();
                rows.push_back(r);
                hold(r.name, int(rows.size()));
                continue;
            }
            const int n = 1 + int(rng() % rows.size());
            GO(n);
            ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
            Row& r = rows[std::size_t(n - 1)];
            if (what < 8) {
                if (rng() % 2) {
                    const std::string old = uniq(r.name);
                    r.name = randomName();
                    if (uniq(r.name) != old) { // an unchanged key leaves the index as it is
                        if (const auto h = holders.find(old); h != holders.end() && h->second == n)
                            holders.erase(h);
                        hold(r.name, n);
                    }
                } else {
                    r.num = int(rng() % 1000);
                }
                Buffer().SetText(1, r.name);
                Buffer().SetInteger(2, r.num);
                ASSERT_TRUE(REPLACE()) << LastErrorText();
            } else {
                ASSERT_TRUE(r.deleted ? RecallRec() : DeleteRec()) << LastErrorText();
                r.deleted = !r.deleted;
            }
        }
        if (batch % 13 == 12) {
            Unlock();
            Pack();
            ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
            ASSERT_TRUE(FLock());
            rows.erase(std::remove_if(rows.begin(), rows.end(), [](const Row& r) { return r.deleted; }), rows.end());
            holders.clear();
            for (std::size_t i = 0; i < rows.size(); ++i)
                hold(rows[i].name, int(i + 1));
        }
        const int order = 1 + int(rng() % 3);
        Set_Order_To(order);
        const auto want = expected(order);
        ASSERT_EQ(Order(), want) << "batch " << batch;
        std::vector<std::int32_t> back, walked;
        for (GoBottom(); !dBOF() && EngineErrorCode == 0; SKIP(-1))
            back.push_back(RecNo());
        ASSERT_EQ(back, std::vector<std::int32_t>(want.rbegin(), want.rend())) << "batch " << batch;
        ASSERT_TRUE(RecordsInKeyOrder(walked)) << LastErrorText();
        ASSERT_EQ(walked, want) << "batch " << batch;
        if (batch % 25 == 24) {
            for (const int o : {0, 2}) {
                Set_Order_To(o);
                for (int rec = 1; rec <= int(rows.size()); ++rec) {
                    const std::string key = uniq(rows[std::size_t(rec - 1)].name);
                    if (const auto h = holders.find(key); h != holders.end() && h->second == rec)
                        continue;
                    GO(rec);
                    ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
                    ASSERT_EQ(RecNo(), rec);
                    if (o == 2) {
                        SKIP(1);
                        const auto next = holders.upper_bound(key);
                        ASSERT_EQ(dEOF() ? 0 : RecNo(), next == holders.end() ? 0 : next->second) << rec;
                    }
                }
            }
        }
        Set_Order_To(1);
        for (int slot = 1; slot <= 3; ++slot)
            ExpectSound(slot);
        if (batch == 30) {
            Unlock();
            USE("");
            const std::string name = Path("mname.ndx");
            auto b = ReadBytes(name);
            const std::size_t root = std::size_t(U32At(b, 0)) * 512 + 4, entry = 108;
            const std::uint32_t first = U32At(b, root);
            PutU32At(b, root, U32At(b, root + entry));
            PutU32At(b, root + entry, first);
            WriteBytes(name, b);
            const auto before = ReadBytes(table);
            ASSERT_TRUE(USE(table + (shared ? "" : " EXCLUSIVE")));
            ASSERT_TRUE(SetIndexToList("mname muniq mnum"));
            ASSERT_TRUE(FLock());
            EXPECT_FALSE(RecordsInKeyOrder(walked));
            EXPECT_EQ(EngineErrorCode, 254) << LastErrorText();
            GO(1);
            Buffer().SetText(1, "zz");
            EXPECT_FALSE(REPLACE());
            EXPECT_EQ(EngineErrorCode, 254);
            ClearRecord();
            EXPECT_FALSE(Append());
            EXPECT_EQ(EngineErrorCode, 254);
            EXPECT_EQ(ReadBytes(name), b);
            EXPECT_EQ(ReadBytes(table), before);
            Reindex();
            ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
            holders.clear();
            for (std::size_t i = 0; i < rows.size(); ++i)
                hold(rows[i].name, int(i + 1));
            ExpectSound(1);
        }
    }
    EXPECT_GT(ndx::Controlling()->hdr.pageCount, 500u);
}

INSTANTIATE_TEST_SUITE_P(Areas, NdxModelTest, ::testing::Values(false, true),
                         [](const auto& area) { return area.param ? "Shared" : "Exclusive"; });

} // namespace
} // namespace kt4::dbase::test
