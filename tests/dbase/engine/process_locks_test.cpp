// Locks between real processes: the lock matrix, two areas of one process,
// a killed holder, concurrent appenders, lost updates and PACK against other
// opens. An independent peer (/usr/bin/python3) checks the lock offsets.
#include "dbase_fixture.h"
#include "process_helpers.h"

#include <csignal>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>

namespace kt4::dbase::test {
namespace {

class ProcessLocksTest : public PartsTableTest {
protected:
    // Acquires one lock spec in the current area; the table is opened as
    // the spec says.
    bool Acquire(const std::string& spec)
    {
        if (spec == "excl-open")
            return USE(table_ + " EXCLUSIVE");
        if (!USE(table_))
            return false;
        if (spec == "shared-open")
            return true;
        if (spec == "flock")
            return FLock();
        if (spec == "alock")
            return ALock();
        GO(std::stoi(spec.substr(6))); // rlock:N
        return RLock();
    }
};

TEST_F(ProcessLocksTest, LockMatrix)
{
    const std::vector<std::string> specs = {"flock", "alock", "rlock:5", "rlock:6", "excl-open",
                                            "shared-open"};
    // granted[held][tried]
    const std::map<std::string, std::vector<bool>> granted = {
        {"flock", {false, false, false, false, false, true}},
        {"alock", {false, false, true, true, false, true}},
        {"rlock:5", {false, true, false, true, false, true}},
        {"excl-open", {false, false, false, false, false, false}},
        {"shared-open", {true, true, true, true, false, true}},
    };
    for (const auto& [held, row] : granted) {
        Holder holder;
        ASSERT_TRUE(holder.Start([&, heldSpec = held] { return Acquire(heldSpec); })) << held;
        for (std::size_t i = 0; i < specs.size(); ++i) {
            EXPECT_EQ(Acquire(specs[i]), row[i]) << held << " held, tried " << specs[i];
            USE("");
        }
        holder.Release();
    }
}

TEST_F(ProcessLocksTest, PeerSeesTheRegionsAtTheirOffsets)
{
    // Record n: lock base + header length + (n - 1) * record length.
    const long long rec5 = 0x40000000LL + 193 + 4 * 33;
    const std::string script =
            "import fcntl,os,struct,sys\n"
            "fd=os.open(sys.argv[1],os.O_RDWR)\n"
            "fl=struct.pack('hhxxxxqqixxxx',fcntl.F_WRLCK,0,int(sys.argv[2]),int(sys.argv[3]),0)\n"
            "try:\n fcntl.fcntl(fd,fcntl.F_OFD_SETLK,fl)\nexcept OSError:\n sys.exit(1)\n"
            "sys.exit(0)\n";
    ASSERT_TRUE(std::filesystem::exists("/usr/bin/python3")) << "the peer needs /usr/bin/python3";
    auto tryPeer = [&](long long start, long long len) {
        pid_t pid = ::fork();
        if (pid == 0) {
            ::execl("/usr/bin/python3", "python3", "-c", script.c_str(), table_.c_str(),
                    std::to_string(start).c_str(), std::to_string(len).c_str(), nullptr);
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
    };
    ASSERT_TRUE(USE(table_));
    GO(5);
    ASSERT_TRUE(RLock());
    EXPECT_EQ(tryPeer(rec5, 33), 1);
    EXPECT_EQ(tryPeer(rec5 + 33, 33), 0); // record 6 is free
    EXPECT_EQ(tryPeer(rec5 - 1, 1), 0);
    Unlock();
    ASSERT_TRUE(ALock());
    EXPECT_EQ(tryPeer(0x40000001LL, 1), 1);
    EXPECT_EQ(tryPeer(0x40000000LL, 1), 0); // the index layer's base byte
    EXPECT_EQ(tryPeer(0x40000002LL, 1), 0);
    Unlock();
    ASSERT_TRUE(FLock());
    EXPECT_EQ(tryPeer(0x40000001LL + 0x3FFFFFFELL, 1), 1);
    EXPECT_EQ(tryPeer(0x40000000LL, 1), 0);
    Unlock();
    EXPECT_EQ(tryPeer(0x40000001LL, 0x3FFFFFFF), 0);
}

TEST_F(ProcessLocksTest, TwoAreasOfOneProcessExcludeEachOther)
{
    ASSERT_TRUE(USE(table_ + " ALIAS ONE"));
    GO(5);
    ASSERT_TRUE(RLock());
    Select(2);
    ASSERT_TRUE(USE(table_ + " ALIAS TWO"));
    GO(5);
    EXPECT_FALSE(RLock());
    EXPECT_FALSE(FLock());
    Select(3);
    ASSERT_TRUE(USE(table_ + " ALIAS THREE"));
    USE(""); // closing another descriptor of the file keeps area 1's lock
    Select(2);
    USE("");
    EXPECT_EQ(InChild([&] { return Acquire("rlock:5") ? 0 : 1; }), 1);
    Select(1);
    Unlock();
    EXPECT_EQ(InChild([&] { return Acquire("rlock:5") ? 0 : 1; }), 0);
}

TEST_F(ProcessLocksTest, RetryCallbackIsAskedAfterTheLastTry)
{
    ASSERT_TRUE(USE(table_ + " ALIAS ONE"));
    ASSERT_TRUE(FLock());
    Select(2);
    ASSERT_TRUE(USE(table_ + " ALIAS TWO"));
    for (std::uint16_t retries : {0, 2}) {
        LockRetries = retries;
        int asked = 0;
        LockRetryCallback = [&] { return ++asked == 1; }; // one more round, then give up
        EXPECT_FALSE(FLock());
        EXPECT_EQ(asked, 2) << retries;
    }
    // a callback that frees the table lets the next round succeed
    LockRetries = 0;
    LockRetryCallback = [] {
        Select(1);
        Unlock();
        Select(2);
        return true;
    };
    EXPECT_TRUE(FLock());
}

TEST_F(ProcessLocksTest, FileLockCoversRecordAndAppendLocks)
{
    ASSERT_TRUE(USE(table_));
    ASSERT_TRUE(FLock());
    GO(3);
    EXPECT_TRUE(RLock()); // the file lock covers it
    EXPECT_TRUE(ALock());
    EXPECT_TRUE(IsLocked(7));
    Buffer().SetText(1, "under flock");
    EXPECT_TRUE(REPLACE());
    Unlock();
    EXPECT_TRUE(RLock());
    EXPECT_TRUE(RLock());
    EXPECT_EQ(Current()->locks.size(), 1u);
    EXPECT_FALSE(FLock());
    EXPECT_FALSE(ALock());
    ClearRecord();
    EXPECT_FALSE(Append());
    EXPECT_EQ(EngineErrorCode, 5);
    for (int n : {5, 2}) {
        GO(n);
        ASSERT_TRUE(RLock());
    }
    EXPECT_TRUE(UnlockRec(-1)); // the oldest: record 3
    EXPECT_FALSE(IsLocked(3));
    EXPECT_TRUE(IsLocked(5));
    EXPECT_FALSE(UnlockRec(9));
    EXPECT_EQ(EngineErrorCode, 220);
    EXPECT_EQ(LastErrorText(), "Record not locked. [UnlockRec(9)]");
    EXPECT_FALSE(UnlockRec(-7));
    EXPECT_TRUE(UnlockRec(-3));
    EXPECT_EQ(Current()->lockState, LockState::None);
    MaxRecordLocks = 1;
    GO(1);
    ASSERT_TRUE(RLock());
    EXPECT_TRUE(RLock()); // already held comes before the limit
    GO(2);
    EXPECT_FALSE(RLock());
    EXPECT_EQ(EngineErrorCode, 212);
}

TEST_F(ProcessLocksTest, SingleUserModeTakesNoLocks)
{
    Holder holder;
    ASSERT_TRUE(holder.Start([&] {
        // Another program's file lock, without opening through the engine.
        int fd = ::open(table_.c_str(), O_RDWR);
        struct flock fl{};
        fl.l_type = F_WRLCK;
        fl.l_start = 0x40000001;
        fl.l_len = 0x3FFFFFFF;
        return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
    }));
    ASSERT_TRUE(USE(table_));
    EXPECT_FALSE(FLock());
    USE("");
    MultiUser = false;
    ASSERT_TRUE(USE(table_));
    EXPECT_TRUE(Current()->exclusive);
    EXPECT_TRUE(FLock());
}

TEST_F(ProcessLocksTest, KilledHolderFreesItsLocksAtOnce)
{
    Holder holder;
    ASSERT_TRUE(holder.Start([&] { return Acquire("flock"); }));
    ASSERT_TRUE(USE(table_));
    EXPECT_FALSE(FLock());
    holder.Kill();
    EXPECT_TRUE(FLock());
}

TEST_F(ProcessLocksTest, ConcurrentAppendersLoseNothing)
{
    constexpr int kProcesses = 4, kCycles = 150;
    std::vector<pid_t> pids;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = ::fork();
        if (pid == 0) {
            ForgetInheritedAreas();
            SetReportErrors(false);
            LockRetries = 2000;
            LockRetryDelayMs = 1;
            bool open = false;
            for (int c = 0; c < kCycles; ++c) {
                if (!open && !USE(table_))
                    ::_exit(2);
                open = true;
                if (!ALock())
                    ::_exit(3);
                ClearRecord();
                Buffer().SetText(1, "P" + std::to_string(p));
                Buffer().SetInteger(3, c);
                if (!Append())
                    ::_exit(4);
                Unlock();
                if (c % 7 == p) { // some cycles close and reopen
                    USE("");
                    open = false;
                }
            }
            USE("");
            ::_exit(EngineErrorCode == 0 ? 0 : 5);
        }
        pids.push_back(pid);
    }
    for (pid_t pid : pids) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    auto bytes = ReadBytes(table_);
    const std::size_t total = 8 + kProcesses * kCycles;
    EXPECT_EQ(GetU32(bytes.data() + 4), total);
    EXPECT_EQ(bytes.size(), 193 + total * 33 + 1);
    EXPECT_EQ(bytes.back(), 0x1a);
    ASSERT_TRUE(USE(table_));
    std::set<std::pair<std::string, std::int64_t>> seen;
    for (GO(9); !dEOF(); SKIP(1)) {
        EXPECT_NE(Buffer().Text(1)[0], '\x1a');
        seen.insert({Name(), Buffer().Integer(3)});
    }
    EXPECT_EQ(seen.size(), std::size_t(kProcesses * kCycles));
}

TEST_F(ProcessLocksTest, LostUpdateIsReportedNotWritten)
{
    ASSERT_TRUE(USE(table_));
    GO(1);
    Buffer().SetText(1, "MINE");
    EXPECT_EQ(InChild([&] {
                  if (!USE(table_))
                      return 1;
                  GO(1);
                  if (!RLock())
                      return 2;
                  Buffer().SetText(1, "THEIRS");
                  return REPLACE() ? 0 : 3;
              }),
              0);
    ASSERT_TRUE(RLock());
    EXPECT_FALSE(REPLACE());
    EXPECT_EQ(EngineErrorCode, 1203);
    SKIP(0);
    EXPECT_EQ(Name(), "THEIRS");
    Buffer().SetText(1, "MINE");
    EXPECT_TRUE(REPLACE());
    Unlock();
    EXPECT_EQ(InChild([&] {
                  USE(table_);
                  return Name() == "MINE" ? 0 : 1;
              }),
              0);
}

TEST_F(ProcessLocksTest, PackNeedsTheTableAlone)
{
    {
        Holder holder;
        ASSERT_TRUE(holder.Start([&] { return Acquire("shared-open"); }));
        ASSERT_TRUE(USE(table_));
        GO(2);
        ASSERT_TRUE(RLock());
        ASSERT_TRUE(DeleteRec());
        Pack();
        EXPECT_EQ(EngineErrorCode, 225);
        EXPECT_EQ(RecCount(), 8);
    }
    Pack();
    EXPECT_EQ(EngineErrorCode, 0) << LastErrorText();
    EXPECT_EQ(RecCount(), 7);
    Holder holder;
    EXPECT_TRUE(holder.Start([&] { return Acquire("shared-open"); })); // shared again
    USE("");
    Holder exclusive;
    holder.Release();
    ASSERT_TRUE(exclusive.Start([&] { return Acquire("excl-open"); }));
    EXPECT_FALSE(USE(table_));
    EXPECT_EQ(EngineErrorCode, 32);
}

using WriteFailureTest = EngineTest;

// A write that the file system refuses part-way leaves no phantom record:
// the count stays, and the file is cut back to the last whole record.
TEST_F(WriteFailureTest, ShortAppendLeavesNoPhantomRecord)
{
    std::string t = MakeParts();
    ASSERT_TRUE(USE(t + " EXCLUSIVE"));
    AddRows(2);
    USE("");
    const auto before = std::filesystem::file_size(t);
    EXPECT_EQ(InChild([&] {
                  std::signal(SIGXFSZ, SIG_IGN);
                  struct rlimit limit{rlim_t(before + 10), rlim_t(before + 10)};
                  ::setrlimit(RLIMIT_FSIZE, &limit);
                  SetReportErrors(false);
                  if (!USE(t + " EXCLUSIVE"))
                      return 1;
                  ClearRecord();
                  Buffer().SetText(1, "TOO MUCH");
                  if (Append())
                      return 2;
                  if (RecCount() != 2)
                      return 3;
                  USE("");
                  return 0;
              }),
              0);
    ASSERT_TRUE(USE(t));
    EXPECT_EQ(RecCount(), 2);
    GoBottom();
    EXPECT_EQ(Name(), "R2");
    EXPECT_LE(std::filesystem::file_size(t), before + 1);
}

TEST_F(WriteFailureTest, ExceptionsLeaveNoTemporaryState)
{
    ASSERT_TRUE(CreateDbf(Path("SRC"), {{"NAME", 'C', 10, 0}}));
    ASSERT_TRUE(USE(Path("SRC") + " EXCLUSIVE"));
    ClearRecord();
    ASSERT_TRUE(Append());
    USE("");
    std::string t = MakeParts();
    ASSERT_TRUE(USE(t)); // shared and unlocked: the append inside fails
    SetReportErrors(true);
    SetExceptionMode(true);
    EXPECT_THROW(AppendFrom(Path("SRC")), EZodarError);
    EXPECT_EQ(CurrentAreaNo(), 1);
    EXPECT_EQ(Area(FromFileArea), nullptr);
    // PACK that throws (record 1 is locked by another area) restores sharing.
    ASSERT_TRUE(FLock());
    ClearRecord();
    ASSERT_TRUE(Append());
    ASSERT_TRUE(DeleteRec());
    Unlock();
    Select(2);
    ASSERT_TRUE(USE(t + " ALIAS OTHER"));
    Select(1);
    EXPECT_THROW(Pack(), EZodarError);
    EXPECT_FALSE(Current()->exclusive);
    SetExceptionMode(false);
    SetReportErrors(false);
}

} // namespace
} // namespace kt4::dbase::test
