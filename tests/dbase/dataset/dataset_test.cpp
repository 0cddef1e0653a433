// Datasets over work areas: cursor, edits that touch only the changed
// fields, field normalisation, table datasets with indexes and locks.
#include "memo_fixture.h"
#include "peer_tools.h"
#include "process_helpers.h"

#include "dbase/dataset/blob_stream.h"
#include "dbase/dataset/tzfds.h"
#include "dbase/engine/keys_date.h"
#include "dbase/ndx/ndx_internal.h"
#include "tools/ndx_check.h"

#include <filesystem>
#include <map>
#include <random>
#include <sys/resource.h>

namespace kt4::dbase::test {
namespace {

class DatasetTest : public ModulesTest {
protected:
    // PARTS with R1..Rn (NAME, PRICE, QTY, OK, DAY).
    std::string Parts(int n)
    {
        const std::string path = MakeParts();
        USE(path + " EXCLUSIVE");
        if (n > 0)
            AddRows(n);
        USE("");
        return path;
    }
    void OpenOn(TTzFileDataSet& ds, const std::string& path)
    {
        ds.SetDbfFileName(path);
        ds.Open();
    }
};

TEST_F(DatasetTest, EmptyTableThenTheFirstRecord)
{
    TTzDbf ds;
    OpenOn(ds, Parts(0));
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.IsEmpty());
    ds.Append();
    ds.SetAsString(1, "Neu");
    ds.SetAsFloat(2, 3.25);
    ds.Post();
    EXPECT_FALSE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.AsString(1), "Neu");
    EXPECT_DOUBLE_EQ(ds.AsFloat(2), 3.25);
    EXPECT_EQ(ds.AsString(5), "");
    EXPECT_TRUE(ds.IsNull(5));
}

TEST_F(DatasetTest, MovingAndTheEnds)
{
    TTzDbf ds;
    OpenOn(ds, Parts(3));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(ds.MoveBy(5), 2);
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 3);
    ds.Prior();
    EXPECT_EQ(ds.RecNo(), 2);
    // A record number outside the table ends after the last record.
    for (std::int32_t n : {0, 4}) {
        ds.First();
        ds.SetRecNo(n);
        EXPECT_TRUE(ds.Eof()) << n;
        EXPECT_EQ(ds.RecNo(), 3) << n;
    }
    ds.Skip(-1);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(ds.VisibleRecords(), (std::vector<std::int32_t>{1, 2, 3}));
}

TEST_F(DatasetTest, FieldDefinitionsAreCorrectedForShowOnly)
{
    ASSERT_TRUE(CreateDbf(Path("ODD"), {{"WIDE", 'N', 25, 3}, {"TIGHT", 'N', 5, 3}, {"LONG", 'C', 255, 0}}));
    auto b = ReadBytes(Path("ODD.DBF"));
    b[32 + 32 + 17] = 4; // TIGHT N 5,4
    WriteBytes(Path("ODD.DBF"), b);
    TTzDbf ds;
    OpenOn(ds, Path("ODD.DBF"));
    EXPECT_EQ(ds.DbfFields, (std::vector<std::string>{"WIDE,N,20, 3", "TIGHT,N,5, 3", "LONG,C,254, 0"}));
    EXPECT_EQ(Logged("message").size(), 3u);
    EXPECT_NE(Logged("message")[0].find("Invalid field definition for"), std::string::npos);
    EXPECT_EQ(ds.FieldAt(1).len, 25); // the data keep their width
    EXPECT_EQ(ds.FieldAt(3).len, 255);
    // A wrong comma count names its line.
    std::vector<FieldDef> defs;
    EXPECT_FALSE(ParseDbfFields({"A,C,10, 0", "B,N,5"}, false, defs));
    EXPECT_EQ(EngineErrorCode, 211);
    EXPECT_NE(LastErrorText().find("Zeile 2"), std::string::npos);
}

TEST_F(DatasetTest, DatesBlankAndInvalid)
{
    TTzDbf ds;
    OpenOn(ds, Parts(1));
    EXPECT_EQ(ds.AsString(5), "17.05.2024");
    ds.Edit();
    ds.SetAsString(5, "31.02.2024");
    ds.Post();
    EXPECT_EQ(Logged("message").back(), "message|Meldung:|        Invalid date       ");
    EXPECT_TRUE(ds.IsNull(5));
    ds.Edit();
    ds.SetAsString(5, "15.03.1850");
    ds.Post();
    EXPECT_EQ(ds.AsString(5), "15.03.1850");
    EXPECT_DOUBLE_EQ(ds.AsDate(5), DateToJulian(1850, 3, 15));
}

