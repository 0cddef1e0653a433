// The semaphore file of a shared table ("<table>.@S@", 4 bytes: programs
// logged in, active readers or 1 for a writer, change counter). A region
// lock on bytes 1..4 makes every read-modify-write atomic and is held by a
// writer for its whole change. Liveness comes from locks, never from the
// counts alone: every logged-in area holds a shared lock on the file's
// share byte and every counted reader one on the byte after it, so a
// program that dies leaves nothing that blocks the others. A writer that
// has to wait for readers marks the file with a shared lock on byte 5, the
// byte after the region; the region lock of a reader about to be counted
// reaches over it, so while a writer waits no new reader is counted, the
// readers counted before it finish, and the writer gets its turn within
// its limit.
#include "dbase/engine/engine_files.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/runtime.h"
#include "dbase/ndx/ndx_internal.h"
#include "foundation/dialogs.h"
#include "foundation/linefile.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace kt4::dbase::ndx {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::int64_t kReaderByte = ShareLockOffset + 1;
constexpr std::int64_t kMarkByte = 5;
constexpr int kWriterWaitMs = 100;
// How long a reader waits behind a writer's mark at most. A writer holds
// it for its limit and one wait for the region lock; a stopped program, or
// one that holds the byte for no reason, delays readers but never stops them.
constexpr auto kReaderWait = std::chrono::milliseconds(10 * kWriterWaitMs);

enum Action { LOGIN, LOGOUT, INCREAD, DECREAD, LOCKSEMAPHORE, UNLOCKSEMAPHORE };
const char* const kActionNames[] = {"LOGIN", "LOGOUT", "INCREAD", "DECREAD", "LOCKSEMAPHORE",
                                    "UNLOCKSEMAPHORE"};

void Pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    EngineIdle();
}

bool OthersHold(const DbfFile& f, std::int64_t offset)
{
    struct flock fl{};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(offset);
    fl.l_len = 1;
    if (::fcntl(f.Fd(), F_OFD_GETLK, &fl) != 0)
        return true;
    return fl.l_type != F_UNLCK;
}

// The mark of a waiting writer, from the first time it finds readers until
// it has the semaphore or gives up.
class WaitMark {
public:
    explicit WaitMark(DbfFile& f) : f_(f) {}
    ~WaitMark()
    {
        if (on_)
            f_.Lock(LockKind::Unlock, kMarkByte, 1);
    }
    WaitMark(const WaitMark&) = delete;
    WaitMark& operator=(const WaitMark&) = delete;
    void Set()
    {
        if (!on_)
            on_ = f_.Lock(LockKind::Read, kMarkByte, 1) == 0;
    }

private:
    DbfFile& f_;
    bool on_ = false;
};

// Whether another area of this program is counted as a reader of the same
// semaphore file or holds its writer: the writer waits for that area too,
// so a reader of this program never waits behind it.
bool InsideOwnAccess(const SemaphoreState& st)
{
    const FileId id = st.file.Id();
    for (int n = 1; n <= EngineArea; ++n) {
        const SemaphoreState* other = StateOf(n).sem.get();
        if (other && other != &st && (other->counted || other->regionHeld) && other->file.Id() == id)
            return true;
    }
    return false;
}

// Length of the region lock from byte 1: for INCREAD it reaches over the
// mark byte, so that a new reader lets a waiting writer go first.
std::int64_t RegionLength(Action action)
{
    return action == INCREAD ? kMarkByte : 4;
}

bool RegionLock(SemaphoreState& st, Action action)
{
    const auto start = Clock::now();
    int err = 0;
    for (int attempt = 0; attempt < 1001;) {
        err = st.file.Lock(LockKind::Write, 1, RegionLength(action));
        if (err == 0)
            return true;
        if (action == INCREAD && (err == EAGAIN || err == EACCES) &&
            st.file.Lock(LockKind::Write, 1, 4) == 0) {
            // Only a mark is in the way.
            if (InsideOwnAccess(st) || Clock::now() - start >= kReaderWait)
                return true;
            st.file.Lock(LockKind::Unlock, 1, 4);
            Pause(2);
            continue;
        }
        ++attempt;
        Pause(10);
    }
    SetError(1202, "10 second timeout: Cannot lock index semaphore file: " + st.name + " " +
                       kActionNames[action] + "\r\nPossible cause: Network lock limit exceeded\r\n" +
                       " Lock result code: " + std::to_string(err));
    return false;
}

