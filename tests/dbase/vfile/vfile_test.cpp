// Virtual files: the ordering modes, the total order of keys, sorting, and
// in-memory datasets loaded from and saved to DBF files.
#include "memo_fixture.h"

#include "dbase/vfile/tzvfile.h"
#include "foundation/scratch_dir.h"

namespace kt4::dbase::test {
namespace {

class VFileTest : public ModulesTest {
protected:
    // A virtual file KEY C10, N N 8,2 in the current area.
    void OpenVirtual(const std::string& mode)
    {
        std::vector<TDbfFieldInfo> f(2);
        f[0].type = 'C';
        f[0].len = 10;
        f[1].type = 'N';
        f[1].len = 8;
        f[1].dec = 2;
        buffer_.assign(TypedBufferSize(f), 0);
        ASSERT_TRUE(USE("V VIRTUAL FILE " + mode, buffer_.data(), buffer_.size())) << LastErrorText();
        ASSERT_TRUE(AddStru({{"key", 'c', 10, 0}, {"n", 'N', 8, 2}}));
        Set_VFileKey_To([](void*) { return Buffer().Text(1); }, nullptr);
    }
    void Add(const std::string& key, double n = 0)
    {
        ClearRecord();
        Buffer().SetText(1, key);
        Buffer().SetNumber(2, n);
        ASSERT_TRUE(Append()) << LastErrorText();
    }
    std::vector<std::string> Keys()
    {
        std::vector<std::string> out;
        for (GoTop(); !dEOF(); SKIP(1))
            out.push_back(Name() + (Buffer().Number(2) != 0 ? "/" + std::to_string(int(Buffer().Number(2))) : ""));
        return out;
    }
    std::vector<std::uint8_t> buffer_;
};

TEST_F(VFileTest, OrderingModes)
{
    OpenVirtual("FIFO");
    for (const char* k : {"b", "a", "c"})
        Add(k);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"b", "a", "c"}));
    USE("");
    OpenVirtual("LIFO");
    for (const char* k : {"b", "a", "c"})
        Add(k);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"c", "a", "b"}));
    ASSERT_TRUE(PopRec());
    EXPECT_EQ(Name(), "c"); // the last appended
    EXPECT_EQ(RecCount(), 2);
    USE("");
    OpenVirtual("INSERTION");
    Add("c");
    Add("a"); // before the current record
    GO(2);
    Add("b");
    EXPECT_EQ(Keys(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_FALSE(PopRec());
    EXPECT_EQ(EngineErrorCode, 1100);
    GO(9);
    EXPECT_EQ(EngineErrorCode, 212);
    ASSERT_TRUE(Set_VFileMode_To(lsFIFO));
    EXPECT_FALSE(Set_VFileMode_To(lsASCENDING));
    EXPECT_EQ(EngineErrorCode, 1100);
}

TEST_F(VFileTest, KeysInOneTotalOrder)
{
    OpenVirtual("ASCENDING");
    for (const char* k : {"10", "9", "1a", "b", " 2.5", "9", "A"})
        Add(k, 0);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"2.5", "9", "9", "10", "1a", "A", "b"}));
    // Numbers by value, then texts by their bytes, consistently.
    const std::vector<std::string> keys = {"-3", "9", "10", "1e2", "10a", "1a", "9x", "a", "abc"};
    for (std::size_t i = 0; i < keys.size(); ++i)
        for (std::size_t j = 0; j < keys.size(); ++j)
            EXPECT_EQ(CompareVFileKeys(keys[i], keys[j]) < 0, i < j) << keys[i] << " " << keys[j];
}

