// TTzCDataSet: direct operations on the dataset's work area.
#include "dbase/dataset/tzcds.h"

#include "dbase/dataset/dataset_internal.h"
#include "dbase/engine/internal.h"
#include "dbase/engine/locking.h"
#include "dbase/engine/navigation.h"
#include "dbase/engine/runtime.h"
#include "dbase/engine/search.h"

#include <cstring>

namespace kt4::dbase {

using detail::EngineExceptions;

void TTzCDataSet::SyncArea()
{
    if (OnSync)
        OnSync();
    UpdateCursorPos();
}

void TTzCDataSet::DoAfterScroll()
{
    if (OnSync)
        OnSync();
    TTzDataSet::DoAfterScroll();
}

void TTzCDataSet::DoAfterCancel()
{
    if (OnSync)
        OnSync();
    TTzDataSet::DoAfterCancel();
}

void TTzCDataSet::Sync(const char* operation)
{
    SelectArea(operation);
    SyncArea();
    SelectArea(operation);
}

bool TTzCDataSet::AppendRec(const std::vector<TPendingField>& values)
{
    CheckBrowseMode();
    EngineExceptions engine;
    SelectArea("AppendRec");
    TWorkArea& a = AreaRef();
    ClearRecordOf(a);
    for (const TPendingField& v : values) {
        const TTzField& f = FieldAt(v.field);
        if (!f.readOnly && f.offset + f.size <= a.bufSize)
            std::memcpy(a.buffer + f.offset, v.data.data(), std::min<std::size_t>(v.data.size(), f.size));
    }
    const bool ok = dbase::Append();
    if (ok && !LeaveHiddenRecord())
        UnlockArea(a);
    Resync();
    AfterDirectChange();
    return ok;
}

std::int32_t TTzCDataSet::AppendFrom(const std::string& fileName)
{
    CheckBrowseMode();
    EngineExceptions engine;
    Sync("AppendFrom");
    const std::int32_t keep = dbase::RecNo();
    const std::int32_t n = dbase::AppendFrom(fileName);
    if (!GoIfValid(keep))
        GoBottom();
    Resync();
    AfterDirectChange();
    return n;
}

bool TTzCDataSet::Pack()
{
    CheckBrowseMode();
    EngineExceptions engine;
    SelectArea("Pack");
    dbase::Pack();
    const bool ok = EngineErrorCode == 0;
    dbase::GoTop();
    Resync();
    AfterDirectChange();
    return ok;
}

std::string TTzCDataSet::Field(int n)
{
    return FieldAt(n).name.substr(0, 10);
}

int TTzCDataSet::FieldLen(int n)
{
    const TTzField& f = FieldAt(n);
    return f.type == 'D' ? (DateWithCentury ? 10 : 8) : f.len;
}

void TTzCDataSet::Go(std::int32_t recNo)
{
    CheckBrowseMode();
    EngineExceptions engine;
    SelectArea("Go");
    GO(recNo);
    Resync();
}

bool TTzCDataSet::Search(const std::string& text, int& fieldNo, bool fromTop)
{
    CheckBrowseMode();
    EngineExceptions engine;
    Sync("Search");
    const bool found = dbase::Search(text, fieldNo, fromTop);
    if (!dEOF() && !dBOF())
        Resync();
    return found;
}

std::string TTzCDataSet::SField(int n)
{
    return FieldText(n);
}

void TTzCDataSet::Skip(int n)
{
    if (n != 0) {
        MoveBy(n);
        return;
    }
    CheckBrowseMode();
    EngineExceptions engine;
    Sync("Skip");
    SKIP(0);
    Resync();
}

std::int64_t TTzCDataSet::GetFieldInt(const std::string& name)
{
    return AsInteger(FieldByName(name));
}

void TTzCDataSet::EditForPut()
{
    if (State() != TDataSetState::dsEdit && State() != TDataSetState::dsInsert)
        Edit();
}

void TTzCDataSet::PutFieldStr(const std::string& name, const std::string& value)
{
    const int n = FieldByName(name);
    EditForPut();
    SetAsString(n, value);
    AfterDirectChange();
}

void TTzCDataSet::PutFieldBool(const std::string& name, bool value)
{
    const int n = FieldByName(name);
    EditForPut();
    SetAsBoolean(n, value);
    AfterDirectChange();
}

void TTzCDataSet::PutFieldInt(const std::string& name, std::int64_t value)
{
    const int n = FieldByName(name);
    EditForPut();
    SetAsInteger(n, value);
    AfterDirectChange();
}

void TTzCDataSet::PutFieldFloat(const std::string& name, double value)
{
    const int n = FieldByName(name);
    EditForPut();
    SetAsFloat(n, value);
    AfterDirectChange();
}

std::vector<TPendingField> TTzCDataSet::TakePendingFields()
{
    std::vector<TPendingField> out;
    if (State() != TDataSetState::dsEdit && State() != TDataSetState::dsInsert)
        return out;
    for (int n = 1; n <= FieldCount(); ++n) {
        if (!FieldChanged(n))
            continue;
        TPendingField p;
        p.field = n;
        GetFieldData(n, p.data);
        out.push_back(std::move(p));
    }
    Cancel();
    return out;
}

} // namespace kt4::dbase
