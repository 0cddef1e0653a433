// Cross-checks of memo files with independent readers and writers: our
// dBase III and FoxPro memos read by dbfread and pgdbf, our dBase IV memos
// by Perl's XBase, and python3-dbf's tables with memos read, copied and
// packed by us.
#include "memo_fixture.h"
#include "peer_tools.h"

namespace kt4::dbase::test {
namespace {

// The texts of the test memos (engine text, code page 1252).
const std::vector<std::string> kTexts = {
    "eins", "zwei Zeilen\r\nzweite Zeile", "", "Gr\xFC\xDF" "e aus K\xF6ln", std::string(1500, 'x') + "!"};

const char* kDbfreadMemos = R"(
import sys, dbfread
t = dbfread.DBF(sys.argv[1], encoding='cp850', char_decode_errors='strict')
for r in t:
    print(repr(r['NAME']), repr(r['NOTE']))
)";

const char* kXBaseMemos = R"(
use XBase;
my $t = new XBase $ARGV[0] or die XBase->errstr;
for my $i (0 .. $t->last_record) {
    my ($deleted, $name, $note) = $t->get_record($i, 'NAME', 'NOTE');
    $note = '' unless defined $note;
    print "$name|", length($note), "|", substr($note, 0, 12), "|", ($deleted ? 'D' : ''), "\n";
}
)";

class MemoXCheckTest : public MemoTest {
protected:
    // Our table with one record per text; its path.
    std::string OurMemos(const std::string& name, std::uint8_t version, std::uint32_t blockSize)
    {
        MemoTable(name, version, blockSize);
        for (std::size_t i = 0; i < kTexts.size(); ++i)
            AddRow("r" + std::to_string(i + 1), kTexts[i]);
        USE("");
        return Path(name + ".DBF");
    }
    // What dbfread prints for our texts.
    static std::string DbfreadExpected()
    {
        std::string out;
        for (std::size_t i = 0; i < kTexts.size(); ++i) {
            std::string t = kTexts[i];
            std::string py;
            for (char c : t) {
                if (c == '\r')
                    py += "\\r";
                else if (c == '\n')
                    py += "\\n";
                else if (c == '\xFC')
                    py += "\xC3\xBC";
                else if (c == '\xDF')
                    py += "\xC3\x9F";
                else if (c == '\xF6')
                    py += "\xC3\xB6";
                else
                    py += c;
            }
            out += "'r" + std::to_string(i + 1) + "' " + (t.empty() ? std::string("None") : "'" + py + "'") + "\n";
        }
        return out;
    }
};

