// Cross-checks with independent DBF programs: our tables read by dbfread
// and shapelib with the same structure, values and deleted flags; tables
// written by python3-dbf and shapelib read by our engine with the same
// values. A missing tool fails the test under ./test and CI and is skipped
// with a clear message under a plain ctest run (tests/dbase/packages.txt
// lists the packages).
#include "dbase_fixture.h"
#include "peer_tools.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

namespace kt4::dbase::test {
namespace {

const char* kDbfreadDump = R"(
import sys, dbfread
t = dbfread.DBF(sys.argv[1], load=True, ignore_missing_memofile=True, char_decode_errors='replace')
h = t.header
import os
size = os.path.getsize(sys.argv[1])
print('version %d count %d headerlen %d recordlen %d whole %d' % (h.dbversion, h.numrecords, h.headerlen, h.recordlen, (size - h.headerlen) // h.recordlen))
print(' '.join('%s:%s:%d:%d' % (f.name, f.type, f.length, f.decimal_count) for f in t.fields))
for deleted, recs in ((0, t.records), (1, t.deleted)):
    for r in recs:
        print(deleted, ' '.join('%s=%r' % (k, v) for k, v in r.items()))
)";

class XCheckTest : public EngineTest {
protected:
    // Three records, the second deleted, optional memo field.
    std::string OurTable(std::uint8_t version, bool memo)
    {
        EXPECT_TRUE(SetCreateVersion(version));
        std::vector<FieldDef> fields = {{"NAME", 'C', 10, 0}, {"PRICE", 'N', 8, 2},
                                        {"QTY", 'N', 5, 0},   {"OK", 'L', 1, 0},
                                        {"DAY", 'D', 8, 0}};
        if (memo)
            fields.push_back({"NOTE", 'M', 10, 0});
        const std::string name = "T" + std::to_string(version);
        EXPECT_TRUE(CreateDbf(Path(name), fields));
        EXPECT_TRUE(USE(Path(name) + " EXCLUSIVE"));
        const char* names[] = {"Meier", "Schmidt", "Zander"};
        for (int i = 0; i < 3; ++i) {
            ClearRecord();
            TypedBuffer b = Buffer();
            b.SetText(1, names[i]);
            b.SetNumber(2, 12.5 * (i + 1) - 30);
            b.SetInteger(3, i * 1000);
            b.SetLogical(4, i != 1);
            b.SetText(5, i == 2 ? "" : "1" + std::to_string(i) + ".05.24");
            EXPECT_TRUE(Append()) << LastErrorText();
        }
        GO(2);
        EXPECT_TRUE(DeleteRec());
        USE("");
        return Path(name + ".DBF");
    }
};

TEST_F(XCheckTest, DbfreadReadsOurTables)
{
    REQUIRE_PYTHON("dbfread", "python3-dbfread");
    for (std::uint8_t version : {0x83, 0x8B, 0xF5, 0x03}) {
        const bool memo = version != 0x03;
        std::string path = OurTable(version == 0x03 ? 0x8B : version, memo);
        ToolRun run = Python(kDbfreadDump, {path});
        ASSERT_EQ(run.status, 0) << run.out;
        std::string memoField = memo ? " NOTE:M:10:0" : "";
        std::string memoValue = memo ? " NOTE=None" : "";
        std::ostringstream want;
        want << "version " << int(version) << " count 3 headerlen " << (32 + 32 * (memo ? 6 : 5) + 1)
             << " recordlen " << (memo ? 43 : 33) << " whole 3\n"
             << "NAME:C:10:0 PRICE:N:8:2 QTY:N:5:0 OK:L:1:0 DAY:D:8:0" << memoField << "\n"
             << "0 NAME='Meier' PRICE=-17.5 QTY=0 OK=True DAY=datetime.date(2024, 5, 10)"
             << memoValue << "\n"
             << "0 NAME='Zander' PRICE=7.5 QTY=2000 OK=True DAY=None" << memoValue << "\n"
             << "1 NAME='Schmidt' PRICE=-5.0 QTY=1000 OK=False DAY=datetime.date(2024, 5, 11)"
             << memoValue << "\n";
        EXPECT_EQ(run.out, want.str()) << "version " << int(version);
    }
}

// N and F fields of every width and decimals count: a number the field
// cannot show (too wide, too large for any integer, NaN, infinite; set as a
// double or as an integer) is stored as asterisks and listed as an overflow;
// setting 0 over them stores 0.
TEST_F(XCheckTest, NumbersAFieldCannotShowAreAsterisksUntilSetAgain)
{
    const double inf = std::numeric_limits<double>::infinity();
    for (const char type : {'N', 'F'}) {
        std::vector<FieldDef> fields;
        for (int w = 1; w <= 20; ++w)
            for (int d = 0; d == 0 || (d <= 15 && d <= w - 2); ++d)
                fields.push_back({std::string(1, type) + std::to_string(w) + "_" + std::to_string(d), type, w, d});
        const std::string name = std::string("NUM") + type;
        ASSERT_TRUE(CreateDbf(Path(name), fields)) << LastErrorText();
        ASSERT_TRUE(USE(Path(name) + " EXCLUSIVE"));
        std::string want = "0 True\n"; // record 1 after setting 0
        const std::int64_t beyond32 = (std::int64_t(1) << 32) + 5;
        for (const double v : {0.0 /* ten to the width */, 3e9, -3e9, 9.3e18, 1e300, std::nan(""), inf, -inf,
                               double(beyond32) /* set as an integer */}) {
            ClearRecord();
            std::vector<int> stars;
            for (int n = 1; n <= int(fields.size()); ++n) {
                const FieldDef& f = fields[std::size_t(n - 1)];
                const double value = v != 0 ? v : std::pow(10.0, f.len);
                if (value == double(beyond32))
                    Buffer().SetInteger(n, beyond32);
                else
                    Buffer().SetNumber(n, value);
                if (!std::isfinite(value) || FloatToText(0, f.dec, value).size() > std::size_t(f.len))
                    stars.push_back(n);
            }
            ASSERT_TRUE(Append()) << LastErrorText();
            EXPECT_EQ(NumericOverflowFields(), stars) << v;
            for (int n : stars)
                ASSERT_EQ(FieldBytes(*Current(), n), std::string(std::size_t(FieldLen(n)), '*')) << Field(n) << " " << v;
            if (v != 0)
                want += std::to_string(stars.size()) + " False\n";
        }
        GO(1);
        for (int n = 1; n <= int(fields.size()); ++n)
            Buffer().SetNumber(n, 0);
        ASSERT_TRUE(REPLACE());
        USE("");
        if (!PythonHas("dbfread"))
            continue;
        ToolRun run = Python("import sys, dbfread\n"
                             "for r in dbfread.DBF(sys.argv[1]):\n"
                             "    print(sum(v is None for v in r.values()), all(v == 0 for v in r.values()))",
                             {Path(name + ".DBF")});
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out, want) << type;
    }
    REQUIRE_PYTHON("dbfread", "python3-dbfread"); // the engine's checks above run without it
}

// A number too wide for its field is held as asterisks (dbfread reads no
// value there): APPEND FROM keeps them asterisks in a numeric field of any
// width and slot, listed as an overflow, and their text in a character
// field; blanks arrive as 0.
TEST_F(XCheckTest, AsterisksAppendedFromATableStayAsterisks)
{
    const std::vector<FieldDef> source = {
        {"I", 'N', 4, 0}, {"W", 'N', 12, 0}, {"D", 'N', 8, 2}, {"F", 'F', 6, 1}, {"G", 'N', 20, 0}};
    ASSERT_TRUE(CreateDbf(Path("SRC"), source));
    auto t = ReadBytes(Path("SRC.DBF"));
    t.pop_back();
    for (const char fill : {' ', '*'}) {
        t.push_back(' ');
        t.insert(t.end(), 4 + 12 + 8 + 6 + 20, std::uint8_t(fill));
    }
    t.push_back(0x1a);
    PutU32(t.data() + 4, 2);
    WriteBytes(Path("SRC.DBF"), t);
    struct Case {
        const char* name;
        std::vector<FieldDef> fields;
        const char* read; // the appended records as dbfread reads them
    } cases[] = {
        {"SAME", source, "[0, 0, 0.0, 0.0, 0]\n[None, None, None, None, None]\n"},
        {"WIDE",
         {{"I", 'N', 7, 0}, {"W", 'N', 15, 0}, {"D", 'N', 11, 2}, {"F", 'F', 9, 1}, {"G", 'N', 20, 2}},
         "[0, 0, 0.0, 0.0, 0.0]\n[None, None, None, None, None]\n"},
        {"TEXT",
         {{"I", 'C', 6, 0}, {"W", 'C', 12, 0}, {"D", 'C', 8, 0}, {"F", 'C', 3, 0}, {"G", 'C', 20, 0}},
         "['0', '0', '0.00', '0.0', '0']\n"
         "['****', '************', '********', '***', '********************']\n"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(CreateDbf(Path(c.name), c.fields));
        ASSERT_TRUE(USE(Path(c.name) + " EXCLUSIVE"));
        EXPECT_EQ(AppendFrom(Path("SRC")), 2) << LastErrorText();
        const std::vector<int> stars = {1, 2, 3, 4, 5};
        EXPECT_EQ(NumericOverflowFields(), *c.name == 'T' ? std::vector<int>() : stars) << c.name;
        USE("");
        if (!PythonHas("dbfread"))
            continue;
        ToolRun run = Python("import sys, dbfread\n"
                             "for r in dbfread.DBF(sys.argv[1]):\n"
                             "    print([v.strip() if isinstance(v, str) else v for v in r.values()])",
                             {Path(std::string(c.name) + ".DBF")});
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out, c.read) << c.name;
    }
    REQUIRE_PYTHON("dbfread", "python3-dbfread"); // the engine's checks above run without it
}

// Records appended from delimited text, odd lines included, are records
// another reader takes as they are meant.
TEST_F(XCheckTest, DbfreadReadsADelimitedImport)
{
    REQUIRE_PYTHON("dbfread", "python3-dbfread");
    ASSERT_TRUE(CreateDbf(Path("IMP"), {{"NAME", 'C', 10, 0}, {"PRICE", 'N', 8, 2}, {"QTY", 'N', 5, 0},
                                        {"OK", 'L', 1, 0}, {"DAY", 'D', 8, 0}}));
    ASSERT_TRUE(USE(Path("IMP") + " EXCLUSIVE"));
    const std::string text = "\"say \"\"hi\"\"\",12.5,7,T,20240517\r\n"
                             "\r\n"
                             "  \"a,b\"  ,1E9,123456,y,17.05.24,extra\n"
                             "\"short\"\r"
                             "\"open quote,-0.004\r\n\x1a";
    std::ofstream(Path("imp.txt"), std::ios::binary) << text;
    ASSERT_EQ(AppendFromDelimited(Path("imp.txt")), 4);
    USE("");
    ToolRun run = Python(kDbfreadDump, {Path("IMP.DBF")});
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string records = run.out.substr(run.out.find("\n0 "));
    EXPECT_EQ(records, "\n0 NAME='say \"hi\"' PRICE=12.5 QTY=7 OK=True DAY=datetime.date(2024, 5, 17)\n"
                       "0 NAME='a,b' PRICE=None QTY=None OK=True DAY=datetime.date(2024, 5, 17)\n"
                       "0 NAME='short' PRICE=0.0 QTY=0 OK=False DAY=None\n"
                       "0 NAME='open quote' PRICE=0.0 QTY=0 OK=False DAY=None\n");
}

TEST_F(XCheckTest, ShapelibReadsOurTables)
{
    REQUIRE_TOOL("/usr/bin/dbfdump", "shapelib");
    std::string path = OurTable(0x8B, false);
    ToolRun run = RunProgram({"/usr/bin/dbfdump", "-m", "-r", path});
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("NAME: Meier"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("PRICE: -17.50"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("QTY: 2000"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("DAY: 20240511\n(DELETED)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("DAY: 20240511"), std::string::npos) << run.out;
}

// Their tables in code page 850 (marked 0x02) and in Windows ANSI 1252
// (marked 0x03) read the same text; APPEND FROM brings both into an OEM
// table of ours in code page 850.
TEST_F(XCheckTest, WeReadPython3DbfTables)
{
    REQUIRE_PYTHON("dbf", "python3-dbf");
    const char* script = R"(
import sys, dbf, datetime
kind = sys.argv[2]
t = dbf.Table(sys.argv[1], 'NAME C(10); PRICE N(8,2); QTY N(5,0); OK L; DAY D; NOTE M',
              dbf_type=kind, codepage=sys.argv[3])
t.open(dbf.READ_WRITE)
t.append(('M\u00e4dchen', 12.5, 7, True, datetime.date(2024, 5, 17), 'a memo'))
t.append(('Zwei', -1.25, 0, False, None, ''))
t.close()
)";
    ASSERT_TRUE(CreateDbf(Path("OEM"), {{"NAME", 'C', 10, 0}, {"QTY", 'N', 5, 0}}));
    for (const char* kind : {"db3", "fp"})
        for (const char* codepage : {"cp850", "cp1252"}) {
            const std::string path = Path(std::string("PY") + kind + codepage + ".dbf");
            const std::uint8_t mark = std::string(codepage) == "cp850" ? 0x02 : 0x03;
            ToolRun run = Python(script, {path, kind, codepage});
            ASSERT_EQ(run.status, 0) << run.out;
            auto before = ReadBytes(path);
            ASSERT_TRUE(USE(path + " EXCLUSIVE")) << LastErrorText();
            EXPECT_EQ(RecCount(), 2);
            EXPECT_EQ(Buffer().Text(1), "M\xE4" "dchen   ") << codepage; // the engine's text
            EXPECT_DOUBLE_EQ(Buffer().Number(2), 12.5);
            EXPECT_EQ(Buffer().Integer(3), 7);
            EXPECT_TRUE(Buffer().Logical(4));
            EXPECT_EQ(Buffer().Text(5), "17.05.24");
            EXPECT_GT(Buffer().MemoRef(6), 0);
            SKIP(1);
            EXPECT_EQ(Name(), "Zwei");
            EXPECT_DOUBLE_EQ(Buffer().Number(2), -1.25);
            EXPECT_FALSE(Buffer().Logical(4));
            EXPECT_EQ(Buffer().Text(5), "  .  .  ");
            // Appending keeps what the other program keeps in the header
            // (the code page at 29), and its page.
            ClearRecord();
            Buffer().SetText(1, "Dr\xF6i");
            ASSERT_TRUE(Append());
            USE("");
            auto after = ReadBytes(path);
            EXPECT_TRUE(std::equal(before.begin() + 16, before.begin() + 32, after.begin() + 16)) << kind;
            EXPECT_EQ(after[29], mark) << kind;
            EXPECT_EQ(GetU32(after.data() + 4), 3u);
            EXPECT_EQ(after[GetU16(after.data() + 8) + 2 * GetU16(after.data() + 10) + 3],
                      mark == 0x02 ? 0x94 : 0xF6);

            ASSERT_TRUE(USE(Path("OEM") + " EXCLUSIVE"));
            EXPECT_EQ(AppendFrom(path), 3) << LastErrorText();
            USE("");
        }
    // every "ä" and "ö" in code page 850
    const auto oem = ReadBytes(Path("OEM.DBF"));
    const std::string records(oem.begin() + GetU16(oem.data() + 8), oem.end());
    EXPECT_EQ(GetU32(oem.data() + 4), 12u);
    for (const char* text : {"M\x84" "dchen", "Dr\x94i"}) {
        std::size_t n = 0;
        for (auto at = records.find(text); at != std::string::npos; at = records.find(text, at + 1))
            ++n;
        EXPECT_EQ(n, 4u) << text;
    }
}

// Tables marked with another single-byte page read as python3-dbf reads
// them, and take our records in their page; a page we cannot convert is
// refused by name.
TEST_F(XCheckTest, MarkedCodePagesReadAsPython3DbfReadsThemOrAreRefused)
{
    REQUIRE_PYTHON("dbf", "python3-dbf");
    const char* script = R"(
import sys, dbf
if len(sys.argv) > 3:
    t = dbf.Table(sys.argv[1], 'NAME C(20)', dbf_type='db3', codepage=sys.argv[2])
    t.open(dbf.READ_WRITE)
    t.append((sys.argv[3],))
    t.close()
t = dbf.Table(sys.argv[1])
t.open(dbf.READ_ONLY)
sys.stdout.buffer.write('|'.join(r.name.rstrip() for r in t).encode('utf-8'))
)";
    struct Case {
        const char* codepage;
        const char* text;     // UTF-8
        const char* appended; // the engine's text, then as python3-dbf reads it
        const char* read;
        const char* lacked;   // engine text the page lacks
        std::uint8_t mark;
    } cases[] = {{"cp437", "¢ ¥ Ω µ Müller", "\xA5 und \xA2", "¥ und ¢", "\x80", 0x01},
                 {"cp1250", "Dvořák Łódź", "M\xFCller", "Müller", "\xF8", 0xC8},
                 {"cp932", "abc", "", "", "", 0x13}};
    for (const Case& c : cases) {
        const std::string path = Path(std::string("CP") + c.codepage + ".dbf");
        ToolRun run = Python(script, {path, c.codepage, c.text});
        ASSERT_EQ(run.status, 0) << run.out;
        ASSERT_EQ(run.out, c.text);
        if (!*c.appended) {
            EXPECT_FALSE(USE(path));
            EXPECT_EQ(EngineErrorCode, 1300);
            EXPECT_NE(LastErrorText().find("Codepage 932 wird nicht unterstützt"), std::string::npos);
            continue;
        }
        ASSERT_TRUE(USE(path + " EXCLUSIVE")) << LastErrorText();
        EXPECT_EQ(TableTextToUtf8(Current()->TextPage(), RTrimBlanks(Buffer().Text(1))), c.text);
        ClearRecord();
        Buffer().SetText(1, c.lacked);
        EXPECT_FALSE(Append());
        EXPECT_NE(LastErrorText().find("im Feld NAME"), std::string::npos) << LastErrorText();
        Buffer().SetText(1, c.appended);
        ASSERT_TRUE(Append()) << LastErrorText();
        USE("");
        EXPECT_EQ(ReadBytes(path)[29], c.mark);
        run = Python(script, {path});
        EXPECT_EQ(run.out, std::string(c.text) + "|" + c.read) << c.codepage;
    }
}

// Every character a marked page holds that 1252 holds too is taken by
// REPLACE, append, APPEND FROM a 1252 table and the delimited import, and
// read back as it is by us and by python3-dbf, whatever the page's base.
TEST_F(XCheckTest, EveryCharacterAPageSharesWith1252IsTakenAndReadBack)
{
    REQUIRE_PYTHON("dbf", "python3-dbf");
    const char* script = R"(
import sys, dbf
path = sys.argv[1]
if len(sys.argv) > 2:
    page = sys.argv[2]
    shared = ''
    for b in range(128, 256):
        try:
            c = bytes([b]).decode(page)
            c.encode('cp1252')
            shared += c
        except UnicodeError:
            pass
    shared += '.'
    for p, name in ((page, path), ('cp1252', path + 'W')):
        t = dbf.Table(name, 'NAME C(200)', dbf_type='db3', codepage=p)
        t.open(dbf.READ_WRITE)
        t.append((shared,))
        t.close()
    print(shared.encode('cp1252').hex())
else:
    t = dbf.Table(path)
    t.open(dbf.READ_ONLY)
    sys.stdout.buffer.write('\n'.join(r.name.rstrip() for r in t).encode('utf-8'))
)";
    for (const char* codepage : {"cp437", "cp852", "cp866", "cp1250", "cp1251"}) {
        const std::string path = Path(std::string("SH") + codepage);
        ToolRun run = Python(script, {path, codepage});
        ASSERT_EQ(run.status, 0) << run.out;
        std::string ansi; // the shared characters in the engine's text
        for (std::size_t i = 0; i + 1 < run.out.size() && run.out[i] != '\n'; i += 2)
            ansi += char(std::stoi(run.out.substr(i, 2), nullptr, 16));
        ASSERT_TRUE(USE(path + " EXCLUSIVE")) << LastErrorText();
        const std::string text = TableTextToUtf8(Current()->TextPage(), ansi);
        EXPECT_EQ(RTrimBlanks(Buffer().Text(1)), ansi) << codepage;
        ClearRecord();
        Buffer().SetText(1, ansi);
        EXPECT_TRUE(Append()) << LastErrorText();
        Buffer().SetText(1, "x");
        ASSERT_TRUE(Append());
        Buffer().SetText(1, ansi);
        EXPECT_TRUE(REPLACE()) << LastErrorText();
        EXPECT_EQ(AppendFrom(path + "W"), 1) << LastErrorText();
        std::ofstream(Path("sh.txt"), std::ios::binary) << "\"" << ansi << "\"\r\n";
        EXPECT_EQ(AppendFromDelimited(Path("sh.txt")), 1) << LastErrorText();
        USE("");
        run = Python(script, {path + ".dbf"});
        EXPECT_EQ(run.out, text + "\n" + text + "\n" + text + "\n" + text + "\n" + text) << codepage;
    }
}

TEST_F(XCheckTest, WeReadShapelibTables)
{
    REQUIRE_TOOL("/usr/bin/dbfcreate", "shapelib");
    const std::string base = Path("shp");
    ASSERT_EQ(RunProgram({"/usr/bin/dbfcreate", base, "-s", "NAME", "10", "-n", "PRICE", "8", "2"}).status, 0);
    ASSERT_EQ(RunProgram({"/usr/bin/dbfadd", base + ".dbf", "Meier", "12.5"}).status, 0);
    ASSERT_EQ(RunProgram({"/usr/bin/dbfadd", base + ".dbf", "Schmidt", "-3"}).status, 0);
    TableIsAnsi = true;
    ASSERT_TRUE(USE(base)) << LastErrorText();
    EXPECT_EQ(RecCount(), 2);
    EXPECT_EQ(Name(), "Meier");
    EXPECT_DOUBLE_EQ(Buffer().Number(2), 12.5);
    SKIP(1);
    EXPECT_EQ(Name(), "Schmidt");
    EXPECT_DOUBLE_EQ(Buffer().Number(2), -3);
}

// Tables of other writers filled up after their records with 0x1A or
// zeros, as older writers and block-wise copies leave them (with spare
// record bytes no field uses too): the padding is no record, an append goes
// after the records, and the writers' readers count it.
TEST_F(XCheckTest, PaddingAfterTheRecordsOfOtherWritersIsNoRecord)
{
    REQUIRE_PYTHON("dbf", "python3-dbf");
    REQUIRE_PYTHON("dbfread", "python3-dbfread");
    REQUIRE_TOOL("/usr/bin/dbfcreate", "shapelib");
    const char* write = R"(
import sys, struct, dbf
path, fill, spare = sys.argv[1], bytes([int(sys.argv[2])]), int(sys.argv[3])
if sys.argv[4] == 'dbf':
    t = dbf.Table(path, 'NAME C(10); QTY N(5,0)', dbf_type='db3')
    t.open(dbf.READ_WRITE)
    for n, q in (('Meier', 1), ('Schmidt', 2), ('Zander', 3)):
        t.append((n, q))
    t.close()
d = bytearray(open(path, 'rb').read())
count, hlen, rlen = struct.unpack('<IHH', d[4:12])
d = d[:hlen] + b''.join(d[hlen + i * rlen:hlen + (i + 1) * rlen] + b'~' * spare for i in range(count))
struct.pack_into('<H', d, 10, rlen + spare)
open(path, 'wb').write(d + fill * (256 - len(d)))
)";
    const char* read = R"(
import sys, dbf, dbfread
t = dbf.Table(sys.argv[1])
t.open()
print(len(t), ' '.join(r.name.strip() for r in t), len(dbfread.DBF(sys.argv[1])))
)";
    struct Case {
        const char* writer;
        int fill;
        int spare;
    } cases[] = {{"dbf", 0x1A, 0}, {"dbf", 0x00, 0}, {"shapelib", 0x1A, 0}, {"shapelib", 0x00, 0},
                 {"shapelib", 0x1A, 3}, {"shapelib", 0x00, 3}};
    for (const Case& c : cases)
        for (const char* how : {"", " EXCLUSIVE"}) {
            SCOPED_TRACE(std::string(c.writer) + " " + std::to_string(c.fill) + " " +
                         std::to_string(c.spare) + how);
            const std::string base = Path("padded");
            std::filesystem::remove(base + ".dbf");
            if (std::string(c.writer) == "shapelib") {
                ASSERT_EQ(RunProgram({"/usr/bin/dbfcreate", base, "-s", "NAME", "10", "-n", "QTY", "5", "0"}).status, 0);
                for (const std::string row : {"Meier 1", "Schmidt 2", "Zander 3"})
                    RunProgram({"/usr/bin/dbfadd", base + ".dbf", row.substr(0, row.size() - 2), row.substr(row.size() - 1)});
            }
            const std::string fill = std::to_string(c.fill), spare = std::to_string(c.spare);
            ASSERT_EQ(Python(write, {base + ".dbf", fill, spare, c.writer}).status, 0);
            ASSERT_TRUE(USE(base + how)) << LastErrorText();
            EXPECT_EQ(RecCount(), 3);
            GoBottom();
            EXPECT_EQ(Name(), "Zander");
            ASSERT_TRUE(ALock());
            ClearRecord();
            Buffer().SetText(1, "Neu");
            ASSERT_TRUE(Append()) << LastErrorText();
            USE("");
            const std::string dump = RunProgram({"/usr/bin/dbfdump", base + ".dbf"}).out;
            EXPECT_EQ(dump.substr(std::min(dump.size(), dump.find("Zander"))),
                      "Zander         3 \nNeu            0 \n");
            if (c.spare == 0) { // dbfread and python3-dbf read no spare record bytes
                EXPECT_EQ(Python(read, {base + ".dbf"}).out, "4 Meier Schmidt Zander Neu 4\n");
            }
        }
}

TEST_F(XCheckTest, PgdbfReadsOurValues)
{
    REQUIRE_TOOL("/usr/bin/pgdbf", "pgdbf");
    std::string path = OurTable(0x8B, false);
    ToolRun run = RunProgram({"/usr/bin/pgdbf", path});
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("Meier\t-17.50\t0\tt\t2024-05-10"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Schmidt"), std::string::npos) << "deleted records are skipped";
}

} // namespace
} // namespace kt4::dbase::test
