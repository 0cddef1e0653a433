// Table file layout: golden bytes of new tables and memo files, and the
// header checks that refuse malformed files.
#include "dbase_fixture.h"

#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace kt4::dbase::test {
namespace {

class FormatTest : public EngineTest {
protected:
    std::vector<FieldDef> PartsFields()
    {
        return {{"NAME", 'C', 10, 0}, {"PRICE", 'N', 8, 2}, {"OK", 'L', 1, 0},
                {"DAY", 'D', 8, 0},   {"NOTE", 'M', 10, 0}};
    }
    // Opens path and returns the engine error code (0 = opened).
    int OpenCode(const std::string& path)
    {
        USE(path);
        return EngineErrorCode;
    }
};

TEST_F(FormatTest, GoldenDbaseIVTableWithMemo)
{
    ASSERT_TRUE(CreateDbf(Path("PARTS"), PartsFields()));
    auto dbf = ReadBytes(Path("PARTS.DBF"));
    ASSERT_EQ(dbf.size(), 194u);
    const std::vector<std::uint8_t> prolog = {0x8b, 0x7c, 0x05, 0x11, 0, 0, 0, 0, 0xc1, 0, 0x26, 0};
    EXPECT_TRUE(std::equal(prolog.begin(), prolog.end(), dbf.begin()));
    for (int i = 12; i < 32; ++i)
        EXPECT_EQ(dbf[i], 0) << i;
    const std::vector<std::uint8_t> name = {'N', 'A', 'M', 'E', 0, 0, 0, 0, 0, 0, 0, 'C', 0, 0, 0, 0, 10, 0};
    EXPECT_TRUE(std::equal(name.begin(), name.end(), dbf.begin() + 32));
    struct D { int at; char type; int len, dec; } descs[] = {
        {64, 'N', 8, 2}, {96, 'L', 1, 0}, {128, 'D', 8, 0}, {160, 'M', 10, 0}};
    for (auto d : descs) {
        EXPECT_EQ(dbf[d.at + 11], d.type);
        EXPECT_EQ(dbf[d.at + 16], d.len);
        EXPECT_EQ(dbf[d.at + 17], d.dec);
    }
    EXPECT_EQ(dbf[0xc0], 0x0d);
    EXPECT_EQ(dbf[0xc1], 0x1a);
    const std::vector<std::uint8_t> dbt = {1, 0, 0, 0, 0, 0, 0, 0, 'P', 'A', 'R', 'T',
                                           'S', 0, 0, 0, 0, 0, 2, 1, 0, 2, 0, 0};
    EXPECT_EQ(ReadBytes(Path("PARTS.DBT")), dbt);
}

TEST_F(FormatTest, GoldenFoxProAndDbaseIIIMemoFiles)
{
    ASSERT_TRUE(SetCreateVersion(0xF5));
    ASSERT_TRUE(SetMemoBlockSize(64));
    ASSERT_TRUE(CreateDbf(Path("FOX"), PartsFields()));
    auto fpt = ReadBytes(Path("FOX.FPT"));
    ASSERT_EQ(fpt.size(), 512u);
    const std::vector<std::uint8_t> head = {0, 0, 0, 8, 0, 0, 0, 0x40};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), fpt.begin()));
    EXPECT_TRUE(std::all_of(fpt.begin() + 8, fpt.end(), [](auto b) { return b == 0; }));
    EXPECT_EQ(ReadBytes(Path("FOX.DBF"))[0], 0xF5);

    ASSERT_TRUE(SetCreateVersion(0x83));
    ASSERT_TRUE(CreateDbf(Path("D3"), {{"A", 'F', 6, 2}, {"M", 'M', 0, 0}}));
    auto dbt = ReadBytes(Path("D3.DBT"));
    ASSERT_EQ(dbt.size(), 513u);
    EXPECT_EQ(dbt[0], 1);
    EXPECT_EQ(dbt[512], 0x1a);
    auto d3 = ReadBytes(Path("D3.DBF"));
    EXPECT_EQ(d3[0], 0x83);
    EXPECT_EQ(d3[32 + 11], 'N'); // F is stored as N in dBase III tables
}

