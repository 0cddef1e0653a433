// Indexes of shared tables between real processes: the semaphore file,
// rebuilds that never pull a file from under another program, a build
// that fails half-way, and four programs changing one table at once.
#include "ndx_fixture.h"
#include "process_helpers.h"
#include "common/other_user.h"

#include "dbase/ndx/ndx_internal.h"
#include "foundation/dialogs.h"
#include "foundation/file_trust.h"
#include "foundation/linefile.h"

#include <sys/resource.h>
#include <utime.h>

#include <chrono>
#include <random>
#include <thread>
#include <utility>

namespace kt4::dbase::test {
namespace {

class NdxSharedTest : public NdxTest {
protected:
    void SetUp() override
    {
        NdxTest::SetUp();
        std::vector<std::string> names;
        for (int i = 0; i < 30; ++i)
            names.push_back("n" + std::to_string(1000 + i * 7 % 30));
        table_ = NameTable(names);
        ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
        ASSERT_TRUE(Index_On("NAME", "s"));
        USE("");
        sem_ = Path("NAMES.@S@");
    }
    bool OpenShared(const std::string& alias = "")
    {
        return USE(table_ + (alias.empty() ? "" : " ALIAS " + alias)) && SetIndexToCB("s", 1, nullptr, nullptr);
    }
    // In a forked child: the parent's indexes are forgotten first (their
    // files are the parent's).
    bool ChildOpen()
    {
        IndexInit();
        return OpenShared();
    }
    std::vector<std::uint8_t> Semaphore() { return ReadBytes(sem_); }
    // Whether a waiting writer's mark (a lock on this byte) is on the file.
    static constexpr std::int64_t kMark = 5;
    bool Marked()
    {
        DbfFile probe;
        return probe.Open(sem_, true, false) == 0 && probe.Lock(LockKind::Write, kMark, 1) != 0;
    }
    void WriteSemaphore(std::vector<std::uint8_t> bytes, bool yesterday)
    {
        WriteBytes(sem_, bytes);
        if (yesterday) {
            struct utimbuf t{std::time(nullptr) - 86400 * 2, std::time(nullptr) - 86400 * 2};
            ::utime(sem_.c_str(), &t);
        }
    }
    bool AppendName(const std::string& name)
    {
        if (!ALock())
            return false;
        ClearRecord();
        Buffer().SetText(1, name);
        const bool ok = Append();
        Unlock();
        return ok;
    }
    std::string table_, sem_;
};

TEST_F(NdxSharedTest, ReadSectionsNestAndCountReaders)
{
    ASSERT_TRUE(OpenShared()) << LastErrorText();
    EXPECT_EQ(Semaphore(), (std::vector<std::uint8_t>{1, 0, 0, 0}));
    EXPECT_TRUE(SetReadSemaphoreProc(true));
    EXPECT_TRUE(SetReadSemaphoreProc(true));
    EXPECT_EQ(Semaphore()[1], 1);
    EXPECT_TRUE(SetReadSemaphoreProc(false));
    EXPECT_EQ(Semaphore()[1], 1);
    EXPECT_TRUE(SetReadSemaphoreProc(false));
    EXPECT_EQ(Semaphore()[1], 0);
    EXPECT_FALSE(SetReadSemaphoreProc(false));
    EXPECT_EQ(EngineErrorCode, 254);
    // 127 readers counted: one more leaves the count there.
    auto b = Semaphore();
    b[1] = 127;
    WriteSemaphore(b, false);
    EXPECT_TRUE(SetReadSemaphoreProc(true));
    EXPECT_EQ(Semaphore()[1], 127);
    EXPECT_TRUE(SetReadSemaphoreProc(false));
    EXPECT_EQ(Semaphore()[1], 126);
}

TEST_F(NdxSharedTest, AnotherProgramsChangeIsSeenOnce)
{
    ASSERT_TRUE(OpenShared());
    GoTop();
    EXPECT_EQ(InChild([&] { return ChildOpen() && AppendName("n0000") ? 0 : 1; }), 0);
    ASSERT_TRUE(SetReadSemaphoreProc(true));
    EXPECT_TRUE(CheckIndexChanged());
    EXPECT_FALSE(CheckIndexChanged());
    SetReadSemaphoreProc(false);
    GoTop();
    EXPECT_EQ(RecNo(), 31);
    EXPECT_EQ(Order().size(), 31u);
    ExpectSound(1);
}

// What another program changed is read again once before it counts as
// damage: a child past the page count (the tree grew) and a record whose
// key is not the entry's (read before the change landed). A header it
// spoilt makes the index unfit: every append is refused, nothing written.
TEST_F(NdxSharedTest, AnotherProgramsChangeIsReadAgainBeforeItCountsAsDamage)
{
    bool stale = false; // the next record read shows another key
    ASSERT_TRUE(USE(table_, nullptr, 0, nullptr, [&](std::uint8_t* text, std::size_t) {
        if (std::exchange(stale, false))
            text[0] = 'z';
    }));
    ASSERT_TRUE(SetIndexToCB("s", 1, nullptr, nullptr)) << LastErrorText();
    auto b = ReadBytes(Path("s.ndx")); // leaves 1 and 2 under root 3; leaf 2 moves to page 4
    b.insert(b.end(), b.begin() + 1024, b.begin() + 1536);
    PutU32At(b, 3 * 512 + 4 + 20, 4);
    PutU32At(b, 4, 5);
    WriteBytes(Path("s.ndx"), b);
    EXPECT_TRUE(Find("n1027")) << LastErrorText();
    stale = true;
    EXPECT_TRUE(Find("n1003")) << LastErrorText();
    EXPECT_EQ(Name(), "n1003");
    b[12] = 9; // key length
    WriteBytes(Path("s.ndx"), b);
    auto sem = Semaphore();
    ++sem[2]; // the change counter
    WriteSemaphore(sem, false);
    const auto table = ReadBytes(table_);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(AppendName("n0000")) << i;
        EXPECT_EQ(EngineErrorCode, 222) << i;
    }
    EXPECT_EQ(ReadBytes(Path("s.ndx")), b);
    EXPECT_EQ(ReadBytes(table_), table);
}

TEST_F(NdxSharedTest, TheLastLogoutErasesTheFile)
{
    ASSERT_TRUE(OpenShared());
    Select(2);
    ASSERT_TRUE(OpenShared("SECOND"));
    EXPECT_EQ(Semaphore()[0], 2);
    WriteSemaphore({0, 0, 0, 0}, false); // a count reset meanwhile stays at 0
    USE("");
    EXPECT_TRUE(std::filesystem::exists(sem_));
    EXPECT_EQ(Semaphore()[0], 0);
    Select(1);
    USE("");
    EXPECT_FALSE(std::filesystem::exists(sem_));
}

// A semaphore name that is a link is followed only where nobody else may
// move names: in a folder everybody may write, neither another user's
// link nor this user's own is followed, the shared open is refused and the
// file the link names stays as it was.
TEST_F(NdxSharedTest, APlantedSemaphoreLinkIsNotFollowed)
{
    std::filesystem::create_directory(Path("out"));
    const std::string victim = Path("out/victim");
    const bool closed = CheckFolderPath(dir_.string(), ::geteuid()).Closed();
    const struct {
        const char* what;
        bool others, open; // another user's link; the folder open to all
    } cases[] = {{"another user's", true, true}, {"own, open folder", false, true}, {"own, closed folder", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.others && ::geteuid() != 0)
            continue; // another user needs root
        ::chmod(dir_.c_str(), c.open ? 0777 : 0755);
        WriteBytes(victim, {'v', 'i', 'c', 't', 'i', 'm'});
        std::filesystem::remove(sem_);
        if (c.others)
            ASSERT_EQ(kt4::test::AsUserNobody([&] { return ::symlink(victim.c_str(), sem_.c_str()); }), 0);
        else
            std::filesystem::create_symlink(victim, sem_);
        const bool followed = !c.open && closed;
        EXPECT_EQ(OpenShared(), followed);
        EXPECT_EQ(ReadBytes(victim) == std::vector<std::uint8_t>({'v', 'i', 'c', 't', 'i', 'm'}), !followed);
        if (!followed) {
            EXPECT_EQ(EngineErrorCode, 5);
            EXPECT_NE(LastErrorText().find(IoErrorText(IoUnsafeLink)), std::string::npos) << LastErrorText();
        }
        USE("");
    }
    ::chmod(dir_.c_str(), 0755);
}

TEST_F(NdxSharedTest, AWriterWaitsForLiveReadersAndWritesNothing)
{
    ASSERT_TRUE(OpenShared());
    ASSERT_TRUE(SetReadSemaphoreProc(true)); // area 1 reads
    Select(2);
    ASSERT_TRUE(OpenShared("SECOND"));
    EXPECT_FALSE(AppendName("n0001"));
    EXPECT_EQ(EngineErrorCode, 1202);
    GO(1);
    ASSERT_TRUE(RLock());
    Buffer().SetText(1, "changed");
    EXPECT_FALSE(REPLACE());
    EXPECT_EQ(EngineErrorCode, 1202);
    Unlock();
    EXPECT_FALSE(Marked()); // a writer that gave up holds no reader back
    Select(1);
    SetReadSemaphoreProc(false);
    Select(2);
    EXPECT_EQ(RecCount(), 30);
    GO(1);
    EXPECT_EQ(Name(), "n1000");
    EXPECT_TRUE(AppendName("n0001"));
    ExpectSound(1);
}

// Only a reader that is not counted yet waits behind a waiting writer's
// mark, until it goes or for a second at most; a nested read, a reader
// taking the writer, a writer taking a read and a reader whose program
// reads the table in another area go on.
TEST_F(NdxSharedTest, OnlyANewReaderWaitsBehindAWaitingWriter)
{
    struct Case {
        const char* name;
        std::vector<std::pair<int, bool>> held; // area, lock semaphore (else read)
        int area;
        bool lock;
        int markMs; // a mark a reader waits behind goes after this; -1 never
        bool waits;
    };
    const Case cases[] = {
        {"new reader", {}, 1, false, 300, true},
        {"a mark that stays", {}, 1, false, -1, true},
        {"nested read", {{1, false}}, 1, false, 300, false},
        {"reader takes the writer", {{1, false}}, 1, true, 300, false},
        {"writer reads", {{1, true}}, 1, false, 300, false},
        {"new writer", {}, 1, true, 300, false},
        {"reads in another area", {{2, false}}, 1, false, 300, false},
    };
    ASSERT_TRUE(OpenShared());
    Select(2);
    ASSERT_TRUE(OpenShared("SECOND"));
    for (const Case& c : cases) {
        for (auto [area, lock] : c.held) {
            Select(area);
            EXPECT_TRUE(lock ? SetLockSemaphoreProc(true) : SetReadSemaphoreProc(true)) << c.name;
        }
        DbfFile mark;
        ASSERT_EQ(mark.Open(sem_, true, false), 0);
        ASSERT_EQ(mark.Lock(LockKind::Read, kMark, 1), 0);
        std::thread drop([&] {
            if (c.waits && c.markMs >= 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(c.markMs));
                mark.Close();
            }
        });
        Select(c.area);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(c.lock ? SetLockSemaphoreProc(true) : SetReadSemaphoreProc(true)) << c.name;
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(waited >= std::chrono::milliseconds(200), c.waits) << c.name;
        EXPECT_LT(waited, std::chrono::seconds(3)) << c.name;
        drop.join();
        mark.Close();
        c.lock ? SetLockSemaphoreProc(false) : SetReadSemaphoreProc(false);
        for (auto it = c.held.rbegin(); it != c.held.rend(); ++it) {
            Select(it->first);
            it->second ? SetLockSemaphoreProc(false) : SetReadSemaphoreProc(false);
        }
        EXPECT_EQ(Semaphore()[1], 0) << c.name;
    }
}

