// The table files under other processes, crashes and full disks: closes
// and creates that leave others' tables alone, opens that follow a replaced
// table, counts written while appending, full disks, and every replaced
// file written through the one atomic writer (mode, owner, write
// protection, temporaries). The kill -9 runs are tests/dbase/extra_crash.sh.
#include "dbase_fixture.h"
#include "process_helpers.h"

#include "foundation/scratch_dir.h"

#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <thread>

namespace kt4::dbase::test {
namespace {

namespace fs = std::filesystem;

class CrashSafetyTest : public PartsTableTest {
protected:
    std::uint32_t HeaderCount() { return GetU32(ReadBytes(table_).data() + 4); }
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            names.insert(e.path().filename().string());
        return names;
    }
    // Marks record n deleted in a table that is not open.
    void DeleteRecord(int n)
    {
        ASSERT_TRUE(USE(table_));
        GO(n);
        ASSERT_TRUE(RLock());
        ASSERT_TRUE(DeleteRec());
        USE("");
    }
};

struct stat StatOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

// Another process holds the append lock: our close leaves the header and
// the end mark to it, and it writes them when it finishes.
TEST_F(CrashSafetyTest, SharedCloseWritesNothingWithoutTheAppendLock)
{
    ASSERT_TRUE(USE(table_));
    AddRows(1, 9);
    Holder other;
    ASSERT_TRUE(other.Start(
        [&] {
            if (!USE(table_) || !ALock())
                return false;
            ClearRecord();
            Buffer().SetText(1, "THEIRS");
            return Append();
        },
        [] { USE(""); }));
    const auto before = ReadBytes(table_);
    USE("");
    EXPECT_EQ(EngineErrorCode, 0);
    EXPECT_EQ(ReadBytes(table_), before);
    other.Release();
    const auto after = ReadBytes(table_);
    EXPECT_EQ(GetU32(after.data() + 4), 10u);
    ASSERT_EQ(after.size(), 193u + 10 * 33 + 1);
    EXPECT_EQ(after.back(), 0x1A);
    EXPECT_EQ(after[193 + 8 * 33], ' '); // our record's deletion byte
}

TEST_F(CrashSafetyTest, CreateLeavesATableThatAnotherProcessUses)
{
    const std::vector<FieldDef> fields = {{"X", 'C', 5, 0}};
    Holder other;
    ASSERT_TRUE(other.Start([&] { return USE(table_); }));
    const auto before = ReadBytes(table_);
    EXPECT_FALSE(CreateDbf(table_, fields));
    EXPECT_EQ(EngineErrorCode, 32);
    EXPECT_EQ(ReadBytes(table_), before);
    other.Release();
    EXPECT_TRUE(CreateDbf(table_, fields));
    EXPECT_EQ(ReadBytes(table_).size(), 32u + 32 + 1 + 1);
}

// Another process puts a new copy of the table under its name over and
// over, as PACK does (holding the old file exclusively, the copy locked
// before the rename), while this one opens, appends and closes: every
// append it reports is in the table, none went into a file that lost its
// name between the open and the share lock.
TEST_F(CrashSafetyTest, OpensFollowATableThatIsReplaced)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    pid_t replacer = ::fork();
    if (replacer == 0) {
        ::close(fds[1]);
        ::fcntl(fds[0], F_SETFL, O_NONBLOCK); // polled between the rounds
        ForgetInheritedAreas();
        const std::string copy = table_ + ".copy";
        for (char c = 0; ::read(fds[0], &c, 1) < 0;) {
            DbfFile old, fresh;
            if (OpenWithShareLock(old, table_, true, false, Share::Exclusive) != 0)
                continue;
            std::vector<std::uint8_t> bytes(std::size_t(old.Size()));
            if (old.ReadAt(0, bytes.data(), bytes.size()) != std::int64_t(bytes.size()))
                ::_exit(1);
            WriteBytes(copy, bytes);
            if (fresh.Open(copy, true, false) != 0 ||
                fresh.Lock(LockKind::Write, ShareLockOffset, 1) != 0 ||
                ::rename(copy.c_str(), table_.c_str()) != 0)
                ::_exit(2);
        }
        ::_exit(0);
    }
    ::close(fds[0]);
    LockRetries = 1000;
    LockRetryDelayMs = 0;
    std::int64_t reported = 0;
    // fifty appends reported (a minute only a hang takes)
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (reported < 50 && std::chrono::steady_clock::now() < end) {
        if (!USE(table_))
            continue;
        if (ALock()) {
            ClearRecord();
            Buffer().SetText(1, "MINE");
            if (Append())
                ++reported;
        }
        USE("");
    }
    (void)!::write(fds[1], "q", 1);
    ::close(fds[1]);
    int status = 0;
    ::waitpid(replacer, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ASSERT_EQ(reported, 50);
    ASSERT_TRUE(USE(table_));
    std::int64_t found = 0;
    for (GoTop(); !dEOF(); SKIP(1))
        found += Name() == "MINE";
    EXPECT_EQ(found, reported);
}

// An exclusive stream of appends writes the count every 1000 appends and
// at least once a second; a crash loses no more. PACK repairs the count.
TEST_F(CrashSafetyTest, ExclusiveAppendsWriteTheCountAsTheyGo)
{
    // (3 when the appends took a second, so that the count may be due by
    // the clock at the last one)
    const int code = InChild([&] {
        const auto start = std::chrono::steady_clock::now();
        if (!USE(table_ + " EXCLUSIVE"))
            return 1;
        for (int i = 0; i < 2500; ++i) {
            ClearRecord();
            if (!Append())
                return 2;
        }
        return std::chrono::steady_clock::now() - start < std::chrono::milliseconds(900) ? 0 : 3;
    }); // ends without closing, as a crash would
    EXPECT_TRUE(code == 0 || code == 3) << code;
    const std::uint32_t whole = 8 + 2500;
    EXPECT_EQ(fs::file_size(table_), 193u + whole * 33);
    EXPECT_GT(HeaderCount(), whole - 1000);
    EXPECT_LE(HeaderCount(), whole);
    if (code == 0) {
        EXPECT_LT(HeaderCount(), whole);
    }
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    EXPECT_EQ(RecCount(), std::int32_t(whole));
    Pack(); // nothing deleted: the count is set to the whole records
    EXPECT_EQ(EngineErrorCode, 0);
    EXPECT_EQ(HeaderCount(), whole);
    EXPECT_EQ(ReadBytes(table_).back(), 0x1A);
    ClearRecord();
    ASSERT_TRUE(Append()); // a second after the last count: written at once
    std::this_thread::sleep_for(std::chrono::milliseconds(1050));
    ClearRecord();
    ASSERT_TRUE(Append());
    EXPECT_EQ(HeaderCount(), whole + 2);
}

// A full disk: PACK reports 101 and leaves the table as it was; a failed
// shared append leaves the table's end mark in place.
TEST_F(CrashSafetyTest, FullDiskLeavesTheTableWhole)
{
    DeleteRecord(2);
    const auto before = ReadBytes(table_);
    const auto names = Names();
    EXPECT_EQ(InChild([&] {
                  kt4::testing::FileSizeLimit limit(300); // smaller than the table
                  if (!USE(table_))
                      return 1;
                  Pack();
                  if (EngineErrorCode != 101 || RecCount() != 8)
                      return 2;
                  if (!ALock())
                      return 3;
                  ClearRecord();
                  if (Append() || EngineErrorCode != 101)
                      return 4;
                  USE("");
                  return EngineErrorCode == 0 ? 0 : 5;
              }),
              0);
    const auto after = ReadBytes(table_);
    EXPECT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < std::min(after.size(), before.size()); ++i)
        if (after[i] != before[i])
            ADD_FAILURE() << "byte " << i << ": " << int(after[i]) << " was " << int(before[i]);
    EXPECT_EQ(Names(), names);
}

