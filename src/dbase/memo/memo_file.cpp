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

const char* PointerFault(const TMemoFile& m, std::int64_t block, std::int64_t size)
{
    if (block == InvalidMemoRef)
        return "keine Blocknummer";
    if (block < 0)
        block = -block;
    if (block < FirstDataBlock(m))
        return "im Kopf der Memo-Datei";
    if (block * m.blockSize + 1 >= size)
        return "hinter dem Ende der Memo-Datei";
    return nullptr;
}

MemoSource SourceOf(const TWorkArea& area, std::int64_t block)
{
    MemoSource at;
    at.record = area.recNo;
    at.block = block == InvalidMemoRef ? "?" : std::to_string(block);
    if (area.isVirtual)
        return at;
    for (const auto& f : area.fields) {
        if (!IsMemoField(f) || f.offset + f.len > area.native.size())
            continue;
        const std::string_view raw(reinterpret_cast<const char*>(area.native.data()) + f.offset, f.len);
        if (ParseMemoRef(raw) == block) {
            at.field = f.name;
            if (block == InvalidMemoRef)
                at.block = "\"" + AllTrim(std::string(raw)) + "\"";
            break;
        }
    }
    return at;
}

std::string MemoErrorText(const TMemoFile& m, const MemoSource& at, const std::string& why,
                          const std::string& operation)
{
    return m.name + " Record # " + std::to_string(at.record) +
           (at.field.empty() ? std::string() : ", Feld " + at.field) + ", Block " + at.block +
           (why.empty() ? std::string() : ": " + why) + " [" + operation + "]";
}

namespace {

// A dBase IV memo without its block header that runs to the end of the file.
bool Unended(TMemoFile& m, std::int64_t block)
{
    const int loads = m.loads;
    StoredMemo stored;
    const char* why = nullptr;
    const bool unended = LoadStoredMemo(m, block, stored, &why) == 1003 && why == kRunsPastTheEnd;
    m.loads = loads;
    return unended;
}

// A record whose memo lies past the end of the file, or runs past it (a
// length-headed memo of a cut file or with a damaged length word), would
// read a new memo's bytes as its own once the file grows. 0 when there is
// none, else the error (reported: 1003 naming the first such record).
int CheckReferences(TWorkArea& area, TMemoFile& m, std::int64_t size, const std::string& operation)
{
    struct Ref {
        std::int64_t block;
        std::int32_t record;
        const TDbfFieldInfo* field;
        std::int32_t stored;
    };
    auto refuse = [&](const Ref& r, const std::string& why) {
        SetError(1003, MemoErrorText(m, {r.record, r.field->name, std::to_string(r.stored)},
                                     why + "; kein Memo wird geschrieben, bis das Feld geleert ist",
                                     operation));
        return 1003;
    };
    std::vector<const TDbfFieldInfo*> fields;
    for (const auto& f : area.fields)
        if (IsMemoField(f))
            fields.push_back(&f);
    const bool headed = m.kind() != Kind::DBase3;
    std::vector<Ref> refs;
    std::vector<std::uint8_t> chunk;
    const std::int32_t perChunk = std::int32_t(std::max<std::size_t>(1, (256 * 1024) / area.recLen));
    for (std::int32_t first = 1; !fields.empty() && first <= area.recCount; first += perChunk) {
        const std::int32_t count = std::min(perChunk, area.recCount - first + 1);
        chunk.resize(std::size_t(count) * area.recLen);
        const long long got = area.file.ReadAt(area.RecordOffset(first), chunk.data(), chunk.size());
        if (got < 0) {
            const int code = area.file.LastError() ? area.file.LastError() : 30;
            SetError(std::uint16_t(code), area.fileName + " [" + operation + "]");
            return code;
        }
        for (std::size_t at = 0; at + area.recLen <= std::size_t(got); at += area.recLen)
            for (const TDbfFieldInfo* f : fields) {
                const std::int32_t stored = ParseMemoRef(std::string_view(
                    reinterpret_cast<const char*>(chunk.data()) + at + f->offset, f->len));
                if (stored == 0 || stored == InvalidMemoRef)
                    continue; // reads as nothing, or as an error, whatever is written
                const Ref r{stored < 0 ? -std::int64_t(stored) : stored,
                            first + std::int32_t(at / area.recLen), f, stored};
                if (r.block * m.blockSize + 1 >= size)
                    return refuse(r, "hinter dem Ende der Memo-Datei");
                if (headed)
                    refs.push_back(r);
            }
    }
    // Length-headed memos: each one's length is read once.
    std::sort(refs.begin(), refs.end(), [](const Ref& x, const Ref& y) {
        return x.block != y.block ? x.block < y.block : x.record < y.record;
    });
    for (std::size_t i = 0; i < refs.size(); ++i) {
        if (i > 0 && refs[i].block == refs[i - 1].block)
            continue;
        const std::int64_t pos = refs[i].block * m.blockSize;
        std::uint8_t h[8] = {};
        BlockHeader head;
        const long long got = m.file.ReadAt(pos, h, sizeof h);
        if (got <= 0 || !ParseBlockHeader(m, h, got, std::int64_t(1) << 40, head))
            continue; // a damaged header reads as an error, whatever is written
        if (head.length >= 0 ? pos + head.size + head.length > size : Unended(m, refs[i].block))
            return refuse(refs[i], kRunsPastTheEnd);
    }
    return 0;
}

// True while the record of the memo noted as damaged still holds its
// block in a memo field (read from the file: the field may have been
// blanked since). Clears the note once it does not. A record that cannot
// be read counts as holding it.
bool DamageHeld(TWorkArea& area, TMemoFile& m)
{
    if (m.damage.empty())
        return false;
    const std::int32_t r = m.damagedAt.record;
    if (r >= 1 && r <= area.recCount) {
        std::vector<std::uint8_t> rec(area.recLen);
        if (area.file.ReadAt(area.RecordOffset(r), rec.data(), rec.size()) != std::int64_t(rec.size()))
            return true;
        for (const auto& f : area.fields) {
            if (!IsMemoField(f) || f.offset + f.len > rec.size())
                continue;
            const std::int64_t held =
                ParseMemoRef(std::string_view(reinterpret_cast<const char*>(rec.data()) + f.offset, f.len));
            if (held != InvalidMemoRef && (held < 0 ? -held : held) == m.damagedBlock)
                return true;
        }
    }
    m.damage.clear();
    return false;
}

} // namespace

