// TTzBlobStream over the BLOB descriptor of the dataset's work area.
#include "dbase/dataset/blob_stream.h"

#include "dbase/dataset/dataset_internal.h"
#include "dbase/dataset/tzfds.h"
#include "dbase/engine/engine_text.h"

#include <cstring>

namespace kt4::dbase {

using detail::EngineExceptions;

namespace {

std::int32_t CellOf(TTzFileDataSet& ds, int field)
{
    std::vector<std::uint8_t> data;
    ds.GetFieldData(field, data);
    std::int32_t v = 0;
    if (data.size() >= sizeof v)
        std::memcpy(&v, data.data(), sizeof v);
    return v;
}

void SetCell(TTzFileDataSet& ds, int field, std::int32_t block)
{
    std::vector<std::uint8_t> data(sizeof block);
    std::memcpy(data.data(), &block, sizeof block);
    ds.SetFieldData(field, data);
}

} // namespace

TTzBlobStream::TTzBlobStream(TTzFileDataSet& dataset, int field, TBlobMode mode, std::int64_t size)
    : dataset_(dataset), field_(field), mode_(mode)
{
    EngineExceptions engine;
    const TTzField& f = dataset_.FieldAt(field);
    const bool memoCell = f.slot == SlotKind::MemoRef;
    const bool binaryType = f.type == 'B' || f.type == 'G' || f.type == 'P';
    if (!memoCell && !binaryType)
        throw EDatasetError(detail::kFieldReadOnly, "Feld " + f.name + " ist kein Memofeld");
    const bool convert = dataset_.TableLanguage == TTzTableLanguage::tlOem;
    if (mode == TBlobMode::Write) {
        if (!memoCell)
            throw EDatasetError(detail::kFieldReadOnly, "Field " + f.name + " cannot be modified");
        if (dataset_.State() == TDataSetState::dsBrowse)
            dataset_.Edit();
        dataset_.SelectArea("CreateBlobStream");
        oldBlock_ = CellOf(dataset_, field);
        std::int32_t block = oldBlock_;
        if (!OpenBlob(convert, block, mode, size, f.type))
            throw EDatasetError(EngineErrorCode, LastErrorText());
        newBlock_ = block;
    } else {
        dataset_.SelectArea("CreateBlobStream");
        std::int32_t block = 0;
        if (!dataset_.IsEmpty()) {
            if (memoCell) {
                block = CellOf(dataset_, field);
            } else {
                std::string raw;
                dataset_.Peek(field, dataset_.RecNo(), raw);
                block = ParseMemoRef(raw);
                dataset_.SelectArea("CreateBlobStream");
            }
        }
        if (!OpenBlob(convert, block, mode, -1, f.type))
            throw EDatasetError(EngineErrorCode, LastErrorText());
    }
    open_ = true;
}

TTzBlobStream::~TTzBlobStream()
{
    try {
        Close();
    } catch (...) {
        // Reported through Close() when called explicitly.
    }
}

std::int64_t TTzBlobStream::Read(void* buffer, std::int64_t count)
{
    if (!open_)
        return 0;
    EngineExceptions engine;
    dataset_.SelectArea("ReadBlobStream");
    return ReadBlobStream(buffer, count);
}

std::int64_t TTzBlobStream::Write(const void* buffer, std::int64_t count)
{
    if (!open_ || mode_ != TBlobMode::Write)
        return 0;
    EngineExceptions engine;
    dataset_.SelectArea("WriteBlobStream");
    std::int64_t n = 0;
    try {
        n = WriteBlobStream(buffer, count);
    } catch (...) {
        failed_ = true;
        throw;
    }
    failed_ = failed_ || EngineErrorCode != 0;
    if (n > 0)
        modified_ = true;
    return n;
}

std::int64_t TTzBlobStream::Seek(std::int64_t offset, int origin)
{
    if (!open_)
        return 0;
    EngineExceptions engine;
    dataset_.SelectArea("SeekBlobStream");
    return SeekBlobStream(offset, origin);
}

void TTzBlobStream::Close()
{
    if (!open_)
        return;
    open_ = false;
    EngineExceptions engine;
    dataset_.SelectArea("DestroyBlobStream");
    std::int64_t written = 0;
    const bool ok = CloseBlob(&written);
    // A BLOB that failed is left unreferenced: the field keeps its memo.
    if (mode_ != TBlobMode::Write || !ok || failed_)
        return;
    if (written > 0) {
        SetCell(dataset_, field_, newBlock_);
        modified_ = true;
    } else if (oldBlock_ != 0) {
        SetCell(dataset_, field_, 0);
        modified_ = true;
    }
}

} // namespace kt4::dbase