TEST_F(MemoXCheckTest, DbfreadAndPgdbfReadOurMemos)
{
    REQUIRE_PYTHON("dbfread", "python3-dbfread");
    REQUIRE_TOOL("/usr/bin/pgdbf", "pgdbf");
    for (std::uint8_t version : {0x83, 0xF5}) {
        const std::string table = OurMemos("P" + std::to_string(version), version, version == 0xF5 ? 64 : 512);
        ToolRun run = Python(kDbfreadMemos, {table});
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out, DbfreadExpected()) << int(version);
        const std::string memo = Path("P" + std::to_string(version) + (version == 0xF5 ? ".FPT" : ".DBT"));
        run = RunProgram({"/usr/bin/pgdbf", "-s", "cp850", "-m", memo, table});
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_NE(run.out.find("r4\tGr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(std::string(1500, 'x') + "!"), std::string::npos);
        EXPECT_NE(run.out.find("r2\tzwei Zeilen\\r\\nzweite Zeile"), std::string::npos) << run.out;
    }
}

// APPEND FROM stops at the first record it cannot take as it is: a memo it
// cannot read, Windows text the target's page (850) lacks in a field or in a
// memo. The records before it are appended, that one is not.
TEST_F(MemoXCheckTest, AppendFromStopsAtARecordItCannotTakeAsItIs)
{
    REQUIRE_PYTHON("dbfread", "python3-dbfread");
    struct Case {
        const char* name;   // of record 2, Windows text
        const char* memo;
        std::int32_t block; // record 2's memo reference instead of its own (0: its own)
        std::uint16_t code;
        const char* told;
    } cases[] = {{"zwei", "gut", 99, 1003,
                  "Block 99: hinter dem Ende der Memo-Datei [CopyMemo()], Datensatz 2, Feld NOTE [AppendFrom("},
                 {"zwei", "gut", InvalidMemoRef, 1003,
                  "keine Blocknummer [CopyMemo()], Datensatz 2, Feld NOTE [AppendFrom("},
                 {"\x84Zi\x93 \x80 5 \x96", "gut", 0, 220,
                  "Zeichen nicht darstellbar: „ “ € – (Codepage 850), Datensatz 2, Feld NAME"},
                 {"zwei", "5 \x80", 0, 220, "Zeichen nicht darstellbar: € (Codepage 850) im Memo-Block"}};
    for (const Case& c : cases) {
        MemoTable("SRC", 0x83);
        USE("");
        auto bytes = ReadBytes(Path("SRC.DBF"));
        bytes[29] = 0x03; // Windows ANSI
        WriteBytes(Path("SRC.DBF"), bytes);
        ASSERT_TRUE(USE(Path("SRC") + " EXCLUSIVE"));
        AddRow("eins", "Gr\xFC\xDF" "e");
        AddRow(c.name, c.memo);
        if (c.block != 0) {
            Buffer().SetMemoRef(2, c.block);
            ASSERT_TRUE(REPLACE());
        }
        AddRow("drei", "x");
        USE("");
        MemoTable("DST", 0x83);
        EXPECT_EQ(AppendFrom(Path("SRC")), 1);
        EXPECT_EQ(EngineErrorCode, c.code);
        EXPECT_NE(LastErrorText().find(c.told), std::string::npos) << LastErrorText();
        EXPECT_NE(LastErrorText().find("(1 Datensätze angehängt)"), std::string::npos);
        USE("");
        ToolRun run = Python(kDbfreadMemos, {Path("DST.DBF")});
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out, "'eins' 'Grüße'\n") << c.told;
    }
}

// python3-dbf reads a dBase III memo up to two 0x1A in a row: every length
// around the block size comes back whole.
TEST_F(MemoXCheckTest, Python3DbfReadsOurDBase3MemosWhole)
{
    REQUIRE_PYTHON("dbf", "python3-dbf");
    MemoTable("D3", 0x83);
    const std::vector<std::size_t> lengths = {1, 509, 510, 511, 512, 1021, 1022, 1023, 1500};
    std::string expected;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        AddRow("r" + std::to_string(i), Text(lengths[i], unsigned(i)));
        expected += Text(lengths[i], unsigned(i)) + "\n";
    }
    USE("");
    ToolRun run = Python(R"(
import sys, dbf
t = dbf.Table(sys.argv[1], codepage='cp850')
t.open(dbf.READ_ONLY)
for r in t:
    print(r['note'])
)", {Path("D3.DBF")});
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, expected);
}

TEST_F(MemoXCheckTest, PerlXBaseReadsOurDBase4Memos)
{
    REQUIRE_TOOL("/usr/bin/perl", "perl");
    if (RunProgram({"/usr/bin/perl", "-MXBase", "-e", "1"}).status != 0) {
        if (kt4::test::PeersRequired())
            FAIL() << "Perl XBase is missing: install libdbd-xbase-perl";
        GTEST_SKIP() << "Perl XBase is missing: install libdbd-xbase-perl";
    }
    for (std::uint32_t bs : {512u, 1024u}) {
        const std::string table = OurMemos("X" + std::to_string(bs), 0x8B, bs);
        // A shorter and a longer rewrite as well.
        ASSERT_TRUE(USE(table + " EXCLUSIVE"));
        GO(1);
        TMemoLines lines;
        lines.lines = {"kurz"};
        lines.ends = {TMemoLineEnd::None};
        Buffer().SetMemoRef(2, EditMemo(Buffer().MemoRef(2), lines));
        ASSERT_TRUE(REPLACE());
        GO(2);
        lines.lines = {std::string(3000, 'y')};
        Buffer().SetMemoRef(2, EditMemo(Buffer().MemoRef(2), lines));
        ASSERT_TRUE(REPLACE());
        USE("");
        ToolRun run = RunProgram({"/usr/bin/perl", "-e", kXBaseMemos, table});
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out, "r1|4|kurz|\n"
                           "r2|3000|yyyyyyyyyyyy|\n"
                           "r3|0||\n"
                           "r4|14|Gr\x81\xE1" "e aus K\x94|\n"
                           "r5|1501|xxxxxxxxxxxx|\n")
            << "block size " << bs;
    }
}