// A post changes only the edited field: compared on the raw records by an
// independent reader of the file.
TEST_F(DatasetTest, PostKeepsEveryOtherByte)
{
    REQUIRE_PYTHON("struct", "python3");
    ASSERT_TRUE(CreateDbf(Path("RAW"), {{"NAME", 'C', 255, 0}, {"BIG", 'N', 15, 0}, {"DAY", 'D', 8, 0},
                                        {"OK", 'L', 1, 0}, {"QTY", 'N', 5, 0}, {"PRICE", 'N', 8, 2},
                                        {"STARS", 'N', 4, 0}, {"BLANK", 'N', 6, 1}, {"KEPT", 'N', 3, 0}}));
    auto t = ReadBytes(Path("RAW.DBF"));
    t.pop_back();
    const std::string rec = " " + Text(255, 4) + "     3000000007" + "18500315" + "?" + "   12" + "   12.50" +
                            "****" + "      " + "***";
    t.insert(t.end(), rec.begin(), rec.end());
    t.push_back(0x1A);
    PutU32(t.data() + 4, 1);
    WriteBytes(Path("RAW.DBF"), t);
    std::filesystem::copy_file(Path("RAW.DBF"), Path("BEFORE.DBF"));
    {
        TTzDbf ds;
        OpenOn(ds, Path("RAW.DBF"));
        EXPECT_EQ(ds.AsInteger(2), 3000000007);
        EXPECT_EQ(ds.AsString(3), "15.03.1850");
        EXPECT_EQ(ds.AsString(1).size(), 255u);
        ds.Edit();
        ds.SetAsInteger(5, 13);
        ds.SetAsInteger(7, 0); // 0 over bytes that are no number is stored
        ds.SetAsFloat(8, 0);
        ds.Post();
        ds.Close();
    }
    const char* compare = R"(
import sys
a, b = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read()
hl = int.from_bytes(a[8:10], 'little'); rl = int.from_bytes(a[10:12], 'little')
fields, off, p = [], 1, 32
while a[p] != 0x0D:
    name = a[p:p+11].split(b'\0')[0].decode(); ln = a[p+16]
    fields.append((name, off, ln)); off += ln; p += 32
changed = set()
n = (len(a) - hl) // rl
for r in range(n):
    ra, rb = a[hl+r*rl:hl+(r+1)*rl], b[hl+r*rl:hl+(r+1)*rl]
    if ra[0] != rb[0]: changed.add('deleted')
    for name, o, ln in fields:
        if ra[o:o+ln] != rb[o:o+ln]: changed.add(name)
print(len(a) == len(b), a[4:hl] == b[4:hl], sorted(changed), b[hl+1+255+15+8+1:hl+1+255+15+8+1+5], b[hl+rl-13:hl+rl])
)";
    ToolRun run = Python(compare, {Path("BEFORE.DBF"), Path("RAW.DBF")});
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "True True ['BLANK', 'QTY', 'STARS'] b'   13' b'   0   0.0***'\n");
    // Numbers the fields cannot show: asterisks, listed as overflows.
    TTzDbf ds;
    OpenOn(ds, Path("RAW.DBF"));
    ds.Edit();
    ds.SetAsFloat(2, 9.3e18);
    ds.SetAsFloat(5, std::nan(""));
    ds.Post();
    EXPECT_EQ(NumericOverflowFields(), (std::vector<int>{2, 5}));
    EXPECT_EQ(FieldBytes(*Current(), 2), std::string(15, '*'));
    EXPECT_EQ(FieldBytes(*Current(), 5), "*****");
}