void RegionUnlock(SemaphoreState& st, Action action)
{
    if (int err = st.file.Lock(LockKind::Unlock, 1, RegionLength(action)); err != 0)
        SetError(std::uint16_t(ErrnoToEngineCode(err)),
                 "Cannot unlock index semaphore file: " + st.name + " " + kActionNames[action]);
}

bool ReadRecord(SemaphoreState& st)
{
    return st.file.ReadAt(0, st.rec, 4) == 4;
}

bool WriteRecord(SemaphoreState& st, Action action)
{
    if (st.file.WriteAt(0, st.rec, 4))
        return true;
    SetError(std::uint16_t(st.file.LastError() ? st.file.LastError() : 101),
             "Cannot write to: " + st.name + " " + kActionNames[action]);
    return false;
}

std::uint16_t Counter(const SemaphoreState& st)
{
    return U16(st.rec + 2);
}

// The 1-byte table lock that serialises LOGIN and LOGOUT.
bool TableLock(TWorkArea& a, const std::string& name, Action action)
{
    const LockKind kind = a.file.ReadOnly() ? LockKind::Read : LockKind::Write;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (a.file.Lock(kind, LockBase, 1) == 0)
            return true;
        Pause(10);
    }
    SetError(1202, "Cannot lock database for: " + name + " Action=" + kActionNames[action] +
                       " [Database Semaphore]");
    return false;
}

void TableUnlock(TWorkArea& a)
{
    a.file.Lock(LockKind::Unlock, LockBase, 1);
}

std::string SemaphoreName(const TWorkArea& a)
{
    std::filesystem::path p(a.fileName);
    p.replace_extension(".@S@");
    return p.string();
}

bool AreaInRange(int area)
{
    if (area >= 1 && area <= EngineArea)
        return true;
    SetError(254, "Work area [" + std::to_string(area) + " ] out of range. [HandleSemafore]");
    return false;
}

bool IncRead(AreaIndexes& s)
{
    SemaphoreState* st = s.sem.get();
    if (!st || st->regionHeld || st->counted)
        return true;
    if (!RegionLock(*st, INCREAD))
        return false;
    st->file.Lock(LockKind::Read, kReaderByte, 1);
    bool ok = ReadRecord(*st);
    if (!ok)
        SetError(100, "Cannot read: " + st->name + " INCREAD");
    if (ok) {
        if (st->rec[1] < 127)
            ++st->rec[1];
        ok = WriteRecord(*st, INCREAD);
    }
    if (ok)
        st->counted = true;
    else
        st->file.Lock(LockKind::Unlock, kReaderByte, 1);
    RegionUnlock(*st, INCREAD);
    return ok;
}

bool DecRead(AreaIndexes& s)
{
    SemaphoreState* st = s.sem.get();
    if (!st || !st->counted)
        return true;
    const bool locked = st->regionHeld;
    if (!locked && !RegionLock(*st, DECREAD))
        return false;
    bool ok = ReadRecord(*st);
    if (ok) {
        if (st->rec[1] > (locked ? 1 : 0))
            --st->rec[1];
        ok = WriteRecord(*st, DECREAD);
    }
    st->file.Lock(LockKind::Unlock, kReaderByte, 1);
    st->counted = false;
    if (!locked)
        RegionUnlock(*st, DECREAD);
    return ok;
}

