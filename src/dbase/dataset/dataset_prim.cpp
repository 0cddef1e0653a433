// The dataset's cursor and edit states over the Tzi operations.
#include "dbase/dataset/dataset.h"

#include "dbase/dataset/dataset_internal.h"

namespace kt4::dbase {

using detail::EngineExceptions;

EDatasetError::EDatasetError(int code, const std::string& text)
    : std::runtime_error("Dataset error: " + text), code_(code), text_(text)
{
}

void TTzPrimDataset::GetErrorText(int code, std::string& text)
{
    text = std::to_string(code);
}

bool TTzPrimDataset::FieldReadOnly(int) const
{
    return false;
}

int TTzPrimDataset::TziCompareBookmarks(TBookmark a, TBookmark b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

void TTzPrimDataset::DoAfterScroll()
{
    if (AfterScroll)
        AfterScroll(*this);
}

void TTzPrimDataset::DoAfterCancel()
{
    if (AfterCancel)
        AfterCancel(*this);
}

void TTzPrimDataset::Check(int code)
{
    if (code == 0)
        return;
    std::string text;
    GetErrorText(code, text);
    throw EDatasetError(code, text);
}

void TTzPrimDataset::ClearDirty()
{
    std::fill(dirty_.begin(), dirty_.end(), false);
}

void TTzPrimDataset::SetEmpty()
{
    std::fill(active_.begin(), active_.end(), 0);
    recNo_ = 0;
    bof_ = eof_ = empty_ = true;
}

void TTzPrimDataset::Open()
{
    if (Active())
        return;
    EngineExceptions engine;
    Check(TziOpen());
    std::size_t size = 0;
    Check(TziGetRecordSize(size));
    active_.assign(size, 0);
    dirty_.clear();
    InitFields();
    state_ = TDataSetState::dsBrowse;
    empty_ = true;
    First();
}

void TTzPrimDataset::Close()
{
    if (!Active())
        return;
    EngineExceptions engine;
    state_ = TDataSetState::dsInactive;
    ClearDirty();
    SetEmpty();
    Check(TziClose());
}

void TTzPrimDataset::SetActive(bool on)
{
    if (on)
        Open();
    else
        Close();
}

void TTzPrimDataset::CheckBrowseMode()
{
    if (!Active())
        throw EDatasetError(detail::kNotActive, "Cannot perform this operation on a closed dataset");
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert)
        Post();
}

void TTzPrimDataset::UpdateCursorPos()
{
    if (!empty_ && recNo_ > 0)
        Check(TziGotoBookmark(recNo_));
}

int TTzPrimDataset::Fetch(int (TTzPrimDataset::*get)(std::uint8_t*, std::int32_t&))
{
    std::vector<std::uint8_t> buffer(active_.size());
    std::int32_t recNo = 0;
    const int code = (this->*get)(buffer.data(), recNo);
    if (code == 0) {
        active_.swap(buffer);
        recNo_ = recNo;
        empty_ = false;
    }
    return code;
}

void TTzPrimDataset::ReadActive()
{
    const int code = Fetch(&TTzPrimDataset::TziGetRecord);
    if (code == 0)
        return;
    if (code != detail::kNoRecordBefore && code != detail::kNoRecordAfter)
        Check(code);
    // No current record: the last one, or none at all.
    Check(TziSetToEnd());
    const int prior = Fetch(&TTzPrimDataset::TziGetPriorRecord);
    if (prior == 0) {
        bof_ = false;
        eof_ = true;
    } else if (prior == detail::kNoRecordBefore) {
        SetEmpty();
    } else {
        Check(prior);
    }
}

void TTzPrimDataset::First()
{
    CheckBrowseMode();
    EngineExceptions engine;
    if (BeforeScroll)
        BeforeScroll(*this);
    Check(TziSetToBegin());
    const int code = Fetch(&TTzPrimDataset::TziGetNextRecord);
    if (code == 0) {
        bof_ = true;
        eof_ = false;
    } else if (code == detail::kNoRecordAfter) {
        SetEmpty();
    } else {
        Check(code);
    }
    DoAfterScroll();
}

void TTzPrimDataset::Last()
{
    CheckBrowseMode();
    EngineExceptions engine;
    if (BeforeScroll)
        BeforeScroll(*this);
    Check(TziSetToEnd());
    const int code = Fetch(&TTzPrimDataset::TziGetPriorRecord);
    if (code == 0) {
        bof_ = false;
        eof_ = true;
    } else if (code == detail::kNoRecordBefore) {
        SetEmpty();
    } else {
        Check(code);
    }
    DoAfterScroll();
}

bool TTzPrimDataset::MoveOne(bool forward)
{
    if (empty_)
        return false;
    UpdateCursorPos();
    const int code = Fetch(forward ? &TTzPrimDataset::TziGetNextRecord
                                   : &TTzPrimDataset::TziGetPriorRecord);
    if (code == 0) {
        (forward ? bof_ : eof_) = false;
        return true;
    }
    if (code == (forward ? detail::kNoRecordAfter : detail::kNoRecordBefore)) {
        (forward ? eof_ : bof_) = true;
        return false;
    }
    Check(code);
    return false;
}

void TTzPrimDataset::Next()
{
    MoveBy(1);
}

void TTzPrimDataset::Prior()
{
    MoveBy(-1);
}

int TTzPrimDataset::MoveBy(int distance)
{
    CheckBrowseMode();
    if (distance == 0 || empty_)
        return 0;
    EngineExceptions engine;
    if (BeforeScroll)
        BeforeScroll(*this);
    int moved = 0;
    const bool forward = distance > 0;
    if (forward ? eof_ : bof_) {
        DoAfterScroll();
        return 0;
    }
    for (int left = forward ? distance : -distance; left > 0; --left) {
        if (!MoveOne(forward))
            break;
        moved += forward ? 1 : -1;
    }
    DoAfterScroll();
    return moved;
}

void TTzPrimDataset::SetRecNo(std::int32_t recNo)
{
    CheckBrowseMode();
    if (recNo == recNo_ && !empty_)
        return;
    EngineExceptions engine;
    if (BeforeScroll)
        BeforeScroll(*this);
    if (TziGoto(recNo) != 0)
        return;
    bof_ = eof_ = false;
    ReadActive();
    DoAfterScroll();
}

std::int32_t TTzPrimDataset::RecordCount()
{
    if (!Active())
        return 0;
    EngineExceptions engine;
    std::int32_t count = 0;
    Check(TziGetRecordCount(count));
    return count;
}

void TTzPrimDataset::Edit()
{
    if (!Active())
        throw EDatasetError(detail::kNotActive, "Cannot perform this operation on a closed dataset");
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert)
        return;
    if (!CanModify())
        throw EDatasetError(detail::kReadOnlyDataset, "Cannot modify a read-only dataset");
    if (empty_) {
        Append();
        return;
    }
    EngineExceptions engine;
    UpdateCursorPos();
    ReadActive();
    ClearDirty();
    state_ = TDataSetState::dsEdit;
}