TEST_F(FormatTest, GoldenLevel7)
{
    ASSERT_TRUE(SetCreateVersion(0x8C));
    ASSERT_TRUE(CreateDbf(Path("L7"), PartsFields()));
    auto dbf = ReadBytes(Path("L7.DBF"));
    ASSERT_EQ(dbf.size(), 310u);
    EXPECT_EQ(dbf[0], 0x8C);
    EXPECT_EQ(dbf[8] | dbf[9] << 8, 309);
    EXPECT_EQ(std::string(dbf.begin() + 32, dbf.begin() + 40), "DBWINWE0");
    EXPECT_EQ(std::string(dbf.begin() + 68, dbf.begin() + 72), "NAME");
    EXPECT_EQ(dbf[68 + 32], 'C');
    EXPECT_EQ(dbf[68 + 33], 10);
    EXPECT_EQ(dbf[68 + 48 + 34], 2);
    EXPECT_EQ(dbf[308], 0x0d);
    EXPECT_EQ(dbf[309], 0x1a);
    ASSERT_TRUE(CreateDbf(Path("L7B"), {{"A", 'C', 3, 0}}));
    EXPECT_EQ(ReadBytes(Path("L7B.DBF"))[0], 0x04);
    USE(Path("L7"));
    ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
    EXPECT_EQ(FieldCount(), 5);
    EXPECT_EQ(Field(5), "NOTE");
}

TEST_F(FormatTest, VersionByteFollowsMemoFields)
{
    ASSERT_TRUE(CreateDbf(Path("PLAIN"), {{"A", 'C', 3, 0}, {"D", 'D', 0, 0}}));
    EXPECT_EQ(ReadBytes(Path("PLAIN.DBF"))[0], 0x03);
    EXPECT_FALSE(std::filesystem::exists(Path("PLAIN.DBT")));
    auto bytes = ReadBytes(Path("PLAIN.DBF"));
    EXPECT_EQ(bytes.size(), 32u + 64 + 1 + 1);
    EXPECT_EQ(bytes[64 + 16], 8); // D asked with length 0 gets 8
    ASSERT_TRUE(CreateDbf(Path("BLOB"), {{"A", 'C', 3, 0}, {"P", 'b', 4, 0}}));
    EXPECT_EQ(ReadBytes(Path("BLOB.DBF"))[0], 0x8B);
    EXPECT_EQ(ReadBytes(Path("BLOB.DBT")).size(), 24u);
}

TEST_F(FormatTest, CreateRefusesInvalidDefinitions)
{
    const std::vector<std::vector<FieldDef>> bad = {
        {},                                         // no field
        {{"A", 'C', 0, 0}},                         // C of length 0
        {{"", 'C', 3, 0}},                          // empty name
        {{"A", 'X', 3, 0}},                         // unknown type
        {{"NAME", 'C', 3, 0}, {"name ", 'N', 4, 0}}, // duplicate after trim and upper case
        {{"P", 'N', 5, 4}},                         // decimals leave no room for the point
        {{"B", 'B', 10, 0}},                        // B only with dBase IV style memo
    };
    ASSERT_TRUE(SetCreateVersion(0x83));
    for (const auto& fields : bad) {
        EXPECT_FALSE(CreateDbf(Path("BAD"), fields));
        EXPECT_EQ(EngineErrorCode, 211);
        EXPECT_EQ(LastErrorText(), "Felddefinition ungültig [CreateDBF]");
        EXPECT_FALSE(std::filesystem::exists(Path("BAD.DBF")));
    }
    std::vector<FieldDef> many(256, FieldDef{"F", 'C', 1, 0});
    for (int i = 0; i < 256; ++i)
        many[std::size_t(i)].name = "F" + std::to_string(i);
    EXPECT_FALSE(CreateDbf(Path("BAD"), many));
    many.pop_back();
    EXPECT_TRUE(CreateDbf(Path("MANY"), many));
}

