// The table access layer with no window: opening by name, copies of
// read-only tables, positioning, fields, appends, keys and the headless
// browser.
#include "access_fixture.h"
#include "common/other_user.h"
#include "process_helpers.h"

#include <sys/stat.h>

namespace kt4::dbase::test {
namespace {

class TableAccessTest : public AccessLayerTest {
protected:
    // dbf/<name>.dbf: NAME C10, KEY C8, QTY N5, OK L, NOTE M (dBase III),
    // rows R1..Rn with KEY "<i>.5".
    void Catalogue(const std::string& name, int rows)
    {
        ASSERT_TRUE(SetCreateVersion(0x83));
        const std::string path = Path("dbf/" + name);
        ASSERT_TRUE(CreateDbf(path, {{"NAME", 'C', 10, 0}, {"KEY", 'C', 8, 0}, {"QUANTITYXY", 'N', 5, 0},
                                     {"OK", 'L', 1, 0}, {"NOTE", 'M', 10, 0}}));
        ASSERT_TRUE(USE(path + " EXCLUSIVE"));
        for (int i = 1; i <= rows; ++i) {
            ClearRecord();
            Buffer().SetText(1, "R" + std::to_string(i));
            Buffer().SetText(2, std::to_string(i) + ".5");
            Buffer().SetInteger(3, i * 10);
            Buffer().SetLogical(4, i % 2 == 1);
            Buffer().SetMemoRef(5, AddMemo("Notiz " + std::to_string(i)));
            ASSERT_TRUE(Append());
        }
        USE("");
    }
};

TEST_F(TableAccessTest, OpeningByName)
{
    Catalogue("rikula", 3);
    DbfOpenTable("rikula");
    ASSERT_FALSE(settings::AbortFlag);
    EXPECT_EQ(DbfShownFile(), Path("dbf/rikula.dbf"));
    EXPECT_EQ(DbfRecCount(), 3);
    EXPECT_EQ(DbfFieldText(1), "R1");
    EXPECT_EQ(tzdbf->MemoText(5), "Notiz 1");
    EXPECT_TRUE(settings::DbfFolderWritable);
    // A missing table: the box, AbortFlag, and the open table stays.
    DbfSkip(1);
    DbfOpenTable("pekula");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(Logged("error").back(), "error|Fehler : |File " + Path("dbf/pekula.dbf") + " not found.");
    EXPECT_EQ(DbfRecNo(), 2);
    // An engine error: "DBF Error" and AbortFlag, no exception.
    WriteBytes(Path("dbf/broken.tab"), {'x', 'y', 'z'});
    settings::AbortFlag = false;
    DbfOpenTable("broken.tab");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_NE(Logged("error").back().find("error|Fehler : |DBF Error 210"), std::string::npos);
    EXPECT_EQ(DbfRecNo(), 2);
    EXPECT_EQ(DbfFieldText(1), "R2");
    // Nothing of the write check is left in the folder.
    for (const auto& e : std::filesystem::directory_iterator(dir_ / "dbf"))
        EXPECT_TRUE(e.path().extension() != "" && e.path().filename().string()[0] != '.') << e.path();
}

TEST_F(TableAccessTest, PositionsAndMessages)
{
    Catalogue("t", 3);
    DbfOpenTable("t");
    for (std::int32_t n : {0, -3}) {
        DbfGoRecord(n);
        EXPECT_EQ(DbfRecNo(), 1);
    }
    EXPECT_EQ(settings::MessageCount, 0);
    DbfGoRecord(4);
    DbfGoRecord(4);
    EXPECT_EQ(DbfRecNo(), 3);
    ASSERT_EQ(settings::MessageCount, 1);
    EXPECT_EQ(settings::MessageTexts[1], "DBF #4 not found.");
    DbfGoTop();
    DbfSkip(5);
    EXPECT_TRUE(DbfEof());
    EXPECT_EQ(DbfRecNo(), 3);
    DbfSkip(-1);
    EXPECT_EQ(DbfRecNo(), 2);
    EXPECT_FALSE(DbfEof());
    EXPECT_EQ(DbfFieldName(0), "");
    EXPECT_EQ(DbfFieldName(6), "");
    EXPECT_EQ(DbfFieldName(3), "QUANTITYXY");
    EXPECT_EQ(DbfFieldAsInteger("QUANTITYXYZ"), 20);
    EXPECT_EQ(DbfFieldAsInteger("OK"), 0);
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(TableAccessTest, KeysWithACommaAreTriedWithAPoint)
{
    Catalogue("k", 20);
    DbfOpenTable("k");
    DbfMakeIndex("KEY", "kidx");
    ASSERT_FALSE(settings::AbortFlag);
    EXPECT_EQ(tzdbf->IndexList.size(), 0u);
    const std::string index = PrivateTempSubdir("dbf") + "kidx.ndx";
    EXPECT_TRUE(std::filesystem::exists(index));
    DbfFindKey("12,5");
    EXPECT_TRUE(DbfFound());
    EXPECT_EQ(DbfFieldText(1), "R12");
    DbfFindKey("1,2,5");
    EXPECT_FALSE(DbfFound());
    // The same name again replaces the index.
    DbfMakeIndex("NAME", "kidx");
    DbfGoTop();
    DbfSkip(1);
    EXPECT_EQ(DbfFieldText(1), "R10");
    // The index files live in the private folder only.
    for (const auto& e : std::filesystem::directory_iterator(dir_ / "tmp"))
        EXPECT_TRUE(e.is_directory()) << e.path();
}

TEST_F(TableAccessTest, FieldValuesAndAppendInBothOrders)
{
    Catalogue("layout", 1);
    DbfOpenTable("layout");
    // Set first, then append: the new record holds the values.
    DbfSetFieldString("NAME", "Neu");
    DbfSetFieldInteger("QUANTITYXYZ", 77);
    DbfSetFieldBoolean("OK", false);
    EXPECT_EQ(DbfAppendRec(), 2);
    EXPECT_EQ(DbfFieldText(1), "Neu");
    EXPECT_EQ(DbfFieldAsInteger("QUANTITYXY"), 77);
    // Append first, then set: the fields edit the new record.
    EXPECT_EQ(DbfAppendRec(), 3);
    DbfSetFieldString("NAME", "Danach");
    DbfSetFieldFloat("QUANTITYXY", 5.4);
    DbfClose();
    ASSERT_TRUE(USE(Path("dbf/layout.dbf")));
    EXPECT_EQ(RecCount(), 3);
    EXPECT_EQ(Name(), "R1");
    EXPECT_EQ(Buffer().Integer(3), 10);
    GO(2);
    EXPECT_EQ(Name(), "Neu");
    EXPECT_FALSE(Buffer().Logical(4));
    GO(3);
    EXPECT_EQ(Name(), "Danach");
    EXPECT_EQ(Buffer().Integer(3), 5);
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(TableAccessTest, RefusedLocksAtAppendAndClose)
{
    Catalogue("shared", 2);
    Holder other;
    ASSERT_TRUE(other.Start([&] { return USE(Path("dbf/shared.dbf")) && ALock(); }));
    DbfOpenTable("shared");
    EXPECT_EQ(DbfAppendRec(), 0);
    other.Release();
    ASSERT_TRUE(other.Start([&] { return USE(Path("dbf/shared.dbf")) && RLock(); }));
    DbfSetFieldString("NAME", "x");
    DbfClose();
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_NE(Logged("error").back().find("DBF Error 1200"), std::string::npos);
    EXPECT_FALSE(tzdbf->Active());
}

TEST_F(TableAccessTest, HeadlessShow)
{
    Catalogue("pick", 4);
    ASSERT_TRUE(USE(Path("dbf/pick.dbf") + " EXCLUSIVE"));
    GO(2);
    DeleteRec();
    USE("");
    DbfOpenTable("pick");
    DbfSetTitles("Titel", "Rillenkugellager");
    ui->Script("3");
    DbfShow("CLOSE", 1);
    EXPECT_EQ(settings::LastKey, 13);
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(settings::DbfSelectedRecNo, 3);
    EXPECT_EQ(settings::DbfGridRow, 2); // record 2 is hidden
    EXPECT_EQ(settings::DbfGridCol, 1);
    EXPECT_EQ(DbfRecNo(), 3);
    ui->Script("ok");
    DbfShow("", 4);
    EXPECT_EQ(settings::DbfGridRow, 3);
    ui->Script("<cancel>");
    DbfShow("", 0);
    EXPECT_EQ(settings::LastKey, 27);
    EXPECT_TRUE(settings::AbortFlag);
    settings::AbortFlag = false;
    DbfShow("", 1); // no answer: cancelled
    EXPECT_TRUE(settings::AbortFlag);
}

// Run as a user without write permission on the catalogue folder: as root
// the test runs itself again as "nobody".
TEST_F(TableAccessTest, UnwritableFolderOpensCopiesInTempDir)
{
    const char* child = std::getenv("KT4_ACCESS_CHILD");
    if (!child) {
        Catalogue("memtab", 2);
        Catalogue("ro", 1);
        // A read-only table in a folder everybody may write.
        std::filesystem::create_directories(dir_ / "rw");
        for (const char* f : {"ro.dbf", "ro.dbt"}) {
            std::filesystem::rename(dir_ / "dbf" / f, dir_ / "rw" / f);
            ::chmod((dir_ / "rw" / f).c_str(), 0444);
        }
        std::filesystem::permissions(dir_ / "rw", std::filesystem::perms::all);
        std::filesystem::permissions(dir_, std::filesystem::perms::all);
        std::filesystem::permissions(dir_ / "tmp", std::filesystem::perms::all);
        std::filesystem::permissions(dir_ / "dbf", std::filesystem::perms::owner_all |
                                                       std::filesystem::perms::group_read |
                                                       std::filesystem::perms::group_exec |
                                                       std::filesystem::perms::others_read |
                                                       std::filesystem::perms::others_exec);
        if (::geteuid() != 0)
            ::chmod((dir_ / "dbf").c_str(), 0555);
        ::setenv("KT4_ACCESS_CHILD", dir_.c_str(), 1);
        const int code = kt4::test::RunAsNobody(
            {std::filesystem::read_symlink("/proc/self/exe").string(),
             "--gtest_filter=TableAccessTest.UnwritableFolderOpensCopiesInTempDir"});
        ::unsetenv("KT4_ACCESS_CHILD");
        ::chmod((dir_ / "dbf").c_str(), 0755);
        EXPECT_EQ(code, 0) << "the run as another user failed";
        std::vector<std::string> left;
        for (const auto& e : std::filesystem::directory_iterator(dir_ / "dbf"))
            left.push_back(e.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"memtab.dbf", "memtab.dbt"}));
        return;
    }
    const std::filesystem::path root = child;
    settings::DbfDir = (root / "dbf").string();
    settings::TempDir = (root / "tmp").string();
    // The copies live in the process's private folder; TempDir lies in a
    // folder every user may write, so that folder is made in /tmp. A stale
    // memo file of an earlier copy is replaced with the table.
    const std::string copies = DbfCopyFolder();
    EXPECT_EQ(copies.rfind("/tmp/kt4-", 0), 0u) << copies;
    WriteBytes(copies + "memtab.dbt", std::vector<std::uint8_t>(600, 0));
    DbfOpenTable("memtab");
    ASSERT_FALSE(settings::AbortFlag);
    EXPECT_FALSE(settings::DbfFolderWritable);
    EXPECT_EQ(DbfShownFile(), copies + "memtab.dbf");
    DbfSkip(1);
    EXPECT_EQ(tzdbf->MemoText(5), "Notiz 2");
    DbfSetFieldString("NAME", "kopiert");
    DbfClose();
    EXPECT_FALSE(settings::AbortFlag);
    // A read-only table in a writable folder opens from a copy the user may
    // write.
    settings::DbfWriteChecked = false;
    settings::DbfDir = (root / "rw").string();
    DbfOpenTable("ro");
    EXPECT_TRUE(settings::DbfFolderWritable);
    EXPECT_EQ(DbfShownFile(), copies + "ro.dbf");
    EXPECT_EQ(tzdbf->MemoText(5), "Notiz 1");
    EXPECT_EQ(::access((copies + "ro.dbf").c_str(), W_OK), 0);
    DbfSetFieldString("NAME", "geht");
    DbfClose();
    EXPECT_FALSE(settings::AbortFlag);
}

} // namespace
} // namespace kt4::dbase::test