// The mark ends with its program: a writer killed while it waits for a
// reader holds no later reader back.
TEST_F(NdxSharedTest, AKilledWaitingWriterLeavesNoMark)
{
    Holder reader;
    ASSERT_TRUE(reader.Start([&] { return ChildOpen() && SetReadSemaphoreProc(true); }));
    const pid_t writer = ::fork();
    if (writer == 0) {
        ForgetInheritedAreas();
        for (bool open = ChildOpen(); open && !AppendName("n0006") && EngineErrorCode == 1202;) {
        }
        ::_exit(1);
    }
    ASSERT_TRUE(OpenShared());
    bool marked = false;
    for (int i = 0; i < 5000 && !marked; ++i) {
        marked = Marked();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    EXPECT_TRUE(marked);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(SetReadSemaphoreProc(true));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_EQ(Semaphore()[1], 2);
    SetReadSemaphoreProc(false);
}

TEST_F(NdxSharedTest, LoginResetsTheFileOnlyWhenNobodyElseIsLoggedIn)
{
    {
        Holder other;
        ASSERT_TRUE(other.Start([&] { return ChildOpen(); }));
        WriteSemaphore({7, 0, 5, 0}, true);
        ASSERT_TRUE(OpenShared());
        EXPECT_EQ(Semaphore(), (std::vector<std::uint8_t>{8, 0, 5, 0}));
        USE("");
    }
    WriteSemaphore({7, 3, 5, 0}, false);
    ASSERT_TRUE(OpenShared());
    EXPECT_EQ(Semaphore(), (std::vector<std::uint8_t>{1, 0, 0, 0}));
    EXPECT_TRUE(AppendName("n0002")); // the stale readers block nothing
}

TEST_F(NdxSharedTest, AKilledReaderDoesNotStopTheNextAppend)
{
    Holder reader;
    ASSERT_TRUE(reader.Start([&] { return ChildOpen() && SetReadSemaphoreProc(true); }));
    ASSERT_TRUE(OpenShared());
    EXPECT_EQ(Semaphore()[1], 1);
    reader.Kill();
    EXPECT_TRUE(AppendName("n0003")) << LastErrorText();
    ExpectSound(1);
}

TEST_F(NdxSharedTest, PackOfASharedTableRebuildsAndGoesOnShared)
{
    ASSERT_TRUE(OpenShared());
    ASSERT_TRUE(FLock());
    for (int n : {3, 17}) {
        GO(n);
        ASSERT_TRUE(DeleteRec());
    }
    Unlock();
    Pack();
    ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
    EXPECT_EQ(RecCount(), 28);
    ExpectSound(1);
    EXPECT_EQ(InChild([&] { return ChildOpen() && AppendName("n0004") ? 0 : 1; }), 0);
    EXPECT_TRUE(AppendName("n0005")) << LastErrorText();
    EXPECT_EQ(Order().size(), 30u);
    ExpectSound(1);
    USE("");
    EXPECT_FALSE(std::filesystem::exists(sem_));
}

// Nothing is rebuilt under another program that has the table open (225),
// neither by INDEX ON nor by REINDEX, not even when it uses only one of
// the indexes, and this program's indexes stay open as they were: its next
// append is in them, for the other program too. Indexes the other program
// does not use are rebuilt.
TEST_F(NdxSharedTest, NoRebuildUnderAnotherProgram)
{
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NUM", "num"));
    USE("");
    struct Case {
        const char* what;
        const char* mine;   // the indexes this program has open
        const char* theirs; // the other program's index ("": none)
        std::function<bool()> rebuild;
        std::uint16_t code;
    } cases[] = {{"INDEX ON, no index open", "", "s", [] { return Index_On("NAME", "s"); }, 225},
                 {"INDEX ON", "s", "s", [] { return Index_On("NAME", "s"); }, 225},
                 {"REINDEX", "s", "s", [] { Reindex(); return EngineErrorCode == 0; }, 225},
                 {"REINDEX, the other program using one", "s num", "num", [] { Reindex(); return EngineErrorCode == 0; }, 225},
                 {"REINDEX, the other program using none", "s num", "", [] { Reindex(); return EngineErrorCode == 0; }, 0}};
    std::vector<std::string> appended;
    for (const Case& c : cases) {
        const auto s = ReadBytes(Path("s.ndx")), num = ReadBytes(Path("num.ndx"));
        const std::string theirs = c.theirs;
        {
            Holder other;
            ASSERT_TRUE(other.Start([&] {
                IndexInit();
                return USE(table_) && (theirs.empty() || SetIndexToCB(theirs, 1, nullptr, nullptr));
            }));
            ASSERT_TRUE(USE(table_) && (!*c.mine || SetIndexToList(c.mine))) << LastErrorText();
            EXPECT_EQ(c.rebuild(), c.code == 0) << c.what;
            EXPECT_EQ(EngineErrorCode, c.code) << c.what << ": " << LastErrorText();
            if (c.code != 0) {
                EXPECT_EQ(ReadBytes(Path("s.ndx")), s) << c.what;
                EXPECT_EQ(ReadBytes(Path("num.ndx")), num) << c.what;
            }
            EXPECT_EQ(IndexFileName(1), *c.mine ? Path("s.ndx") : "") << c.what;
            if (*c.mine) {
                appended.push_back("n000" + std::to_string(appended.size()));
                EXPECT_TRUE(AppendName(appended.back())) << c.what;
                EXPECT_EQ(InChild([&] { return ChildOpen() && Find(appended.back()) ? 0 : 1; }), 0) << c.what;
                ExpectSound(1);
            }
        }
        USE("");
    }
    ASSERT_TRUE(USE(table_));
    EXPECT_TRUE(Index_On("NAME", "s")) << LastErrorText();
    ExpectSound(1);
}

// A walk over the whole index in a shared area finds records the index
// lacks as an exclusive one does (212 naming REINDEX), once they are still
// missing after 0.1 s: not a record whose key another program adds a
// moment after the record (writing the record and count first).
TEST_F(NdxSharedTest, AWalkWaitsForKeysButFindsRecordsTheIndexLacks)
{
    auto walk = [this](int kind, std::vector<std::int32_t>& records) {
        if (kind == 0)
            return RecordsInKeyOrder(records);
        records = Order();
        return EngineErrorCode == 0;
    };
    for (int kind = 0; kind < 2; ++kind) {
        const std::string name = "n000" + std::to_string(kind);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ready[0]);
            ForgetInheritedAreas();
            // its record and count first, through an area without the index
            if (!ChildOpen() || !Select(2) || !USE(table_ + " ALIAS LATE") || !AppendName(name))
                ::_exit(2);
            (void)!::write(ready[1], "1", 1);
            ::usleep(20000);
            Select(1);
            Set_Order_To(0);
            GO(RecCount());
            const std::string key = CurrentKeyBytes(1);
            if (!SetLockSemaphoreProc(true))
                ::_exit(3);
            const bool inserted = ndx::InsertKey(*ndx::InSlot(1), key, RecCount(), true);
            SetLockSemaphoreProc(false);
            CloseAll();
            ::_exit(inserted ? 0 : 4);
        }
        ::close(ready[1]);
        char c = 0;
        EXPECT_EQ(::read(ready[0], &c, 1), 1);
        ::close(ready[0]);
        ASSERT_TRUE(OpenShared());
        std::vector<std::int32_t> records;
        EXPECT_TRUE(walk(kind, records)) << kind << ": " << LastErrorText();
        // (the walk by steps may have passed the key's place before it came)
        EXPECT_GE(records.size() + kind, std::size_t(31 + kind)) << kind;
        EXPECT_LE(records.size(), std::size_t(31 + kind)) << kind;
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        ExpectSound(1);
        USE("");
    }
    Select(2);
    ASSERT_TRUE(USE(table_ + " ALIAS OTHER"));
    for (const char* name : {"n0010", "n0011"})
        ASSERT_TRUE(AppendName(name));
    for (int kind = 0; kind < 2; ++kind) {
        Select(1);
        ASSERT_TRUE(OpenShared());
        std::vector<std::int32_t> records;
        EXPECT_FALSE(walk(kind, records)) << kind;
        EXPECT_EQ(EngineErrorCode, 212) << kind;
        EXPECT_NE(LastErrorText().find("hat 32 Einträge, Datenbank"), std::string::npos) << LastErrorText();
        EXPECT_NE(LastErrorText().find("REINDEX"), std::string::npos) << LastErrorText();
        EXPECT_FALSE(AppendName("n0012")) << kind;
        EXPECT_EQ(EngineErrorCode, 212) << kind;
        USE("");
    }
}