TEST_F(FormatTest, FailedCreateKeepsTheOldTable)
{
    std::string old = MakeParts("KEEP");
    USE(old);
    AddRows(3);
    USE("");
    auto before = ReadBytes(old);
    EXPECT_FALSE(CreateDbf(Path("KEEP"), {{"X", 'C', 0, 0}}));
    EXPECT_EQ(ReadBytes(old), before);
    // No stray temporaries are left beside it.
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir_))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST_F(FormatTest, SettersRefuseBadVersionsAndBlockSizes)
{
    EXPECT_FALSE(SetCreateVersion(0x03));
    EXPECT_EQ(EngineErrorCode, 220);
    EXPECT_FALSE(SetCreateVersion(0x30));
    EXPECT_EQ(CreateVersion(), 0x8B);
    EXPECT_FALSE(SetMemoBlockSize(0));
    EXPECT_FALSE(SetMemoBlockSize(65536));
    EXPECT_EQ(MemoBlockSize(), 512u);
}

// A valid one-field table to damage: header 65, record length 6 (plus
// spare bytes that no field uses).
std::vector<std::uint8_t> SmallTable(int records, int spare = 0)
{
    std::vector<std::uint8_t> t(65, 0);
    t[0] = 0x03;
    t[1] = 124;
    t[2] = 5;
    t[3] = 17;
    PutU32(t.data() + 4, std::uint32_t(records));
    PutU16(t.data() + 8, 65);
    PutU16(t.data() + 10, std::uint32_t(6 + spare));
    std::copy_n("NAME", 4, t.begin() + 32);
    t[32 + 11] = 'C';
    t[32 + 16] = 5;
    t[64] = 0x0d;
    for (int i = 0; i < records; ++i) {
        const char* rec = " ABCDE";
        t.insert(t.end(), rec, rec + 6);
        t.insert(t.end(), std::size_t(spare), 'p');
    }
    t.push_back(0x1a);
    return t;
}

TEST_F(FormatTest, MalformedHeadersAreRefused)
{
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        int code;
    } cases[] = {
        {"version 0x30", [](auto& t) { t[0] = 0x30; }, 210},
        {"record length 0", [](auto& t) { PutU16(t.data() + 10, 0); }, 210},
        {"record length below the fields", [](auto& t) { PutU16(t.data() + 10, 5); }, 210},
        {"header longer than the file", [](auto& t) { PutU16(t.data() + 8, 4000); }, 210},
        {"header too short for one field", [](auto& t) { PutU16(t.data() + 8, 40); }, 210},
        {"count of 2^31", [](auto& t) { PutU32(t.data() + 4, 0x80000000u); }, 210},
        {"0x0D in the first descriptor", [](auto& t) { t[32] = 0x0d; }, 222},
        {"unknown field type", [](auto& t) { t[32 + 11] = 'X'; }, 211},
        {"short prolog", [](auto& t) { t.resize(20); }, 210},
        {"header length at its end mark", [](auto& t) { PutU16(t.data() + 8, 64); }, 210},
        {"header length inside the field list",
         [](auto& t) { t.insert(t.begin() + 64, t.begin() + 32, t.begin() + 64); }, 210},
        {"record length above the fields, file too short", [](auto& t) { PutU16(t.data() + 10, 7); }, 210},
        {"record length above the fields, records not whole",
         [](auto& t) { PutU16(t.data() + 10, 7), PutU32(t.data() + 4, 1); }, 210},
        {"file ends two records before the count", [](auto& t) { PutU32(t.data() + 4, 4); }, 210},
        // the record keeps room: the fields after it would read shifted
        {"field of length 0", [](auto& t) { t[32 + 16] = 0; }, 210},
        {"date field of length 5", [](auto& t) { t[32 + 11] = 'D'; }, 210},
        {"numeric field with as many decimals as digits", [](auto& t) { t[32 + 11] = 'N', t[32 + 17] = 5; }, 210},
        {"header length past the end mark into the records", [](auto& t) { PutU16(t.data() + 8, 66); }, 210},
    };
    for (const auto& c : cases) {
        for (const char* how : {"", " EXCLUSIVE"}) {
            auto t = SmallTable(2);
            c.damage(t);
            WriteBytes(Path("BAD.DBF"), t);
            EXPECT_EQ(OpenCode(Path("BAD.DBF") + how), c.code) << c.what << how;
            EXPECT_EQ(Current(), nullptr) << c.what;
            if (c.code == 210) {
                EXPECT_NE(LastErrorText().find("BAD.DBF"), std::string::npos) << LastErrorText();
            }
            EXPECT_EQ(ReadBytes(Path("BAD.DBF")), t) << c.what << how;
        }
    }
    auto t = SmallTable(2);
    t[0] = 0x30;
    WriteBytes(Path("BAD.DBF"), t);
    OpenCode(Path("BAD.DBF"));
    EXPECT_NE(LastErrorText().find("(Versions-Byte ungültig)+ [USE/OpenDBF]"), std::string::npos);
}