// Records that point past the end of their memo file (an older file beside
// the table, a fresh one, or one cut inside its last memo with a next free
// block at or below the cut): a memo write is refused until they are
// blanked (a dBase III memo cut inside reads up to the cut and gets its end
// marks there first), so that no record but the edited one reads its text,
// here nor in dbfread or python3-dbf.
TEST_F(MemoXCheckTest, NewMemosStayClearOfBlocksTheRecordsPointPast)
{
    // the engine's own checks run without the readers; they are required
    // at the end
    const bool peers = PythonHas("dbfread") && PythonHas("dbf");
    // Each record's text begins with its name; prints each record's name and
    // what it reads: own, blank, other or err.
    const char* classify = R"(
import sys, dbfread, dbf
def kind(name, v):
    if isinstance(v, bytes):
        v = v.decode('cp850')
    v = v or ''
    if v.strip('\0 ') == '':
        return 'blank'
    return 'own' if v.startswith(name.strip() + ':') and ('NEU' in v) == (name.strip() == 'r1') else 'other'
if sys.argv[2] == 'dbfread':
    for r in dbfread.DBF(sys.argv[1], encoding='cp850'):
        print(r['NAME'], kind(r['NAME'], r['NOTE']))
else:
    t = dbf.Table(sys.argv[1], codepage='cp850')
    t.open(dbf.READ_ONLY)
    for r in t:
        try:
            print(r['name'].strip(), kind(r['name'], r['note']))
        except Exception:
            print(r['name'].strip(), 'err')
)";
    for (std::uint8_t version : {0x83, 0x8B, 0xF5}) {
        for (const std::string state : {"older", "fresh", "cut"}) {
            SCOPED_TRACE(std::to_string(version) + " " + state);
            const std::string name = "G" + std::to_string(version) + state.substr(0, 1);
            const std::string memo = Path(name + (version == 0xF5 ? ".FPT" : ".DBT"));
            MemoTable(name, version);
            std::vector<std::int32_t> blocks;
            std::vector<std::uint8_t> old;
            for (int r = 1; r <= 6; ++r) {
                if ((r == 4 && state == "older") || (r == 1 && state == "fresh"))
                    old = ReadBytes(memo);
                blocks.push_back(AddRow("r" + std::to_string(r), "r" + std::to_string(r) + ":" + Text(r == 6 ? 3000 : 300, unsigned(r))));
            }
            USE("");
            if (state == "cut") { // two blocks into the last memo, the header's next free block there
                old = ReadBytes(memo);
                old.resize(std::size_t(blocks[5] + 2) * 512);
                const std::uint32_t next = std::uint32_t(blocks[5] + 2);
                if (version == 0xF5)
                    old[0] = 0, old[1] = 0, old[2] = 0, old[3] = std::uint8_t(next);
                else
                    PutU32(old.data(), next);
            }
            WriteBytes(memo, old);
            ASSERT_TRUE(USE(Path(name) + " EXCLUSIVE"));
            std::string text;
            if (state != "cut") {
                EXPECT_FALSE(GetMemoText(blocks[3], text));
                EXPECT_EQ(EngineErrorCode, 1003);
            }
            GO(1);
            TMemoLines lines;
            lines.lines = {"r1:NEU " + Text(2000, 11)};
            lines.ends = {TMemoLineEnd::None};
            if (state != "cut" || version != 0x83) {
                // refused, nothing written, until those records are blanked
                const auto before = ReadBytes(memo);
                EXPECT_EQ(EditMemo(Buffer().MemoRef(2), lines), 0);
                EXPECT_EQ(EngineErrorCode, 1003);
                EXPECT_EQ(ReadBytes(memo), before);
                for (std::int32_t r = 1; r <= 6; ++r) {
                    GO(r);
                    if (!GetMemoText(Buffer().MemoRef(2), text)) {
                        Buffer().SetMemoRef(2, 0);
                        ASSERT_TRUE(REPLACE());
                    }
                }
                GO(1);
            }
            Buffer().SetMemoRef(2, EditMemo(Buffer().MemoRef(2), lines));
            ASSERT_NE(Buffer().MemoRef(2), 0) << LastErrorText();
            ASSERT_TRUE(REPLACE());
            std::string ours;
            for (std::int32_t r = 1; r <= 6; ++r) {
                GO(r);
                const std::string own = "r" + std::to_string(r);
                std::string kind = Buffer().MemoRef(2) == 0 ? "blank" : "err";
                if (kind == "err" && GetMemoText(Buffer().MemoRef(2), text))
                    kind = text.find_first_not_of(std::string("\0 ", 2)) == std::string::npos ? "blank"
                           : text.rfind(own + ":", 0) == 0 && (text.find("NEU") != std::string::npos) == (r == 1) ? "own"
                                                                                                                : "other";
                ours += own + " " + kind + "\n";
            }
            USE("");
            std::string kept;
            for (int r = 1; r <= 6; ++r) {
                const int own = state == "fresh" ? 1 : state == "older" ? 3 : version == 0x83 ? 6 : 5;
                kept += "r" + std::to_string(r) + (r <= own ? " own\n" : " blank\n");
            }
            EXPECT_EQ(ours, kept);
            for (const char* reader : {"dbfread", "dbf"}) {
                if (!peers)
                    break;
                if (version == 0x8B && std::string(reader) == "dbf")
                    continue; // python3-dbf reads no dBase IV memos
                const ToolRun run = Python(classify, {Path(name + ".DBF"), reader});
                ASSERT_EQ(run.status, 0) << run.out;
                EXPECT_EQ(run.out, kept) << reader;
            }
        }
    }
    REQUIRE_PYTHON("dbfread", "python3-dbfread");
    REQUIRE_PYTHON("dbf", "python3-dbf");
}

