// Opening index files into the 16 order slots of a work area, choosing the
// controlling index, closing, and the unit's start-up. Slot 1 holds the
// controlling index; the index of order 1 then sits in the slot of the
// controlling index's order.
#include "dbase/engine/codepage.h"
#include "dbase/engine/engine_text.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/internal.h"
#include "dbase/engine/navigation.h"
#include "dbase/engine/runtime.h"
#include "dbase/ndx/ndx_internal.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace kt4::dbase {

std::size_t IndexSortBudget = std::size_t{256} << 20;
std::size_t IndexCacheBytes = std::size_t{32} << 20;
bool IndexNoCache = false;
bool IndexAlwaysUnique = false;

namespace ndx {

void FillHooks();
void SyncAllIndexes();

namespace {

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperChar(a[i]) != UpperChar(b[i]))
            return false;
    return true;
}

bool WordEnd(const std::string& t, std::size_t i)
{
    if (i >= t.size())
        return true;
    const char c = t[i];
    return !((c >= '0' && c <= '9') || IsAlphaChar(c) || c == '\\' || c == '/' || c == '_');
}

std::string StripQuotes(std::string t)
{
    t = AllTrim(t);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"')
        t = t.substr(1, t.size() - 2);
    return t;
}

int SlotOfOrder(const AreaIndexes& s, int order)
{
    for (int i = 1; i <= kMaxOrders; ++i)
        if (s.slots[std::size_t(i)] && s.slots[std::size_t(i)]->order == order)
            return i;
    return 0;
}

// At close, page 0 of an index this program changed gets what it still
// lacks: a header that could not be written, and its record count words
// (in a shared area under the lock semaphore, the rest of page 0
// untouched). A close after no change writes nothing, so a stale index
// keeps the count that shows it stale.
void FinishAnchor(TWorkArea& a, Descriptor& d)
{
    if (d.file.ReadOnly() || !d.changed || d.refusal != 0)
        return;
    RefreshRecCount(a);
    if (d.anchorModified && !a.Shared()) {
        WriteAnchor(d);
        return;
    }
    std::uint8_t words[8], now[8];
    CountWords(a, d, words);
    if (d.file.ReadAt(488, now, 8) == 8 && std::memcmp(now, words, 8) == 0 && !d.anchorModified)
        return;
    SemaphoreScope lock(true);
    if (!lock.Ok())
        return;
    // Another program may have marked the index out of date meanwhile: the
    // mark stays.
    if (d.outOfDate.on || (d.file.ReadAt(488, now, 8) == 8 && MarkedOutOfDate(now)))
        return;
    if (!d.file.WriteAt(488, words, 8))
        SetError(std::uint16_t(d.file.LastError() ? d.file.LastError() : 101),
                 "Fehler beim Schreiben der Index-Datei:  " + d.path + " [WriteAnchorNode]");
    d.anchorModified = false;
}

// Whether the nodes down to the first and the last leaf hold keys in the
// engine's folded form (every node read is checked for it). A tree that
// cannot be read otherwise passes here: its damage is reported where it is
// walked.
bool EdgeLeavesFolded(Descriptor& d)
{
    QuietErrors quiet;
    bool folded = true;
    for (const bool first : {true, false}) {
        bool empty = false;
        if (!(first ? GoFirst(d, empty) : GoLast(d, empty))) {
            folded = EngineErrorCode != 222;
            break;
        }
        if (empty)
            break;
    }
    d.Unposition();
    EngineErrorCode = 0;
    return folded;
}

} // namespace

void RestoreSlots(AreaIndexes& s)
{
    Descriptor* c = s.slots[1].get();
    if (c && c->order != 1)
        std::swap(s.slots[1], s.slots[std::size_t(c->order)]);
}

std::string SplitOptions(const std::string& text, IndexOptions& options)
{
    std::string t = AllTrim(text);
    struct Word {
        const char* name;
        bool* flag;
    } words[] = {{"UNIQUE", &options.unique},
                 {"NOCACHE", &options.noCache},
                 {"SOUNDEX", &options.soundex},
                 {"DESCENDING", &options.descending}};
    bool again = true;
    while (again) {
        again = false;
        for (const Word& w : words) {
            const std::size_t len = std::strlen(w.name);
            for (std::size_t i = 1; i + len <= t.size(); ++i) {
                if ((t[i - 1] != ' ' && t[i - 1] != '\t') ||
                    !EqualNoCase(std::string_view(t).substr(i, len), w.name) || !WordEnd(t, i + len))
                    continue;
                *w.flag = true;
                t = AllTrim(t.substr(0, i) + t.substr(i + len));
                again = true;
                break;
            }
        }
    }
    return StripQuotes(t);
}

