// Building an index and opening it, rebuilding every open index, and the
// information in an index file's page 0.
#include "dbase/engine/codepage.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/runtime.h"
#include "dbase/ndx/ndx_internal.h"

namespace kt4::dbase {

using namespace ndx;

bool Index_On(const std::string& expression, const std::string& nameWithOptions)
{
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("Index_On");
    if (!a)
        return false;
    CloseIndexes();
    if (CurrentState().slots[1]) {
        SetError(254, "Interner Fehler: IND-Zeiger bereits alloziiert [Index_On]");
        return false;
    }
    IndexOptions options;
    const std::string name = SplitOptions(nameWithOptions, options);
    if (name.empty())
        return false;
    if (!ParserLinked()) {
        SetError(221, "TZParser-Unit nicht eingebunden. [MakeIndex]");
        return false;
    }
    BuildRequest r;
    r.file = ResolveIndexName(*a, name);
    r.expression = expression;
    r.unique = options.unique || IndexAlwaysUnique;
    if (!MakeIndex(r))
        return false;
    if (!SetIndexTo(r.file + (options.noCache ? " NOCACHE" : ""), 1))
        return false;
    Set_Order_To(1);
    return EngineErrorCode == 0;
}

bool Index_On(const std::string& nameWithOptions, KeyMakerProc keyMaker, void* data)
{
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("Index_On");
    if (!a)
        return false;
    CloseIndexes();
    IndexOptions options;
    const std::string name = SplitOptions(nameWithOptions, options);
    if (name.empty())
        return false;
    BuildRequest r;
    r.file = ResolveIndexName(*a, name);
    r.keyMaker = keyMaker;
    r.keyData = data;
    r.unique = options.unique || IndexAlwaysUnique;
    r.soundex = options.soundex;
    r.descending = options.descending;
    if (!MakeIndex(r))
        return false;
    std::string words = (options.soundex ? " SOUNDEX" : "") + std::string(options.descending ? " DESCENDING" : "") +
                        (options.noCache ? " NOCACHE" : "");
    if (!SetIndexTo(r.file + words, 1, std::move(keyMaker), data))
        return false;
    Set_Order_To(1);
    return EngineErrorCode == 0;
}

void Reindex()
{
    TWorkArea* a = Current();
    AreaIndexes& s = CurrentState();
    if (!a || !AnyOpen(s))
        return;
    EngineErrorCode = 0;
    const int order = CurrentOrder();
    const bool natural = s.naturalOrder;
    RestoreSlots(s);
    struct Noted {
        std::string path, expression, words;
        KeyMakerProc keyMaker;
        void* data = nullptr;
        bool unique = false, soundex = false, descending = false;
    };
    std::vector<std::pair<int, Noted>> noted;
    for (int i = 1; i <= kMaxOrders; ++i) {
        Descriptor* d = s.slots[std::size_t(i)].get();
        if (!d)
            continue;
        Noted n;
        n.path = d->path;
        n.expression = d->keyMaker ? std::string() : d->expression;
        n.keyMaker = d->keyMaker;
        n.data = d->keyData;
        n.unique = d->hdr.unique;
        n.soundex = d->soundex;
        n.descending = d->descending;
        n.words = std::string(n.soundex ? " SOUNDEX" : "") + (n.descending ? " DESCENDING" : "") +
                  (d->noCache ? " NOCACHE" : "");
        noted.emplace_back(d->order, std::move(n));
    }
    CloseIndexes();
    for (auto& [ord, n] : noted) {
        BuildRequest r;
        r.file = n.path;
        r.expression = n.expression;
        r.keyMaker = n.keyMaker;
        r.keyData = n.data;
        r.order = ord;
        r.unique = n.unique;
        r.soundex = n.soundex;
        r.descending = n.descending;
        if (!MakeIndex(r) || !SetIndexTo(n.path + n.words, ord, n.keyMaker, n.data))
            return;
    }
    if (order > 0)
        Set_Order_To(order);
    CurrentState().naturalOrder = natural;
}

// ---- Index file information ----

bool IndexInfo(const std::string& fileName, TIndexInfo& info)
{
    info = TIndexInfo{};
    if (AllTrim(fileName).empty()) {
        SetError(220, "Index-Dateiname nicht angegeben [IndexInfo]");
        return false;
    }
    DbfFile f;
    Page p{};
    int code = f.Open(fileName, false, true);
    if (code == 0 && f.ReadAt(0, p.data(), kPageSize) != std::int64_t(kPageSize))
        code = 100;
    if (code != 0) {
        SetError(std::uint16_t(code),
                 "Fehler beim Lesen der Index-Datei: \n[IndexInfo(<>," + fileName + ")]");
        return false;
    }
    const NdxHeader h = ParseHeader(p.data());
    const char* raw = reinterpret_cast<const char*>(p.data() + 24);
    info.expression = std::string(raw, strnlen(raw, kMaxKeyLength));
    info.keyLength = h.keyLen;
    info.keyType = h.typeLetter ? char(h.typeLetter) : (h.keyType ? 'N' : 'C');
    info.unique = h.unique;
    const std::uint32_t count = U32(p.data() + 492);
    if (U32(p.data() + 488) == ~count) {
        info.recordCount = std::int32_t(count);
        const char* name = reinterpret_cast<const char*>(p.data() + 496);
        info.tableName = std::string(name, strnlen(name, 12));
    }
    if (!TableIsAnsi) {
        info.expression = OemToAnsi(info.expression);
        info.tableName = OemToAnsi(info.tableName);
    }
    return true;
}

std::int32_t IndexInfoRecordCount(const std::string& fileName)
{
    TIndexInfo info;
    return IndexInfo(fileName, info) ? info.recordCount : -1;
}

} // namespace kt4::dbase
