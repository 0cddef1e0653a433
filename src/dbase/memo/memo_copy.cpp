// Copying memos between tables (APPEND FROM, COPY TO) and packing a memo
// file.
#include "dbase/memo/memo.h"
#include "dbase/memo/memo_internal.h"

#include "dbase/engine/codepage.h"
#include "dbase/engine/dbf_format.h"
#include "dbase/engine/engine_files.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/internal.h"
#include "dbase/engine/pack_marker.h"
#include "dbase/engine/search.h"
#include "dbase/engine/staged_file.h"
#include "foundation/files.h"

#include <cerrno>
#include <map>

namespace kt4::dbase {

using namespace memo;

namespace {

std::int32_t CopyMemoTo(int sourceArea, std::int32_t block, bool inPlace)
{
    EngineErrorCode = 0;
    if (block == 0)
        return 0;
    TWorkArea* a = nullptr;
    TMemoFile* m = RequireMemo("CopyMemo()", &a);
    if (!m)
        return 0;
    TWorkArea* src = Area(sourceArea);
    TMemoFile* sm = src ? MemoOf(*src) : nullptr;
    if (!sm) {
        SetError(src ? 1019 : 215, "Arbeitsbereich " + std::to_string(sourceArea) +
                                       " No Memo Field [CopyMemo()]");
        return 0;
    }
    StoredMemo stored;
    if (!ReadStoredMemo(*sm, block, stored, SourceOf(*src, block), "CopyMemo()"))
        return 0;
    if (block < 0)
        block = -block;
    std::string bytes = std::move(stored.bytes);
    if (!stored.binary) {
        if (src->readHook && !bytes.empty())
            src->readHook(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
        const TableCodePage &from = src->TextPage(), &to = a->TextPage();
        if (&from != &to) {
            // between the tables' pages through the engine's text, never as
            // other characters; soft line ends (141 LF) stay as they are
            std::string converted, lacking;
            for (std::size_t start = 0; start <= bytes.size();) {
                std::size_t end = bytes.find("\x8D\n", start);
                if (end == std::string::npos)
                    end = bytes.size();
                std::string part = bytes.substr(start, end - start);
                if (src->oem)
                    part = OemToAnsi(part);
                if (!ConvertTableText(from, to, part, lacking)) {
                    SetError(220, LackingCharsText(lacking, "", to.number) + " im Memo-Block " +
                                      std::to_string(block) + " von " + sm->name + " [CopyMemo()]");
                    return 0;
                }
                converted += a->oem ? AnsiToOem(part) : part;
                if (end < bytes.size())
                    converted += "\x8D\n";
                start = end + 2;
            }
            bytes = std::move(converted);
        }
        if (a->writeHook && !bytes.empty())
            a->writeHook(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::int64_t pos = 0;
    if (!LockMemoPadAndSeekEOF(*a, *m, "CopyMemo()", pos))
        return 0;
    if (inPlace && sm->kind() == m->kind() && sm->blockSize == m->blockSize &&
        block >= FirstDataBlock(*m))
        pos = std::int64_t(block) * m->blockSize;
    if (pos / m->blockSize > INT32_MAX ||
        !WriteStoredMemo(*m, pos, bytes, stored.binary, m->name + " [CopyMemo()]")) {
        if (EngineErrorCode == 0)
            SetError(1004, m->name + " [CopyMemo()]");
        UnlockMemo(*m);
        return 0;
    }
    if (!UpdateMemoHeader(*m))
        return 0;
    return std::int32_t(pos / m->blockSize);
}

std::string FieldTextOfBlock(std::int64_t block, std::size_t len)
{
    std::string digits = block == 0 ? std::string() : std::to_string(block);
    if (digits.size() > len)
        return std::string(len, '*');
    return std::string(len - digits.size(), ' ') + digits;
}

// The new memo file while it is written through the atomic writer; its
// descriptor is only lent to the memo routines.
struct TempMemo {
    AtomicWriter writer;
    TMemoFile file;
    ~TempMemo() { file.file.Release(); }
};

struct FieldChange {
    std::int64_t offset;
    std::string after;
};

// A copy of the table with the changed fields, written through writer; 0 or
// an engine error code. The copy holds the table's write lock before it can
// take the table's name.
int CopyTableWith(TWorkArea& a, const std::vector<FieldChange>& changes, AtomicWriter& writer)
{
    if (!writer.OpenReplacing(a.fileName, a.file.Fd()))
        return WriterErrorCode(writer);
    const std::int64_t size = a.file.Size();
    std::vector<std::uint8_t> chunk(256 * 1024);
    for (std::int64_t at = 0; at < size; at += std::int64_t(chunk.size())) {
        const std::size_t n = std::size_t(std::min<std::int64_t>(size - at, std::int64_t(chunk.size())));
        if (a.file.ReadAt(at, chunk.data(), n) != std::int64_t(n))
            return a.file.LastError() ? a.file.LastError() : 30;
        if (!writer.WriteAt(at, chunk.data(), n))
            return WriterErrorCode(writer);
    }
    for (const FieldChange& c : changes)
        if (!writer.WriteAt(c.offset, c.after.data(), c.after.size()))
            return WriterErrorCode(writer);
    DbfFile view;
    view.Adopt(writer.Fd(), false, writer.Target());
    const int err = view.Lock(LockKind::Write, ShareLockOffset, 1);
    view.Release();
    return err == 0 ? 0 : err == EAGAIN || err == EACCES ? 32 : ErrnoToEngineCode(err);
}

} // namespace

std::int32_t CopyMemo(int sourceArea, std::int32_t block)
{
    return CopyMemoTo(sourceArea, block, false);
}

std::int32_t CopyMemoInPlace(int sourceArea, std::int32_t block)
{
    return CopyMemoTo(sourceArea, block, true);
}

bool memo::PackMemoFileHook(int areaNo)
{
    detail::KeepArea keep;
    CurrentArea = areaNo;
    return PackMemofile();
}

bool PackMemofile()
{
    EngineErrorCode = 0;
    TWorkArea* ap = nullptr;
    TMemoFile* m = RequireMemo("PackMemofile", &ap);
    if (!m)
        return false;
    TWorkArea& a = *ap;
    const std::string tag = m->name + " [PackMemofile]";
    if (a.Shared()) {
        SetError(225, "Exklusiver Zugriff erforderlich: " + tag);
        return false;
    }
    if (m->file.Size() / 1024 >= DiskFreeKB(m->name)) {
        SetError(1012, tag);
        return false;
    }
    std::vector<const TDbfFieldInfo*> memoFields;
    for (const auto& f : a.fields)
        if (IsMemoField(f))
            memoFields.push_back(&f);
    if (memoFields.empty())
        return true;

    TempMemo temp;
    temp.file.referencesSound = true;
    if (!temp.writer.OpenReplacing(m->name, m->file.Fd())) {
        SetError(std::uint16_t(WriterErrorCode(temp.writer)), tag);
        return false;
    }
    temp.file.file.Adopt(temp.writer.Fd(), false, temp.writer.TempPath());
    temp.file.name = temp.writer.TempPath();
    temp.file.type = m->type;
    temp.file.blockSize = m->blockSize;
    const auto image = BuildMemoImage(m->type == 0x8C ? 0x8B : m->type, m->blockSize,
                                      BaseNameOf(a.fileName));
    if (!temp.file.file.WriteAt(0, image.data(), image.size())) {
        SetError(std::uint16_t(temp.file.file.LastError()), tag);
        return false;
    }

    // Every referenced memo into the new file; nothing changes yet.
    std::map<std::int64_t, std::int64_t> moved;
    std::vector<FieldChange> changes;
    std::vector<std::uint8_t> rec(a.recLen);
    for (std::int32_t r = 1; r <= a.recCount; ++r) {
        if (a.file.ReadAt(a.RecordOffset(r), rec.data(), rec.size()) != std::int64_t(rec.size())) {
            SetError(213, tag);
            return false;
        }
        for (const TDbfFieldInfo* f : memoFields) {
            const std::string raw(reinterpret_cast<const char*>(rec.data()) + f->offset, f->len);
            const std::int64_t old = ParseMemoRef(raw);
            if (old == 0)
                continue;
            const MemoSource at{r, f->name,
                                old == InvalidMemoRef ? "\"" + AllTrim(raw) + "\"" : std::to_string(old)};
            const std::int64_t block = old < 0 ? -old : old;
            auto it = moved.find(block);
            if (it == moved.end()) {
                StoredMemo stored;
                if (!ReadStoredMemo(*m, old, stored, at, "PackMemo"))
                    return false;
                std::int64_t pos = 0;
                if (!LockMemoPadAndSeekEOF(a, temp.file, "PackMemo", pos) ||
                    !WriteStoredMemo(temp.file, pos, stored.bytes, stored.binary,
                                     MemoErrorText(temp.file, at, "", "PackMemo")))
                    return false;
                it = moved.emplace(block, pos / m->blockSize).first;
            }
            std::string now = FieldTextOfBlock(old < 0 ? -it->second : it->second, f->len);
            if (now != raw)
                changes.push_back({a.RecordOffset(r) + f->offset, now});
        }
    }
    const std::int64_t size = temp.file.file.Size();
    if (!MainHeaderWrite(temp.file, std::uint32_t((size + m->blockSize - 1) / m->blockSize)))
        return false;
    if (!temp.file.file.Sync()) {
        SetError(std::uint16_t(temp.file.file.LastError() ? temp.file.file.LastError() : 101), tag);
        return false;
    }
    temp.file.file.Release();

    // The records get their new numbers in a copy of the table, which takes
    // the table's name together with the new memo file.
    int fd = -1;
    if (changes.empty()) {
        fd = temp.writer.CommitAndRelease();
        if (fd < 0) {
            SetError(std::uint16_t(WriterErrorCode(temp.writer)), tag);
            return false;
        }
    } else {
        AtomicWriter table;
        int code = CopyTableWith(a, changes, table);
        int tableFd = -1;
        std::string failed;
        if (code == 0)
            code = CommitTableWithMemo(table, temp.writer, tableFd, fd, failed);
        if (tableFd >= 0) {
            a.file.Adopt(tableFd, false, a.fileName);
            a.fileKey = a.file.Id();
            a.cacheStart = -1;
        }
        if (code != 0) {
            SetError(std::uint16_t(code), failed.empty() ? tag : failed + " [PackMemofile]");
            return false;
        }
    }
    m->file.Adopt(fd, a.file.ReadOnly(), m->name);
    m->referencesSound = false;
    if (!changes.empty()) {
        if (a.state == FileState::Open)
            a.state = FileState::Modified;
        detail::DropPeekCacheFor(a.alias);
        if (a.recNo >= 1 && a.recNo <= a.recCount && GetDbfRecord(a, a.recNo))
            RecordToBuffer(a);
    }
    return true;
}

} // namespace kt4::dbase
