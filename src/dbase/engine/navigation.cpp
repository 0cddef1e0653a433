// Positioning: top, bottom, skip, go, visibility and the relation.
#include "dbase/engine/navigation.h"

#include "dbase/engine/errors.h"
#include "dbase/engine/internal.h"
#include "dbase/engine/locking.h"
#include "dbase/engine/runtime.h"

namespace kt4::dbase {

namespace detail {

KeepArea::KeepArea() : saved_(CurrentArea) {}
KeepArea::~KeepArea() { CurrentArea = saved_; }

void BlankAtEnd(TWorkArea& area, bool bofToo)
{
    area.recNo = area.recCount + 1;
    area.eof = true;
    area.bof = bofToo;
    ClearRecordOf(area);
}

void RunRelation(TWorkArea& area)
{
    if (!area.relation)
        return;
    const int number = area.number;
    if (area.relationRunning) {
        SetError(224, area.fileName + " [Relation]");
        return;
    }
    const std::int32_t recNo = area.recNo;
    area.relationRunning = true;
    struct Reset {
        int number;
        ~Reset()
        {
            if (TWorkArea* a = Area(number))
                a->relationRunning = false;
            CurrentArea = number;
        }
    } reset{number};
    RelationProc relation = area.relation;
    relation(number);
    TWorkArea* after = Area(number);
    if (after && after->recNo != recNo)
        SetError(224, after->fileName + " [Relation]");
}

void StrayIndexEntry(TWorkArea& area, std::int32_t recNo, const std::string& operation)
{
    if (EngineErrorCode != 0)
        return;
    SetError(212, "Index " + (Index.IndexFileName ? Index.IndexFileName(1) : std::string()) +
                      " nennt Datensatz Nr. " + std::to_string(recNo) + ", Datenbank \"" + area.fileName +
                      "\" hat " + std::to_string(area.recCount) +
                      " Datensätze: Index veraltet oder beschädigt, neu aufbauen (REINDEX) [" + operation +
                      "]");
}

void FreeConditions(TWorkArea& area)
{
    if (Parser.FreeExpr) {
        if (area.forExpr)
            Parser.FreeExpr(area.forExpr);
        if (area.whileExpr)
            Parser.FreeExpr(area.whileExpr);
    }
    area.forExpr = nullptr;
    area.whileExpr = nullptr;
}

} // namespace detail

using detail::BlankAtEnd;
using detail::RunRelation;

namespace {

bool EvalLogical(TExpr* expr)
{
    if (!expr || !Parser.Evaluate)
        return true;
    const void* r = Parser.Evaluate(expr);
    return r && *static_cast<const std::int32_t*>(r) != 0;
}

bool IndexOn()
{
    return IndexLinked() && Index.IndexActive();
}

// Wraps positioning in the index unit's read semaphore. When the semaphore
// cannot be had, Failed() says so and the caller moves nothing.
class IndexOperation {
public:
    explicit IndexOperation(bool lockKind = false) : lock_(lockKind)
    {
        active_ = IndexOn();
        auto hook = lock_ ? Index.LockSemaphore : Index.ReadSemaphore;
        if (active_ && hook) {
            entered_ = hook(true);
            failed_ = !entered_;
        }
    }
    ~IndexOperation()
    {
        auto hook = lock_ ? Index.LockSemaphore : Index.ReadSemaphore;
        if (entered_ && hook)
            hook(false);
    }
    bool Active() const { return active_; }
    bool Failed() const { return failed_; }

private:
    bool lock_;
    bool active_ = false;
    bool entered_ = false;
    bool failed_ = false;
};

bool ReadRecord(TWorkArea& a, std::int32_t n)
{
    if (!GetDbfRecord(a, n))
        return false;
    RecordToBuffer(a);
    return true;
}

std::string Quoted(const TWorkArea& a)
{
    return "\"" + a.fileName + "\"";
}

// What the key steps below return for an index entry that names no record
// of the table (error 212 set).
constexpr std::int32_t kStrayEntry = INT32_MIN;

// An index entry that names a record beyond the table's count or none at
// all is reported, never taken for the end of the index, which the index's
// own flags tell.
std::int32_t EntryRecord(TWorkArea& a, std::int32_t r, const char* operation)
{
    if (r >= 1 && r <= a.recCount)
        return r;
    detail::StrayIndexEntry(a, r, operation);
    return kStrayEntry;
}

// The first or last key's record; record count + 1 (first) or 0 (last)
// when the index is empty.
std::int32_t EdgeKeyRecord(TWorkArea& a, bool first)
{
    const std::int32_t r = first ? Index.FirstRec() : Index.LastRec();
    if (r >= 1 && r <= a.recCount)
        return r;
    if (Index.IndexEof && Index.IndexEof())
        return first ? a.recCount + 1 : 0;
    return EntryRecord(a, r, first ? "GoTop" : "GoBottom");
}

// The next key's record; record count + 1 at the index's end.
std::int32_t NextKeyRecord(TWorkArea& a, const char* operation)
{
    const std::int32_t r = Index.NextRec();
    if (Index.IndexEof && Index.IndexEof())
        return a.recCount + 1;
    return EntryRecord(a, r, operation);
}

// The previous key's record; 0 at the index's start.
std::int32_t PriorKeyRecord(TWorkArea& a, const char* operation)
{
    const std::int32_t r = Index.PriorRec();
    if (Index.IndexBof && Index.IndexBof())
        return 0;
    return EntryRecord(a, r, operation);
}

// Moves from record r towards the end (Forward) or the start while it is
// hidden; true when a visible one is current, false when that edge was
// reached (blank EOF state then, the index's end or start flag set) or
// after an error.
bool Settle(TWorkArea& a, std::int32_t r, bool index, bool forward)
{
    if (r == kStrayEntry)
        return false;
    if (r < 1 || r > a.recCount) {
        BlankAtEnd(a, true);
        return false;
    }
    if (!ReadRecord(a, r))
        return false;
    while (RecordHidden(a) && !(forward && a.eof)) {
        if (index)
            r = forward ? NextKeyRecord(a, "GoTop") : PriorKeyRecord(a, "GoBottom");
        else
            r += forward ? 1 : -1;
        if (r == kStrayEntry)
            return false;
        if (r < 1 || r > a.recCount) {
            BlankAtEnd(a, true);
            void (*edge)() = forward ? Index.SetIndexEof : Index.SetIndexBof;
            if (index && edge)
                edge();
            return false;
        }
        if (!ReadRecord(a, r))
            return false;
    }
    return true;
}

void GoTopOf(TWorkArea& a)
{
    if (a.recCount == 0)
        return;
    IndexOperation op;
    if (op.Failed())
        return;
    Settle(a, op.Active() ? EdgeKeyRecord(a, true) : 1, op.Active(), true);
}

} // namespace

bool RecordHidden(TWorkArea& area)
{
    if (area.hideDeleted) {
        const bool deleted = area.isVirtual ? (area.buffer && area.buffer[0] != 0)
                                            : area.native[0] == '*';
        if (deleted)
            return true;
    }
    if (area.filter)
        return !area.filter();
    if (area.forExpr)
        return !EvalLogical(area.forExpr);
    return false;
}

bool WhileHolds(TWorkArea& area)
{
    if (area.whileProc)
        return area.whileProc();
    if (area.whileExpr)
        return EvalLogical(area.whileExpr);
    return true;
}

void GoTop()
{
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("GoTop");
    if (!a)
        return;
    GoTopOf(*a);
    RunRelation(*a);
}

void GoBottom()
{
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("GoBottom");
    if (!a)
        return;
    RefreshRecCount(*a);
    if (a->recCount > 0) {
        IndexOperation op;
        if (op.Failed())
            return;
        Settle(*a, op.Active() ? EdgeKeyRecord(*a, false) : a->recCount, op.Active(), false);
    }
    RunRelation(*a);
}

namespace {

// GoTop or GoBottom within the WHILE condition: steps to the first or
// last record it holds, with the relation held back until it stands.
void GoEdgeInWhile(bool top)
{
    TWorkArea* a = RequireArea(top ? "GoTop" : "GoBottom");
    if (!a)
        return;
    if (!a->whileProc && !a->whileExpr) {
        top ? GoTop() : GoBottom();
        return;
    }
    RelationProc keep = std::move(a->relation);
    a->relation = nullptr;
    while (!(top ? dBOF() : dEOF()) && EngineErrorCode == 0)
        SKIP(top ? -1 : 1);
    SKIP(top ? 0 : -1);
    if (TWorkArea* b = Area(a->number))
        b->relation = std::move(keep);
}

} // namespace

void GoTopInWhile() { GoEdgeInWhile(true); }
void GoBottomInWhile() { GoEdgeInWhile(false); }

void SKIP(std::int32_t n)
{
    EngineErrorCode = 0;
    TWorkArea* ap = RequireArea("SKIP()");
    if (!ap)
        return;
    TWorkArea& a = *ap;
    if (n == 0) {
        if (a.recCount > 0 && !a.eof && a.recNo >= 1)
            ReadRecord(a, a.recNo);
        else
            ClearRecordOf(a);
        RunRelation(a);
        return;
    }
    if (a.eof && n > 0) {
        SetError(212, "Datenbank " + Quoted(a) + " ist hinter EOF. [SKIP]");
        return;
    }
    if (a.recCount == 0)
        RefreshRecCount(a);
    if (a.recCount == 0) {
        a.bof = a.eof = true;
        SetError(212, "Datenbank " + Quoted(a) + " ist leer. [SKIP]");
        return;
    }
    if (a.bof && n < 0)
        return;
    IndexOperation op;
    if (op.Failed())
        return;
    a.bof = a.eof = false;
    const bool index = op.Active();
    std::int32_t counted = 0, lastGood = 0;
    bool endReached = false, whileOk = true;
    const std::int32_t want = n < 0 ? -n : n;
    if (CustomSkip) {
        std::int32_t r = CustomSkip(n);
        if (r < 1 || r > a.recCount)
            endReached = true;
        else if (!ReadRecord(a, r))
            return;
    } else {
        do {
            std::int32_t r;
            if (n < 0) {
                r = index ? PriorKeyRecord(a, "SKIP") : a.recNo - 1;
                if (r == kStrayEntry)
                    return;
                if (r < 1) {
                    endReached = true;
                    break;
                }
            } else {
                if (!index)
                    RefreshRecCount(a);
                r = index ? NextKeyRecord(a, "SKIP") : a.recNo + 1;
                if (r == kStrayEntry)
                    return;
                if (r > a.recCount || r < 1) {
                    endReached = true;
                    break;
                }
            }
            if (!ReadRecord(a, r))
                return;
            if (!RecordHidden(a)) {
                ++counted;
                if (n < 0 && WhileHolds(a))
                    lastGood = r;
            }
            whileOk = WhileHolds(a);
        } while (counted < want && whileOk);
    }
    if (endReached && n > 0) {
        BlankAtEnd(a, false);
        if (index && Index.SetIndexEof)
            Index.SetIndexEof();
    } else if (endReached) {
        GoTopOf(a);
        a.bof = true;
        if (a.eof)
            ClearRecordOf(a);
    } else if (!whileOk && n > 0) {
        a.eof = true;
    } else if (!whileOk) {
        if (lastGood > 0) {
            ReadRecord(a, lastGood);
            a.bof = true;
        } else {
            BlankAtEnd(a, true);
        }
    }
    RunRelation(a);
}

void GO(std::int32_t n)
{
    EngineErrorCode = 0;
    TWorkArea* ap = RequireArea("GO()");
    if (!ap)
        return;
    TWorkArea& a = *ap;
    if (n > a.recCount)
        RefreshRecCount(a);
    const std::string text = "Ungültige Datensatznr. = " + std::to_string(n) + " Datenbank " +
                             Quoted(a) + " [GO]";
    if (a.recCount == 0) {
        a.bof = a.eof = true;
        a.recNo = 0;
        ClearRecordOf(a);
        SetError(212, text);
        return;
    }
    if (n >= 1 && n <= a.recCount) {
        a.bof = a.eof = false;
        {
            IndexOperation op;
            if (op.Failed() || !ReadRecord(a, n))
                return;
            if (op.Active() && Index.SyncAll)
                Index.SyncAll();
        }
        RunRelation(a);
        return;
    }
    BlankAtEnd(a, false);
    SetError(212, text);
}

bool GoIfValid(std::int32_t n)
{
    if (n >= 1 && n <= RecCount()) {
        GO(n);
        return true;
    }
    return false;
}

void Dbf4RawGo(std::int32_t n)
{
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("Dbf4RawGo");
    if (!a)
        return;
    if (n > a->recCount) {
        BlankAtEnd(*a, false);
    } else if (n >= 1) {
        QuietErrors quiet;
        ReadRecord(*a, n);
    } else {
        EngineErrorCode = 212;
    }
    if (EngineErrorCode != 0)
        SetError(EngineErrorCode, "Datensatz " + std::to_string(n) + " (" + a->fileName +
                                      ") [Dbf4RawGo]");
}

void Dbf4RawGoRelation(std::int32_t n)
{
    Dbf4RawGo(n);
    if (TWorkArea* a = Current())
        RunRelation(*a);
}

bool dEOF()
{
    TWorkArea* a = RequireArea("dEOF");
    return a ? a->eof : true;
}

bool dBOF()
{
    TWorkArea* a = RequireArea("dBOF");
    return a ? a->bof : true;
}

std::int32_t RecCount()
{
    TWorkArea* a = RequireArea("RecCount");
    if (!a)
        return 0;
    RefreshRecCount(*a);
    return a->recCount;
}

std::int32_t RecNo()
{
    TWorkArea* a = RequireArea("RecNo");
    return a ? a->recNo : 0;
}

bool SetIgnoreDel(bool on)
{
    EngineErrorCode = 0;
    TWorkArea* a = RequireArea("SetIgnoreDel");
    if (!a)
        return false;
    bool previous = a->hideDeleted;
    a->hideDeleted = on;
    SKIP(0);
    return previous;
}

bool LeaveHiddenRecord()
{
    TWorkArea* a = Current();
    if (!a || (!RecordHidden(*a) && WhileHolds(*a)))
        return false;
    UnlockArea(*a);
    const int number = a->number;
    const std::int32_t remembered = a->recNo;
    RelationProc keep = std::move(a->relation);
    a->relation = nullptr;
    SKIP(1);
    if (dEOF()) {
        GoIfValid(remembered);
        SKIP(-1);
    }
    if (TWorkArea* b = Area(number))
        b->relation = std::move(keep);
    return true;
}

RelationProc SetRelation(RelationProc relation)
{
    TWorkArea* a = RequireArea("SetRelation");
    if (!a)
        return nullptr;
    RelationProc previous = std::move(a->relation);
    a->relation = std::move(relation);
    RunRelation(*a);
    return previous;
}

void SetFilter(ConditionProc filter)
{
    if (TWorkArea* a = RequireArea("SetFilter"))
        a->filter = std::move(filter);
}

namespace {

// FOR and WHILE conditions are read as logical results; an expression of
// another type is refused (and freed) instead of being read as garbage.
bool LogicalCondition(TExpr*& expr, const char* op)
{
    if (!expr || !Parser.ResultType || Parser.ResultType(expr) == 'L')
        return true;
    if (Parser.FreeExpr)
        Parser.FreeExpr(expr);
    expr = nullptr;
    SetError(351, std::string("Fehler in dBASE-Ausdruck : Bedingung ist nicht logisch [") + op + "]");
    return false;
}

} // namespace

void SetForExpr(TExpr* expr)
{
    if (!LogicalCondition(expr, "SetFilter"))
        return;
    if (TWorkArea* a = RequireArea("SetFilter")) {
        if (a->forExpr && Parser.FreeExpr)
            Parser.FreeExpr(a->forExpr);
        a->forExpr = expr;
    }
}

void SetWhile(ConditionProc condition)
{
    if (TWorkArea* a = RequireArea("SetWhile"))
        a->whileProc = std::move(condition);
}

void SetWhileExpr(TExpr* expr)
{
    if (!LogicalCondition(expr, "SetWhile"))
        return;
    if (TWorkArea* a = RequireArea("SetWhile")) {
        if (a->whileExpr && Parser.FreeExpr)
            Parser.FreeExpr(a->whileExpr);
        a->whileExpr = expr;
    }
}

const std::vector<int>& NumericOverflowFields()
{
    static const std::vector<int> none;
    TWorkArea* a = Current();
    return a ? a->overflowFields : none;
}

} // namespace kt4::dbase