TEST_F(DatasetTest, CreateIndexPolicies)
{
    const std::string table = Parts(5);
    const std::string ndx = Path("BYNAME.NDX");
    auto configure = [&](TTzDbf& ds, TCreateIndexType mode) {
        ds.IndexList = {"1," + ndx + ",NAME"};
        ds.CreateIndex = mode;
        ds.ShowProgress = false;
        ds.SetDbfFileName(table);
    };
    {
        TTzDbf ds;
        configure(ds, TCreateIndexType::ciNever);
        EXPECT_THROW(ds.Open(), std::exception); // missing and never built
        EXPECT_FALSE(ds.Active());
    }
    int builds = 0;
    {
        TTzDbf ds;
        configure(ds, TCreateIndexType::ciNotFound);
        ds.OnAfterMakeIndex = [&](TTzFileDataSet&, const std::string&) { ++builds; };
        ds.Open();
        EXPECT_EQ(builds, 1);
        ds.Last();
        EXPECT_EQ(ds.AsString(1), "R5");
    }
    {
        TTzDbf ds;
        configure(ds, TCreateIndexType::ciNotFound);
        ds.OnAfterMakeIndex = [&](TTzFileDataSet&, const std::string&) { ++builds; };
        ds.Open();
        EXPECT_EQ(builds, 1); // exists: only opened
    }
    {
        TTzDbf ds;
        configure(ds, TCreateIndexType::ciVerifyHeader);
        ds.OnAfterMakeIndex = [&](TTzFileDataSet&, const std::string&) { ++builds; };
        ds.Open();
        EXPECT_EQ(builds, 1); // the counts agree
    }
    {
        TTzDbf ds;
        configure(ds, TCreateIndexType::ciAlways);
        ds.OnBeforeMakeIndex = [&](TTzFileDataSet&, const std::string&, bool& build) { build = builds < 2; };
        ds.OnAfterMakeIndex = [&](TTzFileDataSet&, const std::string&) { ++builds; };
        ds.Open();
        EXPECT_EQ(builds, 2);
    }
    // Another program's index over the names as they are (capitals): not
    // usable, so rebuilt in the engine's form.
    auto b = ReadBytes(ndx);
    for (int i = 0; i < 5; ++i)
        b[512 + 4 + std::size_t(i) * 20 + 8] = 'R';
    WriteBytes(ndx, b);
    {
        TTzDbf ds;
        configure(ds, TCreateIndexType::ciNotFound);
        ds.OnAfterMakeIndex = [&](TTzFileDataSet&, const std::string&) { ++builds; };
        ds.Open();
        EXPECT_EQ(builds, 3);
        EXPECT_TRUE(ds.Find("R3"));
        EXPECT_EQ(ds.AsString(1), "R3");
    }
    // An index that a PACK marked out of date and did not rebuild: rebuilt
    // as well.
    b = ReadBytes(ndx);
    const std::uint32_t count = 5, check = ~count ^ ndx::kOutOfDate;
    for (int i = 0; i < 4; ++i) {
        b[488 + std::size_t(i)] = std::uint8_t(check >> (8 * i));
        b[492 + std::size_t(i)] = std::uint8_t(count >> (8 * i));
    }
    WriteBytes(ndx, b);
    {
        TTzDbf ds;
        configure(ds, TCreateIndexType::ciNotFound);
        ds.OnAfterMakeIndex = [&](TTzFileDataSet&, const std::string&) { ++builds; };
        ds.Open();
        EXPECT_EQ(builds, 4);
        EXPECT_TRUE(ds.Find("R2"));
    }
    // The semaphore file of another program's use: ciAlways only opens.
    std::ofstream(Path("PARTS.@S@")) << "xxxx";
    {
        TTzDbf ds;
        configure(ds, TCreateIndexType::ciAlways);
        ds.OnAfterMakeIndex = [&](TTzFileDataSet&, const std::string&) { ++builds; };
        ds.Open();
        EXPECT_EQ(builds, 4);
    }
}

