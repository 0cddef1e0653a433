// Key-order navigation, Find and key maintenance: the operations behind
// the engine's IndexHooks. Every index keeps its current key and record in
// its descriptor; its path into the tree is only a way back to them and is
// dropped whenever another program changed the index.
#include "dbase/engine/engine_files.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/internal.h"
#include "dbase/ndx/ndx_internal.h"
#include "dbase/engine/navigation.h"

#include <chrono>
#include <thread>

namespace kt4::dbase {

bool IndexFound = false;
bool IndexExact = false;

namespace ndx {
namespace {

std::string Quoted(const std::string& key)
{
    return "\"" + key + "\"";
}

// Clears naturalOrder for the time of a maintenance step.
class WithoutNaturalOrder {
public:
    explicit WithoutNaturalOrder(AreaIndexes& s) : s_(s), saved_(s.naturalOrder)
    {
        s.naturalOrder = false;
    }
    ~WithoutNaturalOrder() { s_.naturalOrder = saved_; }

private:
    AreaIndexes& s_;
    bool saved_;
};

bool EntryIs(Descriptor& d, const std::string& key, std::int32_t rec)
{
    if (!OnEntry(d))
        return false;
    NodeView v = LeafView(d);
    const unsigned i = d.trail.back().index;
    return std::int32_t(v.Rec(i)) == rec && std::memcmp(v.Key(i), key.data(), d.hdr.keyLen) == 0;
}

bool KeyPresent(Descriptor& d, const std::string& key)
{
    bool atEnd = false;
    if (!Seek(d, key, false, atEnd) || atEnd)
        return false;
    return std::memcmp(LeafView(d).Key(d.trail.back().index), key.data(), d.hdr.keyLen) == 0;
}

// True when the index holds the key searched for in the form this program
// wrote while the table's page passed some of its characters as others
// (formerBase): an entry under it whose record's key is another now. Such
// an index is to be built again, not to answer "not found". Moves the index
// and the area's record.
bool HeldInFormerForm(TWorkArea& a, Descriptor& d, const std::string& key, std::size_t compareLen)
{
    const TableCodePage& page = a.TextPage();
    if (!page.moved || !d.CharKey())
        return false;
    const std::uint8_t flip = d.descending ? 0xFF : 0;
    std::string former = key;
    for (std::size_t i = 0; i < compareLen && i < former.size(); ++i)
        former[i] = char(page.formerBase[std::uint8_t(former[i]) ^ flip] ^ flip);
    bool atEnd = false;
    if (former == key || !Seek(d, former, false, atEnd))
        return false;
    // the same bytes are the key of other characters now: only an entry
    // that is not its record's key tells
    while (!atEnd) {
        const NodeView v = LeafView(d);
        const unsigned i = d.trail.back().index;
        if (CompareKeys(d, v.Key(i), reinterpret_cast<const std::uint8_t*>(former.data()), compareLen) != 0)
            return false;
        const std::int32_t rec = std::int32_t(v.Rec(i));
        const std::string entry(reinterpret_cast<const char*>(v.Key(i)), d.hdr.keyLen);
        if (rec >= 1 && rec <= a.recCount && GetDbfRecord(a, rec)) {
            RecordToBuffer(a);
            if (RecordKey(a, d) != entry)
                return true;
        }
        if (!StepNext(d, atEnd))
            return false;
    }
    return false;
}

// Reads the record the entry d stands on names into the area; false with
// misfit set when it names no record of the table (in a shared area after
// the count was read again: another program may have appended it), false
// alone after a read error.
bool ReadNamedRecord(TWorkArea& a, Descriptor& d, std::string& misfit)
{
    const std::int32_t rec = d.curRec;
    if ((rec < 1 || rec > a.recCount) && a.Shared())
        RefreshRecCount(a);
    if (rec < 1 || rec > a.recCount) {
        misfit = "Eintrag nennt Datensatz Nr. " + std::to_string(rec) + ", Datenbank \"" + a.fileName +
                 "\" hat " + std::to_string(a.recCount) + " Datensätze.";
        return false;
    }
    if (!GetDbfRecord(a, rec))
        return false;
    RecordToBuffer(a);
    return true;
}

// Whether the record read for the entry d stands on has the entry's key;
// else what tells the difference. In a shared area the record is read once
// more first (another program may be changing it).
bool KeyOfRecordIsEntrys(TWorkArea& a, Descriptor& d, std::string& misfit)
{
    const auto* entry = reinterpret_cast<const std::uint8_t*>(d.curKey.data());
    std::string key = RecordKey(a, d);
    if (CompareKeys(d, reinterpret_cast<const std::uint8_t*>(key.data()), entry, d.hdr.keyLen) == 0)
        return true;
    if (a.Shared() && GetDbfRecord(a, d.curRec)) {
        RecordToBuffer(a);
        key = RecordKey(a, d);
        if (CompareKeys(d, reinterpret_cast<const std::uint8_t*>(key.data()), entry, d.hdr.keyLen) == 0)
            return true;
    }
    misfit = "Eintrag mit Schlüssel " + Quoted(KeyText(a, d, d.curKey)) + " nennt Datensatz Nr. " +
             std::to_string(d.curRec) + " mit Schlüssel " + Quoted(KeyText(a, d, key)) + ".";
    return false;
}

// Steps back from the position of d by back entries (to the entry before
// where a search for key landed); when there is such an entry, its record
// must hold its key, and the key must lie below the key sought (else the
// tree above led the search past it: a separator lowered), else misfit
// tells the difference. False after a read error.
bool CheckEntryBefore(TWorkArea& a, Descriptor& d, int back, const std::string& key, std::size_t compareLen,
                      std::string& misfit)
{
    bool begin = false;
    for (int i = 0; i < back; ++i) {
        if (!StepPrior(d, begin))
            return false;
        if (begin)
            return true; // none before
    }
    TakeEntry(d);
    if (!ReadNamedRecord(a, d, misfit))
        return !misfit.empty();
    if (KeyOfRecordIsEntrys(a, d, misfit) &&
        CompareKeys(d, reinterpret_cast<const std::uint8_t*>(d.curKey.data()),
                    reinterpret_cast<const std::uint8_t*>(key.data()), compareLen) == 0)
        misfit = "Eintrag mit Schlüssel " + Quoted(KeyText(a, d, d.curKey)) + " (Datensatz Nr. " +
                 std::to_string(d.curRec) + ") steht vor der Stelle, an die die Knoten die Suche führen.";
    return true;
}

// Positions d on the entry of (key, rec); a UNIQUE index accepts the key's
// one entry. The search for the newest record starts at the key's end.
bool Position(Descriptor& d, const std::string& key, std::int32_t rec, bool newest, bool& found)
{
    found = false;
    if (EntryIs(d, key, rec)) {
        found = true;
        return true;
    }
    if (newest) {
        bool atEnd = false, begin = false;
        if (!Seek(d, key, true, atEnd) || !StepPrior(d, begin))
            return false;
        if (!begin && EntryIs(d, key, rec)) {
            found = true;
            return true;
        }
    }
    if (!Locate(d, key, rec, found))
        return false;
    if (!found && d.hdr.unique && KeyPresent(d, key))
        found = true;
    return true;
}

// The controlling index stands on its current key and record again.
bool Reestablish(Descriptor& d, const char* tag)
{
    if (EntryIs(d, d.curKey, d.curRec))
        return true;
    bool found = false;
    if (!Position(d, d.curKey, d.curRec, false, found))
        return false;
    if (found)
        return true;
    SetError(254, "Datensatz Nr. " + std::to_string(d.curRec) + " nicht im Index gefunden. " +
                      d.path + " [" + tag + "]");
    bool atEnd = false;
    if (!Seek(d, d.curKey, false, atEnd))
        return false;
    return !atEnd;
}

// Steps from the controlling index's current key and record. A record that
// a UNIQUE index leaves out (another record holds its key, or none does)
// stands at its key's place: the step goes to the first entry above its key
// or the last one below it.
bool StepOn(Descriptor& d, bool forward, bool& edge)
{
    edge = false;
    if (d.hdr.unique && !EntryIs(d, d.curKey, d.curRec)) {
        bool found = false;
        if (!Locate(d, d.curKey, d.curRec, found))
            return false;
        if (!found) {
            bool atEnd = false;
            if (!Seek(d, d.curKey, forward, atEnd))
                return false;
            if (forward) {
                edge = atEnd;
                return true;
            }
            return StepPrior(d, edge);
        }
    } else if (!Reestablish(d, forward ? "_FindNextRec" : "_FindPriorRec")) {
        return false;
    }
    return forward ? StepNext(d, edge) : StepPrior(d, edge);
}

// A whole walk met a record twice (254).
void RecordTwice(Descriptor& d, std::int32_t rec, const char* operation)
{
    SetError(254, "Datensatz Nr. " + std::to_string(rec) + " zweimal im Index " + d.path + " [" + operation + "]");
    Unfit(d);
}

// What a whole walk found wrong with the tree (254) makes the index unfit
// for changes; a read that failed does not.
void WalkFault(Descriptor& d)
{
    if (EngineErrorCode == 254)
        Unfit(d);
}

// A whole walk met an entry naming no record of the table (212).
void StrayMet(TWorkArea& a, Descriptor& d, std::int32_t rec, const char* operation)
{
    if ((rec >= 1 && rec <= a.recCount) || EngineErrorCode != 0)
        return;
    detail::StrayIndexEntry(a, rec, operation);
    Unfit(d);
}

// Whether a walk over the whole index met fewer entries than the table has
// records (a UNIQUE index may hold fewer).
bool Short(const TWorkArea& a, const Descriptor& d, const WalkTally& tally)
{
    return !d.hdr.unique && tally.Entries() < a.recCount;
}

// After a walk over the whole index: a non-UNIQUE index holds every record
// of the table, else error 212.
bool EveryRecordMet(const TWorkArea& a, Descriptor& d, const WalkTally& tally, const char* operation)
{
    const std::int64_t entries = tally.Entries();
    if (!Short(a, d, tally))
        return true;
    SetError(212, "Index " + d.path + " hat " + std::to_string(entries) + " Einträge, Datenbank \"" +
                      a.fileName + "\" hat " + std::to_string(a.recCount) +
                      " Datensätze: Index veraltet oder beschädigt, neu aufbauen (REINDEX) [" + operation + "]");
    Unfit(d);
    return false;
}

// A walk over the whole index by steps starts on its first or last key.
void BeginWalk(const TWorkArea& a, Descriptor& d, bool forward)
{
    d.walk.on = true;
    d.walk.forward = forward;
    d.walk.changes = d.changes;
    d.walk.rec = d.walk.first = d.curRec;
    d.walk.tally.Start(a.recCount); // its memory only once it steps
}

// The walk steps on (to rec, or past its end when rec is 0): false when it
// met rec before.
bool WalkOn(Descriptor& d, std::int32_t rec)
{
    if (d.walk.first != 0) {
        d.walk.tally.Take(d.walk.first);
        d.walk.first = 0;
    }
    return rec == 0 || d.walk.tally.Take(rec);
}

// From this many records on, the bits a walk keeps per record (a quarter of
// a byte) outgrow a processor's second-level cache.
constexpr std::uint32_t kFarRecords = 1u << 22;

// A walk over the whole index in one pass over its leaves: the tally
// (started for the table's count) takes every entry, and records, when
// given, the records it does not leave out, in key order. False, with the
// error set, at an entry naming no record, a record met twice or a node
// that cannot be read (the index unfit where it is damaged).
bool WalkWhole(TWorkArea& a, Descriptor& d, WalkTally& tally, std::vector<std::int32_t>* records,
               const char* operation)
{
    const std::uint32_t last = std::uint32_t(std::max(a.recCount, 0)); // records 1..last
    const bool farBits = last >= kFarRecords;
    const bool ok = WalkLeaves(d, [&](const NodeView& leaf) {
        // Collected in a block of locals, which nothing else can change (a
        // leaf holds 42 entries at most).
        std::int32_t taken[64];
        std::size_t m = 0;
        const std::uint8_t* entry = leaf.Entry(0) + 4;
        const std::uint32_t step = leaf.recSize;
        std::uint64_t* const pairs = tally.Pairs();
        const unsigned n = leaf.Count();
        tally.Count(n);
        // The records' bits lie anywhere: where they outgrow the processor's
        // nearer caches, they are asked for all at once, to come from
        // memory side by side.
        if (farBits)
            for (unsigned i = 0; i < n; ++i)
                __builtin_prefetch(pairs + 2 * (std::min(GetU32(entry + std::size_t(i) * step), last) / 64), 1);
        for (unsigned i = 0; i < n; ++i, entry += step) {
            const std::uint32_t rec = GetU32(entry);
            if (rec - 1 >= last) {
                StrayMet(a, d, std::int32_t(rec), operation);
                return false;
            }
            // The record met, and whether it is one to leave out.
            std::uint64_t* pair = pairs + 2 * (rec / 64);
            const std::uint64_t bit = std::uint64_t{1} << (rec % 64);
            if (!WalkTally::Meet(pair, bit)) {
                RecordTwice(d, std::int32_t(rec), operation);
                return false;
            }
            if ((pair[0] & bit) == 0)
                taken[m++] = std::int32_t(rec);
        }
        if (records)
            records->insert(records->end(), taken, taken + m);
        return true;
    });
    if (!ok)
        WalkFault(d);
    return ok;
}

// Lets writers in for ms: the read section that the operation under way
// entered is left and entered again. 0 when it is held further out, or the
// writer's section is (nothing comes in then); -1, with the error set, when
// it cannot be entered again (the operation's end then leaves nothing).
int PauseReading(int ms)
{
    AreaIndexes& s = CurrentState();
    if (s.readNesting > 1 || s.lockNesting > 0)
        return 0;
    const bool inside = s.readNesting == 1;
    bool ok = true;
    {
        // reported once the section's count is right again
        QuietErrors quiet;
        if (inside)
            ok = SetReadSemaphoreProc(false);
        if (ok) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            EngineIdle();
            ok = !inside || SetReadSemaphoreProc(true);
        }
        if (!ok)
            s.readNesting = 1; // left uncounted
    }
    if (!ok)
        SetError(EngineErrorCode ? EngineErrorCode : 1202, LastErrorText());
    return ok ? 1 : -1;
}

// After a walk over the whole index: every record met, else 212. In a
// shared area another program may write its record (and the table's count)
// before it takes the semaphore to add the key: a shortfall counts only
// when it is still there after the index has been walked again, with
// pauses that let writers in, for 0.1 s. The walks again fill records.
bool EveryRecordMetAgain(TWorkArea& a, Descriptor& d, WalkTally& tally, std::span<const std::uint64_t> leaveOut,
                         std::vector<std::int32_t>* records, const char* operation)
{
    for (int pause = 0; pause < 10 && Short(a, d, tally) && a.Shared(); ++pause) {
        const int paused = PauseReading(10);
        if (paused < 0)
            return false;
        if (paused == 0)
            break;
        RefreshRecCount(a);
        CheckIndexChanged();
        tally.Start(a.recCount, leaveOut);
        if (records)
            records->clear();
        if (!WalkWhole(a, d, tally, records, operation))
            return false;
    }
    return EveryRecordMet(a, d, tally, operation);
}

// After another program changed the index: the current record's key as it
// is in the file now.
bool SoftSync(TWorkArea& a, Descriptor& d)
{
    RefreshRecCount(a);
    if (a.recNo < 1 || a.recNo > a.recCount) {
        d.eof = true;
        d.Unposition();
        return true;
    }
    if (!GetDbfRecord(a, a.recNo))
        return false;
    RecordToBuffer(a);
    const std::string key = RecordKey(a, d);
    bool found = false;
    if (!Position(d, key, a.recNo, false, found))
        return false;
    d.curKey = key;
    d.curRec = a.recNo;
    if (!found && !d.hdr.unique) {
        SetError(212, "Datensatz mit Schlüssel: " + Quoted(KeyText(a, d, key)) +
                          " nicht im Index: " + d.path + ". [SoftSyncIndex]");
        return false;
    }
    return true;
}

void Changed(TWorkArea& a, AreaIndexes& s, Descriptor& d)
{
    if (CheckIndexChanged() && !s.naturalOrder)
        SoftSync(a, d);
}

bool SyncOne(TWorkArea& a, AreaIndexes& s, Descriptor& d, bool controlling)
{
    if (a.recNo < 1 || a.recNo > a.recCount) {
        if (controlling && !s.naturalOrder) {
            d.eof = true;
            d.Unposition();
        } else {
            bool empty = false;
            if (GoLast(d, empty) && !empty)
                TakeEntry(d);
        }
        return true;
    }
    const std::string key = RecordKey(a, d);
    d.curKey = key;
    d.curRec = a.recNo;
    if (!controlling) {
        d.bof = d.eof = false;
        return true;
    }
    CheckIndexChanged();
    bool found = false;
    if (!Position(d, key, a.recNo, false, found))
        return false;
    if (!found && !d.hdr.unique) {
        if (KeyPresent(d, key))
            SetError(212, "Datensatz mit Schlüssel: " + Quoted(KeyText(a, d, key)) +
                              " nicht im Index: " + d.path + ". [SyncIndex-2]");
        else
            SetError(212, "Schlüssel: " + Quoted(KeyText(a, d, key)) + " nicht im Index: " + d.path +
                              ". [SyncIndex-1] Record: " + std::to_string(a.recNo));
        // A record the index lacks: damaged or stale. In a shared area it
        // may be another program's append that adds its keys after it.
        if (!a.Shared())
            Unfit(d);
        return false;
    }
    d.bof = d.eof = false;
    return true;
}

void SyncIndex(bool all)
{
    TWorkArea* a = Current();
    AreaIndexes& s = CurrentState();
    if (!a || !s.slots[1])
        return;
    WithoutNaturalOrder natural(s);
    for (int i = 1; i <= (all ? kMaxOrders : 1); ++i)
        if (Descriptor* d = s.slots[std::size_t(i)].get())
            if (!SyncOne(*a, s, *d, i == 1))
                return;
}

// ---- Hooks ----

bool HookActive()
{
    return AnyOpen(CurrentState());
}

void HookSyncControlling()
{
    SyncIndex(false);
}

void HookSyncAll()
{
    SyncIndex(true);
}

std::int32_t FirstOrLast(bool first)
{
    IndexFound = false;
    TWorkArea* a = Current();
    AreaIndexes& s = CurrentState();
    Descriptor* d = s.slots[1].get();
    if (!a || !d) {
        SetError(221, "Index nicht geöffnet. (DBF=" + (a ? a->fileName : std::string()) +
                          ") [_FindFirst/LastRec]");
        return a ? a->recCount + 1 : 0;
    }
    RefreshRecCount(*a);
    if (s.naturalOrder) {
        IndexFound = a->recCount > 0;
        return first ? 1 : std::max(1, a->recCount);
    }
    CheckIndexChanged();
    bool empty = false;
    if (!(first ? GoFirst(*d, empty) : GoLast(*d, empty)))
        return a->recCount + 1;
    if (empty) {
        d->bof = d->eof = true;
        return a->recCount + 1;
    }
    d->bof = d->eof = false;
    TakeEntry(*d);
    BeginWalk(*a, *d, first);
    StrayMet(*a, *d, d->curRec, first ? "GoTop" : "GoBottom");
    IndexFound = true;
    return d->curRec;
}

std::int32_t HookFirst()
{
    return FirstOrLast(true);
}

std::int32_t HookLast()
{
    return FirstOrLast(false);
}

std::int32_t Step(bool forward)
{
    IndexFound = false;
    TWorkArea* a = Current();
    AreaIndexes& s = CurrentState();
    Descriptor* d = s.slots[1].get();
    if (!a || !d)
        return a ? a->recCount + 1 : 0;
    RefreshRecCount(*a);
    Changed(*a, s, *d);
    if (a->recCount == 0) {
        d->bof = d->eof = true;
        return a->recCount + 1;
    }
    if (s.naturalOrder) {
        if (forward && a->recNo < a->recCount)
            return a->recNo + 1;
        if (!forward && a->recNo > 1)
            return std::min(a->recNo, a->recCount + 1) - 1;
        (forward ? a->eof : a->bof) = true;
        return a->recNo;
    }
    if (forward)
        d->bof = false;
    // Whether this step goes on with a walk over the whole index.
    const bool walking = d->walk.on && d->walk.forward == forward && d->walk.changes == d->changes &&
                         d->walk.rec == d->curRec;
    d->walk.on = false;
    if (d->eof) {
        bool empty = false;
        if (!GoLast(*d, empty) || empty)
            return a->recCount + 1;
        TakeEntry(*d);
        if (forward)
            return d->curRec;
        d->eof = false;
        BeginWalk(*a, *d, false);
        StrayMet(*a, *d, d->curRec, "GoBottom");
        IndexFound = true;
        return d->curRec;
    }
    if (!forward && d->bof)
        return d->curRec;
    d->eof = false;
    const char* tag = forward ? "_FindNextRec" : "_FindPriorRec";
    bool edge = false;
    if (!StepOn(*d, forward, edge)) {
        if (walking)
            WalkFault(*d);
        return forward ? a->recCount + 1 : 0;
    }
    if (edge) {
        (forward ? d->eof : d->bof) = true;
        if (walking && WalkOn(*d, 0))
            EveryRecordMetAgain(*a, *d, d->walk.tally, {}, nullptr, tag);
        return d->curRec;
    }
    TakeEntry(*d);
    if (walking) {
        if (!WalkOn(*d, d->curRec)) {
            RecordTwice(*d, d->curRec, tag);
            return forward ? a->recCount + 1 : 0;
        }
        d->walk.on = true;
        d->walk.rec = d->curRec;
        StrayMet(*a, *d, d->curRec, tag);
    }
    IndexFound = true;
    return d->curRec;
}

std::int32_t HookNext()
{
    return Step(true);
}

std::int32_t HookPrior()
{
    return Step(false);
}

bool HookEof()
{
    AreaIndexes& s = CurrentState();
    TWorkArea* a = Current();
    if (s.naturalOrder || !s.slots[1])
        return a && a->eof;
    return s.slots[1]->eof;
}

bool HookBof()
{
    AreaIndexes& s = CurrentState();
    TWorkArea* a = Current();
    if (s.naturalOrder || !s.slots[1])
        return a && a->bof;
    return s.slots[1]->bof;
}

void HookSetBof()
{
    if (Descriptor* d = Controlling())
        d->bof = true;
}

void HookSetEof()
{
    if (Descriptor* d = Controlling())
        d->eof = true;
}

void HookCopyKeys()
{
    TWorkArea* a = Current();
    AreaIndexes& s = CurrentState();
    if (!a)
        return;
    const bool onRecord = a->recNo >= 1 && a->recNo <= a->recCount;
    for (int i = 1; i <= kMaxOrders; ++i) {
        Descriptor* d = s.slots[std::size_t(i)].get();
        if (!d)
            continue;
        d->curKey = onRecord ? RecordKey(*a, *d) : BlankKey(*d);
        d->curRec = onRecord ? a->recNo : 0;
    }
}

// Takes the keys of record rec back out of the indexes in slots 1..last
// that took them (keys[i] empty: nothing taken); a key not found there is
// damage (254), reported when report. An index that cannot give its key
// back keeps an entry the record does not have: it is out of date.
void TakeBack(AreaIndexes& s, const std::string* keys, int last, std::int32_t rec, bool report)
{
    for (int j = last; j >= 1; --j) {
        Descriptor* dj = s.slots[std::size_t(j)].get();
        int result = 0;
        if (!dj || keys[j].empty())
            continue;
        if (!RemoveKey(*dj, keys[j], rec, result)) {
            ChangeLeftOutOfDate(*dj);
        } else if (result < 0 && report) {
            SetError(254, "Index-Datei beschädigt. " + dj->path + " [AppendNewKey]");
            Unfit(*dj);
        }
    }
}

bool HookAppendNewKey(KeyStep step)
{
    TWorkArea* a = Current();
    AreaIndexes& s = CurrentState();
    if (!a)
        return false;
    if (step == KeyStep::After) {
        // The record is written: every index takes its key as the current
        // one, and the controlling index stands on it.
        for (auto& d : s.slots)
            if (d) {
                d->curKey = std::move(d->pendingKey);
                d->curRec = a->recNo;
            }
        if (Descriptor* d = s.slots[1].get()) {
            bool found = false;
            if (!s.naturalOrder && Position(*d, d->curKey, a->recNo, true, found) && found)
                d->bof = d->eof = false;
        }
        return EngineErrorCode == 0;
    }
    // Before the record is written it will be number count + 1.
    const std::int32_t rec = a->recCount + 1;
    WithoutNaturalOrder natural(s);
    std::string keys[kMaxOrders + 1];
    if (step == KeyStep::Undo) {
        for (int i = 1; i <= kMaxOrders; ++i)
            if (Descriptor* d = s.slots[std::size_t(i)].get()) {
                keys[i] = std::move(d->pendingKey);
                CountAppend(*a, *d, rec, false);
            }
        QuietErrors quiet;
        const std::uint16_t code = EngineErrorCode;
        const std::string text = LastErrorText();
        TakeBack(s, keys, kMaxOrders, rec, false);
        SetErrorSilent(code, text);
        return true;
    }
    CheckIndexChanged();
    for (int i = 1; i <= kMaxOrders; ++i) {
        Descriptor* d = s.slots[std::size_t(i)].get();
        if (!d)
            continue;
        const std::string key = RecordKey(*a, *d);
        if (InsertKey(*d, key, rec, true)) {
            keys[i] = d->pendingKey = key;
            CountAppend(*a, *d, rec, true);
            continue;
        }
        // Take the new record out of the indexes that got it; none of them
        // holds every record now.
        const std::uint16_t code = EngineErrorCode;
        const std::string text = LastErrorText();
        for (auto& slot : s.slots)
            if (slot)
                CountAppend(*a, *slot, rec, false);
        TakeBack(s, keys, i - 1, rec, true);
        SetError(code, text);
        return false;
    }
    return true;
}

// Key maintenance of a REPLACE: the indexes whose key of the record
// changes get the new entry before the record is written, and lose the
// old one after; when the record was not written (Undo), they lose the new
// one again. A UNIQUE index that holds the new key for another record
// takes none, one that holds the new entry already (a change tried again
// after a failed write) takes no second, and one that does not hold the
// old key for this record has none to remove.
bool HookCompareKeys(KeyStep step)
{
    TWorkArea* a = Current();
    AreaIndexes& s = CurrentState();
    if (!a)
        return false;
    const std::int32_t rec = a->recNo;
    WithoutNaturalOrder natural(s);
    std::string keys[kMaxOrders + 1]; // the new keys of the indexes that change
    if (step == KeyStep::Before) {
        for (int i = 1; i <= kMaxOrders; ++i)
            if (Descriptor* d = s.slots[std::size_t(i)].get()) {
                if (std::string key = RecordKey(*a, *d); key != d->curKey)
                    keys[i] = std::move(key);
                d->pendingKey = keys[i];
            }
        CheckIndexChanged();
        for (int i = 1; i <= kMaxOrders; ++i) {
            Descriptor* d = s.slots[std::size_t(i)].get();
            if (!d || keys[i].empty())
                continue;
            d->changed = true;
            if (InsertKey(*d, keys[i], rec, false))
                continue;
            d->keptCount = -1;
            const std::uint16_t code = EngineErrorCode;
            const std::string text = LastErrorText();
            {
                QuietErrors quiet;
                TakeBack(s, keys, i - 1, rec, false);
            }
            SetError(code, text);
            return false;
        }
        return true;
    }
    for (int i = 1; i <= kMaxOrders; ++i)
        if (Descriptor* d = s.slots[std::size_t(i)].get())
            keys[i] = std::move(d->pendingKey);
    if (step == KeyStep::Unknown) {
        // The file holds neither the old record nor the new one: an index
        // whose key changes lists the record under a key it may not have,
        // and a later change could not tell which entry to remove.
        for (int i = 1; i <= kMaxOrders; ++i)
            if (Descriptor* d = s.slots[std::size_t(i)].get(); d && !keys[i].empty())
                ChangeLeftOutOfDate(*d);
        return false;
    }
    if (step == KeyStep::Undo) {
        // The record holds its old keys: the new entries go again (one
        // that cannot stays, as after a crash between the steps).
        QuietErrors quiet;
        TakeBack(s, keys, kMaxOrders, rec, false);
        return true;
    }
    // Every index loses the record's old key, whatever happened to another
    // one; the first failure is reported at the end.
    std::uint16_t code = 0;
    std::string text;
    {
        QuietErrors quiet;
        for (int i = 1; i <= kMaxOrders; ++i) {
            Descriptor* d = s.slots[std::size_t(i)].get();
            if (!d)
                continue;
            if (!keys[i].empty()) {
                EngineErrorCode = 0;
                int result = 0;
                const bool removed = RemoveKey(*d, d->curKey, rec, result);
                if (!removed)
                    ChangeLeftOutOfDate(*d); // the old entry may stay beside the new one
                if (!removed || result < 0) {
                    d->keptCount = -1;
                    if (result < 0 && EngineErrorCode == 0) {
                        // the index lacked the record's entry: damaged or stale
                        SetError(254, "Datensatz Nr. " + std::to_string(rec) + " nicht im Index gefunden. " +
                                          d->path + " [CompareKeys]");
                        Unfit(*d);
                    }
                    if (code == 0) {
                        code = EngineErrorCode ? EngineErrorCode : 254;
                        text = LastErrorText();
                    }
                }
                d->curKey = keys[i];
            }
            d->curRec = rec;
        }
        if (Descriptor* d = s.slots[1].get()) {
            bool found = false;
            EngineErrorCode = 0;
            if (!Position(*d, d->curKey, rec, false, found) && code == 0) {
                code = EngineErrorCode;
                text = LastErrorText();
            }
        }
        EngineErrorCode = 0;
    }
    if (code != 0)
        SetError(code, text);
    return code == 0;
}

// Before the record is written: every node the key changes of the new
// record (append) or of the current one will touch is read and checked, an
// append's by the reads its insertion makes before it writes, a key
// change's by making it with every write held back and dropped. An index
// found unfit for them (212, 222, 254) refuses the change, and nothing is
// written, neither the record nor an index; a read that fails is left to
// the change, which reports it.
bool HookChangeRefused(bool append)
{
    TWorkArea* a = Current();
    AreaIndexes& s = CurrentState();
    if (!a)
        return false;
    WithoutNaturalOrder natural(s);
    CheckIndexChanged();
    const std::int32_t rec = append ? a->recCount + 1 : a->recNo;
    for (int i = 1; i <= kMaxOrders; ++i) {
        Descriptor* d = s.slots[std::size_t(i)].get();
        if (!d)
            continue;
        const std::string key = RecordKey(*a, *d);
        if (!append && key == d->curKey)
            continue;
        std::uint16_t code = 0;
        std::string text;
        {
            QuietErrors quiet; // shown once, by the refusal or the change
            bool ok = false;
            if (append) {
                // an insertion reads all it will read before it writes; a
                // file unfit since an earlier error is refused at once
                bool alreadyThere = false;
                ok = !Refused(*d) && PlaceForInsert(*d, key, rec, true, alreadyThere);
                d->Unposition();
            } else {
                // the insertion may split nodes the removal after it then
                // reads: tried out whole, in the order it is made
                BeginTrial(*d);
                int result = 0;
                ok = InsertKey(*d, key, rec, false) && RemoveKey(*d, d->curKey, rec, result);
                DropTrial(*d);
            }
            if (!ok) {
                code = EngineErrorCode;
                text = LastErrorText();
            }
        }
        if (code == 212 || code == 222 || code == 254) {
            SetError(code, text);
            return true;
        }
        if (code != 0)
            return false;
    }
    return false;
}

bool* HookFound()
{
    return &IndexFound;
}

std::string HookFileName(int slot)
{
    return IndexFileName(slot);
}

std::string SlotKeyText(TWorkArea& a, Descriptor& d)
{
    if (d.keyMaker)
        return d.keyMaker(d.keyData, d.order);
    const bool onRecord = a.recNo >= 1 && a.recNo <= a.recCount;
    return KeyText(a, d, onRecord ? RecordKey(a, d) : BlankKey(d));
}

std::string HookKeyOfSlot(int slot, bool& present)
{
    TWorkArea* a = Current();
    Descriptor* d = InSlot(slot);
    present = a && d;
    return present ? SlotKeyText(*a, *d) : std::string();
}

std::string HookKeyOfOrder(bool& present)
{
    TWorkArea* a = Current();
    AreaIndexes& s = CurrentState();
    present = a && AnyOpen(s);
    if (!present)
        return {};
    if (s.naturalOrder || !s.slots[1]) {
        std::string n = std::to_string(a->recNo);
        return "Rec:" + std::string(n.size() < 10 ? 10 - n.size() : 0, ' ') + n;
    }
    return SlotKeyText(*a, *s.slots[1]);
}

bool HookAscending(int slot)
{
    Descriptor* d = InSlot(slot);
    return !d || !d->descending;
}

bool HookSoundex(int slot)
{
    Descriptor* d = InSlot(slot);
    return d && d->soundex;
}

} // namespace

void FillHooks()
{
    Index.IndexActive = &HookActive;
    Index.SyncControlling = &HookSyncControlling;
    Index.NextRec = &HookNext;
    Index.PriorRec = &HookPrior;
    Index.FirstRec = &HookFirst;
    Index.LastRec = &HookLast;
    Index.IndexEof = &HookEof;
    Index.IndexBof = &HookBof;
    Index.AppendNewKey = &HookAppendNewKey;
    Index.CopyCurrentKey = &HookCopyKeys;
    Index.SyncAll = &HookSyncAll;
    Index.CompareKeys = &HookCompareKeys;
    Index.SetIndexBof = &HookSetBof;
    Index.SetIndexEof = &HookSetEof;
    Index.IndexFound = &HookFound;
    Index.Reindex = &kt4::dbase::Reindex;
    Index.CloseIndexes = &kt4::dbase::CloseIndexes;
    Index.IndexFileName = &HookFileName;
    Index.KeyOfSlot = &HookKeyOfSlot;
    Index.KeyOfOrder = &HookKeyOfOrder;
    Index.Ascending = &HookAscending;
    Index.SoundexSlot = &HookSoundex;
    Index.ReadSemaphore = &SetReadSemaphoreProc;
    Index.LockSemaphore = &SetLockSemaphoreProc;
    Index.ChangeRefused = &HookChangeRefused;
    Index.MarkOutOfDate = &MarkOutOfDate;
}

void SyncAllIndexes()
{
    SyncIndex(true);
}

} // namespace ndx

