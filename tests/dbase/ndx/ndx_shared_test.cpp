// Indexes of shared tables between real processes: the semaphore file,
// rebuilds that never pull a file from under another program, a build
// that fails half-way, and four programs changing one table at once.
#include "ndx_fixture.h"
#include "process_helpers.h"
#include "write_fault.h"
#include "common/other_user.h"

#include "dbase/ndx/ndx_internal.h"
#include "foundation/dialogs.h"
#include "foundation/file_trust.h"
#include "foundation/linefile.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <utime.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <random>
#include <regex>
#include <set>
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
    // the reader is alive: its program is named as the cause, with the wait
    const std::string text = LastErrorText();
    EXPECT_NE(text.find("Another program is reading the index"), std::string::npos) << text;
    EXPECT_NE(text.find("Please try again"), std::string::npos) << text;
    EXPECT_TRUE(std::regex_search(text, std::regex("waited [0-9]+ ms"))) << text;
    EXPECT_EQ(text.find("delete"), std::string::npos) << text;
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
// reads the table in another area go on. A waiting reader is told by what
// it cannot do before the mark goes (be counted), one that goes on by
// never sleeping between tries.
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
        {"nested read", {{1, false}}, 1, false, -1, false},
        {"reader takes the writer", {{1, false}}, 1, true, -1, false},
        {"writer reads", {{1, true}}, 1, false, -1, false},
        {"new writer", {}, 1, true, -1, false},
        {"reads in another area", {{2, false}}, 1, false, -1, false},
    };
    // This thread's sleeps: a reader waiting behind the mark sleeps between
    // its tries until its limit, many times; one that goes on at most for
    // the disk.
    const auto sleeps = [] {
        struct rusage u{};
        ::getrusage(RUSAGE_THREAD, &u);
        return u.ru_nvcsw;
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
        const auto start = std::chrono::steady_clock::now();
        std::thread drop([&] {
            if (c.markMs >= 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(c.markMs));
                mark.Close();
            }
        });
        Select(c.area);
        const long before = sleeps();
        EXPECT_TRUE(c.lock ? SetLockSemaphoreProc(true) : SetReadSemaphoreProc(true)) << c.name;
        const long slept = sleeps() - before;
        if (c.waits) { // not counted before the mark went or the reader's limit passed
            EXPECT_GE(std::chrono::steady_clock::now() - start,
                      std::chrono::milliseconds(c.markMs >= 0 ? c.markMs : 1000))
                << c.name;
        } else {
            EXPECT_LT(slept, 10) << c.name;
        }
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
// reader leaves no lock on the byte, and the next reader is counted.
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
    bool marked = false; // (a minute only a hang takes)
    for (const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
         !marked && std::chrono::steady_clock::now() < end;) {
        marked = Marked();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    EXPECT_TRUE(marked);
    EXPECT_FALSE(Marked());
    EXPECT_TRUE(SetReadSemaphoreProc(true));
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

// INDEX ON over an open index in a shared area whose opens fail in turn
// (no descriptor left) or whose semaphore fails once the new file has the
// name: it builds the index and has it open alone, or leaves every index
// open, the old one fit, or out of date with page 0 marked (212 in a fresh
// program). A key change made then is in the index or refused (212), and
// FIND and the walk answer right or 212, here and in a fresh program.
TEST_F(NdxSharedTest, AnIndexOnThatFailsLeavesEveryIndexOpen)
{
    ASSERT_TRUE(USE(table_ + " EXCLUSIVE"));
    ASSERT_TRUE(Index_On("NUM", "num"));
    USE("");
    const std::vector<std::string> files = {table_, Path("s.ndx"), Path("num.ndx")};
    std::vector<std::vector<std::uint8_t>> saved;
    for (const std::string& f : files)
        saved.push_back(ReadBytes(f));
    enum Outcome { Built, OldFit, OutOfDate };
    // FIND of record 3's key and the walk: right, or 212.
    auto answers = [this] {
        const std::string key = AllTrim(Buffer().Text(1));
        const bool found = Find(key);
        if (EngineErrorCode != 212 && !(found && RecNo() == 3))
            return false;
        EngineErrorCode = 0;
        const std::size_t walked = Order().size();
        return EngineErrorCode == 212 || walked == 30;
    };
    std::vector<int> spare; // descriptors held while few are left
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    int semaphore = -1; // the semaphore file's descriptor while it fails
    struct Case {
        std::string what;
        std::function<void()> fail, mend;
        bool reindex = false; // REINDEX instead
    };
    std::vector<Case> cases;
    for (int left = 0; left < 8; ++left)
        cases.push_back({std::to_string(left) + " descriptors left",
                         [&spare, limit, left] {
                             rlimit few = limit;
                             few.rlim_cur = std::min<rlim_t>(limit.rlim_cur, 1024);
                             ::setrlimit(RLIMIT_NOFILE, &few);
                             for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;)
                                 spare.push_back(fd);
                             for (int i = 0; i < left && !spare.empty(); ++i, spare.pop_back())
                                 ::close(spare.back());
                         },
                         [&spare, limit] {
                             for (const int fd : spare)
                                 ::close(fd);
                             ::setrlimit(RLIMIT_NOFILE, &limit);
                         }});
    const auto breakSemaphore = [&semaphore, this] {
        const int fd = ndx::CurrentState().sem->file.Fd(), cannotRead = ::open(sem_.c_str(), O_WRONLY);
        semaphore = ::dup(fd);
        ::dup2(cannotRead, fd);
        ::close(cannotRead);
    };
    const auto mendSemaphore = [&semaphore] {
        ::dup2(semaphore, ndx::CurrentState().sem->file.Fd());
        ::close(semaphore);
    };
    for (const bool reindex : {false, true})
        cases.push_back({std::string(reindex ? "REINDEX, " : "") + "the semaphore after the rename", breakSemaphore,
                         mendSemaphore, reindex});
    std::set<int> seen;
    for (const Case& c : cases) {
        for (std::size_t i = 0; i < files.size(); ++i)
            WriteBytes(files[i], saved[i]);
        const int outcome = InChild([&] {
            IndexInit();
            if (!USE(table_) || !SetIndexToList("s num"))
                return 20;
            c.fail();
            const bool built = c.reindex ? (Reindex(), EngineErrorCode == 0) : Index_On("NAME", "s");
            const std::uint16_t code = EngineErrorCode;
            c.mend();
            if (built != (code == 0))
                return 21;
            // the new index alone (an error met after it opened is told),
            // or every index that was open
            const bool alone = IndexFileName(2).empty();
            if (IndexFileName(1) != Path("s.ndx") || (!alone && IndexFileName(2) != Path("num.ndx")) ||
                (built && !alone))
                return 22;
            GO(3);
            EngineErrorCode = 0;
            if (!RLock())
                return 23;
            Buffer().SetText(1, "zz");
            const bool changed = REPLACE();
            if (!changed && EngineErrorCode != 212)
                return 24;
            Unlock();
            if (!answers())
                return 25;
            CloseAll();
            return int(alone ? Built : changed ? OldFit : OutOfDate);
        });
        ASSERT_LE(outcome, int(OutOfDate)) << c.what;
        seen.insert(outcome);
        if (c.what.find("semaphore") != std::string::npos) {
            EXPECT_EQ(outcome, OutOfDate);
        }
        ASSERT_TRUE(USE(table_));
        EXPECT_EQ(SetIndexTo("s", 1), outcome != OutOfDate) << c.what;
        EXPECT_EQ(EngineErrorCode, outcome == OutOfDate ? 212 : 0) << c.what << ": " << LastErrorText();
        if (outcome != OutOfDate) {
            ASSERT_TRUE(SetIndexTo("num", 2));
            ExpectSound(1);
            ExpectSound(2);
            GO(3);
            EXPECT_TRUE(answers()) << c.what;
        }
        USE("");
    }
    EXPECT_EQ(seen, (std::set<int>{Built, OldFit, OutOfDate}));
    // A shared area with no index logs in for the one it builds before the
    // build (a login that fails replaces nothing), and out again when the
    // build fails.
    ASSERT_TRUE(USE(table_));
    const auto before = ReadBytes(Path("s.ndx"));
    std::filesystem::create_directory(sem_);
    EXPECT_FALSE(Index_On("NAME+'x'", "s"));
    std::filesystem::remove(sem_);
    EXPECT_EQ(ReadBytes(Path("s.ndx")), before);
    EXPECT_FALSE(Index_On("NOFIELD", "s"));
    EXPECT_FALSE(std::filesystem::exists(sem_));
    ASSERT_TRUE(Index_On("NAME", "s"));
    EXPECT_EQ(Semaphore()[0], 1);
    // The new index carries the share lock of an open index.
    DbfFile probe;
    ASSERT_EQ(probe.Open(Path("s.ndx"), true, false), 0);
    EXPECT_NE(probe.Lock(LockKind::Write, ShareLockOffset, 1), 0);
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
    // The read section left for a pause cannot be entered again (its count
    // cannot be written): the walk ends with that error, and the section
    // ends as if entered (no unbalanced end), so the next walk reads again.
    Select(1);
    ASSERT_TRUE(OpenShared());
    ArmWriteFault({.fd = ndx::CurrentState().sem->file.Fd(), .skip = 2}); // entry, pause, entry again
    std::vector<std::int32_t> records;
    EXPECT_FALSE(RecordsInKeyOrder(records));
    EXPECT_TRUE(WriteFaultStruck());
    DisarmWriteFault();
    EXPECT_EQ(EngineErrorCode, 100) << LastErrorText();
    EXPECT_NE(LastErrorText().find("INCREAD"), std::string::npos) << LastErrorText();
    EXPECT_EQ(ndx::CurrentState().readNesting, 0);
    EXPECT_EQ(Semaphore()[1], 0);
    EXPECT_FALSE(RecordsInKeyOrder(records));
    EXPECT_EQ(EngineErrorCode, 212) << LastErrorText();
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

// What a program finds in the open table (its index in slot 1): every
// record's key found on a record of that key, and a walk that lists every
// record once, unless refused with 212 naming REINDEX (refused counts those).
std::string WrongAnswers(int& refused)
{
    auto outOfDate = [&] {
        const bool is = EngineErrorCode == 212 && LastErrorText().find("REINDEX") != std::string::npos;
        refused += is;
        return is;
    };
    std::vector<std::pair<std::string, std::string>> keys; // text, bytes
    for (std::int32_t r = 1; r <= RecCount(); ++r) {
        Dbf4RawGo(r);
        bool present = false;
        keys.emplace_back(AllTrim(Index.KeyOfSlot(1, present)), CurrentKeyBytes(1));
    }
    std::string wrong;
    for (const auto& [text, bytes] : keys)
        if (!Find(text) ? !outOfDate() : CurrentKeyBytes(1) != bytes)
            wrong += " find " + text + ": " + LastErrorText();
    std::vector<std::int32_t> order;
    if (!RecordsInKeyOrder(order) ? !outOfDate()
                                  : order.size() != keys.size() ||
                                        std::set<std::int32_t>(order.begin(), order.end()).size() != order.size())
        wrong += " walk: " + LastErrorText();
    return wrong;
}

// An index write that fails in the middle of an append or a key change,
// in a shared area while another program has the index open throughout:
// where nothing of the change reached a page of the tree (a full disk at a
// split's new page) the index stays in use and the change again goes
// through; else the index is out of date at once, for this program (212
// naming REINDEX, for the change again too) and, through the mark on page
// 0, for the other one (its append refused, nothing written) and one that
// opens it afresh. Where page 0 itself failed and the mark with it, this
// program says the file may be behind, and the others work on the tree as
// it was. No program gets a wrong answer or a record twice; after REINDEX
// the change goes through.
TEST_F(NdxSharedTest, AnIndexWriteFailingPartWayLeavesTheIndexInUseOrOutOfDate)
{
    enum Outcome { InUse, Marked, Unmarked };
    using Fault = std::optional<WriteFault>;
    struct Case {
        const char* what;
        const char* key;       // of the one index
        int records;           // n1000.. in the table
        std::int32_t changed;  // the record that gets the new name; 0: an append
        const char* name;      // the new name
        Fault index, table;    // the faults of the index's and the table's writes
        Outcome outcome;
    };
    const Case cases[] = {
        {"an append splitting a leaf, page 0 failing after the nodes", "NAME", 30, 0, "n1010a",
         WriteFault{.kind = WriteFault::Failing, .offset = 0}, {}, Marked},
        {"a key change whose third node write fails", "NAME", 30, 30, "n1010a",
         WriteFault{.kind = WriteFault::Full, .skip = 2}, {}, Marked},
        {"a torn write of the only leaf", "NUM", 30, 0, "x", WriteFault{.kind = WriteFault::Torn}, {}, Marked},
        {"page 0 failing on a root split, and the mark with it", "NUM", 31, 0, "x",
         WriteFault{.kind = WriteFault::Failing, .offset = 0, .sticky = true}, {}, Unmarked},
        {"a torn record write", "NAME", 30, 30, "zzzzzzzzzz", {}, WriteFault{.kind = WriteFault::Torn}, Marked},
        {"a full disk at a split's new page", "NAME", 30, 0, "n1010a", WriteFault{.kind = WriteFault::Full}, {},
         InUse},
        {"a full disk at a leaf", "NAME", 30, 0, "x", WriteFault{.kind = WriteFault::Full}, {}, InUse},
        // nothing of these reaches the file, but the index keeps an entry
        {"a key change whose old key cannot be removed on a full disk", "NAME", 30, 30, "n1029a",
         WriteFault{.kind = WriteFault::Full, .skip = 1}, {}, Marked},
        {"an append whose record and key removal meet a full disk", "NAME", 30, 0, "x",
         WriteFault{.kind = WriteFault::Full, .skip = 1}, WriteFault{.kind = WriteFault::Full}, Marked},
    };
    int k = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string table = RawTable("F" + std::to_string(k), {{"NAME", 'C', 10, 0}, {"NUM", 'N', 8, 2}},
                                           c.records, [](int i) {
                                               const std::string name = "n" + std::to_string(1000 + i);
                                               const std::string num = std::to_string(i + 1);
                                               return name + std::string(10 - name.size(), ' ') +
                                                      std::string(8 - num.size(), ' ') + num;
                                           });
        const std::string index = "i" + std::to_string(k++);
        ASSERT_TRUE(USE(table + " EXCLUSIVE") && Index_On(c.key, index));
        USE("");
        auto open = [&] {
            IndexInit();
            return USE(table) && SetIndexToCB(index, 1, nullptr, nullptr);
        };
        auto change = [&](const char* name) {
            if (c.changed == 0)
                return AppendName(name);
            GO(c.changed);
            if (EngineErrorCode != 0 || !RLock())
                return false;
            Buffer().SetText(1, name);
            const bool ok = REPLACE();
            const std::uint16_t code = EngineErrorCode;
            const std::string text = LastErrorText();
            Unlock();
            SetErrorSilent(code, text);
            return ok;
        };
        const std::string said = Path("said" + index);
        Holder other; // has the index open throughout
        ASSERT_TRUE(other.Start(open, [&] {
            int refused = 0;
            std::string wrong = WrongAnswers(refused);
            const bool appended = AppendName("other");
            if (appended != (c.outcome != Marked) || (!appended && EngineErrorCode != 212))
                wrong += " append: " + LastErrorText();
            WriteBytes(said, std::vector<std::uint8_t>(wrong.begin(), wrong.end()));
            CloseAll();
        }));
        ASSERT_TRUE(USE(table) && SetIndexToCB(index, 1, nullptr, nullptr));
        const auto before = ReadBytes(table);
        for (auto [fault, fd] : {std::pair{c.index, ndx::InSlot(1)->file.Fd()}, {c.table, Current()->file.Fd()}})
            if (fault) {
                fault->fd = fd;
                ArmWriteFault(*fault);
            }
        EXPECT_FALSE(change(c.name));
        EXPECT_TRUE(WriteFaultStruck());
        EXPECT_TRUE(c.changed != 0 || ReadBytes(table) == before); // no record appended
        if (c.outcome == InUse) {
            EXPECT_TRUE(change(c.name)) << LastErrorText();
        } else {
            int refused = 0;
            EXPECT_EQ(WrongAnswers(refused), "");
            EXPECT_EQ(refused, c.records + 1);
            EXPECT_EQ(LastErrorText().find("älteren Stand") != std::string::npos, c.outcome == Unmarked)
                << LastErrorText();
            const auto now = ReadBytes(table);
            EXPECT_FALSE(change(c.name));
            EXPECT_EQ(EngineErrorCode, 212) << LastErrorText();
            EXPECT_EQ(ReadBytes(table), now);
        }
        DisarmWriteFault();
        other.Release();
        EXPECT_EQ(ReadBytes(said), std::vector<std::uint8_t>{});
        EXPECT_EQ(InChild([&] {
                      int refused = 0;
                      return open() || EngineErrorCode == 212 ? (WrongAnswers(refused).empty() ? 0 : 1) : 2;
                  }),
                  0);
        if (c.outcome != InUse) {
            Reindex();
            EXPECT_EQ(EngineErrorCode, 0) << LastErrorText();
            EXPECT_TRUE(change(c.name)) << LastErrorText();
        }
        ExpectSound(1);
        int refused = 0;
        EXPECT_EQ(WrongAnswers(refused), "");
        EXPECT_EQ(refused, 0);
        USE("");
    }
}

