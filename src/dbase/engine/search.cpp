// Raw text search over the records, and raw field access (Peek, Poke) with
// its record cache.
#include "dbase/engine/search.h"

#include "dbase/engine/codepage.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/internal.h"
#include "dbase/engine/locking.h"
#include "dbase/engine/navigation.h"
#include "dbase/engine/runtime.h"

#include <algorithm>
#include <cstring>

namespace kt4::dbase {

std::function<bool(int fieldNo)> SearchMatchCallback;

namespace {

struct PeekCache {
    std::string alias;
    std::int32_t first = 0;  // first cached record
    std::int32_t count = 0;  // cached records
    std::vector<std::uint8_t> data; // raw file bytes
    void Clear()
    {
        alias.clear();
        first = count = 0;
        data.clear();
    }
} gCache;

// The record in the form the area holds records (read hook, ANSI).
void ToAreaForm(const TWorkArea& a, std::uint8_t* rec)
{
    if (a.readHook)
        a.readHook(rec + 1, a.recLen - 1);
    if (a.oem)
        OemToAnsiBytes(rec, a.recLen);
}

bool FillCache(TWorkArea& a, std::int32_t recNo, int fieldNo)
{
    const std::size_t limit = std::min<std::size_t>(PeekCacheSize, 65520);
    std::size_t records = limit / a.recLen;
    records = std::min<std::size_t>(records, std::size_t(a.recCount - recNo + 1));
    if (records == 0) {
        SetError(217, "Insufficient memory for cache [Peek]");
        return false;
    }
    gCache.Clear();
    gCache.data.resize(records * a.recLen);
    long long got = a.file.ReadAt(a.RecordOffset(recNo), gCache.data.data(), gCache.data.size());
    if (got <= 0) {
        int code = got < 0 ? a.file.LastError() : 100;
        gCache.Clear();
        SetError(std::uint16_t(code ? code : 100), "DBF: " + a.fileName + " [Peek(" +
                                                        std::to_string(fieldNo) + "," +
                                                        std::to_string(recNo) + ")]");
        return false;
    }
    gCache.count = std::int32_t(std::size_t(got) / a.recLen);
    gCache.data.resize(std::size_t(gCache.count) * a.recLen);
    gCache.first = recNo;
    gCache.alias = a.alias;
    return gCache.count > 0;
}

// Reads record recNo in area form into rec.
bool ReadForPeek(TWorkArea& a, std::int32_t recNo, int fieldNo, std::vector<std::uint8_t>& rec)
{
    rec.resize(a.recLen);
    const bool useCache = PeekCacheSize > 0 && !a.Shared();
    if (useCache) {
        if (gCache.alias != a.alias)
            gCache.Clear();
        if (gCache.count == 0 || recNo < gCache.first || recNo >= gCache.first + gCache.count) {
            if (!FillCache(a, recNo, fieldNo))
                return false;
        }
        std::memcpy(rec.data(), gCache.data.data() + std::size_t(recNo - gCache.first) * a.recLen,
                    a.recLen);
    } else if (a.file.ReadAt(a.RecordOffset(recNo), rec.data(), a.recLen) !=
               static_cast<long long>(a.recLen)) {
        SetError(100, "DBF: " + a.fileName + " [Peek(" + std::to_string(fieldNo) + "," +
                          std::to_string(recNo) + ")]");
        return false;
    }
    ToAreaForm(a, rec.data());
    return true;
}

} // namespace

namespace detail {

void DropPeekCacheFor(const std::string& alias)
{
    if (gCache.alias == alias)
        gCache.Clear();
}

void UpdatePeekCache(const TWorkArea& a, std::int32_t recNo)
{
    if (gCache.alias != a.alias || recNo < gCache.first || recNo >= gCache.first + gCache.count)
        return;
    std::uint8_t* slot = gCache.data.data() + std::size_t(recNo - gCache.first) * a.recLen;
    if (a.file.ReadAt(a.RecordOffset(recNo), slot, a.recLen) != static_cast<long long>(a.recLen))
        gCache.Clear();
}

} // namespace detail

void FreePeekCache()
{
    gCache.Clear();
}

void Peek(int fieldNo, std::int32_t recNo, std::string& text)
{
    TWorkArea* a = RequireArea("Peek");
    if (!a)
        return;
    if (a->isVirtual) {
        SetError(1100, "Search-Befehl bei virtuellen Dateien nicht erlaubt. [Peek]");
        return;
    }
    if (fieldNo < 0 || fieldNo > int(a->fields.size()) || recNo < 1 || recNo > a->recCount)
        return;
    static std::vector<std::uint8_t> rec;
    if (!ReadForPeek(*a, recNo, fieldNo, rec))
        return;
    if (fieldNo == 0) {
        text.assign(1, char(rec[0]));
        return;
    }
    const TDbfFieldInfo& f = a->fields[std::size_t(fieldNo - 1)];
    text.assign(reinterpret_cast<const char*>(rec.data()) + f.offset, f.len);
}

bool Poke(const std::string& text, int fieldNo, std::int32_t recNo)
{
    EngineErrorCode = 0;
    TWorkArea* ap = RequireArea("Poke");
    if (!ap)
        return false;
    TWorkArea& a = *ap;
    const std::string tag = "[Poke(" + text + "," + std::to_string(fieldNo) + "," +
                            std::to_string(recNo) + ")]";
    if (a.isVirtual) {
        SetError(1100, "Search-Befehl bei virtuellen Dateien nicht erlaubt. [Poke]");
        return false;
    }
    if (fieldNo < 0 || fieldNo > int(a.fields.size()) || recNo < 1 || recNo > a.recCount) {
        SetError(220, tag);
        return false;
    }
    const bool lockedForIt = !a.Shared() || a.lockState == LockState::File ||
                             std::find(a.locks.begin(), a.locks.end(), recNo) != a.locks.end();
    if (!lockedForIt) {
        SetError(1200, tag);
        return false;
    }
    if (IndexLinked() && Index.IndexActive()) {
        // A raw write would leave the index keys behind.
        SetError(220, "Poke bei geöffnetem Index nicht erlaubt " + tag);
        return false;
    }
    std::uint32_t offset = 0, len = 1;
    if (fieldNo > 0) {
        offset = a.fields[std::size_t(fieldNo - 1)].offset;
        len = a.fields[std::size_t(fieldNo - 1)].len;
    }
    std::string value = text.substr(0, len);
    value.resize(len, ' ');
    const TableCodePage& page = a.TextPage();
    if (fieldNo > 0 && !page.HoldsAs1252(reinterpret_cast<const std::uint8_t*>(value.data()), len)) {
        SetError(220, LackingCharsText(CharsLackedAs1252(page, value),
                                       "im Feld " + a.fields[std::size_t(fieldNo - 1)].name + " von " + a.fileName,
                                       page.number) +
                          " " + tag);
        return false;
    }
    std::string stored = value;
    for (char& c : stored)
        c = char(page.toStored[static_cast<unsigned char>(c)]);
    const std::int64_t at = a.RecordOffset(recNo) + offset;
    if (!a.file.WriteAt(at, stored.data(), stored.size())) {
        SetError(101, "DBF: " + a.fileName + " " + tag);
        return false;
    }
    if (a.cacheStart >= 0)
        a.cacheStart = -1;
    detail::UpdatePeekCache(a, recNo);
    if (recNo == a.recNo)
        std::memcpy(a.native.data() + offset, value.data(), len);
    if (a.state != FileState::Appended)
        a.state = FileState::Modified;
    return true;
}

bool Search(const std::string& text, int& fieldNo, bool fromTop)
{
    EngineErrorCode = 0;
    TWorkArea* ap = RequireArea("Search");
    if (!ap)
        return false;
    TWorkArea& a = *ap;
    if (a.isVirtual) {
        SetError(1100, "Search-Befehl bei virtuellen Dateien nicht erlaubt. [Search]");
        return false;
    }
    const std::string wanted = UpperAsciiText(AllTrim(text));
    if (wanted.empty())
        return false;
    const int only = fieldNo > int(a.fields.size()) ? 0 : std::max(fieldNo, 0);
    RefreshRecCount(a);
    const std::int32_t startRec = a.recNo;
    std::int32_t r = fromTop ? 1 : std::max<std::int32_t>(a.recNo, 1);
    const std::size_t bufferBytes = SearchMatchCallback ? 32760 : 65520;
    const std::size_t perChunk = std::max<std::size_t>(1, bufferBytes / a.recLen);
    std::vector<std::uint8_t> chunk;
    const int number = a.number;
    for (; r <= a.recCount;) {
        std::size_t count = std::min<std::size_t>(perChunk, std::size_t(a.recCount - r + 1));
        chunk.resize(count * a.recLen);
        long long got = a.file.ReadAt(a.RecordOffset(r), chunk.data(), chunk.size());
        if (got < 0) {
            SetError(std::uint16_t(a.file.LastError()), "Datei:  " + a.fileName + " [Search]");
            return false;
        }
        count = std::size_t(got) / a.recLen;
        if (count == 0)
            break;
        for (std::size_t i = 0; i < count; ++i, ++r) {
            std::uint8_t* rec = chunk.data() + i * a.recLen;
            ToAreaForm(a, rec);
            std::string upper = UpperAsciiText(
                std::string_view(reinterpret_cast<const char*>(rec), a.recLen));
            for (std::size_t p = upper.find(wanted, 1); p != std::string::npos;
                 p = upper.find(wanted, p + 1)) {
                int hitField = 0;
                for (std::size_t k = 0; k < a.fields.size(); ++k) {
                    const TDbfFieldInfo& f = a.fields[k];
                    if (p >= f.offset && p + wanted.size() <= f.offset + f.len) {
                        hitField = f.type == 'M' ? 0 : int(k) + 1;
                        break;
                    }
                }
                if (hitField == 0 || (only != 0 && hitField != only))
                    continue;
                GO(r);
                TWorkArea* now = Area(number);
                if (!now || EngineErrorCode != 0)
                    return false;
                if (RecordHidden(*now))
                    break;
                if (SearchMatchCallback && !SearchMatchCallback(hitField))
                    continue;
                fieldNo = hitField;
                return true;
            }
        }
    }
    if (startRec >= 1)
        GoIfValid(startRec);
    fieldNo = 0;
    return false;
}

} // namespace kt4::dbase