TEST_F(NdxSharedTest, AFailedBuildLeavesTheOldFile)
{
    std::vector<std::string> names;
    for (int i = 0; i < 3000; ++i)
        names.push_back("b" + std::to_string(i));
    const std::string big = NameTable(names, 10, "BIG");
    ASSERT_TRUE(USE(big + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NAME", "big"));
    USE("");
    const auto before = ReadBytes(Path("big.ndx"));
    EXPECT_EQ(InChild([&] {
                  IndexInit();
                  std::signal(SIGXFSZ, SIG_IGN);
                  struct rlimit limit{16384, 16384};
                  ::setrlimit(RLIMIT_FSIZE, &limit);
                  if (!USE(big + " EXCLUSIVE"))
                      return 2;
                  return !Index_On("NAME+'x'", "big") && EngineErrorCode != 0 ? 0 : 1;
              }),
              0);
    EXPECT_EQ(ReadBytes(Path("big.ndx")), before);
    for (const auto& e : std::filesystem::directory_iterator(dir_))
        EXPECT_EQ(e.path().filename().string().find("tmp"), std::string::npos) << e.path();
}

// One writer and two readers that find and step, or walk the whole index:
// none of the writer's 1,000 appends is refused, the readers meet no error.
TEST_F(NdxSharedTest, AWriterGetsItsTurnWhileReadersComeAndGo)
{
    const int writes = 1000;
    for (const bool walk : {false, true}) {
        const std::string stop = Path(walk ? "stop2" : "stop1");
        std::vector<pid_t> readers;
        const pid_t parent = ::getpid();
        for (std::uint32_t r = 0; r < 2; ++r) {
            if ((readers.emplace_back(::fork())) == 0) {
                ForgetInheritedAreas();
                std::mt19937 rng{r};
                std::vector<std::int32_t> order;
                for (bool ok = ChildOpen(); ok; ok = EngineErrorCode == 0) {
                    if (std::filesystem::exists(stop) || ::getppid() != parent)
                        ::_exit(0);
                    if (walk)
                        RecordsInKeyOrder(order);
                    else if (Find("n1" + std::to_string(rng() % 40)))
                        SKIP(1 + std::int32_t(rng() % 3));
                }
                ::_exit(1);
            }
        }
        for (int i = 0; i < 5000 && Semaphore() < std::vector<std::uint8_t>{2}; ++i) // both logged in
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const int refused = InChild([&] {
            int count = ChildOpen() ? 0 : 255;
            for (int i = 0; i < writes && count < 255; ++i) {
                if (!AppendName("w" + std::to_string(i)))
                    count += EngineErrorCode == 1202 ? 1 : 255;
            }
            return std::min(count, 255);
        });
        WriteBytes(stop, {});
        for (pid_t pid : readers) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
        std::printf("%d writes, readers %s: %d refused\n", writes, walk ? "walking the index" : "finding", refused);
        EXPECT_EQ(refused, 0) << walk;
    }
    ASSERT_TRUE(OpenShared());
    ExpectSound(1);
}

int RunTool(const std::vector<std::string>& args)
{
    return InChild([&] {
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        return 127;
    });
}

TEST_F(NdxSharedTest, FourProgramsChangeOneTable)
{
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NUM", "num"));
    USE("");
    const std::string tool = KT4_NDXTOOL;
    std::vector<pid_t> pids;
    for (int i = 0; i < 4; ++i) {
        pid_t pid = ::fork();
        if (pid == 0) {
            const std::string seed = std::to_string(i + 1);
            ::execl(tool.c_str(), tool.c_str(), "churn", table_.c_str(), "--ops", "1000", "--seed", seed.c_str(),
                    Path("s.ndx").c_str(), Path("num.ndx").c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        pids.push_back(pid);
    }
    for (pid_t pid : pids) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_FALSE(std::filesystem::exists(sem_));
    EXPECT_EQ(RunTool({tool, "check", table_, Path("s.ndx"), Path("num.ndx")}), 0);
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    for (const char* name : {"s", "num"}) {
        ASSERT_TRUE(SetIndexTo(name, 1));
        check::NdxChecker kept, fresh;
        ASSERT_TRUE(kept.CheckFile(IndexFileName(1)));
        ASSERT_TRUE(Index_On(name == std::string("s") ? "NAME" : "NUM", "fresh"));
        ASSERT_TRUE(fresh.CheckFile(IndexFileName(1)));
        ASSERT_EQ(kept.Entries().size(), fresh.Entries().size()) << name;
        for (std::size_t i = 0; i < kept.Entries().size(); ++i)
            ASSERT_TRUE(kept.Entries()[i].key == fresh.Entries()[i].key &&
                        kept.Entries()[i].rec == fresh.Entries()[i].rec)
                << name << " entry " << i;
        CloseIndexes();
    }
    EXPECT_GT(RecCount(), 100);
}

} // namespace
} // namespace kt4::dbase::test
