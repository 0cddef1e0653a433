// Moving through a table, editing records and packing.
#include "dbase_fixture.h"
#include "dbase/memo/memo.h"
#include "dbase/vfile/vfile.h"

namespace kt4::dbase::test {
namespace {

class NavigationTest : public EngineTest {
protected:
    void OpenWith(int rows, const std::string& words = " EXCLUSIVE")
    {
        table_ = MakeParts();
        ASSERT_TRUE(USE(table_ + words));
        AddRows(rows);
        GoTop();
    }
    void DeleteRecords(std::initializer_list<int> numbers)
    {
        for (int n : numbers) {
            GO(n);
            ASSERT_TRUE(DeleteRec());
        }
    }
    std::string table_;
};

TEST_F(NavigationTest, SkipPastTheEnds)
{
    OpenWith(3);
    GO(3);
    SKIP(1);
    EXPECT_TRUE(dEOF());
    EXPECT_EQ(RecNo(), 4);
    EXPECT_EQ(Name(), "");
    SKIP(1);
    EXPECT_EQ(EngineErrorCode, 212);
    EXPECT_NE(LastErrorText().find("ist hinter EOF. [SKIP]"), std::string::npos);
    GoTop();
    SKIP(-1);
    EXPECT_TRUE(dBOF());
    EXPECT_EQ(RecNo(), 1);
    EXPECT_EQ(Name(), "R1");
    SKIP(-1); // at BOF: nothing
    EXPECT_EQ(EngineErrorCode, 0);
    GoBottom();
    EXPECT_EQ(Name(), "R3");
    SKIP(-2);
    EXPECT_EQ(Name(), "R1");
}

TEST_F(NavigationTest, HiddenDeletedRecordsAreSkipped)
{
    OpenWith(6);
    DeleteRecords({2, 3});
    GO(1);
    EXPECT_FALSE(SetIgnoreDel(true));
    SKIP(1);
    EXPECT_EQ(RecNo(), 4);
    GO(1);
    SKIP(2);
    EXPECT_EQ(RecNo(), 5);
    GO(3); // GO reaches a hidden record; it stays current
    EXPECT_EQ(RecNo(), 3);
    EXPECT_TRUE(Deleted());
    SetIgnoreDel(true);
    EXPECT_EQ(RecNo(), 3);
    SKIP(-1);
    EXPECT_EQ(RecNo(), 1);
    DeleteRecords({1});
    GoTop();
    EXPECT_EQ(RecNo(), 4);
}

TEST_F(NavigationTest, GoOutOfRange)
{
    OpenWith(2);
    GO(0);
    EXPECT_EQ(EngineErrorCode, 212);
    EXPECT_TRUE(dEOF());
    EXPECT_NE(LastErrorText().find("Ungültige Datensatznr. = 0 Datenbank"), std::string::npos);
    EXPECT_FALSE(GoIfValid(3));
    EXPECT_TRUE(GoIfValid(2));
    EXPECT_EQ(Name(), "R2");
    std::string empty = MakeParts("EMPTY");
    Select(2);
    USE(empty);
    EXPECT_TRUE(dEOF());
    EXPECT_TRUE(dBOF());
    EXPECT_EQ(RecNo(), 0);
    GO(1);
    EXPECT_EQ(EngineErrorCode, 212);
    EXPECT_TRUE(dBOF() && dEOF());
    SKIP(1);
    EXPECT_EQ(EngineErrorCode, 212);
}

TEST_F(NavigationTest, ReplaceAtEofWritesNothing)
{
    OpenWith(1);
    SKIP(1);
    Buffer().SetText(1, "LATE");
    EXPECT_FALSE(REPLACE());
    EXPECT_NE(LastErrorText().find("bei EOF angelangt. [REPLACE]"), std::string::npos);
    EXPECT_EQ(RecCount(), 1);
    GO(1);
    EXPECT_EQ(Name(), "R1");
}

TEST_F(NavigationTest, ReplaceAndRecall)
{
    OpenWith(2);
    GO(2);
    Buffer().SetText(1, "CHANGED");
    ASSERT_TRUE(REPLACE());
    ASSERT_TRUE(DeleteRec());
    EXPECT_TRUE(Deleted());
    ASSERT_TRUE(RecallRec());
    GoTop();
    GO(2);
    EXPECT_EQ(Name(), "CHANGED");
    EXPECT_FALSE(Deleted());
}

TEST_F(NavigationTest, PackKeepsTheLiveRecordsInOrder)
{
    OpenWith(10);
    DeleteRecords({3, 5, 9});
    Pack();
    ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
    EXPECT_EQ(RecCount(), 7);
    EXPECT_EQ(RecNo(), 1);
    std::vector<std::string> names;
    for (GoTop(); !dEOF(); SKIP(1))
        names.push_back(Name());
    EXPECT_EQ(names, (std::vector<std::string>{"R1", "R2", "R4", "R6", "R7", "R8", "R10"}));
    USE("");
    auto b = ReadBytes(table_);
    EXPECT_EQ(GetU32(b.data() + 4), 7u);
    EXPECT_EQ(b.size(), 193u + 7 * 33 + 1);
    EXPECT_EQ(b.back(), 0x1a);
}

TEST_F(NavigationTest, PackOfOnlyDeletedRecords)
{
    OpenWith(2);
    DeleteRecords({1, 2});
    Pack();
    EXPECT_EQ(RecCount(), 0);
    EXPECT_TRUE(dBOF() && dEOF());
    EXPECT_EQ(RecNo(), 0);
}

TEST_F(NavigationTest, PackOfASharedTableGoesExclusiveAndBack)
{
    OpenWith(3, "");
    ASSERT_TRUE(FLock());
    DeleteRecords({2});
    Unlock();
    Pack();
    ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
    EXPECT_EQ(RecCount(), 2);
    EXPECT_FALSE(Current()->exclusive);
    // Shared again: another area can open it; and a second open blocks PACK.
    Select(2);
    ASSERT_TRUE(USE(table_ + " ALIAS SECOND"));
    Select(1);
    Pack();
    EXPECT_EQ(EngineErrorCode, 225);
    EXPECT_EQ(RecCount(), 2);
}

TEST_F(NavigationTest, PackCancelledByTheUser)
{
    OpenWith(2);
    DeleteRecords({1});
    ConfirmPack = true;
    HeadlessUi& ui = UseHeadlessUi(); // no scripted answer: Cancel
    Pack();
    EXPECT_EQ(RecCount(), 2);
    // an OK and Cancel box; OK packs
    ASSERT_EQ(ui.Log().size(), 1u);
    EXPECT_EQ(ui.Log()[0].rfind("okcancel|PACK|PACK ", 0), 0u);
    ui.Script("ok");
    Pack();
    EXPECT_EQ(RecCount(), 1);
}

TEST_F(NavigationTest, RelationRunsAfterEveryMove)
{
    OpenWith(3);
    std::vector<int> seen;
    SetRelation([&](int area) { seen.push_back(Area(area)->recNo); });
    GO(2);
    SKIP(1);
    GoTop();
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 1}));
}

