// Work areas, USE and its command words, closing.
#include "dbase_fixture.h"

#include <sys/stat.h>

namespace kt4::dbase::test {
namespace {

using UseTest = EngineTest;

TEST_F(UseTest, SelectZeroTakesTheFirstFreeArea)
{
    std::string t = MakeParts();
    USE(t + " ALIAS A");
    Select(2);
    USE(t + " ALIAS B");
    Select(0);
    EXPECT_EQ(CurrentAreaNo(), 3);
    for (int i = 3; i <= MaxUserAreas; ++i) {
        Select(i);
        ASSERT_TRUE(USE(t + " ALIAS X" + std::to_string(i))) << LastErrorText();
    }
    EXPECT_FALSE(Select(0));
    EXPECT_EQ(EngineErrorCode, 220);
    EXPECT_EQ(LastErrorText(), "Kein Arbeitsbereich frei [Select(0)]");
    EXPECT_FALSE(Select(34));
    EXPECT_EQ(LastErrorText(), "Ungültiger Arbeitsbereich = [Select(34)]");
    CloseAll();
    EXPECT_EQ(CurrentAreaNo(), 1);
    EXPECT_EQ(Current(), nullptr);
}

TEST_F(UseTest, AliasAndExclusiveWords)
{
    std::string t = MakeParts();
    ASSERT_TRUE(USE(Path("parts") == t ? t : Path("PARTS") + " alias p exclusive"));
    EXPECT_EQ(Alias(), "P");
    EXPECT_TRUE(Current()->exclusive);
    EXPECT_EQ(Current()->fileName, t);
    Select(2);
    EXPECT_FALSE(USE(MakeParts("OTHER") + " ALIAS P"));
    EXPECT_EQ(EngineErrorCode, 220);
    EXPECT_EQ(LastErrorText(), "Alias-Name \"P\" bereits benutzt. [USE]");
    EXPECT_EQ(Current(), nullptr);
    EXPECT_EQ(AreaOfAlias("p"), 1);
}

TEST_F(UseTest, CommandWordsAreWholeWordsAfterThePath)
{
    auto c = ParseUseCommand("/data/Virtual Files/Exclusive Alias/x.dbf ALIAS a EXCLUSIVE");
    EXPECT_EQ(c.request.path, "/data/Virtual Files/Exclusive Alias/x.dbf");
    EXPECT_EQ(c.request.alias, "a");
    EXPECT_TRUE(c.request.exclusive);
    EXPECT_FALSE(c.isVirtual);
    c = ParseUseCommand("NONEXCLUSIVE.DBF");
    EXPECT_EQ(c.request.path, "NONEXCLUSIVE.DBF");
    EXPECT_FALSE(c.request.exclusive);
    c = ParseUseCommand("dir/EXCLUSIVE/t.dbf");
    EXPECT_EQ(c.request.path, "dir/EXCLUSIVE/t.dbf");
    c = ParseUseCommand("list ALIAS q LINKED LIST TO EMS TO HEAP lifo");
    EXPECT_TRUE(c.isVirtual);
    EXPECT_EQ(c.request.path, "list");
    EXPECT_EQ(c.request.alias, "q");
    EXPECT_EQ(c.storage, 1);
    EXPECT_EQ(c.appendMode, 1);
    // The case of a path is kept.
    std::filesystem::create_directories(dir_ / "Mixed Case");
    ASSERT_TRUE(CreateDbf(Path("Mixed Case/Tab"), {{"A", 'C', 1, 0}}));
    ASSERT_TRUE(USE(Path("Mixed Case/Tab") + " exclusive"));
    EXPECT_EQ(Alias(), "TAB");
}

TEST_F(UseTest, NamesAreFoundRegardlessOfCase)
{
    ASSERT_TRUE(CreateDbf(Path("lower"), {{"A", 'C', 1, 0}}));
    EXPECT_TRUE(std::filesystem::exists(Path("lower.dbf")));
    ASSERT_TRUE(USE(Path("LOWER")));
    EXPECT_EQ(Current()->fileName, Path("lower.dbf"));
    ASSERT_TRUE(USE(Path("Lower.DBF")));
    USE(Path("missing"));
    EXPECT_EQ(EngineErrorCode, 2);
    EXPECT_EQ(LastErrorText(), "Fehler beim Öffnen von " + Path("missing.dbf") + " [USE/OpenDbf]");
}

TEST_F(UseTest, ReadOnlyFilesOpenForReading)
{
    std::string t = MakeParts();
    ::chmod(t.c_str(), 0444);
    if (::geteuid() == 0)
        OpenModeOverride = ModeReadShared; // root ignores the file's mode: ask for reading
    ASSERT_TRUE(USE(t));
    EXPECT_TRUE(Current()->file.ReadOnly());
    ASSERT_TRUE(FLock());
    ClearRecord();
    EXPECT_FALSE(Append());
    EXPECT_EQ(EngineErrorCode, 5);
}

TEST_F(UseTest, BufferArguments)
{
    std::string t = MakeParts();
    std::vector<std::uint8_t> buf(40);
    EXPECT_FALSE(USE(t, buf.data(), 0));
    EXPECT_EQ(EngineErrorCode, 220);
    EXPECT_FALSE(USE(t, nullptr, 10));
    EXPECT_EQ(EngineErrorCode, 220);
    EXPECT_TRUE(USE(t, nullptr, 0));
    EXPECT_EQ(Current()->bufSize, 1u + 11 + 8 + 4 + 1 + 11);
}

TEST_F(UseTest, VirtualFilesNeedTheirManager)
{
    std::vector<std::uint8_t> buf(20);
    EXPECT_FALSE(USE("Q VIRTUAL FILE", buf.data(), buf.size()));
    EXPECT_EQ(EngineErrorCode, 1101);
    EXPECT_EQ(Current(), nullptr);
}

TEST_F(UseTest, CloseWritesCountDateAndEndMark)
{
    std::string t = MakeParts();
    SetTodayProvider([] { return Ymd{2025, 1, 2}; });
    USE(t);
    AddRows(2);
    USE("");
    auto b = ReadBytes(t);
    EXPECT_EQ(b[1], 125);
    EXPECT_EQ(b[2], 1);
    EXPECT_EQ(b[3], 2);
    EXPECT_EQ(GetU32(b.data() + 4), 2u);
    EXPECT_EQ(b.size(), 193u + 2 * 33 + 1);
    EXPECT_EQ(b.back(), 0x1a);
}

TEST_F(UseTest, CloseCompletesWhenTheHeaderCannotBeWritten)
{
    std::string t = MakeParts();
    USE(t + " EXCLUSIVE");
    AddRows(1);
    // Make the header write fail: swap the descriptor for a read-only one.
    TWorkArea* a = Current();
    ASSERT_EQ(a->file.Open(t, false, false), 0);
    SetReportErrors(true);
    SetExceptionMode(true);
    EXPECT_THROW(USE(""), EZodarError);
    EXPECT_EQ(Current(), nullptr);
    SetReportErrors(false);
    EXPECT_TRUE(USE(t)); // the area is usable again
}

TEST_F(UseTest, FilesAreIdentifiedByDeviceAndInode)
{
    std::string t = MakeParts();
    std::filesystem::create_symlink(t, Path("LINK.DBF"));
    USE(t + " ALIAS A");
    Select(2);
    USE(Path("LINK.DBF") + " ALIAS B");
    EXPECT_EQ(Area(1)->fileKey, Area(2)->fileKey);
    MakeParts("OTHER");
    Select(3);
    USE(Path("OTHER.DBF"));
    EXPECT_FALSE(Area(1)->fileKey == Area(3)->fileKey);
}

} // namespace
} // namespace kt4::dbase::test
