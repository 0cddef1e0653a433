// NDX files as built: sizes and page numbering, page 0, UNIQUE, the two
// sort paths, and damaged files refused on open or on the node read.
#include "ndx_fixture.h"

#include "common/peak_memory.h"
#include "dbase/ndx/ndx_sort.h"
#include "foundation/private_temp.h"

#include <random>

namespace kt4::dbase::test {
namespace {

using NdxFormatTest = NdxTest;

std::vector<std::string> Numbered(int n)
{
    std::vector<std::string> v;
    for (int i = 0; i < n; ++i)
        v.push_back("k" + std::to_string(100000 + i));
    return v;
}

TEST_F(NdxFormatTest, SizesAndPageNumbers)
{
    struct Case {
        int records;
        std::uint32_t root, pages;
    } cases[] = {{0, 1, 2}, {25, 1, 2}, {26, 3, 4}, {51, 4, 5}};
    for (const Case& c : cases) {
        const std::string table = NameTable(Numbered(c.records));
        ASSERT_TRUE(USE(table + " EXCLUSIVE"));
        ASSERT_TRUE(Index_On("NAME", "n")) << LastErrorText();
        USE("");
        auto b = ReadBytes(Path("n.ndx"));
        EXPECT_EQ(U32At(b, 0), c.root) << c.records;
        EXPECT_EQ(U32At(b, 4), c.pages) << c.records;
        EXPECT_EQ(b.size(), c.pages * 512u) << c.records;
    }
}

TEST_F(NdxFormatTest, RecordSizeAndKeysPerPage)
{
    const std::string table = RawTable("T", {{"NAME", 'C', 10, 0}, {"LONG", 'C', 100, 0}, {"NUM", 'N', 8, 2}}, 1,
                                       [](int) { return std::string("x"); });
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    struct Case {
        const char* expr;
        std::uint16_t keyLen, perPage;
        std::uint32_t recSize;
        char letter;
        std::uint16_t type;
    } cases[] = {{"NAME", 10, 25, 20, 'C', 0}, {"NUM", 8, 31, 16, 'N', 1}, {"LONG", 100, 4, 108, 'C', 0},
                 {"CTOD(\"01.02.03\")", 8, 31, 16, 'D', 1}};
    for (const Case& c : cases) {
        ASSERT_TRUE(Index_On(c.expr, "x")) << LastErrorText();
        CloseIndexes();
        auto b = ReadBytes(Path("x.ndx"));
        EXPECT_EQ(U16At(b, 12), c.keyLen) << c.expr;
        EXPECT_EQ(U16At(b, 14), c.perPage) << c.expr;
        EXPECT_EQ(U32At(b, 18), c.recSize) << c.expr;
        EXPECT_EQ(b[9], c.letter) << c.expr;
        EXPECT_EQ(U16At(b, 16), c.type) << c.expr;
    }
}

TEST_F(NdxFormatTest, AnchorPage)
{
    const std::string table = RawTable("LONGTABLENAME1", {{"NAME", 'C', 10, 0}}, 3,
                                       [](int i) { return std::string(1, char('a' + i)); });
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("upper( name ) + 'a \"b'", "a UNIQUE")) << LastErrorText();
    USE("");
    auto b = ReadBytes(Path("a.ndx"));
    std::vector<std::uint8_t> expect(512, 0);
    PutU32At(expect, 0, 1);
    PutU32At(expect, 4, 2);
    expect[9] = 'C';
    expect[12] = 14; // "A" + 'a "b'
    expect[14] = 504 / 24;
    PutU32At(expect, 18, 24);
    expect[23] = 1;
    const std::string expr = "UPPER(NAME)+'a \"b'";
    std::copy(expr.begin(), expr.end(), expect.begin() + 24);
    PutU32At(expect, 488, ~3u);
    PutU32At(expect, 492, 3);
    const std::string name = "LONGTABLENAM";
    std::copy(name.begin(), name.end(), expect.begin() + 496);
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin(), b.begin() + 512), expect);
    // A double-quoted literal is stored with double quotes.
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("name+'x'", "b")) << LastErrorText();
    USE("");
    b = ReadBytes(Path("b.ndx"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 24)), "NAME+\"x\"");
}

TEST_F(NdxFormatTest, UniqueKeepsTheFirstRecordAndDeletedRecordsAreIndexed)
{
    const std::string table = NameTable({"b", "a", "b"});
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    GO(3);
    ASSERT_TRUE(DeleteRec());
    ASSERT_TRUE(Index_On("NAME", "U UNIQUE"));
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{2, 1}));
    ASSERT_TRUE(Index_On("NAME", "ALL"));
    EXPECT_EQ(Order(), (std::vector<std::int32_t>{2, 1, 3}));
}