// Every file the engine replaces (PACK, CREATE, the delimited export) goes
// through the one atomic writer: mode and owner stay (also when root packs
// another user's table), a write-protected file stays for an ordinary user,
// and temporaries of ended processes go.
TEST_F(CrashSafetyTest, ReplacedFilesKeepModeOwnerAndWriteProtection)
{
    const bool root = ::geteuid() == 0;
    pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const std::string stale = ".kt4tmp-" + std::to_string(ended) + "-0-PARTS.DBF";
    WriteBytes(Path(stale), std::vector<std::uint8_t>(100, 'x'));
    const std::string out = Path("export.txt");
    WriteBytes(out, {'o', 'l', 'd'});
    for (const std::string& f : {table_, out}) {
        ::chmod(f.c_str(), 0604);
        if (root) {
            ASSERT_EQ(::chown(f.c_str(), 65534, 65534), 0);
        }
    }
    DeleteRecord(3);
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    Pack();
    EXPECT_EQ(EngineErrorCode, 0);
    EXPECT_EQ(RecCount(), 7);
    EXPECT_TRUE(CopyToDelimited(out));
    USE("");
    EXPECT_TRUE(CreateDbf(table_, {{"X", 'C', 5, 0}}));
    for (const std::string& f : {table_, out}) {
        EXPECT_EQ(StatOf(f).st_mode & 07777, 0604u) << f;
        if (root) {
            EXPECT_EQ(StatOf(f).st_uid, 65534u) << f;
        }
    }
    EXPECT_EQ(Names(), (std::set<std::string>{"PARTS.DBF", "export.txt"}));

    fs::permissions(dir_, fs::perms::all);
    ::chmod(table_.c_str(), 0444);
    ::chmod(out.c_str(), 0444);
    const auto table = ReadBytes(table_), text = ReadBytes(out);
    EXPECT_EQ(kt4::testing::AsUserNobody([&] {
                  if (CreateDbf(table_, {{"Y", 'C', 5, 0}}) || EngineErrorCode != 5)
                      return 1;
                  if (!USE(table_) || CopyToDelimited(out) || EngineErrorCode != 5)
                      return 2;
                  return 0;
              }),
              0);
    EXPECT_EQ(ReadBytes(table_), table);
    EXPECT_EQ(ReadBytes(out), text);
    EXPECT_EQ(Names().size(), 2u);
}

} // namespace
} // namespace kt4::dbase::test