TEST_F(NavigationTest, RelationThatMovesIsCyclic)
{
    OpenWith(3);
    SetRelation([](int) { SKIP(1); });
    EXPECT_EQ(EngineErrorCode, 224);
    GO(1);
    EXPECT_EQ(EngineErrorCode, 224);
    SetRelation(nullptr);
}

TEST_F(NavigationTest, FilterAndWhileConditions)
{
    OpenWith(6);
    SetFilter([] { return Buffer().Integer(3) % 2 == 0; });
    GoTop();
    EXPECT_EQ(Name(), "R2");
    SKIP(1);
    EXPECT_EQ(Name(), "R4");
    SetFilter(nullptr);
    GO(2);
    SetWhile([] { return Buffer().Integer(3) <= 4; });
    SKIP(1);
    SKIP(1);
    EXPECT_EQ(Name(), "R4");
    SKIP(1);
    EXPECT_TRUE(dEOF());
    GoBottomInWhile();
    EXPECT_EQ(Name(), "R4");
}

TEST_F(NavigationTest, LeavingARecordThatNoLongerQualifies)
{
    OpenWith(3);
    SetIgnoreDel(true);
    GO(2);
    ASSERT_TRUE(DeleteRec());
    EXPECT_TRUE(LeaveHiddenRecord());
    EXPECT_EQ(RecNo(), 3);
    EXPECT_FALSE(LeaveHiddenRecord());
    GO(3);
    ASSERT_TRUE(DeleteRec());
    EXPECT_TRUE(LeaveHiddenRecord());
    EXPECT_EQ(RecNo(), 1);
}