// Random appends and edits posted as the browser posts them, in a shared
// table with a UNIQUE index between two others (codes collide often); after
// every batch each index passes the checker and the name order is the
// model's. A key missing from an index fails the post with its error.
TEST_F(DatasetTest, PostsKeepEveryIndexOfTheListInStep)
{
    ASSERT_TRUE(CreateDbf(Path("MODEL"), {{"NAME", 'C', 8, 0}, {"CODE", 'C', 2, 0}, {"NUM", 'N', 6, 0}}));
    TTzDbf ds;
    ds.ShowProgress = false;
    ds.IndexList = {"1," + Path("mname.ndx") + ",NAME", "2," + Path("mcode.ndx") + " UNIQUE,CODE",
                    "3," + Path("mnum.ndx") + ",NUM"};
    OpenOn(ds, Path("MODEL.DBF"));
    std::mt19937 rng(31);
    std::vector<std::string> names; // the model: record i + 1
    auto randomText = [&](const char* letters, unsigned n) {
        std::string s;
        for (unsigned i = 0, len = 1 + rng() % n; i < len; ++i)
            s += letters[rng() % std::strlen(letters)];
        return s;
    };
    auto expectSound = [&](const char* when) {
        CurrentArea = ds.WorkArea();
        for (int slot = 1; slot <= 3; ++slot) {
            check::NdxChecker c;
            EXPECT_TRUE(c.CheckFile(IndexFileName(slot)) && c.CheckRecords(slot))
                << when << ": " << IndexFileName(slot) << ": " << c.Problem();
        }
        ds.First();
    };
    for (int batch = 0; batch < 12; ++batch) {
        for (int op = 0; op < 50; ++op) {
            const bool append = names.size() < 10 || rng() % 3 == 0;
            std::size_t at = names.size();
            if (append) {
                ds.Append();
                names.emplace_back();
            } else {
                ds.SetRecNo(1 + std::int32_t(rng() % names.size()));
                at = std::size_t(ds.RecNo() - 1);
                ds.Edit();
            }
            if (append || rng() % 2)
                names[at] = randomText("abcd", 4);
            ds.SetAsString(1, names[at]);
            ds.SetAsString(2, randomText("xyz", 1));
            ds.SetAsInteger(3, std::int64_t(rng() % 100));
            ds.Post();
        }
        std::vector<std::pair<std::string, std::int32_t>> keys;
        for (std::size_t i = 0; i < names.size(); ++i)
            keys.push_back({names[i], std::int32_t(i + 1)});
        std::sort(keys.begin(), keys.end());
        std::vector<std::int32_t> want;
        for (const auto& k : keys)
            want.push_back(k.second);
        EXPECT_EQ(ds.VisibleRecords(), want) << "batch " << batch;
        expectSound(("batch " + std::to_string(batch)).c_str());
    }
    ds.SetRecNo(5);
    ds.Edit();
    CurrentArea = ds.WorkArea();
    int result = -1;
    std::string key = names[4];
    key.resize(8, ' ');
    ASSERT_TRUE(ndx::RemoveKey(*ndx::Controlling(), key, 5, result));
    ds.SetAsString(1, "zz");
    try {
        ds.Post();
        ADD_FAILURE() << "the post reported no error";
    } catch (const EDatasetError& e) {
        EXPECT_EQ(e.Code(), 254);
    }
    ds.Cancel();
    names[4] = "zz";
    expectSound("after the failed post");

    // An append whose key an index cannot take (its file cut short): the
    // keys go in before the record, so the post fails with nothing stored
    // and the others give the key back; the insert keeps its edit.
    std::filesystem::resize_file(IndexFileName(3), 512);
    const std::int32_t count = ds.RecordCount();
    ds.Append();
    ds.SetAsString(1, "new");
    EXPECT_THROW(ds.Post(), EDatasetError);
    EXPECT_EQ(ds.State(), TDataSetState::dsInsert);
    EXPECT_EQ(ds.AsString(1), "new");
    ds.Cancel();
    EXPECT_EQ(ds.RecordCount(), count);
    CurrentArea = ds.WorkArea();
    for (int slot = 1; slot <= 2; ++slot) {
        check::NdxChecker c;
        EXPECT_TRUE(c.CheckFile(IndexFileName(slot)) && c.CheckRecords(slot)) << c.Problem();
    }
}

