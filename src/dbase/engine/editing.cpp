// Changing records: append, replace, delete and recall.
#include "dbase/engine/navigation.h"

#include "dbase/engine/codepage.h"
#include "dbase/engine/errors.h"
#include "dbase/engine/internal.h"
#include "dbase/engine/locking.h"
#include "dbase/engine/runtime.h"

#include <cstring>

namespace kt4::dbase {
namespace {

std::string Quoted(const TWorkArea& a)
{
    return "\"" + a.fileName + "\"";
}

bool IndexOn()
{
    return IndexLinked() && Index.IndexActive();
}

// Key maintenance runs under the index unit's lock semaphore; when that
// cannot be had, neither the table nor an index is touched.
class KeyMaintenance {
public:
    explicit KeyMaintenance(bool on) : on_(on)
    {
        if (on_ && Index.LockSemaphore) {
            entered_ = Index.LockSemaphore(true);
            failed_ = !entered_;
        }
    }
    ~KeyMaintenance()
    {
        if (entered_)
            Index.LockSemaphore(false);
    }
    bool On() const { return on_; }
    bool Failed() const { return failed_; }

private:
    bool on_;
    bool entered_ = false;
    bool failed_ = false;
};

// The record as it is in the file now, in the form the area holds it.
bool ReadCurrentBytes(TWorkArea& a, std::vector<std::uint8_t>& bytes)
{
    bytes.resize(a.recLen);
    if (a.file.ReadAt(a.RecordOffset(a.recNo), bytes.data(), a.recLen) !=
        static_cast<long long>(a.recLen))
        return false;
    if (a.readHook)
        a.readHook(bytes.data() + 1, a.recLen - 1);
    if (a.oem)
        OemToAnsiBytes(bytes.data(), a.recLen);
    return true;
}

// In a shared table another program may have changed the record since it
// was read; writing over it would lose that change.
bool ChangedByOthers(TWorkArea& a)
{
    if (!a.Shared() || a.isVirtual)
        return false;
    static std::vector<std::uint8_t> now;
    if (!ReadCurrentBytes(a, now))
        return false;
    return std::memcmp(now.data(), a.native.data(), a.recLen) != 0;
}

// What a record write that failed left in the file (it may have reached
// the disk and failed after, at the flush): the record as written, the one
// before, or neither (a part of it, or the file cannot be read).
enum class WriteLeft { Written, Before, Unknown };

WriteLeft WhatWriteLeft(TWorkArea& a, const std::vector<std::uint8_t>& before)
{
    a.cacheStart = -1; // the file may no longer hold what the cache does
    detail::UpdatePeekCache(a, a.recNo);
    static std::vector<std::uint8_t> now;
    if (!ReadCurrentBytes(a, now))
        return WriteLeft::Unknown;
    if (now == a.native)
        return WriteLeft::Written;
    return now == before ? WriteLeft::Before : WriteLeft::Unknown;
}

bool DeleteOrRecall(bool deleting)
{
    EngineErrorCode = 0;
    TWorkArea* ap = RequireArea(deleting ? "DeleteRec" : "RecallRec");
    if (!ap)
        return false;
    TWorkArea& a = *ap;
    if (!RecordWritable(a)) {
        SetError(1200, deleting ? a.fileName + " Datensatz nicht gesperrt [DeleteRec]"
                                : "Datensatz nicht gesperrt [RecallRec]");
        return false;
    }
    if (!deleting)
        RefreshRecCount(a);
    if (a.recNo < 1 || a.recNo > a.recCount)
        return false;
    if (a.isVirtual) {
        if (!VFilesLinked())
            return false;
        EngineErrorCode = 0;
        a.vfRequest = deleting ? VfDelete : VfRecall;
        a.vfRecNo = a.recNo;
        VFiles.Request(a);
        return EngineErrorCode == 0;
    }
    a.buffer[0] = deleting ? 1 : 0;
    a.native[0] = deleting ? '*' : ' ';
    if (!WriteDeleteFlag(a, a.recNo))
        return false;
    detail::UpdatePeekCache(a, a.recNo);
    return true;
}

} // namespace

bool Append()
{
    EngineErrorCode = 0;
    TWorkArea* ap = RequireArea("Append");
    if (!ap)
        return false;
    TWorkArea& a = *ap;
    if (!AppendWritable(a)) {
        SetError(5, "Datei muß gesperrt sein zum Anhängen: " + a.fileName + " [APPEND]");
        return false;
    }
    RefreshRecCount(a);
    if (!BufferToRecord(a, "Append", false))
        return false;
    bool ok;
    {
        KeyMaintenance keys(IndexOn() && !a.isVirtual);
        if (keys.Failed())
            return false;
        EncodedRecordToBuffer(a); // the keys are those of the record as written
        const bool maintain = keys.On() && Index.AppendNewKey;
        if (keys.On() && Index.ChangeRefused && Index.ChangeRefused(true))
            return false;
        // Keys before the record: a crash between leaves an entry that
        // names no record, never a record that an index lacks.
        if (maintain && !Index.AppendNewKey(KeyStep::Before))
            return false;
        const std::int32_t count = a.recCount;
        ok = PutDbfRecord(a, count + 1);
        // A record in the file keeps its keys (a failed step after its
        // write is reported); one that is not gives them back.
        if (maintain && a.recCount > count)
            ok = Index.AppendNewKey(KeyStep::After) && ok;
        else if (maintain)
            Index.AppendNewKey(KeyStep::Undo);
    }
    if (!ok)
        return false;
    a.bof = a.eof = false;
    detail::RunRelation(a);
    return true;
}

bool REPLACE()
{
    EngineErrorCode = 0;
    TWorkArea* ap = RequireArea("Replace");
    if (!ap)
        return false;
    TWorkArea& a = *ap;
    if (a.recNo < 1) {
        SetError(212, "Datenbank " + Quoted(a) + " ist leer. [REPLACE]");
        return false;
    }
    if (a.recNo > a.recCount) {
        SetError(212, "Datenbank " + Quoted(a) + " bei EOF angelangt. [REPLACE]");
        return false;
    }
    if (!RecordWritable(a)) {
        SetError(1200, "Record #" + std::to_string(a.recNo) + " in " + a.fileName + " [REPLACE]");
        return false;
    }
    if (ChangedByOthers(a)) {
        SetError(1203, "Datensatz #" + std::to_string(a.recNo) + " in " + a.fileName +
                           " wurde inzwischen von einem anderen Programm geändert [REPLACE]");
        return false;
    }
    const bool keys = IndexMaintenance && IndexOn() && !a.isVirtual;
    static std::vector<std::uint8_t> before; // the record before the change
    bool ok;
    {
        KeyMaintenance maintenance(keys);
        if (maintenance.Failed())
            return false;
        if (keys) {
            // The old keys come from the record as it is in the file; when
            // it cannot be read they are not known, and nothing is written.
            std::memcpy(a.second.data(), a.buffer, a.bufSize);
            std::vector<std::uint8_t> marks = std::move(a.fieldMarks);
            const bool read = GetDbfRecord(a, a.recNo);
            if (read) {
                RecordToBuffer(a);
                if (Index.CopyCurrentKey)
                    Index.CopyCurrentKey();
            }
            std::memcpy(a.buffer, a.second.data(), a.bufSize);
            a.fieldMarks = std::move(marks);
            if (!read)
                return false;
        }
        before = a.native;
        if (!BufferToRecord(a, "REPLACE"))
            return false;
        RecordToBuffer(a); // the keys are those of the record as written
        // The new keys before the record, the old ones removed after it: a
        // crash between leaves entries naming the record under a key it
        // does not hold, never a record that an index lacks. Refused, the
        // area's record is the file's again.
        if (keys && ((Index.ChangeRefused && Index.ChangeRefused(false)) ||
                     (Index.CompareKeys && !Index.CompareKeys(KeyStep::Before)))) {
            a.native = before;
            return false;
        }
        ok = PutDbfRecord(a, a.recNo);
        if (ok) {
            detail::UpdatePeekCache(a, a.recNo);
            // The record stays written; a failed key update is reported.
            if (keys && Index.CompareKeys)
                ok = Index.CompareKeys(KeyStep::After);
        } else {
            // The keys follow what the file holds; the write's error stays
            // the one reported. Unless the file holds the new record, the
            // area's is the one before again (the caller's values stay in
            // the buffer for another try). When that is not known, the
            // indexes whose key changes are out of date.
            const WriteLeft left = WhatWriteLeft(a, before);
            if (left != WriteLeft::Written)
                a.native = before;
            if (keys && Index.CompareKeys) {
                QuietErrors quiet;
                const std::uint16_t code = EngineErrorCode;
                const std::string text = LastErrorText();
                Index.CompareKeys(left == WriteLeft::Written  ? KeyStep::After
                                  : left == WriteLeft::Before ? KeyStep::Undo
                                                              : KeyStep::Unknown);
                SetErrorSilent(code, text);
            }
        }
    }
    if (!ok)
        return false;
    detail::RunRelation(a);
    return true;
}

bool DeleteRec()
{
    return DeleteOrRecall(true);
}

bool RecallRec()
{
    return DeleteOrRecall(false);
}

} // namespace kt4::dbase
