// Building an index and opening it, rebuilding every open index, and the
// information in an index file's page 0.
#include "dbase/engine/codepage.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/runtime.h"
#include "dbase/ndx/ndx_internal.h"

namespace kt4::dbase {

using namespace ndx;

namespace {

// Builds the index and makes it the area's only one, in slot 1 and
// controlling. The new file comes from the build open and share-locked,
// and takes slot 1 before the area's other indexes close, so the area
// stays logged in to the semaphore throughout. A failure before the
// rename leaves every index as it was; one after it leaves every index
// open, the one on the file replaced out of date: it goes on the new file
// the name holds, whose page 0 gets the mark, as a failed REINDEX leaves it.
bool BuildAndOpen(TWorkArea& a, const BuildRequest& r, const IndexOptions& options, KeyMakerProc keyMaker,
                  void* data)
{
    AreaIndexes& s = CurrentState();
    if (a.Shared() && !Login(a, s))
        return false;
    Descriptor* replaced = FindIndexOpenOn(a.number, FileIdOf(r.file));
    DbfFile built{HeldFile::Index};
    if (!MakeIndex(r, built)) {
        FinishClose(&a, s);
        return false;
    }
    std::unique_ptr<Descriptor> first = std::move(s.slots[1]);
    const bool natural = s.naturalOrder;
    s.naturalOrder = false;
    if (!OpenBuilt(a, built, r.file, 1, 1, options, std::move(keyMaker), data)) {
        const std::uint16_t code = EngineErrorCode ? EngineErrorCode : 31;
        const std::string text = LastErrorText() + " [Index_On]";
        s.slots[1] = std::move(first);
        s.naturalOrder = natural;
        if (replaced) {
            replaced->file = std::move(built);
            LeftOutOfDate(a, *replaced, "Index_On");
        }
        FinishClose(&a, s);
        SetError(code, text);
        return false;
    }
    {
        QuietErrors quiet;
        const std::uint16_t code = EngineErrorCode;
        const std::string text = LastErrorText();
        if (replaced)
            replaced->changed = false; // its file is the one replaced
        CloseTaken(a, std::move(first));
        for (int i = 2; i <= kMaxOrders; ++i)
            CloseTaken(a, std::move(s.slots[std::size_t(i)]));
        if (code != 0)
            SetError(code, text);
        else
            EngineErrorCode = 0;
    }
    if (EngineErrorCode != 0)
        return false;
    Set_Order_To(1);
    return EngineErrorCode == 0;
}

} // namespace

// A build that fails leaves the area's indexes open as they were.
bool Index_On(const std::string& expression, const std::string& nameWithOptions)
{
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("Index_On");
    if (!a)
        return false;
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
    options.soundex = options.descending = false; // for a key maker only
    return BuildAndOpen(*a, r, options, nullptr, nullptr);
}

bool Index_On(const std::string& nameWithOptions, KeyMakerProc keyMaker, void* data)
{
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("Index_On");
    if (!a)
        return false;
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
    return BuildAndOpen(*a, r, options, std::move(keyMaker), data);
}

namespace {

// What a rebuild of an index needs of it, noted before its file is replaced.
struct Noted {
    int slot = 0;
    std::string path, expression;
    IndexOptions options; // NOCACHE, SOUNDEX and DESCENDING as it was opened
    KeyMakerProc keyMaker;
    void* data = nullptr;
    bool unique = false;
};

// Every index is rebuilt in turn and opened in its slot again. One that
// cannot start (another program has the table open, no room, a table read
// fails) changes nothing: every index stays open as it was. After the first
// file is replaced, a failure leaves the rest open, out of date in their
// files and unfit, until a REINDEX that ends. False with the error set.
bool RebuildEvery(TWorkArea& a, AreaIndexes& s, const std::vector<Noted>& noted)
{
    for (const Noted& n : noted)
        if (!MayReplace(a, n.path))
            return false;
    std::size_t done = 0;
    bool replaced = false; // a file replaced whose new index did not open
    for (; done < noted.size(); ++done) {
        const Noted& n = noted[done];
        BuildRequest r;
        r.file = n.path;
        r.expression = n.expression;
        r.keyMaker = n.keyMaker;
        r.keyData = n.data;
        r.order = n.slot;
        r.unique = n.unique;
        r.soundex = n.options.soundex;
        r.descending = n.options.descending;
        DbfFile built{HeldFile::Index};
        if (!MakeIndex(r, built))
            break;
        // The new file opens in the slot and the old index, open on the
        // file replaced, goes without a write. When the new one does not
        // open, the old index stays in the slot on the new file, which the
        // name holds now; it is left out of date below with the rest.
        auto& slot = s.slots[std::size_t(n.slot)];
        std::unique_ptr<Descriptor> old = std::move(slot);
        if (!OpenBuilt(a, built, n.path, n.slot, n.slot, n.options, n.keyMaker, n.data)) {
            slot = std::move(old);
            slot->file = std::move(built);
            replaced = true;
            break;
        }
    }
    if (done == noted.size())
        return true;
    const std::uint16_t code = EngineErrorCode ? EngineErrorCode : 31;
    const std::string text = LastErrorText();
    if (done > 0 || replaced)
        for (std::size_t i = done; i < noted.size(); ++i)
            if (Descriptor* d = s.slots[std::size_t(noted[i].slot)].get())
                LeftOutOfDate(a, *d, "Reindex");
    SetError(code, text);
    return false;
}

} // namespace

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
    std::vector<Noted> noted;
    for (int i = 1; i <= kMaxOrders; ++i) {
        Descriptor* d = s.slots[std::size_t(i)].get();
        if (!d)
            continue;
        Noted n;
        n.slot = i;
        n.path = d->path;
        n.expression = d->keyMaker ? std::string() : d->expression;
        n.keyMaker = d->keyMaker;
        n.data = d->keyData;
        n.unique = d->hdr.unique;
        n.options.soundex = d->soundex;
        n.options.descending = d->descending;
        n.options.noCache = d->noCache;
        noted.push_back(std::move(n));
    }
    // Slot 1 takes its first key again when it opens, as it does under an
    // order; the natural order comes back afterwards.
    s.naturalOrder = false;
    // An error is reported once every index is in place again.
    std::uint16_t code = 0;
    std::string text;
    {
        QuietErrors quiet;
        if (!RebuildEvery(*a, s, noted)) {
            code = EngineErrorCode ? EngineErrorCode : 31;
            text = LastErrorText() + " [Reindex]";
        }
        if (order > 0)
            Set_Order_To(order);
        CurrentState().naturalOrder = natural;
        if (code == 0 && EngineErrorCode != 0) {
            code = EngineErrorCode;
            text = LastErrorText();
        }
    }
    if (code != 0)
        SetError(code, text);
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