std::string ResolveIndexName(const TWorkArea& a, const std::string& name)
{
    fs::path p(StripQuotes(name));
    if (!p.has_parent_path())
        p = fs::path(a.fileName).parent_path() / p;
    const std::string path = WithDefaultExtension(p.string(), "NDX");
    const std::string found = ResolveNoCase(path);
    return found.empty() ? path : found;
}

bool OpenIndexFile(TWorkArea& a, const std::string& path, int order, int slot,
                   const IndexOptions& options, KeyMakerProc keyMaker, void* data, DbfFile* built)
{
    AreaIndexes& s = StateOf(a.number);
    const FileId id = built ? built->Id() : FileIdOf(path);
    for (int n = 1; n <= MaxAreas; ++n) {
        const TWorkArea* other = Area(n);
        for (int i = 1; i <= kMaxOrders; ++i) {
            const Descriptor* d = StateOf(n).slots[std::size_t(i)].get();
            if (!d || !other || !(d->file.Id() == id))
                continue;
            if (n == a.number || !(other->fileKey == a.fileKey)) {
                SetError(220, "Index-Datei bereits geöffnet: " + path + " für " + other->fileName +
                                  "\nVersuch gleichnamigen Index zu setzen für " + a.fileName +
                                  ". [OpenIndex/Set_Index_To]");
                return false;
            }
        }
    }
    if (s.slots[std::size_t(slot)]) {
        SetError(254, "Interner Fehler: IND-Zeiger bereits alloziiert" + path);
        return false;
    }
    auto d = std::make_unique<Descriptor>();
    d->order = order;
    d->area = a.number;
    d->path = path;
    // A file handed over goes back to its giver when it does not open.
    struct GiveBack {
        DbfFile* to;
        std::unique_ptr<Descriptor>& d;
        ~GiveBack()
        {
            if (to && d)
                *to = std::move(d->file);
        }
    } giveBack{built, d};
    if (built) {
        d->file = std::move(*built);
    } else if (int code = OpenWithShareLock(d->file, path, true, true, Share::Shared); code != 0) {
        SetError(std::uint16_t(code), "Kann Index nicht öffnen: " + path);
        return false;
    }
    std::int64_t size = 0;
    Page page0{};
    {
        // Size and header together, while no writer is at work.
        SemaphoreScope read(false);
        if (!read.Ok())
            return false;
        size = d->file.Size();
        if (size < 1024 || d->file.ReadAt(0, page0.data(), kPageSize) != std::int64_t(kPageSize)) {
            SetError(222, HeaderFault(path, size < 1024 ? std::to_string(size) + " Bytes, kürzer als zwei Seiten"
                                                        : std::string("nicht lesbar")));
            return false;
        }
    }
    const char* raw = reinterpret_cast<const char*>(page0.data() + 24);
    std::string expr(raw, strnlen(raw, kMaxKeyLength));
    if (a.oem)
        expr = OemToAnsi(expr);
    expr = NormalizeExpression(expr);
    if (keyMaker) {
        if (expr != KeyMakerMarker()) {
            SetError(223, "KeyMaker-Funktion mit durch dBase-Schlüsselausdruck erzeugter "
                          "Index-Datei verwendet [OpenIndex/Set_Index_ToCB(" + path + ")]");
            return false;
        }
        d->keyMaker = std::move(keyMaker);
        d->keyData = data;
        d->soundex = options.soundex;
        d->descending = options.descending;
        d->type = 'C';
    } else {
        if (expr == KeyMakerMarker()) {
            SetError(223, "KeyMaker-Funktion benötigt, \"" + path +
                              "\" wurde von KeyMaker-Funktion erzeugt.");
            return false;
        }
        const std::string bad = "Ungültiger dBASE-Schlüsselausdruck oder Index-Datei beschädigt " + path;
        if (expr.empty()) {
            SetError(222, bad);
            return false;
        }
        {
            QuietErrors quiet;
            d->compiled = CompileExpr(expr);
        }
        const char t = d->compiled ? d->compiled->Type() : ' ';
        if (t != 'C' && t != 'D' && t != 'N' && t != 'F') {
            SetError(222, bad);
            return false;
        }
        d->type = t == 'F' ? 'N' : t;
    }
    d->expression = expr;
    d->hdr = ParseHeader(page0.data());
    RefreshRecCount(a);
    const std::uint32_t count = U32(page0.data() + 492);
    d->ownTree = U32(page0.data() + 488) == ~count;
    // An index of this engine names its table: one written for another
    // table (by the name as stored, in any case) is refused, whatever it
    // holds. Other programs' files carry no such name. REINDEX rebuilds
    // open indexes only: the way out is an INDEX ON over the file.
    if (d->ownTree || MarkedOutOfDate(page0.data() + 488)) {
        const char* named = reinterpret_cast<const char*>(page0.data() + 496);
        const std::string held(named, strnlen(named, 12));
        if (!held.empty() && !EqualNoCase(held, AnchorTableName(a.fileName, a.oem))) {
            const std::string key = d->keyMaker ? std::string("mit der KeyMaker-Funktion") : expr;
            SetError(222, HeaderFault(path, "geschrieben für die Datei " + (a.oem ? OemToAnsi(held) : held) +
                                                ", nicht für " + fs::path(a.fileName).filename().string()) +
                              ": unter dem neuen Namen neu aufbauen mit INDEX ON " + key + " TO " +
                              fs::path(path).filename().string() + ", das die Datei ersetzt");
            return false;
        }
    }
    if (MarkedOutOfDate(page0.data() + 488))
        OutOfDate(*d, "SetIndexTo");
    if (d->ownTree && count == std::uint32_t(std::max(a.recCount, 0)))
        d->keptCount = count;
    // A key over fields and literals has one length, which the header must give.
    const int keyLength = d->compiled ? FixedTextLength(*d->compiled) : -1;
    auto pagesOf = [](std::int64_t bytes) {
        return std::uint32_t(std::max<std::int64_t>(1, (bytes - 512) / 512 + 1));
    };
    std::string why;
    if (!d->keyMaker && d->CharKey()) {
        // Other programs' indexes over mixed-case text hold the text as it
        // is: searched with folded keys and given folded ones, such a file
        // would be spoilt for both. It is refused as it is, here when its
        // first or last leaf shows it, else where a node is read.
        d->foldedKeys = true;
        d->oemKeys = a.oem;
        const NdxHeader found = d->hdr;
        d->hdr.pageCount = pagesOf(size);
        bool folded = true;
        if (ValidateHeader(d->hdr, d->type, keyLength, why)) {
            SemaphoreScope read(false);
            if (!read.Ok())
                return false;
            folded = EdgeLeavesFolded(*d);
        }
        if (!folded) {
            SetError(222, "Kann Index nicht öffnen: " + path +
                              " (Schlüssel nicht in Kleinschrift, von einem anderen Programm "
                              "geschrieben: Index neu aufbauen)");
            return false;
        }
        d->hdr = found;
    }
    if (d->hdr.pageCount != pagesOf(size)) {
        // The page count the file's length implies (size and header were
        // read together), written with the first change the index takes:
        // a file that is refused after all is left as it was.
        d->hdr.pageCount = pagesOf(size);
        d->anchorModified = true;
    }
    if (!ValidateHeader(d->hdr, d->type, keyLength, why)) {
        SetError(222, HeaderFault(path, why));
        return false;
    }
    d->noCache = options.noCache || a.Shared() || IndexNoCache;
    if (!d->noCache)
        d->cache.Configure(IndexCacheBytes);
    d->curKey = BlankKey(*d);
    s.slots[std::size_t(slot)] = std::move(d);
    Descriptor& opened = *s.slots[std::size_t(slot)];
    if (a.recCount == 0) {
        opened.bof = opened.eof = true;
    } else if (slot == 1 && !s.naturalOrder) {
        GoTop();
    }
    return true;
}