TEST_F(FormatTest, LargerRecordLengthKeepsItsPadBytes)
{
    auto t = SmallTable(0);
    PutU16(t.data() + 10, 8);
    t.pop_back();
    const char* rec = " ABCDEpq";
    t.insert(t.end(), rec, rec + 8);
    PutU32(t.data() + 4, 1);
    WriteBytes(Path("PAD.DBF"), t);
    USE(Path("PAD.DBF") + " EXCLUSIVE");
    ASSERT_EQ(EngineErrorCode, 0);
    Buffer().SetText(1, "XYZ");
    ASSERT_TRUE(REPLACE());
    USE("");
    auto after = ReadBytes(Path("PAD.DBF"));
    EXPECT_EQ(std::string(after.begin() + 65, after.begin() + 73), " XYZ  pq");
}

// The count is the header's, and the whole records after them where the
// file holds more (appends the count missed: each begins with a blank or
// "*"), or one fewer where it lacks the last (an append not finished: said
// so); the recount switch takes whole records for any count. Padding after
// the records (0x1A or zeros, as block-wise copies leave it) is no record,
// whatever the record length. An append goes after the records, over the
// padding, and another area counts it.
TEST_F(FormatTest, RecordCountFollowsTheFile)
{
    struct Case {
        const char* what;
        std::uint32_t header; // the file holds 2 whole records
        std::size_t partial;  // bytes of one more after them
        bool recount;
        bool told;
        int spare = 0;        // record bytes no field uses
        std::uint8_t fill = 0x1A;
        std::size_t pad = 0;  // bytes of padding after the end mark
        std::uint8_t past = ' '; // the first byte of the records the header does not count
        std::int32_t count = 2;  // the records the table opens with
    } cases[] = {
        {"header counts fewer", 1, 0, false, false},
        {"deleted record past the count", 1, 0, false, false, 0, 0x1A, 0, '*'},
        {"past the count neither a record nor padding", 1, 0, false, false, 0, 0x1A, 0, 'x', 1},
        {"past the count neither, recount", 1, 0, true, false, 0, 0x1A, 0, 'x'},
        {"last record missing", 3, 0, false, true},
        {"last record partial", 3, 3, false, true},
        {"recount takes the whole records", 5, 3, true, true},
        {"padded with end marks", 2, 0, false, false, 0, 0x1A, 40},
        {"padded with zeros", 2, 0, false, false, 0, 0x00, 40},
        {"padded, a record past the count", 1, 0, false, false, 0, 0x00, 40},
        {"padded, recount", 2, 0, true, false, 0, 0x1A, 40},
        {"larger records padded", 2, 0, false, false, 3, 0x1A, 40},
        {"larger records padded with zeros", 2, 0, false, false, 3, 0x00, 11},
        {"larger records, a record past the count", 1, 0, false, false, 3, 0x00, 11},
    };
    for (const Case& c : cases) {
        for (const char* how : {"", " EXCLUSIVE"}) {
            SCOPED_TRACE(std::string(c.what) + how);
            const std::size_t recLen = 6 + std::size_t(c.spare);
            auto t = SmallTable(2, c.spare);
            PutU32(t.data() + 4, c.header);
            if (c.header < 2)
                t[65 + c.header * recLen] = c.past;
            t.insert(t.end() - 1, c.partial, 'x');
            t.back() = c.fill;
            t.insert(t.end(), c.pad, c.fill);
            WriteBytes(Path("CNT.DBF"), t);
            AutoFixRecCount = c.recount;
            ResetErrorState();
            ASSERT_TRUE(USE(Path("CNT.DBF") + how)) << LastErrorText();
            EXPECT_EQ(RecCount(), c.count);
            EXPECT_EQ(LastErrorText().rfind(Path("CNT.DBF") + ": ", 0) == 0, c.told) << LastErrorText();
            USE("");
            EXPECT_EQ(ReadBytes(Path("CNT.DBF")), t); // nothing written without a change

            ASSERT_TRUE(USE(Path("CNT.DBF") + how));
            AutoFixRecCount = false;
            ASSERT_TRUE(ALock());
            ClearRecord();
            Buffer().SetText(1, "NEW");
            ASSERT_TRUE(Append());
            if (*how == '\0') {
                Select(2);
                ASSERT_TRUE(USE(Path("CNT.DBF") + " ALIAS OTHER"));
                EXPECT_EQ(RecCount(), c.count + 1);
                GoBottom();
                EXPECT_EQ(Name(), "NEW");
                USE("");
                Select(1);
            }
            USE("");
            auto want = t;
            const std::size_t at = 65 + std::size_t(c.count) * recLen;
            want.resize(std::max(want.size(), at + recLen + 1));
            const std::string record = " NEW  " + std::string(std::size_t(c.spare), ' ');
            std::copy(record.begin(), record.end(), want.begin() + std::ptrdiff_t(at));
            want[at + recLen] = 0x1A;
            PutU32(want.data() + 4, std::uint32_t(c.count + 1));
            EXPECT_EQ(ReadBytes(Path("CNT.DBF")), want);
        }
    }
    // A shared open while another program appends two records, their count
    // written first: the size is read again before it counts, for a tenth
    // of a second. A try whose records came later proves nothing and is
    // made again.
    using Clock = std::chrono::steady_clock;
    bool proven = false;
    for (int attempt = 0; attempt < 20 && !proven; ++attempt) {
        auto t = SmallTable(2);
        PutU32(t.data() + 4, 4);
        WriteBytes(Path("CNT.DBF"), t);
        Clock::time_point written;
        std::thread appender([&, path = Path("CNT.DBF")] {
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
            const int fd = ::open(path.c_str(), O_WRONLY);
            const char records[] = " THREE FOUR \x1a";
            EXPECT_EQ(::pwrite(fd, records, 13, 65 + 12), 13);
            ::close(fd);
            written = Clock::now();
        });
        const auto start = Clock::now();
        const bool opened = USE(Path("CNT.DBF"));
        appender.join();
        proven = written - start < std::chrono::milliseconds(100);
        if (proven) {
            EXPECT_TRUE(opened) << LastErrorText();
            EXPECT_EQ(RecCount(), 4);
        }
        USE("");
    }
    if (!proven)
        std::printf("[ NOTE ] no append came within a tenth of a second of the open\n");
}

