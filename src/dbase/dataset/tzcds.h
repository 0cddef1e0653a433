// TTzCDataSet: a dataset with direct, procedural access to its work area in
// dBase terms (append, pack, go, skip, search, fields by number and name)
// for code that does not want the dataset's buffer model. Every operation
// first brings the work area to the dataset's active record.
#pragma once

#include "dbase/dataset/dataset.h"

#include <functional>

namespace kt4::dbase {

// Field values set on a dataset but not posted yet (see TakePendingFields).
struct TPendingField {
    int field = 0;
    std::vector<std::uint8_t> data;
};

class TTzCDataSet : public TTzDataSet {
public:
    // Called whenever the dataset brings the work area to its active record.
    std::function<void()> OnSync;

    // Appends the engine's record buffer (the append lock must be held),
    // with the pending values given; the new record becomes current.
    bool AppendRec(const std::vector<TPendingField>& values = {});
    std::int32_t AppendFrom(const std::string& fileName);
    bool Pack();
    // Name of field n (at most 10 characters).
    std::string Field(int n);
    // Length of field n (a date field 8 or 10 by the century setting).
    int FieldLen(int n);
    void Go(std::int32_t recNo);
    // FieldNo 0 searches every field; it returns the field found (0: none).
    bool Search(const std::string& text, int& fieldNo, bool fromTop);
    // Field n of the current record as the engine shows it.
    std::string SField(int n);
    // n <> 0 moves by n rows; 0 re-reads the current record.
    void Skip(int n);
    void GoTop() { First(); }
    std::int32_t RecCount() { return RecordCount(); }
    std::int64_t GetFieldInt(const std::string& name);
    void PutFieldStr(const std::string& name, const std::string& value);
    void PutFieldBool(const std::string& name, bool value);
    void PutFieldInt(const std::string& name, std::int64_t value);
    void PutFieldFloat(const std::string& name, double value);

    // The values set since the edit began; the edit is cancelled.
    std::vector<TPendingField> TakePendingFields();

protected:
    void SyncArea() override;
    // The synchronisation callback comes first.
    void DoAfterScroll() override;
    void DoAfterCancel() override;
    // After a direct operation that changed records.
    virtual void AfterDirectChange() {}
    // Brings the work area to the active record for a direct operation.
    void Sync(const char* operation);
    void EditForPut();
};

} // namespace kt4::dbase