void FinishClose(TWorkArea* a, AreaIndexes& s)
{
    if (!AnyOpen(s)) {
        if (a)
            Logout(*a, s);
        DropSemaphoreState(s);
        s.naturalOrder = false;
    }
}

bool OpenBuilt(TWorkArea& a, DbfFile& built, const std::string& path, int order, int slot,
               const IndexOptions& options, KeyMakerProc keyMaker, void* data)
{
    AreaIndexes& s = StateOf(a.number);
    if (!OpenIndexFile(a, path, order, slot, options, std::move(keyMaker), data, &built))
        return false;
    if (Index.CopyCurrentKey)
        Index.CopyCurrentKey();
    const Descriptor& d = *s.slots[std::size_t(slot)];
    if (EngineErrorCode == 0 && d.refusal != 0)
        SetError(d.refusal, d.refusalText);
    return true;
}

void CloseTaken(TWorkArea& a, std::unique_ptr<Descriptor> d)
{
    if (d)
        FinishAnchor(a, *d);
}

} // namespace ndx

using namespace ndx;

void IndexInit()
{
    FillHooks();
    IndexSortBudget = std::size_t{256} << 20;
    IndexCacheBytes = std::size_t{32} << 20;
    IndexNoCache = false;
    IndexAlwaysUnique = false;
    IndexExact = false;
    IndexFound = false;
    SetIndexProgress(nullptr, 0);
    for (int n = 1; n <= MaxAreas; ++n) {
        AreaIndexes& s = StateOf(n);
        for (auto& slot : s.slots)
            slot.reset();
        DropSemaphoreState(s);
        s.naturalOrder = false;
    }
}