void TTzPrimDataset::Append()
{
    CheckBrowseMode();
    if (!CanModify())
        throw EDatasetError(detail::kReadOnlyDataset, "Cannot modify a read-only dataset");
    EngineExceptions engine;
    insertFrom_ = empty_ ? 0 : recNo_;
    Check(TziInitRecord(active_.data()));
    ClearDirty();
    recNo_ = 0;
    bof_ = eof_ = false;
    state_ = TDataSetState::dsInsert;
}

void TTzPrimDataset::Post()
{
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        return;
    EngineExceptions engine;
    ValidateBeforePost();
    if (BeforePost)
        BeforePost(*this);
    const bool inserting = state_ == TDataSetState::dsInsert;
    std::int32_t before = 0;
    if (inserting)
        Check(TziGetRecordCount(before));
    const int code = inserting ? TziAppend(active_.data()) : TziUpdate(active_.data());
    if (code != 0) {
        // An append that stored its record but failed on an index: the
        // record is in the table, so the insert ends on it (posting again
        // would store it twice) and the error is reported.
        std::int32_t after = before;
        if (inserting && TziGetRecordCount(after) == 0 && after > before) {
            state_ = TDataSetState::dsBrowse;
            ClearDirty();
            bof_ = eof_ = false;
            try {
                ReadActive();
            } catch (const EDatasetError&) {
                // the index error below is the one to tell
            }
        }
        Check(code);
    }
    state_ = TDataSetState::dsBrowse;
    ClearDirty();
    bof_ = eof_ = false;
    ReadActive();
    if (AfterPost)
        AfterPost(*this);
}

