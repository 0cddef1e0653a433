// BLOB streams over memo files, memos as text files, and the installation
// of the memo hooks.
#include "dbase/memo/memo_blob.h"

#include "dbase/engine/codepage.h"
#include "dbase/engine/engine_files.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/hooks.h"
#include "dbase/engine/internal.h"

#include <algorithm>
#include <cstring>

namespace kt4::dbase {

bool BlobNumbersNegative = false;

using namespace memo;

namespace {

constexpr std::int64_t kChunk = 32767;
constexpr std::size_t kCacheSize = 512;

std::int64_t CeilDiv(std::int64_t a, std::int64_t b)
{
    return (a + b - 1) / b;
}

bool LooksLikeText(const std::uint8_t* p, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t c = p[i];
        if (c < 32 && c != 9 && c != 10 && c != 13 && c != 15 && c != 20 && c != 21)
            return false;
    }
    return true;
}

// The descriptor of the current area, active in the wanted mode.
struct Active {
    TWorkArea* area = nullptr;
    TMemoFile* memo = nullptr;
    BlobDescriptor* blob = nullptr;
};

Active Find(int mode)
{
    Active r;
    r.area = Current();
    r.memo = r.area ? MemoOf(*r.area) : nullptr;
    if (r.memo && r.memo->blob.active && (mode == 0 || r.memo->blob.mode == mode))
        r.blob = &r.memo->blob;
    return r;
}

std::string Context(const Active& a, const char* operation)
{
    return RecordContext(*a.memo, *a.area, operation);
}

bool FlushCache(Active& a)
{
    BlobDescriptor& b = *a.blob;
    if (!b.cacheDirty || b.cacheFill == 0)
        return true;
    std::vector<std::uint8_t> out(b.cache.begin(), b.cache.begin() + std::ptrdiff_t(b.cacheFill));
    a.memo->dataHook(out.data(), out.size(), b.cacheStart, true);
    b.cacheDirty = false;
    const std::int64_t at = b.dataStart + b.cacheStart;
    b.cacheFill = 0;
    if (!a.memo->file.WriteAt(at, out.data(), out.size())) {
        SetError(std::uint16_t(a.memo->file.LastError() ? a.memo->file.LastError() : 101),
                 Context(a, "WriteBlobStream"));
        return false;
    }
    return true;
}

// Writes data at the BLOB's offset (through the cache with a data hook).
bool PutBytes(Active& a, const std::uint8_t* data, std::size_t n)
{
    BlobDescriptor& b = *a.blob;
    if (!a.memo->dataHook) {
        if (!a.memo->file.WriteAt(b.dataStart + b.offset, data, n)) {
            SetError(std::uint16_t(a.memo->file.LastError() ? a.memo->file.LastError() : 101),
                     Context(a, "WriteBlobStream"));
            return false;
        }
        return true;
    }
    std::size_t done = 0;
    while (done < n) {
        const std::int64_t at = b.offset + std::int64_t(done);
        const bool follows = b.cacheDirty && at == b.cacheStart + std::int64_t(b.cacheFill);
        if (!follows || b.cacheFill == kCacheSize) {
            if (!FlushCache(a))
                return false;
            b.cacheStart = at;
        }
        b.cache.resize(kCacheSize);
        const std::size_t take = std::min(n - done, kCacheSize - b.cacheFill);
        std::memcpy(b.cache.data() + b.cacheFill, data + done, take);
        b.cacheFill += take;
        b.cacheDirty = true;
        done += take;
    }
    return true;
}

long long GetBytes(Active& a, std::uint8_t* data, std::size_t n)
{
    const long long got = a.memo->file.ReadAt(a.blob->dataStart + a.blob->offset, data, n);
    if (got > 0 && a.memo->dataHook)
        a.memo->dataHook(data, std::size_t(got), a.blob->offset, false);
    return got;
}

// Whether the BLOB's first chunk (from its start, whatever was read first)
// is text.
bool FirstChunkIsText(Active& a, const std::uint8_t* read, std::size_t n)
{
    BlobDescriptor& b = *a.blob;
    if (b.offset == 0)
        return LooksLikeText(read, n);
    std::vector<std::uint8_t> first(std::size_t(std::max<std::int64_t>(std::min(kChunk, b.length), 0)));
    const long long got = a.memo->file.ReadAt(b.dataStart, first.data(), first.size());
    if (got <= 0)
        return LooksLikeText(read, n);
    if (a.memo->dataHook)
        a.memo->dataHook(first.data(), std::size_t(got), 0, false);
    return LooksLikeText(first.data(), std::size_t(got));
}

// The length of a BLOB that ends with its first 0x1A (read through once);
// -1 when the file ends before it, -2 when a dBase IV block without its
// header holds zeros before it (kNoBlockHeader).
std::int64_t ScanLength(Active& a)
{
    BlobDescriptor& b = *a.blob;
    const std::int64_t size = a.memo->file.Size();
    std::vector<std::uint8_t> chunk(4096);
    for (std::int64_t at = b.dataStart; at < size;) {
        const long long n = a.memo->file.ReadAt(at, chunk.data(), chunk.size());
        if (n <= 0)
            break;
        if (a.memo->dataHook)
            a.memo->dataHook(chunk.data(), std::size_t(n), at - b.dataStart, false);
        const void* hit = std::memchr(chunk.data(), 0x1A, std::size_t(n));
        const std::size_t taken = hit ? std::size_t(static_cast<const std::uint8_t*>(hit) - chunk.data()) : std::size_t(n);
        if (a.memo->kind() == Kind::DBase4 && std::memchr(chunk.data(), 0, taken))
            return -2; // no memo of dBase III: a damaged block header
        if (hit)
            return at - b.dataStart + std::int64_t(taken);
        at += n;
    }
    return -1;
}

bool CreateBlobDescriptor(TWorkArea& area, TMemoFile& m, std::int32_t& block, TBlobMode mode,
                          std::int64_t size)
{
    BlobDescriptor& b = m.blob;
    const std::int64_t bs = m.blockSize;
    const std::string operation = "CreateBlobDescriptor";
    if (mode == TBlobMode::Read) {
        const std::int64_t blk = block < 0 ? -std::int64_t(block) : block;
        b.block = blk;
        b.headerSize = 0;
        if (block == 0) {
            b.length = 0;
            b.dataStart = 0;
            return true;
        }
        const std::int64_t pos = blk * bs;
        const std::int64_t fileSize = m.file.Size();
        if (const char* fault = PointerFault(m, block, fileSize)) {
            SetError(1003, MemoErrorText(m, SourceOf(area, block), fault, operation));
            return false;
        }
        std::uint8_t h[8] = {};
        const long long got = m.file.ReadAt(pos, h, 8);
        if (got < 0) {
            SetError(std::uint16_t(m.file.LastError() ? m.file.LastError() : 30),
                     RecordContext(m, area, operation));
            return false;
        }
        BlockHeader head;
        const char* why = nullptr;
        if (!ParseBlockHeader(m, h, got, fileSize - pos, head, &why)) {
            NoteDamage(m, SourceOf(area, block), block, why);
            SetError(1003, MemoErrorText(m, SourceOf(area, block), why ? why : "", operation));
            return false;
        }
        b.headerSize = head.size;
        b.dataStart = pos + head.size;
        b.length = head.length;
        if (b.length < 0) {
            // Up to its end mark; a dBase III memo the end of the file cut,
            // up to there.
            Active scan{&area, &m, &b};
            b.length = ScanLength(scan);
            if (b.length < 0 && m.kind() != Kind::DBase3) {
                why = b.length == -2 ? kNoBlockHeader : kRunsPastTheEnd;
                NoteDamage(m, SourceOf(area, block), block, why);
                SetError(1003, MemoErrorText(m, SourceOf(area, block), why, operation));
                return false;
            }
            if (b.length < 0)
                b.length = std::max<std::int64_t>(fileSize - b.dataStart, 0);
        }
        if (head.binary)
            b.textMode = 0;
        return true;
    }
    // Write
    if (size == 0) {
        // nothing can be written: the field is only emptied (also one whose
        // memo is damaged or lies past the end of the file)
        b.block = 0;
        b.limit = b.length = 0;
        block = 0;
        return true;
    }
    if (size >= 0 && size / 1024 >= DiskFreeKB(m.name)) {
        SetError(1004, RecordContext(m, area, operation));
        return false;
    }
    if (!CheckReplacedMemo(m, area, block, operation))
        return false;
    std::int64_t pos = 0;
    if (!LockMemoPadAndSeekEOF(area, m, operation, pos))
        return false;
    // Always at the end: the old memo's blocks stay as they are for the
    // record until it is written, and for every other program that reads
    // them by the pointer it holds.
    if (pos / bs > INT32_MAX) {
        UnlockMemo(m);
        SetError(1004, RecordContext(m, area, operation));
        return false;
    }
    b.block = pos / bs;
    b.placed = true;
    b.headerSize = DataHeaderSize(m.kind());
    b.dataStart = pos + b.headerSize;
    b.limit = size;
    b.length = size;
    b.extent = 0;
    block = std::int32_t(b.block);
    return true;
}

bool FinishWrittenBlob(Active& a)
{
    BlobDescriptor& b = *a.blob;
    TMemoFile& m = *a.memo;
    const std::int64_t start = b.block * m.blockSize;
    std::vector<std::uint8_t> tail;
    std::int64_t tailAt = 0;
    if (m.kind() == Kind::DBase3) {
        tailAt = b.dataStart + b.extent;
        tail = {0x1A, 0x1A};
    } else {
        std::uint8_t h[8];
        ComposeBlockHeader(m.kind(), std::uint32_t(b.extent), b.textMode == 0, h);
        if (!m.file.WriteAt(start, h, 8)) {
            SetError(29, m.name + " [WriteGroupHeader()]");
            return false;
        }
        tailAt = b.dataStart + b.extent;
    }
    // Zeros up to the end of the last block.
    const std::int64_t end = CeilDiv(tailAt + std::int64_t(tail.size()), m.blockSize) * m.blockSize;
    tail.resize(std::size_t(end - tailAt), 0);
    if (!tail.empty() && !m.file.WriteAt(tailAt, tail.data(), tail.size())) {
        SetError(std::uint16_t(m.file.LastError() ? m.file.LastError() : 101),
                 Context(a, "CloseBlob"));
        return false;
    }
    return true;
}

} // namespace

