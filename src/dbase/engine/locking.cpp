// Record, append and file locks of the current area.
#include "dbase/engine/locking.h"

#include "dbase/engine/engine_files.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/runtime.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace kt4::dbase {
namespace {

// Records beyond the first GiB of data lie outside the classic file-lock
// region; FLock covers them with a second region up to the share byte.
constexpr std::int64_t kHighStart = LockBase + 1 + FileLockLength;
constexpr std::int64_t kHighLength = ShareLockOffset - kHighStart;

bool OsLocksOff(const TWorkArea& area)
{
    return !MultiUser || area.exclusive;
}

int LockRegion(TWorkArea& area, LockKind kind, std::int64_t offset, std::int64_t length)
{
    if (!MultiUser)
        return 0;
    // A descriptor opened for reading can only hold read locks; they still
    // exclude every other program's lock on the region.
    if (kind == LockKind::Write && area.file.ReadOnly())
        kind = LockKind::Read;
    return area.file.Lock(kind, offset, length);
}

// One try, then retries as the settings say; never blocks in the OS.
bool LockWithRetries(TWorkArea& area, std::int64_t offset, std::int64_t length)
{
    unsigned attempt = 0;
    for (;;) {
        if (LockRegion(area, LockKind::Write, offset, length) == 0)
            return true;
        if (attempt < LockRetries) {
            if (LockRetryDelayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(LockRetryDelayMs));
            EngineIdle();
            ++attempt;
            continue;
        }
        // the last try failed: the callback may start another round
        if (!LockRetryCallback || !LockRetryCallback())
            return false;
        attempt = 0;
    }
}

bool LockFileRegions(TWorkArea& area)
{
    if (!LockWithRetries(area, LockBase + 1, FileLockLength))
        return false;
    if (LockRegion(area, LockKind::Write, kHighStart, kHighLength) != 0) {
        LockRegion(area, LockKind::Unlock, LockBase + 1, FileLockLength);
        return false;
    }
    return true;
}

bool VirtualRefused(const TWorkArea& area, const char* tag)
{
    if (!area.isVirtual)
        return false;
    SetError(1100, area.alias + tag);
    return true;
}

bool UnlockRecord(TWorkArea& area, std::int32_t n)
{
    if (OsLocksOff(area))
        return true;
    return LockRegion(area, LockKind::Unlock, RecordLockOffset(area, n), area.recLen) == 0;
}

} // namespace

std::int64_t RecordLockOffset(const TWorkArea& area, std::int32_t n)
{
    return LockBase + std::int64_t(area.headerLen) + std::int64_t(n - 1) * area.recLen;
}

bool FLock()
{
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("FLock");
    if (!a || VirtualRefused(*a, " [FLock]"))
        return false;
    if (a->lockState == LockState::File)
        return true;
    if (a->lockState != LockState::None)
        return false;
    if (!OsLocksOff(*a) && !LockFileRegions(*a))
        return false;
    a->lockState = LockState::File;
    return true;
}

bool ALock()
{
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("ALock");
    if (!a || VirtualRefused(*a, " [ALock]"))
        return false;
    if (a->lockState == LockState::Append || a->lockState == LockState::File)
        return true; // the file lock covers the append region
    if (a->lockState != LockState::None)
        return false;
    if (!OsLocksOff(*a) && !LockWithRetries(*a, LockBase + 1, 1))
        return false;
    a->lockState = LockState::Append;
    return true;
}

bool RLock()
{
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("RLock");
    if (!a || VirtualRefused(*a, " [RLock]"))
        return false;
    if (a->lockState == LockState::File)
        return true; // covered by the file lock
    if (a->lockState == LockState::Append)
        return false;
    const std::int32_t n = a->recNo;
    if (std::find(a->locks.begin(), a->locks.end(), n) != a->locks.end())
        return true;
    if (MaxRecordLocks > 0 && a->locks.size() >= MaxRecordLocks) {
        SetError(212, "Anzahl der gesperrten Datensätze zu groß [RLock]");
        return false;
    }
    if (n < 1 || n > a->recCount)
        return false;
    if (!OsLocksOff(*a) && !LockWithRetries(*a, RecordLockOffset(*a, n), a->recLen))
        return false;
    a->locks.push_back(n);
    a->lockState = LockState::Records;
    return true;
}

bool IsLocked(std::int32_t recNo)
{
    TWorkArea* a = RequireArea("IsLocked");
    if (!a || VirtualRefused(*a, "[IsLocked]"))
        return false;
    if (a->lockState == LockState::File)
        return true;
    return std::find(a->locks.begin(), a->locks.end(), recNo) != a->locks.end();
}

bool UnlockRec(std::int32_t n)
{
    TWorkArea* a = RequireArea("UnlockRec");
    if (!a)
        return false;
    const std::string tag = "[UnlockRec(" + std::to_string(n) + ")]";
    if (n < 1 && n != -1 && n != -2 && n != -3) {
        SetErrorSilent(220, tag);
        return false;
    }
    bool ok = true;
    if (n == -3) {
        for (std::int32_t r : a->locks)
            ok = UnlockRecord(*a, r) && ok;
        a->locks.clear();
    } else if (a->locks.empty() && n < 0) {
        SetErrorSilent(220, "Record not locked. " + tag);
        return false;
    } else {
        auto it = n == -1   ? a->locks.begin()
                  : n == -2 ? a->locks.end() - 1
                            : std::find(a->locks.begin(), a->locks.end(), n);
        if (it == a->locks.end()) {
            SetErrorSilent(220, "Record not locked. " + tag);
            return false;
        }
        ok = UnlockRecord(*a, *it);
        a->locks.erase(it);
    }
    if (a->locks.empty() && a->lockState == LockState::Records)
        a->lockState = LockState::None;
    return ok;
}

void UnlockArea(TWorkArea& area)
{
    bool ok = true;
    if (area.lockState == LockState::Records) {
        for (std::int32_t r : area.locks)
            ok = UnlockRecord(area, r) && ok;
        area.locks.clear();
    } else if (area.lockState == LockState::File && !OsLocksOff(area)) {
        ok = LockRegion(area, LockKind::Unlock, LockBase + 1, FileLockLength) == 0;
        ok = LockRegion(area, LockKind::Unlock, kHighStart, kHighLength) == 0 && ok;
    } else if (area.lockState == LockState::Append && !OsLocksOff(area)) {
        ok = LockRegion(area, LockKind::Unlock, LockBase + 1, 1) == 0;
    }
    area.lockState = LockState::None;
    if (!ok)
        SetError(33, "Fehler beim Entsperren der Datei " + area.fileName + " in Bereich " +
                         std::to_string(area.number));
}

void Unlock()
{
    if (TWorkArea* a = RequireArea("Unlock"))
        UnlockArea(*a);
}

bool RecordWritable(const TWorkArea& area)
{
    if (OsLocksOff(area) || area.isVirtual)
        return true;
    if (area.lockState == LockState::File)
        return true;
    return std::find(area.locks.begin(), area.locks.end(), area.recNo) != area.locks.end();
}

bool AppendWritable(const TWorkArea& area)
{
    if (OsLocksOff(area) || area.isVirtual)
        return true;
    return area.lockState == LockState::File || area.lockState == LockState::Append;
}

} // namespace kt4::dbase
