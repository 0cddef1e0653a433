// PACK: removes the records marked deleted. The kept records are written to
// a new file beside the table, flushed, and renamed over it while the table
// is held exclusively, so a crash leaves either the old or the new table.
#include "dbase/navigation.h"

#include "dbase/errors.h"
#include "dbase/internal.h"
#include "dbase/locking.h"
#include "dbase/runtime.h"
#include "foundation/ui_service.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace kt4::dbase {
namespace {

// Holds the table exclusively for the run; shared again on every way out.
class ExclusiveForPack {
public:
    explicit ExclusiveForPack(TWorkArea& a) : number_(a.number), wasShared_(!a.exclusive) {}
    bool Acquire(TWorkArea& a)
    {
        if (!wasShared_)
            return true;
        if (MultiUser && a.file.Lock(LockKind::Write, ShareLockOffset, 1) != 0)
            return false;
        a.exclusive = true;
        acquired_ = true;
        return true;
    }
    ~ExclusiveForPack()
    {
        TWorkArea* a = Area(number_);
        if (!acquired_ || !a)
            return;
        a->exclusive = false;
        a->cacheStart = -1;
        if (MultiUser && a->file.Lock(LockKind::Read, ShareLockOffset, 1) != 0)
            SetErrorSilent(32, "Datenbank kann nicht Sharable wiedergeöffnet werden.  [Pack]");
    }

private:
    int number_;
    bool wasShared_;
    bool acquired_ = false;
};

// Switches the relation and the flush setting off for the run.
class PackSettings {
public:
    explicit PackSettings(TWorkArea& a)
        : number_(a.number), relation_(std::move(a.relation)), flush_(FlushWrites)
    {
        a.relation = nullptr;
        FlushWrites = false;
    }
    ~PackSettings()
    {
        FlushWrites = flush_;
        if (TWorkArea* a = Area(number_))
            a->relation = std::move(relation_);
    }

private:
    int number_;
    RelationProc relation_;
    bool flush_;
};

class TempFile {
public:
    ~TempFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (!path.empty())
            ::unlink(path.c_str());
    }
    bool Create(const std::string& nearPath)
    {
        std::string templ = nearPath + ".pack.XXXXXX";
        fd = ::mkstemp(templ.data());
        if (fd < 0)
            return false;
        path = templ;
        return true;
    }
    int Release()
    {
        path.clear();
        int f = fd;
        fd = -1;
        return f;
    }
    int fd = -1;
    std::string path;
};

bool WriteAll(int fd, std::int64_t offset, const std::uint8_t* data, std::size_t n)
{
    DbfFile f;
    f.Adopt(fd, false, "");
    bool ok = f.WriteAt(offset, data, n);
    errno = f.LastError();
    f.Release();
    return ok;
}

std::string Context(const TWorkArea& a)
{
    return "Fehler beim Packen von " + a.fileName + " [Pack]";
}