bool LockWriter(AreaIndexes& s)
{
    SemaphoreState* st = s.sem.get();
    if (!st || st->regionHeld)
        return true;
    const auto start = Clock::now();
    const int own = st->counted ? 1 : 0;
    WaitMark mark(st->file);
    for (;;) {
        if (!RegionLock(*st, LOCKSEMAPHORE))
            return false;
        const bool read = ReadRecord(*st);
        if (read) {
            // Readers counted without holding their lock have died.
            if (st->rec[1] > own && !OthersHold(st->file, kReaderByte))
                st->rec[1] = std::uint8_t(own);
            if (st->rec[1] <= own)
                break;
        }
        RegionUnlock(*st, LOCKSEMAPHORE);
        mark.Set();
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (waited >= kWriterWaitMs) {
            if (!read)
                SetError(100, "Cannot read: " + st->name + " LOCKSEMAPHORE");
            else // a reader that died holds no lock and is not waited for
                SetError(1202, "Another program is reading the index (semaphore file " + st->name +
                                   "): waited " + std::to_string(waited) + " ms for it to finish.\r\n" +
                                   "Please try again.");
            return false;
        }
        Pause(2);
    }
    st->rec[1] = std::uint8_t(own + 1);
    if (!WriteRecord(*st, LOCKSEMAPHORE)) {
        RegionUnlock(*st, LOCKSEMAPHORE);
        return false;
    }
    st->regionHeld = true;
    if (Counter(*st) != st->seen) {
        st->seen = Counter(*st);
        if (!ReadAnchorNodes(s)) {
            st->rec[1] = std::uint8_t(own);
            WriteRecord(*st, LOCKSEMAPHORE);
            st->regionHeld = false;
            RegionUnlock(*st, LOCKSEMAPHORE);
            return false;
        }
    }
    return true;
}

bool UnlockWriter(AreaIndexes& s)
{
    SemaphoreState* st = s.sem.get();
    if (!st || !st->regionHeld)
        return true;
    bool ok = ReadRecord(*st);
    if (ok) {
        std::uint32_t c = Counter(*st) + 1u;
        if (c >= 65535)
            c = 0;
        PutU16(st->rec + 2, c);
        st->rec[1] = st->counted ? 1 : 0;
        ok = WriteRecord(*st, UNLOCKSEMAPHORE);
        if (ok)
            st->seen = std::uint16_t(c);
    } else {
        SetError(100, "Cannot read: " + st->name + " UNLOCKSEMAPHORE");
    }
    st->regionHeld = false;
    RegionUnlock(*st, UNLOCKSEMAPHORE);
    return ok;
}

} // namespace

bool Login(TWorkArea& a, AreaIndexes& s)
{
    if (s.sem || !a.Shared() || a.isVirtual)
        return true;
    if (!AreaInRange(a.number))
        return false;
    auto st = std::make_unique<SemaphoreState>();
    st->name = SemaphoreName(a);
    if (!TableLock(a, st->name, LOGIN))
        return false;
    struct Unlocker {
        TWorkArea& a;
        ~Unlocker() { TableUnlock(a); }
    } unlock{a};
    // shared by every user of the table; never through a link others may
    // have put there
    bool planted = false;
    const int fd = OpenTrustedFile(st->name, O_RDWR | O_CREAT, 0666, &planted);
    if (fd < 0) {
        SetError(std::uint16_t(ErrnoToEngineCode(errno)),
                 "Cannot open/create: " + st->name + " Action=LOGIN [Database Semaphore]" +
                     (planted ? " (" + IoErrorText(IoUnsafeLink) + ")" : ""));
        return false;
    }
    st->file.Adopt(fd, false, st->name);
    if (!RegionLock(*st, LOGIN))
        return false;
    // Nobody else logged in: whatever the file says is left over.
    const bool alone = st->file.Lock(LockKind::Write, ShareLockOffset, 1) == 0;
    bool ok = true;
    if (alone) {
        std::memset(st->rec, 0, 4);
        ok = st->file.Lock(LockKind::Read, ShareLockOffset, 1) == 0;
    } else {
        // Another login may hold the byte alone for a moment.
        ok = false;
        for (int attempt = 0; attempt < 1000 && !ok; ++attempt) {
            ok = st->file.Lock(LockKind::Read, ShareLockOffset, 1) == 0;
            if (!ok)
                Pause(10);
        }
        if (ok && !ReadRecord(*st))
            std::memset(st->rec, 0, 4);
    }
    if (!ok) {
        SetError(32, "Cannot open: " + st->name + " Action=LOGIN [Database Semaphore]");
        RegionUnlock(*st, LOGIN);
        return false;
    }
    if (st->rec[0] < 255)
        ++st->rec[0];
    ok = WriteRecord(*st, LOGIN);
    RegionUnlock(*st, LOGIN);
    if (!ok)
        return false;
    st->seen = Counter(*st);
    s.sem = std::move(st);
    return true;
}

