// PACK: removes the records marked deleted. The kept records are written to
// a new file beside the table (the program's atomic writer), which gets its
// header and end mark, is flushed and renamed over the table while the
// table is held exclusively, so a crash leaves either the old or the new
// table. Before that every open index is marked out of date in its file
// and stays so until it is rebuilt. A PACK also sets the header's count to
// the whole records. The packed table keeps the old memo blocks; the memo
// PACK that follows puts a renumbered copy of it in place together with the
// new memo file (pack_marker.h), so a crash never pairs a table with
// another's memos.
#include "dbase/engine/navigation.h"

#include "dbase/engine/errors.h"
#include "dbase/engine/internal.h"
#include "dbase/engine/locking.h"
#include "dbase/engine/runtime.h"
#include "dbase/engine/staged_file.h"
#include "foundation/ui_service.h"


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

std::string Context(const TWorkArea& a)
{
    return "Fehler beim Packen von " + a.fileName + " [Pack]";
}

// Copies the kept records into a new file and renames it over the table.
// The copy gets its count, date and end mark before it gets the name, so
// the name always holds a whole table: the old one or the new one.
// Returns the number kept, -1 after an error (reported).
std::int32_t Compact(TWorkArea& a, bool& dropped)
{
    dropped = false;
    auto fail = [&](int code) {
        SetError(std::uint16_t(code), Context(a));
        return -1;
    };
    StagedFile copy;
    if (int code = copy.OpenReplacing(a.fileName, a.file.Fd()); code != 0)
        return fail(code);
    std::vector<std::uint8_t> head(a.headerLen);
    if (a.file.ReadAt(0, head.data(), head.size()) != std::int64_t(head.size()))
        return fail(100);
    if (int code = copy.Write(head); code != 0)
        return fail(code);
    std::int32_t kept = 0;
    std::vector<std::uint8_t> chunk, out;
    const std::size_t perChunk = std::max<std::size_t>(1, (256 * 1024) / a.recLen);
    for (std::int32_t first = 1; first <= a.recCount; first += std::int32_t(perChunk)) {
        std::size_t count = std::min<std::size_t>(perChunk, std::size_t(a.recCount - first + 1));
        chunk.resize(count * a.recLen);
        if (a.file.ReadAt(a.RecordOffset(first), chunk.data(), chunk.size()) !=
            std::int64_t(chunk.size()))
            return fail(213);
        out.clear();
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* rec = chunk.data() + i * a.recLen;
            if (rec[0] == '*') {
                dropped = true;
                continue;
            }
            out.insert(out.end(), rec, rec + a.recLen);
            ++kept;
        }
        if (int code = copy.Write(out); code != 0)
            return fail(code);
    }
    if (!dropped)
        return kept; // nothing to remove: the table stays as it is
    static const std::uint8_t eof = 0x1A;
    if (int code = copy.Write(&eof, 1); code != 0)
        return fail(code);
    const std::size_t prologue = StampPrologue(a, head.data(), kept);
    if (int code = copy.WriteAt(0, head.data(), prologue); code != 0)
        return fail(code);
    // The new file is ours alone before anyone can open it under the name.
    if (MultiUser) {
        if (int code = copy.Lock(LockKind::Write, ShareLockOffset, 1); code != 0)
            return fail(code);
    }
    // The open indexes are marked out of date first: when the program ends
    // before they are rebuilt, SET INDEX refuses them (REINDEX), and no
    // index of the old table ever answers for the new one.
    const bool marked = IndexLinked() && Index.MarkOutOfDate;
    if (marked && !Index.MarkOutOfDate(true))
        return -1;
    DbfFile fresh;
    if (int code = copy.CommitInto(fresh); code != 0) {
        if (marked) {
            QuietErrors quiet;
            Index.MarkOutOfDate(false);
        }
        return fail(code);
    }
    a.file = std::move(fresh);
    a.fileKey = a.file.Id();
    std::copy(head.begin(), head.begin() + std::ptrdiff_t(prologue), a.header.bytes.begin());
    a.cacheStart = -1;
    return kept;
}

// Nothing was removed: the table is cut after its last whole record, gets
// its end mark and the count of its whole records.
bool Trim(TWorkArea& a, std::int32_t kept)
{
    static const std::uint8_t eof = 0x1A;
    const std::int64_t end = a.RecordOffset(kept + 1);
    if (!a.file.Truncate(end) || !a.file.WriteAt(end, &eof, 1)) {
        SetError(std::uint16_t(a.file.LastError()), Context(a));
        return false;
    }
    if (!UpdateDbfHeader(a))
        return false;
    if (!a.file.Sync()) {
        SetError(std::uint16_t(a.file.LastError()), Context(a));
        return false;
    }
    return true;
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
        a.state = FileState::Open;
        if (!dropped && !Trim(a, kept))
            return;
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