TEST_F(NdxFormatTest, InfoProgressAndTheRecordsInKeyOrder)
{
    const std::string table = NameTable(Numbered(100));
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    int calls = 0;
    SetIndexProgress([&] { ++calls; }, 7);
    ASSERT_TRUE(Index_On("NAME", "info UNIQUE"));
    SetIndexProgress(nullptr, 0);
    EXPECT_EQ(calls, 7);
    std::vector<std::int32_t> records;
    ASSERT_TRUE(RecordsInKeyOrder(records));
    EXPECT_EQ(records, Order());
    TIndexInfo info;
    ASSERT_TRUE(IndexInfo(Path("info.ndx"), info));
    EXPECT_EQ(info.expression, "NAME");
    EXPECT_EQ(info.keyLength, 10);
    EXPECT_EQ(info.keyType, 'C');
    EXPECT_TRUE(info.unique);
    EXPECT_EQ(info.recordCount, 100);
    EXPECT_EQ(info.tableName, "NAMES.DBF");
    USE("");
    auto b = ReadBytes(Path("info.ndx"));
    b[488] ^= 1; // the check word no longer matches
    WriteBytes(Path("info.ndx"), b);
    EXPECT_EQ(IndexInfoRecordCount(Path("info.ndx")), -1);
    EXPECT_FALSE(IndexInfo("", info));
    EXPECT_EQ(EngineErrorCode, 220);
}

// Page 0's record count is brought up only by what brought the tree up to
// it: a build, or changes this program kept the index in step with. A close
// after no change writes nothing; an index that was stale when it was
// opened and then changed gets no count at all, nor one that a PACK left.
TEST_F(NdxFormatTest, TheRecordCountFollowsOnlyAnIndexKeptInStep)
{
    const std::string table = NameTable(Numbered(30));
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NAME", "stale"));
    CloseIndexes();
    for (const char* name : {"x1", "x2"}) {
        ClearRecord();
        Buffer().SetText(1, name);
        ASSERT_TRUE(Append());
    }
    ASSERT_TRUE(Index_On("NAME", "kept"));
    CloseIndexes();
    const auto stale = ReadBytes(Path("stale.ndx")), kept = ReadBytes(Path("kept.ndx"));
    ASSERT_TRUE(SetIndexToList("kept stale"));
    CloseIndexes();
    EXPECT_EQ(ReadBytes(Path("kept.ndx")), kept);
    EXPECT_EQ(ReadBytes(Path("stale.ndx")), stale);
    ASSERT_TRUE(SetIndexToList("kept stale"));
    for (int i = 0; i < 30; ++i) { // with splits, which write page 0 at once
        ClearRecord();
        Buffer().SetText(1, "y" + std::to_string(i));
        ASSERT_TRUE(Append());
    }
    CloseIndexes();
    EXPECT_EQ(IndexInfoRecordCount(Path("kept.ndx")), 62);
    EXPECT_EQ(IndexInfoRecordCount(Path("stale.ndx")), -1);
    ASSERT_TRUE(SetIndexTo("stale", 1));
    Reindex();
    CloseIndexes();
    EXPECT_EQ(IndexInfoRecordCount(Path("stale.ndx")), 62);
    // A PACK marks every open index out of date before it replaces the
    // table. Ended before its rebuild (here: none), it leaves them marked,
    // changed indexes too: no count, and SET INDEX, every read and every
    // change answer 212 naming the file, until REINDEX. A PACK that
    // removes nothing replaces nothing and marks nothing.
    const auto reindex = Index.Reindex;
    for (const bool removes : {true, false}) {
        ASSERT_TRUE(SetIndexToList("kept stale"));
        GO(5);
        ASSERT_TRUE(!removes || DeleteRec());
        ClearRecord();
        Buffer().SetText(1, "z");
        ASSERT_TRUE(Append());
        Index.Reindex = nullptr;
        Pack();
        Index.Reindex = reindex;
        ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
        CloseIndexes();
        for (const char* name : {"kept", "stale"}) {
            EXPECT_EQ(IndexInfoRecordCount(Path(name) + ".ndx"), removes ? -1 : 63) << name;
            EXPECT_EQ(SetIndexTo(name, 1), !removes) << name;
            if (!removes)
                continue;
            std::vector<std::function<void()>> uses = {[] { GoTop(); }, [] { Find("x1"); }, [] { GO(3); },
                                                       [] { ClearRecord(); Append(); }};
            for (const auto& use : uses) {
                EXPECT_EQ(EngineErrorCode, 212) << name;
                EXPECT_NE(LastErrorText().find("Index " + Path(name) + ".ndx passt nicht zur Datei: neu aufbauen (REINDEX)"),
                          std::string::npos) << LastErrorText();
                use();
            }
            EXPECT_EQ(EngineErrorCode, 212) << name;
            EXPECT_EQ(RecCount(), 62);
            Reindex();
            ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
            ExpectSound(1);
            CloseIndexes();
        }
    }
}

TEST_F(NdxFormatTest, OverlongExpressionMakesNoFile)
{
    const std::string table = NameTable({"a"});
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    EXPECT_FALSE(Index_On("NAME+" + std::string(96, ' ') + "NAME", "long"));
    EXPECT_EQ(EngineErrorCode, 300);
    EXPECT_FALSE(std::filesystem::exists(Path("long.ndx")));
}

