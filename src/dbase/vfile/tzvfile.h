// In-memory datasets: TTzLLDataSet puts a dataset over a virtual file
// (vfile.h) whose fields come from DbfFields; it can be filled from a DBF
// file when it opens and written to one when it closes. TTzVFile is the
// published class. Memo fields are kept as their block numbers (N 10), so a
// field list with memo fields cannot be saved: a virtual file holds no memo
// texts.
#pragma once

#include "dbase/dataset/tzcds.h"
#include "dbase/vfile/vfile.h"

#include <functional>

namespace kt4::dbase {

class TTzLLDataSet : public TTzCDataSet {
public:
    TTzLLDataSet();

    // Load DbfFileName when the dataset opens; write it when it closes after
    // a change.
    bool PopulateFromDisk = false;
    bool SaveToDisk = false;
    // The key of the active record for the sorted modes (default: the first
    // field's text).
    std::function<void(TTzLLDataSet&, std::string& key)> KeyMaker;

    LStatusType AppendMode() const { return appendMode_; }
    // On an open dataset a sorted mode sorts the records.
    void SetAppendMode(LStatusType mode);
    bool Modified() const { return modified_; }

    // Appends the records of DbfFileName (when it exists).
    void LoadFromDisk();
    // Writes every record into DbfFileName, replacing it whole or not at all.
    void SaveToDbf();

protected:
    bool OpenArea(const std::string& fileName) override;
    bool NeedsFileName() const override { return false; }
    bool MemoAsInteger() const override { return true; }
    void ClearCallbacks() override;
    void InitFields() override;
    void AfterDirectChange() override { modified_ = true; }
    int s_AppendWithLock() override;
    int s_DeleteWithLock() override;
    int s_RestoreWithLock() override;
    int s_ReplaceWithLock() override;

private:
    int Write(const std::function<bool()>& op, bool reposition);
    void InstallKey();
    std::string KeyOfActive();
    std::vector<std::uint8_t> native_;
    LStatusType appendMode_ = lsFIFO;
    bool modified_ = false;
};

class TTzVFile : public TTzLLDataSet {
};

} // namespace kt4::dbase