TEST_F(NavigationTest, RawGoIgnoresFilters)
{
    OpenWith(3);
    DeleteRecords({2});
    SetIgnoreDel(true);
    Dbf4RawGo(2);
    EXPECT_EQ(RecNo(), 2);
    Dbf4RawGo(9);
    EXPECT_TRUE(dEOF());
    Dbf4RawGo(0);
    EXPECT_EQ(EngineErrorCode, 212);
}

TEST_F(NavigationTest, FailedAppendLeavesNoRecord)
{
    OpenWith(1);
    ClearRecord();
    Buffer().SetText(5, "45.13.2024");
    EXPECT_FALSE(Append());
    EXPECT_EQ(EngineErrorCode, 220);
    EXPECT_EQ(RecCount(), 1);
    USE("");
    EXPECT_EQ(ReadBytes(table_).size(), 193u + 33 + 1);
}

TEST_F(NavigationTest, ModulesInstallTheirHooks)
{
    const MemoHooks memo = Memo;
    const VFileHooks vfiles = VFiles;
    MemoInit();
    VFilesInit();
    EXPECT_TRUE(MemoLinked());
    EXPECT_TRUE(VFilesLinked());
    for (const void* slot : {(const void*)Memo.ReadMemoLines, (const void*)Memo.PackMemoFile,
                             (const void*)Memo.OpenMemoFile, (const void*)Memo.CloseMemoFile,
                             (const void*)Memo.CopyMemo, (const void*)Memo.CopyMemoInPlace,
                             (const void*)Memo.AddMemo, (const void*)VFiles.Request})
        EXPECT_NE(slot, nullptr);
    Memo = memo;
    VFiles = vfiles;
}

TEST_F(NavigationTest, TheCoreWorksWithoutHooks)
{
    ClearHooks();
    EXPECT_FALSE(IndexLinked() || MemoLinked() || VFilesLinked() || ParserLinked());
    // A table with a memo field opens without its memo file.
    ASSERT_TRUE(SetCreateVersion(0x8B));
    ASSERT_TRUE(CreateDbf(Path("M"), {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}}));
    std::filesystem::remove(Path("M.DBT"));
    ASSERT_TRUE(USE(Path("M") + " EXCLUSIVE"));
    ClearRecord();
    Buffer().SetText(1, "x");
    ASSERT_TRUE(Append());
    EXPECT_FALSE(Locate("NOTE", "a", false, 1, false));
    EXPECT_EQ(EngineErrorCode, 220);
    USE("");
    OpenWith(2);
    GoBottom();
    EXPECT_EQ(Name(), "R2");
    std::vector<std::uint8_t> buffer(16);
    EXPECT_FALSE(USE("V VIRTUAL FILE", buffer.data(), buffer.size()));
    EXPECT_EQ(EngineErrorCode, 1101);
}

// A fake index unit that orders the records backwards.
struct ReverseIndex {
    static inline std::int32_t pos = 0, count = 0;
    static void Install()
    {
        Index.IndexActive = [] { return true; };
        Index.FirstRec = [] { return pos = count; };
        Index.LastRec = [] { return pos = 1; };
        Index.NextRec = [] { return --pos; };
        Index.PriorRec = [] { return ++pos; };
        Index.IndexEof = [] { return pos < 1; };
        Index.IndexBof = [] { return pos > count; };
    }
};

TEST_F(NavigationTest, IndexHooksGiveTheOrder)
{
    OpenWith(3);
    auto saved = Index;
    ReverseIndex::count = 3;
    ReverseIndex::Install();
    std::vector<std::string> names;
    for (GoTop(); !dEOF(); SKIP(1))
        names.push_back(Name());
    Index = saved;
    EXPECT_EQ(names, (std::vector<std::string>{"R3", "R2", "R1"}));
}

} // namespace
} // namespace kt4::dbase::test