bool Find(const std::string& given)
{
    using namespace ndx;
    EngineErrorCode = 0;
    IndexFound = false;
    const std::string text = given.substr(0, kMaxKeyLength);
    TWorkArea* a = RequireArea("Find");
    if (!a)
        return false;
    AreaIndexes& s = CurrentState();
    Descriptor* d = s.slots[1].get();
    if (!d) {
        SetError(221, "Index nicht geöffnet. (DBF=" + a->fileName + ") [Find]");
        return false;
    }
    if (s.naturalOrder) {
        SetError(254, "Find() mit Index-Ordnung 0 (natürliche Ordnung) nicht erlaubt [Find]");
        return false;
    }
    if (text.empty())
        return false;
    bool found = false;
    std::string stale;  // the index holds the key in a former form
    std::string misfit; // an entry met names no record, or one of another key
    {
        SemaphoreScope read(false);
        if (!read.Ok())
            return false;
        RefreshRecCount(*a);
        CheckIndexChanged();
        std::string key;
        std::size_t compareLen = 0;
        bool atEnd = true;
        if (a->recCount > 0 && SearchKey(*a, *d, text, IndexExact, key, compareLen)) {
            if (HeldInFormerForm(*a, *d, key, compareLen))
                stale = "Index " + d->path + " hält Schlüssel in der früheren Zeichenzuordnung der Codepage " +
                        std::to_string(a->TextPage().number) + ": Index veraltet, neu aufbauen (REINDEX) [Find]";
            if (!Seek(*d, key, false, atEnd))
                return false;
            // The record landed on must hold the entry's whole key (the
            // search key may be a part of it): a stale or damaged index
            // never moves the area to another key's record.
            int steps = 0; // over hidden records, from where the seek landed
            while (!atEnd) {
                TakeEntry(*d);
                if (!ReadNamedRecord(*a, *d, misfit)) {
                    if (misfit.empty())
                        return false;
                    break;
                }
                if (!RecordHidden(*a)) {
                    KeyOfRecordIsEntrys(*a, *d, misfit);
                    break;
                }
                if (!StepNext(*d, atEnd))
                    return false;
                steps += !atEnd;
            }
            found = misfit.empty() && !atEnd &&
                    CompareKeys(*d, reinterpret_cast<const std::uint8_t*>(d->curKey.data()),
                                reinterpret_cast<const std::uint8_t*>(key.data()), compareLen) == 0;
            // Nothing found: the entry before the landing place may be the
            // key sought, changed downwards in the file. Its record must
            // hold it too (one more record read, for this case only).
            if (!found && misfit.empty() && stale.empty() &&
                !CheckEntryBefore(*a, *d, steps + 1, key, compareLen, misfit))
                return false;
        }
        if (!found) {
            detail::BlankAtEnd(*a, false);
            d->eof = true;
            d->Unposition();
        } else {
            d->bof = d->eof = false;
            a->bof = a->eof = false;
        }
    }
    IndexFound = found;
    detail::RunRelation(*a);
    if (!misfit.empty())
        Misfit(*d, misfit, "Find");
    if (!stale.empty())
        SetError(212, stale);
    return found;
}