// A mark on page 0 that the semaphore's change counter does not tell of
// (its program died between marking the index and leaving its section) is
// looked for again under the semaphore before page 0 is written: neither
// the count a close writes after a change nor an append that splits writes
// over it (refused, nothing of it in the table).
TEST_F(NdxSharedTest, PageZeroIsNeverWrittenOverAMark)
{
    std::vector<std::uint8_t> mark(8);
    PutU32At(mark, 0, ~30u ^ ndx::kOutOfDate);
    PutU32At(mark, 4, 30);
    auto marked = [&] {
        const auto b = ReadBytes(Path("s.ndx"));
        return std::vector<std::uint8_t>(b.begin() + 488, b.begin() + 496) == mark;
    };
    for (const bool closing : {true, false}) {
        ASSERT_TRUE(OpenShared());
        ASSERT_TRUE(!closing || AppendName("n0000")); // splits the first leaf
        auto b = ReadBytes(Path("s.ndx"));
        std::copy(mark.begin(), mark.end(), b.begin() + 488);
        WriteBytes(Path("s.ndx"), b);
        const auto table = ReadBytes(table_);
        if (!closing) { // splits the first leaf again
            EXPECT_FALSE(AppendName("n0001"));
            EXPECT_EQ(EngineErrorCode, 212) << LastErrorText();
            EXPECT_EQ(ReadBytes(table_), table);
        }
        USE("");
        EXPECT_TRUE(marked()) << closing;
        EXPECT_FALSE(OpenShared());
        EXPECT_EQ(EngineErrorCode, 212) << LastErrorText();
        USE("");
        ASSERT_TRUE(USE(table_ + " EXCLUSIVE") && Index_On("NAME", "s"));
        USE("");
    }
}