void memo::ClearBlob(BlobDescriptor& b)
{
    b = BlobDescriptor{};
}

bool OpenBlob(bool convertText, std::int32_t& block, TBlobMode mode, std::int64_t size,
              char fieldType)
{
    EngineErrorCode = 0;
    TWorkArea* a = nullptr;
    TMemoFile* m = RequireMemo("OpenBlob", &a);
    if (!m)
        return false;
    if (m->blob.active)
        CloseBlob();
    BlobDescriptor& b = m->blob;
    ClearBlob(b);
    b.mode = int(mode);
    b.recNo = a->recNo;
    b.convert = convertText && !a->TextPage().windowsText;
    b.textMode = (fieldType == 'B' || fieldType == 'G' || fieldType == 'P') ? 0 : -1;
    std::int32_t blk = block;
    if (!CreateBlobDescriptor(*a, *m, blk, mode, size)) {
        ClearBlob(b);
        return false;
    }
    b.active = true;
    block = BlobNumbersNegative && blk > 0 ? -blk : blk;
    return true;
}

std::int64_t BlobLength()
{
    Active a = Find(0);
    return a.blob ? a.blob->length : 0;
}

void SetMemoDataHook(MemoDataHook hook)
{
    if (TWorkArea* a = Current())
        if (TMemoFile* m = MemoOf(*a))
            m->dataHook = std::move(hook);
}

