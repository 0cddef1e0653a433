// Work areas, USE and its command words, closing.
#include "dbase_fixture.h"

#include "common/other_user.h"
#include "foundation/file_trust.h"

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

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

// A name that holds no table (a folder, a FIFO, a device) is refused at
// once, a FIFO without being opened; a link where others may move names is
// not followed for writing, whoever made it, and the table it names stays
// as it was. This user's own links in closed folders are followed.
TEST_F(UseTest, NamesThatHoldNoTableOrWerePlantedAreRefused)
{
    const std::string t = MakeParts();
    const auto bytes = ReadBytes(t);
    std::filesystem::create_directory(Path("shared"));
    ::chmod(Path("shared").c_str(), 0777);
    ::mkfifo(Path("FIFO.DBF").c_str(), 0666);
    std::filesystem::create_directory(Path("ORDNER.DBF"));
    std::filesystem::create_symlink("/dev/null", Path("NULL.DBF"));
    std::filesystem::create_symlink(t, Path("shared/EIGEN.DBF"));
    std::filesystem::create_symlink(t, Path("EIGEN.DBF"));
    const bool closed = CheckFolderPath(Path(""), ::geteuid()).Closed();
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(kt4::test::AsUserNobody([&] { return ::symlink(t.c_str(), Path("shared/FREMD.DBF").c_str()); }), 0);
    }
    const struct {
        const char* name;
        bool readOnly;
        int code;
    } cases[] = {{"FIFO.DBF", true, 5},          {"FIFO.DBF", false, 5},         {"ORDNER.DBF", true, 5},
                 {"NULL.DBF", true, 5},          {"shared/FREMD.DBF", false, 5}, {"shared/FREMD.DBF", true, 0},
                 {"shared/EIGEN.DBF", false, 5}, {"shared/EIGEN.DBF", true, 0},
                 {"EIGEN.DBF", false, closed ? 0 : 5}};
    for (const auto& c : cases) {
        if (!root && std::string(c.name) == "shared/FREMD.DBF")
            continue; // another user needs root
        // a writer of the FIFO would get on if the FIFO were opened
        std::atomic<bool> opened{false};
        std::thread writer([&] {
            const int fd = ::open(Path("FIFO.DBF").c_str(), O_WRONLY);
            opened = true;
            ::close(fd);
        });
        ::usleep(20000); // the writer waits in its open
        OpenModeOverride = c.readOnly ? ModeReadShared : 65535;
        EXPECT_EQ(USE(Path(c.name)), c.code == 0) << c.name;
        EXPECT_EQ(EngineErrorCode, c.code) << c.name;
        USE("");
        ::usleep(20000);
        EXPECT_FALSE(opened) << c.name;
        const int reader = ::open(Path("FIFO.DBF").c_str(), O_RDONLY | O_NONBLOCK);
        writer.join();
        ::close(reader);
        EXPECT_EQ(ReadBytes(t), bytes) << c.name;
    }
}

} // namespace
} // namespace kt4::dbase::test