TEST_F(DatasetTest, RefusedLockKeepsTheEdit)
{
    const std::string table = Parts(2);
    Holder other;
    ASSERT_TRUE(other.Start([&] { return USE(table) && RLock(); }));
    TTzDbf ds;
    OpenOn(ds, table);
    ds.Edit();
    ds.SetAsString(1, "Geaendert");
    try {
        ds.Post();
        FAIL() << "posted under another program's lock";
    } catch (const EDatasetError& e) {
        EXPECT_EQ(e.Code(), 1200);
    }
    EXPECT_EQ(ds.State(), TDataSetState::dsEdit);
    EXPECT_EQ(ds.AsString(1), "Geaendert");
    EXPECT_EQ(Logged("error").back(), "error|Fehler : |Sperren fehlgeschlagen [Post]");
    // The event may try again once the other program let go.
    ds.OnRLockFailedOnPost = [&](TTzFileDataSet&, bool& retry) {
        other.Release();
        retry = true;
    };
    ds.Post();
    ds.First();
    EXPECT_EQ(ds.AsString(1), "Geaendert");
}

TEST_F(DatasetTest, LocateThroughTheIndexOrSequentially)
{
    const std::string table = Parts(0);
    USE(table + " EXCLUSIVE");
    ClearRecord();
    for (const char* name : {"ABC", "AB", "XY"}) {
        Buffer().SetText(1, name);
        ASSERT_TRUE(Append());
    }
    USE("");
    TTzDbf ds;
    ds.IndexList = {"1," + Path("N.NDX") + ",NAME"};
    ds.ShowProgress = false;
    OpenOn(ds, table);
    EXPECT_TRUE(ds.Locate("NAME", {"ab"}, loCaseInsensitive | loPartialKey));
    EXPECT_EQ(ds.AsString(1), "AB"); // the first key that starts with it
    EXPECT_TRUE(ds.Locate("name", {"abc"}, loCaseInsensitive));
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_FALSE(ds.Locate("NAME", {"a"}, loCaseInsensitive));
    EXPECT_EQ(ds.RecNo(), 1);
    // Case-sensitive or another field: the sequential locate.
    EXPECT_FALSE(ds.Locate("NAME", {"xy"}, loPartialKey));
    EXPECT_TRUE(ds.Locate("NAME", {"XY"}, loPartialKey));
    EXPECT_EQ(ds.RecNo(), 3);
    // A key longer than 100 characters seeks its first 100.
    EXPECT_FALSE(ds.Find(std::string(150, 'Z')));
    EXPECT_EQ(ds.RecNo(), 3);
}

TEST_F(DatasetTest, DirectOperations)
{
    const std::string table = Parts(3);
    TTzDbf ds;
    OpenOn(ds, table);
    ds.Go(2);
    // Another area changes the record; Skip(0) shows it.
    Select(5);
    ASSERT_TRUE(USE(table + " ALIAS OTHER"));
    GO(2);
    Buffer().SetText(1, "Anders");
    ASSERT_TRUE(RLock() && REPLACE());
    Unlock();
    ds.Skip(0);
    EXPECT_EQ(ds.AsString(1), "Anders");
    // AppendFrom keeps the current record.
    const std::string more = MakeParts("MORE");
    Select(6);
    USE(more + " EXCLUSIVE");
    AddRows(2, 10);
    USE("");
    ASSERT_TRUE(ds.FLock());
    EXPECT_EQ(ds.AppendFrom(more), 2);
    ds.UnLock();
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(ds.RecCount(), 5);
    EXPECT_EQ(ds.SField(2), "    3.00");
    EXPECT_EQ(ds.GetFieldInt("QTY"), 2);
    ds.PutFieldInt("QTY", 42);
    EXPECT_EQ(ds.State(), TDataSetState::dsEdit);
    ds.Next(); // posts
    ds.Prior();
    EXPECT_EQ(ds.GetFieldInt("QTY"), 42);
}

TEST_F(DatasetTest, DeleteAndRestoreWithTheirEvents)
{
    TTzDbf ds;
    OpenOn(ds, Parts(3));
    int restores = 0;
    ds.BeforeRestore = [&](TTzPrimDataset&) { ++restores; };
    ds.AfterRestore = [&](TTzPrimDataset&) { restores += 10; };
    ds.Next();
    ds.Delete();
    EXPECT_TRUE(ds.Deleted());
    EXPECT_EQ(ds.RecNo(), 2);
    ds.SetDeleted(false);
    EXPECT_FALSE(ds.Deleted());
    EXPECT_EQ(restores, 11);
    // Hidden deleted rows: a deletion moves on.
    ds.SetHideDeletedRecs(true);
    ds.SetDeleted(true);
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(ds.VisibleRecords(), (std::vector<std::int32_t>{1, 3}));
    EXPECT_EQ(ds.RowOfRecord(3), 2);
}