std::int64_t ReadBlobStream(void* buffer, std::int64_t count, int textMode)
{
    EngineErrorCode = 0;
    Active a = Find(int(TBlobMode::Read));
    if (!a.blob || count <= 0)
        return 0;
    BlobDescriptor& b = *a.blob;
    const std::int64_t inFile = a.memo->file.Size() - (b.dataStart + b.offset);
    count = std::min(count, std::max<std::int64_t>(inFile, 0));
    count = std::min(count, std::max<std::int64_t>(b.length - b.offset, 0));
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::int64_t total = 0;
    while (total < count) {
        const std::size_t want = std::size_t(std::min(kChunk, count - total));
        const long long got = GetBytes(a, out + total, want);
        if (got < 0) {
            SetError(std::uint16_t(a.memo->file.LastError() ? a.memo->file.LastError() : 30),
                     Context(a, "ReadBlobStream"));
            return total;
        }
        if (got == 0)
            break;
        const std::size_t n = std::size_t(got);
        int mode = textMode == BlobText ? 1 : textMode == BlobDecide ? b.textMode : 0;
        if (mode == -1)
            mode = b.textMode = FirstChunkIsText(a, out + total, n) ? 1 : 0;
        if (mode == 1 && b.convert) {
            const auto& toEngine = a.area->TextPage().toEngine;
            for (std::uint8_t *p = out + total, *end = p + n; p != end; ++p)
                *p = toEngine[*p];
        }
        b.offset += std::int64_t(n);
        total += std::int64_t(n);
    }
    return total;
}

