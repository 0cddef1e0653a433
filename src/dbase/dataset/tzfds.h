// Table datasets: TTzFileDataSet opens a DBF file, keeps its list of NDX
// indexes (building them on open as CreateIndex says) and writes under the
// engine's locks; TTzDbf is the class of the program's table (tzdbf).
//
// A locked write whose lock is refused returns 1200 and writes nothing; the
// lock-failed event may ask for another try. The dataset then stays in its
// edit or insert state with the edit.
#pragma once

#include "dbase/dataset/tzcds.h"
#include "dbase/ndx/ndx.h"

#include <functional>

namespace kt4::dbase {

enum class TCreateIndexType { ciNotFound, ciAlways, ciVerifyHeader, ciNever };

class TTzFileDataSet;
using TTzLockFailedEvent = std::function<void(TTzFileDataSet& dataset, bool& retry)>;
// A caller's index key: the key text of the dataset's active record.
using TTzIndexKeyFunc = std::function<std::string(void* data)>;

class TTzFileDataSet : public TTzCDataSet {
public:
    bool ReadOnly = false;
    bool AutoFixRecCount = false;
    TCreateIndexType CreateIndex = TCreateIndexType::ciNotFound;
    bool CreateIfNotFound = true;
    // One index a line: order number, index file, dBase key expression.
    std::vector<std::string> IndexList;
    std::function<void(TTzFileDataSet&, const std::string& indexFile, bool& build)> OnBeforeMakeIndex;
    std::function<void(TTzFileDataSet&, const std::string& indexFile)> OnAfterMakeIndex;
    TTzLockFailedEvent OnALockFailedOnInsert, OnRLockFailedOnDelete, OnRLockFailedOnPost,
        OnRLockFailedOnRestore;
    // Record conversion hooks handed to the engine while the table opens.
    RecordHook OpenWriteHook, OpenReadHook;

    bool Exclusive() const { return exclusive_; }
    // Changing it on an open dataset re-opens it.
    void SetExclusive(bool on);

    // Raw text of field fieldNo of any record, without moving.
    void Peek(int fieldNo, std::int32_t recNo, std::string& text);
    std::int32_t AppendFromDelimited(const std::string& fileName);
    bool CopyToDelimited(const std::string& fileName);
    bool ALock();
    bool FLock();
    void UnLock();
    // Seeks in the controlling index (the key cut to 100 characters); the
    // found record, or the last one, becomes current.
    bool Find(const std::string& key);
    bool FindExact(const std::string& key);
    void IndexOn(const std::string& keyExpr, const std::string& indexFile);
    void IndexOnCB(const std::string& indexFile, TTzIndexKeyFunc keyFunc, void* data);
    // Opens an index list (blank-separated, entries may be quoted).
    void SetIndexTo(const std::string& indexFiles);
    void SetIndexToCB(const std::string& indexFile, int slot, TTzIndexKeyFunc keyFunc, void* data);
    void SetIndexToLFN(const std::string& indexFile, int slot);
    // Partial key: Find; whole key: FindExact; through the index only when
    // the one field located is the controlling index's key (a character key
    // also needs the case-insensitive option), else the sequential locate.
    bool Locate(const std::string& fields, const std::vector<std::string>& values,
                unsigned options) override;
    // No active index: record numbers may be used for positioning.
    bool IsSequenced();

    // The memo of a field as text, and a new text for it (through a BLOB
    // stream; the dataset goes into edit state).
    std::string MemoText(int field);
    void SetMemoText(int field, const std::string& text);

protected:
    bool CanModify() const override { return !ReadOnly; }
    bool OpenArea(const std::string& fileName) override;
    int s_AppendWithLock() override;
    int s_DeleteWithLock() override;
    int s_RestoreWithLock() override;
    int s_ReplaceWithLock() override;

private:
    friend class TTzBlobStream;
    bool OpenIndexList();
    // Runs an engine write under a lock; 0, 1200 or the engine's code.
    int LockedWrite(bool append, const char* word, const TTzLockFailedEvent& event,
                    const std::function<bool()>& write, bool reposition);
    KeyMakerProc KeyMakerOf(TTzIndexKeyFunc keyFunc);
    bool exclusive_ = false;
};

class TTzDbf : public TTzFileDataSet {
};

} // namespace kt4::dbase