// Records the progress calls of long operations.
class ProgressUi : public HeadlessUi {
public:
    void Progress(const std::string& text, int percent) override
    {
        if (calls.empty() || calls.back() != text)
            calls.push_back(text);
        (void)percent;
    }
    void ProgressEnd() override { calls.push_back("end"); }
    std::vector<std::string> calls;
};

TEST_F(DatasetTest, LongOperationsShowAndEndTheirProgress)
{
    auto owned = std::make_unique<ProgressUi>();
    ProgressUi& progress = *owned;
    SetUi(std::move(owned));
    const std::string table = Parts(150);
    std::filesystem::copy_file(table, Path("COPY.DBF"));
    TTzDbf ds;
    ds.IndexList = {"1," + Path("P.NDX") + ",NAME"};
    OpenOn(ds, table);
    ASSERT_TRUE(ds.FLock());
    ds.AppendFrom(Path("COPY.DBF"));
    ds.UnLock();
    EXPECT_EQ(progress.calls,
              (std::vector<std::string>{"Indexing " + Path("P.NDX") + "...", "end", "Appending...", "end"}));
}

TEST_F(DatasetTest, MemoFieldsThroughBlobStreams)
{
    ASSERT_TRUE(SetCreateVersion(0x8B));
    ASSERT_TRUE(CreateDbf(Path("M"), {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}}));
    TTzDbf ds;
    OpenOn(ds, Path("M.DBF"));
    ds.Append();
    ds.SetAsString(1, "eins");
    ds.SetMemoText(2, "Gr\xFC\xDF" "e");
    ds.Post();
    EXPECT_EQ(ds.AsString(2), "MEMO");
    EXPECT_EQ(ds.MemoText(2), "Gr\xFC\xDF" "e");
    // Text the OEM table cannot hold is refused, the memo kept; so is a
    // text BLOB written through the engine.
    ds.Edit();
    try {
        ds.SetMemoText(2, "5 \x80");
        ADD_FAILURE() << "the memo took a character its page lacks";
    } catch (const EDatasetError& e) {
        EXPECT_EQ(e.Text(), "Zeichen nicht darstellbar: € im Feld NOTE von " + Path("M.DBF") + " (Codepage 850)");
        EXPECT_EQ(e.what(), "Dataset error: " + e.Text());
    }
    ds.Post();
    EXPECT_EQ(ds.MemoText(2), "Gr\xFC\xDF" "e");
    ASSERT_TRUE(Select(ds.WorkArea()));
    std::int32_t block = 0;
    ASSERT_TRUE(OpenBlob(true, block, TBlobMode::Write));
    EXPECT_EQ(WriteBlobStream("5 \x80", 3, BlobText), 0);
    EXPECT_EQ(EngineErrorCode, 220);
    CloseBlob();
    // A memo write the file refuses (its size limit, as on a full disk)
    // keeps the field's memo, also through the post after it.
    const auto limit = rlim_t(std::filesystem::file_size(Path("M.DBT")));
    EXPECT_EQ(InChild([&] {
                  std::signal(SIGXFSZ, SIG_IGN);
                  const rlimit size{limit, RLIM_INFINITY};
                  TTzDbf theirs;
                  OpenOn(theirs, Path("M.DBF"));
                  theirs.Edit();
                  if (::setrlimit(RLIMIT_FSIZE, &size) != 0)
                      return 1;
                  try {
                      theirs.SetMemoText(2, std::string(3000, 'v'));
                      return 2;
                  } catch (const std::exception&) {
                  }
                  theirs.Post();
                  return theirs.MemoText(2) == "Gr\xFC\xDF" "e" ? 0 : 3;
              }),
              0);
    // Opened for writing and closed empty: the field is emptied.
    {
        TTzBlobStream stream(ds, 2, TBlobMode::Write);
        stream.Close();
        EXPECT_TRUE(stream.Modified());
    }
    ds.Post();
    EXPECT_EQ(ds.AsString(2), "none");
}