std::string IndexFileName(int slot)
{
    const Descriptor* d = InSlot(slot);
    return d ? d->path : std::string();
}

void CloseIndex(int slot)
{
    if (slot < 1 || slot > kMaxOrders)
        return;
    AreaIndexes& s = CurrentState();
    Descriptor* d = s.slots[std::size_t(slot)].get();
    if (!d)
        return;
    TWorkArea* a = Current();
    if (a)
        FinishAnchor(*a, *d);
    s.slots[std::size_t(slot)].reset();
    if (slot == 1) {
        // The index of order 1 takes the controlling slot again.
        const int one = SlotOfOrder(s, 1);
        if (one > 1)
            std::swap(s.slots[1], s.slots[std::size_t(one)]);
        else if (AnyOpen(s))
            s.naturalOrder = true;
    }
    FinishClose(a, s);
}

void CloseIndexes()
{
    AreaIndexes& s = CurrentState();
    s.naturalOrder = false;
    {
        QuietErrors quiet;
        for (int i = kMaxOrders; i >= 1; --i) {
            const std::uint16_t before = EngineErrorCode;
            CloseIndex(i);
            if (EngineErrorCode == 0)
                EngineErrorCode = before;
        }
    }
    FinishClose(Current(), s);
}

bool SetIndexTo(const std::string& nameWithOptions, int order, KeyMakerProc keyMaker, void* data)
{
    EngineErrorCode = 0;
    IndexOptions options;
    const std::string name = SplitOptions(nameWithOptions, options);
    const std::string tag = "[SetIndexTo(<>," + name + "," + std::to_string(order) + ")]";
    if (order < 1 || order > kMaxOrders) {
        SetError(220, "Parameter Index-Ordnung außerhalb des zulässigen Bereichs " + tag);
        return false;
    }
    TWorkArea* a = Current();
    if (!a) {
        SetError(215, "Öffnungsversuch von " + name + " Index-Datei ohne geöffnete DBF-Datei. " + tag);
        return false;
    }
    if (!keyMaker && !ParserLinked()) {
        SetError(221, "TZParser-Unit nicht eingebunden. [SetIndexTo]");
        return false;
    }
    const std::string path = ResolveIndexName(*a, name);
    std::error_code ec;
    if (name.empty() || !fs::is_regular_file(path, ec)) {
        SetError(2, "Öffnungsversuch von " + name + " [SetIndexTo(...," + std::to_string(order) + ")]");
        return false;
    }
    AreaIndexes& s = CurrentState();
    // The new file takes the slot of the index it replaces, else its own.
    int slot = SlotOfOrder(s, order);
    if (slot > 0)
        CloseIndex(slot);
    if (slot == 0 || s.slots[std::size_t(slot)])
        slot = order;
    if (s.slots[std::size_t(slot)])
        slot = s.slots[1] ? s.slots[1]->order : order;
    if (a->Shared() && !Login(*a, s))
        return false;
    if (!OpenIndexFile(*a, path, order, slot, options, std::move(keyMaker), data)) {
        FinishClose(a, s);
        return false;
    }
    Descriptor& d = *s.slots[std::size_t(slot)];
    if (Index.CopyCurrentKey)
        Index.CopyCurrentKey();
    // Damage the open met (on the way to the first or last key) is reported
    // here. The index stays open, unfit for changes since the damage was
    // found, so that REINDEX can build it anew.
    if (EngineErrorCode == 0 && d.refusal != 0)
        SetError(d.refusal, d.refusalText);
    return EngineErrorCode == 0;
}