void NoteDamage(TMemoFile& m, const MemoSource& at, std::int64_t block, const char* why)
{
    if (!m.damage.empty() || !why)
        return;
    m.damagedAt = at;
    m.damagedBlock = block < 0 ? -block : block;
    m.damage = why;
}

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
    // A memo found damaged inside the file: nothing is written into the
    // file until its field is blanked (which writes no memo).
    if (DamageHeld(area, m)) {
        UnlockMemo(m);
        SetError(1003, MemoErrorText(m, m.damagedAt, m.damage + "; kein Memo wird geschrieben, bis das Feld geleert ist",
                                     operation));
        return false;
    }
    // Until no record points past the end: an older memo file beside the
    // table, a cut one. Blanking those fields writes no memo.
    if (!m.referencesSound) {
        if (CheckReferences(area, m, size, operation) != 0) {
            UnlockMemo(m);
            return false;
        }
        m.referencesSound = true;
    }
    const std::int64_t bs = m.blockSize;
    if (m.kind() == Kind::DBase3 && size == 513) {
        std::uint8_t last = 0;
        if (m.file.ReadAt(512, &last, 1) == 1 && last == 0x1A) {
            position = 512;
            return true;
        }
    }
    // A dBase III memo that the end of the file cut stops at the end marks
    // here (two, as our memos end), never in the new memo.
    std::vector<std::uint8_t> fill;
    if (m.kind() == Kind::DBase3 && size > FirstDataBlock(m) * bs) {
        std::uint8_t last[2] = {};
        if (m.file.ReadAt(size - 2, last, 2) != 2) {
            UnlockMemo(m);
            SetError(30, m.name + " [" + operation + "]");
            return false;
        }
        if (last[1] != 0 && last[1] != 0x1A)
            fill = {0x1A, 0x1A};
        else if (last[1] == 0x1A && last[0] != 0x1A)
            fill = {0x1A};
    }
    const std::int64_t end =
        std::max(CeilDiv(size + std::int64_t(fill.size()), bs), FirstDataBlock(m)) * bs;
    fill.resize(std::size_t(end - size), 0);
    if (!fill.empty() && !m.file.WriteAt(size, fill.data(), fill.size())) {
        const int code = m.file.LastError();
        (void)m.file.Truncate(size); // back to the old end; the error below is what counts
        UnlockMemo(m);
        SetError(std::uint16_t(code ? code : 1005), m.name + " [LockMemoPadAndSeekEOF]");
        return false;
    }
    position = end;
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
                      BlockHeader& out, const char** why)
{
    out = BlockHeader{};
    std::int64_t length = 0;
    auto damaged = [why](const char* how) {
        if (why)
            *why = how;
        return false;
    };
    if (m.kind() == Kind::FoxPro) {
        if (got < 8)
            return damaged(kRunsPastTheEnd);
        out.binary = GetU32BE(h) != 1;
        length = GetU32BE(h + 4);
    } else if (got == 8 && IsDBase4Header(h)) {
        const std::uint32_t stored = GetU32(h + 4);
        if (stored < 8)
            return damaged("Längenangabe des Blockkopfs unter 8");
        length = stored - 8;
    } else {
        return true; // dBase III, or a dBase IV memo without its header
    }
    // A length past the end of the file is a damaged length word or a file
    // cut inside the memo; the bytes behind it are other memos.
    if (length > room - 8)
        return damaged(kRunsPastTheEnd);
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

namespace {

// True when the data of the memo at pos (read into out) covers the start
// of a later block that holds another memo's block header: its length word
// was raised. A dBase IV block header (FF FF 08 00, a length that fits) is
// in no text; in a FoxPro file, where binary data may hold anything, only a
// text memo is held to it, and only by a text memo's header.
bool RunsIntoAnotherMemo(const TMemoFile& m, std::int64_t pos, std::int64_t dataPos, const StoredMemo& out,
                         std::int64_t size)
{
    if (m.kind() == Kind::DBase3 || (m.kind() == Kind::FoxPro && out.binary))
        return false;
    const std::int64_t end = dataPos + std::int64_t(out.bytes.size());
    for (std::int64_t q = pos + m.blockSize; q + 8 <= end; q += m.blockSize) {
        const auto* h = reinterpret_cast<const std::uint8_t*>(out.bytes.data()) + (q - dataPos);
        if (m.kind() == Kind::DBase4) {
            if (IsDBase4Header(h) && GetU32(h + 4) >= 8 && q + GetU32(h + 4) <= size)
                return true;
        } else if (GetU32BE(h) == 1 && GetU32BE(h + 4) >= 1 && q + 8 + GetU32BE(h + 4) <= size) {
            return true;
        }
    }
    return false;
}

} // namespace

int LoadStoredMemo(TMemoFile& m, std::int64_t block, StoredMemo& out, const char** why)
{
    out = StoredMemo{};
    m.loads = 0;
    const std::int64_t size = m.file.Size();
    if (const char* fault = PointerFault(m, block, size)) {
        if (why)
            *why = fault;
        return 1003;
    }
    if (block < 0)
        block = -block;
    const std::int64_t pos = block * m.blockSize;
    std::uint8_t h[8] = {};
    const long long got = m.file.ReadAt(pos, h, sizeof h);
    if (got < 0)
        return m.file.LastError() ? m.file.LastError() : 30;
    ++m.loads;
    BlockHeader head;
    if (!ParseBlockHeader(m, h, got, size - pos, head, why))
        return 1003;
    out.binary = head.binary;
    out.sized = head.size > 0;
    const std::int64_t dataPos = pos + head.size, length = head.length;
    if (length >= 0) {
        out.bytes.resize(std::size_t(length));
        if (length > 0 && m.file.ReadAt(dataPos, out.bytes.data(), out.bytes.size()) != length)
            return m.file.LastError() ? m.file.LastError() : 30;
        if (RunsIntoAnotherMemo(m, pos, dataPos, out, size)) {
            if (why)
                *why = kIntoAnotherMemo;
            return 1003;
        }
        out.blocks = BlocksFor(m.kind() == Kind::FoxPro ? Kind::FoxPro : Kind::DBase4, m.blockSize,
                               length);
        return 0;
    }
    // Up to the first 0x1A; a dBase III memo the end of the file cut reads up
    // to there (a dBase IV one without its header is damaged).
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
        const std::size_t taken = std::size_t((ended ? end : chunk.data() + n) - chunk.data());
        if (m.kind() == Kind::DBase4 && std::memchr(chunk.data(), 0, taken)) {
            if (why)
                *why = kNoBlockHeader;
            return 1003;
        }
        out.bytes.append(chunk.data(), taken);
        at += n;
    }
    if (!ended && m.kind() != Kind::DBase3) {
        if (why)
            *why = kRunsPastTheEnd;
        return 1003;
    }
    out.blocks = BlocksFor(Kind::DBase3, m.blockSize, std::int64_t(out.bytes.size()));
    return 0;
}

bool ReadStoredMemo(TMemoFile& m, std::int64_t block, StoredMemo& out, const MemoSource& at,
                    const std::string& operation)
{
    const char* why = nullptr;
    const int code = LoadStoredMemo(m, block, out, &why);
    if (code != 0) {
        // damage inside the file, not a pointer that names no memo
        if (code == 1003 && !PointerFault(m, block, m.file.Size()))
            NoteDamage(m, at, block, why);
        SetError(std::uint16_t(code), MemoErrorText(m, at, why ? why : "", operation));
    }
    return code == 0;
}

bool CheckReplacedMemo(TMemoFile& m, const TWorkArea& area, std::int64_t block,
                       const std::string& operation)
{
    if (block == 0 || PointerFault(m, block, m.file.Size()))
        return true; // no memo there to lose anything of
    const int loads = m.loads;
    StoredMemo old;
    const bool ok = ReadStoredMemo(m, block, old, SourceOf(area, block), operation);
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
