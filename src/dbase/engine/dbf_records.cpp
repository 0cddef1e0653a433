// Reading and writing single records, the deletion flag and the header.
#include "dbase/engine/workarea.h"

#include "dbase/engine/codepage.h"
#include "dbase/engine/dbf_format.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/runtime.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <ctime>

namespace kt4::dbase {
namespace {

constexpr std::size_t kCacheBytes = 64 * 1024;

bool CacheUsable(const TWorkArea& area)
{
    return !area.Shared();
}

// Reads record bytes at offset through the read cache of an exclusive area.
long long ReadRecordBytes(TWorkArea& area, std::int64_t offset, std::uint8_t* out)
{
    const std::size_t n = area.recLen;
    if (!CacheUsable(area))
        return area.file.ReadAt(offset, out, n);
    if (area.cacheStart < 0 || offset < area.cacheStart ||
        offset + std::int64_t(n) > area.cacheStart + std::int64_t(area.cache.size())) {
        // Read ahead only where reading goes on in file order; a jump (a
        // walk in index order, a seek) reads just its record.
        const bool onward = area.cacheStart < 0 ||
                            offset == area.cacheStart + std::int64_t(area.cache.size());
        std::size_t want = onward ? std::max<std::size_t>(n, kCacheBytes / n * n) : n;
        area.cache.resize(want);
        long long got = area.file.ReadAt(offset, area.cache.data(), want);
        if (got < 0) {
            area.cacheStart = -1;
            area.cache.clear();
            return -1;
        }
        area.cache.resize(std::size_t(got));
        area.cacheStart = offset;
        if (std::size_t(got) < n)
            return got;
    }
    std::memcpy(out, area.cache.data() + (offset - area.cacheStart), n);
    return static_cast<long long>(n);
}

// Keeps the read cache in step with a write.
void UpdateCache(TWorkArea& area, std::int64_t offset, const std::uint8_t* data, std::size_t n)
{
    if (area.cacheStart < 0)
        return;
    const std::int64_t end = area.cacheStart + std::int64_t(area.cache.size());
    if (offset >= area.cacheStart && offset + std::int64_t(n) <= end)
        std::memcpy(area.cache.data() + (offset - area.cacheStart), data, n);
    else if (offset < end && offset + std::int64_t(n) > area.cacheStart)
        area.cacheStart = -1;
}

bool VirtualRequest(TWorkArea& area, std::uint8_t request, std::int32_t n)
{
    if (!VFilesLinked()) {
        SetError(1101, "[" + area.alias + "]");
        return false;
    }
    EngineErrorCode = 0;
    area.vfRequest = request;
    area.vfRecNo = n;
    VFiles.Request(area);
    return EngineErrorCode == 0;
}

// Writes the record count into the header (shared appends keep it current).
bool WriteHeaderCount(TWorkArea& area)
{
    std::uint8_t b[4];
    if (area.dbase2) {
        PutU16(b, std::uint32_t(area.recCount) & 0xFFFF);
        return area.file.WriteAt(1, b, 2);
    }
    PutU32(b, std::uint32_t(area.recCount));
    return area.file.WriteAt(4, b, 4);
}

// A shared append writes the count at once (other programs count on it).
// An exclusive one writes it after every CountInterval appends and at least
// once a second, so that a crash loses no more than that to other readers.
constexpr std::int32_t CountInterval = 1000;

// The monotonic clock to a few milliseconds, for a fraction of the cost of
// reading it exactly.
std::chrono::steady_clock::time_point CoarseNow()
{
    timespec ts{};
    if (::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts) != 0)
        return std::chrono::steady_clock::now();
    return std::chrono::steady_clock::time_point(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec)));
}

bool CountDue(TWorkArea& area)
{
    if (area.Shared())
        return true;
    const auto now = CoarseNow();
    if (++area.appendsSinceCount < CountInterval && now - area.countWrittenAt < std::chrono::seconds(1))
        return false;
    area.appendsSinceCount = 0;
    area.countWrittenAt = now;
    return true;
}

// After a failed append (the append lock or the table is ours): the file
// ends after the last whole record again, with the end mark when there is
// room for it.
void RestoreEnd(TWorkArea& area, std::int64_t offset)
{
    static const std::uint8_t eof = 0x1A;
    if (area.file.Truncate(offset + 1)) {
        std::uint8_t there = 0;
        if (area.file.ReadAt(offset, &there, 1) == 1 &&
            (there == eof || area.file.WriteAt(offset, &eof, 1)))
            return;
    }
    (void)area.file.Truncate(offset);
}

} // namespace