TEST_F(NdxFormatTest, AMillionRecords)
{
    const std::string table = RawTable("BIG", {{"NAME", 'C', 10, 0}, {"NUM", 'N', 10, 0}}, 1000000, [](int i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%010d%10d", (i * 7919) % 1000003, i);
        return std::string(buf);
    });
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NAME", "c")) << LastErrorText();
    ASSERT_TRUE(Index_On("NUM", "n")) << LastErrorText();
    USE("");
    struct Case {
        const char* file;
        std::uint32_t root;
        std::size_t size;
    } cases[] = {{"c.ndx", 41603, 21301248}, {"n.ndx", 33301, 33302 * 512}};
    for (const Case& c : cases) {
        auto b = ReadBytes(Path(c.file));
        EXPECT_EQ(U32At(b, 0), c.root) << c.file;
        EXPECT_EQ(U32At(b, 4), c.root + 1) << c.file;
        EXPECT_EQ(b.size(), c.size) << c.file;
    }
}

TEST_F(NdxFormatTest, ExternalMergeWritesTheSameFile)
{
    const std::string table = RawTable("M", {{"NAME", 'C', 12, 0}, {"NUM", 'N', 10, 2}}, 5000, [](int i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%-12s%10.2f", ("n" + std::to_string(i % 977)).c_str(), (i % 313) - 150.5);
        return std::string(buf);
    });
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    for (const char* expr : {"NAME", "NUM", "NAME+STR(NUM)"}) {
        IndexSortBudget = std::size_t{256} << 20;
        ASSERT_TRUE(Index_On(expr, "mem")) << LastErrorText();
        IndexSortBudget = 2048; // runs of about 80 keys
        ASSERT_TRUE(Index_On(expr, "runs")) << LastErrorText();
        CloseIndexes();
        EXPECT_EQ(ReadBytes(Path("mem.ndx")), ReadBytes(Path("runs.ndx"))) << expr;
    }
    std::error_code ec;
    EXPECT_TRUE(std::filesystem::is_empty(PrivateTempSubdir("dbf"), ec));
}

// The key sorter holds no more than its budget however many keys come: its
// vectors are reserved for a run, not grown by doubling.
TEST_F(NdxFormatTest, TheSortStaysWithinItsBudget)
{
    constexpr std::size_t budgetMb = 16, keys = 1000000; // two runs
    ndx::KeySorter sorter(10, false, budgetMb << 20);
    kt4::testing::ResetPeak();
    const double before = kt4::testing::PeakMb();
    sorter.Reserve(keys);
    char key[16];
    for (std::size_t i = 0; i < keys; ++i) {
        std::snprintf(key, sizeof key, "%010zu", i * 7919 % keys);
        ASSERT_TRUE(sorter.Add(reinterpret_cast<const std::uint8_t*>(key), std::uint32_t(i + 1)));
    }
    ASSERT_TRUE(sorter.Finish());
    EXPECT_LT(kt4::testing::PeakMb() - before, budgetMb * 1.25); // doubling: about 1.45
    const std::uint8_t* k = nullptr;
    std::uint32_t rec = 0, n = 0;
    std::string last;
    for (bool end = false; sorter.Next(k, rec, end) && !end; ++n) {
        const std::string now(reinterpret_cast<const char*>(k), 10);
        ASSERT_LT(last, now);
        last = now;
    }
    EXPECT_EQ(n, keys);
}