std::int64_t WriteBlobStream(const void* buffer, std::int64_t count, int textMode)
{
    EngineErrorCode = 0;
    Active a = Find(int(TBlobMode::Write));
    if (!a.blob || count <= 0)
        return 0;
    BlobDescriptor& b = *a.blob;
    if (b.limit >= 0)
        count = std::min(count, std::max<std::int64_t>(b.limit - b.offset, 0));
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    if (a.memo->kind() == Kind::DBase3 && std::memchr(in, 0x1A, std::size_t(count))) {
        SetError(220, "Daten mit dem Byte 1A passen nicht in eine dBase-III-Memodatei " +
                          Context(a, "WriteBlobStream"));
        return 0;
    }
    // Text the table's page cannot hold is refused before anything is written.
    const TableCodePage& page = a.area->TextPage();
    int text = textMode == BlobText ? 1 : textMode == BlobDecide ? b.textMode : 0;
    if (text == -1)
        text = LooksLikeText(in, std::size_t(std::min(kChunk, count))) ? 1 : 0;
    if (text == 1 && b.convert && !page.HoldsAs1252(in, std::size_t(count))) {
        const std::string_view chars(reinterpret_cast<const char*>(in), std::size_t(count));
        SetError(220, LackingCharsText(CharsLackedAs1252(page, chars), "", page.number) + " " +
                          Context(a, "WriteBlobStream"));
        return 0;
    }
    std::int64_t total = 0;
    std::vector<std::uint8_t> chunk;
    while (total < count) {
        const std::size_t n = std::size_t(std::min(kChunk, count - total));
        chunk.assign(in + total, in + total + n);
        int mode = textMode == BlobText ? 1 : textMode == BlobDecide ? b.textMode : 0;
        if (mode == -1)
            mode = LooksLikeText(chunk.data(), n) ? 1 : 0;
        if (b.textMode == -1)
            b.textMode = mode;
        if (mode == 1 && b.convert)
            for (std::uint8_t& c : chunk)
                c = page.toStored[c];
        if (!PutBytes(a, chunk.data(), n))
            return total;
        b.offset += std::int64_t(n);
        b.extent = std::max(b.extent, b.offset);
        total += std::int64_t(n);
        const std::int64_t size = a.memo->file.Size();
        const std::int64_t pending = a.memo->dataHook ? b.dataStart + b.extent : 0;
        const std::int64_t next = CeilDiv(std::max({size, pending, std::int64_t(1)}), a.memo->blockSize);
        if (!MainHeaderWrite(*a.memo, std::uint32_t(next)))
            return total;
    }
    return total;
}

std::int64_t SeekBlobStream(std::int64_t offset, int origin)
{
    Active a = Find(0);
    if (!a.blob)
        return 0;
    BlobDescriptor& b = *a.blob;
    std::int64_t base = 0;
    if (origin == 1) {
        base = b.offset;
    } else if (origin == 2) {
        if (b.mode == int(TBlobMode::Write))
            base = b.extent;
        else
            base = b.length;
    }
    b.offset = std::max<std::int64_t>(base + offset, 0);
    return b.offset;
}