// One writer and two readers that find and step, or walk the whole index:
// what the writer's 1,000 appends were not refused is in the table and the
// index once, and the readers meet no error. A refusal (a reader kept off
// the processor past the writer's limit) is told, not counted against it.
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
        const std::string prefix = walk ? "v" : "w";
        EXPECT_EQ(InChild([&] {
                      if (!ChildOpen())
                          return 2;
                      for (int i = 0; i < writes; ++i)
                          if (!AppendName(prefix + std::to_string(i)) && EngineErrorCode != 1202)
                              return 1;
                      return 0;
                  }),
                  0)
            << walk;
        WriteBytes(stop, {});
        for (pid_t pid : readers) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
        ASSERT_TRUE(OpenShared());
        std::vector<int> times(writes);
        for (std::int32_t n = 31; n <= RecCount(); ++n) {
            GO(n);
            const std::string name = Name();
            if (name.rfind(prefix, 0) == 0)
                ++times.at(std::size_t(std::stoi(name.substr(1))));
        }
        EXPECT_EQ(std::count_if(times.begin(), times.end(), [](int t) { return t > 1; }), 0) << walk;
        std::printf("%d writes, readers %s: %d refused\n", writes, walk ? "walking the index" : "finding",
                    int(std::count(times.begin(), times.end(), 0)));
        ExpectSound(1);
        USE("");
    }
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