// A memo edit writes its text at the end of the memo file, never into the
// blocks the record points to: a Cancel, a post refused because another
// program changed the record meanwhile and the later of two editors leave
// the memo the record holds, in every memo kind. The first header word stays
// the block after the end, and the peers read every memo.
TEST_F(DatasetTest, MemoEditsTakenBackLeaveTheRecordsMemo)
{
    const bool peers = PythonHas("dbfread") && PythonHas("dbf");
    const char* read = R"(
import sys, dbfread, dbf
if sys.argv[2] == 'dbfread':
    for r in dbfread.DBF(sys.argv[1], encoding='cp850'):
        print(r['NAME'], (r['NOTE'] or '').rstrip('\0'))
else:
    t = dbf.Table(sys.argv[1], codepage='cp850')
    t.open(dbf.READ_ONLY)
    for r in t:
        print(r['name'].strip(), r['note'])
)";
    // python3-dbf reads no dBase IV memos, neither reads a level-7 table
    const struct {
        std::uint8_t version;
        std::uint32_t blockSize;
        std::vector<std::string> readers;
    } kinds[] = {{0x83, 512, {"dbfread", "dbf"}}, {0x8B, 512, {"dbfread"}}, {0x8C, 512, {}}, {0xF5, 64, {"dbfread", "dbf"}}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(int(kind.version));
        ASSERT_TRUE(SetCreateVersion(kind.version));
        ASSERT_TRUE(SetMemoBlockSize(kind.blockSize));
        const std::string name = "E" + std::to_string(kind.version);
        ASSERT_TRUE(CreateDbf(Path(name), {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}}));
        const std::string table = Path(name + ".DBF");
        const std::string memo = Path(name + (kind.version == 0xF5 ? ".FPT" : ".DBT"));
        TTzDbf ds;
        OpenOn(ds, table);
        for (const std::string row : {"eins", "zwei"}) {
            ds.Append();
            ds.SetAsString(1, row);
            ds.SetMemoText(2, "alt " + row + " " + std::string(40, 'x'));
            ds.Post();
        }
        const std::string old = "alt eins " + std::string(40, 'x');
        // Another program changes record 1's name or memo and posts.
        auto other = [&](int field, const std::string& value) {
            return InChild([&] {
                TTzDbf theirs;
                OpenOn(theirs, table);
                theirs.Edit();
                if (field == 2)
                    theirs.SetMemoText(2, value);
                else
                    theirs.SetAsString(1, value);
                theirs.Post();
                return 0;
            });
        };
        auto refused = [&] {
            try {
                ds.Post();
                ADD_FAILURE() << "the post overwrote another program's change";
            } catch (const EDatasetError& e) {
                EXPECT_EQ(e.Code(), 1203);
            }
            ds.Cancel();
        };
        ds.First();
        ds.Edit();
        ds.SetMemoText(2, "abgebrochen");
        ds.Cancel();
        EXPECT_EQ(ds.MemoText(2), old);
        ds.Edit();
        ds.SetMemoText(2, "abgelehnt");
        ASSERT_EQ(other(1, "EINS"), 0);
        refused();
        EXPECT_EQ(ds.AsString(1), "EINS");
        EXPECT_EQ(ds.MemoText(2), old);
        ds.Edit();
        ds.SetMemoText(2, "ONE");
        ASSERT_EQ(other(2, "TWO"), 0);
        refused();
        EXPECT_EQ(ds.MemoText(2), "TWO");
        ds.Next();
        EXPECT_EQ(ds.MemoText(2), "alt zwei " + std::string(40, 'x'));
        ds.Close();
        const auto bytes = ReadBytes(memo);
        EXPECT_EQ(bytes.size() % kind.blockSize, 0u);
        EXPECT_EQ(kind.version == 0xF5 ? GetU32BE(bytes.data()) : GetU32(bytes.data()),
                  bytes.size() / kind.blockSize);
        for (const std::string& reader : kind.readers) {
            if (!peers)
                break;
            const ToolRun run = Python(read, {table, reader});
            ASSERT_EQ(run.status, 0) << run.out;
            EXPECT_EQ(run.out, "EINS TWO\nzwei alt zwei " + std::string(40, 'x') + "\n") << reader;
        }
    }
    REQUIRE_PYTHON("dbfread", "python3-dbfread");
    REQUIRE_PYTHON("dbf", "python3-dbf");
}

} // namespace
} // namespace kt4::dbase::test