TEST_F(FormatTest, DescriptorListEndsAtTheTerminator)
{
    // Header padded far beyond its one descriptor: counted up to 0x0D.
    auto t = SmallTable(1);
    std::vector<std::uint8_t> padded(t.begin(), t.begin() + 65);
    padded.resize(32 + 300 * 32, 0);
    PutU16(padded.data() + 8, std::uint32_t(padded.size()));
    padded.insert(padded.end(), t.begin() + 65, t.end());
    WriteBytes(Path("PADH.DBF"), padded);
    USE(Path("PADH.DBF"));
    ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
    EXPECT_EQ(FieldCount(), 1);
    EXPECT_EQ(Name(), "ABCDE");
    // No room for the 0x0D: header 32 + 32, the one field is used.
    auto n = SmallTable(1);
    n.erase(n.begin() + 64);
    PutU16(n.data() + 8, 64);
    WriteBytes(Path("NOTERM.DBF"), n);
    USE(Path("NOTERM.DBF"));
    ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
    EXPECT_EQ(Name(), "ABCDE");
}

std::vector<std::uint8_t> Dbase2Table(int fields, int records)
{
    std::vector<std::uint8_t> t(521, 0);
    t[0] = 0x02;
    PutU16(t.data() + 1, std::uint32_t(records));
    t[3] = 5;
    t[4] = 17;
    t[5] = 124;
    PutU16(t.data() + 6, std::uint32_t(1 + fields));
    for (int i = 0; i < fields; ++i) {
        std::uint8_t* d = t.data() + 8 + i * 16;
        std::string name = "F" + std::to_string(i);
        std::copy(name.begin(), name.end(), d);
        d[11] = 'C';
        d[12] = 1;
    }
    if (fields < 32)
        t[8 + fields * 16] = 0x0d;
    else
        t[520] = 0x0d;
    for (int r = 0; r < records; ++r) {
        t.push_back(' ');
        for (int i = 0; i < fields; ++i)
            t.push_back(std::uint8_t('a' + (r + i) % 26));
    }
    return t;
}

