// The virtual-file manager: records in memory behind the core's virtual
// requests, the ordering modes and sorting.
#include "dbase/vfile/vfile.h"

#include "dbase/engine/errors.h"
#include "dbase/engine/hooks.h"
#include "dbase/engine/navigation.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/workarea.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

namespace kt4::dbase {
namespace {

struct VKey {
    std::string text;
    double number = 0;
    bool numeric = false;
};

struct VRecord {
    std::vector<std::uint8_t> data;
    VKey key;
    bool keyed = false;
};

struct VFileState {
    std::vector<std::unique_ptr<VRecord>> records;
    VFileKeyProc keyFunc;
    void* keyData = nullptr;
    int replaceResult = 0;
};

VKey MakeKey(std::string text)
{
    VKey k;
    if (text.size() > 100)
        text.resize(100);
    std::string_view t = text;
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ')
        t.remove_suffix(1);
    if (!t.empty() && t.front() == '+')
        t.remove_prefix(1);
    double v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    k.numeric = !t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size() && std::isfinite(v);
    k.number = k.numeric ? v : 0;
    k.text = std::move(text);
    return k;
}

int Compare(const VKey& a, const VKey& b)
{
    if (a.numeric != b.numeric)
        return a.numeric ? -1 : 1;
    if (a.numeric)
        return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    const int c = a.text.compare(b.text);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

VFileState& StateOf(TWorkArea& a)
{
    if (!a.vfState)
        a.vfState = std::make_shared<VFileState>();
    return *static_cast<VFileState*>(a.vfState.get());
}

bool Sorted(const TWorkArea& a)
{
    return a.vfAppendMode == lsASCENDING || a.vfAppendMode == lsDESCENDING;
}

std::int32_t Count(VFileState& s)
{
    return std::int32_t(s.records.size());
}

void SyncCount(TWorkArea& a, VFileState& s)
{
    a.recCount = Count(s);
}

void Load(TWorkArea& a, const VRecord& r)
{
    const std::size_t n = std::min(r.data.size(), a.bufSize);
    if (a.buffer && n > 0)
        std::memcpy(a.buffer, r.data.data(), n);
}

void EmptyState(TWorkArea& a)
{
    a.recCount = 0;
    a.recNo = 0;
    a.eof = a.bof = true;
    if (a.buffer)
        std::memset(a.buffer, 0, a.bufSize);
}

// The key of the record now in the buffer.
VKey BufferKey(VFileState& s)
{
    return MakeKey(s.keyFunc ? s.keyFunc(s.keyData) : std::string());
}

// Keys of every record that has none yet (each loaded into the buffer for
// the key function; the buffer is restored).
void EnsureKeys(TWorkArea& a, VFileState& s)
{
    std::vector<std::uint8_t> saved;
    for (auto& r : s.records) {
        if (r->keyed)
            continue;
        if (saved.empty() && a.buffer)
            saved.assign(a.buffer, a.buffer + a.bufSize);
        Load(a, *r);
        r->key = BufferKey(s);
        r->keyed = true;
    }
    if (!saved.empty())
        std::memcpy(a.buffer, saved.data(), saved.size());
}

// Index where a record of key goes in a sorted file: after its equals.
std::size_t SortedPlace(TWorkArea& a, VFileState& s, const VKey& key)
{
    const bool descending = a.vfAppendMode == lsDESCENDING;
    auto before = [&](const VKey& k, const std::unique_ptr<VRecord>& r) {
        const int c = Compare(k, r->key);
        return descending ? c > 0 : c < 0;
    };
    return std::size_t(std::upper_bound(s.records.begin(), s.records.end(), key, before) -
                       s.records.begin());
}

std::string AliasText(const TWorkArea& a)
{
    return " " + a.alias;
}

void Append(TWorkArea& a, VFileState& s)
{
    auto rec = std::make_unique<VRecord>();
    rec->data.assign(a.buffer, a.buffer + a.bufSize);
    std::size_t at = s.records.size();
    switch (a.vfAppendMode) {
    case lsLIFO:
        at = 0;
        break;
    case lsINSERTION:
        if (!a.eof && a.recNo >= 1 && a.recNo <= Count(s))
            at = std::size_t(a.recNo - 1);
        break;
    case lsASCENDING:
    case lsDESCENDING:
        if (!s.keyFunc) {
            SetError(1100, a.alias + " ist eine \"sortierte\" virtuelle Datei ohne "
                                     "Schlüsselfunktion. [Append/InsertRec/PushRec]");
            return;
        }
        rec->key = BufferKey(s);
        rec->keyed = true;
        EnsureKeys(a, s);
        at = SortedPlace(a, s, rec->key);
        break;
    default:
        break;
    }
    s.records.insert(s.records.begin() + std::ptrdiff_t(at), std::move(rec));
    SyncCount(a, s);
    a.recNo = std::int32_t(at) + 1;
    a.eof = a.bof = false;
}

void Replace(TWorkArea& a, VFileState& s)
{
    const std::int32_t n = a.recNo;
    if (n < 1 || n > Count(s)) {
        SetError(212, "Versuch auf ungültigen Datensatz zu positionieren " + std::to_string(n) +
                          "  Anzahl Datensätze in Datenbank ist " + std::to_string(Count(s)) +
                          AliasText(a) + "\t [VFiles]");
        return;
    }
    VRecord& r = *s.records[std::size_t(n - 1)];
    r.data.assign(a.buffer, a.buffer + a.bufSize);
    s.replaceResult = 1;
    if (!Sorted(a) || !s.keyFunc) {
        r.keyed = false;
        return;
    }
    EnsureKeys(a, s);
    VKey key = BufferKey(s);
    if (Compare(key, r.key) == 0)
        return; // the same key: the record stays where it is
    std::unique_ptr<VRecord> moving = std::move(s.records[std::size_t(n - 1)]);
    s.records.erase(s.records.begin() + (n - 1));
    moving->key = std::move(key);
    const std::size_t at = SortedPlace(a, s, moving->key);
    s.records.insert(s.records.begin() + std::ptrdiff_t(at), std::move(moving));
    a.recNo = std::int32_t(at) + 1;
    s.replaceResult = a.recNo != n ? 2 : 1;
}

void Remove(TWorkArea& a, VFileState& s)
{
    const std::int32_t n = a.recNo;
    if (n < 1 || n > Count(s))
        return;
    s.records.erase(s.records.begin() + (n - 1));
    SyncCount(a, s);
    if (Count(s) == 0) {
        EmptyState(a);
    } else if (n <= Count(s)) {
        Load(a, *s.records[std::size_t(n - 1)]);
    } else {
        a.recNo = Count(s) + 1;
        a.eof = true;
        if (a.buffer)
            std::memset(a.buffer, 0, a.bufSize);
    }
}

void Request(TWorkArea& a)
{
    try {
        VFileState& s = StateOf(a);
        switch (a.vfRequest) {
        case VfCreate:
            if (a.bufSize == 0) {
                SetError(211, "Datensatzlänge 0 für virtuelle Datei" + AliasText(a) + " [USE]");
                return;
            }
            s = VFileState{};
            EmptyState(a);
            break;
        case VfClose:
            a.vfState.reset();
            break;
        case VfDelete:
        case VfRecall:
            if (a.vfRecNo >= 1 && a.vfRecNo <= Count(s)) {
                const std::uint8_t flag = a.vfRequest == VfDelete ? 1 : 0;
                s.records[std::size_t(a.vfRecNo - 1)]->data[0] = flag;
                if (a.buffer)
                    a.buffer[0] = flag;
            }
            break;
        case VfGo:
            if (a.vfRecNo < 1 || a.vfRecNo > Count(s)) {
                SetError(212, "Versuch auf ungültigen Datensatz zu positionieren " +
                                  std::to_string(a.vfRecNo) + "  Anzahl Datensätze in Datenbank ist " +
                                  std::to_string(Count(s)) + AliasText(a) + "\t [VFiles]");
                return;
            }
            Load(a, *s.records[std::size_t(a.vfRecNo - 1)]);
            a.recNo = a.vfRecNo;
            break;
        case VfForget:
        case VfZap:
            s.records.clear();
            EmptyState(a);
            break;
        case VfPack:
            std::erase_if(s.records, [](const std::unique_ptr<VRecord>& r) { return r->data[0] != 0; });
            SyncCount(a, s);
            if (Count(s) > 0) {
                a.recNo = 1;
                a.eof = a.bof = false;
                Load(a, *s.records.front());
            } else {
                EmptyState(a);
            }
            break;
        case VfPop:
            if (Count(s) == 0) {
                SetError(1100, "Leere virtuelle Datei: POP unmöglich von " + a.alias +
                                   " [(PopRec) VFiles]");
                return;
            }
            if (a.vfAppendMode == lsINSERTION) {
                SetError(1100, "Datensatz POP unzulässig im Einfüge-Modus" + AliasText(a) +
                                   " [(PopRec) VFiles]");
                return;
            }
            Load(a, *s.records.front());
            s.records.erase(s.records.begin());
            SyncCount(a, s);
            a.recNo = Count(s) > 0 ? 1 : 0;
            a.bof = a.eof = Count(s) == 0;
            break;
        case VfAppend:
            Append(a, s);
            break;
        case VfReplace:
            Replace(a, s);
            break;
        case VfRemove:
            Remove(a, s);
            break;
        default:
            break;
        }
    } catch (const std::bad_alloc&) {
        SetError(217, "HEAP-Speicher ungenügend zum Datensatz-Anhängen an " + a.alias + "\t [VFiles]");
    }
}

// The current area when it is an open virtual file; else the error.
TWorkArea* VirtualArea(const char* operation)
{
    TWorkArea* a = Current();
    if (!a) {
        SetError(215, std::string("Keine Datenbank (bzw. kein Arbeitsbereich) geöffnet. [") +
                          operation + "]  WorkArea = " + std::to_string(CurrentArea));
        return nullptr;
    }
    if (!a->isVirtual) {
        SetError(1100, a->alias + " ist keine virtuelle Datei. [" + operation + "]");
        return nullptr;
    }
    return a;
}

bool RunRequest(TWorkArea& a, std::uint8_t request)
{
    EngineErrorCode = 0;
    a.vfRequest = request;
    a.vfRecNo = a.recNo;
    Request(a);
    return EngineErrorCode == 0;
}

} // namespace

void VFilesInit()
{
    VFiles.Request = &Request;
}

int CompareVFileKeys(const std::string& a, const std::string& b)
{
    return Compare(MakeKey(a), MakeKey(b));
}

bool AddStru(const std::vector<FieldDef>& defs)
{
    EngineErrorCode = 0;
    TWorkArea* a = VirtualArea("AddStru");
    if (!a)
        return false;
    std::vector<TDbfFieldInfo> fields;
    try {
        for (const FieldDef& d : defs) {
            TDbfFieldInfo f;
            f.name = UpperText(d.name.substr(0, 10));
            f.type = UpperChar(d.type);
            f.len = std::uint8_t(std::clamp(d.len, 0, 255));
            f.dec = std::uint8_t(std::clamp(d.dec, 0, 255));
            switch (f.type) {
            case 'C':
            case 'F':
            case 'N':
                if (d.len <= 0 || d.len > 255) {
                    SetError(211, "Ungültige Länge, Feldname: \"" + f.name +
                                      "\" in VFile-Felderliste. Alias= " + a->alias + "\n [AddStru]");
                    return false;
                }
                break;
            case 'D':
                f.len = 8;
                f.dec = 0;
                break;
            case 'L':
                f.len = 1;
                f.dec = 0;
                break;
            case 'M':
                f.type = 'N';
                f.len = 10;
                f.dec = 0;
                break;
            default:
                SetError(211, "Ungültiger Typ \"" + std::string(1, f.type) +
                                  "\" in VFile-Felderliste. Alias= " + a->alias + " [AddStru]");
                return false;
            }
            fields.push_back(f);
        }
    } catch (const std::bad_alloc&) {
        SetError(217, "Zu wenig Speicherplatz: Fehler bei Strukturerstellung " + a->alias + "\n [AddStru]");
        return false;
    }
    const std::size_t size = TypedBufferSize(fields);
    if (size > a->bufSize) {
        SetError(266, "Ungleiche Puffer- und Datensatzgröße: " + a->alias + " [AddStru] Record Size=" +
                          std::to_string(size) + ", Buffer Size=" + std::to_string(a->bufSize));
        return false;
    }
    for (auto& f : fields)
        f.offset = f.bufOffset;
    a->fields = std::move(fields);
    return true;
}

bool SnipRec()
{
    TWorkArea* a = VirtualArea("SnipRec");
    return a && RunRequest(*a, VfRemove);
}

bool PopRec()
{
    TWorkArea* a = VirtualArea("PopRec");
    return a && RunRequest(*a, VfPop);
}

bool ZapVFile()
{
    TWorkArea* a = VirtualArea("Zap");
    return a && RunRequest(*a, VfZap);
}

void Set_VFileKey_To(VFileKeyProc keyFunc, void* data)
{
    TWorkArea* a = VirtualArea("Set_VFileKey_To");
    if (!a)
        return;
    VFileState& s = StateOf(*a);
    s.keyFunc = std::move(keyFunc);
    s.keyData = data;
    for (auto& r : s.records)
        r->keyed = false;
}

std::uint8_t Get_VFileMode()
{
    QuietErrors quiet;
    TWorkArea* a = VirtualArea("Get_VFileMode");
    return a ? a->vfAppendMode : 0;
}

bool Set_VFileMode_To(std::uint8_t mode)
{
    EngineErrorCode = 0;
    TWorkArea* a = VirtualArea("Set_VFileMode_To");
    if (!a)
        return false;
    if (mode > lsDESCENDING) {
        SetError(220, "Ungültiger Modus " + std::to_string(mode) + " [(Set_VFileMode_To) VFiles]");
        return false;
    }
    const bool toSorted = mode == lsASCENDING || mode == lsDESCENDING;
    if (a->recCount >= 2 && toSorted && mode != a->vfAppendMode) {
        SetError(1100, "Sortiermodus kann nicht gesetzt werden: Virtuelle Datei enthält "
                       "Datensätze. (" + a->alias + ") [(Set_VFileMode_To) VFiles]");
        return false;
    }
    a->vfAppendMode = mode;
    return true;
}

bool SortVFile(std::uint8_t mode)
{
    EngineErrorCode = 0;
    TWorkArea* a = VirtualArea("SortVFile");
    if (!a)
        return false;
    VFileState& s = StateOf(*a);
    if (!s.keyFunc) {
        SetError(1100, a->alias + " hat keine Schlüsselfunktion.  Datensätze können nicht "
                                  "sortiert werden. [SortVFile]");
        return false;
    }
    if (mode != lsASCENDING && mode != lsDESCENDING) {
        SetError(220, "Sortiermodus ist nicht aufsteigend oder absteigend für " + a->alias +
                          " [(SortVFile) VFiles]");
        return false;
    }
    try {
        EnsureKeys(*a, s);
        const bool descending = mode == lsDESCENDING;
        std::stable_sort(s.records.begin(), s.records.end(),
                         [descending](const std::unique_ptr<VRecord>& x, const std::unique_ptr<VRecord>& y) {
                             const int c = Compare(x->key, y->key);
                             return descending ? c > 0 : c < 0;
                         });
    } catch (const std::bad_alloc&) {
        SetError(217, "Zu wenig Speicherplatz [SortVFile]");
        return false;
    }
    a->vfAppendMode = mode;
    if (s.records.empty()) {
        EmptyState(*a);
    } else {
        a->recNo = 1;
        a->eof = a->bof = false;
        Load(*a, *s.records.front());
    }
    return true;
}

int VFileReplaceResult()
{
    TWorkArea* a = Current();
    if (!a || !a->isVirtual || !a->vfState)
        return 0;
    return static_cast<VFileState*>(a->vfState.get())->replaceResult;
}

} // namespace kt4::dbase