void TTzPrimDataset::Cancel()
{
    const TDataSetState was = state_;
    if (was != TDataSetState::dsEdit && was != TDataSetState::dsInsert)
        return;
    EngineExceptions engine;
    state_ = TDataSetState::dsBrowse;
    ClearDirty();
    if (was == TDataSetState::dsInsert) {
        if (insertFrom_ > 0) {
            Check(TziGotoBookmark(insertFrom_));
            bof_ = eof_ = false;
            ReadActive();
        } else {
            First();
        }
    } else {
        UpdateCursorPos();
        ReadActive();
    }
    DoAfterCancel();
}

void TTzPrimDataset::Delete()
{
    if (state_ == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (!Active())
        throw EDatasetError(detail::kNotActive, "Cannot perform this operation on a closed dataset");
    Cancel();
    if (empty_)
        throw EDatasetError(detail::kEmptyDataset, "Cannot perform this operation on an empty dataset");
    if (!CanModify())
        throw EDatasetError(detail::kReadOnlyDataset, "Cannot modify a read-only dataset");
    EngineExceptions engine;
    UpdateCursorPos();
    Check(TziDelete());
    if (!empty_) {
        bof_ = eof_ = false;
        ReadActive();
    }
}

void TTzPrimDataset::GotoBookmark(TBookmark bookmark)
{
    CheckBrowseMode();
    EngineExceptions engine;
    if (BeforeScroll)
        BeforeScroll(*this);
    Check(TziGotoBookmark(bookmark));
    bof_ = eof_ = false;
    ReadActive();
    DoAfterScroll();
}

int TTzPrimDataset::CompareBookmarks(TBookmark a, TBookmark b)
{
    if (a == 0 || b == 0)
        return a == b ? 0 : (a == 0 ? 1 : -1);
    return Active() ? TziCompareBookmarks(a, b) : 0;
}

bool TTzPrimDataset::BookmarkValid(TBookmark bookmark)
{
    return Active() && bookmark >= 1 && bookmark <= RecordCount();
}

bool TTzPrimDataset::Locate(const std::string& fields, const std::vector<std::string>& values,
                            unsigned options)
{
    CheckBrowseMode();
    EngineExceptions engine;
    if (BeforeScroll)
        BeforeScroll(*this);
    bool found = false;
    Check(TziLocate(fields, values, options, found));
    if (found) {
        bof_ = eof_ = false;
        ReadActive();
        DoAfterScroll();
    }
    return found;
}

bool TTzPrimDataset::Lookup(const std::string& keyFields, const std::vector<std::string>& keyValues,
                            const std::string& resultFields, std::vector<std::string>& result)
{
    CheckBrowseMode();
    EngineExceptions engine;
    bool found = false;
    Check(TziLookup(keyFields, keyValues, resultFields, result, found));
    return found;
}

bool TTzPrimDataset::GetFieldData(int field, std::vector<std::uint8_t>& data)
{
    if (!Active())
        throw EDatasetError(detail::kNotActive, "Cannot perform this operation on a closed dataset");
    return TziGetFieldData(field, active_.data(), data);
}

void TTzPrimDataset::SetFieldData(int field, const std::vector<std::uint8_t>& data, bool null)
{
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        throw EDatasetError(detail::kNotEditing, "Dataset not in edit or insert mode");
    if (FieldReadOnly(field))
        throw EDatasetError(detail::kFieldReadOnly,
                            "Field " + std::to_string(field) + " cannot be modified");
    TziSetFieldData(field, active_.data(), data, null);
    if (dirty_.size() <= std::size_t(field))
        dirty_.resize(std::size_t(field) + 1, false);
    dirty_[std::size_t(field)] = true;
    DataChanged(field);
}

bool TTzPrimDataset::FieldChanged(int field) const
{
    return field >= 0 && std::size_t(field) < dirty_.size() && dirty_[std::size_t(field)];
}

} // namespace kt4::dbase