// Copies the kept records into a new file and renames it over the table.
// Returns the number kept, -1 after an error (reported).
std::int32_t Compact(TWorkArea& a, bool& dropped)
{
    dropped = false;
    const std::string target = fs::weakly_canonical(a.fileName).string();
    TempFile temp;
    if (!temp.Create(target)) {
        SetError(std::uint16_t(ErrnoToEngineCode(errno)), Context(a));
        return -1;
    }
    std::vector<std::uint8_t> head(a.headerLen);
    if (a.file.ReadAt(0, head.data(), head.size()) != std::int64_t(head.size())) {
        SetError(100, Context(a));
        return -1;
    }
    std::vector<std::uint8_t> out = head;
    std::int32_t kept = 0;
    std::vector<std::uint8_t> chunk;
    const std::size_t perChunk = std::max<std::size_t>(1, (256 * 1024) / a.recLen);
    std::int64_t outOffset = 0;
    for (std::int32_t first = 1; first <= a.recCount; first += std::int32_t(perChunk)) {
        std::size_t count = std::min<std::size_t>(perChunk, std::size_t(a.recCount - first + 1));
        chunk.resize(count * a.recLen);
        if (a.file.ReadAt(a.RecordOffset(first), chunk.data(), chunk.size()) !=
            std::int64_t(chunk.size())) {
            SetError(213, Context(a));
            return -1;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* rec = chunk.data() + i * a.recLen;
            if (rec[0] == '*') {
                dropped = true;
                continue;
            }
            out.insert(out.end(), rec, rec + a.recLen);
            ++kept;
        }
        if (!WriteAll(temp.fd, outOffset, out.data(), out.size())) {
            SetError(std::uint16_t(ErrnoToEngineCode(errno)), Context(a));
            return -1;
        }
        outOffset += std::int64_t(out.size());
        out.clear();
    }
    if (!dropped)
        return kept; // nothing to remove: the table stays as it is
    static const std::uint8_t eof = 0x1A;
    struct stat st{};
    if (!WriteAll(temp.fd, outOffset, &eof, 1) || ::fsync(temp.fd) != 0) {
        SetError(std::uint16_t(ErrnoToEngineCode(errno)), Context(a));
        return -1;
    }
    if (::fstat(a.file.Fd(), &st) == 0)
        ::fchmod(temp.fd, st.st_mode & 07777);
    // The new file is ours alone before anyone can open it under the name.
    DbfFile fresh;
    fresh.Adopt(temp.fd, false, target);
    if (MultiUser && fresh.Lock(LockKind::Write, ShareLockOffset, 1) != 0) {
        fresh.Release();
        SetError(32, Context(a));
        return -1;
    }
    if (::rename(temp.path.c_str(), target.c_str()) != 0) {
        fresh.Release();
        SetError(std::uint16_t(ErrnoToEngineCode(errno)), Context(a));
        return -1;
    }
    temp.Release();
    a.file = std::move(fresh);
    a.fileKey = a.file.Id();
    a.cacheStart = -1;
    return kept;
}

} // namespace

void Pack()
{
    EngineErrorCode = 0;
    TWorkArea* ap = RequireArea("Pack");
    if (!ap)
        return;
    TWorkArea& a = *ap;
    if (a.isVirtual) {
        if (VFilesLinked()) {
            a.vfRequest = VfPack;
            VFiles.Request(a);
        }
        return;
    }
    RefreshRecCount(a);
    if (a.recCount == 0)
        return;
    if (a.file.ReadOnly()) {
        SetError(5, Context(a));
        return;
    }
    UnlockArea(a);
    ExclusiveForPack exclusive(a);
    if (!exclusive.Acquire(a)) {
        SetError(225, "Exklusiver Zugriff erforderlich zum Packen von " + a.fileName + " [Pack]");
        return;
    }
    if (ConfirmPack && !Ui().OkCancelBox("PACK", "PACK " + a.fileName))
        return;
    bool dropped = false;
    std::int32_t kept;
    {
        PackSettings settings(a);
        kept = Compact(a, dropped);
        if (kept < 0)
            return;
        a.recCount = kept;
        a.state = FileState::Appended;
        if (!dropped) {
            static const std::uint8_t eof = 0x1A;
            a.file.Truncate(a.RecordOffset(kept + 1));
            a.file.WriteAt(a.RecordOffset(kept + 1), &eof, 1);
        }
        UpdateDbfHeader(a);
        a.file.Sync();
        a.state = FileState::Open;
    }
    if (kept == 0) {
        ClearRecordOf(a);
        a.recNo = 0;
        a.bof = a.eof = true;
    } else {
        QuietErrors quiet;
        if (GetDbfRecord(a, 1))
            RecordToBuffer(a);
    }
    if (dropped)
        detail::DropPeekCacheFor(a.alias);
    if (a.hasMemo && MemoLinked() && Memo.PackMemoFile && !Memo.PackMemoFile(a.number))
        return;
    if (IndexLinked() && Index.Reindex)
        Index.Reindex();
}

} // namespace kt4::dbase