std::size_t StampPrologue(const TWorkArea& area, std::uint8_t* prologue, std::int32_t count)
{
    const Ymd today = EngineToday();
    if (area.dbase2) {
        PutU16(prologue + 1, std::uint32_t(count) & 0xFFFF);
        prologue[3] = std::uint8_t(today.month);
        prologue[4] = std::uint8_t(today.day);
        prologue[5] = std::uint8_t((today.year - 1900) & 0xFF);
        return 8;
    }
    prologue[1] = std::uint8_t((today.year - 1900) & 0xFF);
    prologue[2] = std::uint8_t(today.month);
    prologue[3] = std::uint8_t(today.day);
    PutU32(prologue + 4, std::uint32_t(count));
    return 32;
}

bool ReadHeaderCount(const DbfFile& file, bool dbase2, std::uint32_t& count)
{
    std::uint8_t b[4] = {};
    const std::size_t n = dbase2 ? 2 : 4;
    if (file.ReadAt(dbase2 ? 1 : 4, b, n) != static_cast<long long>(n))
        return false;
    count = dbase2 ? GetU16(b) : GetU32(b);
    return true;
}

std::int32_t CountFileRecords(const DbfFile& file, std::uint32_t headerLen, std::uint32_t recLen,
                              std::uint32_t headerCount, std::int64_t size, bool recount, bool* padded)
{
    if (recLen == 0 || size < std::int64_t(headerLen)) {
        if (padded)
            *padded = true;
        return 0;
    }
    const std::int64_t whole = std::min<std::int64_t>((size - headerLen) / recLen, INT32_MAX);
    std::int64_t count = std::min<std::int64_t>(whole, headerCount);
    std::int64_t at = std::int64_t(headerLen) + count * recLen;
    // Past the count only the first byte of each record tells; the first
    // one is read alone (there is mostly one at most: padding or an append).
    std::vector<std::uint8_t> chunk;
    for (std::int64_t slots = 1; count < whole; slots = std::int64_t(kCacheBytes / recLen) + 1) {
        slots = std::min(slots, whole - count);
        chunk.resize(std::size_t((slots - 1) * recLen + 1));
        const long long got = file.ReadAt(at, chunk.data(), chunk.size());
        std::int64_t i = 0;
        while (i < slots && i * recLen < got && BeginsRecord(chunk[std::size_t(i * recLen)], recount))
            ++i;
        count += i;
        at += i * recLen;
        if (i < slots)
            break;
    }
    if (padded) {
        *padded = true;
        for (std::int64_t p = at; p < size && *padded;) {
            chunk.resize(std::size_t(std::min<std::int64_t>(kCacheBytes, size - p)));
            const long long got = file.ReadAt(p, chunk.data(), chunk.size());
            if (got <= 0) {
                *padded = got == 0; // the file ends sooner than it did
                break;
            }
            *padded = std::all_of(chunk.begin(), chunk.begin() + got, IsPadByte);
            p += got;
        }
    }
    return std::int32_t(count);
}

std::int32_t FileRecordCount(const TWorkArea& area)
{
    if (area.isVirtual || area.recLen == 0)
        return area.recCount;
    const std::int64_t size = area.file.Size();
    if (size < std::int64_t(area.headerLen))
        return 0;
    // Nothing past the records counted already (the steady state of shared
    // appends): the header need not be read.
    const std::int64_t whole = (size - area.headerLen) / area.recLen;
    if (whole <= area.recCount)
        return std::int32_t(whole);
    std::uint32_t counted = 0;
    if (!ReadHeaderCount(area.file, area.dbase2, counted))
        return area.recCount;
    return CountFileRecords(area.file, area.headerLen, area.recLen, counted, size, false);
}

void RefreshRecCount(TWorkArea& area)
{
    if (area.isVirtual || !area.Shared())
        return;
    area.recCount = std::max<std::int32_t>(0, FileRecordCount(area));
}

bool GetDbfRecord(TWorkArea& area, std::int32_t n)
{
    if (n < 1 || n > area.recCount) {
        SetError(212, "Ungültige Datensatznr. = " + std::to_string(n) + " (" + area.fileName +
                          ")  [GetDbfRecord]");
        return false;
    }
    area.eof = area.bof = false;
    if (area.isVirtual) {
        if (!VirtualRequest(area, VfGo, n))
            return false;
        area.recNo = n;
        return true;
    }
    long long got = ReadRecordBytes(area, area.RecordOffset(n), area.native.data());
    if (got != static_cast<long long>(area.recLen)) {
        if (got < 0)
            SetError(std::uint16_t(area.file.LastError()), "Datei:  " + area.fileName +
                                                               "  [GetDbfRecord]");
        else
            SetError(213, "Datei:  " + area.fileName + "  [GetDbfRecord]");
        return false;
    }
    area.recNo = n;
    if (area.readHook)
        area.readHook(area.native.data() + 1, area.recLen - 1);
    if (area.oem)
        OemToAnsiBytes(area.native.data(), area.recLen);
    return true;
}