bool CloseBlob(std::int64_t* bytesWritten)
{
    Active a = Find(0);
    if (bytesWritten)
        *bytesWritten = 0;
    if (!a.blob)
        return true;
    BlobDescriptor& b = *a.blob;
    bool ok = true;
    if (b.mode == int(TBlobMode::Write)) {
        if (a.memo->dataHook)
            ok = FlushCache(a);
        if (ok && b.extent > 0)
            ok = FinishWrittenBlob(a);
        if (bytesWritten)
            *bytesWritten = b.extent;
        if (ok && b.placed)
            ok = UpdateMemoHeader(*a.memo);
        else
            UnlockMemo(*a.memo);
    }
    ClearBlob(b);
    return ok;
}

// ---- Memos as text files ----

void TMemoTextFile::AssignMemo(std::int32_t block)
{
    area_ = CurrentArea;
    block_ = oldBlock_ = block < 0 && block != InvalidMemoRef ? -block : block;
    mode_ = Mode::Closed;
    assigned_ = true;
    lines_ = TMemoLines{};
    next_ = 0;
    pending_.clear();
}

int TMemoTextFile::Reset()
{
    if (!assigned_)
        return 102;
    detail::KeepArea keep;
    CurrentArea = area_;
    lines_ = TMemoLines{};
    next_ = 0;
    if (block_ != 0) {
        QuietErrors quiet;
        if (!GetMemo(block_, lines_))
            return 100;
    }
    mode_ = Mode::Input;
    return 0;
}

int TMemoTextFile::Rewrite()
{
    if (!assigned_)
        return 102;
    lines_ = TMemoLines{};
    pending_.clear();
    oldBlock_ = block_ = 0;
    mode_ = Mode::Output;
    return 0;
}

int TMemoTextFile::Append()
{
    if (int r = Reset(); r != 0)
        return r;
    if (!lines_.ends.empty() && lines_.ends.back() == TMemoLineEnd::None)
        lines_.ends.back() = TMemoLineEnd::Hard;
    oldBlock_ = block_;
    mode_ = Mode::Output;
    return 0;
}

bool TMemoTextFile::Eof() const
{
    return mode_ != Mode::Input || next_ >= lines_.lines.size();
}

int TMemoTextFile::ReadLn(std::string& line)
{
    if (mode_ != Mode::Input)
        return 102;
    if (next_ >= lines_.lines.size())
        return 100;
    line = lines_.lines[next_++].substr(0, 254);
    return 0;
}

void TMemoTextFile::EndLine(TMemoLineEnd end)
{
    lines_.lines.push_back(pending_);
    lines_.ends.push_back(end);
    pending_.clear();
}

int TMemoTextFile::Write(const std::string& text)
{
    if (mode_ != Mode::Output)
        return 102;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 13 || c == 141 || c == 10) {
            EndLine(TMemoLineEnd::Hard);
            if (c != 10 && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            continue;
        }
        pending_ += char(c);
        if (pending_.size() >= 254)
            EndLine(TMemoLineEnd::Wrapped);
    }
    return 0;
}

int TMemoTextFile::WriteLn(const std::string& text)
{
    if (int r = Write(text); r != 0)
        return r;
    EndLine(TMemoLineEnd::Hard);
    return 0;
}

int TMemoTextFile::Close()
{
    const Mode mode = mode_;
    mode_ = Mode::Closed;
    if (mode != Mode::Output)
        return mode == Mode::Input ? 0 : 102;
    if (!pending_.empty())
        EndLine(TMemoLineEnd::None);
    detail::KeepArea keep;
    CurrentArea = area_;
    QuietErrors quiet;
    const std::int32_t written = EditMemo(oldBlock_, lines_);
    if (EngineErrorCode != 0)
        return 101;
    block_ = oldBlock_ = written;
    return 0;
}

// ---- Start-up ----

void MemoInit()
{
    DefaultMemoType = 0x8B;
    MemoWidthOn = false;
    MemoWidth = 65;
    BlobNumbersNegative = false;
    Memo.ReadMemoLines = &ReadMemoLinesHook;
    Memo.PackMemoFile = &PackMemoFileHook;
    Memo.OpenMemoFile = &OpenMemoFileHook;
    Memo.CloseMemoFile = &CloseMemoFileHook;
    Memo.CopyMemo = &CopyMemo;
    Memo.CopyMemoInPlace = &CopyMemoInPlace;
    Memo.blobRoutine = nullptr;
    Memo.AddMemo = &AddMemo;
}

} // namespace kt4::dbase
