// Page access of open indexes: nodes are read whole and checked before
// they are used, written whole by the tree operation that changed them,
// and kept in a cache only in exclusive areas. Also the per-area state.
#include "dbase/engine/errors.h"
#include "dbase/ndx/ndx_internal.h"

namespace kt4::dbase::ndx {

namespace {

Array1<AreaIndexes, MaxAreas>& States()
{
    static Array1<AreaIndexes, MaxAreas> states;
    return states;
}

std::uint16_t IoCode(const DbfFile& f, std::uint16_t fallback)
{
    return f.LastError() ? std::uint16_t(f.LastError()) : fallback;
}

} // namespace

AreaIndexes& StateOf(int area)
{
    return States()[std::size_t(std::clamp(area, 1, MaxAreas))];
}

AreaIndexes& CurrentState()
{
    return StateOf(CurrentArea);
}

Descriptor* Controlling()
{
    return CurrentState().slots[1].get();
}

Descriptor* InSlot(int slot)
{
    return slot >= 1 && slot <= kMaxOrders ? CurrentState().slots[std::size_t(slot)].get() : nullptr;
}

Descriptor* FindIndexOpenOn(int area, const FileId& id)
{
    for (const auto& slot : StateOf(area).slots)
        if (slot && id.Valid() && slot->file.Id() == id)
            return slot.get();
    return nullptr;
}

bool AnyOpen(const AreaIndexes& s)
{
    for (int i = 1; i <= kMaxOrders; ++i)
        if (s.slots[std::size_t(i)])
            return true;
    return false;
}

std::string NodeContext(const Descriptor& d)
{
    return " in DBF-Bereich " + std::to_string(d.area) + ", Ordnung " + std::to_string(d.order) +
           " " + d.path + " [GetNode]";
}

namespace {

// Whether a child page lies within the file after all: in a shared area
// another program may have grown the tree since page 0 was read, so page 0
// is read again before the page counts as damage.
bool GrownBeyond(Descriptor& d, std::uint32_t page)
{
    const TWorkArea* a = Area(d.area);
    std::uint8_t head[24];
    if (!a || !a->Shared() || d.file.ReadAt(0, head, sizeof head) != std::int64_t(sizeof head))
        return false;
    const NdxHeader h = ParseHeader(head);
    if (h.pageCount <= page || h.keyLen != d.hdr.keyLen || h.recSize != d.hdr.recSize)
        return false;
    d.hdr.pageCount = h.pageCount;
    return true;
}

// What a node read finds wrong with the file: error 254, and the index unfit.
void Damaged(Descriptor& d, const std::string& what, std::uint32_t page)
{
    SetError(254, what + " (" + std::to_string(page) + ")" + NodeContext(d));
    Unfit(d);
}

} // namespace

const Page* FetchNode(Descriptor& d, std::uint32_t page, Page& scratch, bool startRun)
{
    if (d.outOfDate.on) { // the tree of the table before a PACK
        Refused(d);
        return nullptr;
    }
    if (page == 0 || page >= d.hdr.pageCount) {
        Damaged(d, "Ungültige Knotennummer", page);
        return nullptr;
    }
    for (const auto& [number, kept] : d.unwritten) // a change tried out reads what it wrote
        if (number == page)
            return &kept;
    if (const Page* hit = d.cache.Find(page)) // checked when it was stored
        return hit;
    Page* node = &scratch;
    auto& run = d.run;
    const bool inRun = run.count > 0 && page >= run.first && page - run.first < run.count;
    if (inRun || startRun) {
        if (!inRun) {
            // The leaves follow each other in the file: the pages from this one on.
            if (!run.pages)
                run.pages.reset(new RunPages); // not cleared: read over at once
            const std::uint32_t pages = std::min<std::uint32_t>(kRunPages, d.hdr.pageCount - page);
            const long long got = d.file.ReadAt(std::int64_t(page) * kPageSize, run.pages->page.data(),
                                                std::size_t(pages) * kPageSize);
            run.first = page;
            run.count = got < 0 ? 0 : std::uint32_t(got / static_cast<long long>(kPageSize));
            if (run.count == 0) {
                SetError(got < 0 ? IoCode(d.file, 100) : 100,
                         "Fehler beim Lesen der Index-Datei: " + d.path + " [SeekAndRead]");
                return nullptr;
            }
        }
        node = &run.pages->page[page - run.first];
    } else {
        const long long got = d.file.ReadAt(std::int64_t(page) * kPageSize, node->data(), kPageSize);
        if (got != static_cast<long long>(kPageSize)) {
            SetError(got < 0 ? IoCode(d.file, 100) : 100,
                     "Fehler beim Lesen der Index-Datei: " + d.path + " [SeekAndRead]");
            return nullptr;
        }
    }
    PutU16(node->data() + 2, 0);
    NodeView v{node->data(), d.hdr.recSize};
    const unsigned n = v.Count();
    bool sound = n <= d.hdr.keysPerPage;
    if (sound && !v.Leaf()) {
        sound = 4 + std::size_t(n) * d.hdr.recSize + 4 <= kPageSize;
        std::uint32_t highest = 0;
        for (unsigned i = 0; sound && i <= n; ++i) {
            sound = v.Child(i) >= 1;
            highest = std::max(highest, v.Child(i));
        }
        sound = sound && (highest < d.hdr.pageCount || GrownBeyond(d, highest));
    }
    if (!sound) {
        Damaged(d, "Beschädigter Knoten", page);
        return nullptr;
    }
    // A leaf that loses its last entry leaves the tree: only an empty
    // tree's root is a leaf without entries.
    if (n == 0 && v.Leaf() && page != d.hdr.root) {
        Damaged(d, "Leerer Knoten", page);
        return nullptr;
    }
    // Stored first: the copy brings the node near, where the keys are
    // read fastest; a node refused leaves the cache with the rest.
    d.cache.Store(page, *node);
    if (d.foldedKeys && !KeysFolded(d, v)) {
        d.cache.Clear();
        SetError(222, "Schlüssel nicht in Kleinschrift (Knoten " + std::to_string(page) +
                          "), von einem anderen Programm geschrieben: Index neu aufbauen" + NodeContext(d));
        Unfit(d);
        return nullptr;
    }
    return node;
}

bool ReadNode(Descriptor& d, std::uint32_t page, Page& out)
{
    const Page* node = FetchNode(d, page, out, false);
    if (node && node != &out)
        out = *node;
    return node != nullptr;
}

void Unfit(Descriptor& d)
{
    if (d.refusal != 0)
        return;
    d.refusal = EngineErrorCode;
    d.refusalText = LastErrorText();
}

void Misfit(Descriptor& d, const std::string& what, const std::string& operation)
{
    SetError(212, "Index " + d.path + " passt nicht zur Datei: neu aufbauen (REINDEX). " + what + " [" +
                      operation + "]");
    Unfit(d);
}

void OutOfDate(Descriptor& d, const std::string& operation)
{
    d.outOfDate.on = true;
    if (d.refusal != 0)
        return;
    d.refusal = 212;
    d.refusalText = "Index " + d.path + " passt nicht zur Datei: neu aufbauen (REINDEX). Als veraltet markiert "
                    "(beim PACK der Datei, einem nicht beendeten REINDEX oder einer mitten im Schreiben "
                    "abgebrochenen Änderung). [" + operation + "]";
}

namespace {

void OutOfDateWords(const TWorkArea* a, std::uint8_t* words)
{
    const std::uint32_t count = std::uint32_t(std::max(a ? a->recCount : 0, 0));
    PutU32(words, ~count ^ kOutOfDate);
    PutU32(words + 4, count);
}

// Puts the out-of-date mark on d's page 0 (where this program does not
// know it there already); false when it cannot be written.
bool WriteMark(const TWorkArea* a, Descriptor& d)
{
    if (d.outOfDate.on)
        return true;
    std::uint8_t words[8];
    OutOfDateWords(a, words);
    return !d.file.ReadOnly() && d.file.WriteAt(488, words, 8);
}

} // namespace

void LeftOutOfDate(const TWorkArea& a, Descriptor& d, const std::string& operation)
{
    (void)WriteMark(&a, d); // unfit here all the same
    d.cache.Clear();
    d.Unposition();
    OutOfDate(d, operation);
}

void ChangeLeftOutOfDate(Descriptor& d)
{
    if (d.outOfDate.on || d.trial.on)
        return;
    const std::string cause = LastErrorText();
    const bool marked = WriteMark(Area(d.area), d);
    d.cache.Clear();
    d.Unposition();
    d.outOfDate.on = true;
    if (d.refusal != 0)
        return;
    d.refusal = 212;
    d.refusalText = "Index " + d.path + " passt nicht zur Datei: neu aufbauen (REINDEX). Eine Änderung brach "
                    "mitten im Schreiben ab: " + cause;
    if (!marked)
        d.refusalText += " Auch die Markierung als veraltet ließ sich nicht schreiben: die Datei kann auf "
                         "einem älteren Stand sein, ohne dass andere Programme es erkennen.";
}

// PACK holds the table alone while it marks: no other program has its
// indexes open, so the mark needs no semaphore.
bool MarkOutOfDate(bool on)
{
    const TWorkArea* a = Current();
    AreaIndexes& s = CurrentState();
    for (int i = 1; i <= kMaxOrders; ++i) {
        Descriptor* d = s.slots[std::size_t(i)].get();
        if (!d || d->outOfDate.ours == on)
            continue;
        std::uint8_t words[8];
        if (on) {
            OutOfDateWords(a, words);
            if (d->file.ReadAt(488, d->outOfDate.words, 8) != 8) {
                SetError(IoCode(d->file, 100), "Fehler beim Lesen der Index-Datei:  " + d->path + " [Pack]");
                MarkOutOfDate(false);
                return false;
            }
        } else {
            std::memcpy(words, d->outOfDate.words, 8);
        }
        if (!d->file.WriteAt(488, words, 8)) {
            SetError(IoCode(d->file, 101), "Fehler beim Schreiben der Index-Datei:  " + d->path + " [Pack]");
            if (on)
                MarkOutOfDate(false);
            return false;
        }
        if (on) {
            d->outOfDate.ours = true;
            d->outOfDate.refusal = d->refusal;
            d->outOfDate.refusalText = d->refusalText;
            d->cache.Clear();
            d->Unposition();
            OutOfDate(*d, "Pack");
        } else {
            d->outOfDate.on = d->outOfDate.ours = false;
            d->refusal = d->outOfDate.refusal;
            d->refusalText = d->outOfDate.refusalText;
        }
    }
    return true;
}

bool Refused(const Descriptor& d)
{
    if (d.refusal == 0)
        return false;
    SetError(d.refusal, d.refusalText);
    return true;
}

void BeginTrial(Descriptor& d)
{
    d.trial.on = true;
    d.trial.hdr = d.hdr;
    d.trial.anchorModified = d.anchorModified;
    d.unwritten.clear();
}

void DropTrial(Descriptor& d)
{
    d.trial.on = false;
    d.unwritten.clear();
    d.hdr = d.trial.hdr;
    d.anchorModified = d.trial.anchorModified;
    d.Unposition();
}

bool WriteNode(Descriptor& d, std::uint32_t page, const Page& node)
{
    if (Refused(d))
        return false;
    if (d.trial.on) {
        // Out of the cache, whose copy is the file's.
        d.cache.Forget(page);
        for (auto& [number, kept] : d.unwritten)
            if (number == page) {
                kept = node;
                return true;
            }
        d.unwritten.emplace_back(page, node);
        return true;
    }
    d.run.count = 0;
    ++d.changes;
    const bool referenced = page < d.change.newFrom;
    if (!d.file.WriteAt(std::int64_t(page) * kPageSize, node.data(), kPageSize)) {
        d.change.landed = d.change.landed || (referenced && d.file.WriteMayHaveLanded());
        SetError(IoCode(d.file, 101), "Fehler beim Schreiben der Index-Datei: " + d.path +
                                          " [SeekAndWrite]");
        d.cache.Clear();
        return false;
    }
    d.change.landed = d.change.landed || referenced;
    d.cache.Store(page, node);
    return true;
}

bool WriteAnchor(Descriptor& d)
{
    if (Refused(d))
        return false;
    if (d.trial.on)
        return true; // still modified when dropped
    TWorkArea* a = Area(d.area);
    if (a && a->Shared()) {
        // Another program may have marked the index since its headers were
        // read (under the semaphore held now): the mark stays.
        std::uint8_t words[8];
        if (d.file.ReadAt(488, words, 8) == 8 && MarkedOutOfDate(words)) {
            OutOfDate(d, "WriteAnchorNode");
            Refused(d);
            return false;
        }
    }
    Page page;
    ComposeAnchor(d.hdr, d.expression, a ? a->recCount : 0, a ? a->fileName : std::string(),
                  a && a->oem, page);
    if (a)
        CountWords(*a, d, page.data() + 488);
    if (!d.file.WriteAt(0, page.data(), kPageSize)) {
        d.change.landed = d.change.landed || d.file.WriteMayHaveLanded();
        SetError(IoCode(d.file, 101), "Fehler beim Schreiben der Index-Datei:  " + d.path +
                                          " [WriteAnchorNode]");
        return false;
    }
    d.change.landed = true;
    d.anchorModified = false;
    return true;
}

bool UpToCount(const TWorkArea& a, const Descriptor& d)
{
    return d.keptCount >= 0 && (a.Shared() ? d.keptCount <= a.recCount : d.keptCount == a.recCount);
}

void CountWords(const TWorkArea& a, const Descriptor& d, std::uint8_t* words)
{
    const std::int64_t count = UpToCount(a, d) ? std::max(a.recCount, 0) : d.keptCount;
    PutU32(words, count >= 0 ? ~std::uint32_t(count) : 0);
    PutU32(words + 4, count >= 0 ? std::uint32_t(count) : 0);
}

void CountAppend(const TWorkArea& a, Descriptor& d, std::int32_t rec, bool ok)
{
    d.changed = true;
    const bool next = rec == d.keptCount + 1 || (a.Shared() && rec > d.keptCount);
    d.keptCount = ok && d.keptCount >= 0 && next ? rec : -1;
}

bool ReadAnchorNodes(AreaIndexes& s)
{
    for (int i = 1; i <= kMaxOrders; ++i) {
        Descriptor* d = s.slots[std::size_t(i)].get();
        if (!d)
            continue;
        d->Unposition();
        d->cache.Clear();
        ++d->changes;
        std::uint8_t head[496]; // the header .. the record count words
        if (d->file.ReadAt(0, head, sizeof head) != std::int64_t(sizeof head)) {
            SetError(IoCode(d->file, 100),
                     "Fehler beim Lesen der Index-Datei:  " + d->path + " [ReadAnchorNodes]");
            return false;
        }
        NdxHeader h = ParseHeader(head);
        std::string why;
        if (h.keyLen != d->hdr.keyLen)
            why = "Schlüssellänge " + std::to_string(h.keyLen) + " statt " + std::to_string(d->hdr.keyLen);
        else if (h.recSize != d->hdr.recSize)
            why = "Eintragslänge " + std::to_string(h.recSize) + " statt " + std::to_string(d->hdr.recSize);
        if (!why.empty() || !ValidateHeader(h, d->keyMaker ? 'C' : d->type, -1, why)) {
            SetError(222, HeaderFault(d->path, why) + " [ReadAnchorNodes]");
            Unfit(*d);
            return false;
        }
        d->hdr = h;
        if (MarkedOutOfDate(head + 488))
            OutOfDate(*d, "ReadAnchorNodes");
    }
    return true;
}

} // namespace kt4::dbase::ndx