TEST_F(MemoXCheckTest, WeReadCopyAndPackPython3DbfMemos)
{
    REQUIRE_PYTHON("dbf", "python3-dbf");
    REQUIRE_PYTHON("dbfread", "python3-dbfread");
    const char* script = R"(
import sys, dbf
t = dbf.Table(sys.argv[1], 'NAME C(10); NOTE M', dbf_type=sys.argv[2], codepage='cp850')
t.open(dbf.READ_WRITE)
for i, note in enumerate(['erste', 'M\u00e4rz\r\nzweite Zeile', 'x' * 2000, '']):
    t.append(('n%d' % (i + 1), note))
t.close()
)";
    for (const char* kind : {"db3", "fp"}) {
        SCOPED_TRACE(kind);
        const std::string theirs = Path(std::string("THEIRS_") + kind + ".dbf");
        ToolRun run = Python(script, {theirs, kind});
        ASSERT_EQ(run.status, 0) << run.out;
        const ToolRun before = Python(kDbfreadMemos, {theirs});
        ASSERT_EQ(before.status, 0) << before.out;
        ASSERT_TRUE(USE(theirs + " EXCLUSIVE")) << LastErrorText();
        std::string text;
        GO(2);
        ASSERT_TRUE(GetMemoText(Buffer().MemoRef(2), text));
        EXPECT_EQ(text, "M\xE4rz\r\nzweite Zeile");
        GO(3);
        ASSERT_TRUE(GetMemoText(Buffer().MemoRef(2), text));
        EXPECT_EQ(text, std::string(2000, 'x'));
        // Packed after a deletion: the texts stay, peers read them back.
        GO(1);
        ASSERT_TRUE(DeleteRec());
        Pack();
        ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
        USE("");
        run = Python(kDbfreadMemos, {theirs});
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out, before.out.substr(before.out.find("'n2'")));
        EXPECT_EQ(run.out.rfind("'n2' 'M\xC3\xA4rz\\r\\nzweite Zeile'", 0), 0u) << run.out;
        // Copied by APPEND FROM into each of our formats.
        for (std::uint8_t version : {0x83, 0x8B, 0xF5}) {
            MemoTable(std::string("COPY_") + kind + std::to_string(version), version, 64);
            ASSERT_EQ(AppendFrom(theirs), 3);
            GO(1);
            ASSERT_TRUE(GetMemoText(Buffer().MemoRef(2), text));
            EXPECT_EQ(text, "M\xE4rz\r\nzweite Zeile");
            USE("");
        }
    }
}

} // namespace
} // namespace kt4::dbase::test