TEST_F(FormatTest, DbaseIIHeaders)
{
    auto padded = Dbase2Table(3, 2);
    padded.insert(padded.end(), 30, 0x1A); // padding is no record, in the shared count too
    WriteBytes(Path("D2.DBF"), padded);
    USE(Path("D2.DBF"));
    ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
    EXPECT_EQ(FieldCount(), 3);
    EXPECT_EQ(RecCount(), 2);
    EXPECT_EQ(Buffer().Text(2), "b");
    ASSERT_TRUE(ALock());
    ClearRecord();
    Buffer().SetText(1, "z");
    ASSERT_TRUE(Append());
    Select(2);
    ASSERT_TRUE(USE(Path("D2.DBF") + " ALIAS OTHER"));
    EXPECT_EQ(RecCount(), 3);
    USE("");
    Select(1);
    USE("");
    auto after = ReadBytes(Path("D2.DBF"));
    EXPECT_EQ(GetU16(after.data() + 1), 3u);
    EXPECT_EQ(after[3], 5);
    EXPECT_EQ(after[4], 17);
    EXPECT_EQ(after[5], 124);
    // 32 descriptors: the terminator at byte 520 is inside the header.
    WriteBytes(Path("D32.DBF"), Dbase2Table(32, 1));
    USE(Path("D32.DBF"));
    ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
    EXPECT_EQ(FieldCount(), 32);
    auto t = Dbase2Table(32, 1);
    t[520] = 0;
    WriteBytes(Path("D33.DBF"), t);
    EXPECT_EQ(OpenCode(Path("D33.DBF")), 210);
}

TEST_F(FormatTest, DbaseIICountStopsAt65535)
{
    auto t = Dbase2Table(1, 0);
    PutU16(t.data() + 1, 65535);
    for (int r = 0; r < 65535; ++r) {
        t.push_back(' ');
        t.push_back('x');
    }
    WriteBytes(Path("FULL.DBF"), t);
    USE(Path("FULL.DBF") + " EXCLUSIVE");
    ASSERT_EQ(EngineErrorCode, 0);
    EXPECT_FALSE(Append());
    EXPECT_EQ(EngineErrorCode, 212);
    EXPECT_EQ(RecCount(), 65535);
}

TEST_F(FormatTest, HeaderUpdateKeepsReservedBytes)
{
    std::string path = MakeParts("KEEP16");
    auto bytes = ReadBytes(path);
    for (int i = 16; i < 32; ++i)
        bytes[std::size_t(i)] = std::uint8_t(0xA0 + i);
    WriteBytes(path, bytes);
    USE(path);
    AddRows(1);
    USE("");
    auto after = ReadBytes(path);
    for (int i = 16; i < 32; ++i)
        EXPECT_EQ(after[std::size_t(i)], 0xA0 + i) << i;
    EXPECT_EQ(GetU32(after.data() + 4), 1u);
}

} // namespace
} // namespace kt4::dbase::test