bool SetIndexToCB(const std::string& nameWithOptions, int order, KeyMakerProc keyMaker, void* data)
{
    if (!SetIndexTo(nameWithOptions, order, std::move(keyMaker), data))
        return false;
    Set_Order_To(1);
    return EngineErrorCode == 0;
}

bool SetIndexToList(const std::string& list)
{
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("SetIndexTo");
    if (!a)
        return false;
    if (!ParserLinked()) {
        SetError(221, "TZParser-Unit nicht eingebunden. [SetIndexTo]");
        return false;
    }
    CloseIndexes();
    // Names separated by blanks, double-quoted ones may hold blanks; option
    // words belong to the name before them.
    std::vector<std::string> names;
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && (list[i] == ' ' || list[i] == '\t'))
            ++i;
        if (i >= list.size())
            break;
        std::size_t end;
        if (list[i] == '"') {
            end = list.find('"', i + 1);
            end = end == std::string::npos ? list.size() : end + 1;
        } else {
            end = list.find_first_of(" \t", i);
            end = end == std::string::npos ? list.size() : end;
        }
        std::string token = list.substr(i, end - i);
        IndexOptions probe;
        if (!names.empty() && SplitOptions("X " + token, probe) == "X")
            names.back() += " " + token;
        else
            names.push_back(token);
        i = end;
    }
    // Every index of the list that opens is kept in step, a damaged one too
    // (open and unfit, so that it refuses changes until REINDEX). One that
    // does not open is left out, its order number with it; the first failure
    // is reported when the others are open.
    AreaIndexes& s = CurrentState();
    std::uint16_t code = 0;
    std::string text;
    {
        QuietErrors quiet; // reported once, with the list open
        int order = 0, first = 0;
        for (const std::string& n : names) {
            const bool ok = SetIndexTo(n, ++order);
            if (first == 0 && SlotOfOrder(s, order) != 0)
                first = order;
            if (!ok && code == 0) {
                code = EngineErrorCode ? EngineErrorCode : 222;
                text = LastErrorText();
            }
        }
        if (first != 0)
            Set_Order_To(first);
        if (code == 0) {
            code = EngineErrorCode;
            text = LastErrorText();
        }
    }
    if (code != 0)
        SetError(code, text + " [SetIndexTo]");
    return EngineErrorCode == 0;
}

int CurrentOrder()
{
    TWorkArea* a = RequireArea("CurrentOrder");
    if (!a)
        return 0;
    AreaIndexes& s = CurrentState();
    if (s.naturalOrder || !s.slots[1])
        return 0;
    return s.slots[1]->order;
}

void Set_Order_To(int n)
{
    TWorkArea* a = RequireArea("Set_Order_To");
    if (!a)
        return;
    AreaIndexes& s = CurrentState();
    const std::string tag = "Set_Order_To(" + std::to_string(n) + ")";
    if (!AnyOpen(s)) {
        SetError(221, "Index nicht geöffnet. (DBF=" + a->fileName + ") [" + tag + "]");
        return;
    }
    EngineErrorCode = 0;
    if (n < 0 || n > kMaxOrders) {
        SetError(220, "Ungültige Index-Ordnung angegeben: SET_ORDER_TO. [" + tag + "] (DBF=" +
                          a->fileName + ")");
        return;
    }
    if (n == 0) {
        s.naturalOrder = true;
        return;
    }
    SemaphoreScope read(false);
    if (!read.Ok())
        return;
    const bool found = IndexFound;
    const int slot = SlotOfOrder(s, n);
    if (slot == 0) {
        SetError(221, "Index nicht geöffnet.. (DBF=" + a->fileName + ") [" + tag + "]");
        return;
    }
    s.naturalOrder = false;
    RefreshRecCount(*a);
    if (a->recNo >= 1 && a->recNo <= a->recCount && GetDbfRecord(*a, a->recNo))
        RecordToBuffer(*a);
    if (!s.slots[1] || s.slots[1]->order != n) {
        RestoreSlots(s);
        if (n != 1)
            std::swap(s.slots[1], s.slots[std::size_t(n)]);
        if (a->recCount == 0)
            s.slots[1]->bof = s.slots[1]->eof = true;
    }
    SyncAllIndexes();
    IndexFound = found;
}

} // namespace kt4::dbase