// The records in key order come from one walk over the leaves, read in runs
// of pages: the order of stepping through the index, for a tree as built
// and for one whose split pages lie at the end of the file, with and
// without the node cache, and with records left out.
TEST_F(NdxFormatTest, TheLeafWalkFollowsTheKeyOrder)
{
    std::mt19937 rng(4);
    auto name = [&] {
        std::string s;
        for (int i = 0; i < 6; ++i)
            s += char('a' + rng() % 26);
        return s;
    };
    std::vector<std::string> names;
    for (int i = 0; i < 12000; ++i)
        names.push_back(name());
    const std::string table = NameTable(names);
    ASSERT_TRUE(USE(table + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NAME", "w"));
    for (const bool changed : {false, true}) {
        if (changed) {
            for (int i = 0; i < 3000; ++i) {
                ClearRecord();
                Buffer().SetText(1, name());
                ASSERT_TRUE(Append()) << LastErrorText();
            }
        }
        for (const bool noCache : {false, true}) {
            IndexNoCache = noCache;
            ASSERT_TRUE(USE(table + " EXCLUSIVE"));
            ASSERT_TRUE(SetIndexTo("w", 1)) << LastErrorText();
            const std::vector<std::int32_t> order = Order();
            ASSERT_EQ(order.size(), changed ? 15000u : 12000u);
            std::vector<std::int32_t> records;
            ASSERT_TRUE(RecordsInKeyOrder(records)) << LastErrorText();
            EXPECT_EQ(records, order) << changed << noCache;
            std::vector<std::uint64_t> leaveOut(order.size() / 64 + 1);
            std::vector<std::int32_t> kept;
            for (const std::int32_t r : order) {
                if (r % 7 == 0)
                    leaveOut[std::size_t(r) / 64] |= std::uint64_t{1} << (r % 64);
                else
                    kept.push_back(r);
            }
            ASSERT_TRUE(RecordsInKeyOrder(records, leaveOut));
            EXPECT_EQ(records, kept) << changed << noCache;
        }
    }
    IndexNoCache = false;
}

// ---- Damaged files ----

class NdxDamageTest : public NdxTest {
protected:
    void Build(int records, bool unique = false)
    {
        table_ = NameTable(Numbered(records));
        ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
        ASSERT_TRUE(Index_On("NAME", unique ? "d UNIQUE" : "d"));
        USE("");
        good_ = ReadBytes(Path("d.ndx"));
    }
    // A REPLACE of record rec's key to name and an append, both refused
    // with code.
    static void ExpectChangesRefused(std::int32_t rec, const std::string& name, std::uint16_t code,
                                     const std::string& what)
    {
        GO(rec);
        Buffer().SetText(1, name);
        EXPECT_FALSE(REPLACE()) << what;
        EXPECT_EQ(EngineErrorCode, code) << what;
        ClearRecord();
        Buffer().SetText(1, "k100060");
        EXPECT_FALSE(Append()) << what;
        EXPECT_EQ(EngineErrorCode, code) << what;
    }
    // The error code of a whole walk: by steps forwards (0), backwards (1),
    // over the leaves (2) or backwards from the end a failed Find left (3).
    static std::uint16_t WholeWalk(int kind)
    {
        if (kind < 2)
            return Walk(kind == 0);
        if (kind == 3) {
            EXPECT_FALSE(Find("z"));
            while (EngineErrorCode == 0 && !dBOF())
                SKIP(-1);
            return EngineErrorCode;
        }
        std::vector<std::int32_t> records; // the rows of the browser
        EXPECT_FALSE(RecordsInKeyOrder(records));
        EXPECT_TRUE(records.empty());
        return EngineErrorCode;
    }
    std::uint16_t OpenWith(const std::vector<std::uint8_t>& bytes)
    {
        WriteBytes(Path("d.ndx"), bytes);
        EXPECT_TRUE(USE(table_ + " EXCLUSIVE"));
        SetIndexTo("d", 1);
        const std::uint16_t code = EngineErrorCode;
        if (code == 0) {
            Set_Order_To(1);
            Order();
            Find("k1000");
        }
        const std::uint16_t after = code ? code : EngineErrorCode;
        text_ = LastErrorText();
        USE("");
        return after;
    }
    // The error code of a walk over the whole index by steps.
    static std::uint16_t Walk(bool forward)
    {
        forward ? GoTop() : GoBottom();
        while (EngineErrorCode == 0 && !(forward ? dEOF() : dBOF()))
            SKIP(forward ? 1 : -1);
        return EngineErrorCode;
    }
    std::string table_, text_;
    std::vector<std::uint8_t> good_;
};

TEST_F(NdxDamageTest, HeaderFaultsAreRefused)
{
    Build(60);
    struct Case {
        const char* what;
        std::size_t at;
        std::uint64_t value;
        int width;
        const char* why; // named in the message
        std::uint16_t code = 222;
    } cases[] = {{"key length 0", 12, 0, 2, "Schlüssellänge 0"},
                 {"key length 101", 12, 101, 2, "Schlüssellänge 101"},
                 {"key length 9 for C(10)", 12, 9, 2, "Schlüssellänge 9 zum Ausdruck der Länge 10"},
                 {"key length 11 for C(10)", 12, 11, 2, "Schlüssellänge 11 zum Ausdruck der Länge 10"},
                 {"key type", 16, 1, 2, "Schlüsseltyp 1"},
                 {"type letter", 9, 'N', 1, "Typkennung N zum Ausdruck vom Typ C"},
                 {"record size", 18, 24, 4, "Eintragslänge 24"},
                 {"keys per page 1", 14, 1, 2, "Schlüssel je Seite 1"},
                 {"keys per page 26", 14, 26, 2, "Schlüssel je Seite 26"},
                 {"root 0", 0, 0, 4, "Wurzelseite 0 bei 5 Seiten"},
                 {"root past the end", 0, 9, 4, "Wurzelseite 9 bei 5 Seiten"},
                 {"short file", 1000, 0, 0, "1000 Bytes, kürzer als zwei Seiten"},
                 // the table name of an index of ours ("NAMES.DBF"), in any
                 // case; another program's (its count words not ours) has none
                 {"another table's", 496, 0x4548544F, 4, "geschrieben für die Datei OTHES.DBF, nicht für NAMES.DBF"},
                 {"the name in small letters", 496, 0x656D616E, 4, "", 0},
                 {"another program's", 492, 0x4548544F00000000, 8, "", 0}};
    for (const Case& c : cases) {
        auto b = good_;
        for (int i = 0; i < c.width; ++i)
            b[c.at + std::size_t(i)] = std::uint8_t(c.value >> (8 * i));
        if (c.width == 0)
            b.resize(c.at);
        EXPECT_EQ(OpenWith(b), c.code) << c.what << ": " << text_;
        if (c.code != 0) {
            EXPECT_NE(text_.find("Kann Index nicht öffnen: " + Path("d.ndx") + " (Kopf: " + c.why + ")"),
                      std::string::npos)
                << text_;
        }
    }
    EXPECT_EQ(OpenWith(good_), 0);
    // Keys whose length is that of the record they come from, or that the
    // expression gives
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    for (const char* expression : {"TRIM(NAME)", "UPPER(NAME)+'-'+NAME"})
        EXPECT_TRUE(Index_On(expression, "t")) << expression << ": " << LastErrorText();
}

// A damaged node gives 254 wherever it is read: by SET INDEX (alone, or
// after a sound index of a list) on its way to the first key, else by a
// Find below it or a step into it. From then on the index takes no change,
// not even an append whose path is sound: no byte of the table or of either
// index is written. In a tree of ours a leaf's last key is the separator
// above it, which shows a leaf that lost keys and a pointer elsewhere.
TEST_F(NdxDamageTest, NodeFaultsGive254AndTheIndexTakesNoChange)
{
    constexpr std::size_t root = 4 * 512; // of 60 records: leaves 1, 2, 3 (entries of 20 bytes)
    auto set = [](std::size_t at, std::uint32_t value, int width) {
        return [=](std::vector<std::uint8_t>& b) {
            for (int i = 0; i < width; ++i)
                b[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
        };
    };
    auto find = [](const char* key) { return [=] { EXPECT_FALSE(Find(key)); }; };
    auto step = [] { GO(25); SKIP(1); };
    struct Case {
        const char* what;
        int records;
        std::function<void(std::vector<std::uint8_t>&)> spoil;
        std::function<void()> act; // empty: found by SET INDEX
    } cases[] = {{"too many keys in the first leaf", 60, set(512, 26, 2), nullptr},
                 {"too many keys in the root", 60, set(root, 26, 2), nullptr},
                 {"child out of range", 60, set(root + 4, 77, 4), nullptr},
                 {"last child 2^31", 60, set(root + 4 + 2 * 20, 0x80000000u, 4), nullptr},
                 {"child cycle", 60, set(root + 4, 4, 4), nullptr},
                 {"too many keys in the middle leaf", 60, set(1024, 26, 2), find("k100030")},
                 {"empty middle leaf", 60, set(1024, 0, 2), find("k100030")},
                 {"first leaf's count lowered", 60, set(512, 20, 2), find("k100022")},
                 // SET INDEX must leave the page count short as it is
                 {"page count short", 60, [&](auto& b) { set(1024, 26, 2)(b); set(4, 4, 4)(b); }, find("k100030")},
                 // the middle leaf's first entry is the first leaf's last
                 // one (record 25), or a key below it: met by a step
                 {"record twice", 60, [&](auto& b) { set(1024 + 8, 25, 1)(b); set(1024 + 18, '4', 1)(b); }, step},
                 {"keys out of order", 60, set(1024 + 12 + 5, '0', 1), step},
                 // 700 records: leaves under two inner nodes; the root's
                 // first child leads to the first leaf instead
                 {"child into another subtree", 700, [](std::vector<std::uint8_t>& b) {
                      const std::size_t first = 512 * U32At(b, 0) + 4;
                      PutU32At(b, first, U32At(b, 512 * U32At(b, first) + 4));
                  }, find("k100030")}};
    for (const Case& c : cases) {
        Build(c.records);
        WriteBytes(Path("e.ndx"), good_);
        const auto table = ReadBytes(table_);
        auto b = good_;
        c.spoil(b);
        for (const bool list : {false, true}) {
            const std::string what = c.what + std::string(list ? ", list" : "");
            WriteBytes(Path("d.ndx"), b);
            ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
            EXPECT_EQ(list ? SetIndexToList("e d") : SetIndexTo("d", 1), c.act != nullptr) << what;
            if (c.act) {
                Set_Order_To(2 - !list);
                c.act();
            }
            EXPECT_EQ(EngineErrorCode, 254) << what << ": " << LastErrorText();
            ClearRecord();
            Buffer().SetText(1, "k1007"); // into the last leaf
            EXPECT_FALSE(Append()) << what;
            EXPECT_EQ(EngineErrorCode, 254) << what;
            USE("");
            EXPECT_EQ(ReadBytes(Path("d.ndx")), b) << what;
            EXPECT_EQ(ReadBytes(Path("e.ndx")), good_) << what;
            EXPECT_EQ(ReadBytes(table_), table) << what;
        }
    }
}

// SET INDEX TO a list opens every index it can and names the first that
// failed (thrown once, as the table browser has it). A damaged one stays open and unfit: appends are refused until a
// REINDEX, which rebuilds every index of the list. One that does not open
// is left out with its order number, and the others take every append.
TEST_F(NdxDamageTest, AListOpensEveryIndexItCan)
{
    Build(60);
    const auto table = ReadBytes(table_);
    auto word = [](std::size_t at, std::uint32_t value) {
        return [=](std::vector<std::uint8_t>& b) { PutU32At(b, at, value); };
    };
    struct Case {
        const char* what;
        const char* first; // the list's first name
        std::function<void(std::vector<std::uint8_t>&)> spoil;
        std::uint16_t code;
        bool open;
    } cases[] = {{"too many keys in the first leaf", "d", word(512, 26), 254, true},
                 {"out of date", "d", word(488, ~60u ^ 0x4B434150u), 212, true}, // a PACK's mark
                 {"missing", "none", nullptr, 2, false},
                 {"root 0", "d", word(0, 0), 222, false},
                 {"another table's", "d", word(496, 0x4548544F), 222, false}};
    for (const Case& c : cases) {
        auto b = good_;
        if (c.spoil)
            c.spoil(b);
        WriteBytes(Path("d.ndx"), b);
        WriteBytes(Path("e.ndx"), good_);
        WriteBytes(table_, table);
        ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
        std::string message;
        EXPECT_EQ(Thrown([&] { SetIndexToList(std::string(c.first) + " e"); }, message), c.code) << c.what;
        EXPECT_NE(message.find(c.first), std::string::npos) << message;
        EXPECT_EQ(CurrentOrder(), c.open ? 1 : 2) << c.what;
        ClearRecord();
        Buffer().SetText(1, "k1007");
        EXPECT_EQ(Append(), !c.open) << c.what;
        if (c.open) {
            EXPECT_EQ(EngineErrorCode, c.code) << c.what;
            Reindex();
            ASSERT_EQ(EngineErrorCode, 0) << c.what << ": " << LastErrorText();
            ClearRecord();
            Buffer().SetText(1, "k1007");
            ASSERT_TRUE(Append()) << c.what << ": " << LastErrorText();
            ExpectSound(2);
        }
        ExpectSound(1);
        CloseIndexes();
        ASSERT_TRUE(SetIndexToCB("e", 1, nullptr, nullptr));
        EXPECT_TRUE(Find("k1007")) << c.what;
        USE("");
    }
}

// A leaf zeroed in the middle of the tree, a child named twice, children
// swapped, a leaf no inner node names any more and a record named twice:
// every walk over the whole index (by steps both ways, the browser's walk
// over the leaves) stops with 254, or with 212 and the REINDEX hint where
// it only finds too few entries (which a UNIQUE index may hold). After it
// the index takes no change, even one that reads only sound nodes (record
// 60's key stays in the last leaf, as does the appended key): REPLACE and
// Append are refused with that error, and neither file is written.
TEST_F(NdxDamageTest, DamagedTreesStopEveryWholeWalk)
{
    const std::size_t root = 4 * 512;
    struct Case {
        const char* what;
        std::vector<std::pair<std::size_t, std::uint32_t>> words; // 32-bit words set
        std::uint16_t code;
    } cases[] = {{"zeroed middle leaf", {}, 254},
                 {"duplicated child", {{root + 4 + 20, 1}}, 254},
                 {"swapped children", {{root + 4, 2}, {root + 4 + 20, 1}}, 254},
                 {"leaf left out", {{root, 1}, {root + 4 + 20, 3}}, 212},
                 {"record named twice", {{512 + 4 + 3 * 20 + 4, 1}}, 254}};
    for (const bool unique : {false, true}) {
        Build(60, unique); // leaves 1, 2, 3 under root 4 (entries of 20 bytes)
        const auto table = ReadBytes(table_);
        for (const Case& c : cases) {
            if (unique && c.code == 212)
                continue;
            auto b = good_;
            if (c.words.empty())
                std::fill(b.begin() + 1024, b.begin() + 1536, 0);
            for (const auto& [at, value] : c.words)
                PutU32At(b, at, value);
            WriteBytes(Path("d.ndx"), b);
            for (int kind = 0; kind < 4; ++kind) {
                const std::string what = c.what + std::string(unique ? " UNIQUE" : "") + ", walk " + std::to_string(kind);
                ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
                ASSERT_TRUE(SetIndexToCB("d", 1, nullptr, nullptr)) << what << ": " << LastErrorText();
                EXPECT_EQ(WholeWalk(kind), c.code) << what;
                EXPECT_EQ(LastErrorText().find("REINDEX") != std::string::npos, c.code == 212) << LastErrorText();
                ExpectChangesRefused(60, "k100059a", c.code, what);
                USE("");
                EXPECT_EQ(ReadBytes(Path("d.ndx")), b) << what;
                EXPECT_EQ(ReadBytes(table_), table) << what;
            }
        }
    }
}

// Two leaves swapped under the root: a Find of any of their keys meets a
// node whose keys lie outside what its parent leads to it for and gives
// 254, not "not found"; the index then takes no change, even one that
// reads only sound nodes. With the last two leaves swapped, a key change
// from the third leaf into the first inserts into sound nodes, and its
// removal then meets the leaf out of place: refused before anything is
// written. An append refused by such an index leaves a sound index beside
// it as it was, though it splits a leaf there first.
TEST_F(NdxDamageTest, LeavesOutOfPlaceAreFoundBeforeAnyWrite)
{
    Build(60); // leaves 1, 2, 3 under root 4 (two entries, then the last child)
    const std::size_t root = 4 * 512;
    const auto table = ReadBytes(table_);
    const std::vector<std::string> keys = Numbered(50);
    auto b = good_;
    PutU32At(b, root + 4, 2);
    PutU32At(b, root + 4 + 20, 1);
    WriteBytes(Path("d.ndx"), b);
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    ASSERT_TRUE(SetIndexToCB("d", 1, nullptr, nullptr)) << LastErrorText();
    for (const std::string& key : keys) {
        EXPECT_FALSE(Find(key)) << key;
        EXPECT_EQ(EngineErrorCode, 254) << key;
    }
    ExpectChangesRefused(60, "k100059a", 254, "after Find");
    USE("");
    EXPECT_EQ(ReadBytes(Path("d.ndx")), b);
    b = good_;
    PutU32At(b, root + 4 + 20, 3);
    PutU32At(b, root + 4 + 40, 2);
    WriteBytes(Path("d.ndx"), b);
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    ASSERT_TRUE(SetIndexToCB("d", 1, nullptr, nullptr)) << LastErrorText();
    Dbf4RawGo(60); // k100059, in the leaf the root leads to for k100025 to k100049
    ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
    Buffer().SetText(1, "k1000005");
    EXPECT_FALSE(REPLACE());
    EXPECT_EQ(EngineErrorCode, 254);
    USE("");
    EXPECT_EQ(ReadBytes(Path("d.ndx")), b);
    EXPECT_EQ(ReadBytes(table_), table);
    b = good_;
    PutU32At(b, root + 4, 2);
    PutU32At(b, root + 4 + 20, 1);
    WriteBytes(Path("d.ndx"), b);
    WriteBytes(Path("e.ndx"), good_);
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    ASSERT_TRUE(SetIndexToList("e d")) << LastErrorText();
    ClearRecord();
    Buffer().SetText(1, "k1000105"); // into the full first leaf
    EXPECT_FALSE(Append());
    EXPECT_EQ(EngineErrorCode, 254);
    USE("");
    EXPECT_EQ(ReadBytes(Path("e.ndx")), good_);
    EXPECT_EQ(ReadBytes(Path("d.ndx")), b);
    EXPECT_EQ(ReadBytes(table_), table);
}

// Unfolded keys in leaves the open does not read (not the first or the
// last) give 222 where they are met: Find's path, a walk, an append into
// such a leaf, and an append whose splits read such a leaf. The file is
// left byte for byte.
TEST_F(NdxDamageTest, UnfoldedKeysInMiddleLeavesGive222WhereverMet)
{
    // Leaves of 25 keys: "k000".."k024", "k025q".."k049q", "k050"...,
    // where another program's index holds "k025Q" ... (the 2nd and the
    // 13th leaf).
    std::vector<std::string> names;
    for (int i = 0; i < 650; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "k%03d%s", i, (i >= 25 && i < 50) || (i >= 300 && i < 325) ? "Q" : "");
        names.push_back(name);
    }
    auto build = [&](int records) {
        table_ = NameTable(std::vector<std::string>(names.begin(), names.begin() + records));
        ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
        ASSERT_TRUE(Index_On("NAME", "d"));
        USE("");
        good_ = ReadBytes(Path("d.ndx"));
    };
    // The keys of the leaf at page written as the text is.
    auto unfold = [&](std::vector<std::uint8_t>& b, std::uint32_t page) {
        for (unsigned i = 0; i < U16At(b, page * 512); ++i) {
            const std::size_t key = page * 512 + 4 + i * 20 + 8;
            const auto rec = U32At(b, key - 4);
            std::copy(names[rec - 1].begin(), names[rec - 1].end(), b.begin() + long(key));
        }
    };
    struct Case {
        const char* what;
        int records;
        std::function<void()> act;
    } cases[] = {{"Find", 60, [] { Find("k030q"); }},
                 {"walk", 60, [] { Walk(true); }},
                 {"leaf walk", 60, [] { std::vector<std::int32_t> r; RecordsInKeyOrder(r); }},
                 {"append", 60, [] { ClearRecord(); Buffer().SetText(1, "k0305"); Append(); }},
                 // 26 full leaves under a full root: a key into the first
                 // leaf splits the root, which reads its 13th leaf.
                 {"split", 650, [] { ClearRecord(); Buffer().SetText(1, "k0005"); Append(); }}};
    for (const Case& c : cases) {
        build(c.records);
        auto b = good_;
        const std::uint32_t rootPage = U32At(b, 0);
        unfold(b, c.records == 60 ? 2 : U32At(b, rootPage * 512 + 4 + 12 * 20));
        WriteBytes(Path("d.ndx"), b);
        ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
        ASSERT_TRUE(SetIndexToCB("d", 1, nullptr, nullptr)) << c.what << ": " << LastErrorText();
        c.act();
        EXPECT_EQ(EngineErrorCode, 222) << c.what;
        EXPECT_NE(LastErrorText().find("neu aufbauen"), std::string::npos) << LastErrorText();
        USE("");
        EXPECT_EQ(ReadBytes(Path("d.ndx")), b) << c.what;
    }
}

// Another program's index over mixed-case text holds the text as it is:
// refused with 222 and left as it is; folded keys of another program (its
// index over text without capitals) open as ours do.
TEST_F(NdxDamageTest, UnfoldedKeysAreRefusedAndLeftAlone)
{
    const std::vector<std::string> names = {AnsiToOem("M\xFCller"), "abc", "MUELLER", "Zed"};
    table_ = NameTable(names);
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NAME", "d"));
    USE("");
    good_ = ReadBytes(Path("d.ndx"));
    // The leaf of the four keys: abc, mueller (1), mueller (3), zed.
    const std::uint32_t order[] = {2, 1, 3, 4};
    for (std::size_t at : {std::size_t(1), std::size_t(3)}) {
        auto b = good_;
        std::string raw = names[order[at] - 1];
        raw.resize(10, ' ');
        std::copy(raw.begin(), raw.end(), b.begin() + 512 + 4 + long(at) * 20 + 8);
        WriteBytes(Path("d.ndx"), b);
        ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
        EXPECT_FALSE(SetIndexTo("d", 1)) << at;
        EXPECT_EQ(EngineErrorCode, 222) << at;
        EXPECT_NE(LastErrorText().find("neu aufbauen"), std::string::npos) << LastErrorText();
        USE("");
        EXPECT_EQ(ReadBytes(Path("d.ndx")), b) << at;
    }
    EXPECT_EQ(OpenWith(good_), 0);
}

// An entry that names a record beyond the table (a stale index after a
// PACK without it, a damaged page) or record 0 stops a walk in either
// direction, and the browser's list of rows, with 212, in a UNIQUE index
// too; a stale index opened and closed stays as it was. A Find that lands
// on such an entry, or on one whose record holds another key (record
// numbers swapped, a record changed without the index; a key lowered in
// the file is met just before where it lands, as is the key sought that a
// lowered separator leads the search past), gives 212 and leaves the
// area at EOF, not on the wrong record; so does a GO to a record whose
// entry the index lacks. After either the index takes no change (record
// 1's key stays in the first leaf): refused with 212, nothing written.
TEST_F(NdxDamageTest, EntriesNamingNoRecordGive212BothWays)
{
    const std::size_t first = 512 + 4 + 4; // record number of the first leaf's first entry
    struct Case {
        const char* what;
        std::vector<std::pair<std::size_t, std::uint32_t>> recs; // words at page * 512 + 8 + index * 20 (+ 8: key)
        int table;          // the table changed without the index: 1 PACK, 2 record 11's key
        const char* find;   // lands on the entry
        bool walks = true;  // found by a whole walk
        std::int32_t go = 0; // a record whose entry the index lacks
    } cases[] = {{"first leaf", {{first + 3 * 20, 61}}, 0, "k100003"},
                 {"middle of the tree", {{first + 512 + 10 * 20, 100000}}, 0, "k100035"},
                 {"last entry", {{first + 1024 + 9 * 20, 0}}, 0, "k100059"},
                 {"stale after PACK", {}, 1, "k100010"},
                 {"record numbers swapped", {{first + 3 * 20, 5}, {first + 4 * 20, 4}}, 0, "k100003", false, 4},
                 {"a record changed without it", {}, 2, "k100010", false, 11},
                 // record 11's key k100010 lowered to k10001/, still in
                 // order: the Find lands after it
                 {"a key lowered", {{first + 10 * 20 + 8, 0x202F3130}}, 0, "k100010", false, 11},
                 // the root's second separator k100049 lowered to k100048:
                 // the search goes past leaf 2's last key
                 {"a separator lowered", {{4 * 512 + 4 + 20 + 8 + 4, 0x20383430}}, 0, "k100049", false}};
    for (const bool unique : {false, true}) {
        for (const Case& c : cases) {
            Build(60, unique); // leaves of 25, 25 and 10 keys (20 bytes an entry)
            auto b = good_;
            for (const auto& [at, rec] : c.recs)
                PutU32At(b, at, rec);
            WriteBytes(Path("d.ndx"), b);
            for (int kind = c.walks ? 0 : 4; kind < (c.go && !unique ? 6 : 5); ++kind) {
                const std::string what = c.what + std::string(unique ? " UNIQUE" : "") + ", walk " + std::to_string(kind);
                ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
                if (c.table == 1 && kind == 0) {
                    for (int r : {5, 30, 59}) {
                        GO(r);
                        ASSERT_TRUE(DeleteRec());
                    }
                    Pack();
                    ASSERT_EQ(RecCount(), 57);
                } else if (c.table == 2) {
                    GO(11);
                    Buffer().SetText(1, "a");
                    ASSERT_TRUE(REPLACE());
                }
                const auto table = ReadBytes(table_);
                ASSERT_TRUE(SetIndexToCB("d", 1, nullptr, nullptr)) << what << ": " << LastErrorText();
                if (kind == 4) {
                    EXPECT_FALSE(Find(c.find)) << what;
                    EXPECT_TRUE(dEOF()) << what;
                    EXPECT_NE(LastErrorText().find("passt nicht zur Datei: neu aufbauen (REINDEX)"), std::string::npos)
                        << LastErrorText();
                }
                if (kind == 5)
                    GO(c.go);
                EXPECT_EQ(kind >= 4 ? EngineErrorCode : WholeWalk(kind), 212) << what;
                EXPECT_NE(LastErrorText().find(kind == 5 ? "nicht im Index" : "REINDEX"), std::string::npos)
                    << LastErrorText();
                ExpectChangesRefused(1, "k100000a", 212, what);
                USE("");
                EXPECT_EQ(ReadBytes(Path("d.ndx")), b) << what;
                EXPECT_EQ(ReadBytes(table_), table) << what;
            }
        }
    }
}

// A page count below the file's length is repaired in memory at once and
// in the file with the first change (opening writes nothing).
TEST_F(NdxDamageTest, TooFewPagesAreRepairedWithTheFirstChange)
{
    Build(60);
    auto b = good_;
    PutU32At(b, 4, 4); // one page short
    WriteBytes(Path("d.ndx"), b);
    for (const bool change : {false, true}) {
        ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
        ASSERT_TRUE(SetIndexToCB("d", 1, nullptr, nullptr)) << LastErrorText();
        EXPECT_EQ(Order().size(), 60u);
        ClearRecord();
        Buffer().SetText(1, "k1007");
        ASSERT_TRUE(!change || Append());
        USE("");
        EXPECT_EQ(U32At(ReadBytes(Path("d.ndx")), 4), change ? 5u : 4u);
    }
}

} // namespace
} // namespace kt4::dbase::test