bool PutDbfRecord(TWorkArea& area, std::int32_t n)
{
    auto context = [&area] { return "Datei:  " + area.fileName + " [Replace/Append/PutDbfRecord]"; };
    const bool append = n > area.recCount;
    if (area.isVirtual) {
        if (!VirtualRequest(area, append ? VfAppend : VfReplace, n))
            return false;
        area.state = append ? FileState::Appended
                            : (area.state == FileState::Appended ? FileState::Appended
                                                                 : FileState::Modified);
        return true;
    }
    if (append)
        n = area.recCount + 1;
    if (area.dbase2 && append && n > 65535) {
        SetError(212, "dBASE-II-Tabelle ist voll (65535 Datensätze): " + area.fileName +
                          " [Append]");
        return false;
    }
    // Convert into a scratch copy; the native record keeps its ANSI text.
    const std::uint8_t* bytes = area.native.data();
    if (area.oem || area.writeHook) {
        static std::vector<std::uint8_t> scratch;
        scratch.resize(area.recLen);
        if (area.oem)
            AnsiToOemCopy(area.native.data(), scratch.data(), area.recLen);
        else
            std::memcpy(scratch.data(), area.native.data(), area.recLen);
        if (area.writeHook)
            area.writeHook(scratch.data() + 1, area.recLen - 1);
        bytes = scratch.data();
    }
    const std::int64_t offset = area.RecordOffset(n);
    if (!area.file.WriteAt(offset, bytes, area.recLen)) {
        const int code = area.file.LastError();
        if (append)
            RestoreEnd(area, offset); // no phantom record after a short write
        SetError(std::uint16_t(code ? code : 101), context());
        return false;
    }
    UpdateCache(area, offset, bytes, area.recLen);
    if (append) {
        area.recCount = n;
        area.recNo = n;
        area.state = FileState::Appended;
        if (CountDue(area) && !WriteHeaderCount(area)) {
            SetError(std::uint16_t(area.file.LastError()), context());
            return false;
        }
    } else if (area.state != FileState::Appended) {
        area.state = FileState::Modified;
    }
    if (FlushWrites) {
        if (append) {
            static const std::uint8_t eof = 0x1A;
            if (!UpdateDbfHeader(area))
                return false;
            if (!area.file.WriteAt(area.RecordOffset(area.recCount + 1), &eof, 1)) {
                SetError(std::uint16_t(area.file.LastError()), context());
                return false;
            }
            area.state = FileState::Open;
        }
        if (!area.file.Sync()) {
            SetError(std::uint16_t(area.file.LastError()), context());
            return false;
        }
    }
    return true;
}

bool WriteDeleteFlag(TWorkArea& area, std::int32_t n)
{
    const std::uint8_t flag = area.native[0];
    const std::int64_t offset = area.RecordOffset(n);
    if (!area.file.WriteAt(offset, &flag, 1)) {
        SetError(std::uint16_t(area.file.LastError()), "Datei:  " + area.fileName +
                                                           " [DeleteRec/RecallRec]");
        return false;
    }
    UpdateCache(area, offset, &flag, 1);
    if (area.state != FileState::Appended)
        area.state = FileState::Modified;
    if (FlushWrites && !area.file.Sync()) {
        SetError(std::uint16_t(area.file.LastError()), "Datei:  " + area.fileName +
                                                           " [DeleteRec/RecallRec]");
        return false;
    }
    return true;
}

bool UpdateDbfHeader(TWorkArea& area)
{
    auto& h = area.header.bytes;
    if (!area.dbase2) {
        std::uint8_t keep[12];
        if (area.file.ReadAt(16, keep, 12) == 12)
            std::memcpy(h.data() + 16, keep, 12); // what other programs keep there survives
    }
    const std::size_t n = StampPrologue(area, h.data(), area.recCount);
    const bool ok = area.file.WriteAt(0, h.data(), n);
    if (ok) {
        area.appendsSinceCount = 0;
        area.countWrittenAt = CoarseNow();
    }
    if (!ok) {
        EngineErrorCode = std::uint16_t(area.file.LastError());
        SetError(EngineErrorCode, "Datei:  " + area.fileName + " [CloseDbf(" + area.fileName +
                                      ")]");
        return false;
    }
    return true;
}

} // namespace kt4::dbase