TEST_F(VFileTest, EqualKeysKeepTheirOrderAndReplacing)
{
    OpenVirtual("DESCENDING");
    Add("5", 1);
    Add("7", 2);
    Add("5", 3);
    Add("5", 4);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"7/2", "5/1", "5/3", "5/4"}));
    // A changed key moves the record; an unchanged one stays.
    GO(3);
    Buffer().SetNumber(2, 9);
    ASSERT_TRUE(REPLACE());
    EXPECT_EQ(VFileReplaceResult(), 1);
    EXPECT_EQ(RecNo(), 3);
    Buffer().SetText(1, "8");
    ASSERT_TRUE(REPLACE());
    EXPECT_EQ(VFileReplaceResult(), 2);
    EXPECT_EQ(RecNo(), 1);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"8/9", "7/2", "5/1", "5/4"}));
    // Sorting keeps equal keys in order as well.
    ASSERT_TRUE(SortVFile(lsASCENDING));
    EXPECT_EQ(Keys(), (std::vector<std::string>{"5/1", "5/4", "7/2", "8/9"}));
    EXPECT_FALSE(SortVFile(lsFIFO));
    EXPECT_EQ(EngineErrorCode, 220);
}

TEST_F(VFileTest, DatasetLoadsAndSavesOnce)
{
    const std::string table = MakeParts();
    USE(table + " EXCLUSIVE");
    AddRows(3);
    GO(2);
    DeleteRec();
    USE("");
    auto bytes = ReadBytes(table);
    bytes[29] = 0x03; // Windows ANSI, kept when the file is written again
    WriteBytes(table, bytes);
    TTzVFile v;
    v.DbfFields = {"NAME,C,10, 0", "PRICE,N,8, 2", "QTY,N,5, 0", "OK,L,1, 0", "DAY,D,8, 0"};
    v.SetDbfFileName(table);
    v.PopulateFromDisk = true;
    v.SaveToDisk = true;
    v.SetHideDeletedRecs(true);
    v.SetAppendMode(lsDESCENDING);
    v.Open();
    EXPECT_EQ(v.RecordCount(), 2);
    EXPECT_EQ(v.AsString(1), "R3");
    const auto before = std::filesystem::last_write_time(table);
    v.Close(); // nothing changed: nothing written
    EXPECT_EQ(std::filesystem::last_write_time(table), before);
    v.Open();
    v.Append();
    v.SetAsString(1, "R9");
    v.SetAsInteger(3, 90);
    v.Post();
    EXPECT_EQ(v.AsString(1), "R9");
    EXPECT_EQ(v.RecNo(), 1);
    v.Close();
    ASSERT_TRUE(USE(table));
    EXPECT_EQ(RecCount(), 3);
    EXPECT_EQ(Name(), "R9");
    EXPECT_EQ(Buffer().Integer(3), 90);
    EXPECT_EQ(ReadBytes(table)[29], 0x03);
}

TEST_F(VFileTest, SavingNeverDamagesTheOldTable)
{
    const std::string table = MakeParts();
    USE(table + " EXCLUSIVE");
    AddRows(2);
    USE("");
    const auto old = ReadBytes(table);
    TTzVFile v;
    v.DbfFields = {"NAME,C,10, 0", "PRICE,N,8, 2", "QTY,N,5, 0", "OK,L,1, 0", "DAY,D,8, 0"};
    v.SetDbfFileName(table);
    v.PopulateFromDisk = true;
    v.ShowProgress = false;
    v.Open();
    for (int i = 0; i < 200; ++i) {
        v.Append();
        v.SetAsString(1, "X" + std::to_string(i));
        v.Post();
    }
    {
        kt4::testing::FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.Active());
        EXPECT_THROW(v.SaveToDbf(), std::exception);
    }
    EXPECT_EQ(ReadBytes(table), old);
    // A memo field cannot be kept: nothing is written, the field is named.
    v.DbfFields.push_back("NOTE,M,10, 0");
    try {
        v.SaveToDbf();
        FAIL();
    } catch (const EZodarError& e) {
        EXPECT_NE(std::string(e.what()).find("Memofeld NOTE"), std::string::npos);
    }
    EXPECT_EQ(ReadBytes(table), old);
    for (const auto& e : std::filesystem::directory_iterator(dir_))
        EXPECT_EQ(e.path().filename().string().rfind(".kt4tmp-", 0), std::string::npos) << e.path();
}

} // namespace
} // namespace kt4::dbase::test