bool FindExact(const std::string& text)
{
    const bool saved = IndexExact;
    IndexExact = true;
    const bool found = Find(text);
    IndexExact = saved;
    return found;
}

bool RecordsInKeyOrder(std::vector<std::int32_t>& records, std::span<const std::uint64_t> leaveOut)
{
    using namespace ndx;
    records.clear();
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("RecordsInKeyOrder");
    Descriptor* d = Controlling();
    if (!a || !d)
        return false;
    SemaphoreScope read(false);
    if (!read.Ok())
        return false;
    RefreshRecCount(*a);
    CheckIndexChanged();
    records.reserve(std::size_t(std::max(a->recCount, 0)));
    WalkTally tally;
    tally.Start(a->recCount, leaveOut);
    const bool ok = WalkWhole(*a, *d, tally, &records, "RecordsInKeyOrder") &&
                    EveryRecordMetAgain(*a, *d, tally, leaveOut, &records, "RecordsInKeyOrder");
    d->Unposition();
    if (!ok)
        records.clear();
    return ok;
}

std::string CurrentKeyBytes(int slot)
{
    using namespace ndx;
    TWorkArea* a = Current();
    Descriptor* d = InSlot(slot);
    return a && d ? RecordKey(*a, *d) : std::string();
}

} // namespace kt4::dbase