void Logout(TWorkArea& a, AreaIndexes& s)
{
    if (!s.sem)
        return;
    SemaphoreState& st = *s.sem;
    const bool tableLocked = TableLock(a, st.name, LOGOUT);
    if (st.regionHeld || RegionLock(st, LOGOUT)) {
        if (ReadRecord(st)) {
            if (st.counted && st.rec[1] > 0)
                --st.rec[1];
            if (st.regionHeld && st.rec[1] > 0)
                --st.rec[1];
            if (st.rec[0] > 0)
                --st.rec[0];
            WriteRecord(st, LOGOUT);
        }
        st.file.Lock(LockKind::Unlock, kReaderByte, 1);
        if (st.file.Lock(LockKind::Write, ShareLockOffset, 1) == 0)
            ::unlink(st.name.c_str());
        RegionUnlock(st, LOGOUT);
    }
    s.sem.reset();
    s.readNesting = s.lockNesting = 0;
    if (tableLocked)
        TableUnlock(a);
}

void DropSemaphoreState(AreaIndexes& s)
{
    s.sem.reset();
    s.readNesting = s.lockNesting = 0;
}

} // namespace kt4::dbase::ndx

namespace kt4::dbase {

using namespace ndx;

namespace {

// The semaphore file is touched only by a shared area; an area that became
// shared after its indexes were opened (PACK, REINDEX) logs in now.
// 1 shared and logged in, 0 not shared, -1 the login failed.
int SharedState(AreaIndexes& s)
{
    TWorkArea* a = Current();
    if (!a || !a->Shared() || !AnyOpen(s))
        return 0;
    if (!s.sem) {
        // Others may have changed the indexes while this area was not
        // logged in: their headers are read again.
        if (!Login(*a, s) || !ReadAnchorNodes(s))
            return -1;
    }
    return s.sem ? 1 : 0;
}

bool Nest(int& nesting, bool on, bool (*enter)(AreaIndexes&), bool (*leave)(AreaIndexes&),
          const char* tag)
{
    AreaIndexes& s = CurrentState();
    if (on) {
        if (nesting == 0) {
            const int shared = SharedState(s);
            if (shared < 0 || (shared > 0 && !enter(s)))
                return false;
        }
        ++nesting;
        return true;
    }
    if (nesting <= 0) {
        SetError(254, std::string("Non-symmetrical Lock-Unlock [") + tag + "]");
        return false;
    }
    if (--nesting == 0)
        return leave(s);
    return true;
}

} // namespace

bool SetReadSemaphoreProc(bool on)
{
    return Nest(CurrentState().readNesting, on, &IncRead, &DecRead, "SetReadSemaphoreProc");
}

bool SetLockSemaphoreProc(bool on)
{
    return Nest(CurrentState().lockNesting, on, &LockWriter, &UnlockWriter, "SetLockSemaphoreProc");
}

bool CheckIndexChanged()
{
    AreaIndexes& s = CurrentState();
    if (!s.sem || Counter(*s.sem) == s.sem->seen)
        return false;
    s.sem->seen = Counter(*s.sem);
    ReadAnchorNodes(s);
    return true;
}

} // namespace kt4::dbase
