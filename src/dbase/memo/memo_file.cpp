// Memo files: opening and closing with the table, the formats' headers and
// block runs, the writers' lock, and reading and writing one stored memo.
#include "dbase/memo/memo.h"
#include "dbase/memo/memo_internal.h"

#include "dbase/engine/dbf_create.h"
#include "dbase/engine/dbf_format.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/runtime.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace kt4::dbase {

std::uint8_t DefaultMemoType = 0x8B;
bool MemoWidthOn = false;
int MemoWidth = 65;

namespace memo {
namespace {

constexpr std::int64_t kMemoLockOffset = LockBase; // one byte, writers only
constexpr int kLockAttempts = 110;                 // 11 rounds of 10, 10 ms apart

bool IsDBase4Header(const std::uint8_t* h)
{
    return h[0] == 0xFF && h[1] == 0xFF && h[2] == 0x08 && h[3] == 0x00;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b)
{
    return (a + b - 1) / b;
}

// Reads the header of a freshly opened memo file: its block size. False
// when it cannot be read.
bool ReadBlockSize(TMemoFile& m)
{
    std::uint8_t h[24] = {};
    switch (m.kind()) {
    case Kind::DBase3:
        if (m.file.ReadAt(0, h, 4) != 4)
            return false;
        m.blockSize = kDefaultBlockSize;
        return true;
    case Kind::FoxPro: {
        if (m.file.ReadAt(0, h, 8) != 8)
            return false;
        std::uint32_t bs = (std::uint32_t(h[6]) << 8) | h[7];
        m.blockSize = bs >= 8 ? bs : kDefaultBlockSize;
        return true;
    }
    case Kind::DBase4: {
        if (m.file.ReadAt(0, h, 24) != 24)
            return false;
        std::uint32_t bs = GetU16(h + 20);
        const bool layout = GetU16(h + 18) == 0x0102;
        m.blockSize = layout && bs >= 8 && bs < 0x8000 ? bs : kDefaultBlockSize;
        return true;
    }
    }
    return false;
}

} // namespace

bool OpenMemoFileHook(int areaNo, const std::string& memoPath)
{
    TWorkArea* a = Area(areaNo);
    if (!a) {
        SetError(215, "[USE]");
        return false;
    }
    if (a->memoState) {
        SetError(1007, memoPath + " [USE]");
        return false;
    }
    auto m = std::make_shared<TMemoFile>();
    m->name = memoPath;
    const std::uint8_t type = MemoTypeOfVersion(a->version);
    m->type = type != 0 ? type : DefaultMemoType;
    if (int code = m->file.Open(memoPath, !a->file.ReadOnly(), true); code != 0) {
        SetError(std::uint16_t(code), "Memo-Datei nicht gefunden: " + memoPath + " [USE]");
        return false;
    }
    if (!ReadBlockSize(*m)) {
        SetError(30, memoPath + " [USE]");
        return false;
    }
    a->memoState = std::move(m);
    return true;
}

void CloseMemoFileHook(int areaNo)
{
    TWorkArea* a = Area(areaNo);
    if (!a || !a->memoState)
        return;
    TMemoFile& m = *static_cast<TMemoFile*>(a->memoState.get());
    if (m.locked)
        UnlockMemo(m);
    m.file.Close();
    a->memoState.reset();
}

std::uint8_t MemoTypeOfVersion(std::uint8_t version)
{
    switch (version) {
    case 0x83:
    case 0x8B:
    case 0x8C:
    case 0xF5:
        return version;
    case 0x30:
        return 0xF5;
    default:
        return 0;
    }
}

TMemoFile* MemoOf(TWorkArea& area)
{
    return static_cast<TMemoFile*>(area.memoState.get());
}

TMemoFile* RequireMemo(const char* operation, TWorkArea** areaOut)
{
    TWorkArea* a = Current();
    if (!a) {
        SetError(215, std::string("[") + operation + "]");
        return nullptr;
    }
    TMemoFile* m = MemoOf(*a);
    if (!m) {
        SetError(1019, "Arbeitsbereich " + std::to_string(a->number) + " (" + a->alias +
                           ") No Memo Field [" + operation + "]");
        return nullptr;
    }
    if (areaOut)
        *areaOut = a;
    return m;
}

int DataHeaderSize(Kind kind)
{
    return kind == Kind::DBase3 ? 0 : 8;
}

std::int64_t BlocksFor(Kind kind, std::uint32_t blockSize, std::int64_t n)
{
    const std::int64_t overhead = kind == Kind::DBase3 ? 2 : 8;
    return CeilDiv(std::max<std::int64_t>(n, 0) + overhead, blockSize);
}

std::int64_t FirstDataBlock(const TMemoFile& m)
{
    const std::int64_t header = m.kind() == Kind::DBase4 ? 24 : 512;
    return CeilDiv(header, m.blockSize);
}

std::string RecordContext(const TMemoFile& m, const TWorkArea& area, const std::string& operation)
{
    return m.name + " Record # " + std::to_string(area.recNo) + " [" + operation + "]";
}

bool IsMemoField(const TDbfFieldInfo& f)
{
    return f.type == 'M' || f.type == 'B' || f.type == 'G' || f.type == 'P';
}

std::int64_t BlockOfField(std::string_view raw)
{
    double v = 0;
    if (!ParseFileNumber(raw, v) || v != v || v > 2147483647.0 || v < -2147483647.0)
        return 0;
    return std::int64_t(v);
}

namespace {

// Where a read of the memo at block may run to: the end of its blocks by
// its length (a length word is taken as it stands, also when the file ends
// before it); one block when nothing of it is in the file; and one byte
// past the end of the file (for the mark) when it runs on to there.
std::int64_t ExtentOf(TMemoFile& m, std::int64_t block)
{
    const std::int64_t bs = m.blockSize, size = m.file.Size(), pos = block * bs;
    if (pos + 1 >= size)
        return pos + bs;
    const int loads = m.loads;
    StoredMemo stored;
    const int code = LoadStoredMemo(m, block, stored);
    m.loads = loads;
    if (code == 0)
        return pos + std::max<std::int64_t>(stored.blocks, 1) * bs;
    std::uint8_t h[8] = {};
    BlockHeader head;
    const long long got = m.file.ReadAt(pos, h, sizeof h);
    if (got > 0 && ParseBlockHeader(m, h, got, std::int64_t(1) << 40, head) && head.length >= 0) {
        const std::int64_t end = pos + BlocksFor(Kind::FoxPro, m.blockSize, head.length) * bs;
        if (end / bs <= INT32_MAX)
            return end;
    }
    return std::max(pos + bs, CeilDiv(size + 1, bs) * bs);
}

// The end of every block the records of area point into: the highest
// block's extent. -1 when the table cannot be read (reported).
std::int64_t ReferencedEnd(TWorkArea& area, TMemoFile& m, const std::string& operation)
{
    std::vector<const TDbfFieldInfo*> fields;
    for (const auto& f : area.fields)
        if (IsMemoField(f))
            fields.push_back(&f);
    std::int64_t highest = 0;
    std::vector<std::uint8_t> chunk;
    const std::int32_t perChunk = std::int32_t(std::max<std::size_t>(1, (256 * 1024) / area.recLen));
    for (std::int32_t first = 1; !fields.empty() && first <= area.recCount; first += perChunk) {
        const std::int32_t count = std::min(perChunk, area.recCount - first + 1);
        chunk.resize(std::size_t(count) * area.recLen);
        const long long got = area.file.ReadAt(area.RecordOffset(first), chunk.data(), chunk.size());
        if (got < 0) {
            SetError(std::uint16_t(area.file.LastError() ? area.file.LastError() : 30),
                     area.fileName + " [" + operation + "]");
            return -1;
        }
        for (std::size_t at = 0; at + area.recLen <= std::size_t(got); at += area.recLen)
            for (const TDbfFieldInfo* f : fields) {
                const std::int64_t block = BlockOfField(std::string_view(
                    reinterpret_cast<const char*>(chunk.data()) + at + f->offset, f->len));
                highest = std::max(highest, block < 0 ? -block : block);
            }
    }
    return highest == 0 ? 0 : ExtentOf(m, highest);
}

} // namespace

bool LockMemoPadAndSeekEOF(TWorkArea& area, TMemoFile& m, const std::string& operation,
                           std::int64_t& position)
{
    position = 0;
    if (area.Shared() && !m.locked) {
        bool got = false;
        for (int i = 0; i < kLockAttempts && !got; ++i) {
            got = m.file.Lock(LockKind::Write, kMemoLockOffset, 1) == 0;
            if (!got)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!got) {
            SetError(1017, m.name + " [" + operation + "]");
            return false;
        }
        m.locked = true;
    }
    const std::int64_t size = m.file.Size();
    if (size < 0) {
        UnlockMemo(m);
        SetError(30, m.name + " [" + operation + "]");
        return false;
    }
    // Once per open: the records may point past the end (an older memo file
    // beside the table, a cut one), where a new memo must not go.
    if (m.referencedEnd < 0 && (m.referencedEnd = ReferencedEnd(area, m, operation)) < 0) {
        UnlockMemo(m);
        return false;
    }
    // The header's next free block: a file cut shorter than it still has
    // records pointing up to there, which a new memo must not overwrite.
    std::uint8_t head[4] = {};
    if (m.file.ReadAt(0, head, 4) != 4) {
        UnlockMemo(m);
        SetError(30, m.name + " [" + operation + "]");
        return false;
    }
    const std::int64_t bs = m.blockSize;
    const std::int64_t nextFree = std::int64_t(m.kind() == Kind::FoxPro ? GetU32BE(head) : GetU32(head)) * bs;
    if (m.kind() == Kind::DBase3 && size == 513 && nextFree <= 512 && m.referencedEnd <= 512) {
        std::uint8_t last = 0;
        if (m.file.ReadAt(512, &last, 1) == 1 && last == 0x1A) {
            position = 512;
            return true;
        }
    }
    const std::int64_t end =
        std::max(CeilDiv(size, bs), FirstDataBlock(m)) * bs;
    auto fail = [&] {
        const int code = m.file.LastError();
        (void)m.file.Truncate(size); // back to the old end; the error below is what counts
        UnlockMemo(m);
        SetError(std::uint16_t(code ? code : 1005), m.name + " [LockMemoPadAndSeekEOF]");
        return false;
    };
    if (end > size) {
        std::vector<std::uint8_t> zeros(std::size_t(end - size), 0);
        if (!m.file.WriteAt(size, zeros.data(), zeros.size()))
            return fail();
    }
    position = std::max({end, nextFree, m.referencedEnd});
    if (position > size) {
        // A read that starts in the blocks before, or runs on from the
        // memo the end of the file cut, stops at this mark (two, as dBase
        // III memos end) and never runs into the new memo.
        static const std::uint8_t marks[2] = {0x1A, 0x1A};
        const std::int64_t n = std::min<std::int64_t>(2, position - size);
        if (!m.file.WriteAt(position - n, marks + 2 - n, std::size_t(n)))
            return fail();
    }
    return true;
}

bool MainHeaderWrite(TMemoFile& m, std::uint32_t block)
{
    std::uint8_t b[4];
    if (m.kind() == Kind::FoxPro)
        PutU32BE(b, block);
    else
        PutU32(b, block);
    if (!m.file.WriteAt(0, b, 4)) {
        SetError(29, m.name + " [MainHeaderWrite()]");
        return false;
    }
    return true;
}

void UnlockMemo(TMemoFile& m)
{
    if (!m.locked)
        return;
    m.locked = false;
    if (m.file.Lock(LockKind::Unlock, kMemoLockOffset, 1) != 0)
        SetError(1018, m.name);
}

bool UpdateMemoHeader(TMemoFile& m)
{
    const std::int64_t size = m.file.Size();
    const std::uint32_t next = std::uint32_t(std::max<std::int64_t>(CeilDiv(std::max<std::int64_t>(size, 1), m.blockSize), 1));
    bool ok = MainHeaderWrite(m, next);
    // dBase IV keeps a running counter at 32, inside the header block only.
    if (ok && m.kind() == Kind::DBase4 && m.blockSize >= 36 && m.loads > 0) {
        std::uint8_t c[4] = {};
        if (m.file.ReadAt(32, c, 4) == 4) {
            PutU32(c, GetU32(c) + std::uint32_t(m.loads));
            if (!m.file.WriteAt(32, c, 4)) {
                SetError(29, m.name + " [UpdateMemoHeader()]");
                ok = false;
            }
        }
    }
    if (ok && FlushWrites && !m.file.Sync()) {
        SetError(std::uint16_t(m.file.LastError() ? m.file.LastError() : 101), m.name + " [UpdateMemoHeader()]");
        ok = false;
    }
    UnlockMemo(m);
    return ok;
}

bool ParseBlockHeader(const TMemoFile& m, const std::uint8_t* h, long long got, std::int64_t room,
                      BlockHeader& out)
{
    out = BlockHeader{};
    std::int64_t length = 0;
    if (m.kind() == Kind::FoxPro) {
        if (got < 8)
            return false;
        out.binary = GetU32BE(h) != 1;
        length = GetU32BE(h + 4);
    } else if (got == 8 && IsDBase4Header(h)) {
        const std::uint32_t stored = GetU32(h + 4);
        if (stored < 8)
            return false;
        length = stored - 8;
    } else {
        return true; // dBase III, or a dBase IV memo without its header
    }
    // A length past the end of the file is a damaged length word or a file
    // cut inside the memo; the bytes behind it are other memos.
    if (length > room - 8)
        return false;
    out.size = 8;
    out.length = length;
    return true;
}

void ComposeBlockHeader(Kind kind, std::uint32_t length, bool binary, std::uint8_t* h)
{
    if (kind == Kind::FoxPro) {
        PutU32BE(h, binary ? 0 : 1);
        PutU32BE(h + 4, length);
        return;
    }
    h[0] = 0xFF;
    h[1] = 0xFF;
    h[2] = 0x08;
    h[3] = 0x00;
    PutU32(h + 4, length + 8);
}

int LoadStoredMemo(TMemoFile& m, std::int64_t block, StoredMemo& out)
{
    out = StoredMemo{};
    m.loads = 0;
    const std::int64_t size = m.file.Size();
    const std::int64_t bs = m.blockSize;
    if (block < 0)
        block = -block;
    const std::int64_t pos = block * bs;
    if (block == 0 || pos < 0 || pos + 1 >= size)
        return 1003;
    std::uint8_t h[8] = {};
    const long long got = m.file.ReadAt(pos, h, sizeof h);
    if (got < 0)
        return m.file.LastError() ? m.file.LastError() : 30;
    ++m.loads;
    BlockHeader head;
    if (!ParseBlockHeader(m, h, got, size - pos, head))
        return 1003;
    out.binary = head.binary;
    out.sized = head.size > 0;
    const std::int64_t dataPos = pos + head.size, length = head.length;
    if (length >= 0) {
        out.bytes.resize(std::size_t(length));
        if (length > 0 && m.file.ReadAt(dataPos, out.bytes.data(), out.bytes.size()) != length)
            return m.file.LastError() ? m.file.LastError() : 30;
        out.blocks = BlocksFor(m.kind() == Kind::FoxPro ? Kind::FoxPro : Kind::DBase4, m.blockSize,
                               length);
        return 0;
    }
    // Up to the first 0x1A; a file that ends before it was cut inside the memo.
    std::vector<char> chunk(512);
    bool ended = false;
    for (std::int64_t at = dataPos; at < size && !ended;) {
        const long long n = m.file.ReadAt(at, chunk.data(), chunk.size());
        if (n < 0)
            return m.file.LastError() ? m.file.LastError() : 30;
        if (n == 0)
            break;
        ++m.loads;
        const char* end = static_cast<const char*>(std::memchr(chunk.data(), 0x1A, std::size_t(n)));
        ended = end != nullptr;
        out.bytes.append(chunk.data(), std::size_t((ended ? end : chunk.data() + n) - chunk.data()));
        at += n;
    }
    if (!ended)
        return 1003;
    out.blocks = BlocksFor(Kind::DBase3, m.blockSize, std::int64_t(out.bytes.size()));
    return 0;
}

bool ReadStoredMemo(TMemoFile& m, std::int64_t block, StoredMemo& out, const std::string& context)
{
    const int code = LoadStoredMemo(m, block, out);
    if (code != 0)
        SetError(std::uint16_t(code), context);
    return code == 0;
}

std::int64_t StoredRunBlocks(TMemoFile& m, std::int64_t block)
{
    const std::int64_t size = m.file.Size();
    const std::int64_t pos = block * m.blockSize;
    if (block < FirstDataBlock(m) || pos + 8 > size)
        return 0;
    std::uint8_t h[8];
    if (m.file.ReadAt(pos, h, 8) != 8 || !IsDBase4Header(h) || GetU32(h + 4) < 8)
        return 0;
    // Only a run whose length fits the file is one.
    if (std::int64_t(GetU32(h + 4)) > size - pos)
        return 0;
    return BlocksFor(Kind::DBase4, m.blockSize, GetU32(h + 4) - 8);
}

bool CheckReplacedMemo(TMemoFile& m, std::int64_t block, const std::string& context)
{
    if (block < 0)
        block = -block;
    if (block == 0 || block * m.blockSize + 1 >= m.file.Size())
        return true; // no memo there to lose anything of
    const int loads = m.loads;
    StoredMemo old;
    const bool ok = ReadStoredMemo(m, block, old, context);
    m.loads = loads;
    return ok;
}

bool WriteStoredMemo(TMemoFile& m, std::int64_t position, const std::string& data, bool binary,
                     const std::string& context)
{
    const Kind kind = m.kind();
    if (kind == Kind::DBase3 && data.find('\x1A') != std::string::npos) {
        SetError(220, "Daten mit dem Byte 1A passen nicht in eine dBase-III-Memodatei " + context);
        return false;
    }
    if (data.size() > 0xFFFFFFF0u) {
        SetError(1004, context);
        return false;
    }
    const std::int64_t blocks = BlocksFor(kind, m.blockSize, std::int64_t(data.size()));
    std::vector<std::uint8_t> out(std::size_t(blocks * m.blockSize), 0);
    std::size_t at = 0;
    if (kind != Kind::DBase3) {
        ComposeBlockHeader(kind, std::uint32_t(data.size()), binary, out.data());
        at = 8;
    }
    std::memcpy(out.data() + at, data.data(), data.size());
    // dBase III memos end with two 0x1A: readers that look for the pair and
    // readers that stop at the first read the same.
    if (kind == Kind::DBase3)
        out[data.size()] = out[data.size() + 1] = 0x1A;
    if (!m.file.WriteAt(position, out.data(), out.size())) {
        SetError(std::uint16_t(m.file.LastError() ? m.file.LastError() : 101), context);
        return false;
    }
    return true;
}

} // namespace memo

using namespace memo;

std::uint8_t GetMemoType()
{
    TWorkArea* a = Current();
    if (!a)
        return DefaultMemoType;
    const std::uint8_t t = MemoTypeOfVersion(a->version);
    return t != 0 && t != 0x30 ? t : DefaultMemoType;
}

bool IsFoxProMemo() { return GetMemoType() == 0xF5; }
bool IsDBase4Memo() { return GetMemoType() == 0x8B; }
bool IsDBase4Level7Memo() { return GetMemoType() == 0x8C; }
bool IsDBase3Memo() { return GetMemoType() == 0x83; }

bool CreateMemofile(const std::string& tableName)
{
    EngineErrorCode = 0;
    const std::uint8_t type = CreateVersion();
    return CreateDbfMemoFile(WithExtension(tableName, MemoExtensionOf(type)), type, MemoBlockSize(),
                             "CreateMemofile");
}

void CloseMemofile()
{
    if (TWorkArea* a = Current())
        CloseMemoFileHook(a->number);
}

std::uint32_t MemoFileBlockSize()
{
    TWorkArea* a = Current();
    TMemoFile* m = a ? MemoOf(*a) : nullptr;
    return m ? m->blockSize : 0;
}

} // namespace kt4::dbase
